// Prime factorisation on the numbers of known factorisation listed in
// factoring-numbers.txt, one benchmark each (run once each: some take
// seconds).
#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

#include "BenchNumbers.h"
#include "SpecialFunctions.h"

namespace {

void Factor(benchmark::State& state, const std::string& number) {
  const TBigNumber n = RecordOf(number);
  int count = 0;
  for (auto _ : state) {
    count = 0;
    FactorIntoPrimes(n, [&count](const TBigNumber&) { ++count; });
    benchmark::DoNotOptimize(count);
  }
  state.SetLabel(std::to_string(number.size()) + " digits, " + std::to_string(count) +
                 " prime factors");
}

}  // namespace

int main(int argc, char** argv) {
  std::ifstream list(QUORVEX_FACTORING_NUMBERS);
  for (std::string line; std::getline(list, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string name, number;
    fields >> name >> number;
    benchmark::RegisterBenchmark(name.c_str(), Factor, number)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->Repetitions(3)
        ->ReportAggregatesOnly(true);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
