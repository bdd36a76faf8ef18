#include <gtest/gtest.h>

#include <cmath>

#include "CoreTestSupport.h"
#include "base/Decimal.h"
#include "base/NumberFormat.h"
#include "core/Correlations.h"

using namespace velm;
using velm::test::CeramicRaschig25;
using velm::test::TRun;

namespace {

const std::vector<std::string> kResultWrites = {"UpD",      "UfD",   "dpD",   "dD",     "UvsD",
                                                "fActualD", "UlsD",  "HTD",   "UmD",    "dPwaterD",
                                                "UmL",      "HTUVD", "HTULD", "HTUOVD", "HETPD"};

std::vector<std::string> Tail(const std::vector<std::string>& v, size_t n) {
  return {v.end() - static_cast<long>(std::min(n, v.size())), v.end()};
}

// A packing whose Kf rises so steeply with the liquid load that the plain substitution
// overshoots the fixed point and never meets its tolerance.
TPackingRecord Oscillating() {
  TPackingRecord p = CeramicRaschig25();
  p.F[10] = "3";
  p.F[11] = "0.5";
  return p;
}

}  // namespace

TEST(CalculateRun, NoPackingRecordChangesNothing) {
  TRun r;
  r.Run(nullptr);
  EXPECT_TRUE(r.Fields.Writes.empty());
  EXPECT_EQ(r.Log.Count(), 0);
  EXPECT_FALSE(r.Case.IterationCount.has_value());
}

TEST(CalculateRun, FullDesignWritesEveryResultInOrder) {
  TRun r;
  r.Run();
  ASSERT_EQ(r.Error, "");
  const auto names = r.WriteNames();
  EXPECT_EQ(Tail(names, kResultWrites.size()), kResultWrites);
  // Eckert-Orvik with both factors computed: KpD, KfD, KpD in every step.
  const int steps = *r.Case.IterationCount - 1;
  EXPECT_EQ(r.Writes("KpD"), 2 * steps);
  EXPECT_EQ(r.Writes("KfD"), steps);
  EXPECT_EQ(names[0], "KpD");
  EXPECT_EQ(names[1], "KfD");
  EXPECT_EQ(r.Log.Lines.back().Text(), "RN=" + std::to_string(*r.Case.IterationCount));
  EXPECT_EQ(r.Log.Count(), 6 * steps + 1);
  EXPECT_TRUE(r.Case.HydraulicsDone);
  EXPECT_TRUE(*r.Case.Converged);
  EXPECT_EQ(*r.Case.WetPressureDrop, r.Case.DesignPoint.PressureDrop);
  EXPECT_EQ(r.Fields.WettingCaptionText, *r.Case.WettingSufficient ? "饱和喷淋" : "饱和喷淋[不够]");
  // The rounded column's loads follow from the standard diameter.
  EXPECT_NEAR(*r.Case.GasLoad, 4 * 1.2 / (M_PI * *r.Case.Diameter * *r.Case.Diameter * 1.19),
              1e-12);
  EXPECT_NEAR(*r.Case.FloodFraction, *r.Case.GasLoad / *r.Case.FloodVelocity, 1e-12);
  EXPECT_EQ(r.Fields[TField::dD], FormatField(RoundDiameter(*r.Case.TheoreticalDiameter)));
}

TEST(CalculateRun, FieldTextsHoldFifteenDigitsOfTheResults) {
  TRun r;
  r.Run();
  EXPECT_EQ(r.Fields[TField::UfD], FormatField(*r.Case.FloodVelocity));
  EXPECT_EQ(*ParseNumber(r.Fields[TField::HETPD]), std::stod(FormatField(*r.Case.HETP)));
}

TEST(CalculateRun, FixedFactorsConvergeInTheSecondStepInEveryMode) {
  for (int mode = 0; mode < 4; ++mode) {
    TRun eckert;
    eckert.Case.AccelMethod = mode;
    eckert.Case.CalcKf = false;
    eckert.Fields[TField::KfD] = "509";
    eckert.Run();
    EXPECT_EQ(eckert.Log.Lines.back().Text(), "RN=3") << "Eckert, mode " << mode;

    TRun kister;
    kister.Case.AccelMethod = mode;
    kister.Case.FloodMethod = kKisterOrvik;
    kister.Case.CalcKp = false;
    kister.Fields[TField::KpD] = "509";
    kister.Run();
    EXPECT_EQ(kister.Log.Lines.back().Text(), "RN=3") << "Kister, mode " << mode;
  }
}

