// SPDX-License-Identifier: GPL-3.0-or-later
// Arithmetic modulo an odd number of one machine word: the inverse modulo
// 2^64 that Montgomery's reduction and exact division need, and residues in
// Montgomery form for the sieve's cofactors of two large primes, without the
// multi-limb residues the long moduli take.
#pragma once

#include <cstdint>

namespace modular {

// a^-1 mod 2^64 for an odd a: Newton's steps double the correct bits, from
// the three that a itself has right.
constexpr std::uint64_t InverseModulo2To64(std::uint64_t a) {
  std::uint64_t inverse = a;
  for (int step = 0; step < 5; ++step)
    inverse *= 2 - a * inverse;
  return inverse;
}
static_assert(InverseModulo2To64(3) * 3 == 1 &&
              InverseModulo2To64(0xffff'ffff'ffff'fffb) * 0xffff'ffff'ffff'fffb == 1);

// Residues are x * 2^64 mod n, for an odd n below 2^63; the operations are
// those of modular::Montgomery that rho takes, on one word.
class WordModulus {
  __extension__ typedef unsigned __int128 Wide;

 public:
  using Residue = std::uint64_t;

  explicit WordModulus(std::uint64_t n) : n_(n) {
    minusInverse_ = 0 - InverseModulo2To64(n);
    const auto r = static_cast<std::uint64_t>((Wide{1} << 64) % n);
    rSquared_ = static_cast<std::uint64_t>(Wide{r} * r % n);
  }

  std::uint64_t modulus() const { return n_; }
  std::uint64_t FromSmall(std::uint64_t x) const { return Multiply(x % n_, rSquared_); }
  std::uint64_t One() const { return FromSmall(1); }
  std::uint64_t Multiply(std::uint64_t a, std::uint64_t b) const { return Reduce(Wide{a} * b); }
  std::uint64_t Square(std::uint64_t a) const { return Multiply(a, a); }
  bool IsZero(std::uint64_t a) const { return a == 0; }
  std::uint64_t Add(std::uint64_t a, std::uint64_t b) const {
    const std::uint64_t sum = a + b;  // below 2^64, as n is below 2^63
    return sum >= n_ ? sum - n_ : sum;
  }
  std::uint64_t Subtract(std::uint64_t a, std::uint64_t b) const {
    return a >= b ? a - b : a + n_ - b;
  }

 private:
  // t * 2^-64 mod n for t below n * 2^64.
  std::uint64_t Reduce(Wide t) const {
    const std::uint64_t m = static_cast<std::uint64_t>(t) * minusInverse_;
    const auto reduced = static_cast<std::uint64_t>((t + Wide{m} * n_) >> 64);
    return reduced >= n_ ? reduced - n_ : reduced;
  }

  std::uint64_t n_;
  std::uint64_t minusInverse_;
  std::uint64_t rSquared_;
};

}  // namespace modular
