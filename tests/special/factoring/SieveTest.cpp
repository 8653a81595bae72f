// SPDX-License-Identifier: GPL-3.0-or-later
// The quadratic sieve on its own: every factor it reports must divide the
// number (checked with GMP), for numbers of every size it takes.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <thread>
#include <vector>

#include "factoring/Relations.h"
#include "factoring/Sieve.h"
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
                 std::optional<factoring::SieveSettings> settings = std::nullopt) {
  SCOPED_TRACE(n);
  wide::Number factor;
  ASSERT_EQ(
      factoring::Sieve(wide::FromRecord(Record(n)), Primes(), factor, {nullptr, threads}, settings),
      factoring::Outcome::Found);
  const Gmp f(Text(wide::ToRecord(factor)));
  const Gmp whole(n);
  EXPECT_GT(mpz_cmp_ui(f.get(), 1), 0);
  EXPECT_LT(mpz_cmp(f.get(), whole.get()), 0);
  EXPECT_NE(mpz_divisible_p(whole.get(), f.get()), 0) << Text(wide::ToRecord(factor));
}

TEST(Sieve, SplitsTwoPrimesOfEqualSize) {
  RandomDigits random(2024);
  for (const int digits : {10, 11, 13, 15, 17, 19, 21, 22}) {
    ExpectSplit(ProductOf({RandomPrime(random, digits), RandomPrime(random, digits)}));
  }
}

TEST(Sieve, SplitsRandomProductsOfTwoPrimes) {
  RandomDigits random(36);
  for (int i = 0; i < 24; ++i) {
    const int digits = random.Between(20, 36);
    const int smaller = random.Between(7, digits / 2);
    ExpectSplit(ProductOf({RandomPrime(random, smaller), RandomPrime(random, digits - smaller)}));
  }
}

TEST(Sieve, SplitsProductsOfSeveralPrimesAndSquares) {
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
// check that each large prime comes an even number of times); the last two
// leave the primes below 256 out of the sieve, as the 85-digit row does.
TEST(Sieve, SplitsWithTwoLargePrimesPerRelation) {
  struct Row {
    int digits;
    std::uint32_t unsieved;
    int slack;
  };
  RandomDigits random(78);
  for (const auto [digits, unsieved, slack] :
       {Row{20, 30, 2}, {30, 30, 2}, {40, 30, 2}, {48, 30, 2}, {40, 256, 6}, {48, 256, 6}}) {
    factoring::SieveSettings settings = factoring::SieveSettingsFor(digits);
    settings.twoLargePrimes = true;
    settings.slack = slack;
    settings.unsieved = unsieved;
    ExpectSplit(ProductOf({RandomPrime(random, digits / 2), RandomPrime(random, digits / 2)}), 2,
                settings);
  }
}

// A number with a prime of the factor base in it: that prime is a factor,
// found while the base is built.
TEST(Sieve, ReportsAPrimeOfTheBase) {
  RandomDigits random(5);
  for (const char* small : {"3", "13", "211"}) {
    ExpectSplit(ProductOf({small, RandomPrime(random, 24)}));
  }
}

TEST(Sieve, StopsWhenCancelled) {
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

// Past 60 digits the sieve takes its storage from the heap and its larger
// factor bases; debug builds check every polynomial and relation there too.
TEST(Sieve, SplitsNumbersPastSixtyDigits) {
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
TEST(Sieve, SplitsNumbersPastSixtyDigitsInSeveralBlocks) {
  RandomDigits random(64);
  factoring::SieveSettings settings = factoring::SieveSettingsFor(64);
  settings.half = 131072;
  ExpectSplit(ProductOf({RandomPrime(random, 32), RandomPrime(random, 32)}), 2, settings);
}

// A cancel is answered in each phase: while sieving and while combining.
// A cancel while sieving and in each stage of the combining: the search
// ends cancelled there or later, unless it ends first.
TEST(Sieve, StopsInEachPhase) {
  RandomDigits random(62);
  const std::string n = ProductOf({RandomPrime(random, 22), RandomPrime(random, 22)});
  const std::pair<FactorPhase, int> moments[] = {
      {FactorPhase::Sieving, 0},
      {FactorPhase::Combining, factoring::kCycles},
      {FactorPhase::Combining, factoring::kFactoring},
      {FactorPhase::Combining, factoring::kLinearAlgebra},
      {FactorPhase::Combining, factoring::kSquareRoots},
  };
  for (const auto& [phase, stage] : moments) {
    SCOPED_TRACE(stage);
    FactorProgress progress;
    std::atomic<bool> cancel{false};
    std::atomic<bool> seen{false};
    const auto reached = [&, phase = phase, stage = stage] {
      const FactorProgress::Reading reading = progress.Read();
      return reading.phase == phase && (phase != FactorPhase::Combining || reading.done >= stage);
    };
    std::thread stopper([&] {
      while (!reached() && !seen)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
      cancel = true;
    });
    wide::Number factor;
    const auto outcome =
        factoring::Sieve(wide::FromRecord(Record(n)), Primes(), factor, {&cancel, 1, &progress});
    seen = true;
    stopper.join();
    EXPECT_NE(outcome, factoring::Outcome::Failed);
    if (outcome == factoring::Outcome::Cancelled) {
      EXPECT_TRUE(reached());
    }
  }
}

}  // namespace
