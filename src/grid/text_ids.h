// Numbers for the distinct texts of a column, for the passes that meet a
// million cells and a few hundred distinct texts (sorting, fitting). The
// texts are borrowed: they must outlive the table and stay unchanged.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

namespace grid {

class TextIds {
 public:
  // The number of `text` with `extra` (a style, say), from 0 in the order
  // first seen, and whether this is its first time.
  std::pair<std::uint32_t, bool> Insert(std::string_view text, std::uint32_t extra = 0) {
    if (2 * (size_ + 1) > slots_.size()) Grow();
    const Slot key = KeyOf(text, extra);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = key.hash & mask;; i = (i + 1) & mask) {
      Slot& slot = slots_[i];
      if (slot.length == kUnused) {
        slot = key;
        slot.id = static_cast<std::uint32_t>(size_++);
        return {slot.id, true};
      }
      if (Same(slot, key)) return {slot.id, false};
    }
  }
  std::size_t size() const { return size_; }

 private:
  static constexpr std::uint32_t kUnused = 0xFFFFFFFF;
  // A text of up to 8 bytes (a score, a rank) is all in `word`, so it is
  // compared without being read again.
  struct Slot {
    std::uint64_t hash = 0;
    std::uint64_t word = 0;  // the first 8 bytes
    const char* text = nullptr;
    std::uint32_t length = kUnused;
    std::uint32_t extra = 0;
    std::uint32_t id = 0;
  };

  static bool Same(const Slot& a, const Slot& b) {
    return a.hash == b.hash && a.word == b.word && a.length == b.length && a.extra == b.extra &&
           (a.length <= 8 || std::memcmp(a.text + 8, b.text + 8, a.length - 8) == 0);
  }
  static std::uint64_t Mix(std::uint64_t h, std::uint64_t word) {
    h = (h ^ word) * 0x9E3779B97F4A7C15ULL;
    return h ^ (h >> 29);
  }
  static std::uint64_t Word(std::string_view text, std::size_t at) {
    std::uint64_t word = 0;
    if (at < text.size())
      std::memcpy(&word, text.data() + at, std::min<std::size_t>(8, text.size() - at));
    return word;
  }
  static Slot KeyOf(std::string_view text, std::uint32_t extra) {
    Slot key;
    key.word = Word(text, 0);
    key.length = static_cast<std::uint32_t>(text.size());
    key.extra = extra;
    key.text = text.data();
    std::uint64_t h = Mix(Mix(text.size(), extra), key.word);
    for (std::size_t at = 8; at < text.size(); at += 8) h = Mix(h, Word(text, at));
    key.hash = h;
    return key;
  }
  void Grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(std::max<std::size_t>(64, old.size() * 2), Slot{});
    const std::size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
      if (slot.length == kUnused) continue;
      std::size_t i = slot.hash & mask;
      while (slots_[i].length != kUnused) i = (i + 1) & mask;
      slots_[i] = slot;
    }
  }

  std::vector<Slot> slots_;
  std::size_t size_ = 0;
};

}  // namespace grid
