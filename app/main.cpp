// Program entry: the command line, one instance per user (a later start hands its project to the
// running window), the Chinese standard dialogs, a CJK application font, the hidden about window
// and the main window, maximised.
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QLibraryInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>
#include <iostream>
#include <optional>

#include "app/AboutDialog.h"
#include "app/Application.h"
#include "app/Batch.h"
#include "app/CommandLine.h"
#include "app/HelpCommands.h"
#include "app/HelpScreenshots.h"
#include "app/MainWindow.h"
#include "app/SingleInstance.h"
#include "base/VelmVersion.h"
#include "report/SheetPrinter.h"
#include "report/SpreadsheetReport.h"
#include "simulators/SimulatorServers.h"

namespace {

// Pictures of every page for checking the layout by eye (VELM_SCREENSHOT_DIR=dir): the window
// is given the whole screen (there may be no window manager to maximise it), each page is
// grabbed into dir/page-N.png, then the program ends.
void ScheduleScreenshots(velm::TFormVELM& window, velm::TFormAbout& about, const QString& dir) {
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    window.setGeometry(screen->availableGeometry());
  QTimer::singleShot(500, &window, [&window, &about, dir] {
    QDir().mkpath(dir);
    QTabWidget* pages = window.PageControlMain();
    for (int i = 0; i < pages->count(); ++i) {
      pages->setCurrentIndex(i);
      QApplication::processEvents();
      window.grab().save(QDir(dir).filePath(QStringLiteral("page-%1.png").arg(i)));
    }
    // The blocks below the diagrams, whole (the page shows them only when scrolled to).
    for (const char* name : {"ColumnD", "AnalysisPanel"})
      if (QWidget* block = window.findChild<QWidget*>(QString::fromLatin1(name)))
        block->grab().save(QDir(dir).filePath(QString::fromLatin1(name) + QStringLiteral(".png")));
    pages->setCurrentIndex(0);
    // The file menu, open, with its shortcuts.
    const QList<QAction*> menus = window.menuBar()->actions();
    if (QMenu* file = menus.isEmpty() ? nullptr : menus.first()->menu()) {
      file->popup(window.mapToGlobal(QPoint(0, window.menuBar()->height())));
      QApplication::processEvents();
      file->grab().save(QDir(dir).filePath(QStringLiteral("menu-file.png")));
      file->hide();
    }
    velm::SaveHelpScreenshots(window, dir);
    about.show();
    QApplication::processEvents();
    about.grab().save(QDir(dir).filePath(QStringLiteral("about.png")));
    QApplication::quit();
  });
}

}  // namespace

int main(int argc, char** argv) {
  // Help, the version and a wrong command line are answered before Qt looks for a display.
  const velm::TCommandLine commandLine =
      velm::ParseCommandLine(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
  switch (commandLine.Mode) {
    case velm::TCommandLine::TMode::Help:
      std::cout << velm::CommandLineUsage();
      return 0;
    case velm::TCommandLine::TMode::Version:
      std::cout << "velm " << velm::kVelmVersion << " (commit " << velm::kVelmCommit << ")\n";
      return 0;
    case velm::TCommandLine::TMode::Error:
      std::cerr << "velm: " << commandLine.Error << "\n(velm --help shows the usage)\n";
      return 2;
    default:
      break;
  }
  // The batch mode shows no window and may run beside the window or with no display at all.
  const bool batch = commandLine.Mode == velm::TCommandLine::TMode::Batch;
  // Values and findings alone need neither widgets nor an application object, whose start
  // would cost most of the run.
  if (batch && !velm::BatchWritesFiles(argc, argv)) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    return velm::RunBatch(arguments);
  }
  // Written files (report, PDF, chart) need pictures: the offscreen platform, no single-instance
  // lock. A script's environment often has no runtime folder; the batch mode gives Qt a private
  // one (removed at the end) rather than a warning on standard error, where it reports problems.
  std::optional<QTemporaryDir> runtime;
  if (batch) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
      runtime.emplace();
      if (runtime->isValid()) qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime->path()));
    }
  }
  velm::TApplication app(argc, argv);
  // The spreadsheet's version decides the report's file extensions; without a spreadsheet the
  // program cannot make reports and ends after saying so.
  if (!batch) {
    velm::SetMyXlsMessage([](const std::string& text) {
      QMessageBox::warning(nullptr, QStringLiteral("散堆填料塔流体力学"),
                           QString::fromStdString(text));
    });
  }
  if (!velm::MyXlsStart()) return 1;
  velm::InstallSheetPrinter();
  struct TFinish {
    ~TFinish() { velm::MyXlsFinish(); }
  } finish;
  if (batch) {
    QApplication::setApplicationName(QStringLiteral("散堆填料塔流体力学"));
    return velm::RunBatch(QApplication::arguments());
  }

  // The project named on the command line, absolute: the running window that may receive it
  // has another working folder, and the recent-files list keeps it.
  const QString project =
      commandLine.Project.empty()
          ? QString()
          : QFileInfo(QFile::decodeName(commandLine.Project.c_str())).absoluteFilePath();

  // Only one instance runs; a second start ends at once, without a window. The lock is held
  // until the process ends. The second start first hands its project (or, without one, the
  // wish to see the window) to the running instance; the running window comes to the front and
  // opens it.
  const QString lockName = QStringLiteral("VELMClient");
  velm::TSingleInstance instance(lockName);
  if (!instance.TryAcquire()) {
    if (velm::TSingleInstance::SendToRunning(lockName, project, 10000)) return 0;
    std::cerr << "velm: 程序已在运行，但在 10 秒内没有应答"
              << (project.isEmpty() ? std::string("")
                                    : "，项目“" + project.toStdString() + "”没有转交")
              << "\n";
    return 1;
  }

  // The title of the application (message boxes use it as their caption).
  QApplication::setApplicationName(QStringLiteral("散堆填料塔流体力学"));

  // Qt's own texts (是/否/取消 in message boxes, the file dialogs) in Chinese.
  QTranslator qtTranslator;
  if (qtTranslator.load(QStringLiteral("qtbase_zh_CN"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qtTranslator);

  // A font with Chinese glyphs, set explicitly so that every machine draws the same window.
  QFont font(QStringLiteral("WenQuanYi Micro Hei"), 9);
  font.setStyleHint(QFont::SansSerif);
  QApplication::setFont(font);

  // The automation servers that stand in for the simulators.
  velm::RegisterSimulatorServers();

  velm::TFormAbout about;  // hidden until the about command shows it
  // The key hint window exists before the main window.
  velm::CreateKeyHintWindow();
  // A project path as the first argument is opened at the end of the window's start-up.
  velm::TFormVELMSetup setup;
  setup.CommandLineFile = project;
  setup.About = &about;
  velm::TFormVELM window(nullptr, setup);
  window.showMaximized();
  // Later starts reach this window from now on.
  instance.Listen([&window](const QString& path) { window.Files().OpenHandedOver(path); });

  const QString shots = qEnvironmentVariable("VELM_SCREENSHOT_DIR");
  if (!shots.isEmpty()) ScheduleScreenshots(window, about, shots);
  return QApplication::exec();
}
