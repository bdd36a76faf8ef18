// The report commands of the main window: the calculation report written into a workbook made
// from the template beside the program, cell by cell through the spreadsheet wrapper.
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

#include "app/UnitMain.h"
#include "base/Decimal.h"
#include "base/Errors.h"
#include "base/NumberFormat.h"
#include "core/Validity.h"
#include "ooxml/Workbook.h"
#include "project/FileIo.h"
#include "report/MyXls.h"
#include "report/SheetPrinter.h"
#include "units/ComboBoxU.h"
#include "units/EditD.h"

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

void TFormVELM::ConnectReportCommands() {
  if (!FSetup.ReportSaveDialog) FSetup.ReportSaveDialog = ReportFileDialog;
  if (!FSetup.PrintOpenDialog) FSetup.PrintOpenDialog = PrintFileDialog;
  if (!FSetup.PdfSaveDialog) FSetup.PdfSaveDialog = PdfFileDialog;
  if (!FSetup.AskPdfInstead) FSetup.AskPdfInstead = AskPdfMessageBox;
  if (!FSetup.HasPrinter) FSetup.HasPrinter = HasDefaultPrinter;
  const struct {
    const char* Name;
    void (TFormVELM::*Handler)(QObject*);
  } commands[] = {{"MReport_Save", &TFormVELM::MReport_SaveClick},
                  {"BReport", &TFormVELM::MReport_SaveClick},
                  {"MReport_Print", &TFormVELM::MReport_PrintClick},
                  {"BPrint", &TFormVELM::MReport_PrintClick},
                  {"MReport_Pdf", &TFormVELM::MReport_PdfClick}};
  for (const auto& c : commands) {
    if (auto* action = findChild<QAction*>(QString::fromLatin1(c.Name))) {
      action->setEnabled(true);
      connect(action, &QAction::triggered, this,
              [this, action, h = c.Handler] { (this->*h)(action); });
    }
  }
}

