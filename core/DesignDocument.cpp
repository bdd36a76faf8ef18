#include "core/DesignDocument.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "base/Decimal.h"
#include "base/Errors.h"
#include "base/NumberFormat.h"
#include "core/CalcTrace.h"
#include "core/Calculate.h"
#include "core/Methods.h"
#include "core/PlainFields.h"
#include "core/RelationGroups.h"
#include "core/Services.h"

namespace velm {

namespace {

std::string ItemAt(const std::vector<std::string>& items, int index) {
  return index >= 0 && index < static_cast<int>(items.size()) ? items[static_cast<size_t>(index)]
                                                              : std::string();
}

std::string NumberText(double x) {
  if (std::isnan(x)) return "NaN";
  if (std::isinf(x)) return x > 0 ? "+INF" : "-INF";
  return FormatField(x);
}

// A field's text changes as the window's would: a change raises NeedsRecalc.
void SetText(TDesignDocument& doc, TValueFieldState& field, std::string text) {
  if (field.Text == text) return;
  field.Text = std::move(text);
  doc.NeedsRecalc = true;
}

// The value of a field [SI]; a text that is no number shows the field's message, leaves a blank
// in the field and ends the run, as the window's field does. `suffix` follows the message (the
// relation groups' warning).
double FieldValue(TDesignDocument& doc, TField f, TDocumentEvents& events,
                  const std::string& suffix = {}) {
  TValueFieldState& field = doc[f];
  const std::string_view t = Trim(field.Text);
  const std::optional<double> v = ParseNumber(t);
  if (!v) {
    const std::string name = doc.Caption(f);
    const std::string message = t.empty() ? EmptyFieldMessage(name) : BadFieldMessage(name);
    SetText(doc, field, " ");  // `t` ends here
    events.FieldFailed(f, message, suffix);
    throw TSilentAbort{};
  }
  const double x = field.K * *v + field.B;
  if (!std::isfinite(x)) throw TCalcError("“" + doc.Caption(f) + "”的数值超出范围：" + field.Text);
  return x;
}

void SetFieldValue(TDesignDocument& doc, TField f, double x) {
  TValueFieldState& field = doc[f];
  const double shown = (x - field.B) / field.K;
  if (!std::isfinite(x) || !std::isfinite(shown))
    throw TCalcError("“" + doc.Caption(f) + "”不能显示数值 " + NumberText(x) +
                     "（k=" + NumberText(field.K) + "）");
  SetText(doc, field, FormatField(shown));
}

// The document's fields as the calculation sees them.
class TDocumentFields final : public TFieldAccess {
 public:
  TDocumentFields(TDesignDocument& doc, TDocumentEvents& events) : FDoc(doc), FEvents(events) {}
  bool IsFilled(TField f) override { return !FDoc[f].Text.empty(); }
  double Value(TField f) override { return FieldValue(FDoc, f, FEvents); }
  void SetValue(TField f, double si) override { SetFieldValue(FDoc, f, si); }
  void SetWettingCaption(const std::string& caption) override { FDoc.WettingCaption = caption; }
  void ResetFloodMethod() override { FDoc.FloodMethodIndex = 0; }
  void ShowMessage(const std::string& text) override { FEvents.MessageBox(text); }

 private:
  TDesignDocument& FDoc;
  TDocumentEvents& FEvents;
};

// A document field as a field of the relation groups.
class TDocumentRelationField final : public TRelationField {
 public:
  TDocumentRelationField(TDesignDocument& doc, TField f, TDocumentEvents& events)
      : FDoc(doc), FField(f), FEvents(events) {}
  bool IsEmpty() const override { return Trim(FDoc[FField].Text).empty(); }
  bool IsEnabled() const override { return true; }
  double Value() override { return FieldValue(FDoc, FField, FEvents, kRelationGroupWarning); }
  std::optional<int> Color() const override { return FDoc[FField].Color; }
  bool MyResolved() const override { return FDoc[FField].Resolved; }
  void SetDerived(double v, int color) override {
    SetFieldValue(FDoc, FField, v);
    TValueFieldState& s = FDoc[FField];
    s.Color = color;
    s.ReadOnly = true;
    s.Cursor = kCursorNotAllowed;
  }
  void ClearDerived() override {
    TValueFieldState& s = FDoc[FField];
    SetText(FDoc, s, "");
    s.Color = kColorWindow;
    s.ReadOnly = false;
    s.Cursor = kCursorDefault;
  }

