#pragma once
// What a renderer needs to draw a worksheet, read from the workbook once: each cell's value and
// the text its number format shows, the cell formats resolved into fonts, fills, borders and
// alignment, merged areas, column widths and row heights, the used range and print area, and
// the page setup. Plain data; nothing in a workbook makes reading it fail (values out of range
// are kept within bounds, unknown ones fall back to the spreadsheet's defaults).
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ooxml/Workbook.h"

namespace velm::ooxml {

// A colour as 0xAARRGGBB; an alpha of 0 (kNoColor) means none.
using TArgb = std::uint32_t;
constexpr TArgb kNoColor = 0;
constexpr TArgb kBlack = 0xFF000000u;
constexpr TArgb kWhite = 0xFFFFFFFFu;

// A block of cells, rows and columns from 1, corners included.
struct TRange {
  int Row1 = 1, Col1 = 1, Row2 = 1, Col2 = 1;
  bool Contains(int r, int c) const { return r >= Row1 && r <= Row2 && c >= Col1 && c <= Col2; }
  bool operator==(const TRange&) const = default;
};
// The first area of a reference such as "'Sheet'!$A$1:$I$54,B2" (the sheet name and "$" are
// ignored; a single cell is a one-cell range; reversed corners are put in order); false when it
// does not begin with a cell reference.
bool ParseRange(const std::string& text, TRange& range);

struct TFontStyle {
  std::string Name = "宋体";
  double Size = 11;  // [pt]
  bool Bold = false, Italic = false, Underline = false;
  TArgb Color = kBlack;
};

// Border line styles as the workbook names them.
enum class TLineStyle {
  None,
  Thin,
  Medium,
  Dashed,
  Dotted,
  Thick,
  Double,
  Hair,
  MediumDashed,
  DashDot,
  MediumDashDot,
  DashDotDot,
  MediumDashDotDot,
  SlantDashDot
};
struct TBorderSide {
  TLineStyle Style = TLineStyle::None;
  TArgb Color = kBlack;
};
struct TBorderStyle {
  TBorderSide Left, Right, Top, Bottom;
};

// General: text to the left, numbers to the right, Booleans and errors centred.
enum class THAlign { General, Left, Center, Right, Fill, Justify, CenterContinuous, Distributed };
enum class TVAlign { Bottom, Top, Center, Justify, Distributed };

// A cell format (an entry of the workbook's cellXfs) with its font, fill and border resolved.
struct TCellStyle {
  TFontStyle Font;
  TArgb Fill = kNoColor;  // a solid fill's colour; patterns other than solid are not drawn
  TBorderStyle Border;
  THAlign HAlign = THAlign::General;
  TVAlign VAlign = TVAlign::Bottom;
  bool Wrap = false;
  int Indent = 0;  // [steps of three digit widths], 0..50
  int NumFmtId = 0;
  std::string NumFmtCode = "General";
};

// A cell as a renderer sees it.
struct TSheetCell {
  TCellKind Kind = TCellKind::Empty;
  std::string Value;  // as stored (see TCell::Text)
  std::string Text;   // as its number format shows it
  int Style = 0;      // index for TSheetLayout::Style
};

// A run of columns sharing a width (a <col> element).
struct TColumnSpan {
  int Min = 1, Max = 1;
  double Width = 0;  // [characters of the default font's digit]; 0 for hidden columns
};

struct TPageSetup {
  int PaperSize = 1;  // the workbook's paper code: 1 Letter, 5 Legal, 8 A3, 9 A4, 11 A5, 13 B5…
  bool Landscape = false;
  double Left = 0.7, Right = 0.7, Top = 0.75, Bottom = 0.75;  // margins [in]
  double Header = 0.3, Footer = 0.3;  // from the paper's edge to the header and footer [in]
  bool FitToPage = false;             // fit to FitWidth x FitHeight pages instead of Scale
  int FitWidth = 1, FitHeight = 1;    // 0: as many pages as it takes that way
  int Scale = 100;                    // [%], 10..400
  bool CenterH = false, CenterV = false;
  std::string HeaderText, FooterText;  // with their codes (&L, &C, &R, &P, &N…)
};

struct TSheetLayout {
  // From A1 to the last row and column holding a cell (also one that only carries a format) or
  // a merged area.
  TRange Used;
  std::optional<TRange> PrintArea;
  std::map<std::pair<int, int>, TSheetCell> Cells;  // (row, column), empty formatted ones too
  std::vector<TRange> Merges;
  double DefaultColumnWidth = 8.71;  // [characters]
  double DefaultRowHeight = 15;      // [pt]
  std::vector<TColumnSpan> Columns;  // in the workbook's order; a later span wins
  std::map<int, double> Rows;        // rows with their own height (0 when hidden) [pt]
  TPageSetup Page;
  TFontStyle DefaultFont;  // the workbook's first font (headers and footers)
  std::vector<TCellStyle> Styles{TCellStyle{}};

  // The format of a cell's Style index; an index out of range gives the first format.
  const TCellStyle& Style(int index) const;
  // Widths of columns first..last [characters] and heights of rows first..last [pt].
  std::vector<double> ColumnWidths(int first, int last) const;
  std::vector<double> RowHeights(int first, int last) const;
};

// The layout of sheet `index` (from 1).
TSheetLayout ReadSheetLayout(const TWorkbook& book, int index);
// Only the page setup of the sheet, for setting up a printer.
TPageSetup ReadPageSetup(const TWorkbook& book, int index);

// A stored number as the format code shows it: General (up to 10 significant digits, the
// exponent signed and of at least two digits) and the simple codes (fixed decimals, thousands
// separators, per cent, scientific), rounding halves away from zero; only the code's first
// section is used. A text that is not a finite number is returned as it is.
std::string FormatNumber(const std::string& stored, const std::string& code);

}  // namespace velm::ooxml
