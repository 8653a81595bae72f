// SPDX-License-Identifier: GPL-3.0-or-later
#include "Modular.h"

#include <cassert>

namespace modular {
namespace {

__extension__ typedef unsigned __int128 Wide128;

// x = x * factor + addend.
void MultiplyAdd(Natural& x, std::uint64_t factor, std::uint64_t addend) {
  Wide128 carry = addend;
  for (int i = 0; i < x.size; ++i) {
    carry += static_cast<Wide128>(x.limb[i]) * factor;
    x.limb[i] = static_cast<std::uint64_t>(carry);
    carry >>= 64;
  }
  if (carry != 0) {
    assert(x.size < Limbs);
    x.limb[x.size++] = static_cast<std::uint64_t>(carry);
  }
}

// x = x div divisor, returning x mod divisor.
std::uint64_t DivideSmallInPlace(Natural& x, std::uint64_t divisor) {
  Wide128 rest = 0;
  for (int i = x.size - 1; i >= 0; --i) {
    rest = (rest << 64) | x.limb[i];
    x.limb[i] = static_cast<std::uint64_t>(rest / divisor);
    rest %= divisor;
  }
  Trim(x);
  return static_cast<std::uint64_t>(rest);
}

int TrailingZeros(const Natural& x) {
  int bits = 0;
  int i = 0;
  while (x.limb[i] == 0) {
    bits += 64;
    ++i;
  }
  return bits + __builtin_ctzll(x.limb[i]);
}

}  // namespace

Natural FromWide(const wide::Number& x) {
  Natural result;
  for (int i = x.size - 1; i >= 0; --i)
    MultiplyAdd(result, wide::Number::Base, x.limbs[i]);
  Trim(result);
  return result;
}

wide::Number ToWide(const Natural& x) {
  wide::Number result;
  Natural rest = x;
  while (rest.size > 0) {
    result.limbs[result.size++] =
        static_cast<std::uint32_t>(DivideSmallInPlace(rest, wide::Number::Base));
  }
  return result;
}

void Trim(Natural& x) {
  while (x.size > 0 && x.limb[x.size - 1] == 0)
    --x.size;
}

Natural FromSmall(std::uint64_t value) {
  Natural result;
  if (value != 0) {
    result.limb[0] = value;
    result.size = 1;
  }
  return result;
}

bool IsZero(const Natural& x) {
  return x.size == 0;
}
bool IsOne(const Natural& x) {
  return x.size == 1 && x.limb[0] == 1;
}
bool IsEven(const Natural& x) {
  return x.size == 0 || (x.limb[0] & 1) == 0;
}

int Compare(const Natural& a, const Natural& b) {
  if (a.size != b.size) return a.size < b.size ? -1 : 1;
  for (int i = a.size - 1; i >= 0; --i) {
    if (a.limb[i] != b.limb[i]) return a.limb[i] < b.limb[i] ? -1 : 1;
  }
  return 0;
}

int BitLength(const Natural& x) {
  return x.size == 0 ? 0 : 64 * (x.size - 1) + 64 - __builtin_clzll(x.limb[x.size - 1]);
}

bool Bit(const Natural& x, int index) {
  const int limb = index / 64;
  return limb < x.size && ((x.limb[limb] >> (index % 64)) & 1) != 0;
}

Natural Add(const Natural& a, const Natural& b) {
  Natural sum;
  const int size = a.size > b.size ? a.size : b.size;
  Wide128 carry = 0;
  for (int i = 0; i < size; ++i) {
    carry += static_cast<Wide128>(i < a.size ? a.limb[i] : 0) + (i < b.size ? b.limb[i] : 0);
    sum.limb[i] = static_cast<std::uint64_t>(carry);
    carry >>= 64;
  }
  sum.size = size;
  if (carry != 0) {
    assert(size < Limbs);
    sum.limb[sum.size++] = 1;
  }
  return sum;
}

Natural Subtract(const Natural& a, const Natural& b) {
  assert(Compare(a, b) >= 0);
  Natural difference;
  std::uint64_t borrow = 0;
  for (int i = 0; i < a.size; ++i) {
    const std::uint64_t subtrahend = i < b.size ? b.limb[i] : 0;
    const std::uint64_t limb = a.limb[i] - subtrahend - borrow;
    borrow = (a.limb[i] < subtrahend || (a.limb[i] == subtrahend && borrow != 0)) ? 1 : 0;
    difference.limb[i] = limb;
  }
  difference.size = a.size;
  Trim(difference);
  return difference;
}

Natural ShiftRight(const Natural& x, int bits) {
  Natural result;
  const int limbs = bits / 64;
  const int shift = bits % 64;
  for (int i = limbs; i < x.size; ++i) {
    std::uint64_t limb = x.limb[i] >> shift;
    if (shift != 0 && i + 1 < x.size) limb |= x.limb[i + 1] << (64 - shift);
    result.limb[i - limbs] = limb;
  }
  result.size = x.size > limbs ? x.size - limbs : 0;
  Trim(result);
  return result;
}

std::uint64_t RemainderSmall(const Natural& x, std::uint64_t m) {
  Wide128 rest = 0;
  for (int i = x.size - 1; i >= 0; --i)
    rest = ((rest << 64) | x.limb[i]) % m;
  return static_cast<std::uint64_t>(rest);
}

// Stein's binary algorithm: halve away the factors of two, subtract the
// smaller odd number from the larger.
Natural Gcd(Natural a, Natural b) {
  if (IsZero(a)) return b;
  if (IsZero(b)) return a;
  const int za = TrailingZeros(a);
  const int zb = TrailingZeros(b);
  const int common = za < zb ? za : zb;
  a = ShiftRight(a, za);
  b = ShiftRight(b, zb);
  while (!IsZero(b)) {
    b = ShiftRight(b, TrailingZeros(b));
    if (Compare(a, b) > 0) std::swap(a, b);
    b = Subtract(b, a);
  }
  // a * 2^common
  Natural result = a;
  for (int i = 0; i < common; ++i)
    result = Add(result, result);
  return result;
}

int Jacobi(std::int64_t a, std::int64_t m) {
  a %= m;
  if (a < 0) a += m;
  int result = 1;
  while (a != 0) {
    while (a % 2 == 0) {
      a /= 2;
      if (m % 8 == 3 || m % 8 == 5) result = -result;
    }
    std::swap(a, m);
    if (a % 4 == 3 && m % 4 == 3) result = -result;
    a %= m;
  }
  return m == 1 ? result : 0;
}

std::uint32_t PowerModulo(std::uint64_t base, std::uint64_t exponent, std::uint32_t p) {
  std::uint64_t result = 1;
  base %= p;
  for (; exponent != 0; exponent >>= 1) {
    if ((exponent & 1) != 0) result = result * base % p;
    base = base * base % p;
  }
  return static_cast<std::uint32_t>(result);
}

std::uint32_t InverseModulo(std::uint32_t a, std::uint32_t p) {
  return PowerModulo(a, p - 2, p);
}

// Tonelli and Shanks.
std::uint32_t SquareRootModulo(std::uint32_t a, std::uint32_t p) {
  if (a == 0) return 0;
  std::uint32_t q = p - 1;
  int s = 0;
  while ((q & 1) == 0) {
    q >>= 1;
    ++s;
  }
  std::uint32_t z = 2;
  while (PowerModulo(z, (p - 1) / 2, p) != p - 1)
    ++z;
  std::uint64_t c = PowerModulo(z, q, p);
  std::uint64_t r = PowerModulo(a, (q + 1) / 2, p);
  std::uint64_t t = PowerModulo(a, q, p);
  int m = s;
  while (t != 1) {
    int i = 0;
    for (std::uint64_t u = t; u != 1; u = u * u % p)
      ++i;
    std::uint64_t b = c;
    for (int j = 0; j < m - i - 1; ++j)
      b = b * b % p;
    r = r * b % p;
    c = b * b % p;
    t = t * c % p;
    m = i;
  }
  return static_cast<std::uint32_t>(r);
}

}  // namespace modular
