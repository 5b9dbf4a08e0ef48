// The settings every report reads, loaded from the score database, and the
// state a command sets before it fills a report. One value of AppState is
// handed to each report; nothing here is process-wide.
#pragma once

#include <string>
#include <vector>

namespace data {

// Parallel arrays over the subjects of 三线表, in its column order. Index 0
// here is the first subject (the user-visible numbering starts at 1).
struct SubjectLines {
  std::vector<std::string> SubjectName;
  std::vector<int> FullMark;
  std::vector<int> ExcellentPct;
  std::vector<int> GoodPct;
  std::vector<int> PassPct;
  std::vector<int> MainFlag;  // 1 for a main subject
  std::vector<int> TotalWeightPct;
  // Grid column of the first subject when 成绩表 or 统计表 is shown.
  int FirstSubjectCol = 0;

  int Count() const { return static_cast<int>(SubjectName.size()); }
  bool IsMain(int i) const { return MainFlag[i] == 1; }
  void Resize(int n);
  // Index of a subject by name, -1 when absent.
  int IndexOf(const std::string& name) const;
};

// A subject's score line (优秀, 优良 or 及格): FullMark × Pct / 100, the
// product taken in whole numbers so that a 400-mark subject at 90 % is 360,
// the quotient exact (150 at 85 % is 127.5). The import counts the lines of
// 统计表 by it, and every report that speaks of a line uses it.
double LineScore(int full_mark, int pct);

struct SystemSettings {
  int AvgWeight = 0;
  int ExcellentWeight = 0;
  int GoodWeight = 0;
  int PassWeight = 0;
  int SubjectSegment = 0;
  int TotalSegment = 0;
  // 三线折算: 1 when the single-subject and all-subject statistics take a
  // line as FullMark × Pct / 100, as 统计表 does; 0 (the default) when they
  // take the stored value as a score.
  int ScaleLinesByFullMark = 0;
};

struct TitleSettings {
  std::string School;
  std::string SchoolYear;
  std::string GradeLevel;
  std::string ExamType;
  std::string MainTitle;
  std::string LeftSubtitle;
  std::string RightSubtitle;
  std::string ShowDate;  // "1" prints the date after the right subtitle
  // 告知书落款: the last line of the parent letters; empty for the school and the date.
  std::string LetterFooter{};
};

// What lists shown beyond the class teacher leave out (xtsztable's 隐藏姓名
// and 不显示名次, or the command line's --mask and --no-rank). Kept apart
// from SystemSettings: reports reload those, but never these, so that an
// option given for one run holds for the whole run.
// Whether the parent letters show the student's trend through the exam
// library: when it has two exams with these students (the default), as
// long as it has two exams, or never (stored 告知书不画趋势 = 1).
enum class LetterTrend { kAuto, kOn, kOff };

struct PrivacySettings {
  bool mask_names = false;  // 姓名 and 学号 masked
  bool no_rank = false;     // no rank column and no order by rank
  LetterTrend letter_trend = LetterTrend::kAuto;
};

struct AppState {
  SubjectLines subject_lines;
  SystemSettings system_settings;
  TitleSettings title_settings;
  PrivacySettings privacy;
  std::string database_path;
  std::string report_title;
};

}  // namespace data
