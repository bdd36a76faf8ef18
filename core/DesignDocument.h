#pragma once
// The design document: a project as plain data — every value field with its text, unit and
// marks, the option lists, the project texts, the "计算" boxes — and the run that completes and
// calculates it as leaving a field in the window does (relation groups, options, calculation,
// stale marks, findings). The batch mode works on it without a window; project files read into
// it and write from it (project/DocumentObjects).
#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/Analysis.h"
#include "core/ColorNumbers.h"
#include "core/Column.h"
#include "core/DesignCase.h"
#include "core/FieldRegistry.h"
#include "core/MessageLog.h"
#include "core/Rating.h"
#include "core/Validity.h"

namespace velm {

// One value field as the window shows it and a project stores it.
struct TValueFieldState {
  std::string Text;         // as shown, in the selected unit
  double K = 1.0, B = 0.0;  // conversion of the selected unit: SI = K x + B
  int UnitIndex = 0;        // selected entry of the field's unit list; -1: none
  bool ReadOnly = false;
  int Color = kColorWindow;
  int Cursor = kCursorDefault;
  bool Resolved = true;  // false for a required input (the relation groups never derive it)
  bool Stale = false;    // a result the latest run did not produce
};

// The option lists' items, as the window offers them.
const std::vector<std::string>& FoamingFactorItems();     // "0.2" ... "1.0"
const std::vector<std::string>& FloodPercentItems();      // "80", "75", ... "20"
const std::vector<std::string>& AccelerationItems();      // "Normal", "Aitken", ...
const std::vector<std::string>& CalculationBasisItems();  // "文献", "旧版算法"
const std::vector<std::string>& CalculationTypeItems();   // "设计", "核算"

// What a run made of the calibration and analyses a document asks for: the fit (or why it could
// not be made), whether the design ran with it, and the analyses.
struct TDocumentAnalysis {
  std::optional<TCalibration> Calibration;
  std::string CalibrationError;
  bool CalibrationApplied = false;
  std::optional<TUncertainty> Uncertainty;
  std::vector<TSensitivity> Sensitivity;
  std::optional<TAnalysisSettings::TSweep> SweepSettings;
  std::vector<TSweepPoint> Sweep;
  std::string AnalysisError;  // why an analysis asked for could not be made
};

struct TDesignDocument {
  TDesignDocument();

  std::array<TValueFieldState, kFieldCount> Fields;
  TValueFieldState& operator[](TField f) { return Fields[static_cast<size_t>(f)]; }
  const TValueFieldState& operator[](TField f) const { return Fields[static_cast<size_t>(f)]; }

  // Option lists by selected index (-1: none); the design percentage is typed as text.
  int FoamingIndex = 6;  // "0.8"
  int FloodPercentIndex = 0;
  std::string FloodPercentText = "80";
  int PackingIndex = -1;  // index into the packing list (PackingListItems)
  int FloodMethodIndex = 0;
  int AccelerationIndex = 0;
  int BasisIndex = 0;
  int ServiceIndex = 0;  // the service of the column (core/Services.h); 0: not given
  bool CalcKf = true, CalcKp = true;
  // Calculation type ("计算类型"): 0 design ("设计"), 1 rating ("核算"). Rating computes at the
  // given column: its diameter [mm] and bed height [m] as typed (the bed height may be empty),
  // and the load cases as a project stores them (LoadCasesText; empty: the default cases).
  int CalcTypeIndex = 0;
  std::string RatedDiameterText, BedHeightText, LoadCasesText;
  // The whole column's stages and sections as a project stores them (ColumnText); empty: none.
  std::string ColumnText;
  // The plant points of a calibration and whether the design uses it (CalibrationText), and the
  // bands, samples and sweep of the analyses (AnalysisText), as a project stores them
  // (core/Analysis.h); empty: none.
  std::string CalibrationText, AnalysisText;
  // Project information: ProjectD, DevicenameD, DeviceNoD, ProjPD, Edit1 .. Edit4.
  std::array<std::string, 8> Texts;
  std::string Comment;

  // Run state: inputs changed since the last complete calculation, the latest run, its findings
  // and the caption of the wetting result.
  bool NeedsRecalc = false;
  TDesignCase Case;
  std::vector<TFinding> Findings;
  std::string WettingCaption = "饱和喷淋";
  // The rating of the latest run, in rating only; empty when it could not be made.
  std::optional<TRating> Rating;
  // The whole column of the latest run, when the document has one: what was rated (every
  // section with the document's packing and options, its diffusivities and λ) and the result.
  std::optional<TColumnInput> ColumnInput;
  std::optional<TColumnResult> Column;
  // The latest run's calibration and analyses.
  TDocumentAnalysis Analysis;

  // The caption that names a field (its label): KpD's follows the flooding method, UmD's the
  // wetting of the latest run.
  std::string Caption(TField f) const;
  // The texts of the lists as the window shows them; empty for no selection.
  std::string FoamingText() const;
  std::string FloodMethodText() const;
  std::string AccelerationText() const;
  std::string BasisText() const;
  std::string ServiceText() const;
};

// What a run reports, as the window's boxes would show it.
class TDocumentEvents {
 public:
  virtual ~TDocumentEvents() = default;
  // A field cannot give its value ("液相密度是错误数据"); the run ends.
  virtual void FieldMessage(const std::string& text) = 0;
  // A plain message box of the calculation or the relation groups' warning.
  virtual void MessageBox(const std::string& text) = 0;
  // An error no step handled (an arithmetic failure, a conversion error).
  virtual void ErrorReport(const std::string& text) = 0;
  // Field `f` cannot give its value: `message` names it, `warning` (may be empty) is the
  // relation groups' warning that goes in the same box. By default FieldMessage with both; the
  // window shows the box on the field and gives the field the focus.
  virtual void FieldFailed(TField f, const std::string& message, const std::string& warning);
  // The relation groups' warning box (a group without a solution); by default MessageBox.
  virtual void RelationWarning(const std::string& text) { MessageBox(text); }
};

// The run of the window's field exit, when the document needs one: the relation groups complete
// the inputs, the options are read, the calculation runs with `packing` (none: the run ends at
// once), then the results it did not write are marked stale and the findings made. Messages
// go to `events` in the window's order; the calculation's log lines to `log`. `packings` are the
// records a whole column's sections may name by key.
void RunDocument(TDesignDocument& doc, const TPackingRecord* packing, TMessageLog& log,
                 TDocumentEvents& events, std::span<const TPackingRecord> packings = {});

}  // namespace velm
