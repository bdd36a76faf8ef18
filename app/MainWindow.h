#pragma once
// TFormVELM: the main window. It holds the whole document: the calculation page with every input
// and result as a value field, the constants page with the packing table, the chart page, the
// messages pane under the pages, the menus and the tool bar.
//
// The window owns for the whole run the in-memory packing table, the current project path and
// the two document flags Modified (unsaved changes) and NeedsRecalc (inputs changed since the
// last complete calculation). The flags are module-level: the unit selectors and value fields
// raise them through their hooks.
#include <QDialog>
#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <functional>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "app/ChartCommands.h"
#include "app/FileCommands.h"
#include "app/HelpCommands.h"
#include "app/ProgramPaths.h"
#include "app/ReportCommands.h"
#include "app/SimulatorCommands.h"
#include "chart/ChartPage.h"
#include "core/DesignCase.h"
#include "core/DesignDocument.h"
#include "core/Validity.h"
#include "project/RecentFiles.h"
#include "table/PackingTable.h"

class QAction;
class QCheckBox;
class QCloseEvent;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QScrollArea;
class QSplitter;
class QTabWidget;
class QTextEdit;
class QToolBar;

namespace velm {

class TApplicationHelp;
class TComboBoxU;
class TFormAbout;
class THintWindow;
class TEditD;
class TMyDBGrid;
class TMyStatusBar;
class TRatingPanel;
class TColumnPanel;
class TAnalysisPanel;
class TPaintBox;

// The document flags, owned by this unit.
bool Modified();
void SetModified(bool on);
// Told of every setting of Modified (the window's unsaved mark follows it); empty: nobody.
void SetModifiedChangedHook(std::function<void(bool)> hook);
bool NeedsRecalc();
void SetNeedsRecalc(bool on);

// How the window shows an error text in a modal box (parent, text). Tests replace it.
using TErrorBox = std::function<void(QWidget* parent, const QString& text)>;
// The default: a critical message box with one OK button.
void ShowErrorBox(QWidget* parent, const QString& text);

// What the window needs from outside when it is created.
struct TFormVELMSetup {
  // The packing table file; empty: DataPath + "/Packings.cds".
  QString PackingFile;
  // The box for start-up errors and the application-wide error report; empty: ShowErrorBox.
  TErrorBox ErrorBox;
  // The plain message box of the calculation (e.g. a missing experimental packing factor);
  // empty: an information box with one OK button.
  TErrorBox MessageBox;

  // The file commands' questions and dialogs; tests and the batch mode replace them.
  // The unsaved-changes question: QMessageBox::Yes, No or Cancel. Empty: the message box.
  std::function<int(QWidget* parent)> AskSaveBox;
  // The open dialog (parent, start directory): the chosen path, empty when cancelled.
  std::function<QString(QWidget* parent, const QString& directory)> OpenDialog;
  // The save dialog (parent, title, start directory, proposed file): the chosen path, empty
  // when cancelled. It asks before overwriting an existing file.
  std::function<QString(QWidget* parent, const QString& title, const QString& directory,
                        const QString& file)>
      SaveDialog;
  // The save dialog of the chart pictures (parent, start path): the chosen path, empty when
  // cancelled. Empty: a file dialog offering PNG and SVG.
  std::function<QString(QWidget* parent, const QString& file)> ChartSaveDialog;
  // The recent-files file; empty: TMyAppConst::UserFile(".opt") (beside a portable program,
  // else in the user's configuration folder). With UseRecentFiles false the list is neither
  // read at start nor written at close.
  QString RecentFilesFile;
  bool UseRecentFiles = true;
  // The window's own settings (the messages pane's height), an INI file read at start and
  // written at close; empty: TMyAppConst::UserFile(".ini") when UseRecentFiles, else none.
  QString SettingsFile;
  // The project named on the command line, opened at the end of the start-up.
  QString CommandLineFile;
  // The about window created at start; none: the window makes its own when asked.
  TFormAbout* About = nullptr;
  // The compiled help file; empty: "VELMHelp.qch" beside the program.
  QString HelpFile;

