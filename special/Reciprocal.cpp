#include "SpecialFunctions.h"

TBigNumber Reciprocal(const TBigNumber& x, TBigNumber& remainder) {
  const std::int32_t l = x.Len;
  if (IsTooLarge(x) || l + 25 > MaxDigits) return TooLargeNumber();
  // The smallest power of ten that is not smaller than x, grown digit by
  // digit; never longer than L + 1 digits.
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
