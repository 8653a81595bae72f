// SPDX-License-Identifier: GPL-3.0-or-later
// The elliptic-curve method, by GMP-ECM's library: Montgomery curves, stage
// 1 by one product of all prime powers up to B1, stage 2 by polynomial
// arithmetic, in levels by the size of factor they aim at.
#include <algorithm>
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

// Stops a curve: the user's cancel, or a factor found by another thread.
struct Halt {
  const std::atomic<bool>* cancel;
  const std::atomic<bool>* found;
  bool operator()() const { return Stopped(cancel) || Stopped(found); }
};

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

// The levels: each aims at factors of up to `digits` digits with `curves`
// curves of stage 1 bound b1.
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

// Curves numbered from 0 taken in turn by the context's threads; the first
// factor found stops them all.
Outcome RunCurves(const Natural& n, std::optional<int> mostCurves, Natural& factor,
                  const Context& context) {
  std::atomic<std::int64_t> next{0};
  std::atomic<bool> found{false};
  std::mutex mutex;
  const Halt halt{context.cancel, &found};
  const auto work = [&](bool reports) {
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
          LibraryCurve(n, static_cast<std::uint64_t>(run), level->b1, mine, halt);
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
  return RunCurves(n, mostCurves, factor, context);
}

}  // namespace factoring
