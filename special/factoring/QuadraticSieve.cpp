// The self-initialising quadratic sieve (Contini's variant of Pomerance's
// method) with one large prime per relation.
//
// For n times a small multiplier k, the polynomials Q(x) = (A x + B)^2 - kN
// with B^2 = kN (mod A) are divisible by A; Y = A x + B then satisfies
// Y^2 = A * v (mod n) with v = Q(x) / A, a number of about half the digits
// of n. The sieve collects Y whose A * v splits over a base of small primes
// (or does so but for one larger prime, met twice), finds a set of them
// whose product is a square by Gaussian elimination over GF(2), and takes
// the greatest common divisor of n and X - Z, where X is the product of the
// Y and Z the square root of the product of the A * v.
//
// Everything lives in one fixed-size object: no heap.
#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "Methods.h"

namespace factoring {
namespace {

using wide::Number;

constexpr int kMostPrimes = 1800;
// Relations beyond the primes: each surplus one gives one more square, and
// each square splits n with a chance of one half at least.
constexpr int kExcess = 48;
constexpr int kMostRelations = kMostPrimes + 64;
constexpr int kWords = (kMostRelations + 63) / 64;
constexpr int kMostAFactors = 10;
constexpr int kMostA = 3072;
constexpr int kMostFindings = 16384;
constexpr int kLongestInterval = 1 << 15;
constexpr int kHashBits = 15;
constexpr int kHashSlots = 1 << kHashBits;

// Factor base size and half the sieve interval, by the number's digits.
struct Parameters {
  int digits;
  int primes;
  int half;
};
constexpr Parameters kParameters[] = {{20, 60, 2048},    {24, 70, 4096},    {28, 100, 4096},
                                      {32, 180, 8192},   {36, 260, 8192},   {40, 350, 8192},
                                      {44, 550, 16384},  {48, 1100, 16384}, {52, 1400, 16384},
                                      {56, 1600, 16384}, {60, 1800, 16384}};

struct Signed {
  Number magnitude;
  bool negative = false;
};

Signed Add(const Signed& a, const Signed& b) {
  if (a.negative == b.negative) return {wide::Add(a.magnitude, b.magnitude), a.negative};
  if (wide::Compare(a.magnitude, b.magnitude) >= 0) {
    Signed difference{wide::Subtract(a.magnitude, b.magnitude), a.negative};
    difference.negative = difference.negative && !wide::IsZero(difference.magnitude);
    return difference;
  }
  return {wide::Subtract(b.magnitude, a.magnitude), b.negative};
}

std::uint32_t Remainder(const Number& a, std::uint32_t p) {
  std::uint64_t rest = 0;
  for (int i = a.size - 1; i >= 0; --i)
    rest = (rest * Number::Base + a.limbs[i]) % p;
  return static_cast<std::uint32_t>(rest);
}

bool IsOne(const Number& a) {
  return a.size == 1 && a.limbs[0] == 1;
}

// Divides v by p as often as p divides it; returns how often.
int DivideOut(Number& v, std::uint32_t p) {
  int times = 0;
  std::uint32_t rest = 0;
  for (Number q = wide::DivideSmall(v, p, &rest); rest == 0; q = wide::DivideSmall(v, p, &rest)) {
    v = q;
    ++times;
  }
  return times;
}

Number MultiplyModulo(const Number& a, const Number& b, const Number& n) {
  Number rest;
  wide::Divide(wide::Multiply(a, b), n, &rest);
  return rest;
}

// Knuth and Schroeppel's choice of k: the one whose kN has the most small
// primes as quadratic residues, weighed against the larger values of Q.
std::uint32_t ChooseMultiplier(const Number& n, const PrimeSequence& primes) {
  constexpr std::uint32_t kCandidates[] = {1,  3,  5,  7,  11, 13, 15, 17, 19, 21, 23,
                                           29, 31, 33, 35, 37, 39, 41, 43, 47, 51, 53,
                                           55, 57, 59, 61, 65, 67, 69, 71, 73};
  constexpr int kWeighed = 167;  // the odd primes below 1000
  std::array<std::uint32_t, kWeighed> residues{};
  std::array<double, kWeighed> weights{};
  const std::uint32_t* odd = primes.begin() + 1;
  for (int i = 0; i < kWeighed; ++i) {
    residues[i] = Remainder(n, odd[i]);
    weights[i] = std::log(static_cast<double>(odd[i]));
  }
  const double ln2 = std::log(2.0);
  std::uint32_t best = 1;
  double bestScore = -1e9;
  for (const std::uint32_t k : kCandidates) {
    double score = -0.5 * std::log(static_cast<double>(k));
    switch (k * Remainder(n, 8) % 8) {
      case 1:
        score += 2 * ln2;
        break;
      case 5:
        score += ln2;
        break;
      default:
        score += 0.5 * ln2;
    }
    for (int i = 0; i < kWeighed; ++i) {
      const std::uint32_t p = odd[i];
      if (k % p == 0) {
        score += weights[i] / p;
      } else if (modular::Jacobi(k * residues[i] % p, p) == 1) {
        score += 2 * weights[i] / (p - 1);
      }
    }
    if (score > bestScore) {
      bestScore = score;
      best = k;
    }
  }
  return best;
}

// A sieve's finding: the polynomial (its A and the signs of its B, as a
// Gray code) and x, with v = (Y^2 - kN) / A for Y = A x + B smooth over the
// factor base (large == 1) or smooth but for one prime. Y is rebuilt when
// needed, which keeps a finding at twelve bytes.
struct Finding {
  std::int32_t x;
  std::uint32_t large;
  std::uint16_t a;
  std::uint16_t gray;
};

// A relation: a smooth finding, or two findings with the same large prime.
struct Relation {
  std::int16_t first = -1;
  std::int16_t second = -1;
};

class SieveSearch {
 public:
  SieveSearch(const Number& n, const PrimeSequence& primes, const std::atomic<bool>* cancel)
      : n_(n), primes_(primes), cancel_(cancel) {}

