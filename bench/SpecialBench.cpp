// SPDX-License-Identifier: GPL-3.0-or-later
// The special functions at the worst cases of the whole 500-digit range,
// and GMP's integer roots and division with the same conversions.
#include <benchmark/benchmark.h>
#include <gmp.h>

#include "BenchNumbers.h"
#include "SpecialFunctions.h"

namespace {

void BM_SquareRoot(benchmark::State& state) {
  const TBigNumber a = RecordOf(RandomDigits(static_cast<int>(state.range(0)), 5));
  for (auto _ : state)
    benchmark::DoNotOptimize(SquareRoot(a));
}
BENCHMARK(BM_SquareRoot)->Arg(146)->Arg(500)->Unit(benchmark::kMillisecond);

void BM_NthRoot(benchmark::State& state) {
  const TBigNumber a = RecordOf(RandomDigits(static_cast<int>(state.range(0)), 6));
  const auto n = static_cast<std::int32_t>(state.range(1));
  for (auto _ : state)
    benchmark::DoNotOptimize(NthRoot(a, n));
}
BENCHMARK(BM_NthRoot)
    ->Args({73, 3})
    ->Args({500, 3})
    ->Args({500, 7})
    ->Args({100, 50})
    ->Args({500, 150})
    ->Unit(benchmark::kMillisecond);

void BM_Reciprocal(benchmark::State& state) {
  const TBigNumber x = RecordOf(RandomDigits(static_cast<int>(state.range(0)), 7));
  TBigNumber remainder;
  for (auto _ : state)
    benchmark::DoNotOptimize(Reciprocal(x, remainder));
}
BENCHMARK(BM_Reciprocal)->Arg(166)->Arg(475)->Arg(500)->Unit(benchmark::kMillisecond);

void BM_Factorial253(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(Factorial("253"));
}
BENCHMARK(BM_Factorial253)->Unit(benchmark::kMillisecond);

void BM_PowerWith500Digits(benchmark::State& state) {
  // 3^1047 has 500 digits: 1047 multiplications by one digit.
  const TBigNumber three = RecordOf("3");
  for (auto _ : state)
    benchmark::DoNotOptimize(PowerOf(three, 1047));
}
BENCHMARK(BM_PowerWith500Digits)->Unit(benchmark::kMillisecond);

// GMP: the integer root of a * 10^(scale) from decimal text to decimal text.
void BM_GmpRoot(benchmark::State& state) {
  const auto length = static_cast<int>(state.range(0));
  const auto n = static_cast<unsigned long>(state.range(1));
  const std::string scaled = RandomDigits(length, 6) + std::string(n == 2 ? 20 : 3 * n, '0');
  mpz_t x;
  mpz_init(x);
  std::string out(2000, '\0');
  for (auto _ : state) {
    mpz_set_str(x, scaled.c_str(), 10);
    mpz_root(x, x, n);
    mpz_get_str(out.data(), 10, x);
    benchmark::DoNotOptimize(out.data());
  }
  mpz_clear(x);
}
BENCHMARK(BM_GmpRoot)
    ->Args({146, 2})
    ->Args({500, 2})
    ->Args({73, 3})
    ->Args({500, 3})
    ->Args({500, 7})
    ->Args({100, 50})
    ->Args({500, 150})
    ->Unit(benchmark::kMicrosecond);

void BM_GmpReciprocal(benchmark::State& state) {
  const auto length = static_cast<std::size_t>(state.range(0));
  const std::string x = RandomDigits(static_cast<int>(length), 7);
  const std::string power = "1" + std::string(length + 24, '0');
  mpz_t a, b;
  mpz_inits(a, b, nullptr);
  std::string out(2000, '\0');
  for (auto _ : state) {
    mpz_set_str(a, power.c_str(), 10);
    mpz_set_str(b, x.c_str(), 10);
    mpz_tdiv_q(a, a, b);
    mpz_get_str(out.data(), 10, a);
    benchmark::DoNotOptimize(out.data());
  }
  mpz_clears(a, b, nullptr);
}
BENCHMARK(BM_GmpReciprocal)->Arg(166)->Arg(475)->Arg(500)->Unit(benchmark::kMicrosecond);

}  // namespace

#include "Modular.h"

namespace {

// One Montgomery multiplication modulo an odd number of `digits` digits, in
// arithmetic sized for N limbs.
template <int N>
void BM_MontgomeryMultiply(benchmark::State& state) {
  std::string digits = RandomDigits(static_cast<int>(state.range(0)), 8);
  digits.back() = '7';
  const modular::Montgomery<N> mod(modular::FromWide(wide::FromRecord(RecordOf(digits))));
  auto x = mod.FromSmall(123456789);
  const auto y = mod.FromSmall(987654321);
  for (auto _ : state) {
    x = mod.Multiply(x, y);
    benchmark::DoNotOptimize(x);
  }
}
BENCHMARK(BM_MontgomeryMultiply<4>)->Arg(60);
BENCHMARK(BM_MontgomeryMultiply<modular::Limbs>)->Arg(500);

}  // namespace
