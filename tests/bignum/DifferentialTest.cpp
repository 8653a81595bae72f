// SPDX-License-Identifier: GPL-3.0-or-later
// Addition, subtraction and the comparisons against GMP on random
// well-formed numbers of 1 to 500 digits.
#include <gtest/gtest.h>

#include "BigNumber.h"
#include "ReferenceArithmetic.h"
#include "support/Gmp.h"
#include "support/RandomDigits.h"
#include "support/Records.h"

namespace {

constexpr int kCases = 6000;

TEST(Differential, AddSubtractCompareAgreeWithGmp) {
  RandomDigits random(20261208);
  for (int i = 0; i < kCases; ++i) {
    // Every length is met, and equal lengths often enough to reach the digit
    // comparisons.
    const std::string a = random.UpTo(MaxDigits);
    std::string b = random.Between(0, 2) == 0 ? random.OfLength(static_cast<int>(a.size()))
                                              : random.UpTo(MaxDigits);
    if (random.Between(0, 20) == 0) b = a;
    SCOPED_TRACE(a + " and " + b);
    const Gmp ga(a), gb(b);
    const int order = mpz_cmp(ga.get(), gb.get());

    EXPECT_EQ(IsGreater(Record(a), Record(b)), order > 0);
    EXPECT_EQ(EqualNumbers(Record(a), Record(b)), order == 0);

    Gmp sum;
    mpz_add(sum.get(), ga.get(), gb.get());
    const TBigNumber ours = AddNumbers(Record(a), Record(b));
    if (sum.str().size() > static_cast<std::size_t>(MaxDigits)) {
      EXPECT_TRUE(IsTooLarge(ours));
    } else {
      EXPECT_EQ(Text(ours), sum.str());
    }

    const TBigNumber difference = SubtractNumbers(Record(a), Record(b));
    if (order < 0) {
      EXPECT_EQ(difference.Len, 0);
    } else {
      Gmp expected;
      mpz_sub(expected.get(), ga.get(), gb.get());
      EXPECT_EQ(Text(difference), expected.str());
    }
  }
}

}  // namespace

namespace {

void CheckProduct(const std::string& a, const std::string& b) {
  SCOPED_TRACE(a + " * " + b);
  Gmp product;
  mpz_mul(product.get(), Gmp(a).get(), Gmp(b).get());
  const TBigNumber ours = MultiplyNumbers(Record(a), Record(b));
  if (product.str().size() > static_cast<std::size_t>(MaxDigits)) {
    EXPECT_TRUE(IsTooLarge(ours));
  } else {
    EXPECT_EQ(Text(ours), product.str());
  }
}

void CheckDivision(const std::string& a, const std::string& b) {
  SCOPED_TRACE(a + " / " + b);
  Gmp quotient, remainder;
  mpz_tdiv_qr(quotient.get(), remainder.get(), Gmp(a).get(), Gmp(b).get());
  TBigNumber ours;
  EXPECT_EQ(Text(DivideNumbers(Record(a), Record(b), ours)), quotient.str());
  EXPECT_EQ(Text(ours), remainder.str());
}

std::string NonZero(RandomDigits& random, int length) {
  std::string digits = random.OfLength(length);
  if (digits == "0") digits = "7";
  return digits;
}

TEST(Differential, ProductsOfEveryLengthAgreeWithGmp) {
  RandomDigits random(4711);
  for (int round = 0; round < 5; ++round) {
    for (int la = 1; la <= MaxDigits; ++la) {
      // Mostly products that fit, now and then one a digit or two too long.
      const int room = std::max(1, MaxDigits + 1 - la);
      const int lb =
          random.Between(0, 9) == 0 ? std::min(MaxDigits, room + 1) : random.Between(1, room);
      CheckProduct(random.OfLength(la), random.OfLength(lb));
    }
  }
}

TEST(Differential, QuotientsOfEveryLengthAgreeWithGmp) {
  RandomDigits random(1234);
  for (int round = 0; round < 3; ++round) {
    for (int la = 1; la <= MaxDigits; ++la) {
      CheckDivision(random.OfLength(la), NonZero(random, random.Between(1, la)));
    }
  }
}

TEST(Differential, LengthsAtTheEdgesAgreeWithGmp) {
  RandomDigits random(99);
  for (int length : {246, 247, 248, 249, 250, 251, 494, 495, 496, 499, 500}) {
    for (int i = 0; i < 8; ++i) {
      CheckProduct(random.OfLength(length), random.OfLength(std::max(1, MaxDigits - length)));
      CheckProduct(random.OfLength(std::min(length, 250)), random.OfLength(std::min(length, 250)));
      CheckDivision(random.OfLength(length), NonZero(random, random.Between(1, 3)));
      CheckDivision(random.OfLength(length), NonZero(random, random.Between(1, length)));
    }
    CheckProduct(std::string(length, '9'), std::string(std::max(1, MaxDigits - length), '9'));
    CheckDivision(std::string(length, '9'), "1");
    CheckDivision("1" + std::string(length - 1, '0'), std::string(length / 2, '9'));
  }
}

}  // namespace

namespace {

// A record as the window or a routine might hand one over: sometimes with
// leading zeros, stale digits after Len, or Digits[0] set.
TBigNumber UnusualRecord(RandomDigits& random, int length) {
  std::string digits = length == 0 ? "" : random.OfLength(length);
  if (length > 1 && random.Between(0, 4) == 0) {
    digits.replace(0, static_cast<std::size_t>(random.Between(1, length - 1)),
                   static_cast<std::size_t>(random.Between(1, length - 1)), '0');
    digits.resize(static_cast<std::size_t>(length));
  }
  TBigNumber x = RecordOver(digits, random.OfLength(MaxDigits));
  if (random.Between(0, 4) == 0) x.Digits[0] = static_cast<std::int8_t>(random.Between(0, 9));
  return x;
}

void ExpectSameRecord(const TBigNumber& fast, const TBigNumber& reference) {
  EXPECT_EQ(fast.Len, reference.Len);
  EXPECT_EQ(Text(fast), Text(reference));
  if (!IsTooLarge(reference) && reference.Len > 0) {
    EXPECT_EQ(fast.Digits[0], reference.Digits[0]);
  }
}

TEST(Differential, FastRoutinesMatchTheStepByStepOnesForEveryRecord) {
  RandomDigits random(2024);
  for (int length = 0; length <= MaxDigits; ++length) {
    SCOPED_TRACE(length);
    const TBigNumber a = UnusualRecord(random, length);
    const TBigNumber b = UnusualRecord(random, random.Between(0, MaxDigits));
    ExpectSameRecord(MultiplyNumbers(a, b), ReferenceMultiplyNumbers(a, b));
    ExpectSameRecord(MultiplyNumbers(b, a), ReferenceMultiplyNumbers(b, a));

    // Divisors written with leading zeros can make the repeated subtraction
    // run for ages; they take the step-by-step way in both anyway.
    TBigNumber divisor = Record(NonZero(random, random.Between(1, std::max(1, length))));
    if (random.Between(0, 9) == 0) divisor = Record("0");
    TBigNumber fastRest, referenceRest;
    ExpectSameRecord(DivideNumbers(a, divisor, fastRest),
                     ReferenceDivideNumbers(a, divisor, referenceRest));
    ExpectSameRecord(fastRest, referenceRest);
  }
}

}  // namespace
