// Time of rating a given column at its five default load cases, each by every capacity
// definition (goal: five cases <= 0.1 ms), and of the load diagram's limit lines.
//   build/bench/velm-bench --benchmark_filter=Rating
#include <benchmark/benchmark.h>

#include "bench/AbsorberCase.h"
#include "core/Column.h"
#include "core/PlainFields.h"
#include "core/Rating.h"

namespace {

using namespace velm;

TRatingInput AbsorberRating(int method) {
  TPlainFields f = bench::AbsorberFields();
  TRatingInput in;
  in.Options.FloodMethod = method;
  in.Options.FoamingFactorText = "1.0";
  in.Options.FloodPercentText = "70";
  in.Options.Service = 3;
  in.Inputs = InputValues(f);
  in.Diameter = 1.0;
  in.BedHeight = 6.0;
  in.Cases = DefaultLoadCases();
  return in;
}

const TPackingRecord kPacking{{"03", "陶瓷", "25mm", "拉西环", "190", "0.73", "1", "2.7067",
                               "0.01539", "0", "2.7067", "0", "641", "61", "509 (1/m)",
                               "a=190.0 eps=0.680 Ch=0.577 Cp=1.329 CL=1.361 CV=0.412 CS=2.454 "
                               "CFl=1.899"}};

void BM_RatingFiveCases(benchmark::State& state) {
  const TRatingInput in = AbsorberRating(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(RateColumn(in, kPacking));
}

void BM_RatingLoadLines(benchmark::State& state) {
  const TRatingInput in = AbsorberRating(0);
  std::vector<double> liquids;
  for (int i = 1; i <= 30; ++i) liquids.push_back(0.2 * i);
  for (auto _ : state) benchmark::DoNotOptimize(RatingLoadLines(in, kPacking, liquids));
}

// A column of 100 stages in one section, the gas rising 0.5 % a stage, rated at a given column
// (range(1) = 1; goal: 100 stages <= 2 ms) or designed first from its widest stage (range(1) = 0).
void BM_WholeColumn100(benchmark::State& state) {
  const TRatingInput absorber = AbsorberRating(static_cast<int>(state.range(0)));
  TColumnInput in;
  for (int i = 0; i < 100; ++i) {
    TStageLoads s;
    s.LiquidFlow = 2;
    s.LiquidDensity = 998;
    s.LiquidViscosity = 0.001;
    s.SurfaceTension = 0.072;
    s.GasFlow = 1.2 * (1.0 + 0.005 * i);
    s.GasDensity = 1.19;
    s.GasViscosity = 1.8e-5;
    in.Stages.push_back(s);
  }
  TColumnSection sec;
  sec.Last = 99;
  sec.Packing = kPacking;
  sec.Options = absorber.Options;
  sec.Inputs = absorber.Inputs;
  if (state.range(1) == 1) sec.Diameter = 1.0;
  in.Sections.push_back(sec);
  for (auto _ : state) benchmark::DoNotOptimize(RateWholeColumn(in));
}

}  // namespace

// (method, rated): 0 Eckert-Orvik, 2 Billet-Schultes; 1 rated at a given diameter, 0 designed.
BENCHMARK(BM_WholeColumn100)
    ->Args({0, 1})
    ->Args({2, 1})
    ->Args({0, 0})
    ->Args({2, 0})
    ->Unit(benchmark::kMillisecond);

// 0 Eckert-Orvik, 1 Kister-Orvik, 2 Billet-Schultes.
BENCHMARK(BM_RatingFiveCases)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RatingLoadLines)->Unit(benchmark::kMillisecond);
