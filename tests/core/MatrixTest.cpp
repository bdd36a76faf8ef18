#include <gtest/gtest.h>

#include "base/Errors.h"
#include "core/Matrix.h"
#include "core/MessageLog.h"
#include "core/PlainFields.h"

using namespace velm;

namespace {

mnMatrix Points(std::initializer_list<double> xs, std::initializer_list<double> ys) {
  return {lMatrix(xs), lMatrix(ys)};
}

// Indices of the window's points, read back from their x values 0..5.
std::vector<int> Selected(double x, int d) {
  const mnMatrix M = Points({0, 1, 2, 3, 4, 5}, {10, 11, 12, 13, 14, 15});
  mnMatrix W;
  SelectWindow(M, 0, 6, d, x, W);
  std::vector<int> idx;
  for (int j = 0; j <= d; ++j) idx.push_back(static_cast<int>(W[0][j]));
  for (int j = d + 1; j < 6; ++j) EXPECT_EQ(W[0][j], 0.0);
  return idx;
}

}  // namespace

TEST(SelectWindow, CubicWindowTakesTwoPointsOnEachSideAndSlidesAtTheEnds) {
  EXPECT_EQ(Selected(2.5, 3), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(Selected(-1, 3), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(Selected(0.5, 3), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(Selected(4.5, 3), (std::vector<int>{2, 3, 4, 5}));
  EXPECT_EQ(Selected(9, 3), (std::vector<int>{2, 3, 4, 5}));
}

TEST(SelectWindow, LinearWindowTakesTheTwoNeighbours) {
  EXPECT_EQ(Selected(2.5, 1), (std::vector<int>{2, 3}));
  EXPECT_EQ(Selected(9, 1), (std::vector<int>{4, 5}));
  EXPECT_EQ(Selected(-1, 1), (std::vector<int>{0, 1}));
}

TEST(PolyFitEval, StraightLineThroughTwoPointsAndItsLogLines) {
  const mnMatrix M = Points({0, 1}, {1, 3});
  mnMatrix coef;
  TPlainLog log;
  EXPECT_NEAR(PolyFitEval(M, 0, 1, 2, 1, coef, 2.0, "△Pf", "Yf", &log), 5.0, 1e-12);
  ASSERT_EQ(coef.size(), 2u);
  EXPECT_EQ(log.Texts(), (std::vector<std::string>{"Max relativity error=0 %", "Yf= 2.△Pf + 1"}));
}

TEST(PolyFitEval, NegativeCoefficientsLoseThePlusSign) {
  const mnMatrix M = Points({0, 1}, {1, 0.5});  // y = -0.5 x + 1
  mnMatrix coef;
  TPlainLog log;
  PolyFitEval(M, 0, 1, 2, 1, coef, 0.0, "x", "y", &log);
  EXPECT_EQ(log.Lines.at(1).Text(), "y= -0.5.x + 1");
  const mnMatrix N = Points({0, 1}, {-1, 1});  // y = 2 x - 1
  PolyFitEval(N, 0, 1, 2, 1, coef, 0.0, "x", "y", &log);
  EXPECT_EQ(log.Lines.at(3).Text(), "y= 2.x -1");
}

// Fits are kept per thread and reused for the same points: a kept fit must answer only the very
// points it was made from (same abscissae with other ordinates, another degree, a fit pushed out
// by newer ones and met again).
TEST(PolyFitEval, KeptFitsAnswerOnlyTheSamePoints) {
  struct TCase {
    mnMatrix M;
    int m, d;
    double x, expected;
  };
  const TCase cases[] = {
      {Points({0, 1}, {1, 3}), 2, 1, 2, 5},        // y = 2x + 1
      {Points({0, 1}, {1, 4}), 2, 1, 2, 7},        // same x, y = 3x + 1
      {Points({0, 1, 2}, {1, 3, 5}), 2, 1, 2, 5},  // the first two points again
      {Points({0, 1, 2}, {0, 1, 4}), 3, 2, 3, 9},  // y = x^2
      {Points({5, 6}, {0, 1}), 2, 1, 7, 2},        // y = x - 5
      {Points({0, 1}, {2, 2}), 2, 1, 9, 2},        // y = 2
      {Points({-1, 1}, {0, 2}), 2, 1, 3, 4},       // y = x + 1
      {Points({0, 1}, {1, 4}), 2, 1, -1, -2},      // pushed out, met again
      {Points({0, 1, 2}, {0, 1, 4}), 2, 1, 3, 3},  // x^2's points, degree 1 on two
  };
  for (int round = 0; round < 2; ++round)
    for (const TCase& c : cases) {
      mnMatrix coef;
      EXPECT_NEAR(PolyFitEval(c.M, 0, 1, c.m, c.d, coef, c.x, "x", "y", nullptr), c.expected, 1e-9)
          << "round " << round << " at x=" << c.x;
    }
}

TEST(PolyFitEval, CubicThroughFourPointsInterpolatesAndWritesPowers) {
  // y = x^3 - 2x + 1 at x = 0, 1, 2, 3.
  const mnMatrix M = Points({0, 1, 2, 3}, {1, 0, 5, 22});
  mnMatrix coef;
  TPlainLog log;
  EXPECT_NEAR(PolyFitEval(M, 0, 1, 4, 3, coef, 1.5, "Y", "△P", &log), 1.375, 1e-9);
  const std::string poly = log.Lines.at(1).Text();
  EXPECT_EQ(poly.rfind("△P= 1", 0), 0u) << poly;
  EXPECT_NE(poly.find(".Y^3"), std::string::npos) << poly;
  EXPECT_NE(poly.find(".Y^2"), std::string::npos) << poly;
}

TEST(PolyFitEval, LogIsClearedWhenItHoldsMoreThan500Lines) {
  const mnMatrix M = Points({0, 1}, {1, 3});
  mnMatrix coef;
  TPlainLog log;
  for (int i = 0; i < 500; ++i) log.Add("line");
  PolyFitEval(M, 0, 1, 2, 1, coef, 0.0, "x", "y", &log);
  // 500 lines are not more than 500: the first line is added; 501 are, so the log is cleared
  // before the second.
  EXPECT_EQ(log.Count(), 1);
  EXPECT_EQ(log.Lines[0].Kind(), TLogLine::TKind::Polynomial);
  PolyFitEval(M, 0, 1, 2, 1, coef, 0.0, "x", "y", &log);
  EXPECT_EQ(log.Count(), 3);
}

TEST(PolyFitEval, LeastSquaresLineThroughThreePoints) {
  const mnMatrix M = Points({0, 1, 2}, {0, 1, 1});  // best line y = 0.5 x + 1/6
  mnMatrix coef;
  EXPECT_NEAR(PolyFitEval(M, 0, 1, 3, 1, coef, 3.0, "x", "y", nullptr), 1.5 + 1.0 / 6.0, 1e-12);
  EXPECT_NEAR(coef[0][0], 0.5, 1e-12);
}

TEST(GaussJordan, SolvesWithPivotingAndFailsOnAZeroColumn) {
  mnMatrix A = {{0, 2}, {3, 1}};
  mnMatrix B = {{4}, {5}};
  ASSERT_TRUE(GaussJordan(2, A, B));
  EXPECT_NEAR(B[0][0], 1.0, 1e-12);
  EXPECT_NEAR(B[1][0], 2.0, 1e-12);

  mnMatrix Z = {{0, 1}, {0, 2}};
  mnMatrix C = {{1}, {2}};
  EXPECT_FALSE(GaussJordan(2, Z, C));
}

TEST(InterpolateCurve, TwoPointsExtrapolateOnTheLine) {
  const mnMatrix M = Points({1, 2}, {10, 20});
  EXPECT_DOUBLE_EQ(InterpolateCurve(M, 2, 0, 1, 4.0), 40.0);
  EXPECT_DOUBLE_EQ(InterpolateCurve(M, 1, 0, 1, 4.0), 10.0);
  EXPECT_THROW(InterpolateCurve(M, 0, 0, 1, 4.0), TCalcError);
}

TEST(InterpolateCurve, InsideItBlendsTheTwoParabolasThatShareTheInterval) {
  const mnMatrix M = Points({0, 1, 2, 4}, {0, 1, 4, 0});
  const double x = 1.25;
  const double p1 = Lagrange3(M, 0, 1, 0, x);
  const double p2 = Lagrange3(M, 0, 1, 1, x);
  EXPECT_NEAR(p1, x * x, 1e-12);  // the parabola through the first three points is x^2
  EXPECT_NEAR(InterpolateCurve(M, 4, 0, 1, x), (0.75 * p1 + 0.25 * p2), 1e-12);
  // Near the ends one parabola serves.
  EXPECT_NEAR(InterpolateCurve(M, 4, 0, 1, 0.5), 0.25, 1e-12);
  EXPECT_NEAR(InterpolateCurve(M, 4, 0, 1, 3.0), Lagrange3(M, 0, 1, 1, 3.0), 1e-12);
}

TEST(MatrixRoutines, TransposeProductAndRowOperations) {
  mnMatrix A = {{1, 2, 3}, {4, 5, 6}};
  mnMatrix T, P;
  Transpose(2, 3, A, T);
  EXPECT_EQ(T[2][1], 6.0);
  MatMul(2, 3, 2, A, T, P);
  EXPECT_EQ(P[0][0], 14.0);
  EXPECT_EQ(P[0][1], 32.0);
  EXPECT_EQ(P[1][1], 77.0);
  AddScaledRow(A, 1, 0, 3, -4.0);
  EXPECT_EQ(A[1], (lMatrix{0, -3, -6}));
  ScaleRow(A, 1, 2, 0.5);
  EXPECT_EQ(A[1], (lMatrix{0, -1.5, -6}));  // only the first two elements
  SwapRows(3, 0, 1, A);
  EXPECT_EQ(A[0][0], 0.0);
}
