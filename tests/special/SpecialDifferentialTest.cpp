// SPDX-License-Identifier: GPL-3.0-or-later
// The special functions against GMP, and the nth root's step against the
// step written out with powers and two divisions.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "ReferenceSpecialFunctions.h"
#include "SpecialFunctions.h"
#include "support/Gmp.h"
#include "support/RandomDigits.h"
#include "support/Records.h"

namespace {

std::string NonZero(RandomDigits& random, int length) {
  std::string digits = random.OfLength(length);
  return digits == "0" ? "3" : digits;
}

// The step as two nested truncating divisions of powers of r.
TBigNumber StepWithPowers(const TBigNumber& m, const TBigNumber& r, std::int32_t n) {
  TBigNumber unused;
  TBigNumber power = SmallNumber(1);
  for (std::int32_t i = 0; i < n; ++i)
    power = MultiplyNumbers(power, r);
  TBigNumber s = AddNumbers(MultiplyNumbers(power, SmallNumber(n - 1)), m);
  s = DivideNumbers(s, SmallNumber(n), unused);
  power = SmallNumber(1);
  for (std::int32_t i = 0; i < n - 1; ++i)
    power = MultiplyNumbers(power, r);
  return DivideNumbers(s, power, unused);
}

TEST(NthRootStep, EqualsTheStepWithPowers) {
  RandomDigits random(31337);
  for (int i = 0; i < 1500; ++i) {
    const std::int32_t n = random.Between(2, 9);
    const std::string m = NonZero(random, random.Between(1, 60));
    const std::string r = NonZero(random, random.Between(1, std::min<int>(200 / n, 61)));
    SCOPED_TRACE(m + " " + r + " " + std::to_string(n));
    EXPECT_EQ(Text(NthRootStep(Record(m), Record(r), n)),
              Text(StepWithPowers(Record(m), Record(r), n)));
  }
}

// The levels reproduce the search: the same root and the same passes.
TEST(SquareRootDifferential, LevelsFollowTheSearch) {
  RandomDigits random(577);
  for (int length = 1; length <= LongestSquareRootSearch; ++length) {
    for (const std::string& a :
         {random.OfLength(length), std::string(length, '9'), "1" + std::string(length - 1, '0')}) {
      SCOPED_TRACE(a);
      int byLevels = 0;
      int bySearch = 0;
      EXPECT_EQ(Text(SquareRoot(Record(a), &byLevels)),
                Text(SquareRootBySearch(Record(a), &bySearch)));
      EXPECT_EQ(byLevels, bySearch);
    }
  }
}

TEST(SquareRootDifferential, WithinOneOfTheRoot) {
  RandomDigits random(2718);
  std::vector<std::string> arguments;
  // Zero is left out: its record of 21 zero digits is ordered by length.
  for (int i = 0; i < 120; ++i)
    arguments.push_back(NonZero(random, random.Between(1, 30)));
  for (int length : {146, 147, 250, 499, 500})
    arguments.push_back(random.OfLength(length));
  arguments.push_back(std::string(500, '9'));
  arguments.push_back("1" + std::string(499, '0'));
  for (const std::string& a : arguments) {
    SCOPED_TRACE(a);
    Gmp scaled(a + std::string(20, '0'));
    Gmp r(Text(SquareRoot(Record(a))));
    Gmp below, above;
    mpz_sub_ui(below.get(), r.get(), 1);
    mpz_mul(below.get(), below.get(), below.get());
    mpz_add_ui(above.get(), r.get(), 1);
    mpz_mul(above.get(), above.get(), above.get());
    EXPECT_LT(mpz_cmp(below.get(), scaled.get()), 0);
    EXPECT_LT(mpz_cmp(scaled.get(), above.get()), 0);
  }
}

void ExpectRootOrOneMore(const std::string& a, std::int32_t n) {
  SCOPED_TRACE(a + " root " + std::to_string(n));
  Gmp root(a + std::string(static_cast<std::size_t>(3 * n), '0'));
  mpz_root(root.get(), root.get(), static_cast<unsigned long>(n));
  const std::string ours = Text(NthRoot(Record(a), n));
  Gmp next;
  mpz_add_ui(next.get(), root.get(), 1);
  EXPECT_TRUE(ours == root.str() || ours == next.str()) << ours << " vs " << root.str();
}

TEST(NthRootDifferential, TheWholeRootOrOneMore) {
  RandomDigits random(1618);
  for (int i = 0; i < 200; ++i)
    ExpectRootOrOneMore(random.UpTo(40), random.Between(3, 16));
  // Beyond the textbook's start: long arguments and high degrees.
  for (int i = 0; i < 60; ++i) {
    const std::string a = random.UpTo(MaxDigits);
    const int highest = (LongestNthRootScaled - static_cast<int>(a.size())) / 3;
    ExpectRootOrOneMore(a, random.Between(2, highest));
  }
  ExpectRootOrOneMore(std::string(500, '9'), 433);
  ExpectRootOrOneMore(std::string(500, '9'), 2);
  ExpectRootOrOneMore("1", 599);
}

TEST(ReciprocalDifferential, DigitsAndScale) {
  RandomDigits random(1414);
  for (int i = 0; i < 400; ++i) {
    std::string x = random.UpTo(MaxDigits);
    if (x == "0" || x == "1") x = "2";
    SCOPED_TRACE(x);
    Gmp expected("1" + std::string(x.size() + 24, '0'));
    mpz_tdiv_q(expected.get(), expected.get(), Gmp(x).get());
    TBigNumber remainder;
    const TBigNumber ours = Reciprocal(Record(x), remainder);
    EXPECT_EQ(Text(ours), expected.str());
    // Scale: the length of the smallest power of ten not below x.
    const bool powerOfTen = x.find_first_not_of('0', 1) == std::string::npos && x[0] == '1';
    EXPECT_EQ(ours.Scale, static_cast<std::int32_t>(x.size()) + (powerOfTen ? 0 : 1));
  }
}

TEST(PowerDifferential, PowersThatFitAndThoseThatDoNot) {
  RandomDigits random(4242);
  for (int i = 0; i < 400; ++i) {
    const std::string x = random.UpTo(25);
    const std::int32_t n = random.Between(0, 600);
    SCOPED_TRACE(x + "^" + std::to_string(n));
    Gmp expected;
    mpz_pow_ui(expected.get(), Gmp(x).get(), static_cast<unsigned long>(n));
    const TBigNumber ours = PowerOf(Record(x), n);
    if (expected.str().size() > static_cast<std::size_t>(MaxDigits)) {
      EXPECT_TRUE(IsTooLarge(ours));
    } else {
      EXPECT_EQ(Text(ours), expected.str());
    }
  }
}

TEST(FactorialDifferential, EveryFactorialThatFits) {
  for (unsigned n = 0; n <= 260; ++n) {
    SCOPED_TRACE(n);
    Gmp expected;
    mpz_fac_ui(expected.get(), n);
    const TBigNumber ours = Factorial(std::to_string(n));
    if (expected.str().size() > static_cast<std::size_t>(MaxDigits)) {
      EXPECT_TRUE(IsTooLarge(ours));
    } else {
      EXPECT_EQ(Text(ours), expected.str());
    }
  }
}

TEST(PrimeFactorsDifferential, ProductsOfKnownPrimes) {
  std::vector<unsigned long> primes;
  for (unsigned long p = 2; p < 1500; ++p) {
    if (std::all_of(primes.begin(), primes.end(), [p](unsigned long q) { return p % q != 0; })) {
      primes.push_back(p);
    }
  }
  RandomDigits random(7);
  for (int i = 0; i < 150; ++i) {
    std::vector<unsigned long> chosen(static_cast<std::size_t>(random.Between(2, 12)));
    for (auto& p : chosen)
      p = primes[static_cast<std::size_t>(random.Between(0, 60))];
    chosen.back() =
        primes[static_cast<std::size_t>(random.Between(0, static_cast<int>(primes.size()) - 1))];
    Gmp product("1");
    for (unsigned long p : chosen)
      mpz_mul_ui(product.get(), product.get(), p);
    std::sort(chosen.begin(), chosen.end());
    std::string expected = "1";
    for (unsigned long p : chosen)
      expected += " x " + std::to_string(p);
    SCOPED_TRACE(product.str());

    std::string text = "1";
    TBigNumber remainder;
    PrimeFactors(Record(product.str()), remainder,
                 [&text](const TBigNumber& factor) { text += " x " + Text(factor); });
    EXPECT_EQ(text, expected);
  }
}

}  // namespace
