#pragma once
// A zip package (the container of .xlsx/.xltx workbooks) held in memory: its entries in their
// stored order, each as bytes. Reading is bounded, so that a damaged or hostile file gives an
// error and never exhausts memory; writing goes to a file beside the target, which then
// replaces the target in one step (an existing file stays untouched until the new one is
// complete).
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace velm::ooxml {

// Every failure of the workbook engine: the text names the file and says what is wrong.
class TOoxmlError : public std::runtime_error {
 public:
  explicit TOoxmlError(const std::string& what) : std::runtime_error(what) {}
};

struct TPackageLimits {
  std::size_t MaxEntries = 10000;
  std::uint64_t MaxEntrySize = 64ull << 20;   // one uncompressed entry [bytes]
  std::uint64_t MaxTotalSize = 256ull << 20;  // all entries together [bytes]
};

class TPackage {
 public:
  // Reads every file entry of the zip at `path` (directory entries are skipped). Throws
  // TOoxmlError when the file is missing, not a zip, encrypted, inconsistent or over the limits.
  static TPackage Read(const std::string& path, const TPackageLimits& limits = {});

  bool Has(const std::string& name) const;
  // The entry's bytes; throws when there is no such entry.
  const std::string& Get(const std::string& name) const;
  // Replaces an entry or appends a new one.
  void Set(const std::string& name, std::string bytes);
  void Remove(const std::string& name);
  const std::vector<std::pair<std::string, std::string>>& Entries() const { return FEntries; }

  // Writes the package as a zip to `path`: first to a new file beside it, then renamed over
  // it. On failure nothing is left behind and the old file is unchanged. `fixedTime` gives
  // every entry the same time stamp (reproducible builds); otherwise the current time.
  void Write(const std::string& path, bool fixedTime = false) const;

 private:
  std::vector<std::pair<std::string, std::string>> FEntries;
};

}  // namespace velm::ooxml
