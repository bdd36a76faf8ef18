// The window's small parts: program paths, where shipped and per-user files live, the status bar
// with its progress bar, the about window.
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/AboutDialog.h"
#include "app/ProgramPaths.h"
#include "app/StatusBar.h"

using velm::TMyAppConst;
using velm::TMyStatusBar;

class TWindowPartsTest : public QObject {
  Q_OBJECT

 private slots:
  void ProgramPathsDropTheExtensionAndTheTrailingSeparator_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("pathName");
    QTest::newRow("no extension") << "/opt/velm/bin/velm"
                                  << "/opt/velm/bin"
                                  << "/opt/velm/bin/velm";
    QTest::newRow("one extension") << "/opt/velm/VELM.exe"
                                   << "/opt/velm"
                                   << "/opt/velm/VELM";
    QTest::newRow("only the last suffix") << "/a/velm.2017.exe"
                                          << "/a"
                                          << "/a/velm.2017";
    QTest::newRow("dot directory") << "/a.b/velm"
                                   << "/a.b"
                                   << "/a.b/velm";
    QTest::newRow("root") << "/velm.bin"
                          << "/"
                          << "/velm";
  }
  void ProgramPathsDropTheExtensionAndTheTrailingSeparator() {
    QFETCH(QString, program);
    const TMyAppConst c(program);
    QTEST(c.Mypath(), "path");
    QTEST(c.MypathName(), "pathName");
  }

  // Shipped files beside the program in a build folder or portable copy, in PREFIX/share/velm
  // when installed; the recent-files list beside a portable program, else in the user's
  // configuration folder (never in /usr/bin).
  void ShippedAndPerUserFilesFollowTheLayout_data() {
    QTest::addColumn<QString>("program");  // relative to a scratch root
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("userFile");  // "CONFIG/" stands for the configuration folder
    QTest::newRow("build folder") << "build/app/velm" << QStringList{"build/app"} << "build/app"
                                  << "build/app/velm.opt";
    QTest::newRow("installed") << "usr/bin/velm" << QStringList{"usr/bin", "usr/share/velm"}
                               << "usr/share/velm"
                               << "CONFIG/velm/velm.opt";
    QTest::newRow("portable copy in a bin folder")
        << "home/u/bin/velm" << QStringList{"home/u/bin"} << "home/u/bin"
        << "home/u/bin/velm.opt";
  }
  void ShippedAndPerUserFilesFollowTheLayout() {
    QFETCH(QString, program);
    QFETCH(QStringList, folders);
    QTemporaryDir root, config;
    QVERIFY(root.isValid() && config.isValid());
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    for (const QString& f : folders) QVERIFY(QDir(root.path()).mkpath(f));
    const TMyAppConst c(root.filePath(program));
    QFETCH(QString, data);
    QCOMPARE(c.DataPath(), root.filePath(data));
    QFETCH(QString, userFile);
    const QString expected =
        userFile.startsWith("CONFIG/") ? config.path() + userFile.mid(6) : root.filePath(userFile);
    QCOMPARE(c.UserFile(".opt"), expected);
  }

  void RunningProgramPathIsItsDirectory() {
    const TMyAppConst c;
    QCOMPARE(c.Mypath(), QCoreApplication::applicationDirPath());
    QVERIFY(!c.Mypath().endsWith('/'));
    QVERIFY(c.MypathName().startsWith(c.Mypath() + '/'));
  }

  void StatusBarHasThreePanelsAndTheBarOverTheLast() {
    QWidget window;
    window.resize(600, 100);
    auto* bar = new TMyStatusBar(&window);
    bar->setGeometry(0, 70, 600, 30);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QCOMPARE(bar->PanelCount(), 3);
    QCOMPARE(bar->PIndex(), 2);
    QCOMPARE(bar->property("PIndex").toInt(), 2);
    QCOMPARE(bar->PanelStyle(2), TMyStatusBar::TPanelStyle::OwnerDraw);
    QCOMPARE(bar->PanelStyle(0), TMyStatusBar::TPanelStyle::Text);
    QProgressBar* progress = bar->findChild<QProgressBar*>("ProgressBar");
    QVERIFY(progress);
    QCOMPARE(progress, bar->ProgressBar());

    // The last panel: grown by one pixel left, up and down, 12 pixels narrower on the right.
    const QRect panel = bar->Panel(2)->geometry();
    QTRY_VERIFY(progress->isVisible());
    QCOMPARE(progress->geometry(), QRect(QPoint(panel.left() - 1, panel.top() - 1),
                                         QPoint(panel.right() - 12, panel.bottom() + 1)));

    bar->SetPanelText(0, "L=1 V=2");
    QCOMPARE(bar->PanelText(0), QString("L=1 V=2"));
  }

  void StatusBarMovesTheBarToAnotherPanelAndIgnoresBadIndexes() {
    QWidget window;
    window.resize(600, 100);
    auto* bar = new TMyStatusBar(&window);
    bar->setGeometry(0, 70, 600, 30);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    for (int bad : {-1, 3, 99}) {
      bar->SetPIndex(bad);
      QCOMPARE(bar->PIndex(), 2);
    }
    bar->SetPIndex(0);
    QCOMPARE(bar->PIndex(), 0);
    QCOMPARE(bar->PanelStyle(0), TMyStatusBar::TPanelStyle::OwnerDraw);
    QCOMPARE(bar->PanelStyle(2), TMyStatusBar::TPanelStyle::Text);
    // Not the last panel: no narrowing on the right.
    const QRect panel = bar->Panel(0)->geometry();
    QTRY_VERIFY(bar->ProgressBar()->isVisible());
    QCOMPARE(bar->ProgressBar()->geometry(), panel.adjusted(-1, -1, 0, 1));
  }

  void AboutWindowShowsTheVersionLineAndClosesOnOk() {
    velm::TFormAbout about;
    QVERIFY(!about.isVisible());
    QLabel* line = nullptr;
    for (QLabel* l : about.findChildren<QLabel*>())
      if (l->text() == QString("散堆填料塔流体力学(VELM)4.2版")) line = l;
    QVERIFY(line);
    QVERIFY(line->font().bold());
    QCOMPARE(line->palette().color(QPalette::WindowText), QColor(Qt::red));

    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QPushButton* ok = about.findChild<QPushButton*>("OKButton");
    QVERIFY(ok);
    QCOMPARE(ok->text(), QString("确定"));
    QTest::mouseClick(ok, Qt::LeftButton);
    QVERIFY(!about.isVisible());
    QCOMPARE(about.result(), int(QDialog::Accepted));
  }
};

QTEST_MAIN(TWindowPartsTest)
#include "WindowPartsTest.moc"
