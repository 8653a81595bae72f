#include "NumberText.h"
#include "SpecialFunctions.h"

TBigNumber PowerOf(const TBigNumber& x, std::int32_t n, int* multiplications) {
  if (multiplications) *multiplications = 0;
  if (IsTooLarge(x)) return x;
  if (x.Len == 1 && (x.Digits[1] == 0 || x.Digits[1] == 1)) return x;
  // x^n >= 10^(n (L-1)), more than MaxDigits digits once n (L-1) >= MaxDigits;
  // smaller bases run out of room within a few thousand multiplications.
  if (std::int64_t{n} * (x.Len - 1) >= MaxDigits) return TooLargeNumber();
  TBigNumber power = SmallNumber(1);
  for (std::int32_t i = 0; i < n; ++i) {
    power = MultiplyNumbers(power, x);
    if (multiplications) ++*multiplications;
    if (IsTooLarge(power)) return power;
  }
  return power;
}

TBigNumber Factorial(std::string_view text, int* multiplications) {
  if (multiplications) *multiplications = 0;
  const std::int32_t n = TextToInteger(text);
  const TBigNumber one = SmallNumber(1);
  if (n <= 1) return one;
  TBigNumber product = one;
  TBigNumber factor = one;
  for (std::int32_t i = 0; i < n; ++i) {
    product = MultiplyNumbers(product, factor);
    if (multiplications) ++*multiplications;
    if (IsTooLarge(product)) return product;
    factor = AddNumbers(factor, one);
  }
  return product;
}
