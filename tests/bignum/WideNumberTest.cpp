// SPDX-License-Identifier: GPL-3.0-or-later
// The base 10^9 working numbers against GMP, on limb patterns that reach the
// rare corners of long division (quotient guesses two too large, the add-back
// step) as well as on plain random digits.
#include "WideNumber.h"

#include <gtest/gtest.h>

#include "NumberText.h"
#include "support/Gmp.h"
#include "support/RandomDigits.h"

namespace {

wide::Number FromText(const std::string& digits) {
  wide::Number x;
  for (auto end = static_cast<int>(digits.size()); end > 0; end -= 9) {
    const int begin = std::max(0, end - 9);
    x.limbs[x.size++] = static_cast<std::uint32_t>(std::stoul(digits.substr(begin, end - begin)));
  }
  while (x.size > 0 && x.limbs[x.size - 1] == 0)
    --x.size;
  return x;
}

std::string TextOf(const wide::Number& x) {
  std::array<std::int8_t, wide::MaxDigits> digits;
  const int length = wide::LittleEndianDigits(x, digits);
  std::string text;
  for (int i = length - 1; i >= 0; --i)
    text += static_cast<char>('0' + digits[i]);
  return text;
}

// Digits made of whole limbs drawn from 0, 1, 999999999, 500000000 and random.
std::string LimbPattern(RandomDigits& random, int limbs) {
  static const char* const kLimbs[] = {"000000000", "000000001", "999999999", "500000000",
                                       "499999999"};
  std::string digits = std::to_string(random.Between(1, 999999999));
  for (int i = 1; i < limbs; ++i) {
    const int pick = random.Between(0, 6);
    digits += pick < 5 ? std::string(kLimbs[pick]) : random.OfLength(9);
  }
  return digits;
}

TEST(WideNumber, ArithmeticAgreesWithGmp) {
  RandomDigits random(9001);
  for (int i = 0; i < 4000; ++i) {
    const int limbsA = random.Between(1, 110);
    const std::string a = random.Between(0, 1) ? LimbPattern(random, limbsA)
                                               : random.OfLength(random.Between(1, 990));
    const std::string b = random.Between(0, 1) ? LimbPattern(random, random.Between(1, limbsA))
                                               : random.OfLength(random.Between(1, 990));
    SCOPED_TRACE(a + " and " + b);
    const Gmp ga(a), gb(b);
    const wide::Number wa = FromText(a), wb = FromText(b);

    Gmp expected;
    mpz_add(expected.get(), ga.get(), gb.get());
    EXPECT_EQ(TextOf(wide::Add(wa, wb)), expected.str());
    mpz_mul(expected.get(), ga.get(), gb.get());
    EXPECT_EQ(TextOf(wide::Multiply(wa, wb)), expected.str());
    EXPECT_EQ(wide::Compare(wa, wb),
              (mpz_cmp(ga.get(), gb.get()) > 0) - (mpz_cmp(ga.get(), gb.get()) < 0));
    if (mpz_cmp(ga.get(), gb.get()) >= 0) {
      mpz_sub(expected.get(), ga.get(), gb.get());
      EXPECT_EQ(TextOf(wide::Subtract(wa, wb)), expected.str());
    }
    if (b != "0") {
      Gmp remainder;
      mpz_tdiv_qr(expected.get(), remainder.get(), ga.get(), gb.get());
      wide::Number rest;
      EXPECT_EQ(TextOf(wide::Divide(wa, wb, &rest)), expected.str());
      EXPECT_EQ(TextOf(rest), remainder.str());
    }
    mpz_sqrt(expected.get(), ga.get());
    EXPECT_EQ(TextOf(wide::SquareRootFloor(wa)), expected.str());
  }
}

TEST(WideNumber, SmallFactorsAndDivisors) {
  RandomDigits random(77);
  for (int i = 0; i < 2000; ++i) {
    const std::string a = random.OfLength(random.Between(1, 1500));
    const auto small = static_cast<std::uint32_t>(random.Between(1, 999999999));
    SCOPED_TRACE(a + " and " + std::to_string(small));
    const Gmp ga(a);
    Gmp expected;
    mpz_mul_ui(expected.get(), ga.get(), small);
    EXPECT_EQ(TextOf(wide::MultiplySmall(FromText(a), small)), expected.str());
    std::uint32_t rest = 0;
    const unsigned long gmpRest = mpz_tdiv_q_ui(expected.get(), ga.get(), small);
    EXPECT_EQ(TextOf(wide::DivideSmall(FromText(a), small, &rest)), expected.str());
    EXPECT_EQ(rest, gmpRest);
  }
}

TEST(WideNumber, RootOverestimateIsAboveAndClose) {
  RandomDigits random(555);
  for (int i = 0; i < 1000; ++i) {
    const std::string a = random.OfLength(random.Between(1, 2000));
    const int n = random.Between(1, 700);
    SCOPED_TRACE(a + " root " + std::to_string(n));
    Gmp root(a);
    mpz_root(root.get(), root.get(), static_cast<unsigned long>(n));
    const Gmp estimate(TextOf(wide::RootOverestimate(FromText(a), n)));
    EXPECT_GT(mpz_cmp(estimate.get(), root.get()), 0);
    // At most one part in 10^8 above, plus two.
    Gmp bound;
    mpz_tdiv_q_ui(bound.get(), root.get(), 100000000);
    mpz_add(bound.get(), bound.get(), root.get());
    mpz_add_ui(bound.get(), bound.get(), 3);
    EXPECT_LE(mpz_cmp(estimate.get(), bound.get()), 0);
  }
}

TEST(WideNumber, RecordsAndPowersOfTen) {
  EXPECT_EQ(TextOf(wide::PowerOfTen(0)), "1");
  EXPECT_EQ(TextOf(wide::PowerOfTen(9)), "1" + std::string(9, '0'));
  EXPECT_EQ(TextOf(wide::PowerOfTen(2000)), "1" + std::string(2000, '0'));
  EXPECT_EQ(wide::DecimalLength(wide::Number{}), 1);
  EXPECT_EQ(wide::DecimalLength(wide::PowerOfTen(524)), 525);
  EXPECT_EQ(DigitString(wide::ToRecord(FromText(std::string(500, '9')))), std::string(500, '9'));
  EXPECT_TRUE(IsTooLarge(wide::ToRecord(FromText("1" + std::string(500, '0')))));
  EXPECT_EQ(DigitString(wide::ToRecord(wide::Number{})), "0");
}

}  // namespace
