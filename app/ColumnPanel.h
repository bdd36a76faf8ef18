#pragma once
// The "全塔" page: every stage of a simulated column (imported or typed), its sections, and what
// the latest run made of them: each stage rated at its section's column, the governing stage and
// the beds of each section, the column's pressure drop and height, and the stage profile. A view
// of the design document: its "Text" property is the column as a project stores it.
#include <QWidget>

#include "core/DesignDocument.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace velm {

class TColumnPanel : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QString Text READ Text WRITE SetText)

 public:
  explicit TColumnPanel(QWidget* parent = nullptr);
  // The stages and sections as typed (ColumnText); empty when there are no stages.
  QString Text() const;
  void SetText(const QString& text);
  // Imported stages, in the given sections (none: one over the stages with both phases).
  void SetStages(const std::vector<TStageLoads>& stages,
                 const std::vector<TSectionRange>& sections = {});
  void ShowDocument(const TDesignDocument& doc);
  // The packing list ("key;material;size;type") and the flooding methods a section may choose
  // instead of the design's.
  void SetChoices(const QStringList& packings, const QStringList& methods);

 signals:
  // The stages or sections changed: the design needs a new run.
  void Changed();
  // "导入 HYSYS 全塔..." or "导入 PRO/II 全塔..." was pressed.
  void ImportRequested();
  void ImportProiiRequested();

 private:
  void Fill(const std::vector<TStageLoads>& stages, const std::vector<TSectionRange>& sections);
  void AddSection();
  void RemoveSection();
  // The section row's packing and method selectors, set to a packing key and a method name
  // (empty: the design's).
  void PutChoices(int row, const std::string& packing, const std::string& method);
  QString Choice(int row, int column) const;
  QTableWidget* FStages;
  QTableWidget* FSections;
  QLineEdit* FFactor;
  QLabel* FSummary;
  QLabel* FProfile;
  QStringList FPackings, FMethods;
  bool FFilling = false;
  // The text the panel was set to, given back as it was until the tables are edited (a project
  // saves its column as it read it).
  QString FSetText;
  bool FEdited = false;
};

}  // namespace velm
