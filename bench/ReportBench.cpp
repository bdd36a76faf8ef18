// One calculation report written from the template through the spreadsheet wrapper (the
// template opened, every cell of the report set, the workbook saved under a new path), and the
// same report rendered as a one-page PDF.
//   build/bench/velm-report-bench
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QGuiApplication>
#include <cstdio>
#include <string>

#include "ooxml/Workbook.h"
#include "report/SheetPrinter.h"
#include "report/SpreadsheetReport.h"

namespace {

const std::string kOut = "/tmp/velm-report-bench-" + std::to_string(::getpid());

void WriteReport(const std::string& path) {
  velm::TMyXls xls(VELM_TEMPLATE, 0, path);
  xls.FSheet.Put("Name", "benzene-toluene-distillation.vl");
  // The cells a report writes: rows 2 to 52, up to six per row.
  for (int row = 2; row <= 52; ++row)
    for (int column : {2, 3, 4, 6, 7, 8}) xls.FSheet.Put("Cells", {row, column}, "0.0434077912345");
  xls.Save();
}

void BM_ReportFromTemplate(benchmark::State& state) {
  for (auto _ : state) WriteReport(kOut + ".xlsx");
  std::remove((kOut + ".xlsx").c_str());
}
BENCHMARK(BM_ReportFromTemplate)->Unit(benchmark::kMillisecond);

void BM_ReportPdf(benchmark::State& state) {
  WriteReport(kOut + ".xlsx");
  for (auto _ : state) {
    auto book = velm::ooxml::TWorkbook::Open(kOut + ".xlsx");
    velm::WriteSheetPdf(*book, book->ActiveSheet(), QString::fromStdString(kOut + ".pdf"));
  }
  std::remove((kOut + ".xlsx").c_str());
  std::remove((kOut + ".pdf").c_str());
}
BENCHMARK(BM_ReportPdf)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // Text needs the GUI application; no window is shown.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  velm::MyXlsStart();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
