// Envelope loads, load percentages, label sides, curve samples and axis ends of the chart.
#include <gtest/gtest.h>

#include "base/Errors.h"
#include "chart/Envelope.h"
#include "core/Methods.h"

using namespace velm;

namespace {

struct TEnvelopeCase {
  const char* Name;
  double Um, f;
  int Nmin, N80, Nf;
  TLabelSide MinSide, Load80Side, FloodSide;
};

// A synthetic curve set: 11 points, pressure drop 0, 100, ... 1000 Pa/m, capacity rising on a
// parabola; operating points given.
TDesignCase SyntheticCase(int method, double FP, TChartPoint flood) {
  TDesignCase dc;
  dc.FloodMethod = method;
  dc.FlowParameter = FP;
  dc.CurveCount = method == FloodingMethodIndexOf("Kister-Orvik") ? 6 : 11;
  dc.Curves.assign(2, lMatrix(dc.CurveCount));
  for (int i = 0; i < dc.CurveCount; ++i) {
    dc.Curves[0][i] = 100.0 * i;
    dc.Curves[1][i] = 0.02 + 0.015 * i - 0.0004 * i * i;
  }
  dc.FloodPoint = {flood.Y, flood.X, true};
  dc.DesignPoint = {0.8 * 0.8 * flood.Y, 0.5 * flood.X, true};
  dc.Load80Point = dc.DesignPoint;
  return dc;
}

}  // namespace

TEST(Envelope, LoadsPercentsAndLabelSides) {
  const TEnvelopeCase cases[] = {
      // With the default 80 % the design and 80 % points coincide.
      {"default", 200, 80, 50, 100, 125, TLabelSide::Left, TLabelSide::RightAbove,
       TLabelSide::RightAbove},
      {"Um 250", 250, 80, 40, 100, 125, TLabelSide::Left, TLabelSide::RightAbove,
       TLabelSide::RightAbove},
      // The minimum load above the design load: its label goes right, below the point.
      {"Um 80", 80, 80, 125, 100, 125, TLabelSide::RightBelow, TLabelSide::RightAbove,
       TLabelSide::RightAbove},
      {"f 90", 200, 90, 50, 89, 111, TLabelSide::Left, TLabelSide::RightAbove,
       TLabelSide::RightAbove},
      // 62.5 goes to the even 62.
      {"Um 160 half to even", 160, 80, 62, 100, 125, TLabelSide::Left, TLabelSide::RightAbove,
       TLabelSide::RightAbove},
      {"f 50", 200, 50, 50, 160, 200, TLabelSide::Left, TLabelSide::Left, TLabelSide::Left},
      {"Um 111.1 boundary", 10000.0 / 90, 80, 90, 100, 125, TLabelSide::RightBelow,
       TLabelSide::RightAbove, TLabelSide::RightAbove},
  };
  for (const TEnvelopeCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const TEnvelopeLoads e = EnvelopeLoads(1.0, 2.0, c.Um, c.f);
    EXPECT_NEAR(e.Lmin, 100.0 / c.Um, 1e-12);
    EXPECT_NEAR(e.Vmin / e.Lmin, 2.0, 1e-12);
    EXPECT_NEAR(e.L80, 80.0 / c.f, 1e-12);
    EXPECT_NEAR(e.Lf, 100.0 / c.f, 1e-12);
    EXPECT_NEAR(e.Vf / e.Lf, 2.0, 1e-12);
    const TLoadPercents n = LoadPercents(e);
    EXPECT_EQ(n.Nmin, c.Nmin);
    EXPECT_EQ(n.N80, c.N80);
    EXPECT_EQ(n.Nf, c.Nf);

    TDesignCase dc = SyntheticCase(FloodingMethodIndexOf("Eckert-Orvik"), 0.1, {1200, 0.2});
    const TEnvelope env = BuildEnvelope(dc, e);
    EXPECT_EQ(env.MinLabel.Side, c.MinSide);
    EXPECT_EQ(env.Load80Label.Side, c.Load80Side);
    EXPECT_EQ(env.FloodLabel.Side, c.FloodSide);
    EXPECT_EQ(env.DesignLabel.Side, TLabelSide::Left);
    EXPECT_NEAR(env.LoadAxes.LEnd, 1.1 * e.Lf, 1e-12);
    EXPECT_NEAR(env.LoadAxes.VHint, e.Vf / 10, 1e-12);
  }
  const TEnvelope def =
      BuildEnvelope(SyntheticCase(FloodingMethodIndexOf("Eckert-Orvik"), 0.1, {1200, 0.2}),
                    EnvelopeLoads(1.0, 2.0, 200, 80));
  EXPECT_EQ(def.DesignLabel.Text, "设计负荷(100%)   ");
  EXPECT_EQ(def.Load80Label.Text, "   80大负荷(100%)");
  EXPECT_EQ(def.MinLabel.Text, "最小负荷(50%)   ");
  EXPECT_EQ(def.FloodLabel.Text, "   泛点负荷(125%)");
}

