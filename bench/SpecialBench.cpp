// The special functions at the longest arguments they take.
#include <benchmark/benchmark.h>

#include <random>

#include "SpecialFunctions.h"

namespace {

TBigNumber Digits(int length, unsigned seed) {
  std::mt19937 engine(seed);
  std::uniform_int_distribution<int> digit(1, 9);
  TBigNumber x;
  for (int i = 1; i <= length; ++i)
    x.Digits[i] = static_cast<std::int8_t>(digit(engine));
  x.Len = length;
  return x;
}

void BM_SquareRoot(benchmark::State& state) {
  const TBigNumber a = Digits(static_cast<int>(state.range(0)), 5);
  for (auto _ : state)
    benchmark::DoNotOptimize(SquareRoot(a));
}
BENCHMARK(BM_SquareRoot)->Arg(20)->Arg(146)->Unit(benchmark::kMillisecond);

void BM_NthRoot(benchmark::State& state) {
  const TBigNumber a = Digits(static_cast<int>(state.range(0)), 6);
  const auto n = static_cast<std::int32_t>(state.range(1));
  for (auto _ : state)
    benchmark::DoNotOptimize(NthRoot(a, n));
}
BENCHMARK(BM_NthRoot)
    ->Args({73, 3})
    ->Args({460, 3})
    ->Args({400, 7})
    ->Args({100, 50})
    ->Unit(benchmark::kMillisecond);

void BM_Reciprocal(benchmark::State& state) {
  const TBigNumber x = Digits(static_cast<int>(state.range(0)), 7);
  TBigNumber remainder;
  for (auto _ : state)
    benchmark::DoNotOptimize(Reciprocal(x, remainder));
}
BENCHMARK(BM_Reciprocal)->Arg(166)->Arg(475)->Unit(benchmark::kMillisecond);

void BM_Factorial253(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(Factorial("253"));
}
BENCHMARK(BM_Factorial253)->Unit(benchmark::kMillisecond);

void BM_PowerWith500Digits(benchmark::State& state) {
  // 3^1047 has 500 digits: 1047 multiplications by one digit.
  const TBigNumber three = SmallNumber(3);
  for (auto _ : state)
    benchmark::DoNotOptimize(PowerOf(three, 1047));
}
BENCHMARK(BM_PowerWith500Digits)->Unit(benchmark::kMillisecond);

}  // namespace
