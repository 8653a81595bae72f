// Prime factorisation of numbers of up to 500 digits: trial division by the
// primes below 2^16, then for what remains the Baillie-PSW probable-prime
// test, Pollard-Brent rho, the elliptic-curve method (Montgomery curves,
// Suyama's parametrisation, a prime-by-prime stage 1 and a baby-step
// giant-step stage 2) on Montgomery arithmetic, and for numbers of 20 to 60
// digits the quadratic sieve.
#include <algorithm>
#include <cstdlib>
#include <optional>

#include "Modular.h"
#include "PrimeSequence.h"
#include "QuadraticSieve.h"
#include "SpecialFunctions.h"

namespace {

using modular::Natural;

// Below this many digits rho and the curves split a number sooner than the
// sieve's set-up would.
constexpr int kSievedFrom = 20;

bool Stopped(const std::atomic<bool>* cancel) {
  return cancel != nullptr && cancel->load(std::memory_order_relaxed);
}

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

// Runs `job` with Montgomery arithmetic sized for n: the smallest of a few
// limb counts that holds it, so that small moduli get short unrolled loops.
template <typename Job>
auto WithMontgomery(const Natural& n, Job&& job) {
  const int limbs = n.size;
  if (limbs <= 1) return job(modular::Montgomery<1>(n));
  if (limbs <= 2) return job(modular::Montgomery<2>(n));
  if (limbs <= 3) return job(modular::Montgomery<3>(n));
  if (limbs <= 4) return job(modular::Montgomery<4>(n));
  if (limbs <= 6) return job(modular::Montgomery<6>(n));
  if (limbs <= 8) return job(modular::Montgomery<8>(n));
  if (limbs <= 12) return job(modular::Montgomery<12>(n));
  if (limbs <= 16) return job(modular::Montgomery<16>(n));
  if (limbs <= 20) return job(modular::Montgomery<20>(n));
  if (limbs <= 23) return job(modular::Montgomery<23>(n));
  if (limbs <= 26) return job(modular::Montgomery<26>(n));  // 10^500 has 1661 bits
  return job(modular::Montgomery<modular::Limbs>(n));
}

bool IsPerfectSquare(const Natural& n) {
  const wide::Number value = modular::ToWide(n);
  const wide::Number root = wide::SquareRootFloor(value);
  return wide::Compare(wide::Multiply(root, root), value) == 0;
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

// Baillie-PSW, for which no composite that passes is known; exact for
// numbers below 2^64.
bool IsProbablePrime(const Natural& n, const PrimeSequence& primes) {
  if (modular::Compare(n, modular::FromSmall(2)) < 0) return false;
  for (const std::uint32_t p : primes) {
    if (p > 1000) break;
    if (modular::RemainderSmall(n, p) == 0) return modular::Compare(n, modular::FromSmall(p)) == 0;
  }
  return WithMontgomery(n, [](const auto& mod) {
    return StrongProbablePrimeBase2(mod) && StrongLucasProbablePrime(mod);
  });
}

// A factor strictly between 1 and n, when gcd(value, n) is one.
template <typename Mod>
bool ProperFactor(const Mod& mod, const typename Mod::Residue& value, Natural& factor) {
  factor = modular::Gcd(mod.Leave(value), mod.modulus());
  return !modular::IsOne(factor) && modular::Compare(factor, mod.modulus()) != 0;
}

// Pollard's rho with Brent's cycle finding on x -> x^2 + c, up to a bound on
// the iterations; products of 64 differences share one gcd.
template <typename Mod>
bool PollardBrent(const Mod& mod, std::uint64_t c, std::uint64_t iterations, Natural& factor,
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
      if (Stopped(cancel)) return false;
      saved = y;
      const std::uint64_t batch = std::min<std::uint64_t>(64, r - k);
      for (std::uint64_t i = 0; i < batch; ++i) {
        y = step(y);
        product = mod.Multiply(product, mod.Subtract(x, y));
      }
      done += batch;
      if (ProperFactor(mod, product, factor)) return true;
      if (mod.IsZero(product)) {
        // The batch overshot; retrace it one difference at a time.
        for (std::uint64_t i = 0; i < batch; ++i) {
          saved = step(saved);
          if (ProperFactor(mod, mod.Subtract(x, saved), factor)) return true;
        }
        return false;
      }
    }
  }
  return false;
}

