// The design document as the batch mode uses it: inputs in the units the user picked, results
// written in the units shown, a field that is no number, and what a run leaves stale.
#include <gtest/gtest.h>

#include "CoreTestSupport.h"
#include "core/DesignDocument.h"

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
