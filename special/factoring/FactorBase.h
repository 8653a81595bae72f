// SPDX-License-Identifier: GPL-3.0-or-later
// The sieve's factor base: the multiplier, the primes and their roots, the
// threshold, and the tables that test divisibility without a division.
#pragma once

#include <cstdint>
#include <vector>

#include "Sieve.h"
#include "WideHelpers.h"

namespace factoring {

// The limbs of the values and polynomial coefficients whose remainders the
// base's powers give (a value of a 100-digit number has 7).
inline constexpr int kPowers = 8;
// The base's arrays go on for a group of 16 padding primes beyond its end,
// so that the candidates' test takes whole groups.
inline constexpr int kPadding = 16;

// The machine's side of the sieve: a block of twice the first-level cache,
// whose part of the first-level cache's size the small primes sieve at a
// time; the medium primes from kMediumFrom sieve a block at a time, the large
// ones from kLargeFrom the whole interval; those that hit it at most
// kBucketSteps times a root go into buckets.
inline constexpr int kBlock = 65536;
inline constexpr int kPart = 32768;
inline constexpr std::uint32_t kMediumFrom = 8192;
inline constexpr std::uint32_t kLargeFrom = 16384;
inline constexpr std::uint32_t kBucketSteps = 3;
static_assert(kBlock % 32 == 0 && kBlock % kPart == 0);

struct FactorBase {
  SieveSettings settings;
  wide::Number n;
  std::uint32_t k = 1;
  wide::Number kn;
  int threshold = 0;
  std::uint32_t largeBound = 0;
  std::uint64_t doubleBound = 0;  // cofactors up to it (0: none) split into two large primes
  int count = 0;
  // Where the small, medium, large and bucketed primes start.
  int firstSieved = 2;
  int firstMedium = 0;
  int firstLarge = 0;
  int firstBucketed = 0;
  std::vector<std::uint32_t> prime;     // padded with kPadding primes 1
  std::vector<std::uint32_t> root;      // sqrt(kN) mod p; 0 where p divides k
  std::vector<std::uint8_t> logarithm;  // padded like the primes
  // For the odd primes: the inverse mod 2^32 and (2^32 - 1) / p, with which
  // p divides x < 2^32 exactly when x * inverse mod 2^32 <= limit.
  std::vector<std::uint32_t> inverse;
  std::vector<std::uint32_t> limit;
  // The same below 2^64.
  std::vector<std::uint64_t> wideInverse;
  std::vector<std::uint64_t> wideLimit;
  // For each prime p, Number::Base^l mod p for the limbs l < kPowers.
  std::vector<std::uint32_t> powers;

  int Half() const { return settings.half; }
  std::uint32_t Largest() const { return prime[count - 1]; }

  // a mod the i-th prime: with the limbs' powers a few multiplications and
  // one division, instead of one division a limb.
  std::uint32_t Residue(const wide::Number& a, int i) const;
  // Whether the i-th prime divides a, without a division.
  bool Divides(const wide::Number& a, int i) const;

 private:
  // A number congruent to a mod the i-th prime, below kPowers * 2^30 * 2^24.
  std::uint64_t PowerSum(const wide::Number& a, int i) const;
};

// The factor base of n with `settings`: -1, 2, then the odd primes p with
// kN a square mod p (or dividing k). False when a prime of the base divides
// n: that prime is then `factor`.
bool BuildFactorBase(const wide::Number& n, const PrimeSequence& primes,
                     const SieveSettings& settings, FactorBase& base, wide::Number& factor);

}  // namespace factoring
