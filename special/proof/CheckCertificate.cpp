// SPDX-License-Identifier: GPL-3.0-or-later
// The theorem a curve's step rests on (Goldwasser and Kilian; Atkin and
// Morain):
// let N > 1 be prime to 6, E: y^2 = x^3 + a x + b a curve with 4a^3 + 27b^2
// prime to N, q > (N^(1/4) + 1)^2 a prime and Q a point of E(Z/NZ) that is
// not O modulo any prime p of N, with qQ = O. Then N is prime: modulo each
// p, Q has order q, which Hasse's bound keeps below (p^(1/2) + 1)^2.
//
// The points are computed in Jacobian coordinates with the general
// formulas, which give the group law modulo every p of N except where an
// addition meets O or two equal points: there they give (X : Y : 0) or
// (0 : 0 : 0). Before each addition the accumulator's Z joins a running
// product, which must end prime to N, and qQ must end with Y prime to N:
// so every exception is caught, whatever N's primes.
#include <algorithm>
#include <thread>
#include <variant>

#include "Certificate.h"
#include "factoring/Methods.h"

namespace proof {
namespace {

using modular::Natural;

template <typename Mod>
struct Point {
  typename Mod::Residue x, y, z;
};

template <typename Mod>
class Curve {
 public:
  using Residue = typename Mod::Residue;

  Curve(const Mod& mod, const Residue& a) : mod_(mod), a_(a), product_(mod.One()) {}

  // dbl-2007-bl: correct for every point, O and points of order 2 included.
  Point<Mod> Double(const Point<Mod>& p) const {
    const Mod& m = mod_;
    const Residue xx = m.Square(p.x);
    const Residue yy = m.Square(p.y);
    const Residue yyyy = m.Square(yy);
    const Residue zz = m.Square(p.z);
    const Residue xPlusYy = m.Add(p.x, yy);
    const Residue s = Twice(m.Subtract(m.Subtract(m.Square(xPlusYy), xx), yyyy));
    const Residue mm = m.Add(m.Add(Twice(xx), xx), m.Multiply(a_, m.Square(zz)));
    const Residue x = m.Subtract(m.Square(mm), Twice(s));
    const Residue eight = Twice(Twice(Twice(yyyy)));
    const Residue y = m.Subtract(m.Multiply(mm, m.Subtract(s, x)), eight);
    const Residue z = m.Subtract(m.Subtract(m.Square(m.Add(p.y, p.z)), yy), zz);
    return {x, y, z};
  }

  // add-2007-bl; p's Z joins the product first.
  Point<Mod> Add(const Point<Mod>& p, const Point<Mod>& q) {
    const Mod& m = mod_;
    product_ = m.Multiply(product_, p.z);
    const Residue z1z1 = m.Square(p.z);
    const Residue z2z2 = m.Square(q.z);
    const Residue u1 = m.Multiply(p.x, z2z2);
    const Residue u2 = m.Multiply(q.x, z1z1);
    const Residue s1 = m.Multiply(m.Multiply(p.y, q.z), z2z2);
    const Residue s2 = m.Multiply(m.Multiply(q.y, p.z), z1z1);
    const Residue h = m.Subtract(u2, u1);
    const Residue i = m.Square(Twice(h));
    const Residue j = m.Multiply(h, i);
    const Residue r = Twice(m.Subtract(s2, s1));
    const Residue v = m.Multiply(u1, i);
    const Residue x = m.Subtract(m.Subtract(m.Square(r), j), Twice(v));
    const Residue y = m.Subtract(m.Multiply(r, m.Subtract(v, x)), Twice(m.Multiply(s1, j)));
    const Residue zSum = m.Square(m.Add(p.z, q.z));
    const Residue z = m.Multiply(m.Subtract(m.Subtract(zSum, z1z1), z2z2), h);
    return {x, y, z};
  }

  // k p by doubling and adding from the top bit, for k >= 1.
  Point<Mod> Times(const Point<Mod>& p, const Natural& k) {
    Point<Mod> sum = p;
    for (int bit = modular::BitLength(k) - 2; bit >= 0; --bit) {
      sum = Double(sum);
      if (modular::Bit(k, bit)) sum = Add(sum, p);
    }
    return sum;
  }

