// SPDX-License-Identifier: GPL-3.0-or-later
// The self-initialising quadratic sieve (Contini's variant of Pomerance's
// method) with one or, for long numbers, two large primes per relation.
//
// For n times a small multiplier k, the polynomials Q(x) = (A x + B)^2 - kN
// with B^2 = kN (mod A) are divisible by A; Y = A x + B then satisfies
// Y^2 = A * v (mod n) with v = Q(x) / A, a number of about half the digits
// of n. The sieve collects Y whose A * v splits over a base of small primes,
// or does so but for one or two larger primes; those are combined along the
// cycles of the graph of their large primes, in which every large prime
// comes an even number of times. Linear algebra over GF(2) finds sets of
// relations whose products are squares, and the greatest common
// divisor of n and X - Z splits n, where X is the product of the Y and Z the
// square root of the product of the A * v.
//
// Each thread sieves polynomials of its own A; the relations meet in one
// store. The working storage is taken from the heap once, when the search
// starts, in sizes set by the number's length, and given back when it ends.
#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "Dependencies.h"
#include "LargePrimeGraph.h"
#include "Methods.h"

namespace factoring {
namespace {

using wide::Number;

// Relations beyond the primes: each surplus one gives one more square, and
// each square splits n with a chance of one half at least.
constexpr int kExcess = 48;
constexpr int kMostAFactors = 16;
// The limbs of the values and polynomial coefficients whose remainders the
// base's powers give (a value of a 100-digit number has 7).
constexpr int kPowers = 8;
// The base's arrays go on for a group of 16 primes beyond its end, so that
// the candidates' test takes whole groups.
constexpr int kPadding = 16;
// Sieving goes block by block. A block of twice the first-level cache is
// sieved faster than one that fits it: the loop over the primes, whose exits
// the processor cannot predict, is paid once a block, and then once for a
// whole polynomial up to 84 digits (62 digits: 5.4 s against 6.0 s).
constexpr int kBlock = 65536;
// The part of a block that the short primes sieve at a time, and the
// length from which a prime counts as long: the short ones make most of the
// hits (62 digits: 5.1 s against 5.5 s with the whole block at once).
constexpr int kPart = 32768;
constexpr std::uint32_t kLong = 8192;
// The length from which a prime goes over the whole interval at once, each
// taking a fixed count of steps without a branch (see SieveHuge), rather
// than block by block, where the loop of a prime that hits a block a few
// times ends where the processor cannot predict it. From 16,384 rather than
// from a block's length, one thread sieved a 75-digit number in 41.9 and
// 41.5 s against 45.7 and 45.9 s and, with the logarithm read once a prime,
// an 80-digit one in 84.4 s against 93.4 s; at 90 digits it found 14 %
// more relations in the first 90 s from 8,192 (each pair run at once).
// From 16,384 it found about 3 % more than from 8,192 at 80 and 90 digits,
// and 5 to 9 % more than from 32,768.
constexpr std::uint32_t kHuge = 16384;
constexpr int kSpare = 64;
// From the length at which a prime hits the interval at most this many
// times a root, its hits are listed as its roots move (see MoveRoots)
// rather than stepped to.
constexpr std::uint32_t kListedSteps = 3;

// Factor base size, half the sieve interval and the large primes' bound
// as a multiple of the base's largest prime, by the number's digits,
// from sweeps at 62 to 75 digits (at 75 digits one block a polynomial and
// 10,000 to 14,000 primes took 53 s on two threads, two blocks and 8,500
// primes 64 s; with two large primes, 8,000 to 12,000 primes sieved alike);
// at 80 digits, with two large primes, one block a polynomial and 10,000
// primes sieved in 72 s, 12,000 and 14,000 primes in 74 s, two blocks and
// 12,000 primes in 84 s. Once the longest primes sieved without a branch,
// 10,000 to 18,000 primes sieved alike at 80 digits (49 to 52 s, two blocks
// 62 s), where the larger bases cost more to combine; at 90 digits 30,000
// primes took 1,103 s in all, 20,000 primes 1,163 s. Once the primes longer
// than a block sieved the whole interval at once, four blocks a polynomial
// found 29 % more relations in 90 s at 90 digits than one (two 27 %, eight
// 5 %; at 75 and 80 digits two and four blocks gained nothing), and 40,000
// primes took 616 s in all. With the structured elimination, larger bases
// came out faster at 62 to 70 digits (the sieve and its combining on two
// threads, medians of three to seven alternating runs: 62 digits 3,200,
// 4,000 and 4,600 primes 1.75, 1.53 and 1.45 s; 66 digits 4,600, 5,600 and
// 6,400 primes 3.31, 3.15 and 2.99 s; 70 digits 6,000, 7,500 and 9,000
// primes 7.32, 6.74 and 6.96 s). Large primes up to 128 times the largest
// rather than 64 made the whole sieve at 90 digits faster: 1,209 and
// 1,151 s on one thread against 1,271 and 1,216 s, each pair run at once
// (at 75 digits no difference beyond the noise). At 100 digits 80,000
// primes took 2,803 s to sieve on two threads against 3,261 s with
// 60,000, and 67 s to combine against 31 s (one run each); at 90 digits
// 55,000 primes sieved as fast as 40,000 (one thread, the two run at
// once: 520.6 s against 531.5 s in all). Between and beyond those sizes
// they are estimates.
struct Parameters {
  int digits;
  int primes;
  int half;
  std::uint32_t largeTimes;
};
constexpr Parameters kParameters[] = {
    {20, 60, 2048, 64},       {24, 70, 4096, 64},       {28, 100, 4096, 64},
    {32, 180, 8192, 64},      {36, 260, 8192, 64},      {40, 350, 8192, 64},
    {44, 550, 16384, 64},     {48, 1100, 16384, 64},    {52, 1400, 16384, 64},
    {56, 1600, 16384, 64},    {60, 1800, 16384, 64},    {62, 4000, 32768, 64},
    {64, 5200, 32768, 64},    {66, 6400, 32768, 64},    {68, 7000, 32768, 64},
    {70, 7500, 32768, 64},    {72, 8500, 32768, 64},    {75, 10000, 32768, 64},
    {78, 10000, 32768, 64},   {81, 12000, 32768, 64},   {85, 18000, 65536, 128},
    {90, 40000, 131072, 128}, {95, 60000, 131072, 128}, {100, 80000, 131072, 128}};
// The scan for candidates takes 32 positions at a time, and every block's
// length is a multiple of that; the large primes' bound stays within 32
// bits (the base's primes are below 2^24).
static_assert(kBlock % 32 == 0 &&
              std::all_of(std::begin(kParameters), std::end(kParameters), [](const Parameters& p) {
                return p.half % 16 == 0 && p.half < (1 << 23) && p.largeTimes <= 255;
              }));

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
// factor base but for at most two larger primes (1 where there is none). Y
// is rebuilt when needed, which keeps a finding small.
struct Finding {
  std::int32_t x;
  std::array<std::uint32_t, 2> large;
  std::uint32_t a;
  std::uint16_t gray;
};

// A relation: findings whose large primes each appear an even number of
// times, so that their product is smooth but for a square.
using Relation = LargePrimeGraph::Cycle;

using AFactors = std::array<std::uint32_t, kMostAFactors>;  // indices into the base, 0 ends

// The factor base and the sieve's settings, fixed once built.
struct Base {
  Number n;
  std::uint32_t k = 1;
  Number kn;
  int half = 0;
  int threshold = 0;
  std::uint32_t largeBound = 0;
  // Cofactors up to this bound (0: none) are split into two large primes.
  std::uint64_t doubleBound = 0;
  int count = 0;
  int firstSieved = 2;
  int firstLong = 0;    // the first prime of at least kLong
  int firstHuge = 0;    // the first prime of at least kHuge or the interval's length
  int firstListed = 0;  // the first prime whose hits are listed
  std::vector<std::uint32_t> prime;
  std::vector<std::uint32_t> root;      // sqrt(kN) mod p; 0 where p divides k
  std::vector<std::uint8_t> logarithm;  // padded like the primes
  // For the odd primes: the inverse mod 2^32 and (2^32 - 1) / p, with which
  // p divides x < 2^32 exactly when x * inverse mod 2^32 <= limit.
  std::vector<std::uint32_t> inverse;
  std::vector<std::uint32_t> limit;
  // The same below 2^64.
  std::vector<std::uint64_t> wideInverse;
  std::vector<std::uint64_t> wideLimit;
  // For each prime p, Number::Base^l mod p for the limbs l < kPowers.
  std::vector<std::uint32_t> powers;

