#include "core/Rating.h"

#include <algorithm>
#include <cmath>
#include <functional>

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

// The root of f between a and b, where f(a) and f(b) have opposite signs, by the Illinois variant
// of regula falsi (Dowell & Jarratt, BIT 11, 1971, 168-174): ends when a step moves the estimate
// by less than tol times its size. f may throw; the caller decides what that means.
template <class F>
double Illinois(F&& f, double a, double b, double fa, double fb, double tol) {
  double c = a, previous = b;
  int side = 0;
  for (int i = 0; i < 200; ++i) {
    c = (fa * b - fb * a) / (fa - fb);
    if (!(std::fabs(c - previous) > tol * std::fabs(c))) break;
    previous = c;
    const double fc = f(c);
    if (fc == 0.0) break;
    if ((fc > 0.0) == (fb > 0.0)) {
      b = c;
      fb = fc;
      if (side == -1) fa /= 2.0;
      side = -1;
    } else {
      a = c;
      fa = fc;
      if (side == 1) fb /= 2.0;
      side = 1;
    }
  }
  return c;
}

TDesignCase FreshCase(const TDesignCase& options, std::optional<double> diameter) {
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
  scratch.FloodOnly = true;
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
  const double Vflood = lo == hi ? lo : Illinois(g, lo, hi, glo, ghi, 1e-11);
  return Finite(Vflood / (run.GasDensity * area), "恒定液量泛点气速");
}

// keep: receives the curves of the case's run, for the operating window.
TCaseRating RateCase(const TRatingInput& in, const TPackingRecord& packing,
                     const TPackingNumbers& pk, const TLoadCase& lc,
                     std::unique_ptr<TReplay>* keep = nullptr) {
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
    auto replay = std::make_unique<TReplay>(run, pk);
    r.FloodPressureDrop = replay->PressureDropAt(1.0);
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
    if (keep) *keep = std::move(replay);
  } catch (const TSilentAbort&) {
    r.Error = fields.Messages.empty() ? std::string("计算中止") : fields.Messages.front();
  } catch (const std::exception& e) {
    r.Error = e.what();
  }
  return r;
}

