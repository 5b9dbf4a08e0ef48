// A report as a window holds it: the caption, the title box text and the
// grid. Every report command fills one; the desktop shows it, the
// command-line tool writes it to a file.
#pragma once

#include <string>

#include "grid/report_grid.h"

namespace output {

struct Document {
  std::string caption;  // the window's caption
  std::string title;    // the title box above the grid
  grid::ReportGrid grid;
};

}  // namespace output