  std::uint32_t Largest() const { return prime[count - 1]; }

  // a mod the i-th prime: with the limbs' powers a few multiplications and
  // one division, instead of one division a limb, which is what setting up
  // an A spends most of its time on.
  std::uint32_t Residue(const Number& a, int i) const {
    if (a.size > kPowers) return Remainder(a, prime[i]);
    return static_cast<std::uint32_t>(PowerSum(a, i) % prime[i]);
  }

  // Whether the i-th prime divides a, without the division, which is what
  // factoring the findings spends most of its time on.
  bool Divides(const Number& a, int i) const {
    if (a.size > kPowers) return Remainder(a, prime[i]) == 0;
    if (prime[i] % 2 == 0) return a.limbs[0] % 2 == 0;  // Number::Base is even
    return PowerSum(a, i) * wideInverse[i] <= wideLimit[i];
  }

 private:
  // A number congruent to a mod the i-th prime, below kPowers * 2^30 * 2^24.
  std::uint64_t PowerSum(const Number& a, int i) const {
    const std::uint32_t* const power = &powers[static_cast<std::size_t>(i) * kPowers];
    std::uint64_t sum = 0;
    for (int l = 0; l < a.size; ++l)
      sum += std::uint64_t{a.limbs[l]} * power[l];
    return sum;
  }
};

double Bits(const Number& x) {
  double value = 0;
  for (int i = x.size - 1; i >= 0 && i >= x.size - 3; --i)
    value = value * Number::Base + x.limbs[i];
  return std::log2(value) + std::max(0, x.size - 3) * std::log2(double{Number::Base});
}

// The factor base: -1, 2, then the odd primes p with kN a square mod p (or
// dividing k). False when a prime of the base divides n: that prime is the
// factor.
bool BuildBase(const Number& n, const PrimeSequence& primes, int twoLargePrimesFrom,
               int halfInterval, Base& base, Number& factor) {
  const int digits = wide::DecimalLength(n);
  const Parameters* chosen = &kParameters[0];
  for (const Parameters& p : kParameters)
    if (p.digits <= digits) chosen = &p;
  base.n = n;
  base.half = halfInterval > 0 ? halfInterval : chosen->half;
  assert(base.half % 16 == 0 && base.half < (1 << 23));
  base.k = ChooseMultiplier(n, primes);
  base.kn = wide::MultiplySmall(n, base.k);
  base.prime.assign(chosen->primes, 0);
  base.root.assign(chosen->primes, 0);
  base.logarithm.assign(chosen->primes, 0);
  base.prime[0] = 1;
  base.prime[1] = 2;
  base.count = 2;
  std::vector<double> exact(chosen->primes, 0.0);
  PrimeSequence sequence = primes;
  sequence.Restart();
  for (std::uint32_t p = sequence.Next(); base.count < chosen->primes; p = sequence.Next()) {
    if (p == 2) continue;
    const std::uint32_t residue = Remainder(base.kn, p);
    if (residue == 0 && Remainder(n, p) == 0) {
      factor = wide::FromSmall(p);
      return false;
    }
    if (residue != 0 && modular::Jacobi(residue, p) != 1) continue;
    base.prime[base.count] = p;
    base.root[base.count] = modular::SquareRootModulo(residue, p);
    exact[base.count] = std::log2(p);
    ++base.count;
  }
  // The smallest primes cost the most sieving for the least information;
  // they are left out and made up for in the threshold.
  double skipped = 1.0;  // the mean share of 2
  while (base.firstSieved < base.count && base.prime[base.firstSieved] < 30) {
    skipped += 2 * exact[base.firstSieved] / (base.prime[base.firstSieved] - 1);
    ++base.firstSieved;
  }
  // A position is a candidate when the logarithms sieved there leave at
  // most a large prime of the value unexplained, less some bits: the values
  // are smaller than the largest inside the interval, and the skipped
  // primes divide some far more than on average (ten bits came out best in
  // sweeps from 45 to 66 digits; below 40 digits, where candidates cost
  // more than sieving, two). Long numbers count in units a little larger
  // than a bit, so that the sum stays within a byte.
  base.largeBound = base.Largest() * chosen->largeTimes;
  // Two large primes: their product up to the bound to the power 1.8, as the
  // literature has it. They start between 66 digits, where they gain nothing
  // measurable and take more memory, and 70, where they gain (two threads,
  // sieving and combining: 75 digits 39 s against 54 s with one large prime,
  // 70 digits 10.5 and 11.9 s against 11.2 and 12.2 s; 66 digits 5.1 and
  // 5.0 s against 5.5 and 5.2 s, but 8.5 and 5.1 s against 8.3 and 4.9 s in
  // the benchmark; 62 digits 2.7, 2.6 and 2.3 s against 2.5, 2.4 and 2.1 s).
  if (digits >= twoLargePrimesFrom)
    base.doubleBound =
        static_cast<std::uint64_t>(std::pow(static_cast<double>(base.largeBound), 1.8));
  const double valueBits = std::log2(base.half) + Bits(base.kn) / 2 - 0.5;
  const double slack = base.doubleBound != 0 ? 2 : digits < 40 ? 2 : digits < 45 ? 6 : 10;
  const double unexplained = std::log2(base.doubleBound != 0 ? base.doubleBound : base.largeBound);
  const double bits = valueBits - skipped - unexplained - slack;
  const double unit = std::max(1.0, bits / 110);
  base.threshold = std::clamp(static_cast<int>(bits / unit), 1, 127);
  base.firstHuge = base.firstSieved;
  const auto hugeFrom = std::min(static_cast<std::uint32_t>(2 * base.half), kHuge);
  while (base.firstHuge < base.count && base.prime[base.firstHuge] < hugeFrom)
    ++base.firstHuge;
  base.firstListed = base.firstHuge;
  const std::uint32_t listedFrom = (2U * base.half + kListedSteps - 1) / kListedSteps;
  while (base.firstListed < base.count && base.prime[base.firstListed] < listedFrom)
    ++base.firstListed;
  base.firstLong = base.firstSieved;
  while (base.firstLong < base.firstHuge && base.prime[base.firstLong] < kLong)
    ++base.firstLong;
  // Padding primes: 1, with inverse 1 and limit 0, at roots 0, which no
  // position + 1 reaches.
  base.prime.resize(base.count + kPadding, 1);
  base.logarithm.resize(base.count + kPadding, 0);
  base.inverse.assign(base.count + kPadding, 1);
  base.limit.assign(base.count + kPadding, 0);
  base.wideInverse.assign(base.count, 1);
  base.wideLimit.assign(base.count, 0);
  base.powers.assign(static_cast<std::size_t>(base.count) * kPowers, 0);
  for (int i = 1; i < base.count; ++i) {
    base.logarithm[i] = static_cast<std::uint8_t>(std::lround(exact[i] / unit));
    const std::uint32_t p = base.prime[i];
    assert(p < (1U << 24));
    std::uint32_t* const power = &base.powers[static_cast<std::size_t>(i) * kPowers];
    power[0] = 1 % p;
    for (int l = 1; l < kPowers; ++l)
      power[l] = static_cast<std::uint32_t>(std::uint64_t{power[l - 1]} * (Number::Base % p) % p);
    if (p % 2 == 0) continue;
    std::uint64_t inverse = p;  // Newton's steps double the correct bits, from 3
    for (int step = 0; step < 5; ++step)
      inverse *= 2 - p * inverse;
    base.inverse[i] = static_cast<std::uint32_t>(inverse);
    base.limit[i] = ~std::uint32_t{0} / p;
    base.wideInverse[i] = inverse;
    base.wideLimit[i] = ~std::uint64_t{0} / p;
  }
  return true;
}

// The relations found so far and the A's used, shared by the threads that
// sieve; every change and every read while they run is under the lock.
class Store {
 public:
  Store(int needed, std::size_t mostPartials) : needed_(needed), mostPartials_(mostPartials) {
    smooth_.reserve(needed);
  }

