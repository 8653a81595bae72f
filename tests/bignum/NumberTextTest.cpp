// SPDX-License-Identifier: GPL-3.0-or-later
#include "NumberText.h"

#include <gtest/gtest.h>

#include "support/Records.h"

namespace {

struct Accepted {
  const char* text;
  std::int32_t value;
};

TEST(TextToInteger, AcceptsTheStandardForms) {
  const Accepted cases[] = {
      {"0", 0},
      {"12", 12},
      {" 12", 12},
      {"   7", 7},
      {"+5", 5},
      {"-3", -3},
      {"-0", 0},
      {"007", 7},
      {"$1F", 31},
      {"$1f", 31},
      {"x10", 16},
      {"X10", 16},
      {"0x10", 16},
      {"0XfF", 255},
      {"-$10", -16},
      {" +0x7FFFFFFF", 2147483647},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"-$80000000", -2147483647 - 1},
      {"00000000000000000000002147483647", 2147483647},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(TextToInteger(c.text), c.value);
  }
}

TEST(TextToInteger, RejectsEverythingElseNamingTheWholeText) {
  const char* const cases[] = {
      "",
      " ",
      "-",
      "+",
      "$",
      "0x",
      "x",
      "12 ",
      "1 2",
      "\t12",
      "- 5",
      "+-5",
      "--5",
      "1a",
      "$G",
      "12.0",
      "1e3",
      "$-10",
      "0x-1",
      "2147483648",
      "-2147483649",
      "$80000000",
      "99999999999999999999",
      "3000000000",
      "٣",
  };
  for (const char* text : cases) {
    SCOPED_TRACE(text);
    try {
      TextToInteger(text);
      ADD_FAILURE() << "accepted";
    } catch (const ConversionError& error) {
      EXPECT_EQ(error.what(), "'" + std::string(text) + "' is not a valid integer value");
    }
  }
}

struct Read {
  const char* text;
  const char* digits;  // as stored
};

TEST(ReadDigits, DropsLeadingZerosAndWritesOnlyTheDigitsRead) {
  const Read cases[] = {
      {"123", "123"}, {"007", "7"}, {"000", "0"}, {"0", "0"}, {"05", "5"}, {"100", "100"}, {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    TBigNumber record = Record("98765");
    ASSERT_TRUE(ReadDigits(c.text, record));
    EXPECT_EQ(Text(record), c.digits);
    // Positions beyond the new value keep the earlier digits.
    EXPECT_EQ(record.Digits[5], 5);
    EXPECT_EQ(record.Digits[0], 0);
  }
}

TEST(ReadDigits, NamesTheFirstCharacterThatIsNotADigit) {
  const Read cases[] = {
      {"1a2", "a"},   {" 12", " "}, {"-5", "-"}, {"+5", "+"}, {"1.5", "."},
      {"12b3c", "b"}, {"1é", "é"},  {"9€", "€"}, {"١٢", "١"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    TBigNumber record = Record("42");
    try {
      ReadDigits(c.text, record);
      ADD_FAILURE() << "accepted";
    } catch (const ConversionError& error) {
      EXPECT_EQ(error.what(), "'" + std::string(c.digits) + "' is not a valid integer value");
    }
    EXPECT_EQ(Text(record), "42");
  }
}

TEST(ReadDigits, RefusesMoreThanFiveHundredSignificantDigits) {
  TBigNumber record = Record("42");
  EXPECT_TRUE(ReadDigits(std::string(500, '7'), record));
  EXPECT_EQ(record.Len, 500);
  EXPECT_TRUE(ReadDigits("000" + std::string(500, '8'), record));
  EXPECT_EQ(Text(record), std::string(500, '8'));

  record = Record("42");
  EXPECT_FALSE(ReadDigits(std::string(501, '7'), record));
  EXPECT_FALSE(ReadDigits(std::string(100000, '1'), record));
  EXPECT_EQ(Text(record), "42");
}

TEST(ReadDigits, ChecksCharactersBeforeLength) {
  TBigNumber record;
  EXPECT_THROW(ReadDigits(std::string(600, '1') + "x", record), ConversionError);
}

TEST(DigitString, WritesDigitsOneToLen) {
  EXPECT_EQ(DigitString(TBigNumber{}), "");
  EXPECT_EQ(DigitString(RecordOver("12", "1299")), "12");
  EXPECT_EQ(DigitString(TooLargeNumber()), "");
  TBigNumber odd = Record("11");
  odd.Digits[2] = -1;
  EXPECT_EQ(DigitString(odd), "1-1");
}

TEST(WithPoint, PlacesThePointBeforeTheLastDecimals) {
  const struct {
    const char* digits;
    int decimals;
    const char* text;
  } cases[] = {
      {"40000000000", 10, "4.0000000000"},
      {"3162277660", 10, ".3162277660"},
      {"316227766", 10, "316227766"},
      {"1414", 3, "1.414"},
      {"0", 3, "0"},
      {"000", 3, ".000"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(WithPoint(RecordOver(c.digits, ""), c.decimals), c.text) << c.digits;
  EXPECT_EQ(WithPoint(TooLargeNumber(), 3), "");
}

TEST(InGroupsOfThree, GroupsFromTheEndAndBreaksLines) {
  const struct {
    std::string digits;
    int perLine;
    std::string grouped;
  } cases[] = {
      {"", 10, ""},
      {"12", 10, "12"},
      {"123", 10, "123"},
      {"1234", 10, "1 234"},
      {"1234567", 2, "1\n234 567"},
      {"123456", 2, "123 456"},
      {"1234567890123", 2, "1\n234 567\n890 123"},
      {std::string(31, '9'), 10, "9\n999 999 999 999 999 999 999 999 999 999"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(InGroupsOfThree(c.digits, c.perLine), c.grouped) << c.digits;
}

}  // namespace