TEST(CalculateRun, KpGivenByHandIsReadBackFromItsFieldText) {
  TRun r;
  r.Case.CalcKp = false;
  r.Fields[TField::KpD] = "152.3";
  r.Run();
  ASSERT_EQ(r.Error, "");
  EXPECT_EQ(*r.Case.Kp, 152.3);
  for (const auto& w : r.Fields.Writes)
    if (w.Name == "KpD") {
      EXPECT_EQ(w.Value, 152.3);
    }
}

TEST(CalculateRun, KisterTakesKpFromTheExperimentalFactorBeforeTheIteration) {
  TRun r;
  r.Case.LegacyMethods = true;
  r.Case.FloodMethod = kKisterOrvik;
  r.Run();
  ASSERT_EQ(r.Error, "");
  const auto names = r.WriteNames();
  EXPECT_EQ(names[0], "KpD");
  EXPECT_EQ(names[1], "KfD");  // Kf is computed and written although the method does not use it
  EXPECT_EQ(names[2], "KpD");
  EXPECT_EQ(r.Fields.Writes[0].Value, 509.0);
  EXPECT_NEAR(r.Case.FloodPoint.PressureDrop, KisterFloodPressureDrop(509, true), 1e-9);
  EXPECT_EQ(r.Case.CurveCount, 6);
  EXPECT_EQ(r.Log.Lines.at(1).Text().rfind("Yf=", 0), 0u);
}

TEST(CalculateRun, KisterWithoutExperimentalFactorResetsTheMethodAndStops) {
  TRun r;
  r.Case.FloodMethod = kKisterOrvik;
  TPackingRecord p = CeramicRaschig25();
  p.F[14] = "   ";
  r.Run(&p);
  EXPECT_EQ(r.Error, "");
  EXPECT_EQ(r.Fields.Messages, std::vector<std::string>{kNoExperimentalFactorMessage});
  EXPECT_TRUE(r.Fields.MethodReset);
  EXPECT_TRUE(r.Fields.Writes.empty());
  EXPECT_EQ(r.Log.Count(), 0);
}

TEST(CalculateRun, ExperimentalFactorThatIsNoNumberIsAConversionError) {
  TRun r;
  r.Case.FloodMethod = kKisterOrvik;
  TPackingRecord p = CeramicRaschig25();
  p.F[14] = "abc";
  r.Run(&p);
  EXPECT_NE(r.Error, "");
  EXPECT_FALSE(r.Fields.MethodReset);
  EXPECT_TRUE(r.Fields.Writes.empty());
}

TEST(CalculateRun, MissingHydraulicInputSkipsBothStages) {
  TRun r;
  r.Fields[TField::DlD] = "";
  r.Run();
  EXPECT_EQ(r.Error, "");
  EXPECT_TRUE(r.Fields.Writes.empty());
  EXPECT_EQ(r.Log.Count(), 0);
  EXPECT_FALSE(r.Case.HydraulicsDone);
}

TEST(CalculateRun, MissingMassTransferInputKeepsTheOldHeights) {
  TRun r;
  r.Run();
  const double hetp = *r.Case.HETP;
  r.Fields.Writes.clear();
  r.Fields[TField::LmdD] = "";
  r.Fields[TField::LD] = "2.5";
  r.Run();
  EXPECT_EQ(r.Error, "");
  EXPECT_EQ(r.Writes("HETPD"), 0);
  EXPECT_EQ(r.Writes("UmL"), 1);
  EXPECT_EQ(*r.Case.HETP, hetp);
}

TEST(CalculateRun, EmptyGasDiffusivityEndsTheRunBeforeAnyHeight) {
  TRun r;
  r.Fields[TField::DvfD] = "";
  r.Run();
  EXPECT_EQ(r.Error, "警告:“气相扩散系数”是空白,请补充.");
  EXPECT_EQ(r.Fields[TField::DvfD], " ");
  EXPECT_EQ(r.Writes("UmL"), 1);
  EXPECT_EQ(r.Writes("HTUVD"), 0);
  EXPECT_TRUE(r.Case.HydraulicsDone);
}

TEST(CalculateRun, BadTextInAFieldNamesTheFactorByItsLabel) {
  TRun r;
  r.Case.CalcKf = false;
  r.Fields[TField::KfD] = "abc";
  r.Run();
  EXPECT_EQ(r.Error, "泛点湿填料因子是错误数据");
  EXPECT_EQ(r.Fields.Messages.size(), 1u);
  EXPECT_EQ(r.WriteNames(), std::vector<std::string>{"KpD"});
}