  // Registers a new set of A factors; false when it was used before or the
  // store has enough.
  bool TakeA(const AFactors& chosen, std::uint32_t& index) {
    const std::lock_guard lock(mutex_);
    if (Full()) return false;
    for (const AFactors& used : usedA_)
      if (used == chosen) return false;
    index = static_cast<std::uint32_t>(usedA_.size());
    usedA_.push_back(chosen);
    return true;
  }

  void Record(const Finding& finding) {
    const std::lock_guard lock(mutex_);
    if (Full()) return;
    const auto index = static_cast<std::int32_t>(findings_.size());
    if (finding.large[0] == 1) {
      findings_.push_back(finding);
      smooth_.push_back(index);
    } else if (partials_.Edges() < mostPartials_) {
      findings_.push_back(finding);
      if (partials_.Add(finding.large, index)) ++cycles_;
    }
    found_.store(static_cast<int>(smooth_.size()) + cycles_, std::memory_order_relaxed);
  }

  bool Full() const { return found_.load(std::memory_order_relaxed) >= needed_; }
  int Found() const { return found_.load(std::memory_order_relaxed); }
  int Needed() const { return needed_; }

  // After the sieving threads have ended: the smooth findings, then the
  // cycles of partial ones.
  std::vector<Relation> Relations() const {
    std::vector<Relation> relations;
    for (const std::int32_t f : smooth_)
      relations.push_back({f});
    for (Relation& cycle : partials_.Cycles())
      relations.push_back(std::move(cycle));
    return relations;
  }
  const std::vector<Finding>& Findings() const { return findings_; }
  const AFactors& FactorsOfA(std::uint32_t a) const { return usedA_[a]; }

