// SPDX-License-Identifier: GPL-3.0-or-later
// The rules of a press without a window: each row a mode, the two fields'
// texts, and what the answer's line and caption then show.
#include "Press.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "NumberText.h"

namespace {

struct Row {
  const char* name;
  Operation operation;
  std::string first;
  std::string second;
  int line;             // the answer's line
  std::string answer;   // its text
  const char* caption;  // the caption the press gives it; nullptr: the mode's stays
};

// The records as a press finds them after the window starts.
Records Fresh() {
  Records numbers{};
  for (TBigNumber& number : numbers)
    ClearNumber(number);
  return numbers;
}

void ExpectRows(const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Records numbers = Fresh();
    const PressEffects effects = Press(ModeOf(row.operation), row.first, row.second, numbers);
    const LineEffect& line = effects.Line(row.line);
    EXPECT_FALSE(effects.error) << *effects.error;
    EXPECT_EQ(line.text.value_or("(unchanged)"), row.answer);
    EXPECT_EQ(line.caption, row.caption ? std::optional<std::string>(row.caption) : std::nullopt);
    EXPECT_TRUE(line.shown || row.line == 2);
    // A second press shows the same.
    EXPECT_EQ(Press(ModeOf(row.operation), row.first, row.second, numbers).Line(row.line).text,
              line.text);
  }
}

using enum Operation;
const std::string kNines499(499, '9');
const std::string kBig(500, '7');

TEST(Press, ElementaryModes) {
  // clang-format off
  ExpectRows({
    {"carry", Plus, "999", "1", 3, "1000", "answer"},
    {"empty + empty", Plus, "", "", 3, "", "answer"},
    {"empty + 123", Plus, "", "123", 3, "123", "answer"},
    {"007 + 5", Plus, "007", "5", 3, "12", "answer"},
    {"00 + 0", Plus, "00", "0", 3, "0", "answer"},
    {"500 digits + 1", Plus, kNines499, "1", 3, "1" + std::string(499, '0'), "answer"},
    {"12 x 12", Multiply, "12", "12", 3, "144", "answer"},
    {"0 x 123", Multiply, "0", "123", 3, "0", "answer"},
    {"012 x 5", Multiply, "012", "5", 3, "60", "answer"},
    {"empty x 5", Multiply, "", "5", 3, "0", "answer"},
    {"5 x empty", Multiply, "5", "", 3, "0", "answer"},
    {"250 x 250 digits", Multiply, std::string(250, '9'), std::string(250, '9'), 3, std::string(249, '9') + "8" + std::string(249, '0') + "1", "answer"},
    {"300 x 150 digits", Multiply, "1" + std::string(299, '0'), "2" + std::string(149, '0'), 3, "2" + std::string(448, '0'), "answer"},
    {"12 - 5", Minus, "12", "5", 3, "7", "answer"},
    {"5 - 12", Minus, "5", "12", 3, "negative or zero", "answer"},
    {"empty - 5", Minus, "", "5", 3, "negative or zero", "answer"},
    {"5 - empty", Minus, "5", "", 3, "5", "answer"},
    {"05 - 6", Minus, "05", "6", 3, "negative or zero", "answer"},
    {"007 - 5", Minus, "007", "5", 3, "2", "answer"},
    {"000 - 0", Minus, "000", "0", 3, "negative or zero", "answer"},
    {"500 digits - 1", Minus, "1" + std::string(499, '0'), "1", 3, kNines499, "answer"},
    {"leading zeros beyond 500", Minus, std::string(20, '0') + kBig, kBig, 3, "negative or zero", "answer"},
    {"17 / 5", Divide, "17", "5", 3, "3", "answer"},
    {"5 / 17", Divide, "5", "17", 3, "0", "answer"},
    {"1234 / 12", Divide, "1234", "12", 3, "102", "answer"},
    {"divisor 05", Divide, "17", "05", 3, "3", "answer"},
    {"dividend 0", Divide, "0", "7", 3, "0", "answer"},
    {"500 digits / 3", Divide, std::string(500, '9'), "3", 3, std::string(500, '3'), "answer"},
    {"500 / 250 digits", Divide, std::string(500, '9'), "1" + std::string(249, '0'), 3, std::string(251, '9'), "answer"},
    {"remainder of 17 / 5", Divide, "17", "5", 4, "2", "remainder"},
    {"remainder of 5 / 17", Divide, "5", "17", 4, "5", "remainder"},
    {"remainder of 1234 / 12", Divide, "1234", "12", 4, "10", "remainder"},
    {"remainder of 500 / 250 digits", Divide, std::string(500, '9'), "1" + std::string(249, '0'), 4, std::string(249, '9'), "remainder"},
  });
  // clang-format on
}

