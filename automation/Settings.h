#pragma once
// The settings source: a read-only tree of keys with named text values, standing in for the
// system registry. It is an INI file whose section names are key paths separated by "\" and
// whose entries are the key's values; "@" (or an empty name) is the key's default value:
//
//   [CLSID\{2F0A...}\ProgID]
//   @=Vendor.Server.12
//   [Simulators]
//   HysysCase=/home/me/cases/column.json
//
// Lines starting with ";" or "#" are comments. Key paths and value names are compared without
// regard to letter case; subkeys are listed in the order they first appear in the file, which
// is the "registry order". The program never writes the file.
//
// Where it is: the file named by the environment variable VELM_SETTINGS when that is set (for
// tests and scripts), else "velm/settings.ini" in the user's configuration folder
// ($XDG_CONFIG_HOME, or ~/.config).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velm {

class TSettings {
 public:
  // Files larger than this are not read (the source is then empty).
  static constexpr size_t MaxFileSize = 1 << 20;

  static std::string DefaultPath();
  // The settings at DefaultPath() as they are now; a missing or unreadable file is empty.
  static TSettings Load();
  static TSettings LoadFile(const std::string& path);
  static TSettings FromText(std::string_view text);

  // Why the file was not used although it exists (larger than MaxFileSize, not a regular file,
  // unreadable), naming it; empty when it was read or is missing. Callers that find no entry
  // they need say this too, so that an ignored file does not go unnoticed.
  const std::string& Problem() const { return FProblem; }

  // Names of the direct subkeys of `key` ("" = the root), in file order.
  std::vector<std::string> SubKeys(std::string_view key) const;
  // The value `name` of `key` ("" or "@" = the default value); nothing when absent.
  std::optional<std::string> Value(std::string_view key, std::string_view name = {}) const;
  bool HasKey(std::string_view key) const;

 private:
  struct TEntry {
    std::string Key, Name, Value;
  };
  std::vector<std::string> FKeys;  // every section, in file order
  std::vector<TEntry> FEntries;
  std::string FProblem;
};

}  // namespace velm