// The inverse of a residue modulo the odd modulus, by the binary extended
// Euclidean algorithm on plain numbers (halving and subtracting modulo m
// work the same on Montgomery forms). False when there is none; `common`
// then holds gcd(a, m).
template <typename Mod>
bool Inverse(const Mod& mod, const typename Mod::Residue& a, typename Mod::Residue& inverse,
             Natural& common) {
  using Residue = typename Mod::Residue;
  Natural u = mod.Leave(a);
  Natural v = mod.modulus();
  Residue x1{};
  Residue x2{};
  x1[0] = 1;
  while (!modular::IsOne(u) && !modular::IsOne(v)) {
    if (modular::IsZero(u)) {
      common = v;
      return false;
    }
    while (modular::IsEven(u)) {
      u = modular::ShiftRight(u, 1);
      x1 = mod.Half(x1);
    }
    while (modular::IsEven(v)) {
      v = modular::ShiftRight(v, 1);
      x2 = mod.Half(x2);
    }
    if (modular::Compare(u, v) >= 0) {
      u = modular::Subtract(u, v);
      x1 = mod.Subtract(x1, x2);
    } else {
      v = modular::Subtract(v, u);
      x2 = mod.Subtract(x2, x1);
    }
  }
  // x = a^-1 as a plain number; its Montgomery form is what the caller needs.
  Natural plain;
  const Residue& x = modular::IsOne(u) ? x1 : x2;
  for (int i = 0; i < static_cast<int>(x.size()); ++i)
    plain.limb[i] = x[i];
  plain.size = static_cast<int>(x.size());
  while (plain.size > 0 && plain.limb[plain.size - 1] == 0)
    --plain.size;
  // a was entered as a R; Leave gave a. x = a^-1 (plain). The Montgomery form
  // of a^-1 is Enter(x).
  inverse = mod.Enter(plain);
  return true;
}

// A point (X : Z) on a Montgomery curve, x-coordinate only.
template <typename Residue>
struct Point {
  Residue x;
  Residue z;
};

template <typename Mod>
class Curve {
  using Residue = typename Mod::Residue;
  using Point = ::Point<Residue>;

 public:
  // Suyama's curve for sigma: A from sigma, and (A + 2) / 4 by one inverse.
  // When that inverse does not exist, `ready` is false and `common` holds
  // the gcd that blocked it.
  Curve(const Mod& mod, std::uint64_t sigma, Natural& common) : mod_(mod) {
    const Residue s = mod.FromSmall(sigma);
    const Residue u = mod.Subtract(mod.Square(s), mod.FromSmall(5));
    const Residue v = mod.Add(mod.Add(s, s), mod.Add(s, s));
    const Residue u3 = mod.Multiply(mod.Square(u), u);
    const Residue v3 = mod.Multiply(mod.Square(v), v);
    const Residue difference = mod.Subtract(v, u);
    const Residue difference3 = mod.Multiply(mod.Square(difference), difference);
    const Residue num = mod.Multiply(difference3, mod.Add(mod.Add(u, mod.Add(u, u)), v));
    const Residue den = mod.Multiply(mod.Multiply(u3, v), mod.FromSmall(16));
    Residue inverse{};
    ready = Inverse(mod, den, inverse, common);
    a24_ = mod.Multiply(num, inverse);
    start_ = {u3, v3};
  }

  bool ready = false;

  Point Start() const { return start_; }

  Point Double(const Point& p) const {
    const Residue sum = mod_.Square(mod_.Add(p.x, p.z));
    const Residue difference = mod_.Square(mod_.Subtract(p.x, p.z));
    const Residue t = mod_.Subtract(sum, difference);
    return {mod_.Multiply(sum, difference),
            mod_.Multiply(t, mod_.Add(difference, mod_.Multiply(a24_, t)))};
  }

