// The self-initialising quadratic sieve with one large prime. Its time is
// set by the size of the number it splits, where the elliptic curves' time
// is set by the size of the smallest factor: from about twenty digits on,
// two factors of equal size come apart sooner here than by the curves.
#pragma once

#include <atomic>

#include "PrimeSequence.h"
#include "WideNumber.h"

namespace sieve {

// The longest numbers the sieve takes; the working storage of longer ones
// would outgrow what a thread's stack should hold.
inline constexpr int MostDigits = 60;

enum class Outcome { Found, Cancelled, GaveUp };

// A proper factor of n, an odd composite of at most MostDigits digits that
// is not a perfect power. GaveUp is the rare case in which the relations
// found give no split (or the sieve runs out of polynomials); the caller
// then goes on by another method. `primes` gives the factor base.
Outcome FindFactor(const wide::Number& n, const PrimeSequence& primes, wide::Number& factor,
                   const std::atomic<bool>* cancel);

}  // namespace sieve
