// One calculation report written from the template through the spreadsheet wrapper: the
// template opened, every cell of the report set, the workbook saved under a new path.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "report/MyXls.h"

namespace {

void BM_ReportFromTemplate(benchmark::State& state) {
  velm::MyXlsStart();
  const std::string out = "/tmp/velm-report-bench-" + std::to_string(::getpid()) + ".xlsx";
  for (auto _ : state) {
    velm::TMyXls xls(VELM_TEMPLATE, 0, out);
    xls.FSheet.Put("Name", "benzene-toluene-distillation.vl");
    // The cells a report writes: rows 2 to 52, up to six per row.
    for (int row = 2; row <= 52; ++row)
      for (int column : {2, 3, 4, 6, 7, 8})
        xls.FSheet.Put("Cells", {row, column}, "0.0434077912345");
    xls.Save();
  }
  std::remove(out.c_str());
}
BENCHMARK(BM_ReportFromTemplate)->Unit(benchmark::kMillisecond);

}  // namespace
