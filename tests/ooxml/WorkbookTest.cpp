#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <pugixml.hpp>

#include "ooxml/SheetLayout.h"
#include "ooxml/Workbook.h"
#include "support/Pipe.h"

using namespace velm::ooxml;
namespace fs = std::filesystem;

namespace {

class TTempDir {
 public:
  TTempDir() {
    char name[] = "/tmp/velm-ooxml-XXXXXX";
    FPath = ::mkdtemp(name);
  }
  ~TTempDir() { fs::remove_all(FPath); }
  std::string File(const std::string& name) const { return (FPath / name).string(); }
  std::vector<std::string> List() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(FPath)) names.push_back(e.path().filename());
    return names;
  }

 private:
  fs::path FPath;
};

const char* kTypes =
    R"(<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
    R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
    R"(<Default Extension="xml" ContentType="application/xml"/>)"
    R"(<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>)"
    R"(<Override PartName="/xl/calcChain.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.calcChain+xml"/>)"
    R"(</Types>)";
const char* kRootRels =
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>)";
const char* kWorkbook =
    R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
    R"(<bookViews><workbookView activeTab="1"/></bookViews>)"
    R"(<sheets><sheet name="One" sheetId="1" r:id="rId1"/><sheet name="Two" sheetId="2" r:id="rId2"/></sheets>)"
    R"(<definedNames><definedName name="_xlnm.Print_Area" localSheetId="1">Two!$A$1:$C$9</definedName></definedNames>)"
    R"(</workbook>)";
const char* kWorkbookRels =
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>)"
    R"(<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="/xl/worksheets/sheet2.xml"/>)"
    R"(<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/>)"
    R"(<Relationship Id="rId4" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/calcChain" Target="calcChain.xml"/>)"
    R"(</Relationships>)";
// Rows and cells partly without references (they follow the one before), a formula, every
// kind of value.
const char* kSheet1 =
    R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)"
    R"(<row r="2"><c r="A2" t="s"><v>0</v></c><c t="s"><v>1</v></c><c r="D2"><v>2.5</v></c></row>)"
    R"(<row><c r="A3" t="b"><v>1</v></c><c r="B3" t="inlineStr"><is><t>in line</t></is></c><c r="C3" s="4" t="e"><v>#DIV/0!</v></c>)"
    R"(<c r="D3" s="4"><f>D2*2</f><v>5</v></c></row>)"
    R"(<row r="6" s="7" customFormat="1"/>)"
    R"(</sheetData></worksheet>)";
const char* kSheet2 =
    R"(<x:worksheet xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><x:cols><x:col min="2" max="3" style="9"/></x:cols><x:sheetData/></x:worksheet>)";
const char* kShared =
    R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><si><t>plain</t></si>)"
    R"(<si><r><t>rich </t></r><r><rPr><b/></rPr><t>text</t></r><rPh><t>x</t></rPh></si></sst>)";

TPackage SmallWorkbook() {
  TPackage p;
  p.Set("[Content_Types].xml", kTypes);
  p.Set("_rels/.rels", kRootRels);
  p.Set("xl/workbook.xml", kWorkbook);
  p.Set("xl/_rels/workbook.xml.rels", kWorkbookRels);
  p.Set("xl/worksheets/sheet1.xml", kSheet1);
  p.Set("xl/worksheets/sheet2.xml", kSheet2);
  p.Set("xl/sharedStrings.xml", kShared);
  p.Set(
      "xl/calcChain.xml",
      R"(<calcChain xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><c r="D3" i="1"/></calcChain>)");
  return p;
}

std::string CellXml(const TWorkbook& book, int sheet, const std::string& ref) {
  const auto node =
      book.SheetXml(sheet).select_node(("//*[local-name()='c'][@r='" + ref + "']").c_str());
  std::ostringstream out;
  node.node().print(out, "", pugi::format_raw);
  return out.str();
}

}  // namespace

