// The layout a renderer reads from a workbook: the shipped template's formatted cells, page and
// geometry as its XML states them; odd and out-of-range values in a made-up workbook; numbers
// shown through their formats.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "ooxml/SheetLayout.h"

using namespace velm::ooxml;
namespace fs = std::filesystem;

namespace {

using L = TLineStyle;

struct TExpectedStyle {
  const char* Cell;
  const char* Text;
  const char* Font;
  double Size;
  bool Bold, Italic, Underline;
  TArgb Color, Fill;
  TLineStyle Left, Right, Top, Bottom;
  THAlign HAlign;
  TVAlign VAlign;
  bool Wrap;
  int Indent;
};

void ExpectStyle(const TSheetLayout& layout, const TExpectedStyle& e) {
  SCOPED_TRACE(e.Cell);
  int row = 0, column = 0;
  ASSERT_TRUE(ParseCellRef(e.Cell, row, column));
  const auto it = layout.Cells.find({row, column});
  const TSheetCell cell = it == layout.Cells.end() ? TSheetCell{} : it->second;
  EXPECT_EQ(cell.Text, e.Text);
  const TCellStyle& s = layout.Style(cell.Style);
  EXPECT_EQ(s.Font.Name, e.Font);
  EXPECT_NEAR(s.Font.Size, e.Size, 1e-9);
  EXPECT_EQ(s.Font.Bold, e.Bold);
  EXPECT_EQ(s.Font.Italic, e.Italic);
  EXPECT_EQ(s.Font.Underline, e.Underline);
  EXPECT_EQ(s.Font.Color, e.Color);
  EXPECT_EQ(s.Fill, e.Fill);
  EXPECT_EQ(s.Border.Left.Style, e.Left);
  EXPECT_EQ(s.Border.Right.Style, e.Right);
  EXPECT_EQ(s.Border.Top.Style, e.Top);
  EXPECT_EQ(s.Border.Bottom.Style, e.Bottom);
  EXPECT_EQ(s.HAlign, e.HAlign);
  EXPECT_EQ(s.VAlign, e.VAlign);
  EXPECT_EQ(s.Wrap, e.Wrap);
  EXPECT_EQ(s.Indent, e.Indent);
}

void ExpectNear(const std::vector<double>& got, const std::vector<double>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(got[i], want[i], 1e-9) << i;
}

}  // namespace

// Fonts with theme colour 1 have no colour of their own here: they print black.
TEST(SheetLayout, TemplateCellsPageAndGeometryAsTheWorkbookStatesThem) {
  auto book = TWorkbook::Open(VELM_TEMPLATE);
  const TSheetLayout layout = ReadSheetLayout(*book, 1);
  const TArgb grey = 0xFF595959u;
  const TExpectedStyle cells[] = {
      {"B1", "散堆填料塔流体力学计算书", "黑体", 18, true, false, false, kBlack, kNoColor,
       L::Medium, L::None, L::Medium, L::Thin, THAlign::Center, TVAlign::Center, false, 0},
      {"H1", "", "黑体", 18, true, false, false, kBlack, kNoColor, L::None, L::Medium, L::Medium,
       L::Thin, THAlign::Center, TVAlign::Center, false, 0},
      {"B2", "计算日期", "宋体", 10, false, false, false, kBlack, 0xFFF2F2F2u, L::Medium, L::Thin,
       L::Thin, L::Thin, THAlign::Left, TVAlign::Center, false, 1},
      {"E2", "", "宋体", 10, false, false, false, kBlack, kNoColor, L::None, L::None, L::None,
       L::None, THAlign::General, TVAlign::Center, false, 0},
      {"B4", "一、项目", "黑体", 11, true, false, false, kBlack, 0xFFDCE6F1u, L::Medium, L::None,
       L::Medium, L::Thin, THAlign::Left, TVAlign::Center, false, 0},
      {"C11", "", "宋体", 10, false, false, false, kBlack, kNoColor, L::Thin, L::Thin, L::Thin,
       L::Thin, THAlign::Left, TVAlign::Top, true, 1},
      {"H14", "", "宋体", 9, false, false, false, grey, kNoColor, L::Thin, L::Medium, L::Thin,
       L::Thin, THAlign::Center, TVAlign::Center, false, 0},
      {"D41", "%", "宋体", 9, false, false, false, grey, kNoColor, L::Thin, L::Thin, L::Thin,
       L::Thin, THAlign::Center, TVAlign::Center, false, 0},
      {"B45", "", "宋体", 10, false, false, false, kBlack, kNoColor, L::Medium, L::None, L::None,
       L::None, THAlign::General, TVAlign::Center, false, 0},
      {"C47", "—", "宋体", 9, false, false, false, kBlack, kNoColor, L::Thin, L::Thin, L::Thin,
       L::Thin, THAlign::Left, TVAlign::Center, true, 1},
      {"B54",
       "注：表中数值及单位与计算程序界面显示一致；物性数据由用户输入，计算结果仅供设计参考。",
       "宋体", 9, false, false, false, grey, kNoColor, L::None, L::None, L::None, L::None,
       THAlign::Left, TVAlign::Center, false, 0},
  };
  for (const auto& c : cells) ExpectStyle(layout, c);
  EXPECT_EQ(layout.Style(0).NumFmtCode, "@");

  EXPECT_EQ(layout.Used, (TRange{1, 1, 54, 8}));
  ASSERT_TRUE(layout.PrintArea);
  EXPECT_EQ(*layout.PrintArea, (TRange{1, 1, 54, 9}));
  ASSERT_EQ(layout.Merges.size(), 29u);
  EXPECT_EQ(layout.Merges.front(), (TRange{1, 2, 1, 8}));
  EXPECT_EQ(layout.Merges[14], (TRange{11, 3, 12, 8}));
  ExpectNear(layout.ColumnWidths(1, 10), {1.5, 17, 19, 9.5, 1.5, 20.5, 19, 9, 1.5, 8.71});
  ExpectNear(layout.RowHeights(8, 11), {17, 0, 0, 22});
  ExpectNear(layout.RowHeights(53, 55), {6, 15, 15});
  EXPECT_EQ(layout.DefaultFont.Name, "宋体");

  for (const TPageSetup& page : {layout.Page, ReadPageSetup(*book, 1)}) {
    EXPECT_EQ(page.PaperSize, 9);
    EXPECT_FALSE(page.Landscape);
    ExpectNear({page.Left, page.Right, page.Top, page.Bottom, page.Header, page.Footer},
               {0.6, 0.5, 0.7, 0.7, 0.3, 0.35});
    EXPECT_TRUE(page.FitToPage);
    EXPECT_EQ(page.FitWidth, 1);
    EXPECT_EQ(page.FitHeight, 1);
    EXPECT_TRUE(page.CenterH);
    EXPECT_FALSE(page.CenterV);
    EXPECT_EQ(page.HeaderText, "&R&\"宋体,常规\"&8散堆填料塔流体力学计算");
    EXPECT_EQ(page.FooterText, "&L&\"宋体,常规\"&8&F&C&\"宋体,常规\"&9第 &P 页 共 &N 页");
  }
}

