#pragma once
// TApplicationHelp: the help component of a window. A control's help number decides what F1 or
// the what's-this pointer shows:
//   help keyword (HelpType "keyword")  -> the help file's index at that keyword
//   1000 <= number < 2000              -> the topic mapped to the number
//   number >= 2000                     -> the help file's text popup with that number
//   number < 1000                      -> the control's hint (its tool tip), as a red-on-yellow
//                                         popup (smHelp) or in the component's own hint window
//                                         for Pause milliseconds (smHint)
// Controls carry their help as dynamic properties: "HelpContext" (int), "HelpType" ("keyword"
// or "context", the default) and "HelpKeyword" (string). The hint is the control's tool tip.
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

class QWidget;

namespace velm {

class THelpFile;
class THelpPopup;
class THelpViewer;
class THintWindow;

enum class TShowModal { smHint, smHelp };
enum class THelpType { htKeyword, htContext };

class TApplicationHelp : public QObject {
  Q_OBJECT

 public:
  // The component handles the help requests of `owner` and its controls.
  explicit TApplicationHelp(QWidget* owner);
  ~TApplicationHelp() override;

  // Published properties.
  const QString& HelpFileName() const { return FHelpFileName; }
  void SetHelpFileName(const QString& name) { FHelpFileName = name; }
  bool IncludeHint() const { return FIncludeHint; }
  void SetIncludeHint(bool on) { FIncludeHint = on; }
  TShowModal ShowModal() const { return FShowModal; }
  void SetShowModal(TShowModal mode) { FShowModal = mode; }
  // Reading the pause also sets the timer's interval to it.
  int Pause();
  void SetPause(int milliseconds);
  // Read-only: the control last looked up.
  THelpType HelpType() const { return FHelpType; }
  const QString& HelpKeyword() const { return FHelpKeyword; }
  const QString& CHint() const { return FCHint; }
  int HelpContext() const { return FHelpContext; }

  // The help file: HelpFileName when it names an existing file, otherwise that name taken
  // relative to the folder of the program's shipped files (beside the program, or
  // PREFIX/share/velm in the installed layout).
  QString ResolvedHelpFileName() const;
  // Where the help collection is kept (default: the user's cache folder).
  void SetCollectionDirectory(const QString& dir) { FCollectionDir = dir; }
  // How a help file that cannot be opened is reported (default: a warning box).
  void SetErrorReport(std::function<void(const QString&)> report) {
    FErrorReport = std::move(report);
  }

  // A control asked for help (F1 on it, or a click in what's-this mode): the first control
  // from it up to the owner that has a help number or keyword answers; its top-left corner on
  // the screen is the popup position. True when something was shown.
  bool HelpRequest(QWidget* control);
  // The platform's help request in two steps: the popup position, then the help number.
  void SetPopupPosition(const QPoint& screen) { FPopupPos = screen; }
  bool OnHelp(int helpNumber);

  // The four help operations (a replacement viewer overrides them).
  virtual void ShowContextPopup(int helpNumber, const QPoint& screen);
  virtual void ShowTextPopup(const QString& text, const QPoint& screen);
  virtual void ShowHelpFile();
  virtual void StartWhatsThis();
  // Opening the index at a keyword and a topic by number.
  virtual void ShowIndex(const QString& keyword);
  virtual void ShowTopic(int helpNumber);

  bool InWhatsThisMode() const { return FWhatsThis; }
  void LeaveWhatsThisMode();

  // The help file, opened at the first use; nullptr when it cannot be opened (reported).
  THelpFile* HelpFile();
  // The parts that are shown (nullptr until first used).
  THelpViewer* Viewer() const { return FViewer.get(); }
  THelpPopup* Popup() const { return FPopup; }
  THintWindow* HintWindow() const { return FHintWindow; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* FindControl(int helpNumber) const;
  bool BelongsToOwner(const QObject* object) const;
  THelpViewer* EnsureViewer();

  QWidget* FOwner;
  QString FHelpFileName;
  bool FIncludeHint = true;
  TShowModal FShowModal = TShowModal::smHint;
  int FPause = 1000;
  THelpType FHelpType = THelpType::htContext;
  QString FHelpKeyword;
  QString FCHint;
  int FHelpContext = 0;

  QPoint FPopupPos;
  QPointer<QWidget> FControl;  // the control last looked up
  QTimer FTimer;
  QPointer<THintWindow> FHintWindow;
  QPointer<THelpPopup> FPopup;
  bool FWhatsThis = false;
  bool FSwallowRelease = false;

  QString FCollectionDir;
  std::function<void(const QString&)> FErrorReport;
  // The viewer reads from the help file: the file is released first, then the viewer.
  std::unique_ptr<THelpViewer> FViewer;
  std::unique_ptr<THelpFile> FFile;
  QString FOpenedFile;  // the file FFile was opened from
};

// Help properties of a control.
int HelpNumberOf(const QObject* control);
bool HasHelpKeyword(const QObject* control);

}  // namespace velm
