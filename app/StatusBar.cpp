#include "app/StatusBar.h"

#include <QEvent>
#include <QLabel>
#include <QProgressBar>

namespace velm {

TMyStatusBar::TMyStatusBar(QWidget* parent) : QStatusBar(parent) {
  setSizeGripEnabled(false);
  const int stretch[] = {2, 1, 1};
  for (int i = 0; i < 3; ++i) {
    auto* panel = new QLabel(this);
    panel->setObjectName(QStringLiteral("Panel%1").arg(i));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->installEventFilter(this);
    addWidget(panel, stretch[i]);
    FPanels.push_back(panel);
    FStyles.push_back(TPanelStyle::Text);
  }
  FStyles[FPIndex] = TPanelStyle::OwnerDraw;

  FProgressBar = new QProgressBar(this);
  FProgressBar->setObjectName(QStringLiteral("ProgressBar"));
  FProgressBar->setTextVisible(false);
  FProgressBar->setValue(0);
  PlaceProgressBar();
}

QLabel* TMyStatusBar::Panel(int index) const {
  return index >= 0 && index < PanelCount() ? FPanels[index] : nullptr;
}

QString TMyStatusBar::PanelText(int index) const {
  const QLabel* panel = Panel(index);
  return panel ? panel->text() : QString();
}

void TMyStatusBar::SetPanelText(int index, const QString& text) {
  if (QLabel* panel = Panel(index)) panel->setText(text);
}

TMyStatusBar::TPanelStyle TMyStatusBar::PanelStyle(int index) const {
  return index >= 0 && index < PanelCount() ? FStyles[index] : TPanelStyle::Text;
}

void TMyStatusBar::SetPIndex(int index) {
  if (index < 0 || index >= PanelCount()) return;
  if (FPIndex >= 0 && FPIndex < PanelCount()) FStyles[FPIndex] = TPanelStyle::Text;
  FPIndex = index;
  FStyles[FPIndex] = TPanelStyle::OwnerDraw;
  // Detach the bar from the old panel; the repaint of the new panel places it again.
  FProgressBar->hide();
  PlaceProgressBar();
  update();
}

QRect TMyStatusBar::BarRectFor(int index) const {
  const QLabel* panel = Panel(index);
  if (!panel) return {};
  QRect r = panel->geometry().adjusted(-1, -1, 0, 1);
  if (index == PanelCount() - 1) r.setRight(r.right() - 12);
  return r;
}

void TMyStatusBar::PlaceProgressBar() {
  const QRect r = BarRectFor(FPIndex);
  if (r.isEmpty()) return;
  if (FProgressBar->geometry() != r) FProgressBar->setGeometry(r);
  FProgressBar->raise();
  if (!FProgressBar->isVisible() && isVisible()) FProgressBar->show();
}

bool TMyStatusBar::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::Paint || type == QEvent::Resize || type == QEvent::Move) {
    const int index = static_cast<int>(FPanels.indexOf(static_cast<QLabel*>(watched)));
    if (index >= 0 && FStyles[index] == TPanelStyle::OwnerDraw) PlaceProgressBar();
  }
  return QStatusBar::eventFilter(watched, event);
}

}  // namespace velm
