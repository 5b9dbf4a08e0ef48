// The report catalog as the CLI and `report all` read it: the choices a kind
// is given, the fallbacks it gets without them, and which options each kind
// accepts.
#include <gtest/gtest.h>

#include <stdexcept>

#include "reports/report_catalog.h"
#include "reports/stat_columns.h"

namespace reports {
namespace {

constexpr ReportOption kTwoOptions[] = {{"range", "各班|各校|全部", "全部"},
                                        {"rank", "科目:段班校", "", true}};

// What a kind reads is the last value given, the fallback when none is, and
// every value of a repeatable option in the order given.
TEST(ReportChoicesTest, LastValueWinsAndFallbacksFillTheRest) {
  ReportChoices choices(kTwoOptions);
  EXPECT_EQ(choices.Get("range"), "全部");  // declared fallback
  EXPECT_FALSE(choices.Given("range"));
  choices.Add("range", "各班");
  choices.Add("range", "各校");
  choices.Add("rank", "总分:段");
  choices.Add("rank", "语文:班");
  EXPECT_EQ(choices.Get("range"), "各校");
  EXPECT_EQ(choices.All("rank"), (std::vector<std::string>{"总分:段", "语文:班"}));
  EXPECT_EQ(choices.Get("rank"), "语文:班");
  EXPECT_TRUE(choices.Given("rank"));
}

// The CLI refuses a misspelt option instead of ignoring it; the filter also
// accepts the options of the report it filters.
TEST(ReportCatalogTest, UndeclaredOptionsAreFoundAcrossTheFilteredKind) {
  struct Case {
    const char* kind;
    std::vector<std::pair<std::string, std::string>> given;
    std::string undeclared;
  };
  const Case cases[] = {
      {"cj", {}, ""},
      {"cj", {{"subject", "语文"}}, "subject"},  // a bare word after a plain kind
      {"gbkm", {{"subject", "语文"}}, ""},
      {"qkjhtj", {{"rang", "各班"}}, "rang"},  // misspelt
      {"shaixwan", {{"from", "gbkm"}, {"subject", "语文"}, {"school", "一中"}}, ""},
      {"shaixwan", {{"subject", "语文"}}, "subject"},  // the default source, zfdmbm, has none
      {"shaixwan", {{"from", "nothing"}, {"n", "5"}}, "n"},
  };
  for (const Case& c : cases) {
    const ReportKind* kind = FindReportKind(c.kind);
    ASSERT_NE(kind, nullptr) << c.kind;
    ReportChoices choices;
    for (const auto& [name, value] : c.given) choices.Add(name, value);
    EXPECT_EQ(UndeclaredOption(*kind, choices), c.undeclared) << c.kind;
  }
}

// A subject is found by name; the menus' numbering starts at 1.
TEST(ReportCatalogTest, ChosenSubjectIsTheMenuIndexOfTheName) {
  data::AppState state;
  state.subject_lines.SubjectName = {"语文", "数学"};
  ReportChoices choices(FindReportKind("gbkm")->options);
  EXPECT_THROW(ChosenSubject(state, choices), ReportError);  // none given
  choices.Add("subject", "数学");
  EXPECT_EQ(ChosenSubject(state, choices), 2);
  choices.Add("subject", "物理");
  EXPECT_THROW(ChosenSubject(state, choices), ReportError);
}

}  // namespace
}  // namespace reports