 private:
  mutable std::mutex mutex_;
  int needed_;
  std::size_t mostPartials_;  // a bound on the memory
  std::atomic<int> found_{0};
  int cycles_ = 0;
  std::vector<AFactors> usedA_;
  std::vector<Finding> findings_;
  std::vector<std::int32_t> smooth_;
  LargePrimeGraph partials_;
};

Number ProductOf(const Base& base, const AFactors& factors) {
  Number product = wide::FromSmall(1);
  for (int l = 0; l < kMostAFactors && factors[l] != 0; ++l)
    product = wide::MultiplySmall(product, base.prime[factors[l]]);
  return product;
}

// The B_l of an A: B_l = (A / q_l) gamma_l, with gamma_l the smaller root of
// (A / q_l)^2 gamma^2 = kN mod q_l, so that every sum B = B_0 +- B_1 +- ...
// satisfies B^2 = kN mod A. Returns how many.
int PartsOfB(const Base& base, const AFactors& factors, const Number& a,
             std::array<Number, kMostAFactors>& parts) {
  int count = 0;
  for (; count < kMostAFactors && factors[count] != 0; ++count) {
    const int index = factors[count];
    const std::uint32_t q = base.prime[index];
    const Number cofactor = wide::DivideSmall(a, q);
    std::uint64_t gamma =
        std::uint64_t{base.root[index]} * modular::InverseModulo(Remainder(cofactor, q), q) % q;
    if (gamma > q / 2) gamma = q - gamma;
    parts[count] = wide::MultiplySmall(cofactor, static_cast<std::uint32_t>(gamma));
  }
  return count;
}

// v = (Y^2 - kN) / A, which divides exactly, as magnitude and sign.
bool Value(const Base& base, const Number& y, const Number& a, Number& v, bool& negative) {
  const Number square = wide::Multiply(y, y);
  negative = wide::Compare(square, base.kn) < 0;
  const Number difference =
      negative ? wide::Subtract(base.kn, square) : wide::Subtract(square, base.kn);
  Number rest;
  v = wide::Divide(difference, a, &rest);
  return wide::IsZero(rest) && !wide::IsZero(v);
}

// The large primes of a finding whose value is smooth over the base but for
// `cofactor`, as {1, 1}, {p, 1} or {p, q} with p <= q; none when the
// cofactor is out of bounds. Every prime factor of the cofactor lies above
// the base, so one below the square of its largest prime is prime.
std::optional<std::array<std::uint32_t, 2>> LargePrimes(const Base& base, std::uint64_t cofactor) {
  if (cofactor == 1) return std::array<std::uint32_t, 2>{1, 1};
  const std::uint64_t largest = base.Largest();
  if (cofactor < largest * largest) {  // a prime
    if (cofactor >= base.largeBound) return std::nullopt;
    return std::array<std::uint32_t, 2>{static_cast<std::uint32_t>(cofactor), 1};
  }
  if (cofactor > base.doubleBound || IsPrimeWord(cofactor)) return std::nullopt;
  const std::uint64_t p = RhoWord(cofactor);
  if (p == 0) return std::nullopt;
  const std::uint64_t q = cofactor / p;
  const std::uint64_t low = std::min(p, q);
  const std::uint64_t high = std::max(p, q);
  if (high >= base.largeBound) return std::nullopt;
  return std::array<std::uint32_t, 2>{static_cast<std::uint32_t>(low),
                                      static_cast<std::uint32_t>(high)};
}

// The roots of the current polynomial with what a divisibility test needs,
// in arrays padded to whole groups of 16 primes (a padding prime never hits).
struct Roots {
  const std::uint32_t* prime;
  const std::uint32_t* first;
  const std::uint32_t* second;
  const std::uint32_t* inverse;
  const std::uint32_t* limit;
};
// Sets in hits[g] bit k when the prime from + 16 g + k (below `to`, or
// padding) has a root at `position`: p divides x < 2^32 exactly when
// x * inverse mod 2^32 <= limit. Without a branch inside, so that the
// compiler can take 8 primes an instruction.
[[gnu::always_inline]] inline void MarkRootsAt(const Roots& roots, int from, int to,
                                               std::uint32_t position, std::uint16_t* hits) {
  for (int group = from; group < to; group += 16) {
    std::uint32_t word = 0;
    for (int k = 0; k < 16; ++k) {
      const int i = group + k;
      const std::uint32_t p = roots.prime[i];
      const std::uint32_t first = (position + p - roots.first[i]) * roots.inverse[i];
      const std::uint32_t second = (position + p - roots.second[i]) * roots.inverse[i];
      word |= (static_cast<std::uint32_t>(first <= roots.limit[i]) |
               static_cast<std::uint32_t>(second <= roots.limit[i]))
              << k;
    }
    *hits++ = static_cast<std::uint16_t>(word);
  }
}

using MarkRoots = void (*)(const Roots&, int, int, std::uint32_t, std::uint16_t*);

void MarkRootsPortable(const Roots& roots, int from, int to, std::uint32_t position,
                       std::uint16_t* hits) {
  MarkRootsAt(roots, from, to, position, hits);
}

#if defined(__x86_64__)
[[gnu::target("avx2")]] void MarkRootsAvx2(const Roots& roots, int from, int to,
                                           std::uint32_t position, std::uint16_t* hits) {
  MarkRootsAt(roots, from, to, position, hits);
}
#endif

// The candidates' test in the widest instructions the processor has.
MarkRoots ChooseMarkRoots() {
#if defined(__x86_64__)
  if (__builtin_cpu_supports("avx2")) return MarkRootsAvx2;
#endif
  return MarkRootsPortable;
}

// Moves the roots of the primes from..to-1 to the next polynomial's, by
// delta or by p - delta. Without a branch inside, so that the compiler can
// take several primes an instruction.
void MoveRootsBy(const std::uint32_t* prime, const std::uint32_t* delta, bool minus,
                 std::uint32_t* first, std::uint32_t* second, int from, int to) {
  const auto wrap = [](std::uint32_t x, std::uint32_t p) { return x >= p ? x - p : x; };
  if (minus) {
    for (int i = from; i < to; ++i) {
      first[i] = wrap(first[i] + delta[i], prime[i]);
      second[i] = wrap(second[i] + delta[i], prime[i]);
    }
  } else {
    for (int i = from; i < to; ++i) {
      first[i] = wrap(first[i] + prime[i] - delta[i], prime[i]);
      second[i] = wrap(second[i] + prime[i] - delta[i], prime[i]);
    }
  }
}

// The end of the run of primes from the i-th (below `count`) that hit an
// interval of `length` positions at most as often a root as the i-th does:
// ceil(length / p) times.
int EndOfSteps(const std::uint32_t* prime, int i, int count, std::uint32_t length) {
  const std::uint32_t steps = (length + prime[i] - 1) / prime[i];
  if (steps == 1) return count;
  return static_cast<int>(
      std::lower_bound(prime + i, prime + count, (length + steps - 2) / (steps - 1)) - prime);
}

// The primes longer than a third of the interval hit it at most three
// times a root, those longer than the interval mostly not at all. One pass
// over them moves their roots to the next polynomial's and lists the
// positions inside the interval, each with its prime's logarithm in the top
// byte, so that the sieve adds at the listed positions only, rather than a
// step a root, each into a spare byte when outside (one thread, each pair
// run at once: for the primes longer than the interval, 80 digits 23 to
// 35 % more relations in 40 s, 90 digits 7 and 9 % in 60 s, 100 digits 19 %
// in 150 s; for those longer than a third of it too, 80 digits 10 % in 40 s,
// 90 digits 5 % in 60 s, 100 digits 686 against 683 in 300 s; from a
// quarter, 80 digits 5 and 9 % fewer than from a third).
struct RootMoves {
  const std::uint32_t* prime;
  const std::uint32_t* delta;  // nullptr: the roots stay where they are
  bool minus;                  // whether the roots move by delta or by p - delta
  std::uint32_t* first;
  std::uint32_t* second;
  const std::uint8_t* logarithm;  // 0 for a prime that adds nothing
  std::uint32_t length;           // the interval's
  std::uint32_t steps;            // the most hits a root has inside it
};
// Moves the roots of the primes from..to-1 and lists the positions into
// `hits`, which has room for 2 * steps a prime and 16 more; returns how
// many.
using MoveRoots = std::size_t (*)(const RootMoves&, int, int, std::uint32_t*);

// In two loops: the compiler takes several primes an instruction in the
// first, not when it is one with the second (80 digits, one thread: 3,389
// and 3,109 relations in 40 s against 3,177 and 2,810 with a step a root;
// as one loop 3,344 and 3,308 against 3,437 and 3,561).
std::size_t MoveRootsPortable(const RootMoves& moves, int from, int to, std::uint32_t* hits) {
  if (moves.delta != nullptr)
    MoveRootsBy(moves.prime, moves.delta, moves.minus, moves.first, moves.second, from, to);
  // Every position is written, and counted only when inside: no branch.
  std::size_t count = 0;
  for (int i = from; i < to; ++i) {
    const std::uint32_t top = std::uint32_t{moves.logarithm[i]} << 24;
    for (std::uint32_t step = 0; step < moves.steps; ++step) {
      const std::uint32_t low = moves.first[i] + step * moves.prime[i];
      const std::uint32_t high = moves.second[i] + step * moves.prime[i];
      hits[count] = low | top;
      count += low < moves.length;
      hits[count] = high | top;
      count += high < moves.length;
    }
  }
  return count;
}

#if defined(__x86_64__)
// The positions inside are packed together in a register and stored whole,
// the next store starting after the last of them.
[[gnu::target("avx512f"), gnu::always_inline]] inline std::size_t ListInside(__m512i roots,
                                                                             __m512i top,
                                                                             __m512i length,
                                                                             std::uint32_t* at) {
  const __mmask16 inside = _mm512_cmplt_epu32_mask(roots, length);
  _mm512_storeu_si512(at, _mm512_maskz_compress_epi32(inside, _mm512_or_si512(roots, top)));
  return static_cast<std::size_t>(__builtin_popcount(inside));
}

// Asks for the cache line of array[i], which may lie past the array's end
// (the address is only computed, never read).
[[gnu::always_inline]] inline void Prefetch(const std::uint32_t* array, int i) {
  const auto address = reinterpret_cast<std::uintptr_t>(array) + sizeof *array * i;
  _mm_prefetch(reinterpret_cast<const char*>(address), _MM_HINT_T0);
}

// Sixteen primes at a time. The roots, primes and steps of a 100-digit
// number's base (a megabyte) do not stay in the second-level cache beside
// the interval, and the processor's own prefetching leaves this pass
// waiting for them: asked for 128 primes ahead, one thread found 4 to 11 %
// more relations in 60 s (five pairs run at once; 64 and 256 ahead alike).
[[gnu::target("avx512f")]] std::size_t MoveRootsAvx512(const RootMoves& moves, int from, int to,
                                                       std::uint32_t* hits) {
  constexpr int kAhead = 128;
  std::size_t count = 0;
  const __m512i length = _mm512_set1_epi32(static_cast<int>(moves.length));
  for (int i = from; i < to; i += 16) {
    Prefetch(moves.first, i + kAhead);
    Prefetch(moves.second, i + kAhead);
    Prefetch(moves.prime, i + kAhead);
    if (moves.delta != nullptr) Prefetch(moves.delta, i + kAhead);
    const __mmask16 in = to - i >= 16 ? 0xffff : static_cast<__mmask16>((1U << (to - i)) - 1);
    __m512i first = _mm512_maskz_loadu_epi32(in, moves.first + i);
    __m512i second = _mm512_maskz_loadu_epi32(in, moves.second + i);
    const __m512i p = _mm512_maskz_loadu_epi32(in, moves.prime + i);
    if (moves.delta != nullptr) {
      const __m512i delta = _mm512_maskz_loadu_epi32(in, moves.delta + i);
      const __m512i step = moves.minus ? delta : _mm512_sub_epi32(p, delta);
      // x - p wraps above x where x < p: the smaller of the two is x mod p.
      first = _mm512_add_epi32(first, step);
      second = _mm512_add_epi32(second, step);
      first = _mm512_maskz_min_epu32(in, first, _mm512_sub_epi32(first, p));
      second = _mm512_maskz_min_epu32(in, second, _mm512_sub_epi32(second, p));
      _mm512_mask_storeu_epi32(moves.first + i, in, first);
      _mm512_mask_storeu_epi32(moves.second + i, in, second);
    }
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(moves.logarithm + i));
    const __m512i top = _mm512_maskz_slli_epi32(in, _mm512_maskz_cvtepu8_epi32(in, bytes), 24);
    // Outside the primes: roots at the interval's end, never inside.
    first = _mm512_mask_mov_epi32(length, in, first);
    second = _mm512_mask_mov_epi32(length, in, second);
    for (std::uint32_t step = 0; step < moves.steps; ++step) {
      count += ListInside(first, top, length, hits + count);
      count += ListInside(second, top, length, hits + count);
      first = _mm512_add_epi32(first, p);
      second = _mm512_add_epi32(second, p);
    }
  }
  return count;
}
#endif

MoveRoots ChooseMoveRoots() {
#if defined(__x86_64__)
  if (__builtin_cpu_supports("avx512f")) return MoveRootsAvx512;
#endif
  return MoveRootsPortable;
}

// One thread's sieving: its polynomials, their roots and the sieve array.
class Sieving {
 public:
  Sieving(const Base& base, Store& store, std::uint64_t seed, const std::atomic<bool>* cancel,
          FactorProgress* progress)
      : base_(base),
        store_(store),
        cancel_(cancel),
        progress_(progress),
        seed_(seed),
        isAFactor_(base.count),
        first_(base.count + kPadding),
        second_(base.count + kPadding),
        next_(base.count),
        delta_(std::size_t{kMostAFactors} * base.count),
        sieve_(2 * base.half + kSpare + 1),  // spare bytes for SieveHuge
        hits_(base.count / 16 + 1),
        listed_(2 * kListedSteps * static_cast<std::size_t>(base.count - base.firstListed) +
                16 * kListedSteps),
        markRoots_(ChooseMarkRoots()),
        moveRoots_(ChooseMoveRoots()) {}

