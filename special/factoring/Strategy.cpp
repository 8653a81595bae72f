// SPDX-License-Identifier: GPL-3.0-or-later
// Which method takes which number. Trial division by the primes below 2^16
// hands over the small factors in order; each part that remains is tested
// for primality and, while composite, split: perfect powers first, numbers
// of 20 to 100 digits by the quadratic sieve (from 40 digits after a few
// curves for small factors), everything else by rho and the curves, which
// also take any number the sieve gives back.
#include <algorithm>
#include <thread>

#include "Methods.h"
#include "Sieve.h"
#include "SpecialFunctions.h"

namespace factoring {
namespace {

using modular::Natural;

// Perfect powers are taken apart before the curves, which find the prime of
// a power slowly: n = root^k for a prime k, which is at most a sixteenth of
// n's bits as every prime factor of n is above 2^16.
bool PerfectPowerRoot(const Natural& n, Natural& root) {
  const wide::Number value = modular::ToWide(n);
  for (int k = 2; k <= modular::BitLength(n) / 16; ++k) {
    bool prime = true;
    for (int d = 2; d * d <= k; ++d)
      prime = prime && k % d != 0;
    if (!prime) continue;
    wide::Number r;
    if (wide::ExactRoot(value, k, r)) {
      root = modular::FromWide(r);
      return true;
    }
  }
  return false;
}

// The curves spent on a number the sieve can take, before the sieve: enough
// to find a small factor sooner than the sieve would, a fraction of the
// sieve's time when there is none. Past 60 digits, the levels up to a
// third of the number's digits; from 95 digits, where the sieve takes most
// of an hour, the share of the next level up to that third too.
int CurvesBeforeSieve(int digits) {
  if (digits < 40) return 0;
  if (digits < 45) return 4;
  if (digits < 50) return 10;
  if (digits < 55) return 25;
  if (digits <= 60) return 60;
  return CurvesForFactorsOf(digits < 95 ? digits / 15 * 5 : digits / 3.0);
}

// A proper factor of a composite n; never Failed.
Outcome FindFactor(const Natural& n, const PrimeSequence& primes, Natural& factor,
                   const Context& context) {
  if (PerfectPowerRoot(n, factor)) return Outcome::Found;
  const wide::Number value = modular::ToWide(n);
  const int digits = wide::DecimalLength(value);
  // Below the sieve's first row rho and the curves split a number sooner
  // than the sieve's set-up would.
  if (digits >= SieveLeastDigits && digits <= SieveMostDigits) {
    // These numbers have no factor below 2^16, which leaves rho little to
    // find sooner than the sieve.
    if (const int curves = CurvesBeforeSieve(digits); curves > 0) {
      if (const Outcome outcome = Curves(n, curves, factor, context); outcome != Outcome::Failed) {
        return outcome;
      }
    }
    wide::Number part;
    const Outcome outcome = Sieve(value, primes, part, context);
    if (outcome == Outcome::Found) factor = modular::FromWide(part);
    if (outcome != Outcome::Failed) return outcome;
  }
  const Outcome outcome = Rho(n, factor, context.cancel);
  return outcome == Outcome::Failed ? Curves(n, std::nullopt, factor, context) : outcome;
}

TBigNumber RecordOf(const Natural& x) {
  return wide::ToRecord(modular::ToWide(x));
}

Natural Quotient(const Natural& a, const Natural& b) {
  return modular::FromWide(wide::Divide(modular::ToWide(a), modular::ToWide(b)));
}

}  // namespace
}  // namespace factoring

FactorOutcome FactorIntoPrimes(const TBigNumber& a,
                               const std::function<void(const TBigNumber&)>& appendFactor,
                               const std::atomic<bool>* cancel, const FactorSettings& settings) {
  using namespace factoring;
  const int threads = settings.threads > 0
                          ? settings.threads
                          : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  const Context context{cancel, threads, settings.progress};
  if (settings.progress) settings.progress->Start(FactorPhase::Starting, 0);
  if (!IsWellFormed(a)) return FactorOutcome::TooLarge;
  PrimeSequence primes;
  Natural rest = modular::FromWide(wide::FromRecord(a));
  // Trial division hands over the small factors in increasing order; it
  // stops where the divisor's square passes what remains.
  bool divided = false;
  for (const std::uint32_t p : primes) {
    if (modular::Compare(modular::FromSmall(std::uint64_t{p} * p), rest) > 0) break;
    while (modular::RemainderSmall(rest, p) == 0) {
      appendFactor(SmallNumber(p));
      rest = Quotient(rest, modular::FromSmall(p));
      divided = true;
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
  const auto probablePrime = [&](const Natural& n) {
    return settings.probablePrime ? settings.probablePrime(RecordOf(n))
                                  : IsProbablePrime(n, primes);
  };
  for (bool known = settings.composite && !divided; pendingCount > 0; known = false) {
    const Natural n = pending[--pendingCount];
    if (Stopped(cancel)) return FactorOutcome::Cancelled;
    if (!known && probablePrime(n)) {
      found[foundCount++] = n;
      continue;
    }
    Natural factor;
    if (FindFactor(n, primes, factor, context) != Outcome::Found) return FactorOutcome::Cancelled;
    pending[pendingCount++] = factor;
    pending[pendingCount++] = Quotient(n, factor);
  }
  std::sort(found.begin(), found.begin() + foundCount,
            [](const Natural& x, const Natural& y) { return modular::Compare(x, y) < 0; });
  for (int i = 0; i < foundCount; ++i)
    appendFactor(RecordOf(found[i]));
  return FactorOutcome::Complete;
}
