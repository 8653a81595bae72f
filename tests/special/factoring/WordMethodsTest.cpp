// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "factoring/Methods.h"
#include "support/Gmp.h"

namespace {

// The cofactors' tools in one machine word, against GMP: the prime test on
// random numbers of 19 to 63 bits, strong pseudoprimes to many small bases
// and the edges, rho on products of two primes of the sizes the sieve meets.
TEST(WordMethods, PrimeTestAgreesWithGmp) {
  // The smallest numbers, 41^2, strong pseudoprimes to ever more prime bases
  // (2; 2 to 7; 2, 7 and 61; 2 to 11; 2 to 13; 2 to 17; 2 to 23) and two
  // large primes.
  std::vector<std::uint64_t> numbers = {0,
                                        1,
                                        2,
                                        3,
                                        4,
                                        1681,
                                        2047,
                                        3215031751,
                                        4759123141,
                                        2152302898747,
                                        3474749660383,
                                        341550071728321,
                                        3825123056546413051,
                                        (std::uint64_t{1} << 61) - 1,
                                        (std::uint64_t{1} << 63) - 25};
  std::mt19937_64 random(20261208);
  for (int i = 0; i < 20000; ++i)
    numbers.push_back(random() >> (1 + i % 45));
  for (const std::uint64_t n : numbers) {
    const Gmp g(std::to_string(n));
    EXPECT_EQ(factoring::IsPrimeWord(n), mpz_probab_prime_p(g.get(), 40) != 0) << n;
  }
}

TEST(WordMethods, RhoSplitsProductsOfTwoPrimes) {
  std::mt19937_64 random(7);
  const auto prime = [&](int bits) {
    Gmp p(std::to_string(random() >> (64 - bits) | std::uint64_t{1} << (bits - 1)));
    mpz_nextprime(p.get(), p.get());
    return mpz_get_ui(p.get());
  };
  for (int i = 0; i < 600; ++i) {
    const std::uint64_t p = prime(17 + i % 15);
    const std::uint64_t q = i % 10 == 0 ? p : prime(17 + i % 14);
    const std::uint64_t factor = factoring::RhoWord(p * q);
    EXPECT_TRUE(factor == p || factor == q) << p << " * " << q << ": " << factor;
  }
}

}  // namespace
