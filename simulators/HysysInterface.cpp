#include "simulators/HysysInterface.h"

#include "automation/Servers.h"
#include "base/NumberFormat.h"

namespace velm {

TVariant HysysApp;

bool ConnectHysys() {
  try {
    HysysApp = AttachToRunning("HYSYS.Application");
    HysysApp.Get("Version");
    return true;
  } catch (const std::exception& e) {
    ShowSimulatorMessage(QStringLiteral("Hysys错误！"), QString::fromStdString(e.what()));
    return false;
  }
}

bool GetHysysColumns(TStrings& list) {
  if (!ConnectHysys()) return false;
  // The path is resolved again from the application for every position, as the simulator's
  // collections may be rebuilt between two calls.
  const auto columns = [] {
    return HysysApp.Get("ActiveDocument").Get("Flowsheet").Get("Operations", {"ColumnOp"});
  };
  const int count = columns().Get("Count").ToInt();
  for (int i = 0; i < count; ++i) {
    const std::string name = columns().Get("Item", {i}).Get("Name").ToString();
    if (list.IndexOfNoCase(name) < 0) list.Add(name);
  }
  return true;
}

namespace {

// The stage collection of column `columnName` of the active case.
TVariant ColumnStages(const std::string& columnName) {
  return HysysApp.Get("ActiveDocument")
      .Get("Flowsheet")
      .Get("Operations")
      .Get("Item", {columnName})
      .Get("ColumnFlowsheet")
      .Get("ColumnStages");
}

}  // namespace

void GetHysysStageData(const std::string& columnName, int stageIndex, TStrings* list) {
  if (!ConnectHysys()) return;
  const TVariant stages = ColumnStages(columnName);
  const int n = stages.Get("Count").ToInt();
  // Automatic: every stage but the first and the last of the collection (condenser and
  // reboiler of a column with both).
  const long long first = stageIndex < 0 ? 1 : stageIndex;
  const long long last = stageIndex < 0 ? n - 2LL : stageIndex;

  double maxV = 0, dv = 0, vv = 0;
  double maxL = 0, dl = 0, vl = 0, sl = 0;
  long long stageV = 0, stageL = 0;
  for (long long i = first; i <= last; ++i) {
    const double fv =
        stages.Get("Item", {i}).Get("SeparationStage").Get("Vapour").Get("MassFlow").ToDouble();
    if (fv > maxV) {
      maxV = fv;
      stageV = i;
      const TVariant vapour = stages.Get("Item", {i}).Get("SeparationStage").Get("Vapour");
      dv = vapour.Get("MassDensity").ToDouble();
      vv = vapour.Get("VapourPhase").Get("Viscosity").ToDouble() / 1000;  // cP -> Pa s
    }
    const double fl =
        stages.Get("Item", {i}).Get("SeparationStage").Get("Liquid").Get("MassFlow").ToDouble();
    if (fl > maxL) {
      maxL = fl;
      stageL = i;
      const TVariant liquid = stages.Get("Item", {i}).Get("SeparationStage").Get("Liquid");
      dl = liquid.Get("MassDensity").ToDouble();
      vl = liquid.Get("LightLiquidPhase").Get("Viscosity").ToDouble() / 1000;       // cP -> Pa s
      sl = liquid.Get("LightLiquidPhase").Get("SurfaceTension").ToDouble() / 1000;  // -> N/m
    }
  }
  // A side that no stage supplied would import zeros as densities, viscosities and surface
  // tension: nothing is listed, so that nothing is written, and the user is told why.
  if (maxV <= 0 || maxL <= 0) {
    const std::string side = maxV <= 0 && maxL <= 0 ? "气相和液相" : maxV <= 0 ? "气相" : "液相";
    std::string text = "塔器“" + columnName + "”";
    if (first > last)
      text += "共有 " + std::to_string(n) +
              " 块塔板，自动查找不计首末两块，没有可查找的塔板；请选“指定”并给出塔板编号。";
    else if (stageIndex < 0)
      text += "第 " + std::to_string(first) + " 至 " + std::to_string(last) + " 块塔板中没有" +
              side + "流量大于零的塔板。";
    else
      text += "第 " + std::to_string(stageIndex) + " 块塔板的" + side + "流量不大于零。";
    ShowSimulatorMessage(QString::fromStdString(text + "没有读取任何数据。"));
    return;
  }
  if (!list) return;
  list->Add("MaxVNo=" + std::to_string(stageV));
  list->Add("Fv=" + FormatField(maxV));
  list->Add("Dv=" + FormatField(dv));
  list->Add("Vv=" + FormatField(vv));
  list->Add("  ");
  list->Add("MaxLNo=" + std::to_string(stageL));
  list->Add("Fl=" + FormatField(maxL));
  list->Add("Dl=" + FormatField(dl));
  list->Add("Vl=" + FormatField(vl));
  list->Add("Sl=" + FormatField(sl));
}

std::vector<TStageLoads> GetHysysColumnStages(const std::string& columnName) {
  std::vector<TStageLoads> out;
  if (!ConnectHysys()) return out;
  const TVariant stages = ColumnStages(columnName);
  const int n = stages.Get("Count").ToInt();
  for (long long i = 0; i < n; ++i) {
    const TVariant stage = stages.Get("Item", {i});
    const TVariant sep = stage.Get("SeparationStage");
    const TVariant vapour = sep.Get("Vapour");
    const TVariant liquid = sep.Get("Liquid");
    TStageLoads s;
    s.Name = stage.Get("Name").ToString();
    s.GasFlow = vapour.Get("MassFlow").ToDouble();
    s.LiquidFlow = liquid.Get("MassFlow").ToDouble();
    if (s.GasFlow > 0) {
      s.GasDensity = vapour.Get("MassDensity").ToDouble();
      s.GasViscosity = vapour.Get("VapourPhase").Get("Viscosity").ToDouble() / 1000;  // cP
    }
    if (s.LiquidFlow > 0) {
      s.LiquidDensity = liquid.Get("MassDensity").ToDouble();
      s.LiquidViscosity = liquid.Get("LightLiquidPhase").Get("Viscosity").ToDouble() / 1000;
      s.SurfaceTension = liquid.Get("LightLiquidPhase").Get("SurfaceTension").ToDouble() / 1000;
    }
    out.push_back(std::move(s));
  }
  return out;
}

void ReleaseHysys() { HysysApp.Clear(); }

}  // namespace velm
