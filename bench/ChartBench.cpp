// One whole drawing of the chart page as a repaint runs it: the envelope loads, the
// recalculation of the design and both diagrams at 460 x 360, offscreen, for each shipped example.
//   build/bench/velm-chart-bench [--benchmark_filter=...]
// The counter PictureKiB is the memory the two paint boxes keep for their cached pictures.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTabWidget>

#include "app/MainWindow.h"
#include "chart/PlotCanvas.h"
#include "units/ValueField.h"

namespace {

using namespace velm;

void ChartPage(benchmark::State& state, const char* example) {
  TFormVELMSetup setup;
  setup.PackingFile = QStringLiteral(VELM_PACKINGS);
  setup.UseRecentFiles = false;
  setup.ErrorBox = [](QWidget*, const QString&) {};
  setup.MessageBox = [](QWidget*, const QString&) {};
  TFormVELM window(nullptr, setup);
  if (!window.Files().OpenProject(QDir(QStringLiteral(VELM_EXAMPLES)).filePath(example))) {
    state.SkipWithError("the example does not open");
    return;
  }
  window.PageControlMain()->setCurrentIndex(2);
  if (!window.Chart().Envelope()) {
    state.SkipWithError("the chart is not drawn");
    return;
  }
  for (auto _ : state) {
    window.MReport_PerClick();
    benchmark::DoNotOptimize(window.Chart().Envelope());
  }
  state.counters["PictureKiB"] =
      double(window.PYPaintBox()->PictureBytes() + window.MyPaintBox()->PictureBytes()) / 1024;
}

}  // namespace

BENCHMARK_CAPTURE(ChartPage, air_water, "air-water-absorber.vlm")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ChartPage, benzene_toluene, "benzene-toluene-distillation.vlm")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ChartPage, vacuum, "vacuum-ethylbenzene-styrene.vlm")
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  SetFieldMessageHook([](const QString&) {});
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
