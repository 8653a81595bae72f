// SPDX-License-Identifier: GPL-3.0-or-later
// Small steps on records shared by the elementary operations.
#pragma once

#include "BigNumber.h"

namespace record_steps {

inline TBigNumber SingleDigit(std::int8_t digit) {
  TBigNumber x;
  x.Digits[1] = digit;
  x.Len = 1;
  return x;
}

// Rebuilds s as an n-digit number: its digits right-aligned under an operand
// of n digits, with zeros to their left.
inline void AlignTo(TBigNumber& s, std::int32_t n) {
  if (s.Len >= n) return;
  const std::int32_t shift = n - s.Len;
  for (std::int32_t k = n; k > shift; --k)
    s.Digits[k] = s.Digits[k - shift];
  for (std::int32_t k = 1; k <= shift; ++k)
    s.Digits[k] = 0;
  s.Len = n;
}

}  // namespace record_steps
