#pragma once
// TEditD: the value field. A single-line edit that holds a number in the unit chosen in its
// unit selector (TComboBoxU) and converts it to and from SI: SI = k x shown + b. Every
// calculation, report and importer reads and writes fields only through Value() in SI.
//
// While the field is not being edited it draws a short form of long numbers over its text
// (FloatStr), and "[Must input]" over an empty required input.
//
// A result field may be marked stale (the latest calculation did not write it: grey text) and
// may carry an alert (a validity finding: a warning background and the finding in its hint).
// Both are display state only; neither changes the stored colour or the text.
//
// Signals to use from the window:
//   Change(sender)  - the field's edit handler (OnChange): every text change while attached.
//                     The unit selector detaches it while it re-expresses the number, so a
//                     unit change does not run the window's edit handler. Connect edit handlers
//                     here, not to textChanged.
//   Exit(sender)    - the field lost the focus to another control of the window (not on
//                     window deactivation or pop-ups). Unlike Qt 6's editingFinished it fires
//                     whether or not the text changed.
#include <QColor>
#include <QLineEdit>
#include <QPointer>
#include <QString>
#include <functional>
#include <optional>

class QLabel;

namespace velm {

// Module hooks. The main window points the hook at its NeedsRecalc flag; every text change of
// any field then raises it (after the Change signal). nullptr: no flag is changed.
void SetNeedsRecalcHook(bool* flag);
bool* NeedsRecalcHook();

// Shows the field's read-failure messages. Empty (the default): a plain modal message box.
// Tests set it to collect the texts instead.
using TFieldMessageHook = std::function<void(const QString& text)>;
void SetFieldMessageHook(TFieldMessageHook hook);
// Shows the text of an error that a unit-aware widget caught in its own event handler (a unit
// change that could not re-express the number). Empty (the default): a modal warning box. The
// window points it at its one application-wide error report.
using TErrorReportHook = std::function<void(const QString& text)>;
void SetErrorReportHook(TErrorReportHook hook);
void ReportError(const QString& text);

// While an instance lives, a field that cannot give its value adds `text` to its own message, in
// the same box (the field's text first). The relation groups add their warning so.
class TFieldMessageSuffix {
 public:
  explicit TFieldMessageSuffix(QString text);
  ~TFieldMessageSuffix();
  TFieldMessageSuffix(const TFieldMessageSuffix&) = delete;
  TFieldMessageSuffix& operator=(const TFieldMessageSuffix&) = delete;

 private:
  QString FPrevious;
};

// The hint of a stale result.
inline constexpr const char* kStaleHint = "上次计算的结果，当前输入下未算出";

// A value field's text as the field shows it when not being edited: a number of 8 characters or
// more in 7 significant digits, a shorter one as it is; nothing for a text that is no number
// (leading blanks are skipped, a trailing blank makes the text invalid).
std::optional<QString> ShortFieldText(const QString& text);

class TEditD : public QLineEdit {
  Q_OBJECT
  Q_PROPERTY(double Exchange READ K WRITE SetK)
  Q_PROPERTY(double k READ K WRITE SetK)
  Q_PROPERTY(double b READ B WRITE SetB)
  Q_PROPERTY(QString kb READ Kb WRITE SetKb)
  Q_PROPERTY(QObject* MyLabel READ MyLabel WRITE SetMyLabel)
  Q_PROPERTY(bool MyResolved READ MyResolved WRITE SetMyResolved)
  Q_PROPERTY(QString FloatStr READ FloatStr)
  Q_PROPERTY(QString Text READ text WRITE setText)
  Q_PROPERTY(bool ReadOnly READ isReadOnly WRITE setReadOnly)
  Q_PROPERTY(int Color READ Color WRITE SetColor)
  Q_PROPERTY(int Cursor READ CursorNumber WRITE SetCursorNumber)

 public:
  explicit TEditD(QWidget* parent = nullptr);

  double K() const { return FK; }
  void SetK(double k) { FK = k; }
  double B() const { return FB; }
  void SetB(double b) { FB = b; }

  // The last unit entry assigned. Assigning an entry adopts its factor and offset and
  // re-expresses the shown number so that the SI value stays the same; a blank entry changes
  // nothing; into an empty field only the factor changes. Throws TInputError when the entry or
  // the shown text is not a number, TCalcError when the new text would not be finite.
  QString Kb() const { return FKb; }
  void SetKb(const QString& entry);

  // The label whose caption names the field in messages (any object with a "text" property);
  // none: the field's object name is used.
  QObject* MyLabel() const { return FMyLabel; }
  void SetMyLabel(QObject* label);
  // The name used in messages.
  QString DisplayName() const;

  // False marks a required input: flat frame, "[Must input]" while empty and editable, never
  // derived by the relation groups.
  bool MyResolved() const { return FMyResolved; }
  void SetMyResolved(bool resolved);

  // Short display text (numbers of 8 characters or more in 7 digits with four exponent
  // digits). A text that is not a number gives "" and clears the field, without a message.
  QString FloatStr();
  // The same text without touching the field; nothing when the text is not a number.
  std::optional<QString> ShortText() const;
  // True while the field has the focus, or had it when its window was deactivated.
  bool Editing() const;
  // What is drawn over the field now: empty while it is being edited and when the short text
  // equals the text.
  QString DisplayText() const;

  // The SI value [SI unit of the quantity]. A blank or non-numeric text shows the field's
  // message, gives the field the focus with a single selected blank as text, and throws
  // TSilentAbort.
  double Value();
  // What Value does for a text that is no number, without the throw: the message (with
  // `warning` in the same box when given), the focus, a single selected blank.
  void ShowReadFailure(const QString& message, const QString& warning = {});
  // Writes the general-format text (15 digits) of (x - b) / k. Throws TCalcError instead of
  // writing a text that is not a finite number.
  void SetValue(double x);

  // Background colour number (see ColorTable.h); the normal window colour by default.
  int Color() const { return FColor; }
  void SetColor(int number);
  // A result that the latest calculation did not write: grey text, hint kStaleHint.
  bool Stale() const { return FStale; }
  void SetStale(bool stale);
  // A finding on the field: `background` is drawn instead of the field's colour (an invalid
  // colour clears the alert) and `text` is added to the hint.
  void SetAlert(const QColor& background, const QString& text);
  QString AlertText() const { return FAlertText; }
  QColor AlertColor() const { return FAlertColor; }
  // The hint shown over the field: its own tooltip, then the stale note and the alert.
  QString HintText() const;

  // Cursor number (see ColorTable.h); 0 is the field's own text cursor.
  int CursorNumber() const { return FCursor; }
  void SetCursorNumber(int number);

  // The edit handler (Change signal) is detached while the count is above zero.
  void DetachChangeHandler() { ++FDetached; }
  void AttachChangeHandler() {
    if (FDetached > 0) --FDetached;
  }
  bool ChangeHandlerAttached() const { return FDetached == 0; }

 signals:
  void Change(QObject* sender);
  void Exit(QObject* sender);

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void TextChanged();
  void ApplyBackground();  // only the background: a font colour set by the window stays
  void SetBlueFont();
  void SetTextColor(const QColor& color);
  void DrawDisplayText();

  double FK = 1.0;
  double FB = 0.0;
  QString FKb;
  QPointer<QObject> FMyLabel;
  bool FMyResolved = true;
  int FColor;
  int FCursor = 0;
  int FDetached = 0;
  bool FClearQueued = false;
  bool FStale = false;
  QColor FNormalText;  // the text colour while not stale
  QColor FAlertColor;
  QString FAlertText;
};

}  // namespace velm
