#pragma once
// "校准与不确定性": how sure the design is. Plant points fit the packing factor and HETP (and the
// design may run with the fit); bands on the properties and the packing factor give P10/P50/P90
// by Monte Carlo, every method side by side, a tornado chart of the inputs' effects and a sweep
// of one input. A view of the design document: the two boxes' "Text" properties are what a
// project stores (CalibrationD, AnalysisD).
#include <QGroupBox>
#include <QWidget>

#include "core/DesignDocument.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace velm {

// A box whose settings a project stores as one text, given back as it was read until edited.
class TSettingsBox : public QGroupBox {
  Q_OBJECT
  Q_PROPERTY(QString Text READ Text WRITE SetText)

 public:
  TSettingsBox(const QString& title, const QString& name, QWidget* parent);
  QString Text() const;
  void SetText(const QString& text);

 signals:
  void Changed();

 protected:
  // The text of the box's controls, and the controls set from a text (false: it does not read).
  virtual QString Compose() const = 0;
  virtual bool Show(const QString& text) = 0;
  // A control changed: the box's text is its controls' from now on.
  void Edited();
  bool FFilling = false;

 private:
  QString FSetText;
  bool FEdited = false;
};

class TCalibrationBox : public TSettingsBox {
  Q_OBJECT
 public:
  explicit TCalibrationBox(QWidget* parent);
  void ShowResult(const TDocumentAnalysis& a);

 protected:
  QString Compose() const override;
  bool Show(const QString& text) override;

 private:
  void AddRow();
  QTableWidget* FPoints;
  QCheckBox* FApply;
  QLabel* FSummary;
};

class TAnalysisBox : public TSettingsBox {
  Q_OBJECT
 public:
  explicit TAnalysisBox(QWidget* parent);
  void ShowResult(const TDocumentAnalysis& a);

 signals:
  // "保存龙卷风图..." or "保存扫描图..." was pressed.
  void SaveTornadoRequested();
  void SaveSweepRequested();

 protected:
  QString Compose() const override;
  bool Show(const QString& text) override;

 private:
  QTableWidget* FBands;
  QLineEdit *FSamples, *FSeed, *FStages, *FFrom, *FTo, *FPoints;
  QComboBox *FInput, *FResult;
  QTableWidget* FBandsOut;
  QLabel *FSummary, *FTornado, *FSweep;
};

class TAnalysisPanel : public QWidget {
  Q_OBJECT
 public:
  explicit TAnalysisPanel(QWidget* parent = nullptr);
  TCalibrationBox* Calibration() const { return FCalibration; }
  TAnalysisBox* Analysis() const { return FAnalysis; }
  void ShowDocument(const TDesignDocument& doc);

 signals:
  void Changed();

 private:
  TCalibrationBox* FCalibration;
  TAnalysisBox* FAnalysis;
};

}  // namespace velm