TEST(Envelope, ZeroOrBrokenOperandsFailWithTheirName) {
  EXPECT_THROW(EnvelopeLoads(1, 1, 0, 80), TCalcError);                  // Um
  EXPECT_THROW(EnvelopeLoads(1, 1, 100, 0), TCalcError);                 // f
  EXPECT_THROW(LoadPercents(EnvelopeLoads(0, 1, 100, 80)), TCalcError);  // L
  EXPECT_THROW(EnvelopeLoads(1e308, 1e308, 1e-300, 80), TCalcError);
  try {
    EnvelopeLoads(1, 1, 0, 80);
  } catch (const TCalcError& e) {
    EXPECT_NE(std::string(e.what()).find("Lmin"), std::string::npos);
  }
}

TEST(Envelope, LastCurvePointByMethodAndFlowParameter) {
  const struct {
    int Method;
    double FP;
    int A;
  } cases[] = {{FloodingMethodIndexOf("Eckert-Orvik"), 0.01, 10},
               {FloodingMethodIndexOf("Eckert-Orvik"), 0.25, 10},
               {FloodingMethodIndexOf("Eckert-Orvik"), 0.2501, 9},
               {FloodingMethodIndexOf("Eckert-Orvik"), 1.0, 9},
               {FloodingMethodIndexOf("Eckert-Orvik"), 1.5, 8},
               {FloodingMethodIndexOf("Kister-Orvik"), 0.01, 5},
               {FloodingMethodIndexOf("Kister-Orvik"), 3.0, 5}};
  for (const auto& c : cases) EXPECT_EQ(LastCurveIndex(c.Method, c.FP), c.A) << c.FP;
}

TEST(Envelope, CurveSamplesAxesAndFloodingExtension) {
  const TEnvelopeLoads loads = EnvelopeLoads(1, 1, 200, 80);
  // Eckert-Orvik at FP 0.5: ten points drawn, the capacity axis still reaches point 10.
  TDesignCase dc = SyntheticCase(FloodingMethodIndexOf("Eckert-Orvik"), 0.5, {950, 0.125});
  TEnvelope env = BuildEnvelope(dc, loads);
  ASSERT_EQ(env.CurvePoints.size(), 10u);
  ASSERT_EQ(env.CurveSamples.size(), 51u);
  EXPECT_NEAR(env.CurveSamples.front().X, 0, 1e-12);
  EXPECT_NEAR(env.CurveSamples.back().X, 900, 1e-9);
  EXPECT_NEAR(env.CurveSamples.back().Y, dc.Curves[1][9], 1e-9);
  EXPECT_NEAR(env.CurveSamples[25].X, 450, 1e-9);
  EXPECT_NEAR(env.PressureDropAxes.CapacityEnd, dc.Curves[1][10] + 0.001, 1e-12);
  EXPECT_NEAR(env.PressureDropAxes.PressureDropEnd, 2000, 0);
  EXPECT_TRUE(env.FloodExtension);  // beyond point 9 in both coordinates

  // A flooding point below the last point in one coordinate gets no extension.
  env =
      BuildEnvelope(SyntheticCase(FloodingMethodIndexOf("Eckert-Orvik"), 0.5, {950, 0.10}), loads);
  EXPECT_FALSE(env.FloodExtension);
  env = BuildEnvelope(SyntheticCase(FloodingMethodIndexOf("Eckert-Orvik"), 0.5, {850, 0.2}), loads);
  EXPECT_FALSE(env.FloodExtension);

  // Kister-Orvik: six points; the pressure-drop axis reaches 1300 or the flooding drop.
  env =
      BuildEnvelope(SyntheticCase(FloodingMethodIndexOf("Kister-Orvik"), 0.5, {1000, 0.09}), loads);
  EXPECT_EQ(env.CurvePoints.size(), 6u);
  EXPECT_EQ(env.PressureDropAxes.PressureDropEnd, 1300);
  EXPECT_NEAR(env.PressureDropAxes.CapacityEnd, std::max(0.09, 0.02 + 0.075 - 0.01) + 0.001, 1e-12);
  env =
      BuildEnvelope(SyntheticCase(FloodingMethodIndexOf("Kister-Orvik"), 0.5, {1700, 0.09}), loads);
  EXPECT_EQ(env.PressureDropAxes.PressureDropEnd, 1700);

  // A case whose run ended before the curves were made has nothing to draw.
  TDesignCase empty;
  EXPECT_THROW(BuildEnvelope(empty, loads), TCalcError);
  TDesignCase kisterCurvesEckertMethod =
      SyntheticCase(FloodingMethodIndexOf("Kister-Orvik"), 0.1, {1000, 0.09});
  kisterCurvesEckertMethod.FloodMethod = FloodingMethodIndexOf("Eckert-Orvik");
  EXPECT_THROW(BuildEnvelope(kisterCurvesEckertMethod, loads), TCalcError);
}

TEST(Envelope, ChartNumbersHaveFourDigits) {
  EXPECT_EQ(ChartNumber(0.0123456, 4), "0.01235");
  EXPECT_EQ(ChartNumber(1234.4), "1234");
  EXPECT_EQ(ChartNumber(12346.0, 4), "1.235E0004");
  EXPECT_EQ(ChartNumber(12346.0), "1.235E4");
}
