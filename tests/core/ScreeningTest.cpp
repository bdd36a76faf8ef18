// Screening a duty over a packing table: each row is the single run of that packing, and the
// ranking puts rejected packings last.
#include <gtest/gtest.h>

#include <cmath>

#include "CoreTestSupport.h"
#include "core/Methods.h"
#include "core/Screening.h"
#include "core/Services.h"

namespace velm {
namespace {

using test::TRun;

TScreenCase DutyOf(const TRun& run) {
  TScreenCase duty;
  duty.Options = run.Case;
  duty.Inputs = run.Fields.Text;
  duty.Stages = 10;
  return duty;
}

// A copy of the 25 mm ring with another key, area and factor fits.
TPackingRecord Variant(const char* key, const char* area, const char* logF, const char* measured) {
  TPackingRecord p = test::CeramicRaschig25();
  p.F[0] = key;
  p.F[4] = area;
  p.F[7] = logF;
  p.F[10] = logF;
  p.F[14] = measured;
  return p;
}

TEST(ScreeningTest, EveryRowEqualsTheSingleRunOfItsPacking) {
  const std::vector<TPackingRecord> table = {Variant("A", "190", "2.70672", "509 (1/m)"),
                                             Variant("B", "120", "2.4", "251 (1/m)"),
                                             Variant("C", "340", "3.1", "")};
  for (int method :
       {FloodingMethodIndexOf("Eckert-Orvik"), FloodingMethodIndexOf("Kister-Orvik")}) {
    TRun base;
    base.Case.FloodMethod = method;
    const std::vector<TScreenRow> rows = ScreenPackings(DutyOf(base), table);
    ASSERT_EQ(rows.size(), table.size());
    for (size_t i = 0; i < table.size(); ++i) {
      SCOPED_TRACE(std::string("method ") + std::to_string(method) + " packing " + table[i].F[0]);
      TRun single;
      single.Case.FloodMethod = method;
      single.Run(&table[i]);
      const TScreenRow& r = rows[i];
      EXPECT_EQ(r.Index, static_cast<int>(i));
      EXPECT_EQ(r.MethodApplies, !single.Fields.MethodReset);
      EXPECT_EQ(r.Diameter, single.Case.Diameter);
      EXPECT_EQ(r.TheoreticalDiameter, single.Case.TheoreticalDiameter);
      EXPECT_EQ(r.FloodFraction, single.Case.FloodFraction);
      EXPECT_EQ(r.PressureDrop, single.Case.WetPressureDrop);
      EXPECT_EQ(r.Holdup, single.Case.Holdup);
      EXPECT_EQ(r.WettingPercent, single.Case.WettingPercent);
      EXPECT_EQ(r.HETP, single.Case.HETP);
      ASSERT_EQ(r.PackedHeight.has_value(), single.Case.HETP.has_value());
      if (r.PackedHeight) {
        EXPECT_DOUBLE_EQ(*r.PackedHeight, 10 * *single.Case.HETP);
      }
    }
    // Kister-Orvik needs a measured factor: packing C is not a design under it.
    EXPECT_EQ(rows[2].MethodApplies, method == FloodingMethodIndexOf("Eckert-Orvik"));
  }
}

TEST(ScreeningTest, RankingPutsTheSmallestSoundVolumeFirstAndRejectedRowsLast) {
  auto row = [](int index, std::optional<double> d, std::optional<double> h, bool applies,
                std::vector<TFinding> findings = {}) {
    TScreenRow r;
    r.Index = index;
    r.MethodApplies = applies;
    r.HydraulicsDone = d.has_value();
    r.Diameter = d;
    r.PackedHeight = h;
    r.PressureDrop = 300;
    if (h) r.PressureDropPerStage = 300 * *h / 10;
    r.Findings = std::move(findings);
    return r;
  };
  const TFinding warning{"W", TFindingLevel::Warning, "", "w"};
  const TFinding error{"E", TFindingLevel::Error, "", "e"};
  const TFinding note{"N", TFindingLevel::Note, "", "n"};
  std::vector<TScreenRow> rows = {
      row(0, 0.3, 2.0, false),          // method does not apply
      row(1, 0.5, 4.0, true, {note}),   // 0.785 m3; a note does not count against it
      row(2, 0.4, 5.0, true, {error}),  // error finding
      row(3, 0.6, 2.0, true),           // 0.565 m3
      row(4, 0.2, 1.0, true, {warning}),
      row(5, std::nullopt, std::nullopt, true),  // did not complete
      row(6, 0.1, 1.0, true)};                   // smallest, but its run failed
  rows.back().Error = "传质计算失败";
  EXPECT_EQ(RankScreening(rows, 10), TScreenCriterion::PackedVolume);
  std::vector<int> order;
  for (const auto& r : rows) order.push_back(r.Index);
  EXPECT_EQ(order, (std::vector<int>{3, 1, 4, 6, 0, 2, 5}));
  // Only sound rows are ranked; a rejected or failed row has no rank.
  for (const auto& r : rows) EXPECT_EQ(r.Rank.has_value(), !r.Rejected()) << r.Index;
  EXPECT_EQ(rows[0].Rank, 1);
  EXPECT_NEAR(*rows[0].RankValue, M_PI / 4 * 0.6 * 0.6 * 2.0, 1e-12);

  // A vacuum column: the pressure drop per stage decides (300 Pa/m x HETP), not the volume.
  EXPECT_EQ(
      RankScreening(rows, 10, TScreenCriterion::ByService, ServiceIndexOf("VacuumDistillation")),
      TScreenCriterion::PressureDropPerStage);
  order.clear();
  for (const auto& r : rows) order.push_back(r.Index);
  EXPECT_EQ(order, (std::vector<int>{3, 1, 4, 6, 0, 2, 5}));
  rows[1].PressureDropPerStage = 10;  // the larger volume, the smaller pressure drop per stage
  RankScreening(rows, 10, TScreenCriterion::ByService, ServiceIndexOf("VacuumDistillation"));
  EXPECT_EQ(rows[0].Index, 1);
  EXPECT_EQ(*rows[0].RankValue, 10);
  // An absorber by volume.
  EXPECT_EQ(RankScreening(rows, 10, TScreenCriterion::ByService, ServiceIndexOf("Absorption")),
            TScreenCriterion::PackedVolume);
  EXPECT_EQ(rows[0].Index, 3);

  // Without stages, or when asked, the cross section decides.
  EXPECT_EQ(RankScreening(rows, 10, TScreenCriterion::Diameter), TScreenCriterion::Diameter);
  order.clear();
  for (const auto& r : rows) order.push_back(r.Index);
  EXPECT_EQ(order, (std::vector<int>{1, 3, 4, 6, 0, 2, 5}));
  RankScreening(rows, 0);
  order.clear();
  for (const auto& r : rows) order.push_back(r.Index);
  EXPECT_EQ(order, (std::vector<int>{1, 3, 4, 6, 0, 2, 5}));
}

// A run that failed after the hydraulics (an arithmetic failure in the mass transfer, say) left
// values that are not a design: the row is rejected with its reason and ranks behind every
// sound row, however small its column.
TEST(ScreeningTest, AFailedRunIsRejectedAndNeverRankedFirst) {
  TScreenRow sound, failed;
  sound.Index = 0;
  failed.Index = 1;
  for (TScreenRow* r : {&sound, &failed}) {
    r->HydraulicsDone = true;
    r->PressureDrop = 300;
  }
  sound.Diameter = 0.5;
  sound.PackedHeight = 4.0;
  failed.Diameter = 0.1;
  failed.PackedHeight = 0.5;
  failed.WettingPercent = -717633;
  failed.Error = "传质计算失败";
  EXPECT_TRUE(failed.Rejected());
  std::vector<TScreenRow> rows = {failed, sound};
  RankScreening(rows, 10);
  EXPECT_EQ(rows.front().Index, 0);
}

}  // namespace
}  // namespace velm
