#pragma once
// The renderer of a worksheet onto paper: cell texts (shared and inline strings, numbers as the
// workbook formats them), fonts, alignment, wrapping, fills, borders, merged cells, column widths
// and row heights, and the sheet's page setup (paper, orientation, margins, fit to page or scale,
// print area, centring, header and footer with page numbers). What it does not know (themes,
// pictures, conditional formats) is left out; nothing in a workbook makes it fail.
#include <QString>

class QPagedPaintDevice;
class QPrinter;

namespace velm {

namespace ooxml {
class TWorkbook;
}

// Sets the printer's page (size, orientation, zero margins: the sheet's own margins are drawn)
// from the sheet's page setup.
void SetupPrinterForSheet(const ooxml::TWorkbook& book, int sheet, QPrinter& printer);
// Renders sheet `sheet` (from 1) page by page onto `device` (a QPrinter set up as above, or any
// paged device of the sheet's paper); returns the number of pages.
int RenderSheet(const ooxml::TWorkbook& book, int sheet, QPagedPaintDevice& device);
// Writes the sheet as a PDF file (the fonts embedded). Throws std::runtime_error with a readable
// text when the file cannot be written.
void WriteSheetPdf(const ooxml::TWorkbook& book, int sheet, const QString& path);

}  // namespace velm

namespace velm {
// Makes PrintOut of the spreadsheet server print on the default printer through this renderer;
// without a printer PrintOut is an automation error saying so. Needs the application object.
void InstallSheetPrinter();
// True when the machine has a printer to print on.
bool HasDefaultPrinter();
}  // namespace velm