void TFormVELM::MReport_PrintClick(QObject*) {
  Guard([this] {
    const QString path =
        FSetup.PrintOpenDialog(this, QStringLiteral("打印计算报表"), FLastReportFile,
                               QStringLiteral("Excel 文件(*.xls;xlsx)|*.xls;*xlsx"));
    if (path.isEmpty()) return;
    if (!FSetup.HasPrinter()) {
      // Printing with no printer would do nothing at all: offer the page as a PDF file.
      if (!FSetup.AskPdfInstead(this)) return;
      const QString pdf = FSetup.PdfSaveDialog(
          this, QStringLiteral("导出PDF"),
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

void TFormVELM::MReport_PdfClick(QObject*) {
  Guard([this] {
    QString proposed;
    if (!FCurrentFile.isEmpty())
      proposed = QFileInfo(DialogDirectory(), QFileInfo(FCurrentFile).completeBaseName() + ".pdf")
                     .filePath();
    const QString path = FSetup.PdfSaveDialog(this, QStringLiteral("导出PDF"), proposed);
    if (path.isEmpty()) return;
    ExportReportPdf(path);
  });
}

void TFormVELM::ExportReportPdf(const QString& path) {
  CheckOutputFile(path, FCurrentFile);
  QTemporaryDir dir;
  if (!dir.isValid()) throw std::runtime_error("无法创建临时文件夹");
  const QString name = FCurrentFile.isEmpty()
                           ? QStringLiteral("report.xlsx")
                           : QFileInfo(FCurrentFile).completeBaseName() + ".xlsx";
  const QString workbook = dir.filePath(name);
  WriteReport(workbook);
  try {
    auto book = ooxml::TWorkbook::Open(Utf8(workbook));
    WriteSheetPdf(*book, book->ActiveSheet(), path);
  } catch (const ooxml::TOoxmlError& e) {
    throw std::runtime_error(e.what());
  }
}

QString TFormVELM::ReportTemplateFile() const {
  if (!FSetup.ReportTemplate.isEmpty()) return FSetup.ReportTemplate;
  return FAppConst.DataPath() + QLatin1Char('/') + kTemplateName +
         QString::fromStdString(ExcelTemplateExt);
}

void TFormVELM::MReport_SaveClick(QObject*) {
  Guard([this] {
    QString proposed;
    if (!FCurrentFile.isEmpty())
      proposed =
          QFileInfo(FCurrentFile).fileName().chopped(4) + QString::fromStdString(ExcelFileExt);
    FReportFilter = ReportFilter();
    const QString suffix = QString::fromStdString(ExcelFileExt).mid(1);
    const QString path = FSetup.ReportSaveDialog(
        this, QStringLiteral("保存计算报表"),
        proposed.isEmpty() ? proposed : QFileInfo(DialogDirectory(), proposed).filePath(),
        FReportFilter, suffix);
    if (path.isEmpty()) return;
    FLastReportFile = path;
    WriteReport(path);
  });
}

void TFormVELM::WriteReport(const QString& path) {
  CheckOutputFile(path, FCurrentFile);
  TMyXls xls(Utf8(ReportTemplateFile()), 0, Utf8(path));
  const TVariant& sheet = xls.FSheet;
  auto put = [&sheet](int row, int column, const QString& text) {
    sheet.Put("Cells", {row, column}, Utf8(text));
  };
  auto caption = [this](const char* name) {
    auto* label = Control<QLabel>(QString::fromLatin1(name));
    return label ? label->text() : QString();
  };
  auto text = [this](const char* name) {
    const QString n = QString::fromLatin1(name);
    if (auto* combo = Control<QComboBox>(n)) return combo->currentText();
    if (auto* edit = Control<QLineEdit>(n)) return edit->text();
    return QString();
  };
  // A value field as shown; a result the latest calculation did not produce is left empty.
  auto value = [this](const char* name) {
    TEditD* field = Control<TEditD>(QString::fromLatin1(name));
    if (!field || ReportStale(field)) return QString();
    return field->ShortText().value_or(QString());
  };
  auto unit = [this](const char* name) {
    auto* selector = Control<TComboBoxU>(QString::fromLatin1(name));
    return selector ? selector->GetUnit() : QString();
  };

  if (!FCurrentFile.isEmpty()) {
    // The sheet is named after the project file; a name the spreadsheet cannot take is mended
    // (31 characters, no : \ / ? * [ ]) and cell (3, 3) keeps the whole name.
    const QString name = QFileInfo(FCurrentFile).fileName();
    xls.FSheet.Put("Name", ooxml::MakeSheetName(Utf8(name)));
    put(3, 3, name);
  }
  put(2, 3, QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));

  // Project rows.
  const char* const project[][2] = {{"ProjectL", "ProjectD"},
                                    {"ProjPL", "ProjPD"},
                                    {"DevicenameL", "DevicenameD"},
                                    {"DeviceNoL", "DeviceNoD"}};
  for (int i = 0; i < 4; ++i) {
    put(5 + i, 2, caption(project[i][0]));
    put(5 + i, 3, text(project[i][1]));
  }
  put(11, 2, caption("CommentL"));
  put(11, 3, FComment ? FComment->toPlainText().trimmed() : QString());

  // Rows of label, value and unit on both sides.
  struct TSide {
    const char* Label;
    const char* Field;
    const char* Unit;
  };
  auto side = [&](int row, int column, const TSide& s) {
    if (!s.Label) return;
    put(row, column, caption(s.Label));
    put(row, column + 1, value(s.Field));
    if (s.Unit) put(row, column + 2, unit(s.Unit));
  };
  const struct {
    int Row;
    TSide Left, Right;
  } inputs[] = {
      {14, {"DlL", "DlD", "DlU"}, {"DvL", "DvD", "DvU"}},
      {15, {"MlL", "MlD", "MlU"}, {"MvL", "MvD", "MvU"}},
      {16, {"SLL", "SLD", "SLU"}, {"DvfL", "DvfD", "DvfU"}},
      {17, {"DlfL", "DlfD", "DlfU"}, {}},
  };
  for (const auto& r : inputs) {
    side(r.Row, 2, r.Left);
    side(r.Row, 6, r.Right);
    if (r.Row == 17) {
      put(17, 6, caption("fpercentL"));
      put(17, 7, text("fpercentD"));
      put(17, 8,
          Control<QLabel>(QStringLiteral("fpercentU")) ? caption("fpercentU")
                                                       : caption("fpercentUL"));
    }
  }
  put(18, 2, caption("AfL"));
  put(18, 3, text("AfD"));
  side(26, 2, {"LL", "LD", "LU"});
  side(26, 6, {"VL", "VD", "VU"});
  put(31, 2, caption("PTL"));
  put(31, 3, text("PTD"));
  side(31, 6, {"alfL", "alfD", nullptr});
  side(32, 2, {"meL", "meD", nullptr});
  side(32, 6, {"LmdL", "LmdD", nullptr});
  put(33, 2, caption("MethodL"));
  put(33, 3, text("MethodD"));
  // Beyond the table, beside the method: the convergence acceleration (the template's label).
  put(33, 7, text("ACLMethodD"));

  // Results: the left column of rows 35 to 40, then the right column of rows 35 to 41.
  side(35, 2, {"FpL", "FpD", nullptr});
  side(36, 2, {"UfL", "UfD", "UfU"});
  side(37, 2, {"UpL", "UpD", "UpU"});
  side(38, 2, {"UlsL", "UlsD", "UlsU"});
  side(39, 2, {"UvsL", "UvsD", "UvsU"});
  side(40, 2, {"UmL", "UmD", "UmU"});
  auto factorCaption = [&](const char* label, const char* check) {
    auto* box = Control<QCheckBox>(QString::fromLatin1(check));
    return caption(label) + (box && box->isChecked()
                                 ? QLatin1Char('(') + box->text() + QLatin1Char(')')
                                 : QStringLiteral("(输入)"));
  };
  auto* method = Control<QComboBox>(QStringLiteral("MethodD"));
  if (method && method->currentIndex() == 0) {
    put(35, 6, factorCaption("KfL", "CalKf"));
    put(35, 7, value("KfD"));
  } else {
    put(35, 7, QString());
  }
  side(36, 6, {"dpL", "dpD", "dpU"});
  side(37, 6, {"dL", "dD", "dU"});
  side(38, 6, {"HTL", "HTD", "HTU"});
  put(39, 6, factorCaption("KpL", "CalKp"));
  put(39, 7, value("KpD"));
  put(39, 8, unit("KpU"));
  side(40, 6, {"dPwaterL", "dPwaterD", "dPwaterU"});
  put(41, 6, QStringLiteral("操作弹性"));
  {
    // Um is the SI value of UmD, f the number of the design percentage.
    TEditD* um = Control<TEditD>(QStringLiteral("UmD"));
    const auto x = um && !ReportStale(um) ? ParseNumber(Utf8(um->text())) : std::nullopt;
    const auto f = ParseNumber(Utf8(text("fpercentD")));
    put(41, 7, x && f ? OperatingRangeText(um->K() * *x + um->B(), *f) : QString());
  }
  put(41, 8, QStringLiteral("%"));
  side(43, 2, {"HTUVL", "HTUVD", "HTUVU"});
  side(43, 6, {"HTUOVL", "HTUOVD", "HTUOVU"});
  side(44, 2, {"HTULL", "HTULD", "HTULU"});
  side(44, 6, {"HETPL", "HETPD", "HETPU"});

  // Beyond the table: the calculation basis, the flood fraction of the chosen column and the
  // validity findings of the current design.
  put(2, 7, FCase.LegacyMethods ? QStringLiteral("旧版算法") : QStringLiteral("文献"));
  {
    TEditD* d = Control<TEditD>(QStringLiteral("dD"));
    const bool current = FCase.FloodFraction && d && !ReportStale(d) && !d->text().isEmpty();
    put(41, 3,
        current ? QString::fromStdString(FormatGeneral(100.0 * *FCase.FloodFraction, 4))
                : QString());
  }
  const std::vector<std::pair<QString, QString>> findings = ReportFindings();
  for (int i = 0; i < kFindingsRows; ++i) {
    const int row = kFindingsFirstRow + i;
    if (i == kFindingsRows - 1 && int(findings.size()) > kFindingsRows) {
      put(row, 2, QString());
      put(row, 3, QStringLiteral("另有 %1 条，见程序的信息窗口").arg(findings.size() - i));
      break;
    }
    const bool has = i < int(findings.size());
    put(row, 2, has ? findings[std::size_t(i)].first : QString());
    put(row, 3,
        has ? findings[std::size_t(i)].second
            : (i == 0 ? QStringLiteral("未发现问题") : QString()));
  }

  xls.Save();
}

bool TFormVELM::ReportStale(TEditD* field) const { return field && field->Stale(); }

std::vector<std::pair<QString, QString>> TFormVELM::ReportFindings() const {
  std::vector<std::pair<QString, QString>> rows;
  for (const TFinding& f : FFindings)
    rows.emplace_back(QString::fromUtf8(LevelLabel(f.Level)), QString::fromStdString(f.Text));
  return rows;
}

}  // namespace velm
