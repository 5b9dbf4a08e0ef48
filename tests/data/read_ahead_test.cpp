// The read-ahead pipe between the zip reader's thread and the sheet scanner:
// every byte once and in order whatever the chunk sizes on either side, the
// source's failure after the bytes before it, and no hang when the caller
// stops early while the reader waits on a full queue.
#include "data/read_ahead.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <stdexcept>
#include <string>

namespace data::xlsx {
namespace {

// A source over `text` giving at most `step` bytes a call, then throwing
// when `fail` is set instead of ending.
ByteSource TextSource(std::string text, std::size_t step, bool fail = false,
                      std::atomic<std::size_t>* calls = nullptr) {
  auto at = std::make_shared<std::size_t>(0);
  return [text = std::move(text), step, fail, calls, at](char* out, std::size_t capacity) {
    if (calls) ++*calls;
    if (*at == text.size() && fail) throw std::runtime_error("坏了");
    const std::size_t n = std::min({step, capacity, text.size() - *at});
    std::memcpy(out, text.data() + *at, n);
    *at += n;
    return n;
  };
}

std::string Drain(ByteSource& source, std::size_t capacity) {
  std::string out, buffer(capacity, '\0');
  while (std::size_t n = source(buffer.data(), capacity)) out.append(buffer, 0, n);
  return out;
}

TEST(ReadAhead, GivesEveryByteInOrderWhateverTheSizesOnEitherSide) {
  std::string text;
  for (int i = 0; i < 5000; ++i) text += std::to_string(i) + ",";
  // The source's step, the pipe's chunk, the caller's capacity: smaller,
  // equal and larger than each other, and one byte (every boundary).
  const struct {
    std::size_t step, chunk, capacity;
  } sizes[] = {{1, 7, 3}, {4096, 1000, 333}, {100, 100, 100}, {999, 64, 100000}, {50000, 1, 1}};
  for (const auto& s : sizes) {
    SCOPED_TRACE(std::to_string(s.step) + "/" + std::to_string(s.chunk) + "/" +
                 std::to_string(s.capacity));
    ByteSource ahead = ReadAhead(TextSource(text, s.step), s.chunk, 2);
    EXPECT_EQ(Drain(ahead, s.capacity), text);
    // The end stays the end.
    char c;
    EXPECT_EQ(ahead(&c, 1), 0u);
  }
  ByteSource empty = ReadAhead(TextSource("", 10), 16, 2);
  EXPECT_EQ(Drain(empty, 8), "");
}

TEST(ReadAhead, StopsReadingWhenTheCallerGoesEarly) {
  std::atomic<std::size_t> calls{0};
  {
    ByteSource ahead = ReadAhead(TextSource(std::string(1 << 20, 'x'), 10, false, &calls), 10, 3);
    char buffer[10];
    ASSERT_EQ(ahead(buffer, sizeof buffer), 10u);
    // Destroying the source with the queue full must not wait for the rest.
  }
  // Read ahead by the queue's depth at most: nowhere near the 100,000 calls
  // the whole source would take.
  EXPECT_LT(calls.load(), 10u);
}

}  // namespace
}  // namespace data::xlsx
