// Reading a large part of a workbook ahead of its parser: a thread of its
// own inflates the next chunks while the caller scans the current one, so
// that the two take a core each.
#pragma once

#include <cstddef>

#include "data/xlsx_reader_xml.h"

namespace data::xlsx {

// A source giving the bytes of `source`, which a thread of its own reads up
// to `depth` chunks of `chunk` bytes ahead of the caller. Nothing else may
// use what `source` reads from (the zip archive) until the returned source
// and its copies are destroyed; destroying the last one stops and joins the
// thread. An exception `source` throws comes out of the returned source
// once the bytes read before it have been given.
ByteSource ReadAhead(ByteSource source, std::size_t chunk = std::size_t{1} << 20,
                     std::size_t depth = 4);

}  // namespace data::xlsx
