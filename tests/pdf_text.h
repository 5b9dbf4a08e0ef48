// A PDF's text as poppler's pdftotext reads it (page layout kept): what a
// reader would copy from the file. Needs pdftotext on the PATH.
#pragma once

#include <string>
#include <vector>

#include "shell_run.h"

namespace test_support {

inline std::string PdfText(const std::string& path) {
  return RunCommand("pdftotext -layout " + ShellQuote(path) + " - 2>/dev/null").out;
}

// Page by page: pdftotext ends each page with a form feed.
inline std::vector<std::string> PdfPages(const std::string& path) {
  const std::string text = PdfText(path);
  std::vector<std::string> pages;
  std::size_t start = 0;
  for (std::size_t ff = text.find('\f'); ff != std::string::npos; ff = text.find('\f', start)) {
    pages.push_back(text.substr(start, ff - start));
    start = ff + 1;
  }
  return pages;
}

}  // namespace test_support
