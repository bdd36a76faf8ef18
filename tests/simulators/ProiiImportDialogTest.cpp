// The tray import dialog driven through the main window.
#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "app/MainWindow.h"
#include "simulators/PROIIInterface.h"
#include "simulators/ProiiImportDialog.h"
#include "simulators/SimulatorServers.h"
#include "tests/simulators/ProiiTestSnapshot.h"
#include "units/UnitSelector.h"
#include "units/ValueField.h"

using namespace velm;

class TProiiImportDialogTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TFormVELM> FWindow;
  QStringList FMessages, FErrors;
  QString FFile;  // what the open dialog answers
  QStringList FFilters;
  QTemporaryDir FDir;

  TEditD* Field(const char* name) { return FWindow->Control<TEditD>(QString::fromLatin1(name)); }
  template <class T>
  T* In(QWidget* d, const char* name) {
    return d->findChild<T*>(QString::fromLatin1(name));
  }
  void Click(QWidget* d, const char* button) {
    QTest::mouseClick(In<QPushButton>(d, button), Qt::LeftButton);
  }
  QStringList Lines(QWidget* d, const char* list) {
    QStringList out;
    auto* l = In<QListWidget>(d, list);
    for (int i = 0; i < l->count(); ++i) out << l->item(i)->text();
    return out;
  }
  // A user's click on entry `row` of the column list.
  void PickColumn(QWidget* d, int row) {
    auto* l = In<QListWidget>(d, "ListColumns");
    QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(l->item(row)).center());
  }
  QString Stage(QWidget* d) { return In<QComboBox>(d, "StageIndex")->currentText(); }
  QStringList FieldTexts() {
    QStringList out;
    for (const char* n : {"VD", "DvD", "MvD", "LD", "DlD", "MlD", "SLD"}) out << Field(n)->text();
    return out;
  }
  void Shot(QWidget* w, const char* name) {
    const QString dir = qEnvironmentVariable("VELM_SHOTS");
    if (!dir.isEmpty()) w->grab().save(QDir(dir).filePath(QString::fromLatin1(name)));
  }
  bool OpenDialog(const std::function<void(QDialog*)>& drive) {
    bool shown = false;
    QTimer::singleShot(0, this, [&] {
      QDialog* d = FWindow->FormProii;
      if (!d) return;
      shown = d->isVisible() && d->windowTitle() == QStringLiteral("连接Proii");
      drive(d);
      if (d->isVisible()) d->reject();
    });
    QTest::mouseClick(FWindow->Control<QToolButton>(QStringLiteral("BProii")), Qt::LeftButton);
    return shown && !FWindow->FormProii;
  }

 private slots:
  void initTestCase() {
    // The example settings register the snapshot server; the version is looked up at start.
    qputenv("VELM_SETTINGS", VELM_EXAMPLES "/simulator-settings.ini");
    RegisterSimulatorServers();
    QCOMPARE(QString::fromStdString(ProiiServerVersion), QStringLiteral("100"));
    SetProiiOpenHook([this](QWidget*, const QStringList& filters) {
      FFilters = filters;
      return FFile;
    });
  }

  void init() {
    FMessages.clear();
    FErrors.clear();
    SetSimulatorMessageHook([this](const QString& t, const QString&) { FMessages << t; });
    TFormVELMSetup setup;
    setup.PackingFile = QStringLiteral(VELM_PACKINGS);
    setup.ErrorBox = [this](QWidget*, const QString& t) { FErrors << t; };
    setup.MessageBox = [this](QWidget*, const QString& t) { FMessages << t; };
    setup.ChooseItem = [](QWidget*, const QString&, const QStringList& items) {
      return items.value(0);
    };
    FWindow = std::make_unique<TFormVELM>(nullptr, setup);
    FWindow->resize(1366, 768);
    FWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(FWindow.get()));
  }

  void cleanup() {
    FWindow.reset();
    SetSimulatorMessageHook({});
    QVERIFY(!ProiiServer.IsObject() && !ProiiDatabase.IsObject());  // released on close
  }

  // A whole column from the snapshot: trays 2 to 21 (no condenser, no reboiler), split into two
  // sections at the feed tray, every tray rated; the server let go of afterwards.
  void WholeColumnImportSplitsAtTheFeed() {
    QVERIFY(FWindow->Files().OpenProject(
        QStringLiteral(VELM_EXAMPLES "/benzene-toluene-distillation.vlm")));
    FFile = QStringLiteral(VELM_EXAMPLES "/simulator-snapshot.json");
    FWindow->Simulators().ImportProiiColumn();
    QVERIFY2(FErrors.isEmpty() && FMessages.isEmpty(),
             qPrintable((FErrors + FMessages).join('\n')));
    QVERIFY(FWindow->Column());
    const auto& sections = FWindow->Column()->Sections;
    QCOMPARE(sections.size(), size_t(2));
    QCOMPARE(sections[0].Stages.front().Rating.Case.Name, std::string("2"));
    QCOMPARE(sections[0].Stages.back().Rating.Case.Name, std::string("10"));  // feed on 11
    QCOMPARE(sections[1].Stages.back().Rating.Case.Name, std::string("21"));
    for (const auto& s : sections)
      for (const auto& st : s.Stages) QVERIFY2(st.Rating.Rated, st.Rating.Error.c_str());
  }

  void ExampleSnapshotImportAndRecalculation() {
    QVERIFY(FWindow->Files().OpenProject(
        QStringLiteral(VELM_EXAMPLES "/benzene-toluene-distillation.vlm")));
    const QString diameterBefore = Field("dD")->text();
    const QString flowParameterBefore = Field("FpD")->text();
    SetNeedsRecalc(false);
    SetModified(false);
    FFile = QStringLiteral(VELM_EXAMPLES "/simulator-snapshot.json");
    QStringList data;
    QVERIFY(OpenDialog([&](QDialog* d) {
      QCOMPARE(In<QComboBox>(d, "StageIndex")->count(), 5);
      Shot(d, "proii-1-open.png");
      Click(d, "BOpen");
      QCOMPARE(FFilters.value(0), QStringLiteral("PROII 模拟文件(*.prz;*.pr1) (*.prz *.pr1)"));
      QCOMPARE(Lines(d, "ListColumns"), QStringList{"T1"});
      PickColumn(d, 0);
      QCOMPARE(Lines(d, "ListBoxColumnData").value(0), QStringLiteral("NumberOfTrays=22"));
      QCOMPARE(Lines(d, "ListBoxColumnData").last(), QStringLiteral("FeedT0=11"));
      QCOMPARE(In<QComboBox>(d, "StageIndex")->count(), 22);
      QCOMPARE(Stage(d), QStringLiteral("2"));
      Shot(d, "proii-2-column.png");
      Click(d, "BGetData");  // automatic: one above the feed tray
      QCOMPARE(Stage(d), QStringLiteral("10"));
      data = Lines(d, "ListData");
      Shot(d, "proii-3-data.png");
      Click(d, "BOK");
    }));
    QVERIFY2(FErrors.isEmpty() && FMessages.isEmpty(),
             qPrintable((FErrors + FMessages).join('\n')));
    QCOMPARE(data.size(), 17);
    const std::pair<const char*, const char*> values[] = {
        {"VapTotalMassRate", "VD"}, {"VapDensityAct", "DvD"}, {"VapViscosity", "MvD"},
        {"LiqTotalMassRate", "LD"}, {"LiqDensityAct", "DlD"}, {"LiqViscosity", "MlD"},
        {"LiqSurfTension", "SLD"}};
    for (const auto& [name, field] : values) {
      const QString line = data.filter(QString::fromLatin1(name) + "=").value(0);
      QCOMPARE(Field(field)->Value(), line.section('=', 1).toDouble());
    }
    QVERIFY(NeedsRecalc() && Modified());
    QCOMPARE(Field("dD")->text(), diameterBefore);
    FWindow->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(FWindow.get()));
    Field("LD")->setFocus();
    QTRY_VERIFY(Field("LD")->hasFocus());
    QTest::keyClick(Field("LD"), Qt::Key_Tab);
    QVERIFY2(FErrors.isEmpty(), qPrintable(FErrors.join('\n')));
    QVERIFY(!NeedsRecalc());
    QVERIFY(Field("FpD")->text() != flowParameterBefore);  // the loads of tray 10 in the design
    QVERIFY(Field("dD")->Value() > 0.5 && Field("dD")->Value() < 5);
    Shot(FWindow.get(), "proii-4-main-after-ok.png");
  }

  void TrayChoices() {
    FFile = test::WriteFile(FDir, "t.json",
                            test::SnapshotJson({{"T12", 12, {8}, {}},
                                                {"Top", 4, {1}, {}},
                                                {"One", 1, {1}, {}},
                                                {"NoFeed", 3, {}, {}}}));
    const QStringList before = FieldTexts();
    QVERIFY(OpenDialog([&](QDialog* d) {
      Click(d, "BGetData");  // no column selected: nothing happens
      QVERIFY(FMessages.isEmpty() && FErrors.isEmpty());
      Click(d, "BOpen");
      PickColumn(d, 0);
      auto* stage = In<QComboBox>(d, "StageIndex");
      QCOMPARE(stage->count(), 12);
      QCOMPARE(stage->itemText(11), QStringLiteral("12"));
      QCOMPARE(Stage(d), QStringLiteral("2"));
      // Automatic with the feed on tray 8: tray 7 (liquid at 307.15 K = 34 °C).
      Click(d, "BGetData");
      QCOMPARE(Stage(d), QStringLiteral("7"));
      QCOMPARE(Lines(d, "ListData").value(1), QStringLiteral("Temperature=34"));
      // Given: the fifth entry reads tray 5.
      QTest::mouseClick(In<QRadioButton>(d, "RGModalGiven"), Qt::LeftButton);
      stage->setCurrentIndex(4);
      Click(d, "BGetData");
      QCOMPARE(Lines(d, "ListData").value(1), QStringLiteral("Temperature=32"));
      // Automatic with the feed on tray 1: tray 0 goes to the server, which refuses it.
      QTest::mouseClick(In<QRadioButton>(d, "RGModalAuto"), Qt::LeftButton);
      PickColumn(d, 1);
      Click(d, "BGetData");
      QCOMPARE(stage->currentIndex(), -1);
      QCOMPARE(FErrors.size(), 1);
      QCOMPARE(In<QListWidget>(d, "ListData")->count(), 0);
      // A single tray: one entry, none selected.
      PickColumn(d, 2);
      QCOMPARE(stage->count(), 1);
      QCOMPARE(stage->currentIndex(), -1);
      // No feed: the automatic choice has no tray; nothing is read.
      PickColumn(d, 3);
      Click(d, "BGetData");
      QCOMPARE(FErrors.size(), 2);
      QCOMPARE(In<QListWidget>(d, "ListData")->count(), 0);
      Click(d, "BCancel");
    }));
    QCOMPARE(FieldTexts(), before);
    // Reopened: empty lists, trays 1 to 5, and the file must be opened again.
    QVERIFY(OpenDialog([&](QDialog* d) {
      QCOMPARE(In<QListWidget>(d, "ListColumns")->count(), 0);
      QCOMPARE(In<QListWidget>(d, "ListBoxColumnData")->count(), 0);
      QCOMPARE(In<QComboBox>(d, "StageIndex")->count(), 5);
      QCOMPARE(Stage(d), QStringLiteral("1"));
      Click(d, "BOK");
    }));
    QCOMPARE(FieldTexts(), before);
  }

  void FilesThatCannotBeImported() {
    // A simulator's own file: the server says it reads snapshots only.
    FFile = test::WriteFile(FDir, "case.prz", std::string("PK\x03\x04", 4));
    QVERIFY(OpenDialog([&](QDialog* d) {
      Click(d, "BOpen");
      QCOMPARE(FErrors.size(), 1);
      QVERIFY(FErrors[0].contains(QStringLiteral(".prz")));
      QCOMPARE(In<QListWidget>(d, "ListColumns")->count(), 0);
      // A snapshot without columns.
      FFile = test::WriteFile(FDir, "empty.json", test::SnapshotJson({}));
      Click(d, "BOpen");
      QCOMPARE(FMessages, QStringList{"该模拟文件中没有塔器模块!"});
    }));
    // No registered server.
    const std::string version = ProiiServerVersion;
    ProiiServerVersion = "77";
    FMessages.clear();
    QVERIFY(OpenDialog([&](QDialog* d) {
      Click(d, "BOpen");
      QCOMPARE(FMessages, QStringList{"PROII错误！"});
      QCOMPARE(In<QListWidget>(d, "ListColumns")->count(), 0);
    }));
    ProiiServerVersion = version;
  }
};

QTEST_MAIN(TProiiImportDialogTest)
#include "ProiiImportDialogTest.moc"
