#pragma once
// Status bar with three panels and a progress bar laid over one of them.
//
// Panels 0 and 1 show text; the panel at PIndex (default 2) is "owner-drawn": whenever it is laid
// out or drawn, the progress bar "ProgressBar" takes the panel's rectangle, grown by one pixel
// to the left, up and down, and narrowed by 12 pixels on the right when it is the last panel.
#include <QStatusBar>
#include <QVector>

class QLabel;
class QProgressBar;

namespace velm {

class TMyStatusBar : public QStatusBar {
  Q_OBJECT
  Q_PROPERTY(int PIndex READ PIndex WRITE SetPIndex)

 public:
  enum class TPanelStyle { Text, OwnerDraw };

  explicit TMyStatusBar(QWidget* parent = nullptr);

  int PanelCount() const { return static_cast<int>(FPanels.size()); }
  QLabel* Panel(int index) const;  // nullptr outside the panels
  QString PanelText(int index) const;
  void SetPanelText(int index, const QString& text);
  TPanelStyle PanelStyle(int index) const;

  QProgressBar* ProgressBar() const { return FProgressBar; }

  int PIndex() const { return FPIndex; }
  // An index outside the panels is ignored. Otherwise the old panel becomes a text panel, the new
  // one owner-drawn, and the bar moves to the new panel.
  void SetPIndex(int index);

  // The rectangle the bar takes over panel `index`, in status bar coordinates.
  QRect BarRectFor(int index) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void PlaceProgressBar();

  QVector<QLabel*> FPanels;
  QVector<TPanelStyle> FStyles;
  QProgressBar* FProgressBar = nullptr;
  int FPIndex = 2;
};

}  // namespace velm
