// The calculation report rendered as a PDF page: a report workbook (the template with every
// report cell filled) opened, its active sheet laid out and painted, the PDF written with the
// CJK font embedded. The first iteration pays for loading the fonts; the mean shows the rest.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QString>
#include <cstdio>
#include <string>

#include "ooxml/Workbook.h"
#include "report/SheetPrinter.h"

namespace {

std::string ReportWorkbook() {
  const std::string path = "/tmp/velm-print-bench-" + std::to_string(::getpid()) + ".xlsx";
  auto book = velm::ooxml::TWorkbook::Open(VELM_TEMPLATE);
  const int sheet = book->ActiveSheet();
  book->SetSheetName(sheet, "benzene-toluene-distillation.vl");
  // The cells a report writes: rows 2 to 52, up to six per row, labels and numbers.
  for (int row = 2; row <= 52; ++row) {
    for (int column : {2, 6}) book->SetCellText(sheet, row, column, "液相质量流量");
    for (int column : {3, 7}) book->SetCellText(sheet, row, column, "0.0434077912345");
    for (int column : {4, 8}) book->SetCellText(sheet, row, column, "m3/(m2·h)");
  }
  book->SaveAs(path);
  return path;
}

void BM_ReportToPdf(benchmark::State& state) {
  const std::string report = ReportWorkbook();
  const QString pdf = QString::fromStdString(report + ".pdf");
  for (auto _ : state) {
    auto book = velm::ooxml::TWorkbook::Open(report);
    velm::WriteSheetPdf(*book, book->ActiveSheet(), pdf);
  }
  std::remove(report.c_str());
  std::remove(pdf.toLocal8Bit().constData());
}
BENCHMARK(BM_ReportToPdf)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