  Outcome Run(Number& factor) {
    if (!BuildFactorBase(factor)) return Outcome::Found;
    while (relationCount_ < primeCount_ + kExcess) {
      if (!NewA()) return Outcome::Failed;
      const int polynomials = 1 << (aFactors_ - 1);
      for (int g = 0; g < polynomials && relationCount_ < primeCount_ + kExcess; ++g) {
        if (g > 0) NextB(g);
        assert(PolynomialHolds());
        SievePolynomial();
        Scan();
        if (Cancelled()) return Outcome::Cancelled;
      }
    }
    if (Combine(factor)) return Outcome::Found;
    return Cancelled() ? Outcome::Cancelled : Outcome::Failed;
  }

 private:
  // The factor base: -1, 2, then the odd primes p with kN a square mod p
  // (or dividing k). False when a prime of the base divides n: that prime
  // is the factor.
  bool BuildFactorBase(Number& factor) {
    const int digits = wide::DecimalLength(n_);
    const Parameters* chosen = &kParameters[0];
    for (const Parameters& p : kParameters)
      if (p.digits <= digits) chosen = &p;
    half_ = chosen->half;
    k_ = ChooseMultiplier(n_, primes_);
    kn_ = wide::MultiplySmall(n_, k_);
    prime_[0] = 1;
    prime_[1] = 2;
    primeCount_ = 2;
    for (const std::uint32_t p : primes_) {
      if (p == 2) continue;
      if (primeCount_ == chosen->primes) break;
      const std::uint32_t residue = Remainder(kn_, p);
      if (residue == 0 && Remainder(n_, p) == 0) {
        factor = wide::FromSmall(p);
        return false;
      }
      if (residue != 0 && modular::Jacobi(residue, p) != 1) continue;
      prime_[primeCount_] = p;
      root_[primeCount_] = modular::SquareRootModulo(residue, p);
      logarithm_[primeCount_] = static_cast<std::uint8_t>(std::lround(std::log2(p)));
      ++primeCount_;
    }
    // The smallest primes cost the most sieving for the least information;
    // they are left out and made up for in the threshold.
    double skipped = 1.0;  // the mean share of 2
    firstSieved_ = 2;
    while (firstSieved_ < primeCount_ && prime_[firstSieved_] < 30) {
      skipped += 2 * std::log2(prime_[firstSieved_]) / (prime_[firstSieved_] - 1);
      ++firstSieved_;
    }
    // A position is a candidate when the logarithms sieved there leave at
    // most a large prime of the value unexplained (the largest value, less
    // a little for the roundings).
    largeBound_ = prime_[primeCount_ - 1] * 64U;
    const double valueBits = std::log2(half_) + Bits(kn_) / 2 - 0.5;
    threshold_ =
        std::clamp(static_cast<int>(valueBits - skipped - std::log2(largeBound_) - 2), 1, 127);
    return true;
  }

