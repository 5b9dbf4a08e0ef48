// The report kinds of `scorestat-cli report`. Each kind is named after its
// menu command and builds a Document from the words after its name.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "output/document.h"

namespace cli {

// The words after the kind: positional ones and "--key value" pairs (a key
// may repeat). "-o FILE" has been taken out already.
struct ReportArgs {
  std::vector<std::string> positional;
  std::multimap<std::string, std::string> options;

  bool Has(const std::string& key) const { return options.count(key) > 0; }
  std::string Get(const std::string& key, const std::string& fallback = {}) const;
  std::vector<std::string> All(const std::string& key) const;
};

struct ReportKind {
  std::string name;   // the menu command's control name, e.g. "gbkm"
  std::string usage;  // one line for --help: the kind's words and options
  // Builds the report; throws std::exception with a Chinese message on a
  // refusal (an unknown subject, a missing choice).
  std::function<output::Document(Context&, const ReportArgs&)> build;
  // True for the kinds made once per subject (given as --subject NAME);
  // `report all` then makes one for every subject.
  bool per_subject = false;
};

// Kinds whose reports are built by SQL (browse, single-subject, all-subject,
// subject-count, data information).
std::vector<ReportKind> SqlReportKinds();
// Kinds built on the grid or from dialog choices (ranked listings, custom
// totals and rankings, comprehensive statistics, student lists, filter,
// covers).
std::vector<ReportKind> GridReportKinds();

}  // namespace cli
