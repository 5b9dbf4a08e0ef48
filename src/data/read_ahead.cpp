#include "data/read_ahead.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace data::xlsx {

namespace {

// Chunks pass from the reading thread to the caller through a short queue;
// the reader waits while the queue is full, the caller while it is empty.
class Pipe {
 public:
  Pipe(ByteSource source, std::size_t chunk, std::size_t depth)
      : source_(std::move(source)), chunk_(std::max<std::size_t>(chunk, 1)), depth_(depth) {
    reader_ = std::thread([this] { Produce(); });
  }
  ~Pipe() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    reader_.join();
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;

  std::size_t Read(char* out, std::size_t capacity) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return !ready_.empty() || done_; });
    if (ready_.empty()) {
      if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
      return 0;
    }
    const std::string& front = ready_.front();
    const std::size_t n = std::min(capacity, front.size() - offset_);
    std::memcpy(out, front.data() + offset_, n);
    offset_ += n;
    if (offset_ == front.size()) {
      spare_.push_back(std::move(ready_.front()));
      ready_.pop_front();
      offset_ = 0;
      changed_.notify_all();
    }
    return n;
  }

 private:
  void Produce() {
    try {
      for (;;) {
        std::string buffer;
        {
          std::unique_lock<std::mutex> lock(mutex_);
          changed_.wait(lock, [&] { return stop_ || ready_.size() < depth_; });
          if (stop_) return;
          if (!spare_.empty()) buffer = std::move(spare_.back()), spare_.pop_back();
        }
        // A chunk's memory is used again rather than taken anew each time.
        buffer.resize(chunk_);
        buffer.resize(source_(buffer.data(), chunk_));
        std::lock_guard<std::mutex> lock(mutex_);
        if (buffer.empty()) {
          done_ = true;
        } else {
          ready_.push_back(std::move(buffer));
        }
        changed_.notify_all();
        if (done_) return;
      }
    } catch (...) {
      std::lock_guard<std::mutex> lock(mutex_);
      error_ = std::current_exception();
      done_ = true;
      changed_.notify_all();
    }
  }

  ByteSource source_;
  const std::size_t chunk_;
  const std::size_t depth_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::string> ready_;
  std::vector<std::string> spare_;  // chunks the caller has read
  std::size_t offset_ = 0;          // into ready_.front()
  bool done_ = false;               // the reader has reached the end or failed
  bool stop_ = false;               // the caller has gone
  std::exception_ptr error_;
  std::thread reader_;  // last: it starts once everything above exists
};

}  // namespace

ByteSource ReadAhead(ByteSource source, std::size_t chunk, std::size_t depth) {
  auto pipe = std::make_shared<Pipe>(std::move(source), chunk, std::max<std::size_t>(depth, 1));
  return [pipe](char* buffer, std::size_t capacity) { return pipe->Read(buffer, capacity); };
}

}  // namespace data::xlsx
