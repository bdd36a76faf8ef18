#pragma once
// The calculation report written from a design document, without a window: the report
// commands of the window and the batch mode both use it.
#include <QString>

#include "core/DesignDocument.h"

namespace velm {

// The calculation report of a design document, written from the template `templateFile` to
// `path` (the sheet named after `projectFile`, when there is one; `packingText` the packing as
// its list shows it). Errors are thrown: the spreadsheet's (TAutomationError) or TSilentAbort.
void WriteDesignReport(const TDesignDocument& doc, const QString& templateFile,
                       const QString& projectFile, const QString& packingText, const QString& path);
// The same report as a PDF, every sheet of it (through a workbook in a temporary folder).
void ExportDesignReportPdf(const TDesignDocument& doc, const QString& templateFile,
                           const QString& projectFile, const QString& packingText,
                           const QString& path);
// The report template beside the program (or in the installed data folder).
QString DefaultReportTemplate();

}  // namespace velm
