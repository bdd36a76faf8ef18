#include "core/Rating.h"

#include <algorithm>
#include <cmath>

#include "base/Decimal.h"
#include "base/Errors.h"
#include "base/NumberFormat.h"
#include "core/Calculate.h"
#include "core/CheckedMath.h"
#include "core/Correlations.h"
#include "core/Methods.h"
#include "core/Services.h"

namespace velm {

namespace {

// The fields of one load case as plain SI values: a read takes the value, a write keeps it.
class TValueFields : public TFieldAccess {
 public:
  std::array<std::optional<double>, kFieldCount> V;
  bool IsFilled(TField f) override { return V[size_t(f)].has_value(); }
  double Value(TField f) override {
    if (!V[size_t(f)]) throw TInputError(std::string(FieldCaption(f)) + "没有数据。");
    return *V[size_t(f)];
  }
  void SetValue(TField f, double si) override { V[size_t(f)] = si; }
  void SetWettingCaption(const std::string&) override {}
  void ResetFloodMethod() override {}
  void ShowMessage(const std::string& text) override { Messages.push_back(text); }
  std::vector<std::string> Messages;
};

class TQuietLog : public TMessageLog {
 public:
  using TMessageLog::Add;
  int Count() const override { return 0; }
  void Clear() override {}
  void Add(const TLogLine&) override {}
};

TDesignCase FreshCase(const TDesignCase& options, double diameter) {
  TDesignCase dc;
  dc.FloodMethod = options.FloodMethod;
  dc.AccelMethod = options.AccelMethod;
  dc.CalcKf = options.CalcKf;
  dc.CalcKp = options.CalcKp;
  dc.FoamingFactorText = options.FoamingFactorText;
  dc.FloodPercentText = options.FloodPercentText;
  dc.LegacyMethods = options.LegacyMethods;
  dc.Service = options.Service;
  dc.GivenDiameter = diameter;
  return dc;
}

// The state of the run's last step of the flooding iteration, replayed into `curves` so that the
// method can place further points on the run's own curves.
TFloodingState LastState(const TDesignCase& run, const TPackingNumbers& pk) {
  const double f = run.FloodPercent * run.FoamingFactor / 100.0;
  return {run.FlowParameter.value_or(0.0),
          run.Kf.value_or(0.0),
          run.Kp.value_or(0.0),
          run.LiquidDensity,
          run.GasDensity,
          run.LiquidViscosity,
          f,
          0.8 * run.FoamingFactor,
          run.LegacyMethods,
          run.GasViscosity,
          &pk};
}

// The run's curves, replayed from its last step, on which further points are placed as the run
// placed its own.
struct TReplay {
  const TFloodingMethod& Method;
  TDesignCase Curves;
  TCurveScratch Scratch;
  TReplay(const TDesignCase& run, const TPackingNumbers& pk)
      : Method(FloodingMethodAt(FloodingMethodIndex(run.FloodMethod))), Curves(run) {
    TQuietLog log;
    Method.Step(LastState(run, pk), Curves, Scratch, log);
    Curves.FlowParameter = run.FlowParameter;
    Curves.FloodVelocity = run.FloodVelocity;
    Curves.Diameter = run.Diameter;
  }
  // The wet pressure drop at the fraction F of the flooding velocity [Pa/m].
  double PressureDropAt(double F) {
    return Method.PlaceAtFraction(F, Curves, Scratch).PressureDrop;
  }
};

// The gas velocity at which the column floods when the gas alone is raised, the liquid mass flow
// staying as it is [m/s]: the flooding condition solved for the gas flow at the flow parameter it
// implies, with the wet packing factors at the liquid load the column has (Kister 1992,
// Sec. 8.2: flood at constant liquid rate). Empty when no gas rate floods it within 100 times
// the present one.
std::optional<double> FloodAtConstantLiquid(const TFloodingMethod& method, const TDesignCase& run,
                                            const TPackingNumbers& pk) {
  using namespace checked;
  const double area = M_PI * *run.Diameter * *run.Diameter / 4.0;
  const double X = *run.LiquidLoad * 3600.0;  // [m3/(m2 h)]
  TFloodingState s = LastState(run, pk);
  if (method.UsesChart()) {
    if (run.CalcKf && method.UsesKf()) s.Kf = WetPackingFactor(pk.KfA, pk.KfB, pk.KfLogForm, X);
    if (run.CalcKp && !method.KpFromExperimentalFactor())
      s.Kp = WetPackingFactor(pk.KpA, pk.KpB, pk.KpLogForm, X);
  }
  TDesignCase scratchCase;
  scratchCase.Curves.resize(2);
  TCurveScratch scratch;
  TQuietLog log;
  const double ratio = std::sqrt(run.GasDensity / run.LiquidDensity);
  // g(V') = flooding gas flow at the flow parameter of V' minus V'; g > 0 below flooding.
  const auto g = [&](double Vg) {
    s.FP = run.LiquidFlow / Vg * ratio;
    return method.Step(s, scratchCase, scratch, log) * run.GasDensity * area - Vg;
  };
  // Bracket from the flood at constant L/V, then bisect on ln V' with a secant step.
  double lo = run.GasFlow / std::max(*run.FloodFraction, 1e-6), hi = lo;
  double glo = g(lo), ghi = glo;
  for (int i = 0; glo <= 0.0 && i < 60; ++i) glo = g(lo /= 1.25);
  for (int i = 0; ghi > 0.0 && i < 60; ++i) ghi = g(hi *= 1.25);
  if (glo <= 0.0 || ghi > 0.0 || hi > 100.0 * run.GasFlow / *run.FloodFraction) return std::nullopt;
  for (int i = 0; i < 100 && hi - lo > 1e-12 * hi; ++i) {
    double mid = lo - glo * (hi - lo) / (ghi - glo);
    if (!(mid > lo && mid < hi) || i % 3 == 2) mid = 0.5 * (lo + hi);
    const double gm = g(mid);
    if (gm > 0.0) {
      lo = mid;
      glo = gm;
    } else {
      hi = mid;
      ghi = gm;
    }
  }
  return Finite(0.5 * (lo + hi) / (run.GasDensity * area), "恒定液量泛点气速");
}

TCaseRating RateCase(const TRatingInput& in, const TPackingRecord& packing,
                     const TPackingNumbers& pk, const TLoadCase& lc) {
  TCaseRating r;
  r.Case = lc;
  TValueFields fields;
  fields.V = in.Inputs;
  const auto scale = [&](TField f, double percent) {
    if (fields.V[size_t(f)]) fields.V[size_t(f)] = *fields.V[size_t(f)] * percent / 100.0;
  };
  scale(TField::LD, lc.LiquidPercent);
  scale(TField::VD, lc.GasPercent);
  r.LiquidFlow = fields.V[size_t(TField::LD)].value_or(0.0);
  r.GasFlow = fields.V[size_t(TField::VD)].value_or(0.0);
  if (!(lc.LiquidPercent > 0.0) || !(lc.GasPercent > 0.0)) {
    r.Error = "负荷百分数必须是正数";
    return r;
  }
  TDesignCase run = FreshCase(in.Options, in.Diameter);
  TQuietLog log;
  try {
    Calculate(run, &packing, log, fields);
    if (!run.HydraulicsDone) {
      r.Error = !fields.Messages.empty() ? fields.Messages.front()
                : run.Stopped.empty()    ? std::string("计算没有完成")
                                         : run.Stopped;
      return r;
    }
    using namespace checked;
    const TFloodingMethod& method = FloodingMethodAt(FloodingMethodIndex(run.FloodMethod));
    const double F = *run.FloodFraction;
    r.GasLoad = *run.GasLoad;
    r.LiquidLoad = *run.LiquidLoad;
    r.FloodVelocity = *run.FloodVelocity;
    r.FloodPercent = 100.0 * F;
    r.PressureDrop = *run.WetPressureDrop;
    // The flooding pressure drop where the method places the flooding point on its own curves
    // (for the Kister-type method the chart at Kister & Gill's flooding capacity).
    TReplay replay(run, pk);
    r.FloodPressureDrop = replay.PressureDropAt(1.0);
    r.PressureDropPercent = 100.0 * Div(r.PressureDrop, r.FloodPressureDrop, "ΔP/ΔP泛点");
    const double rhoV = run.GasDensity, rhoL = run.LiquidDensity;
    r.Fs = r.GasLoad * std::sqrt(rhoV);
    r.FsFlood = r.FloodVelocity * std::sqrt(rhoV);
    const double cs = Sqrt(Div(rhoV, rhoL - rhoV, "ρV/(ρL−ρV)"), "Cs");
    r.CapacityFactor = r.GasLoad * cs;
    r.CapacityFactorFlood = r.FloodVelocity * cs;
    r.LoadingPercent = run.LoadingPercent;
    r.Holdup = *run.Holdup;
    r.WettingPercent = *run.WettingPercent;
    r.HETP = run.HETP;
    if (in.BedHeight) {
      r.BedPressureDrop = r.PressureDrop * *in.BedHeight;
      if (r.HETP) r.Stages = Div(*in.BedHeight, *r.HETP, "Z/HETP");
    }
    if (const auto ufl = FloodAtConstantLiquid(method, run, pk))
      r.FloodPercentConstantLiquid = 100.0 * Div(r.GasLoad, *ufl, "Uvs/Uf,L");
    r.Findings = CheckValidity(run, &packing);
    r.Rated = true;
  } catch (const TSilentAbort&) {
    r.Error = fields.Messages.empty() ? std::string("计算中止") : fields.Messages.front();
  } catch (const std::exception& e) {
    r.Error = e.what();
  }
  return r;
}

// The window along the first case's operating line.
TOperatingWindow WindowOf(const TRatingInput& in, const TPackingRecord& packing,
                          const TPackingNumbers& pk, const TCaseRating& design) {
  TOperatingWindow w;
  const double F = design.FloodPercent / 100.0;
  w.Flood = 1.0 / F;
  w.MaximumOperational = kMaximumOperationalFraction / F;
  if (design.LoadingPercent) w.Loading = 100.0 / *design.LoadingPercent;
  const double minWetting = MinimumWettingRate(pk.NominalSize) * pk.SpecificArea / 3600.0;
  w.MinimumWetting = minWetting / design.LiquidLoad;
  w.MinimumGas = kMinimumGasFraction / F;

  // The pressure drop along the line, on the curves of the design case's run (the flooding
  // velocity does not change along it).
  TValueFields fields;
  fields.V = in.Inputs;
  for (auto [f, p] : {std::pair{TField::LD, design.Case.LiquidPercent},
                      std::pair{TField::VD, design.Case.GasPercent}})
    if (fields.V[size_t(f)]) fields.V[size_t(f)] = *fields.V[size_t(f)] * p / 100.0;
  TDesignCase run = FreshCase(in.Options, in.Diameter);
  TQuietLog log;
  Calculate(run, &packing, log, fields);
  TReplay replay(run, pk);
  const auto dpAt = [&](double s) { return replay.PressureDropAt(std::min(s * F, 1.0)); };
  const TService& service = ServiceAt(in.Options.Service);
  if (service.Kind != TServiceKind::Unspecified && dpAt(w.Flood) > service.PressureDropHigh) {
    double lo = 0.0, hi = w.Flood;
    for (int i = 0; i < 60; ++i) {
      const double mid = 0.5 * (lo + hi);
      (dpAt(mid) > service.PressureDropHigh ? hi : lo) = mid;
    }
    w.PressureDrop = lo;
  }

  w.Maximum = w.MaximumOperational;
  w.MaximumBy = "最大操作能力（泛点的 90 %）";
  if (w.Loading && *w.Loading < w.Maximum) {
    w.Maximum = *w.Loading;
    w.MaximumBy = "载点";
  }
  if (w.PressureDrop && *w.PressureDrop < w.Maximum) {
    w.Maximum = *w.PressureDrop;
    w.MaximumBy = std::string(service.Caption) + "的最大设计压降";
  }
  w.Minimum = w.MinimumWetting;
  w.MinimumBy = "最小喷淋密度";
  if (w.MinimumGas > w.Minimum) {
    w.Minimum = w.MinimumGas;
    w.MinimumBy = "最小气相负荷（泛点的 40 %）";
  }
  w.Turndown = w.Minimum < w.Maximum ? w.Maximum / w.Minimum : 0.0;
  constexpr int kSteps = 24;
  const double from = std::min(w.Minimum, w.Maximum), to = std::max(w.Minimum, w.Maximum);
  for (int i = 0; i <= kSteps; ++i) {
    const double s = from + (to - from) * i / kSteps;
    w.Line.push_back({s, 100.0 * s * F, dpAt(s)});
  }
  return w;
}

}  // namespace

const std::vector<TLoadCase>& DefaultLoadCases() {
  static const std::vector<TLoadCase> cases = {{"设计", 100.0, 100.0},
                                               {"最大", 110.0, 110.0},
                                               {"最小", 50.0, 50.0},
                                               {"改造 +20%", 120.0, 120.0},
                                               {"改造 +30%", 130.0, 130.0}};
  return cases;
}

std::string LoadCasesText(const std::vector<TLoadCase>& cases) {
  if (cases == DefaultLoadCases()) return {};
  std::string out;
  for (const TLoadCase& c : cases) {
    if (!out.empty()) out += ';';
    out +=
        c.Name + ',' + FormatGeneral(c.LiquidPercent, 15) + ',' + FormatGeneral(c.GasPercent, 15);
  }
  return out;
}

std::vector<TLoadCase> ParseLoadCases(std::string_view text) {
  if (Trim(text).empty()) return DefaultLoadCases();
  std::vector<TLoadCase> cases;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = std::min(text.find(';', start), text.size());
    const std::string_view item = text.substr(start, end - start);
    const std::string where = "负荷工况 " + std::to_string(cases.size() + 1);
    const size_t c1 = item.find(','),
                 c2 = c1 == std::string_view::npos ? c1 : item.find(',', c1 + 1);
    if (c2 == std::string_view::npos || item.find(',', c2 + 1) != std::string_view::npos)
      throw TInputError(where + "应为“名称,液相%,气相%”：" + std::string(item));
    TLoadCase c;
    c.Name = std::string(Trim(item.substr(0, c1)));
    const auto l = ParseNumber(Trim(item.substr(c1 + 1, c2 - c1 - 1)));
    const auto g = ParseNumber(Trim(item.substr(c2 + 1)));
    if (c.Name.empty()) throw TInputError(where + "没有名称");
    if (!l || !g || !(*l > 0.0) || !(*g > 0.0) || *l > 1000.0 || *g > 1000.0)
      throw TInputError(where + "（" + c.Name + "）的液相和气相负荷应为 0–1000 % 的正数");
    c.LiquidPercent = *l;
    c.GasPercent = *g;
    cases.push_back(std::move(c));
    start = end + 1;
  }
  return cases;
}

