// A report as a window holds it: the caption, the title box text and the
// grid. Every report command fills one; the desktop shows it, the
// command-line tool writes it to a file.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "grid/report_grid.h"
#include "grid/strips.h"

namespace output {

struct Document {
  std::string caption;  // the window's caption
  std::string title;    // the title box above the grid
  // False when the title box only says something about the report (the
  // cover page's hint): the desktop shows it disabled.
  bool title_editable = true;
  grid::ReportGrid grid;
  // Empty for a report printed as a table; else the strips it prints as.
  std::vector<grid::Strip> strips{};

  // Takes over a report made elsewhere; the grid keeps its observers and
  // services (a window's clipboard and text measurer).
  void Take(Document made) {
    caption = std::move(made.caption);
    title = std::move(made.title);
    title_editable = made.title_editable;
    grid.ReplaceContents(std::move(made.grid));
    strips = std::move(made.strips);
  }
};

}  // namespace output
