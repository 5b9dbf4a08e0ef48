// The grid file's per-cell members written straight from the grid as text,
// byte for byte as the JSON library writes them (indent 1, at the top level
// of the document, texts escaped alike), without a JSON value per cell: a
// listing of 100,000 students spent more time building and freeing those
// values than writing them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "grid/report_grid.h"

namespace grid::internal {

// One member's array, made in parts (runs of rows) that are written one
// after another: "[", the parts' elements, then the closing bracket.
class MemberText {
 public:
  // Every element of a part is preceded by ",\n  ", so that parts made
  // apart join; the first element of the array drops the comma.
  std::vector<std::string> parts;

  std::size_t Size() const;
  template <typename Put>
  void Write(const Put& put) const {
    bool first = true;
    put(std::string_view("["));
    for (const std::string& part : parts) {
      if (part.empty()) continue;
      put(std::string_view(part).substr(first ? 1 : 0));
      first = false;
    }
    put(std::string_view(first ? "]" : "\n ]"));
  }
};

struct CellMembers {
  MemberText cells;        // rows of texts
  MemberText cell_styles;  // [row, col, style] where the style is not 0
  MemberText tags;         // [row, col, tag] where there is a tag
  MemberText row_heights;  // [row, height] where the height is not the default
};

// False when a text is not valid UTF-8, which the library refuses to write
// (the caller lets it refuse, with its own message). A large grid is made in
// parts on two threads.
bool WriteCellMembers(const ReportGrid& grid, CellMembers& out);

}  // namespace grid::internal