  // Sieves until the store is full, a cancel, or no new A is to be had.
  void Run() {
    while (!store_.Full() && !Stopped(cancel_)) {
      if (!NewA()) return;
      const int polynomials = 1 << (aFactors_ - 1);
      for (int g = 0; g < polynomials && !store_.Full(); ++g) {
        if (g > 0) NextB(g);
        assert(PolynomialHolds());
        SievePolynomial();
        if (progress_) progress_->Advance(store_.Found());
        if (Stopped(cancel_)) return;
      }
    }
  }

 private:
  std::uint32_t Random() {
    seed_ = seed_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::uint32_t>(seed_ >> 33);
  }

  // A new A, the product of aFactors_ primes of the base near
  // sqrt(2 kN) / half in all, never the same set twice; then its B_l and
  // the first polynomial's roots.
  bool NewA() {
    const int count = base_.count;
    const double target = (Bits(base_.kn) + 1) / 2 - std::log2(base_.half);
    // Primes of about 2^11 leave many sets to choose from, and the small
    // primes, which carry the sieve, out of A; long numbers take larger ones.
    const double wanted = std::min(target > 130 ? 12.0 : 11.0, std::log2(base_.Largest()) - 1);
    aFactors_ = std::clamp(static_cast<int>(std::lround(target / wanted)), 2, kMostAFactors - 1);
    const double each = target / aFactors_;
    int low = base_.firstSieved;
    while (low < count - 1 && std::log2(base_.prime[low]) < each - 0.5)
      ++low;
    int high = low;
    while (high < count - 1 && std::log2(base_.prime[high]) < each + 0.5)
      ++high;
    while (high - low < 2 * aFactors_ + 8 && (low > base_.firstSieved || high < count - 1)) {
      low = std::max(base_.firstSieved, low - 1);
      high = std::min(count - 1, high + 1);
    }
    for (int attempt = 0; attempt < 200; ++attempt) {
      AFactors chosen{};
      double bits = 0;
      bool distinct = true;
      for (int l = 0; l + 1 < aFactors_; ++l) {
        chosen[l] = static_cast<std::uint32_t>(low + Random() % (high - low));
        for (int m = 0; m < l; ++m)
          distinct = distinct && chosen[m] != chosen[l];
        distinct = distinct && base_.root[chosen[l]] != 0;
        bits += std::log2(base_.prime[chosen[l]]);
      }
      if (!distinct) continue;
      // The last prime brings the product nearest the target.
      const double rest = std::exp2(target - bits);
      const auto* begin = chosen.begin();
      const auto* end = chosen.begin() + aFactors_ - 1;
      const auto above =
          std::lower_bound(base_.prime.begin() + base_.firstSieved, base_.prime.begin() + count,
                           static_cast<std::uint32_t>(std::min(rest, 4e9)));
      const int centre = static_cast<int>(above - base_.prime.begin());
      const auto usable = [&](int i) {
        return base_.root[i] != 0 && std::find(begin, end, i) == end;
      };
      int right = centre;
      while (right < count && !usable(right))
        ++right;
      int left = centre - 1;
      while (left >= base_.firstSieved && !usable(left))
        --left;
      int last = right < count ? right : -1;
      if (left >= base_.firstSieved &&
          (last < 0 || rest - base_.prime[left] < base_.prime[right] - rest)) {
        last = left;
      }
      if (last < 0) continue;
      chosen[aFactors_ - 1] = static_cast<std::uint32_t>(last);
      std::sort(chosen.begin(), chosen.begin() + aFactors_);
      if (!store_.TakeA(chosen, aIndex_)) {
        if (store_.Full()) return false;
        continue;
      }
      factors_ = chosen;
      StartPolynomials();
      assert(PolynomialHolds());
      return true;
    }
    return false;
  }

  void StartPolynomials() {
    a_ = ProductOf(base_, factors_);
    PartsOfB(base_, factors_, a_, bl_);
    std::fill(isAFactor_.begin(), isAFactor_.end(), std::uint8_t{0});
    logarithm_ = base_.logarithm;
    b_ = Signed{};
    gray_ = 0;
    for (int l = 0; l < aFactors_; ++l) {
      const int i = factors_[l];
      isAFactor_[i] = 1;
      logarithm_[i] = 0;
      b_.magnitude = wide::Add(b_.magnitude, bl_[l]);
      // No roots: p - 1, which B's steps keep; the sieve adds nothing for A's
      // primes, and the candidates' test passes over them.
      first_[i] = second_[i] = base_.prime[i] - 1;
    }
    const int count = base_.count;
    for (int l = 0; l < aFactors_; ++l) {
      // The primes of A stay where they are when B changes.
      for (int m = 0; m < aFactors_; ++m)
        delta_[static_cast<std::size_t>(m) * count + factors_[l]] = 0;
    }
    for (int i = base_.firstSieved; i < count; ++i) {
      if (isAFactor_[i]) continue;
      const std::uint32_t p = base_.prime[i];
      const std::uint64_t inverse = modular::InverseModulo(base_.Residue(a_, i), p);
      for (int l = 0; l < aFactors_; ++l)
        delta_[static_cast<std::size_t>(l) * count + i] =
            static_cast<std::uint32_t>(2 * base_.Residue(bl_[l], i) * inverse % p);
      const std::uint64_t b = base_.Residue(b_.magnitude, i);
      const std::uint64_t shift = base_.half % p;
      first_[i] = static_cast<std::uint32_t>((inverse * (base_.root[i] + p - b) + shift) % p);
      second_[i] = static_cast<std::uint32_t>((inverse * (2 * p - base_.root[i] - b) + shift) % p);
    }
    MoveListed(nullptr, false);
  }

