// The calculation trace of the shipped examples, on both calculation bases: every result the
// trace records is the number the run wrote, and the equations as the sheet prints them give the
// results again from the inputs the sheet prints (a checker with a calculator).
#include <gtest/gtest.h>

#include <QString>
#include <cmath>
#include <string>

#include "core/CalcTrace.h"
#include "core/Calculate.h"
#include "core/Methods.h"
#include "core/PlainFields.h"
#include "project/DocumentObjects.h"
#include "table/PackingList.h"
#include "table/PackingTable.h"

namespace velm {
namespace {

class TSilentEvents : public TDocumentEvents {
 public:
  void FieldMessage(const std::string& text) override { Messages += text + "\n"; }
  void MessageBox(const std::string&) override {}
  void ErrorReport(const std::string& text) override { Messages += text + "\n"; }
  std::string Messages;
};

double Of(const TCalcTrace& t, const char* step, const char* symbol) {
  const TTraceValue* v = t.Value(step, symbol);
  if (!v) ADD_FAILURE() << "no " << symbol << " in step " << step;
  return v ? v->Value : std::nan("");
}

class CalcTraceOfExamples : public ::testing::TestWithParam<std::tuple<const char*, int>> {};

TEST_P(CalcTraceOfExamples, RecordsTheRunsNumbersAndItsEquationsGiveThemAgain) {
  const auto [name, basis] = GetParam();
  TMyClientDataSet table;
  table.LoadLabelledFile(VELM_PACKINGS);
  const TPackingList packings = PackingListOf(table);
  const auto packing = [&packings](int index) { return packings.At(index); };
  TDesignDocument doc;
  TDocumentObjects objects(doc, static_cast<int>(packings.Items.size()));
  TSilentEvents events;
  TPlainLog log;
  ASSERT_TRUE(
      OpenDocument(doc, objects, QStringLiteral(VELM_EXAMPLES "/") + name, packing, log, events));
  doc.BasisIndex = basis;
  RecalculateDocument(doc, packing, log, events);
  ASSERT_EQ(events.Messages, "");
  const TDesignCase& c = doc.Case;
  ASSERT_TRUE(c.Trace && c.Stopped.empty() && c.HETP);
  const TCalcTrace& t = *c.Trace;
  EXPECT_EQ(t.Basis, basis ? "旧版算法" : "文献");

  // The numbers the run wrote, as the trace has them: the same bits.
  const struct {
    const char* Step;
    const char* Symbol;
    double Run;
  } same[] = {
      {"flow-parameter", "FP", *c.FlowParameter},
      {"chart-reading", "Uf", *c.FloodVelocity},
      {"iteration", "X", *c.FloodLiquidLoad},
      {"design-velocity", "Up", *c.DesignVelocity},
      {"diameter", "dp", *c.TheoreticalDiameter},
      {"diameter", "D", *c.Diameter},
      {"column", "Uvs", *c.GasLoad},
      {"column", "F", 100.0 * *c.FloodFraction},
      {"column", "Uls", *c.LiquidLoad},
      {"pressure-drop", "ΔP", *c.WetPressureDrop},
      {"holdup", "h", *c.Holdup},
      {"wetting", "饱和喷淋", *c.WettingPercent},
      {"htu", "HTUV", *c.HTUV},
      {"htu", "HTUL", *c.HTUL},
      {"htu", "HTUOV", *c.HTUOV},
      {"hetp", "HETP", *c.HETP},
      {"factor-pressure-drop", "Kp", *c.Kp},
  };
  for (const auto& s : same) EXPECT_EQ(Of(t, s.Step, s.Symbol), s.Run) << s.Step << " " << s.Symbol;
  if (FloodingMethodAt(c.FloodMethod).UsesKf()) {
    EXPECT_EQ(Of(t, "factor-flooding", "Kf"), *c.Kf);
  }

  // By hand, from the printed inputs and equations.
  const double L = Of(t, "flow-parameter", "L"), V = Of(t, "flow-parameter", "V");
  const double rhoL = Of(t, "flow-parameter", "ρL"), rhoV = Of(t, "flow-parameter", "ρV");
  auto near = [](double hand, double run, const char* what) {
    EXPECT_NEAR(hand / run, 1.0, 1e-9) << what << ": " << hand << " by hand, " << run;
  };
  near(L / V * std::sqrt(rhoV / rhoL), *c.FlowParameter, "FP");
  const double Up = Of(t, "diameter", "Up");
  near(std::sqrt(4.0 * V / (M_PI * Up * rhoV)), *c.TheoreticalDiameter, "dp");
  const double D = Of(t, "column", "D");
  near(4.0 * V / (M_PI * D * D * rhoV), *c.GasLoad, "Uvs");
  near(*c.GasLoad / Of(t, "column", "Uf") * 100.0, 100.0 * *c.FloodFraction, "F");
  for (const char* step : {"placement-design", "placement-column"}) {
    if (!t.Find(step)) continue;
    const double x = Of(t, step, "x");
    const double cubic = ((Of(t, step, "c3") * x + Of(t, step, "c2")) * x + Of(t, step, "c1")) * x +
                         Of(t, step, "c0");
    EXPECT_NEAR(cubic, Of(t, step, "ΔP"), 1e-6 * Of(t, step, "ΔP")) << step;
  }
  const double lambda = Of(t, "hetp", "λ");
  near(Of(t, "hetp", "HTUOV") * std::log(lambda) / (lambda - 1.0), *c.HETP, "HETP");
  near(Of(t, "htu", "HTUV") + Of(t, "htu", "λ") * Of(t, "htu", "HTUL"), *c.HTUOV, "HTUOV");
  const double area = M_PI * D * D;
  near(4.0 * V / area / (Of(t, "htu", "kG") * Of(t, "htu", "a′") * rhoV), *c.HTUV, "HTUV");
  const double muL = Of(t, "holdup", "μL"), Uls = Of(t, "holdup", "Uls"),
               dn = Of(t, "holdup", "dn");
  near(2.2 * std::cbrt(muL * Uls / (9.81 * rhoL * dn * dn)) +
           1.8 * std::sqrt(Uls * Uls / (9.81 * dn)),
       *c.Holdup, "h");
}

INSTANTIATE_TEST_SUITE_P(ShippedExamples, CalcTraceOfExamples,
                         ::testing::Combine(::testing::Values("air-water-absorber.vlm",
                                                              "benzene-toluene-distillation.vlm",
                                                              "vacuum-ethylbenzene-styrene.vlm"),
                                            ::testing::Values(0, 1)));

// A run without a trace records nothing and computes the same numbers.
TEST(CalcTrace, AbsentTraceLeavesTheRunAlone) {
  TPackingRecord p{{"03", "陶瓷", "25mm", "拉西环", "190", "0.73", "1", "2.7067", "0.01539", "0",
                    "2.7067", "0", "641", "61", "509 (1/m)"}};
  auto run = [&p](bool traced) {
    TPlainFields f;
    for (auto [field, text] : {std::pair{TField::LD, "2"},
                               {TField::DlD, "998"},
                               {TField::MlD, "0.001"},
                               {TField::SLD, "0.072"},
                               {TField::DlfD, "1.9e-9"},
                               {TField::VD, "1.2"},
                               {TField::DvD, "1.19"},
                               {TField::MvD, "1.8e-5"},
                               {TField::DvfD, "2.3e-5"},
                               {TField::LmdD, "0.8"}})
      f[field] = text;
    TDesignCase dc;
    if (traced) dc.Trace = std::make_shared<TCalcTrace>();
    TPlainLog log;
    Calculate(dc, &p, log, f);
    return dc;
  };
  const TDesignCase plain = run(false), traced = run(true);
  EXPECT_EQ(plain.Trace, nullptr);
  EXPECT_EQ(plain.Values, traced.Values);
  EXPECT_GE(traced.Trace->Steps().size(), 15u);
}

}  // namespace
}  // namespace velm