TEST(CalculateRun, NonConvergenceChangesOnlyTheFactorsAndTheLog) {
  TRun r;
  const TPackingRecord p = Oscillating();
  r.Run(&p);
  EXPECT_EQ(r.Error, "");
  EXPECT_FALSE(*r.Case.Converged);
  EXPECT_EQ(*r.Case.IterationCount, 200);
  for (const auto& name : r.WriteNames()) EXPECT_TRUE(name == "KpD" || name == "KfD") << name;
  EXPECT_EQ(r.Writes("KfD"), 199);
  EXPECT_EQ(r.Log.Lines.back().Text(), "计算未收敛！");
  EXPECT_EQ(r.Log.Lines[r.Log.Lines.size() - 2].Text(), "RN=200");
  EXPECT_LE(r.Log.Count(), 502);  // the fit lines cleared the log on the way
  EXPECT_FALSE(r.Case.FloodVelocity.has_value());
  EXPECT_FALSE(r.Case.HydraulicsDone);
}

TEST(CalculateRun, AitkenExtrapolationConvergesWherePlainSubstitutionCannot) {
  TRun r;
  r.Case.AccelMethod = 1;
  const TPackingRecord p = Oscillating();
  r.Run(&p);
  EXPECT_LT(*r.Case.IterationCount, 200);
  EXPECT_EQ(r.Error, "");
}

TEST(CalculateRun, TheoreticalDiameterOfFourMillimetresEndsTheRunWithAMessage) {
  TRun r;
  r.Fields[TField::VD] = "1e-6";
  r.Fields[TField::LD] = "1e-6";
  r.Run();
  EXPECT_NE(r.Error.find("mm"), std::string::npos) << r.Error;
  EXPECT_EQ(r.Writes("dpD"), 1);
  EXPECT_EQ(r.Writes("dD"), 0);
  EXPECT_EQ(r.Writes("UvsD"), 0);
  for (const auto& w : r.Fields.Writes) EXPECT_TRUE(std::isfinite(w.Value));
}

TEST(CalculateRun, KisterWithLiquidNoDenserThanGasIsAFloatingPointFailure) {
  TRun r;
  r.Case.FloodMethod = kKisterOrvik;
  r.Fields[TField::DlD] = "1.19";
  r.Run();
  EXPECT_NE(r.Error.find("ρL"), std::string::npos) << r.Error;
  EXPECT_EQ(r.Writes("UpD"), 0);
  EXPECT_EQ(r.WriteNames().front(), "KpD");
}

TEST(CalculateRun, ZeroGasFlowIsAFloatingPointFailure) {
  TRun r;
  r.Fields[TField::VD] = "0";
  r.Run();
  EXPECT_NE(r.Error, "");
  EXPECT_TRUE(r.Fields.Writes.empty());
}

TEST(CalculateRun, PackingColumnOrListTextThatIsNoNumberEndsTheRun) {
  TRun bad;
  TPackingRecord p = CeramicRaschig25();
  p.F[4] = "n/a";
  bad.Run(&p);
  EXPECT_NE(bad.Error.find("n/a"), std::string::npos);
  EXPECT_TRUE(bad.Fields.Writes.empty());

  TRun foam;
  foam.Case.FoamingFactorText = "";
  foam.Run();
  EXPECT_NE(foam.Error, "");
  EXPECT_TRUE(foam.Fields.Writes.empty());

  TRun idle;  // without the hydraulic inputs the lists are never read
  idle.Case.FloodPercentText = "x";
  idle.Fields[TField::LD] = "";
  idle.Run();
  EXPECT_EQ(idle.Error, "");
}

TEST(CalculateRun, OnlyTheFirstTwoCharactersOfTheSizeCount) {
  TRun r;
  TPackingRecord p = CeramicRaschig25();
  p.F[2] = "16mm";
  r.Run(&p);
  ASSERT_EQ(r.Error, "");
  EXPECT_NEAR(*r.Case.Holdup, LiquidHoldup(0.001, *r.Case.LiquidLoad, 998, 0.016), 1e-15);
}

TEST(CalculateRun, FullFloodingPutsTheDesignPointOnTheFloodPoint) {
  TRun r;
  r.Case.FloodPercentText = "100";
  r.Run();
  ASSERT_EQ(r.Error, "");
  EXPECT_NEAR(r.Case.DesignPoint.PressureDrop, r.Case.FloodPoint.PressureDrop,
              1e-9 * r.Case.FloodPoint.PressureDrop);
}

