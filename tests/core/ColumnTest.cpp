// The whole column: a section of identical stages is the single-point design, the governing
// stage is the one closest to flooding, and the beds follow the tightest of the rules.
#include <gtest/gtest.h>

#include "CoreTestSupport.h"
#include "base/Errors.h"
#include "core/Column.h"

namespace velm {
namespace {

TStageLoads AbsorberStage(double gasFactor = 1.0) {
  TStageLoads s;
  s.LiquidFlow = 2;
  s.LiquidDensity = 998;
  s.LiquidViscosity = 0.001;
  s.SurfaceTension = 0.072;
  s.GasFlow = 1.2 * gasFactor;
  s.GasDensity = 1.19;
  s.GasViscosity = 1.8e-5;
  return s;
}

TColumnInput AbsorberColumn(int stages, std::optional<double> diameter = std::nullopt) {
  TColumnInput in;
  for (int i = 0; i < stages; ++i) in.Stages.push_back(AbsorberStage(1.0 + 0.05 * i));
  TColumnSection sec;
  sec.Inputs[size_t(TField::DlfD)] = 1.9e-9;
  sec.Inputs[size_t(TField::DvfD)] = 2.3e-5;
  sec.Inputs[size_t(TField::LmdD)] = 0.8;
  sec.Name = "A";
  sec.Last = stages - 1;
  sec.Packing = test::CeramicRaschig25();
  sec.Options = test::TRun().Case;
  sec.Diameter = diameter;
  in.Sections.push_back(sec);
  return in;
}

TEST(Column, SectionOfIdenticalStagesIsTheSinglePointDesign) {
  test::TRun design;
  design.Run();
  ASSERT_EQ(design.Error, "");
  TColumnInput in = AbsorberColumn(4);
  for (TStageLoads& s : in.Stages) s = AbsorberStage();
  const TColumnResult r = RateWholeColumn(in);
  const TSectionResult& sec = r.Sections.at(0);
  EXPECT_TRUE(sec.Designed);
  EXPECT_EQ(sec.Diameter, *design.Case.Diameter);
  ASSERT_EQ(sec.Stages.size(), 4u);
  for (const TStageResult& s : sec.Stages) {
    ASSERT_TRUE(s.Rating.Rated) << s.Rating.Error;
    EXPECT_NEAR(s.Rating.FloodPercent, 100.0 * *design.Case.FloodFraction, 1e-9);
    EXPECT_NEAR(s.Rating.PressureDrop, *design.Case.WetPressureDrop, 1e-9);
    EXPECT_NEAR(*s.Rating.HETP, *design.Case.HETP, 1e-12);
  }
  ASSERT_TRUE(sec.Beds);
  EXPECT_NEAR(sec.Beds->PackedHeight, 4 * 1.2 * *design.Case.HETP, 1e-9);
  EXPECT_NEAR(r.PressureDrop, *design.Case.WetPressureDrop * sec.Beds->PackedHeight, 1e-6);
}

// Stages with more gas down the column: the last governs and, designed, sizes the section; rated
// at a given diameter the same stage governs.
TEST(Column, StageClosestToFloodingGovernsDesignedOrRated) {
  for (const std::optional<double> D : {std::optional<double>(), std::optional<double>(1.0)}) {
    const TSectionResult sec = RateWholeColumn(AbsorberColumn(5, D)).Sections.at(0);
    EXPECT_EQ(sec.Governing, 4);
    EXPECT_EQ(sec.Designed, !D);
    EXPECT_EQ(sec.DesignStage, D ? -1 : 4);
    for (size_t i = 1; i < sec.Stages.size(); ++i)
      EXPECT_GT(sec.Stages[i].Rating.FloodPercent, sec.Stages[i - 1].Rating.FloodPercent);
  }
}

TEST(Column, BedsFollowTheTightestRule) {
  const TPackingRecord rings = test::CeramicRaschig25();
  TPackingRecord pall = test::MetalPall25();
  pall.F[3] = "鲍尔环";
  const struct {
    double Height;
    int Stages;
    double D;
    const TPackingRecord* Packing;
    int Beds;
    const char* By;
  } cases[] = {
      {5.0, 10, 1.0, &rings, 2, "拉西环每床不超过 3 倍塔径"},   // 3 m a bed
      {5.0, 10, 0.5, &pall, 2, "散堆填料每床不超过 8 倍塔径"},  // 4 m
      {14.0, 20, 2.0, &pall, 3, "每床最高 6 m"},
      {14.0, 40, 2.0, &pall, 4, "每床约 10 块理论板"},  // 3.5 m
      {0.5, 1, 0.3, &pall, 1, "散堆填料每床不超过 8 倍塔径"},
  };
  for (const auto& c : cases) {
    const TBedPlan p = PlanBeds(c.Height, c.Stages, c.D, *c.Packing, TBedRules());
    EXPECT_EQ(p.Beds, c.Beds) << c.By;
    EXPECT_EQ(p.LimitBy, c.By);
    EXPECT_EQ(p.Redistributors, c.Beds - 1);
    EXPECT_DOUBLE_EQ(p.Height, c.Height + (c.Beds - 1) * 1.0);
    EXPECT_LE(p.BedHeight, p.Limit + 1e-12);
  }
}

}  // namespace
}  // namespace velm

