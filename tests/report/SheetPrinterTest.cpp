// The sheet renderer through its PDF output, read back with poppler's pdftotext/pdfinfo/pdffonts:
// the shipped template as one A4 page with its CJK font embedded, numbers as the workbook
// formats them, page breaks, scaling and print areas with the header and footer codes, damaged
// or hostile sheets that must still print (or fail with a text, never hang), and, where a
// virtual printer queue has been set up around the test, printing through the spreadsheet
// server on the default printer.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QThread>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ooxml/Workbook.h"
#include "report/SheetPrinter.h"
#include "report/SpreadsheetReport.h"
#include "support/FileSizeLimit.h"

using namespace velm;
namespace fs = std::filesystem;

// Texts in failure messages as text.
void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

QString Tool(const QString& program, const QStringList& arguments) {
  QProcess p;
  p.start(program, arguments);
  p.waitForFinished(60000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

QString PdfText(const std::string& pdf, int page = 0) {
  QStringList args{QStringLiteral("-layout")};
  if (page > 0) args << "-f" << QString::number(page) << "-l" << QString::number(page);
  return Tool(QStringLiteral("pdftotext"), args << QString::fromStdString(pdf) << "-");
}

// "Pages" and "Page size" of pdfinfo.
QString PdfInfo(const std::string& pdf, const QString& key) {
  for (const QString& line :
       Tool(QStringLiteral("pdfinfo"), {QString::fromStdString(pdf)}).split('\n'))
    if (line.startsWith(key + QLatin1Char(':'))) return line.mid(key.size() + 1).trimmed();
  return {};
}
int PdfPages(const std::string& pdf) { return PdfInfo(pdf, QStringLiteral("Pages")).toInt(); }

// The line of pdftotext's layout that starts with `label`, with runs of blanks made one.
QString LineOf(const QString& text, const QString& label) {
  for (const QString& line : text.split('\n'))
    if (line.trimmed().startsWith(label + QLatin1Char(' '))) return line.simplified();
  return {};
}

const char* kTypes =
    R"(<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
    R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
    R"(<Default Extension="xml" ContentType="application/xml"/>)"
    R"(<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>)"
    R"(</Types>)";
const char* kRootRels =
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>)";
const char* kWorkbookRels =
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>)"
    R"(<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>)"
    R"(</Relationships>)";

// A one-sheet workbook: `sheet` is what <worksheet> holds, `styles` what <styleSheet> holds,
// `printArea` the sheet's print area (none when empty).
struct TBook {
  std::string Sheet;
  std::string Styles;
  std::string PrintArea;
};

class SheetPrinter : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/velm-print-XXXXXX";
    FDir = ::mkdtemp(name);
  }
  void TearDown() override { fs::remove_all(FDir); }
  std::string File(const std::string& name) const { return (FDir / name).string(); }

  std::string Write(const std::string& name, const TBook& b) const {
    ooxml::TPackage p;
    p.Set("[Content_Types].xml", kTypes);
    p.Set("_rels/.rels", kRootRels);
    std::string workbook =
        R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
        R"(<sheets><sheet name="Sheet1" sheetId="1" r:id="rId1"/></sheets>)";
    if (!b.PrintArea.empty())
      workbook += R"(<definedNames><definedName name="_xlnm.Print_Area" localSheetId="0">)" +
                  b.PrintArea + "</definedName></definedNames>";
    p.Set("xl/workbook.xml", workbook + "</workbook>");
    p.Set("xl/_rels/workbook.xml.rels", kWorkbookRels);
    p.Set("xl/worksheets/sheet1.xml",
          R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)" +
              b.Sheet + "</worksheet>");
    p.Set("xl/styles.xml",
          R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)" +
              b.Styles + "</styleSheet>");
    const std::string path = File(name + ".xlsx");
    p.Write(path);
    return path;
  }

  // The workbook's active sheet as a PDF beside it.
  std::string Pdf(const std::string& workbook) const {
    auto book = ooxml::TWorkbook::Open(workbook);
    const std::string pdf = File(fs::path(workbook).filename().string() + ".pdf");
    WriteSheetPdf(*book, book->ActiveSheet(), QString::fromStdString(pdf));
    return pdf;
  }

  fs::path FDir;
};

