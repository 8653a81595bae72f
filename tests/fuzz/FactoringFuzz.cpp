// SPDX-License-Identifier: GPL-3.0-or-later
// Prime factors of any number of up to 30 digits: the factors come smallest
// first, each one prime, and multiply back to the number.
#include <gmp.h>

#include <cstdlib>
#include <string>

#include "FuzzInput.h"
#include "NumberText.h"
#include "SpecialFunctions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string digits;
  for (std::size_t i = 0; i < size && digits.size() < 30; ++i) {
    if (digits.empty() && data[i] % 10 == 0) continue;
    digits += static_cast<char>('0' + data[i] % 10);
  }
  if (digits.empty()) return 0;
  TBigNumber n;
  if (!ReadDigits(digits, n) || (n.Len == 1 && n.Digits[1] < 2)) return 0;

  mpz_t product, factor, previous;
  mpz_inits(product, factor, previous, nullptr);
  mpz_set_ui(product, 1);
  mpz_set_ui(previous, 2);
  const FactorOutcome outcome = FactorIntoPrimes(n, [&](const TBigNumber& f) {
    mpz_set_str(factor, DigitString(f).c_str(), 10);
    FUZZ_CHECK(mpz_cmp(factor, previous) >= 0 && mpz_probab_prime_p(factor, 30) != 0);
    mpz_set(previous, factor);
    mpz_mul(product, product, factor);
  });
  FUZZ_CHECK(outcome == FactorOutcome::Complete);
  char* text = mpz_get_str(nullptr, 10, product);
  FUZZ_CHECK(digits == text);
  free(text);
  mpz_clears(product, factor, previous, nullptr);
  return 0;
}
