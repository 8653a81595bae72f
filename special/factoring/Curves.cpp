// SPDX-License-Identifier: GPL-3.0-or-later
// The elliptic-curve method: Montgomery curves in Suyama's parametrisation,
// x-coordinates only, a prime-by-prime stage 1 and a baby-step giant-step
// stage 2.
#include <algorithm>
#include <array>
#include <cassert>
#include <iterator>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include <ecm.h>
#include <gmp.h>

#include "Methods.h"

namespace factoring {
namespace {

using modular::Natural;

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
  // x is a^-1 as a plain number (a entered as a R, left as a); the caller
  // needs its Montgomery form.
  const Residue& x = modular::IsOne(u) ? x1 : x2;
  Natural plain;
  for (int i = 0; i < static_cast<int>(x.size()); ++i)
    plain.limb[i] = x[i];
  plain.size = static_cast<int>(x.size());
  modular::Trim(plain);
  inverse = mod.Enter(plain);
  return true;
}

// Stops a curve: the user's cancel, or a factor found by another thread.
struct Halt {
  const std::atomic<bool>* cancel;
  const std::atomic<bool>* found;
  bool operator()() const { return Stopped(cancel) || Stopped(found); }
};

// What a failed inverse tells: a factor, unless the gcd is n itself.
Outcome FromCommon(const Natural& common, const Natural& n, Natural& factor) {
  factor = common;
  return modular::Compare(common, n) != 0 ? Outcome::Found : Outcome::Failed;
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
  using Point = ::factoring::Point<Residue>;

 public:
  // The set-up: Suyama's curve for sigma >= 6, A from sigma, and (A + 2) / 4
  // by one inverse. When that inverse does not exist, `ready` is false and
  // `common` holds the gcd that blocked it; nothing else may then be used.
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
    assert(!ready || LadderAgrees());
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

  // x(P) = x(Q) as ratios X / Z.
  bool SameX(const Point& p, const Point& q) const {
    return mod_.Equal(mod_.Multiply(p.x, q.z), mod_.Multiply(q.x, p.z));
  }

 private:
  // The ladder agrees with itself: [a b] P and [a] ([b] P) are one point.
  bool LadderAgrees() const {
    constexpr std::uint64_t kPairs[][2] = {{2, 3}, {3, 5}, {7, 4}, {6, 11}, {13, 210}};
    for (const auto& [a, b] : kPairs) {
      if (!SameX(Times(a * b, start_), Times(a, Times(b, start_)))) return false;
    }
    return true;
  }

  const Mod& mod_;
  Residue a24_{};
  Point start_{};
};

// Stage 1: the curve's start multiplied by every prime power up to b1, the
// primes drawn from `primes` from 2 on. On return `primes` stands at the
// first prime above b1, which goes to `next`. Found when the result's Z
// shares a proper factor with n; Failed when it is zero (every factor found
// at once); no outcome when stage 2 is to go on from q.
template <typename Mod>
std::optional<Outcome> StageOne(const Mod& mod, const Curve<Mod>& curve, std::uint32_t b1,
                                PrimeSequence& primes, Point<typename Mod::Residue>& q,
                                std::uint32_t& next, Natural& factor, const Halt& halt) {
  q = curve.Start();
  primes.Restart();
  std::uint32_t p = primes.Next();
  for (; p <= b1; p = primes.Next()) {
    if (halt()) return Outcome::Cancelled;
    std::uint64_t power = p;
    while (power * p <= b1)
      power *= p;
    q = curve.Times(power, q);
  }
  next = p;
  if (modular::ProperFactor(mod, q.z, factor)) return Outcome::Found;
  if (mod.IsZero(q.z)) return Outcome::Failed;
  return std::nullopt;
}

// Stage 2: looks for one more prime p' in [first, b2] with p' q = O, for
// the point q that stage 1 left; `primes` must stand just past `first`. A
// prime p' = m D +- j is caught when m D q and j q share their x, and each
// prime costs one product at the giant step m D nearest it, one product
// serving both m D + j and m D - j when both are prime.
template <typename Mod>
Outcome StageTwo(const Mod& mod, const Curve<Mod>& curve, const Point<typename Mod::Residue>& q,
                 std::uint32_t first, std::uint64_t b2, PrimeSequence& primes, Natural& factor,
                 const Halt& halt) {
  using Residue = typename Mod::Residue;
  using Point = ::factoring::Point<Residue>;
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
  Natural common;
  if (!Inverse(mod, running, inverse, common)) return FromCommon(common, mod.modulus(), factor);
  for (int k = kBabies - 1; k >= 0; --k) {
    babyX[k] = mod.Multiply(babyX[k], mod.Multiply(inverse, prefix[k]));
    inverse = mod.Multiply(inverse, babyZ[k]);
  }

  const Point giant = curve.Times(kSpan, q);
  std::uint32_t p = first;
  std::uint64_t m = (p + kSpan / 2) / kSpan;
  Point previous = curve.Times(m - 1, giant);
  Point current = curve.Times(m, giant);
  std::uint32_t caught = 0;  // the babies used at this giant step
  Residue product = mod.One();
  for (; p <= b2; p = primes.Next()) {
    for (const std::uint64_t nearest = (p + kSpan / 2) / kSpan; m < nearest; ++m) {
      if (m % 16 == 0 && halt()) return Outcome::Cancelled;
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
  return modular::ProperFactor(mod, product, factor) ? Outcome::Found : Outcome::Failed;
}

// The curve's number (from 0) that GMP-ECM's library runs as its
// sigma, in its fastest parametrisation (Montgomery curves with small
// a24, stage 1 by one product of all prime powers up to B1).
constexpr std::uint64_t kFirstLibrarySigma = 2;

// GMP-ECM polls a function without arguments to learn whether to stop;
// each thread's halt sits in a thread-local slot for it.
thread_local const Halt* tHalt = nullptr;
int StopAsap() {
  return tHalt != nullptr && (*tHalt)() ? 1 : 0;
}

void SetMpz(mpz_t target, const Natural& x) {
  mpz_import(target, static_cast<std::size_t>(x.size), -1, sizeof(std::uint64_t), 0, 0,
             x.limb.data());
}

Natural FromMpz(const mpz_t x) {
  Natural result;
  std::size_t count = 0;
  mpz_export(result.limb.data(), &count, -1, sizeof(std::uint64_t), 0, 0, x);
  result.size = static_cast<int>(count);
  return result;
}

// One curve of GMP-ECM's library: stage 1 to b1, stage 2 to the library's
// own bound for b1 (about 170 times b1, by polynomial arithmetic).
Outcome LibraryCurve(const Natural& n, std::uint64_t number, std::uint32_t b1, Natural& factor,
                     const Halt& halt) {
  mpz_t modulus;
  mpz_t found;
  mpz_init(modulus);
  mpz_init(found);
  SetMpz(modulus, n);
  ecm_params params;
  ecm_init(params);
  params->param = ECM_PARAM_BATCH_SQUARE;
  mpz_set_ui(params->sigma, kFirstLibrarySigma + number);
  params->stop_asap = StopAsap;
  tHalt = &halt;
  const int result = ecm_factor(found, modulus, b1, params);
  tHalt = nullptr;
  Outcome outcome = Outcome::Failed;
  if (halt()) {
    outcome = Outcome::Cancelled;
  } else if (ECM_FACTOR_FOUND_P(result) && mpz_cmp_ui(found, 1) > 0 &&
             mpz_cmp(found, modulus) < 0 && mpz_divisible_p(modulus, found) != 0) {
    factor = FromMpz(found);
    outcome = Outcome::Found;
  }
  ecm_clear(params);
  mpz_clear(found);
  mpz_clear(modulus);
  return outcome;
}

// One curve for sigma, stage 2 reaching b2.
template <typename Mod>
Outcome OneCurve(const Mod& mod, std::uint64_t sigma, std::uint32_t b1, std::uint64_t b2,
                 PrimeSequence& primes, Natural& factor, const Halt& halt) {
  Natural common;
  const Curve<Mod> curve(mod, sigma, common);
  if (!curve.ready) return FromCommon(common, mod.modulus(), factor);
  Point<typename Mod::Residue> q;
  std::uint32_t next = 0;
  if (const auto decided = StageOne(mod, curve, b1, primes, q, next, factor, halt)) {
    return *decided;
  }
  return StageTwo(mod, curve, q, next, b2, primes, factor, halt);
}

// GMP-ECM's library runs the curves: measured on this machine it covers a
// far longer stage 2 in less time than our own curves (see the README);
// ours stay as the portable alternative and for the tests.
constexpr bool kUseLibrary = true;

// The levels: each aims at factors of up to `digits` digits with `curves`
// curves of stage 1 bound b1 (and, in our own curves, stage 2 bound 100 b1).
struct Level {
  std::uint32_t b1;
  int curves;
  int digits;
};
// GMP-ECM's table of B1 and expected curves by factor size, for its default
// stage 2.
constexpr Level kLevels[] = {{2000, 30, 15},       {11000, 74, 20},     {50000, 221, 25},
                             {250000, 453, 30},    {1000000, 984, 35},  {3000000, 2541, 40},
                             {11000000, 4949, 45}, {43000000, 8266, 50}};

// The level of the curve numbered `run` from 0, and its number within that
// level; past the last level, more curves of the last.
std::pair<const Level*, int> LevelOf(std::int64_t run) {
  for (const Level& level : kLevels) {
    if (run < level.curves) return {&level, static_cast<int>(run)};
    run -= level.curves;
  }
  const Level& last = kLevels[std::size(kLevels) - 1];
  return {&last, static_cast<int>(run % last.curves)};
}

// Curves numbered from 0 (sigma = 6 + number) taken in turn by the
// context's threads; the first factor found stops them all.
template <typename Mod>
Outcome RunCurves(const Mod& mod, std::optional<int> mostCurves, Natural& factor,
                  const Context& context) {
  std::atomic<std::int64_t> next{0};
  std::atomic<bool> found{false};
  std::mutex mutex;
  const Halt halt{context.cancel, &found};
  const auto work = [&](bool reports) {
    PrimeSequence primes;
    Natural mine;
    const Level* shown = nullptr;
    for (;;) {
      const std::int64_t run = next.fetch_add(1);
      if ((mostCurves && run >= *mostCurves) || halt()) return;
      const auto [level, number] = LevelOf(run);
      if (reports && context.progress) {
        if (level != shown) {
          // A level cut short by `mostCurves` counts against the curves it
          // will run, not against its whole.
          const std::int64_t left = mostCurves ? *mostCurves - (run - number) : level->curves;
          context.progress->Start(FactorPhase::Curves,
                                  static_cast<int>(std::min<std::int64_t>(level->curves, left)),
                                  level->digits);
        }
        shown = level;
        context.progress->Advance(number);
      }
      const Outcome outcome =
          kUseLibrary
              ? LibraryCurve(mod.modulus(), static_cast<std::uint64_t>(run), level->b1, mine, halt)
              : OneCurve(mod, 6 + static_cast<std::uint64_t>(run), level->b1,
                         std::uint64_t{level->b1} * 100, primes, mine, halt);
      if (outcome == Outcome::Found) {
        const std::lock_guard lock(mutex);
        if (!found.exchange(true)) factor = mine;
        return;
      }
    }
  };
  {
    std::vector<std::jthread> helpers;
    for (int t = 1; t < context.threads; ++t)
      helpers.emplace_back(work, false);
    work(true);
  }
  if (found) return Outcome::Found;
  return Stopped(context.cancel) ? Outcome::Cancelled : Outcome::Failed;
}

}  // namespace

int CurvesForFactorsOf(double digits) {
  int curves = 0;
  int below = 0;  // the digits of the last level done
  for (const Level& level : kLevels) {
    if (level.digits > digits) {
      const double share = (digits - below) / (level.digits - below);
      return curves + static_cast<int>(share * level.curves);
    }
    curves += level.curves;
    below = level.digits;
  }
  return curves;
}

Outcome Curves(const Natural& n, std::optional<int> mostCurves, Natural& factor,
               const Context& context) {
  return modular::WithMontgomery(
      n, [&](const auto& mod) { return RunCurves(mod, mostCurves, factor, context); });
}

}  // namespace factoring
