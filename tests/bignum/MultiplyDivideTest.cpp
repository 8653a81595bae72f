// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "BigNumber.h"
#include "ReferenceArithmetic.h"
#include "support/Records.h"

namespace {

struct ProductCase {
  const char* name;
  const char* a;
  const char* b;
  const char* product;
};

TEST(MultiplyNumbers, Table) {
  const ProductCase cases[] = {
      {"zero times five", "0", "5", "0"},
      {"five times zero", "5", "0", "0"},
      {"leading zero counts as zero", "012", "5", "0"},
      {"one digit", "5", "7", "35"},
      {"carry inside a digit", "9", "9", "81"},
      {"two digits", "99", "99", "9801"},
      {"longer first", "123", "45", "5535"},
      {"longer second", "45", "123", "5535"},
      {"zero digit in the longer", "10", "5", "50"},
      {"zeros in the longer", "100", "7", "700"},
      {"zeros on the right", "7", "100", "700"},
      {"units digit zero", "120", "11", "1320"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (const TBigNumber& product : {MultiplyNumbers(Record(c.a), Record(c.b)),
                                      ReferenceMultiplyNumbers(Record(c.a), Record(c.b))}) {
      EXPECT_EQ(Text(product), c.product);
      EXPECT_EQ(product.Digits[0], 0);
    }
  }
}

TEST(MultiplyNumbers, EmptyFactorsFollowTheFirstDigitTest) {
  // With Len 0 the zero test reads whatever digit position 1 still holds.
  TBigNumber empty;
  EXPECT_EQ(Text(MultiplyNumbers(empty, Record("3"))), "0");
  TBigNumber staleEmpty = Record("5");
  staleEmpty.Len = 0;
  EXPECT_EQ(MultiplyNumbers(staleEmpty, Record("3")).Len, 0);
  EXPECT_EQ(Text(MultiplyNumbers(staleEmpty, staleEmpty)), "0");
}

TEST(MultiplyNumbers, LengthsAroundTheRecordLimit) {
  const std::string nines247(247, '9');
  // (10^247 - 1)^2 = 10^494 - 2 * 10^247 + 1
  const std::string square = std::string(246, '9') + "8" + std::string(246, '0') + "1";
  EXPECT_EQ(Text(MultiplyNumbers(Record(nines247), Record(nines247))), square);
  EXPECT_EQ(
      MultiplyNumbers(Record("1" + std::string(246, '0')), Record("1" + std::string(246, '0'))).Len,
      493);
  // Beyond 247 digits the product is answered while it fits.
  EXPECT_EQ(Text(MultiplyNumbers(Record("1" + std::string(299, '0')),
                                 Record("1" + std::string(150, '0')))),
            "1" + std::string(449, '0'));
  EXPECT_EQ(Text(MultiplyNumbers(Record(std::string(500, '9')), Record("1"))),
            std::string(500, '9'));
  EXPECT_TRUE(
      IsTooLarge(MultiplyNumbers(Record(std::string(300, '9')), Record(std::string(201, '9')))));
  EXPECT_TRUE(
      IsTooLarge(MultiplyNumbers(Record(std::string(250, '9')), Record(std::string(251, '9')))));
  EXPECT_TRUE(IsTooLarge(MultiplyNumbers(TooLargeNumber(), Record("1"))));
}

struct DivisionCase {
  const char* name;
  const char* a;
  const char* b;
  const char* quotient;
  const char* remainder;
  int passes;
};

TEST(DivideNumbers, Table) {
  const DivisionCase cases[] = {
      {"worked example", "1234", "12", "102", "10", 3},
      {"first pass counts nothing", "17", "5", "3", "2", 2},
      {"zero dividend", "0", "7", "0", "0", 0},
      {"divisor greater", "5", "17", "0", "5", 0},
      {"equal", "7", "7", "1", "0", 1},
      {"leading quotient zero removed", "100", "99", "1", "1", 2},
      {"shorter by value", "99", "100", "0", "99", 0},
      {"stops after one pass", "1000", "10", "100", "0", 1},
      {"by one", "999", "1", "999", "0", 3},
      {"long, one pass", "123456789", "12345", "10000", "6789", 1},
      {"leading-zero dividend", "05", "2", "0", "05", 0},
      // Ordered by length, 01 goes 90 times into 99 before 9 is shorter; the
      // count becomes one "digit" of 90.
      {"leading-zero divisor", "99", "01", "90", "9", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TBigNumber a = Record(c.a);
    const TBigNumber b = Record(c.b);
    TBigNumber remainder = Record("424242");
    int passes = -1;
    const TBigNumber quotient = ReferenceDivideNumbers(a, b, remainder, &passes);
    EXPECT_EQ(Text(quotient), c.quotient);
    EXPECT_EQ(quotient.Digits[0], 0);
    EXPECT_EQ(Text(remainder), c.remainder);
    EXPECT_EQ(passes, c.passes);

    remainder = Record("424242");
    EXPECT_EQ(Text(DivideNumbers(a, b, remainder)), c.quotient);
    EXPECT_EQ(Text(remainder), c.remainder);
    EXPECT_EQ(Text(a), c.a);
    EXPECT_EQ(Text(b), c.b);
  }
}

TEST(DivideNumbers, ZeroDivisorsEndAtOnce) {
  struct ZeroCase {
    const char* name;
    TBigNumber a;
    TBigNumber b;
    bool tooLarge;
  };
  TBigNumber empty;
  const ZeroCase cases[] = {
      {"zero by zero", Record("0"), Record("0"), true},
      {"number by zero", Record("50"), Record("0"), true},
      {"number by 00", Record("50"), Record("00"), true},
      {"short number by 00", Record("5"), Record("00"), false},
      {"number by empty", Record("5"), empty, true},
      {"empty by empty", empty, empty, true},
      {"500 digits by zero", Record(std::string(500, '9')), Record("0"), true},
      // Divisors the window never makes, that repeated subtraction would
      // take hours over: stopped by the bound on the subtractions.
      {"500 nines by 0...01", Record(std::string(500, '9')), Record(std::string(499, '0') + "1"),
       true},
      {"500 nines by 0...09", Record(std::string(500, '9')), Record(std::string(250, '0') + "9"),
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TBigNumber remainder = Record("77");
    const TBigNumber quotient = DivideNumbers(c.a, c.b, remainder);
    EXPECT_EQ(IsTooLarge(quotient), c.tooLarge);
    if (!c.tooLarge) {
      EXPECT_EQ(Text(quotient), "0");
    }
    EXPECT_EQ(Text(remainder), Text(c.a));
  }
}

// Digits outside 0..9 follow the steps literally, and end: either with an
// answer of those steps or, past the bound on the subtractions, too large.
TEST(DivideNumbers, DigitsOutsideTheRangeEnd) {
  for (const std::int8_t digit : {10, 11, 127, -1, -128}) {
    SCOPED_TRACE(digit);
    TBigNumber a = Record(std::string(500, '9'));
    TBigNumber b = Record(std::string(300, '0') + "1");
    b.Digits[150] = digit;
    a.Digits[7] = digit;
    for (const auto& [dividend, divisor] :
         {std::pair{a, b}, std::pair{Record("98765"), b}, std::pair{a, Record("7")}}) {
      TBigNumber remainder;
      const TBigNumber quotient = DivideNumbers(dividend, divisor, remainder);
      if (IsTooLarge(quotient)) {
        EXPECT_TRUE(EqualNumbers(remainder, dividend));
      }
    }
  }
}

TEST(DivideNumbers, DividendsBeyondTheRecordQuotientFit) {
  const std::string nines(500, '9');
  TBigNumber remainder;
  EXPECT_EQ(Text(DivideNumbers(Record(nines), Record("1"), remainder)), nines);
  EXPECT_EQ(Text(remainder), "0");
  EXPECT_EQ(Text(DivideNumbers(Record(nines), Record("3"), remainder)), std::string(500, '3'));
  EXPECT_EQ(Text(DivideNumbers(Record("1" + std::string(499, '0')), Record("7"), remainder)).size(),
            499u);
  EXPECT_EQ(Text(remainder), "3");  // 10^499 = 10^(6 * 83) * 10, and 10^6 = 1 mod 7
}

}  // namespace
