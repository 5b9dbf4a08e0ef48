#include "render/pdf_join.h"

#include <QFile>
#include <QSaveFile>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "render/pdf_file.h"

namespace render {
namespace {

// Object numbers of the joined file, per part and old number; 0 where a
// part's object is not copied (its catalog, information, page tree root).
using Numbering = std::vector<std::vector<int>>;

// The first part's page tree root, now holding every part's pages.
void WritePageRoot(const std::vector<std::unique_ptr<PdfFile>>& parts, const Numbering& numbering,
                   const ObjectSpan& root, PdfOutput& out) {
  const PdfFile& first = *parts.front();
  std::string kids = "[";
  std::size_t count = 0;
  for (std::size_t k = 0; k < parts.size(); ++k)
    for (int kid : parts[k]->Kids()) {
      kids += '\n' + std::to_string(numbering[k][static_cast<std::size_t>(kid)]) + " 0 R";
      ++count;
    }
  kids += "\n]";
  WriteObjectReplacing(first, root,
                       {{first.KidsSpan(), kids}, {first.CountSpan(), std::to_string(count)}},
                       numbering[0], out);
}

Numbering NumberObjects(const std::vector<std::unique_ptr<PdfFile>>& parts) {
  Numbering numbering(parts.size());
  int next = 1;
  for (std::size_t k = 0; k < parts.size(); ++k) {
    const PdfFile& part = *parts[k];
    std::vector<int> skipped;
    if (k > 0) {
      skipped = part.CatalogRefs();
      skipped.insert(skipped.end(), {part.Root(), part.Info(), part.Pages()});
    }
    numbering[k].assign(static_cast<std::size_t>(part.Size()), 0);
    for (int n = 1; n < part.Size(); ++n)
      if (part.Has(n) && std::find(skipped.begin(), skipped.end(), n) == skipped.end())
        numbering[k][static_cast<std::size_t>(n)] = next++;
    // The other parts' pages name the first part's root as their parent.
    if (k > 0)
      numbering[k][static_cast<std::size_t>(part.Pages())] =
          numbering[0][static_cast<std::size_t>(parts[0]->Pages())];
  }
  return numbering;
}

// `current` names the part being read, for the message.
void Join(const std::vector<std::unique_ptr<PdfFile>>& parts, std::size_t& current,
          PdfOutput& out) {
  const Numbering numbering = NumberObjects(parts);
  const PdfFile& first = *parts.front();
  std::vector<std::size_t> offsets(1);
  out.Write(first.Data().substr(0, first.HeaderEnd()));
  for (current = 0; current < parts.size(); ++current) {
    const PdfFile& part = *parts[current];
    const std::vector<int>& numbers = numbering[current];
    for (int n = 1; n < part.Size(); ++n) {
      const int number = numbers[static_cast<std::size_t>(n)];
      if (number == 0 || (current > 0 && n == part.Pages())) continue;
      const ObjectSpan object = part.Locate(n);
      offsets.resize(std::max(offsets.size(), static_cast<std::size_t>(number) + 1));
      offsets[static_cast<std::size_t>(number)] = out.Pos();
      out.Write(std::to_string(number) + " 0 obj");
      if (current == 0 && n == part.Pages()) {
        WritePageRoot(parts, numbering, object, out);
      } else {
        WriteRenumbered(part, {object.body, object.body_end}, numbers, out);
        out.Write(part.Text({object.body_end, object.end}));
      }
      out.Write("\n");
    }
  }
  const auto& first_numbers = numbering.front();
  WritePdfTail(first.Id(), first_numbers[static_cast<std::size_t>(first.Root())],
               first.Info() > 0 ? first_numbers[static_cast<std::size_t>(first.Info())] : 0,
               offsets, out);
}

QString Utf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

grid::Status JoinPdfs(std::span<const std::string> paths, const std::string& path) {
  if (paths.empty()) return grid::Status::Error("没有要合并的PDF");
  std::vector<std::unique_ptr<QFile>> files;
  std::vector<std::unique_ptr<PdfFile>> parts;
  std::size_t current = 0;
  try {
    for (current = 0; current < paths.size(); ++current) {
      auto& file = files.emplace_back(std::make_unique<QFile>(Utf8(paths[current])));
      if (!file->open(QIODevice::ReadOnly))
        RefusePdf("无法读取：" + file->errorString().toStdString());
      if (file->size() == 0) RefusePdf("文件是空的");
      const uchar* bytes = file->map(0, file->size());
      if (bytes == nullptr) RefusePdf("无法读取：" + file->errorString().toStdString());
      parts.push_back(std::make_unique<PdfFile>(
          std::string_view(reinterpret_cast<const char*>(bytes), file->size())));
    }
    QSaveFile file(Utf8(path));
    if (!file.open(QIODevice::WriteOnly))
      return grid::Status::Error("无法写入文件“" + path + "”：" + file.errorString().toStdString());
    PdfOutput out(file);
    Join(parts, current, out);
    if (!file.commit())
      return grid::Status::Error("写入PDF文件“" + path + "”时出错：" +
                                 file.errorString().toStdString());
  } catch (const PdfRefused& refused) {
    return grid::Status::Error("无法合并PDF“" + paths[std::min(current, paths.size() - 1)] + "”：" +
                               refused.why);
  }
  return grid::Status::Ok();
}

}  // namespace render
