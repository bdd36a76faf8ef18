// The relations of the five groups and the damped Newton solver, without any field.
#include <gtest/gtest.h>

#include <cmath>

#include "base/Errors.h"
#include "core/RelationGroups.h"

namespace velm {
namespace {

const TRelationGroup& Group(const std::string& name) {
  for (const TRelationGroup& g : RelationGroups())
    if (g.FName == name) return g;
  throw std::logic_error("no group " + name);
}

TEST(RelationGroupTable, OrderColoursAndFields) {
  const auto& g = RelationGroups();
  ASSERT_EQ(g.size(), 5u);
  const int colors[] = {0x0000FF, 0xF0CAA6, 0xC0DCC0, 0x008080, 0xC0C0C0};
  const char* names[] = {"A", "B", "C", "D", "E"};
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(g[i].FName, names[i]);
    EXPECT_EQ(g[i].FColor, colors[i]) << names[i];
  }
  EXPECT_EQ(g[1].FFields,
            (std::vector<std::string>{"LD", "VD", "DvD", "DlD", "dpD", "dD", "UpD", "UlsD"}));
  EXPECT_EQ(g[4].FFields, (std::vector<std::string>{"meD", "VD", "LD", "LmdD"}));
  EXPECT_DOUBLE_EQ(g[3].FGuess, 0.2345);
  EXPECT_DOUBLE_EQ(g[0].FGuess, 1.2345);
}

TEST(NewtonSolveRelations, SlopeFromRelativeVolatility) {
  const auto& d = Group("D");
  // m = 0.9 a / (0.9 a + 0.1) with a = 2.
  EXPECT_NEAR(NewtonSolve({2.0, 0.0}, 1, d.FResidual, d.FGuess), 0.947368421052632, 1e-15);
  // And back: a from m.
  EXPECT_NEAR(NewtonSolve({0.0, 0.947368421052632}, 0, d.FResidual, d.FGuess), 2.0, 1e-9);
}

TEST(NewtonSolveRelations, FlowParameterAndDensityUnderTheRoot) {
  const auto& a = Group("A");
  const double fp = 2.0 * std::sqrt(1.2 / 1000.0);
  EXPECT_NEAR(NewtonSolve({2.0, 1.0, 1.2, 1000.0, 0.0}, 4, a.FResidual, a.FGuess), fp, 1e-12);
  // The gas density from the flow parameter: nonlinear in the unknown.
  EXPECT_NEAR(NewtonSolve({2.0, 1.0, 0.0, 1000.0, fp}, 2, a.FResidual, a.FGuess), 1.2, 1e-8);
}

TEST(NewtonSolveRelations, DiameterFromGasLoadAndLoads) {
  const auto& c = Group("C");
  // (dp / d)^2 Up = Uvs: d = dp sqrt(Up / Uvs) = 2.
  EXPECT_NEAR(NewtonSolve({1.0, 0.0, 2.0, 0.5}, 1, c.FResidual, c.FGuess), 2.0, 1e-9);
  const auto& b = Group("B");
  // Uls = (0.8 / 1)^2 (2 / 1) (1.2 / 1000) 2.
  EXPECT_NEAR(NewtonSolve({2, 1, 1.2, 1000, 0.8, 1.0, 2.0, 0}, 7, b.FResidual, b.FGuess),
              0.64 * 2 * 0.0012 * 2, 1e-15);
  const auto& e = Group("E");
  // L from lambda = m V / L: L = 0.5 * 3 / 0.75 = 2.
  EXPECT_NEAR(NewtonSolve({0.5, 3.0, 0.0, 0.75}, 2, e.FResidual, e.FGuess), 2.0, 1e-9);
}

TEST(NewtonSolveRelations, ArithmeticErrorsAreReadable) {
  try {
    Group("A").FResidual({2.0, 0.0, 1.2, 1000.0, 0.1});
    FAIL() << "V = 0 accepted";
  } catch (const TCalcError& e) {
    EXPECT_NE(std::string(e.what()).find("V = 0"), std::string::npos) << e.what();
  }
  EXPECT_THROW(Group("A").FResidual({2.0, 1.0, -1.2, 1000.0, 0.1}), TCalcError);
  EXPECT_THROW(Group("A").FResidual({2.0, 1.0, 1.2, 0.0, 0.1}), TCalcError);
  EXPECT_THROW(Group("B").FResidual({2, 1, 1.2, 1000, 0.8, 0.0, 2, 0}), TCalcError);
  EXPECT_THROW(Group("C").FResidual({1.0, 0.0, 2.0, 0.5}), TCalcError);
  EXPECT_THROW(Group("E").FResidual({0.5, 3.0, 0.0, 0.75}), TCalcError);
  // The solver passes the relation's error on.
  EXPECT_THROW(NewtonSolve({1.0, 0.0, 2.0, 0.0}, 3, Group("C").FResidual, 1.2345), TCalcError);
}

TEST(NewtonSolveIteration, FlatRelationReturnsTheStart) {
  const TRelation flat = [](const std::vector<double>&) { return 3.0; };
  EXPECT_DOUBLE_EQ(NewtonSolve({0.0}, 0, flat, 1.2345), 1.2345);
}

TEST(NewtonSolveIteration, NonFiniteResidualThrowsInsteadOfLooping) {
  const TRelation bad = [](const std::vector<double>&) { return std::nan(""); };
  EXPECT_THROW(NewtonSolve({0.0}, 0, bad, 1.0), TCalcError);
}

TEST(NewtonSolveIteration, CyclingNewtonEndsThroughHalvedDamping) {
  // Undamped Newton on y^3 - 2y + 2 cycles between y = 0 and y = 1 for ever (shifted by 5
  // so that the start is not near zero); only the restarts with halved damping end it.
  int evaluations = 0;
  const TRelation cubic = [&](const std::vector<double>& v) {
    ++evaluations;
    const double y = v[0] - 5.0;
    return y * y * y - 2 * y + 2;
  };
  const double x = NewtonSolve({0.0}, 0, cubic, 5.0);
  EXPECT_TRUE(std::isfinite(x));
  EXPECT_GT(evaluations, 5 * 21);  // at least one restart happened
}

TEST(NewtonSolveIteration, OtherValuesAreNotChanged) {
  std::vector<double> seen;
  const TRelation r = [&](const std::vector<double>& v) {
    seen = v;
    return v[1] - 2 * v[0];
  };
  EXPECT_NEAR(NewtonSolve({3.0, 0.0, 7.0}, 1, r, 0.0), 6.0, 1e-12);
  EXPECT_DOUBLE_EQ(seen[0], 3.0);
  EXPECT_DOUBLE_EQ(seen[2], 7.0);
}

}  // namespace
}  // namespace velm
