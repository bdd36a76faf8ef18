#include "report/SpreadsheetReport.h"

#include <iostream>

#include "automation/Automation.h"
#include "base/Errors.h"
#include "report/ExcelServer.h"

namespace velm {

int ExcelVersion = 0;
std::string ExcelFileExt;
std::string ExcelTemplateExt;

namespace {

std::function<void(const std::string&)>& Message() {
  static std::function<void(const std::string&)> show = [](const std::string& text) {
    std::cerr << text << '\n';
  };
  return show;
}

}  // namespace

void SetMyXlsMessage(std::function<void(const std::string&)> show) {
  Message() = show ? std::move(show) : [](const std::string& text) { std::cerr << text << '\n'; };
}

TMyXls::TMyXls(const std::string& templateName, int mode, const std::string& fileName) {
  FExcel = TVariant();
  try {
    FExcel = AttachToRunning(kExcelProgId).Get("Application");
  } catch (const TAutomationError&) {
    try {
      FExcel = CreateInstance(kExcelProgId);
    } catch (const TAutomationError&) {
      Message()("Excel异常!");
      throw TSilentAbort{};
    }
  }
  switch (mode) {
    case 0:
      FWorkbook = FExcel.Get("Workbooks").Call("Add", {templateName});
      FTemplateName = templateName;
      FFileName = fileName;
      break;
    case 1:
      FWorkbook = FExcel.Get("Workbooks").Call("Open", {fileName});
      FFileName = fileName;
      break;
    case 2: {
      // The version text ("16.0") read as an integer: its whole part.
      const std::string text = FExcel.Get("Version").ToString();
      FVersion = int(TVariant(text).ToDouble());
      FFileExt = FVersion >= 12 ? ".xlsx" : ".xls";
      FTemplateExt = FVersion >= 12 ? ".xltx" : ".xlt";
      ExcelVersion = FVersion;
      ExcelFileExt = FFileExt;
      ExcelTemplateExt = FTemplateExt;
      FWorkbook = TVariant();
      return;
    }
    default:
      break;
  }
  if (FWorkbook.IsObject()) FSheet = FWorkbook.Get("ActiveSheet");
}

TMyXls::~TMyXls() {
  try {
    if (FExcel.IsObject()) FExcel.Put("DisplayAlerts", false);
    if (FWorkbook.IsObject()) FWorkbook.Call("Close");
  } catch (...) {
    // Closing never fails the operation that ends here.
  }
  FSheet = TVariant();
  FWorkbook = TVariant();
  FExcel = TVariant();
}

void TMyXls::Save() {
  FExcel.Put("DisplayAlerts", false);
  FWorkbook.Call("SaveAs", {FFileName});
  FExcel.Put("DisplayAlerts", true);
}

void TMyXls::Print() {
  FExcel.Put("DisplayAlerts", false);
  FSheet.Call("PrintOut");
  FExcel.Put("DisplayAlerts", true);
}

void TMyXls::SelectSheet(int index) {
  FWorkbook.Get("Sheets", {index}).Call("Select");
  FSheet = FWorkbook.Get("ActiveSheet");
}

bool MyXlsStart() {
  RegisterExcelServer();
  try {
    TMyXls probe("", 2, "");
  } catch (const TSilentAbort&) {
    return false;
  } catch (const std::exception& e) {
    Message()(e.what());
    return false;
  }
  return true;
}

void MyXlsFinish() {
  ExcelFileExt.clear();
  ExcelTemplateExt.clear();
}

}  // namespace velm
