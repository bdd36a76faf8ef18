#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "core/Accelerator.h"

using velm::TAitken;

namespace {

struct TRun {
  int Counter;
  double X;
};

// The caller's loop of the flooding iteration, on a map g, ending at an absolute change of
// `tolerance` or less.
TRun Iterate(std::uint8_t mode, const std::function<double(double)>& g, double start,
             double tolerance = 0.0001, int limit = 200) {
  int k = 0;
  double x = start;
  TAitken acc(k, start, 1000, mode, false);
  double change;
  do {
    x = g(x);
    change = acc.Step(x, k);
  } while (change > tolerance && k < limit);
  return {k, x};
}

}  // namespace

TEST(Aitken, CreateSetsTheCallersCounterToOne) {
  int k = 42;
  TAitken acc(k, 3.0, 1000, 0, false);
  EXPECT_EQ(k, 1);
  EXPECT_EQ(acc.FHistory[0], 3.0);
  EXPECT_EQ(acc.FHistory[1], 1e200);
  EXPECT_EQ(acc.FLastCount, 1);
}

TEST(Aitken, NormalModeReturnsThePlainChange) {
  int k;
  TAitken acc(k, 0.0, 1000, 0, false);
  double x = 1.0;  // g(0) for g(t) = t/2 + 1
  EXPECT_DOUBLE_EQ(acc.Step(x, k), 1.0);
  EXPECT_EQ(k, 2);
  x = 1.5;
  EXPECT_DOUBLE_EQ(acc.Step(x, k), 0.5);
  EXPECT_EQ(x, 1.5);
  EXPECT_EQ(acc.FLastX, 1.5);
  EXPECT_EQ(acc.FLastCount, 3);
}

TEST(Aitken, AitkenModeExtrapolatesEverySecondStep) {
  int k;
  TAitken acc(k, 0.0, 1000, 1, false);
  double x = 1.0;
  EXPECT_DOUBLE_EQ(acc.Step(x, k), 1.0);
  x = 1.5;
  EXPECT_DOUBLE_EQ(acc.Step(x, k), 1.0);
  EXPECT_DOUBLE_EQ(x, 2.0);  // the fixed point of t/2 + 1
  x = 2.0;
  EXPECT_DOUBLE_EQ(acc.Step(x, k), 0.0);
}

TEST(Aitken, ConstantSequenceFallsBackToThePlainValue) {
  int k;
  TAitken acc(k, 1.0, 1000, 1, false);
  double x = 1.0;
  acc.Step(x, k);
  x = 1.0;
  EXPECT_EQ(acc.Step(x, k), 0.0);
  EXPECT_EQ(x, 1.0);
}

TEST(Aitken, InterpolationOfALinearMapPredictsTheNextIterate) {
  for (std::uint8_t mode : {2, 3}) {
    int k;
    TAitken acc(k, 0.0, 1000, mode, false);
    double x = 1.0;
    acc.Step(x, k);
    x = 1.5;
    acc.Step(x, k);
    x = 1.75;
    acc.Step(x, k);
    EXPECT_NEAR(x, 1.875, 1e-12) << "mode " << int(mode);  // g(1.75), not the fixed point 2
  }
}

TEST(Aitken, SquareRootMapEndsAtTheDocumentedCounters) {
  auto g = [](double t) { return std::sqrt(t + 2.0); };
  const TRun normal = Iterate(0, g, 0.0);
  EXPECT_EQ(normal.Counter, 10);
  EXPECT_NEAR(normal.X, 1.999991, 1e-6);
  const TRun aitken = Iterate(1, g, 0.0);
  EXPECT_EQ(aitken.Counter, 6);
  EXPECT_NEAR(aitken.X, 2.000002, 1e-6);
  for (std::uint8_t mode : {2, 3}) {
    const TRun r = Iterate(mode, g, 0.0);
    EXPECT_EQ(r.Counter, 8) << "mode " << int(mode);
    EXPECT_NEAR(r.X, 1.999990, 1e-6) << "mode " << int(mode);
  }
}

TEST(Aitken, AitkenSecondStepValueOfTheSquareRootMap) {
  int k;
  TAitken acc(k, 0.0, 1000, 1, false);
  double x = std::sqrt(2.0);
  acc.Step(x, k);
  x = std::sqrt(x + 2.0);
  acc.Step(x, k);
  EXPECT_NEAR(x, 2.039426, 1e-6);
}

TEST(Aitken, InterpolationThirdStepValueOfTheSquareRootMap) {
  for (std::uint8_t mode : {2, 3}) {
    int k;
    TAitken acc(k, 0.0, 1000, mode, false);
    double x = 0.0;
    for (int i = 0; i < 3; ++i) {
      x = std::sqrt(x + 2.0);
      acc.Step(x, k);
    }
    EXPECT_NEAR(x, 1.989963, 1e-6) << "mode " << int(mode);
  }
}

TEST(Aitken, RelativeChangeAndItsZeroReference) {
  int k;
  TAitken rel(k, 2.0, 1000, 0, true);
  double x = 3.0;
  EXPECT_DOUBLE_EQ(rel.Step(x, k), 0.5);
  TAitken zero(k, 0.0, 1000, 0, true);
  x = 3.0;
  EXPECT_DOUBLE_EQ(zero.Step(x, k), 3.0);  // reference 0: the absolute change
}

TEST(Aitken, PastTheLimitNothingMoves) {
  int k;
  TAitken acc(k, 0.0, 2, 0, false);
  double x = 1.0;
  acc.Step(x, k);
  acc.Step(x, k);
  ASSERT_EQ(k, 3);
  x = 7.0;
  EXPECT_EQ(acc.Step(x, k), 1e200);
  EXPECT_EQ(k, 3);
  EXPECT_EQ(x, 7.0);
  EXPECT_EQ(acc.FLastX, 1.0);
}
