// Joining PDFs that this program's writer made (Qt's QPdfWriter) into one,
// so that the pages of a long report can be painted in parts on several
// cores. Only what that writer produces is understood: one classic
// cross-reference table (no object or cross-reference streams, no
// incremental updates, no encryption), generation 0 throughout, and one
// flat page tree. Each part's objects are copied with new numbers, stream
// bytes verbatim; the first part's catalog, document information and page
// tree root stay, the root now holding every part's pages in order. Anything
// else is refused with a Chinese message and nothing is written: the caller
// then paints the document on one writer instead.
#pragma once

#include <span>
#include <string>

#include "grid/grid_error.h"

namespace render {

// Writes the pages of `parts` (paths of PDF files), in that order, to the
// PDF file `path`. The file is replaced only when the join succeeds; the
// parts are left as they are. Needs no QGuiApplication.
grid::Status JoinPdfs(std::span<const std::string> parts, const std::string& path);

}  // namespace render
