#include "BigNumber.h"

#include <algorithm>
#include <cassert>
#include <utility>

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

namespace {

// The true product of two factors of any length up to MaxDigits, summed by
// columns in working storage wide enough for every product; for factors too
// long for the record-based partial products.
TBigNumber WideProduct(const TBigNumber& a, const TBigNumber& b) {
  std::array<std::int32_t, 2 * MaxDigits + 1> column{};  // column[k] has weight 10^k
  for (std::int32_t i = 1; i <= a.Len; ++i) {
    for (std::int32_t j = 1; j <= b.Len; ++j) {
      column[(a.Len - i) + (b.Len - j)] += a.Digits[i] * b.Digits[j];
    }
  }
  std::int32_t top = 0;
  for (std::int32_t k = 0; k < a.Len + b.Len; ++k) {
    column[k + 1] += column[k] / 10;
    column[k] %= 10;
    if (column[k] != 0) top = k;
  }
  if (top >= MaxDigits) return TooLargeNumber();
  TBigNumber product;
  product.Len = top + 1;
  for (std::int32_t k = 0; k <= top; ++k)
    product.Digits[product.Len - k] = column[k];
  return product;
}

// d * factor * 10^shift, most significant digit first, for an L-digit
// factor: built least significant first in a scratch record, each carry
// stored one position up, then reversed. Len 0 when d is 0.
TBigNumber PartialProduct(std::int8_t d, const TBigNumber& factor, std::int32_t shift) {
  const std::int32_t l = factor.Len;
  TBigNumber scratch = ZeroNumber(2 * l + 5);
  for (std::int32_t e = 1; e <= l; ++e) {
    const std::int32_t pos = e + shift;
    scratch.Digits[pos] += d * factor.Digits[l - e + 1];
    if (scratch.Digits[pos] > 9) {
      const std::int8_t carry = scratch.Digits[pos] / 10;
      scratch.Digits[pos + 1] = carry;
      scratch.Digits[pos] -= 10 * carry;
    }
  }
  const std::int32_t top = l + shift;
  scratch.Len = scratch.Digits[top + 1] != 0 ? top + 1 : top;
  while (scratch.Len >= 1 && scratch.Digits[scratch.Len] == 0)
    --scratch.Len;

  TBigNumber partial;
  for (std::int32_t k = 1; k <= scratch.Len; ++k) {
    partial.Digits[k] = scratch.Digits[scratch.Len + 1 - k];
  }
  partial.Len = scratch.Len;
  return partial;
}

// b * 10^(length - b.Len): b followed by zeros up to `length` digits.
TBigNumber ShiftedTo(const TBigNumber& b, std::int32_t length) {
  TBigNumber t = b;
  if (b.Len < length) {
    std::fill(t.Digits.begin() + b.Len + 1, t.Digits.begin() + length + 1, 0);
    t.Len = length;
  }
  return t;
}

}  // namespace

TBigNumber MultiplyBySmall(const TBigNumber& x, std::uint32_t factor) {
  if (IsTooLarge(x)) return x;
  std::array<std::int8_t, MaxDigits + 12> reversed{};  // room for the carry's digits
  std::int32_t length = 0;
  std::uint64_t carry = 0;
  for (std::int32_t k = x.Len; k >= 1; --k) {
    carry += std::uint64_t{factor} * static_cast<std::uint64_t>(x.Digits[k]);
    reversed[length++] = static_cast<std::int8_t>(carry % 10);
    carry /= 10;
  }
  for (; carry != 0; carry /= 10)
    reversed[length++] = static_cast<std::int8_t>(carry % 10);
  while (length > 1 && reversed[length - 1] == 0)
    --length;
  if (length > MaxDigits) return TooLargeNumber();
  if (length == 0) return SingleDigit(0);
  TBigNumber product;
  product.Len = length;
  for (std::int32_t i = 1; i <= length; ++i)
    product.Digits[i] = reversed[length - i];
  return product;
}

