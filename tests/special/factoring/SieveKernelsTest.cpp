// SPDX-License-Identifier: GPL-3.0-or-later
// Each processor-specific kernel of the sieve against the portable one, on
// random roots; a processor without the instructions skips its rows.
#include "factoring/SieveKernels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "WordModulus.h"

namespace {

using factoring::Instructions;

constexpr int kPadding = 16;

struct RandomRoots {
  std::vector<std::uint32_t> prime, first, second, inverse, limit, delta;
  std::vector<std::uint8_t> logarithm;

  // `count` odd primes-to-be (any odd numbers do: the kernels never use
  // primality) between `low` and `high`, padded as the factor base is.
  RandomRoots(int count, std::uint32_t low, std::uint32_t high, std::mt19937& random) {
    std::uniform_int_distribution<std::uint32_t> odd(low / 2, high / 2);
    for (int i = 0; i < count; ++i) {
      const std::uint32_t p = 2 * odd(random) + 1;
      std::uniform_int_distribution<std::uint32_t> below(0, p - 1);
      prime.push_back(p);
      first.push_back(below(random));
      second.push_back(i % 7 == 0 ? first.back() : below(random));
      delta.push_back(below(random));
      inverse.push_back(static_cast<std::uint32_t>(modular::InverseModulo2To64(p)));
      limit.push_back(~std::uint32_t{0} / p);
      logarithm.push_back(static_cast<std::uint8_t>(1 + i % 20));
    }
    prime.resize(count + kPadding, 1);
    first.resize(count + kPadding, 0);
    second.resize(count + kPadding, 0);
    inverse.resize(count + kPadding, 1);
    limit.resize(count + kPadding, 0);
    logarithm.resize(count + kPadding, 0);
  }
};

class SieveKernels : public testing::TestWithParam<Instructions> {
 protected:
  void SetUp() override {
    if (!factoring::Supports(GetParam()))
      GTEST_SKIP() << "this processor lacks the instructions of this kernel";
  }
};

// Every position is tested at a root of some prime and at random, with
// small primes (many hits a word) and long ones.
TEST_P(SieveKernels, MarkRootsAgreesWithThePortableTest) {
  const factoring::MarkRoots kernel = factoring::MarkRootsFor(GetParam());
  if (kernel == nullptr) GTEST_SKIP() << "no candidates' test of its own for these instructions";
  const factoring::MarkRoots portable = factoring::MarkRootsFor(Instructions::Portable);
  std::mt19937 random(31);
  for (const auto& [count, low, high] :
       {std::tuple{48, 3U, 200U}, std::tuple{301, 31U, 1U << 22}}) {
    const RandomRoots roots(count, low, high, random);
    const factoring::Roots view{roots.prime.data(), roots.first.data(), roots.second.data(),
                                roots.inverse.data(), roots.limit.data()};
    std::uniform_int_distribution<int> from(0, count - 1);
    for (int trial = 0; trial < 2000; ++trial) {
      const int start = from(random) / 16 * 16;
      const int i = from(random);
      const std::uint32_t position = trial % 2 == 0 ? roots.first[i] + 3 * roots.prime[i]
                                                    : static_cast<std::uint32_t>(random() >> 9);
      std::vector<std::uint16_t> expected(count / 16 + 1, 0xdead);
      std::vector<std::uint16_t> actual(expected);
      portable(view, start, count, position, expected.data());
      kernel(view, start, count, position, actual.data());
      ASSERT_EQ(actual, expected) << "position " << position << " from " << start;
    }
  }
}

// The roots moved either way or not at all, and the same hits bucketed (in
// any order), for one to three hits a root.
TEST_P(SieveKernels, MoveRootsAgreesWithThePortableMove) {
  const factoring::MoveRoots kernel = factoring::MoveRootsFor(GetParam());
  if (kernel == nullptr) GTEST_SKIP() << "no root move of its own for these instructions";
  const factoring::MoveRoots portable = factoring::MoveRootsFor(Instructions::Portable);
  constexpr std::uint32_t kLength = 65536;
  std::mt19937 random(32);
  for (int trial = 0; trial < 300; ++trial) {
    const std::uint32_t steps = 1 + trial % 3;
    const int count = 1 + trial % 67;
    RandomRoots a(count, kLength / (steps + 1), kLength / steps + 4096, random);
    RandomRoots b = a;
    const bool moved = trial % 5 != 0;
    const bool minus = trial % 2 == 0;
    const auto moves = [&](RandomRoots& roots) {
      return factoring::RootMoves{roots.prime.data(),
                                  moved ? roots.delta.data() : nullptr,
                                  minus,
                                  roots.first.data(),
                                  roots.second.data(),
                                  roots.logarithm.data(),
                                  kLength,
                                  steps};
    };
    std::vector<std::uint32_t> expected(2 * steps * count + 16);
    std::vector<std::uint32_t> actual(expected.size());
    expected.resize(portable(moves(a), 0, count, expected.data()));
    actual.resize(kernel(moves(b), 0, count, actual.data()));
    std::sort(expected.begin(), expected.end());
    std::sort(actual.begin(), actual.end());
    ASSERT_EQ(actual, expected) << "trial " << trial;
    ASSERT_EQ(b.first, a.first) << "trial " << trial;
    ASSERT_EQ(b.second, a.second) << "trial " << trial;
  }
}

std::string NameOf(Instructions instructions) {
  switch (instructions) {
    case Instructions::Portable:
      return "Portable";
    case Instructions::Avx2:
      return "Avx2";
    case Instructions::Avx512:
      return "Avx512";
  }
  return "";
}

}  // namespace

namespace factoring {
// CTest's names for the rows.
void PrintTo(Instructions instructions, std::ostream* out) {
  *out << NameOf(instructions);
}
}  // namespace factoring

namespace {

INSTANTIATE_TEST_SUITE_P(, SieveKernels, testing::Values(Instructions::Avx2, Instructions::Avx512),
                         [](const auto& info) { return NameOf(info.param); });

}  // namespace
