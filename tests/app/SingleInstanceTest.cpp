// The single-instance rule, in process (the lock itself) and with the real program started twice;
// the hand-over of a later start's project to the running window.
#include <QDir>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "app/SingleInstance.h"
#include "app/UnitMain.h"

using velm::TSingleInstance;

class TSingleInstanceTest : public QObject {
  Q_OBJECT

 private:
  // A private TMPDIR and HOME, so that a program running on the machine does not interfere.
  QTemporaryDir FTmp;

  QProcessEnvironment Environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TMPDIR", FTmp.path());
    env.insert("HOME", FTmp.path());
    env.insert("XDG_RUNTIME_DIR", FTmp.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.remove("VELM_SCREENSHOT_DIR");
    return env;
  }
  bool LockFileExists() const {
    return !QDir(FTmp.path()).entryList({"VELMClient-*.lock"}, QDir::Files).isEmpty();
  }
  void Start(QProcess& p, const QStringList& arguments = {}) {
    p.setProcessEnvironment(Environment());
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(VELM_EXE, arguments);
    QVERIFY(p.waitForStarted(10000));
  }
  void Stop(QProcess& p) {
    if (p.state() != QProcess::NotRunning) {
      p.kill();
      p.waitForFinished(10000);
    }
  }

 private slots:
  void initTestCase() { QVERIFY(FTmp.isValid()); }

  void SecondLockFailsWhileTheFirstIsHeld() {
    qputenv("TMPDIR", FTmp.path().toLocal8Bit());
    {
      TSingleInstance first("VELMTestLock");
      QVERIFY(first.TryAcquire());
      QVERIFY(first.TryAcquire());  // asking again keeps the lock
      TSingleInstance second("VELMTestLock");
      QVERIFY(!second.TryAcquire());
      QVERIFY(!second.IsHeld());
      QVERIFY(TSingleInstance::LockFilePath("VELMTestLock").startsWith(FTmp.path() + "/"));
    }
    // Released with its holder.
    TSingleInstance third("VELMTestLock");
    QVERIFY(third.TryAcquire());
  }

  void SecondStartEndsAtOnceWithCodeZeroWhileTheFirstRuns() {
    QProcess first;
    Start(first);
    QTRY_VERIFY_WITH_TIMEOUT(LockFileExists(), 10000);

    // Without a project and with one: both are handed over (code 0 means the running
    // instance confirmed).
    for (const QStringList& arguments :
         {QStringList{}, QStringList{QStringLiteral(VELM_EXAMPLES "/air-water-absorber.vlm")}}) {
      QProcess second;
      Start(second, arguments);
      QVERIFY(second.waitForFinished(15000));
      QCOMPARE(second.exitStatus(), QProcess::NormalExit);
      QCOMPARE(second.exitCode(), 0);
    }
    QCOMPARE(first.state(), QProcess::Running);
    Stop(first);
  }

  // This test process is the running window; the real program started with a relative path
  // hands the project over. The window asks about unsaved changes first: Cancel keeps the
  // current project, No opens the handed-over one.
  void HandedOverProjectOpensInTheRunningWindowAfterTheQuestion() {
    qputenv("TMPDIR", FTmp.path().toLocal8Bit());
    TSingleInstance running(QStringLiteral("VELMClient"));
    QVERIFY(running.TryAcquire());
    QList<int> answers{QMessageBox::Cancel, QMessageBox::No};
    int questions = 0;
    velm::TFormVELMSetup setup;
    setup.PackingFile = QStringLiteral(VELM_PACKINGS);
    setup.UseRecentFiles = false;
    setup.ErrorBox = [](QWidget*, const QString& text) { QFAIL(qPrintable(text)); };
    setup.MessageBox = [](QWidget*, const QString&) {};
    setup.AskSaveBox = [&](QWidget*) {
      ++questions;
      return answers.takeFirst();
    };
    velm::TFormVELM window(nullptr, setup);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(running.Listen([&window](const QString& path) { window.OpenHandedOver(path); }));
    velm::SetModified(true);

    auto handOver = [this](const QString& relative) {
      QProcess second;
      second.setWorkingDirectory(QStringLiteral(VELM_EXAMPLES));
      Start(second, {relative});
      // The event loop must run for the window to answer.
      QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 15000);
      QCOMPARE(second.exitCode(), 0);
    };
    handOver(QStringLiteral("air-water-absorber.vlm"));
    QTRY_COMPARE(questions, 1);
    QVERIFY(window.CurrentFile().isEmpty());
    QVERIFY(window.PendingFile().isEmpty());

    handOver(QStringLiteral("benzene-toluene-distillation.vlm"));
    const QString expected =
        QDir(QStringLiteral(VELM_EXAMPLES)).absoluteFilePath("benzene-toluene-distillation.vlm");
    QTRY_COMPARE(window.CurrentFile(), expected);
    QCOMPARE(questions, 2);
    QVERIFY(!velm::Modified());
  }

  void KilledHolderDoesNotBlockTheNextStart() {
    QProcess first;
    Start(first);
    QTRY_VERIFY_WITH_TIMEOUT(LockFileExists(), 10000);
    Stop(first);  // killed: the lock file stays behind
    QVERIFY(LockFileExists());

    QProcess next;
    Start(next);
    // The new instance takes the lock over and keeps running.
    QVERIFY(!next.waitForFinished(1500));
    QCOMPARE(next.state(), QProcess::Running);
    Stop(next);
  }
};

QTEST_MAIN(TSingleInstanceTest)
#include "SingleInstanceTest.moc"
