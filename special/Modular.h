// SPDX-License-Identifier: GPL-3.0-or-later
// Binary whole numbers and Montgomery arithmetic modulo an odd number of up to
// 500 decimal digits: the working ground of prime factorisation. Fixed-size
// values, no heap.
#pragma once

#include <array>
#include <cstdint>

#include "WideNumber.h"
#include "WordModulus.h"

namespace modular {

// Limbs of 64 bits: 27 hold 1728 bits, more than the 1661 of 10^500.
inline constexpr int Limbs = 27;

struct Natural {
  std::array<std::uint64_t, Limbs> limb{};
  int size = 0;  // limbs in use, no leading zero limb; 0 is the number 0
};

// Conversions from and to base 10^9 wide numbers and machine integers.
Natural FromWide(const wide::Number& x);
wide::Number ToWide(const Natural& x);
Natural FromSmall(std::uint64_t value);

// Drops leading zero limbs, so that `size` counts only the limbs in use.
void Trim(Natural& x);

bool IsZero(const Natural& x);
bool IsOne(const Natural& x);
bool IsEven(const Natural& x);
// -1, 0 or 1 as a is less than, equal to or greater than b.
int Compare(const Natural& a, const Natural& b);
// The number of bits of x; 0 for zero.
int BitLength(const Natural& x);
// Bit `index` of x, counted from the least significant; false beyond x.
bool Bit(const Natural& x, int index);

// a + b; the sum must fit Limbs limbs.
Natural Add(const Natural& a, const Natural& b);
// a - b for a >= b.
Natural Subtract(const Natural& a, const Natural& b);
// x div 2^bits.
Natural ShiftRight(const Natural& x, int bits);
// x mod m for a machine-sized m >= 1.
std::uint64_t RemainderSmall(const Natural& x, std::uint64_t m);
// The greatest common divisor; gcd(0, b) = b.
Natural Gcd(Natural a, Natural b);
// The Jacobi symbol (a / m) of machine integers, for an odd m > 0.
int Jacobi(std::int64_t a, std::int64_t m);

// base^exponent mod p for p >= 1 below 2^32.
std::uint32_t PowerModulo(std::uint64_t base, std::uint64_t exponent, std::uint32_t p);
// a^-1 mod p for a prime p below 2^32 not dividing a.
std::uint32_t InverseModulo(std::uint32_t a, std::uint32_t p);
// A square root of a modulo the odd prime p below 2^32, for a (below p) a
// quadratic residue or 0.
std::uint32_t SquareRootModulo(std::uint32_t a, std::uint32_t p);

// Residues modulo an odd modulus of at most N limbs, held in Montgomery form
// x * 2^(64 N) mod m. N is a compile-time size, so that the loops of the
// small moduli unroll; a modulus shorter than N limbs works as well.
template <int N>
class Montgomery {
 public:
  using Residue = std::array<std::uint64_t, N>;

  explicit Montgomery(const Natural& modulus) : natural_(modulus) {
    for (int i = 0; i < modulus.size; ++i)
      modulus_[i] = modulus.limb[i];
    inverse_ = 0 - InverseModulo2To64(modulus_[0]);
    // 2^(64 N) and 2^(128 N) modulo m, by doubling 1.
    Natural value = modular::FromSmall(1);
    for (int bit = 0; bit < 128 * N; ++bit) {
      value = modular::Add(value, value);
      if (Compare(value, natural_) >= 0) value = modular::Subtract(value, natural_);
      if (bit + 1 == 64 * N) one_ = Plain(value);
    }
    squareOfR_ = Plain(value);
  }

  const Natural& modulus() const { return natural_; }

  Residue Enter(const Natural& x) const { return Multiply(Plain(x), squareOfR_); }
  Natural Leave(const Residue& x) const {
    Residue unit{};
    unit[0] = 1;
    const Residue plain = Multiply(x, unit);
    Natural result;
    for (int i = 0; i < N; ++i)
      result.limb[i] = plain[i];
    result.size = N;
    Trim(result);
    return result;
  }
  Residue One() const { return one_; }
  Residue Zero() const { return Residue{}; }
  Residue FromSmall(std::uint64_t value) const {
    if (natural_.size == 1) value %= modulus_[0];
    return Enter(modular::FromSmall(value));
  }