  // p + q, given p - q.
  Point Add(const Point& p, const Point& q, const Point& difference) const {
    const Residue t1 = mod_.Multiply(mod_.Subtract(p.x, p.z), mod_.Add(q.x, q.z));
    const Residue t2 = mod_.Multiply(mod_.Add(p.x, p.z), mod_.Subtract(q.x, q.z));
    return {mod_.Multiply(difference.z, mod_.Square(mod_.Add(t1, t2))),
            mod_.Multiply(difference.x, mod_.Square(mod_.Subtract(t1, t2)))};
  }

  // k p by Montgomery's ladder, k >= 1.
  Point Times(std::uint64_t k, const Point& p) const {
    if (k == 1) return p;
    Point low = p;
    Point high = Double(p);
    for (int bit = 62 - __builtin_clzll(k); bit >= 0; --bit) {
      if (((k >> bit) & 1) != 0) {
        low = Add(high, low, p);
        high = Double(high);
      } else {
        high = Add(high, low, p);
        low = Double(low);
      }
    }
    return low;
  }

 private:
  const Mod& mod_;
  Residue a24_{};
  Point start_{};
};

enum class Search { Found, Failed, Cancelled };

// One curve: stage 1 multiplies the start by every prime power up to b1;
// stage 2 looks for one more prime q in (b1, b2] as m D +- j.
template <typename Mod>
Search EcmCurve(const Mod& mod, std::uint64_t sigma, std::uint32_t b1, std::uint64_t b2,
                PrimeSequence& primes, Natural& factor, const std::atomic<bool>* cancel) {
  using Residue = typename Mod::Residue;
  using Point = ::Point<Residue>;
  Natural common;
  const Curve<Mod> curve(mod, sigma, common);
  if (!curve.ready) {
    factor = common;
    return modular::Compare(common, mod.modulus()) != 0 ? Search::Found : Search::Failed;
  }
  Point q = curve.Start();
  primes.Restart();
  std::uint32_t p = primes.Next();
  for (; p <= b1; p = primes.Next()) {
    if (Stopped(cancel)) return Search::Cancelled;
    std::uint64_t power = p;
    while (power * p <= b1)
      power *= p;
    q = curve.Times(power, q);
  }
  if (ProperFactor(mod, q.z, factor)) return Search::Found;
  if (mod.IsZero(q.z)) return Search::Failed;

  // Stage 2: a prime p' = m D +- j is caught when m D q and j q share
  // their x.
  constexpr std::uint32_t kSpan = 210;   // D = 2 3 5 7
  constexpr int kBabies = 24;            // the odd j < D / 2 prime to D
  std::array<Residue, kBabies> babyX{};  // x of j q, with Z = 1
  std::array<Residue, kBabies> babyZ{};
  std::array<std::int8_t, kSpan / 2 + 1> babyOf;  // j -> its baby, or -1
  babyOf.fill(-1);
  int count = 0;
  const Point twice = curve.Double(q);
  Point older = q;                     // (j - 2) q
  Point old = curve.Add(twice, q, q);  // j q for j = 3
  babyOf[1] = static_cast<std::int8_t>(count);
  babyX[count] = q.x;
  babyZ[count++] = q.z;
  for (std::uint32_t j = 5; j < kSpan / 2; j += 2) {
    const Point next = curve.Add(old, twice, older);
    older = old;
    old = next;
    if (j % 3 != 0 && j % 5 != 0 && j % 7 != 0) {
      babyOf[j] = static_cast<std::int8_t>(count);
      babyX[count] = next.x;
      babyZ[count++] = next.z;
    }
  }
  // One inverse for all their Z (Montgomery's trick): x = X / Z.
  std::array<Residue, kBabies> prefix{};
  Residue running = mod.One();
  for (int k = 0; k < kBabies; ++k) {
    prefix[k] = running;
    running = mod.Multiply(running, babyZ[k]);
  }
  Residue inverse{};
  if (!Inverse(mod, running, inverse, common)) {
    factor = common;
    return modular::Compare(common, mod.modulus()) != 0 ? Search::Found : Search::Failed;
  }
  for (int k = kBabies - 1; k >= 0; --k) {
    babyX[k] = mod.Multiply(babyX[k], mod.Multiply(inverse, prefix[k]));
    inverse = mod.Multiply(inverse, babyZ[k]);
  }

  // Only primes need catching: each prime in (b1, b2] costs one product at
  // the giant step m D nearest it, and one product serves both m D + j and
  // m D - j when both are prime.
  const Point giant = curve.Times(kSpan, q);
  std::uint64_t m = (p + kSpan / 2) / kSpan;
  Point previous = curve.Times(m - 1, giant);
  Point current = curve.Times(m, giant);
  std::uint32_t caught = 0;  // the babies used at this giant step
  Residue product = mod.One();
  for (; p <= b2; p = primes.Next()) {
    for (const std::uint64_t nearest = (p + kSpan / 2) / kSpan; m < nearest; ++m) {
      if (m % 16 == 0 && Stopped(cancel)) return Search::Cancelled;
      const Point next = curve.Add(current, giant, previous);
      previous = current;
      current = next;
      caught = 0;
    }
    const std::uint64_t centre = m * kSpan;
    const int k = babyOf[p > centre ? p - centre : centre - p];
    if (k < 0 || (caught >> k & 1) != 0) continue;  // (k < 0 only for p dividing D)
    caught |= 1U << k;
    product = mod.Multiply(product, mod.Subtract(current.x, mod.Multiply(babyX[k], current.z)));
  }
  return ProperFactor(mod, product, factor) ? Search::Found : Search::Failed;
}

