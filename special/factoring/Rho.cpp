// SPDX-License-Identifier: GPL-3.0-or-later
// Pollard's rho with Brent's cycle finding. It finds factors of up to about
// ten digits quickly while a step is cheap, that is for moduli of one or two
// limbs; the curves do better on everything else.
#include <algorithm>
#include <cassert>
#include <numeric>

#include "Methods.h"
#include "WordModulus.h"

namespace factoring {
namespace {

using modular::Natural;

// gcd(value, n) for a residue of one word, which shares its divisors of n
// with the number it stands for; Montgomery's residues take
// modular::ProperFactor.
bool ProperFactor(const modular::WordModulus& mod, std::uint64_t value, Natural& factor) {
  const std::uint64_t divisor = std::gcd(value, mod.modulus());
  factor = modular::FromSmall(divisor);
  return divisor != 1 && divisor != mod.modulus();
}

// Iterates x -> x^2 + c up to a bound on the steps; products of 64
// differences share one gcd.
template <typename Mod>
Outcome PollardBrent(const Mod& mod, std::uint64_t c, std::uint64_t iterations, Natural& factor,
                     const std::atomic<bool>* cancel) {
  using Residue = typename Mod::Residue;
  const Residue increment = mod.FromSmall(c);
  const auto step = [&](const Residue& x) { return mod.Add(mod.Square(x), increment); };
  Residue y = mod.FromSmall(2);
  Residue x = y;
  Residue saved = y;
  Residue product = mod.One();
  std::uint64_t done = 0;
  for (std::uint64_t r = 1; done < iterations; r *= 2) {
    x = y;
    for (std::uint64_t i = 0; i < r; ++i)
      y = step(y);
    for (std::uint64_t k = 0; k < r && done < iterations; k += 64) {
      if (Stopped(cancel)) return Outcome::Cancelled;
      saved = y;
      const std::uint64_t batch = std::min<std::uint64_t>(64, r - k);
      for (std::uint64_t i = 0; i < batch; ++i) {
        y = step(y);
        product = mod.Multiply(product, mod.Subtract(x, y));
      }
      done += batch;
      if (ProperFactor(mod, product, factor)) return Outcome::Found;
      if (mod.IsZero(product)) {
        // The batch overshot; retrace it one difference at a time.
        for (std::uint64_t i = 0; i < batch; ++i) {
          saved = step(saved);
          if (ProperFactor(mod, mod.Subtract(x, saved), factor)) return Outcome::Found;
        }
        return Outcome::Failed;
      }
    }
  }
  return Outcome::Failed;
}

}  // namespace

std::uint64_t RhoWord(std::uint64_t n) {
  assert(n % 2 == 1 && n < std::uint64_t{1} << 63);
  const modular::WordModulus mod(n);
  Natural factor;
  for (std::uint64_t c = 1; c <= 8; ++c) {
    if (PollardBrent(mod, c, 1U << 20, factor, nullptr) == Outcome::Found) return factor.limb[0];
  }
  return 0;
}

Outcome Rho(const Natural& n, Natural& factor, const std::atomic<bool>* cancel) {
  const std::uint64_t steps = n.size <= 2 ? 1U << 17 : 1U << 14;
  return modular::WithMontgomery(
      n, [&](const auto& mod) { return PollardBrent(mod, 1, steps, factor, cancel); });
}

}  // namespace factoring
