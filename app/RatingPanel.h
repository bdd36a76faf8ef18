#pragma once
// The rating block of the calculation page: the calculation type ("设计" / "核算"), the given
// column (diameter, bed height) and the load cases, each rated by every capacity definition,
// with the governing case and the operating window. A thin view of the design document: the
// controls carry the names a project file stores, the table shows TRating.
#include <QGroupBox>
#include <QTableWidget>
#include <optional>

#include "core/DesignDocument.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace velm {

// The load cases: name, liquid and gas percentages (editable), then the rated values. Its
// "Text" property is the cases as a project stores them (LoadCasesText).
class TLoadCaseTable : public QTableWidget {
  Q_OBJECT
  Q_PROPERTY(QString Text READ Text WRITE SetText)

 public:
  explicit TLoadCaseTable(QWidget* parent = nullptr);
  QString Text() const;
  void SetText(const QString& text);
  // The rated values of `rating` in the result columns (none: cleared).
  void ShowRating(const TRating* rating);
  void AddCase();
  void RemoveCurrentCase();

 signals:
  void CasesEdited();

 private:
  void Fill(const std::vector<TLoadCase>& cases);
  bool FFilling = false;
};

class TRatingPanel : public QGroupBox {
  Q_OBJECT

 public:
  explicit TRatingPanel(QWidget* parent = nullptr);
  // The rating inputs to and from the document.
  void ReadInto(TDesignDocument& doc) const;
  void ShowDocument(const TDesignDocument& doc);
  // What a project file sets; a file without rating records is a design with the default cases.
  struct TState {
    int Type = 0;
    QString Diameter, BedHeight, Cases;
  };
  TState State() const;
  void SetState(const TState& s);

 signals:
  // An input of the rating changed: the design needs a new run.
  void Changed();

 private:
  void UpdateEnabled();
  QComboBox* FType;
  QLineEdit* FDiameter;
  QLineEdit* FBedHeight;
  TLoadCaseTable* FTable;
  QPushButton *FAdd, *FRemove;
  QLabel* FSummary;
};

}  // namespace velm
