// SPDX-License-Identifier: GPL-3.0-or-later
#include "WideNumber.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace wide {
namespace {

constexpr std::uint64_t kBase = Number::Base;

void Trim(Number& x) {
  while (x.size > 0 && x.limbs[x.size - 1] == 0)
    --x.size;
}

constexpr std::uint32_t kPowersOfTen[] = {1,      10,      100,      1000,      10000,
                                          100000, 1000000, 10000000, 100000000, 1000000000};

// The leading decimal digits of x (up to 18) as a double, and how many
// digits of x lie below them.
double LeadingDigits(const Number& x, int& below) {
  std::array<std::int8_t, MaxDigits> digits;
  const int length = LittleEndianDigits(x, digits);
  const int taken = std::min(length, 18);
  double value = 0;
  for (int i = length - 1; i >= length - taken; --i)
    value = value * 10 + digits[i];
  below = length - taken;
  return value;
}

// r^e while it does not exceed `limit`; false once it would.
bool PowerNotAbove(const Number& r, std::int32_t e, const Number& limit, Number& power) {
  // r^e >= 10^((len r - 1) e), longer than limit once that exponent reaches len limit.
  if (std::int64_t{DecimalLength(r) - 1} * e >= DecimalLength(limit)) return false;
  const auto times = [&limit](const Number& x, const Number& y, Number& product) {
    if (x.size + y.size - 2 >= limit.size) return false;  // at least Base^limit.size
    product = Multiply(x, y);
    return Compare(product, limit) <= 0;
  };
  power = r;
  int bit = 30;
  while (bit >= 0 && ((e >> bit) & 1) == 0)
    --bit;
  for (--bit; bit >= 0; --bit) {
    if (!times(power, power, power)) return false;
    if (((e >> bit) & 1) != 0 && !times(power, r, power)) return false;
  }
  return true;
}

}  // namespace

Number FromRecord(const TBigNumber& x) {
  Number result;
  const std::int32_t length = std::clamp(x.Len, 0, ::MaxDigits);
  // Nine digits to a limb, counted from the units digit.
  for (std::int32_t end = length; end >= 1; end -= Number::DigitsPerLimb) {
    const std::int32_t begin = std::max(1, end - Number::DigitsPerLimb + 1);
    std::uint32_t limb = 0;
    for (std::int32_t i = begin; i <= end; ++i)
      limb = limb * 10 + static_cast<std::uint32_t>(x.Digits[i]);
    result.limbs[result.size++] = limb;
  }
  Trim(result);
  return result;
}

Number FromSmall(std::uint64_t value) {
  Number result;
  for (; value != 0; value /= kBase)
    result.limbs[result.size++] = static_cast<std::uint32_t>(value % kBase);
  return result;
}

Number PowerOfTen(int exponent) {
  assert(exponent >= 0 && exponent < MaxDigits);
  Number result;
  result.size = exponent / Number::DigitsPerLimb + 1;
  std::fill_n(result.limbs.begin(), result.size - 1, 0U);
  result.limbs[result.size - 1] = kPowersOfTen[exponent % Number::DigitsPerLimb];
  return result;
}

int LittleEndianDigits(const Number& x, std::array<std::int8_t, MaxDigits>& digits) {
  int length = 0;
  for (int i = 0; i < x.size; ++i) {
    std::uint32_t limb = x.limbs[i];
    for (int k = 0; k < Number::DigitsPerLimb; ++k, limb /= 10) {
      digits[length++] = static_cast<std::int8_t>(limb % 10);
    }
  }
  while (length > 1 && digits[length - 1] == 0)
    --length;
  if (length == 0) digits[length++] = 0;
  return length;
}

int DecimalLength(const Number& x) {
  if (x.size == 0) return 1;
  int length = (x.size - 1) * Number::DigitsPerLimb;
  for (std::uint32_t top = x.limbs[x.size - 1]; top != 0; top /= 10)
    ++length;
  return length;
}

TBigNumber ToRecord(const Number& x) {
  std::array<std::int8_t, MaxDigits> digits;
  const int length = LittleEndianDigits(x, digits);
  if (length > ::MaxDigits) return TooLargeNumber();
  TBigNumber record;
  record.Len = length;
  for (int i = 1; i <= length; ++i)
    record.Digits[i] = digits[length - i];
  return record;
}

bool IsZero(const Number& x) {
  return x.size == 0;
}

