// SPDX-License-Identifier: GPL-3.0-or-later
#include "Polynomials.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "Relations.h"

namespace factoring {

using wide::Number;

Number ProductOf(const FactorBase& base, const AFactors& factors) {
  Number product = wide::FromSmall(1);
  for (int l = 0; l < kMostAFactors && factors[l] != 0; ++l)
    product = wide::MultiplySmall(product, base.prime[factors[l]]);
  return product;
}

int PartsOfB(const FactorBase& base, const AFactors& factors, const Number& a,
             std::array<Number, kMostAFactors>& parts) {
  int count = 0;
  for (; count < kMostAFactors && factors[count] != 0; ++count) {
    const int index = factors[count];
    const std::uint32_t q = base.prime[index];
    const Number cofactor = wide::DivideSmall(a, q);
    std::uint64_t gamma = std::uint64_t{base.root[index]} *
                          modular::InverseModulo(wide::Remainder(cofactor, q), q) % q;
    if (gamma > q / 2) gamma = q - gamma;
    parts[count] = wide::MultiplySmall(cofactor, static_cast<std::uint32_t>(gamma));
  }
  return count;
}

bool ValueOf(const FactorBase& base, const Number& y, const Number& a, Number& v, bool& negative) {
  const Number square = wide::Multiply(y, y);
  negative = wide::Compare(square, base.kn) < 0;
  const Number difference =
      negative ? wide::Subtract(base.kn, square) : wide::Subtract(square, base.kn);
  Number rest;
  v = wide::Divide(difference, a, &rest);
  return wide::IsZero(rest) && !wide::IsZero(v);
}

Polynomials::Polynomials(const FactorBase& base, std::uint64_t seed)
    : base_(base),
      seed_(seed),
      isAFactor_(base.count),
      first_(base.count + kPadding),
      second_(base.count + kPadding),
      delta_(std::size_t{kMostAFactors} * base.count),
      bucket_(2 * kBucketSteps * static_cast<std::size_t>(base.count - base.firstBucketed) +
              16 * kBucketSteps),
      moveRoots_(ChooseMoveRoots()) {}

std::uint32_t Polynomials::Random() {
  seed_ = seed_ * 6364136223846793005ULL + 1442695040888963407ULL;
  return static_cast<std::uint32_t>(seed_ >> 33);
}

// A is near sqrt(2 kN) / half. Primes of aPrimeBits leave many sets to
// choose from and the small primes, which carry the sieve, out of A; the
// A's are drawn from a range of at least 2 aFactors + 8 primes about that
// size.
bool Polynomials::NewA(RelationStore& store) {
  const int count = base_.count;
  const double target = (wide::Bits(base_.kn) + 1) / 2 - std::log2(base_.Half());
  const double wanted = std::min<double>(base_.settings.aPrimeBits, std::log2(base_.Largest()) - 1);
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
    if (!ChooseA(chosen, low, high, target)) continue;
    if (!store.TakeA(chosen, aIndex_)) {
      if (store.Full()) return false;
      continue;
    }
    factors_ = chosen;
    Start();
    assert(Holds());
    return true;
  }
  return false;
}

// All but the last of A's primes at random from low..high-1; the last
// brings the product nearest 2^target. False when the draw fails.
bool Polynomials::ChooseA(AFactors& chosen, int low, int high, double target) {
  const int count = base_.count;
  double bits = 0;
  bool distinct = true;
  for (int l = 0; l + 1 < aFactors_; ++l) {
    chosen[l] = static_cast<std::uint32_t>(low + Random() % (high - low));
    for (int m = 0; m < l; ++m)
      distinct = distinct && chosen[m] != chosen[l];
    distinct = distinct && base_.root[chosen[l]] != 0;
    bits += std::log2(base_.prime[chosen[l]]);
  }
  if (!distinct) return false;
  const double rest = std::exp2(target - bits);
  const auto* begin = chosen.begin();
  const auto* end = chosen.begin() + aFactors_ - 1;
  const auto above =
      std::lower_bound(base_.prime.begin() + base_.firstSieved, base_.prime.begin() + count,
                       static_cast<std::uint32_t>(std::min(rest, 4e9)));
  const int centre = static_cast<int>(above - base_.prime.begin());
  const auto usable = [&](int i) { return base_.root[i] != 0 && std::find(begin, end, i) == end; };
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
  if (last < 0) return false;
  chosen[aFactors_ - 1] = static_cast<std::uint32_t>(last);
  std::sort(chosen.begin(), chosen.begin() + aFactors_);
  return true;
}

