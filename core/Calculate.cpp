#include "core/Calculate.h"

#include <cmath>
#include <memory>

#include "base/Decimal.h"
#include "base/TextCodec.h"
#include "core/CheckedMath.h"
#include "core/Correlations.h"
#include "core/UnitAitken.h"

namespace velm {

namespace {

constexpr const char* kFieldNames[kFieldCount] = {
    "LD",   "DlD", "MlD",      "SLD",   "DlfD",  "VD",     "DvD",   "MvD",     "DvfD",
    "LmdD", "KfD", "KpD",      "UfD",   "UpD",   "dpD",    "dD",    "UvsD",    "UlsD",
    "HTD",  "UmD", "dPwaterD", "HTUVD", "HTULD", "HTUOVD", "HETPD", "fActualD"};

constexpr const char* kFieldCaptions[kFieldCount] = {
    "液相质量流量",   "液相密度",       "液相粘度", "液相表面张力", "液相扩散系数",
    "气相质量流量",   "气相密度",       "气相粘度", "气相扩散系数", "参数λ",
    "泛点湿填料因子", "压降湿填料因子", "泛点气速", "空速",         "理论塔径",
    "实际塔径",       "气相负荷",       "液相负荷", "持液量",       "饱和喷淋",
    "湿塔压降(每米)", "HTUV",           "HTUL",     "HTUOV",        "HETP(等板高度)",
    "实际泛点率"};

constexpr double kTolerance = 0.0001;  // absolute change of X [m3/(m2 h)]
constexpr int kStepLimit = 200;
constexpr int kAccelLimit = 1000;

// The packing record's numbers, converted when the run starts.
struct TPackingNumbers {
  double NominalSize;   // [m]
  double SpecificArea;  // [m2/m3]
  bool KpLogForm;
  double KpA, KpB;
  bool KfLogForm;
  double KfA, KfB;
  double CriticalSurfaceTension;  // [N/m]
};

// The nominal size [mm] is the number the size text starts with: "50", "50mm", "8mm" and
// "100mm" are 50, 50, 8 and 100 mm.
double NominalSizeMm(const std::string& text) {
  const std::string_view t = Trim(text);
  size_t i = 0;
  while (i < t.size() && ((t[i] >= '0' && t[i] <= '9') || t[i] == '.')) ++i;
  if (const auto v = ParseNumber(t.substr(0, i))) return *v;
  throw TInputError("填料尺寸“" + text + "”不以数值开始");
}

TPackingNumbers ReadPacking(const TPackingRecord& p) {
  TPackingNumbers n{};
  n.NominalSize = NominalSizeMm(p.F[2]) / 1000.0;
  n.SpecificArea = StrToFloat(p.F[4]);
  n.KpLogForm = StrToFloat(p.F[6]) == 0.0;
  n.KpA = StrToFloat(p.F[7]);
  n.KpB = StrToFloat(p.F[8]);
  n.KfLogForm = StrToFloat(p.F[9]) != 0.0;
  n.KfA = StrToFloat(p.F[10]);
  n.KfB = StrToFloat(p.F[11]);
  n.CriticalSurfaceTension = StrToFloat(p.F[13]) * 0.001;
  return n;
}

void Write(TDesignCase& dc, TFieldAccess& fields, TField f, double v) {
  checked::Finite(v, FieldName(f));
  fields.SetValue(f, v);
  dc.Latest.Written.set(static_cast<size_t>(f));
}

// Reads an input field and notes that this run took it.
double Read(TDesignCase& dc, TFieldAccess& fields, TField f) {
  const double v = fields.Value(f);
  dc.Latest.Read.set(static_cast<size_t>(f));
  return v;
}

// Places a point of capacity x on the used curves by the cubic through the four curves around
// it, and returns its wet pressure drop [Pa/m].
double PlacePoint(const mnMatrix& curves, int used, double x, const char* resultName,
                  const char* varName, mnMatrix& window, mnMatrix& coef, TMessageLog& log) {
  SelectWindow(curves, 1, used, 3, x, window);
  return checked::Finite(PolyFitEval(window, 1, 0, 4, 3, coef, x, varName, resultName, &log),
                         resultName);
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

int EckertCurvesUsed(double FP) {
  if (FP <= 0.25) return 11;
  if (FP <= 1.0) return 9;
  return 8;
}

}  // namespace

const char* FieldName(TField f) {
  const int i = static_cast<int>(f);
  return i >= 0 && i < kFieldCount ? kFieldNames[i] : "?";
}

bool PackingFactorEstimated(const TPackingRecord& p) {
  const std::optional<double> f = ParseNumber(LeadingNumber(p.F[14]));
  return !f || !(*f > 0.0);
}

const char* FieldCaption(TField f, int floodMethod) {
  if (f == TField::KpD && floodMethod != kEckertOrvik) return "实验填料因子";
  const int i = static_cast<int>(f);
  return i >= 0 && i < kFieldCount ? kFieldCaptions[i] : "?";
}

bool AllFilled(TFieldAccess& fields, std::initializer_list<TField> list) {
  for (TField f : list)
    if (!fields.IsFilled(f)) return false;
  return true;
}

void Calculate(TDesignCase& dc, const TPackingRecord* packing, TMessageLog& log,
               TFieldAccess& fields) {
  using namespace checked;
  dc.Stopped.clear();
  dc.Latest = {};
  if (!packing) {
    dc.Stopped = "no packing";
    return;
  }

  dc.HydraulicsDone = false;
  const TPackingNumbers pk = ReadPacking(*packing);
  const bool kister = dc.FloodMethod != kEckertOrvik;
  // Calculation basis: the published correlations, or the forms of earlier versions bit for bit.
  const bool legacy = dc.LegacyMethods;

  // The Kister-type method takes Kp from the packing's measured packing factor.
  double Kp = 0.0;
  if (dc.CalcKp && kister) {
    const std::string experimental(Trim(packing->F[14]));
    if (experimental.empty()) {
      fields.ShowMessage(kNoExperimentalFactorMessage);
      fields.ResetFloodMethod();
      dc.Stopped = "no experimental packing factor for Kister-Orvik";
      return;
    }
    Kp = StrToFloat(LeadingNumber(experimental));
    dc.Kp = Kp;
    Write(dc, fields, TField::KpD, Kp);
  }

  // ---- Hydraulic stage -------------------------------------------------------------------
  if (StopAtEmpty(dc, fields, {TField::LD, TField::VD, TField::DlD, TField::DvD, TField::MlD}))
    return;

  const double L = Read(dc, fields, TField::LD);
  const double V = Read(dc, fields, TField::VD);
  const double rhoL = Read(dc, fields, TField::DlD);
  const double rhoV = Read(dc, fields, TField::DvD);
  const double muL = Read(dc, fields, TField::MlD);
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
  int counter = 0;
  mnMatrix window, coef;
  dc.Curves.resize(2);
  {
    auto accel = std::make_unique<TAitken>(counter, X, kAccelLimit,
                                           static_cast<std::uint8_t>(dc.AccelMethod), false);
    double change = 0.0;
    do {
      if (dc.CalcKp && !kister) {
        Kp = WetPackingFactor(pk.KpA, pk.KpB, pk.KpLogForm, X);
        dc.Kp = Kp;
        Write(dc, fields, TField::KpD, Kp);
      } else if (!dc.CalcKp) {
        Kp = Read(dc, fields, TField::KpD);
        dc.Kp = Kp;
      }
      if (dc.CalcKf) {
        Kf = WetPackingFactor(pk.KfA, pk.KfB, pk.KfLogForm, X);
        dc.Kf = Kf;
        Write(dc, fields, TField::KfD, Kf);
      } else {
        Kf = Read(dc, fields, TField::KfD);
        dc.Kf = Kf;
      }
      Write(dc, fields, TField::KpD, Kp);

      const double FP = Finite(Div(L, V, "L/V") * Sqrt(Div(rhoV, rhoL, "ρV/ρL"), "√(ρV/ρL)"), "FP");
      dc.FlowParameter = FP;

      if (!kister) {
        const double Yflood = EckertCurves(FP, dc.Curves);
        dc.CurveCount = kEckertCurves;  // only once the curves are there
        Uf = EckertFloodVelocity(Yflood, Kf, rhoL, rhoV, muL);
        dc.FloodPoint.Capacity = Finite(Div(Yflood * Kp, Kf, "Yf·Kp/Kf"), "Yf");
        const int used = EckertCurvesUsed(FP);
        dc.FloodPoint.PressureDrop =
            PlacePoint(dc.Curves, used, dc.FloodPoint.Capacity, "△Pf", "Yf", window, coef, log);
        dc.FloodPoint.Placed = true;
        dc.DesignPoint.Capacity = f * f * dc.FloodPoint.Capacity;
        dc.DesignPoint.PressureDrop =
            PlacePoint(dc.Curves, used, dc.DesignPoint.Capacity, "△P", "Y", window, coef, log);
        dc.DesignPoint.Placed = true;
        dc.Load80Point.Capacity = f80 * f80 * dc.FloodPoint.Capacity;
        dc.Load80Point.PressureDrop =
            PlacePoint(dc.Curves, used, dc.Load80Point.Capacity, "△Pm", "Ym", window, coef, log);
        dc.Load80Point.Placed = true;
      } else {
        KisterCurves(FP, dc.Curves);
        dc.CurveCount = kKisterCurves;
        // Kister & Gill 1991 (legacy: the constant 40.196).
        dc.FloodPoint.PressureDrop = KisterFloodPressureDrop(Kp, legacy);
        SelectWindow(dc.Curves, 0, kKisterCurves, 1, dc.FloodPoint.PressureDrop, window);
        const double CPflood = Finite(
            PolyFitEval(window, 0, 1, 2, 1, coef, dc.FloodPoint.PressureDrop, "△Pf", "Yf", &log),
            "Yf");
        dc.FloodPoint.Capacity = CPflood;
        dc.FloodPoint.Placed = true;
        // Kinematic viscosity in the capacity parameter, Kister et al. 2007 (legacy: μL). The
        // design and 80 % points are placed at f and f80 times this capacity, so they sit at the
        // gas velocities f Uf and f80 Uf on the same basis.
        Uf = KisterFloodVelocity(CPflood, Kp, rhoL, rhoV, muL, legacy);
        dc.DesignPoint.Capacity = f * CPflood;
        dc.DesignPoint.PressureDrop = PlacePoint(dc.Curves, kKisterCurves, dc.DesignPoint.Capacity,
                                                 "△P", "Y", window, coef, log);
        dc.DesignPoint.Placed = true;
        dc.Load80Point.Capacity = f80 * CPflood;
        dc.Load80Point.PressureDrop = PlacePoint(dc.Curves, kKisterCurves, dc.Load80Point.Capacity,
                                                 "△Pm", "Ym", window, coef, log);
        dc.Load80Point.Placed = true;
      }

      X = Finite(loadPerVelocity * Uf * 3600.0, "泛点液相负荷 X");
      Up = f * Uf;
      change = accel->Step(X, counter);
    } while (change > kTolerance && counter < kStepLimit);
  }
  dc.IterationCount = counter;
  dc.Latest.IterationDone = true;
  dc.Converged = counter < kStepLimit;
  dc.FloodLiquidLoad = X;

  log.Add("RN=" + std::to_string(counter));
  if (!*dc.Converged) {
    log.Add("计算未收敛！");
    dc.Stopped = "not converged after " + std::to_string(counter) + " steps";
    return;
  }

  // Diameter and loads of the rounded column.
  dc.DesignVelocity = Up;
  dc.FloodVelocity = Uf;
  Write(dc, fields, TField::UpD, Up);
  Write(dc, fields, TField::UfD, Uf);
  const double dp = Sqrt(Div(4.0 * V, M_PI * Up * rhoV, "4V/(π Up ρV)"), "理论塔径");
  dc.TheoreticalDiameter = dp;
  Write(dc, fields, TField::dpD, dp);
  const double D = RoundDiameter(dp);
  if (D <= 0.0)
    throw TCalcError("理论塔径 " + FormatGeneral(dp * 1000.0, 4) +
                     " mm 太小，圆整后的塔径为 0，无法计算气相负荷。请检查流量和物性数据。");
  dc.Diameter = D;
  Write(dc, fields, TField::dD, D);
  const double Uvs = Div(4.0 * V, M_PI * D * D * rhoV, "气相负荷");
  dc.GasLoad = Uvs;
  Write(dc, fields, TField::UvsD, Uvs);
  dc.FloodFraction = Div(Uvs, Uf, "Uvs/Uf");
  Write(dc, fields, TField::fActualD, 100.0 * *dc.FloodFraction);
  const double Uls = Finite(loadPerVelocity * Uvs, "液相负荷");
  dc.LiquidLoad = Uls;
  Write(dc, fields, TField::UlsD, Uls);

  // Holdup, wetting and the design point's pressure drop.
  const double holdup = LiquidHoldup(muL, Uls, rhoL, pk.NominalSize);
  dc.Holdup = holdup;
  Write(dc, fields, TField::HTD, holdup);
  const double wetting = WettingPercent(Uls, pk.SpecificArea, pk.NominalSize);
  dc.WettingPercent = wetting;
  Write(dc, fields, TField::UmD, wetting);
  dc.WetPressureDrop = dc.DesignPoint.PressureDrop;
  Write(dc, fields, TField::dPwaterD, dc.DesignPoint.PressureDrop);
  dc.WettingSufficient = wetting >= 100.0;
  fields.SetWettingCaption(WettingCaption(*dc.WettingSufficient));
  dc.HydraulicsDone = true;

  // ---- Mass-transfer stage ---------------------------------------------------------------
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

  // Onda, Takeuchi & Okumoto 1968 evaluate the film coefficients and the wetted area at the
  // mass velocities of the column itself, and the coefficients are per unit of wetted area aw,
  // so the heights are Gm/(kG aw ρV) and Lm/(kL aw ρL). Legacy: the mass velocities of the
  // flooding point and the total area a in the heights.
  double Lw, Gw;
  if (legacy) {
    Lw = X / 3600.0 * rhoL;
    Gw = Div(V, L, "V/L") * Lw;
  } else {
    const double area = M_PI * D * D;
    Lw = Div(4.0 * L, area, "液相质量速度");
    Gw = Div(4.0 * V, area, "气相质量速度");
  }
  TOndaResult onda =
      OndaCoefficients(Lw, Gw, pk.SpecificArea, pk.NominalSize, pk.CriticalSurfaceTension, sigmaL,
                       muL, rhoL, DL, muV, rhoV, DV);
  // Enhancement above half flooding, with the flood fraction of the rounded column.
  const double F = *dc.FloodFraction;
  onda.kL *= LiquidFilmEnhancement(F);
  onda.kG *= GasFilmEnhancement(F);
  const double transferArea = legacy ? pk.SpecificArea : onda.WettedRatio * pk.SpecificArea;
  const THeights h = TransferHeights(V, L, D, onda.kG, onda.kL, transferArea, rhoV, rhoL, lambda);
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
