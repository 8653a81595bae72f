// SPDX-License-Identifier: GPL-3.0-or-later
// The sieve's polynomials Q(x) = (A x + B)^2 - kN: A a product of primes of
// the base, the B's that share it in Gray-code order, and each polynomial's
// roots as sieve positions, with the large primes' buckets.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "FactorBase.h"
#include "SieveKernels.h"

namespace factoring {

inline constexpr int kMostAFactors = 16;
using AFactors = std::array<std::uint32_t, kMostAFactors>;  // indices into the base, 0 ends

class RelationStore;

// The product of A's primes.
wide::Number ProductOf(const FactorBase& base, const AFactors& factors);

// The B_l of an A: B_l = (A / q_l) gamma_l, with gamma_l the smaller root of
// (A / q_l)^2 gamma^2 = kN mod q_l, so that every sum B = B_0 +- B_1 +- ...
// satisfies B^2 = kN mod A. Returns how many.
int PartsOfB(const FactorBase& base, const AFactors& factors, const wide::Number& a,
             std::array<wide::Number, kMostAFactors>& parts);

// v = (Y^2 - kN) / A, as magnitude and sign; false unless A divides
// Y^2 - kN exactly and v is not 0.
bool ValueOf(const FactorBase& base, const wide::Number& y, const wide::Number& a, wide::Number& v,
             bool& negative);

// One thread's polynomials, their roots and the large primes' buckets.
class Polynomials {
 public:
  Polynomials(const FactorBase& base, std::uint64_t seed);

  // A new A, never the same set of primes twice in `store`, and its first
  // polynomial; false when the store is full or no new A is to be had.
  bool NewA(RelationStore& store);
  // The polynomials of the current A.
  int Count() const { return 1 << (aFactors_ - 1); }
  // The g-th polynomial of the current A, from the (g-1)-th, 0 < g < Count().
  void Next(int g);
  // B^2 = kN (mod A), and Q(x) is divisible by p at both roots of every
  // sieved prime of the base.
  bool Holds() const;

  const wide::Number& A() const { return a_; }
  const wide::Signed& B() const { return b_; }
  std::uint32_t AIndex() const { return aIndex_; }
  std::uint16_t Gray() const { return gray_; }
  int AFactorCount() const { return aFactors_; }
  const AFactors& Factors() const { return factors_; }
  bool IsAFactor(int i) const { return isAFactor_[i] != 0; }
  // The roots as sieve positions, padded like the base; A's primes sit at
  // p - 1, where their logarithm of 0 adds nothing.
  const std::vector<std::uint32_t>& First() const { return first_; }
  const std::vector<std::uint32_t>& Second() const { return second_; }
  const std::vector<std::uint8_t>& Logarithm() const { return logarithm_; }
  // The bucketed primes' positions (low three bytes) with their logarithms
  // (top byte), for the current polynomial.
  const std::uint32_t* Bucket() const { return bucket_.data(); }
  std::size_t BucketSize() const { return bucketSize_; }

 private:
  std::uint32_t Random();
  bool ChooseA(AFactors& chosen, int low, int high, double target);
  void Start();
  void MoveBucketed(const std::uint32_t* delta, bool minus);
  std::size_t FillBucket(MoveRoots move, RootMoves moves, std::uint32_t* bucket) const;

  const FactorBase& base_;
  std::uint64_t seed_;
  int aFactors_ = 0;
  AFactors factors_{};
  std::uint32_t aIndex_ = 0;
  wide::Number a_;
  wide::Signed b_;
  std::array<wide::Number, kMostAFactors> bl_{};
  std::uint16_t gray_ = 0;  // the signs of the current B
  std::vector<std::uint8_t> isAFactor_;
  std::vector<std::uint8_t> logarithm_;  // the base's, 0 for A's primes
  std::vector<std::uint32_t> first_;
  std::vector<std::uint32_t> second_;
  std::vector<std::uint32_t> delta_;  // kMostAFactors rows of the base's length
  std::vector<std::uint32_t> bucket_;
  std::size_t bucketSize_ = 0;
  MoveRoots moveRoots_;
};

}  // namespace factoring
