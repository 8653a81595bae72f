// SPDX-License-Identifier: GPL-3.0-or-later
// The rules of a press of the run button, apart from the window: from the
// mode's row and the two operand fields' texts, what the press makes of the
// window's records, what each line and caption shows, and which error box,
// if any, it raises. The window reads its fields, calls Press, applies the
// effects and raises the box.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "BigNumber.h"
#include "Modes.h"

// The window's number records: operands 1 and 2, the answer and the
// remainder; the others are only cleared.
using Records = std::array<TBigNumber, 7>;
inline constexpr int kAnswer = 3;
inline constexpr int kRemainder = 6;

// What a press does to one of the window's four lines (a prompt above a
// field). A press never hides a line.
struct LineEffect {
  std::optional<std::string> caption;  // the prompt's new caption
  std::optional<std::string> text;     // the field's new text, shown from its start
  bool shown = false;                  // prompt and field made visible
};

struct PressEffects {
  std::array<LineEffect, 4> lines;
  // The conversion error that ended the press: the box's text, and the
  // field at fault (1 or 2; 0 for none).
  std::optional<std::string> error;
  int errorField = 0;
  // The prime-factor search of operand 1 is to start; its answer goes to
  // the second line.
  bool searchesFactors = false;

  LineEffect& Line(int line) { return lines[static_cast<std::size_t>(line - 1)]; }
  const LineEffect& Line(int line) const { return lines[static_cast<std::size_t>(line - 1)]; }
};

// One press in `mode` with the texts of the first and second fields (UTF-8).
// The records keep what earlier presses left; the press updates them.
PressEffects Press(const Mode& mode, std::string_view text1, std::string_view text2,
                   Records& numbers);
