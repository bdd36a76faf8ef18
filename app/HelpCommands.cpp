// The help menu, the about command and the key hint window of the main window.
#include "app/HelpCommands.h"

#include <QApplication>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QUrl>
#include <QWindow>
#include <memory>
#include <optional>
#include <string>

#include "app/AboutDialog.h"
#include "app/BuildInfo.h"
#include "app/MainWindow.h"
#include "automation/Settings.h"
#include "help/ApplicationHelp.h"
#include "help/HelpNumbers.h"
#include "help/HintWindow.h"

namespace velm {

namespace {

std::unique_ptr<THintWindow> GKeyHint;

// Widest key hint window [pixels] and its offset from the control's top-left corner.
constexpr int kKeyHintMaxWidth = 400;
const QPoint kKeyHintOffset(25, -25);

// Controls whose help is a topic or a popup of the help file, by object name. Names that the
// window does not have are skipped.
struct THelpAssignment {
  const char* Name;
  int Help;
};
constexpr THelpAssignment kHelpAssignments[] = {
    {"MethodD", help::kTopicFlooding},      {"ACLMethodD", help::kTopicAcceleration},
    {"LegacyMethodsD", help::kTopicBasis},  {"BasisD", help::kTopicBasis},
    {"PTD", help::kTopicPackings},          {"CalKf", help::kPopupCalKf},
    {"CalKp", help::kPopupCalKp},           {"fActualD", help::kPopupFloodFraction},
    {"MMessages", help::kTopicFindings},    {"MyDBGrid1", help::kTopicPackings},
    {"TabSheetPer", help::kTopicChart},     {"CalcTypeD", help::kTopicRating},
    {"RatedDiameterD", help::kTopicRating}, {"BedHeightD", help::kTopicRating},
    {"LoadCasesD", help::kTopicRating},     {"GroupBoxRating", help::kTopicRating},
    {"CalibrationD", help::kTopicAnalysis}, {"AnalysisD", help::kTopicAnalysis},
};

// A contact address from the settings source (key "Contact"), trimmed; empty when not set.
QString ContactSetting(const char* name) {
  const std::optional<std::string> value = TSettings::Load().Value("Contact", name);
  return value ? QString::fromStdString(*value).trimmed() : QString();
}

QString VersionLine() {
  return QStringLiteral("程序版本 %1，构建 %2")
      .arg(QString::fromLatin1(BuildVersion()), QString::fromLatin1(BuildCommit()));
}

// The control whose help and hint a key in `w` concerns: a list's text box speaks for its list.
QWidget* HintControl(QWidget* w) {
  QWidget* parent = w->parentWidget();
  if (parent && parent->inherits("QComboBox") && w->toolTip().isEmpty()) return parent;
  return w;
}

}  // namespace

void CreateKeyHintWindow() {
  if (!GKeyHint) {
    GKeyHint = std::make_unique<THintWindow>(QColor(255, 255, 0));
    GKeyHint->setObjectName(QStringLiteral("KeyHintWindow"));
  }
}

void FreeKeyHintWindow() { GKeyHint.reset(); }

THintWindow* KeyHintWindow() {
  CreateKeyHintWindow();
  return GKeyHint.get();
}

void THelpCommands::Connect() {
  FWindow.FApplicationHelp = new TApplicationHelp(&FWindow);
  FWindow.FApplicationHelp->setObjectName(QStringLiteral("ApplicationHelp1"));
  FWindow.FApplicationHelp->SetIncludeHint(true);
  FWindow.FApplicationHelp->SetHelpFileName(
      FWindow.FSetup.HelpFile.isEmpty() ? QStringLiteral("VELMHelp.qch") : FWindow.FSetup.HelpFile);
  FWindow.FApplicationHelp->SetShowModal(TShowModal::smHelp);
  FWindow.FApplicationHelp->SetPause(3000);
  FWindow.FApplicationHelp->SetErrorReport(
      [this](const QString& text) { FWindow.ReportError(text); });

  for (const THelpAssignment& a : kHelpAssignments)
    if (QWidget* w = FWindow.Control<QWidget>(QString::fromLatin1(a.Name)))
      w->setProperty("HelpContext", a.Help);

  auto connectAction = [this](const char* name, void (TFormVELM::*handler)()) {
    FWindow.OnCommand(
        name, [this, handler](QAction*) { FWindow.Guard([&] { (FWindow.*handler)(); }); }, false);
  };
  connectAction("MAbout", &TFormVELM::MAboutClick);
  connectAction("MHelp_Topic", &TFormVELM::MHelp_TopicClick);
  connectAction("MHelp_Whatthis", &TFormVELM::MHelp_WhatthisClick);
  connectAction("MHelp_URL", &TFormVELM::MHelp_URLClick);
  connectAction("MHelp_Email", &TFormVELM::MHelp_EmailClick);
  connectAction("MHELP_Update", &TFormVELM::MHELP_UpdateClick);

  // A change of the active window hides the key hint window. The connection ends with this
  // window.
  QObject::connect(qApp, &QGuiApplication::focusWindowChanged, &FWindow, [this] { HideKeyHint(); });
}

void THelpCommands::HideKeyHint() {
  if (GKeyHint && !GKeyHint->text().trimmed().isEmpty()) {
    GKeyHint->hide();
    GKeyHint->clear();
  }
}

void THelpCommands::KeyDown(QWidget* target, QKeyEvent* event) {
  THintWindow* hint = KeyHintWindow();
  if (event->key() != Qt::Key_F1 && hint->isVisible()) {
    hint->hide();
    return;
  }
  QWidget* control = HintControl(target);
  // A control with a help number gets its help from the help component (F1).
  if (control->property("HelpContext").toInt() > 0) return;
  const QString text = control->toolTip();
  if (text.isEmpty()) return;
  hint->ActivateHint(control->mapToGlobal(QPoint(0, 0)) + kKeyHintOffset, text, kKeyHintMaxWidth);
}

void THelpCommands::About() {
  QMessageBox::information(
      &FWindow, QStringLiteral("欢迎使用"),
      QStringLiteral("散堆填料塔流体力学(VELM) V2017.05.01.41\n%1").arg(VersionLine()));
  TFormAbout* about = FWindow.FSetup.About;
  if (!about) {
    if (!FOwnAbout) FOwnAbout = new TFormAbout(&FWindow);
    about = FOwnAbout;
  }
  about->exec();
}

void THelpCommands::Topic() { FWindow.FApplicationHelp->ShowHelpFile(); }

void THelpCommands::WhatsThis() { FWindow.FApplicationHelp->StartWhatsThis(); }

void THelpCommands::Website() {
  const QString url = ContactSetting("Website");
  if (url.isEmpty()) {
    // No web site configured: the local page about this program.
    FWindow.FApplicationHelp->ShowTopic(help::kTopicAbout);
    return;
  }
  QDesktopServices::openUrl(QUrl::fromUserInput(url));
}

void THelpCommands::Email() {
  QString address = ContactSetting("Email");
  if (address.isEmpty()) {
    FWindow.FSetup.MessageBox(
        &FWindow, QStringLiteral("没有配置联系地址。\n可在设置文件 settings.ini 的 [Contact] "
                                 "一节中用 Email= 指定。"));
    return;
  }
  if (!address.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive))
    address.prepend(QStringLiteral("mailto:"));
  QDesktopServices::openUrl(QUrl(address));
}

void THelpCommands::Update() {
  FWindow.FSetup.MessageBox(
      &FWindow, QStringLiteral("已安装: 散堆填料塔流体力学(VELM) %1。\n"
                               "本程序的升级随系统的软件包一起提供，请用系统的软件包管理器"
                               "升级；程序本身不连接网络。")
                    .arg(VersionLine()));
}

}  // namespace velm
