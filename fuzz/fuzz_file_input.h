// The zip-based readers open files by path (libzip reads the central
// directory from the end), so their fuzzers hand each input over through one
// temporary file per process.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace fuzz {

inline const std::string& ScratchPath(const char* suffix) {
  static const std::string path = "/tmp/scorestat_fuzz_" + std::to_string(::getpid()) + suffix;
  return path;
}

inline bool WriteScratch(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

}  // namespace fuzz