// Rho finds factors of up to about ten digits quickly while a step is
// cheap, that is for moduli of one or two limbs; the curves do better on
// everything else.
template <typename Mod>
Search TryRho(const Mod& mod, Natural& factor, const std::atomic<bool>* cancel) {
  const std::uint64_t steps = mod.modulus().size <= 2 ? 1U << 17 : 1U << 14;
  if (PollardBrent(mod, 1, steps, factor, cancel)) return Search::Found;
  return Stopped(cancel) ? Search::Cancelled : Search::Failed;
}

// Curves from the smallest level up, at most `mostCurves` of them; with no
// bound the search never gives up: past the last level it goes on with new
// curves.
template <typename Mod>
Search RunCurves(const Mod& mod, std::optional<int> mostCurves, Natural& factor,
                 const std::atomic<bool>* cancel) {
  PrimeSequence primes;
  struct Level {
    std::uint32_t b1;
    int curves;
  };
  constexpr Level kLevels[] = {{2000, 25},    {11000, 90},     {50000, 300},
                               {250000, 700}, {1000000, 1800}, {3000000, 5100}};
  std::uint64_t sigma = 6;
  int run = 0;
  for (std::size_t level = 0;; level = std::min(level + 1, std::size(kLevels) - 1)) {
    for (int curve = 0; curve < kLevels[level].curves; ++curve, ++sigma, ++run) {
      if (mostCurves && run == *mostCurves) return Search::Failed;
      const std::uint32_t b1 = kLevels[level].b1;
      const Search search =
          EcmCurve(mod, sigma, b1, std::uint64_t{b1} * 100, primes, factor, cancel);
      if (search != Search::Failed) return search;
    }
  }
}

// The curves spent on a number the sieve can take, before the sieve: enough
// to find a small factor sooner than the sieve would, a fraction of the
// sieve's time when there is none.
int CurvesBeforeSieve(int digits) {
  if (digits < 40) return 0;
  if (digits < 45) return 4;
  if (digits < 50) return 10;
  if (digits < 55) return 25;
  return 60;
}

wide::Number Power(const wide::Number& base, int exponent) {
  wide::Number power = wide::FromSmall(1);
  for (int i = 0; i < exponent; ++i)
    power = wide::Multiply(power, base);
  return power;
}

// The root r when n = r^k for a prime k; every prime factor of n is above
// 2^16, so k is at most a sixteenth of n's bits. The curves find the prime
// of a power slowly, so powers are taken apart first.
bool PerfectPowerRoot(const Natural& n, Natural& root) {
  const wide::Number value = modular::ToWide(n);
  for (int k = 2; k <= modular::BitLength(n) / 16; ++k) {
    bool prime = true;
    for (int d = 2; d * d <= k; ++d)
      prime = prime && k % d != 0;
    if (!prime) continue;
    // Newton's iteration from above settles on floor(n^(1/k)).
    wide::Number r = wide::RootOverestimate(value, k);
    for (;;) {
      const wide::Number next =
          wide::DivideSmall(wide::Add(wide::MultiplySmall(r, static_cast<std::uint32_t>(k - 1)),
                                      wide::Divide(value, Power(r, k - 1))),
                            static_cast<std::uint32_t>(k));
      if (wide::Compare(next, r) >= 0) break;
      r = next;
    }
    if (wide::Compare(Power(r, k), value) == 0) {
      root = modular::FromWide(r);
      return true;
    }
  }
  return false;
}

