#include <algorithm>

#include "NumberText.h"
#include "SpecialFunctions.h"

namespace {

void Count(int* counter) {
  if (counter) ++*counter;
}

void Reset(int* counter) {
  if (counter) *counter = 0;
}

// a * 10^zeros: the argument with `zeros` zero digits appended.
TBigNumber Scaled(const TBigNumber& a, std::int32_t zeros) {
  TBigNumber scaled = a;
  std::fill_n(scaled.Digits.begin() + a.Len + 1, zeros, std::int8_t{0});
  scaled.Len = a.Len + zeros;
  return scaled;
}

// r^e while it does not exceed `limit`; a too-large record once it would.
TBigNumber PowerNotAbove(const TBigNumber& r, std::int32_t e, const TBigNumber& limit) {
  // r^e >= 10^((r.Len-1) e), which is longer than limit once (r.Len-1) e >= limit.Len.
  if (std::int64_t{r.Len - 1} * e >= limit.Len) return TooLargeNumber();
  TBigNumber power = SmallNumber(1);
  for (std::int32_t i = 0; i < e; ++i) {
    power = MultiplyNumbers(power, r);
    if (IsTooLarge(power) || IsGreater(power, limit)) return TooLargeNumber();
  }
  return power;
}

}  // namespace

TBigNumber SquareRoot(const TBigNumber& a, int* passes) {
  Reset(passes);
  if (IsTooLarge(a) || a.Len > LongestSquareRootArgument) return TooLargeNumber();
  const TBigNumber n = Scaled(a, 20);
  const std::int32_t l = n.Len;
  const TBigNumber one = SmallNumber(1);
  // The step starts one digit shorter than n and shrinks tenfold, down to 1,
  // each time the candidate has stepped below the root.
  TBigNumber step = ZeroNumber(2 * l + 5);
  step.Digits[1] = 1;
  step.Len = l - 1;
  TBigNumber x = n;
  for (;;) {
    Count(passes);
    x = SubtractNumbers(x, step);
    std::fill(x.Digits.begin() + x.Len + 1, x.Digits.begin() + 3 * l + 1, std::int8_t{0});
    const TBigNumber square = MultiplyNumbers(x, x);
    const TBigNumber upper = MultiplyNumbers(AddNumbers(x, one), AddNumbers(x, one));
    const TBigNumber lower = MultiplyNumbers(SubtractNumbers(x, one), SubtractNumbers(x, one));
    if (IsGreater(upper, n) && IsGreater(n, lower)) return x;
    if ((IsGreater(n, square) && step.Len > 1) || IsGreater(step, x)) {
      x = AddNumbers(x, step);
      step.Len = std::max(step.Len - 1, 1);
    }
  }
}

TBigNumber NthRootStep(const TBigNumber& m, const TBigNumber& r, std::int32_t n) {
  const TBigNumber power = PowerNotAbove(r, n - 1, m);
  TBigNumber unused;
  const TBigNumber quotient = IsTooLarge(power) ? SmallNumber(0) : DivideNumbers(m, power, unused);
  const auto degree = static_cast<std::uint32_t>(n);
  return DivideBySmall(AddNumbers(MultiplyBySmall(r, degree - 1), quotient), degree);
}

TBigNumber NthRoot(const TBigNumber& a, std::int32_t n, int* steps) {
  Reset(steps);
  if (n <= 1) throw ConversionError("-");
  if (IsTooLarge(a) || std::int64_t{a.Len} + 3 * std::int64_t{n} + 10 > MaxDigits) {
    return TooLargeNumber();
  }
  const TBigNumber m = Scaled(a, 3 * n);
  if (IsZeroValue(m)) return SmallNumber(0);
  const TBigNumber one = SmallNumber(1);
  TBigNumber r = DivideBySmall(m, static_cast<std::uint32_t>(n));
  for (;;) {
    Count(steps);
    const TBigNumber s = NthRootStep(m, r, n);
    const bool settled = EqualNumbers(s, r) || EqualNumbers(s, AddNumbers(r, one)) ||
                         EqualNumbers(s, SubtractNumbers(r, one));
    r = s;
    if (settled) return r;
  }
}
