#include "data/exam_generator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>

namespace data {

namespace {

// splitmix64: the same sequence on every platform and standard library.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
  std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Next() % n); }
  // Standard normal by Box-Muller; std::normal_distribution differs between
  // standard libraries.
  double Normal() {
    double u = std::max(Uniform(), 1e-300);
    return std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * Uniform());
  }

 private:
  std::uint64_t state_;
};

constexpr std::array<std::string_view, 40> kSurnames = {
    "王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周", "徐", "孙",  "马", "朱",
    "胡", "郭", "何", "高", "林", "罗", "郑", "梁", "谢", "宋", "唐", "许",  "韩", "冯",
    "邓", "曹", "彭", "曾", "肖", "田", "董", "袁", "潘", "于", "蒋", "欧阳"};
constexpr std::array<std::string_view, 48> kGiven = {
    "伟", "芳", "娜", "敏", "静", "丽", "强", "磊", "军", "洋", "勇", "艳", "杰", "娟", "涛", "明",
    "超", "秀", "霞", "平", "刚", "桂", "英", "华", "玉", "萍", "红", "鹏", "辉", "晨", "宇", "欣",
    "怡", "浩", "婷", "雪", "思", "佳", "俊", "博", "文", "琳", "嘉", "睿", "子", "涵", "梓", "轩"};
constexpr std::array<std::string_view, 3> kFirstSchools = {"第一中学", "第二中学", "实验中学"};
constexpr std::array<std::string_view, 10> kDigits = {"",   "一", "二", "三", "四",
                                                      "五", "六", "七", "八", "九"};
constexpr std::string_view kQuotedName = "艾力·阿卜杜'拉";

std::string PersonName(Random& rng) {
  std::string name(kSurnames[rng.Below(kSurnames.size())]);
  name += kGiven[rng.Below(kGiven.size())];
  if (rng.Below(3) != 0) name += kGiven[rng.Below(kGiven.size())];
  return name;
}

// 第四中学 ... 第九十九中学, then 第100中学.
std::string SchoolName(int index) {
  if (index < static_cast<int>(kFirstSchools.size())) return std::string(kFirstSchools[index]);
  int n = index + 1;
  if (n >= 100) return "第" + std::to_string(n) + "中学";
  std::string number;
  if (n >= 20) number += kDigits[static_cast<std::size_t>(n / 10)];
  if (n >= 10) number += "十";
  if (n % 10 != 0) number += kDigits[static_cast<std::size_t>(n % 10)];
  return "第" + number + "中学";
}

std::string ClassName(int index) {
  return "高一(" + std::to_string(index + 1) + ")班";
}

// Puts each distinct text once into the pool.
class Interner {
 public:
  explicit Interner(StringPool& pool) : pool_(pool) {}
  std::uint32_t operator()(const std::string& text) {
    auto [it, added] = ids_.try_emplace(text, 0);
    if (added) it->second = pool_.Add(text);
    return it->second;
  }

 private:
  StringPool& pool_;
  std::unordered_map<std::string, std::uint32_t> ids_;
};

void WriteHeader(Sheet& sheet, std::initializer_list<std::string_view> first) {
  std::size_t c = 0;
  for (std::string_view h : first) sheet.SetText(0, c++, h);
  for (const ExamSubject& s : kExamSubjects) sheet.SetText(0, c++, s.name);
}

void FillScores(const ExamOptions& o, Random& rng, Interner& intern, Sheet& sheet) {
  WriteHeader(sheet, {"学校", "学号", "班级", "姓名"});
  std::size_t classes = static_cast<std::size_t>(std::max(1, o.schools * o.classes_per_school));
  sheet.Reserve(o.students + 1, 4 + std::size(kExamSubjects));
  for (std::size_t i = 0; i < o.students; ++i) {
    std::size_t row = i + 1;
    // Students are listed class by class.
    std::size_t k = i * classes / std::max<std::size_t>(o.students, 1);
    int school = static_cast<int>(k) / std::max(1, o.classes_per_school);
    int klass = static_cast<int>(k) % std::max(1, o.classes_per_school);
    sheet.SetTextIndex(row, 0, intern(SchoolName(school)));
    sheet.SetNumber(row, 1, 2024000000.0 + static_cast<double>(i + 1));
    sheet.SetTextIndex(row, 2, intern(ClassName(klass)));
    bool quoted = o.quote_in_name && i == std::min<std::size_t>(7, o.students - 1);
    sheet.SetText(row, 3, quoted ? std::string(kQuotedName) : PersonName(rng));
    double ability = rng.Normal() + 0.15 * (school % 3) - 0.1 * (klass % 4);
    double roll = rng.Uniform();
    bool absent_all = roll < o.absent_rate / 5;
    std::size_t missing = roll < o.absent_rate ? rng.Below(std::size(kExamSubjects)) : SIZE_MAX;
    for (std::size_t s = 0; s < std::size(kExamSubjects); ++s) {
      double full = kExamSubjects[s].full_mark;
      double score = std::round(full * (0.66 + 0.14 * ability + 0.07 * rng.Normal()));
      if (absent_all || s == missing) continue;
      sheet.SetNumber(row, 4 + s, std::clamp(score, 0.0, full));
    }
  }
}

void FillTeachers(const ExamOptions& o, Random& rng, Interner& intern, Sheet& sheet) {
  WriteHeader(sheet, {"学校", "班级"});
  std::size_t row = 1;
  for (int school = 0; school < o.schools; ++school) {
    // One teacher takes two neighbouring classes of a subject.
    std::vector<std::string> teachers(std::size(kExamSubjects) *
                                      static_cast<std::size_t>(o.classes_per_school / 2 + 1));
    for (std::string& t : teachers) t = PersonName(rng);
    for (int klass = 0; klass < o.classes_per_school; ++klass, ++row) {
      sheet.SetTextIndex(row, 0, intern(SchoolName(school)));
      sheet.SetTextIndex(row, 1, intern(ClassName(klass)));
      for (std::size_t s = 0; s < std::size(kExamSubjects); ++s) {
        std::size_t t = static_cast<std::size_t>(klass / 2) * std::size(kExamSubjects) + s;
        sheet.SetTextIndex(row, 2 + s, intern(teachers[t]));
      }
    }
  }
}

void FillLines(Sheet& sheet) {
  WriteHeader(sheet, {"项目"});
  constexpr std::array<std::string_view, 6> kLabels = {"满分", "优秀", "优良",
                                                       "及格", "主科", "权重"};
  for (std::size_t r = 0; r < kLabels.size(); ++r) sheet.SetText(r + 1, 0, kLabels[r]);
  for (std::size_t s = 0; s < std::size(kExamSubjects); ++s) {
    const ExamSubject& subject = kExamSubjects[s];
    const std::array<double, 6> values = {
        static_cast<double>(subject.full_mark), 85, 75, 60, subject.main ? 1.0 : 0.0,
        static_cast<double>(subject.weight_pct)};
    for (std::size_t r = 0; r < values.size(); ++r) sheet.SetNumber(r + 1, 1 + s, values[r]);
  }
}

}  // namespace

Workbook GenerateExam(const ExamOptions& options) {
  Workbook book;
  Random rng(options.seed);
  Interner intern(book.strings());
  FillScores(options, rng, intern, book.AddSheet("Sheet1"));
  FillTeachers(options, rng, intern, book.AddSheet("Sheet2"));
  FillLines(book.AddSheet("Sheet3"));
  return book;
}

}  // namespace data
