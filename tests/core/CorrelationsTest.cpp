#include <gtest/gtest.h>

#include <cmath>

#include "base/Errors.h"
#include "core/Correlations.h"
#include "core/Matrix.h"
#include "core/MessageLog.h"

using namespace velm;

TEST(WetPackingFactor, CorrectionIsLimitedToHalfOfA) {
  EXPECT_NEAR(WetPackingFactor(2, -0.1, false, 30), 10.0, 1e-12);
  EXPECT_NEAR(WetPackingFactor(2, -0.1, false, 5), std::pow(10.0, 1.5), 1e-10);
  EXPECT_NEAR(WetPackingFactor(2, 0.1, false, 50), 1000.0, 1e-9);
  EXPECT_NEAR(WetPackingFactor(2.5, 7.0, true, 1.0), std::pow(10.0, 2.5), 1e-9);  // t = 0
  EXPECT_NEAR(WetPackingFactor(2, 0.1, true, 100), std::pow(10.0, 2.2), 1e-9);
}

TEST(WetPackingFactor, LogarithmOfANonPositiveLoadIsAnError) {
  EXPECT_THROW(WetPackingFactor(2, 0.1, true, 0.0), TCalcError);
  EXPECT_THROW(WetPackingFactor(2, 0.1, true, -1.0), TCalcError);
  EXPECT_NO_THROW(WetPackingFactor(2, 0.1, false, 0.0));
}

TEST(RoundDiameter, LegacyNearestStandardSize) {
  const std::pair<double, double> cases[] = {
      {0.0834, 0.080}, {0.084, 0.080},  {0.094, 0.100},  {0.724, 0.700}, {0.725, 0.750},
      {0.750, 0.750},  {0.7501, 0.800}, {0.9999, 1.000}, {1.2, 1.2},     {1.26, 1.3},
      {0.004, 0.0},    {0.0041, 0.010}, {0.1, 0.1},      {0.9995, 1.0},  {0.150, 0.150}};
  for (auto [dp, D] : cases) EXPECT_NEAR(RoundDiameter(dp, true), D, 1e-12) << "dp = " << dp;
}

// The built column is never narrower than the theoretical one: 0.210, 0.906 and 1.319 m went
// down to 0.20, 0.90 and 1.30 m under the nearest-size rule.
TEST(RoundDiameter, LiteratureNextStandardSizeUp) {
  const std::pair<double, double> cases[] = {
      {0.210, 0.250}, {0.906, 0.950},  {1.319, 1.400},  {0.0001, 0.010}, {0.004, 0.010},
      {0.060, 0.060}, {0.0601, 0.070}, {0.0834, 0.090}, {0.1, 0.1},      {0.124, 0.150},
      {0.550, 0.550}, {0.574, 0.600},  {0.9999, 1.000}, {1.0001, 1.100}, {1.226, 1.300}};
  for (auto [dp, D] : cases) {
    EXPECT_NEAR(RoundDiameter(dp, false), D, 1e-12) << "dp = " << dp;
    EXPECT_NEAR(StandardDiameterAtLeast(dp), D, 1e-12) << "dp = " << dp;
  }
}

TEST(RoundHalfEven, TiesGoToTheEvenNumber) {
  EXPECT_EQ(RoundHalfEven(8.5), 8.0);
  EXPECT_EQ(RoundHalfEven(9.5), 10.0);
  EXPECT_EQ(RoundHalfEven(99.5), 100.0);
  EXPECT_EQ(RoundHalfEven(98.5), 98.0);
  EXPECT_EQ(RoundHalfEven(-2.5), -2.0);
}

// Eckert-type correlation at FP = 0.1 (u = -1): ln Y11 = -3.41629.
TEST(EckertCurves, FloodingLineAndFloodVelocityAtFlowParameterOneTenth) {
  mnMatrix curves;
  const double Yf = EckertCurves(0.1, curves);
  EXPECT_NEAR(Yf, std::exp(-3.41629), 1e-9);
  EXPECT_NEAR(Yf, 0.032834, 5e-7);
  EXPECT_NEAR(EckertFloodVelocity(Yf, 100, 1000, 1.2, 0.001), 3.2684, 5e-5);
  EXPECT_EQ(curves[0][0], 39.23);
  EXPECT_EQ(curves[0][10], 1961.0);
  for (int i = 1; i < kEckertCurves; ++i) EXPECT_GT(curves[1][i], curves[1][i - 1]);
}

