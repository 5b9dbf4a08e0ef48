// The trend charts (qst) of a student or a class through the exam library.
#include <limits>

#include "reports/chart_data.h"

namespace reports {
namespace {

constexpr double kNoPoint = std::numeric_limits<double>::quiet_NaN();

template <typename Result>
ChartData TrendOf(const std::vector<Result>& history) {
  ChartData chart;
  chart.shape = ChartShape::kCategoryLine;
  chart.x_title = "考试（按日期）";
  for (const Result& r : history) chart.categories.push_back(r.exam.name);
  if (history.size() < 2)
    chart.notice = history.empty() ? "考试库中还没有考试，画不出成绩趋势。"
                                   : "考试库中只有一次考试，至少要有两次考试才能画出成绩趋势。";
  return chart;
}

}  // namespace

ChartData StudentTrend(const std::vector<stats::StudentExamResult>& history,
                       const std::string& student_number) {
  ChartData chart = TrendOf(history);
  std::string who = "学号 " + student_number;
  ChartSeries ranks{"全科排名", {}};
  std::size_t found = 0;
  for (const stats::StudentExamResult& r : history) {
    ranks.values.push_back(r.found ? r.all_rank : kNoPoint);
    if (!r.found) continue;
    ++found;
    who = r.school + " " + r.class_name + " " + r.name;  // as the latest exam has them
  }
  chart.title = who + " 成绩趋势图";
  chart.y_title = "全科排名（第几名）";
  chart.whole_numbers = true;
  chart.value_axis_reversed = true;
  chart.series.push_back(std::move(ranks));
  if (chart.notice.empty() && found < 2)
    chart.notice = "考试库中只有一次考试有学号 " + student_number + " 的成绩，画不出成绩趋势。";
  return chart;
}

ChartData ClassTrend(const std::vector<stats::ClassExamResult>& history, const std::string& school,
                     const std::string& class_name) {
  ChartData chart = TrendOf(history);
  chart.title = school + " " + class_name + " 成绩趋势图";
  chart.y_title = "全科总分平均分";
  ChartSeries own{school + " " + class_name, {}};
  ChartSeries grade{"年级", {}};
  for (const stats::ClassExamResult& r : history) {
    own.values.push_back(r.found ? r.total_mean : kNoPoint);
    grade.values.push_back(r.grade_mean);
  }
  chart.series = {std::move(own), std::move(grade)};
  return chart;
}

}  // namespace reports