std::string Rows(int count, const std::string& height) {
  std::string rows = "<sheetData>";
  for (int r = 1; r <= count; ++r)
    rows += "<row r=\"" + std::to_string(r) + "\"" + height + "><c r=\"A" + std::to_string(r) +
            "\" t=\"inlineStr\"><is><t>row" + std::to_string(r) + "</t></is></c></row>";
  return rows + "</sheetData>";
}

}  // namespace

TEST_F(SheetPrinter, TheTemplateIsOneA4PageWithItsTextsAndTheCjkFontEmbedded) {
  const std::string pdf = Pdf(VELM_TEMPLATE);
  EXPECT_EQ(PdfPages(pdf), 1);
  EXPECT_TRUE(PdfInfo(pdf, QStringLiteral("Page size")).contains(QLatin1String("(A4)")));
  const QString text = PdfText(pdf).remove(QLatin1Char(' '));
  for (const char* part : {"散堆填料塔流体力学计算书", "二、物性数据", "五、水力学计算结果",
                           "七、计算有效性", "第1页共1页", "散堆填料塔流体力学计算"})
    EXPECT_TRUE(text.contains(QString::fromUtf8(part))) << part;
  // Every font the page uses is embedded (pdffonts: the "emb" column).
  const QStringList fonts = Tool(QStringLiteral("pdffonts"), {QString::fromStdString(pdf)})
                                .split('\n', Qt::SkipEmptyParts);
  ASSERT_GT(fonts.size(), 2);
  const qsizetype emb = fonts[0].indexOf(QLatin1String("emb"));
  for (const QString& font : fonts.mid(2))
    EXPECT_EQ(font.mid(emb, 3), QStringLiteral("yes")) << font.toStdString();
}

// Each cell shows what the spreadsheet shows for it: numbers through their number format,
// strings shared and inline, Booleans and error values.
TEST_F(SheetPrinter, CellTextsAsTheWorkbookFormatsThem) {
  const std::string styles =
      R"(<numFmts count="1"><numFmt numFmtId="164" formatCode="0.000"/></numFmts>)"
      R"(<cellXfs count="9"><xf numFmtId="0"/><xf numFmtId="2"/><xf numFmtId="4"/>)"
      R"(<xf numFmtId="10"/><xf numFmtId="11"/><xf numFmtId="164"/><xf numFmtId="49"/>)"
      R"(<xf numFmtId="3"/><xf numFmtId="9"/></cellXfs>)";
  const struct {
    const char* Cell;  // the <c> element's type, style and content
    const char* Shown;
  } cases[] = {
      {R"(><v>0.30000000000000004</v>)", "0.3"},
      {R"(><v>-0.000001</v>)", "-1E-06"},
      {R"(><v>25</v>)", "25"},
      {R"( s="1"><v>1234.5</v>)", "1234.50"},
      {R"( s="2"><v>1234567.891</v>)", "1,234,567.89"},
      {R"( s="2"><v>-999.999</v>)", "-1,000.00"},
      {R"( s="3"><v>0.125</v>)", "12.50%"},
      {R"( s="4"><v>12345.678</v>)", "1.23E+04"},
      {R"( s="5"><v>2.0004</v>)", "2.000"},
      {R"( s="6"><v>12.5</v>)", "12.5"},
      {R"( s="7"><v>-999.5</v>)", "-1,000"},
      {R"( s="8"><v>0.5</v>)", "50%"},
      {R"( t="b"><v>1</v>)", "TRUE"},
      {R"( t="e"><v>#DIV/0!</v>)", "#DIV/0!"},
      {R"( t="inlineStr"><is><r><t>rich </t></r><r><t>text</t></r></is>)", "rich text"},
      {R"( t="str"><f>A1</f><v>formula text</v>)", "formula text"},
  };
  std::string sheet = R"(<cols><col min="2" max="2" width="30"/></cols><sheetData>)";
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const std::string r = std::to_string(i + 1);
    sheet += "<row r=\"" + r + "\"><c r=\"A" + r + "\" t=\"inlineStr\"><is><t>k" + r +
             "</t></is></c><c r=\"B" + r + "\"" + cases[i].Cell + "</c></row>";
  }
  sheet += "</sheetData>";
  const QString text = PdfText(Pdf(Write("formats", {sheet, styles, ""})));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const QString label = QStringLiteral("k%1").arg(i + 1);
    EXPECT_EQ(LineOf(text, label), label + QLatin1Char(' ') + QString::fromUtf8(cases[i].Shown))
        << cases[i].Cell;
  }
}