// A proper factor of a composite n, or false when cancelled. Numbers of 20
// to 60 digits go to the quadratic sieve, from 40 digits after a few curves
// for small factors; rho and the curves take every other number, and any
// the sieve gives back.
bool FindFactor(const Natural& n, const PrimeSequence& primes, Natural& factor,
                const std::atomic<bool>* cancel) {
  if (PerfectPowerRoot(n, factor)) return true;
  const wide::Number value = modular::ToWide(n);
  const int digits = wide::DecimalLength(value);
  if (digits >= kSievedFrom && digits <= sieve::MostDigits) {
    // These numbers have no factor below 2^16, which leaves rho little to
    // find sooner than the sieve.
    if (const int curves = CurvesBeforeSieve(digits); curves > 0) {
      const Search search = WithMontgomery(
          n, [&](const auto& mod) { return RunCurves(mod, curves, factor, cancel); });
      if (search != Search::Failed) return search == Search::Found;
    }
    wide::Number part;
    switch (sieve::FindFactor(value, primes, part, cancel)) {
      case sieve::Outcome::Found:
        factor = modular::FromWide(part);
        return true;
      case sieve::Outcome::Cancelled:
        return false;
      case sieve::Outcome::GaveUp:
        break;
    }
  }
  return WithMontgomery(n, [&](const auto& mod) {
    Search search = TryRho(mod, factor, cancel);
    if (search == Search::Failed) search = RunCurves(mod, std::nullopt, factor, cancel);
    return search == Search::Found;
  });
}

TBigNumber RecordOf(const Natural& x) {
  return wide::ToRecord(modular::ToWide(x));
}

Natural Quotient(const Natural& a, const Natural& b) {
  return modular::FromWide(wide::Divide(modular::ToWide(a), modular::ToWide(b)));
}

}  // namespace

FactorOutcome FactorIntoPrimes(const TBigNumber& a,
                               const std::function<void(const TBigNumber&)>& appendFactor,
                               const std::atomic<bool>* cancel) {
  if (!IsWellFormed(a)) return FactorOutcome::TooLarge;
  PrimeSequence primes;
  Natural rest = modular::FromWide(wide::FromRecord(a));
  // Trial division hands over the small factors in increasing order; it
  // stops where the divisor's square passes what remains.
  for (const std::uint32_t p : primes) {
    if (modular::Compare(modular::FromSmall(std::uint64_t{p} * p), rest) > 0) break;
    while (modular::RemainderSmall(rest, p) == 0) {
      appendFactor(SmallNumber(p));
      rest = Quotient(rest, modular::FromSmall(p));
    }
  }
  if (modular::Compare(rest, modular::FromSmall(1)) <= 0) return FactorOutcome::Complete;

  // What remains has only prime factors above 2^16: at most 104 of them.
  constexpr int kMost = 128;
  std::array<Natural, kMost> found{};
  std::array<Natural, kMost> pending{};
  int foundCount = 0;
  int pendingCount = 0;
  pending[pendingCount++] = rest;
  while (pendingCount > 0) {
    const Natural n = pending[--pendingCount];
    if (Stopped(cancel)) return FactorOutcome::Cancelled;
    if (IsProbablePrime(n, primes)) {
      found[foundCount++] = n;
      continue;
    }
    Natural factor;
    if (!FindFactor(n, primes, factor, cancel)) return FactorOutcome::Cancelled;
    pending[pendingCount++] = factor;
    pending[pendingCount++] = Quotient(n, factor);
  }
  std::sort(found.begin(), found.begin() + foundCount,
            [](const Natural& x, const Natural& y) { return modular::Compare(x, y) < 0; });
  for (int i = 0; i < foundCount; ++i)
    appendFactor(RecordOf(found[i]));
  return FactorOutcome::Complete;
}
