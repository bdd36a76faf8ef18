// Time of the uncertainty's Monte Carlo (goal: 10 000 samples <= 150 ms on one core) and of a
// sweep (goal: 50 points <= 2 ms), on the air-water absorber with bands on three properties
// and the packing factor.
//   build/bench/velm-bench --benchmark_filter=Analysis
#include <benchmark/benchmark.h>

#include "bench/AbsorberCase.h"
#include "core/Analysis.h"
#include "core/Rating.h"

namespace {

using namespace velm;

TUncertaintyInput Absorber() {
  TUncertaintyInput in;
  TPlainFields fields = bench::AbsorberFields();
  in.Inputs = InputValues(fields);
  in.Options.FoamingFactorText = "1.0";
  in.Options.FloodPercentText = "70";
  in.Diameter = 1.0;
  in.Stages = 10;
  in.Band[size_t(TField::DlD)] = 0.02;
  in.Band[size_t(TField::MlD)] = 0.1;
  in.Band[size_t(TField::DvD)] = 0.05;
  in.PackingFactorBand = 0.2;
  return in;
}

const TPackingRecord kPacking{{"03", "陶瓷", "25mm", "拉西环", "190", "0.73", "1", "2.7067",
                               "0.01539", "0", "2.7067", "0", "641", "61", "509 (1/m)", ""}};

void BM_AnalysisUncertainty10000(benchmark::State& state) {
  TUncertaintyInput in = Absorber();
  in.Samples = 10000;
  for (auto _ : state) benchmark::DoNotOptimize(RunUncertainty(in, kPacking));
}
BENCHMARK(BM_AnalysisUncertainty10000)->Unit(benchmark::kMillisecond);

void BM_AnalysisSweep50(benchmark::State& state) {
  const TUncertaintyInput in = Absorber();
  for (auto _ : state) benchmark::DoNotOptimize(RunSweep(in, kPacking, TField::VD, 0.6, 1.8, 50));
}
BENCHMARK(BM_AnalysisSweep50)->Unit(benchmark::kMillisecond);

}  // namespace
