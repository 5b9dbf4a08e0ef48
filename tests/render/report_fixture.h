// Grids laid out the way the statistics reports lay them out, and a PDF
// reader built on poppler's command-line tools.
#pragma once

#include <string>
#include <vector>

#include "grid/report_grid.h"

namespace render_test {

// A report with a header row, `data_rows` rows of `cols` - 1 columns,
// the two title lines and the statistics page setup (A4, margins 1/1/2/2,
// header row repeated, footer "共&n页  第&p页").
grid::ReportGrid MakeReport(int data_rows, int cols);

// Renders `grid` to a PDF in a temporary folder and returns its path.
std::string RenderPdf(const grid::ReportGrid& grid, const std::string& name);

// `pdftotext -layout`, one string per page.
std::vector<std::string> PdfPages(const std::string& pdf);

// `pdfinfo`'s "Page size" line, e.g. "842 x 595 pts (A4)".
std::string PdfPageSize(const std::string& pdf);

int Count(const std::string& text, const std::string& needle);

}  // namespace render_test