  static double Bits(const Number& x) {
    double value = 0;
    for (int i = x.size - 1; i >= 0 && i >= x.size - 3; --i)
      value = value * Number::Base + x.limbs[i];
    return std::log2(value) + std::max(0, x.size - 3) * std::log2(double{Number::Base});
  }

  bool Cancelled() const { return Stopped(cancel_); }

  std::uint32_t Random() {
    seed_ = seed_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::uint32_t>(seed_ >> 33);
  }

  // A new A, the product of aFactors_ primes of the base near
  // sqrt(2 kN) / half in all, never the same set twice; then its B_l and
  // the first polynomial's roots.
  bool NewA() {
    const double target = (Bits(kn_) + 1) / 2 - std::log2(half_);
    // Primes of about 2^11 leave many sets to choose from, and the small
    // primes, which carry the sieve, out of A.
    const double wanted = std::min(11.0, std::log2(prime_[primeCount_ - 1]) - 1);
    aFactors_ = std::clamp(static_cast<int>(std::lround(target / wanted)), 2, kMostAFactors);
    const double each = target / aFactors_;
    int low = firstSieved_;
    while (low < primeCount_ - 1 && std::log2(prime_[low]) < each - 0.5)
      ++low;
    int high = low;
    while (high < primeCount_ - 1 && std::log2(prime_[high]) < each + 0.5)
      ++high;
    while (high - low < 2 * aFactors_ + 8 && (low > firstSieved_ || high < primeCount_ - 1)) {
      low = std::max(firstSieved_, low - 1);
      high = std::min(primeCount_ - 1, high + 1);
    }
    if (aCount_ == kMostA) return false;
    for (int attempt = 0; attempt < 200; ++attempt) {
      std::array<std::uint16_t, kMostAFactors> chosen{};
      double bits = 0;
      bool distinct = true;
      for (int l = 0; l + 1 < aFactors_; ++l) {
        chosen[l] = static_cast<std::uint16_t>(low + Random() % (high - low));
        for (int m = 0; m < l; ++m)
          distinct = distinct && chosen[m] != chosen[l];
        distinct = distinct && root_[chosen[l]] != 0;
        bits += std::log2(prime_[chosen[l]]);
      }
      // The last prime brings the product nearest the target.
      const double rest = std::exp2(target - bits);
      int last = -1;
      for (int i = firstSieved_; i < primeCount_; ++i) {
        if (root_[i] == 0 || std::find(chosen.begin(), chosen.begin() + aFactors_ - 1, i) !=
                                 chosen.begin() + aFactors_ - 1) {
          continue;
        }
        if (last < 0 || std::abs(prime_[i] - rest) < std::abs(prime_[last] - rest)) last = i;
      }
      if (!distinct || last < 0) continue;
      chosen[aFactors_ - 1] = static_cast<std::uint16_t>(last);
      std::sort(chosen.begin(), chosen.begin() + aFactors_);
      bool used = false;
      for (int a = 0; a < aCount_ && !used; ++a)
        used = usedA_[a] == chosen;
      if (used) continue;
      usedA_[aCount_++] = chosen;
      StartPolynomials();
      assert(PolynomialHolds());
      return true;
    }
    return false;
  }

  Number ProductOfA(int a) const {
    Number product = wide::FromSmall(1);
    for (int l = 0; l < kMostAFactors && usedA_[a][l] != 0; ++l)
      product = wide::MultiplySmall(product, prime_[usedA_[a][l]]);
    return product;
  }

