// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReferenceSpecialFunctions.h"
#include "SpecialFunctions.h"

#include <gtest/gtest.h>

#include "support/Records.h"

namespace {

struct RootCase {
  const char* a;
  const char* root;
  int passes;  // 0: not checked
};

TEST(SquareRoot, Table) {
  const RootCase cases[] = {
      {"1", "10000000000", 99},
      {"2", "14142135624", 177},
      {"123456789", "111111110605556", 289},
      {"4", "20000000000", 0},
      {"100", "100000000000", 0},
      {"10", "31622776602", 0},
      {"12345", "1111080555136", 0},
      {"99", "99498743710", 0},
      {"0", "10000000000", 0},
      {"04", "31622776602", 0},
      {"00", "31622776602", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.a);
    int passes = -1;
    EXPECT_EQ(Text(SquareRoot(Record(c.a), &passes)), c.root);
    if (c.passes) {
      EXPECT_EQ(passes, c.passes);
    }
  }
  EXPECT_EQ(Text(SquareRoot(TBigNumber{})), "3162277660");
}

TEST(SquareRoot, EveryLengthUpToTheRecordsCapacity) {
  EXPECT_EQ(Text(SquareRoot(Record("1" + std::string(498, '0')))), "1" + std::string(259, '0'));
  EXPECT_TRUE(IsTooLarge(SquareRootBySearch(Record(std::string(147, '9')))));
}

struct NthCase {
  const char* a;
  std::int32_t n;
  const char* root;
  int steps;
};

TEST(NthRoot, Table) {
  const NthCase cases[] = {
      {"1", 3, "1000", 35},    {"2", 3, "1259", 36},     {"8", 3, "2000", 38},
      {"27", 3, "3000", 40},   {"1000", 3, "10000", 46}, {"123456789", 3, "497933", 66},
      {"16", 4, "2000", 78},   {"32", 5, "2000", 132},   {"2", 2, "1414", 13},
      {"100", 2, "10000", 16},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " root " + std::to_string(c.n));
    int steps = -1;
    EXPECT_EQ(Text(NthRoot(Record(c.a), c.n, &steps)), c.root);
    EXPECT_EQ(steps, c.steps);
  }
}

TEST(NthRoot, SettlesWhereTheStepCapWouldStopEarly) {
  int steps = 0;
  EXPECT_EQ(Text(NthRoot(Record("5"), 7, &steps)), "1258");
  EXPECT_GT(steps, 201);
  // 99999999999999999999 * 10^15 lies just below 10^35 = (10^7)^5.
  EXPECT_EQ(Text(NthRoot(Record("99999999999999999999"), 5)), "9999999");
}

TEST(NthRoot, DegreesBelowTwoFailWithTheConversionError) {
  for (std::int32_t n : {1, 0, -1, -2147483647 - 1}) {
    SCOPED_TRACE(n);
    try {
      NthRoot(Record("27"), n);
      ADD_FAILURE() << "accepted";
    } catch (const ConversionError& error) {
      EXPECT_STREQ(error.what(), "'-' is not a valid integer value");
    }
  }
}

TEST(NthRoot, ZeroAndTheLimitsOfItsWorkingStorage) {
  EXPECT_EQ(Text(NthRoot(Record("0"), 3)), "0");
  EXPECT_EQ(Text(NthRoot(TBigNumber{}, 5)), "0");
  // a * 10^(3n) of at most LongestNthRootScaled digits.
  EXPECT_EQ(Text(NthRoot(Record("1"), 599)), "1000");
  EXPECT_TRUE(IsTooLarge(NthRoot(Record("1"), 600)));
  EXPECT_EQ(Text(NthRoot(Record(std::string(500, '9')), 433)).size(), 5u);
  EXPECT_TRUE(IsTooLarge(NthRoot(Record(std::string(500, '9')), 434)));
  EXPECT_TRUE(IsTooLarge(NthRoot(Record("1"), 2147483647)));
  // The degree 9 with a 25-digit argument is inside the storage.
  EXPECT_EQ(Text(NthRoot(Record("1" + std::string(27, '0')), 9)), "1000000");
}

struct FactorCase {
  const char* a;
  const char* factors;
  int passes;
};

TEST(PrimeFactors, Table) {
  const FactorCase cases[] = {
      {"4", "1 x 2 x 2", 2},
      {"5", "1 x 5", 2},
      {"6", "1 x 2 x 3", 2},
      {"8", "1 x 2 x 2 x 2", 3},
      {"9", "1 x 3 x 3", 3},
      {"10", "1 x 2 x 5", 3},
      {"27", "1 x 3 x 3 x 3", 4},
      {"49", "1 x 7 x 7", 5},
      {"97", "1 x 97", 25},
      {"100", "1 x 2 x 2 x 5 x 5", 6},
      {"121", "1 x 11 x 11", 7},
      {"221", "1 x 13 x 17", 8},
      {"1001", "1 x 7 x 11 x 13", 8},
      {"0", "1 x 2 x 0", 1},
      {"00", "1 x 00", 6},
      {"02", "1 x 02", 6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.a);
    std::string text = "1";
    TBigNumber remainder = Record("555");
    int passes = -1;
    ASSERT_TRUE(PrimeFactors(
        Record(c.a), remainder, [&text](const TBigNumber& factor) { text += " x " + Text(factor); },
        &passes));
    EXPECT_EQ(text, c.factors);
    EXPECT_EQ(passes, c.passes);
  }
}