std::array<std::optional<double>, kFieldCount> InputValues(TFieldAccess& fields,
                                                           const TRunRecord* only) {
  std::array<std::optional<double>, kFieldCount> v;
  const auto take = [&](TField f) {
    if ((!only || only->WasRead(f)) && fields.IsFilled(f)) v[size_t(f)] = fields.Value(f);
  };
  for (const TFieldInfo* f : InputFields()) take(f->Field);
  // The packing factors are inputs when their "计算" box is clear.
  take(TField::KfD);
  take(TField::KpD);
  return v;
}

TRating RateColumn(const TRatingInput& in, const TPackingRecord& packing) {
  TRating out;
  out.Diameter = in.Diameter;
  out.BedHeight = in.BedHeight;
  const TPackingNumbers pk = RequirePackingNumbers(packing);
  double worst = -1.0;
  for (const TLoadCase& lc : in.Cases) {
    out.Cases.push_back(RateCase(in, packing, pk, lc));
    const TCaseRating& r = out.Cases.back();
    if (r.Rated && r.FloodPercent > worst) {
      worst = r.FloodPercent;
      out.Governing = static_cast<int>(out.Cases.size()) - 1;
    }
  }
  if (!out.Cases.empty() && out.Cases.front().Rated) {
    try {
      out.Window = WindowOf(in, packing, pk, out.Cases.front());
    } catch (const std::exception&) {
      // The window is an addition to the cases; a failure leaves it out, the cases stand.
    }
  }
  return out;
}

const std::vector<TCapacityDefinition>& CapacityDefinitions() {
  static const std::vector<TCapacityDefinition> defs = {
      {"泛点率（恒定液气比）", "Eckert 1970"},
      {"泛点率（恒定液量）", "Kister 1992, Sec. 8.2"},
      {"ΔP/ΔP泛点", "泛点压降按所选算法；Kister & Gill 1991"},
      {"Fs/Fs泛点", "Billet 1995"},
      {"载点率", "Billet & Schultes 1999"},
  };
  return defs;
}

std::vector<std::optional<double>> CapacityValues(const TCaseRating& r) {
  if (!r.Rated) return std::vector<std::optional<double>>(CapacityDefinitions().size());
  return {r.FloodPercent, r.FloodPercentConstantLiquid, r.PressureDropPercent,
          100.0 * r.Fs / r.FsFlood, r.LoadingPercent};
}

}  // namespace velm
