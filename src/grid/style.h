// Cell styles. A cell holds only an index into its grid's StyleTable, so a
// million rows of identically formatted cells cost one style object.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace grid {

// Colours are 0xRRGGBB.
using Color = std::uint32_t;
inline constexpr Color kBlack = 0x000000;
inline constexpr Color kWhite = 0xFFFFFF;

struct Font {
  std::string name = "宋体";
  double size = 9;  // points
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikethrough = false;
  bool operator==(const Font&) const = default;
};

// Alignment codes: 5 + 4 * horizontal + vertical, horizontal 0 left,
// 1 centre, 2 right; vertical 0 top, 1 middle, 2 bottom. So 5 is top left,
// 10 centred both ways, 15 bottom right. 0 means "general": texts left,
// numbers right, vertically centred.
inline constexpr int kAlignGeneral = 0;
inline constexpr int kAlignCenter = 10;
enum class HAlign { kGeneral, kLeft, kCenter, kRight };
enum class VAlign { kTop, kMiddle, kBottom };
bool IsValidAlignment(int code);
HAlign HorizontalOf(int code);  // kGeneral only for code 0
VAlign VerticalOf(int code);

// Border edges as the selection numbers them. A cell keeps its own four
// sides and two diagonals; the inner edges 4 and 5 exist only on a
// selection, which turns them into sides of the cells inside it.
enum BorderEdge : int {
  kEdgeLeft = 0,
  kEdgeTop = 1,
  kEdgeRight = 2,
  kEdgeBottom = 3,
  kEdgeInsideVertical = 4,    // between the selection's columns
  kEdgeInsideHorizontal = 5,  // between the selection's rows
  kEdgeDiagonalDown = 6,      // top left to bottom right
  kEdgeDiagonalUp = 7,        // bottom left to top right
};
inline constexpr int kEdgeCount = 8;
// Line styles: 0 none, 1 thin, 2 thick.
inline constexpr int kLineNone = 0;
inline constexpr int kLineThin = 1;
inline constexpr int kLineThick = 2;

struct CellStyle {
  std::string font_name;  // empty: the grid's default font
  double font_size = 0;   // 0: the grid's default size
  bool bold = false;
  bool italic = false;
  bool underline = false;
  Color fore_color = kBlack;
  Color back_color = kWhite;
  int alignment = kAlignGeneral;  // general: the column's alignment applies
  bool wrap_text = false;
  bool locked = false;
  std::array<std::uint8_t, kEdgeCount> borders{};  // line style per edge
  bool operator==(const CellStyle&) const = default;
};

// Interns styles: equal styles share one index. Index 0 is always the
// default style. Indexes stay valid for the table's lifetime.
class StyleTable {
 public:
  StyleTable();
  std::uint32_t Intern(const CellStyle& style);
  const CellStyle& Get(std::uint32_t index) const { return styles_.at(index); }
  std::size_t size() const { return styles_.size(); }
  const std::vector<CellStyle>& styles() const { return styles_; }
  // The index follows from the styles.
  bool operator==(const StyleTable& other) const { return styles_ == other.styles_; }

 private:
  struct Hash {
    std::size_t operator()(const CellStyle& s) const;
  };
  std::vector<CellStyle> styles_;
  std::unordered_map<CellStyle, std::uint32_t, Hash> index_;
};

}  // namespace grid
