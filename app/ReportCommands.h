#pragma once
// The report commands of the main window (save, print, PDF) and the calculation report written
// from a design document, without a window, which the window and the batch mode both use.
#include <QString>

#include "core/DesignDocument.h"

class QObject;

namespace velm {

class TFormVELM;

// The report dialog's filter from ExcelFileExt: "Excel 文件(*.xlsx)|*.xlsx".
QString ReportFilter();
// The operating range of the report, "low - high": 10000/um and 10000/f [% of the design load]
// to the nearest integer (halves to even); empty when either is not a positive number.
QString OperatingRangeText(double um, double f);

class TReportCommands {
 public:
  explicit TReportCommands(TFormVELM& window) : FWindow(window) {}
  TReportCommands(const TReportCommands&) = delete;
  TReportCommands& operator=(const TReportCommands&) = delete;

  // Fills in the default dialogs and connects the menu items and tool bar buttons.
  void Connect();
  // "保存计算报表": the report of what the window shows, saved where the user says.
  void Save();
  // "打印计算报表": a saved report printed, or as PDF when the machine has no printer.
  void Print();
  // "导出PDF": the report as a PDF, every sheet of it.
  void Pdf();

  // The report saved last in this run, empty before the first; the filter the report dialog
  // was given last.
  const QString& LastReportFile() const { return FLastReportFile; }
  const QString& ReportDialogFilter() const { return FReportFilter; }
  QString ReportTemplateFile() const;
  // Writes the report of what the window shows to `path` from the template (no dialog). Errors
  // are thrown: the spreadsheet's (TAutomationError) or TSilentAbort after "Excel异常!".
  void WriteReport(const QString& path);
  // Writes the same report as a PDF (through a workbook in a temporary folder).
  void ExportReportPdf(const QString& path);

 private:
  TFormVELM& FWindow;
  QString FLastReportFile;
  QString FReportFilter;
};

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
