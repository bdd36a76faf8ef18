#include "help/HintWindow.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

namespace velm {

namespace {

constexpr int kMargin = 4;  // text margin inside the window [pixels]

void SetColours(QLabel* label, const QColor& foreground, const QColor& background) {
  QPalette p = label->palette();
  p.setColor(QPalette::Window, background);
  p.setColor(QPalette::WindowText, foreground);
  label->setPalette(p);
  label->setAutoFillBackground(true);
}

// Keeps a window of `size` at `topLeft` on the screen that holds that point.
QPoint OnScreen(const QPoint& topLeft, const QSize& size) {
  const QScreen* screen = QGuiApplication::screenAt(topLeft);
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return topLeft;
  const QRect area = screen->availableGeometry();
  QPoint p = topLeft;
  if (p.x() + size.width() > area.right()) p.setX(area.right() - size.width());
  if (p.y() + size.height() > area.bottom()) p.setY(area.bottom() - size.height());
  if (p.x() < area.left()) p.setX(area.left());
  if (p.y() < area.top()) p.setY(area.top());
  return p;
}

QSize TextSize(const QLabel& label, const QString& text, int maxWidth) {
  const QFontMetrics fm(label.font());
  const QRect r = fm.boundingRect(QRect(0, 0, maxWidth - 2 * kMargin - 2, 10000),
                                  Qt::TextWordWrap | Qt::AlignLeft, text);
  return {r.width() + 2 * kMargin + 2, r.height() + 2 * kMargin + 2};
}

}  // namespace

THintWindow::THintWindow(const QColor& background, QWidget* parent)
    : QLabel(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
  setObjectName(QStringLiteral("HintWindow"));
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::NoFocus);
  setWordWrap(true);
  setTextFormat(Qt::PlainText);
  setMargin(kMargin);
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setLineWidth(1);
  SetColours(this, QColor(0, 0, 0), background);
}

QSize THintWindow::HintSize(const QString& text, int maxWidth) const {
  return TextSize(*this, text, maxWidth);
}

void THintWindow::ActivateHint(const QPoint& topLeft, const QString& text, int maxWidth) {
  setText(text);
  const QSize size = HintSize(text, maxWidth);
  setFixedSize(size);
  move(OnScreen(topLeft, size));
  show();
  raise();
}

THelpPopup::THelpPopup(QWidget* parent) : QLabel(parent, Qt::Popup | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("HelpPopup"));
  setWordWrap(true);
  setTextFormat(Qt::PlainText);
  setMargin(kMargin + 2);
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setLineWidth(1);
}

void THelpPopup::ShowText(const QPoint& topLeft, const QString& text, const QColor& foreground,
                          const QColor& background) {
  SetColours(this, foreground, background);
  setText(text);
  const QSize size = TextSize(*this, text, kMaxWidth) + QSize(4, 4);
  setFixedSize(size);
  move(OnScreen(topLeft, size));
  show();
  raise();
}

QColor THelpPopup::Foreground() const { return palette().color(QPalette::WindowText); }
QColor THelpPopup::Background() const { return palette().color(QPalette::Window); }

void THelpPopup::keyPressEvent(QKeyEvent* event) {
  event->accept();
  close();
}

void THelpPopup::mousePressEvent(QMouseEvent* event) {
  // A popup closes by itself when the click is outside; a click on it closes it too.
  event->accept();
  close();
}

}  // namespace velm
