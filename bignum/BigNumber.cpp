// SPDX-License-Identifier: GPL-3.0-or-later
#include "BigNumber.h"

#include <algorithm>

#include "RecordSteps.h"
#include "ReferenceArithmetic.h"
#include "WideNumber.h"

namespace {

using record_steps::AlignTo;
using record_steps::SingleDigit;

// Digit-by-digit results of one addition or subtraction, positions 0..n.
using DigitRow = std::array<std::int8_t, MaxDigits + 1>;

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

TBigNumber SmallNumber(std::uint64_t value) {
  TBigNumber x;
  std::array<std::int8_t, 20> reversed{};
  do {
    reversed[x.Len++] = static_cast<std::int8_t>(value % 10);
    value /= 10;
  } while (value != 0);
  for (std::int32_t i = 1; i <= x.Len; ++i)
    x.Digits[i] = reversed[x.Len - i];
  return x;
}

bool IsZeroValue(const TBigNumber& x) {
  const std::int32_t n = std::clamp(x.Len, 0, MaxDigits);
  return std::all_of(x.Digits.begin() + 1, x.Digits.begin() + 1 + n,
                     [](std::int8_t digit) { return digit == 0; });
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

bool HasPlainDigits(const TBigNumber& x) {
  if (x.Len < 1 || x.Len > MaxDigits) return false;
  return std::all_of(x.Digits.begin() + 1, x.Digits.begin() + 1 + x.Len,
                     [](std::int8_t digit) { return digit >= 0 && digit <= 9; });
}

bool IsWellFormed(const TBigNumber& x) {
  return HasPlainDigits(x) && (x.Len == 1 || x.Digits[1] != 0);
}

// Factors with plain digits multiply by value in base 10^9; the first-digit
// zero test still comes first. Records with Len 0 take the step-by-step way.
TBigNumber MultiplyNumbers(const TBigNumber& a, const TBigNumber& b) {
  if (IsTooLarge(a) || IsTooLarge(b)) return TooLargeNumber();
  if (!HasPlainDigits(a) || !HasPlainDigits(b)) return ReferenceMultiplyNumbers(a, b);
  if (a.Digits[1] == 0 || b.Digits[1] == 0) return SingleDigit(0);
  return wide::ToRecord(wide::Multiply(wide::FromRecord(a), wide::FromRecord(b)));
}

// Well-formed operands divide by value in base 10^9; everything else (leading
// zeros, Len 0, a zero divisor) takes the step-by-step way, whose answers
// for well-formed operands are the same.
TBigNumber DivideNumbers(const TBigNumber& a, const TBigNumber& b, TBigNumber& remainder) {
  if (!IsWellFormed(a) || !IsWellFormed(b) || IsZeroValue(b)) {
    return ReferenceDivideNumbers(a, b, remainder);
  }
  wide::Number rest;
  const TBigNumber quotient =
      wide::ToRecord(wide::Divide(wide::FromRecord(a), wide::FromRecord(b), &rest));
  remainder = wide::ToRecord(rest);
  return quotient;
}
