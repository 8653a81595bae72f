#include "Modular.h"

#include <cassert>

namespace modular {
namespace {

__extension__ typedef unsigned __int128 Wide128;

void Trim(Natural& x) {
  while (x.size > 0 && x.limb[x.size - 1] == 0)
    --x.size;
}

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

Montgomery::Montgomery(const Natural& modulus) : modulus_(modulus), n_(modulus.size) {
  assert(!IsEven(modulus) && modulus.size > 0);
  // Newton's iteration for the inverse modulo 2^64 doubles the correct bits.
  std::uint64_t inverse = 1;
  for (int i = 0; i < 6; ++i)
    inverse *= 2 - modulus.limb[0] * inverse;
  inverse_ = ~inverse + 1;
  // R mod N and R^2 mod N by doubling 1 modulo N.
  Natural value = modular::FromSmall(1);
  for (int bit = 0; bit < 128 * n_; ++bit) {
    value = modular::Add(value, value);
    if (Compare(value, modulus_) >= 0) value = modular::Subtract(value, modulus_);
    if (bit + 1 == 64 * n_) std::copy(value.limb.begin(), value.limb.begin() + n_, one_.begin());
  }
  std::copy(value.limb.begin(), value.limb.begin() + n_, squareOfR_.begin());
}

// Coarsely integrated operand scanning: one row of a * b[i] and one
// reduction step per limb of b, keeping n + 2 limbs.
Residue Montgomery::Multiply(const Residue& a, const Residue& b) const {
  std::array<std::uint64_t, Limbs + 2> t{};
  const int n = n_;
  for (int i = 0; i < n; ++i) {
    Wide128 carry = 0;
    for (int j = 0; j < n; ++j) {
      carry += static_cast<Wide128>(a[j]) * b[i] + t[j];
      t[j] = static_cast<std::uint64_t>(carry);
      carry >>= 64;
    }
    carry += t[n];
    t[n] = static_cast<std::uint64_t>(carry);
    t[n + 1] = static_cast<std::uint64_t>(carry >> 64);

    const std::uint64_t m = t[0] * inverse_;
    carry = static_cast<Wide128>(m) * modulus_.limb[0] + t[0];
    carry >>= 64;
    for (int j = 1; j < n; ++j) {
      carry += static_cast<Wide128>(m) * modulus_.limb[j] + t[j];
      t[j - 1] = static_cast<std::uint64_t>(carry);
      carry >>= 64;
    }
    carry += t[n];
    t[n - 1] = static_cast<std::uint64_t>(carry);
    t[n] = t[n + 1] + static_cast<std::uint64_t>(carry >> 64);
  }
  Residue result{};
  bool subtract = t[n] != 0;
  if (!subtract) {
    subtract = true;
    for (int i = n - 1; i >= 0; --i) {
      if (t[i] != modulus_.limb[i]) {
        subtract = t[i] > modulus_.limb[i];
        break;
      }
    }
  }
  std::uint64_t borrow = 0;
  for (int i = 0; i < n; ++i) {
    const std::uint64_t subtrahend = subtract ? modulus_.limb[i] : 0;
    result[i] = t[i] - subtrahend - borrow;
    borrow = (t[i] < subtrahend || (t[i] == subtrahend && borrow != 0)) ? 1 : 0;
  }
  return result;
}

Residue Montgomery::Add(const Residue& a, const Residue& b) const {
  Residue sum{};
  Wide128 carry = 0;
  for (int i = 0; i < n_; ++i) {
    carry += static_cast<Wide128>(a[i]) + b[i];
    sum[i] = static_cast<std::uint64_t>(carry);
    carry >>= 64;
  }
  bool subtract = carry != 0;
  if (!subtract) {
    subtract = true;
    for (int i = n_ - 1; i >= 0; --i) {
      if (sum[i] != modulus_.limb[i]) {
        subtract = sum[i] > modulus_.limb[i];
        break;
      }
    }
  }
  if (subtract) {
    std::uint64_t borrow = 0;
    for (int i = 0; i < n_; ++i) {
      const std::uint64_t limb = sum[i] - modulus_.limb[i] - borrow;
      borrow = (sum[i] < modulus_.limb[i] || (sum[i] == modulus_.limb[i] && borrow != 0)) ? 1 : 0;
      sum[i] = limb;
    }
  }
  return sum;
}

Residue Montgomery::Subtract(const Residue& a, const Residue& b) const {
  Residue difference{};
  std::uint64_t borrow = 0;
  for (int i = 0; i < n_; ++i) {
    difference[i] = a[i] - b[i] - borrow;
    borrow = (a[i] < b[i] || (a[i] == b[i] && borrow != 0)) ? 1 : 0;
  }
  if (borrow != 0) {
    Wide128 carry = 0;
    for (int i = 0; i < n_; ++i) {
      carry += static_cast<Wide128>(difference[i]) + modulus_.limb[i];
      difference[i] = static_cast<std::uint64_t>(carry);
      carry >>= 64;
    }
  }
  return difference;
}

// a / 2: a itself when even, a + N (even, one bit longer) otherwise, halved.
Residue Montgomery::Half(const Residue& a) const {
  Residue sum = a;
  std::uint64_t top = 0;
  if ((a[0] & 1) != 0) {
    Wide128 carry = 0;
    for (int i = 0; i < n_; ++i) {
      carry += static_cast<Wide128>(a[i]) + modulus_.limb[i];
      sum[i] = static_cast<std::uint64_t>(carry);
      carry >>= 64;
    }
    top = static_cast<std::uint64_t>(carry);
  }
  for (int i = 0; i < n_; ++i) {
    const std::uint64_t next = i + 1 < n_ ? sum[i + 1] : top;
    sum[i] = (sum[i] >> 1) | (next << 63);
  }
  return sum;
}

Residue Montgomery::Enter(const Natural& x) const {
  Residue plain{};
  std::copy(x.limb.begin(), x.limb.begin() + x.size, plain.begin());
  return Multiply(plain, squareOfR_);
}

Natural Montgomery::Leave(const Residue& x) const {
  Residue unit{};
  unit[0] = 1;
  const Residue plain = Multiply(x, unit);
  Natural result;
  std::copy(plain.begin(), plain.begin() + n_, result.limb.begin());
  result.size = n_;
  Trim(result);
  return result;
}

Residue Montgomery::FromSmall(std::uint64_t value) const {
  if (n_ == 1) value %= modulus_.limb[0];
  return Enter(modular::FromSmall(value));
}

Residue Montgomery::Power(const Residue& base, const Natural& exponent) const {
  Residue result = one_;
  for (int bit = BitLength(exponent) - 1; bit >= 0; --bit) {
    result = Square(result);
    if (Bit(exponent, bit)) result = Multiply(result, base);
  }
  return result;
}

bool Montgomery::Equal(const Residue& a, const Residue& b) const {
  for (int i = 0; i < n_; ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

bool Montgomery::IsZero(const Residue& a) const {
  return Equal(a, Residue{});
}

}  // namespace modular
