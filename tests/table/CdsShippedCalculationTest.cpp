// Every packing of the shipped table, run through the calculation with an air-water absorber:
// the constants must give a converged flooding iteration and finite results under the
// Eckert-type method, and the Kister-type method must find the experimental factor exactly where
// the table gives one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>

#include "core/Calculate.h"
#include "core/Methods.h"
#include "core/PlainFields.h"
#include "core/methods/BilletSchultes.h"
#include "table/PackingTable.h"

namespace velm {
namespace {

struct TRun {
  TDesignCase Case;
  TPlainFields Fields;
  TPlainLog Log;
};

// Air-water absorber near ambient conditions (the example case shipped with the program).
void RunCase(TRun& run, const TPackingRecord& packing, int method) {
  TPlainFields& f = run.Fields;
  f[TField::LD] = "5";
  f[TField::DlD] = "998";
  f[TField::MlD] = "0.001";
  f[TField::SLD] = "0.072";
  f[TField::DlfD] = "1.9E-9";
  f[TField::VD] = "1.2";
  f[TField::DvD] = "1.19";
  f[TField::MvD] = "1.8E-5";
  f[TField::DvfD] = "2.3E-5";
  f[TField::LmdD] = "0.8";
  run.Case.FoamingFactorText = "1.0";
  run.Case.FloodPercentText = "70";
  run.Case.FloodMethod = method;
  run.Case.AccelMethod = 1;
  Calculate(run.Case, &packing, run.Log, run.Fields);
}

class ShippedPackingsCalculation : public ::testing::Test {
 protected:
  void SetUp() override { FTable.LoadLabelledFile(VELM_PACKINGS_CDS); }
  TPackingRecord Record(int r) const {
    TPackingRecord p;
    for (int c = 0; c < TPackingRecord::kColumns; ++c)
      p.F[static_cast<size_t>(c)] = FTable.Value(r, c);
    return p;
  }
  TMyClientDataSet FTable;
};

TEST_F(ShippedPackingsCalculation, EckertOrvikConvergesForEveryPacking) {
  ASSERT_GE(FTable.RecordCount(), 24);
  for (int r = 0; r < FTable.RecordCount(); ++r) {
    SCOPED_TRACE("packing " + FTable.Value(r, 0));
    TRun run;
    RunCase(run, Record(r), FloodingMethodIndexOf("Eckert-Orvik"));
    ASSERT_TRUE(run.Case.Converged.value_or(false));
    ASSERT_TRUE(run.Case.Diameter && run.Case.HETP);
    EXPECT_GT(*run.Case.Diameter, 0.0);
    EXPECT_TRUE(std::isfinite(*run.Case.HETP) && *run.Case.HETP > 0.0);
    // The wet factors start from the dry constants: Kf = 10^A (B = 0), Kp >= Kf (B > 0).
    EXPECT_NEAR(*run.Case.Kf, std::pow(10.0, std::stod(FTable.Value(r, 10))), 1e-6 * *run.Case.Kf);
    EXPECT_GE(*run.Case.Kp, *run.Case.Kf);
  }
}

TEST_F(ShippedPackingsCalculation, KisterOrvikNeedsTheExperimentalFactor) {
  for (int r = 0; r < FTable.RecordCount(); ++r) {
    SCOPED_TRACE("packing " + FTable.Value(r, 0));
    TRun run;
    RunCase(run, Record(r), FloodingMethodIndexOf("Kister-Orvik"));
    if (FTable.Value(r, 14).empty()) {
      EXPECT_TRUE(run.Fields.MethodReset);
      ASSERT_EQ(run.Fields.Messages.size(), 1u);
      EXPECT_EQ(run.Fields.Messages[0], kNoExperimentalFactorMessage);
    } else {
      EXPECT_FALSE(run.Fields.MethodReset);
      ASSERT_TRUE(run.Case.Converged.value_or(false));
      EXPECT_GT(run.Case.Diameter.value_or(0.0), 0.0);
    }
  }
}

// The Billet & Schultes constants of the table against the published ones: Seader & Henley,
// Separation Process Principles, 2nd ed., Table 6.8 (Billet & Schultes, Trans IChemE 77A, 1999);
// 0 where the table prints none. Every row of the shipped table is judged: a row not listed
// must carry no constants.
TEST_F(ShippedPackingsCalculation, BilletSchultesConstantsAreThePublishedOnes) {
  const struct {
    const char* Key;
    double a, eps, Ch, Cp, CL, CV, CS, CFl;
  } published[] = {
      {"01", 771.9, 0.620, 1.094, 0, 1.130, 0, 0, 0},                  // Raschig, ceramic, 6 mm
      {"03", 190.0, 0.680, 0.577, 1.329, 1.361, 0.412, 2.454, 1.899},  // Raschig, ceramic, 25 mm
      {"08", 545.0, 0.650, 0.833, 0, 1.364, 0.232, 0, 0},              // Berl, ceramic, 13 mm
      {"09", 260.0, 0.680, 0.620, 0, 1.246, 0.387, 0, 0},              // Berl, ceramic, 25 mm
      {"13", 114.6, 0.761, 0, 0.747, 0, 0, 0, 0},                      // Intalox, ceramic, 50 mm
      {"20", 223.5, 0.954, 0.719, 0.957, 1.440, 0.336, 2.627, 2.083},  // Pall, metal, 25 mm
      {"23", 223.5, 0.954, 0.719, 0.957, 1.440, 0.336, 2.627, 2.083},
      {"21", 112.6, 0.951, 0.784, 0.763, 1.192, 0.410, 2.725, 1.580},  // Pall, metal, 50 mm
      {"25", 112.6, 0.951, 0.784, 0.763, 1.192, 0.410, 2.725, 1.580},
      {"28", 225.0, 0.887, 0.528, 0.865, 0.905, 0.446, 2.696, 2.064},  // Pall, plastic, 25 mm
      {"30", 111.1, 0.919, 0.593, 0.698, 1.239, 0.368, 2.816, 1.757},  // Pall, plastic, 50 mm
      {"32", 232.5, 0.971, 1.040, 0.641, 0, 0, 2.703, 1.996},          // Cascade Mini-Ring 1.0 in
      {"33", 174.9, 0.974, 0.935, 0.632, 0, 0, 2.697, 1.841},          // Cascade Mini-Ring 1.5 in
  };
  int withConstants = 0;
  for (int r = 0; r < FTable.RecordCount(); ++r) {
    const std::string key = FTable.Value(r, 0);
    SCOPED_TRACE("packing " + key);
    const auto c = ParseBilletSchultes(FTable.Value(r, 15));
    const auto row = std::find_if(std::begin(published), std::end(published),
                                  [&](const auto& p) { return key == p.Key; });
    if (row == std::end(published)) {
      EXPECT_FALSE(c.has_value());
      continue;
    }
    ASSERT_TRUE(c.has_value());
    ++withConstants;
    const std::pair<std::optional<double>, double> pairs[] = {
        {c->a, row->a},   {c->Epsilon, row->eps}, {c->Ch, row->Ch}, {c->Cp, row->Cp},
        {c->CL, row->CL}, {c->CV, row->CV},       {c->CS, row->CS}, {c->CFl, row->CFl}};
    for (const auto& [inTable, printed] : pairs) {
      EXPECT_EQ(inTable.has_value(), printed != 0.0);
      if (inTable) {
        EXPECT_DOUBLE_EQ(*inTable, printed);
      }
    }
  }
  EXPECT_EQ(withConstants, static_cast<int>(std::size(published)));
}

// The method runs exactly for the rows with the constants of the loading point, holdup and
// pressure drop, and ends with its message for the others.
TEST_F(ShippedPackingsCalculation, BilletSchultesRunsWhereTheTableHasItsConstants) {
  for (int r = 0; r < FTable.RecordCount(); ++r) {
    SCOPED_TRACE("packing " + FTable.Value(r, 0));
    TRun run;
    RunCase(run, Record(r), FloodingMethodIndexOf("Billet-Schultes"));
    const auto c = ParseBilletSchultes(FTable.Value(r, 15));
    if (c && MissingConstants(*c, kBsHydraulicConstants).empty()) {
      EXPECT_FALSE(run.Fields.MethodReset);
      ASSERT_TRUE(run.Case.HETP.has_value());
      EXPECT_GT(*run.Case.LoadingPercent, 0.0);
      EXPECT_LE(*run.Case.LoadingPercent, 100.0 * 0.7 / kBsLoadingToFlooding);
    } else {
      EXPECT_TRUE(run.Fields.MethodReset);
      EXPECT_EQ(run.Fields.Messages.size(), 1u);
    }
  }
}

}  // namespace
}  // namespace velm
