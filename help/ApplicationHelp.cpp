#include "help/ApplicationHelp.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QStandardPaths>
#include <QWidget>

#include "base/DataFiles.h"
#include "help/HelpFile.h"
#include "help/HelpViewer.h"
#include "help/HintWindow.h"

namespace velm {

namespace {

// Hint colours: red text on yellow.
const QColor kHintText(255, 0, 0);
const QColor kHintBack(255, 255, 0);
// Text popups of the help file: black on pale yellow.
const QColor kPopupText(0, 0, 0);
const QColor kPopupBack(255, 255, 225);
// Widest own hint window [pixels].
constexpr int kHintMaxWidth = 300;

}  // namespace

int HelpNumberOf(const QObject* control) {
  return control ? control->property("HelpContext").toInt() : 0;
}

bool HasHelpKeyword(const QObject* control) {
  return control &&
         control->property("HelpType")
                 .toString()
                 .compare(QLatin1String("keyword"), Qt::CaseInsensitive) == 0 &&
         !control->property("HelpKeyword").toString().isEmpty();
}

TApplicationHelp::TApplicationHelp(QWidget* owner) : QObject(owner), FOwner(owner) {
  setObjectName(QStringLiteral("ApplicationHelp"));
  FTimer.setSingleShot(false);
  FTimer.setInterval(FPause);
  connect(&FTimer, &QTimer::timeout, this, [this] {
    // The own hint window stays up for the pause, then hides and the timer stops.
    if (FHintWindow) FHintWindow->hide();
    FTimer.stop();
  });
  FErrorReport = [this](const QString& text) {
    QMessageBox::warning(FOwner, QApplication::applicationDisplayName(), text);
  };
  qApp->installEventFilter(this);
}

TApplicationHelp::~TApplicationHelp() {
  if (FWhatsThis) QApplication::restoreOverrideCursor();
}

int TApplicationHelp::Pause() {
  FTimer.setInterval(FPause);
  return FPause;
}

void TApplicationHelp::SetPause(int milliseconds) {
  FPause = milliseconds;
  FTimer.setInterval(FPause);
}

QString TApplicationHelp::ResolvedHelpFileName() const {
  if (FHelpFileName.isEmpty() || QFileInfo::exists(FHelpFileName)) return FHelpFileName;
  // The folder of the shipped files: beside the program, or PREFIX/share/velm when installed.
  return QDir(QString::fromStdString(DataDirectory().string())).filePath(FHelpFileName);
}

THelpFile* TApplicationHelp::HelpFile() {
  const QString name = ResolvedHelpFileName();
  if (FFile && FOpenedFile == name) return FFile.get();
  FViewer.reset();
  FFile.reset();
  QString dir = FCollectionDir;
  if (dir.isEmpty()) dir = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
  QString error;
  FFile = THelpFile::Open(name, dir, &error);
  if (!FFile) {
    if (FErrorReport) FErrorReport(error);
    return nullptr;
  }
  FOpenedFile = name;
  return FFile.get();
}

THelpViewer* TApplicationHelp::EnsureViewer() {
  THelpFile* file = HelpFile();
  if (!file) return nullptr;
  if (!FViewer) FViewer = std::make_unique<THelpViewer>(*file);
  return FViewer.get();
}

QWidget* TApplicationHelp::FindControl(int helpNumber) const {
  // The first control of the owner window (in creation order, depth first) with that number.
  const QList<QWidget*> controls = FOwner->findChildren<QWidget*>();
  for (QWidget* w : controls)
    if (HelpNumberOf(w) == helpNumber) return w;
  return nullptr;
}

bool TApplicationHelp::BelongsToOwner(const QObject* object) const {
  if (!object || !object->isWidgetType()) return false;
  const auto* w = static_cast<const QWidget*>(object);
  return w == FOwner || FOwner->isAncestorOf(w);
}

bool TApplicationHelp::HelpRequest(QWidget* control) {
  // The control itself or the nearest container that has help.
  QWidget* w = control;
  while (w && HelpNumberOf(w) == 0 && !HasHelpKeyword(w)) {
    if (w == FOwner) return false;
    w = w->parentWidget();
  }
  if (!w) return false;
  SetPopupPosition(w->mapToGlobal(QPoint(0, 0)));
  if (HasHelpKeyword(w) && HelpNumberOf(w) == 0) {
    FControl = w;
    FHelpType = THelpType::htKeyword;
    FHelpKeyword = w->property("HelpKeyword").toString();
    FCHint = w->toolTip();
    FHelpContext = 0;
    if (FHelpFileName.isEmpty()) return false;
    ShowIndex(FHelpKeyword);
    return true;
  }
  return OnHelp(HelpNumberOf(w));
}

bool TApplicationHelp::OnHelp(int h) {
  QWidget* control = FindControl(h);
  if (!control) return false;  // the platform's default help: nothing of ours to show
  FControl = control;
  FHelpType = HasHelpKeyword(control) ? THelpType::htKeyword : THelpType::htContext;
  FHelpKeyword = control->property("HelpKeyword").toString();
  FCHint = control->toolTip();
  FHelpContext = h;
  const bool haveFile = !FHelpFileName.isEmpty();

  if (FHelpType == THelpType::htKeyword && !FHelpKeyword.isEmpty() && haveFile) {
    ShowIndex(FHelpKeyword);
    return true;
  }
  if (FHelpType == THelpType::htContext) {
    if (h >= 1000 && h < 2000 && haveFile) {
      ShowTopic(h);
      return true;
    }
    if (h >= 2000 && haveFile) {
      ShowContextPopup(h, FPopupPos);
      return true;
    }
    if (h < 1000 && FIncludeHint && !FCHint.isEmpty()) {
      if (FShowModal == TShowModal::smHelp) {
        ShowTextPopup(FCHint, FPopupPos);
      } else {
        if (!FHintWindow) FHintWindow = new THintWindow(kHintBack, FOwner);
        FHintWindow->hide();
        // Above the control by its height.
        FHintWindow->ActivateHint(FPopupPos - QPoint(0, control->height()), FCHint, kHintMaxWidth);
        QCoreApplication::processEvents();
        FTimer.start(Pause());
      }
      return true;
    }
  }
  return false;
}

void TApplicationHelp::ShowContextPopup(int h, const QPoint& screen) {
  THelpFile* file = HelpFile();
  if (!file) return;
  QString text = file->Popup(h);
  if (text.isEmpty()) text = QStringLiteral("帮助文件中没有编号为 %1 的说明。").arg(h);
  if (!FPopup) FPopup = new THelpPopup(FOwner);
  FPopup->ShowText(screen, text, kPopupText, kPopupBack);
}

void TApplicationHelp::ShowTextPopup(const QString& text, const QPoint& screen) {
  if (!FPopup) FPopup = new THelpPopup(FOwner);
  FPopup->ShowText(screen, text, kHintText, kHintBack);
}

void TApplicationHelp::ShowHelpFile() {
  if (THelpViewer* viewer = EnsureViewer()) viewer->ShowUrl(FFile->DefaultTopic());
}

void TApplicationHelp::ShowIndex(const QString& keyword) {
  if (THelpViewer* viewer = EnsureViewer()) viewer->ShowIndex(keyword);
}

void TApplicationHelp::ShowTopic(int h) {
  THelpViewer* viewer = EnsureViewer();
  if (!viewer) return;
  const QUrl topic = FFile->Topic(h);
  if (topic.isEmpty()) {
    if (FErrorReport) FErrorReport(QStringLiteral("帮助文件中没有编号为 %1 的主题。").arg(h));
    return;
  }
  viewer->ShowUrl(topic);
}

void TApplicationHelp::StartWhatsThis() {
  if (FWhatsThis) return;
  FWhatsThis = true;
  QApplication::setOverrideCursor(Qt::WhatsThisCursor);
}

void TApplicationHelp::LeaveWhatsThisMode() {
  if (!FWhatsThis) return;
  FWhatsThis = false;
  QApplication::restoreOverrideCursor();
}

bool TApplicationHelp::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress: {
      auto* key = static_cast<QKeyEvent*>(event);
      if (FWhatsThis && key->key() == Qt::Key_Escape) {
        LeaveWhatsThisMode();
        return true;
      }
      if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier &&
          BelongsToOwner(watched) && watched == QApplication::focusWidget())
        return HelpRequest(static_cast<QWidget*>(watched));
      break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      if (FWhatsThis) {
        // The next click asks for the clicked control's help; a click elsewhere ends the mode.
        LeaveWhatsThisMode();
        if (!BelongsToOwner(watched)) break;
        auto* mouse = static_cast<QMouseEvent*>(event);
        auto* w = static_cast<QWidget*>(watched);
        QWidget* target = w->childAt(mouse->position().toPoint());
        FSwallowRelease = true;
        HelpRequest(target ? target : w);
        return true;
      }
      break;
    case QEvent::MouseButtonRelease:
      if (FSwallowRelease) {
        FSwallowRelease = false;
        return true;
      }
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace velm
