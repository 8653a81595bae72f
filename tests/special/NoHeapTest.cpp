// The arithmetic works in fixed-size values: not one heap allocation from
// the elementary operations to the factorisation.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "SpecialFunctions.h"
#include "support/Records.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

// The replacements pair malloc with free, which GCC cannot see through.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

namespace {

// The allocations that `work` makes.
template <typename Work>
long AllocationsOf(Work work) {
  const long before = allocations.load();
  work();
  return allocations.load() - before;
}

TEST(NoHeap, NoOperationAllocates) {
  const TBigNumber big = Record(std::string(250, '7') + std::string(250, '3'));
  const TBigNumber half = Record(std::string(250, '9'));
  int factors = 0;
  const std::function<void(const TBigNumber&)> count = [&factors](const TBigNumber&) { ++factors; };
  TBigNumber remainder;
  EXPECT_EQ(AllocationsOf([&] { MultiplyNumbers(half, half); }), 0);
  EXPECT_EQ(AllocationsOf([&] { DivideNumbers(big, half, remainder); }), 0);
  EXPECT_EQ(AllocationsOf([&] { AddNumbers(big, half); }), 0);
  EXPECT_EQ(AllocationsOf([&] { SquareRoot(big); }), 0);
  EXPECT_EQ(AllocationsOf([&] { NthRoot(big, 3); }), 0);
  EXPECT_EQ(AllocationsOf([&] { NthRoot(half, 50); }), 0);
  EXPECT_EQ(AllocationsOf([&] { Reciprocal(big, remainder); }), 0);
  EXPECT_EQ(AllocationsOf([&] { PowerOf(Record("3"), 1047); }), 0);
  EXPECT_EQ(AllocationsOf([&] { Factorial("253"); }), 0);
  // 2^128 + 1: trial division, the probable-prime test, rho and curves.
  EXPECT_EQ(AllocationsOf([&] {
              FactorIntoPrimes(Record("340282366920938463463374607431768211457"), count);
            }),
            0);
  EXPECT_EQ(factors, 2);
}

}  // namespace
