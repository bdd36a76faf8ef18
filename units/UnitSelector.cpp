#include "units/UnitSelector.h"

#include <QAbstractItemView>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QStylePainter>

#include "base/Errors.h"
#include "units/UnitEntry.h"
#include "units/ValueField.h"

namespace velm {

namespace {
bool* GModified = nullptr;
}  // namespace

void SetModifiedHook(bool* flag) { GModified = flag; }
bool* ModifiedHook() { return GModified; }

TComboBoxU::TComboBoxU(QWidget* parent) : QComboBox(parent) {
  setEditable(false);
  setFocusPolicy(Qt::ClickFocus);  // taken by a click, skipped by Tab
  // The entries are padded with blanks so that their bars line up: show them fixed-pitch.
  view()->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  // Sized for the unit names, not for the padded entries.
  setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  setMinimumContentsLength(8);
  connect(this, qOverload<int>(&QComboBox::activated), this, &TComboBoxU::UserSelected);
}

QObject* TComboBoxU::AssociatedObject() const { return FAssociated.data(); }

void TComboBoxU::SetAssociatedObject(QObject* field) { FAssociated = qobject_cast<TEditD*>(field); }

void TComboBoxU::SetEntries(const std::vector<std::string>& entries) {
  clear();
  for (const std::string& e : entries) addItem(QString::fromStdString(e));
}

QString TComboBoxU::GetUnit() const {
  return QString::fromStdString(UnitDisplayName(currentText().toStdString()));
}

void TComboBoxU::SetItemIndex(int index) {
  setCurrentIndex(index);
  emit Change(this);
}

void TComboBoxU::Loaded() {
  if (count() == 0) return;
  setCurrentIndex(0);
  if (FAssociated) FAssociated->SetKb(itemText(0));
}

void TComboBoxU::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionComboBox option;
  initStyleOption(&option);
  option.currentText = GetUnit();
  painter.drawComplexControl(QStyle::CC_ComboBox, option);
  painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

void TComboBoxU::showPopup() {
  QComboBox::showPopup();
  // The list is as wide as its longest entry, however narrow the selector is.
  QWidget* popup = view()->window();
  const QFontMetrics metrics(view()->font());
  int wanted = 0;
  for (int i = 0; i < count(); ++i) wanted = qMax(wanted, metrics.horizontalAdvance(itemText(i)));
  wanted += 2 * view()->frameWidth() + 2 * metrics.averageCharWidth() + 8;
  if (popup != window() && popup->width() < wanted) popup->resize(wanted, popup->height());
  FRemembered = currentText();
}

void TComboBoxU::UserSelected(int index) {
  emit Change(this);
  // A unit change must not run the window's edit handler; the field still raises NeedsRecalc
  // itself. Guarded here because this is the selector's own event handler.
  // Re-attaches the field's edit handler on every way out, also when adopting the entry failed.
  struct TReattach {
    QPointer<TEditD> FField;
    ~TReattach() {
      if (FField) FField->AttachChangeHandler();
    }
  };
  try {
    TReattach reattach{FAssociated};
    if (reattach.FField) {
      reattach.FField->DetachChangeHandler();
      reattach.FField->SetKb(itemText(index));
    }
    if (itemText(index) != FRemembered) {
      if (GModified) *GModified = true;
      emit OnRelChange(this);
    }
  } catch (const TSilentAbort&) {
  } catch (const std::exception& e) {
    ReportError(QString::fromStdString(e.what()));
  }
}

}  // namespace velm
