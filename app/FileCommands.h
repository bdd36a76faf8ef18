#pragma once
// The project commands of the main window: new, open (dialog, recent-file entry, command line,
// a project handed over by a later start), save and save as, the unsaved-changes question,
// closing, the recent-files list in the file menu and the caption that names the project file.
// The window's menu handlers call these; the state of the commands lives here.
#include <QString>

#include "project/RecentFiles.h"

class QObject;

namespace velm {

class TFormVELM;

class TFileCommands {
 public:
  explicit TFileCommands(TFormVELM& window) : FWindow(window) {}
  TFileCommands(const TFileCommands&) = delete;
  TFileCommands& operator=(const TFileCommands&) = delete;

  // Fills in the default dialogs and connects the menu items and tool bar buttons.
  void Connect();
  // At start: the recent files (a damaged list is reported and left out), no current project,
  // the dialogs' folder from the newest recent file.
  void Start();
  // At the end of the start-up: the project named on the command line, without the dialog.
  void OpenCommandLineProject();

  const QString& CurrentFile() const { return FCurrentFile; }
  // The command-line project not yet opened; the first open takes it.
  const QString& PendingFile() const { return FPendingFile; }
  const TRecentFiles& RecentFiles() const { return FRecent; }
  QString RecentFilesFile() const;
  // Recent-file bookkeeping: position of the newest entry in the file menu, entries shown, most
  // entries kept.
  int RecentFirst() const { return FRecentFirst; }
  int RecentCount() const { return FRecentCount; }
  int RecentMax() const { return FRecentMax; }
  // The directory the open and save dialogs start in: the current project's folder, else the
  // folder last chosen in a dialog (at start: that of the newest recent file), else the user's
  // documents folder.
  QString DialogDirectory() const;

  // True when the command may go on (nothing unsaved, the user saved, or chose not to save);
  // false on Cancel and when the save the user asked for did not happen.
  bool AskSave();
  void New();
  // The open command; sender: a recent-file entry, or none (the dialog, or the pending file).
  void Open(QObject* sender);
  // Opens `path` as the open command does after choosing it. False when the file could not be
  // read (the error has been reported; the current project's name stays).
  bool OpenProject(const QString& path);
  // A project handed over by a later start of the program: the window comes to the front and,
  // when `path` is not empty, opens it through the open command.
  void OpenHandedOver(const QString& path);
  // Save or save as, by the sender's name.
  void Save(QObject* sender);
  // Writes the project to `path`; on success lowers Modified, takes the path as the current
  // file and lists it in the recent files. False when the write failed (reported).
  bool SaveProject(const QString& path);
  // True when the window may close; then the recent-files file has been written.
  bool CloseQuery();

  // The window's caption without the unsaved mark, and setting it: the title is the caption
  // followed by Qt's "[*]" placeholder, shown as "*" while Modified is raised.
  QString Caption() const;
  void SetCaption(const QString& caption);

 private:
  // Save (saveAs false: no dialog when the project has a path) or save as; true when written.
  bool SaveCommand(bool saveAs);
  void ApplyCaption();
  void LoadRecentFiles();
  void AddRecentFile(const QString& path);
  void SaveRecentFiles();
  void ShowRecentFileEntries();

  TFormVELM& FWindow;
  QString FCurrentFile;
  QString FPendingFile;
  QString FLastFolder;  // folder of the last file chosen in a dialog
  TRecentFiles FRecent;
  // The recent-file entries start at position 6 of the file menu (after New, Open, separator,
  // Save, Save as, separator); none yet, at most nine.
  int FRecentFirst = 6;
  int FRecentCount = 0;
  int FRecentMax = 9;
};

}  // namespace velm
