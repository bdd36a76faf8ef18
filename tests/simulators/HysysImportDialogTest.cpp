// The stage import dialog driven through the main window: the tool bar button, the dialog's
// buttons and lists, and the fields it writes.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "app/MainWindow.h"
#include "app/SimulatorCommands.h"
#include "automation/Servers.h"
#include "simulators/HysysImportDialog.h"
#include "simulators/HysysInterface.h"
#include "simulators/SimulatorServers.h"
#include "units/UnitSelector.h"
#include "units/ValueField.h"

using namespace velm;

class THysysImportDialogTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TFormVELM> FWindow;
  QStringList FChoices;
  QStringList FMessages, FErrors;

  TEditD* Field(const char* name) { return FWindow->Control<TEditD>(QString::fromLatin1(name)); }
  template <class T>
  T* In(QWidget* dialog, const char* name) {
    return dialog->findChild<T*>(QString::fromLatin1(name));
  }
  void Click(QWidget* dialog, const char* button) {
    QTest::mouseClick(In<QPushButton>(dialog, button), Qt::LeftButton);
  }
  QStringList Lines(QWidget* dialog, const char* list) {
    QStringList out;
    auto* l = In<QListWidget>(dialog, list);
    for (int i = 0; i < l->count(); ++i) out << l->item(i)->text();
    return out;
  }
  QStringList FieldTexts() {
    QStringList out;
    for (const char* n : {"VD", "DvD", "MvD", "LD", "DlD", "MlD", "SLD"}) out << Field(n)->text();
    return out;
  }
  void Shot(QWidget* w, const char* name) {
    const QString dir = qEnvironmentVariable("VELM_SHOTS");
    if (!dir.isEmpty()) w->grab().save(QDir(dir).filePath(QString::fromLatin1(name)));
  }
  // Clicks "连接Hysys" and runs `drive` on the dialog while it is shown modally; true when the
  // dialog was shown and is gone afterwards.
  bool OpenDialog(const std::function<void(QDialog*)>& drive) {
    bool shown = false;
    QTimer::singleShot(0, this, [&] {
      QDialog* d = FWindow->FormHysys;
      if (!d) return;
      shown = d->isVisible() && d->windowTitle() == QStringLiteral("连接Hysys");
      drive(d);
      if (d->isVisible()) d->reject();
    });
    QTest::mouseClick(FWindow->Control<QToolButton>(QStringLiteral("BHysys")), Qt::LeftButton);
    return shown && !FWindow->FormHysys;
  }
  void PickUnit(const char* selector, const QString& unit) {
    auto* u = FWindow->Control<TComboBoxU>(QString::fromLatin1(selector));
    for (int i = 0; i < u->count(); ++i)
      if (u->itemText(i).startsWith(unit + " ") || u->itemText(i).startsWith(unit + "|")) {
        u->setCurrentIndex(i);
        emit u->activated(i);
        return;
      }
    QFAIL(qPrintable("no unit " + unit));
  }

 private slots:
  void initTestCase() {
    RegisterSimulatorServers();
    qputenv("VELM_SETTINGS", "/nonexistent/settings.ini");
  }

  void init() {
    FMessages.clear();
    FErrors.clear();
    qputenv("VELM_HYSYS_CASE", VELM_EXAMPLES "/simulator-case.json");
    SetSimulatorMessageHook([this](const QString& t, const QString&) { FMessages << t; });
    SetFieldMessageHook([this](const QString& t) { FMessages << t; });
    TFormVELMSetup setup;
    setup.PackingFile = QStringLiteral(VELM_PACKINGS);
    setup.ErrorBox = [this](QWidget*, const QString& t) { FErrors << t; };
    setup.MessageBox = [this](QWidget*, const QString& t) { FMessages << t; };
    setup.ChooseItem = [this](QWidget*, const QString&, const QStringList& items) {
      FChoices = items;
      return items.value(0);
    };
    FWindow = std::make_unique<TFormVELM>(nullptr, setup);
    FWindow->resize(1366, 768);
    FWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(FWindow.get()));
    auto* packings = FWindow->Control<QComboBox>(QStringLiteral("PTD"));
    packings->setCurrentIndex(2);  // 25 mm ceramic Raschig rings
    emit packings->activated(2);
    SetNeedsRecalc(false);
    SetModified(false);
  }

  void cleanup() {
    FWindow.reset();
    SetSimulatorMessageHook({});
    SetFieldMessageHook({});
    ReleaseHysys();
  }

  // A whole column: every stage of the chosen column on the chart page, one section over the
  // stages with both phases, each rated; the column is kept in the project and comes back.
  void WholeColumnImportRatesEveryStageAndIsSaved() {
    QVERIFY(FWindow->Files().OpenProject(
        QStringLiteral(VELM_EXAMPLES "/benzene-toluene-distillation.vlm")));
    FWindow->Simulators().ImportHysysColumn();
    QCOMPARE(FChoices, (QStringList{"T-100", "A-100"}));
    QVERIFY2(FErrors.isEmpty(), qPrintable(FErrors.join('\n')));
    QVERIFY(FWindow->Column());
    const TSectionResult& s = FWindow->Column()->Sections.at(0);
    QCOMPARE(s.Stages.size(), size_t(20));  // stages 1 to 20: no condenser, no reboiler
    for (const TStageResult& st : s.Stages) QVERIFY2(st.Rating.Rated, st.Rating.Error.c_str());
    QVERIFY(s.Beds && s.Beds->Beds >= 1);
    Shot(FWindow->findChild<QWidget*>("ColumnD"), "whole-column.png");
    QTemporaryDir dir;
    const QString file = dir.filePath("column.vlm");
    QVERIFY(FWindow->Files().SaveProject(file));
    const std::string text = FWindow->Document().ColumnText;
    QVERIFY(FWindow->Files().OpenProject(
        QStringLiteral(VELM_EXAMPLES "/benzene-toluene-distillation.vlm")));
    QVERIFY(!FWindow->Column());
    QVERIFY(FWindow->Files().OpenProject(file));
    QCOMPARE(FWindow->Document().ColumnText, text);
    QVERIFY(FWindow->Column());
  }

  // The list dialog of the column import: cancelled, nothing is chosen (the dialog itself
  // hands back its current item then).
  void ColumnChoiceCancelledChoosesNothing() {
    for (const bool accept : {false, true}) {
      QTimer::singleShot(0, [accept] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog) accept ? dialog->accept() : dialog->reject();
      });
      QCOMPARE(ChooseItemDialog(FWindow.get(), "导入全塔", {"T-100", "A-100"}),
               accept ? QString("T-100") : QString());
    }
  }

  void ExampleImportFillsTheFieldsInTheirUnitsAndTheNextExitDesigns() {
    // The shipped benzene-toluene project gives the inputs the import does not touch.
    QVERIFY(FWindow->Files().OpenProject(
        QStringLiteral(VELM_EXAMPLES "/benzene-toluene-distillation.vlm")));
    QVERIFY2(FErrors.isEmpty() && FMessages.isEmpty(),
             qPrintable((FErrors + FMessages).join('\n')));
    const QString diameterBefore = Field("dD")->text();
    PickUnit("MlU", "cp");
    SetNeedsRecalc(false);
    SetModified(false);
    QStringList data;
    QVERIFY(OpenDialog([&](QDialog* d) {
      QCOMPARE(Lines(d, "ListColumns"), (QStringList{"T-100", "A-100"}));
      QCOMPARE(In<QListWidget>(d, "ListColumns")->currentRow(), 0);  // no click needed
      QVERIFY(In<QRadioButton>(d, "RGModalAuto")->isChecked());
      QCOMPARE(In<QLineEdit>(d, "EditStageIndex")->text(), QStringLiteral("1"));
      Shot(d, "hysys-dialog-open.png");
      Click(d, "BGetData");
      data = Lines(d, "ListData");
      Shot(d, "hysys-dialog-data.png");
      Click(d, "BOK");
    }));
    QVERIFY2(FErrors.isEmpty() && FMessages.isEmpty(),
             qPrintable((FErrors + FMessages).join('\n')));
    QCOMPARE(data.size(), 10);
    QCOMPARE(data[0], QStringLiteral("MaxVNo=20"));
    QCOMPARE(data[4], QStringLiteral("  "));
    // Lines 2-4 and 7-10 go to the seven fields as SI values.
    const std::pair<int, const char*> lines[] = {{1, "VD"},  {2, "DvD"}, {3, "MvD"}, {6, "LD"},
                                                 {7, "DlD"}, {8, "MlD"}, {9, "SLD"}};
    for (const auto& [line, field] : lines)
      QCOMPARE(Field(field)->Value(), data[line].mid(3).toDouble());
    // The liquid viscosity shows in cp: 0.253452 cP on the bottom stage of the example.
    QCOMPARE(data[8], QStringLiteral("Vl=0.000253452"));
    QCOMPARE(Field("MlD")->text().toDouble(), 0.253452);
    QVERIFY(NeedsRecalc());
    QVERIFY(Modified());
    QCOMPARE(Field("dD")->text(), diameterBefore);  // no recalculation yet

    // Leaving a field runs the design with the imported loads.
    FWindow->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(FWindow.get()));
    Field("LD")->setFocus();
    QTRY_VERIFY(Field("LD")->hasFocus());
    QTest::keyClick(Field("LD"), Qt::Key_Tab);
    QVERIFY2(FErrors.isEmpty(), qPrintable(FErrors.join('\n')));
    QVERIFY(!NeedsRecalc());
    QVERIFY(Field("dD")->text() != diameterBefore);
    QVERIFY(Field("dD")->Value() > 0.5 && Field("dD")->Value() < 5);
    QVERIFY(Field("HETPD")->Value() > 0);
    Shot(FWindow.get(), "hysys-main-after-ok.png");
  }

  void NothingRunningGivesTheMessageAndAnEmptyDialog() {
    qunsetenv("VELM_HYSYS_CASE");
    const QStringList before = FieldTexts();
    QVERIFY(OpenDialog([&](QDialog* d) {
      QCOMPARE(FMessages, QStringList{"Hysys错误！"});
      QCOMPARE(In<QListWidget>(d, "ListColumns")->count(), 0);
      Click(d, "BGetData");
      QCOMPARE(FMessages.last(), QStringLiteral("没有选定塔器模块!"));
      QCOMPARE(In<QListWidget>(d, "ListData")->count(), 0);
      Click(d, "BOK");  // without data: closes and writes nothing
    }));
    QCOMPARE(FieldTexts(), before);
    QVERIFY(!Modified() && !NeedsRecalc());
  }

  void GivenStagesErrorsAndCancel() {
    const QStringList before = FieldTexts();
    QVERIFY(OpenDialog([&](QDialog* d) {
      QTest::mouseClick(In<QRadioButton>(d, "RGModalGiven"), Qt::LeftButton);
      auto* stage = In<QLineEdit>(d, "EditStageIndex");
      stage->setText(QStringLiteral("5"));
      Click(d, "BGetData");
      QCOMPARE(Lines(d, "ListData").value(0), QStringLiteral("MaxVNo=5"));
      // A stage text that is not a whole number is reported before the list is emptied.
      stage->setText(QStringLiteral("5a"));
      Click(d, "BGetData");
      QCOMPARE(FErrors.size(), 1);
      QVERIFY(FErrors[0].contains(QStringLiteral("5a")));
      QCOMPARE(Lines(d, "ListData").value(0), QStringLiteral("MaxVNo=5"));
      // A stage beyond the column: the server's error, and the emptied list stays empty.
      stage->setText(QStringLiteral("22"));
      Click(d, "BGetData");
      QCOMPARE(FErrors.size(), 2);
      QVERIFY(FErrors[1].contains(QStringLiteral("22")));
      QCOMPARE(In<QListWidget>(d, "ListData")->count(), 0);
      stage->setText(QStringLiteral("3"));
      Click(d, "BGetData");
      QCOMPARE(In<QListWidget>(d, "ListData")->count(), 10);
      Click(d, "BCancel");
    }));
    QCOMPARE(FieldTexts(), before);
    QVERIFY(!Modified() && !NeedsRecalc());
    // A new opening starts with empty data and the automatic choice.
    QVERIFY(OpenDialog([&](QDialog* d) {
      QCOMPARE(In<QListWidget>(d, "ListData")->count(), 0);
      QVERIFY(In<QRadioButton>(d, "RGModalAuto")->isChecked());
    }));
  }
};

QTEST_MAIN(THysysImportDialogTest)
#include "HysysImportDialogTest.moc"
