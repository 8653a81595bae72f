// SPDX-License-Identifier: GPL-3.0-or-later
// The fast factorisation against the textbook trial division on small
// numbers, and against products of primes that GMP makes on large ones.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "ReferenceSpecialFunctions.h"
#include "SpecialFunctions.h"
#include "support/Gmp.h"
#include "support/Primes.h"
#include "support/RandomDigits.h"
#include "support/Records.h"

namespace {

std::string Factors(const TBigNumber& a, FactorOutcome* outcome = nullptr,
                    const std::atomic<bool>* cancel = nullptr) {
  std::string text = "1";
  const FactorOutcome result = FactorIntoPrimes(
      a, [&text](const TBigNumber& factor) { text += " x " + Text(factor); }, cancel);
  if (outcome) *outcome = result;
  return text;
}

std::string TrialDivision(const TBigNumber& a) {
  std::string text = "1";
  TBigNumber remainder;
  PrimeFactors(a, remainder, [&text](const TBigNumber& factor) { text += " x " + Text(factor); });
  return text;
}

// The product of `primes` and its expected text, smallest first.
std::pair<std::string, std::string> Product(std::vector<std::string> primes) {
  std::sort(primes.begin(), primes.end(), [](const std::string& x, const std::string& y) {
    return x.size() != y.size() ? x.size() < y.size() : x < y;
  });
  std::string text = "1";
  for (const std::string& p : primes)
    text += " x " + p;
  return {ProductOf(primes), text};
}

TEST(FactorIntoPrimes, MatchesTrialDivisionOnSmallNumbers) {
  for (int n = 4; n <= 1500; ++n) {
    SCOPED_TRACE(n);
    EXPECT_EQ(Factors(Record(std::to_string(n))), TrialDivision(Record(std::to_string(n))));
  }
  RandomDigits random(3);
  for (int i = 0; i < 100; ++i) {
    const std::string n = std::to_string(random.Between(4, 100000));
    SCOPED_TRACE(n);
    EXPECT_EQ(Factors(Record(n)), TrialDivision(Record(n)));
  }
}

TEST(FactorIntoPrimes, PrimesAndPseudoprimes) {
  struct Case {
    const char* n;
    const char* factors;
  };
  const Case cases[] = {
      {"2047", "1 x 23 x 89"},                                  // strong pseudoprime to base 2
      {"3215031751", "1 x 151 x 751 x 28351"},                  // strong to bases 2, 3, 5, 7
      {"5459", "1 x 53 x 103"},                                 // strong Lucas pseudoprime
      {"41041", "1 x 7 x 11 x 13 x 41"},                        // Carmichael
      {"4294967297", "1 x 641 x 6700417"},                      // 2^32 + 1
      {"18446744073709551617", "1 x 274177 x 67280421310721"},  // 2^64 + 1
      {"170141183460469231731687303715884105727",
       "1 x 170141183460469231731687303715884105727"},  // 2^127 - 1
      {"340282366920938463463374607431768211457",
       "1 x 59649589127497217 x 5704689200685129054721"},  // 2^128 + 1
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.n);
    EXPECT_EQ(Factors(Record(c.n)), c.factors);
  }
}

TEST(FactorIntoPrimes, ProductsOfKnownPrimes) {
  RandomDigits random(11);
  for (int i = 0; i < 40; ++i) {
    std::vector<std::string> primes;
    const int count = random.Between(1, 6);
    for (int k = 0; k < count; ++k)
      primes.push_back(RandomPrime(random, random.Between(1, 12)));
    if (random.Between(0, 2) == 0) primes.push_back(primes.front());
    if (random.Between(0, 1) == 0) primes.push_back(RandomPrime(random, random.Between(20, 120)));
    const auto [n, expected] = Product(primes);
    SCOPED_TRACE(n);
    EXPECT_EQ(Factors(Record(n)), expected);
  }
}

TEST(FactorIntoPrimes, PowersOfLargePrimes) {
  for (const char* prime : {"1000003", "100000000000000000039", "12345678910987654321"}) {
    ASSERT_GT(mpz_probab_prime_p(Gmp(prime).get(), 30), 0) << prime;
    for (int power : {2, 3, 5}) {
      const auto [n, expected] = Product(std::vector<std::string>(power, prime));
      SCOPED_TRACE(n);
      EXPECT_EQ(Factors(Record(n)), expected);
    }
  }
}