int Compare(const Number& a, const Number& b) {
  if (a.size != b.size) return a.size < b.size ? -1 : 1;
  for (int i = a.size - 1; i >= 0; --i) {
    if (a.limbs[i] != b.limbs[i]) return a.limbs[i] < b.limbs[i] ? -1 : 1;
  }
  return 0;
}

bool ProductFits(const Number& a, const Number& b) {
  return a.size + b.size <= Number::Capacity;
}

Number Add(const Number& a, const Number& b) {
  Number sum;
  const int size = std::max(a.size, b.size);
  std::uint64_t carry = 0;
  for (int i = 0; i < size; ++i) {
    carry += std::uint64_t{i < a.size ? a.limbs[i] : 0} + (i < b.size ? b.limbs[i] : 0);
    sum.limbs[i] = static_cast<std::uint32_t>(carry % kBase);
    carry /= kBase;
  }
  sum.size = size;
  if (carry != 0) {
    assert(size < Number::Capacity);
    sum.limbs[sum.size++] = static_cast<std::uint32_t>(carry);
  }
  return sum;
}

Number Subtract(const Number& a, const Number& b) {
  assert(Compare(a, b) >= 0);
  Number difference;
  std::int64_t borrow = 0;
  for (int i = 0; i < a.size; ++i) {
    std::int64_t limb = std::int64_t{a.limbs[i]} - (i < b.size ? b.limbs[i] : 0) - borrow;
    borrow = limb < 0 ? 1 : 0;
    difference.limbs[i] =
        static_cast<std::uint32_t>(limb + borrow * static_cast<std::int64_t>(kBase));
  }
  difference.size = a.size;
  Trim(difference);
  return difference;
}

Number MultiplySmall(const Number& a, std::uint32_t factor) {
  Number product;
  std::uint64_t carry = 0;
  for (int i = 0; i < a.size; ++i) {
    carry += std::uint64_t{a.limbs[i]} * factor;
    product.limbs[i] = static_cast<std::uint32_t>(carry % kBase);
    carry /= kBase;
  }
  product.size = a.size;
  for (; carry != 0; carry /= kBase) {
    assert(product.size < Number::Capacity);
    product.limbs[product.size++] = static_cast<std::uint32_t>(carry % kBase);
  }
  Trim(product);
  return product;
}

Number DivideSmall(const Number& a, std::uint32_t divisor, std::uint32_t* remainder) {
  assert(divisor >= 1);
  Number quotient;
  std::uint64_t rest = 0;
  for (int i = a.size - 1; i >= 0; --i) {
    rest = rest * kBase + a.limbs[i];
    quotient.limbs[i] = static_cast<std::uint32_t>(rest / divisor);
    rest %= divisor;
  }
  quotient.size = a.size;
  Trim(quotient);
  if (remainder) *remainder = static_cast<std::uint32_t>(rest);
  return quotient;
}

Number Multiply(const Number& a, const Number& b) {
  Number product;
  if (a.size == 0 || b.size == 0) return product;
  assert(ProductFits(a, b));
  std::fill_n(product.limbs.begin(), a.size + b.size, 0U);
  // Column sums stay below 2^64: each adds at most (10^9 - 1)^2 < 2^60, and
  // the running carry is folded in after every row.
  for (int i = 0; i < a.size; ++i) {
    std::uint64_t carry = 0;
    const std::uint64_t ai = a.limbs[i];
    for (int j = 0; j < b.size; ++j) {
      carry += product.limbs[i + j] + ai * b.limbs[j];
      product.limbs[i + j] = static_cast<std::uint32_t>(carry % kBase);
      carry /= kBase;
    }
    product.limbs[i + b.size] = static_cast<std::uint32_t>(carry);
  }
  product.size = a.size + b.size;
  Trim(product);
  return product;
}

