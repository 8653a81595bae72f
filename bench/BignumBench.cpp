// SPDX-License-Identifier: GPL-3.0-or-later
// The elementary operations at their worst cases, beside GMP doing the same
// from and to decimal digits (a record holds decimal digits).
#include <benchmark/benchmark.h>
#include <gmp.h>

#include "BenchNumbers.h"
#include "BigNumber.h"

namespace {

const std::string kNines499(499, '9');
const std::string kPowerOfTen499 = "1" + std::string(499, '0');

void BM_Add500(benchmark::State& state) {
  // 499 nines plus 1 carries through every digit.
  const TBigNumber a = RecordOf(kNines499);
  const TBigNumber b = RecordOf("1");
  for (auto _ : state)
    benchmark::DoNotOptimize(AddNumbers(a, b));
}
BENCHMARK(BM_Add500);

void BM_Subtract500(benchmark::State& state) {
  // 10^499 minus 1 borrows through every digit.
  const TBigNumber a = RecordOf(kPowerOfTen499);
  const TBigNumber b = RecordOf("1");
  for (auto _ : state)
    benchmark::DoNotOptimize(SubtractNumbers(a, b));
}
BENCHMARK(BM_Subtract500);

void BM_Multiply(benchmark::State& state) {
  const TBigNumber a = RecordOf(RandomDigits(static_cast<int>(state.range(0)), 2));
  const TBigNumber b = RecordOf(RandomDigits(static_cast<int>(state.range(1)), 3));
  for (auto _ : state)
    benchmark::DoNotOptimize(MultiplyNumbers(a, b));
}
BENCHMARK(BM_Multiply)
    ->Args({247, 247})
    ->Args({400, 100})
    ->Args({250, 250})
    ->Unit(benchmark::kMicrosecond);

void BM_Divide(benchmark::State& state) {
  const TBigNumber a = RecordOf(std::string(static_cast<std::size_t>(state.range(0)), '9'));
  const TBigNumber b = RecordOf(RandomDigits(static_cast<int>(state.range(1)), 4));
  TBigNumber remainder;
  for (auto _ : state)
    benchmark::DoNotOptimize(DivideNumbers(a, b, remainder));
}
BENCHMARK(BM_Divide)
    ->Args({495, 3})
    ->Args({500, 3})
    ->Args({500, 250})
    ->Unit(benchmark::kMicrosecond);

// GMP with its conversions from and to decimal text.
enum class GmpOp { Add, Subtract, Multiply, Divide };

void BM_Gmp(benchmark::State& state, GmpOp op, std::string a, std::string b) {
  mpz_t x, y, z, r;
  mpz_inits(x, y, z, r, nullptr);
  std::string out(1100, '\0');
  for (auto _ : state) {
    mpz_set_str(x, a.c_str(), 10);
    mpz_set_str(y, b.c_str(), 10);
    switch (op) {
      case GmpOp::Add:
        mpz_add(z, x, y);
        break;
      case GmpOp::Subtract:
        mpz_sub(z, x, y);
        break;
      case GmpOp::Multiply:
        mpz_mul(z, x, y);
        break;
      case GmpOp::Divide:
        mpz_tdiv_qr(z, r, x, y);
        break;
    }
    mpz_get_str(out.data(), 10, z);
    if (op == GmpOp::Divide) mpz_get_str(out.data(), 10, r);
    benchmark::DoNotOptimize(out.data());
  }
  mpz_clears(x, y, z, r, nullptr);
}
BENCHMARK_CAPTURE(BM_Gmp, Add500, GmpOp::Add, kNines499, "1");
BENCHMARK_CAPTURE(BM_Gmp, Subtract500, GmpOp::Subtract, kPowerOfTen499, "1");
BENCHMARK_CAPTURE(BM_Gmp, Multiply247x247, GmpOp::Multiply, RandomDigits(247, 2),
                  RandomDigits(247, 3));
BENCHMARK_CAPTURE(BM_Gmp, Multiply400x100, GmpOp::Multiply, RandomDigits(400, 2),
                  RandomDigits(100, 3));
BENCHMARK_CAPTURE(BM_Gmp, Divide500by3, GmpOp::Divide, std::string(500, '9'), RandomDigits(3, 4));
BENCHMARK_CAPTURE(BM_Gmp, Divide500by250, GmpOp::Divide, std::string(500, '9'),
                  RandomDigits(250, 4));

}  // namespace
