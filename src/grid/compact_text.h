// A text in 16 bytes: up to 15 bytes inline, longer ones on the heap. Cells
// are most of a grid's memory and most report texts are short.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace grid {

class CompactText {
 public:
  CompactText() { bytes_[kTagByte] = 0; }
  explicit CompactText(std::string_view text) {
    bytes_[kTagByte] = 0;
    Assign(text);
  }
  CompactText(const CompactText& other) {
    bytes_[kTagByte] = 0;
    Assign(other.view());
  }
  CompactText(CompactText&& other) noexcept;
  CompactText& operator=(const CompactText& other);
  CompactText& operator=(CompactText&& other) noexcept;
  ~CompactText() { Release(); }

  void Assign(std::string_view text);
  std::string_view view() const;
  std::string str() const { return std::string(view()); }
  bool empty() const { return view().empty(); }
  bool operator==(const CompactText& other) const { return view() == other.view(); }

 private:
  static constexpr int kTagByte = 15;
  static constexpr unsigned char kHeap = 0xFF;
  bool OnHeap() const { return static_cast<unsigned char>(bytes_[kTagByte]) == kHeap; }
  void Release();

  // Inline: bytes 0..14 the text, byte 15 its length. Heap: a pointer in
  // bytes 0..7, the length in bytes 8..11, byte 15 = kHeap.
  alignas(8) char bytes_[16];
};

}  // namespace grid
