#include "grid/zip_pack.h"

#include <zip.h>
#include <zlib.h>

#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <limits>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace grid::xlsx {
namespace {

// Level 1 deflates a sheet's text four times as fast as the default and
// leaves it about a third larger; the sheets are most of a workbook's time.
constexpr int kDeflateLevel = 1;
// Pieces queued for the packing thread before the writer waits for it.
constexpr std::size_t kQueuedBytes = 8u << 20;
constexpr std::uint16_t kDosDate1980 = (0 << 9) | (1 << 5) | 1;  // 1 January 1980
constexpr std::uint64_t kMax32 = std::numeric_limits<std::uint32_t>::max();

struct Entry {
  std::string name;
  std::uint16_t method = 0;
  std::uint32_t crc = 0;
  std::uint64_t compressed = 0, size = 0, offset = 0;
};

void Put16(std::string& out, std::uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// What the local and the central header of a member share, from the
// version needed to the name's length.
void PutDescription(std::string& h, const Entry& e) {
  Put16(h, 20);  // version needed: deflate
  Put16(h, 0);   // flags
  Put16(h, e.method);
  Put16(h, 0);  // time
  Put16(h, kDosDate1980);
  Put32(h, e.crc);
  Put32(h, static_cast<std::uint32_t>(e.compressed));
  Put32(h, static_cast<std::uint32_t>(e.size));
  Put16(h, static_cast<std::uint32_t>(e.name.size()));
}

std::string LocalHeader(const Entry& e) {
  std::string h;
  Put32(h, 0x04034b50);
  PutDescription(h, e);
  Put16(h, 0);  // extra
  return h + e.name;
}

std::string CentralHeader(const Entry& e) {
  std::string h;
  Put32(h, 0x02014b50);
  Put16(h, 20);  // made by: MS-DOS attributes
  PutDescription(h, e);
  for (int i = 0; i < 4; ++i) Put16(h, 0);  // extra, comment, disk, internal attributes
  Put32(h, 0);                              // external attributes
  Put32(h, static_cast<std::uint32_t>(e.offset));
  return h + e.name;
}

}  // namespace

struct ZipPacker::Impl {
  struct Piece {
    enum class Kind { kBegin, kData, kEnd, kStop } kind;
    std::string bytes;  // the name for kBegin
  };

  std::FILE* file = nullptr;
  std::string path;
  std::string error;  // the first failure; the packing thread's until joined
  std::map<std::string, Entry> written;

  std::mutex mutex;
  std::condition_variable changed;
  std::deque<Piece> queue;
  std::size_t queued_bytes = 0;
  std::thread thread;

  // The packing thread's member in progress.
  Entry current;
  bool open = false;  // z holds a member's stream
  z_stream z{};
  std::vector<unsigned char> out = std::vector<unsigned char>(1u << 18);

