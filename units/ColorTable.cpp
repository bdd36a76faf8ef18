#include "units/ColorTable.h"

#include <QGuiApplication>
#include <array>
#include <utility>

namespace velm {

namespace {

// Palette role standing for each system colour index (0 .. 24).
struct TSysRole {
  QPalette::ColorGroup FGroup;
  QPalette::ColorRole FRole;
};

constexpr std::array<TSysRole, 25> kSysRoles{{
    {QPalette::Active, QPalette::Button},             // scroll bar
    {QPalette::Active, QPalette::Window},             // desktop background
    {QPalette::Active, QPalette::Highlight},          // active caption
    {QPalette::Inactive, QPalette::Highlight},        // inactive caption
    {QPalette::Active, QPalette::Window},             // menu
    {QPalette::Active, QPalette::Base},               // window (edit background)
    {QPalette::Active, QPalette::Shadow},             // window frame
    {QPalette::Active, QPalette::WindowText},         // menu text
    {QPalette::Active, QPalette::Text},               // window text
    {QPalette::Active, QPalette::HighlightedText},    // caption text
    {QPalette::Active, QPalette::Window},             // active border
    {QPalette::Inactive, QPalette::Window},           // inactive border
    {QPalette::Active, QPalette::Dark},               // application work space
    {QPalette::Active, QPalette::Highlight},          // highlight
    {QPalette::Active, QPalette::HighlightedText},    // highlight text
    {QPalette::Active, QPalette::Button},             // button face
    {QPalette::Active, QPalette::Mid},                // button shadow
    {QPalette::Disabled, QPalette::Text},             // grey text
    {QPalette::Active, QPalette::ButtonText},         // button text
    {QPalette::Inactive, QPalette::HighlightedText},  // inactive caption text
    {QPalette::Active, QPalette::Light},              // button highlight
    {QPalette::Active, QPalette::Shadow},             // 3-D dark shadow
    {QPalette::Active, QPalette::Midlight},           // 3-D light
    {QPalette::Active, QPalette::ToolTipText},        // info text
    {QPalette::Active, QPalette::ToolTipBase},        // info background
}};

constexpr std::array<std::pair<int, Qt::CursorShape>, 20> kCursors{{
    {kCursorNone, Qt::BlankCursor},           {kCursorArrow, Qt::ArrowCursor},
    {kCursorCross, Qt::CrossCursor},          {kCursorIBeam, Qt::IBeamCursor},
    {kCursorSizeNESW, Qt::SizeBDiagCursor},   {kCursorSizeNS, Qt::SizeVerCursor},
    {kCursorSizeNWSE, Qt::SizeFDiagCursor},   {kCursorSizeWE, Qt::SizeHorCursor},
    {kCursorUpArrow, Qt::UpArrowCursor},      {kCursorHourGlass, Qt::WaitCursor},
    {kCursorDrag, Qt::DragCopyCursor},        {kCursorNoDrop, Qt::ForbiddenCursor},
    {kCursorHSplit, Qt::SplitHCursor},        {kCursorVSplit, Qt::SplitVCursor},
    {kCursorMultiDrag, Qt::DragMoveCursor},   {kCursorSQLWait, Qt::BusyCursor},
    {kCursorNotAllowed, Qt::ForbiddenCursor}, {kCursorAppStart, Qt::BusyCursor},
    {kCursorHelp, Qt::WhatsThisCursor},       {kCursorHandPoint, Qt::PointingHandCursor},
}};

}  // namespace

bool IsSystemColor(int number) {
  return (static_cast<unsigned>(number) & 0xFF000000u) == 0xFF000000u;
}

QColor ColorFromNumber(int number) {
  if (IsSystemColor(number) && qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    return ColorFromNumber(number, QGuiApplication::palette());
  return ColorFromNumber(number, QPalette());
}

QColor ColorFromNumber(int number, const QPalette& palette) {
  if (IsSystemColor(number)) {
    const unsigned index = static_cast<unsigned>(number) & 0xFFu;
    if (index >= kSysRoles.size()) return QColor();
    return palette.color(kSysRoles[index].FGroup, kSysRoles[index].FRole);
  }
  if ((static_cast<unsigned>(number) & 0xFF000000u) != 0) return QColor();  // none, default
  return QColor(number & 0xFF, (number >> 8) & 0xFF, (number >> 16) & 0xFF);
}

int ColorToNumber(const QColor& color) {
  if (!color.isValid()) return kColorNone;
  const QColor rgb = color.toRgb();
  return ColorNumberFromRgb(rgb.red(), rgb.green(), rgb.blue());
}

std::optional<Qt::CursorShape> CursorFromNumber(int number) {
  if (number == kCursorSizeAll) return Qt::SizeAllCursor;
  for (const auto& [n, shape] : kCursors)
    if (n == number) return shape;
  return std::nullopt;
}

int CursorToNumber(Qt::CursorShape shape) {
  if (shape == Qt::ForbiddenCursor) return kCursorNotAllowed;
  if (shape == Qt::SizeAllCursor) return kCursorSizeAll;
  if (shape == Qt::BusyCursor) return kCursorAppStart;
  for (const auto& [n, s] : kCursors)
    if (s == shape) return n;
  return kCursorDefault;
}

}  // namespace velm
