// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes as a primality certificate: the parser and the checker never
// crash, and a certificate they accept proves only primes (GMP).
#include <gmp.h>

#include <string>

#include "FuzzInput.h"
#include "NumberText.h"
#include "proof/Certificate.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto certificate = proof::ParseCertificate(text, 16);
  if (!certificate || certificate->empty()) return 0;
  // Short numbers keep the runs quick; the checker's cost grows with them.
  for (const proof::Step& step : *certificate)
    if (modular::BitLength(step.n) > 400) return 0;
  if (proof::Check(certificate->front().n, *certificate) != proof::Verdict::Proven) return 0;
  for (const proof::Step& step : *certificate) {
    mpz_t n;
    mpz_init_set_str(n, DigitString(wide::ToRecord(modular::ToWide(step.n))).c_str(), 10);
    FUZZ_CHECK(mpz_probab_prime_p(n, 30) != 0);
    mpz_clear(n);
  }
  return 0;
}
