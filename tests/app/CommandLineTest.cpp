// The command line of both programs, as a script or a desktop launcher meets it: help and version
// answer without a display, and a wrong command line is refused with exit code 2 before anything
// opens.
#include <sys/stat.h>

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "base/VelmVersion.h"

class TCommandLineTest : public QObject {
  Q_OBJECT

  QTemporaryDir FTmp;

  // No display of any kind, and nothing that would let Qt find one.
  QProcessEnvironment Headless() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
    env.insert("TMPDIR", FTmp.path());
    env.insert("XDG_CONFIG_HOME", FTmp.path());
    return env;
  }

 private slots:
  void initTestCase() {
    QVERIFY(FTmp.isValid());
    QCOMPARE(::mkfifo(QFile::encodeName(FTmp.filePath("pipe.vlm")).constData(), 0600), 0);
  }

  void Answers_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("out");  // expected in standard output
    QTest::addColumn<QString>("err");  // expected in standard error ("" = must be empty)
    const QString velm = QStringLiteral(VELM_EXE);
    const QString calc = QStringLiteral(VELM_CALC);
    const QString version =
        QStringLiteral("%1 (commit %2)")
            .arg(QLatin1String(velm::kVelmVersion), QLatin1String(velm::kVelmCommit));
    const QString example = QStringLiteral(VELM_EXAMPLES "/air-water-absorber.vlm");
    QTest::newRow("help") << velm << QStringList{"--help"} << 0 << "usage: velm"
                          << "";
    QTest::newRow("help names the outputs") << velm << QStringList{"--help"} << 0 << "--pdf OUT"
                                            << "";
    QTest::newRow("help wins") << velm << QStringList{"--frob", "-h"} << 0 << "--batch"
                               << "";
    QTest::newRow("version") << velm << QStringList{"--version"} << 0 << "velm " + version << "";
    QTest::newRow("calc version") << calc << QStringList{"--version"} << 0 << "velm-calc " + version
                                  << "";
    QTest::newRow("unknown option") << velm << QStringList{"--frob"} << 2 << ""
                                    << "unknown option \"--frob\"";
    QTest::newRow("missing project") << velm << QStringList{"no/such.vlm"} << 2 << ""
                                     << "no such project file \"no/such.vlm\"";
    QTest::newRow("missing project, batch")
        << velm << QStringList{"--batch", "no/such.vlm"} << 2 << ""
        << "no such project file \"no/such.vlm\"";
    QTest::newRow("folder as project") << velm << QStringList{FTmp.path()} << 2 << ""
                                       << "is a folder";
    // A named pipe is refused before anything could wait on it.
    QTest::newRow("pipe as project") << velm << QStringList{FTmp.filePath("pipe.vlm")} << 2 << ""
                                     << "命名管道";
    QTest::newRow("pipe as project, batch")
        << velm << QStringList{"--batch", FTmp.filePath("pipe.vlm")} << 2 << ""
        << "命名管道";
    QTest::newRow("two projects") << velm << QStringList{example, example} << 2 << ""
                                  << "more than one project";
  }
  void Answers() {
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QProcess p;
    p.setProcessEnvironment(Headless());
    p.start(program, arguments);
    QVERIFY(p.waitForFinished(30000));
    const QString stdOut = QString::fromUtf8(p.readAllStandardOutput());
    const QString stdErr = QString::fromUtf8(p.readAllStandardError());
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QTEST(p.exitCode(), "code");
    if (out.isEmpty())
      QVERIFY2(stdOut.isEmpty(), qPrintable(stdOut));
    else
      QVERIFY2(stdOut.contains(out), qPrintable(stdOut));
    if (err.isEmpty())
      QVERIFY2(stdErr.isEmpty(), qPrintable(stdErr));
    else
      QVERIFY2(stdErr.contains(err), qPrintable(stdErr));
  }
};

QTEST_GUILESS_MAIN(TCommandLineTest)
#include "CommandLineTest.moc"
