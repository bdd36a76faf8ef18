#pragma once
// A private folder for one test's files, removed with everything in it when the test ends, so
// that no test leaves files behind in the system's temporary folder.
#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace velm::test {

class TTempDir {
 public:
  TTempDir() {
    std::string name = (std::filesystem::temp_directory_path() / "velm-test-XXXXXX").string();
    if (!::mkdtemp(name.data())) throw std::runtime_error("cannot make a temporary folder");
    FPath = name;
  }
  ~TTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(FPath, ec);
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  const std::string& Path() const { return FPath; }
  std::string File(const std::string& name) const { return FPath + "/" + name; }

 private:
  std::string FPath;
};

}  // namespace velm::test
