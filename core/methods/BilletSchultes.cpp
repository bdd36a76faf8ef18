// The method of Billet & Schultes (Trans IChemE 77A, 1999, 498-504) for random packings: the
// loading point from the packing's constants, the flooding point at the loading velocity over
// 0.7, holdup and pressure drop below the loading point with the wall factor of the column that
// is built, and the heights of transfer units of their two-film model. Equation numbers are
// those of Seader & Henley, Separation Process Principles, 2nd ed., Sec. 6.8.
#include "core/methods/BilletSchultes.h"

#include <algorithm>
#include <cmath>

#include "core/CheckedMath.h"
#include "core/Methods.h"

namespace velm {

using namespace checked;

double BsLiquidReynolds(double uL, double rhoL, double muL, double a) {
  return Div(uL * rhoL, a * muL, "Re_L");
}

double BsLiquidFroude(double uL, double a) { return uL * uL * a / kBsGravity; }

double BsHydraulicAreaRatio(double Ch, double ReL, double FrL) {
  if (ReL < 5.0) return Ch * Pow(ReL, 0.15, "Re_L^0.15") * Pow(FrL, 0.1, "Fr_L^0.1");
  return 0.85 * Ch * Pow(ReL, 0.25, "Re_L^0.25") * Pow(FrL, 0.1, "Fr_L^0.1");
}

double BsHoldup(double uL, double rhoL, double muL, double a, double Ch) {
  const double ReL = BsLiquidReynolds(uL, rhoL, muL, a);
  const double FrL = BsLiquidFroude(uL, a);
  const double ratio = BsHydraulicAreaRatio(Ch, ReL, FrL);
  return Finite(std::cbrt(Div(12.0 * FrL, ReL, "12 Fr_L/Re_L")) * std::cbrt(ratio * ratio),
                "持液量 h_L");
}

double BsLoadingVelocityBranch(double LV, double rhoL, double rhoV, double muL, double muV,
                               double a, double eps, double CS, bool above) {
  const double viscosityRatio = Div(muL, muV, "μL/μV");
  const double FP = LV * Sqrt(Div(rhoV, rhoL, "ρV/ρL"), "√(ρV/ρL)");
  const double n = above ? -0.723 : -0.326;
  const double C = above ? 0.695 * CS * Pow(viscosityRatio, 0.1588, "(μL/μV)^0.1588") : CS;
  const double psi = kBsGravity / (C * C) *
                     Pow(FP * Pow(viscosityRatio, 0.4, "(μL/μV)^0.4"), -2.0 * n, "载点阻力系数 ψ");
  // With s = y^(1/6), y = k uV, k = 12 muL (L/V)(rhoV/rhoL)/(g rhoL), the loading equation reads
  // s^5/k = A (c1 - c2 s^2), A = (g/psi)^(1/2) (rhoL/rhoV)^(1/2): the left side rises from zero,
  // the right one falls, so there is one root in 0 < s < (c1/c2)^(1/2). Newton's method from
  // above it converges monotonically on this increasing convex function.
  const double k =
      Finite(12.0 * muL * LV * rhoV / (kBsGravity * rhoL * rhoL), "12 μL uL/(g ρL uV)");
  if (!(k > 0.0)) Fail("载点方程的液气比项", "不是正数", k);
  const double A = Sqrt(Div(kBsGravity, psi, "g/ψ") * rhoL / rhoV, "√(g/ψ·ρL/ρV)");
  const double c1 = eps / std::pow(a, 1.0 / 6.0);
  const double c2 = std::sqrt(a);
  double s = std::min(std::sqrt(c1 / c2), std::pow(A * c1 * k, 0.2));
  for (int i = 0; i < 100; ++i) {
    const double s4 = s * s * s * s;
    const double h = s4 * s / k - A * (c1 - c2 * s * s);
    const double dh = 5.0 * s4 / k + 2.0 * A * c2 * s;
    const double next = s - h / dh;
    if (!(next > 0.0)) break;
    const bool done = std::fabs(next - s) <= 1e-13 * s;
    s = next;
    if (done) break;
  }
  const double s2 = s * s;
  return Finite(s2 * s2 * s2 / k, "载点气速");
}

double BsLoadingVelocity(double LV, double rhoL, double rhoV, double muL, double muV, double a,
                         double eps, double CS) {
  const double FP = LV * std::sqrt(rhoV / rhoL);
  return BsLoadingVelocityBranch(LV, rhoL, rhoV, muL, muV, a, eps, CS, FP > 0.4);
}

double BsWallFactor(double a, double eps, double D) {
  if (!(D > 0.0)) return 1.0;
  const double dp = 6.0 * (1.0 - eps) / a;
  return 1.0 / (1.0 + 2.0 / 3.0 * dp / ((1.0 - eps) * D));
}

double BsDryPressureDrop(double uV, double rhoV, double muV, double a, double eps, double Cp,
                         double D) {
  const double K = BsWallFactor(a, eps, D);
  const double dp = 6.0 * (1.0 - eps) / a;
  const double ReV = Div(uV * dp * rhoV * K, (1.0 - eps) * muV, "Re_V");
  const double psi0 = Cp * (Div(64.0, ReV, "64/Re_V") + 1.8 / Pow(ReV, 0.08, "Re_V^0.08"));
  return Finite(psi0 * a / (eps * eps * eps) * rhoV * uV * uV / 2.0 / K, "干填料压降");
}

double BsWetPressureDrop(double dryDrop, double hL, double FrL, double a, double eps) {
  if (!(hL < eps)) Fail("持液量 h_L", "不小于空隙率", hL);
  return Finite(dryDrop * Pow(eps / (eps - hL), 1.5, "(ε/(ε-h_L))^1.5") *
                    Exp(13300.0 / std::pow(a, 1.5) * std::sqrt(FrL), "exp(13300 Fr_L^0.5/a^1.5)"),
                "湿填料压降");
}

double BsInterfacialAreaRatio(double uL, double rhoL, double muL, double sigma, double a,
                              double eps) {
  const double dh = 4.0 * eps / a;
  const double ReLh = Div(uL * dh * rhoL, muL, "Re_Lh");
  const double WeLh = Div(uL * uL * rhoL * dh, sigma, "We_Lh");
  const double FrLh = uL * uL / (kBsGravity * dh);
  return Finite(1.5 / std::sqrt(a * dh) * Pow(ReLh, -0.2, "Re_Lh^-0.2") *
                    Pow(WeLh, 0.75, "We_Lh^0.75") * Pow(FrLh, -0.45, "Fr_Lh^-0.45"),
                "相界面积比 a_Ph/a");
}

double BsLiquidTransferHeight(double uL, double DL, double a, double eps, double hL, double CL,
                              double areaRatio) {
  return Finite(
      1.0 / CL * std::pow(12.0, -1.0 / 6.0) *
          Sqrt(Div(4.0 * eps * hL, DL * a * uL, "4εh_L/(DL a uL)"), "√(4εh_L/(DL a uL))") * uL / a /
          areaRatio,
      "HTUL");
}

double BsGasTransferHeight(double uV, double rhoV, double muV, double DV, double a, double eps,
                           double hL, double CV, double areaRatio) {
  const double ReV = Div(uV * rhoV, a * muV, "Re_V");
  const double ScV = Div(muV, rhoV * DV, "Sc_V");
  return Finite(1.0 / CV * Sqrt(eps - hL, "√(ε-h_L)") * std::sqrt(4.0 * eps) / (a * a) *
                    Pow(ReV, -0.75, "Re_V^-0.75") * Pow(ScV, -1.0 / 3.0, "Sc_V^-1/3") * uV /
                    (DV * areaRatio),
                "HTUV");
}

namespace {

const TBilletSchultesConstants& ConstantsOf(const TPackingNumbers* p) {
  if (!p || !p->BilletSchultes) throw TCalcError("所选填料没有 Billet-Schultes 常数");
  return *p->BilletSchultes;
}

// The wet pressure drop [Pa/m] at the gas velocity uV of a column of diameter D (0: no wall).
double PressureDropAt(const TFloodingState& s, double uV, double D) {
  const TBilletSchultesConstants& c = ConstantsOf(s.Packing);
  const double LV = s.FP * std::sqrt(s.rhoL / s.rhoV);
  const double uL = uV * LV * s.rhoV / s.rhoL;
  const double hL = BsHoldup(uL, s.rhoL, s.muL, *c.a, *c.Ch);
  const double dry = BsDryPressureDrop(uV, s.rhoV, s.muV, *c.a, *c.Epsilon, *c.Cp, D);
  return BsWetPressureDrop(dry, hL, BsLiquidFroude(uL, *c.a), *c.a, *c.Epsilon);
}

// The capacity of an operating point under this method is its gas velocity [m/s].
TOperatingPoint PointAt(const TFloodingState& s, double uV, double D) {
  return {uV, PressureDropAt(s, uV, D), true};
}

class TBilletSchultesMassTransfer : public TMassTransferMethod {
 public:
  const char* Name() const override { return "Billet-Schultes"; }

