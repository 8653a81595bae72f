// SPDX-License-Identifier: GPL-3.0-or-later
// Random primes and products of primes, made with GMP, for the factoring
// tests.
#pragma once

#include <string>
#include <vector>

#include "support/Gmp.h"
#include "support/RandomDigits.h"

// The first prime from a random number of `digits` digits up: a prime of
// about that many digits.
inline std::string RandomPrime(RandomDigits& random, int digits) {
  Gmp p(random.OfLength(digits));
  mpz_nextprime(p.get(), p.get());
  return p.str();
}

inline std::string ProductOf(const std::vector<std::string>& factors) {
  Gmp product("1");
  for (const std::string& f : factors)
    mpz_mul(product.get(), product.get(), Gmp(f).get());
  return product.str();
}