  void Push(Piece piece) {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return queued_bytes < kQueuedBytes; });
    queued_bytes += piece.bytes.size();
    queue.push_back(std::move(piece));
    changed.notify_all();
  }

  void Run() {
    for (;;) {
      Piece piece;
      {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return !queue.empty(); });
        piece = std::move(queue.front());
        queue.pop_front();
        queued_bytes -= piece.bytes.size();
        changed.notify_all();
      }
      if (piece.kind == Piece::Kind::kStop) {
        if (open) deflateEnd(&z);  // a sheet given up half-written
        return;
      }
      if (!error.empty()) continue;  // drain the queue
      if (piece.kind == Piece::Kind::kBegin) StartMember(std::move(piece.bytes));
      if (piece.kind == Piece::Kind::kData) Deflate(piece.bytes, Z_NO_FLUSH);
      if (piece.kind == Piece::Kind::kEnd) FinishMember();
    }
  }

  bool Write(const void* data, std::size_t size) {
    if (error.empty() && std::fwrite(data, 1, size, file) != size) error = "无法写入文件：" + path;
    return error.empty();
  }

  void StartMember(std::string name) {
    current = Entry{std::move(name), Z_DEFLATED};
    current.offset = static_cast<std::uint64_t>(ftello(file));
    open = deflateInit2(&z, kDeflateLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    if (!open) error = "无法压缩工作表。";
    const std::string header = LocalHeader(current);  // sizes filled in at the end
    Write(header.data(), header.size());
  }

  void Deflate(const std::string& bytes, int flush) {
    current.crc = static_cast<std::uint32_t>(
        crc32_z(current.crc, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
    current.size += bytes.size();
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    z.avail_in = static_cast<uInt>(bytes.size());
    int status = Z_OK;
    do {
      z.next_out = out.data();
      z.avail_out = static_cast<uInt>(out.size());
      status = deflate(&z, flush);
      const std::size_t made = out.size() - z.avail_out;
      current.compressed += made;
      Write(out.data(), made);
    } while (z.avail_out == 0 || (flush == Z_FINISH && status != Z_STREAM_END));
  }

  void FinishMember() {
    Deflate({}, Z_FINISH);
    deflateEnd(&z);
    open = false;
    if (current.size > kMax32 || current.compressed > kMax32 || current.offset > kMax32)
      error = "工作表太大，无法写入 Excel 文件。";
    const std::string header = LocalHeader(current);
    const off_t end = ftello(file);
    if (fseeko(file, static_cast<off_t>(current.offset), SEEK_SET) != 0 ||
        !Write(header.data(), header.size()) || fseeko(file, end, SEEK_SET) != 0)
      if (error.empty()) error = "无法写入文件：" + path;
    written[current.name] = current;
  }

  // One member of the library's zip, its compressed bytes as they are.
  Status CopyMember(zip_t* archive, zip_uint64_t index, Entry& entry) {
    zip_stat_t st;
    if (zip_stat_index(archive, index, 0, &st) != 0)
      return Status::Error("无法读取临时工作簿：" + path);
    entry = {st.name,      st.comp_method, st.crc,
             st.comp_size, st.size,        static_cast<std::uint64_t>(ftello(file))};
    const std::string header = LocalHeader(entry);
    Write(header.data(), header.size());
    zip_file_t* member = zip_fopen_index(archive, index, ZIP_FL_COMPRESSED);
    if (!member) return Status::Error("无法读取临时工作簿：" + path);
    std::vector<char> buffer(1u << 16);
    for (zip_int64_t n; (n = zip_fread(member, buffer.data(), buffer.size())) > 0;)
      Write(buffer.data(), static_cast<std::size_t>(n));
    zip_fclose(member);
    return Status::Ok();
  }
};

ZipPacker::ZipPacker(const std::string& path) : impl_(std::make_unique<Impl>()) {
  impl_->path = path;
  impl_->file = std::fopen(path.c_str(), "wb");
  if (!impl_->file) impl_->error = "无法写入文件：" + path;
  impl_->thread = std::thread([this] { impl_->Run(); });
}

ZipPacker::~ZipPacker() {
  if (impl_->thread.joinable()) {
    impl_->Push({Impl::Piece::Kind::kStop, {}});
    impl_->thread.join();
  }
  if (impl_->file) std::fclose(impl_->file);
}

void ZipPacker::Begin(const std::string& name) {
  impl_->Push({Impl::Piece::Kind::kBegin, name});
}

void ZipPacker::Add(std::string&& piece) {
  impl_->Push({Impl::Piece::Kind::kData, std::move(piece)});
}

void ZipPacker::End() {
  impl_->Push({Impl::Piece::Kind::kEnd, {}});
}

Status ZipPacker::Finish(const std::string& library_zip) {
  Impl& p = *impl_;
  p.Push({Impl::Piece::Kind::kStop, {}});
  p.thread.join();
  if (!p.error.empty()) return Status::Error(p.error);
  int zip_error = 0;
  zip_t* archive = zip_open(library_zip.c_str(), ZIP_RDONLY, &zip_error);
  if (!archive) return Status::Error("无法读取临时工作簿：" + library_zip);
  std::vector<Entry> entries;
  Status copied = Status::Ok();
  const zip_int64_t count = zip_get_num_entries(archive, 0);
  for (zip_int64_t i = 0; i < count && copied; ++i) {
    const char* name = zip_get_name(archive, static_cast<zip_uint64_t>(i), 0);
    if (name != nullptr && p.written.count(name)) {
      entries.push_back(p.written[name]);
      continue;
    }
    copied = p.CopyMember(archive, static_cast<zip_uint64_t>(i), entries.emplace_back());
  }
  zip_close(archive);
  if (!copied) return copied;
  const auto directory = static_cast<std::uint64_t>(ftello(p.file));
  std::string tail;
  for (const Entry& e : entries) tail += CentralHeader(e);
  if (directory + tail.size() > kMax32) return Status::Error("工作簿太大，无法写入 Excel 文件。");
  const std::string central = tail;
  Put32(tail, 0x06054b50);
  Put16(tail, 0);
  Put16(tail, 0);
  Put16(tail, static_cast<std::uint32_t>(entries.size()));
  Put16(tail, static_cast<std::uint32_t>(entries.size()));
  Put32(tail, static_cast<std::uint32_t>(central.size()));
  Put32(tail, static_cast<std::uint32_t>(directory));
  Put16(tail, 0);
  p.Write(tail.data(), tail.size());
  if (std::fclose(p.file) != 0 && p.error.empty()) p.error = "无法写入文件：" + p.path;
  p.file = nullptr;
  if (!p.error.empty()) return Status::Error(p.error);
  return Status::Ok();
}

}  // namespace grid::xlsx
