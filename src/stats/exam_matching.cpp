#include "stats/exam_matching.h"

#include <string>
#include <string_view>
#include <unordered_map>

namespace stats {
namespace {

// How often each key occurs, and where it occurred last (which is where it
// occurred when it occurred once).
struct KeyCount {
  std::uint32_t count = 0;
  std::size_t student = 0;
};
using KeyCounts = std::unordered_map<std::string, KeyCount>;

template <typename KeyOf>
KeyCounts CountKeys(const ExamSnapshot& exam, KeyOf key_of) {
  KeyCounts counts;
  counts.reserve(exam.StudentCount());
  for (std::size_t i = 0; i < exam.StudentCount(); ++i) {
    std::string key = key_of(exam, i);
    if (key.empty()) continue;
    KeyCount& k = counts[std::move(key)];
    ++k.count;
    k.student = i;
  }
  return counts;
}

std::string NumberKey(const ExamSnapshot& exam, std::size_t i) {
  return std::string(exam.StudentNumber(i));
}

// 学校 and 姓名 joined by a character neither holds; no name, no key.
std::string SchoolNameKey(const ExamSnapshot& exam, std::size_t i) {
  const std::string_view name = exam.Name(i);
  if (name.empty()) return {};
  std::string key = exam.SchoolOf(i).text;
  key += '\x1f';
  key += name;
  return key;
}

// The student of `base` that `key` names once in each exam, or kUnmatched.
std::int64_t UniqueInBoth(const KeyCounts& current, const KeyCounts& base, const std::string& key) {
  if (key.empty()) return kUnmatched;
  const auto c = current.find(key);
  const auto b = base.find(key);
  if (c == current.end() || b == base.end() || c->second.count != 1 || b->second.count != 1)
    return kUnmatched;
  return static_cast<std::int64_t>(b->second.student);
}

}  // namespace

StudentMatching MatchStudents(const ExamSnapshot& current, const ExamSnapshot& base) {
  StudentMatching m;
  m.base_of.assign(current.StudentCount(), kUnmatched);
  std::vector<bool> taken(base.StudentCount(), false);
  {
    const KeyCounts current_numbers = CountKeys(current, NumberKey);
    const KeyCounts base_numbers = CountKeys(base, NumberKey);
    for (std::size_t i = 0; i < current.StudentCount(); ++i) {
      const std::int64_t b = UniqueInBoth(current_numbers, base_numbers, NumberKey(current, i));
      if (b == kUnmatched) continue;
      m.base_of[i] = b;
      taken[static_cast<std::size_t>(b)] = true;
      ++m.matched;
    }
  }
  const KeyCounts current_names = CountKeys(current, SchoolNameKey);
  const KeyCounts base_names = CountKeys(base, SchoolNameKey);
  for (std::size_t i = 0; i < current.StudentCount(); ++i) {
    if (m.base_of[i] != kUnmatched) continue;
    const std::int64_t b = UniqueInBoth(current_names, base_names, SchoolNameKey(current, i));
    if (b == kUnmatched || taken[static_cast<std::size_t>(b)]) continue;
    m.base_of[i] = b;
    taken[static_cast<std::size_t>(b)] = true;
    ++m.matched;
  }
  return m;
}

}  // namespace stats