namespace velm {
namespace {

// The column record round-trips, and a damaged one names what does not read.
TEST(Column, ColumnTextRoundTripsAndNamesTheBadRecord) {
  std::vector<TStageLoads> stages = {AbsorberStage(), AbsorberStage(1.1)};
  stages[0].Name = "a,b;c";
  const std::vector<TSectionRange> sections = {{"A", 0, 0, std::nullopt, "", ""},
                                               {"B", 1, 1, 1.2, "03", ""},
                                               {"C", 1, 1, std::nullopt, "", "Kister-Orvik"}};
  std::vector<TStageLoads> s2;
  std::vector<TSectionRange> c2;
  std::optional<double> factor;
  ParseColumnText(ColumnText(stages, sections, 1.35), s2, c2, &factor);
  EXPECT_EQ(c2, sections);
  EXPECT_EQ(factor, 1.35);
  ASSERT_EQ(s2.size(), 2u);
  EXPECT_EQ(s2[0].Name, "a b c");
  EXPECT_EQ(s2[1].GasFlow, stages[1].GasFlow);
  std::string many;
  for (size_t i = 0; i <= kMaximumStages; ++i) many += "S,1,1,1,1,1,1,1,1;";
  many.pop_back();
  for (const std::string& bad :
       {std::string("S,1,2"), std::string("S,1,x,1,1,1,1,1,1"),
        std::string("S,1,1,1,1,1,1,1,1;C,A,0,3,"), std::string("S,1,1,1,1,1,1,1,1;C,A,1,0,"),
        std::string("S,1,1,1,1,1,1,1,1;F,0"), many})
    EXPECT_THROW(ParseColumnText(bad, s2, c2), TInputError) << bad.substr(0, 40);
}

// A section with its own packing and method is rated with them; the others with the design's.
// A key or a method name that names nothing is the column's input error, not a silent default.
TEST(Column, SectionsTakeTheirOwnPackingAndMethod) {
  const TColumnInput design = AbsorberColumn(4);
  std::vector<TPackingRecord> table = {test::CeramicRaschig25(), test::MetalPall25()};
  table[1].F[0] = "07";
  const std::string pall = "07";
  const std::vector<TSectionRange> ranges = {{"A", 0, 1, std::nullopt, "", ""},
                                             {"B", 2, 3, std::nullopt, pall, "Kister-Orvik"}};
  TColumnInput in = design;
  in.Sections = SectionsOf(in.Stages, ranges, design.Sections[0], table);
  const TColumnResult r = RateWholeColumn(in);
  ASSERT_EQ(r.Sections.size(), 2u);
  EXPECT_EQ(r.Sections[0].Packing, "03 陶瓷 25mm 拉西环");
  EXPECT_EQ(r.Sections[0].Method, "Eckert-Orvik");
  EXPECT_EQ(r.Sections[1].Packing.substr(0, pall.size()), pall);
  EXPECT_EQ(r.Sections[1].Method, "Kister-Orvik");
  // Stage 3 alone, as a single design with that packing and method: the same diameter.
  TColumnInput alone = design;
  alone.Sections[0].Packing = table[1];
  alone.Sections[0].Options.FloodMethod = 1;
  alone.Sections[0].First = 2;
  EXPECT_EQ(RateWholeColumn(alone).Sections[0].Diameter, r.Sections[1].Diameter);
  for (const auto& [packing, method] :
       {std::pair<std::string, std::string>{"99", ""}, {"", "Nobody"}})
    EXPECT_THROW(SectionsOf(in.Stages, {{"X", 0, 1, std::nullopt, packing, method}},
                            design.Sections[0], table),
                 TInputError)
        << packing << method;
}

}  // namespace
}  // namespace velm
