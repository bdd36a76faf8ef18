// Every packing of the shipped table, run through the calculation with an air-water absorber:
// the constants must give a converged flooding iteration and finite results under the
// Eckert-type method, and the Kister-type method must find the experimental factor exactly where
// the table gives one.
#include <gtest/gtest.h>

#include <cmath>

#include "core/Calculate.h"
#include "core/Methods.h"
#include "core/PlainFields.h"
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

}  // namespace
}  // namespace velm
