// SPDX-License-Identifier: GPL-3.0-or-later
// The sieve's relations: the store that the sieving threads fill, and their
// combining into squares once it is full.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

#include "LargePrimeGraph.h"
#include "Polynomials.h"

namespace factoring {

// A relation: the polynomial (its A and the signs of its B, as a Gray code)
// and x, with v = (Y^2 - kN) / A for Y = A x + B smooth over the factor
// base but for at most two large primes (1 where there is none). Y is
// rebuilt when needed, which keeps a relation small. The large primes of
// the base that divide v, which the sieve found, are kept in the store from
// `keptAt` on, so that combining divides v by the others only.
struct Relation {
  std::int32_t x;
  std::array<std::uint32_t, 2> large;
  std::uint32_t a;
  std::uint16_t gray;
  std::uint32_t keptAt = 0;
};

// A full relation, or a cycle of partials: the relations it multiplies.
using Cycle = LargePrimeGraph::Cycle;

// The relations found so far and the A's used, shared by the threads that
// sieve; every change and every read while they run is under the lock.
class RelationStore {
 public:
  RelationStore(int needed, std::size_t mostPartials);

  // Registers a new set of A's primes; false when it was used before or the
  // store has enough.
  bool TakeA(const AFactors& chosen, std::uint32_t& index);
  // A relation and the indices of the base's large primes that divide its v.
  void Record(Relation relation, std::span<const std::uint32_t> kept);

  bool Full() const { return found_.load(std::memory_order_relaxed) >= needed_; }
  int Found() const { return found_.load(std::memory_order_relaxed); }
  int CyclesFound() const { return cycles_.load(std::memory_order_relaxed); }
  int Needed() const { return needed_; }

  // After the sieving threads have ended: the full relations, then the
  // cycles of partials; cut short by a cancel.
  std::vector<Cycle> Cycles(const std::atomic<bool>* cancel) const;
  const std::vector<Relation>& Relations() const { return relations_; }
  const AFactors& FactorsOfA(std::uint32_t a) const { return usedA_[a]; }
  std::span<const std::uint32_t> KeptOf(std::int32_t r) const;

 private:
  mutable std::mutex mutex_;
  int needed_;
  std::size_t mostPartials_;
  std::atomic<int> found_{0};
  std::atomic<int> cycles_{0};
  std::vector<AFactors> usedA_;
  std::vector<Relation> relations_;
  std::vector<std::uint32_t> kept_;  // each relation's from its keptAt to the next one's
  std::vector<std::int32_t> full_;
  LargePrimeGraph partials_;
};

// The combining's stages, as its progress counts them.
enum CombiningStage { kCycles, kFactoring, kLinearAlgebra, kSquareRoots, kCombiningStages };

// The relations of a full store combined into squares X^2 = Z^2 (mod n),
// tried until one splits n into `factor`, on `threads` threads; a cancel
// is seen in every stage.
Outcome Combine(const FactorBase& base, const RelationStore& store, int threads,
                const Context& context, wide::Number& factor);

}  // namespace factoring
