#include "units/ValueField.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHelpEvent>
#include <QMessageBox>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolTip>
#include <cmath>
#include <string>

#include "base/Decimal.h"
#include "base/Errors.h"
#include "base/NumberFormat.h"
#include "units/ColorTable.h"
#include "units/UnitEntry.h"

namespace velm {

namespace {

bool* GNeedsRecalc = nullptr;
TFieldMessageHook GMessageHook;
TErrorReportHook GErrorHook;
// Above zero while a field that could not deliver its value takes the focus back. The control
// that loses the focus then does not run its exit handler: the operation is being abandoned,
// and the handler would only read the same field again and show its message a second time.
int GTakingFocusBack = 0;
QString GMessageSuffix;  // added to a field's message, see TFieldMessageSuffix

void ShowFieldMessage(QString text, QWidget* parent) {
  const bool warning = !GMessageSuffix.isEmpty();
  if (warning) text += QLatin1Char('\n') + GMessageSuffix;
  if (GMessageHook) {
    GMessageHook(text);
    return;
  }
  QMessageBox box(warning ? QMessageBox::Warning : QMessageBox::NoIcon,
                  QApplication::applicationDisplayName(), text, QMessageBox::Ok,
                  parent ? parent->window() : nullptr);
  box.exec();
}

QString NumberText(double x) {
  if (std::isnan(x)) return QStringLiteral("NaN");
  if (std::isinf(x)) return x > 0 ? QStringLiteral("+INF") : QStringLiteral("-INF");
  return QString::fromStdString(FormatField(x));
}

}  // namespace

TFieldMessageSuffix::TFieldMessageSuffix(QString text) : FPrevious(GMessageSuffix) {
  GMessageSuffix = std::move(text);
}
TFieldMessageSuffix::~TFieldMessageSuffix() { GMessageSuffix = FPrevious; }

void SetNeedsRecalcHook(bool* flag) { GNeedsRecalc = flag; }
bool* NeedsRecalcHook() { return GNeedsRecalc; }
void SetFieldMessageHook(TFieldMessageHook hook) { GMessageHook = std::move(hook); }
void SetErrorReportHook(TErrorReportHook hook) { GErrorHook = std::move(hook); }

void ReportError(const QString& text) {
  if (GErrorHook) {
    GErrorHook(text);
    return;
  }
  QMessageBox::warning(QApplication::activeWindow(), QApplication::applicationDisplayName(), text);
}

TEditD::TEditD(QWidget* parent) : QLineEdit(parent), FColor(kColorWindow) {
  connect(this, &QLineEdit::textChanged, this, &TEditD::TextChanged);
  ApplyBackground();
  SetBlueFont();
}

void TEditD::TextChanged() {
  if (FDetached == 0) emit Change(this);
  if (GNeedsRecalc) *GNeedsRecalc = true;
}

void TEditD::SetKb(const QString& entry) {
  const std::optional<TUnitConversion> conv = ParseUnitEntry(entry.toStdString());
  if (!conv) return;  // a blank entry carries no conversion
  const std::string shown = text().toStdString();
  if (Trim(shown).empty()) {
    FK = conv->FK;
    FB = conv->FB;
    FKb = entry;
    return;
  }
  const double a = StrToFloat(shown);
  const double x = (FK * a + FB - conv->FB) / conv->FK;
  if (!std::isfinite(x))
    throw TCalcError("“" + DisplayName().toStdString() + "”换算单位失败：" +
                     NumberText(x).toStdString() + "（单位“" +
                     UnitDisplayName(entry.toStdString()) + "”）");
  // The factor first, so that a change handler reading Value sees the new text and factor.
  FK = conv->FK;
  FB = conv->FB;
  FKb = entry;
  setText(QString::fromStdString(FormatField(x)));
}

bool TEditD::Editing() const {
  if (hasFocus()) return true;
  // While another window (a dialog, a message box) is active, the field that had the focus
  // in this window is still being edited: the user comes back to it.
  const QWidget* w = window();
  return w && !w->isActiveWindow() && w->focusWidget() == this;
}

void TEditD::SetMyLabel(QObject* label) { FMyLabel = label; }

QString TEditD::DisplayName() const {
  if (FMyLabel) return FMyLabel->property("text").toString();
  return objectName();
}

void TEditD::SetMyResolved(bool resolved) {
  FMyResolved = resolved;
  setFrame(resolved);  // a required input is drawn flat
  SetBlueFont();
  update();
}

std::optional<QString> TEditD::ShortText() const { return ShortFieldText(text()); }

std::optional<QString> ShortFieldText(const QString& t) {
  const std::string s = t.toStdString();
  // Leading blanks are skipped; a trailing blank makes the text invalid.
  size_t i = 0;
  while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
  const std::optional<double> v = ParseNumber(std::string_view(s).substr(i));
  if (!v) return std::nullopt;
  if (t.size() >= 8) return QString::fromStdString(FormatGeneral(*v, 7, 4));
  return t;
}

QString TEditD::FloatStr() {
  const std::optional<QString> s = ShortText();
  if (!s) {
    if (!text().isEmpty()) clear();
    return QString();
  }
  return *s;
}

QString TEditD::DisplayText() const {
  if (Editing()) return QString();  // the full text shows
  QString s = ShortText().value_or(QString());
  if (!FMyResolved && s.isEmpty() && !isReadOnly()) s = QStringLiteral("[Must input]");
  return s == text() ? QString() : s;
}

double TEditD::Value() {
  const std::string shown = text().toStdString();
  const std::string_view t = Trim(shown);
  const std::optional<double> v = ParseNumber(t);
  if (!v) {
    const QString name = DisplayName();
    const QString msg = t.empty()
                            ? QStringLiteral("警告:“") + name + QStringLiteral("”是空白,请补充.")
                            : name + QStringLiteral("是错误数据");
    ShowReadFailure(msg);
    throw TSilentAbort{};
  }
  const double x = FK * *v + FB;
  if (!std::isfinite(x))
    throw TCalcError("“" + DisplayName().toStdString() + "”的数值超出范围：" + shown);
  return x;
}

void TEditD::ShowReadFailure(const QString& message, const QString& warning) {
  {
    std::optional<TFieldMessageSuffix> suffix;
    if (!warning.isEmpty()) suffix.emplace(warning);
    ShowFieldMessage(message, this);
  }
  ++GTakingFocusBack;
  setFocus(Qt::OtherFocusReason);
  --GTakingFocusBack;
  setText(QStringLiteral(" "));
  selectAll();
}

void TEditD::SetValue(double x) {
  const double shown = (x - FB) / FK;
  if (!std::isfinite(x) || !std::isfinite(shown))
    throw TCalcError("“" + DisplayName().toStdString() + "”不能显示数值 " +
                     NumberText(x).toStdString() + "（k=" + NumberText(FK).toStdString() + "）");
  setText(QString::fromStdString(FormatField(shown)));
}

void TEditD::SetColor(int number) {
  FColor = number;
  ApplyBackground();
  update();
}

void TEditD::SetCursorNumber(int number) {
  FCursor = number;
  if (const std::optional<Qt::CursorShape> shape = CursorFromNumber(number))
    setCursor(*shape);
  else
    setCursor(Qt::IBeamCursor);  // the edit control's own cursor
}

void TEditD::ApplyBackground() {
  QPalette p = palette();
  const QPalette app = QApplication::palette(this);
  QColor base = FAlertColor.isValid() ? FAlertColor : ColorFromNumber(FColor, app);
  if (!base.isValid()) base = app.color(QPalette::Active, QPalette::Base);
  p.setColor(QPalette::Base, base);
  setPalette(p);
}

void TEditD::SetBlueFont() { SetTextColor(QColor(0, 0, 255)); }

void TEditD::SetTextColor(const QColor& color) {
  FNormalText = color;
  if (FStale) return;  // shown once the field is current again
  QPalette p = palette();
  p.setColor(QPalette::Active, QPalette::Text, color);
  p.setColor(QPalette::Inactive, QPalette::Text, color);
  setPalette(p);
}

void TEditD::SetStale(bool stale) {
  if (stale == FStale) return;
  if (stale) FNormalText = palette().color(QPalette::Active, QPalette::Text);
  FStale = stale;
  const QColor color = stale ? QColor(128, 128, 128) : FNormalText;
  QPalette p = palette();
  p.setColor(QPalette::Active, QPalette::Text, color);
  p.setColor(QPalette::Inactive, QPalette::Text, color);
  setPalette(p);
  update();
}

void TEditD::SetAlert(const QColor& background, const QString& text) {
  FAlertColor = background;
  FAlertText = background.isValid() ? text : QString();
  ApplyBackground();
  update();
}

QString TEditD::HintText() const {
  QStringList parts;
  if (!toolTip().isEmpty()) parts << toolTip();
  if (FStale) parts << QString::fromUtf8(kStaleHint);
  if (!FAlertText.isEmpty()) parts << FAlertText;
  return parts.join(QLatin1Char('\n'));
}

bool TEditD::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip && (FStale || !FAlertText.isEmpty())) {
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), HintText(), this);
    return true;
  }
  return QLineEdit::event(event);
}

