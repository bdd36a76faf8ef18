#include "core/Calculate.h"

#include <cmath>
#include <memory>
#include <stdexcept>

#include "base/Decimal.h"
#include "base/TextCodec.h"
#include "core/Accelerator.h"
#include "core/CalcTrace.h"
#include "core/CheckedMath.h"
#include "core/Correlations.h"
#include "core/Methods.h"

namespace velm {

namespace {

constexpr double kTolerance = 0.0001;  // absolute change of X [m3/(m2 h)]
constexpr int kStepLimit = 200;
constexpr int kAccelLimit = 1000;

void Write(TDesignCase& dc, TFieldAccess& fields, TField f, double v) {
  checked::Finite(v, FieldName(f));
  fields.SetValue(f, v);
  dc.Latest.Written.set(static_cast<size_t>(f));
  dc.Values[static_cast<size_t>(f)] = v;
}

// Reads an input field and notes that this run took it.
double Read(TDesignCase& dc, TFieldAccess& fields, TField f) {
  const double v = fields.Value(f);
  dc.Latest.Read.set(static_cast<size_t>(f));
  return v;
}

// True, with the reason noted in the case, when one of the listed inputs is empty: the run
// ends there without a message, as it always has, but it is not a complete run.
bool StopAtEmpty(TDesignCase& dc, TFieldAccess& fields, std::initializer_list<TField> list) {
  std::string empty;
  for (TField f : list)
    if (!fields.IsFilled(f)) empty += (empty.empty() ? "" : ", ") + std::string(FieldName(f));
  if (empty.empty()) return false;
  dc.Stopped = "empty input " + empty;
  return true;
}

}  // namespace

bool AllFilled(TFieldAccess& fields, std::initializer_list<TField> list) {
  for (TField f : list)
    if (!fields.IsFilled(f)) return false;
  return true;
}

void Calculate(TDesignCase& dc, const TPackingRecord* packing, TMessageLog& log,
               TFieldAccess& fields) {
  dc.Stopped.clear();
  dc.Latest = {};
  if (!packing) {
    dc.Stopped = "no packing";
    return;
  }
  dc.HydraulicsDone = false;
  const TPackingNumbers pk = RequirePackingNumbers(*packing);
  TraceRunStart(dc.Trace.get(), dc, pk, packing->F[14].c_str());
  if (CalculateHydraulics(dc, *packing, pk, log, fields)) CalculateMassTransfer(dc, pk, fields);
}

bool CalculateHydraulics(TDesignCase& dc, const TPackingRecord& packing, const TPackingNumbers& pk,
                         TMessageLog& log, TFieldAccess& fields) {
  using namespace checked;
  const TFloodingMethod& method = FloodingMethodAt(dc.FloodMethod);
  const bool kister = method.KpFromExperimentalFactor();
  // Calculation basis: the published correlations, or the forms of earlier versions bit for bit.
  const bool legacy = dc.LegacyMethods;
  TCalcTrace* const trace = dc.Trace.get();

  // A method whose constants the packing lacks ends the run as the Kister-type method does
  // without its factor.
  if (const std::string why = method.Unavailable(pk); !why.empty()) {
    fields.ShowMessage(why);
    fields.ResetFloodMethod();
    dc.Stopped = std::string("no constants for ") + method.Name();
    return false;
  }

  // The Kister-type method takes Kp from the packing's measured packing factor.
  double Kp = 0.0;
  if (dc.CalcKp && kister) {
    const std::string experimental(Trim(packing.F[14]));
    if (experimental.empty()) {
      fields.ShowMessage(kNoExperimentalFactorMessage);
      fields.ResetFloodMethod();
      dc.Stopped = std::string("no experimental packing factor for ") + method.Name();
      return false;
    }
    Kp = StrToFloat(LeadingNumber(experimental));
    dc.Kp = Kp;
    Write(dc, fields, TField::KpD, Kp);
    TraceFactor(trace, false, TFactorOrigin::Experimental, 0.0, 0.0, false, 0.0, Kp);
  }

  if (StopAtEmpty(dc, fields, {TField::LD, TField::VD, TField::DlD, TField::DvD, TField::MlD}))
    return false;
  if (method.NeedsGasViscosity() && StopAtEmpty(dc, fields, {TField::MvD})) return false;

  const double L = Read(dc, fields, TField::LD);
  const double V = Read(dc, fields, TField::VD);
  const double rhoL = Read(dc, fields, TField::DlD);
  const double rhoV = Read(dc, fields, TField::DvD);
  const double muL = Read(dc, fields, TField::MlD);
  const double muV = method.NeedsGasViscosity() ? Read(dc, fields, TField::MvD) : 0.0;
  if (method.NeedsGasViscosity()) dc.GasViscosity = muV;
  dc.LiquidFlow = L;
  dc.GasFlow = V;
  dc.LiquidDensity = rhoL;
  dc.GasDensity = rhoV;
  dc.LiquidViscosity = muL;
  dc.FloodPercent = StrToFloat(dc.FloodPercentText);
  dc.FoamingFactor = StrToFloat(dc.FoamingFactorText);
  dc.Latest.OptionsRead = true;
  const double f = dc.FloodPercent * dc.FoamingFactor / 100.0;
  const double f80 = 80.0 * dc.FoamingFactor / 100.0;

  // Liquid load that a gas velocity U [m/s] would give: (L/V)(rhoV/rhoL) U 3600 [m3/(m2 h)].
  const double loadPerVelocity = Finite(Div(L, V, "L/V") * Div(rhoV, rhoL, "ρV/ρL"), "L/V·ρV/ρL");

  double X = loadPerVelocity * 0.001 * 3600.0;
  double Kf = 0.0, Uf = 0.0, Up = 0.0;
  double passX = X;  // the liquid load the last pass took its factors at
  int counter = 0;
  TCurveScratch scratch;
  scratch.Trace = trace;
  dc.Curves.resize(2);
  dc.ColumnPoint = {};
  {
    auto accel = std::make_unique<TAitken>(counter, X, kAccelLimit,
                                           static_cast<std::uint8_t>(dc.AccelMethod), false);
    double change = 0.0;
    do {
      passX = X;
      if (!method.UsesChart()) {
        // The method takes no wet packing factors.
      } else if (dc.CalcKp && !kister) {
        Kp = WetPackingFactor(pk.KpA, pk.KpB, pk.KpLogForm, X);
        dc.Kp = Kp;
        Write(dc, fields, TField::KpD, Kp);
      } else if (!dc.CalcKp) {
        Kp = Read(dc, fields, TField::KpD);
        dc.Kp = Kp;
      }
      if (!method.UsesChart()) {
      } else if (dc.CalcKf) {
        Kf = WetPackingFactor(pk.KfA, pk.KfB, pk.KfLogForm, X);
        dc.Kf = Kf;
        Write(dc, fields, TField::KfD, Kf);
      } else {
        Kf = Read(dc, fields, TField::KfD);
        dc.Kf = Kf;
      }
      if (method.UsesChart()) Write(dc, fields, TField::KpD, Kp);

      const double FP = Finite(Div(L, V, "L/V") * Sqrt(Div(rhoV, rhoL, "ρV/ρL"), "√(ρV/ρL)"), "FP");
      dc.FlowParameter = FP;

      const TFloodingState state{FP, Kf, Kp, rhoL, rhoV, muL, f, f80, legacy, muV, &pk};
      Uf = method.Step(state, dc, scratch, log);

      X = Finite(loadPerVelocity * Uf * 3600.0, "泛点液相负荷 X");
      Up = f * Uf;
      change = accel->Step(X, counter);
    } while (change > kTolerance && counter < kStepLimit);
  }
  dc.IterationCount = counter;
  dc.Latest.IterationDone = true;
  dc.Converged = counter < kStepLimit;
  dc.FloodLiquidLoad = X;
  if (trace) {
    // The factors and the flow parameter of the last pass, and how the iteration ended.
    if (method.UsesKf())
      TraceFactor(trace, true, dc.CalcKf ? TFactorOrigin::Fitted : TFactorOrigin::Given, pk.KfA,
                  pk.KfB, pk.KfLogForm, passX, Kf);
    if (method.UsesChart() && (!kister || !dc.CalcKp))
      TraceFactor(trace, false, dc.CalcKp ? TFactorOrigin::Fitted : TFactorOrigin::Given, pk.KpA,
                  pk.KpB, pk.KpLogForm, passX, Kp);
    TraceFlowParameter(trace, L, V, rhoL, rhoV, dc.FlowParameter.value_or(0.0));
    TraceIteration(trace, loadPerVelocity, Uf, X, counter, *dc.Converged);
  }

  log.Add("RN=" + std::to_string(counter));
  if (!*dc.Converged) {
    log.Add("计算未收敛！");
    dc.Stopped = "not converged after " + std::to_string(counter) + " steps";
    return false;
  }

  // Diameter and loads of the rounded column.
  dc.DesignVelocity = Up;
  dc.FloodVelocity = Uf;
  Write(dc, fields, TField::UpD, Up);
  Write(dc, fields, TField::UfD, Uf);
  TraceDesignVelocity(trace, dc.FloodPercent, dc.FoamingFactor, f, Uf, Up);
  if (scratch.LoadingVelocity) {
    dc.LoadingVelocity = *scratch.LoadingVelocity;
    Write(dc, fields, TField::UlpD, *scratch.LoadingVelocity);
  }
  const double dp = Sqrt(Div(4.0 * V, M_PI * Up * rhoV, "4V/(π Up ρV)"), "理论塔径");
  dc.TheoreticalDiameter = dp;
  Write(dc, fields, TField::dpD, dp);
  // Rating: the column that exists; design: the standard size of the theoretical diameter.
  if (dc.GivenDiameter && !(*dc.GivenDiameter > 0.0 && std::isfinite(*dc.GivenDiameter)))
    throw TCalcError("核算塔径必须是正数。");
  const double D = dc.GivenDiameter ? *dc.GivenDiameter : RoundDiameter(dp, legacy);
  if (D <= 0.0)
    throw TCalcError("理论塔径 " + FormatGeneral(dp * 1000.0, 4) +
                     " mm 太小，圆整后的塔径为 0，无法计算气相负荷。请检查流量和物性数据。");
  dc.Diameter = D;
  Write(dc, fields, TField::dD, D);
  TraceDiameter(trace, V, Up, rhoV, dp, D, legacy, dc.GivenDiameter.has_value());
  const double Uvs = Div(4.0 * V, M_PI * D * D * rhoV, "气相负荷");
  dc.GasLoad = Uvs;
  Write(dc, fields, TField::UvsD, Uvs);
  dc.FloodFraction = Div(Uvs, Uf, "Uvs/Uf");
  Write(dc, fields, TField::fActualD, 100.0 * *dc.FloodFraction);
  if (scratch.LoadingVelocity) {
    dc.LoadingPercent = 100.0 * Div(Uvs, *scratch.LoadingVelocity, "Uvs/载点气速");
    Write(dc, fields, TField::fLoadD, *dc.LoadingPercent);
  }
  // The pressure drop of the column that is built, at its own flood fraction (legacy design:
  // the design point's; a given column is always taken at its own).
  const bool atDesignPoint = legacy && !dc.GivenDiameter;
  if (!atDesignPoint) dc.ColumnPoint = method.PlaceAtFraction(*dc.FloodFraction, dc, scratch);
  const TOperatingPoint& point = atDesignPoint ? dc.DesignPoint : dc.ColumnPoint;
  const double Uls = Finite(loadPerVelocity * Uvs, "液相负荷");
  dc.LiquidLoad = Uls;
  Write(dc, fields, TField::UlsD, Uls);
  TraceColumn(trace, V, D, rhoV, Uvs, Uf, *dc.FloodFraction, loadPerVelocity, Uls);

  // Holdup, wetting and the pressure drop.
  const std::optional<double> ownHoldup = method.Holdup(Uls, scratch);
  const double holdup = ownHoldup ? *ownHoldup : LiquidHoldup(muL, Uls, rhoL, pk.NominalSize);
  dc.Holdup = holdup;
  Write(dc, fields, TField::HTD, holdup);
  if (!ownHoldup) TraceHoldup(trace, muL, Uls, rhoL, pk.NominalSize, holdup);
  const double wetting = WettingPercent(Uls, pk.SpecificArea, pk.NominalSize);
  dc.WettingPercent = wetting;
  Write(dc, fields, TField::UmD, wetting);
  TraceWetting(trace, Uls, pk.SpecificArea, pk.NominalSize, MinimumWettingRate(pk.NominalSize),
               wetting);
  dc.WetPressureDrop = point.PressureDrop;
  Write(dc, fields, TField::dPwaterD, point.PressureDrop);
  TracePressureDrop(trace, atDesignPoint, *dc.FloodFraction, point);
  dc.WettingSufficient = wetting >= 100.0;
  fields.SetWettingCaption(WettingCaption(*dc.WettingSufficient));
  dc.HydraulicsDone = true;
  return true;
}

void CalculateMassTransfer(TDesignCase& dc, const TPackingNumbers& pk, TFieldAccess& fields) {
  if (!dc.HydraulicsDone || !dc.Diameter || !dc.FloodFraction || !dc.FloodLiquidLoad)
    throw std::logic_error("the mass-transfer step needs the hydraulic step's results");
  const double L = dc.LiquidFlow, V = dc.GasFlow, rhoL = dc.LiquidDensity, rhoV = dc.GasDensity,
               muL = dc.LiquidViscosity;
  const double D = *dc.Diameter, X = *dc.FloodLiquidLoad;
  const bool legacy = dc.LegacyMethods;

  if (StopAtEmpty(dc, fields,
                  {TField::SLD, TField::LD, TField::VD, TField::MlD, TField::MvD, TField::DlfD,
                   TField::LmdD}))
    return;
  const double sigmaL = Read(dc, fields, TField::SLD);
  const double muV = Read(dc, fields, TField::MvD);
  const double DL = Read(dc, fields, TField::DlfD);
  const double DV = Read(dc, fields, TField::DvfD);
  const double lambda = Read(dc, fields, TField::LmdD);
  dc.SurfaceTension = sigmaL;
  dc.GasViscosity = muV;
  dc.LiquidDiffusivity = DL;
  dc.GasDiffusivity = DV;
  dc.Lambda = lambda;

  const TMassTransferState state{
      L,      V,   D,      *dc.FloodFraction, X, rhoL, rhoV, muL, muV, sigmaL, DL, DV,
      lambda, &pk, legacy, dc.Trace.get()};
  const TMassTransferMethod* own =
      FloodingMethodAt(FloodingMethodIndex(dc.FloodMethod)).MassTransfer(pk);
  const THeights h = (own ? *own : MassTransferMethodAt(0)).Heights(state);
  dc.HTUV = h.HTUV;
  dc.HTUL = h.HTUL;
  dc.HTUOV = h.HTUOV;
  dc.HETP = h.HETP;
  Write(dc, fields, TField::HTUVD, h.HTUV);
  Write(dc, fields, TField::HTULD, h.HTUL);
  Write(dc, fields, TField::HTUOVD, h.HTUOV);
  Write(dc, fields, TField::HETPD, h.HETP);
}

}  // namespace velm
