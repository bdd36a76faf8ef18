#include "automation/Settings.h"

#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>

#include "automation/AutoObject.h"
#include "base/Decimal.h"
#include "base/SafeFiles.h"

namespace velm {
namespace {

// Key paths compare without regard to letter case, "/" is taken for "\", and separators at the
// ends or doubled are dropped, so "CLSID\\x\" and "clsid\x" are one key.
std::string NormKey(std::string_view key) {
  std::string out;
  for (char c : key) {
    if (c == '/') c = '\\';
    if (c == '\\' && (out.empty() || out.back() == '\\')) continue;
    out += c;
  }
  if (!out.empty() && out.back() == '\\') out.pop_back();
  return out;
}

std::string NormName(std::string_view name) {
  return name == "@" ? std::string() : std::string(name);
}

}  // namespace

std::string TSettings::DefaultPath() {
  if (const char* p = std::getenv("VELM_SETTINGS"); p && *p) return p;
  std::string dir;
  if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) {
    dir = x;
  } else if (const char* h = std::getenv("HOME"); h && *h) {
    dir = std::string(h) + "/.config";
  } else {
    return {};
  }
  return dir + "/velm/settings.ini";
}

TSettings TSettings::Load() { return LoadFile(DefaultPath()); }

TSettings TSettings::LoadFile(const std::string& path) {
  std::error_code missing;
  if (path.empty() || !std::filesystem::exists(path, missing)) return {};
  TSettings ignored;
  std::string text;
  try {
    // A pipe or device put in the file's place is refused instead of waited on.
    text = ReadDocument(path, static_cast<std::int64_t>(MaxFileSize));
  } catch (const TFileError& e) {
    ignored.FProblem = std::string("设置文件未使用：") + e.what();
    return ignored;
  }
  if (text.size() > MaxFileSize) {
    ignored.FProblem =
        "设置文件“" + path + "”大于 " + std::to_string(MaxFileSize >> 20) + " MB，未使用";
    return ignored;
  }
  return FromText(text);
}

TSettings TSettings::FromText(std::string_view text) {
  TSettings s;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // UTF-8 byte-order mark
  std::string section;
  bool inSection = false;
  std::set<std::string> keys;
  std::map<std::string, size_t> entries;
  while (!text.empty()) {
    const size_t eol = text.find('\n');
    std::string_view line = Trim(text.substr(0, eol));
    text = eol == std::string_view::npos ? std::string_view{} : text.substr(eol + 1);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      inSection = line.back() == ']';
      if (!inSection) continue;  // a broken header: its entries are skipped, not misfiled
      section = NormKey(Trim(line.substr(1, line.size() - 2)));
      if (keys.insert(LowerAscii(section)).second) s.FKeys.push_back(section);
      continue;
    }
    const size_t eq = line.find('=');
    if (!inSection || eq == std::string_view::npos) continue;
    std::string name = NormName(Trim(line.substr(0, eq)));
    std::string value(Trim(line.substr(eq + 1)));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    // A later line for the same value wins, as a second write would in the registry.
    const auto [it, added] =
        entries.emplace(LowerAscii(section) + '\n' + LowerAscii(name), s.FEntries.size());
    if (added)
      s.FEntries.push_back({section, std::move(name), std::move(value)});
    else
      s.FEntries[it->second].Value = std::move(value);
  }
  return s;
}

std::vector<std::string> TSettings::SubKeys(std::string_view key) const {
  const std::string k = NormKey(key);
  const std::string prefix = k.empty() ? std::string() : k + "\\";
  std::vector<std::string> out;
  for (const auto& path : FKeys) {
    if (path.size() <= prefix.size() || !SameTextNoCase(path.substr(0, prefix.size()), prefix))
      continue;
    std::string child = path.substr(prefix.size());
    child = child.substr(0, child.find('\\'));
    bool seen = false;
    for (const auto& c : out) seen = seen || SameTextNoCase(c, child);
    if (!seen) out.push_back(std::move(child));
  }
  return out;
}

std::optional<std::string> TSettings::Value(std::string_view key, std::string_view name) const {
  const std::string k = NormKey(key), n = NormName(name);
  for (const auto& e : FEntries)
    if (SameTextNoCase(e.Key, k) && SameTextNoCase(e.Name, n)) return e.Value;
  return std::nullopt;
}

bool TSettings::HasKey(std::string_view key) const {
  const std::string k = NormKey(key);
  for (const auto& path : FKeys)
    if (SameTextNoCase(path, k) ||
        (path.size() > k.size() && SameTextNoCase(path.substr(0, k.size() + 1), k + "\\")))
      return true;
  return false;
}

}  // namespace velm
