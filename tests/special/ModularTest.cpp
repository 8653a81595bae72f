// SPDX-License-Identifier: GPL-3.0-or-later
// Montgomery arithmetic against GMP for moduli of every size up to 500
// digits, in arithmetic sized exactly and with spare limbs.
#include "Modular.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "NumberText.h"
#include "PrimeSequence.h"
#include "support/Gmp.h"
#include "support/RandomDigits.h"

namespace {

modular::Natural FromText(const std::string& digits) {
  TBigNumber record;
  for (std::size_t i = 0; i < digits.size(); ++i)
    record.Digits[i + 1] = digits[i] - '0';
  record.Len = static_cast<std::int32_t>(digits.size());
  return modular::FromWide(wide::FromRecord(record));
}

std::string TextOf(const modular::Natural& x) {
  return DigitString(wide::ToRecord(modular::ToWide(x)));
}

template <int N>
void CheckModulus(const std::string& m, RandomDigits& random) {
  const modular::Montgomery<N> mod(FromText(m));
  const Gmp gm(m);
  for (int i = 0; i < 20; ++i) {
    const int size = static_cast<int>(m.size());
    Gmp a(random.OfLength(random.Between(1, size))), b(random.OfLength(random.Between(1, size)));
    mpz_mod(a.get(), a.get(), gm.get());
    mpz_mod(b.get(), b.get(), gm.get());
    if (i == 0) {  // the largest residues stress every carry
      mpz_sub_ui(a.get(), gm.get(), 1);
      mpz_sub_ui(b.get(), gm.get(), 1);
    }
    const auto ra = mod.Enter(FromText(a.str()));
    const auto rb = mod.Enter(FromText(b.str()));
    SCOPED_TRACE(m + ": " + a.str() + ", " + b.str());
    Gmp expected;
    mpz_mul(expected.get(), a.get(), b.get());
    mpz_mod(expected.get(), expected.get(), gm.get());
    EXPECT_EQ(TextOf(mod.Leave(mod.Multiply(ra, rb))), expected.str());
    mpz_add(expected.get(), a.get(), b.get());
    mpz_mod(expected.get(), expected.get(), gm.get());
    EXPECT_EQ(TextOf(mod.Leave(mod.Add(ra, rb))), expected.str());
    mpz_sub(expected.get(), a.get(), b.get());
    mpz_mod(expected.get(), expected.get(), gm.get());
    EXPECT_EQ(TextOf(mod.Leave(mod.Subtract(ra, rb))), expected.str());
    // Half: h with 2 h = a.
    Gmp twice;
    mpz_mul_ui(twice.get(), Gmp(TextOf(mod.Leave(mod.Half(ra)))).get(), 2);
    mpz_mod(twice.get(), twice.get(), gm.get());
    EXPECT_EQ(twice.str(), a.str());
    mpz_powm_ui(expected.get(), a.get(), 65537, gm.get());
    EXPECT_EQ(TextOf(mod.Leave(mod.Power(ra, modular::FromSmall(65537)))), expected.str());
  }
}

TEST(Montgomery, AgreesWithGmpForEveryModulusSize) {
  RandomDigits random(64);
  for (int digits = 1; digits <= 500; digits += random.Between(1, 9)) {
    std::string m = random.OfLength(digits);
    m.back() = "13579"[random.Between(0, 4)];
    if (m == "1") m = "3";
    CheckModulus<modular::Limbs>(m, random);
    if (digits <= 19) CheckModulus<1>(m, random);
    if (digits <= 38) CheckModulus<2>(m, random);
    if (digits <= 57) CheckModulus<3>(m, random);
    if (digits <= 77) CheckModulus<4>(m, random);
    if (digits <= 154) CheckModulus<8>(m, random);
    CheckModulus<26>(m, random);  // 10^500 has 1661 bits
  }
  // All ones in binary: 2^(64 k) - 1 is odd and stresses every carry.
  CheckModulus<2>("340282366920938463463374607431768211455", random);
}

}  // namespace

TEST(Modular, JacobiAgreesWithGmp) {
  std::mt19937_64 engine(11);
  for (int i = 0; i < 20000; ++i) {
    const std::int64_t m = static_cast<std::int64_t>((engine() >> (2 + i % 60)) | 1);
    const std::int64_t a = i % 3 == 0 ? static_cast<std::int64_t>(i % 201) - 100
                                      : static_cast<std::int64_t>(engine() >> 1) - (1LL << 62);
    Gmp ga(std::to_string(a < 0 ? -a : a)), gm(std::to_string(m));
    if (a < 0) mpz_neg(ga.get(), ga.get());
    ASSERT_EQ(modular::Jacobi(a, m), mpz_jacobi(ga.get(), gm.get())) << a << " / " << m;
  }
}

TEST(Modular, GcdAgreesWithGmp) {
  RandomDigits random(12);
  for (int i = 0; i < 400; ++i) {
    // A shared factor, so that the gcd is rarely 1; now and then a zero.
    const std::string common = random.UpTo(i % 2 == 0 ? 5 : 200);
    Gmp a(random.UpTo(250)), b(random.UpTo(250));
    mpz_mul(a.get(), a.get(), Gmp(common).get());
    mpz_mul(b.get(), b.get(), Gmp(common).get());
    if (i % 50 == 0) mpz_set_ui(b.get(), 0);
    Gmp expected;
    mpz_gcd(expected.get(), a.get(), b.get());
    EXPECT_EQ(TextOf(modular::Gcd(FromText(a.str()), FromText(b.str()))), expected.str());
  }
}

TEST(Modular, SquareRootModuloSquaresBack) {
  std::mt19937_64 engine(13);
  Gmp prime("2");
  for (int i = 0; i < 3000; ++i) {
    if (i == 1500) mpz_set_str(prime.get(), "4294900000", 10);  // primes near 2^32 too
    mpz_nextprime(prime.get(), prime.get());
    const auto p = static_cast<std::uint32_t>(mpz_get_ui(prime.get()));
    if (p == 2) continue;
    const std::uint64_t x = engine() % p;
    const auto a = static_cast<std::uint32_t>(x * x % p);
    const std::uint64_t root = modular::SquareRootModulo(a, p);
    ASSERT_LT(root, p);
    ASSERT_EQ(root * root % p, a) << a << " mod " << p;
    ASSERT_EQ(modular::InverseModulo(static_cast<std::uint32_t>(x == 0 ? 1 : x), p) *
                  (x == 0 ? 1 : x) % p,
              1U);
  }
}

TEST(PrimeSequence, GivesEveryPrimeBelow2To24) {
  constexpr std::uint32_t kBound = 1U << 24;
  std::vector<bool> composite(kBound);
  PrimeSequence primes;
  for (std::uint32_t n = 2; n < kBound; ++n) {
    if (composite[n]) continue;
    for (std::uint64_t j = std::uint64_t{n} * n; j < kBound; j += n)
      composite[j] = true;
    ASSERT_EQ(primes.Next(), n);
  }
  EXPECT_EQ(primes.Next(), 16777259U);  // the first prime past 2^24
  primes.Restart();
  EXPECT_EQ(primes.Next(), 2U);
}
