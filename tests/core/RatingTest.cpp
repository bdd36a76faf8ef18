// Rating a given column: the capacity definitions agree where they must (100 % at flooding),
// grow together with the gas load, and a column sized by the design run rates back to the
// design fraction.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "CoreTestSupport.h"
#include "base/Errors.h"
#include "core/Methods.h"
#include "core/Rating.h"
#include "core/Services.h"

namespace velm {
namespace {

using test::TRun;

struct TMethodCase {
  const char* Method;
  TPackingRecord (*Packing)();
};
const TMethodCase kMethods[] = {{"Eckert-Orvik", test::CeramicRaschig25},
                                {"Kister-Orvik", test::CeramicRaschig25},
                                {"Billet-Schultes", test::MetalPall25}};

// The design run of the test absorber under `method`, and a rating input over its fields.
TRatingInput InputFor(TRun& design, const TMethodCase& m, double diameter,
                      std::vector<TLoadCase> cases) {
  design.Case.FloodMethod = FloodingMethodIndexOf(m.Method);
  const TPackingRecord p = m.Packing();
  design.Run(&p);
  TRatingInput in;
  in.Options = design.Case;
  in.Inputs = InputValues(design.Fields);
  in.Diameter = diameter;
  in.Cases = std::move(cases);
  return in;
}

TEST(Rating, EveryDefinitionReadsHundredAtFloodingForEachMethod) {
  for (const TMethodCase& m : kMethods) {
    SCOPED_TRACE(m.Method);
    TRun design;
    TRatingInput in = InputFor(design, m, 1.0, {{"设计", 100, 100}});
    ASSERT_EQ(design.Error, "");
    const TDesignCase& c = design.Case;
    // The diameter at which the design gas flow is the flooding velocity.
    in.Diameter = std::sqrt(4.0 * c.GasFlow / (M_PI * *c.FloodVelocity * c.GasDensity));
    const TRating r = RateColumn(in, m.Packing());
    ASSERT_TRUE(r.Cases.at(0).Rated) << r.Cases[0].Error;
    const TCaseRating& k = r.Cases[0];
    EXPECT_NEAR(k.FloodPercent, 100.0, 1e-9);
    ASSERT_TRUE(k.FloodPercentConstantLiquid);
    EXPECT_NEAR(*k.FloodPercentConstantLiquid, 100.0, 1e-6);
    EXPECT_NEAR(k.PressureDropPercent, 100.0, 1e-6);
    EXPECT_NEAR(100.0 * k.Fs / k.FsFlood, 100.0, 1e-9);
    EXPECT_NEAR(100.0 * k.CapacityFactor / k.CapacityFactorFlood, 100.0, 1e-9);
    EXPECT_EQ(k.LoadingPercent.has_value(), std::string(m.Method) == "Billet-Schultes");
    const auto said = [&](const char* code) {
      return std::any_of(k.Findings.begin(), k.Findings.end(),
                         [&](const TFinding& f) { return f.Code == code; });
    };
    EXPECT_TRUE(said("column-flooding") || said("above-maximum-capacity"));
  }
}

// The gas raised alone from well below to near flooding: every definition rises, the flood at
// constant liquid rate lies above that at constant L/V (less liquid per gas), and the case
// closest to flooding governs.
TEST(Rating, DefinitionsRiseTogetherWithTheGasLoad) {
  for (const TMethodCase& m : kMethods) {
    SCOPED_TRACE(m.Method);
    TRun design;
    std::vector<TLoadCase> cases;
    for (double g : {60.0, 70.0, 80.0, 90.0, 97.0})
      cases.push_back({"g" + std::to_string(int(g)), 100.0, g});
    TRatingInput in = InputFor(design, m, 1.0, cases);
    const TDesignCase& c = design.Case;
    in.Diameter = std::sqrt(4.0 * c.GasFlow / (M_PI * *c.FloodVelocity * c.GasDensity));
    const TRating r = RateColumn(in, m.Packing());
    ASSERT_EQ(r.Cases.size(), cases.size());
    EXPECT_EQ(r.Governing, 4);
    for (size_t i = 1; i < r.Cases.size(); ++i) {
      for (const TRatingColumn& d : RatingColumns()) {
        if (!d.Source) continue;
        const std::optional<double> a = d.Value(r.Cases[i - 1]), b = d.Value(r.Cases[i]);
        ASSERT_EQ(a.has_value(), b.has_value()) << d.Caption;
        if (a) {
          EXPECT_LT(*a, *b) << d.Caption << " case " << i;
        }
      }
      EXPECT_LT(*r.Cases[i].FloodPercentConstantLiquid, r.Cases[i].FloodPercent + 1e-9);
    }
  }
}

// A column sized by the design run, rated at its theoretical diameter, runs at the design
// fraction; at its rounded diameter, at the design run's own flood fraction.
TEST(Rating, ColumnSizedByTheDesignRatesBackToItsFraction) {
  for (const TMethodCase& m : kMethods) {
    SCOPED_TRACE(m.Method);
    TRun design;
    TRatingInput in = InputFor(design, m, 1.0, {{"设计", 100, 100}});
    const TDesignCase& c = design.Case;
    in.Diameter = *c.TheoreticalDiameter;
    EXPECT_NEAR(RateColumn(in, m.Packing()).Cases.at(0).FloodPercent, 70.0, 1e-9);
    in.Diameter = *c.Diameter;
    const TCaseRating k = RateColumn(in, m.Packing()).Cases.at(0);
    EXPECT_NEAR(k.FloodPercent, 100.0 * *c.FloodFraction, 1e-9);
    EXPECT_NEAR(k.PressureDrop, *c.WetPressureDrop, 1e-9 * *c.WetPressureDrop);
    ASSERT_TRUE(k.HETP && c.HETP);
    EXPECT_NEAR(*k.HETP, *c.HETP, 1e-9 * *c.HETP);
  }
}

// The window along the design line: its ends are the limits it names, the pressure-drop limit
// of a vacuum service is where the line reaches that service's highest pressure drop, and a bed
// height gives the bed's pressure drop and stages.
TEST(Rating, OperatingWindowEndsAtItsNamedLimits) {
  TRun design;
  TRatingInput in = InputFor(design, kMethods[0], 1.0, DefaultLoadCases());
  in.Options.Service = ServiceIndexOf("VacuumDistillation");
  in.Diameter = *design.Case.Diameter;
  in.BedHeight = 6.0;
  const TRating r = RateColumn(in, kMethods[0].Packing());
  ASSERT_TRUE(r.Window);
  const TOperatingWindow& w = *r.Window;
  const TCaseRating& d = r.Cases.at(0);
  EXPECT_NEAR(w.Flood * d.FloodPercent, 100.0, 1e-9);
  ASSERT_TRUE(w.PressureDrop);
  EXPECT_EQ(w.Maximum, *w.PressureDrop);
  EXPECT_NE(w.MaximumBy.find("最大设计压降"), std::string::npos);
  const double high = ServiceAt(in.Options.Service).PressureDropHigh;
  const auto end =
      std::find_if(w.Line.begin(), w.Line.end(), [&](const auto& p) { return p[0] == w.Maximum; });
  ASSERT_NE(end, w.Line.end());
  EXPECT_NEAR((*end)[2], high, 1e-6 * high);
  EXPECT_NEAR((*end)[1], w.Maximum * d.FloodPercent, 1e-9);
  // This absorber's liquid wets the packing only at twice its flows: the window is empty.
  EXPECT_EQ(w.Minimum, std::max(w.MinimumWetting, w.MinimumGas));
  EXPECT_EQ(w.MinimumBy, "最小喷淋密度");
  EXPECT_GT(w.Minimum, w.Maximum);
  EXPECT_EQ(w.Turndown, 0.0);
  EXPECT_DOUBLE_EQ(*d.BedPressureDrop, 6.0 * d.PressureDrop);
  EXPECT_DOUBLE_EQ(*d.Stages, 6.0 / *d.HETP);
}

TEST(Rating, LoadCasesTextRoundTripsAndNamesTheBadCase) {
  EXPECT_EQ(LoadCasesText(DefaultLoadCases()), "");
  EXPECT_EQ(ParseLoadCases("  "), DefaultLoadCases());
  const std::vector<TLoadCase> own = {{"夏季", 100, 115.5}, {"A", 0.5, 1e2}};
  EXPECT_EQ(LoadCasesText(own), "夏季,100,115.5;A,0.5,100");
  EXPECT_EQ(ParseLoadCases(LoadCasesText(own)), own);
  for (const char* bad : {"A,100", "A,100,100,1", ",100,100", "A,-1,100", "A,100,x", "A,1,1;"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(ParseLoadCases(bad), TInputError);
  }
}

}  // namespace
}  // namespace velm

namespace velm {
namespace {

// The limits on the load diagram are where the rated run says they are: at each liquid flow the
// flooding line's gas flow rates at 100 % of flooding and the loading line's at 100 % of loading,
// below the flooding line; the window of a method with a loading point ends there.
TEST(Rating, LoadLinesLieWhereTheRunReachesEachLimit) {
  TRun design;
  TRatingInput in = InputFor(design, kMethods[2], 1.0, {{"设计", 100, 100}});
  const std::vector<double> liquids = {1.0, 2.0, 4.0};
  const TLoadLines lines = RatingLoadLines(in, test::MetalPall25(), liquids);
  ASSERT_EQ(lines.Flood.size(), liquids.size());
  ASSERT_EQ(lines.Loading.size(), liquids.size());
  EXPECT_TRUE(lines.PressureDrop.empty());  // no service given
  for (size_t i = 0; i < liquids.size(); ++i) {
    const auto [L, Vf] = lines.Flood[i];
    EXPECT_LT(lines.Loading[i].second, Vf);
    EXPECT_GT(lines.MinimumGas[i].second, 0.0);
    EXPECT_LT(lines.MinimumGas[i].second, Vf);
    const double L0 = *in.Inputs[size_t(TField::LD)], V0 = *in.Inputs[size_t(TField::VD)];
    const TCaseRating flood =
        RateLoadCase(in, test::MetalPall25(), {"", 100.0 * L / L0, 100.0 * Vf / V0});
    EXPECT_NEAR(flood.FloodPercent, 100.0, 1e-4);
    const TCaseRating loading = RateLoadCase(
        in, test::MetalPall25(), {"", 100.0 * L / L0, 100.0 * lines.Loading[i].second / V0});
    EXPECT_NEAR(*loading.LoadingPercent, 100.0, 1e-4);
  }
  in.Diameter = *design.Case.Diameter;
  const TRating r = RateColumn(in, test::MetalPall25());
  ASSERT_TRUE(r.Window && r.Window->Loading);
  EXPECT_EQ(r.Window->MaximumBy, "载点");
  EXPECT_DOUBLE_EQ(r.Window->Maximum, *r.Window->Loading);
}

}  // namespace
}  // namespace velm