  THeights Heights(const TMassTransferState& s) const override {
    const TBilletSchultesConstants& c = ConstantsOf(s.Packing);
    if (!MissingConstants(c, "a eps Ch CL CV").empty())
      throw TCalcError("所选填料缺少 Billet-Schultes 传质常数");
    const double area = M_PI * s.D * s.D / 4.0;
    const double uL = Div(s.L, area * s.rhoL, "液相表观速度");
    const double uV = Div(s.V, area * s.rhoV, "气相表观速度");
    const double hL = BsHoldup(uL, s.rhoL, s.muL, *c.a, *c.Ch);
    const double ratio = BsInterfacialAreaRatio(uL, s.rhoL, s.muL, s.sigmaL, *c.a, *c.Epsilon);
    const double HTUL = BsLiquidTransferHeight(uL, s.DL, *c.a, *c.Epsilon, hL, *c.CL, ratio);
    const double HTUV =
        BsGasTransferHeight(uV, s.rhoV, s.muV, s.DV, *c.a, *c.Epsilon, hL, *c.CV, ratio);
    return HeightsFromUnits(HTUV, HTUL, s.lambda);
  }
};

const TBilletSchultesMassTransfer kMassTransfer;

class TBilletSchultes : public TFloodingMethod {
 public:
  const char* Name() const override { return "Billet-Schultes"; }
  const char* KpCaption() const override { return "压降湿填料因子"; }
  bool KpFromExperimentalFactor() const override { return false; }
  bool UsesKf() const override { return false; }
  bool UsesChart() const override { return false; }
  bool NeedsGasViscosity() const override { return true; }
  // No chart bounds the flow parameter of this method; the loading equation changes its
  // constants at FP = 0.4, which the validity checks look at.
  std::pair<double, double> FlowParameterRange() const override { return {0.0, HUGE_VAL}; }
  int LastChartCurve(double) const override { return 0; }
  int TopChartCurve() const override { return 0; }
  double ChartPressureDropEnd() const override { return 0.0; }