// Earlier versions' constants (legacy basis): 40.196 Fp^0.7 and the dynamic viscosity.
TEST(KisterCurves, CapacitiesFloodPointAndVelocityAtFlowParameterOneTenthLegacy) {
  mnMatrix curves;
  KisterCurves(0.1, curves);
  const double expected[] = {0.13151, 0.18300, 0.27017, 0.34478, 0.40620, 0.43418};
  for (int i = 0; i < kKisterCurves; ++i) EXPECT_NEAR(curves[1][i], expected[i], 5e-6);

  const double dPf = KisterFloodPressureDrop(100, true);
  EXPECT_NEAR(dPf, 1009.68, 0.01);
  mnMatrix window, coef;
  SelectWindow(curves, 0, kKisterCurves, 1, dPf, window);
  EXPECT_EQ(window[0][0], 817.0);  // between rows 4 and 5
  const double CPf = PolyFitEval(window, 0, 1, 2, 1, coef, dPf, "△Pf", "Yf", nullptr);
  EXPECT_NEAR(CPf, 0.41938, 5e-6);
  EXPECT_NEAR(KisterFloodVelocity(CPf, 100, 1000, 1.2, 0.001, true), 1.7091, 5e-5);
  EXPECT_NEAR(KisterFloodPressureDrop(60, true), 706.1, 0.05);
}

// Kister & Gill, Chem. Eng. Prog. 87(2), 1991: flood pressure drop 0.115 Fp^0.7 in H2O/ft with Fp
// in 1/ft; the values below are that equation worked in US units (1 in H2O = 249.089 Pa).
TEST(KisterFloodPressureDrop, KisterGillEquationAtThreePackingFactors) {
  const struct {
    double FpPerFt, InH2OPerFt;
  } cases[] = {{15, 0.76553}, {27, 1.15519}, {60, 2.02024}};
  for (const auto& c : cases) {
    const double expected = c.InH2OPerFt * 249.089 / 0.3048;  // [Pa/m]
    EXPECT_NEAR(KisterFloodPressureDrop(c.FpPerFt / 0.3048, false), expected, 0.005 * expected)
        << "Fp = " << c.FpPerFt << " 1/ft";
  }
}

// Kister, Scherffius, Afshar & Abkar, Chem. Eng. Prog. 2007: the capacity parameter holds the
// kinematic viscosity; for water (nu = 1e-6 m2/s) the legacy use of muL = 0.001 Pa s gives
// (1e-6/0.001)^0.05 = 0.708 of the flooding velocity.
TEST(KisterFloodVelocity, KinematicViscosityAndLiquidNotDenserThanGas) {
  const double literature = KisterFloodVelocity(0.4, 100, 1000, 1.2, 0.001, false);
  EXPECT_NEAR(literature, 0.4 * std::pow(100 * 1.2 / 998.8, -0.5) * std::pow(1e-6, -0.05), 1e-12);
  EXPECT_NEAR(KisterFloodVelocity(0.4, 100, 1000, 1.2, 0.001, true) / literature,
              std::pow(1e-3, 0.05), 1e-12);
  for (const bool legacy : {false, true}) {
    EXPECT_THROW(KisterFloodVelocity(0.4, 100, 1.2, 1.2, 0.001, legacy), TCalcError);
    EXPECT_THROW(KisterFloodVelocity(0.4, 100, 1.0, 1.2, 0.001, legacy), TCalcError);
  }
}

TEST(LiquidHoldup, BuchananExample) {
  EXPECT_NEAR(LiquidHoldup(0.001, 0.005, 1000, 0.025), 0.02055 + 0.01817, 5e-5);
  EXPECT_THROW(LiquidHoldup(-0.001, 0.005, 1000, 0.025), TCalcError);
}