TEST(Press, SpecialModes) {
  // clang-format off
  ExpectRows({
    {"sqrt 16", SquareRoot, "16", "", 2, "4.0000000000", nullptr},
    {"sqrt 0", SquareRoot, "0", "", 2, "0", nullptr},
    {"sqrt 00", SquareRoot, "00", "", 2, "0", nullptr},
    {"sqrt empty", SquareRoot, "", "", 2, "", nullptr},
    {"sqrt 499 digits", SquareRoot, "1" + std::string(498, '0'), "", 2, "1" + std::string(249, '0') + ".0000000000", nullptr},
    {"root 3 of 27", NthRoot, "27", "3", 3, "3.000", "The root"},
    {"root 3 of 2", NthRoot, "2", "3", 3, "1.259", "The root"},
    {"root 7 of 5", NthRoot, "5", "7", 3, "1.258", "The root"},
    {"root 2 of 0", NthRoot, "0", "2", 3, "0", "The root"},
    {"root 5 of 000", NthRoot, "000", "5", 3, "0", "The root"},
    {"root of empty", NthRoot, "", "3", 3, "", "The root"},
    {"root, empty degree", NthRoot, "16", "", 3, "4.000", "The root"},
    {"root 599 of 1", NthRoot, "1", "599", 3, "1.000", "The root"},
    {"root 600 of 1", NthRoot, "1", "600", 3, "too large", "The root"},
    {"1/0", Reciprocal, "0", "", 2, "you tell me", nullptr},
    {"1/00", Reciprocal, "00", "", 2, "you tell me", nullptr},
    {"1/1", Reciprocal, "1", "", 2, "1", nullptr},
    {"1/4", Reciprocal, "4", "", 2, "0.2500000000000000000000000", nullptr},
    {"1/empty", Reciprocal, "", "", 2, "", nullptr},
    {"7^0", Power, "7", "0", 3, "1", "answer"},
    {"0^0", Power, "0", "0", 3, "0", "answer"},
    {"2^-3", Power, "2", "-3", 3, "not a whole number", "answer"},
    {"1^-3", Power, "1", "-3", 3, "1", "answer"},
    {"0^-3", Power, "0", "-3", 3, "you tell me", "answer"},
    {"2^$A", Power, "2", "$A", 3, "1024", "answer"},
    {"2^2000000000", Power, "2", "2000000000", 3, "too large", "answer"},
    {"0!", Factorial, "0", "", 2, "1", nullptr},
    {"empty!", Factorial, "", "", 2, "", nullptr},
    {"254!", Factorial, "254", "", 2, "too large", nullptr},
    {"factors of 1", PrimeFactors, "1", "", 2, "1", "answer"},
    {"factors of 01", PrimeFactors, "01", "", 2, "1", "answer"},
    {"factors of 2", PrimeFactors, "2", "", 2, "2", "answer"},
    {"factors of 3", PrimeFactors, "3", "", 2, "3", "answer"},
    {"factors of 0", PrimeFactors, "0", "", 2, "0", "answer"},
  });
  // clang-format on
}

// Only numbers from 4 on go to the search, which the window's job runs.
TEST(Press, PrimeFactorsOfFourAndMoreStartTheSearch) {
  for (const auto& [first, searches] : std::vector<std::pair<std::string, bool>>{
           {"3", false}, {"4", true}, {"12", true}, {"", false}}) {
    Records numbers = Fresh();
    const PressEffects effects = Press(ModeOf(PrimeFactors), first, "", numbers);
    EXPECT_EQ(effects.searchesFactors, searches) << first;
    if (searches) {
      EXPECT_EQ(effects.Line(2).text, "") << first;
    }
  }
}

// The text of the box and the field it leads back to.
TEST(Press, ConversionErrorsNameTheTextAndTheField) {
  const struct {
    const char* name;
    Operation operation;
    std::string first, second, message;
    int field;
  } rows[] = {
      {"letter", Plus, "1a2", "3", "'a' is not a valid integer value.", 1},
      {"leading blank", Plus, " 12", "3", "' ' is not a valid integer value.", 1},
      {"sign in second", Plus, "12", "-3", "'-' is not a valid integer value.", 2},
      {"point", Plus, "1.5", "3", "'.' is not a valid integer value.", 1},
      {"first non-digit of many", Plus, "12x" + std::string(600, '1') + "y", "3",
       "'x' is not a valid integer value.", 1},
      {"exponent", Power, "2", "1.5", "'1.5' is not a valid integer value.", 2},
      {"exponent, trailing blank", Power, "2", "3 ", "'3 ' is not a valid integer value.", 2},
      {"n! past 32 bits", Factorial, "3000000000", "", "'3000000000' is not a valid integer value.",
       1},
      {"degree 1", NthRoot, "27", "1", "'-' is not a valid integer value.", 2},
      {"degree too long", NthRoot, "27", "99999999999",
       "'99999999999' is not a valid integer value.", 2},
      {"sqrt, non-digit", SquareRoot, "4x", "", "'x' is not a valid integer value.", 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Records numbers = Fresh();
    const PressEffects effects = Press(ModeOf(row.operation), row.first, row.second, numbers);
    EXPECT_EQ(effects.error.value_or(""), row.message);
    EXPECT_EQ(effects.errorField, row.field);
    EXPECT_EQ(effects.Line(3).text.value_or("(unchanged)"), "");
  }
}

// "too large" leaves the answer and the refused field's record as they were.
TEST(Press, TooLargeKeepsTheRecords) {
  const struct {
    const char* name;
    Operation operation;
    std::string first, second;
    int refused;  // the record of the refused field, 0 for none
  } rows[] = {
      {"first field of 501 digits", Plus, std::string(501, '1'), "1", 1},
      {"second field of 501 digits", Minus, "1", std::string(501, '1'), 2},
      {"sum of 501 digits", Plus, std::string(500, '9'), "1", 0},
      {"product of 501 digits", Multiply, std::string(300, '9'), std::string(201, '9'), 0},
      {"dividend of 501 digits", Divide, std::string(501, '9'), "3", 1},
      {"huge paste", Plus, std::string(20000, '3'), "1", 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Records numbers = Fresh();
    Press(ModeOf(row.operation), "40", "2", numbers);
    const Records before = numbers;
    const PressEffects effects = Press(ModeOf(row.operation), row.first, row.second, numbers);
    EXPECT_EQ(effects.Line(3).text, "too large");
    EXPECT_EQ(effects.Line(3).caption, "answer");
    for (const int i : {row.refused, kAnswer}) {
      EXPECT_EQ(DigitString(numbers[i]), DigitString(before[i]));
      EXPECT_EQ(numbers[i].Len, before[i].Len);
    }
  }
}

}  // namespace
