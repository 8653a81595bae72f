// SPDX-License-Identifier: GPL-3.0-or-later
// Baillie-PSW on Montgomery arithmetic sized for the number, and an exact
// test for numbers of one machine word.
#include <cassert>
#include <cstdlib>

#include "Methods.h"
#include "WordModulus.h"

namespace factoring {
namespace {

using modular::Natural;

// (d / n) for a small odd d (either sign) and a large odd n.
int JacobiOfSmall(std::int64_t d, const Natural& n) {
  const std::int64_t magnitude = std::llabs(d);
  const auto nMod4 = static_cast<int>(n.limb[0] % 4);
  int sign = 1;
  if (d < 0 && nMod4 == 3) sign = -sign;  // (-1 / n)
  // Reciprocity for the odd |d| and n.
  if (magnitude % 4 == 3 && nMod4 == 3) sign = -sign;
  return sign * modular::Jacobi(static_cast<std::int64_t>(modular::RemainderSmall(n, magnitude)),
                                magnitude);
}

template <typename Mod>
typename Mod::Residue SignedSmall(const Mod& mod, std::int64_t value) {
  const auto magnitude = mod.FromSmall(static_cast<std::uint64_t>(std::llabs(value)));
  return value < 0 ? mod.Subtract(mod.Zero(), magnitude) : magnitude;
}

bool IsPerfectSquare(const Natural& n) {
  wide::Number root;
  return wide::ExactRoot(modular::ToWide(n), 2, root);
}

template <typename Mod>
bool StrongProbablePrimeBase2(const Mod& mod) {
  using Residue = typename Mod::Residue;
  const Natural& n = mod.modulus();
  const Natural minusOne = modular::Subtract(n, modular::FromSmall(1));
  int s = 0;
  while (!modular::Bit(minusOne, s))
    ++s;
  const Residue one = mod.One();
  const Residue negativeOne = mod.Subtract(mod.Zero(), one);
  Residue x = mod.Power(mod.FromSmall(2), modular::ShiftRight(minusOne, s));
  if (mod.Equal(x, one) || mod.Equal(x, negativeOne)) return true;
  for (int r = 1; r < s; ++r) {
    x = mod.Square(x);
    if (mod.Equal(x, negativeOne)) return true;
  }
  return false;
}

// The strong Lucas test with Selfridge's parameters: D the first of 5, -7,
// 9, -11, ... with (D / n) = -1, P = 1, Q = (1 - D) / 4.
template <typename Mod>
bool StrongLucasProbablePrime(const Mod& mod) {
  using Residue = typename Mod::Residue;
  const Natural& n = mod.modulus();
  if (IsPerfectSquare(n)) return false;
  std::int64_t d = 5;
  for (;; d = d > 0 ? -(d + 2) : -d + 2) {
    const int symbol = JacobiOfSmall(d, n);
    if (symbol == -1) break;
    if (symbol == 0 && modular::Compare(n, modular::FromSmall(std::llabs(d))) != 0) return false;
  }
  const Residue dResidue = SignedSmall(mod, d);
  const Residue q = SignedSmall(mod, (1 - d) / 4);
  const Natural plusOne = modular::Add(n, modular::FromSmall(1));
  int s = 0;
  while (!modular::Bit(plusOne, s))
    ++s;
  const Natural odd = modular::ShiftRight(plusOne, s);

  // U_k, V_k and Q^k from the top bit of the odd part down, with P = 1.
  Residue u = mod.One();
  Residue v = mod.One();
  Residue qk = q;
  for (int bit = modular::BitLength(odd) - 2; bit >= 0; --bit) {
    u = mod.Multiply(u, v);
    v = mod.Subtract(mod.Square(v), mod.Add(qk, qk));
    qk = mod.Square(qk);
    if (modular::Bit(odd, bit)) {
      const Residue nextU = mod.Half(mod.Add(u, v));
      v = mod.Half(mod.Add(mod.Multiply(dResidue, u), v));
      u = nextU;
      qk = mod.Multiply(qk, q);
    }
  }
  if (mod.IsZero(u) || mod.IsZero(v)) return true;
  for (int r = 1; r < s; ++r) {
    v = mod.Subtract(mod.Square(v), mod.Add(qk, qk));
    if (mod.IsZero(v)) return true;
    qk = mod.Square(qk);
  }
  return false;
}

// Whether n passes the strong probable-prime test to base a, for an odd n
// and n - 1 = d * 2^s with d odd.
bool StrongProbablePrime(const modular::WordModulus& mod, std::uint64_t a, std::uint64_t d, int s) {
  const std::uint64_t n = mod.modulus();
  const std::uint64_t one = mod.FromSmall(1);
  const std::uint64_t minusOne = mod.FromSmall(n - 1);
  std::uint64_t x = one;
  for (std::uint64_t power = mod.FromSmall(a), e = d; e != 0; e >>= 1) {
    if ((e & 1) != 0) x = mod.Multiply(x, power);
    power = mod.Multiply(power, power);
  }
  if (x == one || x == minusOne) return true;
  for (int r = 1; r < s; ++r) {
    x = mod.Multiply(x, x);
    if (x == minusOne) return true;
  }
  return false;
}

}  // namespace

bool IsPrimeWord(std::uint64_t n) {
  assert(n < std::uint64_t{1} << 63);
  for (const std::uint64_t p : {2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37})
    if (n % p == 0) return n == p;
  if (n < 41 * 41) return n > 1;
  const int s = __builtin_ctzll(n - 1);
  const std::uint64_t d = (n - 1) >> s;
  const modular::WordModulus mod(n);
  // No composite below 2^64 is a strong probable prime to all seven
  // (Jim Sinclair's set); a base that n divides tells nothing and is passed.
  for (const std::uint64_t a : {2, 325, 9375, 28178, 450775, 9780504, 1795265022}) {
    if (a % n != 0 && !StrongProbablePrime(mod, a % n, d, s)) return false;
  }
  return true;
}

bool IsProbablePrime(const Natural& n, const PrimeSequence& primes) {
  if (modular::Compare(n, modular::FromSmall(2)) < 0) return false;
  for (const std::uint32_t p : primes) {
    if (p > 1000) break;
    if (modular::RemainderSmall(n, p) == 0) return modular::Compare(n, modular::FromSmall(p)) == 0;
  }
  return modular::WithMontgomery(n, [](const auto& mod) {
    return StrongProbablePrimeBase2(mod) && StrongLucasProbablePrime(mod);
  });
}

}  // namespace factoring