  // The roots of the listed primes moved by `delta` (or not), and their
  // positions inside the interval listed.
  void MoveListed(const std::uint32_t* delta, bool minus) {
    const RootMoves moves{base_.prime.data(),
                          delta,
                          minus,
                          first_.data(),
                          second_.data(),
                          logarithm_.data(),
                          static_cast<std::uint32_t>(2 * base_.half),
                          1};
#ifndef NDEBUG
    // The portable pass as the oracle of the wide one, on copies.
    std::vector<std::uint32_t> first(first_);
    std::vector<std::uint32_t> second(second_);
    std::vector<std::uint32_t> expected(listed_.size());
    RootMoves copied = moves;
    copied.first = first.data();
    copied.second = second.data();
    expected.resize(ListHits(MoveRootsPortable, copied, expected.data()));
#endif
    listedCount_ = ListHits(moveRoots_, moves, listed_.data());
#ifndef NDEBUG
    std::vector<std::uint32_t> listed(listed_.begin(), listed_.begin() + listedCount_);
    std::sort(listed.begin(), listed.end());
    std::sort(expected.begin(), expected.end());
    assert(listed == expected && first == first_ && second == second_);
#endif
  }

  // The listed primes in runs of those that hit the interval equally often
  // a root, each run's hits listed by `move`.
  std::size_t ListHits(MoveRoots move, RootMoves moves, std::uint32_t* hits) const {
    const std::uint32_t* const prime = base_.prime.data();
    std::size_t count = 0;
    for (int i = base_.firstListed; i < base_.count;) {
      moves.steps = (moves.length + prime[i] - 1) / prime[i];
      const int end = EndOfSteps(prime, i, base_.count, moves.length);
      count += move(moves, i, end, hits + count);
      i = end;
    }
    return count;
  }

  // The next B in Gray-code order flips the sign of one B_l, and moves
  // every root by the same precomputed step.
  void NextB(int g) {
    const int l = __builtin_ctz(static_cast<unsigned>(g)) + 1;
    gray_ = static_cast<std::uint16_t>(g ^ (g >> 1));
    const bool minus = ((gray_ >> (l - 1)) & 1) != 0;
    const Signed twice{wide::MultiplySmall(bl_[l], 2), minus};
    b_ = Add(b_, twice);
    const std::uint32_t* delta = &delta_[static_cast<std::size_t>(l) * base_.count];
    MoveRootsBy(base_.prime.data(), delta, minus, first_.data(), second_.data(), base_.firstSieved,
                base_.firstListed);
    MoveListed(delta, minus);
  }

  // The current polynomial is sound: B^2 = kN (mod A), and Q(x) is divisible
  // by p at both roots of every sieved prime of the base. Debug builds check
  // it for every polynomial, so that a fault fails loudly instead of only
  // costing relations.
  bool PolynomialHolds() const {
    Number square;
    Number knRest;
    wide::Divide(wide::Multiply(b_.magnitude, b_.magnitude), a_, &square);
    wide::Divide(base_.kn, a_, &knRest);
    if (wide::Compare(square, knRest) != 0) return false;
    for (int i = base_.firstSieved; i < base_.count; ++i) {
      if (isAFactor_[i]) continue;
      const std::uint64_t p = base_.prime[i];
      const std::uint64_t a = Remainder(a_, base_.prime[i]);
      const std::uint64_t bMagnitude = Remainder(b_.magnitude, base_.prime[i]);
      const std::uint64_t b = b_.negative ? (p - bMagnitude) % p : bMagnitude;
      const std::uint64_t kn = Remainder(base_.kn, base_.prime[i]);
      for (const std::uint32_t j : {first_[i], second_[i]}) {
        const std::uint64_t x = (j + p - static_cast<std::uint64_t>(base_.half) % p) % p;
        const std::uint64_t y = (a * x + b) % p;
        if ((y * y + p - kn) % p != 0) return false;
      }
    }
    return true;
  }

  // The interval block by block: each prime adds its logarithm at the
  // positions of its roots that fall in the block. A prime carries its next
  // positions from block to block, relative to the block's start, so no
  // block needs a division. The short primes, which make most of the hits,
  // go over the block a part that fits the first-level cache at a time. The
  // primes from kHuge on, which hit a block a few times at most, go over
  // the whole interval once; those longer than a third of it add at their
  // listed positions.
  void SievePolynomial() {
    const int length = 2 * base_.half;
    for (int i = base_.firstSieved; i < base_.firstHuge; ++i) {
      const auto [low, high] = std::minmax(first_[i], second_[i]);
      next_[i] = {static_cast<std::int32_t>(low), static_cast<std::int32_t>(high)};
    }
    // A local pointer: stores through it cannot move the array.
    std::uint8_t* const interval = sieve_.data();
    // Starting every position at 128 - threshold puts the candidates
    // exactly where the top bit of a byte is set.
    std::fill_n(interval, length, static_cast<std::uint8_t>(128 - base_.threshold));
    for (int start = 0; start < length; start += kBlock) {
      std::uint8_t* const block = interval + start;
      const int size = std::min(length - start, kBlock);
      for (int part = 0; part < size; part += kPart)
        SievePrimes(block + part, std::min(kPart, size - part), base_.firstSieved, base_.firstLong);
      SievePrimes(block, size, base_.firstLong, base_.firstHuge);
    }
    SieveHuge(interval, length);
    for (std::size_t k = 0; k < listedCount_; ++k)
      interval[listed_[k] & 0xffffff] += static_cast<std::uint8_t>(listed_[k] >> 24);
#ifndef NDEBUG
    // One polynomial in 16: all of them would double a debug build's time.
    if (checked_++ % 16 == 0) assert(SieveHolds(length));
#endif
    Scan(length);
  }

  // The sieve as plainly as it can be written, as the oracle of the blocks,
  // the parts and the spare bytes above.
  bool SieveHolds(int length) const {
    std::vector<std::uint8_t> expected(length, static_cast<std::uint8_t>(128 - base_.threshold));
    for (int i = base_.firstSieved; i < base_.count; ++i) {
      if (isAFactor_[i]) continue;
      const std::uint32_t p = base_.prime[i];
      for (std::uint32_t at = first_[i]; at < static_cast<std::uint32_t>(length); at += p)
        expected[at] += base_.logarithm[i];
      if (second_[i] == first_[i]) continue;  // p divides k: one root
      for (std::uint32_t at = second_[i]; at < static_cast<std::uint32_t>(length); at += p)
        expected[at] += base_.logarithm[i];
    }
    return std::equal(expected.begin(), expected.end(), sieve_.begin());
  }

  // Adds the logarithms of the primes from..to-1 of the base to the `size`
  // positions at `at`.
  void SievePrimes(std::uint8_t* const at, int size, int from, int to) {
    for (int i = from; i < to; ++i) {
      if (isAFactor_[i]) continue;
      const auto p = static_cast<std::int32_t>(base_.prime[i]);
      const std::uint8_t logarithm = base_.logarithm[i];
      auto [low, high] = next_[i];
      if (low == high) {  // p divides k: one root
        for (; low < size; low += p)
          at[low] += logarithm;
        next_[i] = {low - size, low - size};
        continue;
      }
      // The lower position steps first, so the two stay within p of each
      // other and the pair loop ends with at most one more hit below.
      for (; high < size; low += p, high += p) {
        at[low] += logarithm;
        at[high] += logarithm;
      }
      if (low < size) {
        at[low] += logarithm;
        low += p;
        std::swap(low, high);
      }
      next_[i] = {low - size, high - size};
    }
  }

