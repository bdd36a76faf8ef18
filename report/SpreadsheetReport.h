#pragma once
// TMyXls: the program's one contact with the spreadsheet, through late-bound automation. A
// wrapper attaches to the spreadsheet ("Excel.Application"), makes a workbook from a template
// (mode 0), opens a workbook (mode 1) or only reads the spreadsheet's version (mode 2), gives
// its owner the active worksheet to write cells into, and saves, prints and closes the workbook
// with the spreadsheet's own questions switched off. A wrapper lives for one operation.
//
// At start the unit asks the spreadsheet once for its version: 12 and later use the
// .xlsx/.xltx formats, earlier ones .xls/.xlt.
#include <functional>
#include <string>

#include "automation/Variant.h"

namespace velm {

// Set once at start by the version probe; cleared at the end of the program.
extern int ExcelVersion;
extern std::string ExcelFileExt;      // ".xls" or ".xlsx"
extern std::string ExcelTemplateExt;  // ".xlt" or ".xltx"

// How the unit shows its one message ("Excel异常!"); the program installs a message box, the
// default writes to standard error.
void SetMyXlsMessage(std::function<void(const std::string&)> show);

class TMyXls {
 public:
  // Mode 0: a new workbook from `templateName`, to be saved as `fileName`; mode 1: the workbook
  // at `fileName`; mode 2: the version probe (sets ExcelVersion, ExcelFileExt,
  // ExcelTemplateExt). When the spreadsheet can be neither attached nor started the message
  // "Excel异常!" is shown and TSilentAbort thrown; a failing Add or Open throws the
  // spreadsheet's error (TAutomationError) and leaves no workbook open.
  TMyXls(const std::string& templateName, int mode, const std::string& fileName);
  // Closes the workbook without saving and without a question, and lets go of the spreadsheet.
  virtual ~TMyXls();
  TMyXls(const TMyXls&) = delete;
  TMyXls& operator=(const TMyXls&) = delete;

  // Saves the workbook under FFileName, replacing an existing file without a question.
  virtual void Save();
  // Prints the active sheet with the workbook's page setup.
  virtual void Print();
  // Makes sheet `index` (from 1) the active sheet and FSheet.
  virtual void SelectSheet(int index);

  TVariant FExcel;
  TVariant FWorkbook;
  TVariant FSheet;
  int FVersion = 0;
  std::string FFileExt;
  std::string FTemplateExt;
  std::string FTemplateName;
  std::string FFileName;
};

// The unit's start: registers the program's spreadsheet server and runs the version probe.
// False when the spreadsheet could not be reached (the message has been shown); the program
// then ends.
bool MyXlsStart();
// The unit's end: clears the extensions.
void MyXlsFinish();

}  // namespace velm
