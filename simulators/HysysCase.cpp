#include "simulators/HysysCase.h"

#include <stdexcept>

#include "automation/AutoObject.h"
#include "simulators/JsonInput.h"

namespace velm {
namespace {

using nlohmann::json;
using L = THysysCaseLimits;

THysysStream ReadStream(const json& j, bool liquid, const std::string& prefix,
                        const std::string& where) {
  using namespace jsonin;
  RequireObject(j, prefix, where);
  THysysStream s;
  s.MassFlow = Number(Member(j, "massFlow_kg_s", prefix, where), prefix, where + ".massFlow_kg_s");
  s.MassDensity =
      Number(Member(j, "massDensity_kg_m3", prefix, where), prefix, where + ".massDensity_kg_m3");
  if (s.MassDensity < 0) Fail(prefix, where + ".massDensity_kg_m3", "密度不能为负");
  if (const json* v = Optional(j, "viscosity_cP", prefix, where)) {
    s.Viscosity = Number(*v, prefix, where + ".viscosity_cP");
    if (*s.Viscosity < 0) Fail(prefix, where + ".viscosity_cP", "粘度不能为负");
  }
  if (const json* v = Optional(j, "surfaceTension_dyn_cm", prefix, where)) {
    if (!liquid) Fail(prefix, where, "汽相没有表面张力");
    s.SurfaceTension = Number(*v, prefix, where + ".surfaceTension_dyn_cm");
    if (*s.SurfaceTension < 0) Fail(prefix, where + ".surfaceTension_dyn_cm", "表面张力不能为负");
  }
  return s;
}

}  // namespace

THysysCase ParseHysysCase(std::string_view text, const std::string& fileName) {
  using namespace jsonin;
  const std::string prefix = "HYSYS 案例文件“" + fileName + "”：";
  const json doc = Parse(text, L::MaxDepth, prefix);
  CheckFormat(doc, "velm-hysys-case", 1, prefix);

  THysysCase c;
  if (const json* t = Optional(doc, "title", prefix, "")) c.Title = Text(*t, 1000, prefix, "title");
  const json& ops =
      Array(Member(doc, "operations", prefix, ""), L::MaxOperations, prefix, "operations");
  for (size_t i = 0; i < ops.size(); ++i) {
    const std::string where = "operations[" + std::to_string(i) + "]";
    THysysOperation op;
    op.Name =
        Text(Member(ops[i], "name", prefix, where), L::MaxNameLength, prefix, where + ".name");
    if (op.Name.empty()) Fail(prefix, where + ".name", "名称不能为空");
    op.Type =
        Text(Member(ops[i], "type", prefix, where), L::MaxNameLength, prefix, where + ".type");
    op.IsColumn = SameTextNoCase(op.Type, "ColumnOp");
    const json* stages = Optional(ops[i], "stages", prefix, where);
    if (op.IsColumn && !stages) Fail(prefix, where, "塔器操作缺少“stages”");
    if (!op.IsColumn && stages) Fail(prefix, where, "只有塔器操作（ColumnOp）才有“stages”");
    if (stages) {
      Array(*stages, L::MaxStages, prefix, where + ".stages");
      for (size_t k = 0; k < stages->size(); ++k) {
        const std::string sw = where + ".stages[" + std::to_string(k) + "]";
        const json& sj = (*stages)[k];
        THysysStage st;
        if (const json* n = Optional(sj, "name", prefix, sw))
          st.Name = Text(*n, L::MaxNameLength, prefix, sw + ".name");
        else
          st.Name = std::to_string(k + 1);
        st.Vapour = ReadStream(Member(sj, "vapour", prefix, sw), false, prefix, sw + ".vapour");
        st.Liquid = ReadStream(Member(sj, "liquid", prefix, sw), true, prefix, sw + ".liquid");
        op.Stages.push_back(std::move(st));
      }
    }
    c.Operations.push_back(std::move(op));
  }
  return c;
}

THysysCase ReadHysysCase(const std::string& path) {
  return ParseHysysCase(jsonin::ReadFileBounded(path, L::MaxFileSize, "HYSYS 案例文件"), path);
}

}  // namespace velm
