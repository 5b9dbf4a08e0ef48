// The zip container of a workbook written by ExcelBookWriter's streamed mode.
// The sheets come in pieces while the next reports are still being made:
// each piece is deflated and written on a thread of the packer's own, so
// that neither the sheet's whole text nor its compressed form is ever held.
// At the end the members the library wrote (workbook, styles, shared
// strings, ...) are copied in still compressed, and the central directory
// lists every member in the library's order.
//
// Internal to the grid module. Not thread-safe: one thread gives the pieces.
#pragma once

#include <memory>
#include <string>

#include "grid/grid_error.h"

namespace grid::xlsx {

class ZipPacker {
 public:
  // Creates (or empties) the file at `path`; a failure shows in Finish.
  explicit ZipPacker(const std::string& path);
  ZipPacker(const ZipPacker&) = delete;
  ZipPacker& operator=(const ZipPacker&) = delete;
  ~ZipPacker();

  // One member at a time: Begin, any number of Add, End.
  void Begin(const std::string& name);
  void Add(std::string&& piece);
  void End();

  // Copies every member of the zip at `library_zip` that was not written
  // here, then writes the central directory in that zip's order. The
  // members written here must all be named in it.
  Status Finish(const std::string& library_zip);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace grid::xlsx