TEST(Workbook, ReadsEveryKindOfCell) {
  TTempDir dir;
  SmallWorkbook().Write(dir.File("small.xlsx"));
  auto book = TWorkbook::Open(dir.File("small.xlsx"));
  EXPECT_FALSE(book->IsTemplate());
  ASSERT_EQ(book->SheetCount(), 2);
  EXPECT_EQ(book->ActiveSheet(), 2);
  EXPECT_EQ(book->SheetPart(2), "xl/worksheets/sheet2.xml");
  const struct {
    int Row, Column;
    TCellKind Kind;
    const char* Text;
  } cases[] = {
      {2, 1, TCellKind::Text, "plain"},   {2, 2, TCellKind::Text, "rich text"},
      {2, 4, TCellKind::Number, "2.5"},   {3, 1, TCellKind::Boolean, "TRUE"},
      {3, 2, TCellKind::Text, "in line"}, {3, 3, TCellKind::Error, "#DIV/0!"},
      {3, 4, TCellKind::Number, "5"},     {2, 3, TCellKind::Empty, ""},
      {9, 9, TCellKind::Empty, ""},
  };
  for (const auto& c : cases) {
    const TCell cell = book->Cell(1, c.Row, c.Column);
    EXPECT_EQ(cell.Kind, c.Kind) << c.Row << "," << c.Column;
    EXPECT_EQ(cell.Text, c.Text) << c.Row << "," << c.Column;
  }
  EXPECT_EQ(book->Cells(1).size(), 7u);
}

TEST(Workbook, WritesCellsInOrderKeepingFormatsAndSavesAsWorkbook) {
  TTempDir dir;
  SmallWorkbook().Write(dir.File("small.xlsx"));
  auto book = TWorkbook::Open(dir.File("small.xlsx"));
  book->SetCellText(1, 3, 3, "replaces the error");  // keeps s="4"
  book->SetCellText(1, 4, 2, "new row between");
  book->SetCellText(1, 1, 3, "new first row");
  book->SetCellText(1, 2, 3, "between B2 and D2");
  book->SetCellText(1, 6, 1, "row format");     // the row's format
  book->SetCellText(2, 1, 3, "column format");  // the column's format, prefixed elements
  book->SetCellText(1, 2, 1, "");               // emptied
  book->SetCellText(1, 3, 2,
                    " two\tlines\n\x01"
                    "\xff");  // control and bad bytes made safe
  EXPECT_EQ(
      CellXml(*book, 1, "C3"),
      R"(<c r="C3" s="4" t="inlineStr"><is><t xml:space="preserve">replaces the error</t></is></c>)");
  EXPECT_EQ(CellXml(*book, 1, "A6"),
            R"(<c r="A6" s="7" t="inlineStr"><is><t xml:space="preserve">row format</t></is></c>)");
  EXPECT_EQ(
      CellXml(*book, 2, "C1"),
      R"(<x:c r="C1" s="9" t="inlineStr"><x:is><x:t xml:space="preserve">column format</x:t></x:is></x:c>)");
  EXPECT_EQ(CellXml(*book, 1, "A2"), R"(<c r="A2"/>)");
  EXPECT_THROW(book->SetCellText(1, 0, 1, "x"), TOoxmlError);
  EXPECT_THROW(book->SetCellText(3, 1, 1, "x"), TOoxmlError);

  book->SetSheetName(2, "二号's");
  book->SelectSheet(1);
  // A copied sheet's relationship survives the calculation chain's removal.
  book->CopySheet(2, "Three");
  book->SaveAs(dir.File("out.xlsx"));

  auto back = TWorkbook::Open(dir.File("out.xlsx"));
  EXPECT_EQ(back->SheetName(2), "二号's");
  EXPECT_EQ(back->SheetName(3), "Three");
  EXPECT_EQ(back->Cell(3, 1, 3).Text, "column format");
  EXPECT_EQ(back->ActiveSheet(), 1);
  EXPECT_EQ(back->Cell(1, 3, 2).Text, " two\tlines\n\uFFFD");
  EXPECT_EQ(back->Cell(1, 2, 2).Text, "rich text");
  // Rows and cells in ascending order.
  std::vector<std::string> refs;
  for (const auto& x : back->SheetXml(1).select_nodes("//*[local-name()='c']"))
    refs.push_back(x.node().attribute("r").value());
  EXPECT_EQ(refs, (std::vector<std::string>{"C1", "A2", "B2", "C2", "D2", "A3", "B3", "C3", "D3",
                                            "B4", "A6"}));

  const TPackage saved = TPackage::Read(dir.File("out.xlsx"));
  EXPECT_FALSE(saved.Has("xl/calcChain.xml"));
  EXPECT_EQ(saved.Get("xl/_rels/workbook.xml.rels").find("calcChain"), std::string::npos);
  EXPECT_EQ(saved.Get("[Content_Types].xml").find("calcChain"), std::string::npos);
  const std::string& workbook = saved.Get("xl/workbook.xml");
  // The formula's cached result goes; the spreadsheet recalculates on opening.
  EXPECT_NE(workbook.find(R"(fullCalcOnLoad="1")"), std::string::npos);
  EXPECT_EQ(back->Cell(1, 3, 4).Kind, TCellKind::Empty);
  EXPECT_NE(workbook.find("'二号''s'!$A$1:$C$9"), std::string::npos);
}

