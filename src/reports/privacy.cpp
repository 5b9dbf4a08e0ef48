#include "reports/privacy.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "common/text_number.h"
#include "grid/text_measurer.h"
#include "reports/listing_ranks.h"

namespace reports {
namespace {

// The compound surnames common enough in school registers to be met.
constexpr std::array<std::string_view, 24> kCompoundSurnames = {
    "欧阳", "司马", "诸葛", "上官", "东方", "皇甫", "尉迟", "公孙", "慕容", "长孙", "宇文", "司徒",
    "夏侯", "令狐", "澹台", "轩辕", "呼延", "端木", "南宫", "独孤", "西门", "钟离", "申屠", "赫连"};

// Byte offsets of the characters of a UTF-8 text, and its size at the end.
std::vector<std::size_t> CharacterStarts(std::string_view text) {
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < text.size();) {
    starts.push_back(i);
    grid::NextCodePoint(text, i);
  }
  starts.push_back(text.size());
  return starts;
}

std::size_t SurnameLength(std::string_view name, std::size_t characters) {
  if (characters < 3) return 1;
  const bool compound = std::any_of(kCompoundSurnames.begin(), kCompoundSurnames.end(),
                                    [&](std::string_view s) { return name.starts_with(s); });
  return compound ? 2 : 1;
}

}  // namespace

std::string MaskName(std::string_view name) {
  if (name.empty()) return {};
  const std::vector<std::size_t> at = CharacterStarts(name);
  const std::size_t n = at.size() - 1;
  if (n == 1) return "*";
  const std::size_t surname = SurnameLength(name, n);
  std::string out(name.substr(0, at[surname]));
  out += '*';
  // The last character is kept when something else of the given name is masked.
  if (n - surname >= 2) out += name.substr(at[n - 1]);
  return out;
}

std::string MaskStudentNumber(std::string_view number) {
  const std::vector<std::size_t> at = CharacterStarts(number);
  const std::size_t n = at.size() - 1;
  if (n <= 4) return std::string(number);
  return std::string(n - 4, '*') + std::string(number.substr(at[n - 4]));
}

bool IsRankHeading(std::string_view heading) {
  return heading.ends_with("排名") || heading.ends_with("名次") || heading == "段名" ||
         heading == "班名" || heading == "校名";
}

namespace {

int HeadingColumn(const grid::ReportGrid& g, std::string_view heading) {
  for (int c = 1; c < g.Cols(); ++c)
    if (g.CellText(0, c) == heading) return c;
  return -1;
}

void MaskColumn(grid::ReportGrid& g, std::string_view heading,
                std::string (*mask)(std::string_view)) {
  const int col = HeadingColumn(g, heading);
  if (col < 0) return;
  for (int r = 1; r < g.Rows(); ++r) {
    const std::string_view text = g.CellText(r, col);
    if (text.empty() || text == heading) continue;
    g.SetCellText(r, col, mask(text));
  }
}

// True when the column's numbers never decrease down the data rows (and
// change at least once): the rows were listed by it.
bool OrderedBy(const grid::ReportGrid& g, int col) {
  std::optional<double> previous;
  bool rises = false;
  for (int r = g.FixedRows(); r < g.Rows(); ++r) {
    const std::optional<double> v = common::ParseWholeNumber(g.CellText(r, col));
    if (!v) continue;
    if (previous && *v < *previous) return false;
    rises = rises || (previous && *v > *previous);
    previous = v;
  }
  return rises;
}

// Deletes the rank columns; true when the rows were ordered by one of them.
bool DeleteRankColumns(grid::ReportGrid& g) {
  bool ordered = false;
  for (int c = g.Cols() - 1; c >= 1; --c) {
    if (!IsRankHeading(g.CellText(0, c))) continue;
    ordered = ordered || OrderedBy(g, c);
    g.DeleteCols(c, 1);
  }
  return ordered;
}

void SortByStudentKeys(grid::ReportGrid& g) {
  SortOnPresentColumns(
      g, {HeadingColumn(g, "学校"), HeadingColumn(g, "班级"), HeadingColumn(g, "学号")});
}

void NoteInternalUse(output::Document& doc) {
  doc.title += kInternalUseNote;
  doc.caption += kInternalUseNote;
  grid::ReportTitleList& titles = doc.grid.ReportTitles();
  if (titles.Count() > 0) titles.Item(0).text += kInternalUseNote;
}

}  // namespace

void ApplyPrivacy(output::Document& doc, const data::PrivacySettings& privacy,
                  bool internal_ranking) {
  grid::ReportGrid& g = doc.grid;
  const bool redraw = g.AutoRedraw();
  g.SetAutoRedraw(false);
  if (privacy.no_rank) {
    if (internal_ranking)
      NoteInternalUse(doc);
    else if (DeleteRankColumns(g))
      SortByStudentKeys(g);  // by the 学号 as it is, before it is masked
  }
  if (privacy.mask_names) {
    MaskColumn(g, "姓名", MaskName);
    MaskColumn(g, "学号", MaskStudentNumber);
  }
  g.SetAutoRedraw(redraw);
}

}  // namespace reports