// Indexed, theme and rgb colours; a custom code that replaces a built-in one; unknown names,
// sizes out of range and indexes past the lists fall back instead of failing.
TEST(SheetLayout, OddAndOutOfRangeFormatsFallBackToDefaults) {
  char name[] = "/tmp/velm-layout-XXXXXX";
  const fs::path dir = ::mkdtemp(name);
  TPackage p;
  p.Set(
      "[Content_Types].xml",
      R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
      R"(<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/></Types>)");
  p.Set(
      "xl/workbook.xml",
      R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
      R"(<sheets><sheet name="S" sheetId="1" r:id="rId1"/></sheets><definedNames>)"
      R"(<definedName name="_xlnm.Print_Area" localSheetId="0">#REF!</definedName></definedNames></workbook>)");
  p.Set(
      "xl/_rels/workbook.xml.rels",
      R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
      R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/></Relationships>)");
  p.Set(
      "xl/styles.xml",
      R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
      R"(<numFmts><numFmt numFmtId="164" formatCode="0.000"/><numFmt numFmtId="2" formatCode="0.0"/></numFmts>)"
      R"(<fonts><font><sz val="12"/><name val="Arial"/></font>)"
      R"(<font><i/><u val="single"/><b val="0"/><color indexed="10"/><sz val="nan"/></font>)"
      R"(<font><color theme="0"/><sz val="1000"/></font><font><color rgb="zz"/></font></fonts>)"
      R"(<fills><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill>)"
      R"(<fill><patternFill patternType="solid"><fgColor indexed="22"/></patternFill></fill>)"
      R"(<fill><patternFill patternType="solid"><fgColor rgb="80123456"/></patternFill></fill>)"
      R"(<fill><patternFill patternType="solid"/></fill></fills>)"
      R"(<borders><border/><border><left style="dashDot"/><right style="bogus"/><top style="hair"/>)"
      R"(<bottom style="none"/></border></borders>)"
      R"(<cellXfs><xf/><xf numFmtId="2" fontId="1" fillId="2" borderId="1">)"
      R"(<alignment horizontal="centerContinuous" vertical="justify" wrapText="1" indent="99"/></xf>)"
      R"(<xf numFmtId="164" fontId="2" fillId="3" borderId="7"><alignment horizontal="bogus" vertical="bogus"/></xf>)"
      R"(<xf numFmtId="10" fontId="-1" fillId="1"/><xf numFmtId="300" fontId="3" fillId="4"/></cellXfs></styleSheet>)");
  p.Set(
      "xl/worksheets/sheet1.xml",
      R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
      R"(<sheetFormatPr baseColWidth="10" defaultRowHeight="20"/>)"
      R"(<cols><col min="2" max="4" width="12"/><col min="3" max="3" hidden="1"/><col min="5" max="5" width="-3"/></cols>)"
      R"(<sheetData><row r="1" ht="500"><c r="A1" s="1"><v>2.25</v></c><c r="B1" s="2"><v>-1</v></c>)"
      R"(<c r="C1" s="3"><v>0.125</v></c><c r="D1" s="4"><v>7</v></c><c r="E1" s="99"><v>1e-7</v></c>)"
      R"(<c r="F1" t="b"><v>1</v></c></row><row r="3" hidden="1"/></sheetData>)"
      R"(<mergeCells><mergeCell ref="B7:A5"/><mergeCell ref="garbage"/></mergeCells>)"
      R"(<pageMargins left="-3" right="1e300" top="nan" bottom="0.5" header="0.2" footer="0.2"/>)"
      R"(<pageSetup scale="1000" orientation="landscape" fitToWidth="-2"/></worksheet>)");
  const std::string path = (dir / "odd.xlsx").string();
  p.Write(path);
  auto book = TWorkbook::Open(path);
  const TSheetLayout layout = ReadSheetLayout(*book, 1);
  fs::remove_all(dir);

  const TExpectedStyle cells[] = {
      // "0.0" replaces the built-in "0.00"; 2.25 is a half and goes up.
      {"A1", "2.3", "宋体", 11, false, true, true, 0xFFFF0000u, 0xFFC0C0C0u, L::DashDot, L::Thin,
       L::Hair, L::None, THAlign::CenterContinuous, TVAlign::Justify, true, 50},
      {"B1", "-1.000", "宋体", 409, false, false, false, kWhite, 0xFF123456u, L::None, L::None,
       L::None, L::None, THAlign::General, TVAlign::Bottom, false, 0},
      {"C1", "12.50%", "Arial", 12, false, false, false, kBlack, kNoColor, L::None, L::None,
       L::None, L::None, THAlign::General, TVAlign::Bottom, false, 0},
      {"D1", "7", "宋体", 11, false, false, false, kBlack, kNoColor, L::None, L::None, L::None,
       L::None, THAlign::General, TVAlign::Bottom, false, 0},
      {"E1", "1E-07", "Arial", 12, false, false, false, kBlack, kNoColor, L::None, L::None, L::None,
       L::None, THAlign::General, TVAlign::Bottom, false, 0},
      {"F1", "TRUE", "Arial", 12, false, false, false, kBlack, kNoColor, L::None, L::None, L::None,
       L::None, THAlign::General, TVAlign::Bottom, false, 0},
  };
  for (const auto& c : cells) ExpectStyle(layout, c);
  EXPECT_EQ(layout.Cells.at({1, 1}).Value, "2.25");

  EXPECT_EQ(layout.Used, (TRange{1, 1, 7, 6}));
  EXPECT_FALSE(layout.PrintArea);
  ASSERT_EQ(layout.Merges.size(), 1u);
  EXPECT_EQ(layout.Merges[0], (TRange{5, 1, 7, 2}));
  ExpectNear(layout.ColumnWidths(1, 6), {10.71, 12, 0, 12, 0, 10.71});
  ExpectNear(layout.RowHeights(1, 4), {409, 20, 0, 20});

  const TPageSetup& page = layout.Page;
  EXPECT_EQ(page.PaperSize, 1);
  EXPECT_TRUE(page.Landscape);
  EXPECT_EQ(page.Scale, 400);
  EXPECT_EQ(page.FitWidth, 0);
  EXPECT_FALSE(page.FitToPage);
  ExpectNear({page.Left, page.Right, page.Top, page.Bottom}, {0, 10, 0.75, 0.5});
}

