// SPDX-License-Identifier: GPL-3.0-or-later
#include "BigNumber.h"

#include <gtest/gtest.h>

#include "support/Records.h"

namespace {

// An operand or expected result: digits as written, or no value at all.
struct Operand {
  const char* digits;  // nullptr: a record with Len 0
  TBigNumber record() const { return digits ? Record(digits) : TBigNumber{}; }
};
constexpr Operand kNone{nullptr};

struct BinaryCase {
  const char* name;
  Operand a;
  Operand b;
  Operand expected;
};

void ExpectRecord(const TBigNumber& actual, const Operand& expected) {
  if (!expected.digits) {
    EXPECT_EQ(actual.Len, 0);
    return;
  }
  EXPECT_EQ(Text(actual), expected.digits);
  EXPECT_EQ(actual.Len, static_cast<std::int32_t>(std::string(expected.digits).size()));
}

TEST(ClearNumber, ZeroesEveryDigitAndKeepsLen) {
  TBigNumber x = Record("987");
  x.Digits[0] = 4;
  x.Digits[500] = 9;
  x.Scale = 12;
  ClearNumber(x);
  EXPECT_EQ(x.Len, 3);
  EXPECT_EQ(Text(x), "000");
  for (auto digit : x.Digits)
    EXPECT_EQ(digit, 0);
  EXPECT_EQ(x.Flag, 1);
  EXPECT_EQ(x.Scale, 0);
}

TEST(ZeroNumber, GivesZeroDigitsOfTheAskedLength) {
  for (std::int32_t n : {0, 1, 3, 250, 500}) {
    SCOPED_TRACE(n);
    const TBigNumber x = ZeroNumber(n);
    EXPECT_EQ(x.Len, n);
    for (std::int32_t i = 0; i <= n; ++i)
      EXPECT_EQ(x.Digits[i], 0);
  }
}

TEST(ZeroNumber, OutsideTheRecordIsTooLarge) {
  for (std::int32_t n : {-1, 501, -2147483647 - 1, 2147483647}) {
    SCOPED_TRACE(n);
    EXPECT_TRUE(IsTooLarge(ZeroNumber(n)));
  }
}

struct ComparisonCase {
  const char* name;
  Operand a;
  Operand b;
  bool greater;
  bool equal;
};

TEST(Comparison, LengthFirstThenDigits) {
  const ComparisonCase cases[] = {
      {"longer wins", {"10"}, {"9"}, true, false},
      {"shorter loses", {"9"}, {"10"}, false, false},
      {"same", {"123"}, {"123"}, false, true},
      {"last digit greater", {"124"}, {"123"}, true, false},
      {"last digit smaller", {"123"}, {"124"}, false, false},
      {"first digit decides", {"912"}, {"899"}, true, false},
      {"two empty records", kNone, kNone, false, true},
      {"zero above empty", {"0"}, kNone, true, false},
      {"empty below zero", kNone, {"0"}, false, false},
      {"leading zero counts as length", {"010"}, {"99"}, true, false},
      {"05 is not 5", {"05"}, {"5"}, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsGreater(c.a.record(), c.b.record()), c.greater);
    EXPECT_EQ(EqualNumbers(c.a.record(), c.b.record()), c.equal);
    EXPECT_EQ(EqualNumbers(c.b.record(), c.a.record()), c.equal);
  }
}

TEST(Comparison, IgnoresStaleDigitsAndTheSparePosition) {
  TBigNumber stale = RecordOver("5", "5731");
  stale.Digits[0] = 7;
  const TBigNumber clean = Record("5");
  EXPECT_TRUE(EqualNumbers(stale, clean));
  EXPECT_FALSE(IsGreater(stale, clean));
  EXPECT_FALSE(IsGreater(clean, stale));
}

TEST(AddNumbers, Table) {
  const BinaryCase cases[] = {
      {"zero plus zero", {"0"}, {"0"}, {"0"}},
      {"no carry", {"123"}, {"456"}, {"579"}},
      {"carry into a new digit", {"55"}, {"45"}, {"100"}},
      {"carry out of the top", {"999"}, {"999"}, {"1998"}},
      {"shorter on the right", {"999"}, {"1"}, {"1000"}},
      {"shorter on the left", {"1"}, {"999"}, {"1000"}},
      {"one digit added", {"123"}, {"5"}, {"128"}},
      {"zero plus longer", {"0"}, {"123"}, {"123"}},
      {"empty plus number", kNone, {"123"}, {"123"}},
      {"number plus empty", {"123"}, kNone, {"123"}},
      {"empty plus empty", kNone, kNone, kNone},
      {"leading zeros dropped", {"007"}, {"5"}, {"12"}},
      {"all-zero sum has no value", {"00"}, {"0"}, kNone},
      {"zero plus empty has no value", {"0"}, kNone, kNone},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TBigNumber sum = AddNumbers(c.a.record(), c.b.record());
    ExpectRecord(sum, c.expected);
    EXPECT_EQ(sum.Digits[0], 0);
  }
}

TEST(AddNumbers, ReadsNoStaleDigits) {
  const TBigNumber sum = AddNumbers(RecordOver("5", "5999"), RecordOver("17", "1799999"));
  EXPECT_EQ(Text(sum), "22");
}

TEST(AddNumbers, FiveHundredDigitsFitUntilTheTopCarries) {
  const std::string nines(500, '9');
  const TBigNumber fits = AddNumbers(Record(std::string(499, '9')), Record("1"));
  EXPECT_EQ(Text(fits), "1" + std::string(499, '0'));
  const TBigNumber top = AddNumbers(Record("8" + std::string(499, '9')), Record("1"));
  EXPECT_EQ(Text(top), "9" + std::string(499, '0'));
  EXPECT_TRUE(IsTooLarge(AddNumbers(Record(nines), Record("1"))));
  EXPECT_TRUE(IsTooLarge(AddNumbers(Record("1"), Record(nines))));
  EXPECT_TRUE(IsTooLarge(
      AddNumbers(Record("5" + std::string(499, '0')), Record("5" + std::string(499, '0')))));
}

TEST(SubtractNumbers, Table) {
  const BinaryCase cases[] = {
      {"no borrow", {"579"}, {"456"}, {"123"}},
      {"borrow through zeros", {"1000"}, {"1"}, {"999"}},
      {"leading zeros stripped", {"100"}, {"99"}, {"1"}},
      {"shorter subtrahend", {"123"}, {"5"}, {"118"}},
      {"same length", {"13"}, {"12"}, {"1"}},
      {"minus zero", {"7"}, {"0"}, {"7"}},
      {"zero minus zero", {"0"}, {"0"}, {"0"}},
      {"equal", {"999"}, {"999"}, {"0"}},
      {"equal tens", {"10"}, {"10"}, {"0"}},
      {"two empty records are equal", kNone, kNone, {"0"}},
      {"shorter minuend", {"5"}, {"123"}, kNone},
      {"smaller minuend", {"12"}, {"13"}, kNone},
      {"zero minus five", {"0"}, {"5"}, kNone},
      {"empty minus five", kNone, {"5"}, kNone},
      {"minus empty", {"123"}, kNone, {"123"}},
      {"leading zero, every digit zero", {"05"}, {"5"}, kNone},
      {"leading zero counts as length", {"05"}, {"6"}, {"99"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectRecord(SubtractNumbers(c.a.record(), c.b.record()), c.expected);
  }
}

TEST(SubtractNumbers, MinusZeroReturnsTheMinuendWhole) {
  TBigNumber minuend = RecordOver("42", "4299");
  minuend.Digits[0] = 3;
  minuend.Flag = 1;
  minuend.Scale = 17;
  const TBigNumber result = SubtractNumbers(minuend, Record("0"));
  EXPECT_EQ(result.Digits, minuend.Digits);
  EXPECT_EQ(result.Len, 2);
  EXPECT_EQ(result.Flag, 1);
  EXPECT_EQ(result.Scale, 17);

  TBigNumber empty;
  empty.Scale = 5;
  EXPECT_EQ(SubtractNumbers(empty, Record("0")).Len, 0);
}

TEST(SubtractNumbers, LeavesItsOperandsAlone) {
  const TBigNumber a = Record("1000");
  const TBigNumber b = Record("1");
  const TBigNumber difference = SubtractNumbers(a, b);
  EXPECT_EQ(Text(difference), "999");
  EXPECT_EQ(difference.Digits[0], 0);
  EXPECT_EQ(Text(a), "1000");
  EXPECT_EQ(Text(b), "1");
}

TEST(TooLarge, TravelsThroughAdditionAndSubtraction) {
  const TBigNumber big = TooLargeNumber();
  const TBigNumber one = Record("1");
  EXPECT_TRUE(IsTooLarge(AddNumbers(big, one)));
  EXPECT_TRUE(IsTooLarge(AddNumbers(one, big)));
  EXPECT_TRUE(IsTooLarge(SubtractNumbers(big, one)));
  EXPECT_TRUE(IsTooLarge(SubtractNumbers(one, big)));
  TBigNumber overlong = Record("1");
  overlong.Len = 501;
  EXPECT_TRUE(IsTooLarge(AddNumbers(overlong, one)));
  EXPECT_FALSE(EqualNumbers(overlong, one));
  EXPECT_TRUE(IsGreater(overlong, one));
}

}  // namespace
