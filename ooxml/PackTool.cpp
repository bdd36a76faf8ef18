// velm-pack OUT DIR: zips the parts of a workbook kept as files under DIR into the package OUT
// ("[Content_Types].xml" first, the rest in name order, fixed time stamps so the same sources
// give the same bytes), then opens the result as a workbook to prove it reads.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "ooxml/Workbook.h"

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  if (argc != 3) {
    std::cerr << "usage: velm-pack OUT DIR\n";
    return 2;
  }
  try {
    const fs::path dir = argv[2];
    std::vector<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(dir))
      if (e.is_regular_file()) names.push_back(fs::relative(e.path(), dir).generic_string());
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
      const bool ta = a == "[Content_Types].xml", tb = b == "[Content_Types].xml";
      return ta != tb ? ta : a < b;
    });
    velm::ooxml::TPackage package;
    for (const auto& name : names) {
      std::ifstream in(dir / name, std::ios::binary);
      std::ostringstream bytes;
      bytes << in.rdbuf();
      package.Set(name, bytes.str());
    }
    package.Write(argv[1], true);
    velm::ooxml::TWorkbook::Open(argv[1]);
  } catch (const std::exception& e) {
    std::cerr << "velm-pack: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
