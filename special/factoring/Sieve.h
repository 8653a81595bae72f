// SPDX-License-Identifier: GPL-3.0-or-later
// The self-initialising quadratic sieve (Contini's variant of Pomerance's
// method) with one or, for long numbers, two large primes per relation: its
// settings by size and its entry point. Its stages, a file each: the factor
// base (FactorBase), the polynomials (Polynomials), the processor-specific
// kernels (SieveKernels), the sieve passes and their driver (Sieving), the
// relations and their combining (Relations, LargePrimeGraph, Dependencies,
// BlockLanczos).
//
// For n times a small multiplier k, the polynomials Q(x) = (A x + B)^2 - kN
// with B^2 = kN (mod A) are divisible by A; Y = A x + B then satisfies
// Y^2 = A v (mod n) with v = Q(x) / A, about half the digits of n. Linear
// algebra over GF(2) finds sets of relations whose products are squares X^2
// and Z^2 (mod n), and gcd(n, X - Z) splits n.
//
// The literature's words, as used here:
//   relation     a Y whose A v is smooth over the factor base ("full"), or
//                is so but for one or two large primes ("partial")
//   cycle        partials whose large primes each come an even number of
//                times: together a full relation
//   small, medium, large primes   of the base: sieved a part of a block, a
//                block, or the whole interval at a time
//   bucket       the list of a large prime's hits, filled as its roots move
#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>

#include "Methods.h"

namespace factoring {

// The settings by the number's decimal length: a row holds from its digits
// up to the next row's. Why each value: docs/tuning.md.
struct SieveSettings {
  int digits;
  int primes;                // in the factor base, -1 and 2 included
  int half;                  // half the sieve interval, a multiple of 16
  std::uint32_t largeTimes;  // the large-prime bound over the base's largest prime
  bool twoLargePrimes;       // partials may have two large primes
  int slack;                 // bits below the threshold's estimate of a smooth value
  std::uint32_t unsieved;    // the odd primes below it are left out of the sieve
  int aPrimeBits;            // the size aimed at for A's primes
  int mostPartials;          // a bound on the memory of the partials kept
};

// clang-format off
inline constexpr SieveSettings kSieveSettings[] = {
//  digits primes    half largeTimes twoLarge slack unsieved aBits mostPartials
    {20,      60,   2048, 64,  false,  2,  30,  11,    65536},
    {24,      70,   4096, 64,  false,  2,  30,  11,    65536},
    {28,     100,   4096, 64,  false,  2,  30,  11,    65536},
    {32,     180,   8192, 64,  false,  2,  30,  11,    65536},
    {36,     260,   8192, 64,  false,  2,  30,  11,    65536},
    {40,     350,   8192, 64,  false,  6,  30,  11,    65536},
    {44,     550,  16384, 64,  false,  6,  30,  11,    65536},
    {45,     550,  16384, 64,  false, 10,  30,  11,    65536},
    {48,    1100,  16384, 64,  false, 10,  30,  11,    65536},
    {52,    1400,  16384, 64,  false, 10,  30,  11,    65536},
    {56,    1600,  16384, 64,  false, 10,  30,  11,    65536},
    {60,    1800,  16384, 64,  false, 10,  30,  11,    65536},
    {62,    4000,  32768, 64,  false, 10,  30,  11,   128000},
    {64,    5200,  32768, 64,  false, 10,  30,  11,   166400},
    {66,    6400,  32768, 64,  false, 10,  30,  11,   204800},
    {68,    7000,  32768, 64,  true,   2,  30,  11,   224000},
    {70,    7500,  32768, 64,  true,   2,  30,  11,   240000},
    {72,    8500,  32768, 64,  true,   2,  30,  11,   272000},
    {75,   10000,  32768, 64,  true,   2,  30,  11,   320000},
    {78,   10000,  32768, 64,  true,   2,  30,  11,   320000},
    {81,   12000,  32768, 64,  true,   2,  30,  11,   384000},
    {85,   18000,  65536, 128, true,   6, 256,  11,   576000},
    {88,   40000, 131072, 128, true,   2,  30,  12,  1280000},
    {95,   60000, 131072, 128, true,   2,  30,  12,  1920000},
    {100,  80000, 131072, 128, true,   2,  30,  12,  2560000},
};
// clang-format on

inline constexpr int SieveLeastDigits = std::begin(kSieveSettings)->digits;
inline constexpr int SieveMostDigits = std::prev(std::end(kSieveSettings))->digits;

// The scan for candidates takes 32 positions at a time and the sieve
// positions fit 23 bits; the large-prime bound stays within 32 bits (the
// base's primes are below 2^24), and the threshold's sum within a byte.
static_assert(std::all_of(std::begin(kSieveSettings), std::end(kSieveSettings), [](auto& row) {
  return row.half % 16 == 0 && row.half < (1 << 23) && row.largeTimes <= 255 && row.primes > 16 &&
         row.slack >= 0 && row.unsieved >= 3 && row.aPrimeBits > 0;
}));
static_assert(std::is_sorted(std::begin(kSieveSettings), std::end(kSieveSettings),
                             [](auto& a, auto& b) { return a.digits < b.digits; }));

// The row for a number of `digits` digits (the first row below the range).
constexpr SieveSettings SieveSettingsFor(int digits) {
  SieveSettings chosen = kSieveSettings[0];
  for (const SieveSettings& row : kSieveSettings)
    if (row.digits <= digits) chosen = row;
  return chosen;
}

// The sieve on an odd composite n of at most SieveMostDigits digits that is
// not a perfect power, its polynomials sieved on the context's threads;
// `primes` gives the factor base. Failed is the rare case in which the
// relations give no split (or the sieve runs out of polynomials); the caller
// then goes on by another method. Its working storage is taken from the heap
// when it starts and given back when it ends. `settings` replaces the row of
// n's size (tests use it to see on short numbers what long ones do).
Outcome Sieve(const wide::Number& n, const PrimeSequence& primes, wide::Number& factor,
              const Context& context, std::optional<SieveSettings> settings = std::nullopt);

}  // namespace factoring