  Residue Multiply(const Residue& a, const Residue& b) const {
    if constexpr (N >= 8) {
      return MultiplyByColumns(a, b);
    } else {
      return MultiplyByRows(a, b);
    }
  }
  Residue Square(const Residue& a) const { return Multiply(a, a); }

  Residue Add(const Residue& a, const Residue& b) const {
    Residue sum;
    Wide carry = 0;
    for (int i = 0; i < N; ++i) {
      carry += static_cast<Wide>(a[i]) + b[i];
      sum[i] = static_cast<std::uint64_t>(carry);
      carry >>= 64;
    }
    if (carry != 0 || !Below(sum)) SubtractModulus(sum);
    return sum;
  }

  Residue Subtract(const Residue& a, const Residue& b) const {
    Residue difference;
    std::uint64_t borrow = 0;
    for (int i = 0; i < N; ++i) {
      difference[i] = a[i] - b[i] - borrow;
      borrow = (a[i] < b[i] || (a[i] == b[i] && borrow != 0)) ? 1 : 0;
    }
    if (borrow != 0) {
      Wide carry = 0;
      for (int i = 0; i < N; ++i) {
        carry += static_cast<Wide>(difference[i]) + modulus_[i];
        difference[i] = static_cast<std::uint64_t>(carry);
        carry >>= 64;
      }
    }
    return difference;
  }

  // a / 2: a itself when even, a + m (even, perhaps one bit longer) otherwise.
  Residue Half(const Residue& a) const {
    Residue sum = a;
    std::uint64_t top = 0;
    if ((a[0] & 1) != 0) {
      Wide carry = 0;
      for (int i = 0; i < N; ++i) {
        carry += static_cast<Wide>(a[i]) + modulus_[i];
        sum[i] = static_cast<std::uint64_t>(carry);
        carry >>= 64;
      }
      top = static_cast<std::uint64_t>(carry);
    }
    for (int i = 0; i < N; ++i) {
      const std::uint64_t next = i + 1 < N ? sum[i + 1] : top;
      sum[i] = (sum[i] >> 1) | (next << 63);
    }
    return sum;
  }

  Residue Power(const Residue& base, const Natural& exponent) const {
    Residue result = one_;
    for (int bit = BitLength(exponent) - 1; bit >= 0; --bit) {
      result = Square(result);
      if (Bit(exponent, bit)) result = Multiply(result, base);
    }
    return result;
  }

  bool Equal(const Residue& a, const Residue& b) const { return a == b; }
  bool IsZero(const Residue& a) const { return a == Residue{}; }

 private:
  __extension__ typedef unsigned __int128 Wide;

  // Coarsely integrated operand scanning: one row of a * b[i] and one
  // reduction step per limb of b, keeping N + 2 limbs. Best for a few limbs.
  Residue MultiplyByRows(const Residue& a, const Residue& b) const {
    std::array<std::uint64_t, N + 2> t{};
    for (int i = 0; i < N; ++i) {
      Wide carry = 0;
      for (int j = 0; j < N; ++j) {
        carry += static_cast<Wide>(a[j]) * b[i] + t[j];
        t[j] = static_cast<std::uint64_t>(carry);
        carry >>= 64;
      }
      carry += t[N];
      t[N] = static_cast<std::uint64_t>(carry);
      t[N + 1] = static_cast<std::uint64_t>(carry >> 64);
      const std::uint64_t m = t[0] * inverse_;
      carry = (static_cast<Wide>(m) * modulus_[0] + t[0]) >> 64;
      for (int j = 1; j < N; ++j) {
        carry += static_cast<Wide>(m) * modulus_[j] + t[j];
        t[j - 1] = static_cast<std::uint64_t>(carry);
        carry >>= 64;
      }
      carry += t[N];
      t[N - 1] = static_cast<std::uint64_t>(carry);
      t[N] = t[N + 1] + static_cast<std::uint64_t>(carry >> 64);
    }
    Residue result;
    for (int i = 0; i < N; ++i)
      result[i] = t[i];
    if (t[N] != 0 || !Below(result)) SubtractModulus(result);
    return result;
  }

