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

// Primes whose N - 1 the prover's trial division factors: 154! + 1 in one
// step, and k q + 1 by a step down to q (proven further by curves).
TEST(Certificate, ProvesByPocklingtonWhereNMinusOneIsFactored) {
  Gmp factorial;
  mpz_fac_ui(factorial.get(), 154);
  mpz_add_ui(factorial.get(), factorial.get(), 1);
  RandomDigits random(29);
  const Gmp q(RandomPrime(random, 70));
  Gmp kq;
  for (unsigned long k = 2; mpz_probab_prime_p(kq.get(), 30) == 0; k += 2)
    mpz_mul_ui(kq.get(), q.get(), k), mpz_add_ui(kq.get(), kq.get(), 1);
  for (const auto& [n, next] : {std::pair{factorial.str(), std::string()}, {kq.str(), q.str()}}) {
    SCOPED_TRACE(n);
    const proof::Certificate certificate = Parsed(Prove(n));
    ASSERT_FALSE(certificate.empty());
    const auto* step = std::get_if<proof::PocklingtonStep>(&certificate[0].by);
    ASSERT_NE(step, nullptr);
    EXPECT_EQ(certificate.size() == 1, next.empty());
    if (!next.empty()) {
      EXPECT_EQ(modular::Compare(step->primes.back(), NaturalOf(next)), 0);
    }
    EXPECT_EQ(proof::Check(NaturalOf(n), certificate, 2), Verdict::Proven);
    EXPECT_EQ(proof::ParseCertificate(proof::CertificateText(certificate))->size(),
              certificate.size());
  }
}

// A Pocklington step with its witness or its primes spoiled, and composites
// whose N - 1 is wholly factored, with every witness up to 100: refused.
TEST(Certificate, RefusesFalsePocklingtonSteps) {
  const auto step = [](std::string n, std::uint64_t a, std::vector<std::uint64_t> primes) {
    proof::PocklingtonStep by{modular::FromSmall(a), {}};
    for (const std::uint64_t p : primes)
      by.primes.push_back(modular::FromSmall(p));
    return proof::Certificate{{NaturalOf(n), by}};
  };
  // 1000003 - 1 = 2 3 166667; 2 is a witness.
  ASSERT_EQ(proof::Check(NaturalOf("1000003"), step("1000003", 2, {2, 3, 166667})),
            Verdict::Proven);
  const struct {
    std::uint64_t a;
    std::vector<std::uint64_t> primes;
  } spoiled[] = {
      {1, {2, 3, 166667}},        // a^((N-1)/p) - 1 = 0
      {3, {2, 3, 166667}},        // 3^((N-1)/3) = 1
      {1000002, {2, 3, 166667}},  // (-1)^((N-1)/3) = 1
      {2, {2, 3, 166669}},        // a prime that does not divide N - 1
      {2, {2, 3, 3, 166667}},     // a prime twice
      {2, {2, 3}},                // F = 6 below sqrt(N)
      {2, {6, 166667}},           // a composite before the last
      {2, {2, 3, 1}},             // 1 as the last
      {2, {}},                    // no primes
      {1000003, {2, 3, 166667}},  // a not below N
  };
  for (const auto& row : spoiled)
    EXPECT_EQ(proof::Check(NaturalOf("1000003"), step("1000003", row.a, row.primes)),
              Verdict::Refused)
        << row.a << ", " << row.primes.size();
  const struct {
    const char* n;
    std::vector<std::uint64_t> primes;
  } composites[] = {
      {"561", {2, 5, 7}},  // Carmichael numbers
      {"9999109081", {2, 3, 5, 101, 275003}},
      {"232250619601", {2, 3, 5, 43, 166703}},
  };
  for (const auto& row : composites)
    for (std::uint64_t a = 2; a <= 100; ++a)
      EXPECT_EQ(proof::Check(NaturalOf(row.n), step(row.n, a, row.primes)), Verdict::Refused)
          << row.n << ", a = " << a;
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
    const auto& curve = std::get<proof::CurveStep>(good[k].by);
    const Gmp n(Text(wide::ToRecord(modular::ToWide(good[k].n))));
    const Gmp x(Text(wide::ToRecord(modular::ToWide(curve.x))));
    const Gmp y(Text(wide::ToRecord(modular::ToWide(curve.y))));
    const Gmp a(Text(wide::ToRecord(modular::ToWide(curve.a))));
    Gmp b;  // -(y^2 - x^3 - a x) mod N
    mpz_pow_ui(b.get(), x.get(), 3);
    mpz_addmul(b.get(), a.get(), x.get());
    mpz_submul(b.get(), y.get(), y.get());
    mpz_mod(b.get(), b.get(), n.get());
    const bool twists = modular::IsZero(curve.a) || mpz_sgn(b.get()) == 0;
    for (int field = 0; field < 7; ++field) {
      if (twists && (field == 4 || field == 5)) continue;
      proof::Certificate bad = good;
      auto& step = std::get<proof::CurveStep>(bad[k].by);
      modular::Natural* const values[] = {&bad[k].n, &step.t, &step.s, &step.a, &step.x, &step.y};
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
      {"pocklington 23 5 2 11\n", true},
      {"pocklington 23 5\n", false},
      {"pocklington 23\n", false},
      {"pocklington 23 5 2 x\n", false},
      {"pocklington -23 5 2 11\n", false},
  };
  for (const auto& row : rows)
    EXPECT_EQ(proof::ParseCertificate(row.text).has_value(), row.parses) << row.text;
  EXPECT_FALSE(proof::ParseCertificate(std::string(501, '9') + " 1 1 1 1 1").has_value());
  EXPECT_FALSE(proof::ParseCertificate("5 1 1 1 1 1\n5 1 1 1 1 1\n", 1).has_value());
  std::string manyPrimes = "pocklington 23 5";
  for (std::size_t k = 0; k <= proof::kMostPrimes; ++k)
    manyPrimes += " 2";
  EXPECT_FALSE(proof::ParseCertificate(manyPrimes).has_value());
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