  // The B_l of the A numbered a: B_l = (A / q_l) gamma_l, with gamma_l the
  // smaller root of (A / q_l)^2 gamma^2 = kN mod q_l, so that every sum
  // B = B_0 +- B_1 +- ... satisfies B^2 = kN mod A. Returns how many.
  int PartsOfB(int a, const Number& product, std::array<Number, kMostAFactors>& parts) const {
    int count = 0;
    for (; count < kMostAFactors && usedA_[a][count] != 0; ++count) {
      const int index = usedA_[a][count];
      const std::uint32_t q = prime_[index];
      const Number cofactor = wide::DivideSmall(product, q);
      std::uint64_t gamma =
          std::uint64_t{root_[index]} * modular::InverseModulo(Remainder(cofactor, q), q) % q;
      if (gamma > q / 2) gamma = q - gamma;
      parts[count] = wide::MultiplySmall(cofactor, static_cast<std::uint32_t>(gamma));
    }
    return count;
  }

  // |Y| = |A x + B| of a finding.
  Number YOf(const Finding& finding) const {
    const Number a = ProductOfA(finding.a);
    std::array<Number, kMostAFactors> parts;
    const int count = PartsOfB(finding.a, a, parts);
    Signed y{wide::MultiplySmall(a, static_cast<std::uint32_t>(std::abs(finding.x))),
             finding.x < 0};
    for (int l = 0; l < count; ++l)
      y = Add(y, Signed{parts[l], l > 0 && ((finding.gray >> (l - 1)) & 1) != 0});
    return y.magnitude;
  }

  void StartPolynomials() {
    const auto& chosen = usedA_[aCount_ - 1];
    a_ = ProductOfA(aCount_ - 1);
    PartsOfB(aCount_ - 1, a_, bl_);
    isAFactor_.fill(false);
    b_ = Signed{};
    gray_ = 0;
    for (int l = 0; l < aFactors_; ++l) {
      isAFactor_[chosen[l]] = true;
      b_.magnitude = wide::Add(b_.magnitude, bl_[l]);
    }
    for (int i = firstSieved_; i < primeCount_; ++i) {
      if (isAFactor_[i]) continue;
      const std::uint32_t p = prime_[i];
      const std::uint64_t inverse = modular::InverseModulo(Remainder(a_, p), p);
      for (int l = 0; l < aFactors_; ++l)
        delta_[l][i] = static_cast<std::uint16_t>(2 * Remainder(bl_[l], p) * inverse % p);
      const std::uint64_t b = Remainder(b_.magnitude, p);
      const std::uint64_t shift = half_ % p;
      first_[i] = static_cast<std::uint32_t>((inverse * (root_[i] + p - b) + shift) % p);
      second_[i] = static_cast<std::uint32_t>((inverse * (2 * p - root_[i] - b) + shift) % p);
    }
  }

  // The next B in Gray-code order flips the sign of one B_l, and moves
  // every root by the same precomputed step.
  void NextB(int g) {
    const int l = __builtin_ctz(static_cast<unsigned>(g)) + 1;
    gray_ = static_cast<std::uint16_t>(g ^ (g >> 1));
    const bool minus = ((gray_ >> (l - 1)) & 1) != 0;
    const Signed twice{wide::MultiplySmall(bl_[l], 2), minus};
    b_ = Add(b_, twice);
    for (int i = firstSieved_; i < primeCount_; ++i) {
      if (isAFactor_[i]) continue;
      const std::uint32_t p = prime_[i];
      const std::uint32_t step = minus ? delta_[l][i] : p - delta_[l][i];
      first_[i] = first_[i] + step >= p ? first_[i] + step - p : first_[i] + step;
      second_[i] = second_[i] + step >= p ? second_[i] + step - p : second_[i] + step;
    }
  }

