// The single-instance rule, in process (the lock itself) and with the real program started twice;
// the hand-over of a later start's project to the running window.
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QLocalSocket>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "app/MainWindow.h"
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
  void initTestCase() {
    QVERIFY(FTmp.isValid());
    // The lock of the in-process cases lives in this test's own private folder.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(FTmp.path()));
  }

  // The lock and the socket live where no other user can reach them: the runtime folder when
  // it is private, else a private folder made in the temporary folder. A runtime folder open
  // to others, or a link planted in the private folder's place, is not used.
  void LockLivesInAPrivateFolder() {
    QTemporaryDir tmp;
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR"), temp = qgetenv("TMPDIR");
    const QString open = tmp.filePath("open");
    QVERIFY(QDir().mkdir(open));
    QVERIFY(::chmod(QFile::encodeName(open).constData(), 0777) == 0);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(open));
    qputenv("TMPDIR", QFile::encodeName(tmp.path()));
    const QString own = tmp.filePath(QStringLiteral("velm-%1").arg(::getuid()));
    const QString folder = TSingleInstance::PrivateFolder();
    struct stat st {};
    const bool made = ::stat(QFile::encodeName(own).constData(), &st) == 0;
    QVERIFY(QDir(own).rmdir(own));
    QVERIFY(QFile::link(open, own));
    const QString planted = TSingleInstance::PrivateFolder();
    qputenv("XDG_RUNTIME_DIR", runtime);
    qputenv("TMPDIR", temp);
    QCOMPARE(folder, own);
    QVERIFY(made && (st.st_mode & 077) == 0);
    QCOMPARE(planted, QString());
  }

  // A lock file without content (left by a crash while it was written, or planted) does not
  // keep the program from starting for ever.
  void EmptyLockIsTakenOver() {
    const QString path = TSingleInstance::LockFilePath("VELMEmptyLock");
    {
      QFile f(path);
      QVERIFY(f.open(QIODevice::WriteOnly));
      QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                            QFileDevice::FileModificationTime));
    }
    TSingleInstance instance("VELMEmptyLock");
    QVERIFY(instance.TryAcquire());
  }

  // Idle connections beyond the bound, and a sender announcing a huge message, neither stop
  // the channel nor keep it busy: the next hand-over still arrives.
  void ChannelSurvivesIdleAndOversizedSenders() {
    TSingleInstance running("VELMChannel");
    QVERIFY(running.TryAcquire());
    QStringList received;
    QVERIFY(running.Listen([&received](const QString& m) { received << m; }));
    std::vector<std::unique_ptr<QLocalSocket>> idle;
    for (int i = 0; i < TSingleInstance::kMaxConnections + 8; ++i) {
      idle.push_back(std::make_unique<QLocalSocket>());
      idle.back()->connectToServer(TSingleInstance::SocketPath("VELMChannel"));
    }
    idle.front()->write(QByteArray("\x7f\xff\xff\xff", 4));  // 2 GB of text to come
    std::atomic<int> sent{-1};
    std::thread sender(
        [&sent] { sent = TSingleInstance::SendToRunning("VELMChannel", "p.vlm", 15000); });
    QTRY_VERIFY_WITH_TIMEOUT(sent != -1, 20000);
    sender.join();
    QCOMPARE(sent.load(), 1);
    QTRY_COMPARE(received, QStringList{"p.vlm"});
  }

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
    QVERIFY(
        running.Listen([&window](const QString& path) { window.Files().OpenHandedOver(path); }));
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
    QVERIFY(window.Files().PendingFile().isEmpty());

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
