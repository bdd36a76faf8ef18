#include "core/Correlations.h"

#include <algorithm>
#include <cfenv>
#include <cmath>

#include "core/CheckedMath.h"

namespace velm {

namespace {

// Eckert-type curves: pressure drop [Pa/m] and c0..c6 of ln Y = sum c_j u^j, u = log10 FP.
// The placing of the operating points is a cubic through four of these curves and is sensitive
// to the last bits of the capacities, so the sums are written term by term, each power u^j
// correctly rounded by pow, exactly as the formula reads.
// Row 11 is the flooding line.
constexpr double kEckert[kEckertRows][8] = {
    {39.23, -7.6672, -1.48293, -0.65779, 0.56102, 1.06951, 0.61098, 0.11907},
    {49.04, -7.45294, -1.56264, -0.61467, 0.0647, 0.0703, -0.00671, -0.00572},
    {98.07, -6.76516, -1.80017, -0.79391, -0.3141, -0.25068, -0.11249, -0.01572},
    {147.1, -6.44282, -1.94008, -1.03124, -0.28422, 0.0486, 0.08976, 0.0246},
    {196.1, -6.27676, -2.06633, -1.02162, -0.10903, 0.18449, 0.12118, 0.02418},
    {294.2, -5.96109, -2.1066, -1.03073, -0.0903, 0.11667, 0.03735, 0.00134},
    {392.3, -5.77014, -2.3012, -1.1089, 0.12575, 0.37292, 0.15508, 0.02178},
    {490.4, -5.66692, -2.41646, -1.0749, 0.3576, 0.56082, 0.21801, 0.03072},
    {980.7, -5.46838, -2.17891, -0.82078, -0.07729, 0.01737, -0.00618, -0.00343},
    {1471, -5.31273, -1.93708, 0.98063, 2.53931, 1.58318, 0.39235, 0.02847},
    {1961, -5.5303, -3.98386, -2.99923, -0.69227, 0.80485, 0.62999, 0.12895},
    {0, -5.24925, -2.55639, -0.54062, 0.23079, -0.04899, -0.13071, -0.03374},
};

// Kister-type curves: pressure drop [Pa/m] and c0..c4 of CP = sum c_j u^j, u = log10 FP.
constexpr double kKister[kKisterCurves][6] = {
    {41, 0.09359, -0.0593, -0.01408, 0.0116, 0.0043},
    {82, 0.11707, -0.09011, -0.01057, 0.0194, 0.00579},
    {204, 0.15269, -0.14994, -0.00189, 0.04373, 0.01316},
    {409, 0.17796, -0.18192, 0.01711, 0.04112, 0.00891},
    {817, 0.20351, -0.2055, 0.02557, 0.03528, 0.0069},
    {1226, 0.22002, -0.21267, 0.02328, 0.02734, 0.00555},
};

void SizeCurves(mnMatrix& Curves, int n) {
  if (Curves.size() < 2) Curves.resize(2);
  for (auto& row : Curves)
    if (static_cast<int>(row.size()) < n) row.resize(static_cast<size_t>(n), 0.0);
}

double Sign(double t) { return t > 0 ? 1.0 : (t < 0 ? -1.0 : 0.0); }

}  // namespace

double WetPackingFactor(double A, double B, bool logForm, double X) {
  const double t = logForm ? B * checked::Log10(X, "湿填料因子拟合的液相负荷 lg(X)") : B * X;
  const double correction = Sign(t) * std::min(0.5 * A, std::fabs(t));
  return checked::Pow(10.0, A + correction, "湿填料因子 10^(A+t)");
}

double RoundHalfEven(double z) {
  // nearbyint follows the rounding mode, which is to-nearest-even unless someone changed it.
  const int old = std::fegetround();
  if (old != FE_TONEAREST) std::fesetround(FE_TONEAREST);
  const double r = std::nearbyint(z);
  if (old != FE_TONEAREST) std::fesetround(old);
  return r;
}

double StandardDiameterAtLeast(double dp) {
  const double b = 1000.0 * dp;
  // A hair of tolerance, so a diameter that is a standard size up to rounding stays that size.
  const double t = b * (1.0 - 1e-12);
  double D;
  if (t <= 100.0)
    D = 10.0 * std::ceil(t / 10.0);
  else if (t <= 1000.0)
    D = 50.0 * std::ceil(t / 50.0);
  else
    D = 100.0 * std::ceil(t / 100.0);
  return std::max(D, 10.0) / 1000.0;
}

double RoundDiameter(double dp, bool legacy) {
  if (!legacy) return StandardDiameterAtLeast(dp);
  const double b = 1000.0 * dp;
  double D;
  if (b < 100.0) {
    D = 10.0 * RoundHalfEven((b + 1.0) * 0.1);
  } else if (b < 1000.0) {
    const double q = std::floor(RoundHalfEven(b) / 100.0);
    const double r = b - 100.0 * q;
    if (r > 50.0)
      D = 100.0 * (q + 1.0);
    else if (r > 24.0)
      D = 100.0 * q + 50.0;
    else
      D = 100.0 * q;
  } else {
    D = 100.0 * RoundHalfEven((b + 10.0) * 0.01);
  }
  return D / 1000.0;
}

namespace {

// The ordinate of the Eckert curve with coefficients c at u = lg FP.
double EckertOrdinate(const double* c, double u, double FP) {
  const double e = c[1] + c[2] * u + c[3] * std::pow(u, 2) + c[4] * std::pow(u, 3) +
                   c[5] * std::pow(u, 4) + c[6] * std::pow(u, 5) + c[7] * std::pow(u, 6);
  const double y = std::exp(e);
  if (!std::isfinite(y))
    throw TCalcError("计算错误: 流动参数 FP=" + FormatGeneral(FP, 6) +
                     " 超出 Eckert 关联曲线的适用范围，请检查气液流量和密度");
  return y;
}

}  // namespace

double EckertCurves(double FP, mnMatrix& Curves) {
  const double u = checked::Log10(FP, "流动参数 lg(FP)");
  SizeCurves(Curves, kEckertCurves);
  for (int i = 0; i < kEckertCurves; ++i) {
    Curves[0][i] = kEckert[i][0];
    Curves[1][i] = EckertOrdinate(kEckert[i], u, FP);
  }
  return EckertOrdinate(kEckert[kEckertRows - 1], u, FP);
}

double EckertFloodOrdinate(double FP) {
  return EckertOrdinate(kEckert[kEckertRows - 1], checked::Log10(FP, "流动参数 lg(FP)"), FP);
}

std::span<const double> EckertFloodLine() { return {kEckert[kEckertRows - 1] + 1, 7}; }

void KisterCurves(double FP, mnMatrix& Curves) {
  const double u = checked::Log10(FP, "流动参数 lg(FP)");
  SizeCurves(Curves, kKisterCurves);
  for (int i = 0; i < kKisterCurves; ++i) {
    const double* c = kKister[i];
    Curves[0][i] = c[0];
    Curves[1][i] =
        c[1] + c[2] * u + c[3] * std::pow(u, 2) + c[4] * std::pow(u, 3) + c[5] * std::pow(u, 4);
  }
}

double EckertFloodVelocity(double Yflood, double Kf, double rhoL, double rhoV, double muL) {
  using namespace checked;
  const double ordinatePerU2 =
      Kf * Div(1000.0, rhoL, "1000/ρL") / 9.807 * (rhoV / rhoL) * Pow(muL, 0.2, "μL^0.2");
  return Sqrt(Div(Yflood, ordinatePerU2, "泛点气速 Uf²"), "泛点气速 Uf");
}

double KisterFloodVelocity(double CPflood, double Kp, double rhoL, double rhoV, double muL,
                           bool legacy) {
  using namespace checked;
  if (rhoL - rhoV <= 0.0)
    throw TCalcError("计算错误: Kister-Orvik 算法要求液相密度大于气相密度 (ρL=" +
                     FormatGeneral(rhoL, 15) + ", ρV=" + FormatGeneral(rhoV, 15) + ")");
  const double gasTerm = Pow(Kp * rhoV / (rhoL - rhoV), -0.5, "(Kp ρV/(ρL-ρV))^-0.5");
  if (legacy) return Finite(CPflood * gasTerm * Pow(muL, -0.05, "μL^-0.05"), "泛点气速 Uf");
  // Kister et al. 2007: kinematic viscosity in the capacity parameter.
  const double nu = Div(muL, rhoL, "运动粘度 ν=μL/ρL");
  return Finite(CPflood * gasTerm * Pow(nu, -0.05, "ν^-0.05"), "泛点气速 Uf");
}

double KisterFloodPressureDrop(double Fp, bool legacy) {
  const double fp07 = checked::Pow(Fp, 0.7, "泛点压降 Fp^0.7");
  if (legacy) return 40.196 * fp07;
  // Kister & Gill 1991: 0.115 Fp^0.7 [in H2O/ft], Fp [1/ft]. With Fp[1/ft] = 0.3048 Fp[1/m] and
  // 1 in H2O/ft = 249.08891/0.3048 Pa/m the constant is 0.115 x 249.08891 x 0.3048^-0.3 = 40.91.
  static const double kConstant = 0.115 * 249.08891 * std::pow(0.3048, -0.3);
  return kConstant * fp07;
}

double LiquidHoldup(double muL, double Uls, double rhoL, double dn) {
  using namespace checked;
  const double g = 9.81;
  const double viscous = Div(muL * Uls, g * rhoL * dn * dn, "持液量的粘性项");
  const double inertial = Div(Uls * Uls, g * dn, "持液量的惯性项");
  return 2.2 * Pow(viscous, 1.0 / 3.0, "持液量的粘性项") +
         1.8 * Pow(inertial, 0.5, "持液量的惯性项");
}

double MinimumWettingRate(double dn) { return dn < 0.075 ? 0.08 : 0.12; }

double WettingPercent(double Uls, double a, double dn) {
  const double p =
      checked::Div(100.0 * (Uls * 3600.0), MinimumWettingRate(dn) * a, "喷淋密度百分数");
  return RoundHalfEven(p);
}

TOndaResult OndaCoefficients(double Lw, double Gw, double a, double dn, double sigmaC,
                             double sigmaL, double muL, double rhoL, double DL, double muV,
                             double rhoV, double DV) {
  using namespace checked;
  const double g = 9.807;
  const double exponent =
      -1.45 * Pow(Div(sigmaC, sigmaL, "σc/σL"), 0.75, "(σc/σL)^0.75") *
      Pow(Div(Lw, a * muL, "Lw/(a μL)"), 0.1, "(Lw/(a μL))^0.1") *
      Pow(Div(Lw * Lw * a, rhoL * rhoL * g, "Froude 数"), -0.05, "Froude 数^-0.05") *
      Pow(Div(Lw * Lw, rhoL * sigmaL * a, "Weber 数"), 0.2, "Weber 数^0.2");
  const double ratio = 1.0 - Exp(exponent, "润湿面积");
  const double aw = ratio * a;
  const double kL = 0.0051 * Pow(Div(Lw, aw * muL, "Lw/(aw μL)"), 2.0 / 3.0, "液膜 Re^(2/3)") *
                    Pow(Div(muL, rhoL * DL, "液相 Sc"), -0.5, "液相 Sc^-0.5") *
                    Pow(Div(g * muL, rhoL, "g μL/ρL"), 1.0 / 3.0, "(g μL/ρL)^(1/3)") *
                    Pow(a * dn, 0.4, "(a dn)^0.4");
  const double C = dn <= 0.015 ? 2.0 : 5.23;
  const double kG = C * Pow(Div(Gw, a * muV, "Gw/(a μV)"), 0.7, "气膜 Re^0.7") *
                    Pow(Div(muV, rhoV * DV, "气相 Sc"), 1.0 / 3.0, "气相 Sc^(1/3)") * (a * DV) *
                    Pow(a * dn, -2.0, "(a dn)^-2");
  return {ratio, Finite(kL, "液膜传质系数 kL"), Finite(kG, "气膜传质系数 kG")};
}

double LiquidFilmEnhancement(double F) {
  return F > 0.5 ? 1.0 + 2.6 * checked::Pow(F - 0.5, 2.2, "液膜增强") : 1.0;
}

double GasFilmEnhancement(double F) {
  return F > 0.5 ? 1.0 + 9.5 * checked::Pow(F - 0.5, 1.4, "气膜增强") : 1.0;
}

THeights TransferHeights(double V, double L, double D, double kG, double kL, double a, double rhoV,
                         double rhoL, double lambda) {
  using namespace checked;
  const double area = M_PI * D * D;
  const double HTUV = Div(Div(4.0 * V, area, "气相质量速度"), kG * a * rhoV, "HTUV");
  const double HTUL = Div(Div(4.0 * L, area, "液相质量速度"), kL * a * rhoL, "HTUL");
  return HeightsFromUnits(HTUV, HTUL, lambda);
}

THeights HeightsFromUnits(double HTUV, double HTUL, double lambda) {
  using namespace checked;
  const double HTUOV = Finite(HTUV + lambda * HTUL, "HTUOV");
  const double l = std::max(lambda, 0.01);
  const double HETP =
      std::fabs(l - 1.0) < 0.000001 ? HTUOV : Finite(HTUOV * Ln(l, "ln λ") / (l - 1.0), "HETP");
  return {HTUV, HTUL, HTUOV, HETP};
}

}  // namespace velm
