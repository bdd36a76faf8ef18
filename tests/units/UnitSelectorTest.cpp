// Widget tests of the unit selector with its value field: real mouse and key events on the
// selector's list (offscreen platform).
#include <QAbstractItemView>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

#include "units/UnitEntry.h"
#include "units/UnitSelector.h"
#include "units/ValueField.h"

using velm::TComboBoxU;
using velm::TEditD;

class TComboBoxUTest : public QObject {
  Q_OBJECT

 private:
  QWidget* FWindow = nullptr;
  TEditD* FField = nullptr;     // LD
  TComboBoxU* FUnit = nullptr;  // LU
  TEditD* FNext = nullptr;      // VD
  bool FModified = false;
  bool FNeedsRecalc = false;
  QStringList FErrors;

  // Opens the list with a mouse click and picks the row with the mouse.
  void PickWithMouse(TComboBoxU* combo, int row) {
    QTest::mouseClick(combo, Qt::LeftButton);
    QAbstractItemView* view = combo->view();
    QTRY_VERIFY(view->isVisible());
    // The list ignores a button release that comes right after it opened (the release of the
    // opening click), so wait past that before clicking on the row.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    const QRect r = view->visualRect(view->model()->index(row, 0));
    QTest::mouseMove(view->viewport(), r.center());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
    QTRY_VERIFY(!view->isVisible());
  }
  // Opens the list with the keyboard and walks to the row.
  void PickWithKeyboard(TComboBoxU* combo, int row) {
    combo->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(combo, Qt::Key_F4);
    QAbstractItemView* view = combo->view();
    QTRY_VERIFY(view->isVisible());
    const int steps = row - combo->currentIndex();
    for (int i = 0; i < qAbs(steps); ++i)
      QTest::keyClick(view, steps > 0 ? Qt::Key_Down : Qt::Key_Up);
    QTest::keyClick(view, Qt::Key_Return);
    QTRY_VERIFY(!view->isVisible());
  }
  TComboBoxU* AddSelector(const char* name, TEditD* field) {
    auto* combo = new TComboBoxU(FWindow);
    combo->setObjectName(name);
    combo->SetEntries(velm::UnitListFor(name));
    combo->SetAssociated(field);
    FWindow->layout()->addWidget(combo);
    combo->show();
    combo->Loaded();
    return combo;
  }

