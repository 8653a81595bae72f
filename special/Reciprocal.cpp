// SPDX-License-Identifier: GPL-3.0-or-later
#include "SpecialFunctions.h"

#include <algorithm>

#include "NumberText.h"
#include "WideNumber.h"

namespace {

// The steps on records, for an x with leading zeros: the power of ten grows
// digit by digit until the comparison (by length first) finds it not below x.
TBigNumber ReciprocalByRecords(const TBigNumber& x, TBigNumber& remainder) {
  const std::int32_t l = x.Len;
  if (l + 25 > MaxDigits) return TooLargeNumber();
  TBigNumber power = SmallNumber(1);
  if (EqualNumbers(x, power)) return power;
  while (!IsGreater(power, x) && !EqualNumbers(power, x)) {
    power.Digits[++power.Len] = 0;
    if (power.Len > l) break;
  }
  TBigNumber dividend = ZeroNumber(l + 25);
  dividend.Digits[1] = 1;
  TBigNumber digits = DivideNumbers(dividend, x, remainder);
  digits.Scale = power.Len;
  return digits;
}

bool IsPowerOfTen(const TBigNumber& x) {
  if (x.Digits[1] != 1) return false;
  for (std::int32_t i = 2; i <= x.Len; ++i) {
    if (x.Digits[i] != 0) return false;
  }
  return true;
}

}  // namespace

TBigNumber Reciprocal(const TBigNumber& x, TBigNumber& remainder) {
  if (IsTooLarge(x)) return x;
  if (!IsWellFormed(x) || IsZeroValue(x)) return ReciprocalByRecords(x, remainder);
  if (x.Len == 1 && x.Digits[1] == 1) return x;
  wide::Number rest;
  TBigNumber digits =
      wide::ToRecord(wide::Divide(wide::PowerOfTen(x.Len + 24), wide::FromRecord(x), &rest));
  remainder = wide::ToRecord(rest);
  digits.Scale = IsPowerOfTen(x) ? x.Len : x.Len + 1;
  return digits;
}

std::string ReciprocalText(const TBigNumber& digits) {
  return "0." + std::string(static_cast<std::size_t>(std::max(digits.Scale - 2, 0)), '0') +
         DigitString(digits);
}
