// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReferenceArithmetic.h"

#include <algorithm>
#include <cassert>
#include <utility>

#include "RecordSteps.h"

namespace {

using record_steps::AlignTo;
using record_steps::SingleDigit;

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

// Schoolbook multiplication: each digit of the longer factor, from the units
// digit up, multiplies the other factor into a partial product shifted by
// its decimal place, and the partial products are summed with AddNumbers.
TBigNumber ReferenceMultiplyNumbers(const TBigNumber& a, const TBigNumber& b) {
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
TBigNumber ReferenceDivideNumbers(const TBigNumber& a, const TBigNumber& b, TBigNumber& remainder,
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
  std::int64_t subtractions = 0;
  TBigNumber r = a;
  for (std::int32_t s = la;; --s) {
    assert(found <= d);
    const TBigNumber t = ShiftedTo(b, s);
    int count = 0;
    TBigNumber w;
    do {
      if (++subtractions > MostDivisionSubtractions) {
        remainder = a;
        return TooLargeNumber();
      }
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
