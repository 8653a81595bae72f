// SPDX-License-Identifier: GPL-3.0-or-later
// Builders for records in tests: the digits exactly as written, leading zeros
// included, the way a field's text used to be read.
#pragma once

#include <string>
#include <string_view>

#include "BigNumber.h"
#include "NumberText.h"

inline TBigNumber Record(std::string_view digits) {
  TBigNumber x;
  for (std::size_t i = 0; i < digits.size(); ++i)
    x.Digits[i + 1] = digits[i] - '0';
  x.Len = static_cast<std::int32_t>(digits.size());
  return x;
}

// A record holding `digits` whose positions after Len still hold `stale`.
inline TBigNumber RecordOver(std::string_view digits, std::string_view stale) {
  TBigNumber x = Record(stale);
  const TBigNumber value = Record(digits);
  for (std::int32_t i = 1; i <= value.Len; ++i)
    x.Digits[i] = value.Digits[i];
  x.Len = value.Len;
  return x;
}

inline std::string Text(const TBigNumber& x) {
  return DigitString(x);
}
