// The project commands of the main window: new, open (dialog, recent-file entry, command line),
// save and save as, the unsaved-changes question, closing, the recent-files list in the file
// menu and the caption that names the project file.
#include "app/FileCommands.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <exception>
#include <string_view>
#include <utility>

#include "app/AnalysisPanel.h"
#include "app/ColumnPanel.h"
#include "app/MainWindow.h"
#include "app/RatingPanel.h"
#include "base/Errors.h"
#include "project/FormRecord.h"
#include "project/ProjectFile.h"
#include "units/ColorTable.h"
#include "units/ValueField.h"

namespace velm {

namespace {

// Filter of the project dialogs, in Qt's "description(patterns)" form.
const QString kProjectFilter = QStringLiteral("散堆填料流体力学(*.vlm)");
const QString kProjectSuffix = QStringLiteral("vlm");

// The single-line project information fields.
const char* const kTextFields[] = {"ProjectD", "DevicenameD", "DeviceNoD", "ProjPD",
                                   "Edit1",    "Edit2",       "Edit3",     "Edit4"};

int AskSaveMessageBox(QWidget* parent) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("注意！"),
                  QStringLiteral("项目没有保存，你需要保存？"),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
  return box.exec();
}

QString OpenFileDialog(QWidget* parent, const QString& directory) {
  QFileDialog dialog(parent, QStringLiteral("打开"), directory, kProjectFilter);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(kProjectSuffix);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

QString SaveFileDialog(QWidget* parent, const QString& title, const QString& directory,
                       const QString& file) {
  QFileDialog dialog(parent, title, directory, kProjectFilter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(kProjectSuffix);
  // Qt asks before overwriting unless told not to; the read-only box does not exist here.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
  dialog.setSizeGripEnabled(true);
  if (!file.isEmpty()) dialog.selectFile(file);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

}  // namespace

QString TFileCommands::RecentFilesFile() const {
  return FWindow.FSetup.RecentFilesFile.isEmpty()
             ? FWindow.FAppConst.UserFile(QStringLiteral(".opt"))
             : FWindow.FSetup.RecentFilesFile;
}

QString TFileCommands::DialogDirectory() const {
  auto isDir = [](const QString& dir) { return !dir.isEmpty() && QFileInfo(dir).isDir(); };
  if (!FCurrentFile.isEmpty()) {
    const QString dir = QFileInfo(FCurrentFile).absolutePath();
    if (isDir(dir)) return dir;
  }
  if (isDir(FLastFolder)) return FLastFolder;
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  return isDir(documents) ? documents : QDir::homePath();
}

void TFileCommands::Connect() {
  if (!FWindow.FSetup.AskSaveBox) FWindow.FSetup.AskSaveBox = AskSaveMessageBox;
  if (!FWindow.FSetup.OpenDialog) FWindow.FSetup.OpenDialog = OpenFileDialog;
  if (!FWindow.FSetup.SaveDialog) FWindow.FSetup.SaveDialog = SaveFileDialog;

  // Menu item and tool bar button share one handler; "&S 保存" itself is enabled by MFileClick.
  struct TCommand {
    const char* Name;
    void (TFormVELM::*Handler)(QObject*);
  };
  const TCommand commands[] = {
      {"MFile_Open", &TFormVELM::MFile_OpenClick},   {"BOpen", &TFormVELM::MFile_OpenClick},
      {"MFile_Save", &TFormVELM::MFile_SaveClick},   {"BSave", &TFormVELM::MFile_SaveClick},
      {"MFile_Saveas", &TFormVELM::MFile_SaveClick}, {"BSaveas", &TFormVELM::MFile_SaveClick},
  };
  for (const TCommand& c : commands)
    FWindow.OnCommand(
        c.Name, [this, h = c.Handler](QAction* a) { (FWindow.*h)(a); },
        std::string_view(c.Name) != "MFile_Save");
  // The standard shortcuts of the platform, shown in the file menu.
  const std::pair<const char*, QKeySequence::StandardKey> shortcuts[] = {
      {"MFile_New", QKeySequence::New},
      {"MFile_Open", QKeySequence::Open},
      {"MFile_Save", QKeySequence::Save},
      {"MFile_Saveas", QKeySequence::SaveAs},
      {"MExit", QKeySequence::Quit}};
  for (const auto& [name, key] : shortcuts)
    if (auto* action = FWindow.findChild<QAction*>(QString::fromLatin1(name)))
      action->setShortcut(key);
  // F5 recalculates now, as leaving a changed field would.
  auto* recalc = new QAction(QStringLiteral("重新计算"), &FWindow);
  recalc->setObjectName(QStringLiteral("ARecalc"));
  recalc->setShortcut(Qt::Key_F5);
  recalc->setShortcutContext(Qt::WindowShortcut);
  FWindow.addAction(recalc);
  QObject::connect(recalc, &QAction::triggered, &FWindow, [this] {
    SetNeedsRecalc(true);
    FWindow.LDExit(nullptr);
  });
  for (const char* name : {"MFile_New", "BNew"})
    FWindow.OnCommand(name, [this](QAction*) { FWindow.MFile_NewClick(); });
}

void TFileCommands::ApplyCaption() { SetCaption(ProjectCaption(Caption(), FCurrentFile)); }

namespace {
const QString kMarkPlaceholder = QStringLiteral("[*]");
}  // namespace

QString TFileCommands::Caption() const {
  QString caption = FWindow.windowTitle();
  if (caption.endsWith(kMarkPlaceholder)) caption.chop(kMarkPlaceholder.size());
  // A "[*]" inside a path is kept doubled, so that Qt shows it as written.
  return caption.replace(QStringLiteral("[*][*]"), kMarkPlaceholder);
}

void TFileCommands::SetCaption(const QString& caption) {
  QString title = caption;
  title.replace(kMarkPlaceholder, QStringLiteral("[*][*]"));
  FWindow.setWindowTitle(title + kMarkPlaceholder);
  FWindow.setWindowModified(Modified());
}

// --- the unsaved-changes question -------------------------------------------------------------

bool TFileCommands::AskSave() {
  if (!Modified()) return true;
  switch (FWindow.FSetup.AskSaveBox(&FWindow)) {
    case QMessageBox::Yes:
      // Going on after a save that was cancelled or failed would discard the work the user
      // just asked to keep.
      return SaveCommand(false);
    case QMessageBox::No:
      return true;
    default:
      return false;
  }
}

// --- new ------------------------------------------------------------------------------------

void TFileCommands::New() {
  FWindow.Guard([this] {
    if (!AskSave()) return;
    const QString path =
        FWindow.FSetup.SaveDialog(&FWindow, QStringLiteral("新建"), DialogDirectory(), QString());
    if (path.isEmpty()) return;
    FLastFolder = QFileInfo(path).absolutePath();
    FCurrentFile = path;
    ApplyCaption();

    // Every value field back to user input; the project information emptied. The comment,
    // the option lists and the unit selectors keep their state.
    for (TEditD* field : FWindow.findChildren<TEditD*>()) {
      field->setText(QString());
      field->SetColor(kColorWindow);
      field->setReadOnly(false);
      field->SetCursorNumber(0);
    }
    for (const char* name : kTextFields) {
      if (auto* edit = FWindow.Control<QLineEdit>(QString::fromLatin1(name))) edit->clear();
    }
    // The rated column belongs to the project; the calculation type and the cases stay.
    TRatingPanel::TState rating = FWindow.FRating->State();
    rating.Diameter.clear();
    rating.BedHeight.clear();
    FWindow.FRating->SetState(rating);
    FWindow.FColumn->SetText(QString());
    FWindow.FAnalysis->Calibration()->SetText(QString());
    FWindow.FAnalysis->Analysis()->SetText(QString());
    for (const TFieldInfo* result : ResultFields()) {
      if (TEditD* field = FWindow.Control<TEditD>(QString::fromLatin1(result->Code))) {
        field->setReadOnly(true);
        field->SetColor(kColorBtnFace);
      }
    }
    // A box that was cleared is checked again and runs its click handler.
    auto* calKf = FWindow.Control<QCheckBox>(QStringLiteral("CalKf"));
    auto* calKp = FWindow.Control<QCheckBox>(QStringLiteral("CalKp"));
    if (calKf && !calKf->isChecked()) {
      calKf->setChecked(true);
      FWindow.CalKfClick(calKf);
    }
    if (calKp && !calKp->isChecked()) {
      calKp->setChecked(true);
      FWindow.CalKpClick(calKp);
    }
    // The project exists on disk only once it is saved.
    SetModified(true);
    SetNeedsRecalc(true);
  });
}

// --- open -----------------------------------------------------------------------------------

void TFileCommands::Open(QObject* sender) {
  FWindow.Guard([this, sender] {
    // A recent entry whose file has gone is dropped from the list with a message, before any
    // question about the current project: there is nothing to open.
    if (FPendingFile.isEmpty() && IsRecentFileAction(sender)) {
      const QString gone = static_cast<QAction*>(sender)->data().toString();
      if (!QFileInfo(gone).isFile()) {
        FRecent.Remove(gone);
        ShowRecentFileEntries();
        FWindow.ReportError(
            QStringLiteral("找不到文件“%1”，已从最近打开的文件列表中移除。").arg(gone));
        return;
      }
    }
    if (!AskSave()) return;
    QString path;
    if (!FPendingFile.isEmpty()) {
      path = FPendingFile;
      FPendingFile.clear();
    } else if (IsRecentFileAction(sender)) {
      path = static_cast<QAction*>(sender)->data().toString();
    } else {
      path = FWindow.FSetup.OpenDialog(&FWindow, DialogDirectory());
      if (path.isEmpty()) return;
      FLastFolder = QFileInfo(path).absolutePath();
    }
    OpenProject(path);
  });
}

bool TFileCommands::OpenProject(const QString& path) {
  int skipped = 0;
  // A project that does not store its calculation basis (older files, legacy files) is
  // calculated on the literature basis. A file that cannot be read changes nothing, so the basis
  // of the project still shown comes back.
  auto* basis = FWindow.Control<QComboBox>(QStringLiteral("CalcBasis"));
  const int shownBasis = basis ? basis->currentIndex() : 0;
  if (basis) basis->setCurrentIndex(0);
  // Likewise the service: absent, it is not given.
  auto* service = FWindow.Control<QComboBox>(QStringLiteral("ServiceD"));
  const int shownService = service ? service->currentIndex() : 0;
  if (service) service->setCurrentIndex(0);
  // And the rating: a file without its records is a design with the default load cases.
  const TRatingPanel::TState shownRating = FWindow.FRating->State();
  FWindow.FRating->SetState({});
  // The whole column, the calibration and the analyses likewise: a file without them has none.
  const QString shownColumn = FWindow.FColumn->Text();
  const QString shownCalibration = FWindow.FAnalysis->Calibration()->Text();
  const QString shownAnalysis = FWindow.FAnalysis->Analysis()->Text();
  FWindow.FColumn->SetText(QString());
  FWindow.FAnalysis->Calibration()->SetText(QString());
  FWindow.FAnalysis->Analysis()->SetText(QString());
  const auto restoreBasis = [=, this] {
    if (basis) basis->setCurrentIndex(shownBasis);
    if (service) service->setCurrentIndex(shownService);
    FWindow.FRating->SetState(shownRating);
    FWindow.FColumn->SetText(shownColumn);
    FWindow.FAnalysis->Calibration()->SetText(shownCalibration);
    FWindow.FAnalysis->Analysis()->SetText(shownAnalysis);
  };
  try {
    // All or nothing: the whole file is read and converted before the window changes, so a
    // file that fails leaves the project as it was (fields, name, caption, Modified and the
    // recent files), and a save after it cannot write a mixture of two projects.
    ReadProjectFile(&FWindow, path, &skipped);
  } catch (const TSilentAbort&) {
    restoreBasis();
    return false;
  } catch (const std::exception& e) {
    restoreBasis();
    FWindow.ReportError(QString::fromStdString(e.what()));
    return false;
  }
  if (skipped > 0)
    FWindow.FMessages->appendPlainText(
        QStringLiteral("项目文件中有 %1 条记录不属于本程序保存的内容，已跳过。").arg(skipped));
  FCurrentFile = path;
  // The controls that depend on the flooding method follow the loaded choice.
  FWindow.Guard([this] { FWindow.MethodDChange(nullptr); });
  ApplyCaption();
  FWindow.Guard([this, &path] { AddRecentFile(path); });
  // The design is recalculated (the relation groups completed first), so that no result read
  // from the file shows as current unless these inputs give it; results the run does not reach
  // are shown as stale.
  SetNeedsRecalc(true);
  FWindow.Guard([this] { FWindow.LDExit(nullptr); });
  SetModified(false);
  SetNeedsRecalc(false);
  return true;
}

void TFileCommands::OpenHandedOver(const QString& path) {
  if (FWindow.isMinimized()) FWindow.setWindowState(FWindow.windowState() & ~Qt::WindowMinimized);
  FWindow.show();
  FWindow.raise();
  FWindow.activateWindow();
  if (path.isEmpty()) return;
  FPendingFile = path;
  Open(nullptr);
  // Cancelled at the unsaved-changes question: nothing stays pending for a later open.
  FPendingFile.clear();
}

// --- save -----------------------------------------------------------------------------------

void TFileCommands::Save(QObject* sender) {
  const bool saveAs = sender && sender->objectName().endsWith(QLatin1String("Saveas"));
  FWindow.Guard([this, saveAs] { SaveCommand(saveAs); });
}

bool TFileCommands::SaveCommand(bool saveAs) {
  QString path = FCurrentFile;
  if (saveAs || path.isEmpty()) {
    const QString title = saveAs ? QStringLiteral("另存为") : QStringLiteral("保存");
    path = FWindow.FSetup.SaveDialog(&FWindow, title, DialogDirectory(), FCurrentFile);
    if (path.isEmpty()) return false;
    FLastFolder = QFileInfo(path).absolutePath();
  }
  return SaveProject(path);
}

bool TFileCommands::SaveProject(const QString& path) {
  try {
    // Written to a temporary file and renamed over the old one only when complete: a failed
    // save leaves the previous file as it was.
    WriteFormRecordFile(&FWindow, path);
  } catch (const std::exception& e) {
    FWindow.ReportError(QString::fromStdString(e.what()));
    return false;
  }
  FCurrentFile = path;
  ApplyCaption();
  FWindow.Guard([this, &path] { AddRecentFile(path); });
  SetModified(false);
  return true;
}

// --- closing --------------------------------------------------------------------------------

bool TFileCommands::CloseQuery() {
  if (!AskSave()) return false;
  FWindow.SaveWindowSettings();
  if (FWindow.FSetup.UseRecentFiles) {
    // A list that cannot be written is reported; the window still closes.
    try {
      SaveRecentFiles();
    } catch (const std::exception& e) {
      FWindow.ReportError(QString::fromStdString(e.what()));
    }
  }
  return true;
}

// --- start and recent files ---

void TFileCommands::Start() {
  try {
    LoadRecentFiles();
  } catch (const std::exception& e) {
    // A damaged list is reported once and left out; the start-up goes on (the packing list,
    // the command-line project), and closing the window writes a sound list over it.
    FWindow.FSetup.ErrorBox(&FWindow, QStringLiteral("最近文件列表无法读取，已忽略：") +
                                          QString::fromStdString(e.what()));
    FRecent = TRecentFiles();
    ShowRecentFileEntries();
  }
  FCurrentFile.clear();
  // The dialogs start where the user last worked (DialogDirectory), not in the program's folder,
  // which an installed program's user cannot write to.
  if (!FRecent.Entries().isEmpty())
    FLastFolder = QFileInfo(FRecent.Entries().first()).absolutePath();
}

void TFileCommands::OpenCommandLineProject() {
  // A project named on the command line is opened without the dialog.
  FPendingFile = FWindow.FSetup.CommandLineFile;
  if (!FPendingFile.isEmpty()) Open(nullptr);
}

// --- recent files ---------------------------------------------------------------------------

void TFileCommands::LoadRecentFiles() {
  if (!FWindow.FSetup.UseRecentFiles) return;
  FRecent.Load(RecentFilesFile());
  ShowRecentFileEntries();
}

void TFileCommands::AddRecentFile(const QString& path) {
  // Absolute, so that the entry still names the file after a start from another folder.
  FRecent.Add(QFileInfo(path).absoluteFilePath());
  ShowRecentFileEntries();
}

void TFileCommands::SaveRecentFiles() {
  // The user's configuration folder may not exist yet.
  const QString file = RecentFilesFile();
  QDir().mkpath(QFileInfo(file).absolutePath());
  FRecent.Save(file);
}

void TFileCommands::ShowRecentFileEntries() {
  // The entries are rebuilt; each one opens its file through the open command with itself as
  // the sender.
  ShowRecentFiles(FWindow.FMFile, FRecent, nullptr);
  for (QAction* action : FWindow.FMFile->actions()) {
    if (IsRecentFileAction(action))
      QObject::connect(action, &QAction::triggered, &FWindow, [this, action] { Open(action); });
  }
  FRecentCount = FRecent.Count();
  FRecentMax = FRecent.Maximum();
}

}  // namespace velm