TEST(CalculateRun, LegacyMassTransferUsesTheFloodingMassVelocities) {
  TRun r;
  r.Case.LegacyMethods = true;
  r.Run();
  ASSERT_EQ(r.Error, "");
  const TDesignCase& c = r.Case;
  const double Lw = *c.FloodLiquidLoad / 3600 * 998, Gw = 1.2 / 2 * Lw;
  TOndaResult o =
      OndaCoefficients(Lw, Gw, 190, 0.025, 0.061, 0.072, 0.001, 998, 1.9e-9, 1.8e-5, 1.19, 2.3e-5);
  o.kL *= LiquidFilmEnhancement(*c.FloodFraction);
  o.kG *= GasFilmEnhancement(*c.FloodFraction);
  const THeights h = TransferHeights(1.2, 2, *c.Diameter, o.kG, o.kL, 190, 1.19, 998, 0.8);
  EXPECT_NEAR(*c.HTUV, h.HTUV, 1e-15);
  EXPECT_NEAR(*c.HETP, h.HETP, 1e-15);
}

TEST(CalculateRun, OverflowInsideTheFitIsAFailureNotAResult) {
  // A flow parameter of about 300 drives the Eckert capacities to about 1e60: the normal
  // equations of the cubic placing overflow.
  TRun r;
  r.Fields[TField::LD] = "48000";
  r.Fields[TField::VD] = "3.2";
  r.Fields[TField::DlD] = "1450";
  r.Fields[TField::DvD] = "0.63";
  r.Fields[TField::MlD] = "0.00065";
  r.Case.CalcKf = r.Case.CalcKp = false;
  r.Fields[TField::KfD] = r.Fields[TField::KpD] = "500";
  r.Run();
  EXPECT_NE(r.Error.find("溢出"), std::string::npos) << r.Error;
  EXPECT_EQ(r.WriteNames(), std::vector<std::string>{"KpD"});
  for (const auto& line : r.Log.Texts()) EXPECT_EQ(line.find("INF"), std::string::npos) << line;
  EXPECT_FALSE(r.Case.FloodPoint.Placed);
}

TEST(CalculateRun, FactorsOfAStepThatFailsHalfWayAreKept) {
  TRun r;
  r.Case.CalcKf = false;  // and KfD empty: the step ends at the read of KfD
  r.Run();
  EXPECT_EQ(r.Error, "警告:“泛点湿填料因子”是空白,请补充.");
  ASSERT_TRUE(r.Case.Kp.has_value());
  EXPECT_EQ(*r.Case.Kp, r.Fields.Writes.back().Value);
  EXPECT_FALSE(r.Case.Kf.has_value());
  EXPECT_FALSE(r.Case.DesignPoint.Placed);
}

TEST(CalculateRun, SizeTextMustStartWithANumber) {
  TRun r;
  TPackingRecord p = CeramicRaschig25();
  p.F[2] = "５０mm";  // full-width digits are not a number
  r.Run(&p);
  EXPECT_NE(r.Error.find("“５０mm”"), std::string::npos) << r.Error;
}

namespace {

// Perry's Chemical Engineers' Handbook, Sec. 14, example of Robbins' correlation: 2 in metal Pall
// rings (packing factor 27 1/ft), air-water, G = 2.03 and L = 12.20 kg/(s m2), rhoG = 1.1853 and
// rhoL = 1000 kg/m3, muL = 1 mPa s; Robbins gives 0.381 in H2O/ft = 311 Pa/m (Robbins, Chem. Eng.
// Prog., May 1991). The column section is 1 m2, so the mass flows are the mass velocities.
TRun PerryExample(int method) {
  TRun r;
  r.Fields = TPlainFields();
  r.Fields[TField::LD] = "12.2";
  r.Fields[TField::VD] = "2.03";
  r.Fields[TField::DlD] = "1000";
  r.Fields[TField::DvD] = "1.1853";
  r.Fields[TField::MlD] = "0.001";
  r.Fields[TField::KfD] = r.Fields[TField::KpD] = FormatField(27 / 0.3048);
  r.Case.FloodMethod = method;
  r.Case.CalcKf = r.Case.CalcKp = false;
  r.Case.FoamingFactorText = "1";
  return r;
}

}  // namespace

