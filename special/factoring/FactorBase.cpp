// SPDX-License-Identifier: GPL-3.0-or-later
#include "FactorBase.h"

#include <array>
#include <cassert>
#include <cmath>

#include "WordModulus.h"

namespace factoring {
namespace {

using wide::Number;

// Knuth and Schroeppel's choice of k: the one whose kN has the most small
// primes as quadratic residues, weighed against the larger values of Q.
std::uint32_t ChooseMultiplier(const Number& n, const PrimeSequence& primes) {
  constexpr std::uint32_t kCandidates[] = {1,  3,  5,  7,  11, 13, 15, 17, 19, 21, 23,
                                           29, 31, 33, 35, 37, 39, 41, 43, 47, 51, 53,
                                           55, 57, 59, 61, 65, 67, 69, 71, 73};
  constexpr int kWeighed = 167;  // the odd primes below 1000
  std::array<std::uint32_t, kWeighed> residues{};
  std::array<double, kWeighed> weights{};
  const std::uint32_t* odd = primes.begin() + 1;
  for (int i = 0; i < kWeighed; ++i) {
    residues[i] = wide::Remainder(n, odd[i]);
    weights[i] = std::log(static_cast<double>(odd[i]));
  }
  const double ln2 = std::log(2.0);
  const std::uint32_t nMod8 = wide::Remainder(n, 8);
  std::uint32_t best = 1;
  double bestScore = -1e9;
  for (const std::uint32_t k : kCandidates) {
    double score = -0.5 * std::log(static_cast<double>(k));
    const std::uint32_t knMod8 = k * nMod8 % 8;
    score += knMod8 == 1 ? 2 * ln2 : knMod8 == 5 ? ln2 : 0.5 * ln2;
    for (int i = 0; i < kWeighed; ++i) {
      const std::uint32_t p = odd[i];
      if (k % p == 0) {
        score += weights[i] / p;
      } else if (modular::Jacobi(k * residues[i] % p, p) == 1) {
        score += 2 * weights[i] / (p - 1);
      }
    }
    if (score > bestScore) {
      bestScore = score;
      best = k;
    }
  }
  return best;
}

// The base's primes and roots; false when one divides n.
bool CollectPrimes(const PrimeSequence& primes, FactorBase& base, Number& factor) {
  const int size = base.settings.primes;
  base.prime.assign(size, 0);
  base.root.assign(size, 0);
  base.prime[0] = 1;
  base.prime[1] = 2;
  base.count = 2;
  PrimeSequence sequence = primes;
  sequence.Restart();
  for (std::uint32_t p = sequence.Next(); base.count < size; p = sequence.Next()) {
    if (p == 2) continue;
    const std::uint32_t residue = wide::Remainder(base.kn, p);
    if (residue == 0 && wide::Remainder(base.n, p) == 0) {
      factor = wide::FromSmall(p);
      return false;
    }
    if (residue != 0 && modular::Jacobi(residue, p) != 1) continue;
    base.prime[base.count] = p;
    base.root[base.count] = modular::SquareRootModulo(residue, p);
    ++base.count;
  }
  return true;
}

// A position is a candidate when the logarithms sieved there leave at most
// the large primes of its value unexplained, less the slack: the values are
// smaller than the largest inside the interval, and the smallest primes are
// left out of the sieve (they cost the most for the least information) and
// made up for by their mean share. Long numbers count in units a little
// larger than a bit, so that the sum stays within a byte. Returns the unit.
double SetThreshold(FactorBase& base) {
  double skipped = 1.0;  // the mean share of 2
  while (base.firstSieved < base.count && base.prime[base.firstSieved] < base.settings.unsieved) {
    skipped += 2 * std::log2(base.prime[base.firstSieved]) / (base.prime[base.firstSieved] - 1);
    ++base.firstSieved;
  }
  base.largeBound = base.Largest() * base.settings.largeTimes;
  // Two large primes: their product up to the bound to the power 1.8, as the
  // literature has it.
  if (base.settings.twoLargePrimes)
    base.doubleBound =
        static_cast<std::uint64_t>(std::pow(static_cast<double>(base.largeBound), 1.8));
  const double valueBits = std::log2(base.Half()) + wide::Bits(base.kn) / 2 - 0.5;
  const double unexplained = std::log2(base.doubleBound != 0 ? base.doubleBound : base.largeBound);
  const double bits = valueBits - skipped - unexplained - base.settings.slack;
  const double unit = std::max(1.0, bits / 110);
  base.threshold = std::clamp(static_cast<int>(bits / unit), 1, 127);
  return unit;
}

int FirstFrom(const FactorBase& base, int from, int to, std::uint32_t bound) {
  while (from < to && base.prime[from] < bound)
    ++from;
  return from;
}

// Where the medium, large and bucketed primes start; the large ones start
// at the interval's length if that is shorter than kLargeFrom.
void SplitPrimes(FactorBase& base) {
  const auto length = static_cast<std::uint32_t>(2 * base.Half());
  base.firstLarge = FirstFrom(base, base.firstSieved, base.count, std::min(length, kLargeFrom));
  base.firstBucketed =
      FirstFrom(base, base.firstLarge, base.count, (length + kBucketSteps - 1) / kBucketSteps);
  base.firstMedium = FirstFrom(base, base.firstSieved, base.firstLarge, kMediumFrom);
}

// The logarithms in `unit`s and the division-free tables. Padding primes
// are 1, with inverse 1 and limit 0, at roots 0, which no position + 1
// reaches.
void BuildTables(FactorBase& base, double unit) {
  base.prime.resize(base.count + kPadding, 1);
  base.logarithm.assign(base.count + kPadding, 0);
  base.inverse.assign(base.count + kPadding, 1);
  base.limit.assign(base.count + kPadding, 0);
  base.wideInverse.assign(base.count, 1);
  base.wideLimit.assign(base.count, 0);
  base.powers.assign(static_cast<std::size_t>(base.count) * kPowers, 0);
  for (int i = 1; i < base.count; ++i) {
    const std::uint32_t p = base.prime[i];
    assert(p < (1U << 24));
    base.logarithm[i] = static_cast<std::uint8_t>(std::lround(std::log2(p) / unit));
    std::uint32_t* const power = &base.powers[static_cast<std::size_t>(i) * kPowers];
    power[0] = 1 % p;
    for (int l = 1; l < kPowers; ++l)
      power[l] = static_cast<std::uint32_t>(std::uint64_t{power[l - 1]} * (Number::Base % p) % p);
    if (p % 2 == 0) continue;
    const std::uint64_t inverse = modular::InverseModulo2To64(p);
    base.inverse[i] = static_cast<std::uint32_t>(inverse);
    base.limit[i] = ~std::uint32_t{0} / p;
    base.wideInverse[i] = inverse;
    base.wideLimit[i] = ~std::uint64_t{0} / p;
  }
}

}  // namespace

std::uint32_t FactorBase::Residue(const Number& a, int i) const {
  if (a.size > kPowers) return wide::Remainder(a, prime[i]);
  return static_cast<std::uint32_t>(PowerSum(a, i) % prime[i]);
}

bool FactorBase::Divides(const Number& a, int i) const {
  if (a.size > kPowers) return wide::Remainder(a, prime[i]) == 0;
  if (prime[i] % 2 == 0) return a.limbs[0] % 2 == 0;  // Number::Base is even
  return PowerSum(a, i) * wideInverse[i] <= wideLimit[i];
}

std::uint64_t FactorBase::PowerSum(const Number& a, int i) const {
  const std::uint32_t* const power = &powers[static_cast<std::size_t>(i) * kPowers];
  std::uint64_t sum = 0;
  for (int l = 0; l < a.size; ++l)
    sum += std::uint64_t{a.limbs[l]} * power[l];
  return sum;
}

bool BuildFactorBase(const Number& n, const PrimeSequence& primes, const SieveSettings& settings,
                     FactorBase& base, Number& factor) {
  assert(settings.half % 16 == 0 && settings.half < (1 << 23));
  base.settings = settings;
  base.n = n;
  base.k = ChooseMultiplier(n, primes);
  base.kn = wide::MultiplySmall(n, base.k);
  if (!CollectPrimes(primes, base, factor)) return false;
  const double unit = SetThreshold(base);
  SplitPrimes(base);
  BuildTables(base, unit);
  return true;
}

}  // namespace factoring