  // A prime p of at least kHuge, shorter than the listed ones, hits it at most
  // ceil(length / p) times a root, from the root on. Each prime takes that
  // many steps, those that fall past the interval going to the spare bytes
  // after it, without a branch: the processor could not predict it (75
  // digits on two threads: 26.8 s against 35.1 s). Spread over many spare
  // bytes, the misses do not wait for each other's stores (75 digits: 22.7
  // and 22.4 s against 23.7 and 24.1 s with one).
  void SieveHuge(std::uint8_t* const at, int length) {
    const std::uint32_t* const prime = base_.prime.data();
    const std::uint32_t* const first = first_.data();
    const std::uint32_t* const second = second_.data();
    const std::uint8_t* const logarithm = logarithm_.data();
    const auto size = static_cast<std::uint32_t>(length);
    const int count = base_.firstListed;
    for (int i = base_.firstHuge; i < count;) {
      // The primes up to `end` take `steps` steps a root, at least two.
      const std::uint32_t steps = (size + prime[i] - 1) / prime[i];
      const int end = EndOfSteps(prime, i, count, size);
      for (; i < end; ++i) {
        const std::uint32_t spare = size + (2U * static_cast<std::uint32_t>(i)) % kSpare;
        const std::uint32_t p = prime[i];
        // Read once: a store through `at` could change any byte, so the
        // compiler would read the logarithm again after each.
        const std::uint8_t add = logarithm[i];
        std::uint32_t low = first[i];
        std::uint32_t high = second[i];
        for (std::uint32_t step = 0; step < steps; ++step, low += p, high += p) {
          at[std::min(low, spare)] += add;
          at[std::min(high, spare + 1)] += add;
        }
      }
    }
  }

  // Candidates are rare: 32 positions are passed over at a time while none
  // has its top bit set.
  void Scan(int size) {
    const std::uint8_t* const block = sieve_.data();
    for (int j = 0; j < size; j += 32) {
      std::uint64_t words[4];
      std::memcpy(words, block + j, sizeof words);
      if (((words[0] | words[1] | words[2] | words[3]) & 0x8080808080808080ULL) == 0) continue;
      for (int b = j; b < j + 32; ++b) {
        if ((block[b] & 0x80) != 0) Check(b);
      }
    }
  }

  // Y = A x + B for the sieve position j (x = j - half), and whether its v
  // splits over the base but for a cofactor below the large-prime bound.
  void Check(int j) {
    const int x = j - base_.half;
    const Signed ax{wide::MultiplySmall(a_, static_cast<std::uint32_t>(std::abs(x))), x < 0};
    const Signed y = Add(ax, b_);
    Number v;
    bool negative = false;
    if (!Value(base_, y.magnitude, a_, v, negative)) return;
    // The primes that the sieve did not add: the smallest, and those of A.
    for (int i = 1; i < base_.firstSieved; ++i)
      DivideOut(v, base_.prime[i]);
    for (int l = 0; l < aFactors_; ++l)
      DivideOut(v, base_.prime[factors_[l]]);
    // The sieved primes divide v where j is at one of their roots.
    const Roots roots{base_.prime.data(), first_.data(), second_.data(), base_.inverse.data(),
                      base_.limit.data()};
    const int from = base_.firstSieved;
    markRoots_(roots, from, base_.count, static_cast<std::uint32_t>(j), hits_.data());
#ifndef NDEBUG
    // The portable test as the oracle of the wide one.
    std::vector<std::uint16_t> portable(hits_.size());
    MarkRootsPortable(roots, from, base_.count, static_cast<std::uint32_t>(j), portable.data());
    assert(portable == hits_);
#endif
    for (int group = 0; from + 16 * group < base_.count; ++group) {
      for (std::uint32_t hits = hits_[group]; hits != 0; hits &= hits - 1) {
        const int i = from + 16 * group + __builtin_ctz(hits);
        if (isAFactor_[i]) continue;
        [[maybe_unused]] const int times = DivideOut(v, base_.prime[i]);
        assert(times > 0);  // j is at a root, so p divides Q(x) and not A
      }
    }
    if (v.size > 2) return;
    const std::uint64_t cofactor =
        v.size == 1 ? v.limbs[0] : v.limbs[0] + 1'000'000'000ULL * v.limbs[1];
    if (const auto large = LargePrimes(base_, cofactor)) store_.Record({x, *large, aIndex_, gray_});
  }

  const Base& base_;
  Store& store_;
  const std::atomic<bool>* cancel_;
  FactorProgress* progress_;  // advanced by one thread only
  std::uint64_t seed_;

  // The current A and B, the roots of the current polynomial as sieve
  // positions, and the steps between the roots of successive B.
  int aFactors_ = 0;
  AFactors factors_{};
  std::uint32_t aIndex_ = 0;
  Number a_;
  Signed b_;
  std::array<Number, kMostAFactors> bl_{};
  std::uint16_t gray_ = 0;               // the signs of the current B
  std::vector<std::uint8_t> isAFactor_;  // 1 for the primes of A
  // The base's logarithms, 0 for the primes of A, which have no roots: their
  // steps and listed positions from p - 1 add nothing.
  std::vector<std::uint8_t> logarithm_;
  std::vector<std::uint32_t> first_;
  std::vector<std::uint32_t> second_;
  // The next sieve positions of each prime's two roots (lower first),
  // relative to the current block.
  std::vector<std::array<std::int32_t, 2>> next_;
  std::vector<std::uint32_t> delta_;  // kMostAFactors rows of the base's length
  std::vector<std::uint8_t> sieve_;
  std::vector<std::uint16_t> hits_;  // the candidates' test, 16 primes a word
  // The listed primes' positions (low three bytes) with their logarithms
  // (top byte), for the current polynomial.
  std::vector<std::uint32_t> listed_;
  std::size_t listedCount_ = 0;
  MarkRoots markRoots_;
  MoveRoots moveRoots_;
#ifndef NDEBUG
  std::uint64_t checked_ = 0;  // polynomials sieved, of which every 16th is checked
#endif
};

// The relations combined into squares, once the sieving has ended.
class Combining {
 public:
  Combining(const Base& base, const Store& store, const std::atomic<bool>* cancel, int threads)
      : base_(base),
        store_(store),
        relations_(store.Relations()),
        factors_(store.Findings().size()),
        cancel_(cancel),
        threads_(threads) {}

  // The sets of relations whose products are squares, from the primes
  // that divide each an odd number of times, each tried until one splits n.
  Outcome Run(Number& factor) {
    if (!FactorFindings()) return Outcome::Cancelled;
    std::vector<std::vector<int>> odd(relations_.size());
    for (std::size_t r = 0; r < relations_.size(); ++r) {
      odd[r] = OddPrimes(relations_[r]);
      if (Stopped(cancel_)) return Outcome::Cancelled;
    }
    return FindDependencies(std::move(odd), base_.count, cancel_,
                            [&](const std::vector<int>& chosen) { return Split(chosen, factor); });
  }

