// The calculation report through the real window: the cells of a written report read back by an
// independent reader (openpyxl) against what the window shows, the sheet and file names, the
// method-dependent rows, failures that leave nothing behind, and the batch mode's --report.
#include <sys/stat.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <memory>

#include "app/MainWindow.h"
#include "base/NumberFormat.h"
#include "core/CalcTrace.h"
#include "report/SpreadsheetReport.h"
#include "units/UnitSelector.h"
#include "units/ValueField.h"

using namespace velm;

namespace {

const QString kBenzene = QStringLiteral(VELM_EXAMPLES "/benzene-toluene-distillation.vlm");
const QString kAirWater = QStringLiteral(VELM_EXAMPLES "/air-water-absorber.vlm");

struct TReadBack {
  QString Sheet;
  QJsonObject Cells;
  QJsonArray Sheets;  // every sheet: title, cells, images
  QString Cell(int row, int column) const {
    return Cells.value(QStringLiteral("%1,%2").arg(row).arg(column)).toString();
  }
};

QString PdfText(const QString& path) {
  QProcess p;
  p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
  p.waitForFinished(30000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

int PdfPages(const QString& path) {
  QProcess p;
  p.start(QStringLiteral("pdfinfo"), {path});
  p.waitForFinished(30000);
  for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split('\n'))
    if (line.startsWith(QLatin1String("Pages:"))) return line.mid(6).trimmed().toInt();
  return -1;
}

TReadBack ReadWorkbook(const QString& path) {
  QProcess p;
  p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(VELM_READ_WORKBOOK), path});
  p.waitForFinished(30000);
  const QJsonObject doc = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
  if (p.exitCode() != 0) qWarning() << p.readAllStandardError();
  return {doc.value("sheet").toString(), doc.value("cells").toObject(),
          doc.value("sheets").toArray()};
}

}  // namespace

class TReportTest : public QObject {
  Q_OBJECT

  QTemporaryDir FDir;
  std::unique_ptr<TFormVELM> FWindow;
  QStringList FErrors;
  QStringList FDialogFiles;  // the file each report dialog proposed
  QStringList FChoices;      // what the report dialog returns, in turn ("" = cancel)
  QString FTemplate = QStringLiteral(VELM_TEMPLATE);

  QString Path(const QString& name) const { return FDir.filePath(name); }
  QStringList FPdfChoices;  // what the PDF dialog returns, in turn
  QStringList FPrintDialogFiles;
  bool FHasPrinter = false;
  int FAskedForPdf = 0;

  void Start() {
    TFormVELMSetup setup;
    setup.PackingFile = QStringLiteral(VELM_PACKINGS);
    setup.ErrorBox = [this](QWidget*, const QString& t) { FErrors << t; };
    setup.MessageBox = [](QWidget*, const QString&) {};
    setup.UseRecentFiles = false;
    setup.ReportTemplate = FTemplate;
    setup.ReportSaveDialog = [this](QWidget*, const QString& title, const QString& file,
                                    const QString&, const QString& suffix) {
      FDialogFiles << file;
      [&] {
        QCOMPARE(title, QStringLiteral("保存计算报表"));
        QCOMPARE(suffix, QStringLiteral("xlsx"));
      }();
      return FChoices.isEmpty() ? QString() : FChoices.takeFirst();
    };
    setup.PrintOpenDialog = [this](QWidget*, const QString&, const QString& file, const QString&) {
      FPrintDialogFiles << file;
      return file;
    };
    setup.PdfSaveDialog = [this](QWidget*, const QString&, const QString&) {
      return FPdfChoices.isEmpty() ? QString() : FPdfChoices.takeFirst();
    };
    setup.HasPrinter = [this] { return FHasPrinter; };
    setup.AskPdfInstead = [this](QWidget*) {
      ++FAskedForPdf;
      return true;
    };
    FWindow = std::make_unique<TFormVELM>(nullptr, setup);
  }

  // Runs the command from the menu item, as the user would.
  void SaveReport(const QString& choice) {
    FChoices << choice;
    FWindow->findChild<QAction*>(QStringLiteral("MReport_Save"))->trigger();
  }

