// SPDX-License-Identifier: GPL-3.0-or-later
// Proving primes prime: the prover's process (PARI/GP's library) on one and
// two threads, our checker of its certificates on one and two, and the two
// together as the window runs them, for the numbers of proof-numbers.txt;
// for a number that is not prime, its factors first, then the proof of its
// largest. Peak memory of the prover's processes goes to peak_prover_MiB.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <string>

#include "BenchNumbers.h"
#include "NumberText.h"
#include "SpecialFunctions.h"
#include "proof/Certificate.h"
#include "support/Prover.h"

namespace {

std::string Prove(const std::string& n, int threads) {
  return RunProver(QUORVEX_PROVER, n, threads);
}

modular::Natural NaturalOf(const std::string& digits) {
  TBigNumber record;
  ReadDigits(digits, record);
  return modular::FromWide(wide::FromRecord(record));
}

// The largest prime factor, which is what needs a certificate.
std::string LargestFactor(const std::string& n) {
  TBigNumber record;
  ReadDigits(n, record);
  std::string largest;
  FactorIntoPrimes(record, [&](const TBigNumber& f) { largest = DigitString(f); });
  return largest;
}

void PeakOfProvers(benchmark::State& state) {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  state.counters["peak_prover_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024;
}

// range(0): 1 to prove, 2 to check, 3 both; range(1): threads.
void Proof(benchmark::State& state, const std::string& number) {
  const int what = static_cast<int>(state.range(0));
  const int threads = static_cast<int>(state.range(1));
  const std::string p = LargestFactor(number);
  const auto certificate = proof::ParseCertificate(Prove(p, threads));
  if (!certificate || certificate->empty()) return state.SkipWithError("no certificate");
  for (auto _ : state) {
    if (what == 3 && p != number) benchmark::DoNotOptimize(LargestFactor(number));
    if (what != 2) benchmark::DoNotOptimize(Prove(p, threads));
    if (what != 1 && proof::Check(NaturalOf(p), *certificate, threads) != proof::Verdict::Proven)
      state.SkipWithError("certificate refused");
  }
  PeakOfProvers(state);
  state.SetLabel(std::to_string(number.size()) + " digits, " + std::to_string(certificate->size()) +
                 " steps");
}

}  // namespace

int main(int argc, char** argv) {
  for (const auto& [name, number] : NamedNumbers(QUORVEX_PROOF_NUMBERS)) {
    for (const char* what : {"prove", "check", "prove+check"}) {
      const int code = std::string(what) == "prove" ? 1 : std::string(what) == "check" ? 2 : 3;
      benchmark::RegisterBenchmark((name + "/" + what).c_str(), Proof, number)
          ->ArgNames({"what", "threads"})
          ->Args({code, 1})
          ->Args({code, 2})
          ->Unit(benchmark::kMillisecond)
          ->Iterations(1)
          ->Repetitions(3)
          ->ReportAggregatesOnly(true);
    }
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