  // The report template; empty: DataPath + "/VELM2016-07-15" + ExcelTemplateExt.
  QString ReportTemplate;
  // The report's save dialog (parent, title, proposed path, filter "description|pattern",
  // default suffix): the chosen path, empty when cancelled. It asks before overwriting.
  std::function<QString(QWidget* parent, const QString& title, const QString& file,
                        const QString& filter, const QString& suffix)>
      ReportSaveDialog;
  // The print command's open dialog (parent, title, proposed path, filter): the chosen path.
  std::function<QString(QWidget* parent, const QString& title, const QString& file,
                        const QString& filter)>
      PrintOpenDialog;
  // The PDF save dialog (parent, title, proposed path): the chosen path, empty when cancelled.
  std::function<QString(QWidget* parent, const QString& title, const QString& file)> PdfSaveDialog;
  // Asked when there is no printer: true to save the page as PDF instead.
  std::function<bool(QWidget* parent)> AskPdfInstead;
  // Whether the machine has a printer; empty: the system's default printer exists.
  std::function<bool()> HasPrinter;
  // A choice among items (parent, title, items): the chosen item, empty when cancelled;
  // empty function: a list dialog (ChooseItemDialog).
  std::function<QString(QWidget* parent, const QString& title, const QStringList& items)>
      ChooseItem;
};

class TFormVELM : public QMainWindow {
  Q_OBJECT
  // The command groups are the window's own handlers, kept in classes of their own.
  friend class TFileCommands;
  friend class TReportCommands;
  friend class TChartCommands;
  friend class THelpCommands;
  friend class TSimulatorCommands;

 public:
  explicit TFormVELM(QWidget* parent = nullptr, TFormVELMSetup setup = {});
  ~TFormVELM() override;

  // Any child by its object name, e.g. Control<TEditD>("LD"); nullptr when there is none.
  template <class T = QWidget>
  T* Control(const QString& name) const {
    return findChild<T*>(name);
  }
  // The same for a control the window cannot work without: a missing one is an error (which
  // the handler's guard reports), never a null pointer to follow.
  template <class T = QWidget>
  T* Need(const QString& name) const {
    T* control = findChild<T*>(name);
    if (!control) throw std::logic_error("窗口中没有控件“" + name.toStdString() + "”");
    return control;
  }

  const TMyAppConst& MyAppConstmain() const { return FAppConst; }
  TMyClientDataSet& MyClientDataSet1() { return FPackings; }
  const TMyClientDataSet& MyClientDataSet1() const { return FPackings; }
  // Whether the packing table was loaded at start (false: the list stays empty).
  bool PackingsLoaded() const { return FPackingsLoaded; }

  // Fills PTD with "c0;c1;c2;c3" for every record of the table whose column 0 is not empty,
  // walking from the table's current record to its end, and selects the first item. The
  // selection change is not reported as a user's choice.
  void FillPackingList();
  // The packing selector's hint tells where the selected packing's factor comes from.
  void UpdatePackingHint();
  // The key of the packing selected in PTD: its text before the first ";".
  QString SelectedPackingKey() const;
  // The record of the selected packing (columns 0 to 14 as texts; missing columns empty), or
  // nothing when no packing is selected or the table has no record with that key.
  std::optional<TPackingRecord> SelectedPackingRecord() const;
  // Where a packing's factor comes from, as its hint and the constants grid show it: a published
  // factor, or an estimate (a/eps^3) that no measurement backs.
  static QString PackingFactorNote(const TPackingRecord& packing);

  // The design case of the last calculation (inputs, results, curve set, operating points).
  const TDesignCase& DesignCase() const { return FCase; }
  // The validity findings on the latest calculation (errors first); the messages pane, the
  // marked fields and the status bar show the same list.
  const std::vector<TFinding>& Findings() const { return FFindings; }
  // The rating of the latest run (rating only; core/Rating.h).
  const std::optional<TRating>& Rating() const { return FRatingResult; }
  // The whole column of the latest run, when the project has one.
  const std::optional<TColumnResult>& Column() const { return FColumnResult; }
  // The simulator imports: one stage's loads through the dialogs, or every stage of a column.
  TSimulatorCommands& Simulators() { return FSimulators; }

  // The project commands (new, open, save, recent files) and the current project's path.
  TFileCommands& Files() { return FFiles; }
  const TFileCommands& Files() const { return FFiles; }
  const QString& CurrentFile() const { return FFiles.CurrentFile(); }

