// The design document as the batch mode uses it: inputs in the units the user picked, results
// written in the units shown, a field that is no number, and what a run leaves stale.
#include <gtest/gtest.h>

#include <algorithm>

#include "CoreTestSupport.h"
#include "core/DesignDocument.h"
#include "core/Rating.h"

using namespace velm;

namespace {

struct TEvents : TDocumentEvents {
  std::vector<std::string> Fields, Boxes, Errors;
  void FieldMessage(const std::string& t) override { Fields.push_back(t); }
  void MessageBox(const std::string& t) override { Boxes.push_back(t); }
  void ErrorReport(const std::string& t) override { Errors.push_back(t); }
};

// The absorber of the core tests, its flows typed in kg/h (SI = x / 3600) and the diameter shown
// in mm.
TDesignDocument Absorber() {
  TDesignDocument doc;
  const test::TRun plain;
  for (TField f : {TField::LD, TField::DlD, TField::MlD, TField::SLD, TField::DlfD, TField::VD,
                   TField::DvD, TField::MvD, TField::DvfD, TField::LmdD})
    doc[f].Text = plain.Fields.Text[static_cast<size_t>(f)];
  for (TField f : {TField::LD, TField::VD}) {
    doc[f].Text = std::to_string(std::stod(doc[f].Text) * 3600.0);
    doc[f].K = 1.0 / 3600.0;
    doc[f].UnitIndex = 1;  // kg/h
  }
  doc[TField::dD].K = 0.001;
  doc[TField::dD].UnitIndex = 2;  // mm
  doc.FoamingIndex = 8;           // "1.0"
  doc.FloodPercentText = "70";
  doc.NeedsRecalc = true;
  return doc;
}

}  // namespace

TEST(DesignDocument, RunsInTheUnitsShownAsThePlainCalculationDoes) {
  const TPackingRecord packing = test::CeramicRaschig25();
  test::TRun plain;
  plain.Run(&packing);
  ASSERT_EQ(plain.Error, "");

  TDesignDocument doc = Absorber();
  TEvents events;
  test::TRun log;  // only its log is used
  RunDocument(doc, &packing, log.Log, events);
  EXPECT_TRUE(events.Fields.empty() && events.Errors.empty());
  EXPECT_FALSE(doc.NeedsRecalc);
  EXPECT_NEAR(doc.Case.Diameter.value(), plain.Case.Diameter.value(), 1e-12);
  EXPECT_NEAR(std::stod(doc[TField::dD].Text), 1000.0 * *plain.Case.Diameter, 1e-9);  // in mm
  EXPECT_NEAR(doc.Case.HETP.value(), plain.Case.HETP.value(), 1e-12 * *plain.Case.HETP);
  // The relation groups completed the flow parameter; no result is stale.
  EXPECT_FALSE(doc[TField::FpD].Text.empty());
  for (const TFieldInfo* r : ResultFields()) EXPECT_FALSE(doc[r->Field].Stale) << r->Code;
}

TEST(DesignDocument, AFieldThatIsNoNumberEndsTheRunAndLeavesTheResultsStale) {
  const TPackingRecord packing = test::CeramicRaschig25();
  TDesignDocument doc = Absorber();
  TEvents events;
  test::TRun log;
  RunDocument(doc, &packing, log.Log, events);  // results to go stale
  doc[TField::DlD].Text = "abc";
  doc.NeedsRecalc = true;
  RunDocument(doc, &packing, log.Log, events);
  // The relation groups read it first: the field's message with their warning, a blank left.
  ASSERT_EQ(events.Fields.size(), 1u);
  EXPECT_EQ(events.Fields[0], "液相密度是错误数据\n" + std::string(kRelationGroupWarning));
  EXPECT_EQ(doc[TField::DlD].Text, " ");
  EXPECT_TRUE(doc.NeedsRecalc);
  for (const TFieldInfo* r : ResultFields())
    EXPECT_EQ(doc[r->Field].Stale, !doc[r->Field].Text.empty()) << r->Code;
  // The findings still judge the inputs that are numbers.
  EXPECT_TRUE(doc.Case.Latest.WasRead(TField::LD));
}

// A calibrated design runs with the fitted factor and HETP multiplier and says so; its analyses
// run at the built column; settings that do not read are the run's message, not an error box.
TEST(DesignDocument, CalibrationAndAnalysesRunWithTheDesign) {
  const TPackingRecord packing = test::CeramicRaschig25();
  const TDesignCase options = test::TRun().Case;
  std::array<std::optional<double>, kFieldCount> si;
  const test::TRun plain;
  for (TField f : VariedFields()) si[size_t(f)] = std::stod(plain.Fields.Text[size_t(f)]);
  // Two plant points made by the forward run with a factor 1.3 times the table's.
  TCalibrationSettings c;
  for (const auto& [L, V] : {std::pair{2.0, 1.2}, {1.5, 1.0}}) {
    auto inputs = si;
    inputs[size_t(TField::LD)] = L;
    inputs[size_t(TField::VD)] = V;
    const TDesignCase run = CaseRun(options, inputs, ScaledPacking(packing, 1.3), 1.0, true);
    c.Points.push_back({"p", L, V, 1.0, run.WetPressureDrop, 4.0, 4.0 / (2.0 * *run.HETP)});
  }
  c.Apply = true;
  TDesignDocument doc = Absorber();
  doc.CalibrationText = CalibrationText(c);
  doc.AnalysisText = "B,DlD,0.05;N,100;W,VD,1,1.4,3,dpD";
  TEvents events;
  test::TRun log;
  RunDocument(doc, &packing, log.Log, events);
  ASSERT_TRUE(events.Fields.empty() && events.Errors.empty());
  ASSERT_TRUE(doc.Analysis.CalibrationApplied);
  EXPECT_NEAR(*doc.Analysis.Calibration->FactorRatio, 1.3, 2e-3);
  const TDesignCase fitted = CaseRun(options, si, ScaledPacking(packing, 1.3), {}, true);
  EXPECT_NEAR(*doc.Case.TheoreticalDiameter, *fitted.TheoreticalDiameter, 1e-3);
  // HETP is the calculated one times the fitted multiplier (2, from the measured stages).
  EXPECT_NEAR(*doc.Analysis.Calibration->HetpFactor, 2.0, 2e-3);
  EXPECT_NEAR(*doc.Case.HETP, 2.0 * *fitted.HETP, 5e-3 * *fitted.HETP);
  EXPECT_TRUE(std::any_of(doc.Findings.begin(), doc.Findings.end(),
                          [](const TFinding& f) { return f.Code == "calibrated"; }));
  EXPECT_EQ(doc.Analysis.Uncertainty->Samples, 100);
  EXPECT_EQ(doc.Analysis.Sweep.size(), 3u);
  EXPECT_FALSE(doc.Analysis.Sensitivity.empty());

  for (const char* bad : {"B,DlD,2", "W,VD,1,2,1,dpD", "W,dpD,1,2,3,dpD", "N,x", "Q"}) {
    TDesignDocument broken = Absorber();
    broken.AnalysisText = bad;
    TEvents e;
    RunDocument(broken, &packing, log.Log, e);
    EXPECT_EQ(e.Fields.size(), 1u) << bad;
    EXPECT_TRUE(e.Errors.empty()) << bad;
  }
  // The texts read back as they were written (to the 15 digits a project keeps).
  EXPECT_EQ(CalibrationText(ParseCalibrationText(doc.CalibrationText)), doc.CalibrationText);
  const TAnalysisSettings a = ParseAnalysisText(doc.AnalysisText);
  EXPECT_EQ(ParseAnalysisText(AnalysisText(a)), a);
}
