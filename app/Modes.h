// SPDX-License-Identifier: GPL-3.0-or-later
// The calculator's modes, one row each. A mode command sets the window up
// from its row; a press of the run button finds the row whose word equals
// the button's caption, so that the caption stays the one record of the
// mode. Adding an operation takes one row here, one mode command, one menu
// line and one branch of the press (Press.cpp).
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

enum class Operation {
  Plus,
  Minus,
  Multiply,
  Divide,
  SquareRoot,
  PrimeFactors,
  NthRoot,
  Reciprocal,
  Power,
  Factorial
};

// How a press reads the second field before the operation's branch.
enum class SecondOperand {
  Field,        // the second field, as a record
  Placeholder,  // the fixed text "1234", whatever the field shows
  NotRead       // the branch reads the field itself, if at all
};

struct Mode {
  Operation operation;
  const char* word;    // the run button's caption, compared exactly
  const char* name;    // the operation in the words of its menu item
  const char* label1;  // the first prompt
  const char* label2;  // the second prompt; nullptr keeps Label2's caption
  bool showsLine2;
  const char* edit2Text;  // what the second field gets ("" empties it)
  SecondOperand second;
  int answerLine;               // 2 or 3: the line that shows the answer
  const char* tooLargeCaption;  // the answer line's caption with "too large"; nullptr keeps it
  bool showsBusy;               // the run button reads "busy" while the press works
};

inline constexpr const char* kPlaceholderOperand = "1234";

// clang-format off
inline constexpr std::array<Mode, 10> kModes{{
  {Operation::Plus, "EXE", "plus", "This number plus", "this number", true, "", SecondOperand::Field, 3, "answer", false},
  {Operation::Minus, "exe", "minus", "This number minus", "this number", true, "", SecondOperand::Field, 3, "answer", false},
  {Operation::Multiply, "go", "multiply", "This number multiplied", "with this number", true, "", SecondOperand::Field, 3, "answer", false},
  {Operation::Divide, "ok", "divide", "enter number to divide", "enter divider", true, "", SecondOperand::Field, 3, "answer", false},
  {Operation::SquareRoot, "calc", "sqroot", "The square root of this number", "is this number or nearly this number", false, "", SecondOperand::Placeholder, 2, nullptr, true},
  {Operation::PrimeFactors, "run", "prime factors", "number to determine factors", nullptr, false, kPlaceholderOperand, SecondOperand::Placeholder, 2, "answer", false},
  {Operation::NthRoot, "RUN", "nth root of number", "The nth root of this number", "enter what root degree", true, "", SecondOperand::Field, 3, "The root", true},
  {Operation::Reciprocal, "RUNN", "1/x", "1 divided by this number", "answer", true, "", SecondOperand::NotRead, 2, nullptr, false},
  {Operation::Power, "runn", "x to the power of n", "this number to the power ", "of this number", true, "", SecondOperand::NotRead, 3, "answer", false},
  {Operation::Factorial, "do it", "n!", "1 x 2 x 3 x ... x n  enter n  ", "answer", true, "", SecondOperand::NotRead, 2, nullptr, false},
}};
// clang-format on

constexpr bool RowsFollowOperations() {
  for (std::size_t i = 0; i < kModes.size(); ++i) {
    if (static_cast<std::size_t>(kModes[i].operation) != i) return false;
  }
  return true;
}
static_assert(RowsFollowOperations(), "kModes lists the operations in their order");

constexpr const Mode& ModeOf(Operation operation) {
  return kModes[static_cast<std::size_t>(operation)];
}

// The mode whose word is `caption`, or nullptr when none is (as while the
// button reads "busy").
inline const Mode* FindMode(std::string_view caption) {
  for (const Mode& mode : kModes) {
    if (caption == mode.word) return &mode;
  }
  return nullptr;
}