// The window along the first case's operating line.
TOperatingWindow WindowOf(const TRatingInput& in, const TPackingNumbers& pk,
                          const TCaseRating& design, TReplay& replay) {
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
  const auto dpAt = [&](double s) { return replay.PressureDropAt(std::min(s * F, 1.0)); };
  const TService& service = ServiceAt(in.Options.Service);
  if (service.Kind != TServiceKind::Unspecified && dpAt(w.Flood) > service.PressureDropHigh) {
    const auto excess = [&](double s) { return dpAt(s) - service.PressureDropHigh; };
    const double low = 0.05 * w.Flood, e = excess(low);
    w.PressureDrop = e >= 0.0 ? low : Illinois(excess, low, w.Flood, e, excess(w.Flood), 1e-10);
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

// The hydraulic run of the given column at the flows L and V [kg/s]; false when it fails.
bool HydraulicsAt(const TRatingInput& in, const TPackingRecord& packing, const TPackingNumbers& pk,
                  double L, double V, TDesignCase& run) {
  TValueFields fields;
  fields.V = in.Inputs;
  fields.V[size_t(TField::LD)] = L;
  fields.V[size_t(TField::VD)] = V;
  run = FreshCase(in.Options, in.Diameter);
  TQuietLog log;
  try {
    run.HydraulicsDone = false;
    return CalculateHydraulics(run, packing, pk, log, fields);
  } catch (const std::exception&) {
    return false;
  } catch (const TSilentAbort&) {
    return false;
  }
}

// The gas flow [kg/s] at which excess(run) changes sign from negative to positive (excess grows
// with the gas flow): bracketed by steps of 1.5 from `start`, within [lo, hi], then solved on
// ln V.
std::optional<double> GasWhere(
    const TRatingInput& in, const TPackingRecord& packing, const TPackingNumbers& pk, double L,
    double start, double lo, double hi,
    const std::function<std::optional<double>(const TDesignCase&)>& excess) {
  TDesignCase run;
  const auto at = [&](double V) -> std::optional<double> {
    if (!HydraulicsAt(in, packing, pk, L, V, run)) return std::nullopt;
    return excess(run);
  };
  double a = std::log(start), b = a;
  std::optional<double> e = at(start);
  if (!e) return std::nullopt;
  double ea = *e, eb = *e;
  while (ea > 0.0) {  // beyond the limit: down
    b = a;
    eb = ea;
    a -= std::log(1.5);
    if (a < std::log(lo) || !(e = at(std::exp(a)))) return std::nullopt;
    ea = *e;
  }
  while (eb <= 0.0) {  // within it: up
    a = b;
    ea = eb;
    b += std::log(1.5);
    if (b > std::log(hi) || !(e = at(std::exp(b)))) return std::nullopt;
    eb = *e;
  }
  bool failed = false;
  const double root = Illinois(
      [&](double lnV) {
        const std::optional<double> em = at(std::exp(lnV));
        failed = failed || !em;
        return em.value_or(0.0);
      },
      a, b, ea, eb, 1e-9);
  if (failed) return std::nullopt;
  return std::exp(root);
}

}  // namespace

TLoadLines RatingLoadLines(const TRatingInput& in, const TPackingRecord& packing,
                           const std::vector<double>& liquids) {
  TLoadLines out;
  const TPackingNumbers pk = RequirePackingNumbers(packing);
  const double V0 = in.Inputs[size_t(TField::LD)] && in.Inputs[size_t(TField::VD)]
                        ? *in.Inputs[size_t(TField::VD)]
                        : 0.0;
  if (!(V0 > 0.0)) return out;
  const double lo = V0 / 1000.0, hi = V0 * 100.0;
  const TService& service = ServiceAt(in.Options.Service);
  const bool pressureLine = service.Kind != TServiceKind::Unspecified;
  using E = std::optional<double>;
  for (const double L : liquids) {
    if (!(L > 0.0)) continue;
    const auto put = [&](std::vector<std::pair<double, double>>& line,
                         const std::optional<double>& V) {
      if (V) line.emplace_back(L, *V);
    };
    put(out.Flood, GasWhere(in, packing, pk, L, V0, lo, hi,
                            [](const TDesignCase& r) -> E { return *r.FloodFraction - 1.0; }));
    put(out.MinimumGas, GasWhere(in, packing, pk, L, V0, lo, hi, [](const TDesignCase& r) -> E {
          return *r.FloodFraction - kMinimumGasFraction;
        }));
    put(out.Loading, GasWhere(in, packing, pk, L, V0, lo, hi, [](const TDesignCase& r) -> E {
          if (!r.LoadingPercent) return std::nullopt;
          return *r.LoadingPercent / 100.0 - 1.0;
        }));
    if (pressureLine)
      put(out.PressureDrop,
          GasWhere(in, packing, pk, L, V0, lo, hi, [&](const TDesignCase& r) -> E {
            if (*r.FloodFraction >= 1.0) return 1.0;
            return *r.WetPressureDrop / service.PressureDropHigh - 1.0;
          }));
  }
  // The liquid flow whose load is the minimum wetting load: the load goes with the liquid flow.
  TDesignCase run;
  if (HydraulicsAt(in, packing, pk, *in.Inputs[size_t(TField::LD)], V0, run) && run.LiquidLoad &&
      *run.LiquidLoad > 0.0)
    out.MinimumWettingLiquid = *in.Inputs[size_t(TField::LD)] * MinimumWettingRate(pk.NominalSize) *
                               pk.SpecificArea / 3600.0 / *run.LiquidLoad;
  return out;
}

TDesignCase CaseRun(const TDesignCase& options,
                    const std::array<std::optional<double>, kFieldCount>& inputs,
                    const TPackingRecord& packing, std::optional<double> diameter,
                    bool massTransfer, std::string* error) {
  TValueFields fields;
  fields.V = inputs;
  TDesignCase run = FreshCase(options, diameter);
  TQuietLog log;
  try {
    if (massTransfer)
      Calculate(run, &packing, log, fields);
    else
      CalculateHydraulics(run, packing, RequirePackingNumbers(packing), log, fields);
    if (error && !run.HydraulicsDone)
      *error = !fields.Messages.empty() ? fields.Messages.front() : run.Stopped;
  } catch (const TSilentAbort&) {
    if (error) *error = fields.Messages.empty() ? std::string("计算中止") : fields.Messages.front();
  } catch (const std::exception& e) {
    if (error) *error = e.what();
  }
  return run;
}

TDesignCase DesignRun(const TDesignCase& options,
                      const std::array<std::optional<double>, kFieldCount>& inputs,
                      const TPackingRecord& packing, std::string* error) {
  // The hydraulic step alone: a diameter is what a design run is asked for.
  return CaseRun(options, inputs, packing, std::nullopt, false, error);
}

TCaseRating RateLoadCase(const TRatingInput& in, const TPackingRecord& packing,
                         const TLoadCase& lc) {
  return RateCase(in, packing, RequirePackingNumbers(packing), lc);
}

std::optional<TCaseRating> RateLoad(const TRating& rating, const TPackingRecord& packing, double L,
                                    double V) {
  if (!rating.Input) return std::nullopt;
  const TRatingInput& in = *rating.Input;
  const auto L0 = in.Inputs[size_t(TField::LD)], V0 = in.Inputs[size_t(TField::VD)];
  if (!L0 || !V0 || !(*L0 > 0.0) || !(*V0 > 0.0) || !(L > 0.0) || !(V > 0.0)) return std::nullopt;
  return RateCase(in, packing, RequirePackingNumbers(packing),
                  {"", 100.0 * L / *L0, 100.0 * V / *V0});
}

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
    if (cases.size() > kMaximumLoadCases)
      throw TInputError("负荷工况不能超过 " + std::to_string(kMaximumLoadCases) + " 个");
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
  std::unique_ptr<TReplay> first;
  for (const TLoadCase& lc : in.Cases) {
    out.Cases.push_back(RateCase(in, packing, pk, lc, out.Cases.empty() ? &first : nullptr));
    const TCaseRating& r = out.Cases.back();
    if (r.Rated && r.FloodPercent > worst) {
      worst = r.FloodPercent;
      out.Governing = static_cast<int>(out.Cases.size()) - 1;
    }
  }
  out.Input = std::make_shared<const TRatingInput>(in);
  if (first) {
    try {
      out.Window = WindowOf(in, pk, out.Cases.front(), *first);
    } catch (const std::exception&) {
      // The window is an addition to the cases; a failure leaves it out, the cases stand.
    }
  }
  return out;
}