  QMenu* MFile() const { return FMFile; }
  TMyStatusBar* MyStatusBarMain() const { return FStatusBar; }
  QPlainTextEdit* MMessages() const { return FMessages; }
  QTabWidget* PageControlMain() const { return FPageControl; }
  TApplicationHelp* ApplicationHelp1() const { return FApplicationHelp; }

  // The report commands (save, print, PDF) and the report saved last.
  TReportCommands& Reports() { return FReports; }
  const TReportCommands& Reports() const { return FReports; }
  // The design as a document: what every field, list, text and box shows, with the latest run
  // and its findings. The report is written from it.
  TDesignDocument Document() const;

  // The chart page's commands and the numbers of the last drawing.
  TChartCommands& Chart() { return FChart; }
  const TChartCommands& Chart() const { return FChart; }
  // With UmD, dD, LD and VD filled, makes the chart page current and computes the design,
  // minimum and 80 % loads [kg/s] from the fields as they stand; false (and nothing else
  // happens) when one of them is empty.
  bool CalcEnvelopeLoads(double& L, double& V, double& Lmin, double& Vmin, double& L80,
                         double& V80);
  TPaintBox* PYPaintBox() const { return FPYPaintBox; }
  TPaintBox* MyPaintBox() const { return FMyPaintBox; }

  // The one application-wide error report: shows the text in the error box.
  void ReportError(const QString& text);
  // Runs an event handler's body: a silent abort ends it quietly, any other error reaches the
  // error report; nothing crosses into Qt's event loop.
  void Guard(const std::function<void()>& body);

  // The simulator import dialogs while they are shown.
  QPointer<QDialog> FormHysys;
  QPointer<QDialog> FormProii;

 public slots:
  void MFileClick();
  void MExitClick();
  void PageControlMainChange(int index);
  void ProjectDChange();

  // The check and calculation run when the user leaves an input after changing something:
  // the relation groups complete the inputs, then the design is recalculated and NeedsRecalc is
  // lowered. Nothing happens while no change is pending. Errors end the run (the application-wide
  // report shows them) and leave NeedsRecalc raised, so the next exit tries again.
  void LDExit(QObject* sender = nullptr);
  // A change of the foaming factor, design percentage or packing takes effect at once, unless a
  // typed change is already pending (then the next exit recalculates).
  void AfDChange(QObject* sender = nullptr);
  // The flooding method enables the Kf inputs (Eckert-Orvik only) and names Kp's label.
  void MethodDChange(QObject* sender = nullptr);
  void ACLMethodDSelect(QObject* sender = nullptr);
  // The calculation basis ("文献" or "旧版算法") takes effect at once.
  void CalcBasisSelect(QObject* sender = nullptr);
  void CalKfClick(QObject* sender = nullptr);
  void CalKpClick(QObject* sender = nullptr);
  // The menus' and the tool bar's handlers; each calls its command group (Files(), Reports(),
  // Chart(), the help and the simulator commands), where the work is done.
  void MFile_NewClick();
  void MFile_OpenClick(QObject* sender = nullptr);
  void MFile_SaveClick(QObject* sender = nullptr);
  // The simulator imports: each opens its dialog modally; the dialog writes the imported loads
  // and properties into the fields and frees itself on close.
  void BHysysClick();
  void BProiiClick();
  void MAboutClick();
  void MHelp_TopicClick();
  void MHelp_WhatthisClick();
  void MHelp_URLClick();
  void MHelp_EmailClick();
  void MHELP_UpdateClick();
  void MReport_SaveClick(QObject* sender = nullptr);
  void MReport_PrintClick(QObject* sender = nullptr);
  void MReport_PdfClick(QObject* sender = nullptr);
  // Recalculates and draws both diagrams of the chart page.
  void MReport_PerClick();
  void MyPaintBoxPaint(QObject* sender = nullptr);
  void MyPaintBoxMouseown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
  void MyPaintBoxMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y);
  void MyPaintBoxMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void FormCreate();
  void BuildMenus();
  void BuildToolBar();
  void BuildPages();
  // A page whose content scrolls when the window is smaller than it; `name` is the page's.
  QScrollArea* ScrolledPage(const QString& name, QWidget* content);
  // Height of the messages pane showing `lines` text lines [pixels].
  int MessagesHeightForLines(int lines) const;
  QString SettingsFile() const;
  void LoadWindowSettings();
  // The messages pane's height while the user has not chosen one.
  void SplitterResized();
  void SaveWindowSettings();
  QWidget* BuildCalculationPage();
  QWidget* BuildProjectGroup();
  QWidget* BuildLiquidGroup();
  QWidget* BuildGasGroup();
  QWidget* BuildOtherGroup();
  QWidget* BuildResults();
  void BindUnitSelectors();
  void ConnectChangeHandlers();
  void ConnectCalculation();
  // The design case's options from the option lists.
  void ReadOptions();
  // After a calculation attempt on the window's document: its fields (texts, the relation
  // groups' marks, stale results), the method if the run set it back, and the findings in the
  // messages pane, on their fields and counted in the status bar.
  void ShowRun(const TDesignDocument& doc);
  void ShowFindingLines();
  void FactorClick(const QString& check, const QString& field);

