#pragma once
// The "Excel.Application" automation server of this program: the spreadsheet the report code
// talks to, answering by name the members it uses (application: Application, Workbooks,
// Version, DisplayAlerts; workbook collection: Add, Open; workbook: ActiveSheet, SaveAs, Close,
// Sheets; worksheet: Select, Name, Cells, Shapes, PrintOut; cell: Value, NumberFormat, Left,
// Top; shapes: AddPicture) over the workbook engine of ooxml/.
//
// An instance lives as long as someone holds a reference to it; while one lives, attaching to
// the running instance finds it, as a started spreadsheet program would be found. Every
// engine error reaches the caller as an automation error with the engine's text.
#include <functional>

namespace velm {

namespace ooxml {
class TWorkbook;
}

inline constexpr const char* kExcelProgId = "Excel.Application";
// The version the server reports: a spreadsheet of the 12.0-and-later file formats.
inline constexpr const char* kExcelServerVersion = "16.0";

// Registers the server under kExcelProgId (idempotent).
void RegisterExcelServer();

// What PrintOut of a worksheet does: print sheet `sheet` (from 1) of the workbook. Until one is
// installed, PrintOut is an automation error saying that printing is not available.
using TSheetPrinter = std::function<void(const ooxml::TWorkbook& book, int sheet)>;
void SetSheetPrinter(TSheetPrinter printer);

}  // namespace velm
