// SPDX-License-Identifier: GPL-3.0-or-later
// Square root, nth root, prime factors, reciprocal, power and factorial,
// built from the elementary operations on records.
//
// Each routine takes its operands by value and returns a new record. What a
// routine yields besides that record (a remainder, the factors found) is
// handed back through a parameter. An answer that does
// not fit the working storage comes back as a too-large record, at once.
// `passes`, `steps` and `multiplications`, when given, receive the amount of
// work done, counted as the methods below describe it.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "BigNumber.h"

// The longest argument that the step-by-step square root search takes: its
// working value of Len + 20 digits is cleared up to three times its length,
// which must stay within the record.
inline constexpr std::int32_t LongestSquareRootSearch = 146;

// The square root of a times 10^10, as the search below finds it: the
// candidate within one of the root on which the search lands, which depends
// on its path (for 2 the larger, 14142135624; for 99 the smaller,
// 99498743710). Every argument of up to MaxDigits digits; the search's path
// is worked out level by level from the integer square root of a * 10^20,
// without squaring candidates. Zero and records with Len 0 or leading zeros
// are measured by their length and go through the search itself.
TBigNumber SquareRoot(const TBigNumber& a, int* passes = nullptr);

// The square root of a times 10^10 by a descending search with a decimal step
// on N = a * 10^20: it starts from N, steps down by a power of ten, squares
// each candidate and its two neighbours, and each time it has stepped below
// the root steps back up and makes the step ten times smaller; it ends on
// the first candidate x with (x-1)^2 < N < (x+1)^2. Too large for arguments
// of more than LongestSquareRootSearch digits.
TBigNumber SquareRootBySearch(const TBigNumber& a, int* passes = nullptr);

// The longest scaled value a * 10^(3n) that NthRoot works on.
inline constexpr std::int32_t LongestNthRootScaled = 1800;

// The nth root of a times 1000, n >= 2: Newton's iteration in whole numbers
// for x^n = M with M = a * 10^(3n), each step S = ((n-1)R + M div R^(n-1))
// div n, until a step moves the estimate by at most one. While every power
// the textbook steps form fits a record ((n-1) times the length of M div n
// is at most LongestRecordFactor) it starts from M div n, the textbook's
// start; beyond that, from just above the root. Throws ConversionError("-")
// for n <= 1. Zero for an argument of value zero (or Len 0). Too large when
// M is longer than LongestNthRootScaled digits. Each step is wide::RootStep.
TBigNumber NthRoot(const TBigNumber& a, std::int32_t n, int* steps = nullptr);

// The nth root to three decimals as the nth-root mode shows it: NthRoot,
// but for n = 2 the square root cut from ten decimals to three (1414 for 2).
TBigNumber RootToThreeDecimals(const TBigNumber& a, std::int32_t n);

enum class FactorOutcome { Complete, Cancelled, TooLarge };

// What a prime factorisation is doing, for a person watching it.
enum class FactorPhase { Starting, Curves, Sieving, Combining };

// How far a factorisation has come: written by the search, read from any
// thread. Within a phase, `done` never goes back; `total` is 0 when the
// phase does not know its amount of work.
class FactorProgress {
 public:
  struct Reading {
    FactorPhase phase = FactorPhase::Starting;
    int done = 0;
    int total = 0;
    int digits = 0;  // the curves: the size of factor the current level aims at
    int cycles = 0;  // sieving: of `done`, the cycles of partial relations
  };

  // A new phase (or a new level of curves), nothing of it done yet.
  void Start(FactorPhase phase, int total, int digits = 0) {
    const std::lock_guard lock(mutex_);
    reading_ = {phase, 0, total, digits};
  }
  void Advance(int done, int cycles = 0) {
    const std::lock_guard lock(mutex_);
    reading_.done = std::max(reading_.done, done);
    reading_.cycles = std::max(reading_.cycles, cycles);
  }
  Reading Read() const {
    const std::lock_guard lock(mutex_);
    return reading_;
  }

 private:
  mutable std::mutex mutex_;
  Reading reading_;
};

// How a factorisation runs: on how many threads (0: all the machine's
// hardware threads), and where it reports its progress (none when null).
// `composite` says that the number is known composite (a proof found a
// factor so): it is split before any probable-prime test of it.
// `probablePrime` replaces Baillie-PSW when set (tests make it lie).
struct FactorSettings {
  FactorSettings(int threads = 0, FactorProgress* progress = nullptr)
      : threads(threads), progress(progress) {}

  int threads = 0;
  FactorProgress* progress = nullptr;
  bool composite = false;
  std::function<bool(const TBigNumber&)> probablePrime;
};

// The prime factors of a well-formed a >= 2, handed to `appendFactor`
// smallest first, each as often as it divides a: the same list that trial
// division gives, found fast. Trial division by the primes below 2^16 (up
// to the square root of what remains), then the Baillie-PSW test, Pollard-
// Brent rho and the elliptic-curve method; every factor handed over is prime
// by trial division or by Baillie-PSW, and the search never gives up. When
// `cancel` turns true the search stops within a few milliseconds and returns
// Cancelled; factors already handed over stand. TooLarge for a record that is
// not well formed. PrimeFactors (ReferenceSpecialFunctions.h) is its oracle.
FactorOutcome FactorIntoPrimes(const TBigNumber& a,
                               const std::function<void(const TBigNumber&)>& appendFactor,
                               const std::atomic<bool>* cancel = nullptr,
                               const FactorSettings& settings = {});

// The decimal expansion of 1/x cut off after L + 24 places, L the length of
// x: the digits of 10^(L+24) div x, and in Scale the length k of the
// smallest power of ten not smaller than x, so that 1/x reads "0.", k - 2
// zeros, then the digits. x = 1 gives the number 1 without a division;
// otherwise `remainder` receives the division's remainder. A zero x gives a
// too-large record. An x with leading zeros is ordered by its length, as the
// record comparisons do, and is taken up to MaxDigits - 25 digits.
TBigNumber Reciprocal(const TBigNumber& x, TBigNumber& remainder);

// Reciprocal's answer as it reads: "0.", Scale - 2 zeros, then the digits.
std::string ReciprocalText(const TBigNumber& digits);

// x^n by n multiplications of a running product that starts at 1. The bases
// 0 and 1 are returned as they are for every n, and every other base gives 1
// for n <= 0. A base with a leading zero multiplies as zero. Too large, at
// once, when the power needs more than MaxDigits digits.
TBigNumber PowerOf(const TBigNumber& x, std::int32_t n, int* multiplications = nullptr);

// n! for the whole-number text of n, by n multiplications with factors
// counted up from 1; 1 for n <= 1. Throws ConversionError when the text is not
// a 32-bit integer. Too large, at once, past 253!, the last that fits.
TBigNumber Factorial(std::string_view text, int* multiplications = nullptr);
