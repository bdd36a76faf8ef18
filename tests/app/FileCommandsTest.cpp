// The project commands through the real window: a design typed, saved, replaced by a new project
// and opened again; the unsaved-changes question and its three answers; saves that fail; the
// caption; the recent-files entries and their file; the command-line open; and the batch mode of
// the program on the example projects.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QWindow>
#include <memory>
#include <tuple>

#include "app/MainWindow.h"
#include "base/TextCodec.h"
#include "units/ColorTable.h"
#include "units/UnitSelector.h"
#include "units/ValueField.h"

using namespace velm;

namespace {

const QString kBlankCaption = QStringLiteral("散堆填料塔流体力学-空白项目");

// Everything a project keeps, as the window shows it.
struct TSnapshot {
  QStringList Fields;  // per value field: text, factor, read-only, colour
  QStringList Units;   // per unit selector: index
  QStringList Other;   // option lists, check boxes, project texts, comment

  bool operator==(const TSnapshot&) const = default;
};

TSnapshot Snap(TFormVELM& w) {
  TSnapshot s;
  for (TEditD* f : w.findChildren<TEditD*>())
    s.Fields << QStringLiteral("%1=%2|%3|%4|%5")
                    .arg(f->objectName(), f->text())
                    .arg(f->K(), 0, 'g', 15)
                    .arg(f->isReadOnly())
                    .arg(f->Color());
  for (TComboBoxU* u : w.findChildren<TComboBoxU*>())
    s.Units << u->objectName() + "=" + QString::number(u->currentIndex());
  for (const char* name :
       {"AfD", "fpercentD", "PTD", "MethodD", "ACLMethodD", "CalcBasis", "ServiceD"})
    s.Other << w.Control<QComboBox>(name)->currentText();
  for (const char* name : {"CalKf", "CalKp"})
    s.Other << QString::number(w.Control<QCheckBox>(name)->isChecked());
  for (const char* name : {"ProjectD", "DevicenameD", "Edit4"})
    s.Other << w.Control<QLineEdit>(name)->text();
  s.Other << w.Control<QTextEdit>("CommentD")->toPlainText();
  return s;
}

QStringList RecentEntries(TFormVELM& w) {
  QStringList paths;
  for (QAction* a : w.MFile()->actions())
    if (IsRecentFileAction(a)) paths << a->data().toString();
  return paths;
}

QAction* RecentEntry(TFormVELM& w, const QString& path) {
  for (QAction* a : w.MFile()->actions())
    if (IsRecentFileAction(a) && a->data().toString() == path) return a;
  return nullptr;
}

QByteArray ReadBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class TFileCommandsTest : public QObject {
  Q_OBJECT

  QTemporaryDir FDir;
  std::unique_ptr<TFormVELM> FWindow;
  QStringList FErrors;
  QList<int> FAnswers;       // answers to the unsaved-changes question, in turn
  int FQuestions = 0;        // times it was asked
  QStringList FOpenChoices;  // what the open dialog returns, in turn ("" = cancel)
  QStringList FSaveChoices;  // what the save dialog returns, in turn ("" = cancel)
  QStringList FSaveTitles;   // titles the save dialog was shown with
  int FOpenDialogs = 0;
  QStringList FDialogDirs;  // start directories of the open and save dialogs, in turn

  QString Path(const QString& name) const { return FDir.filePath(name); }
  QString RecentFile() const { return Path("velm.opt"); }
  // The caption the title shows: the window title without the unsaved mark's placeholder, which
  // must end it.
  QString Caption() const {
    QString title = FWindow->windowTitle();
    if (!title.endsWith(QStringLiteral("[*]"))) return QStringLiteral("(no unsaved mark) ") + title;
    title.chop(3);
    return title;
  }

  TFormVELMSetup Setup(const QString& commandLine = {}) {
    TFormVELMSetup setup;
    setup.PackingFile = QStringLiteral(VELM_PACKINGS);
    setup.ErrorBox = [this](QWidget*, const QString& t) { FErrors << t; };
    setup.MessageBox = [](QWidget*, const QString&) {};
    setup.AskSaveBox = [this](QWidget*) {
      ++FQuestions;
      return FAnswers.isEmpty() ? int(QMessageBox::Cancel) : FAnswers.takeFirst();
    };
    setup.OpenDialog = [this](QWidget*, const QString& dir) {
      ++FOpenDialogs;
      FDialogDirs << dir;
      return FOpenChoices.isEmpty() ? QString() : FOpenChoices.takeFirst();
    };
    setup.SaveDialog = [this](QWidget*, const QString& title, const QString& dir, const QString&) {
      FSaveTitles << title;
      FDialogDirs << dir;
      return FSaveChoices.isEmpty() ? QString() : FSaveChoices.takeFirst();
    };
    setup.RecentFilesFile = RecentFile();
    setup.CommandLineFile = commandLine;
    return setup;
  }

  void Start(const QString& commandLine = {}) {
    FWindow.reset();
    FWindow = std::make_unique<TFormVELM>(nullptr, Setup(commandLine));
    FWindow->resize(1366, 768);
    FWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(FWindow.get()));
    FWindow->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(FWindow.get()));
  }

  TEditD* Field(const char* name) { return FWindow->Control<TEditD>(QString::fromLatin1(name)); }
  QAction* Action(const char* name) {
    return FWindow->findChild<QAction*>(QString::fromLatin1(name));
  }

  void Type(const char* name, const QString& text) {
    TEditD* f = Field(name);
    QVERIFY2(f, name);
    f->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(f->hasFocus());
    QTest::keyClick(f, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(f, text);
    QTest::keyClick(f, Qt::Key_Tab);
  }
  void PickUnit(const char* selector, const QString& unit) {
    auto* u = FWindow->Control<TComboBoxU>(QString::fromLatin1(selector));
    for (int i = 0; i < u->count(); ++i) {
      u->setCurrentIndex(i);
      if (u->GetUnit() == unit) {
        emit u->activated(i);
        return;
      }
    }
    QFAIL(qPrintable("no unit " + unit));
  }
  void Pick(const char* list, int index) {
    auto* box = FWindow->Control<QComboBox>(QString::fromLatin1(list));
    box->setCurrentIndex(index);
    emit box->activated(index);
  }

  // A benzene/toluene rectifying section, typed in plant units; m is derived from α.
  void TypeDesign() {
    PickUnit("LU", "kg/h");
    PickUnit("VU", "t/h");
    PickUnit("MlU", "cp");
    PickUnit("SLU", "dyn/cm");
    PickUnit("dU", "mm");
    Type("LD", "10500");
    Type("DlD", "812");
    Type("MlD", "0.29");
    Type("SLD", "21");
    Type("DlfD", "5.5e-9");
    Type("VD", "14");
    Type("DvD", "2.72");
    Type("MvD", "9e-6");
    Type("DvfD", "5e-6");
    Type("alfD", "2.45");
    Pick("ACLMethodD", 1);
    FWindow->Control<QLineEdit>("ProjectD")->setText(QStringLiteral("苯-甲苯分离"));
    FWindow->Control<QTextEdit>("CommentD")->setPlainText(QStringLiteral("第一行\n第二行"));
  }

  void Modify() {
    Type("LD", "5000");
    QVERIFY(Modified());
  }

 private slots:
  void initTestCase() { QVERIFY(FDir.isValid()); }

  void init() {
    FErrors.clear();
    FAnswers.clear();
    FQuestions = 0;
    FOpenChoices.clear();
    FSaveChoices.clear();
    FSaveTitles.clear();
    FOpenDialogs = 0;
    FDialogDirs.clear();
    QFile::remove(RecentFile());
    SetModified(false);
    SetNeedsRecalc(false);
    Start();
  }

  void cleanup() {
    FWindow.reset();
    SetModified(false);
  }

  void DesignSurvivesSaveNewAndOpen() {
    Pick("CalcBasis", 1);
    TypeDesign();
    QVERIFY(!Field("dD")->text().isEmpty());
    QCOMPARE(Field("meD")->Color(), 0x008080);  // derived from α (olive)
    QVERIFY(Field("meD")->isReadOnly());
    const TSnapshot typed = Snap(*FWindow);

    const QString file = Path("design.vlm");
    FSaveChoices << file;
    Action("BSaveas")->trigger();
    QCOMPARE(FSaveTitles, QStringList{"另存为"});
    QVERIFY(QFile::exists(file));
    QVERIFY(!Modified());
    QCOMPARE(FWindow->CurrentFile(), file);
    QCOMPARE(Caption(), "散堆填料塔流体力学-" + file);

    // New: the dialog first, then every value field is user input again, the results read-only.
    QVERIFY(Field("KfD")->isReadOnly());
    QTest::mouseClick(FWindow->Control<QCheckBox>("CalKf"), Qt::LeftButton);
    QVERIFY(!Field("KfD")->isReadOnly());
    SetModified(false);
    const QString fresh = Path("fresh.vlm");
    FSaveChoices << fresh;
    Action("MFile_New")->trigger();
    QCOMPARE(FSaveTitles.last(), QString("新建"));
    QCOMPARE(FWindow->CurrentFile(), fresh);
    QVERIFY(!QFile::exists(fresh));  // on disk only once saved
    QVERIFY(Modified());
    for (TEditD* f : FWindow->findChildren<TEditD*>())
      QVERIFY2(f->text().isEmpty(), qPrintable(f->objectName()));
    QVERIFY(!Field("meD")->isReadOnly());
    QCOMPARE(Field("meD")->Color(), kColorWindow);
    QCOMPARE(Field("meD")->CursorNumber(), 0);
    for (const char* name : {"dD", "KfD", "HETPD", "FpD"}) {
      QVERIFY2(Field(name)->isReadOnly(), name);
      QCOMPARE(Field(name)->Color(), kColorBtnFace);
    }
    QVERIFY(FWindow->Control<QCheckBox>("CalKf")->isChecked());
    QVERIFY(FWindow->Control<QLineEdit>("ProjectD")->text().isEmpty());
    // The comment and the unit choices stay.
    QCOMPARE(FWindow->Control<QTextEdit>("CommentD")->toPlainText(), QString("第一行\n第二行"));
    QCOMPARE(FWindow->Control<TComboBoxU>("LU")->GetUnit(), QString("kg/h"));

    FAnswers << QMessageBox::No;
    FOpenChoices << file;
    Action("BOpen")->trigger();
    QCOMPARE(FQuestions, 1);
    QCOMPARE(FWindow->CurrentFile(), file);
    QCOMPARE(Snap(*FWindow).Fields, typed.Fields);
    QCOMPARE(Snap(*FWindow).Units, typed.Units);
    QCOMPARE(Snap(*FWindow).Other, typed.Other);
    QVERIFY(!Modified());
    QVERIFY(!NeedsRecalc());
    FWindow->MFileClick();
    QVERIFY(!Action("MFile_Save")->isEnabled());
    QVERIFY(FErrors.isEmpty());
  }

  void SaveWritesToTheProjectFileWithoutAsking() {
    TypeDesign();
    const QString file = Path("named.vlm");
    FSaveChoices << file;
    FWindow->MFileClick();
    Action("MFile_Save")->trigger();  // no name yet: asks like save as
    QCOMPARE(FSaveTitles.size(), 1);
    QFile::remove(file);
    Modify();
    FWindow->MFileClick();  // the file menu opens: "&S 保存" is enabled while modified
    Action("MFile_Save")->trigger();
    QCOMPARE(FSaveTitles.size(), 1);
    QVERIFY(QFile::exists(file));
    QVERIFY(!Modified());
    // Save as always asks; cancelling it writes nothing and keeps the name.
    Modify();
    Action("MFile_Saveas")->trigger();
    QCOMPARE(FSaveTitles.size(), 2);
    QVERIFY(Modified());
    QCOMPARE(FWindow->CurrentFile(), file);
  }

  void UnsavedChangesQuestionAnswers() {
    Modify();
    // Cancel: nothing happens.
    FAnswers << QMessageBox::Cancel;
    Action("MFile_New")->trigger();
    QCOMPARE(FQuestions, 1);
    QVERIFY(FSaveTitles.isEmpty());
    QCOMPARE(Field("LD")->text(), QString("5000"));

    // Yes with no name and the save dialog cancelled: the work is kept and the command does
    // not go on to its own dialog.
    FAnswers << QMessageBox::Yes;
    Action("BOpen")->trigger();
    QCOMPARE(FSaveTitles, QStringList{"保存"});
    QCOMPARE(FOpenDialogs, 0);
    QCOMPARE(Field("LD")->text(), QString("5000"));
    QVERIFY(Modified());

    // Yes and the save goes through: then the command goes on.
    const QString saved = Path("asked.vlm");
    FAnswers << QMessageBox::Yes;
    FSaveChoices << saved;
    Action("BOpen")->trigger();
    QVERIFY(QFile::exists(saved));
    QCOMPARE(FOpenDialogs, 1);

    // No: goes on without saving. Nothing modified: no question at all.
    Modify();
    FAnswers << QMessageBox::No;
    FSaveChoices << Path("no.vlm");
    Action("BNew")->trigger();
    QCOMPARE(FQuestions, 4);
    QCOMPARE(FWindow->CurrentFile(), Path("no.vlm"));
    QVERIFY(Field("LD")->text().isEmpty());
    SetModified(false);
    FSaveChoices << Path("quiet.vlm");
    Action("BNew")->trigger();
    QCOMPARE(FQuestions, 4);
    QCOMPARE(FWindow->CurrentFile(), Path("quiet.vlm"));
  }

  void FailedSaveIsReportedAndKeepsTheWork() {
    TypeDesign();
    const QString good = Path("kept.vlm");
    FSaveChoices << good;
    Action("BSaveas")->trigger();
    const QByteArray before = ReadBytes(good);
    QVERIFY(!before.isEmpty());
    const QString caption = Caption();

    Modify();
    const QString bad = QStringLiteral("/dev/null/x.vlm");
    FSaveChoices << bad;
    Action("BSaveas")->trigger();
    QCOMPARE(FErrors.size(), 1);
    QVERIFY2(FErrors[0].contains("x.vlm"), qPrintable(FErrors[0]));
    QVERIFY(Modified());
    QCOMPARE(FWindow->CurrentFile(), good);
    QCOMPARE(Caption(), caption);
    QVERIFY(!RecentEntries(*FWindow).contains(bad));
    QCOMPARE(ReadBytes(good), before);
  }

  void CloseAsksAndOnlyAClosingWindowWritesTheList() {
    const QString a = Path("a.vlm");
    FSaveChoices << a;
    TypeDesign();
    Action("BSaveas")->trigger();
    Modify();

    FAnswers << QMessageBox::Cancel;
    QVERIFY(!FWindow->close());
    QVERIFY(FWindow->isVisible());
    QVERIFY(!QFile::exists(RecentFile()));

    // Yes saves into the project file, then the window closes and writes the list.
    QFile::remove(a);
    FAnswers << QMessageBox::Yes;
    QVERIFY(FWindow->close());
    QVERIFY(QFile::exists(a));
    QCOMPARE(ReadBytes(RecentFile()),
             QByteArray(Utf8ToGb("9\r\n1\r\n" + a.toStdString() + "\r\n").c_str()));
  }

  void CloseIsAbandonedWhenTheAskedForSaveFails() {
    Modify();
    FAnswers << QMessageBox::Yes;
    FSaveChoices << QStringLiteral("/dev/null/x.vlm");
    QVERIFY(!FWindow->close());
    QVERIFY(FWindow->isVisible());
    QCOMPARE(FErrors.size(), 1);
    QVERIFY(Modified());
    QCOMPARE(Field("LD")->text(), QString("5000"));
    QVERIFY(!QFile::exists(RecentFile()));
  }

  void CaptionFollowsTheProject() {
    QCOMPARE(Caption(), kBlankCaption);
    // An open that fails leaves caption, name and list alone.
    FOpenChoices << Path("missing.vlm");
    Action("MFile_Open")->trigger();
    QCOMPARE(FErrors.size(), 1);
    QCOMPARE(Caption(), kBlankCaption);
    QVERIFY(FWindow->CurrentFile().isEmpty());
    QVERIFY(RecentEntries(*FWindow).isEmpty());

    FOpenChoices << QStringLiteral(VELM_EXAMPLES "/benzene-toluene-distillation.vlm");
    Action("MFile_Open")->trigger();
    QCOMPARE(Caption(), QStringLiteral("散堆填料塔流体力学-" VELM_EXAMPLES
                                       "/benzene-toluene-distillation.vlm"));
    // A caption without "-" becomes the path alone.
    FWindow->setWindowTitle(QStringLiteral("VELM"));
    FSaveChoices << Path("c.vlm");
    Action("BSaveas")->trigger();
    QCOMPARE(Caption(), Path("c.vlm"));
  }

  void TitleMarkFollowsModified() {
    // The title the window system shows: the caption, with "*" exactly while changes are unsaved.
    const auto shown = [this] { return FWindow->windowHandle()->title(); };
    QCOMPARE(shown(), kBlankCaption);
    Type("LD", "5000");
    QCOMPARE(shown(), kBlankCaption + "*");
    // A "[*]" in the file's name is shown as written, not taken for the mark.
    const QString file = Path("a[*]b.vlm");
    FSaveChoices << file;
    Action("BSave")->trigger();
    QCOMPARE(Caption(), "散堆填料塔流体力学-" + QString(file).replace("[*]", "[*][*]"));
    QCOMPARE(shown(), "散堆填料塔流体力学-" + file);
    PickUnit("LU", "kg/h");  // the unit selectors raise the flag through their own hook
    QCOMPARE(shown(), "散堆填料塔流体力学-" + file + "*");
    SetModified(false);
    QCOMPARE(shown(), "散堆填料塔流体力学-" + file);
    FWindow->Control<QLineEdit>("ProjectD")->setText(QStringLiteral("x"));
    QVERIFY(shown().endsWith("*"));
  }

  // Open A, fail to open B, save: A is on disk as it was, and nothing in the window moved.
  void FailedOpenChangesNothingAndSaveKeepsTheOldProject() {
    const QString a = Path("a.vlm");
    FOpenChoices << QStringLiteral(VELM_EXAMPLES "/air-water-absorber.vlm");
    Action("BOpen")->trigger();
    FSaveChoices << a;
    Action("BSaveas")->trigger();
    QVERIFY(FErrors.isEmpty());
    const QByteArray onDisk = ReadBytes(a);
    const TSnapshot before = Snap(*FWindow);
    const QString caption = Caption();
    const QStringList recent = RecentEntries(*FWindow);

    // A value that does not convert after a record that does; then files that are no project.
    const QString badValue = Path("bad-value.vlm");
    QFile f(badValue);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(
        "CFR File Format(Compatible Form Record File),by Orvik Talvsen.\r\n-\r\n-\r\n"
        "LD\r\nString\r\nText\r\n42\r\n-\r\n"
        "LD\r\nFloat\r\nk\r\nabc\r\n-\r\n");
    f.close();
    const QStringList bad = {badValue, QStringLiteral(VELM_PROJECT_DATA "/bad_bomb.vlm"),
                             QStringLiteral(VELM_PROJECT_DATA "/bad_json.vlm"),
                             QStringLiteral(VELM_PROJECT_DATA "/legacy_stops_after_ld.txt")};
    for (const QString& file : bad) {
      FErrors.clear();
      FOpenChoices << file;
      Action("BOpen")->trigger();
      QCOMPARE(FErrors.size(), 1);
      QVERIFY2(FErrors[0].contains(QFileInfo(file).fileName()), qPrintable(FErrors[0]));
      QVERIFY(Snap(*FWindow) == before);
      QCOMPARE(FWindow->CurrentFile(), a);
      QCOMPARE(Caption(), caption);
      QCOMPARE(RecentEntries(*FWindow), recent);
      QVERIFY(!Modified());
    }
    // Saving now writes project A as it was.
    SetModified(true);
    Action("BSave")->trigger();
    QCOMPARE(ReadBytes(a), onDisk);
  }

  // Records naming properties a project never stores: the window keeps its shape and works.
  void HostileRecordsCannotReshapeTheWindow() {
    FOpenChoices << QStringLiteral(VELM_PROJECT_DATA "/hostile_records.vlm");
    Action("BOpen")->trigger();
    QVERIFY2(FErrors.isEmpty(), qPrintable(FErrors.join('\n')));
    for (const char* name : {"MethodD", "AfD", "fpercentD", "ACLMethodD", "CalKf", "CalKp", "LD"})
      QVERIFY2(FWindow->Control<QWidget>(name), name);
    QCOMPARE(Field("LD")->text(), QString("18000"));
    QCOMPARE(Field("VD")->maxLength(), 32767);
    QVERIFY(!FWindow->Control<QLineEdit>("ProjectD")->isReadOnly());
    QVERIFY(FWindow->isEnabled());
    QVERIFY(FWindow->MMessages()->toPlainText().contains("10 条记录"));
    // The handlers that look controls up by name still find them.
    Pick("MethodD", 1);
    Pick("MethodD", 0);
    FWindow->Control<QCheckBox>("CalKf")->click();
    QVERIFY2(FErrors.isEmpty(), qPrintable(FErrors.join('\n')));
  }

  void RecentFilesInTheMenuAndTheirFile() {
    const QString a = QStringLiteral(VELM_EXAMPLES "/air-water-absorber.vlm");
    const QString b = QStringLiteral(VELM_EXAMPLES "/benzene-toluene-distillation.vlm");
    const QString c = QStringLiteral(VELM_EXAMPLES "/vacuum-ethylbenzene-styrene.vlm");
    for (const QString& p : {a, b, a, c}) {
      FOpenChoices << p;
      Action("BOpen")->trigger();
      QCOMPARE(FWindow->CurrentFile(), p);
    }
    QVERIFY(FErrors.isEmpty());
    QCOMPARE(RecentEntries(*FWindow), (QStringList{c, a, b}));
    QCOMPARE(FWindow->Files().RecentCount(), 3);
    // Between "&A 另存为" with its separator and "&E 结束", ended by one separator.
    const QList<QAction*> items = FWindow->MFile()->actions();
    QCOMPARE(items[4]->objectName(), QString("MFile_Saveas"));
    QVERIFY(items[5]->isSeparator());
    QCOMPARE(items[6]->text(), c);
    QVERIFY(items[9]->isSeparator());
    QCOMPARE(items[10]->objectName(), QString("MExit"));

    QVERIFY(FWindow->close());
    QCOMPARE(ReadBytes(RecentFile()),
             QByteArray(Utf8ToGb("9\r\n3\r\n" + b.toStdString() + "\r\n" + a.toStdString() +
                                 "\r\n" + c.toStdString() + "\r\n")
                            .c_str()));

    // The next start shows the same list; an entry opens its file without the dialog.
    Start();
    FOpenDialogs = 0;
    QCOMPARE(RecentEntries(*FWindow), (QStringList{c, a, b}));
    RecentEntry(*FWindow, b)->trigger();
    QCOMPARE(FOpenDialogs, 0);
    QCOMPARE(FWindow->CurrentFile(), b);
    QCOMPARE(FWindow->Control<QComboBox>("MethodD")->currentIndex(), 1);
    QTRY_COMPARE(RecentEntries(*FWindow), (QStringList{b, c, a}));
  }

  // The dialogs start in the current project's folder, else in the folder last chosen (at start:
  // that of the newest recent file), else in the documents folder; the recent files keep a
  // project opened by a relative path as an absolute one.
  void DialogsStartWhereTheUserWorksAndRecentPathsAreAbsolute() {
    QVERIFY(QDir(FDir.path()).mkpath("work"));
    const QString project = Path("work/a.vlm");
    QVERIFY(QFile::copy(QStringLiteral(VELM_EXAMPLES "/air-water-absorber.vlm"), project));
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);

    Action("BOpen")->trigger();  // cancelled
    QCOMPARE(FDialogDirs.takeLast(), QFileInfo(documents).isDir() ? documents : QDir::homePath());

    const QString before = QDir::currentPath();
    QDir::setCurrent(FDir.path());
    FOpenChoices << "work/a.vlm";
    Action("BOpen")->trigger();
    QDir::setCurrent(before);
    QCOMPARE(RecentEntries(*FWindow), QStringList{project});
    Action("BSaveas")->trigger();  // cancelled
    QCOMPARE(FDialogDirs.takeLast(), Path("work"));

    QVERIFY(FWindow->close());
    Start();
    Action("BOpen")->trigger();  // cancelled, no project yet: the newest recent file's folder
    QCOMPARE(FDialogDirs.takeLast(), Path("work"));
  }

  void RecentEntryOfADeletedFileIsDroppedWithAMessage() {
    const QString gone = Path("gone.vlm");
    QVERIFY(QFile::copy(QStringLiteral(VELM_EXAMPLES "/air-water-absorber.vlm"), gone));
    FOpenChoices << gone;
    Action("BOpen")->trigger();
    const QString kept = Path("kept-name.vlm");
    FSaveChoices << kept;
    Action("BSaveas")->trigger();
    QVERIFY(QFile::remove(gone));

    Modify();
    RecentEntry(*FWindow, gone)->trigger();
    QCOMPARE(FErrors.size(), 1);
    QVERIFY2(FErrors[0].contains("gone.vlm"), qPrintable(FErrors[0]));
    QCOMPARE(FQuestions, 0);  // nothing to open: no question about the unsaved changes
    QCOMPARE(FWindow->CurrentFile(), kept);
    QCOMPARE(Caption(), "散堆填料塔流体力学-" + kept);
    QTRY_COMPARE(RecentEntries(*FWindow), QStringList{kept});
  }

  void BrokenRecentFilesListIsReportedAndIgnored() {
    const QString project = QStringLiteral(VELM_EXAMPLES "/air-water-absorber.vlm");
    for (const QByteArray& list : {QByteArray("nine\r\n1\r\n/x.vlm\r\n"), QByteArray()}) {
      QFile f(RecentFile());
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(list);
      f.close();
      FErrors.clear();
      Start(project);
      QCOMPARE(FErrors.size(), 1);  // reported once
      QCOMPARE(RecentEntries(*FWindow), QStringList{project});
      QVERIFY(FWindow->Control<QComboBox>("PTD")->count() > 0);  // packings loaded
      QCOMPARE(FWindow->CurrentFile(), project);                 // the command line opened
      // Closing writes a sound list over the broken one.
      QVERIFY(FWindow->close());
      QVERIFY(ReadBytes(RecentFile()).startsWith("9\r\n1\r\n"));
    }
  }

  void CalcBasisRecalculatesAtOnceAndAProjectWithoutItOpensOnTheLiterature() {
    Start(QStringLiteral(VELM_EXAMPLES "/air-water-absorber.vlm"));
    auto* basis = FWindow->Control<QComboBox>("CalcBasis");
    QCOMPARE(basis->currentText(), QString("文献"));
    const QString hetp = Field("HETPD")->text();
    Pick("CalcBasis", 1);
    QVERIFY(Field("HETPD")->text() != hetp);
    QVERIFY(Modified());
    // The service likewise recalculates and judges the pressure drop by its range.
    auto* service = FWindow->Control<QComboBox>("ServiceD");
    QCOMPARE(service->currentIndex(), 0);
    Pick("ServiceD", 2);  // vacuum distillation: 82-163 Pa/m
    bool high = false;
    for (const auto& f : FWindow->Findings()) high = high || f.Code == "pressure-drop-high";
    QVERIFY(high);
    SetModified(false);
    // A legacy-format file stores neither basis nor service.
    FOpenChoices << QStringLiteral(VELM_EXAMPLES "/vacuum-ethylbenzene-styrene.vlm");
    Action("BOpen")->trigger();
    QCOMPARE(basis->currentIndex(), 0);
    QCOMPARE(service->currentIndex(), 0);
    QVERIFY(FErrors.isEmpty());
  }

  void CommandLineProjectOpensWithoutTheDialog() {
    const QString file = QStringLiteral(VELM_EXAMPLES "/vacuum-ethylbenzene-styrene.vlm");
    Start(file);
    QCOMPARE(FOpenDialogs, 0);
    QVERIFY(FErrors.isEmpty());
    QCOMPARE(FWindow->CurrentFile(), file);
    QVERIFY(Caption().endsWith(file));
    QVERIFY(FWindow->Files().PendingFile().isEmpty());
    QCOMPARE(Field("dD")->text(), QString("950"));
    QVERIFY(!Modified());
    // A later open shows the dialog again.
    Action("BOpen")->trigger();
    QCOMPARE(FOpenDialogs, 1);
    QCOMPARE(FWindow->CurrentFile(), file);
  }

  void BatchPrintsEveryFieldOfEachExample_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("plain") << "air-water-absorber.vlm"
                           << QStringList{"LD 液相质量流量 18000 kg/h",
                                          "meD 平衡线斜率 0.93 无量纲",
                                          "LmdD 参数λ 0.2325 无量纲",
                                          "dD 实际塔径 950 mm",  // 919 mm rounded up
                                          "UmD 饱和喷淋 154 %",
                                          "PTD 填料选择 28;塑料;25mm;鲍尔环",
                                          "MethodD 算法选择 Eckert-Orvik",
                                          "CalcBasis 计算依据 文献",
                                          "CalKf 计算泛点湿填料因子 1"};
    QTest::newRow("compressed") << "benzene-toluene-distillation.vlm"
                                << QStringList{"VD 气相质量流量 14 t/h",
                                               "alfD 相对挥发度 2.45 无量纲",
                                               "dD 实际塔径 1200 mm",  // 1115 mm rounded up
                                               "UfD 泛点气速 2.032986 m/s",
                                               "KpD 实验填料因子 66 1/m",
                                               "MethodD 算法选择 Kister-Orvik",
                                               "ACLMethodD 加速收敛算法 Orvik Talvsen"};
    QTest::newRow("legacy") << "vacuum-ethylbenzene-styrene.vlm"
                            << QStringList{"DvD 气相密度 0.484 kg/m3", "dD 实际塔径 950 mm",
                                           "UmD 饱和喷淋 111 %", "fpercentD 泛点预设 75",
                                           "ACLMethodD 加速收敛算法 OTV2"};
  }

  void BatchPrintsEveryFieldOfEachExample() {
    QFETCH(QString, file);
    QFETCH(QStringList, lines);
    QProcess p;
    p.start(QStringLiteral(VELM_EXE), {"--batch", QStringLiteral(VELM_EXAMPLES "/") + file});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
    const QStringList out =
        QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    // Fields, lists and boxes, then one line per finding.
    QVERIFY(out.size() >= 12 + 19 + 7 + 2);
    for (const QString& line : out.mid(12 + 19 + 7 + 2))
      QVERIFY2(line.startsWith("finding "), qPrintable(line));
    for (const QString& line : lines) QVERIFY2(out.contains(line), qPrintable(line));
    // Only Billet-Schultes gives the loading point: under the chart methods it has no value.
    for (const QString& line : out.mid(0, 31))
      QVERIFY2(line.split(' ').size() == 4 && (!line.contains(" - ") || line.startsWith("UlpD ") ||
                                               line.startsWith("fLoadD ")),
               qPrintable(line));
  }

  void BatchJsonHasTheSameFields() {
    QProcess p;
    p.start(
        QStringLiteral(VELM_EXE),
        {"--batch", QStringLiteral(VELM_EXAMPLES "/benzene-toluene-distillation.vlm"), "--json"});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    const QJsonObject doc = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    QVERIFY(doc.value("complete").toBool());
    const QJsonArray results = doc.value("results").toArray();
    QCOMPARE(results.size(), 19);
    for (const QJsonValue& v : results) {
      const QString name = v.toObject().value("name").toString();
      if (name == "UlpD" || name == "fLoadD") continue;  // given by Billet-Schultes only
      QVERIFY(!v.toObject().value("stale").toBool());
    }
    QVERIFY(doc.value("findings").isArray());
    QJsonObject d;
    for (const QJsonValue& v : results)
      if (v.toObject().value("name") == "dD") d = v.toObject();
    QCOMPARE(d.value("text").toString(), QString("1200"));
    QCOMPARE(d.value("unit").toString(), QString("mm"));
    QCOMPARE(d.value("si").toDouble(), 1.2);
    QCOMPARE(d.value("caption").toString(), QString("实际塔径"));
    QCOMPARE(doc.value("lists").toObject().value("MethodD").toString(), QString("Kister-Orvik"));
    QCOMPARE(doc.value("captions").toObject().value("MethodD").toString(), QString("算法选择"));
  }

  void BatchFailsLoudlyOnAMissingFile() {
    QProcess p;
    p.start(QStringLiteral(VELM_EXE), {"--batch", Path("nothing-here.vlm")});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 2);
    QVERIFY(p.readAllStandardOutput().isEmpty());
    QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains("nothing-here.vlm"));

    p.start(QStringLiteral(VELM_EXE), {"--batch"});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 2);
  }

  void BatchReportsAnIncompleteCalculation() {
    // A project whose liquid density is not a number: read, but the run cannot complete.
    QByteArray text = ReadBytes(QStringLiteral(VELM_EXAMPLES "/air-water-absorber.vlm"));
    text.replace("\r\nDlD\r\nString\r\nText\r\n998.2\r\n", "\r\nDlD\r\nString\r\nText\r\nabc\r\n");
    const QString broken = Path("broken.vlm");
    QFile f(broken);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
    f.close();
    QProcess p;
    p.start(QStringLiteral(VELM_EXE), {"--batch", broken});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 3);
    QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains("液相密度"));
    // The field's text was blanked by its failed read; the line still has its four parts. The
    // results stored in the file were not recalculated: they print as stale.
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    QVERIFY(out.contains("\nDlD 液相密度 - kg/m3\n"));
    QVERIFY(QRegularExpression("\ndD 实际塔径 \\S+ \\S+ stale\n").match(out).hasMatch());
  }

  // Files that are no project (a header alone is none) end the batch with 1 and the reason; a
  // project whose run stops early (here: nothing but its name, so every input is empty) with 3
  // and what stopped it.
  void BatchExitCodesForForeignFilesAndIncompleteRuns() {
    const QByteArray header =
        "CFR File Format(Compatible Form Record File),by Orvik Talvsen.\r\n-\r\n-\r\n";
    const QString headerOnly = Path("header-only.vlm");
    const QString nameOnly = Path("name-only.vlm");
    for (const auto& [path, bytes] :
         {std::pair(headerOnly, header),
          std::pair(nameOnly, header + "ProjectD\r\nString\r\nText\r\nx\r\n-\r\n")}) {
      QFile f(path);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(bytes);
    }
    const std::tuple<QString, int, QString> cases[] = {
        {QStringLiteral(VELM_PROJECT_DATA "/bad_json.vlm"), 1, "不是有效的项目文件"},
        {QStringLiteral(VELM_PROJECT_DATA "/bad_empty.vlm"), 1, "文件是空的"},
        {headerOnly, 1, "没有任何可读的记录"},
        {nameOnly, 3, "empty input LD"},
    };
    for (const auto& [file, code, message] : cases) {
      QProcess p;
      p.start(QStringLiteral(VELM_EXE), {"--batch", file, "--json"});
      QVERIFY(p.waitForFinished(60000));
      QCOMPARE(p.exitCode(), code);
      const QString err = QString::fromUtf8(p.readAllStandardError());
      QVERIFY2(err.contains(message), qPrintable(err));
      if (code == 3) {
        const QJsonObject doc = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
        QVERIFY(!doc.value("complete").toBool());
        QVERIFY(doc.value("error").toString().contains("empty input LD"));
      }
    }
  }
};

QTEST_MAIN(TFileCommandsTest)
#include "FileCommandsTest.moc"
