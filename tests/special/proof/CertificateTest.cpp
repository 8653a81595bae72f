// SPDX-License-Identifier: GPL-3.0-or-later
// The checker of primality certificates against the prover's certificates
// of known primes, every one of their fields changed, and composites that
// fool weaker tests.
#include "proof/Certificate.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "support/Gmp.h"
#include "support/Primes.h"
#include "support/Prover.h"
#include "support/RandomDigits.h"
#include "support/Records.h"

namespace {

using proof::Verdict;

modular::Natural NaturalOf(const std::string& digits) {
  return modular::FromWide(wide::FromRecord(Record(digits)));
}

std::string Prove(const std::string& n) {
  return RunProver(QUORVEX_PROVER, n, 1);
}

proof::Certificate Parsed(const std::string& text) {
  const auto certificate = proof::ParseCertificate(text);
  EXPECT_TRUE(certificate.has_value());
  return certificate.value_or(proof::Certificate{});
}

TEST(Certificate, ProverAndCheckerAgreeOnKnownPrimes) {
  RandomDigits random(26);
  for (const int digits : {65, 100, 200, 300}) {
    const std::string p = RandomPrime(random, digits);
    SCOPED_TRACE(p);
    const proof::Certificate certificate = Parsed(Prove(p));
    EXPECT_EQ(proof::Check(NaturalOf(p), certificate, 2), Verdict::Proven);
    EXPECT_EQ(proof::CertificateText(certificate), Prove(p));
  }
}

TEST(Certificate, AcceptsAFiveHundredDigitPrimesCertificate) {
  std::ifstream file(QUORVEX_CERTIFICATES "/prime-500.cert");
  std::stringstream text;
  text << file.rdbuf();
  const proof::Certificate certificate = Parsed(text.str());
  ASSERT_FALSE(certificate.empty());
  const std::string p = Text(wide::ToRecord(modular::ToWide(certificate[0].n)));
  ASSERT_EQ(p.size(), 500u);
  EXPECT_NE(mpz_probab_prime_p(Gmp(p).get(), 30), 0);
  EXPECT_EQ(proof::Check(certificate[0].n, certificate, 2), Verdict::Proven);
}

// Each field of each step, one at a time, plus one (or the sign of t
// flipped): never accepted. The point is the exception on curves with
// j = 0 or 1728 (a = 0 or b = 0): moved, it can lie on a twist with as
// many points, which proves N prime as well as the first curve.
TEST(Certificate, RefusesEveryFieldChanged) {
  RandomDigits random(27);
  const std::string p = RandomPrime(random, 90);
  const proof::Certificate good = Parsed(Prove(p));
  ASSERT_EQ(proof::Check(NaturalOf(p), good, 1), Verdict::Proven);
  const modular::Natural one = modular::FromSmall(1);
  for (std::size_t k = 0; k < good.size(); ++k) {
    const Gmp n(Text(wide::ToRecord(modular::ToWide(good[k].n))));
    const Gmp x(Text(wide::ToRecord(modular::ToWide(good[k].x))));
    const Gmp y(Text(wide::ToRecord(modular::ToWide(good[k].y))));
    const Gmp a(Text(wide::ToRecord(modular::ToWide(good[k].a))));
    Gmp b;  // -(y^2 - x^3 - a x) mod N
    mpz_pow_ui(b.get(), x.get(), 3);
    mpz_addmul(b.get(), a.get(), x.get());
    mpz_submul(b.get(), y.get(), y.get());
    mpz_mod(b.get(), b.get(), n.get());
    const bool twists = modular::IsZero(good[k].a) || mpz_sgn(b.get()) == 0;
    for (int field = 0; field < 7; ++field) {
      if (twists && (field == 4 || field == 5)) continue;
      proof::Certificate bad = good;
      proof::Step& step = bad[k];
      modular::Natural* const values[] = {&step.n, &step.t, &step.s, &step.a, &step.x, &step.y};
      if (field == 6) {
        step.tNegative = !step.tNegative;
      } else {
        *values[field] = modular::Add(*values[field], one);
      }
      EXPECT_EQ(proof::Check(NaturalOf(p), bad, 1), Verdict::Refused)
          << "step " << k << ", field " << field;
    }
    proof::Certificate shorter(good.begin(), good.begin() + static_cast<long>(k));
    EXPECT_EQ(proof::Check(NaturalOf(p), shorter, 1), Verdict::Refused) << "first " << k;
  }
}

// Composites that pass weaker tests: the prover finds no certificate, and
// a certificate of a prime, its first N changed to them, is refused.
TEST(Certificate, NeverCertifiesComposites) {
  RandomDigits random(28);
  const std::string p = RandomPrime(random, 40);
  const std::string close = [&] {
    Gmp q(p);
    mpz_nextprime(q.get(), q.get());
    return q.str();
  }();
  const std::string composites[] = {
      "3825123056546413051",        // strong pseudoprime to the bases 2 to 23
      "318665857834031151167461",   // strong pseudoprime to the bases 2 to 37
      "3317044064679887385961981",  // strong pseudoprime to the bases 2 to 41
      "9999109081",                 // Carmichael
      "232250619601",               // Carmichael
      "1436697831295441",           // Carmichael
      ProductOf({p, close}),        // two close primes
      ProductOf({p, p}),            // a prime's square
  };
  const proof::Certificate good = Parsed(Prove(RandomPrime(random, 70)));
  for (const std::string& n : composites) {
    SCOPED_TRACE(n);
    EXPECT_EQ(Prove(n), "composite\n");
    proof::Certificate forged = good;
    forged[0].n = NaturalOf(n);
    EXPECT_EQ(proof::Check(NaturalOf(n), forged, 1), Verdict::Refused);
    EXPECT_EQ(proof::Check(NaturalOf(n), proof::Certificate{}, 1), Verdict::Refused);
  }
}

TEST(Certificate, ParsesOnlyWellFormedLines) {
  const struct {
    const char* text;
    bool parses;
  } rows[] = {
      {"", true},
      {"23 -1 2 3 4 5\n", true},
      {"23 -1 2 3 4 5", true},
      {"23 -1 2 3 4\n", false},
      {"23 -1 2 3 4 5 6\n", false},
      {"23 +1 2 3 4 5\n", false},
      {"23 1 2 3 4 x\n", false},
      {"23 --1 2 3 4 5\n", false},
  };
  for (const auto& row : rows)
    EXPECT_EQ(proof::ParseCertificate(row.text).has_value(), row.parses) << row.text;
  EXPECT_FALSE(proof::ParseCertificate(std::string(501, '9') + " 1 1 1 1 1").has_value());
  EXPECT_FALSE(proof::ParseCertificate("5 1 1 1 1 1\n5 1 1 1 1 1\n", 1).has_value());
}

TEST(Certificate, StopsWhenCancelled) {
  std::ifstream file(QUORVEX_CERTIFICATES "/prime-500.cert");
  std::stringstream text;
  text << file.rdbuf();
  const proof::Certificate certificate = Parsed(text.str());
  std::atomic<bool> cancel{true};
  EXPECT_EQ(proof::Check(certificate[0].n, certificate, 2, &cancel), Verdict::Cancelled);
}

}  // namespace