 private:
  TDesignDocument& FDoc;
  TField FField;
  TDocumentEvents& FEvents;
};

class TDocumentReporter final : public TRelationReporter {
 public:
  explicit TDocumentReporter(TDocumentEvents& events) : FEvents(events) {}
  void Warning(const std::string& text) override { FEvents.RelationWarning(text); }
  void Note(const std::string& field, const std::string& text) override {
    const std::pair<std::string, std::string> note{field, text};
    if (std::find(Notes.begin(), Notes.end(), note) == Notes.end()) Notes.push_back(note);
  }
  std::vector<std::pair<std::string, std::string>> Notes;  // each once

 private:
  TDocumentEvents& FEvents;
};

constexpr int kLoadLineSamples = 30;

// Rating: the given column's diameter [m] and bed height [m]; a text that is no positive number
// shows its message and ends the run. Design: no given diameter.
void ReadRatedColumn(const TDesignDocument& doc, TDesignCase& c, std::optional<double>& bed,
                     TDocumentEvents& events) {
  c.GivenDiameter.reset();
  bed.reset();
  if (doc.CalcTypeIndex != 1) return;
  const auto positive = [&](const std::string& text, const char* name, bool required) {
    if (Trim(text).empty() && !required) return std::optional<double>();
    const auto x = ParseNumber(Trim(text));
    if (!x || !(*x > 0.0) || !std::isfinite(*x)) {
      events.FieldMessage(Trim(text).empty() ? std::string("核算时请填写") + name + "。"
                                             : std::string(name) + "是错误数据：" + text);
      throw TSilentAbort();
    }
    return x;
  };
  c.GivenDiameter = *positive(doc.RatedDiameterText, "核算塔径 (mm)", true) / 1000.0;
  bed = positive(doc.BedHeightText, "填料层高度 (m)", false);
}

// The whole column: every section with the document's packing and options (or its own packing
// and method) and the design's diffusivities and λ. Its text not reading is the column's own
// message, as a field's would be.
void RateDocumentColumn(TDesignDocument& doc, const TPackingRecord& packing,
                        std::span<const TPackingRecord> packings,
                        const std::array<std::optional<double>, kFieldCount>& inputs,
                        TDocumentEvents& events) {
  TColumnInput in;
  try {
    std::vector<TSectionRange> ranges;
    std::optional<double> factor;
    ParseColumnText(doc.ColumnText, in.Stages, ranges, &factor);
    if (factor) in.Beds.DesignFactor = *factor;
    TColumnSection design;
    design.Packing = packing;
    design.Options = doc.Case;
    design.Inputs = inputs;
    in.Sections = SectionsOf(in.Stages, std::move(ranges), design, packings);
  } catch (const TInputError& e) {
    events.FieldMessage(e.what());
    throw TSilentAbort();
  }
  doc.Column = RateWholeColumn(in);
  doc.ColumnInput = std::move(in);
}

// A project text of settings read by `parse`; one that does not read is its own message, as a
// field's would be.
template <class TParse>
auto ReadSettings(TParse parse, const std::string& text, TDocumentEvents& events) {
  try {
    return parse(text);
  } catch (const TInputError& e) {
    events.FieldMessage(e.what());
    throw TSilentAbort();
  }
}

// The calibration of the document's plant points on its properties; true when the design is to
// run with it. A fit that cannot be made (no usable point) is said on the page, not as an error
// of the design.
bool CalibrateDocument(TDesignDocument& doc, const TPackingRecord& packing, TFieldAccess& fields,
                       TDocumentEvents& events) {
  if (Trim(doc.CalibrationText).empty()) return false;
  const TCalibrationSettings settings =
      ReadSettings(ParseCalibrationText, doc.CalibrationText, events);
  if (settings.Points.empty()) return false;
  try {
    doc.Analysis.Calibration =
        Calibrate(doc.Case, packing, PlantPoints(settings, InputValues(fields)));
  } catch (const TInputError& e) {
    doc.Analysis.CalibrationError = e.what();
    return false;
  }
  doc.Analysis.CalibrationApplied = settings.Apply;
  return settings.Apply;
}

// The analyses the document asks for, at its built column (the rated or the standard diameter).
void AnalyseDocument(TDesignDocument& doc, const TPackingRecord& packing,
                     const std::array<std::optional<double>, kFieldCount>& inputs,
                     TDocumentEvents& events) {
  if (Trim(doc.AnalysisText).empty()) return;
  const TAnalysisSettings a = ReadSettings(ParseAnalysisText, doc.AnalysisText, events);
  TUncertaintyInput in;
  in.Options = doc.Case;
  in.Inputs = inputs;
  in.Diameter = doc.Case.GivenDiameter.value_or(doc.Case.Diameter.value_or(0.0));
  in.Stages = a.Stages;
  in.Band = a.Band;
  in.PackingFactorBand = a.PackingFactorBand;
  if (doc.Analysis.CalibrationApplied)
    in.HetpFactor = doc.Analysis.Calibration->HetpFactor.value_or(1.0);
  in.Samples = a.Samples;
  in.Seed = a.Seed;
  try {
    if (a.Samples > 0) doc.Analysis.Uncertainty = RunUncertainty(in, packing);
    doc.Analysis.Sensitivity = RunSensitivity(in, packing);
    if (a.Sweep) {
      doc.Analysis.SweepSettings = a.Sweep;
      doc.Analysis.Sweep =
          RunSweep(in, packing, a.Sweep->Input, a.Sweep->From, a.Sweep->To, a.Sweep->Points);
      for (TSweepPoint& p : doc.Analysis.Sweep)
        if (auto& h = p.Results[size_t(TField::HETPD)]) *h *= in.HetpFactor;
    }
  } catch (const std::exception& e) {
    // The design stands; the analysis says on its page why it has no result.
    doc.Analysis.AnalysisError = e.what();
  }
}

void ReadOptions(const TDesignDocument& doc, TDesignCase& c) {
  c.FloodMethod = FloodingMethodIndex(doc.FloodMethodIndex);
  c.AccelMethod = doc.AccelerationIndex < 0 ? 0 : doc.AccelerationIndex;
  c.CalcKf = doc.CalcKf;
  c.CalcKp = doc.CalcKp;
  c.LegacyMethods = doc.BasisIndex == 1;
  c.Service = std::max(0, doc.ServiceIndex);
  c.FoamingFactorText = doc.FoamingText();
  c.FloodPercentText = doc.FloodPercentText;
}

// After a run: the results it did not write are stale, and the findings are made.
void MarkRunState(TDesignDocument& doc, bool groupsDone, const TPackingRecord* packing,
                  const std::vector<std::pair<std::string, std::string>>& notes) {
  TDesignCase& c = doc.Case;
  if (!groupsDone) {
    // The relation groups stopped before the calculation, most often on an input that cannot
    // be physical; the inputs still go through the checks.
    for (TField f : {TField::LD, TField::DlD, TField::MlD, TField::SLD, TField::DlfD, TField::VD,
                     TField::DvD, TField::MvD, TField::DvfD, TField::LmdD}) {
      const TValueFieldState& s = doc[f];
      if (const auto x = ParseNumber(Trim(s.Text))) RecordInput(c, f, s.K * *x + s.B);
    }
    ReadOptions(doc, c);
    const auto foaming = ParseNumber(Trim(c.FoamingFactorText));
    const auto percent = ParseNumber(Trim(c.FloodPercentText));
    if (foaming && percent) {
      c.FoamingFactor = *foaming;
      c.FloodPercent = *percent;
      c.Latest.OptionsRead = true;
    }
  }
  doc.Findings = CheckValidity(c, packing);
  for (const auto& [field, text] : notes)
    doc.Findings.push_back({"relation-no-solution", TFindingLevel::Note, field, text});
  // The factors are results only while their "计算" box is ticked; the flow parameter is the
  // relation groups' own.
  for (const TFieldInfo* r : ResultFields()) {
    TValueFieldState& s = doc[r->Field];
    bool stale = !groupsDone;
    if (r->Role == TFieldRole::Result) {
      stale = !c.Latest.WasWritten(r->Field);
      if ((r->Field == TField::KfD && !doc.CalcKf) || (r->Field == TField::KpD && !doc.CalcKp))
        stale = false;
    }
    s.Stale = stale && !Trim(s.Text).empty();
  }
}

}  // namespace

const std::vector<std::string>& FoamingFactorItems() {
  static const std::vector<std::string> items = [] {
    std::vector<std::string> v;
    for (int i = 2; i <= 10; ++i) v.push_back(i == 10 ? "1.0" : "0." + std::to_string(i));
    return v;
  }();
  return items;
}

const std::vector<std::string>& FloodPercentItems() {
  static const std::vector<std::string> items = [] {
    std::vector<std::string> v;
    for (const int p : {80, 75, 70, 65, 60, 55, 50, 100, 95, 90, 85, 45, 40})
      v.push_back(std::to_string(p));
    for (int p = 39; p >= 20; --p) v.push_back(std::to_string(p));
    return v;
  }();
  return items;
}

const std::vector<std::string>& AccelerationItems() {
  static const std::vector<std::string> items{"Normal", "Aitken", "Orvik Talvsen", "OTV2"};
  return items;
}

const std::vector<std::string>& CalculationBasisItems() {
  static const std::vector<std::string> items{"文献", "旧版算法"};
  return items;
}

const std::vector<std::string>& CalculationTypeItems() {
  static const std::vector<std::string> items{"设计", "核算"};
  return items;
}

TDesignDocument::TDesignDocument() {
  for (const TFieldInfo& f : FieldRegistry()) {
    TValueFieldState& s = (*this)[f.Field];
    if (f.Role != TFieldRole::Input) {
      // Results: read-only, on the button face.
      s.ReadOnly = true;
      s.Color = kColorBtnFace;
    }
  }
  // The required inputs, which the relation groups never derive.
  for (TField f : {TField::LD, TField::DlD, TField::MlD, TField::SLD, TField::DlfD, TField::VD,
                   TField::DvD, TField::MvD, TField::DvfD})
    (*this)[f].Resolved = false;
}

std::string TDesignDocument::Caption(TField f) const {
  if (f == TField::KpD) return FloodingMethodAt(FloodingMethodIndex(FloodMethodIndex)).KpCaption();
  if (f == TField::UmD) return WettingCaption;
  return FieldInfo(f).Caption;
}

std::string TDesignDocument::FoamingText() const {
  return ItemAt(FoamingFactorItems(), FoamingIndex);
}

std::string TDesignDocument::FloodMethodText() const {
  const auto& methods = FloodingMethods();
  return FloodMethodIndex >= 0 && FloodMethodIndex < static_cast<int>(methods.size())
             ? methods[static_cast<size_t>(FloodMethodIndex)]->Name()
             : std::string();
}

std::string TDesignDocument::AccelerationText() const {
  return ItemAt(AccelerationItems(), AccelerationIndex);
}

std::string TDesignDocument::ServiceText() const {
  const auto services = Services();
  return ServiceIndex >= 0 && ServiceIndex < static_cast<int>(services.size())
             ? services[static_cast<size_t>(ServiceIndex)].Caption
             : std::string();
}

std::string TDesignDocument::BasisText() const {
  return ItemAt(CalculationBasisItems(), BasisIndex);
}

void TDocumentEvents::FieldFailed(TField, const std::string& message, const std::string& warning) {
  FieldMessage(warning.empty() ? message : message + "\n" + warning);
}

void RunDocument(TDesignDocument& doc, const TPackingRecord* packing, TMessageLog& log,
                 TDocumentEvents& events, std::span<const TPackingRecord> packings) {
  doc.Case.Latest = {};
  doc.Rating.reset();
  doc.ColumnInput.reset();
  doc.Column.reset();
  doc.Analysis = {};
  bool groupsDone = false;
  // The packing with a calibration's fitted factor, when the design uses it (the run's packing
  // for the findings too).
  TPackingRecord calibrated;
  TDocumentReporter reporter(events);
  try {
    std::vector<std::vector<std::unique_ptr<TDocumentRelationField>>> owned;
    std::vector<std::vector<TRelationField*>> groups;
    for (const TRelationGroup& g : RelationGroups()) {
      owned.emplace_back();
      groups.emplace_back();
      for (const std::string& name : g.FFields) {
        const TFieldInfo* info = FindField(name);
        if (!info) throw std::logic_error("relation group " + g.FName + ": no field " + name);
        owned.back().push_back(std::make_unique<TDocumentRelationField>(doc, info->Field, events));
        groups.back().push_back(owned.back().back().get());
      }
    }
    RunRelationGroups(groups, reporter);
    groupsDone = true;
    ReadOptions(doc, doc.Case);
    std::optional<double> bed;
    ReadRatedColumn(doc, doc.Case, bed, events);
    // A load case that does not read is the table's own message, as a field's would be.
    std::vector<TLoadCase> cases;
    if (doc.CalcTypeIndex == 1) {
      try {
        cases = ParseLoadCases(doc.LoadCasesText);
      } catch (const TInputError& e) {
        events.FieldMessage(e.what());
        throw TSilentAbort();
      }
    }
    TDocumentFields fields(doc, events);
    // Every run of a document is traced, for the report's calculation sheet.
    doc.Case.Trace = std::make_shared<TCalcTrace>();
    const TPackingRecord* runPacking = packing;
    if (packing && CalibrateDocument(doc, *packing, fields, events)) {
      calibrated = CalibratedPacking(*packing, *doc.Analysis.Calibration);
      runPacking = &calibrated;
    }
    Calculate(doc.Case, runPacking, log, fields);
    packing = runPacking;
    if (doc.Analysis.CalibrationApplied && doc.Analysis.Calibration->HetpFactor && doc.Case.HETP) {
      doc.Case.HETP = *doc.Case.HETP * *doc.Analysis.Calibration->HetpFactor;
      fields.SetValue(TField::HETPD, *doc.Case.HETP);
    }
    if (doc.Case.GivenDiameter && doc.Case.HydraulicsDone && packing) {
      TRatingInput in;
      in.Options = doc.Case;
      in.Inputs = InputValues(fields, &doc.Case.Latest);
      in.Diameter = *doc.Case.GivenDiameter;
      in.BedHeight = bed;
      in.Cases = cases;
      doc.Rating = RateColumn(in, *packing);
      // The limits on the load diagram, from no liquid to three times the design's.
      std::vector<double> liquids;
      for (int i = 1; i <= kLoadLineSamples; ++i)
        liquids.push_back(3.0 * *in.Inputs[size_t(TField::LD)] * i / kLoadLineSamples);
      doc.Rating->Lines = RatingLoadLines(in, *packing, liquids);
    }
    if (packing && !Trim(doc.ColumnText).empty())
      RateDocumentColumn(doc, *packing, packings, InputValues(fields, &doc.Case.Latest), events);
    if (packing && doc.Case.HydraulicsDone)
      AnalyseDocument(doc, *packing, InputValues(fields, &doc.Case.Latest), events);
    doc.NeedsRecalc = false;
  } catch (const TSilentAbort&) {
  } catch (const std::exception& e) {
    events.ErrorReport(e.what());
  }
  try {
    MarkRunState(doc, groupsDone, packing, reporter.Notes);
    if (doc.Analysis.CalibrationApplied) {
      const TCalibration& c = *doc.Analysis.Calibration;
      std::string text = "按实测数据校准：填料因子取表值的 " +
                         FormatGeneral(c.FactorRatio.value_or(1.0), 4) + " 倍（污垢或沉降指数）";
      if (c.RmsResidual)
        text += "，实测压降的残差均方根 " + FormatGeneral(*c.RmsResidual, 3) + " %";
      if (c.HetpFactor) text += "；HETP × " + FormatGeneral(*c.HetpFactor, 4);
      doc.Findings.push_back({"calibrated", TFindingLevel::Note, "", text + "。"});
    }
  } catch (const TSilentAbort&) {
  } catch (const std::exception& e) {
    events.ErrorReport(e.what());
  }
}

}  // namespace velm
