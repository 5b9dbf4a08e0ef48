// Splitting a PDF that this program's writer made (pdf_file.h) into several
// files of consecutive pages: so that many small documents (each class's
// slips) can be painted as one, and Qt builds each font's data once rather
// than once per document. Each file gets its pages' objects copied with new
// numbers (content streams untouched), a page tree and catalog of its own,
// and each font its pages use cut down to the glyphs they use
// (pdf_font_cut.h). The text of each file extracts as the whole's did.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "grid/grid_error.h"

namespace render {

// Writes pages [first_pages[i], first_pages[i + 1]) of `pdf`, the last file
// to the end, to paths[i]; first_pages starts at 0 and ascends. Each file is
// made in memory before it is opened. On an error (a Chinese message) the
// files before it stay written. Needs no QGuiApplication.
grid::Status SplitPdf(std::string_view pdf, std::span<const int> first_pages,
                      std::span<const std::string> paths);

}  // namespace render
