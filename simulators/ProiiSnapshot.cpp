#include "simulators/ProiiSnapshot.h"

#include <set>
#include <stdexcept>

#include "automation/AutoObject.h"
#include "base/Decimal.h"
#include "simulators/JsonInput.h"

namespace velm {
namespace {

using nlohmann::json;
using L = TProiiSnapshotLimits;

TProiiPhase ReadPhase(const json& j, bool vapour, const std::string& prefix,
                      const std::string& where) {
  using namespace jsonin;
  RequireObject(j, prefix, where);
  const auto num = [&](const char* key, bool positive) {
    const double v = Number(Member(j, key, prefix, where), prefix, where + "." + key);
    if (v < 0 || (positive && v == 0))
      Fail(prefix, where + "." + key, positive ? "应为正数" : "不能为负");
    return v;
  };
  TProiiPhase p;
  p.Temperature = num("temperature_K", true);
  p.Pressure = num("pressure_Pa", true);
  p.MolarRate = num("molarRate_kmol_s", false);
  p.MolecularWeight = num("molecularWeight_kg_kmol", true);
  p.Density = num("density_kg_m3", true);
  p.Viscosity = num("viscosity_Pa_s", true);
  if (!vapour || Optional(j, "surfaceTension_N_m", prefix, where))
    p.SurfaceTension = num("surfaceTension_N_m", false);
  p.ThermalCond = num("thermalConductivity_W_mK", true);
  return p;
}

}  // namespace

TProiiSnapshot ParseProiiSnapshot(std::string_view text, const std::string& fileName) {
  using namespace jsonin;
  const std::string prefix = "PROII 快照文件“" + fileName + "”：";
  // A simulator's own files are binary; say so instead of reporting a JSON syntax error.
  const std::string_view start = Trim(text.substr(0, 64));
  if (start.empty() || start.front() != '{')
    throw std::runtime_error(prefix +
                             "不是快照文件。本程序只读取 JSON 格式的模拟快照，不能直接打开 "
                             ".prz/.pr1 模拟文件");
  const json doc = Parse(text, L::MaxDepth, prefix);
  CheckFormat(doc, "velm-proii-snapshot", 1, prefix);

  TProiiSnapshot s;
  if (const json* t = Optional(doc, "title", prefix, "")) s.Title = Text(*t, 1000, prefix, "title");
  if (const json* st = Optional(doc, "status", prefix, ""))
    s.Status = static_cast<int>(Integer(*st, prefix, "status"));
  const json& cols = Array(Member(doc, "columns", prefix, ""), L::MaxColumns, prefix, "columns");
  std::set<std::string> names;
  for (size_t i = 0; i < cols.size(); ++i) {
    const std::string w = "columns[" + std::to_string(i) + "]";
    const json& cj = cols[i];
    TProiiColumn c;
    c.Name = Text(Member(cj, "name", prefix, w), L::MaxNameLength, prefix, w + ".name");
    if (c.Name.empty()) Fail(prefix, w + ".name", "名称不能为空");
    if (!names.insert(LowerAscii(c.Name)).second)
      Fail(prefix, w + ".name", "塔器名称重复：" + c.Name);
    const long long n =
        Integer(Member(cj, "numberOfTrays", prefix, w), prefix, w + ".numberOfTrays");
    if (n < 1 || n > L::MaxTrays)
      Fail(prefix, w + ".numberOfTrays",
           "塔板数应在 1 到 " + std::to_string(L::MaxTrays) + " 之间");
    c.NumberOfTrays = static_cast<int>(n);
    c.RefluxRatio = Number(Member(cj, "refluxRatio", prefix, w), prefix, w + ".refluxRatio");
    if (const json* hs = Optional(cj, "heaters", prefix, w)) {
      Array(*hs, L::MaxHeaters, prefix, w + ".heaters");
      for (size_t k = 0; k < hs->size(); ++k) {
        const std::string hw = w + ".heaters[" + std::to_string(k) + "]";
        c.Heaters.push_back(
            {Text(Member((*hs)[k], "name", prefix, hw), L::MaxNameLength, prefix, hw + ".name"),
             Number(Member((*hs)[k], "duty_W", prefix, hw), prefix, hw + ".duty_W")});
      }
    }
    if (const json* fs = Optional(cj, "feeds", prefix, w)) {
      Array(*fs, L::MaxFeeds, prefix, w + ".feeds");
      for (size_t k = 0; k < fs->size(); ++k) {
        const std::string fw = w + ".feeds[" + std::to_string(k) + "]";
        TProiiFeed f;
        if (const json* nm = Optional((*fs)[k], "name", prefix, fw))
          f.Name = Text(*nm, L::MaxNameLength, prefix, fw + ".name");
        const long long t = Integer(Member((*fs)[k], "tray", prefix, fw), prefix, fw + ".tray");
        if (t < 1 || t > n)
          Fail(prefix, fw + ".tray", "进料板应在 1 到 " + std::to_string(n) + " 之间");
        f.Tray = static_cast<int>(t);
        c.Feeds.push_back(std::move(f));
      }
    }
    const json& ts = Array(Member(cj, "trays", prefix, w), L::MaxTrays, prefix, w + ".trays");
    if (static_cast<long long>(ts.size()) != n)
      Fail(prefix, w + ".trays",
           "应有 " + std::to_string(n) + " 块塔板的数据，文件中有 " + std::to_string(ts.size()) +
               " 块");
    c.Trays.resize(static_cast<size_t>(n));
    std::vector<bool> seen(static_cast<size_t>(n), false);
    for (size_t k = 0; k < ts.size(); ++k) {
      const std::string tw = w + ".trays[" + std::to_string(k) + "]";
      const long long t = Integer(Member(ts[k], "tray", prefix, tw), prefix, tw + ".tray");
      if (t < 1 || t > n || seen[static_cast<size_t>(t - 1)])
        Fail(prefix, tw + ".tray", "塔板号 " + std::to_string(t) + " 超出范围或重复");
      seen[static_cast<size_t>(t - 1)] = true;
      TProiiTray& tray = c.Trays[static_cast<size_t>(t - 1)];
      tray.Liquid = ReadPhase(Member(ts[k], "liquid", prefix, tw), false, prefix, tw + ".liquid");
      tray.Vapour = ReadPhase(Member(ts[k], "vapour", prefix, tw), true, prefix, tw + ".vapour");
    }
    s.Columns.push_back(std::move(c));
  }
  return s;
}

TProiiSnapshot ReadProiiSnapshot(const std::string& path) {
  return ParseProiiSnapshot(
      jsonin::ReadFileBounded(path, TProiiSnapshotLimits::MaxFileSize, "PROII 快照文件"), path);
}

}  // namespace velm
