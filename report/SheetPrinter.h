#pragma once
// The renderer of a worksheet onto paper: cell texts (shared and inline strings, numbers as the
// workbook formats them), fonts, alignment, wrapping, fills, borders, merged cells, column widths
// and row heights, and the sheet's page setup (paper, orientation, margins, fit to page or scale,
// print area, centring, header and footer with page numbers) and the pictures of its drawing
// (kept whole on one page where they fit). What it does not know (themes,
// conditional formats) is left out; nothing in a workbook makes it fail.
#include <QString>
#include <vector>

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
// Writes several sheets (from 1, in the order given) as one PDF file, each on its own paper.
void WriteSheetsPdf(const ooxml::TWorkbook& book, const std::vector<int>& sheets,
                    const QString& path);

}  // namespace velm

namespace velm {
// Makes PrintOut of the spreadsheet server print on the default printer through this renderer;
// without a printer PrintOut is an automation error saying so. Needs the application object.
void InstallSheetPrinter();
// True when the machine has a printer to print on.
bool HasDefaultPrinter();
}  // namespace velm
