// Time of screening one duty over the shipped packing table (every row a full calculation run
// with its validity findings, then the ranking).
//   build/bench/velm-bench --benchmark_filter=Screen
#include <benchmark/benchmark.h>

#include <fstream>

#include "core/Methods.h"
#include "core/Screening.h"
#include "table/PackingTable.h"

namespace {

using namespace velm;

void BM_ScreenShippedTable(benchmark::State& state, int method) {
  TMyClientDataSet table;
  std::ifstream csv(VELM_PACKINGS_CSV, std::ios::binary);
  table.LoadCsv(csv, VELM_PACKINGS_CSV, "来源");
  const std::vector<TPackingRecord> packings = PackingRecords(table);

  // Air/water scrubber of the shipped example, all inputs in SI.
  TScreenCase duty;
  duty.Options.FloodMethod = method;
  duty.Options.FloodPercentText = "70";
  const std::pair<TField, const char*> inputs[] = {
      {TField::LD, "5"},      {TField::DlD, "998"},     {TField::MlD, "0.001"},
      {TField::SLD, "0.072"}, {TField::DlfD, "1.9e-9"}, {TField::VD, "1.2"},
      {TField::DvD, "1.19"},  {TField::MvD, "1.8e-5"},  {TField::DvfD, "2.3e-5"},
      {TField::LmdD, "0.8"}};
  for (const auto& [f, text] : inputs) duty.Inputs[static_cast<size_t>(f)] = text;
  duty.Stages = 10;

  for (auto _ : state) {
    std::vector<TScreenRow> rows = ScreenPackings(duty, packings);
    RankScreening(rows, duty.Stages);
    benchmark::DoNotOptimize(rows.front().Diameter);
  }
  state.counters["packings"] = static_cast<double>(packings.size());
}

void BM_ScreenEckert(benchmark::State& s) {
  BM_ScreenShippedTable(s, FloodingMethodIndexOf("Eckert-Orvik"));
}
void BM_ScreenKister(benchmark::State& s) {
  BM_ScreenShippedTable(s, FloodingMethodIndexOf("Kister-Orvik"));
}

}  // namespace

BENCHMARK(BM_ScreenEckert)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScreenKister)->Unit(benchmark::kMicrosecond);
