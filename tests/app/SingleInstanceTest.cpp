// The single-instance rule, in process (the lock itself) and with the real program started twice.
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "app/SingleInstance.h"

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
  void Start(QProcess& p) {
    p.setProcessEnvironment(Environment());
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(VELM_EXE, {});
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

    QProcess second;
    Start(second);
    QVERIFY(second.waitForFinished(5000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(first.state(), QProcess::Running);
    Stop(first);
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

QTEST_GUILESS_MAIN(TSingleInstanceTest)
#include "SingleInstanceTest.moc"
