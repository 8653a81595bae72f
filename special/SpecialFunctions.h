// Square root, nth root, prime factors, reciprocal, power and factorial,
// built from the elementary operations on records.
//
// Each routine takes its operands by value and returns a new record. Where
// the window shows more than the returned record, the routine hands that back
// through a parameter (a remainder, the factors found). An answer that does
// not fit the working storage comes back as a too-large record, at once.
// `passes`, `steps` and `multiplications`, when given, receive the amount of
// work done, counted as the methods below describe it.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "BigNumber.h"

// The longest argument of SquareRoot: its working value of Len + 20 digits is
// cleared up to three times its length, which must stay within the record.
inline constexpr std::int32_t LongestSquareRootArgument = 146;

// The square root of a times 10^10: a descending search with a decimal step
// on a * 10^20, each candidate squared with its two neighbours, ending on the
// first candidate x with (x-1)^2 < a * 10^20 < (x+1)^2. Which of the two
// whole numbers within one of the root it lands on depends on its path. A
// record with leading zeros is measured by its length. The window empties its
// second line whenever it takes a square root. Too large for arguments of
// more than LongestSquareRootArgument digits.
TBigNumber SquareRoot(const TBigNumber& a, int* passes = nullptr);

// The nth root of a times 1000, n >= 2: Newton's iteration in whole numbers
// for x^n = M with M = a * 10^(3n), started from M div n, each step
// S = ((n-1)R + M div R^(n-1)) div n, until a step moves the estimate by at
// most one. Throws ConversionError("-") for n <= 1. Zero for an argument of
// value zero. Too large when M needs more than MaxDigits - 10 digits.
TBigNumber NthRoot(const TBigNumber& a, std::int32_t n, int* steps = nullptr);

// One Newton step of NthRoot: ((n-1)r + m div r^(n-1)) div n for r >= 1,
// which equals the two nested truncating divisions
// (((n-1) r^n + m) div n) div r^(n-1). The power r^(n-1) is formed only
// while it does not exceed m; beyond that the quotient m div r^(n-1) is 0.
TBigNumber NthRootStep(const TBigNumber& m, const TBigNumber& r, std::int32_t n);

// The longest argument of PrimeFactors: its working records need Len + 20
// positions.
inline constexpr std::int32_t LongestFactorArgument = 480;

// Splits a into prime factors by trial division with the divisors 2, 3, 5,
// 7, 9, 11, ..., handing each factor to `appendFactor`, smallest first. A
// divisor is tried up to about half of what remains, so a prime factor p
// costs about p/4 divisions. `remainder` receives the remainder of every
// division. Returns false, handing over nothing, for arguments of more than
// LongestFactorArgument digits.
bool PrimeFactors(const TBigNumber& a, TBigNumber& remainder,
                  const std::function<void(const TBigNumber&)>& appendFactor,
                  int* passes = nullptr);

// The decimal expansion of 1/x cut off after L + 24 places, L the length of
// x: the digits of 10^(L+24) div x, and in Scale the length k of the
// smallest power of ten not smaller than x, so that 1/x reads "0.", k - 2
// zeros, then the digits. x = 1 gives the number 1 without a division;
// otherwise `remainder` receives the division's remainder. A zero x gives a
// too-large record, as does an x of more than MaxDigits - 25 digits.
TBigNumber Reciprocal(const TBigNumber& x, TBigNumber& remainder);

// x^n by n multiplications of a running product that starts at 1. The bases
// 0 and 1 are returned as they are for every n, and every other base gives 1
// for n <= 0. Too large, at once, when the power needs more than MaxDigits
// digits.
TBigNumber PowerOf(const TBigNumber& x, std::int32_t n, int* multiplications = nullptr);

// n! for the whole-number text of n, by n multiplications with factors
// counted up from 1; 1 for n <= 1. Throws ConversionError when the text is not
// a 32-bit integer. Too large, at once, past 253!, the last that fits.
TBigNumber Factorial(std::string_view text, int* multiplications = nullptr);
