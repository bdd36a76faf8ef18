#pragma once
// Colour and cursor numbers as project files store them, and their Qt counterparts.
//
// Colours are signed 32-bit numbers: 0x00BBGGRR for a plain colour, or a system colour
// (0xFF000000 | index, e.g. the normal window background or the button face) that stands for
// whatever the desktop uses for that role. Cursors are small numbers: 0 is the control's own
// default cursor, negative numbers the standard shapes. This is the only place that knows them.
#include <QColor>
#include <QPalette>
#include <optional>

#include "core/ColorNumbers.h"

namespace velm {

// Colour number of a plain RGB colour.
constexpr int ColorNumberFromRgb(int r, int g, int b) {
  return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}

bool IsSystemColor(int number);

// The Qt colour of a number. System colours are taken from `palette` (the application palette
// when none is given); kColorNone and kColorDefault give an invalid QColor.
QColor ColorFromNumber(int number);
QColor ColorFromNumber(int number, const QPalette& palette);

// The plain colour number of a Qt colour (alpha ignored). An invalid colour gives kColorNone.
int ColorToNumber(const QColor& color);

// The Qt shape of a cursor number; nothing for kCursorDefault (the widget keeps its own
// cursor) and for numbers that name no standard cursor.
std::optional<Qt::CursorShape> CursorFromNumber(int number);

// The number of a Qt shape (kCursorDefault for shapes without a number of their own).
int CursorToNumber(Qt::CursorShape shape);

}  // namespace velm