TEST(Workbook, TemplateSavedAsWorkbook) {
  TTempDir dir;
  auto book = TWorkbook::Open(VELM_TEMPLATE);
  EXPECT_TRUE(book->IsTemplate());
  book->SetCellText(book->ActiveSheet(), 5, 3, "项目");
  book->SaveAs(dir.File("report.xlsx"));
  EXPECT_EQ(book->Path(), dir.File("report.xlsx"));
  const TPackage saved = TPackage::Read(dir.File("report.xlsx"));
  EXPECT_NE(saved.Get("[Content_Types].xml").find("spreadsheetml.sheet.main+xml"),
            std::string::npos);
  EXPECT_FALSE(TWorkbook::Open(dir.File("report.xlsx"))->IsTemplate());
  // The template itself is untouched.
  EXPECT_TRUE(TWorkbook::Open(VELM_TEMPLATE)->IsTemplate());
}

TEST(Workbook, SaveReplacesOnlyWhenCompleteAndLeavesNothingBehind) {
  TTempDir dir;
  SmallWorkbook().Write(dir.File("a.xlsx"));
  auto book = TWorkbook::Open(dir.File("a.xlsx"));
  { std::ofstream(dir.File("old.xlsx")) << "old"; }
  book->SetCellText(1, 1, 1, "new");
  book->SaveAs(dir.File("old.xlsx"));
  EXPECT_EQ(TWorkbook::Open(dir.File("old.xlsx"))->Cell(1, 1, 1).Text, "new");

  for (const std::string& bad : {dir.File("missing/dir/r.xlsx"), dir.File("")}) {
    try {
      book->SaveAs(bad);
      ADD_FAILURE() << bad;
    } catch (const TOoxmlError& e) {
      EXPECT_NE(std::string(e.what()).find(bad), std::string::npos) << e.what();
    }
  }
  fs::create_directory(dir.File("adir"));
  EXPECT_THROW(book->SaveAs(dir.File("adir")), TOoxmlError);
  auto names = dir.List();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a.xlsx", "adir", "old.xlsx"}));
}

TEST(SheetNames, ProblemsAndRepairs) {
  const std::string benzeneToluene = "benzene-toluene rectifying 1.vlm";  // 32 characters
  const struct {
    std::string Name;
    bool Good;
    std::string Made;
  } cases[] = {
      {"计算书", true, "计算书"},
      {std::string(31, 'x'), true, std::string(31, 'x')},
      {benzeneToluene, false, "benzene-toluene rectifying 1.vl"},
      {"a:b\\c/d?e*f[g]h", false, "a_b_c_d_e_f_g_h"},
      {"", false, "Sheet1"},
      {"'quoted'", false, "quoted"},
      {"it's", true, "it's"},
      {"苯-甲苯精馏段第一次设计方案（修订版）用于校核计算的项目文件.vlm", false,
       "苯-甲苯精馏段第一次设计方案（修订版）用于校核计算的项目文件."},
      {"\U0001D400" + std::string(30, 'y'), false, "\U0001D400" + std::string(29, 'y')},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SheetNameProblem(c.Name).empty(), c.Good) << c.Name;
    EXPECT_EQ(MakeSheetName(c.Name), c.Made) << c.Name;
    EXPECT_EQ(SheetNameProblem(c.Made), "") << c.Made;
  }
  TTempDir dir;
  SmallWorkbook().Write(dir.File("s.xlsx"));
  auto book = TWorkbook::Open(dir.File("s.xlsx"));
  EXPECT_THROW(book->SetSheetName(1, benzeneToluene), TOoxmlError);
  EXPECT_THROW(book->SetSheetName(1, "two"), TOoxmlError);  // another sheet's, any case
  EXPECT_EQ(book->SheetName(1), "One");
}