  QString Caption(const char* name) {
    auto* l = FWindow->Control<QLabel>(QString::fromLatin1(name));
    return l ? l->text() : QStringLiteral("<no %1>").arg(name);
  }
  QString Shown(const char* name) {
    return FWindow->Control<TEditD>(QString::fromLatin1(name))->ShortText().value_or(QString());
  }
  // The number a field shows, in its selected unit.
  double Number(const char* name) {
    return FWindow->Control<TEditD>(QString::fromLatin1(name))->text().toDouble();
  }
  QString Unit(const char* name) {
    return FWindow->Control<TComboBoxU>(QString::fromLatin1(name))->GetUnit();
  }
  QString Text(const char* name) {
    if (auto* c = FWindow->Control<QComboBox>(QString::fromLatin1(name))) return c->currentText();
    return FWindow->Control<QLineEdit>(QString::fromLatin1(name))->text();
  }

 private slots:
  void initTestCase() { QVERIFY(MyXlsStart()); }
  void init() {
    FErrors.clear();
    FDialogFiles.clear();
    FChoices.clear();
    FTemplate = QStringLiteral(VELM_TEMPLATE);
  }
  void cleanup() { FWindow.reset(); }

  // Every cell of the report's table, read back, equals what the window shows.
  void CellsAsTheWindowShowsThem_data() {
    QTest::addColumn<QString>("project");
    QTest::newRow("Eckert-Orvik") << kAirWater;
    QTest::newRow("Kister-Orvik, 32-character name") << kBenzene;
  }
  void CellsAsTheWindowShowsThem() {
    QFETCH(QString, project);
    Start();
    QVERIFY(FWindow->Files().OpenProject(project));
    const QString out = Path(QStringLiteral("report.xlsx"));
    SaveReport(out);
    QCOMPARE(FErrors, QStringList());
    QCOMPARE(FWindow->Reports().LastReportFile(), out);
    QCOMPARE(FWindow->Reports().ReportDialogFilter(), QStringLiteral("Excel 文件(*.xlsx)|*.xlsx"));
    QCOMPARE(QFileInfo(FDialogFiles.value(0)).fileName(),
             QFileInfo(project).completeBaseName() + ".xlsx");
    const TReadBack r = ReadWorkbook(out);

    const QString file = QFileInfo(project).fileName();
    QCOMPARE(r.Cell(3, 3), file);
    QCOMPARE(r.Sheet, file.left(31));
    QCOMPARE(r.Cell(2, 3), QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));

