#pragma once
// The spreadsheet engine: a .xltx/.xlsx workbook opened from its package, its sheets by index
// (counted from 1, in the workbook's order), cells set to texts keeping their formats, sheets
// renamed, and the workbook saved under a new path. Cells are also read back (shared and inline
// strings, numbers, Booleans), which the printing and the tests need.
//
// Only the parts that change are parsed and written again; every other part of the package
// (styles, page setup, drawings, printer settings) is kept byte for byte.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ooxml/Package.h"

namespace pugi {
class xml_document;
class xml_node;
}  // namespace pugi

namespace velm::ooxml {

// The first problem of a proposed sheet name (at most 31 characters, none of : \ / ? * [ ],
// not empty, not beginning or ending with an apostrophe), or an empty text when it is good.
std::string SheetNameProblem(const std::string& name);
// A good sheet name made from any text: the forbidden characters become "_", the text is cut to
// 31 characters (never inside a character), apostrophes at its ends are dropped; an empty result
// becomes "Sheet1".
std::string MakeSheetName(const std::string& text);

// What a cell holds when read back.
enum class TCellKind { Empty, Text, Number, Boolean, Error };
struct TCell {
  TCellKind Kind = TCellKind::Empty;
  std::string Text;  // the text, the number as stored, "TRUE"/"FALSE", or the error code
  int Style = 0;     // index into the workbook's cell formats (cellXfs)
};

// A picture of a sheet's drawing: its top-left corner as a cell and an offset into it, its size,
// and the image file's bytes (PNG, JPEG...).
struct TPicture {
  int Row = 1, Column = 1;          // the cell of the top-left corner, from 1
  double OffsetX = 0, OffsetY = 0;  // into that cell [pt]
  double Width = 0, Height = 0;     // [pt]
  std::string Name;                 // the picture's name in the drawing
  std::string Bytes;
};

class TWorkbook {
 public:
  // Opens the package at `path`; throws TOoxmlError with a text naming the file when it is
  // missing, not a workbook, damaged or over the reading limits.
  static std::unique_ptr<TWorkbook> Open(const std::string& path,
                                         const TPackageLimits& limits = {});
  ~TWorkbook();
  TWorkbook(const TWorkbook&) = delete;
  TWorkbook& operator=(const TWorkbook&) = delete;

  const std::string& Path() const { return FPath; }
  // True for a template (.xltx content type).
  bool IsTemplate() const;

  int SheetCount() const { return int(FSheets.size()); }
  // The active sheet's index (the one shown when the workbook opens).
  int ActiveSheet() const { return FActive; }
  // Makes sheet `index` the active and only selected sheet.
  void SelectSheet(int index);
  const std::string& SheetName(int index) const;
  // Renames the sheet; throws TOoxmlError with SheetNameProblem's text (or for a name another
  // sheet has). Print areas and other defined names that refer to the sheet follow it.
  void SetSheetName(int index, const std::string& name);
  // Adds a copy of worksheet `index` as the last sheet, named `name` (checked as SetSheetName
  // checks it), and returns its index. The copy keeps the cells, formats, column widths and page
  // setup; it leaves out the drawing, comments, tables and links, and the source's defined names.
  int CopySheet(int index, const std::string& name);
  // The package part of the sheet, e.g. "xl/worksheets/sheet1.xml".
  const std::string& SheetPart(int index) const;

  // Sets cell (row, column), both from 1, to `text` as an inline string, keeping the cell's
  // format; a new cell takes the format of its row or column. An empty text leaves the cell
  // empty (formatted). Rows and cells stay in ascending order.
  void SetCellText(int sheet, int row, int column, const std::string& text);
  // Sets cell (row, column) to a number with every digit kept (the shortest text that reads back
  // as the same double), keeping the cell's format. A number that is not finite is refused.
  void SetCellNumber(int sheet, int row, int column, double value);
  // Gives cell (row, column) the number format `code` ("0.000", "0.00E+00"), keeping the rest of
  // its format; cells that share a format and a code share the new format.
  void SetNumberFormat(int sheet, int row, int column, const std::string& code);
  // The left edge of a column and the top edge of a row from the sheet's corner [pt], as the
  // column widths (in 7-pixel digits at 96 dpi) and row heights give them.
  double ColumnLeft(int sheet, int column) const;
  double RowTop(int sheet, int row) const;
  // Adds a picture (the bytes of a PNG file) to the sheet's drawing, its top-left corner at
  // (left, top) from the sheet's corner and its size width x height [pt]; the picture moves with
  // its top-left cell. `name` describes it (the picture's alternative text).
  void AddPicture(int sheet, const std::string& png, double left, double top, double width,
                  double height, const std::string& name);
  // The pictures of the sheet's drawing, in the drawing's order (none when it has no drawing).
  std::vector<TPicture> Pictures(int sheet) const;
  TCell Cell(int sheet, int row, int column) const;
  // Every non-empty cell of the sheet as (row, column) -> cell; with `withEmpty` also the cells
  // that only carry a format.
  std::map<std::pair<int, int>, TCell> Cells(int sheet, bool withEmpty = false) const;
  // The text of a defined name (e.g. "_xlnm.Print_Area") for the sheet: its own, else the
  // workbook's; empty when there is none.
  std::string DefinedName(const std::string& name, int sheet) const;

  // The parsed XML of a sheet (parsed on first use), for the printing's page setup and layout.
  const pugi::xml_document& SheetXml(int sheet) const;
  // A package part as parsed XML (e.g. "xl/styles.xml"), or nullptr when the package lacks it.
  const pugi::xml_document* PartXml(const std::string& part) const;

  // Saves the workbook as a .xlsx workbook under `path` (a template becomes a workbook; the
  // calculation chain is dropped and formulas are recalculated on opening). The target is
  // replaced only when the new file is complete.
  void SaveAs(const std::string& path);

 private:
  struct TSheetEntry;
  TWorkbook() = default;
  void Load();
  TSheetEntry& Entry(int index);
  const TSheetEntry& Entry(int index) const;
  pugi::xml_document& Xml(TSheetEntry& sheet) const;
  const std::string& SharedString(int index) const;
  pugi::xml_node CellNode(int sheet, int row, int column);
  // A part to change (parsed on first use; a new part starts as an empty document), written
  // again by SaveAs.
  pugi::xml_document& EditPart(const std::string& part);
  std::string FreePartName(const std::string& stem, const std::string& extension) const;

  std::string FPath;
  TPackageLimits FLimits;
  TPackage FPackage;
  std::unique_ptr<pugi::xml_document> FContentTypes;
  std::unique_ptr<pugi::xml_document> FWorkbookXml;
  std::string FWorkbookPart;  // "xl/workbook.xml"
  std::vector<std::unique_ptr<TSheetEntry>> FSheets;
  int FActive = 1;
  bool FWorkbookChanged = false;
  mutable bool FSharedLoaded = false;
  mutable std::vector<std::string> FShared;
  mutable std::map<std::string, std::unique_ptr<pugi::xml_document>> FParts;
  std::vector<std::string> FChangedParts;
  std::map<std::pair<int, std::string>, int> FDerivedStyles;  // (style, number format) -> style
};

// Column letters of a 1-based column: 1 -> "A", 28 -> "AB".
std::string ColumnName(int column);
// "B3" -> (3, 2); false when the text is not a cell reference.
bool ParseCellRef(const std::string& ref, int& row, int& column);

}  // namespace velm::ooxml
