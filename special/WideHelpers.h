// SPDX-License-Identifier: GPL-3.0-or-later
// Small helpers on base 10^9 wide numbers that the factoring methods share:
// signed values, remainders by a machine word, dividing a prime out.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "WideNumber.h"

namespace wide {

struct Signed {
  Number magnitude;
  bool negative = false;  // never set for zero
};

inline Signed Add(const Signed& a, const Signed& b) {
  if (a.negative == b.negative) return {Add(a.magnitude, b.magnitude), a.negative};
  if (Compare(a.magnitude, b.magnitude) >= 0) {
    Signed difference{Subtract(a.magnitude, b.magnitude), a.negative};
    difference.negative = difference.negative && !IsZero(difference.magnitude);
    return difference;
  }
  return {Subtract(b.magnitude, a.magnitude), b.negative};
}

// a mod p for p >= 1, one division a limb.
inline std::uint32_t Remainder(const Number& a, std::uint32_t p) {
  std::uint64_t rest = 0;
  for (int i = a.size - 1; i >= 0; --i)
    rest = (rest * Number::Base + a.limbs[i]) % p;
  return static_cast<std::uint32_t>(rest);
}

inline bool IsOne(const Number& a) {
  return a.size == 1 && a.limbs[0] == 1;
}

// Divides v by p >= 2 as often as p divides it; returns how often.
inline int DivideOut(Number& v, std::uint32_t p) {
  int times = 0;
  std::uint32_t rest = 0;
  for (Number q = DivideSmall(v, p, &rest); rest == 0; q = DivideSmall(v, p, &rest)) {
    v = q;
    ++times;
  }
  return times;
}

inline Number MultiplyModulo(const Number& a, const Number& b, const Number& n) {
  Number rest;
  Divide(Multiply(a, b), n, &rest);
  return rest;
}

// log2 of x > 0, from its three leading limbs.
inline double Bits(const Number& x) {
  double value = 0;
  for (int i = x.size - 1; i >= 0 && i >= x.size - 3; --i)
    value = value * Number::Base + x.limbs[i];
  return std::log2(value) + std::max(0, x.size - 3) * std::log2(double{Number::Base});
}

}  // namespace wide
