#include "core/Validity.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "base/Decimal.h"
#include "base/NumberFormat.h"
#include "base/TextCodec.h"
#include "core/Correlations.h"
#include "core/Methods.h"
#include "core/Rating.h"
#include "core/Services.h"
#include "core/methods/BilletSchultes.h"

namespace velm {

namespace {

// ---- limits, each with where it comes from ---------------------------------------------------

// Design percentage of flooding. Random packings are designed for 70-80 % of the flooding
// velocity (Kister, Distillation Design, McGraw-Hill 1992, Sec. 8.2; Eckert, Chem. Eng. Prog.
// 66(3), 1970). Above 90 % the column runs into the loading region with little margin; below
// 40 % the packing is poorly wetted and the column larger than it needs to be.
constexpr double kFloodPercentLow = 40.0, kFloodPercentHigh = 90.0;
// The rounded column may run this many points of flooding above the design before it is
// reported. Legacy: the nearest-size rule goes down to the next size for up to 24 mm in 50 mm
// steps. The literature basis rounds up, so the built column never runs above the design.
constexpr double kRoundingAllowance = 0.05, kRoundingAllowanceUp = 1e-9;
// Rating a given column: packed columns are designed for 70-80 % of flood (Kister, Distillation
// Design, 1992, Sec. 9.1; Strigle, Packed Tower Design and Applications, 1994), and their maximum
// operational capacity (kMaximumOperationalFraction, core/Rating.h) lies below the flood point.
constexpr double kDesignRangeHigh = 0.80;
// The built column is said to differ from the design point when its flood fraction is this much
// below the design fraction.
constexpr double kBuiltColumnNote = 0.005;

// Packing factors for which Kister & Gill's flooding pressure drop 0.115 Fp^0.7 [in H2O/ft] was
// fitted: 9 to 60 1/ft (Kister & Gill, Chem. Eng. Prog. 87(2), 1991). Above about 200 1/m the
// flooding pressure drop lies beyond the highest curve of the chart (1226 Pa/m).
constexpr double kKisterFpMin = 30.0, kKisterFpMax = 200.0;  // [1/m]

// Design pressure drop of random packings: by the service of the column (core/Services.cpp);
// without one, about 800 Pa/m (Sinnott, Coulson & Richardson's Chemical Engineering Vol. 6, 4th
// ed., 2005, Sec. 11.14.4: distillation at atmospheric and moderate pressure 40-80 mm H2O/m).
// An Eckert-type design should stay below 80 % of the flooding pressure drop of its packing,
// 0.115 Fp^0.7 in H2O/ft (Kister & Gill, Chem. Eng. Prog. 87(2), 1991): the generalized chart
// reads the same pressure drop for every packing at a given fraction of flooding, while the
// flooding pressure drop of a low-factor packing is far below the chart's flooding line.
constexpr double kNearFloodPressureDrop = 0.8;

// HETP of random packings in distillation, rule of thumb: HETP = 18 dn for the nominal size dn
// (1.5 ft per inch of size; Kister, Distillation Design, McGraw-Hill 1992, Sec. 11.2, after
// Harrison & France, Chem. Eng., April 1989). Onda's HETP more than this factor away from it
// either way deserves a look at the inputs.
constexpr double kHetpPerSize = 18.0, kHetpRuleFactor = 2.0;

// Wall channelling: the column should be at least ten times the nominal packing size (Strigle,
// Random Packings and Packed Towers, 2nd ed., Gulf 1994).
constexpr double kWallRatioMin = 10.0;

// A hand-entered wet packing factor this far (either way) from the selected packing's own is
// probably one kept from another packing.
constexpr double kFactorRatio = 3.0;

// Ranges of process fluids [SI]; values far outside are most likely entered in another unit than
// the one selected (property tables of Perry's Chemical Engineers' Handbook, 8th ed., Sec. 2:
// liquefied gases to heavy acids, deep vacuum to high-pressure vapours).
struct TPropertyRange {
  TField Field;
  double Low, High;
  const char* Unit;
};
constexpr TPropertyRange kPropertyRanges[] = {
    {TField::DlD, 300.0, 3000.0, "kg/m3"}, {TField::DvD, 0.001, 500.0, "kg/m3"},
    {TField::MlD, 1e-5, 2.0, "Pa.s"},      {TField::MvD, 3e-6, 1e-4, "Pa.s"},
    {TField::SLD, 1e-3, 0.5, "N/m"},       {TField::DlfD, 1e-11, 1e-7, "m2/s"},
    {TField::DvfD, 1e-7, 1e-2, "m2/s"},
};

// ---- helpers ---------------------------------------------------------------------------------

std::string Num(double x, int digits = 4) { return FormatGeneral(x, digits); }

// The packing numbers the checks need; a column that is not a number is empty (the run has
// reported that already).
struct TPackingView {
  std::optional<double> NominalSize, SpecificArea;  // [m], [m2/m3]
  std::optional<double> KpA, KpB, KfA, KfB;
  bool KpLogForm = false, KfLogForm = false;
  std::optional<double> Experimental;  // [1/m]
};

TPackingView ViewOf(const TPackingRecord& p) {
  const TPackingData d = PackingData(p);
  TPackingView v;
  v.NominalSize = d.NominalSize;
  v.SpecificArea = d.SpecificArea;
  if (d.KpForm) {
    v.KpLogForm = d.KpLogForm();
    v.KpA = d.KpA;
    v.KpB = d.KpB;
  }
  if (d.KfForm) {
    v.KfLogForm = d.KfLogForm();
    v.KfA = d.KfA;
    v.KfB = d.KfB;
  }
  v.Experimental = d.Experimental;
  return v;
}

// The packing's own fitted factor at liquid load X, or nothing when it cannot be formed.
std::optional<double> FitFactor(std::optional<double> A, std::optional<double> B, bool logForm,
                                double X) {
  if (!A || !B || !(X > 0.0)) return std::nullopt;
  try {
    return WetPackingFactor(*A, *B, logForm, X);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

class TCollector {
 public:
  void Add(const char* code, TFindingLevel level, TField field, std::string text) {
    Add(code, level, std::string(FieldName(field)), std::move(text));
  }
  void Add(const char* code, TFindingLevel level, std::string field, std::string text) {
    FList.push_back({code, level, std::move(field), std::move(text)});
  }
  std::vector<TFinding> Take() {
    std::stable_sort(FList.begin(), FList.end(), [](const TFinding& a, const TFinding& b) {
      return static_cast<int>(a.Level) < static_cast<int>(b.Level);
    });
    return std::move(FList);
  }

 private:
  std::vector<TFinding> FList;
};

using L = TFindingLevel;

// Inputs that cannot be physical, or are most likely in the wrong unit.
void CheckInputs(const TDesignCase& c, TCollector& out) {
  const TRunRecord& run = c.Latest;
  struct TInput {
    TField Field;
    double Value;
  };
  const TInput positive[] = {
      {TField::LD, c.LiquidFlow},       {TField::VD, c.GasFlow},
      {TField::DlD, c.LiquidDensity},   {TField::DvD, c.GasDensity},
      {TField::MlD, c.LiquidViscosity}, {TField::MvD, c.GasViscosity},
      {TField::SLD, c.SurfaceTension},  {TField::DlfD, c.LiquidDiffusivity},
      {TField::DvfD, c.GasDiffusivity},
  };
  auto valueOf = [&](TField f) {
    for (const TInput& i : positive)
      if (i.Field == f) return i.Value;
    return 0.0;
  };
  for (const TInput& i : positive) {
    if (run.WasRead(i.Field) && !(i.Value > 0.0))
      out.Add("input-not-positive", L::Error, i.Field,
              std::string(FieldCaption(i.Field)) + " = " + Num(i.Value) +
                  "，必须大于零。请检查输入数据。");
  }
  for (const TPropertyRange& r : kPropertyRanges) {
    const double v = valueOf(r.Field);
    if (run.WasRead(r.Field) && v > 0.0 && (v < r.Low || v > r.High))
      out.Add("property-range", L::Warning, r.Field,
              std::string(FieldCaption(r.Field)) + " " + Num(v) + " " + r.Unit + " 远离常见范围 " +
                  Num(r.Low) + "–" + Num(r.High) + " " + r.Unit + "，请检查单位。");
  }
  // A gas at least as dense as the liquid: no counter-current gas-liquid flow, and the density
  // ratio of both flooding correlations loses its meaning.
  if (run.WasRead(TField::DlD) && run.WasRead(TField::DvD) && c.LiquidDensity > 0.0 &&
      c.GasDensity > 0.0 && c.GasDensity >= c.LiquidDensity)
    out.Add("density-order", L::Error, TField::DvD,
            "气相密度 " + Num(c.GasDensity) + " kg/m3 不低于液相密度 " + Num(c.LiquidDensity) +
                " kg/m3，不是气液两相，结果无意义。请检查两个密度及其单位。");
  // lambda = m V / L: the ratio of the equilibrium line's slope to the operating line's; its
  // logarithm enters the HETP (Perry's Handbook, Sec. 14, HETP from HTUOV).
  if (run.WasRead(TField::LmdD) && !(c.Lambda > 0.0))
    out.Add("lambda-not-positive", L::Error, TField::LmdD,
            "参数λ = " + Num(c.Lambda) +
                " 不大于零，传质单元高度和等板高度无意义。λ = mV/L 必须为正，请检查平衡线斜率。");
  if (run.OptionsRead) {
    // The foaming factor scales the flooding velocity down (0.5 high, 0.8 moderate, 1.0 no
    // foaming; Kister, Distillation Design, 1992, system factors).
    if (!(c.FoamingFactor > 0.0 && c.FoamingFactor <= 1.0))
      out.Add("foaming-factor", L::Error, "AfD",
              "液体发泡系数 " + Num(c.FoamingFactor) +
                  " 超出 (0, 1]：它是泛点气速的折减系数，高泡沫取 0.5，中泡沫 0.8，无泡沫 1.0。");
    if (c.FloodPercent > 100.0)
      out.Add("flood-percent-over", L::Error, "fpercentD",
              "泛点预设 " + Num(c.FloodPercent) +
                  " % 超过 100 %：设计气速高于泛点气速，结果不是可行的设计。通常取 70–80 %。");
    else if (c.FloodPercent < kFloodPercentLow || c.FloodPercent > kFloodPercentHigh)
      out.Add("flood-percent-range", L::Warning, "fpercentD",
              "泛点预设 " + Num(c.FloodPercent) + " % 超出常用范围 " + Num(kFloodPercentLow) + "–" +
                  Num(kFloodPercentHigh) +
                  " %（通常 70–80 %）：过高则接近液泛，过低则填料润湿差、塔径偏大。");
  }
}

// A hand-entered factor compared with the one the selected packing gives.
void CheckTypedFactors(const TDesignCase& c, const TPackingView& pk, TCollector& out) {
  const TRunRecord& run = c.Latest;
  const bool kister = FloodingMethodAt(c.FloodMethod).KpFromExperimentalFactor();
  auto compare = [&](TField field, std::optional<double> typed, std::optional<double> own,
                     const char* caption) {
    if (!typed || !own || !(*typed > 0.0) || !(*own > 0.0)) return;
    const double ratio = *typed / *own;
    if (ratio <= kFactorRatio && ratio >= 1.0 / kFactorRatio) return;
    out.Add("factor-carried", L::Warning, field,
            std::string("手工输入的") + caption + " " + Num(*typed) + " 1/m 与所选填料的 " +
                Num(*own) + " 1/m 相差 " + Num(std::max(ratio, 1.0 / ratio), 3) +
                " 倍：是否沿用了其他填料的数据？请勾选“计算”或核对填料。");
  };
  const double X = c.FloodLiquidLoad.value_or(0.0);
  if (run.WasRead(TField::KfD) && run.IterationDone)
    compare(TField::KfD, c.Kf, FitFactor(pk.KfA, pk.KfB, pk.KfLogForm, X), "泛点湿填料因子");
  if (run.WasRead(TField::KpD)) {
    if (kister)
      compare(TField::KpD, c.Kp, pk.Experimental, "实验填料因子");
    else if (run.IterationDone)
      compare(TField::KpD, c.Kp, FitFactor(pk.KpA, pk.KpB, pk.KpLogForm, X), "压降湿填料因子");
  }
}

void CheckCorrelationRange(const TDesignCase& c, TCollector& out) {
  const TRunRecord& run = c.Latest;
  const bool kister = FloodingMethodAt(c.FloodMethod).KpFromExperimentalFactor();
  if (run.WasRead(TField::LD) && run.WasRead(TField::VD) && run.WasRead(TField::DlD) &&
      run.WasRead(TField::DvD) && c.LiquidFlow > 0.0 && c.GasFlow > 0.0 && c.LiquidDensity > 0.0 &&
      c.GasDensity > 0.0) {
    const double FP = c.LiquidFlow / c.GasFlow * std::sqrt(c.GasDensity / c.LiquidDensity);
    const TFloodingMethod& method = FloodingMethodAt(c.FloodMethod);
    const auto [low, high] = method.FlowParameterRange();
    if (std::isfinite(FP) && (FP < low || FP > high))
      out.Add("flow-parameter-range", L::Warning, "FpD",
              "流动参数 FP = " + Num(FP) + " 超出 " + method.Name() + " 关联曲线的适用范围 " +
                  Num(low) + "–" + Num(high) + "，泛点气速和压降是外推值。请检查气液流量和密度。");
  }
  const bool kpUsed = run.WasWritten(TField::KpD) || run.WasRead(TField::KpD);
  if (kister && kpUsed && c.Kp && (*c.Kp < kKisterFpMin || *c.Kp > kKisterFpMax))
    out.Add("packing-factor-range", L::Warning, TField::KpD,
            "实验填料因子 " + Num(*c.Kp) + " 1/m 超出 Kister-Gill 泛点压降式的适用范围 " +
                Num(kKisterFpMin) + "–" + Num(kKisterFpMax) +
                " 1/m（9–60 1/ft），泛点压降是外推值，可能超出最高的压降曲线。");
}

// The method of Billet & Schultes: the packing must carry its constants; its pressure drop and
// holdup hold below the loading point (Billet & Schultes, Trans IChemE 77A, 1999; Seader &
// Henley, 2nd ed., Sec. 6.8); its loading equation changes constants at FP = 0.4, so near it the
// two branches are compared (a gap above the method's stated 5 % accuracy for the loading point
// is reported; 0.3 to 0.55 is where the other branch still describes a neighbouring state).
void CheckBilletSchultes(const TDesignCase& c, const TPackingRecord* packing, TCollector& out) {
  const TFloodingMethod& method = FloodingMethodAt(FloodingMethodIndex(c.FloodMethod));
  if (method.UsesChart() || !packing) return;
  TPackingNumbers pk;
  try {
    pk = RequirePackingNumbers(*packing);
  } catch (const std::exception&) {
    return;  // the run has reported the column
  }
  if (const std::string why = method.Unavailable(pk); !why.empty()) {
    out.Add("method-unavailable", L::Error, "PTD", why);
    return;
  }
  const TRunRecord& run = c.Latest;
  if (run.WasWritten(TField::fLoadD) && c.LoadingPercent && *c.LoadingPercent > 100.0)
    out.Add("above-loading", L::Warning, TField::fLoadD,
            "塔内气速为载点气速的 " + Num(*c.LoadingPercent, 3) +
                " %：高于载点操作不经济；持液量和压降按载点以下的关联式计算，实际值更高。");
  if (run.WasWritten(TField::UlpD) && c.LoadingVelocity && c.GasViscosity > 0.0) {
    const TBilletSchultesConstants& k = *pk.BilletSchultes;
    const double LV = c.LiquidFlow / c.GasFlow;
    const double FP = LV * std::sqrt(c.GasDensity / c.LiquidDensity);
    if (FP >= 0.3 && FP <= 0.55) {
      double other = *c.LoadingVelocity;
      try {
        other = BsLoadingVelocityBranch(LV, c.LiquidDensity, c.GasDensity, c.LiquidViscosity,
                                        c.GasViscosity, *k.a, *k.Epsilon, *k.CS, FP <= 0.4);
      } catch (const std::exception&) {
        // the other branch cannot be formed: nothing to compare
      }
      const double gap = std::fabs(other / *c.LoadingVelocity - 1.0);
      if (gap > 0.05)
        out.Add("loading-branch", L::Warning, TField::UlpD,
                "流动参数 FP = " + Num(FP, 3) +
                    " 靠近 0.4：Billet-Schultes 载点式在 0.4 两侧用不同的常数，两式在此相差 " +
                    Num(100.0 * gap, 2) + " %，载点和泛点气速的不确定性相应增大。");
    }
  }
  if (run.WasWritten(TField::HTUVD) && !method.MassTransfer(pk))
    out.Add("heights-by-onda", L::Note, TField::HTUVD,
            "所选填料没有 Billet-Schultes 传质常数 CL、CV，传质单元高度按 Onda 关联式计算。");
}

void CheckColumn(const TDesignCase& c, const TPackingView& pk, TCollector& out) {
  const TRunRecord& run = c.Latest;
  const TService& service = ServiceAt(c.Service);
  if (run.WasWritten(TField::fActualD) && c.FloodFraction && c.Diameter && run.OptionsRead) {
    const double F = *c.FloodFraction;
    const double design = c.FloodPercent * c.FoamingFactor / 100.0;
    const double D = *c.Diameter;
    std::string advice;
    if (c.TheoreticalDiameter && run.WasWritten(TField::dpD)) {
      const double up = StandardDiameterAtLeast(*c.TheoreticalDiameter);
      if (up > D)
        advice = "塔径取 " + Num(up * 1000.0) + " mm 时实际泛点率为 " +
                 Num(100.0 * F * (D / up) * (D / up), 3) + " %。";
    }
    if (c.GivenDiameter) {
      // Rating: the column exists, so the question is how close to its limits it runs.
      const std::string at =
          "核算塔径 " + Num(D * 1000.0) + " mm 下泛点率为 " + Num(100.0 * F, 3) + " %";
      if (F >= 1.0)
        out.Add("column-flooding", L::Error, TField::fActualD, at + "，塔会液泛。");
      else if (F > kMaximumOperationalFraction)
        out.Add("above-maximum-capacity", L::Warning, TField::fActualD,
                at + "，超过最大操作能力（通常比泛点低 5–10 %，Kister 1992 第 8 章）：效率下降、"
                     "压降陡升，操作不稳。");
      else if (F > kDesignRangeHigh)
        out.Add("above-design-range", L::Note, TField::fActualD,
                at + "，高于常用设计范围 70–80 %（Kister 1992 第 9 章；Strigle 1994）。");
    } else if (F >= 1.0)
      out.Add("column-flooding", L::Error, TField::fActualD,
              "圆整后的塔径 " + Num(D * 1000.0) + " mm 下实际泛点率为 " + Num(100.0 * F, 3) +
                  " %，塔会液泛，结果不是可行的设计。" + advice);
    else if (F > design + (c.LegacyMethods ? kRoundingAllowance : kRoundingAllowanceUp))
      out.Add("column-above-design", L::Warning, TField::fActualD,
              "塔径向下圆整为 " + Num(D * 1000.0) + " mm，实际泛点率 " + Num(100.0 * F, 3) +
                  " % 比设计泛点率 " + Num(100.0 * design, 3) + " % 高 " +
                  Num(100.0 * (F - design), 2) + " 个百分点。" + advice);
  }
  // Say which column the results belong to when it is not the design point's.
  if (!c.LegacyMethods && !c.GivenDiameter && run.WasWritten(TField::dPwaterD) &&
      c.ColumnPoint.Placed && c.DesignPoint.Placed && c.FloodFraction && c.Diameter &&
      run.OptionsRead) {
    const double design = c.FloodPercent * c.FoamingFactor / 100.0;
    if (*c.FloodFraction < design - kBuiltColumnNote)
      out.Add("built-column", L::Note, TField::dD,
              "负荷、湿塔压降、持液量、喷淋密度和传质单元高度均按圆整后的塔径 " +
                  Num(*c.Diameter * 1000.0) + " mm 计算（实际泛点率 " +
                  Num(100.0 * *c.FloodFraction, 3) + " %）；设计点（" + Num(100.0 * design, 3) +
                  " %）的湿塔压降为 " + Num(c.DesignPoint.PressureDrop) + " Pa/m，见性能图。");
  }
  if (run.WasWritten(TField::dPwaterD) && c.WetPressureDrop) {
    const double dP = *c.WetPressureDrop;
    if (c.FloodPoint.Placed && dP >= c.FloodPoint.PressureDrop)
      out.Add("pressure-drop-flood", L::Error, TField::dPwaterD,
              "设计点湿塔压降 " + Num(dP) + " Pa/m 不低于泛点压降 " +
                  Num(c.FloodPoint.PressureDrop) + " Pa/m：设计点在液泛区，结果不是可行的设计。");
    else if (service.Kind == TServiceKind::Unspecified && dP > service.PressureDropHigh)
      out.Add("pressure-drop-high", L::Warning, TField::dPwaterD,
              "湿塔压降 " + Num(dP) + " Pa/m 高于约 " + Num(service.PressureDropHigh) +
                  " Pa/m（通常设计 200–600 Pa/m）：请降低泛点预设或选用较大的填料。");
    else if (dP > service.PressureDropHigh)
      out.Add("pressure-drop-high", L::Warning, TField::dPwaterD,
              "湿塔压降 " + Num(dP) + " Pa/m 高于" + service.Caption + "的常用设计范围 " +
                  Num(service.PressureDropLow, 3) + "–" + Num(service.PressureDropHigh, 3) +
                  " Pa/m（Strigle；Kister 1992 表 8.4）：请降低泛点预设或选用较大的填料。");
    else if (service.Kind != TServiceKind::Unspecified && dP < service.PressureDropLow)
      out.Add("pressure-drop-low", L::Note, TField::dPwaterD,
              "湿塔压降 " + Num(dP) + " Pa/m 低于" + service.Caption + "的常用设计范围 " +
                  Num(service.PressureDropLow, 3) + "–" + Num(service.PressureDropHigh, 3) +
                  " Pa/m（Strigle；Kister 1992 表 8.4）：塔径可能偏大，填料润湿也可能不足。");
    // Against the packing's own flooding pressure drop (literature basis; earlier versions
    // did not judge it).
    const bool kpUsed = run.WasWritten(TField::KpD) || run.WasRead(TField::KpD);
    if (!c.LegacyMethods && kpUsed && c.Kp && *c.Kp > 0.0 &&
        !(c.FloodPoint.Placed && dP >= c.FloodPoint.PressureDrop)) {
      const double flood = KisterFloodPressureDrop(*c.Kp, false);
      if (dP > kNearFloodPressureDrop * flood)
        out.Add("pressure-drop-near-flood", L::Warning, TField::dPwaterD,
                "湿塔压降 " + Num(dP) + " Pa/m 是该填料泛点压降 " + Num(flood) +
                    " Pa/m（Kister-Gill: 0.115·Fp^0.7 inH2O/ft，Fp = " + Num(*c.Kp) + " 1/m）的 " +
                    Num(100.0 * dP / flood, 3) +
                    " %，超过 80 %：实际已接近液泛。请降低泛点预设或选用较大的填料。");
    }
  }
  // Onda's HETP against the rule of thumb for random packings in distillation (literature
  // basis; absorbers have larger HETPs by nature).
  if (!c.LegacyMethods && service.Kind != TServiceKind::Absorption &&
      run.WasWritten(TField::HETPD) && c.HETP && pk.NominalSize && *pk.NominalSize > 0.0) {
    const double rule = kHetpPerSize * *pk.NominalSize;
    const double ratio = *c.HETP / rule;
    if (ratio > kHetpRuleFactor || ratio < 1.0 / kHetpRuleFactor)
      out.Add("hetp-rule-of-thumb", L::Note, TField::HETPD,
              "Onda 关联式的等板高度 " + Num(*c.HETP, 3) +
                  " m 与散堆填料的经验值 18×公称尺寸 = " + Num(rule, 3) +
                  " m（Kister 1992，精馏）相差 " + Num(std::max(ratio, 1.0 / ratio), 3) +
                  " 倍：请核对扩散系数、λ 和物性；设计填料高度时宜参考实测或经验数据。");
  }
  if (run.WasWritten(TField::UmD) && c.WettingPercent && *c.WettingPercent < 100.0 &&
      pk.NominalSize && pk.SpecificArea && c.LiquidLoad) {
    // Minimum wetting rate of Morris & Jackson (Absorption Towers, Butterworths 1953) times the
    // specific area gives the smallest liquid load that wets the packing [m3/(m2 h)].
    const double needed = MinimumWettingRate(*pk.NominalSize) * *pk.SpecificArea;
    out.Add("wetting-low", L::Warning, TField::UmD,
            "喷淋密度只有最小喷淋密度的 " + Num(*c.WettingPercent, 3) +
                " %，填料润湿不足。液相负荷至少需 " + Num(needed, 3) + " m3/(m2·h)（现为 " +
                Num(*c.LiquidLoad * 3600.0, 3) +
                "）：可减小塔径、加大液量，或选用比表面积较小的填料。");
  }
  if (run.WasWritten(TField::dD) && c.Diameter && pk.NominalSize && *pk.NominalSize > 0.0) {
    const double ratio = *c.Diameter / *pk.NominalSize;
    if (ratio < kWallRatioMin)
      out.Add("wall-ratio", L::Warning, TField::dD,
              "塔径与填料尺寸之比 " + Num(ratio, 3) + " 小于 " + Num(kWallRatioMin) +
                  "：壁流严重，实际效率低于计算值。请选用不大于 " +
                  Num(*c.Diameter / kWallRatioMin * 1000.0, 3) + " mm 的填料。");
  }
}

}  // namespace

std::vector<TFinding> CheckValidity(const TDesignCase& c, const TPackingRecord* packing) {
  TCollector out;
  const TPackingView pk = packing ? ViewOf(*packing) : TPackingView{};
  CheckInputs(c, out);
  if (packing) CheckTypedFactors(c, pk, out);
  CheckCorrelationRange(c, out);
  CheckColumn(c, pk, out);
  CheckBilletSchultes(c, packing, out);
  // Packings without a published packing factor carry one estimated from their area and voidage
  // (a/eps^3, the dry-bed factor of the Carman-Kozeny form; see the packing table's notes).
  if (packing && (c.Latest.OptionsRead || c.Latest.WasWritten(TField::KpD)) &&
      PackingFactorEstimated(*packing))
    out.Add("packing-factor-estimated", L::Note, "PTD",
            "所选填料没有发表的实测填料因子，表中的填料因子是按比表面积和空隙率估算的 "
            "(a/ε³)，泛点和压降结果只宜作粗估。");
  // A factor of the older tables where a newer published one exists for the same ring: the
  // flooding and pressure drop come out optimistic; the screening ranks such a row after the
  // rows without a warning.
  if (packing && (c.Latest.OptionsRead || c.Latest.WasWritten(TField::KpD)))
    if (const auto newer = NewerPackingFactor(*packing))
      out.Add("packing-factor-superseded", L::Warning, "PTD",
              "所选填料的实验填料因子 " + Num(newer->Older, 3) +
                  " 1/m 出自较早的数据表，同一填料较新的公布值为 " + Num(newer->Newer, 3) +
                  " 1/m（" + newer->Source +
                  "）：按旧值算出的泛点气速偏高、塔径偏小。请选用表中按新值列出的同一填料。");
  return out.Take();
}

void RecordInput(TDesignCase& c, TField f, double si) {
  double* member = nullptr;
  switch (f) {
    case TField::LD:
      member = &c.LiquidFlow;
      break;
    case TField::DlD:
      member = &c.LiquidDensity;
      break;
    case TField::MlD:
      member = &c.LiquidViscosity;
      break;
    case TField::SLD:
      member = &c.SurfaceTension;
      break;
    case TField::DlfD:
      member = &c.LiquidDiffusivity;
      break;
    case TField::VD:
      member = &c.GasFlow;
      break;
    case TField::DvD:
      member = &c.GasDensity;
      break;
    case TField::MvD:
      member = &c.GasViscosity;
      break;
    case TField::DvfD:
      member = &c.GasDiffusivity;
      break;
    case TField::LmdD:
      member = &c.Lambda;
      break;
    default:
      return;
  }
  *member = si;
  c.Latest.Read.set(static_cast<size_t>(f));
}

const char* LevelLabel(TFindingLevel level) {
  switch (level) {
    case TFindingLevel::Error:
      return "错误";
    case TFindingLevel::Warning:
      return "警告";
    case TFindingLevel::Note:
      break;
  }
  return "提示";
}

const char* LevelKey(TFindingLevel level) {
  switch (level) {
    case TFindingLevel::Error:
      return "error";
    case TFindingLevel::Warning:
      return "warning";
    case TFindingLevel::Note:
      break;
  }
  return "note";
}

std::optional<TFindingLevel> WorstLevel(const std::vector<TFinding>& findings) {
  std::optional<TFindingLevel> worst;
  for (const TFinding& f : findings)
    if (!worst || static_cast<int>(f.Level) < static_cast<int>(*worst)) worst = f.Level;
  return worst;
}

int CountLevel(const std::vector<TFinding>& findings, TFindingLevel level) {
  return static_cast<int>(std::count_if(findings.begin(), findings.end(),
                                        [level](const TFinding& f) { return f.Level == level; }));
}

std::string FindingLine(const TFinding& f) {
  return std::string("【") + LevelLabel(f.Level) + "】" + f.Text;
}

std::string FindingsSummary(const std::vector<TFinding>& findings) {
  if (findings.empty()) return "结果未见问题";
  std::string s;
  for (TFindingLevel level : {TFindingLevel::Error, TFindingLevel::Warning, TFindingLevel::Note}) {
    const int n = CountLevel(findings, level);
    if (n == 0) continue;
    if (!s.empty()) s += "，";
    s += std::string(LevelLabel(level)) + " " + std::to_string(n);
  }
  return s;
}

const char* FindingSource(std::string_view code) {
  static constexpr std::pair<std::string_view, const char*> kSources[] = {
      {"foaming-factor", "Kister, Distillation Design (1992)，系统因子"},
      {"flow-parameter-range", "Eckert (1970)；Kister & Gill (1991)：关联图的横坐标范围"},
      {"packing-factor-range", "Kister & Gill, Chem. Eng. Prog. 87(2) (1991)"},
      {"pressure-drop-high", "Strigle (1994)；Kister, Distillation Design (1992), 表 8.4"},
      {"pressure-drop-low", "Strigle (1994)；Kister, Distillation Design (1992), 表 8.4"},
      {"pressure-drop-near-flood", "Kister & Gill, Chem. Eng. Prog. 87(2) (1991)：0.115·Fp^0.7"},
      {"hetp-rule-of-thumb", "Kister, Distillation Design (1992)：HETP ≈ 18·dn"},
      {"wetting-low", "Morris & Jackson, Absorption Towers (1953)：最小润湿速率"},
      {"wall-ratio", "Strigle (1994)：塔径与填料尺寸之比"},
      {"packing-factor-estimated", "Carman-Kozeny：干填料因子 a/ε³"},
      {"lambda-not-positive", "Perry's Handbook, Sec. 14：由 HTUOV 求 HETP"},
      {"calibrated",
       "Kister, Distillation Design (1992), 10.1：以实测数据为准；Kister et al., AIChE Spring "
       "Meeting (2007)：压降关联式的偏差是系统性的"},
  };
  for (const auto& [c, source] : kSources)
    if (c == code) return source;
  return "";
}

}  // namespace velm
