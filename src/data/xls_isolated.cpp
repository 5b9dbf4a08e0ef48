#include "data/xls_isolated.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "data/xls_reader.h"

namespace data {
namespace {

// The pipe's format: 'W' sheets… 'Z' for a workbook, 'E' kind message 'Z'
// for an error; the closing 'Z' tells a complete answer from a cut one.
class Writer {
 public:
  void Byte(char c) { out_ += c; }
  void U64(std::uint64_t v) { out_.append(reinterpret_cast<const char*>(&v), sizeof v); }
  void Text(std::string_view s) {
    U64(s.size());
    out_.append(s);
  }
  void Number(double d) { out_.append(reinterpret_cast<const char*>(&d), sizeof d); }
  const std::string& bytes() const { return out_; }

 private:
  std::string out_;
};

class Reader {
 public:
  explicit Reader(const std::string& in) : in_(in) {}
  char Byte() {
    Need(1);
    return in_[pos_++];
  }
  std::uint64_t U64() {
    std::uint64_t v;
    Take(&v, sizeof v);
    return v;
  }
  std::string_view Text() {
    const std::uint64_t n = U64();
    Need(n);
    std::string_view s(in_.data() + pos_, n);
    pos_ += n;
    return s;
  }
  double Number() {
    double d;
    Take(&d, sizeof d);
    return d;
  }

 private:
  struct Short {};
  void Need(std::uint64_t n) {
    if (n > in_.size() - pos_) throw Short{};
  }
  void Take(void* out, size_t n) {
    Need(n);
    std::memcpy(out, in_.data() + pos_, n);
    pos_ += n;
  }
  const std::string& in_;
  size_t pos_ = 0;

 public:
  using Truncated = Short;
};

std::string Serialize(const Workbook& book) {
  Writer w;
  w.Byte('W');
  w.U64(book.sheets().size());
  for (const Sheet& sheet : book.sheets()) {
    w.Text(sheet.name());
    w.U64(sheet.rows());
    w.U64(sheet.cols());
    for (size_t r = 0; r < sheet.rows(); ++r) {
      for (size_t c = 0; c < sheet.cols(); ++c) {
        const CellValue v = sheet.At(r, c);
        w.Byte(static_cast<char>(v.kind));
        if (v.kind == CellKind::kNumber) w.Number(v.number);
        if (v.kind == CellKind::kText) w.Text(v.text);
      }
    }
  }
  w.Byte('Z');
  return w.bytes();
}

std::string SerializeError(const WorkbookError& e) {
  Writer w;
  w.Byte('E');
  w.U64(static_cast<std::uint64_t>(e.kind()));
  w.Text(e.what());
  w.Byte('Z');
  return w.bytes();
}

Workbook Deserialize(const std::string& bytes) {
  Reader r(bytes);
  const char tag = r.Byte();
  if (tag == 'E') {
    const auto kind = static_cast<WorkbookError::Kind>(r.U64());
    const std::string message(r.Text());
    if (r.Byte() != 'Z') throw Reader::Truncated{};
    throw WorkbookError(kind, message);
  }
  if (tag != 'W') throw Reader::Truncated{};
  Workbook book;
  for (std::uint64_t n = r.U64(); n > 0; --n) {
    Sheet& sheet = book.AddSheet(std::string(r.Text()));
    const std::uint64_t rows = r.U64(), cols = r.U64();
    for (std::uint64_t row = 0; row < rows; ++row) {
      for (std::uint64_t col = 0; col < cols; ++col) {
        switch (static_cast<CellKind>(r.Byte())) {
          case CellKind::kNumber:
            sheet.SetNumber(row, col, r.Number());
            break;
          case CellKind::kText:
            sheet.SetText(row, col, r.Text());
            break;
          default:
            break;
        }
      }
    }
  }
  if (r.Byte() != 'Z') throw Reader::Truncated{};
  return book;
}

void WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

std::string ReadAll(int fd) {
  std::string bytes;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  return bytes;
}

[[noreturn]] void RunChild(int fd, const std::function<Workbook()>& read) {
  std::string answer;
  try {
    answer = Serialize(read());
  } catch (const WorkbookError& e) {
    answer = SerializeError(e);
  } catch (...) {
    ::_exit(3);
  }
  WriteAll(fd, answer);
  ::close(fd);
  // _exit: the parent's atexit handlers and buffers are not the child's to run.
  ::_exit(0);
}

WorkbookError Damaged(const std::string& path) {
  return WorkbookError(WorkbookError::Kind::kCorrupt,
                       "工作簿已损坏，读取时出错（文件中的数据不合格式）：" + path);
}

}  // namespace

Workbook ReadXlsIsolated(const std::string& path, const ReadOptions& options) {
  return ReadIsolated([&] { return ReadXls(path, options); }, path);
}

Workbook ReadIsolated(const std::function<Workbook()>& read, const std::string& path) {
  int fds[2];
  if (::pipe(fds) != 0) return read();
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(fds[0]);
    ::close(fds[1]);
    return read();
  }
  if (child == 0) {
    ::close(fds[0]);
    RunChild(fds[1], read);
  }
  ::close(fds[1]);
  const std::string bytes = ReadAll(fds[0]);
  ::close(fds[0]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw Damaged(path);
  try {
    return Deserialize(bytes);
  } catch (const Reader::Truncated&) {
    throw Damaged(path);
  }
}

}  // namespace data
