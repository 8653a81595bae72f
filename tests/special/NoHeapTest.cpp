// SPDX-License-Identifier: GPL-3.0-or-later
// The presses' arithmetic works in fixed-size values: not one heap
// allocation from the elementary operations to the special functions. The
// factoring search takes working storage from the heap, within a bound, and
// gives all of it back when it ends, also when it is cancelled.
#include <gtest/gtest.h>

#include <malloc.h>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <new>
#include <thread>

#include "SpecialFunctions.h"
#include "support/Records.h"

namespace {
std::atomic<long> allocations{0};
std::atomic<std::size_t> live{0};  // bytes allocated and not yet freed
std::atomic<std::size_t> peak{0};
}  // namespace

// The replacements pair malloc with free, which GCC cannot see through.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  void* p = std::malloc(size == 0 ? 1 : size);
  if (!p) throw std::bad_alloc();
  const std::size_t now = live.fetch_add(malloc_usable_size(p)) + malloc_usable_size(p);
  for (std::size_t seen = peak.load(); now > seen && !peak.compare_exchange_weak(seen, now);) {
  }
  return p;
}
void operator delete(void* p) noexcept {
  live.fetch_sub(malloc_usable_size(p));
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  operator delete(p);
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
  // Trial division, the probable-prime test, rho and the curves.
  EXPECT_EQ(AllocationsOf([&] { FactorIntoPrimes(Record("1000000016000000063"), count); }), 0);
  EXPECT_EQ(factors, 2);
}

// The peak of the bytes the factoring search holds, and whether it gave
// them all back.
template <typename Work>
std::size_t PeakBytesOf(Work work) {
  const std::size_t before = live.load();
  peak = before;
  work();
  EXPECT_LE(live.load(), before);  // everything given back
  return peak.load() - before;
}

TEST(NoHeap, FactoringStorageIsBoundedAndGivenBack) {
  constexpr std::size_t MiB = 1 << 20;
  const auto factor = [](const char* n, const std::atomic<bool>* cancel = nullptr) {
    return [n, cancel] {
      FactorIntoPrimes(
          Record(n), [](const TBigNumber&) {}, cancel);
    };
  };
  // 2^128 + 1 through the sieve, and two primes of 30 digits.
  EXPECT_LT(PeakBytesOf(factor("340282366920938463463374607431768211457")), 4 * MiB);
  EXPECT_LT(PeakBytesOf(factor("441790489883259909730229567844433782055471784864607076850293")),
            32 * MiB);
  std::atomic<bool> cancel{false};
  std::thread stopper([&cancel] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    cancel = true;
  });
  EXPECT_LT(
      PeakBytesOf(factor("15948631238018815695381437143326203828904502090831867156586347461367"
                         "379791452713",
                         &cancel)),
      256 * MiB);
  stopper.join();
}

}  // namespace
