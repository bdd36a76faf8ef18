// The batch mode's work for one example project, in process: the packing table read, the
// project opened into a design document and recalculated as the open and the batch's own run
// do. (The process as a whole adds the start of the program and its libraries.)
//   build/bench/velm-batch-bench
#include <benchmark/benchmark.h>

#include <QString>

#include "core/PlainFields.h"
#include "project/DocumentObjects.h"
#include "table/PackingList.h"

namespace {

class TQuietEvents final : public velm::TDocumentEvents {
 public:
  void FieldMessage(const std::string&) override {}
  void MessageBox(const std::string&) override {}
  void ErrorReport(const std::string&) override {}
};

void BM_BatchExample(benchmark::State& state, const char* file) {
  const QString path = QStringLiteral(VELM_EXAMPLES "/") + QString::fromLatin1(file);
  for (auto _ : state) {
    velm::TMyClientDataSet table;
    table.LoadLabelledFile(VELM_PACKINGS);
    const velm::TPackingList packings = velm::PackingListOf(table);
    const auto packing = [&packings](int i) { return packings.At(i); };
    velm::TDesignDocument doc;
    doc.PackingIndex = 0;
    velm::TDocumentObjects objects(doc, static_cast<int>(packings.Items.size()));
    velm::TPlainLog log;
    TQuietEvents events;
    if (!velm::OpenDocument(doc, objects, path, packing, log, events)) state.SkipWithError("open");
    velm::RecalculateDocument(doc, packing, log, events);
    benchmark::DoNotOptimize(doc.Case.HETP);
  }
}
BENCHMARK_CAPTURE(BM_BatchExample, plain, "air-water-absorber.vlm")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BatchExample, compressed, "benzene-toluene-distillation.vlm")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BatchExample, legacy, "vacuum-ethylbenzene-styrene.vlm")
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