  // The current polynomial is sound: B^2 = kN (mod A), and Q(x) is divisible
  // by p at both roots of every sieved prime of the base. Debug builds check
  // it for every polynomial, so that a fault fails loudly instead of only
  // costing relations.
  bool PolynomialHolds() const {
    Number square;
    Number knRest;
    wide::Divide(wide::Multiply(b_.magnitude, b_.magnitude), a_, &square);
    wide::Divide(kn_, a_, &knRest);
    if (wide::Compare(square, knRest) != 0) return false;
    for (int i = firstSieved_; i < primeCount_; ++i) {
      if (isAFactor_[i]) continue;
      const std::uint64_t p = prime_[i];
      const std::uint64_t a = Remainder(a_, prime_[i]);
      const std::uint64_t bMagnitude = Remainder(b_.magnitude, prime_[i]);
      const std::uint64_t b = b_.negative ? (p - bMagnitude) % p : bMagnitude;
      const std::uint64_t kn = Remainder(kn_, prime_[i]);
      for (const std::uint32_t j : {first_[i], second_[i]}) {
        const std::uint64_t x = (j + p - static_cast<std::uint64_t>(half_) % p) % p;
        const std::uint64_t y = (a * x + b) % p;
        if ((y * y + p - kn) % p != 0) return false;
      }
    }
    return true;
  }

  void SievePolynomial() {
    const int length = 2 * half_;
    // Starting every position at 128 - threshold puts the candidates
    // exactly where the top bit of a byte is set.
    std::fill_n(sieve_.begin(), length, static_cast<std::uint8_t>(128 - threshold_));
    for (int i = firstSieved_; i < primeCount_; ++i) {
      if (isAFactor_[i]) continue;
      const int p = static_cast<int>(prime_[i]);
      const std::uint8_t logarithm = logarithm_[i];
      for (int j = static_cast<int>(first_[i]); j < length; j += p)
        sieve_[j] += logarithm;
      if (second_[i] == first_[i]) continue;
      for (int j = static_cast<int>(second_[i]); j < length; j += p)
        sieve_[j] += logarithm;
    }
  }

  void Scan() {
    const int length = 2 * half_;
    for (int j = 0; j < length; j += 8) {
      std::uint64_t word = 0;
      std::memcpy(&word, sieve_.data() + j, sizeof word);
      if ((word & 0x8080808080808080ULL) == 0) continue;
      for (int b = j; b < j + 8; ++b) {
        if ((sieve_[b] & 0x80) != 0) Check(b);
      }
    }
  }

  // Y = A x + B for the sieve position j (x = j - half), and whether its v
  // splits over the base but for a cofactor below the large-prime bound.
  void Check(int j) {
    const int x = j - half_;
    const Signed ax{wide::MultiplySmall(a_, static_cast<std::uint32_t>(std::abs(x))), x < 0};
    const Signed y = Add(ax, b_);
    Number v;
    bool negative = false;
    if (!Value(y.magnitude, a_, v, negative)) return;
    checkedX_ = x;
    DivideOut(v, 2);
    for (int i = 2; i < primeCount_ && !IsOne(v); ++i) {
      const std::uint32_t p = prime_[i];
      if (i >= firstSieved_ && !isAFactor_[i] && root_[i] != 0) {
        const auto at = static_cast<std::uint32_t>(j) % p;
        if (at != first_[i] && at != second_[i]) continue;
      }
      DivideOut(v, p);
    }
    if (v.size > 2) return;
    const std::uint64_t cofactor =
        v.size == 1 ? v.limbs[0] : v.limbs[0] + 1'000'000'000ULL * v.limbs[1];
    if (cofactor == 1) {
      Record(1);
    } else if (cofactor < largeBound_ &&
               cofactor < std::uint64_t{prime_[primeCount_ - 1]} * prime_[primeCount_ - 1]) {
      Record(static_cast<std::uint32_t>(cofactor));
    }
  }

  // v = (Y^2 - kN) / A, which divides exactly, as magnitude and sign.
  bool Value(const Number& y, const Number& a, Number& v, bool& negative) const {
    const Number square = wide::Multiply(y, y);
    negative = wide::Compare(square, kn_) < 0;
    const Number difference = negative ? wide::Subtract(kn_, square) : wide::Subtract(square, kn_);
    Number rest;
    v = wide::Divide(difference, a, &rest);
    return wide::IsZero(rest) && !wide::IsZero(v);
  }

