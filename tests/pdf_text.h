// A PDF's text as poppler's pdftotext reads it (page layout kept): what a
// reader would copy from the file. Needs pdftotext on the PATH.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace test_support {

inline std::string PdfText(const std::string& path) {
  FILE* pipe = popen(("pdftotext -layout '" + path + "' - 2>/dev/null").c_str(), "r");
  std::string out;
  if (pipe == nullptr) return out;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  pclose(pipe);
  return out;
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
