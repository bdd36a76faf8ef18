#pragma once
// TComboBoxU: the unit selector beside a value field. A drop-down list (no free text) of unit
// entries (UnitEntry.h); picking an entry hands it to the associated TEditD, which re-expresses
// its number so that the SI value stays the same. Not a tab stop: Tab moves between the value
// fields and skips the selectors.
#include <QComboBox>
#include <QPointer>
#include <QString>
#include <string>
#include <vector>

#include "units/ValueField.h"

namespace velm {

// Module hook: the main window points it at its document Modified flag; a user's change of
// unit then raises it. nullptr: no flag is changed.
void SetModifiedHook(bool* flag);
bool* ModifiedHook();

class TComboBoxU : public QComboBox {
  Q_OBJECT
  Q_PROPERTY(QObject* Associated READ AssociatedObject WRITE SetAssociatedObject)
  Q_PROPERTY(QString GetUnit READ GetUnit)
  Q_PROPERTY(int ItemIndex READ ItemIndex WRITE SetItemIndex)

 public:
  explicit TComboBoxU(QWidget* parent = nullptr);

  TEditD* Associated() const { return FAssociated; }
  void SetAssociated(TEditD* field) { FAssociated = field; }
  QObject* AssociatedObject() const;
  void SetAssociatedObject(QObject* field);

  // Replaces the items by the given entries.
  void SetEntries(const std::vector<std::string>& entries);

  // Display name of the current entry; empty for a blank entry or no selection.
  QString GetUnit() const;

  // The selected index. Setting it by program selects the entry and emits Change, but does
  // not hand the entry to the field: whoever sets it restores the field's factor itself.
  int ItemIndex() const { return currentIndex(); }
  void SetItemIndex(int index);

  // The window's properties have been read: select the first entry and hand it to the field,
  // so every selector starts on its SI unit.
  void Loaded();

  // The entry text remembered when the list was last opened.
  QString Remembered() const { return FRemembered; }

  void showPopup() override;

 protected:
  // The closed selector shows the display name only; the list shows the whole entries.
  void paintEvent(QPaintEvent* event) override;

 signals:
  // The selection changed (by the user or through ItemIndex).
  void Change(QObject* sender);
  // The user picked another unit than the one selected when the list was last opened.
  void OnRelChange(QObject* sender);

 private:
  void UserSelected(int index);

  QPointer<TEditD> FAssociated;
  QString FRemembered;
};

}  // namespace velm
