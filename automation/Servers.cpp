#include "automation/Servers.h"

#include <map>
#include <mutex>

#include "automation/AutoObject.h"
#include "automation/Settings.h"

namespace velm {
namespace {

// Servers register from start-up code and tests; everything else runs on the user-interface
// thread, but a lock keeps registration from static initialisers safe as well.
std::mutex& TableLock() {
  static std::mutex m;
  return m;
}

std::map<std::string, TServerEntry, TNoCaseLess>& Table() {
  static std::map<std::string, TServerEntry, TNoCaseLess> t;
  return t;
}

std::optional<TServerEntry> Find(const std::string& name) {
  std::lock_guard lock(TableLock());
  auto it = Table().find(name);
  if (it == Table().end()) return std::nullopt;
  return it->second;
}

}  // namespace

void RegisterServer(const std::string& name, TServerEntry entry) {
  std::lock_guard lock(TableLock());
  Table()[name] = std::move(entry);
}

void UnregisterServer(const std::string& name) {
  std::lock_guard lock(TableLock());
  Table().erase(name);
}

TVariant AttachToRunning(const std::string& progId) {
  auto entry = Find(progId);
  if (!entry) throw TAutomationError("无效的类字符串“" + progId + "”", progId);
  if (!entry->Attach) throw TAutomationError("“" + progId + "”没有正在运行的实例", progId);
  TVariant v = entry->Attach();
  if (!v.IsObject()) throw TAutomationError("“" + progId + "”没有正在运行的实例", progId);
  return v;
}

TVariant CreateInstance(const std::string& progId) {
  auto entry = Find(progId);
  std::string problem;
  if (!entry) {
    // The class registration in the settings source: an entry whose ProgID is this one and
    // whose server key names an implementation the program knows.
    const TSettings settings = TSettings::Load();
    problem = settings.Problem();
    for (const std::string& id : settings.SubKeys("CLSID")) {
      const std::string key = "CLSID\\" + id;
      const auto prog = settings.Value(key + "\\ProgID");
      if (!prog || !SameTextNoCase(*prog, progId)) continue;
      const auto impl = settings.Value(key + "\\InprocServer32");
      if (!impl || impl->empty())
        throw TAutomationError("“" + progId + "”的类注册缺少服务器项 " + key + "\\InprocServer32",
                               progId);
      entry = Find(*impl);
      if (!entry)
        throw TAutomationError("“" + progId + "”注册的服务器“" + *impl + "”在本程序中不存在",
                               progId);
      break;
    }
  }
  if (!entry)
    throw TAutomationError(
        "无效的类字符串“" + progId + "”" + (problem.empty() ? "" : "（" + problem + "）"), progId);
  if (!entry->Create) throw TAutomationError("无法创建“" + progId + "”的实例", progId);
  TVariant v = entry->Create();
  if (!v.IsObject()) throw TAutomationError("无法创建“" + progId + "”的实例", progId);
  return v;
}

}  // namespace velm
