#include "common/program_files.h"

#include <filesystem>

namespace common {
namespace fs = std::filesystem;

std::string ProgramFolder() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::current_path().string() : exe.parent_path().string();
}

std::string InstalledShareFolder(const std::string& program_folder) {
  const fs::path program(program_folder);
  if (program.filename() != "bin") return {};
  const fs::path share = program.parent_path() / "share" / "scorestat";
  std::error_code ec;
  return fs::is_directory(share, ec) ? share.string() : std::string();
}

std::string ProgramFilesFolder() {
  const std::string program = ProgramFolder();
  const std::string share = InstalledShareFolder(program);
  return share.empty() ? program : share;
}

}  // namespace common