TEST(WettingPercent, MinimumWettingRateChangesAt75mm) {
  EXPECT_EQ(WettingPercent(0.0048, 200, 0.025), 108.0);
  EXPECT_EQ(WettingPercent(0.0048, 200, 0.076), 72.0);
  EXPECT_EQ(MinimumWettingRate(0.075), 0.12);
  EXPECT_EQ(MinimumWettingRate(0.0749), 0.08);
}

// Worked example of the Onda correlation with the above-half-flooding enhancement, heights on the
// total area as earlier versions compute them (legacy basis).
TEST(Onda, WorkedExampleLegacy) {
  const TOndaResult r =
      OndaCoefficients(5, 2.5, 200, 0.025, 0.061, 0.072, 0.001, 1000, 2e-9, 1.8e-5, 1.2, 1.5e-5);
  EXPECT_NEAR(r.WettedRatio, 0.51516, 5e-6);
  EXPECT_NEAR(r.kL, 1.2365e-4, 5e-9);
  EXPECT_NEAR(r.kG, 0.061211, 5e-7);
  const double eL = LiquidFilmEnhancement(0.7), eG = GasFilmEnhancement(0.7);
  EXPECT_NEAR(eL, 1.07538, 5e-6);
  EXPECT_NEAR(eG, 1.99808, 5e-6);
  const THeights h = TransferHeights(2, 4, 1, r.kG * eG, r.kL * eL, 200, 1.2, 1000, 1.5);
  EXPECT_NEAR(h.HTUV, 0.08675, 5e-6);
  EXPECT_NEAR(h.HTUL, 0.19151, 5e-6);
  EXPECT_NEAR(h.HTUOV, 0.37402, 5e-6);
  EXPECT_NEAR(h.HETP, 0.30331, 5e-6);
}

TEST(Onda, EnhancementStartsAboveHalfFloodingAndSmallPackingsUseC2) {
  EXPECT_EQ(LiquidFilmEnhancement(0.5), 1.0);
  EXPECT_EQ(GasFilmEnhancement(0.5), 1.0);
  EXPECT_NEAR(LiquidFilmEnhancement(0.75), 1.1232, 5e-5);
  EXPECT_NEAR(GasFilmEnhancement(0.75), 2.3641, 5e-5);
  const auto big =
      OndaCoefficients(5, 2.5, 200, 0.0151, 0.061, 0.072, 0.001, 1000, 2e-9, 1.8e-5, 1.2, 1.5e-5);
  const auto small =
      OndaCoefficients(5, 2.5, 200, 0.015, 0.061, 0.072, 0.001, 1000, 2e-9, 1.8e-5, 1.2, 1.5e-5);
  EXPECT_NEAR(small.kG / big.kG, 2.0 / 5.23 * std::pow(0.0151 / 0.015, 2.0), 1e-9);
}

TEST(TransferHeights, StrippingFactorCases) {
  const auto h = [](double lambda) {
    return TransferHeights(2, 4, 1, 0.1, 1e-4, 200, 1.2, 1000, lambda);
  };
  EXPECT_DOUBLE_EQ(h(1.0).HETP, h(1.0).HTUOV);
  EXPECT_DOUBLE_EQ(h(1.0000005).HETP, h(1.0000005).HTUOV);
  EXPECT_DOUBLE_EQ(h(0).HTUOV, h(0).HTUV);
  EXPECT_NEAR(h(0).HETP / h(0).HTUOV, std::log(0.01) / (0.01 - 1), 1e-12);
  EXPECT_NEAR(h(2).HETP / h(2).HTUOV, std::log(2.0), 1e-12);
  EXPECT_LT(h(-0.5).HTUOV, h(-0.5).HTUV);
  EXPECT_NEAR(h(-0.5).HETP / h(-0.5).HTUOV, std::log(0.01) / (0.01 - 1), 1e-12);
}

TEST(LogLine, PlainAndLazyLinesGiveTheirTexts) {
  EXPECT_EQ(TLogLine::Plain("RN=3").Text(), "RN=3");
  EXPECT_EQ(TLogLine::FitError(1.23456e-9).Text(), "Max relativity error=1.235E-9 %");
  const double c[] = {1.5, -2, 0.25};
  EXPECT_EQ(TLogLine::Polynomial(c, 2, "Y", "△P").Text(), "△P= 1.5.Y^2 -2.Y + 0.25");
}
