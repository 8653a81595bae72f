// SPDX-License-Identifier: GPL-3.0-or-later
// The methods that split a number into factors, one file each (the sieve's
// in Sieve.h), and what they share. Strategy.cpp decides which method takes
// which number.
//
// Every method works on numbers with no prime factor below 2^16 (trial
// division has taken those), in fixed-size values. A method that is given a
// cancel flag looks at it every few milliseconds of work and returns
// Cancelled soon after it turns true.
#pragma once

#include <atomic>
#include <optional>

#include "Modular.h"
#include "PrimeSequence.h"
#include "SpecialFunctions.h"
#include "WideNumber.h"

namespace factoring {

enum class Outcome { Found, Failed, Cancelled };

// What every long method is given: the cancel flag, the threads it may use
// (at least 1) and where it reports progress (may be null).
struct Context {
  const std::atomic<bool>* cancel = nullptr;
  int threads = 1;
  FactorProgress* progress = nullptr;
};

inline bool Stopped(const std::atomic<bool>* cancel) {
  return cancel != nullptr && cancel->load(std::memory_order_relaxed);
}

// Baillie-PSW: a strong probable-prime test to base 2 and a strong Lucas
// test with Selfridge's parameters. No composite that passes is known; exact
// below 2^64. False for n < 2.
bool IsProbablePrime(const modular::Natural& n, const PrimeSequence& primes);

// Whether n is prime, exactly, for n below 2^63.
bool IsPrimeWord(std::uint64_t n);

// Pollard's rho with Brent's cycle finding, on an odd composite n: a bounded
// number of steps, longer for moduli of one or two limbs. Failed when the
// steps run out.
Outcome Rho(const modular::Natural& n, modular::Natural& factor, const std::atomic<bool>* cancel);

// A proper factor of an odd composite n below 2^63 by rho in one machine
// word (a few increments, 2^20 steps each); 0 when they all fail.
std::uint64_t RhoWord(std::uint64_t n);

// The elliptic-curve method on an odd composite n that is not a perfect
// power: curves from the smallest level up, at most `mostCurves` of them,
// on the context's threads. Without a bound it never gives up and ends only
// by a factor or a cancel.
Outcome Curves(const modular::Natural& n, std::optional<int> mostCurves, modular::Natural& factor,
               const Context& context);

// How many curves Curves runs before its levels for factors of up to
// `digits` digits are done; between two levels, the share of the next one
// by which `digits` passes the last.
int CurvesForFactorsOf(double digits);

}  // namespace factoring
