// SPDX-License-Identifier: GPL-3.0-or-later
#include "NumberText.h"
#include "SpecialFunctions.h"
#include "WideNumber.h"

namespace {

bool Overflows(const wide::Number& x) {
  return wide::DecimalLength(x) > MaxDigits;
}

}  // namespace

TBigNumber PowerOf(const TBigNumber& x, std::int32_t n, int* multiplications) {
  if (multiplications) *multiplications = 0;
  if (IsTooLarge(x)) return x;
  if (x.Len == 1 && (x.Digits[1] == 0 || x.Digits[1] == 1)) return x;
  if (n <= 0) return SmallNumber(1);
  // x^n >= 10^(n (L-1)), more than MaxDigits digits once n (L-1) >= MaxDigits;
  // smaller bases run out of room within a few thousand multiplications.
  if (std::int64_t{n} * (x.Len - 1) >= MaxDigits) return TooLargeNumber();
  if (!IsWellFormed(x)) {
    // The first multiplication's zero test sees the leading zero.
    if (multiplications) *multiplications = n;
    return MultiplyNumbers(SmallNumber(1), x);
  }
  const wide::Number base = wide::FromRecord(x);
  wide::Number power = wide::FromSmall(1);
  for (std::int32_t i = 0; i < n; ++i) {
    power = wide::Multiply(power, base);
    if (multiplications) ++*multiplications;
    if (Overflows(power)) return TooLargeNumber();
  }
  return wide::ToRecord(power);
}

TBigNumber Factorial(std::string_view text, int* multiplications) {
  if (multiplications) *multiplications = 0;
  const std::int32_t n = TextToInteger(text);
  if (n <= 1) return SmallNumber(1);
  wide::Number product = wide::FromSmall(1);
  for (std::int32_t factor = 1; factor <= n; ++factor) {
    product = wide::MultiplySmall(product, static_cast<std::uint32_t>(factor));
    if (multiplications) ++*multiplications;
    if (Overflows(product)) return TooLargeNumber();
  }
  return wide::ToRecord(product);
}
