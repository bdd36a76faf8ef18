#pragma once
// Colour and cursor numbers as project files store them (see units/ColorTable.h for their Qt
// counterparts). Plain numbers, so that the design document in core can hold a field's marks.
#include "core/RelationGroups.h"  // the colours of the derived marks

namespace velm {

// System colours (high byte 0xFF, low byte the index of the role).
inline constexpr int kColorScrollBar = -16777216;
inline constexpr int kColorBackground = -16777215;
inline constexpr int kColorActiveCaption = -16777214;
inline constexpr int kColorInactiveCaption = -16777213;
inline constexpr int kColorMenu = -16777212;
inline constexpr int kColorWindow = -16777211;  // normal background of an edit field
inline constexpr int kColorWindowFrame = -16777210;
inline constexpr int kColorMenuText = -16777209;
inline constexpr int kColorWindowText = -16777208;
inline constexpr int kColorCaptionText = -16777207;
inline constexpr int kColorActiveBorder = -16777206;
inline constexpr int kColorInactiveBorder = -16777205;
inline constexpr int kColorAppWorkSpace = -16777204;
inline constexpr int kColorHighlight = -16777203;
inline constexpr int kColorHighlightText = -16777202;
inline constexpr int kColorBtnFace = -16777201;  // background of read-only result fields
inline constexpr int kColorBtnShadow = -16777200;
inline constexpr int kColorGrayText = -16777199;
inline constexpr int kColorBtnText = -16777198;
inline constexpr int kColorInactiveCaptionText = -16777197;
inline constexpr int kColorBtnHighlight = -16777196;
inline constexpr int kColor3DDkShadow = -16777195;
inline constexpr int kColor3DLight = -16777194;
inline constexpr int kColorInfoText = -16777193;
inline constexpr int kColorInfoBk = -16777192;
// "No colour" and "the default colour" markers.
inline constexpr int kColorNone = 0x1FFFFFFF;
inline constexpr int kColorDefault = 0x20000000;

// A few plain colours by number (0x00BBGGRR); red, sky blue, money green, olive and silver,
// the colours of the derived marks, come from core/RelationGroups.h.
inline constexpr int kColorBlack = 0x000000;
inline constexpr int kColorBlue = 0xFF0000;
inline constexpr int kColorGray = 0x808080;
inline constexpr int kColorWhite = 0xFFFFFF;

// Cursor numbers.
inline constexpr int kCursorDefault = 0;
inline constexpr int kCursorNone = -1;
inline constexpr int kCursorArrow = -2;
inline constexpr int kCursorCross = -3;
inline constexpr int kCursorIBeam = -4;
inline constexpr int kCursorSizeNESW = -6;
inline constexpr int kCursorSizeNS = -7;
inline constexpr int kCursorSizeNWSE = -8;
inline constexpr int kCursorSizeWE = -9;
inline constexpr int kCursorUpArrow = -10;
inline constexpr int kCursorHourGlass = -11;
inline constexpr int kCursorDrag = -12;
inline constexpr int kCursorNoDrop = -13;
inline constexpr int kCursorHSplit = -14;
inline constexpr int kCursorVSplit = -15;
inline constexpr int kCursorMultiDrag = -16;
inline constexpr int kCursorSQLWait = -17;
inline constexpr int kCursorNotAllowed = -18;
inline constexpr int kCursorAppStart = -19;
inline constexpr int kCursorHelp = -20;
inline constexpr int kCursorHandPoint = -21;
inline constexpr int kCursorSizeAll = -22;

}  // namespace velm