// Numbers of 20 to 60 digits go through the quadratic sieve, whose split
// may leave a composite part to split again; longer ones through the curves.
TEST(FactorIntoPrimes, ProductsOfTwoToFourLargerPrimes) {
  RandomDigits random(15);
  const std::vector<std::vector<int>> shapes = {{10, 10}, {15, 15},     {20, 20},
                                                {22, 23}, {14, 14, 14}, {9, 17, 18},
                                                {14, 70}, {12, 13, 60}, {12, 12, 12, 9}};
  for (const auto& shape : shapes) {
    std::vector<std::string> primes;
    for (const int digits : shape)
      primes.push_back(RandomPrime(random, digits));
    const auto [n, expected] = Product(primes);
    SCOPED_TRACE(n);
    EXPECT_EQ(Factors(Record(n)), expected);
  }
}

TEST(FactorIntoPrimes, FiveHundredDigitsOfSmallPrimesAndOneLargeOne) {
  RandomDigits random(500);
  std::vector<std::string> primes;
  int digits = 0;
  while (digits < 400) {
    primes.push_back(RandomPrime(random, random.Between(1, 9)));
    digits += static_cast<int>(primes.back().size());
  }
  primes.push_back(RandomPrime(random, 490 - digits));
  const auto [n, expected] = Product(primes);
  ASSERT_LE(n.size(), 500u);
  EXPECT_EQ(Factors(Record(n)), expected);
}

TEST(FactorIntoPrimes, CancelStopsSoon) {
  RandomDigits random(30);
  const auto [n, expected] = Product({RandomPrime(random, 40), RandomPrime(random, 40)});
  std::atomic<bool> cancel{false};
  std::thread stopper([&cancel] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    cancel = true;
  });
  const auto start = std::chrono::steady_clock::now();
  FactorOutcome outcome = FactorOutcome::Complete;
  Factors(Record(n), &outcome, &cancel);
  stopper.join();
  EXPECT_EQ(outcome, FactorOutcome::Cancelled);
  // Generous bound for slow sanitized builds; the benchmark measures the real delay.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

}  // namespace

namespace {

// The answer is the same on any number of threads.
TEST(FactorIntoPrimes, SameFactorsOnOneThreadAndOnFour) {
  RandomDigits random(31);
  for (const auto& sizes : std::vector<std::vector<int>>{{22, 24}, {12, 30}, {8, 9, 25}}) {
    std::vector<std::string> primes;
    for (const int digits : sizes)
      primes.push_back(RandomPrime(random, digits));
    const auto [n, expected] = Product(primes);
    for (const int threads : {1, 4}) {
      SCOPED_TRACE(n + " on threads: " + std::to_string(threads));
      std::string text = "1";
      FactorIntoPrimes(Record(n), [&text](const TBigNumber& f) { text += " x " + Text(f); },
                       nullptr, {threads, nullptr});
      EXPECT_EQ(text, expected);
    }
  }
}

// A probable-prime test that lies about c = p q: the search believes it,
// unless c is known composite, when it splits c before asking.
TEST(FactorIntoPrimes, AKnownCompositeIsSplitWhateverTheTestSays) {
  const std::string c = "10000000002200000000057";  // 100000000003 * 100000000019
  for (const auto& [composite, expected] : std::vector<std::pair<bool, std::string>>{
           {false, "1 x " + c}, {true, "1 x 100000000003 x 100000000019"}}) {
    FactorSettings settings(1);
    settings.composite = composite;
    settings.probablePrime = [&c](const TBigNumber& n) {
      return Text(n) == c || mpz_probab_prime_p(Gmp(Text(n)).get(), 30) != 0;
    };
    std::string text = "1";
    FactorIntoPrimes(
        Record(c), [&text](const TBigNumber& f) { text += " x " + Text(f); }, nullptr, settings);
    EXPECT_EQ(text, expected) << composite;
  }
}

// A cancel is answered while the curves run, and the progress says so.
TEST(FactorIntoPrimes, CancelDuringTheCurves) {
  RandomDigits random(32);
  const auto [n, expected] = Product({RandomPrime(random, 60), RandomPrime(random, 60)});
  FactorProgress progress;
  std::atomic<bool> cancel{false};
  std::thread stopper([&] {
    while (progress.Read().phase != FactorPhase::Curves)
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    cancel = true;
  });
  const FactorOutcome outcome =
      FactorIntoPrimes(Record(n), [](const TBigNumber&) {}, &cancel, {2, &progress});
  stopper.join();
  EXPECT_EQ(outcome, FactorOutcome::Cancelled);
  EXPECT_EQ(progress.Read().digits, 15);  // the first level of curves
}

}  // namespace