TEST(CalculateLiterature, PerryExampleWetPressureDropAgreesWithRobbins) {
  const double U = 2.03 / 1.1853;  // the example's gas velocity [m/s]
  for (const int method : {kEckertOrvik, kKisterOrvik}) {
    SCOPED_TRACE(method == kEckertOrvik ? "Eckert-Orvik" : "Kister-Orvik");
    // With both factors fixed the flooding velocity does not depend on the design percentage:
    // the first run finds it, the second puts the design point at the example's gas rate.
    TRun probe = PerryExample(method);
    probe.Run();
    ASSERT_EQ(probe.Error, "");
    EXPECT_NEAR(*probe.Case.FlowParameter, 0.207, 0.0005);
    TRun r = PerryExample(method);
    r.Case.FloodPercentText = FormatField(100 * U / *probe.Case.FloodVelocity);
    r.Run();
    ASSERT_EQ(r.Error, "");
    EXPECT_NEAR(*r.Case.DesignVelocity, U, 1e-9);
    EXPECT_NEAR(*r.Case.WetPressureDrop, 311, 0.25 * 311);
  }
}

// Onda, Takeuchi & Okumoto, J. Chem. Eng. Japan 1 (1968) 56, worked here from the paper's
// equations at the mass velocities of the rounded column, below half flooding (no enhancement):
//   aw/a = 1 - exp(-1.45 (sc/s)^0.75 ReL^0.1 FrL^-0.05 WeL^0.2)
//   kL (rhoL/(muL g))^(1/3) = 0.0051 (Lm/(aw muL))^(2/3) ScL^-1/2 (a dp)^0.4
//   kG/(a DV) = 5.23 (Gm/(a muV))^0.7 ScV^(1/3) (a dp)^-2
//   HG = Gm/(kG aw rhoV), HL = Lm/(kL aw rhoL)
TEST(CalculateLiterature, OndaHeightsOnTheWettedAreaOfTheRoundedColumn) {
  TRun r;
  r.Case.FloodPercentText = "40";
  r.Run();
  ASSERT_EQ(r.Error, "");
  const double D = *r.Case.Diameter;
  ASSERT_LE(*r.Case.FloodFraction, 0.5);

  const double g = 9.807, a = 190, dp = 0.025, sc = 0.061, s = 0.072;
  const double rhoL = 998, muL = 0.001, DL = 1.9e-9, rhoV = 1.19, muV = 1.8e-5, DV = 2.3e-5;
  const double Lm = 2 / (M_PI * D * D / 4), Gm = 1.2 / (M_PI * D * D / 4);
  const double ReL = Lm / (a * muL), FrL = Lm * Lm * a / (rhoL * rhoL * g),
               WeL = Lm * Lm / (rhoL * s * a);
  const double aw = a * (1 - std::exp(-1.45 * std::pow(sc / s, 0.75) * std::pow(ReL, 0.1) *
                                      std::pow(FrL, -0.05) * std::pow(WeL, 0.2)));
  const double kL = 0.0051 * std::pow(Lm / (aw * muL), 2.0 / 3) *
                    std::pow(muL / (rhoL * DL), -0.5) * std::pow(a * dp, 0.4) /
                    std::cbrt(rhoL / (muL * g));
  const double kG = a * DV * 5.23 * std::pow(Gm / (a * muV), 0.7) * std::cbrt(muV / (rhoV * DV)) *
                    std::pow(a * dp, -2);
  const TOndaResult onda = OndaCoefficients(Lm, Gm, a, dp, sc, s, muL, rhoL, DL, muV, rhoV, DV);
  EXPECT_NEAR(onda.WettedRatio, aw / a, 1e-9);
  EXPECT_NEAR(onda.kL, kL, 1e-9 * kL);
  EXPECT_NEAR(onda.kG, kG, 1e-9 * kG);

  const double HG = Gm / (kG * aw * rhoV), HL = Lm / (kL * aw * rhoL);
  EXPECT_NEAR(*r.Case.HTUV, HG, 1e-6 * HG);
  EXPECT_NEAR(*r.Case.HTUL, HL, 1e-6 * HL);
  EXPECT_NEAR(*r.Case.HTUOV, HG + 0.8 * HL, 1e-6 * HG);
  EXPECT_NEAR(*r.Case.HETP, (HG + 0.8 * HL) * std::log(0.8) / (0.8 - 1), 1e-6 * HG);
}

TEST(PackingFactorEstimated, OnlyAPositiveLeadingNumberIsAPublishedFactor) {
  const std::pair<const char*, bool> cases[] = {
      {"509 (1/m)", false}, {" 88.6", false}, {"1.2e2x", false}, {"", true},
      {"   ", true},        {"abc", true},    {"0 (1/m)", true}, {"-5", true}};
  for (const auto& [text, estimated] : cases) {
    TPackingRecord p = CeramicRaschig25();
    p.F[14] = text;
    EXPECT_EQ(PackingFactorEstimated(p), estimated) << "\"" << text << "\"";
  }
}