void TEditD::paintEvent(QPaintEvent* event) {
  QLineEdit::paintEvent(event);
  DrawDisplayText();
  if (!FMyResolved) {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
}

void TEditD::DrawDisplayText() {
  if (Editing()) return;
  if (!ShortText() && !text().isEmpty() && !FClearQueued) {
    // Not a number: the text goes, without a message. Changing the text inside a paint event
    // would run the change handlers from there, so it is done right after.
    FClearQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
          FClearQueued = false;
          if (!Editing()) FloatStr();
        },
        Qt::QueuedConnection);
  }
  const QString s = DisplayText();
  if (s.isEmpty()) return;
  QPainter painter(this);
  painter.fillRect(rect().adjusted(1, 1, -1, -1), palette().base());
  painter.setFont(font());
  painter.setPen(isEnabled() ? palette().color(QPalette::Text) : QColor(128, 128, 128));
  // Where the edit control itself puts its text: inside the frame and the text margins, two
  // pixels in, centred in the height, so the short display sits where the edited text will.
  QStyleOptionFrame option;
  initStyleOption(&option);
  const QRect contents = style()
                             ->subElementRect(QStyle::SE_LineEditContents, &option, this)
                             .marginsRemoved(textMargins())
                             .adjusted(2, 0, -2, 0);
  painter.drawText(contents, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, s);
}

void TEditD::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  const Qt::FocusReason reason = event->reason();
  if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
      GTakingFocusBack == 0) {
    try {
      emit Exit(this);
    } catch (const TSilentAbort&) {
    } catch (const std::exception& e) {
      ReportError(QString::fromStdString(e.what()));
    }
  }
  // A handler may have given the focus back (a field that could not deliver its value).
  if (!Editing()) {
    FloatStr();
    update();
  }
}

}  // namespace velm