// Numbers as the spreadsheet shows them: halves of the stored value round away from zero (a
// decimal that binary cannot hold exactly rounds by its true value), a carry moves the exponent,
// only the first section of a code counts, and what cannot be shown by the code is General.
TEST(SheetLayout, NumbersShowThroughTheirFormatCodes) {
  const struct {
    const char* Stored;
    const char* Code;
    const char* Shown;
  } cases[] = {
      {"0.125", "0.00", "0.13"},
      {"2.675", "0.00", "2.67"},  // 2.67499999999999982236431605997495353221893310546875
      {"-0.5", "0", "-1"},
      {"99.5", "0.0E+00", "1.0E+02"},
      {"0.000123", "0.00E+00", "1.23E-04"},
      {"-0.0001", "0.00", "-0.00"},
      {"-0", "0.00", "0.00"},
      {"0", "0.00E+00", "0.00E+00"},
      {"1234567.891", "#,##0.00", "1,234,567.89"},
      {"-999.5", "#,##0", "-1,000"},
      {"0.5", "0%", "50%"},
      {"-2", "0.0;[Red]-0.0", "-2.0"},
      {"123456789012", "General", "1.23456789E+11"},
      {"1e-7", "", "1E-07"},
      {"12.5", "@", "12.5"},
      {"1e307", "0%", "1E+307"},
      {"12abc", "0.00", "12abc"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatNumber(c.Stored, c.Code), c.Shown) << c.Stored << " " << c.Code;
}
