// The elementary operations at their worst cases: the longest operands and
// the longest runs of carries, borrows and quotient digits.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "BigNumber.h"

namespace {

// A number of `length` digits, none of them zero, from a fixed seed.
TBigNumber Digits(int length, unsigned seed) {
  std::mt19937 engine(seed);
  std::uniform_int_distribution<int> digit(1, 9);
  TBigNumber x;
  for (int i = 1; i <= length; ++i)
    x.Digits[i] = static_cast<std::int8_t>(digit(engine));
  x.Len = length;
  return x;
}

TBigNumber Nines(int length) {
  TBigNumber x;
  for (int i = 1; i <= length; ++i)
    x.Digits[i] = 9;
  x.Len = length;
  return x;
}

void BM_Add500(benchmark::State& state) {
  // 499 nines plus 1 carries through every digit.
  const TBigNumber a = Nines(499);
  const TBigNumber b = Digits(1, 1);
  for (auto _ : state)
    benchmark::DoNotOptimize(AddNumbers(a, b));
}
BENCHMARK(BM_Add500);

void BM_Subtract500(benchmark::State& state) {
  // 10^499 minus 1 borrows through every digit.
  TBigNumber a;
  a.Digits[1] = 1;
  a.Len = 500;
  TBigNumber one;
  one.Digits[1] = 1;
  one.Len = 1;
  for (auto _ : state)
    benchmark::DoNotOptimize(SubtractNumbers(a, one));
}
BENCHMARK(BM_Subtract500);

void BM_Multiply(benchmark::State& state) {
  const TBigNumber a = Digits(static_cast<int>(state.range(0)), 2);
  const TBigNumber b = Digits(static_cast<int>(state.range(1)), 3);
  for (auto _ : state)
    benchmark::DoNotOptimize(MultiplyNumbers(a, b));
}
BENCHMARK(BM_Multiply)->Args({247, 247})->Args({400, 100})->Unit(benchmark::kMicrosecond);

void BM_Divide(benchmark::State& state) {
  // Nines in the dividend make every quotient digit count to 9 or near.
  const TBigNumber a = Nines(static_cast<int>(state.range(0)));
  const TBigNumber b = Digits(static_cast<int>(state.range(1)), 4);
  TBigNumber remainder;
  for (auto _ : state)
    benchmark::DoNotOptimize(DivideNumbers(a, b, remainder));
}
BENCHMARK(BM_Divide)
    ->Args({495, 3})
    ->Args({500, 3})
    ->Args({500, 250})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