TBigNumber DivideBySmall(const TBigNumber& x, std::uint32_t divisor, std::uint32_t* remainder) {
  assert(divisor >= 1);
  if (IsTooLarge(x)) return x;
  TBigNumber quotient;
  std::uint64_t rest = 0;
  for (std::int32_t i = 1; i <= x.Len; ++i) {
    rest = rest * 10 + static_cast<std::uint64_t>(x.Digits[i]);
    const auto digit = static_cast<std::int8_t>(rest / divisor);
    rest %= divisor;
    if (digit != 0 || quotient.Len != 0) quotient.Digits[++quotient.Len] = digit;
  }
  if (remainder) *remainder = static_cast<std::uint32_t>(rest);
  return quotient.Len == 0 ? SingleDigit(0) : quotient;
}

// Schoolbook multiplication: each digit of the longer factor, from the units
// digit up, multiplies the other factor into a partial product shifted by
// its decimal place, and the partial products are summed with AddNumbers.
TBigNumber MultiplyNumbers(const TBigNumber& a, const TBigNumber& b) {
  if (IsTooLarge(a) || IsTooLarge(b)) return TooLargeNumber();
  TBigNumber longer = a;
  TBigNumber other = b;
  longer.Digits[0] = 0;
  other.Digits[0] = 0;
  if (longer.Digits[1] == 0 || other.Digits[1] == 0) return SingleDigit(0);
  if (longer.Len < other.Len) std::swap(longer, other);
  const std::int32_t l = longer.Len;
  if (l > LongestRecordFactor) return WideProduct(longer, other);
  AlignTo(other, l);

  TBigNumber total = ZeroNumber(2 * l + 5);
  total.Len = 1;
  for (std::int32_t i = l; i >= 1; --i) {
    total = AddNumbers(total, PartialProduct(longer.Digits[i], other, l - i));
  }
  return total;
}

// Long division by repeated subtraction: the divisor, shifted left to the
// dividend's length, is subtracted as often as it goes, which gives one
// quotient digit; then it is shifted one place back, until the running
// remainder is smaller than the divisor itself.
TBigNumber DivideNumbers(const TBigNumber& a, const TBigNumber& b, TBigNumber& remainder,
                         int* passes) {
  if (passes) *passes = 0;
  if (IsTooLarge(a) || IsTooLarge(b)) {
    remainder = TooLargeNumber();
    return TooLargeNumber();
  }
  remainder = a;
  if ((a.Digits[1] == 0 && b.Digits[1] != 0) || IsGreater(b, a)) return SingleDigit(0);
  if (IsZeroValue(b)) return TooLargeNumber();

  const std::int32_t la = a.Len;
  const std::int32_t lb = b.Len;
  const std::int32_t d = la - lb;
  // The quotient's digits, positions 0..LA+5 as in a record of LA + 5 zeros;
  // wide enough for every dividend of up to MaxDigits digits.
  std::array<std::int8_t, MaxDigits + 6> quotient{};
  std::int32_t found = 0;
  TBigNumber r = a;
  for (std::int32_t s = la;; --s) {
    assert(found <= d);
    const TBigNumber t = ShiftedTo(b, s);
    int count = 0;
    TBigNumber w;
    do {
      w = SubtractNumbers(r, t);
      if (w.Len != 0 || IsGreater(r, t)) {
        ++count;
        r = w;
      }
    } while (w.Len != 0 && !IsGreater(t, r));
    quotient[++found] = static_cast<std::int8_t>(count & 0xFF);
    if (IsGreater(b, r)) break;
  }
  if (passes) *passes = found;

  TBigNumber q;
  q.Len = d + 1;
  std::copy(quotient.begin() + 1, quotient.begin() + d + 2, q.Digits.begin() + 1);
  if (q.Len != 1 && q.Digits[1] == 0) {
    std::copy(quotient.begin() + 2, quotient.begin() + d + 2, q.Digits.begin() + 1);
    q.Digits[q.Len] = 0;
    q.Len = d;
  }
  remainder = r;
  return q;
}
