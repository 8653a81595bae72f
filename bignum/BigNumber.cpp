#include "BigNumber.h"

#include <algorithm>

namespace {

// Digit-by-digit results of one addition or subtraction, positions 0..n.
using DigitRow = std::array<std::int8_t, MaxDigits + 1>;

TBigNumber SingleDigit(std::int8_t digit) {
  TBigNumber x;
  x.Digits[1] = digit;
  x.Len = 1;
  return x;
}

// Rebuilds s as an n-digit number: its digits right-aligned under an operand
// of n digits, with zeros to their left.
void AlignTo(TBigNumber& s, std::int32_t n) {
  if (s.Len >= n) return;
  const std::int32_t shift = n - s.Len;
  for (std::int32_t k = n; k > shift; --k)
    s.Digits[k] = s.Digits[k - shift];
  for (std::int32_t k = 1; k <= shift; ++k)
    s.Digits[k] = 0;
  s.Len = n;
}

// Copies row[first..last] into Digits[1..] of a fresh record.
TBigNumber FromRow(const DigitRow& row, std::int32_t first, std::int32_t last) {
  TBigNumber result;
  std::copy(row.begin() + first, row.begin() + last + 1, result.Digits.begin() + 1);
  result.Len = last - first + 1;
  return result;
}

// Position of the first non-zero entry of row[from..last], or last + 1.
std::int32_t FirstNonZero(const DigitRow& row, std::int32_t from, std::int32_t last) {
  while (from <= last && row[from] == 0)
    ++from;
  return from;
}

}  // namespace

TBigNumber TooLargeNumber() {
  TBigNumber x;
  x.Len = TooLargeLen;
  return x;
}

void ClearNumber(TBigNumber& x) {
  x.Digits.fill(0);
  x.Flag = 1;
  x.Scale = 0;
}

TBigNumber ZeroNumber(std::int32_t n) {
  if (n < 0 || n > MaxDigits) return TooLargeNumber();
  TBigNumber x;
  x.Len = n;
  return x;
}

bool IsGreater(const TBigNumber& a, const TBigNumber& b) {
  if (a.Len != b.Len) return a.Len > b.Len;
  const std::int32_t n = std::clamp(a.Len, 0, MaxDigits);
  for (std::int32_t i = 1; i <= n; ++i) {
    if (a.Digits[i] != b.Digits[i]) return a.Digits[i] > b.Digits[i];
  }
  return false;
}

bool EqualNumbers(const TBigNumber& a, const TBigNumber& b) {
  if (a.Len != b.Len) return false;
  const std::int32_t n = std::clamp(a.Len, 0, MaxDigits);
  return std::equal(a.Digits.begin() + 1, a.Digits.begin() + 1 + n, b.Digits.begin() + 1);
}

// Schoolbook addition: each carry is pushed into the working copy of the
// longer operand one place up, where the next step picks it up; the carry out
// of the top digit lands in Digits[0].
TBigNumber AddNumbers(const TBigNumber& a, const TBigNumber& b) {
  if (IsTooLarge(a) || IsTooLarge(b)) return TooLargeNumber();
  if (a.Len == 1 && b.Len == 1 && a.Digits[1] == 0 && b.Digits[1] == 0) return SingleDigit(0);
  TBigNumber longer = a.Len >= b.Len ? a : b;
  TBigNumber shorter = a.Len >= b.Len ? b : a;
  const std::int32_t n = longer.Len;
  AlignTo(shorter, n);

  DigitRow sum{};
  for (std::int32_t k = n; k >= 1; --k) {
    if (longer.Digits[k] + shorter.Digits[k] >= 10) {
      longer.Digits[k] -= 10;
      longer.Digits[k - 1] += 1;
    }
    sum[k] = longer.Digits[k] + shorter.Digits[k];
  }
  sum[0] = longer.Digits[0];

  const std::int32_t first = FirstNonZero(sum, 0, n);
  if (first > n) return TBigNumber{};
  if (n - first + 1 > MaxDigits) return TooLargeNumber();
  return FromRow(sum, first, n);
}

// Schoolbook subtraction: each borrow is taken from the working copy of the
// minuend one place up, so a position lowered to -1 borrows again in its own
// step. The borrow out of the top digit is dropped.
TBigNumber SubtractNumbers(const TBigNumber& a, const TBigNumber& b) {
  if (IsTooLarge(a) || IsTooLarge(b)) return TooLargeNumber();
  if (b.Len == 1 && b.Digits[1] == 0) return a;
  if (EqualNumbers(a, b)) return SingleDigit(0);
  if (IsGreater(b, a)) return TBigNumber{};
  TBigNumber minuend = a;
  TBigNumber subtrahend = b;
  const std::int32_t n = a.Len;
  AlignTo(subtrahend, n);

  DigitRow difference{};
  for (std::int32_t k = n; k >= 1; --k) {
    if (subtrahend.Digits[k] > minuend.Digits[k]) {
      minuend.Digits[k] += 10;
      minuend.Digits[k - 1] -= 1;
    }
    difference[k] = minuend.Digits[k] - subtrahend.Digits[k];
  }

  const std::int32_t first = FirstNonZero(difference, 1, n);
  if (first > n) return TBigNumber{};
  return FromRow(difference, first, n);
}
