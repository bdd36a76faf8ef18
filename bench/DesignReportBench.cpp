// The whole calculation report of an example project, as the batch mode and the window write
// it: the datasheet and the calculation sheet from the run's trace, with the two chart pictures
// drawn, encoded and put into the workbook's drawing; and the same report as a PDF of both
// sheets.
//   build/bench/velm-design-report-bench
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <string>

#include "app/MainWindow.h"
#include "core/PlainFields.h"
#include "project/DocumentObjects.h"
#include "report/SpreadsheetReport.h"
#include "table/PackingList.h"

namespace {

const QString kOut = QStringLiteral("/tmp/velm-design-report-bench-%1").arg(::getpid());
const QString kProject = QStringLiteral(VELM_EXAMPLES "/air-water-absorber.vlm");

class TQuietEvents final : public velm::TDocumentEvents {
 public:
  void FieldMessage(const std::string&) override {}
  void MessageBox(const std::string&) override {}
  void ErrorReport(const std::string&) override {}
};

velm::TDesignDocument Example() {
  velm::TMyClientDataSet table;
  table.LoadLabelledFile(VELM_PACKINGS);
  const velm::TPackingList packings = velm::PackingListOf(table);
  const auto packing = [&packings](int i) { return packings.At(i); };
  velm::TDesignDocument doc;
  velm::TDocumentObjects objects(doc, static_cast<int>(packings.Items.size()));
  velm::TPlainLog log;
  TQuietEvents events;
  velm::OpenDocument(doc, objects, kProject, packing, log, events);
  velm::RecalculateDocument(doc, packing, log, events);
  return doc;
}

void BM_DesignReport(benchmark::State& state) {
  const velm::TDesignDocument doc = Example();
  for (auto _ : state)
    velm::WriteDesignReport(doc, QStringLiteral(VELM_TEMPLATE), kProject,
                            QStringLiteral("28;塑料;25mm;鲍尔环"), kOut + ".xlsx");
  QFile::remove(kOut + ".xlsx");
}
BENCHMARK(BM_DesignReport)->Unit(benchmark::kMillisecond);

void BM_DesignReportPdf(benchmark::State& state) {
  const velm::TDesignDocument doc = Example();
  for (auto _ : state)
    velm::ExportDesignReportPdf(doc, QStringLiteral(VELM_TEMPLATE), kProject,
                                QStringLiteral("28;塑料;25mm;鲍尔环"), kOut + ".pdf");
  QFile::remove(kOut + ".pdf");
}
BENCHMARK(BM_DesignReportPdf)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  velm::MyXlsStart();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
