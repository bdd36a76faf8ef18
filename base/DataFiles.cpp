#include "base/DataFiles.h"

#include <system_error>

namespace velm {

namespace fs = std::filesystem;

fs::path ProgramDirectory() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  return exe.parent_path();
}

fs::path DataDirectory(const fs::path& programDir) {
  // "/usr/bin/" and "/usr/bin" name the same folder.
  fs::path dir = programDir.lexically_normal();
  if (!dir.empty() && !dir.has_filename()) dir = dir.parent_path();
  if (dir.filename() == "bin") {
    const fs::path shared = dir.parent_path() / "share" / kDataFolderName;
    std::error_code ec;
    if (fs::is_directory(shared, ec)) return shared;
  }
  return dir;
}

fs::path DataDirectory() { return DataDirectory(ProgramDirectory()); }

bool IsPortableLayout(const fs::path& programDir) {
  fs::path dir = programDir.lexically_normal();
  if (!dir.empty() && !dir.has_filename()) dir = dir.parent_path();
  return DataDirectory(dir) == dir;
}

}  // namespace velm