  void Record(std::uint32_t large) {
    if (findingCount_ == kMostFindings || relationCount_ == kMostRelations) return;
    const Finding finding{checkedX_, large, static_cast<std::uint16_t>(aCount_ - 1), gray_};
    if (large == 1) {
      findings_[findingCount_] = finding;
      relations_[relationCount_++] = {static_cast<std::int16_t>(findingCount_++), -1};
      return;
    }
    // Open addressing on the large prime: a second finding with the same
    // one makes a relation, a first one waits.
    std::uint32_t slot = (large * 2654435761U) >> (32 - kHashBits);
    while (hash_[slot] != 0) {
      const int other = hash_[slot] - 1;
      if (findings_[other].large == large) {
        findings_[findingCount_] = finding;
        relations_[relationCount_++] = {static_cast<std::int16_t>(other),
                                        static_cast<std::int16_t>(findingCount_++)};
        return;
      }
      slot = (slot + 1) % kHashSlots;
    }
    if (findingCount_ >= kHashSlots / 2) return;  // keep the table sparse
    findings_[findingCount_] = finding;
    hash_[slot] = static_cast<std::uint16_t>(++findingCount_);
  }

  // Hands every prime factor of A * v of a finding, with multiplicity, to
  // `use` as an index into the base (0 for the sign); the large prime is
  // left out.
  template <typename Use>
  void Factorize(const Finding& finding, Use&& use) const {
    const Number a = ProductOfA(finding.a);
    Number v;
    bool negative = false;
    [[maybe_unused]] const bool exact = Value(YOf(finding), a, v, negative);
    assert(exact);
#ifndef NDEBUG
    // A * v rebuilt from the factors handed over, the large prime included.
    const Number whole = wide::Multiply(a, v);
    Number rebuilt = wide::FromSmall(finding.large);
    const auto handOver = [&](int i) {
      if (i > 0) rebuilt = wide::MultiplySmall(rebuilt, prime_[i]);
      use(i);
    };
#else
    const auto& handOver = use;
#endif
    if (negative) handOver(0);
    std::uint32_t rest = 0;
    v = wide::DivideSmall(v, finding.large, &rest);
    assert(rest == 0);
    for (int l = 0; l < kMostAFactors && usedA_[finding.a][l] != 0; ++l)
      handOver(usedA_[finding.a][l]);
    for (int i = 1; i < primeCount_ && !IsOne(v); ++i) {
      for (int times = DivideOut(v, prime_[i]); times > 0; --times)
        handOver(i);
    }
    assert(IsOne(v));
    assert(wide::Compare(rebuilt, whole) == 0);
  }

  template <typename Use>
  void FactorizeRelation(const Relation& relation, Use&& use) const {
    Factorize(findings_[relation.first], use);
    if (relation.second >= 0) Factorize(findings_[relation.second], use);
  }

  // Gaussian elimination over GF(2) with the primes as rows and the
  // relations as columns; every column without a pivot gives a set of
  // relations whose product is a square.
  bool Combine(Number& factor) {
    for (int i = 0; i < primeCount_; ++i)
      rows_[i].fill(0);
    for (int r = 0; r < relationCount_; ++r) {
      FactorizeRelation(relations_[r],
                        [&](int i) { rows_[i][r / 64] ^= std::uint64_t{1} << (r % 64); });
      if (Cancelled()) return false;
    }
    std::array<std::int16_t, kMostPrimes> pivotColumn{};
    int rank = 0;
    for (int c = 0; c < relationCount_ && rank < primeCount_; ++c) {
      const std::uint64_t bit = std::uint64_t{1} << (c % 64);
      int pivot = rank;
      while (pivot < primeCount_ && (rows_[pivot][c / 64] & bit) == 0)
        ++pivot;
      if (pivot == primeCount_) continue;
      std::swap(rows_[pivot], rows_[rank]);
      for (int i = 0; i < primeCount_; ++i) {
        if (i == rank || (rows_[i][c / 64] & bit) == 0) continue;
        for (int w = 0; w < kWords; ++w)
          rows_[i][w] ^= rows_[rank][w];
      }
      pivotColumn[rank++] = static_cast<std::int16_t>(c);
      if (Cancelled()) return false;
    }
    std::array<bool, kMostRelations> pivotal{};
    for (int k = 0; k < rank; ++k)
      pivotal[pivotColumn[k]] = true;
    for (int free = 0; free < relationCount_; ++free) {
      if (pivotal[free]) continue;
      std::array<bool, kMostRelations> chosen{};
      chosen[free] = true;
      for (int k = 0; k < rank; ++k)
        chosen[pivotColumn[k]] = (rows_[k][free / 64] >> (free % 64) & 1) != 0;
      if (Split(chosen, factor)) return true;
      if (Cancelled()) return false;
    }
    return false;
  }