TEST(PrimeFactors, LeavesTheLastRemainder) {
  TBigNumber remainder;
  const auto ignore = [](const TBigNumber&) {};
  PrimeFactors(Record("97"), remainder, ignore);
  EXPECT_EQ(Text(remainder), "48");
  PrimeFactors(Record("100"), remainder, ignore);
  EXPECT_EQ(Text(remainder), "0");
  EXPECT_FALSE(PrimeFactors(Record("1" + std::string(480, '0')), remainder, ignore));
}

struct ReciprocalCase {
  const char* x;
  const char* digits;
  std::int32_t scale;
};

TEST(Reciprocal, Table) {
  const ReciprocalCase cases[] = {
      {"2", "5000000000000000000000000", 2},   {"3", "3333333333333333333333333", 2},
      {"7", "1428571428571428571428571", 2},   {"10", "10000000000000000000000000", 2},
      {"11", "9090909090909090909090909", 3},  {"12", "8333333333333333333333333", 3},
      {"99", "1010101010101010101010101", 3},  {"100", "10000000000000000000000000", 3},
      {"101", "9900990099009900990099009", 4}, {"123456789", "8100000073710000670761006", 10},
      {"6", "1666666666666666666666666", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.x);
    TBigNumber remainder;
    const TBigNumber result = Reciprocal(Record(c.x), remainder);
    EXPECT_EQ(Text(result), c.digits);
    EXPECT_EQ(result.Scale, c.scale);
  }
}

TEST(Reciprocal, RemaindersAndTheLimits) {
  TBigNumber remainder = Record("999");
  Reciprocal(Record("7"), remainder);
  EXPECT_EQ(Text(remainder), "3");
  Reciprocal(Record("123456789"), remainder);
  EXPECT_EQ(Text(remainder), "12830266");
  remainder = Record("999");
  EXPECT_EQ(Text(Reciprocal(Record("1"), remainder)), "1");
  EXPECT_EQ(Text(remainder), "999");
  EXPECT_TRUE(IsTooLarge(Reciprocal(Record("00"), remainder)));
  EXPECT_TRUE(IsTooLarge(Reciprocal(TBigNumber{}, remainder)));
  const TBigNumber longest = Reciprocal(Record("3" + std::string(499, '0')), remainder);
  EXPECT_EQ(Text(longest), std::string(25, '3'));
  EXPECT_EQ(longest.Scale, 501);
  EXPECT_EQ(Text(Reciprocal(Record("1" + std::string(499, '0')), remainder)),
            "1" + std::string(25, '0'));
  // With a leading zero the steps on records take it, as far as they reach.
  EXPECT_EQ(Reciprocal(Record("07"), remainder).Scale, 2);
  EXPECT_TRUE(IsTooLarge(Reciprocal(Record("0" + std::string(475, '7')), remainder)));
}

struct PowerCase {
  const char* x;
  std::int32_t n;
  const char* power;
  int multiplications;
};

TEST(PowerOf, Table) {
  const PowerCase cases[] = {
      {"2", 10, "1024", 10},
      {"2", 1, "2", 1},
      {"2", 0, "1", 0},
      {"2", -3, "1", 0},
      {"0", 0, "0", 0},
      {"0", 5, "0", 0},
      {"1", 0, "1", 0},
      {"1", 7, "1", 0},
      {"10", 3, "1000", 3},
      {"12", 5, "248832", 5},
      {"9", 20, "12157665459056928801", 20},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.x) + "^" + std::to_string(c.n));
    int multiplications = -1;
    EXPECT_EQ(Text(PowerOf(Record(c.x), c.n, &multiplications)), c.power);
    EXPECT_EQ(multiplications, c.multiplications);
  }
}

TEST(PowerOf, AnswersThatDoNotFitComeAtOnce) {
  int multiplications = -1;
  EXPECT_TRUE(IsTooLarge(PowerOf(Record("2"), 2000000000, &multiplications)));
  EXPECT_LT(multiplications, 1700);
  EXPECT_TRUE(IsTooLarge(PowerOf(Record("99"), 2147483647, &multiplications)));
  EXPECT_EQ(multiplications, 0);
  EXPECT_EQ(Text(PowerOf(Record("9"), 500)).size(), 478u);
  EXPECT_EQ(Text(PowerOf(Record("10"), 499)), "1" + std::string(499, '0'));
  EXPECT_TRUE(IsTooLarge(PowerOf(Record("10"), 500)));
}

struct FactorialCase {
  const char* text;
  const char* factorial;
  int multiplications;
};

TEST(Factorial, Table) {
  const FactorialCase cases[] = {
      {"0", "1", 0},
      {"1", "1", 0},
      {"2", "2", 2},
      {"3", "6", 3},
      {"4", "24", 4},
      {"10", "3628800", 10},
      {"20", "2432902008176640000", 20},
      {"-4", "1", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    int multiplications = -1;
    EXPECT_EQ(Text(Factorial(c.text, &multiplications)), c.factorial);
    EXPECT_EQ(multiplications, c.multiplications);
  }
}

TEST(Factorial, LimitsAndTheConversionError) {
  EXPECT_EQ(Text(Factorial("143")).size(), 248u);
  EXPECT_EQ(Text(Factorial("253")).size(), 500u);
  EXPECT_TRUE(IsTooLarge(Factorial("254")));
  EXPECT_TRUE(IsTooLarge(Factorial("2147483647")));
  try {
    Factorial("3000000000");
    ADD_FAILURE() << "accepted";
  } catch (const ConversionError& error) {
    EXPECT_STREQ(error.what(), "'3000000000' is not a valid integer value");
  }
}

}  // namespace