// Rows that do not fit break into pages (36 rows of 20 pt fit between A4's default margins);
// scale, fit-to-page and the print area change the count; the footer numbers the pages and
// its formatting codes never reach the paper.
TEST_F(SheetPrinter, PagesFollowThePageSetupAndTheFooterNumbersThem) {
  const std::string footer =
      R"(<headerFooter><oddHeader>&amp;L&amp;"Arial,Bold"&amp;14head&amp;R&amp;KFF0000&amp;Sright</oddHeader>)"
      R"(<oddFooter>&amp;CPage &amp;P of &amp;N&amp;R&amp;[Page]x&amp;</oddFooter></headerFooter>)";
  const struct {
    const char* Name;
    std::string SheetPr, PageSetup, PrintArea;
    int Pages;
    const char* Last;  // the last row printed
  } cases[] = {
      {"plain", "", "", "", 5, "row150"},
      {"scale", "", R"(<pageSetup paperSize="9" scale="50"/>)", "", 3, "row150"},
      {"fit", R"(<sheetPr><pageSetUpPr fitToPage="1"/></sheetPr>)",
       R"(<pageSetup paperSize="9" fitToWidth="1" fitToHeight="1"/>)", "", 1, "row150"},
      {"fit-2-tall", R"(<sheetPr><pageSetUpPr fitToPage="1"/></sheetPr>)",
       R"(<pageSetup paperSize="9" fitToWidth="1" fitToHeight="2"/>)", "", 2, "row150"},
      {"fit-wide-only", R"(<sheetPr><pageSetUpPr fitToPage="1"/></sheetPr>)",
       R"(<pageSetup paperSize="9" fitToWidth="1" fitToHeight="0"/>)", "", 5, "row150"},
      {"area", "", "", "Sheet1!$A$3:$B$40", 2, "row40"},
      {"landscape", "", R"(<pageSetup paperSize="9" orientation="landscape"/>)", "", 7, "row150"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string pdf = Pdf(
        Write(c.Name, {c.SheetPr + Rows(150, R"( ht="20" customHeight="1")") + c.PageSetup + footer,
                       "", c.PrintArea}));
    ASSERT_EQ(PdfPages(pdf), c.Pages);
    const QString last = PdfText(pdf, c.Pages);
    EXPECT_TRUE(last.contains(QStringLiteral("Page %1 of %1").arg(c.Pages)));
    EXPECT_TRUE(last.contains(QString::fromLatin1(c.Last)));
    const QString all = PdfText(pdf);
    EXPECT_EQ(all.contains(QLatin1String("row1\n")) || all.contains(QLatin1String("row1 ")),
              c.PrintArea.empty());
    for (const char* code : {"FF0000", "Arial", "Bold", "&"})
      EXPECT_FALSE(all.contains(QLatin1String(code))) << code;
    EXPECT_TRUE(all.contains(QLatin1String("head")) && all.contains(QLatin1String("right")));
  }
}

// Whatever a workbook holds, printing ends: either pages with what could be read, or an error
// with a text (a print area of millions of pages). Nothing here may crash or hang.
TEST_F(SheetPrinter, DamagedOrHostileSheetsPrintWhatTheyCanOrSayWhy) {
  const std::string text = R"(<c r="B2" t="inlineStr"><is><t>text</t></is></c>)";
  const std::string badStyles =
      R"(<numFmts><numFmt numFmtId="164" formatCode="0.0;;;"/><numFmt formatCode="[Red]0.00E+"/></numFmts>)"
      R"(<fonts><font><sz val="abc"/><color rgb="zz"/></font><font><sz val="1e308"/><color indexed="999"/></font>)"
      R"(<font><sz val="0"/><name val=""/><color theme="99"/></font></fonts>)"
      R"(<fills><fill><patternFill patternType="solid"><fgColor rgb="FFFF00"/></patternFill></fill></fills>)"
      R"(<borders><border><left style="bogus"/><right style="double"/><top style="mediumDashDotDot"/></border></borders>)"
      R"(<cellXfs><xf numFmtId="9999" fontId="-1" fillId="77" borderId="1e9"><alignment horizontal="bogus" indent="99999" wrapText="1"/></xf>)"
      R"(<xf numFmtId="164" fontId="1" fillId="0" borderId="0"/><xf fontId="2"/></cellXfs>)";
  std::string manyMerges = "<sheetData>";
  for (int r = 1; r <= 3000; ++r)
    manyMerges += "<row r=\"" + std::to_string(r) + "\"><c r=\"A" + std::to_string(r) + "\"><v>" +
                  std::to_string(r) + "</v></c></row>";
  manyMerges += "</sheetData><mergeCells>";
  for (int r = 1; r <= 3000; ++r)
    manyMerges += "<mergeCell ref=\"A" + std::to_string(r) + ":C" + std::to_string(r) + "\"/>";
  manyMerges += "</mergeCells>";

  const struct {
    const char* Name;
    TBook Book;
    bool Prints;
  } cases[] = {
      {"style-out-of-range",
       {"<sheetData><row r=\"2\"><c r=\"B2\" s=\"99999\"><v>1</v></c><c r=\"C2\" "
        "s=\"-3\"><v>2</v></c></row></sheetData>",
        "", ""},
       true},
      {"bad-styles",
       {"<sheetData><row r=\"2\">" + text +
            "<c r=\"C2\" s=\"1\"><v>-5</v></c><c r=\"D2\" "
            "s=\"2\"><v>1e300</v></c></row></sheetData>",
        badStyles, ""},
       true},
      {"bad-columns-and-rows",
       {R"(<sheetFormatPr defaultRowHeight="-4" defaultColWidth="1e308"/><cols><col min="9" max="2" width="5"/>)"
        R"(<col min="0" max="99999999" width="-5"/><col min="2" max="2" width="nan"/></cols>)"
        R"(<sheetData><row r="2" ht="1e308" customHeight="1">)" +
            text + "</row></sheetData>",
        "", ""},
       true},
      {"bad-page-setup",
       {"<sheetData><row r=\"2\">" + text + "</row></sheetData>" +
            R"(<pageMargins left="-3" right="1e300" top="nan" bottom="0" header="-1" footer="99"/>)"
            R"(<pageSetup paperSize="-1" scale="0" fitToWidth="-1" fitToHeight="abc" orientation="sideways"/>)",
        "", ""},
       true},
      {"bad-print-areas",
       {"<sheetData><row r=\"2\">" + text + "</row></sheetData>", "", "#REF!"},
       true},
      {"reversed-area",
       {"<sheetData><row r=\"2\">" + text + "</row></sheetData>", "", "Sheet1!$C$9:$A$1"},
       true},
      {"bad-merges",
       {"<sheetData><row r=\"2\">" + text +
            "</row></sheetData><mergeCells><mergeCell ref=\"B2:A1\"/><mergeCell ref=\"B2:C3\"/>"
            "<mergeCell ref=\"garbage\"/><mergeCell/></mergeCells>",
        "", ""},
       true},
      {"header-codes",
       {"<sheetData><row r=\"2\">" + text +
            R"(</row></sheetData><headerFooter><oddHeader>&amp;"unclosed&amp;99999999999999999999&amp;K&amp;</oddHeader>)"
            R"(<oddFooter>&amp;</oddFooter></headerFooter>)",
        "", ""},
       true},
      {"many-merges", {manyMerges, "", ""}, true},
      {"area-of-millions-of-pages",
       {"<sheetData><row r=\"2\">" + text + "</row></sheetData>", "", "Sheet1!$A$1:$XFD$1048576"},
       false},
      {"tall-rows-everywhere",
       {R"(<sheetFormatPr defaultRowHeight="409" customHeight="1"/><cols><col min="1" max="16384" width="255"/></cols>)"
        "<sheetData><row r=\"1048576\">" +
            std::string(R"(<c r="XFD1048576"><v>1</v></c>)") + "</row></sheetData>",
        "", ""},
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string path = Write(c.Name, c.Book);
    if (c.Prints) {
      const std::string pdf = Pdf(path);
      EXPECT_GE(PdfPages(pdf), 1);
    } else {
      try {
        Pdf(path);
        ADD_FAILURE() << "printed";
      } catch (const std::exception& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains(QStringLiteral("页")));
      }
      EXPECT_FALSE(fs::exists(File(fs::path(path).filename().string() + ".pdf")));
    }
  }
}