  bool Split(const std::array<bool, kMostRelations>& chosen, Number& factor) {
    std::array<std::uint16_t, kMostPrimes> exponent{};
    Number x = wide::FromSmall(1);
    Number z = wide::FromSmall(1);
    for (int r = 0; r < relationCount_; ++r) {
      if (!chosen[r]) continue;
      const Relation& relation = relations_[r];
      x = MultiplyModulo(x, YOf(findings_[relation.first]), n_);
      if (relation.second >= 0) {
        x = MultiplyModulo(x, YOf(findings_[relation.second]), n_);
        z = MultiplyModulo(z, wide::FromSmall(findings_[relation.first].large), n_);
      }
      FactorizeRelation(relation, [&](int i) { ++exponent[i]; });
      if (Cancelled()) return false;
    }
    for (int i = 1; i < primeCount_; ++i) {
      assert(exponent[i] % 2 == 0);
      if (exponent[i] % 2 != 0) return false;  // not a square: a fault
      for (int e = 0; e < exponent[i] / 2; ++e) {
        z = wide::MultiplySmall(z, prime_[i]);
        if (wide::Compare(z, n_) >= 0) wide::Divide(z, n_, &z);
      }
    }
    const Number difference =
        wide::Compare(x, z) >= 0 ? wide::Subtract(x, z) : wide::Subtract(z, x);
    const Number divisor =
        modular::ToWide(modular::Gcd(modular::FromWide(n_), modular::FromWide(difference)));
    if (IsOne(divisor) || wide::Compare(divisor, n_) == 0) return false;
    factor = divisor;
    return true;
  }

  Number n_;
  const PrimeSequence& primes_;
  const std::atomic<bool>* cancel_;
  std::uint32_t k_ = 1;
  Number kn_;
  int half_ = 0;
  int threshold_ = 0;
  std::uint32_t largeBound_ = 0;
  std::uint64_t seed_ = 0x9e3779b97f4a7c15ULL;

  int primeCount_ = 0;
  int firstSieved_ = 2;
  std::array<std::uint32_t, kMostPrimes> prime_{};
  std::array<std::uint32_t, kMostPrimes> root_{};  // sqrt(kN) mod p; 0 where p divides k
  std::array<std::uint8_t, kMostPrimes> logarithm_{};

  // The current A and B, the roots of the current polynomial as sieve
  // positions, and the steps between the roots of successive B.
  int aFactors_ = 0;
  Number a_;
  Signed b_;
  std::array<Number, kMostAFactors> bl_{};
  std::array<bool, kMostPrimes> isAFactor_{};
  std::array<std::uint32_t, kMostPrimes> first_{};
  std::array<std::uint32_t, kMostPrimes> second_{};
  // The large tables below are written before they are read, and left
  // uncleared so that a small number does not pay for clearing them.
  std::array<std::array<std::uint16_t, kMostPrimes>, kMostAFactors> delta_;
  std::uint16_t gray_ = 0;  // the signs of the current B
  std::int32_t checkedX_ = 0;
  std::array<std::array<std::uint16_t, kMostAFactors>, kMostA> usedA_;
  int aCount_ = 0;

  std::array<std::uint8_t, kLongestInterval> sieve_;

  std::array<Finding, kMostFindings> findings_;
  int findingCount_ = 0;
  std::array<std::uint16_t, kHashSlots> hash_{};
  std::array<Relation, kMostRelations> relations_{};
  int relationCount_ = 0;

  std::array<std::array<std::uint64_t, kWords>, kMostPrimes> rows_;
};

// The sieve lives on the stack of the thread that factors; it stays well
// within the megabyte that one press may use.
static_assert(sizeof(SieveSearch) < 900 * 1024);

}  // namespace

Outcome Sieve(const Number& n, const PrimeSequence& primes, Number& factor,
              const std::atomic<bool>* cancel) {
  SieveSearch search(n, primes, cancel);
  return search.Run(factor);
}

}  // namespace factoring