  std::string Unavailable(const TPackingNumbers& p) const override {
    if (!p.BilletSchultesError.empty()) return p.BilletSchultesError;
    const std::string missing = p.BilletSchultes
                                    ? MissingConstants(*p.BilletSchultes, kBsHydraulicConstants)
                                    : std::string(kBsHydraulicConstants);
    if (missing.empty()) return {};
    return "你选择的是 Billet-Schultes 算法，但是所选填料没有该算法的常数（缺 " + missing +
           "）。请选用有常数的填料或改用 Eckert-Orvik 算法。";
  }

  double Step(const TFloodingState& s, TDesignCase& dc, TCurveScratch& scratch,
              TMessageLog&) const override {
    const TBilletSchultesConstants& c = ConstantsOf(s.Packing);
    const double LV = s.FP * Sqrt(s.rhoL / s.rhoV, "√(ρL/ρV)");
    const double uLoad =
        BsLoadingVelocity(LV, s.rhoL, s.rhoV, s.muL, s.muV, *c.a, *c.Epsilon, *c.CS);
    const double Uf = uLoad / kBsLoadingToFlooding;
    scratch.State = s;
    scratch.LoadingVelocity = uLoad;
    dc.CurveCount = 0;
    // The flooding point has no pressure drop under this method (the correlation holds below
    // the loading point); the design and 80 % points are placed in a bed without wall.
    dc.FloodPoint = {Uf, 0.0, false};
    dc.DesignPoint = PointAt(s, s.f * Uf, 0.0);
    dc.Load80Point = PointAt(s, s.f80 * Uf, 0.0);
    return Uf;
  }

  TOperatingPoint PlaceAtFraction(double F, const TDesignCase& dc,
                                  TCurveScratch& scratch) const override {
    if (!scratch.State || !dc.FloodVelocity) throw TCalcError("载点和泛点尚未计算");
    return PointAt(*scratch.State, F * *dc.FloodVelocity, dc.Diameter.value_or(0.0));
  }

  std::optional<double> Holdup(double Uls, const TCurveScratch& scratch) const override {
    if (!scratch.State) return std::nullopt;
    const TFloodingState& s = *scratch.State;
    return BsHoldup(Uls, s.rhoL, s.muL, *ConstantsOf(s.Packing).a, *ConstantsOf(s.Packing).Ch);
  }

  const TMassTransferMethod* MassTransfer(const TPackingNumbers& p) const override {
    if (!p.BilletSchultes || !MissingConstants(*p.BilletSchultes, kBsMassTransferConstants).empty())
      return nullptr;
    return &kMassTransfer;
  }
};

}  // namespace

std::unique_ptr<TFloodingMethod> MakeBilletSchultes() {
  return std::make_unique<TBilletSchultes>();
}

std::unique_ptr<TMassTransferMethod> MakeBilletSchultesMassTransfer() {
  return std::make_unique<TBilletSchultesMassTransfer>();
}

}  // namespace velm
