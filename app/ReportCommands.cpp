// The report commands of the main window: the calculation report written into a workbook made
// from the template beside the program, cell by cell through the spreadsheet wrapper.
#include "app/ReportCommands.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTextEdit>
#include <cmath>
#include <stdexcept>

#include "app/CalculationSheet.h"
#include "app/MainWindow.h"
#include "base/Decimal.h"
#include "base/Errors.h"
#include "base/NumberFormat.h"
#include "core/CalcTrace.h"
#include "core/Methods.h"
#include "core/Validity.h"
#include "ooxml/Workbook.h"
#include "project/FileIo.h"
#include "report/SheetPrinter.h"
#include "report/SpreadsheetReport.h"
#include "units/UnitEntry.h"
#include "units/UnitSelector.h"
#include "units/ValueField.h"

namespace velm {

namespace {

// The template's name beside the program, without its extension.
const QString kTemplateName = QStringLiteral("VELM2016-07-15");
// Rows of the template that take the validity findings (level in column 2, text in column 3).
constexpr int kFindingsFirstRow = 47;
constexpr int kFindingsRows = 6;

QString ReportFileDialog(QWidget* parent, const QString& title, const QString& file,
                         const QString& filter, const QString& suffix) {
  // The filter "Excel 文件(*.xlsx)|*.xlsx" in Qt's form: the description holds the pattern.
  QFileDialog dialog(parent, title, QFileInfo(file).path(), filter.section(QLatin1Char('|'), 0, 0));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(suffix);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
  dialog.setSizeGripEnabled(true);
  if (!file.isEmpty()) dialog.selectFile(file);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

std::string Utf8(const QString& s) { return s.toStdString(); }

QString PrintFileDialog(QWidget* parent, const QString& title, const QString& file,
                        const QString& filter) {
  QFileDialog dialog(parent, title, QFileInfo(file).path(),
                     QStringLiteral("Excel 文件(*.xls *.xlsx)"));
  Q_UNUSED(filter);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setSizeGripEnabled(true);
  if (!file.isEmpty()) dialog.selectFile(file);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

QString PdfFileDialog(QWidget* parent, const QString& title, const QString& file) {
  QFileDialog dialog(parent, title, QFileInfo(file).path(), QStringLiteral("PDF 文件(*.pdf)"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QStringLiteral("pdf"));
  dialog.setSizeGripEnabled(true);
  if (!file.isEmpty()) dialog.selectFile(file);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

bool AskPdfMessageBox(QWidget* parent) {
  return QMessageBox::question(
             parent, QStringLiteral("打印计算报表"),
             QStringLiteral("这台计算机没有可用的打印机。\n是否把报表保存为PDF文件？"),
             QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace

QString ReportFilter() {
  const QString ext = QString::fromStdString(ExcelFileExt);
  return QStringLiteral("Excel 文件(*") + ext + QStringLiteral(")|*") + ext;
}

QString OperatingRangeText(double um, double f) {
  if (!std::isfinite(um) || !std::isfinite(f) || um <= 0 || f <= 0) return {};
  // Minimum and flooding load in per cent of the design load; halves go to the even integer.
  const double low = std::nearbyint(10000.0 / um);
  const double high = std::nearbyint(10000.0 / f);
  return QString::fromStdString(FormatField(low)) + QStringLiteral(" - ") +
         QString::fromStdString(FormatField(high));
}

void TReportCommands::Connect() {
  if (!FWindow.FSetup.ReportSaveDialog) FWindow.FSetup.ReportSaveDialog = ReportFileDialog;
  if (!FWindow.FSetup.PrintOpenDialog) FWindow.FSetup.PrintOpenDialog = PrintFileDialog;
  if (!FWindow.FSetup.PdfSaveDialog) FWindow.FSetup.PdfSaveDialog = PdfFileDialog;
  if (!FWindow.FSetup.AskPdfInstead) FWindow.FSetup.AskPdfInstead = AskPdfMessageBox;
  if (!FWindow.FSetup.HasPrinter) FWindow.FSetup.HasPrinter = HasDefaultPrinter;
  const struct {
    const char* Name;
    void (TFormVELM::*Handler)(QObject*);
  } commands[] = {{"MReport_Save", &TFormVELM::MReport_SaveClick},
                  {"BReport", &TFormVELM::MReport_SaveClick},
                  {"MReport_Print", &TFormVELM::MReport_PrintClick},
                  {"BPrint", &TFormVELM::MReport_PrintClick},
                  {"MReport_Pdf", &TFormVELM::MReport_PdfClick}};
  for (const auto& c : commands)
    FWindow.OnCommand(c.Name, [this, h = c.Handler](QAction* a) { (FWindow.*h)(a); });
}

void TReportCommands::Print() {
  FWindow.Guard([this] {
    const QString path =
        FWindow.FSetup.PrintOpenDialog(&FWindow, QStringLiteral("打印计算报表"), FLastReportFile,
                                       QStringLiteral("Excel 文件(*.xls;xlsx)|*.xls;*xlsx"));
    if (path.isEmpty()) return;
    if (!FWindow.FSetup.HasPrinter()) {
      // Printing with no printer would do nothing at all: offer the page as a PDF file.
      if (!FWindow.FSetup.AskPdfInstead(&FWindow)) return;
      const QString pdf = FWindow.FSetup.PdfSaveDialog(
          &FWindow, QStringLiteral("导出PDF"),
          QFileInfo(path).path() + QLatin1Char('/') + QFileInfo(path).completeBaseName() + ".pdf");
      if (pdf.isEmpty()) return;
      try {
        auto book = ooxml::TWorkbook::Open(Utf8(path));
        WriteSheetPdf(*book, book->ActiveSheet(), pdf);
      } catch (const ooxml::TOoxmlError& e) {
        throw std::runtime_error(e.what());
      }
      return;
    }
    // The wrapper closes the workbook also when printing fails.
    TMyXls xls("", 1, Utf8(path));
    xls.Print();
  });
}

void TReportCommands::Pdf() {
  FWindow.Guard([this] {
    QString proposed;
    if (!FWindow.CurrentFile().isEmpty())
      proposed = QFileInfo(FWindow.FFiles.DialogDirectory(),
                           QFileInfo(FWindow.CurrentFile()).completeBaseName() + ".pdf")
                     .filePath();
    const QString path =
        FWindow.FSetup.PdfSaveDialog(&FWindow, QStringLiteral("导出PDF"), proposed);
    if (path.isEmpty()) return;
    ExportReportPdf(path);
  });
}

void TReportCommands::ExportReportPdf(const QString& path) {
  ExportDesignReportPdf(FWindow.Document(), ReportTemplateFile(), FWindow.CurrentFile(),
                        FWindow.FPTD->currentText(), path);
}

QString TReportCommands::ReportTemplateFile() const {
  if (!FWindow.FSetup.ReportTemplate.isEmpty()) return FWindow.FSetup.ReportTemplate;
  return FWindow.FAppConst.DataPath() + QLatin1Char('/') + kTemplateName +
         QString::fromStdString(ExcelTemplateExt);
}

void TReportCommands::Save() {
  FWindow.Guard([this] {
    QString proposed;
    if (!FWindow.CurrentFile().isEmpty())
      proposed = QFileInfo(FWindow.CurrentFile()).fileName().chopped(4) +
                 QString::fromStdString(ExcelFileExt);
    FReportFilter = ReportFilter();
    const QString suffix = QString::fromStdString(ExcelFileExt).mid(1);
    const QString path = FWindow.FSetup.ReportSaveDialog(
        &FWindow, QStringLiteral("保存计算报表"),
        proposed.isEmpty() ? proposed
                           : QFileInfo(FWindow.FFiles.DialogDirectory(), proposed).filePath(),
        FReportFilter, suffix);
    if (path.isEmpty()) return;
    FLastReportFile = path;
    WriteReport(path);
  });
}

void TReportCommands::WriteReport(const QString& path) {
  WriteDesignReport(FWindow.Document(), ReportTemplateFile(), FWindow.CurrentFile(),
                    FWindow.FPTD->currentText(), path);
}

void WriteDesignReport(const TDesignDocument& doc, const QString& templateFile,
                       const QString& projectFile, const QString& packingText,
                       const QString& path) {
  CheckOutputFile(path, projectFile);
  QTemporaryDir pictures;
  if (!pictures.isValid()) throw std::runtime_error("无法创建临时文件夹");
  TMyXls xls(Utf8(templateFile), 0, Utf8(path));
  const TVariant& sheet = xls.FSheet;
  auto put = [&sheet](int row, int column, const QString& text) {
    sheet.Put("Cells", {row, column}, Utf8(text));
  };
  auto caption = [&doc](TField f) { return QString::fromStdString(doc.Caption(f)); };
  // A value field as shown; a result the latest calculation did not produce is left empty.
  auto value = [&doc](TField f) {
    const TValueFieldState& s = doc[f];
    if (s.Stale) return QString();
    return ShortFieldText(QString::fromStdString(s.Text)).value_or(QString());
  };
  // A value field's number, kept whole and shown to engineering precision; a text that is not a
  // number is written as it is.
  auto number = [&](int row, int column, TField f) {
    const TValueFieldState& s = doc[f];
    const auto x = s.Stale ? std::nullopt : ParseNumber(s.Text);
    if (x)
      PutNumber(sheet, row, column, *x, ReportDigits(FieldInfo(f)));
    else
      put(row, column, value(f));
  };
  auto unit = [&doc](TField f) {
    const auto& units = UnitListFor(FieldInfo(f).Unit);
    const int i = doc[f].UnitIndex;
    return i >= 0 && i < static_cast<int>(units.size())
               ? QString::fromStdString(UnitDisplayName(units[static_cast<size_t>(i)]))
               : QString();
  };

  if (!projectFile.isEmpty()) {
    // The sheet is named after the project file; a name the spreadsheet cannot take is mended
    // (31 characters, no : \ / ? * [ ]) and cell (3, 3) keeps the whole name.
    const QString name = QFileInfo(projectFile).fileName();
    std::string sheetName = ooxml::MakeSheetName(Utf8(name));
    // The calculation sheet has its name already.
    if (sheetName == kCalculationSheetName || sheetName == kColumnSheetName) sheetName += "_1";
    xls.FSheet.Put("Name", sheetName);
    put(3, 3, name);
  }
  put(2, 3, QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));

  // Project rows: name, stage, equipment name and number (the texts' order in the document is
  // name, equipment name, equipment number, stage).
  const std::pair<const char*, size_t> project[] = {
      {"项目名称", 0}, {"项目阶段", 3}, {"设备名称", 1}, {"设备位号", 2}};
  for (int i = 0; i < 4; ++i) {
    put(5 + i, 2, QString::fromUtf8(project[i].first));
    put(5 + i, 3, QString::fromStdString(doc.Texts[project[i].second]));
  }
  put(11, 2, QStringLiteral("说明"));
  put(11, 3, QString::fromStdString(doc.Comment).trimmed());

  // Every value field the registry places in the report: its caption as the window shows it,
  // its value and, for a quantity with units, the selected unit.
  for (const TFieldInfo& f : FieldRegistry()) {
    if (f.Report.Row == 0) continue;
    put(f.Report.Row, f.Report.Column, caption(f.Field));
    number(f.Report.Row, f.Report.Column + 1, f.Field);
    if (f.Unit != TUnitFamily::Dimensionless && f.Unit != TUnitFamily::FlowParameter)
      put(f.Report.Row, f.Report.Column + 2, unit(f.Field));
  }
  put(17, 6, QStringLiteral("泛点预设"));
  put(17, 7, QString::fromStdString(doc.FloodPercentText));
  put(17, 8, QStringLiteral("%"));
  put(18, 2, QStringLiteral("液体发泡系数"));
  put(18, 3, QString::fromStdString(doc.FoamingText()));
  put(31, 2, QStringLiteral("填料选择"));
  put(31, 3, packingText);
  put(33, 2, QStringLiteral("算法选择"));
  put(33, 3, QString::fromStdString(doc.FloodMethodText()));
  // Beyond the table, beside the method: the convergence acceleration (the template's label).
  put(33, 7, QString::fromStdString(doc.AccelerationText()));

  // The factors, whose captions say whether they were computed or typed, and the operating range.
  auto factorCaption = [&](TField f, bool computed) {
    return caption(f) + (computed ? QStringLiteral("(计算)") : QStringLiteral("(输入)"));
  };
  if (FloodingMethodAt(FloodingMethodIndex(doc.FloodMethodIndex)).UsesKf()) {
    put(35, 6, factorCaption(TField::KfD, doc.CalcKf));
    number(35, 7, TField::KfD);
  } else {
    put(35, 7, QString());
  }
  put(39, 6, factorCaption(TField::KpD, doc.CalcKp));
  number(39, 7, TField::KpD);
  put(39, 8, unit(TField::KpD));
  put(41, 6, QStringLiteral("操作弹性"));
  {
    // Um is the SI value of UmD, f the number of the design percentage.
    const TValueFieldState& um = doc[TField::UmD];
    const auto x = um.Stale ? std::nullopt : ParseNumber(um.Text);
    const auto f = ParseNumber(doc.FloodPercentText);
    // A rated column: its window's ends, from its own flood fraction and limits.
    const std::optional<TOperatingWindow> w = doc.Rating ? doc.Rating->Window : std::nullopt;
    if (w)
      put(41, 7,
          QString::fromStdString(FormatField(std::nearbyint(100.0 * w->Minimum))) +
              QStringLiteral(" - ") +
              QString::fromStdString(FormatField(std::nearbyint(100.0 * w->Maximum))));
    else
      put(41, 7, x && f ? OperatingRangeText(um.K * *x + um.B, *f) : QString());
  }
  put(41, 8, QStringLiteral("%"));

  // Beyond the table: the calculation basis, the flood fraction of the chosen column and the
  // validity findings of the current design.
  put(2, 7, doc.Case.LegacyMethods ? QStringLiteral("旧版算法") : QStringLiteral("文献"));
  {
    const TValueFieldState& d = doc[TField::dD];
    const bool current = doc.Case.FloodFraction && !d.Stale && !d.Text.empty();
    if (current)
      PutNumber(sheet, 41, 3, 100.0 * *doc.Case.FloodFraction,
                ReportDigits(FieldInfo(TField::fActualD)));
    else
      put(41, 3, QString());
  }
  const std::vector<TFinding>& findings = doc.Findings;
  for (int i = 0; i < kFindingsRows; ++i) {
    const int row = kFindingsFirstRow + i;
    if (i == kFindingsRows - 1 && int(findings.size()) > kFindingsRows) {
      put(row, 2, QString());
      put(row, 3, QStringLiteral("另有 %1 条，见程序的信息窗口").arg(findings.size() - i));
      break;
    }
    const bool has = i < int(findings.size());
    put(row, 2, has ? QString::fromUtf8(LevelLabel(findings[size_t(i)].Level)) : QString());
    put(row, 3,
        has ? QString::fromStdString(findings[size_t(i)].Text)
            : (i == 0 ? QStringLiteral("未发现问题") : QString()));
  }

  // The calculation sheet of the template, when it has one.
  TVariant calculation;
  try {
    calculation = xls.FWorkbook.Get("Sheets", {2});
  } catch (const TAutomationError&) {
  }
  if (calculation.IsObject() && calculation.Get("Name").ToString() == kCalculationSheetName) {
    // A whole column gets a sheet of its own, laid out as the calculation sheet (copied before
    // that is filled).
    TVariant column;
    if (doc.Column && doc.ColumnInput)
      column = calculation.Call("Copy", {std::string(kColumnSheetName)});
    WriteCalculationSheet(calculation, doc, packingText, pictures.path());
    if (column.IsObject()) WriteColumnSheet(column, doc, pictures.path());
  }

  xls.Save();
}

void ExportDesignReportPdf(const TDesignDocument& doc, const QString& templateFile,
                           const QString& projectFile, const QString& packingText,
                           const QString& path) {
  CheckOutputFile(path, projectFile);
  QTemporaryDir dir;
  if (!dir.isValid()) throw std::runtime_error("无法创建临时文件夹");
  const QString name = projectFile.isEmpty() ? QStringLiteral("report.xlsx")
                                             : QFileInfo(projectFile).completeBaseName() + ".xlsx";
  const QString workbook = dir.filePath(name);
  WriteDesignReport(doc, templateFile, projectFile, packingText, workbook);
  try {
    auto book = ooxml::TWorkbook::Open(Utf8(workbook));
    std::vector<int> sheets;
    for (int i = 1; i <= book->SheetCount(); ++i) sheets.push_back(i);
    WriteSheetsPdf(*book, sheets, path);
  } catch (const ooxml::TOoxmlError& e) {
    throw std::runtime_error(e.what());
  }
}

QString DefaultReportTemplate() {
  return TMyAppConst().DataPath() + QLatin1Char('/') + kTemplateName +
         QString::fromStdString(ExcelTemplateExt);
}

}  // namespace velm
