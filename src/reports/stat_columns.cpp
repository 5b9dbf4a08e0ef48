#include "reports/stat_columns.h"

#include <cmath>
#include <exception>

#include "common/text_number.h"
#include "data/score_database.h"

namespace reports {
namespace {

std::string Num(int v) {
  return std::to_string(v);
}

// "count(iif([S]>=L,1,null))": the students at or above a line.
std::string CountAtLeast(std::string_view s, double line) {
  return "count(iif([" + std::string(s) + "]>=" + common::TextOfDouble(line) + ",1,null))";
}

// The rate as an integer of hundredths of a percent, before its final division.
std::string RateTimes100(std::string_view s, double line) {
  return "cint(" + CountAtLeast(s, line) + "*10000/count(" + std::string(s) + "))";
}

}  // namespace

int SubjectIndex(const data::SubjectLines& lines, const std::string& name) {
  int i = lines.IndexOf(name);
  if (i < 0) throw ReportError("没有这个科目：" + name);
  return i;
}

int SubjectIndexFromMenu(const data::SubjectLines& lines, int menu_index) {
  if (menu_index < 1 || menu_index > lines.Count())
    throw ReportError("没有第 " + std::to_string(menu_index) + " 个科目");
  return menu_index - 1;
}

std::vector<Segment> Segments(int full_mark, int width) {
  std::vector<Segment> out;
  if (width <= 0) return out;
  const int n = static_cast<int>(std::floor(static_cast<double>(full_mark) / width));
  const int top = static_cast<int>(std::floor(full_mark / 10.0)) * 10;
  for (int i = 1; i <= n; ++i) {
    if (i == 1)
      out.push_back({top - width, full_mark});
    else
      out.push_back({top - i * width, top - i * width + width - 1});
  }
  return out;
}

std::string SegmentName(const Segment& segment) {
  return "分" + Num(segment.low) + "_" + Num(segment.high) + "段";
}

std::string SegmentColumns(std::string_view subject, int full_mark, int width) {
  const std::string s(subject);
  std::string text;
  for (const Segment& seg : Segments(full_mark, width)) {
    text += ",Count(iif([" + s + "]>=" + Num(seg.low) + " And [" + s + "]<=" + Num(seg.high) +
            ", 1, Null)) as " + SegmentName(seg);
  }
  return text;
}

StatLines LinesOf(const data::SubjectLines& lines, int index, bool scale_by_full_mark) {
  auto i = static_cast<std::size_t>(index);
  auto line = [&](int pct) {
    return scale_by_full_mark ? data::LineScore(lines.FullMark.at(i), pct) : pct;
  };
  return {line(lines.ExcellentPct.at(i)), line(lines.GoodPct.at(i)), line(lines.PassPct.at(i))};
}

std::string CountColumns(std::string_view subject, const StatLines& lines) {
  const std::string s(subject);
  std::string text =
      "count(" + s + ") as 参考人数,sum(" + s + ") as 总分, cint(avg(" + s + ")*100)/100 as 平均分";
  const std::pair<double, const char*> levels[] = {
      {lines.excellent, "优秀"}, {lines.good, "优良"}, {lines.pass, "及格"}};
  for (const auto& [line, word] : levels) {
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict, bug 105329)
    // on "," + a temporary string.
    text += ",";
    text += CountAtLeast(s, line) + " as " + word + "人数";
    text += ",";
    text += RateTimes100(s, line) + "/100 as " + word + "率";
  }
  return text;
}

std::string CompositeColumn(std::string_view subject, const StatLines& lines,
                            const data::SystemSettings& weights) {
  const std::string s(subject);
  return ",cint(avg(" + s + ")*100)/10000*" + Num(weights.AvgWeight) + "+" +
         RateTimes100(s, lines.excellent) + "/10000*" + Num(weights.ExcellentWeight) + "+" +
         RateTimes100(s, lines.good) + "/10000*" + Num(weights.GoodWeight) + "+" +
         RateTimes100(s, lines.pass) + "/10000*" + Num(weights.PassWeight) + " as 综合分";
}

std::string SpreadColumns(std::string_view subject, int blanks_before_as) {
  const std::string s(subject);
  return ",max(" + s + ") as 最高分,min(" + s + ") as 最低分,max(" + s + ")-min(" + s +
         ") as 全距,cint(StDev(" + s + ")*100)/100" +
         std::string(static_cast<std::size_t>(blanks_before_as), ' ') + "as 标准差";
}

std::string StatisticColumns(std::string_view subject, const StatLines& lines,
                             const data::SystemSettings& weights) {
  return CountColumns(subject, lines) + CompositeColumn(subject, lines, weights) +
         SpreadColumns(subject, 3);
}

void WriteRecord(grid::ReportGrid& grid, engine::Recordset& rs, int row, int first_col) {
  for (int j = 0; j < rs.FieldCount(); ++j)
    grid.SetCellText(row, first_col + j, rs.FieldValue(j).AsText(rs.FieldTypeOf(j)));
}

TotalRowAhead::TotalRowAhead(const std::string& database_path, const std::string& whole_sql)
    : reader_([this, database_path, whole_sql] {
        try {
          engine::Database db = engine::Database::Open(database_path);
          engine::Recordset rs = db.OpenRecordset(whole_sql);
          if (rs.Eof()) return;
          std::vector<std::string> texts;
          texts.reserve(static_cast<std::size_t>(rs.FieldCount()));
          for (int j = 0; j < rs.FieldCount(); ++j)
            texts.push_back(rs.FieldValue(j).AsText(rs.FieldTypeOf(j)));
          record_ = std::move(texts);
        } catch (const engine::Error&) {
          // As InsertTotalRow: the row keeps its label.
        } catch (...) {
          error_ = std::current_exception();
        }
      }) {}

TotalRowAhead::~TotalRowAhead() {
  Wait();
}

void TotalRowAhead::Wait() {
  if (reader_.joinable()) reader_.join();
}

void TotalRowAhead::Insert(grid::ReportGrid& grid, int first_col) {
  Wait();
  if (error_) std::rethrow_exception(error_);
  InsertTotalTexts(grid, record_, first_col);
}

void InsertTotalTexts(grid::ReportGrid& grid, const std::optional<std::vector<std::string>>& record,
                      int first_col) {
  grid.InsertRow(1);
  output::SkipOnError([&] {
    grid.SetCellText(1, 1, "合计");
    if (!record) return;
    for (std::size_t j = 0; j < record->size(); ++j)
      grid.SetCellText(1, first_col + static_cast<int>(j), (*record)[j]);
  });
}

void InsertTotalRow(grid::ReportGrid& grid, engine::Database& db, const std::string& whole_sql,
                    int first_col) {
  grid.InsertRow(1);
  // A report over a missing table keeps its bare 合计 row.
  output::SkipOnError([&] {
    grid.SetCellText(1, 1, "合计");
    engine::Recordset rs = db.OpenRecordset(whole_sql);
    if (!rs.Eof()) WriteRecord(grid, rs, 1, first_col);
  });
}

}  // namespace reports
