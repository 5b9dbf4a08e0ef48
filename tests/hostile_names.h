// Texts that break SQL, HTML, CSV or tab-separated output when they are
// pasted in rather than quoted. The first eleven are the names the hostile
// workbooks under tests/fixtures carry (tools/make_hostile.py writes them).
#pragma once

#include <string>
#include <vector>

namespace test_data {

inline const std::vector<std::string> kHostileNames = {"O'Brien",
                                                       "say \"hi\"",
                                                       "a;b",
                                                       "x -- y",
                                                       "<script>alert(1)</script>",
                                                       "tab\there",
                                                       "two\nlines",
                                                       "😀学生🎓",
                                                       "'; DROP TABLE 教师表; --",
                                                       "]) OR 1=1 --",
                                                       "%_*?"};

// The hostile names and the dialect's own delimiters on top.
inline std::vector<std::string> HostileTexts() {
  std::vector<std::string> texts = kHostileNames;
  texts.insert(texts.end(), {"#2024-01-01#", "a & b | c", "''''", "\\'"});
  return texts;
}

}  // namespace test_data
