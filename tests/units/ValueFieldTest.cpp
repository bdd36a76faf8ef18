// Widget tests of the value field, driven by real key and focus events (offscreen platform).
#include <QLabel>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

#include "base/Errors.h"
#include "units/ColorTable.h"
#include "units/UnitEntry.h"
#include "units/ValueField.h"

using velm::TEditD;

class TEditDTest : public QObject {
  Q_OBJECT

 private:
  QWidget* FWindow = nullptr;
  TEditD* FField = nullptr;  // "LD"
  TEditD* FOther = nullptr;  // the next field in tab order
  QLabel* FLabel = nullptr;
  QStringList FMessages;
  bool FNeedsRecalc = false;

  void Leave() {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCoreApplication::processEvents();
  }
  void TypeInto(TEditD* field, const QString& text) {
    field->setFocus(Qt::TabFocusReason);
    QVERIFY(field->hasFocus());
    field->selectAll();
    QTest::keyClicks(field, text);
  }

 private slots:
  void init() {
    FWindow = new QWidget;
    auto* layout = new QVBoxLayout(FWindow);
    FLabel = new QLabel(QStringLiteral("泛点湿填料因子"), FWindow);
    FField = new TEditD(FWindow);
    FField->setObjectName("LD");
    FOther = new TEditD(FWindow);
    FOther->setObjectName("VD");
    layout->addWidget(FLabel);
    layout->addWidget(FField);
    layout->addWidget(FOther);
    FWindow->show();
    FWindow->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(FWindow));
    FMessages.clear();
    velm::SetFieldMessageHook([this](const QString& t) { FMessages << t; });
    FNeedsRecalc = false;
    velm::SetNeedsRecalcHook(&FNeedsRecalc);
  }
  void cleanup() {
    velm::SetNeedsRecalcHook(nullptr);
    velm::SetFieldMessageHook(nullptr);
    delete FWindow;
  }

  void TypedKgPerHourReadsInSi() {
    FField->SetK(0.000277777777777);
    TypeInto(FField, "3600");
    Leave();
    QVERIFY(FOther->hasFocus());
    QCOMPARE(FField->text(), QString("3600"));
    QCOMPARE(FField->Value(), 3600 * 0.000277777777777);
    QVERIFY(qAbs(FField->Value() - 0.9999999999972) < 1e-15);
  }

  void WritingValueUsesFifteenDigitsAndOffset() {
    FField->SetK(0.000277777777777);
    FField->SetValue(1.0);
    QCOMPARE(FField->text(), QString("3600.00000001008"));
    FField->SetK(1.0);
    FField->SetB(273.15);
    FField->SetValue(300.0);
    QCOMPARE(FField->text(), QString("26.85"));
    FField->SetB(0.0);
    FField->SetValue(0.00001);
    QCOMPARE(FField->text(), QString("1E-5"));
  }

  void WritingNonFiniteValueThrowsAndKeepsText() {
    FField->setText("2");
    QVERIFY_THROWS_EXCEPTION(velm::TCalcError, FField->SetValue(std::nan("")));
    QVERIFY_THROWS_EXCEPTION(velm::TCalcError,
                             FField->SetValue(std::numeric_limits<double>::infinity()));
    FField->SetK(0.0);
    QVERIFY_THROWS_EXCEPTION(velm::TCalcError, FField->SetValue(1.0));
    QCOMPARE(FField->text(), QString("2"));
  }

  void BadTextShowsLabelMessageAndAbortsSilently() {
    FField->SetMyLabel(FLabel);
    TypeInto(FField, "abc");
    QVERIFY_THROWS_EXCEPTION(velm::TSilentAbort, FField->Value());
    QCOMPARE(FMessages, QStringList{QStringLiteral("泛点湿填料因子是错误数据")});
    QVERIFY(FField->hasFocus());
    QCOMPARE(FField->text(), QString(" "));
    QCOMPARE(FField->selectedText(), QString(" "));
  }

  void EmptyTextNamesTheComponent() {
    FOther->setFocus();
    QVERIFY_THROWS_EXCEPTION(velm::TSilentAbort, FField->Value());
    QCOMPARE(FMessages, QStringList{QStringLiteral("警告:“LD”是空白,请补充.")});
    QVERIFY(FField->hasFocus());
    // A blank only is as empty as nothing; a comma is not a decimal separator.
    FMessages.clear();
    FField->setText("   ");
    QVERIFY_THROWS_EXCEPTION(velm::TSilentAbort, FField->Value());
    FField->setText("1,5");
    QVERIFY_THROWS_EXCEPTION(velm::TSilentAbort, FField->Value());
    QCOMPARE(FMessages, (QStringList{QStringLiteral("警告:“LD”是空白,请补充."),
                                     QStringLiteral("LD是错误数据")}));
    // Surrounding blanks are trimmed when reading.
    FField->setText("  2.5e1 ");
    QCOMPARE(FField->Value(), 25.0);
  }

  void BlankLeftByFailedReadIsClearedWhenLeft() {
    FOther->setFocus();
    QVERIFY_THROWS_EXCEPTION(velm::TSilentAbort, FField->Value());
    QCOMPARE(FField->text(), QString(" "));
    Leave();
    QVERIFY(!FField->hasFocus());
    QCOMPARE(FField->text(), QString());
  }

  void PaintOfUnfocusedFieldClearsGarbage() {
    FOther->setFocus();
    FField->setText(" ");
    FField->repaint();
    QCOMPARE(FField->text(), QString(" "));  // not from inside the paint event
    QCoreApplication::processEvents();
    QCOMPARE(FField->text(), QString());
    QVERIFY(FMessages.isEmpty());
  }

  void ShortDisplayText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shortText");
    QTest::addColumn<QString>("textAfter");
    QTest::newRow("long rounds to 1") << "0.9999999999972"
                                      << "1"
                                      << "0.9999999999972";
    QTest::newRow("kg/h of 1 kg/s") << "3600.00000001008"
                                    << "3600"
                                    << "3600.00000001008";
    QTest::newRow("four exponent digits") << "0.000012345678"
                                          << "1.234568E-0005"
                                          << "0.000012345678";
    QTest::newRow("short kept") << "1234567"
                                << "1234567"
                                << "1234567";
    QTest::newRow("eight chars reformatted") << "1.000000"
                                             << "1"
                                             << "1.000000";
    QTest::newRow("leading blank allowed") << "  12"
                                           << "  12"
                                           << "  12";
    QTest::newRow("trailing blank clears") << "12 "
                                           << ""
                                           << "";
    QTest::newRow("not a number clears") << "abc"
                                         << ""
                                         << "";
  }
  void ShortDisplayText() {
    QFETCH(QString, text);
    QFETCH(QString, shortText);
    QFETCH(QString, textAfter);
    FField->setText(text);
    QCOMPARE(FField->FloatStr(), shortText);
    QCOMPARE(FField->text(), textAfter);
  }

  void LeavingTheFieldDrawsTheShortFormButKeepsFullText() {
    TypeInto(FField, "0.9999999999972");
    QCOMPARE(FField->DisplayText(), QString());  // being edited: the full text shows
    Leave();
    QCOMPARE(FField->DisplayText(), QString("1"));
    QCOMPARE(FField->text(), QString("0.9999999999972"));
    QCOMPARE(FField->Value(), 0.9999999999972);
  }

  void LeavingWithGarbageClearsWithoutMessage() {
    TypeInto(FField, "12x");
    Leave();
    QCOMPARE(FField->text(), QString());
    QVERIFY(FMessages.isEmpty());
  }

  void PartialInputSurvivesAnotherWindowComingUp() {
    TypeInto(FField, "1e");
    QWidget dialog;
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    FField->repaint();
    QCoreApplication::processEvents();
    QCOMPARE(FField->text(), QString("1e"));
    dialog.close();
    FWindow->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(FWindow));
    QVERIFY(FField->hasFocus());
    Leave();
    QCOMPARE(FField->text(), QString());  // leaving the field for good does clear it
  }

  void MustInputShowsOnlyForEmptyEditableRequiredField() {
    FField->SetMyResolved(false);
    FOther->setFocus();
    QCOMPARE(FField->DisplayText(), QString("[Must input]"));
    const QImage mustInput = FField->grab().toImage();
    FField->setReadOnly(true);
    QCOMPARE(FField->DisplayText(), QString());
    QVERIFY(FField->grab().toImage() != mustInput);
    FField->setReadOnly(false);
    FField->setText("5");
    QCOMPARE(FField->DisplayText(), QString());
    FField->SetMyResolved(true);
    FField->clear();
    QCOMPARE(FField->DisplayText(), QString());
  }

  void AdoptingEntryReexpressesNumber() {
    const auto& length = velm::UnitListFor("dU");
    FField->setText("1.5");
    FField->SetKb(QString::fromStdString(length[1]));  // cm
    QCOMPARE(FField->text(), QString("150"));
    QCOMPARE(FField->K(), 0.01);
    QCOMPARE(FField->Value(), 1.5);
    FField->SetKb(QString::fromStdString(length[2]));  // mm
    QCOMPARE(FField->text(), QString("1500"));
  }

  void AdoptingEntryIntoEmptyFieldOnlyChangesFactor() {
    FField->SetKb(QString::fromStdString(velm::UnitListFor("LU")[1]));
    QCOMPARE(FField->text(), QString());
    QCOMPARE(FField->K(), 0.000277777777777);
    QVERIFY(!FNeedsRecalc);
  }

  void AdoptingBlankEntryKeepsEverything() {
    FField->SetK(0.001);
    FField->SetB(2.0);
    FField->setText("7");
    FField->SetKb(" ");
    FField->SetKb("");
    QCOMPARE(FField->text(), QString("7"));
    QCOMPARE(FField->K(), 0.001);
    QCOMPARE(FField->B(), 2.0);
  }

  void AdoptingEntryWithOffset() {
    FField->setText("300");  // K
    FField->SetKb(QStringLiteral("°C   |1,273.15"));
    QCOMPARE(FField->text(), QString("26.85"));
    QCOMPARE(FField->B(), 273.15);
    FField->SetKb(QStringLiteral("K    |1"));
    QCOMPARE(FField->text(), QString("300"));
  }

  void TypingRaisesChangeAndNeedsRecalcUnlessDetached() {
    QSignalSpy change(FField, &TEditD::Change);
    TypeInto(FField, "1");
    QCOMPARE(change.count(), 1);
    QVERIFY(FNeedsRecalc);
    FNeedsRecalc = false;
    FField->DetachChangeHandler();
    QTest::keyClicks(FField, "2");
    QCOMPARE(change.count(), 1);
    QVERIFY(FNeedsRecalc);
    FField->AttachChangeHandler();
    QTest::keyClicks(FField, "3");
    QCOMPARE(change.count(), 2);
    // Writing the same text again is no change.
    FNeedsRecalc = false;
    FField->setText(FField->text());
    QVERIFY(!FNeedsRecalc);
  }

  void ExitFiresOnEveryLeaveAndHandlerErrorsStayInside() {
    QSignalSpy exits(FField, &TEditD::Exit);
    FField->setFocus();
    Leave();
    QCOMPARE(exits.count(), 1);  // no text change, still an exit
    // A handler that reads an empty field aborts silently inside the exit.
    connect(FField, &TEditD::Exit, this, [this] { FField->Value(); });
    FField->setFocus();
    Leave();
    QCOMPARE(exits.count(), 2);
    QCOMPARE(FMessages.size(), 1);
    QVERIFY(FField->hasFocus());  // the failed read took the focus back
  }

  void FocusTakenBackRunsNoSecondExit() {
    // Every field's exit reads LD, as the window's exit handler reads all inputs. Leaving VD
    // for a third field fails on the empty LD, which takes the focus from the third field:
    // that must not run the third field's exit (and show the message again).
    auto* third = new TEditD(FWindow);
    third->setObjectName("DvD");
    FWindow->layout()->addWidget(third);
    third->show();
    for (TEditD* f : {FOther, third}) connect(f, &TEditD::Exit, this, [this] { FField->Value(); });
    FOther->setFocus(Qt::TabFocusReason);
    QTest::keyClick(FOther, Qt::Key_Tab);
    QCOMPARE(FMessages, QStringList{QStringLiteral("警告:“LD”是空白,请补充.")});
    QVERIFY(FField->hasFocus());
  }

  void ColorAndCursorNumbersDriveTheLook() {
    QCOMPARE(FField->Color(), velm::kColorWindow);
    QPalette black = FField->palette();
    black.setColor(QPalette::Text, Qt::black);  // a font colour chosen by the window
    FField->setPalette(black);
    FField->SetColor(velm::kColorOlive);
    QCOMPARE(FField->palette().color(QPalette::Base), QColor(128, 128, 0));
    QCOMPARE(FField->palette().color(QPalette::Text), QColor(Qt::black));
    FField->SetCursorNumber(velm::kCursorNotAllowed);
    QCOMPARE(FField->cursor().shape(), Qt::ForbiddenCursor);
    FField->SetCursorNumber(velm::kCursorDefault);
    QCOMPARE(FField->cursor().shape(), Qt::IBeamCursor);
    // Set by name, as the project-file reader does.
    QVERIFY(FField->setProperty("Color", velm::kColorWindow));
    QCOMPARE(FField->palette().color(QPalette::Base),
             QApplication::palette().color(QPalette::Base));
    QVERIFY(FField->setProperty("MyLabel", QVariant::fromValue<QObject*>(FLabel)));
    QCOMPARE(FField->DisplayName(), QStringLiteral("泛点湿填料因子"));
    QVERIFY(FField->setProperty("Exchange", 0.01));
    QCOMPARE(FField->K(), 0.01);
  }
};

QTEST_MAIN(TEditDTest)
#include "ValueFieldTest.moc"
