#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "automation/Automation.h"
#include "base/Errors.h"
#include "ooxml/Workbook.h"
#include "report/ExcelServer.h"
#include "report/SpreadsheetReport.h"

using namespace velm;
namespace fs = std::filesystem;

namespace {

class MyXls : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/velm-myxls-XXXXXX";
    FDir = ::mkdtemp(name);
    SetMyXlsMessage([this](const std::string& text) { FMessages.push_back(text); });
    ASSERT_TRUE(MyXlsStart());
  }
  void TearDown() override {
    SetMyXlsMessage({});
    SetSheetPrinter({});
    RegisterExcelServer();
    fs::remove_all(FDir);
  }
  std::string File(const std::string& name) const { return (FDir / name).string(); }

  fs::path FDir;
  std::vector<std::string> FMessages;
};

}  // namespace

TEST_F(MyXls, VersionProbeChoosesTheNewFormats) {
  EXPECT_EQ(ExcelVersion, 16);
  EXPECT_EQ(ExcelFileExt, ".xlsx");
  EXPECT_EQ(ExcelTemplateExt, ".xltx");
  EXPECT_TRUE(FMessages.empty());
  MyXlsFinish();
  EXPECT_EQ(ExcelFileExt, "");
  EXPECT_EQ(ExcelTemplateExt, "");
}

// A report's life: made from the template, cells and the sheet name written, saved over an
// existing file without a question, freed; cells written after the save are dropped.
TEST_F(MyXls, TemplateFilledSavedAndClosed) {
  const std::string out = File("r.xlsx");
  {
    TMyXls first(VELM_TEMPLATE, 0, out);
    first.Save();
  }
  {
    TMyXls xls(VELM_TEMPLATE, 0, out);
    EXPECT_EQ(xls.FTemplateName, VELM_TEMPLATE);
    EXPECT_EQ(xls.FFileName, out);
    xls.FSheet.Put("Name", "tower1.vlm");
    xls.FSheet.Put("Cells", {5, 3}, "脱苯塔");
    xls.FSheet.Put("Cells", {60, 2}, 1.5);
    xls.Save();
    xls.FSheet.Put("Cells", {5, 3}, "after the save");
    // While the wrapper lives, a second one attaches to the same running spreadsheet.
    EXPECT_NO_THROW(AttachToRunning(kExcelProgId));
  }
  EXPECT_THROW(AttachToRunning(kExcelProgId), TAutomationError);
  auto book = ooxml::TWorkbook::Open(out);
  EXPECT_FALSE(book->IsTemplate());
  EXPECT_EQ(book->SheetName(1), "tower1.vlm");
  EXPECT_EQ(book->Cell(1, 5, 3).Text, "脱苯塔");
  EXPECT_EQ(book->Cell(1, 60, 2).Text, "1.5");

  // Mode 1 opens it again; a sheet selected by index becomes FSheet.
  TMyXls open("", 1, out);
  EXPECT_NO_THROW(open.SelectSheet(1));
  EXPECT_NO_THROW(open.SelectSheet(2));  // the calculation sheet
  EXPECT_EQ(open.FSheet.Get("Name").ToString(), "计算过程");
  EXPECT_THROW(open.SelectSheet(3), TAutomationError);
}

// Errors carry the server's text to the caller; nothing is left open.
TEST_F(MyXls, ServerErrorsReachTheCaller) {
  auto message = [](const std::function<void()>& f) {
    try {
      f();
    } catch (const TAutomationError& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  const std::string missing = File("none.xltx");
  EXPECT_NE(message([&] { TMyXls x(missing, 0, File("a.xlsx")); }).find(missing),
            std::string::npos);
  EXPECT_NE(message([&] { TMyXls x("", 1, missing); }).find(missing), std::string::npos);

  TMyXls xls(VELM_TEMPLATE, 0, File("dir/none/a.xlsx"));
  EXPECT_NE(message([&] { xls.Save(); }).find("dir/none/a.xlsx"), std::string::npos);
  EXPECT_NE(message([&] { xls.FSheet.Put("Name", "a[1]"); }).find("a[1]"), std::string::npos);
  EXPECT_NE(message([&] { xls.FSheet.Put("Cells", {0, 1}, "x"); }), "no error");
  EXPECT_EQ(message([&] { xls.Print(); }), "打印功能尚不可用");
  EXPECT_NE(message([&] { xls.FSheet.Call("Delete"); }).find("Delete"), std::string::npos);
  EXPECT_FALSE(fs::exists(File("a.xlsx")));

  int printed = 0;
  SetSheetPrinter([&](const ooxml::TWorkbook&, int sheet) { printed = sheet; });
  xls.Print();
  EXPECT_EQ(printed, 1);
  EXPECT_TRUE(FMessages.empty());
}

TEST_F(MyXls, NoSpreadsheetShowsItsMessageAndAbandons) {
  UnregisterServer(kExcelProgId);
  EXPECT_THROW(TMyXls("", 2, ""), TSilentAbort);
  EXPECT_FALSE(MyXlsStart() && (UnregisterServer(kExcelProgId), false));
  UnregisterServer(kExcelProgId);
  EXPECT_THROW(TMyXls(VELM_TEMPLATE, 0, File("a.xlsx")), TSilentAbort);
  EXPECT_EQ(FMessages, (std::vector<std::string>{"Excel异常!", "Excel异常!"}));
}