  // Finely integrated product scanning: column by column, the products of
  // a and b and of the reduction multiples and m summed in three words.
  // The products of one column do not wait on each other's carries, which
  // makes it about a quarter faster than rows from eight limbs up.
  Residue MultiplyByColumns(const Residue& a, const Residue& b) const {
    Residue multiple;
    Residue result;
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    std::uint64_t top = 0;
    const auto accumulate = [&](std::uint64_t x, std::uint64_t y) {
      const Wide product = static_cast<Wide>(x) * y;
      const Wide sum = ((static_cast<Wide>(high) << 64) | low) + product;
      top += sum < product ? 1 : 0;
      low = static_cast<std::uint64_t>(sum);
      high = static_cast<std::uint64_t>(sum >> 64);
    };
    const auto shift = [&] {
      low = high;
      high = top;
      top = 0;
    };
    for (int i = 0; i < N; ++i) {
      for (int j = 0; j < i; ++j) {
        accumulate(a[j], b[i - j]);
        accumulate(multiple[j], modulus_[i - j]);
      }
      accumulate(a[i], b[0]);
      multiple[i] = low * inverse_;
      accumulate(multiple[i], modulus_[0]);  // clears the low word
      shift();
    }
    for (int i = N; i < 2 * N; ++i) {
      for (int j = i - N + 1; j < N; ++j) {
        accumulate(a[j], b[i - j]);
        accumulate(multiple[j], modulus_[i - j]);
      }
      result[i - N] = low;
      shift();
    }
    if (low != 0 || !Below(result)) SubtractModulus(result);
    return result;
  }

  Residue Plain(const Natural& x) const {
    Residue plain{};
    for (int i = 0; i < x.size && i < N; ++i)
      plain[i] = x.limb[i];
    return plain;
  }

  bool Below(const Residue& x) const {
    for (int i = N - 1; i >= 0; --i) {
      if (x[i] != modulus_[i]) return x[i] < modulus_[i];
    }
    return false;
  }

  void SubtractModulus(Residue& x) const {
    std::uint64_t borrow = 0;
    for (int i = 0; i < N; ++i) {
      const std::uint64_t limb = x[i] - modulus_[i] - borrow;
      borrow = (x[i] < modulus_[i] || (x[i] == modulus_[i] && borrow != 0)) ? 1 : 0;
      x[i] = limb;
    }
  }

  Natural natural_;
  Residue modulus_{};
  std::uint64_t inverse_ = 0;  // -m^-1 mod 2^64
  Residue one_{};
  Residue squareOfR_{};
};

// Runs `job` with Montgomery arithmetic sized for the odd modulus n: the
// smallest of a few limb counts that holds it, so that small moduli get
// short unrolled loops. Returns what `job` returns.
template <typename Job>
auto WithMontgomery(const Natural& n, Job&& job) {
  const int limbs = n.size;
  if (limbs <= 1) return job(Montgomery<1>(n));
  if (limbs <= 2) return job(Montgomery<2>(n));
  if (limbs <= 3) return job(Montgomery<3>(n));
  if (limbs <= 4) return job(Montgomery<4>(n));
  if (limbs <= 6) return job(Montgomery<6>(n));
  if (limbs <= 8) return job(Montgomery<8>(n));
  if (limbs <= 12) return job(Montgomery<12>(n));
  if (limbs <= 16) return job(Montgomery<16>(n));
  if (limbs <= 20) return job(Montgomery<20>(n));
  if (limbs <= 23) return job(Montgomery<23>(n));
  if (limbs <= 26) return job(Montgomery<26>(n));  // 10^500 has 1661 bits
  return job(Montgomery<Limbs>(n));
}

// True when gcd(value, m) is a factor strictly between 1 and the modulus m;
// `factor` receives the gcd either way.
template <typename Mod>
bool ProperFactor(const Mod& mod, const typename Mod::Residue& value, Natural& factor) {
  factor = Gcd(mod.Leave(value), mod.modulus());
  return !IsOne(factor) && Compare(factor, mod.modulus()) != 0;
}

}  // namespace modular
