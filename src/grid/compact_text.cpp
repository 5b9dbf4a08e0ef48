#include "grid/compact_text.h"

#include <cstring>

namespace grid {

CompactText::CompactText(CompactText&& other) noexcept {
  std::memcpy(bytes_, other.bytes_, sizeof bytes_);
  other.bytes_[kTagByte] = 0;
}

CompactText& CompactText::operator=(const CompactText& other) {
  if (this != &other) Assign(other.view());
  return *this;
}

CompactText& CompactText::operator=(CompactText&& other) noexcept {
  if (this != &other) {
    Release();
    std::memcpy(bytes_, other.bytes_, sizeof bytes_);
    other.bytes_[kTagByte] = 0;
  }
  return *this;
}

void CompactText::Release() {
  if (OnHeap()) {
    char* ptr;
    std::memcpy(&ptr, bytes_, sizeof ptr);
    delete[] ptr;
  }
  bytes_[kTagByte] = 0;
}

void CompactText::Assign(std::string_view text) {
  // Copy first: `text` may point into this object's own storage.
  if (text.size() < kTagByte) {
    char tmp[kTagByte];
    if (!text.empty()) std::memcpy(tmp, text.data(), text.size());
    Release();
    if (!text.empty()) std::memcpy(bytes_, tmp, text.size());
    bytes_[kTagByte] = static_cast<char>(text.size());
    return;
  }
  char* ptr = new char[text.size()];
  std::memcpy(ptr, text.data(), text.size());
  Release();
  auto size = static_cast<std::uint32_t>(text.size());
  std::memcpy(bytes_, &ptr, sizeof ptr);
  std::memcpy(bytes_ + 8, &size, sizeof size);
  bytes_[kTagByte] = static_cast<char>(kHeap);
}

std::string_view CompactText::view() const {
  if (!OnHeap()) return std::string_view(bytes_, static_cast<unsigned char>(bytes_[kTagByte]));
  const char* ptr;
  std::uint32_t size;
  std::memcpy(&ptr, bytes_, sizeof ptr);
  std::memcpy(&size, bytes_ + 8, sizeof size);
  return std::string_view(ptr, size);
}

}  // namespace grid
