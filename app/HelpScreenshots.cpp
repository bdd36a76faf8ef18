#include "app/HelpScreenshots.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <functional>

#include "app/HelpCommands.h"
#include "app/MainWindow.h"
#include "help/ApplicationHelp.h"
#include "help/HelpViewer.h"
#include "help/HintWindow.h"

namespace velm {

namespace {

void Settle(int milliseconds) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < milliseconds) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

// The whole screen where the platform can show it (all windows as the user sees them),
// otherwise the widget alone.
void Shoot(QWidget* widget, const QString& file) {
  Settle(150);
  QScreen* screen = QGuiApplication::primaryScreen();
  QPixmap shot;
  if (screen && QGuiApplication::platformName() != QLatin1String("offscreen"))
    shot = screen->grabWindow(0);
  if (shot.isNull() && widget) shot = widget->grab();
  shot.save(file);
}

// F1 as the keyboard delivers it to the focused control.
void PressF1(QWidget* control) {
  control->setFocus();
  Settle(50);
  QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
  QApplication::sendEvent(control, &press);
}

}  // namespace

void SaveHelpScreenshots(TFormVELM& window, const QString& dir) {
  const QDir out(dir);
  TApplicationHelp* help = window.ApplicationHelp1();
  // Keys reach the help only in the active window; the menu shot before took the activation.
  window.activateWindow();
  Settle(100);

  PressF1(window.Control<QWidget>(QStringLiteral("UpD")));
  Shoot(help->Popup(), out.filePath(QStringLiteral("help-popup-hint.png")));
  if (help->Popup()) help->Popup()->close();

  PressF1(window.Control<QWidget>(QStringLiteral("dD")));
  Shoot(KeyHintWindow(), out.filePath(QStringLiteral("help-key-hint.png")));
  KeyHintWindow()->hide();

  PressF1(window.Control<QWidget>(QStringLiteral("CalKf")));
  Shoot(help->Popup(), out.filePath(QStringLiteral("help-popup-file.png")));
  if (help->Popup()) help->Popup()->close();

  struct TPage {
    const char* File;
    std::function<void()> Show;
  };
  const TPage pages[] = {
      {"help-topic-quickstart.png", [help] { help->ShowTopic(1010); }},
      {"help-topic-flooding.png", [help] { help->ShowTopic(1300); }},
      {"help-topic-findings.png", [help] { help->ShowTopic(1600); }},
      {"help-topic-rating.png", [help] { help->ShowTopic(1550); }},
      {"help-topic-column.png", [help] { help->ShowTopic(1560); }},
      {"help-topic-analysis.png", [help] { help->ShowTopic(1570); }},
      {"help-index.png", [help] { help->ShowIndex(QStringLiteral("持液量")); }},
      {"help-search.png", [help] { help->Viewer()->ShowSearch(QStringLiteral("润湿")); }},
  };
  for (const TPage& page : pages) {
    page.Show();
    if (THelpViewer* viewer = help->Viewer()) {
      viewer->setGeometry(60, 30, 1150, 700);
      Settle(400);  // the contents and index are built in the background
      Shoot(viewer, out.filePath(QString::fromLatin1(page.File)));
    }
  }
  if (help->Viewer()) help->Viewer()->close();

  // The welcome box of the about command (the about window itself is shot by the caller).
  QTimer grabber;
  QObject::connect(&grabber, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      Shoot(box, out.filePath(QStringLiteral("help-about-box.png")));
      box->accept();
    } else if (QWidget* modal = QApplication::activeModalWidget()) {
      static_cast<QDialog*>(modal)->accept();
    }
  });
  grabber.start(100);
  if (auto* about = window.findChild<QAction*>(QStringLiteral("MAbout"))) about->trigger();
  grabber.stop();
}

}  // namespace velm