Number Divide(const Number& a, const Number& b, Number* remainder) {
  assert(b.size > 0);
  if (Compare(a, b) < 0) {
    if (remainder) *remainder = a;
    return Number{};
  }
  if (b.size == 1) {
    std::uint32_t rest = 0;
    Number quotient = DivideSmall(a, b.limbs[0], &rest);
    if (remainder) *remainder = FromSmall(rest);
    return quotient;
  }
  // Normalise so that the divisor's top limb is at least Base / 2, which
  // keeps every estimated quotient limb at most two above the true one.
  const int n = b.size;
  const int m = a.size - n;
  const auto scale = static_cast<std::uint32_t>(kBase / (std::uint64_t{b.limbs[n - 1]} + 1));
  std::array<std::uint32_t, Number::Capacity + 1> u{};
  std::uint64_t carry = 0;
  for (int i = 0; i < a.size; ++i) {
    carry += std::uint64_t{a.limbs[i]} * scale;
    u[i] = static_cast<std::uint32_t>(carry % kBase);
    carry /= kBase;
  }
  u[a.size] = static_cast<std::uint32_t>(carry);
  const Number v = MultiplySmall(b, scale);
  const std::uint64_t top = v.limbs[n - 1];
  const std::uint64_t next = v.limbs[n - 2];

  Number quotient;
  for (int j = m; j >= 0; --j) {
    const std::uint64_t numerator = std::uint64_t{u[j + n]} * kBase + u[j + n - 1];
    std::uint64_t guess = numerator / top;
    std::uint64_t rest = numerator % top;
    while (guess >= kBase || guess * next > rest * kBase + u[j + n - 2]) {
      --guess;
      rest += top;
      if (rest >= kBase) break;
    }
    // u[j..j+n] -= guess * v
    std::int64_t borrow = 0;
    std::uint64_t product = 0;
    for (int i = 0; i < n; ++i) {
      product += guess * v.limbs[i];
      std::int64_t limb =
          std::int64_t{u[i + j]} - static_cast<std::int64_t>(product % kBase) - borrow;
      product /= kBase;
      borrow = limb < 0 ? 1 : 0;
      u[i + j] = static_cast<std::uint32_t>(limb + borrow * static_cast<std::int64_t>(kBase));
    }
    std::int64_t limb = std::int64_t{u[j + n]} - static_cast<std::int64_t>(product) - borrow;
    if (limb < 0) {
      // The guess was one too large: add the divisor back once.
      --guess;
      u[j + n] = static_cast<std::uint32_t>(limb + static_cast<std::int64_t>(kBase));
      std::uint64_t sum = 0;
      for (int i = 0; i < n; ++i) {
        sum += std::uint64_t{u[i + j]} + v.limbs[i];
        u[i + j] = static_cast<std::uint32_t>(sum % kBase);
        sum /= kBase;
      }
      u[j + n] = static_cast<std::uint32_t>((u[j + n] + sum) % kBase);
    } else {
      u[j + n] = static_cast<std::uint32_t>(limb);
    }
    quotient.limbs[j] = static_cast<std::uint32_t>(guess);
  }
  quotient.size = m + 1;
  Trim(quotient);
  if (remainder) {
    Number rest;
    std::copy(u.begin(), u.begin() + n, rest.limbs.begin());
    rest.size = n;
    Trim(rest);
    *remainder = DivideSmall(rest, scale);
  }
  return quotient;
}

Number RootOverestimate(const Number& a, int n) {
  assert(n >= 1 && !IsZero(a));
  int below = 0;
  const double leading = LeadingDigits(a, below);
  const double logRoot = (std::log10(leading) + below) / n;
  // A margin of one part in 10^9 covers the rounding of the logarithm.
  const double margin = 1e-9;
  if (logRoot < 15) {
    return FromSmall(static_cast<std::uint64_t>(std::ceil(std::pow(10.0, logRoot) * (1 + margin))) +
                     1);
  }
  const int exponent = static_cast<int>(std::floor(logRoot)) - 14;
  const double mantissa = std::pow(10.0, logRoot - std::floor(logRoot) + 14) * (1 + margin);
  return Multiply(FromSmall(static_cast<std::uint64_t>(std::ceil(mantissa)) + 1),
                  PowerOfTen(exponent));
}

Number RootStep(const Number& m, const Number& r, std::int32_t n) {
  const auto degree = static_cast<std::uint32_t>(n);
  Number power;
  if (!PowerNotAbove(r, n - 1, m, power)) {
    // M div R^(n-1) is 0, and ((n-1) R) div n = R - ceil(R / n).
    std::uint32_t rest = 0;
    const Number share = DivideSmall(r, degree, &rest);
    return Subtract(Subtract(r, share), FromSmall(rest != 0 ? 1 : 0));
  }
  return DivideSmall(Add(MultiplySmall(r, degree - 1), Divide(m, power)), degree);
}

Number RootFloor(const Number& a, int n) {
  if (IsZero(a) || n == 1) return a;
  Number x = RootOverestimate(a, n);
  for (;;) {
    const Number next = RootStep(a, x, n);
    if (Compare(next, x) >= 0) return x;
    x = next;
  }
}

bool ExactRoot(const Number& a, int n, Number& root) {
  root = RootFloor(a, n);
  Number power;
  return PowerNotAbove(root, n, a, power) && Compare(power, a) == 0;
}

}  // namespace wide