// The B_l, B = B_0 + ... + B_l, the first roots and each root's step
// between successive B's.
void Polynomials::Start() {
  a_ = ProductOf(base_, factors_);
  PartsOfB(base_, factors_, a_, bl_);
  std::fill(isAFactor_.begin(), isAFactor_.end(), std::uint8_t{0});
  logarithm_ = base_.logarithm;
  b_ = wide::Signed{};
  gray_ = 0;
  const int count = base_.count;
  for (int l = 0; l < aFactors_; ++l) {
    const int i = factors_[l];
    isAFactor_[i] = 1;
    logarithm_[i] = 0;
    b_.magnitude = wide::Add(b_.magnitude, bl_[l]);
    first_[i] = second_[i] = base_.prime[i] - 1;  // no roots; B's steps keep them there
    for (int m = 0; m < aFactors_; ++m)
      delta_[static_cast<std::size_t>(m) * count + i] = 0;
  }
  const std::uint32_t half = static_cast<std::uint32_t>(base_.Half());
  for (int i = base_.firstSieved; i < count; ++i) {
    if (isAFactor_[i]) continue;
    const std::uint32_t p = base_.prime[i];
    const std::uint64_t inverse = modular::InverseModulo(base_.Residue(a_, i), p);
    for (int l = 0; l < aFactors_; ++l)
      delta_[static_cast<std::size_t>(l) * count + i] =
          static_cast<std::uint32_t>(2 * base_.Residue(bl_[l], i) * inverse % p);
    const std::uint64_t b = base_.Residue(b_.magnitude, i);
    const std::uint64_t shift = half % p;
    first_[i] = static_cast<std::uint32_t>((inverse * (base_.root[i] + p - b) + shift) % p);
    second_[i] = static_cast<std::uint32_t>((inverse * (2 * p - base_.root[i] - b) + shift) % p);
  }
  MoveBucketed(nullptr, false);
}

// The next B in Gray-code order flips the sign of one B_l and moves every
// root by the same precomputed step.
void Polynomials::Next(int g) {
  const int l = __builtin_ctz(static_cast<unsigned>(g)) + 1;
  gray_ = static_cast<std::uint16_t>(g ^ (g >> 1));
  const bool minus = ((gray_ >> (l - 1)) & 1) != 0;
  b_ = wide::Add(b_, wide::Signed{wide::MultiplySmall(bl_[l], 2), minus});
  const std::uint32_t* delta = &delta_[static_cast<std::size_t>(l) * base_.count];
  MoveRootsBy(base_.prime.data(), delta, minus, first_.data(), second_.data(), base_.firstSieved,
              base_.firstBucketed);
  MoveBucketed(delta, minus);
}

// The bucketed primes' roots moved by `delta` (or not), their hits in the
// bucket. Debug builds check the kernel against the portable one on copies.
void Polynomials::MoveBucketed(const std::uint32_t* delta, bool minus) {
  const RootMoves moves{base_.prime.data(),
                        delta,
                        minus,
                        first_.data(),
                        second_.data(),
                        logarithm_.data(),
                        static_cast<std::uint32_t>(2 * base_.Half()),
                        1};
#ifndef NDEBUG
  std::vector<std::uint32_t> first(first_);
  std::vector<std::uint32_t> second(second_);
  std::vector<std::uint32_t> expected(bucket_.size());
  RootMoves copied = moves;
  copied.first = first.data();
  copied.second = second.data();
  expected.resize(FillBucket(MoveRootsFor(Instructions::Portable), copied, expected.data()));
#endif
  bucketSize_ = FillBucket(moveRoots_, moves, bucket_.data());
#ifndef NDEBUG
  std::vector<std::uint32_t> bucket(bucket_.begin(), bucket_.begin() + bucketSize_);
  std::sort(bucket.begin(), bucket.end());
  std::sort(expected.begin(), expected.end());
  assert(bucket == expected && first == first_ && second == second_);
#endif
}

// The bucketed primes in runs of those that hit the interval equally often
// a root, each run's hits bucketed by `move`.
std::size_t Polynomials::FillBucket(MoveRoots move, RootMoves moves, std::uint32_t* bucket) const {
  const std::uint32_t* const prime = base_.prime.data();
  std::size_t count = 0;
  for (int i = base_.firstBucketed; i < base_.count;) {
    moves.steps = (moves.length + prime[i] - 1) / prime[i];
    const int end = EndOfSteps(prime, i, base_.count, moves.length);
    count += move(moves, i, end, bucket + count);
    i = end;
  }
  return count;
}

// Debug builds check every polynomial, so that a fault fails loudly instead
// of only costing relations.
bool Polynomials::Holds() const {
  Number square;
  Number knRest;
  wide::Divide(wide::Multiply(b_.magnitude, b_.magnitude), a_, &square);
  wide::Divide(base_.kn, a_, &knRest);
  if (wide::Compare(square, knRest) != 0) return false;
  for (int i = base_.firstSieved; i < base_.count; ++i) {
    if (isAFactor_[i]) continue;
    const std::uint64_t p = base_.prime[i];
    const std::uint64_t a = wide::Remainder(a_, base_.prime[i]);
    const std::uint64_t bMagnitude = wide::Remainder(b_.magnitude, base_.prime[i]);
    const std::uint64_t b = b_.negative ? (p - bMagnitude) % p : bMagnitude;
    const std::uint64_t kn = wide::Remainder(base_.kn, base_.prime[i]);
    for (const std::uint32_t j : {first_[i], second_[i]}) {
      const std::uint64_t x = (j + p - static_cast<std::uint64_t>(base_.Half()) % p) % p;
      const std::uint64_t y = (a * x + b) % p;
      if ((y * y + p - kn) % p != 0) return false;
    }
  }
  return true;
}

}  // namespace factoring