// Damaged and hostile packages: each gives a TOoxmlError naming the file, never a crash.
TEST(Workbook, MalformedPackagesAreErrors) {
  TTempDir dir;
  auto with = [](const std::string& part, const std::string& bytes) {
    TPackage p = SmallWorkbook();
    p.Set(part, bytes);
    return p;
  };
  auto without = [](const std::string& part) {
    TPackage p = SmallWorkbook();
    p.Remove(part);
    return p;
  };
  std::string deep;
  for (int i = 0; i < 5000; ++i) deep = "<a>" + deep + "</a>";
  const struct {
    const char* Name;
    TPackage Package;
    TPackageLimits Limits;
  } packages[] = {
      {"no-types", without("[Content_Types].xml"), {}},
      {"no-workbook", without("xl/workbook.xml"), {}},
      {"no-sheet-part", without("xl/worksheets/sheet2.xml"), {}},
      {"workbook-not-xml", with("xl/workbook.xml", "<workbook><sheets>"), {}},
      {"no-sheets", with("xl/workbook.xml", "<workbook/>"), {}},
      {"deep-xml", with("[Content_Types].xml", deep), {}},
      {"too-many-entries", SmallWorkbook(), {.MaxEntries = 5}},
      {"entry-too-big", SmallWorkbook(), {.MaxEntrySize = 300}},
      {"total-too-big", SmallWorkbook(), {.MaxTotalSize = 1500}},
  };
  for (const auto& c : packages) {
    const std::string path = dir.File(std::string(c.Name) + ".xlsx");
    c.Package.Write(path);
    try {
      TWorkbook::Open(path, c.Limits);
      ADD_FAILURE() << c.Name;
    } catch (const TOoxmlError& e) {
      EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
  }
  // A sheet whose rows go backwards is refused when it is first used.
  const std::string backwards = dir.File("backwards.xlsx");
  with("xl/worksheets/sheet1.xml",
       R"(<worksheet><sheetData><row r="5"/><row r="2"/></sheetData></worksheet>)")
      .Write(backwards);
  EXPECT_THROW(TWorkbook::Open(backwards)->Cell(1, 1, 1), TOoxmlError);

  // Files that are no zip at all, or a zip cut short.
  SmallWorkbook().Write(dir.File("whole.xlsx"));
  std::string bytes;
  {
    std::ifstream in(dir.File("whole.xlsx"), std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  const std::pair<const char*, std::string> files[] = {
      {"empty.xlsx", ""},
      {"text.xlsx", "this is not a workbook"},
      {"cut.xlsx", bytes.substr(0, bytes.size() / 2)},
      {"cut-end.xlsx", bytes.substr(0, bytes.size() - 10)},
  };
  for (const auto& [name, content] : files) {
    std::ofstream(dir.File(name), std::ios::binary) << content;
    EXPECT_THROW(TWorkbook::Open(dir.File(name)), TOoxmlError) << name;
  }
  // The reason in the program's words, not the zip library's.
  try {
    TWorkbook::Open(dir.File("text.xlsx"));
  } catch (const TOoxmlError& e) {
    EXPECT_NE(std::string(e.what()).find("（不是 zip 文件）"), std::string::npos) << e.what();
  }
  try {
    TWorkbook::Open(dir.File("nowhere.xlsx"));
    ADD_FAILURE();
  } catch (const TOoxmlError& e) {
    EXPECT_NE(std::string(e.what()).find("nowhere.xlsx"), std::string::npos);
  }
  // A named pipe in the template's place is refused at once, not waited on.
  const velm::test::TPipe pipe(dir.File("pipe.xltx"));
  EXPECT_THROW(TWorkbook::Open(pipe.Path()), TOoxmlError);
  EXPECT_FALSE(pipe.WaitedOn());
}

namespace {

// A 1 x 1 PNG image (the length from the literal itself, without its closing zero).
constexpr char kPngBytes[] =
    "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01\0\0\0\x01\x08\x06\0\0\0\x1f\x15\xc4\x89\0\0\0\rIDATx"
    "\x9c\x63\0\x01\0\0\x05\0\x01\r\n-\xb4\0\0\0\0IEND\xae\x42\x60\x82";
const std::string kPng(kPngBytes, sizeof kPngBytes - 1);

// Numbers keep every digit and show the format given; pictures go into a drawing of their own
// and come back with their bytes, corner and size after a save; what cannot be stored is refused.
TEST(Workbook, NumbersWithFormatsPicturesAndSheetCopiesSurviveASave) {
  TTempDir dir;
  auto book = TWorkbook::Open(VELM_TEMPLATE);
  ASSERT_EQ(book->SheetCount(), 2);
  const double values[] = {0.003779648123456789, 1.275488, -42.125, 1.9e-9};
  const char* codes[] = {"0.00000", "0.000", "0.0", "0.0E+00"};
  for (int i = 0; i < 4; ++i) {
    book->SetNumberFormat(2, 10 + i, 5, codes[i]);
    book->SetCellNumber(2, 10 + i, 5, values[i]);
  }
  book->SetNumberFormat(2, 14, 5, "0.000");  // the same code on the same format: shared
  EXPECT_THROW(book->SetCellNumber(2, 15, 5, std::nan("")), TOoxmlError);
  const double left = book->ColumnLeft(2, 2), top = book->RowTop(2, 20);
  EXPECT_NEAR(left, std::round(1.5 * 7) * 0.75, 1e-9);  // column A of the template
  book->AddPicture(2, kPng, left + 3, top + 2, 200, 150, "压降-容量图");
  book->AddPicture(2, kPng, left + 210, top, 200, 150, "负荷性能图");
  EXPECT_THROW(book->AddPicture(2, "GIF89a", 0, 0, 10, 10, "x"), TOoxmlError);
  // A copy takes the layout and cells, not the source's pictures; it gets pictures of its own.
  EXPECT_THROW(book->CopySheet(2, book->SheetName(1)), TOoxmlError);
  ASSERT_EQ(book->CopySheet(2, "全塔核算"), 3);
  book->AddPicture(3, kPng, left, top, 100, 100, "全塔负荷分布");
  book->SaveAs(dir.File("out.xlsx"));

  auto back = TWorkbook::Open(dir.File("out.xlsx"));
  const TSheetLayout layout = ReadSheetLayout(*back, 2);
  for (int i = 0; i < 4; ++i) {
    const TSheetCell& cell = layout.Cells.at({10 + i, 5});
    EXPECT_EQ(cell.Kind, TCellKind::Number);
    EXPECT_EQ(std::stod(cell.Value), values[i]);
    EXPECT_EQ(layout.Style(cell.Style).NumFmtCode, codes[i]);
  }
  EXPECT_EQ(layout.Cells.at({11, 5}).Text, "1.275");
  EXPECT_EQ(layout.Cells.at({14, 5}).Style, layout.Cells.at({11, 5}).Style);
  const std::vector<TPicture> pictures = back->Pictures(2);
  ASSERT_EQ(pictures.size(), 2u);
  EXPECT_TRUE(back->Pictures(1).empty());
  EXPECT_EQ(pictures[0].Bytes, kPng);
  EXPECT_EQ(pictures[0].Name, "压降-容量图");
  EXPECT_EQ(pictures[0].Row, 20);
  EXPECT_EQ(pictures[0].Column, 2);
  EXPECT_NEAR(pictures[0].OffsetX, 3, 0.01);
  EXPECT_NEAR(pictures[0].OffsetY, 2, 0.01);
  EXPECT_NEAR(pictures[1].Width, 200, 0.01);
  EXPECT_NEAR(pictures[1].Height, 150, 0.01);
  EXPECT_NEAR(back->ColumnLeft(2, pictures[1].Column) + pictures[1].OffsetX, left + 210, 0.01);
  ASSERT_EQ(back->SheetCount(), 3);
  EXPECT_EQ(back->SheetName(3), "全塔核算");
  ASSERT_EQ(back->Pictures(3).size(), 1u);
  EXPECT_EQ(back->Pictures(3)[0].Name, "全塔负荷分布");
  EXPECT_EQ(back->Cell(3, 1, 2).Text, back->Cell(2, 1, 2).Text);
  EXPECT_EQ(back->ColumnLeft(3, 7), back->ColumnLeft(2, 7));
  EXPECT_EQ(std::stod(back->Cell(3, 11, 5).Text), values[1]);
  // The package declares what it holds.
  const pugi::xml_document* types = back->PartXml("[Content_Types].xml");
  ASSERT_NE(types, nullptr);
  EXPECT_TRUE(types->select_node("//*[@Extension='png'][@ContentType='image/png']"));
  EXPECT_TRUE(types->select_node("//*[@PartName='/xl/drawings/drawing1.xml']"));
}

}  // namespace
