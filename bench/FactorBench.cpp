// Prime factorisation on numbers of known factorisation, made from fixed
// primes so that every run factors the same numbers.
#include <benchmark/benchmark.h>
#include <gmp.h>

#include <string>
#include <vector>

#include "BenchNumbers.h"
#include "SpecialFunctions.h"

namespace {

// The first prime after a fixed-seed number of `digits` digits.
std::string PrimeOf(int digits, unsigned seed) {
  mpz_t p;
  mpz_init_set_str(p, RandomDigits(digits, seed).c_str(), 10);
  mpz_nextprime(p, p);
  std::string text(mpz_sizeinbase(p, 10) + 2, '\0');
  mpz_get_str(text.data(), 10, p);
  text.resize(text.find('\0'));
  mpz_clear(p);
  return text;
}

std::string ProductOf(const std::vector<std::string>& factors) {
  mpz_t product, factor;
  mpz_init_set_ui(product, 1);
  mpz_init(factor);
  for (const std::string& f : factors) {
    mpz_set_str(factor, f.c_str(), 10);
    mpz_mul(product, product, factor);
  }
  std::string text(mpz_sizeinbase(product, 10) + 2, '\0');
  mpz_get_str(text.data(), 10, product);
  text.resize(text.find('\0'));
  mpz_clears(product, factor, nullptr);
  return text;
}

// 500 digits: small primes (up to six digits) and one large prime.
std::string SmallPrimesTimesLarge(int largeDigits) {
  std::vector<std::string> factors;
  int digits = 0;
  for (unsigned seed = 1; digits < 500 - largeDigits - 6; ++seed) {
    factors.push_back(PrimeOf(1 + static_cast<int>(seed % 6), seed));
    digits += static_cast<int>(factors.back().size());
  }
  factors.push_back(PrimeOf(500 - digits - 1, 99));
  return ProductOf(factors);
}

void BM_Factor(benchmark::State& state, std::string number) {
  const TBigNumber n = RecordOf(number);
  for (auto _ : state) {
    int count = 0;
    FactorIntoPrimes(n, [&count](const TBigNumber&) { ++count; });
    benchmark::DoNotOptimize(count);
  }
  state.SetLabel(std::to_string(number.size()) + " digits");
}

BENCHMARK_CAPTURE(BM_Factor, Prime12, PrimeOf(12, 1))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Factor, Semiprime10x10, ProductOf({PrimeOf(10, 2), PrimeOf(10, 3)}))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Factor, Semiprime15x15, ProductOf({PrimeOf(15, 4), PrimeOf(15, 5)}))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Factor, Semiprime20x20, ProductOf({PrimeOf(20, 6), PrimeOf(20, 7)}))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_Factor, Semiprime25x25, ProductOf({PrimeOf(25, 8), PrimeOf(25, 9)}))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_Factor, TwoTo128Plus1, "340282366920938463463374607431768211457")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Factor, Digits60of25and35, ProductOf({PrimeOf(25, 10), PrimeOf(35, 11)}))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_Factor, Digits500SmallTimesLarge, SmallPrimesTimesLarge(300))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Factor, Prime500, PrimeOf(500, 12))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Factor, Digits200of12and180,
                  ProductOf({PrimeOf(4, 13), PrimeOf(4, 14), PrimeOf(12, 15), PrimeOf(180, 16)}))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
