// SPDX-License-Identifier: GPL-3.0-or-later
// Working storage for the fast routines: non-negative whole numbers of up to
// wide::Number::Capacity limbs of nine decimal digits each (2160 digits),
// least significant limb first, in a fixed-size value with no heap.
//
// The fast routines convert records to wide numbers, compute, and convert
// back; a record's decimal digits make base 10^9 the natural limb, and the
// conversions cost one pass over the digits.
#pragma once

#include <array>
#include <cstdint>

#include "BigNumber.h"

namespace wide {

struct Number {
  static constexpr int Capacity = 240;
  static constexpr std::uint32_t Base = 1'000'000'000;
  static constexpr int DigitsPerLimb = 9;

  // Only the limbs in use are ever read, so neither making nor copying a
  // number touches the rest of its storage.
  Number() noexcept {}
  Number(const Number& other) noexcept : size(other.size) { CopyLimbs(other); }
  Number& operator=(const Number& other) noexcept {
    size = other.size;
    CopyLimbs(other);
    return *this;
  }

  std::array<std::uint32_t, Capacity> limbs;
  int size = 0;  // limbs in use, no leading zero limb; 0 is the number 0

 private:
  void CopyLimbs(const Number& other) {
    for (int i = 0; i < size; ++i)
      limbs[i] = other.limbs[i];
  }
};

// The most decimal digits a wide number holds.
inline constexpr int MaxDigits = Number::Capacity * Number::DigitsPerLimb;

// The value of digits 1..Len of a record whose digits are 0..9 (Len 0 is 0).
Number FromRecord(const TBigNumber& x);

// The wide number of a machine integer.
Number FromSmall(std::uint64_t value);

// 10^exponent, 0 <= exponent < MaxDigits.
Number PowerOfTen(int exponent);

// The record of x without leading zeros; too large beyond ::MaxDigits digits.
TBigNumber ToRecord(const Number& x);

// The number of decimal digits of x; 1 for zero.
int DecimalLength(const Number& x);

// The decimal digits of x, least significant first; returns how many.
int LittleEndianDigits(const Number& x, std::array<std::int8_t, MaxDigits>& digits);

// True for the number 0 (no limbs in use).
bool IsZero(const Number& x);

// -1, 0 or 1 as a is less than, equal to or greater than b.
int Compare(const Number& a, const Number& b);

// The operations below require their results to fit: a sum or product of at
// most Capacity limbs (checked by assertions in debug builds); ProductFits
// tells whether a product will.
bool ProductFits(const Number& a, const Number& b);

// a + b.
Number Add(const Number& a, const Number& b);

// a - b for a >= b.
Number Subtract(const Number& a, const Number& b);

// a * factor.
Number MultiplySmall(const Number& a, std::uint32_t factor);

// a div divisor for divisor >= 1; the remainder in `remainder` when given.
Number DivideSmall(const Number& a, std::uint32_t divisor, std::uint32_t* remainder = nullptr);

// a * b, by schoolbook multiplication.
Number Multiply(const Number& a, const Number& b);

// a div b for b != 0, by long division in base 10^9 (Knuth's algorithm D);
// the remainder in `remainder` when given.
Number Divide(const Number& a, const Number& b, Number* remainder = nullptr);

// A number not below the nth root of a (n >= 1, a >= 1) and above it by
// about one part in 10^9 at most, from the leading digits of a.
Number RootOverestimate(const Number& a, int n);

// One Newton step towards the nth root of m (n >= 2, r >= 1):
// ((n-1) r + m div r^(n-1)) div n. The power r^(n-1) is formed only while it
// does not exceed m; beyond that the quotient m div r^(n-1) is 0.
Number RootStep(const Number& m, const Number& r, std::int32_t n);

// floor(a^(1/n)) for n >= 1, by Newton's steps from RootOverestimate.
Number RootFloor(const Number& a, int n);

// True when a is the nth power of a whole number (n >= 2); `root` receives
// floor(a^(1/n)) either way.
bool ExactRoot(const Number& a, int n, Number& root);

// floor(sqrt(a)).
inline Number SquareRootFloor(const Number& a) {
  return RootFloor(a, 2);
}

}  // namespace wide