    // Value cells hold the field's number with every digit (the format shows fewer).
    QList<std::tuple<int, int, QByteArray>> numbers;
    // (row, column, expected) in the order of the report's table.
    QList<std::tuple<int, int, QString>> expected = {
        {5, 2, Caption("ProjectL")},
        {5, 3, Text("ProjectD")},
        {6, 2, Caption("ProjPL")},
        {6, 3, Text("ProjPD")},
        {7, 2, Caption("DevicenameL")},
        {7, 3, Text("DevicenameD")},
        {8, 2, Caption("DeviceNoL")},
        {8, 3, Text("DeviceNoD")},
        {11, 2, Caption("CommentL")},
        {17, 6, Caption("fpercentL")},
        {17, 7, Text("fpercentD")},
        {17, 8, "%"},
        {18, 2, Caption("AfL")},
        {18, 3, Text("AfD")},
        {31, 2, Caption("PTL")},
        {31, 3, Text("PTD")},
        {33, 2, Caption("MethodL")},
        {33, 3, Text("MethodD")},
        {41, 6, "操作弹性"},
        {41, 8, "%"},
    };
    const char* const triples[][4] = {
        {"14", "Dl", "Dv", ""},      {"15", "Ml", "Mv", ""},     {"16", "SL", "Dvf", ""},
        {"17", "Dlf", "", ""},       {"26", "L", "V", ""},       {"31", "", "alf", "-"},
        {"32", "me", "Lmd", "-"},    {"36", "Uf", "dp", ""},     {"37", "Up", "d", ""},
        {"38", "Uls", "HT", ""},     {"39", "Uvs", "", ""},      {"40", "Um", "dPwater", ""},
        {"43", "HTUV", "HTUOV", ""}, {"44", "HTUL", "HETP", ""}, {"35", "Fp", "", "-"},
    };
    for (const auto& t : triples) {
      const int row = QString(t[0]).toInt();
      const bool units = QString(t[3]) != "-";
      for (int side = 0; side < 2; ++side) {
        const QByteArray base = t[1 + side];
        if (base.isEmpty()) continue;
        const int c = side == 0 ? 2 : 6;
        expected.append({row, c, Caption(base + "L")});
        numbers.append({row, c + 1, base + "D"});
        if (units) expected.append({row, c + 2, Unit(base + "U")});
      }
    }
    auto* calKp = FWindow->Control<QCheckBox>(QStringLiteral("CalKp"));
    expected.append({39, 6, Caption("KpL") + "(" + calKp->text() + ")"});
    numbers.append({39, 7, "KpD"});
    expected.append({39, 8, Unit("KpU")});
    if (Text("MethodD") == "Eckert-Orvik") {
      auto* calKf = FWindow->Control<QCheckBox>(QStringLiteral("CalKf"));
      expected.append({35, 6, Caption("KfL") + "(" + calKf->text() + ")"});
      numbers.append({35, 7, "KfD"});
    } else {
      expected.append({35, 6, QStringLiteral("泛点湿填料因子")});  // the template's
      expected.append({35, 7, QString()});
    }
    for (const auto& [row, column, text] : expected)
      QVERIFY2(r.Cell(row, column) == text, qPrintable(QStringLiteral("(%1, %2): \"%3\" != \"%4\"")
                                                           .arg(row)
                                                           .arg(column)
                                                           .arg(r.Cell(row, column), text)));
    for (const auto& [row, column, name] : numbers) {
      const double cell = r.Cell(row, column).toDouble(), shown = Number(name.constData());
      QVERIFY2(std::abs(cell - shown) <= 1e-12 * std::abs(shown),
               qPrintable(QStringLiteral("(%1, %2) %3: %4 != %5")
                              .arg(row)
                              .arg(column)
                              .arg(QString::fromLatin1(name), r.Cell(row, column))
                              .arg(shown, 0, 'g', 17)));
    }
    QVERIFY(!r.Cell(41, 7).isEmpty());
    QCOMPARE(r.Cell(2, 7), QStringLiteral("文献"));
    QVERIFY(r.Cell(41, 3).toDouble() > 10);  // the flood fraction [%]
    // Columns 1 and 5 stay empty.
    for (const QString& key : r.Cells.keys())
      QVERIFY2(!key.endsWith(",1") && !key.endsWith(",5"), qPrintable(key));
  }

  // The second sheet is the latest run's trace: a heading for every step, every result as the
  // number the run wrote (to the last bit), and both diagrams of the chart as pictures.
  void CalculationSheetWithTheChartPictures_data() {
    QTest::addColumn<QString>("project");
    QTest::newRow("Eckert-Orvik") << kAirWater;
    QTest::newRow("Kister-Orvik") << kBenzene;
    QTest::newRow("rating") << QStringLiteral(VELM_EXAMPLES "/air-water-absorber-rating.vlm");
  }
  void CalculationSheetWithTheChartPictures() {
    QFETCH(QString, project);
    Start();
    QVERIFY(FWindow->Files().OpenProject(project));
    const QString out = Path(QStringLiteral("calculation.xlsx"));
    SaveReport(out);
    QCOMPARE(FErrors, QStringList());
    const TReadBack r = ReadWorkbook(out);
    QCOMPARE(r.Sheets.size(), 2);
    QCOMPARE(r.Sheets[0].toObject().value("images").toInt(), 0);
    const QJsonObject sheet = r.Sheets[1].toObject();
    QCOMPARE(sheet.value("title").toString(), QStringLiteral("计算过程"));
    QCOMPARE(sheet.value("images").toInt(), 2);
    const QJsonObject cells = sheet.value("cells").toObject();
    auto cell = [&](int row, int column) {
      return cells.value(QStringLiteral("%1,%2").arg(row).arg(column)).toString();
    };
    int lastRow = 0;
    for (const QString& key : cells.keys())
      lastRow = std::max(lastRow, key.section(',', 0, 0).toInt());

    const std::shared_ptr<TCalcTrace> trace = FWindow->Document().Case.Trace;
    QVERIFY(trace);
    QStringList headings;
    for (int row = 1; row <= lastRow; ++row)
      if (QRegularExpression(QStringLiteral("^\\d+\\. ")).match(cell(row, 2)).hasMatch())
        headings << cell(row, 2).section(QStringLiteral(". "), 1);
    QCOMPARE(headings.size(), int(trace->Steps().size()));
    for (const TTraceStep& step : trace->Steps()) {
      QVERIFY2(headings.contains(QString::fromUtf8(step.Title)), step.Title);
      for (const TTraceValue& v : step.Results) {
        bool found = false;
        for (int row = 1; row <= lastRow && !found; ++row)
          found = cell(row, 3) == QString::fromUtf8(v.Symbol) && cell(row, 7) == "结果" &&
                  cell(row, 5).toDouble() == v.Value;
        QVERIFY2(
            found,
            qPrintable(
                QStringLiteral("%1 %2 = %3").arg(step.Title, v.Symbol).arg(v.Value, 0, 'g', 17)));
      }
    }
    QVERIFY(cells.toVariantMap().values().contains(QStringLiteral("校核结论")));
    // A rated column: every load case with its flood fraction, to the last bit.
    int cases = 0;
    const std::optional<TRating>& rating = FWindow->Rating();
    for (int row = 1; row <= lastRow; ++row) {
      if (cell(row, 3) != QStringLiteral("工况")) continue;
      QVERIFY(rating && cases < int(rating->Cases.size()));
      QCOMPARE(cell(row + 1, 5).toDouble(), rating->Cases[size_t(cases++)].FloodPercent);
    }
    QCOMPARE(cases, rating ? int(rating->Cases.size()) : 0);
  }

  // Without a project file: no proposed name, the template's sheet name and cell (3, 3); the
  // factors typed in ("输入"); a cancelled dialog writes nothing.
  void BlankProjectAndTypedFactors() {
    Start();
    SaveReport(QString());
    QCOMPARE(FDialogFiles, QStringList{QString()});
    QCOMPARE(FWindow->Reports().LastReportFile(), QString());
    const QString out = Path(QStringLiteral("blank.xlsx"));
    FWindow->Control<QCheckBox>(QStringLiteral("CalKf"))->setChecked(false);
    FWindow->Control<QCheckBox>(QStringLiteral("CalKp"))->setChecked(false);
    SaveReport(out);
    QCOMPARE(FErrors, QStringList());
    const TReadBack r = ReadWorkbook(out);
    QCOMPARE(r.Sheet, QStringLiteral("计算书"));
    QCOMPARE(r.Cell(3, 3), QStringLiteral("（未保存的项目）"));
    QCOMPARE(r.Cell(35, 6), Caption("KfL") + "(输入)");
    QCOMPARE(r.Cell(39, 6), Caption("KpL") + "(输入)");
  }

  void OperatingRange() {
    const struct {
      double Um, F;
      const char* Text;
    } cases[] = {{250, 80, "40 - 125"}, {160, 80, "62 - 125"}, {160, 75, "62 - 133"},
                 {0, 80, ""},           {250, 0, ""},          {-5, 80, ""}};
    for (const auto& c : cases) QCOMPARE(OperatingRangeText(c.Um, c.F), QString(c.Text));
  }

  // A missing template names its path; an unwritable report path says why and leaves nothing; an
  // existing report is kept when the new one cannot be written.
  void FailuresLeaveNothingBehind() {
    QTemporaryDir dir;
    FTemplate = dir.filePath(QStringLiteral("missing.xltx"));
    Start();
    const QString out = dir.filePath(QStringLiteral("kept.xlsx"));
    {
      QFile f(out);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write("old report");
    }
    SaveReport(out);
    QCOMPARE(FErrors.size(), 1);
    QVERIFY2(FErrors[0].contains(FTemplate), qPrintable(FErrors[0]));
    FWindow.reset();

    FTemplate = QStringLiteral(VELM_TEMPLATE);
    Start();
    const QString bad = dir.filePath(QStringLiteral("no/such/dir/r.xlsx"));
    SaveReport(bad);
    QCOMPARE(FErrors.size(), 2);
    QVERIFY2(FErrors[1].contains(bad), qPrintable(FErrors[1]));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{"kept.xlsx"});
    QFile f(out);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("old report"));
  }

  // "导出PDF" writes the report as one A4 page with its texts; printing on a machine without a
  // printer offers the saved report as PDF instead of doing nothing.
  void PdfOfTheReport() {
    Start();
    QVERIFY(FWindow->Files().OpenProject(kBenzene));
    const QString pdf = Path(QStringLiteral("export.pdf"));
    FPdfChoices << pdf;
    FWindow->findChild<QAction*>(QStringLiteral("MReport_Pdf"))->trigger();
    QCOMPARE(FErrors, QStringList());
    const QString text = PdfText(pdf).remove(QLatin1Char(' '));
    // Both sheets, the numbers to engineering precision.
    const QString hetp = QString::fromStdString(FormatGeneral(Number("HETPD"), 4));
    for (const QString& part :
         {QStringLiteral("散堆填料塔流体力学计算书"),
          QStringLiteral("benzene-toluene-distillation.vlm"), Shown("dD"), hetp, Unit("dPwaterU"),
          QStringLiteral("第1页共1页"), QStringLiteral("计算过程"),
          QStringLiteral("HETP=HTUOV·lnλ/(λ−1)"), QStringLiteral("校核结论")})
      QVERIFY2(text.contains(part), qPrintable(part));
    QVERIFY(PdfPages(pdf) > 2);

    const QString report = Path(QStringLiteral("printed.xlsx"));
    SaveReport(report);
    const QString pdf2 = Path(QStringLiteral("printed.pdf"));
    FPdfChoices << pdf2;
    FWindow->findChild<QAction*>(QStringLiteral("BPrint"))->trigger();
    QCOMPARE(FPrintDialogFiles, QStringList{report});
    QCOMPARE(FAskedForPdf, 1);
    QCOMPARE(FErrors, QStringList());
    QVERIFY(PdfText(pdf2).contains(Shown("dD")));
  }

  // No report or PDF replaces the open project (also through a link to it) or a named pipe;
  // names near the file system's limit work; batch mode says why and exits with 4, an empty
  // output name with 2.
  void OutputsThatWouldDoHarmAreRefused() {
    const QString project = Path(QStringLiteral("harm.vlm"));
    QVERIFY(QFile::copy(kAirWater, project));
    const auto bytes = [](const QString& path) {
      QFile f(path);
      return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray original = bytes(project);
    const QString link = Path(QStringLiteral("harm-link.xlsx"));
    const QString pipe = Path(QStringLiteral("pipe.xlsx"));
    QVERIFY(QFile::link(project, link));
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    Start();
    QVERIFY(FWindow->Files().OpenProject(project));
    for (const QString& out : {project, link, pipe}) {
      FErrors.clear();
      SaveReport(out);
      FPdfChoices << out;
      FWindow->findChild<QAction*>(QStringLiteral("MReport_Pdf"))->trigger();
      QCOMPARE(FErrors.size(), 2);
    }
    QCOMPARE(bytes(project), original);
    QVERIFY(QFileInfo(pipe).isSymLink() || !QFileInfo(pipe).isFile());

    FErrors.clear();
    const QString longReport = Path(QString(245, QLatin1Char('r')) + QStringLiteral(".xlsx"));
    const QString longPdf = Path(QString(251, QLatin1Char('p')) + QStringLiteral(".pdf"));
    SaveReport(longReport);
    FPdfChoices << longPdf;
    FWindow->findChild<QAction*>(QStringLiteral("MReport_Pdf"))->trigger();
    QCOMPARE(FErrors, QStringList());
    QVERIFY(QFileInfo(longReport).size() > 0 && QFileInfo(longPdf).size() > 0);

    QProcess p;
    p.start(QStringLiteral(VELM_EXE), {"--batch", project, "--report", project});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 4);
    QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains(QStringLiteral("打开的项目")));
    QCOMPARE(bytes(project), original);
    p.start(QStringLiteral(VELM_EXE), {"--batch", project, "--pdf", ""});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 2);
  }

  void BatchWritesTheReport() {
    const QString out = Path(QStringLiteral("batch.xlsx"));
    QProcess p;
    const QString pdf = Path(QStringLiteral("batch.pdf"));
    p.start(QStringLiteral(VELM_EXE), {"--batch", kAirWater, "--report", out, "--pdf", pdf});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    QCOMPARE(ReadWorkbook(out).Sheet, QStringLiteral("air-water-absorber.vlm"));
    QVERIFY(PdfText(pdf).contains(QStringLiteral("air-water-absorber.vlm")));

    p.start(QStringLiteral(VELM_EXE), {"--batch", kAirWater, "--report", Path("none/r.xlsx")});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 4);
    QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains("none/r.xlsx"));
  }
};

QTEST_MAIN(TReportTest)
#include "ReportTest.moc"