  // One numeric row: label, field and unit selector in a grid row; returns the field.
  // A value field with its label and unit selector; caption, hint and help number come from the
  // field registry. role: 'R' an input that must be resolved, 'I' an input, 'O' a result.
  TEditD* AddValueRow(QGridLayout* grid, int row, int column, TField field, char role);
  QLabel* AddLabel(QGridLayout* grid, int row, int column, const QString& name,
                   const QString& caption);
  QLabel* AddSectionCaption(QGridLayout* grid, int row, const QString& name,
                            const QString& caption);
  QComboBox* AddListRow(QGridLayout* grid, int row, const QString& name, const QString& caption,
                        const QStringList& items, const QString& hint, int help);
  QAction* MakeAction(const QString& name, const QString& caption, bool enabled);
  // The menu item or tool bar button `name`, enabled unless told not to, running `run` with
  // itself when triggered; nullptr (and nothing connected) when the window has no such command.
  QAction* OnCommand(const char* name, std::function<void(QAction*)> run, bool enable = true);
  // A key press seen before the focused control (the window sees every key first).
  bool FormKeyPress(QWidget* target, QKeyEvent* event);
  // Shows the focused control's hint in the key hint window, or hides the window.
  void FormKeyDown(QWidget* target, QKeyEvent* event);
  // Hides the key hint window when this window loses the activation.
  void FormDeactivate();

  TFormVELMSetup FSetup;
  TFileCommands FFiles;
  TReportCommands FReports;
  TChartCommands FChart;
  THelpCommands FHelp;
  TSimulatorCommands FSimulators;
  TApplicationHelp* FApplicationHelp = nullptr;
  int FReportCount = 0;  // error reports and calculation messages shown so far
  TPaintBox* FPYPaintBox = nullptr;
  TPaintBox* FMyPaintBox = nullptr;
  TDesignCase FCase;
  std::vector<TFinding> FFindings;
  std::optional<TRating> FRatingResult;
  TRatingPanel* FRating = nullptr;
  // The whole column of the latest run ("全塔" page).
  std::optional<TColumnInput> FColumnInput;
  std::optional<TColumnResult> FColumnResult;
  TDocumentAnalysis FAnalysisResult;
  TAnalysisPanel* FAnalysis = nullptr;
  TColumnPanel* FColumn = nullptr;
  bool FInLDExit = false;
  QList<QWidget*> FExitControls;  // plain controls whose exit runs LDExit
  TMyAppConst FAppConst;
  TMyClientDataSet FPackings;
  bool FPackingsLoaded = false;

  QMenu* FMFile = nullptr;
  QAction* FMFileSave = nullptr;
  QToolBar* FToolBar = nullptr;
  QSplitter* FSplitter = nullptr;
  bool FMessagesHeightChosen = false;  // dragged by the user or read from the settings
  QTabWidget* FPageControl = nullptr;
  QPlainTextEdit* FMessages = nullptr;
  TMyStatusBar* FStatusBar = nullptr;
  TMyDBGrid* FGrid = nullptr;
  QComboBox* FPTD = nullptr;
  QTextEdit* FComment = nullptr;
  QHash<QString, TEditD*> FFields;  // value fields by name
  QHash<QString, QLabel*> FLabels;  // their caption labels, by the field's name
};

}  // namespace velm
