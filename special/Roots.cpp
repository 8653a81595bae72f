// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>

#include "NumberText.h"
#include "SpecialFunctions.h"
#include "WideNumber.h"

namespace {

void Count(int* counter, int amount = 1) {
  if (counter) *counter += amount;
}

void Reset(int* counter) {
  if (counter) *counter = 0;
}

using Digits = std::array<std::int8_t, wide::MaxDigits>;

// The decimal digits of x, least significant first, zero beyond its length.
Digits DigitsOf(const wide::Number& x) {
  Digits digits{};
  wide::LittleEndianDigits(x, digits);
  return digits;
}

// The number of low digits, from the units digit up, that equal `digit`.
int RunFromUnits(const Digits& digits, std::int8_t digit, int length) {
  int run = 0;
  while (run < length && digits[run] == digit)
    ++run;
  return run;
}

// The search of SquareRootBySearch, decided level by level without squaring
// a candidate. With N the scaled value, s = floor(sqrt N) and c = ceil(sqrt N),
// a candidate x is found exactly when s <= x <= c, and a level with step
// Q = 10^k descends from x0 = c + d in steps of Q until it reaches c or
// below (found, or one step back and a ten times smaller step), or falls
// below Q (one step back). Everything a level needs follows from the digits
// of d below k, which every level keeps, and a small count above them.
TBigNumber SquareRootByLevels(const TBigNumber& a, int* passes) {
  const int length = a.Len + 20;  // the length L of N
  const wide::Number n = wide::Multiply(wide::FromRecord(a), wide::PowerOfTen(20));
  const wide::Number floor = wide::SquareRootFloor(n);
  const bool square = wide::Compare(wide::Multiply(floor, floor), n) == 0;
  const wide::Number ceiling = square ? floor : wide::Add(floor, wide::FromSmall(1));
  const int ceilingLength = wide::DecimalLength(ceiling);

  // d0 = N - c, and 10^L - c, whose low k digits are 10^k - c for k >= len(c).
  const Digits d = DigitsOf(wide::Subtract(n, ceiling));
  const Digits room = DigitsOf(wide::Subtract(wide::PowerOfTen(length), ceiling));
  const int zeros = RunFromUnits(d, 0, length);
  const int nines = RunFromUnits(d, 9, length);
  // highestDifference[k]: the highest position below k where d and room differ.
  std::array<int, wide::MaxDigits + 1> highestDifference;
  highestDifference[0] = -1;
  for (int k = 0; k < length; ++k) {
    highestDifference[k + 1] = d[k] != room[k] ? k : highestDifference[k];
  }
  // True when d mod 10^k < 10^k - c, that is c + (d mod 10^k) < 10^k.
  const auto fallsBelowStep = [&](int k) {
    if (k < ceilingLength) return false;
    const int p = highestDifference[k];
    return p >= 0 && d[p] < room[p];
  };

  int above = d[length - 2] + 10 * d[length - 1];  // d div Q at the first level
  for (int k = length - 2;; --k) {
    if (k <= zeros) {  // d is a multiple of Q: the descent lands on c
      Count(passes, above);
      return wide::ToRecord(ceiling);
    }
    if (fallsBelowStep(k)) {  // below Q before reaching c; back one step
      Count(passes, above);
      above = 10 + d[k - 1];
      continue;
    }
    Count(passes, above + 1);
    if (k <= nines && !square) return wide::ToRecord(floor);  // lands on c - 1 = s
    above = d[k - 1];                                         // stepped below s; back one step
  }
}

// |a - b| <= 1.
bool WithinOne(const wide::Number& a, const wide::Number& b) {
  const int order = wide::Compare(a, b);
  if (order == 0) return true;
  const wide::Number& larger = order > 0 ? a : b;
  const wide::Number& smaller = order > 0 ? b : a;
  return wide::Compare(larger, wide::Add(smaller, wide::FromSmall(1))) <= 0;
}

}  // namespace

TBigNumber SquareRootBySearch(const TBigNumber& a, int* passes) {
  Reset(passes);
  if (IsTooLarge(a) || a.Len > LongestSquareRootSearch) return TooLargeNumber();
  TBigNumber n = a;
  std::fill_n(n.Digits.begin() + a.Len + 1, 20, std::int8_t{0});
  n.Len = a.Len + 20;
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

TBigNumber SquareRoot(const TBigNumber& a, int* passes) {
  Reset(passes);
  if (IsTooLarge(a)) return a;
  // Zero and records with Len 0 or leading zeros are ordered by their
  // length, which only the search itself follows.
  if (!IsWellFormed(a) || IsZeroValue(a)) return SquareRootBySearch(a, passes);
  return SquareRootByLevels(a, passes);
}

TBigNumber NthRoot(const TBigNumber& a, std::int32_t n, int* steps) {
  Reset(steps);
  if (n <= 1) throw ConversionError("-");
  if (IsTooLarge(a)) return a;
  if (std::int64_t{a.Len} + 3 * std::int64_t{n} > LongestNthRootScaled) return TooLargeNumber();
  if (!HasPlainDigits(a)) return SmallNumber(0);  // Len 0 counts as zero
  const wide::Number m =
      wide::Multiply(wide::FromRecord(a), wide::PowerOfTen(static_cast<int>(3 * n)));
  if (wide::IsZero(m)) return SmallNumber(0);
  // Inside the range where every power of the textbook steps fits a record
  // the iteration starts from M div n, as the textbook has it; beyond it,
  // from just above the root, which only shortens the descent.
  const wide::Number start = wide::DivideSmall(m, static_cast<std::uint32_t>(n));
  const bool textbookStart =
      std::int64_t{n - 1} * wide::DecimalLength(start) <= LongestRecordFactor;
  wide::Number r = textbookStart ? start : wide::RootOverestimate(m, n);
  for (;;) {
    Count(steps);
    const wide::Number s = wide::RootStep(m, r, n);
    const bool settled = WithinOne(s, r);
    r = s;
    if (settled) return wide::ToRecord(r);
  }
}

TBigNumber RootToThreeDecimals(const TBigNumber& a, std::int32_t n) {
  if (n != 2) return NthRoot(a, n);
  TBigNumber root = SquareRoot(a);
  if (!IsTooLarge(root)) root.Len -= 7;
  return root;
}
