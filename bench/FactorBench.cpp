// SPDX-License-Identifier: GPL-3.0-or-later
// Prime factorisation on the numbers of known factorisation listed in
// factoring-numbers.txt, one benchmark each (run once each: some take
// seconds).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "BenchNumbers.h"
#include "SpecialFunctions.h"

namespace {

// Factors `number` on range(0) threads (0: all the hardware threads); the
// peak resident memory of the process so far goes to the counter peak_MiB.
void Factor(benchmark::State& state, const std::string& number) {
  const TBigNumber n = RecordOf(number);
  int count = 0;
  const FactorSettings settings(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    count = 0;
    FactorIntoPrimes(
        n, [&count](const TBigNumber&) { ++count; }, nullptr, settings);
    benchmark::DoNotOptimize(count);
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024;
  state.SetLabel(std::to_string(number.size()) + " digits, " + std::to_string(count) +
                 " prime factors");
}

// How long a search takes to stop once asked, at eight moments from 5 ms to
// about `range(0)` ms into it; the time of each iteration is that delay, and
// the worst one is reported too.
void CancelLatency(benchmark::State& state, const std::string& number) {
  const TBigNumber n = RecordOf(number);
  double worst = 0;
  int round = 0;
  for (auto _ : state) {
    std::atomic<bool> cancel{false};
    std::thread worker([&n, &cancel] {
      FactorIntoPrimes(
          n, [](const TBigNumber&) {}, &cancel);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(5 + state.range(0) * (round++ % 8) / 7));
    const auto asked = std::chrono::steady_clock::now();
    cancel = true;
    worker.join();
    const std::chrono::duration<double> delay = std::chrono::steady_clock::now() - asked;
    state.SetIterationTime(delay.count());
    worst = std::max(worst, delay.count());
  }
  state.counters["worst_ms"] = worst * 1000;
}

// A product of two primes of 250 digits: no search finds them soon.
const char* const kHard500 =
    "521274345603188775919798829397259295146220279476357477380717791755161182665647898276577"
    "058585394286799553781694689400266148641232125505139951394255274725433310126638697750183"
    "600311706695000075482979054936575186511270527904930141989237731755346711441380639705577"
    "833024446319435083534427288807886542146653720064287974004702610870822471029550532091113"
    "234813689542229824486302733082673778382336484918200631825283947980285599932346581544872"
    "90745113403345544051362146566217663894721762807833112566365879773";

// A product of two primes of 30 digits, for the quadratic sieve.
const char* const kSieved60 = "441790489883259909730229567844433782055471784864607076850293";

}  // namespace

int main(int argc, char** argv) {
  for (const auto& [name, number] : NamedNumbers(QUORVEX_FACTORING_NUMBERS)) {
    benchmark::RegisterBenchmark(name.c_str(), Factor, number)
        ->ArgName("threads")
        ->Arg(1)
        ->Arg(0)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->Repetitions(3)
        ->ReportAggregatesOnly(true);
  }
  benchmark::RegisterBenchmark("cancel-latency-500-digits", CancelLatency, std::string(kHard500))
      ->Arg(287)
      ->UseManualTime()
      ->Iterations(16)
      ->Unit(benchmark::kMillisecond);
  // In the sieve: over its collecting of relations and, late, its linear
  // algebra and square roots.
  benchmark::RegisterBenchmark("cancel-latency-60-digits", CancelLatency, std::string(kSieved60))
      ->Arg(4000)
      ->UseManualTime()
      ->Iterations(16)
      ->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
