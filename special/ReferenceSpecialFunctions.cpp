// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReferenceSpecialFunctions.h"
#include "WideNumber.h"

bool PrimeFactors(const TBigNumber& a, TBigNumber& remainder,
                  const std::function<void(const TBigNumber&)>& appendFactor, int* passes) {
  if (passes) *passes = 0;
  if (IsTooLarge(a) || a.Len > LongestFactorArgument) return false;
  const TBigNumber one = SmallNumber(1);
  remainder = ZeroNumber(a.Len + 20);
  remainder.Len = 0;
  TBigNumber divisor = one;
  TBigNumber step = one;  // 1 until the divisor 3 has been passed, then 2
  TBigNumber cofactor = a;
  for (;;) {
    if (passes) ++*passes;
    divisor = AddNumbers(divisor, step);
    const TBigNumber quotient = DivideNumbers(cofactor, divisor, remainder);
    const TBigNumber previous = cofactor;
    if (remainder.Digits[1] == 0 && remainder.Len < 2) {
      cofactor = quotient;
      appendFactor(divisor);
      divisor = SubtractNumbers(divisor, step);  // try the same divisor again
      if (EqualNumbers(cofactor, one)) return true;
    }
    if (divisor.Digits[1] == 3) step.Digits[1] = 2;
    if (!IsGreater(cofactor, divisor) || EqualNumbers(quotient, one)) {
      appendFactor(previous);
      return true;
    }
  }
}

TBigNumber NthRootStep(const TBigNumber& m, const TBigNumber& r, std::int32_t n) {
  return wide::ToRecord(wide::RootStep(wide::FromRecord(m), wide::FromRecord(r), n));
}
