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
      if (modular::ProperFactor(mod, product, factor)) return Outcome::Found;
      if (mod.IsZero(product)) {
        // The batch overshot; retrace it one difference at a time.
        for (std::uint64_t i = 0; i < batch; ++i) {
          saved = step(saved);
          if (modular::ProperFactor(mod, mod.Subtract(x, saved), factor)) return Outcome::Found;
        }
        return Outcome::Failed;
      }
    }
  }
  return Outcome::Failed;
}

// Brent's rho on one machine word, with x -> x^2 + c; 0 when the steps run
// out or the sequence closes without a proper factor.
std::uint64_t PollardBrentWord(const WordModulus& mod, std::uint64_t c, std::uint64_t iterations) {
  const std::uint64_t n = mod.modulus();
  const std::uint64_t increment = mod.From(c);
  const auto step = [&](std::uint64_t x) { return mod.Add(mod.Multiply(x, x), increment); };
  std::uint64_t y = mod.From(2);
  std::uint64_t product = mod.From(1);
  for (std::uint64_t r = 1, done = 0; done < iterations; r *= 2) {
    const std::uint64_t x = y;
    for (std::uint64_t i = 0; i < r; ++i)
      y = step(y);
    for (std::uint64_t k = 0; k < r && done < iterations; k += 64) {
      const std::uint64_t saved = y;
      const std::uint64_t batch = std::min<std::uint64_t>(64, r - k);
      for (std::uint64_t i = 0; i < batch; ++i) {
        y = step(y);
        product = mod.Multiply(product, mod.Subtract(x, y));
      }
      done += batch;
      // A residue shares its divisors of n with the number it stands for.
      if (const std::uint64_t g = std::gcd(product, n); g != 1 && g != n) return g;
      if (product == 0) {  // the batch overshot; retrace it a step at a time
        y = saved;
        for (std::uint64_t i = 0; i < batch; ++i) {
          y = step(y);
          if (const std::uint64_t g = std::gcd(mod.Subtract(x, y), n); g != 1 && g != n) return g;
        }
        return 0;
      }
    }
  }
  return 0;
}

}  // namespace

std::uint64_t RhoWord(std::uint64_t n) {
  assert(n % 2 == 1 && n < std::uint64_t{1} << 63);
  const WordModulus mod(n);
  for (std::uint64_t c = 1; c <= 8; ++c) {
    if (const std::uint64_t factor = PollardBrentWord(mod, c, 1U << 20); factor != 0) return factor;
  }
  return 0;
}

Outcome Rho(const Natural& n, Natural& factor, const std::atomic<bool>* cancel) {
  const std::uint64_t steps = n.size <= 2 ? 1U << 17 : 1U << 14;
  return modular::WithMontgomery(
      n, [&](const auto& mod) { return PollardBrent(mod, 1, steps, factor, cancel); });
}

}  // namespace factoring