 private:
  // |Y| = |A x + B| of a finding.
  Number YOf(const Finding& finding) const {
    const AFactors& factors = store_.FactorsOfA(finding.a);
    const Number a = ProductOf(base_, factors);
    std::array<Number, kMostAFactors> parts;
    const int count = PartsOfB(base_, factors, a, parts);
    Signed y{wide::MultiplySmall(a, static_cast<std::uint32_t>(std::abs(finding.x))),
             finding.x < 0};
    for (int l = 0; l < count; ++l)
      y = Add(y, Signed{parts[l], l > 0 && ((finding.gray >> (l - 1)) & 1) != 0});
    return y.magnitude;
  }

  // Hands every prime factor of A * v of a finding, with multiplicity, to
  // `use` as an index into the base (0 for the sign); the large primes are
  // left out.
  template <typename Use>
  void Factorize(const Finding& finding, Use&& use) const {
    const AFactors& factors = store_.FactorsOfA(finding.a);
    const Number a = ProductOf(base_, factors);
    Number v;
    bool negative = false;
    [[maybe_unused]] const bool exact = Value(base_, YOf(finding), a, v, negative);
    assert(exact);
#ifndef NDEBUG
    // A * v rebuilt from the factors handed over, the large prime included.
    const Number whole = wide::Multiply(a, v);
    Number rebuilt = wide::MultiplySmall(wide::FromSmall(finding.large[0]), finding.large[1]);
    const auto handOver = [&](int i) {
      if (i > 0) rebuilt = wide::MultiplySmall(rebuilt, base_.prime[i]);
      use(i);
    };
#else
    const auto& handOver = use;
#endif
    if (negative) handOver(0);
    for (const std::uint32_t large : finding.large) {
      std::uint32_t rest = 0;
      v = wide::DivideSmall(v, large, &rest);
      assert(rest == 0);
    }
    for (int l = 0; l < kMostAFactors && factors[l] != 0; ++l)
      handOver(factors[l]);
    for (int i = 1; i < base_.count && !IsOne(v); ++i) {
      if (!base_.Divides(v, i)) continue;
      for (int times = DivideOut(v, base_.prime[i]); times > 0; --times)
        handOver(i);
    }
    assert(IsOne(v));
    assert(wide::Compare(rebuilt, whole) == 0);
  }

  // The prime factors of every finding in a relation, found once (with two
  // large primes a finding lies on many cycles), on all the threads; false
  // when cancelled.
  bool FactorFindings() {
    std::vector<std::int32_t> used;
    for (const Relation& relation : relations_)
      used.insert(used.end(), relation.begin(), relation.end());
    std::sort(used.begin(), used.end());
    used.erase(std::unique(used.begin(), used.end()), used.end());
    const auto factorize = [&](std::size_t first) {
      for (std::size_t k = first; k < used.size() && !Stopped(cancel_); k += threads_) {
        std::vector<int>& factors = factors_[used[k]];
        Factorize(store_.Findings()[used[k]], [&](int i) { factors.push_back(i); });
      }
    };
    {
      std::vector<std::jthread> helpers;
      for (int t = 1; t < threads_; ++t)
        helpers.emplace_back(factorize, t);
      factorize(0);
    }
    return !Stopped(cancel_);
  }

  template <typename Use>
  void FactorizeRelation(const Relation& relation, Use&& use) {
    for (const std::int32_t f : relation) {
      for (const int i : factors_[f])
        use(i);
    }
  }

  // The primes of a relation's A * v that divide it an odd number of times.
  std::vector<int> OddPrimes(const Relation& relation) {
    std::vector<int> primes;
    FactorizeRelation(relation, [&](int i) { primes.push_back(i); });
    std::sort(primes.begin(), primes.end());
    std::vector<int> odd;
    for (std::size_t k = 0; k < primes.size();) {
      std::size_t next = k;
      while (next < primes.size() && primes[next] == primes[k])
        ++next;
      if ((next - k) % 2 != 0) odd.push_back(primes[k]);
      k = next;
    }
    return odd;
  }

  bool Split(const std::vector<int>& chosen, Number& factor) {
    const Number& n = base_.n;
    std::vector<std::uint32_t> exponent(base_.count, 0);
    Number x = wide::FromSmall(1);
    Number z = wide::FromSmall(1);
    std::vector<std::uint32_t> large;
    for (const int r : chosen) {
      for (const std::int32_t f : relations_[r]) {
        const Finding& finding = store_.Findings()[f];
        x = MultiplyModulo(x, YOf(finding), n);
        for (const std::uint32_t p : finding.large)
          if (p != 1) large.push_back(p);
      }
      FactorizeRelation(relations_[r], [&](int i) { ++exponent[i]; });
    }
    // Every large prime comes an even number of times, within each relation.
    std::sort(large.begin(), large.end());
    for (std::size_t k = 0; k < large.size(); k += 2) {
      assert(k + 1 < large.size() && large[k] == large[k + 1]);
      if (k + 1 == large.size() || large[k] != large[k + 1]) return false;  // a fault
      z = MultiplyModulo(z, wide::FromSmall(large[k]), n);
    }
    for (int i = 1; i < base_.count; ++i) {
      assert(exponent[i] % 2 == 0);
      if (exponent[i] % 2 != 0) return false;  // not a square: a fault
      for (std::uint32_t e = 0; e < exponent[i] / 2; ++e) {
        z = wide::MultiplySmall(z, base_.prime[i]);
        if (wide::Compare(z, n) >= 0) wide::Divide(z, n, &z);
      }
    }
    const Number difference =
        wide::Compare(x, z) >= 0 ? wide::Subtract(x, z) : wide::Subtract(z, x);
    const Number divisor =
        modular::ToWide(modular::Gcd(modular::FromWide(n), modular::FromWide(difference)));
    if (IsOne(divisor) || wide::Compare(divisor, n) == 0) return false;
    factor = divisor;
    return true;
  }

  const Base& base_;
  const Store& store_;
  const std::vector<Relation> relations_;
  std::vector<std::vector<int>> factors_;  // by finding, those in a relation
  const std::atomic<bool>* cancel_;
  int threads_;
};

}  // namespace

Outcome Sieve(const Number& n, const PrimeSequence& primes, Number& factor, const Context& context,
              int twoLargePrimesFrom, int halfInterval) {
  Base base;
  if (!BuildBase(n, primes, twoLargePrimesFrom, halfInterval, base, factor)) return Outcome::Found;
  // Partial findings: enough for the cycles, a bound on the memory all the
  // same (at 100 digits 2.56 million; a 90-digit search, with 1.28
  // million and its matrix, peaked at 187 MB).
  Store store(base.count + kExcess, std::max<std::size_t>(1 << 16, std::size_t{32} * base.count));
  if (context.progress) context.progress->Start(FactorPhase::Sieving, store.Needed());
  // Below 30 digits the whole sieve takes a few milliseconds, less than
  // starting threads saves.
  const int threads = wide::DecimalLength(n) < 30 ? 1 : std::max(1, context.threads);
  {
    std::vector<std::unique_ptr<Sieving>> workers;
    for (int t = 0; t < threads; ++t) {
      workers.push_back(std::make_unique<Sieving>(base, store, 0x9e3779b97f4a7c15ULL + 7919ULL * t,
                                                  context.cancel,
                                                  t == 0 ? context.progress : nullptr));
    }
    std::vector<std::jthread> running;
    for (int t = 1; t < threads; ++t)
      running.emplace_back([&worker = *workers[t]] { worker.Run(); });
    workers[0]->Run();
  }
  if (Stopped(context.cancel)) return Outcome::Cancelled;
  if (!store.Full()) return Outcome::Failed;  // out of polynomials
  if (context.progress) context.progress->Start(FactorPhase::Combining, 0);
  return Combining(base, store, context.cancel, threads).Run(factor);
}

}  // namespace factoring