const std::vector<TRatingColumn>& RatingColumns() {
  using R = const TCaseRating&;
  using O = std::optional<double>;
  static const std::vector<TRatingColumn> columns = {
      {"泛点率(恒定液气比)", "%", 4, "Eckert 1970", [](R r) -> O { return r.FloodPercent; }},
      {"泛点率(恒定液量)", "%", 4, "Kister 1992, Sec. 8.2",
       [](R r) { return r.FloodPercentConstantLiquid; }},
      {"ΔP/ΔP泛点", "%", 4, "Kister & Gill 1991", [](R r) -> O { return r.PressureDropPercent; }},
      {"Fs/Fs泛点", "%", 4, "Billet 1995", [](R r) -> O { return 100.0 * r.Fs / r.FsFlood; }},
      {"载点率", "%", 4, "Billet & Schultes 1999", [](R r) { return r.LoadingPercent; }},
      {"Fs", "Pa^0.5", 4, nullptr, [](R r) -> O { return r.Fs; }},
      {"Cs", "m/s", 4, nullptr, [](R r) -> O { return r.CapacityFactor; }},
      {"湿塔压降", "Pa/m", 4, nullptr, [](R r) -> O { return r.PressureDrop; }},
      {"泛点压降", "Pa/m", 4, nullptr, [](R r) -> O { return r.FloodPressureDrop; }},
      {"持液量", "m3/m3", 3, nullptr, [](R r) -> O { return r.Holdup; }},
      {"饱和喷淋", "%", 4, nullptr, [](R r) -> O { return r.WettingPercent; }},
      {"HETP", "m", 3, nullptr, [](R r) { return r.HETP; }},
      {"床层压降", "Pa", 4, nullptr, [](R r) { return r.BedPressureDrop; }},
      {"理论板数", "", 3, nullptr, [](R r) { return r.Stages; }},
  };
  return columns;
}

}  // namespace velm