 private slots:
  void init() {
    FWindow = new QWidget;
    new QVBoxLayout(FWindow);
    FField = new TEditD(FWindow);
    FField->setObjectName("LD");
    FWindow->layout()->addWidget(FField);
    FField->SetK(5.0);  // replaced by the first entry when loaded
    FUnit = AddSelector("LU", FField);
    FNext = new TEditD(FWindow);
    FNext->setObjectName("VD");
    FWindow->layout()->addWidget(FNext);
    FWindow->show();
    FWindow->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(FWindow));
    FModified = FNeedsRecalc = false;
    velm::SetModifiedHook(&FModified);
    velm::SetNeedsRecalcHook(&FNeedsRecalc);
    FErrors.clear();
    velm::SetErrorReportHook([this](const QString& t) { FErrors << t; });
  }
  void cleanup() {
    velm::SetModifiedHook(nullptr);
    velm::SetNeedsRecalcHook(nullptr);
    velm::SetErrorReportHook(nullptr);
    delete FWindow;
  }

  void LoadedStartsOnTheSiUnit() {
    QCOMPARE(FUnit->currentIndex(), 0);
    QCOMPARE(FField->K(), 1.0);
    QCOMPARE(FUnit->GetUnit(), QString("kg/s"));
    QCOMPARE(FUnit->isEditable(), false);
  }

  void TabSkipsTheSelector() {
    FField->setFocus(Qt::TabFocusReason);
    QTest::keyClick(FField, Qt::Key_Tab);
    QVERIFY(FNext->hasFocus());
  }

  void KgPerHourAndBackByMouse() {
    FField->setFocus();
    QTest::keyClicks(FField, "1");
    QTest::keyClick(FField, Qt::Key_Tab);
    FNeedsRecalc = false;
    QSignalSpy rel(FUnit, &TComboBoxU::OnRelChange);
    QSignalSpy edit(FField, &TEditD::Change);
    PickWithMouse(FUnit, 1);
    QCOMPARE(FField->text(), QString("3600.00000001008"));
    QCOMPARE(FField->K(), 0.000277777777777);
    QCOMPARE(FUnit->GetUnit(), QString("kg/h"));
    QVERIFY(FModified);
    QVERIFY(FNeedsRecalc);      // the field's own change still counts
    QCOMPARE(edit.count(), 0);  // but the window's edit handler did not run
    QCOMPARE(rel.count(), 1);
    QCOMPARE(rel.at(0).at(0).value<QObject*>(), FUnit);
    FField->clearFocus();
    QCOMPARE(FField->DisplayText(), QString("3600"));
    PickWithMouse(FUnit, 0);
    QCOMPARE(FField->text(), QString("1"));
    QCOMPARE(rel.count(), 2);
    // Reattached: typing runs the edit handler again.
    FField->setFocus();
    QTest::keyClicks(FField, "0");
    QCOMPARE(edit.count(), 1);
  }

  void KeyboardSelectionWorksLikeTheMouse() {
    FField->setText("2");
    PickWithKeyboard(FUnit, 3);  // t/h
    QCOMPARE(FUnit->GetUnit(), QString("t/h"));
    QCOMPARE(FField->text(), QString("7.20000000000002"));  // 2 / 0.277777777777777
    QVERIFY(FModified);
  }

  void SameEntryAgainChangesNoFlag() {
    FField->setText("1.000");
    QSignalSpy rel(FUnit, &TComboBoxU::OnRelChange);
    PickWithMouse(FUnit, 0);
    QCOMPARE(FField->text(), QString("1"));  // rewritten without trailing zeros
    QVERIFY(!FModified);
    QCOMPARE(rel.count(), 0);
  }

  void BlankItemOfSurfaceTensionLeavesTheField() {
    TEditD* sl = new TEditD(FWindow);
    sl->setObjectName("SLD");
    FWindow->layout()->addWidget(sl);
    TComboBoxU* slu = AddSelector("SLU", sl);
    PickWithMouse(slu, 1);  // dyn/cm
    sl->setText("72");
    PickWithMouse(slu, 3);  // the blank item
    QCOMPARE(sl->text(), QString("72"));
    QCOMPARE(sl->K(), 0.001);
    QCOMPARE(slu->GetUnit(), QString());
    QCOMPARE(sl->Value(), 0.072);
  }

  void ItemIndexByProgramLeavesTheField() {
    FField->setText("3");
    QSignalSpy change(FUnit, &TComboBoxU::Change);
    QSignalSpy rel(FUnit, &TComboBoxU::OnRelChange);
    QVERIFY(FUnit->setProperty("ItemIndex", 2));
    QCOMPARE(FUnit->currentIndex(), 2);
    QCOMPARE(FField->text(), QString("3"));
    QCOMPARE(FField->K(), 1.0);
    QCOMPARE(change.count(), 1);
    QCOMPARE(rel.count(), 0);
    QVERIFY(!FModified);
  }

  void FailedAdoptionIsReportedAndHandlerReattached() {
    FField->setText("1e306");
    QSignalSpy rel(FUnit, &TComboBoxU::OnRelChange);
    PickWithMouse(FUnit, 1);  // 1e306 / 0.000277... overflows
    QCOMPARE(FErrors.size(), 1);
    QVERIFY(FErrors.at(0).contains("LD"));
    QCOMPARE(FField->text(), QString("1e306"));
    QCOMPARE(FField->K(), 1.0);
    QCOMPARE(rel.count(), 0);
    QVERIFY(FField->ChangeHandlerAttached());
  }

  void WithoutHookOrFieldNothingBreaks() {
    velm::SetModifiedHook(nullptr);
    TComboBoxU* lone = AddSelector("dU", nullptr);
    PickWithMouse(lone, 2);
    QCOMPARE(lone->GetUnit(), QString("mm"));
    QVERIFY(!FModified);
  }
};

QTEST_MAIN(TComboBoxUTest)
#include "UnitSelectorTest.moc"
