// SPDX-License-Identifier: GPL-3.0-or-later
// The quadratic sieve on its own: every factor it reports must divide the
// number (checked with GMP), for numbers of every size it takes.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <random>
#include <set>
#include <thread>
#include <vector>

#include "factoring/LargePrimeGraph.h"
#include "factoring/Methods.h"
#include "support/Gmp.h"
#include "support/Primes.h"
#include "support/RandomDigits.h"
#include "support/Records.h"

namespace {

const PrimeSequence& Primes() {
  static const PrimeSequence primes;
  return primes;
}

// Runs the sieve on n and checks that a reported factor is a proper divisor.
void ExpectSplit(const std::string& n, int threads = 1,
                 int twoLargePrimesFrom = factoring::SieveTwoLargePrimesFrom,
                 int halfInterval = 0) {
  SCOPED_TRACE(n);
  wide::Number factor;
  ASSERT_EQ(factoring::Sieve(wide::FromRecord(Record(n)), Primes(), factor, {nullptr, threads},
                             twoLargePrimesFrom, halfInterval),
            factoring::Outcome::Found);
  const Gmp f(Text(wide::ToRecord(factor)));
  const Gmp whole(n);
  EXPECT_GT(mpz_cmp_ui(f.get(), 1), 0);
  EXPECT_LT(mpz_cmp(f.get(), whole.get()), 0);
  EXPECT_NE(mpz_divisible_p(whole.get(), f.get()), 0) << Text(wide::ToRecord(factor));
}

TEST(QuadraticSieve, SplitsTwoPrimesOfEqualSize) {
  RandomDigits random(2024);
  for (const int digits : {10, 11, 13, 15, 17, 19, 21, 22}) {
    ExpectSplit(ProductOf({RandomPrime(random, digits), RandomPrime(random, digits)}));
  }
}

TEST(QuadraticSieve, SplitsRandomProductsOfTwoPrimes) {
  RandomDigits random(36);
  for (int i = 0; i < 24; ++i) {
    const int digits = random.Between(20, 36);
    const int smaller = random.Between(7, digits / 2);
    ExpectSplit(ProductOf({RandomPrime(random, smaller), RandomPrime(random, digits - smaller)}));
  }
}

TEST(QuadraticSieve, SplitsProductsOfSeveralPrimesAndSquares) {
  RandomDigits random(77);
  const std::vector<std::vector<int>> shapes = {
      {7, 7, 8}, {9, 10, 11}, {6, 6, 6, 6}, {12, 12, 0}, {8, 14, 14}};
  for (const auto& shape : shapes) {
    std::vector<std::string> primes;
    for (const int digits : shape) {
      // 0 repeats the previous prime: a square times another prime.
      primes.push_back(digits == 0 ? primes.front() : RandomPrime(random, digits));
    }
    ExpectSplit(ProductOf(primes));
  }
}

// Relations with two large primes, combined along cycles, on numbers short
// enough for the sanitizer build (whose debug checks rebuild every value and
// check that each large prime comes an even number of times).
TEST(QuadraticSieve, SplitsWithTwoLargePrimesPerRelation) {
  RandomDigits random(78);
  for (const int digits : {20, 30, 40, 48}) {
    ExpectSplit(ProductOf({RandomPrime(random, digits / 2), RandomPrime(random, digits / 2)}), 2,
                0);
  }
}

// Random findings with no, one and two large primes, squares among them:
// as many cycles as edges closed one, each with every large prime an even
// number of times, no finding twice.
TEST(LargePrimeGraph, EveryCycleHasEachLargePrimeAnEvenNumberOfTimes) {
  std::mt19937 random(11);
  std::uniform_int_distribution<std::uint32_t> prime(2, 90);
  std::vector<std::array<std::uint32_t, 2>> edges;
  factoring::LargePrimeGraph graph;
  std::size_t closed = 0;
  for (std::int32_t f = 0; f < 600; ++f) {
    const std::uint32_t p = prime(random);
    const std::uint32_t q = f % 3 == 0 ? 1 : f % 10 == 1 ? p : prime(random);
    edges.push_back({p, q});
    closed += graph.Add(edges.back(), f) ? 1 : 0;
  }
  const auto cycles = graph.Cycles();
  EXPECT_EQ(cycles.size(), closed);
  EXPECT_GT(closed, 400U);
  for (const auto& cycle : cycles) {
    std::map<std::uint32_t, int> times;
    for (const std::int32_t f : cycle) {
      ++times[edges[f][0]];
      ++times[edges[f][1]];
    }
    for (const auto& [vertex, count] : times)
      EXPECT_EQ(count % 2, 0) << "large prime " << vertex;
    EXPECT_EQ(std::set<std::int32_t>(cycle.begin(), cycle.end()).size(), cycle.size());
  }
}

// The cofactors' tools in one machine word, against GMP: the prime test on
// random numbers of 19 to 63 bits, strong pseudoprimes to many small bases
// and the edges, rho on products of two primes of the sizes the sieve meets.
TEST(WordMethods, PrimeTestAgreesWithGmp) {
  // The smallest numbers, 41^2, strong pseudoprimes to ever more prime bases
  // (2; 2 to 7; 2, 7 and 61; 2 to 11; 2 to 13; 2 to 17; 2 to 23) and two
  // large primes.
  std::vector<std::uint64_t> numbers = {0,
                                        1,
                                        2,
                                        3,
                                        4,
                                        1681,
                                        2047,
                                        3215031751,
                                        4759123141,
                                        2152302898747,
                                        3474749660383,
                                        341550071728321,
                                        3825123056546413051,
                                        (std::uint64_t{1} << 61) - 1,
                                        (std::uint64_t{1} << 63) - 25};
  std::mt19937_64 random(20261208);
  for (int i = 0; i < 20000; ++i)
    numbers.push_back(random() >> (1 + i % 45));
  for (const std::uint64_t n : numbers) {
    const Gmp g(std::to_string(n));
    EXPECT_EQ(factoring::IsPrimeWord(n), mpz_probab_prime_p(g.get(), 40) != 0) << n;
  }
}

TEST(WordMethods, RhoSplitsProductsOfTwoPrimes) {
  std::mt19937_64 random(7);
  const auto prime = [&](int bits) {
    Gmp p(std::to_string(random() >> (64 - bits) | std::uint64_t{1} << (bits - 1)));
    mpz_nextprime(p.get(), p.get());
    return mpz_get_ui(p.get());
  };
  for (int i = 0; i < 600; ++i) {
    const std::uint64_t p = prime(17 + i % 15);
    const std::uint64_t q = i % 10 == 0 ? p : prime(17 + i % 14);
    const std::uint64_t factor = factoring::RhoWord(p * q);
    EXPECT_TRUE(factor == p || factor == q) << p << " * " << q << ": " << factor;
  }
}

// Whole levels of 30, 74, 221, 453 and 984 curves for 15 to 35 digits, and
// between two levels the next one's share.
TEST(Curves, CountsWholeLevelsAndAShareOfTheNext) {
  const std::pair<double, int> cases[] = {
      {10, 20}, {15, 30}, {17.5, 67}, {20, 104}, {30, 778}, {100 / 3.0, 1434}, {35, 1762},
  };
  for (const auto& [digits, curves] : cases)
    EXPECT_EQ(factoring::CurvesForFactorsOf(digits), curves) << digits;
}

// The progress of a level cut short counts against the curves it runs.
TEST(Curves, ProgressOfALevelCutShort) {
  RandomDigits random(14);
  const std::string n = ProductOf({RandomPrime(random, 40), RandomPrime(random, 40)});
  for (const auto& [most, total] : std::vector<std::pair<int, int>>{{40, 10}, {31, 1}}) {
    FactorProgress progress;
    modular::Natural factor;
    EXPECT_EQ(factoring::Curves(modular::FromWide(wide::FromRecord(Record(n))), most, factor,
                                {nullptr, 1, &progress}),
              factoring::Outcome::Failed);
    EXPECT_EQ(progress.Read().digits, 20);
    EXPECT_EQ(progress.Read().total, total) << most;
  }
}

// A number with a prime of the factor base in it: that prime is a factor,
// found while the base is built.
TEST(QuadraticSieve, ReportsAPrimeOfTheBase) {
  RandomDigits random(5);
  for (const char* small : {"3", "13", "211"}) {
    ExpectSplit(ProductOf({small, RandomPrime(random, 24)}));
  }
}

TEST(QuadraticSieve, StopsWhenCancelled) {
  RandomDigits random(60);
  const std::string n = ProductOf({RandomPrime(random, 30), RandomPrime(random, 30)});
  wide::Number factor;
  std::atomic<bool> cancel{true};
  EXPECT_EQ(factoring::Sieve(wide::FromRecord(Record(n)), Primes(), factor, {&cancel}),
            factoring::Outcome::Cancelled);

  cancel = false;
  std::thread stopper([&cancel] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    cancel = true;
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(factoring::Sieve(wide::FromRecord(Record(n)), Primes(), factor, {&cancel}),
            factoring::Outcome::Cancelled);
  stopper.join();
  // Generous for sanitized builds; the benchmark measures the real delay.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

}  // namespace

namespace {

// Past 60 digits the sieve takes its storage from the heap and its larger
// factor bases; debug builds check every polynomial and relation there too.
TEST(QuadraticSieve, SplitsNumbersPastSixtyDigits) {
  RandomDigits random(61);
  for (const int digits : {61, 62}) {
    std::string n;
    while (static_cast<int>(n.size()) != digits) {
      n = ProductOf({RandomPrime(random, digits / 2), RandomPrime(random, digits - digits / 2)});
    }
    ExpectSplit(n, 2);
  }
}

// Polynomials of four blocks, as from 90 digits: the primes past a block hit
// the interval up to four times a root, and debug builds check every
// polynomial's sieve against a plain one.
TEST(QuadraticSieve, SplitsNumbersPastSixtyDigitsInSeveralBlocks) {
  RandomDigits random(64);
  ExpectSplit(ProductOf({RandomPrime(random, 32), RandomPrime(random, 32)}), 2,
              factoring::SieveTwoLargePrimesFrom, 131072);
}

// A cancel is answered in each phase: while sieving and while combining.
TEST(QuadraticSieve, StopsInEachPhase) {
  RandomDigits random(62);
  const std::string n = ProductOf({RandomPrime(random, 28), RandomPrime(random, 28)});
  for (const FactorPhase phase : {FactorPhase::Sieving, FactorPhase::Combining}) {
    SCOPED_TRACE(static_cast<int>(phase));
    FactorProgress progress;
    std::atomic<bool> cancel{false};
    std::atomic<bool> seen{false};
    std::thread stopper([&] {
      while (progress.Read().phase != phase && !seen)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
      cancel = true;
    });
    wide::Number factor;
    const auto outcome =
        factoring::Sieve(wide::FromRecord(Record(n)), Primes(), factor, {&cancel, 1, &progress});
    seen = true;
    stopper.join();
    // The last polynomial or the square roots may finish first.
    EXPECT_NE(outcome, factoring::Outcome::Failed);
    if (outcome == factoring::Outcome::Cancelled) {
      EXPECT_EQ(progress.Read().phase, phase);
    }
  }
}

}  // namespace