  const Residue& Product() const { return product_; }

 private:
  Residue Twice(const Residue& x) const { return mod_.Add(x, x); }

  const Mod& mod_;
  Residue a_;
  Residue product_;  // of the accumulators' Z before each addition
};

template <typename Mod>
bool PrimeTo(const Mod& mod, const typename Mod::Residue& value) {
  return modular::IsOne(modular::Gcd(mod.Leave(value), mod.modulus()));
}

// The curve's part of a step: the discriminant prime to N, Q = sP not O
// modulo any p, and qQ = O modulo every p.
template <typename Mod>
bool Holds(const Mod& mod, const CurveStep& step, const Natural& q, const std::atomic<bool>*) {
  using Residue = typename Mod::Residue;
  const Residue a = mod.Enter(step.a);
  const Residue x = mod.Enter(step.x);
  const Residue y = mod.Enter(step.y);
  const Residue x3 = mod.Multiply(mod.Square(x), x);
  const Residue b = mod.Subtract(mod.Subtract(mod.Square(y), x3), mod.Multiply(a, x));
  const Residue a3 = mod.Multiply(mod.Square(a), a);
  const Residue discriminant =
      mod.Add(mod.Multiply(mod.FromSmall(4), a3), mod.Multiply(mod.FromSmall(27), mod.Square(b)));
  if (!PrimeTo(mod, discriminant)) return false;
  Curve<Mod> curve(mod, a);
  const Point<Mod> point{x, y, mod.One()};
  const Point<Mod> base = curve.Times(point, step.s);
  if (!PrimeTo(mod, base.z)) return false;
  const Point<Mod> last = curve.Times(base, q);
  return mod.IsZero(last.z) && PrimeTo(mod, last.y) && PrimeTo(mod, curve.Product());
}

// q > (N^(1/4) + 1)^2, by q > (floor(N^(1/4)) + 1)^2.
bool LargeEnough(const Natural& n, const Natural& q) {
  const wide::Number root = wide::RootFloor(modular::ToWide(n), 4);
  const wide::Number bound = wide::Add(root, wide::FromSmall(1));
  return wide::Compare(modular::ToWide(q), wide::Multiply(bound, bound)) > 0;
}

// The curve's arithmetic: N > 3, odd and prime to 3, the curve's values
// below N, m = N + 1 - t = s q; q is written into `q`.
bool NumbersHold(const Natural& n, const CurveStep& step, Natural& q) {
  if (modular::BitLength(n) < 3 || !modular::Bit(n, 0) || modular::RemainderSmall(n, 3) == 0)
    return false;
  for (const Natural* value : {&step.a, &step.x, &step.y})
    if (modular::Compare(*value, n) >= 0) return false;
  const Natural nPlusOne = modular::Add(n, modular::FromSmall(1));
  if (!step.tNegative && modular::Compare(step.t, nPlusOne) >= 0) return false;
  if (modular::BitLength(step.t) > modular::BitLength(n)) return false;
  const Natural m =
      step.tNegative ? modular::Add(nPlusOne, step.t) : modular::Subtract(nPlusOne, step.t);
  if (modular::IsZero(step.s)) return false;
  wide::Number rest;
  const wide::Number quotient = wide::Divide(modular::ToWide(m), modular::ToWide(step.s), &rest);
  if (!wide::IsZero(rest)) return false;
  q = modular::FromWide(quotient);
  return LargeEnough(n, q);
}

// Baillie-PSW is exact below 2^64.
bool PrimeWord(const Natural& x) {
  if (modular::BitLength(x) > 64) return false;
  if (modular::BitLength(x) < 63) return factoring::IsPrimeWord(x.limb[0]);
  return factoring::IsProbablePrime(x, PrimeSequence());
}

// Pocklington's theorem: let F divide N - 1 with (F + 1)^2 > N, and for
// each prime p of F let a^(N-1) = 1 and a^((N-1)/p) - 1 be prime to N.
// Then a's order modulo each prime r of N is divisible by F, r = 1 mod F
// exceeds sqrt(N), and N is prime. Here: N > 3 odd, a below N, the primes
// before the last below 2^64 and prime, each dividing N - 1, and F, the
// part of N - 1 made of them, with F >= floor(sqrt(N)); q is the last.
bool NumbersHold(const Natural& n, const PocklingtonStep& step, Natural& q) {
  if (modular::BitLength(n) < 3 || !modular::Bit(n, 0) || modular::Compare(step.a, n) >= 0 ||
      step.primes.empty())
    return false;
  wide::Number rest = modular::ToWide(modular::Subtract(n, modular::FromSmall(1)));
  const wide::Number nMinusOne = rest;
  for (const Natural& prime : step.primes) {
    if (modular::BitLength(prime) < 2) return false;
    if (&prime != &step.primes.back() && !PrimeWord(prime)) return false;
    wide::Number remainder;
    wide::Number quotient = wide::Divide(rest, modular::ToWide(prime), &remainder);
    if (!wide::IsZero(remainder)) return false;
    while (wide::IsZero(remainder)) {
      rest = quotient;
      quotient = wide::Divide(rest, modular::ToWide(prime), &remainder);
    }
  }
  q = step.primes.back();
  const wide::Number part = wide::Divide(nMinusOne, rest);
  return wide::Compare(part, wide::SquareRootFloor(modular::ToWide(n))) >= 0;
}

// a^(N-1) = 1 and each a^((N-1)/p) - 1 prime to N. A cancel ends the
// search as if it held: Check then says Cancelled, never Proven.
template <typename Mod>
bool Holds(const Mod& mod, const PocklingtonStep& step, const Natural&,
           const std::atomic<bool>* cancel) {
  const Natural nMinusOne = modular::Subtract(mod.modulus(), modular::FromSmall(1));
  const typename Mod::Residue a = mod.Enter(step.a);
  if (!mod.Equal(mod.Power(a, nMinusOne), mod.One())) return false;
  for (const Natural& prime : step.primes) {
    if (factoring::Stopped(cancel)) return true;
    const wide::Number exponent = wide::Divide(modular::ToWide(nMinusOne), modular::ToWide(prime));
    const auto power = mod.Power(a, modular::FromWide(exponent));
    if (!PrimeTo(mod, mod.Subtract(power, mod.One()))) return false;
  }
  return true;
}

bool StepHolds(const Step& step, const Natural& q, const std::atomic<bool>* cancel) {
  return modular::WithMontgomery(step.n, [&](const auto& mod) {
    return std::visit([&](const auto& by) { return Holds(mod, by, q, cancel); }, step.by);
  });
}

// The chain: the first step for n, each next one for the last q, the last
// q below 2^64 and prime (Baillie-PSW is exact there); each step's q into
// `qs`.
bool ChainHolds(const Natural& n, const Certificate& certificate, std::vector<Natural>& qs) {
  if (certificate.empty()) return false;
  Natural expected = n;
  for (const Step& step : certificate) {
    Natural q;
    if (modular::Compare(step.n, expected) != 0) return false;
    if (!std::visit([&](const auto& by) { return NumbersHold(step.n, by, q); }, step.by))
      return false;
    qs.push_back(q);
    expected = q;
  }
  return PrimeWord(expected);
}

}  // namespace

Verdict Check(const Natural& n, const Certificate& certificate, int threads,
              const std::atomic<bool>* cancel) {
  std::vector<Natural> qs;
  if (!ChainHolds(n, certificate, qs)) return Verdict::Refused;
  std::atomic<std::size_t> next{0};
  std::atomic<bool> refused{false};
  const auto work = [&] {
    for (std::size_t k = next++; k < certificate.size() && !refused; k = next++) {
      if (factoring::Stopped(cancel)) return;
      if (!StepHolds(certificate[k], qs[k], cancel)) refused = true;
    }
  };
  {
    std::vector<std::jthread> helpers;
    for (int t = 1; t < threads; ++t)
      helpers.emplace_back(work);
    work();
  }
  if (refused) return Verdict::Refused;
  return factoring::Stopped(cancel) ? Verdict::Cancelled : Verdict::Proven;
}

}  // namespace proof