// A disk that fills up while the PDF is written: the writer says so, naming the file, and the
// PDF that was there before is kept; nothing is left beside it.
TEST_F(SheetPrinter, AFullDiskIsReportedAndThePreviousPdfKept) {
  auto book = ooxml::TWorkbook::Open(VELM_TEMPLATE);
  const std::string pdf = File("report.pdf");
  std::ofstream(pdf) << "the previous report";
  try {
    const test::TFileSizeLimit full(4096);
    WriteSheetPdf(*book, book->ActiveSheet(), QString::fromStdString(pdf));
    ADD_FAILURE() << "reported as written";
  } catch (const std::exception& e) {
    EXPECT_NE(std::string(e.what()).find(pdf), std::string::npos) << e.what();
  }
  std::ifstream in(pdf);
  EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(in), {}) == "the previous report");
  EXPECT_EQ(std::distance(fs::directory_iterator(FDir), fs::directory_iterator()), 1);
}

// PrintOut through the spreadsheet wrapper on the default printer: a private print queue whose
// jobs land in VELM_TEST_PRINT_JOBS (set up by virtual_printer.sh around this test).
TEST_F(SheetPrinter, VirtualPrinterReceivesTheReport) {
  const QString jobs = qEnvironmentVariable("VELM_TEST_PRINT_JOBS");
  if (jobs.isEmpty()) GTEST_SKIP() << "no virtual printer queue set up";
  ASSERT_TRUE(HasDefaultPrinter());
  ASSERT_TRUE(MyXlsStart());
  InstallSheetPrinter();
  {
    TMyXls xls("", 1, VELM_TEMPLATE);
    xls.Print();
  }
  QStringList files;
  for (int i = 0; i < 300 && files.isEmpty(); ++i) {
    QThread::msleep(100);
    files = QDir(jobs).entryList({QStringLiteral("job-*")}, QDir::Files);
    files.removeIf([](const QString& f) { return f.endsWith(QLatin1String(".tmp")); });
  }
  ASSERT_EQ(files.size(), 1);
  const std::string job = QDir(jobs).filePath(files.first()).toStdString();
  QFile f(QString::fromStdString(job));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_TRUE(f.read(5).startsWith("%PDF"));
  EXPECT_EQ(PdfPages(job), 1);
  EXPECT_TRUE(PdfText(job).contains(QStringLiteral("散堆填料塔流体力学计算书")));
}

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
