#pragma once
// Small windows that show a text beside a control: the yellow hint window (no frame, no focus,
// hidden by its owner) and the help popup (closes at the next key or mouse click, like a help
// text popup).
#include <QColor>
#include <QLabel>
#include <QPoint>

namespace velm {

// A hint window: a frameless tool-tip window with the text word-wrapped to at most a given
// width. It never takes the focus.
class THintWindow : public QLabel {
  Q_OBJECT

 public:
  explicit THintWindow(const QColor& background = QColor(255, 255, 0), QWidget* parent = nullptr);

  // Sizes the window for `text` no wider than `maxWidth` pixels and shows it with its top-left
  // corner at `topLeft` (screen coordinates).
  void ActivateHint(const QPoint& topLeft, const QString& text, int maxWidth);
  // The rectangle the text needs at most `maxWidth` pixels wide (margins included).
  QSize HintSize(const QString& text, int maxWidth) const;
};

// A help text popup: shown at a screen position in given colours; any key or mouse click
// closes it.
class THelpPopup : public QLabel {
  Q_OBJECT

 public:
  explicit THelpPopup(QWidget* parent = nullptr);

  // Shows `text` (plain) with its top-left corner at `topLeft` [screen pixels].
  void ShowText(const QPoint& topLeft, const QString& text, const QColor& foreground,
                const QColor& background);
  QColor Foreground() const;
  QColor Background() const;

  // Widest popup [pixels]; longer texts wrap.
  static constexpr int kMaxWidth = 420;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace velm
