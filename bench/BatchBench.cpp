// The batch mode's work for one example project, in process: the packing table read, the
// project opened into a design document and recalculated as the open and the batch's own run
// do; and the whole process `velm --batch EXAMPLE`, with the start of the program and its
// libraries, and its peak memory.
//   build/bench/velm-batch-bench
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QString>
#include <algorithm>
#include <string>

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

// The program itself on an example, output to /dev/null; "peak_MiB" is the largest resident
// memory of any run (the goal: 20 ms and 25 MiB).
void BM_BatchProcess(benchmark::State& state, const char* file) {
  const std::string path = std::string(VELM_EXAMPLES "/") + file;
  char* const argv[] = {const_cast<char*>(VELM_PROGRAM), const_cast<char*>("--batch"),
                        const_cast<char*>(path.c_str()), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  long peakKiB = 0;
  for (auto _ : state) {
    pid_t pid = 0;
    if (posix_spawn(&pid, VELM_PROGRAM, &actions, nullptr, argv, environ) != 0) {
      state.SkipWithError("the program could not be started");
      break;
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("the batch run failed");
      break;
    }
    peakKiB = std::max(peakKiB, usage.ru_maxrss);
  }
  posix_spawn_file_actions_destroy(&actions);
  state.counters["peak_MiB"] = static_cast<double>(peakKiB) / 1024.0;
}
BENCHMARK_CAPTURE(BM_BatchProcess, plain, "air-water-absorber.vlm")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_BatchProcess, compressed, "benzene-toluene-distillation.vlm")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
