// SPDX-License-Identifier: GPL-3.0-or-later
// Special functions step by step on records, as first written: the oracles
// that the fast routines are checked against. Nothing but the tests uses
// them.
#pragma once

#include <functional>

#include "BigNumber.h"

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
