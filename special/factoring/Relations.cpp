// SPDX-License-Identifier: GPL-3.0-or-later
#include "Relations.h"

#include <algorithm>
#include <cassert>
#include <thread>

#include "Dependencies.h"

namespace factoring {

using wide::Number;

RelationStore::RelationStore(int needed, std::size_t mostPartials)
    : needed_(needed), mostPartials_(mostPartials) {
  full_.reserve(needed);
}

bool RelationStore::TakeA(const AFactors& chosen, std::uint32_t& index) {
  const std::lock_guard lock(mutex_);
  if (Full()) return false;
  for (const AFactors& used : usedA_)
    if (used == chosen) return false;
  index = static_cast<std::uint32_t>(usedA_.size());
  usedA_.push_back(chosen);
  return true;
}

void RelationStore::Record(Relation relation, std::span<const std::uint32_t> kept) {
  const std::lock_guard lock(mutex_);
  if (Full()) return;
  const auto index = static_cast<std::int32_t>(relations_.size());
  const bool full = relation.large[0] == 1;
  if (!full && partials_.Edges() >= mostPartials_) return;
  relation.keptAt = static_cast<std::uint32_t>(kept_.size());
  relations_.push_back(relation);
  kept_.insert(kept_.end(), kept.begin(), kept.end());
  if (full) {
    full_.push_back(index);
  } else if (partials_.Add(relation.large, index)) {
    cycles_.fetch_add(1, std::memory_order_relaxed);
  }
  found_.store(static_cast<int>(full_.size()) + CyclesFound(), std::memory_order_relaxed);
}

std::span<const std::uint32_t> RelationStore::KeptOf(std::int32_t r) const {
  const std::uint32_t end = static_cast<std::size_t>(r) + 1 < relations_.size()
                                ? relations_[r + 1].keptAt
                                : static_cast<std::uint32_t>(kept_.size());
  return std::span(kept_).subspan(relations_[r].keptAt, end - relations_[r].keptAt);
}

std::vector<Cycle> RelationStore::Cycles(const std::atomic<bool>* cancel) const {
  std::vector<Cycle> cycles;
  for (const std::int32_t r : full_)
    cycles.push_back({r});
  for (Cycle& cycle : partials_.Cycles(cancel))
    cycles.push_back(std::move(cycle));
  return cycles;
}

namespace {

// The cycles combined into squares, once the sieving has ended.
class Combining {
 public:
  Combining(const FactorBase& base, const RelationStore& store, int threads, const Context& context)
      : base_(base),
        store_(store),
        cancel_(context.cancel),
        progress_(context.progress),
        threads_(threads) {}

  // The sets of cycles whose products are squares, from the primes that
  // divide each an odd number of times, each tried until one splits n.
  Outcome Run(Number& factor) {
    Reach(kCycles);
    cycles_ = store_.Cycles(cancel_);
    Reach(kFactoring);
    if (!FactorRelations()) return Outcome::Cancelled;
    std::vector<std::vector<int>> odd(cycles_.size());
    for (std::size_t c = 0; c < cycles_.size(); ++c) {
      odd[c] = OddPrimes(cycles_[c]);
      if (Stopped(cancel_)) return Outcome::Cancelled;
    }
    Reach(kLinearAlgebra);
    return FindDependencies(std::move(odd), base_.count, threads_, cancel_,
                            [&](const std::vector<int>& chosen) {
                              Reach(kSquareRoots);
                              return Split(chosen, factor);
                            });
  }

 private:
  void Reach(CombiningStage stage) const {
    if (progress_) progress_->Advance(stage);
  }

  // |Y| = |A x + B| of a relation.
  Number YOf(const Relation& relation) const {
    const AFactors& factors = store_.FactorsOfA(relation.a);
    const Number a = ProductOf(base_, factors);
    std::array<Number, kMostAFactors> parts;
    const int count = PartsOfB(base_, factors, a, parts);
    wide::Signed y{wide::MultiplySmall(a, static_cast<std::uint32_t>(std::abs(relation.x))),
                   relation.x < 0};
    for (int l = 0; l < count; ++l)
      y = wide::Add(y, wide::Signed{parts[l], l > 0 && ((relation.gray >> (l - 1)) & 1) != 0});
    return y.magnitude;
  }

  // Hands every prime factor of A v of relation r, with multiplicity, to
  // `use` as an index into the base (0 for the sign); the large primes are
  // left out. The base's large primes are those the sieve kept, the others
  // are found by division. Debug builds rebuild A v from what was handed
  // over.
  template <typename Use>
  void Factorize(std::int32_t r, Use&& use) const {
    const Relation& relation = store_.Relations()[r];
    const AFactors& factors = store_.FactorsOfA(relation.a);
    const Number a = ProductOf(base_, factors);
    Number v;
    bool negative = false;
    [[maybe_unused]] const bool exact = ValueOf(base_, YOf(relation), a, v, negative);
    assert(exact);
#ifndef NDEBUG
    const Number whole = wide::Multiply(a, v);
    Number rebuilt = wide::MultiplySmall(wide::FromSmall(relation.large[0]), relation.large[1]);
    const auto handOver = [&](int i) {
      if (i > 0) rebuilt = wide::MultiplySmall(rebuilt, base_.prime[i]);
      use(i);
    };
#else
    const auto& handOver = use;
#endif
    if (negative) handOver(0);
    for (const std::uint32_t large : relation.large) {
      std::uint32_t rest = 0;
      v = wide::DivideSmall(v, large, &rest);
      assert(rest == 0);
    }
    const auto divideOut = [&](int i) {
      for (int times = wide::DivideOut(v, base_.prime[i]); times > 0; --times)
        handOver(i);
    };
    for (int l = 0; l < kMostAFactors && factors[l] != 0; ++l) {
      handOver(factors[l]);
      divideOut(factors[l]);
    }
    for (int i = 1; i < base_.firstLarge && !wide::IsOne(v); ++i)
      if (base_.Divides(v, i)) divideOut(i);
    for (const std::uint32_t i : store_.KeptOf(r))
      divideOut(static_cast<int>(i));
    assert(wide::IsOne(v));
    assert(wide::Compare(rebuilt, whole) == 0);
  }

  // The prime factors of every relation in a cycle, found once (with two
  // large primes a relation lies on many cycles), on all the threads; false
  // when cancelled.
  bool FactorRelations() {
    for (const Cycle& cycle : cycles_)
      used_.insert(used_.end(), cycle.begin(), cycle.end());
    std::sort(used_.begin(), used_.end());
    used_.erase(std::unique(used_.begin(), used_.end()), used_.end());
    factors_.resize(used_.size());
    const auto factorize = [&](std::size_t first) {
      for (std::size_t k = first; k < used_.size() && !Stopped(cancel_); k += threads_) {
        std::vector<int>& factors = factors_[k];
        Factorize(used_[k], [&](int i) { factors.push_back(i); });
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
  void FactorizeCycle(const Cycle& cycle, Use&& use) {
    for (const std::int32_t r : cycle) {
      const auto at = std::lower_bound(used_.begin(), used_.end(), r) - used_.begin();
      for (const int i : factors_[at])
        use(i);
    }
  }

  // The primes of a cycle's product that divide it an odd number of times.
  std::vector<int> OddPrimes(const Cycle& cycle) {
    std::vector<int> primes;
    FactorizeCycle(cycle, [&](int i) { primes.push_back(i); });
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

  // gcd(n, X - Z) for the chosen cycles: X the product of their Y, Z the
  // square root of the product of their A v; false when cancelled.
  bool Split(const std::vector<int>& chosen, Number& factor) {
    const Number& n = base_.n;
    std::vector<std::uint32_t> exponent(base_.count, 0);
    std::vector<std::uint32_t> large;
    Number x = wide::FromSmall(1);
    for (const int c : chosen) {
      if (Stopped(cancel_)) return false;
      for (const std::int32_t r : cycles_[c]) {
        const Relation& relation = store_.Relations()[r];
        x = wide::MultiplyModulo(x, YOf(relation), n);
        for (const std::uint32_t p : relation.large)
          if (p != 1) large.push_back(p);
      }
      FactorizeCycle(cycles_[c], [&](int i) { ++exponent[i]; });
    }
    Number z;
    if (!SquareRoot(exponent, std::move(large), z)) return false;
    const Number difference =
        wide::Compare(x, z) >= 0 ? wide::Subtract(x, z) : wide::Subtract(z, x);
    const Number divisor =
        modular::ToWide(modular::Gcd(modular::FromWide(n), modular::FromWide(difference)));
    if (wide::IsOne(divisor) || wide::Compare(divisor, n) == 0) return false;
    factor = divisor;
    return true;
  }

  // Z mod n from the exponents of the base's primes and the large primes,
  // each of which comes an even number of times; false, a fault, otherwise,
  // or when cancelled.
  bool SquareRoot(const std::vector<std::uint32_t>& exponent, std::vector<std::uint32_t> large,
                  Number& z) const {
    const Number& n = base_.n;
    z = wide::FromSmall(1);
    std::sort(large.begin(), large.end());
    for (std::size_t k = 0; k < large.size(); k += 2) {
      assert(k + 1 < large.size() && large[k] == large[k + 1]);
      if (k + 1 == large.size() || large[k] != large[k + 1]) return false;
      z = wide::MultiplyModulo(z, wide::FromSmall(large[k]), n);
    }
    for (int i = 1; i < base_.count && !Stopped(cancel_); ++i) {
      assert(exponent[i] % 2 == 0);
      if (exponent[i] % 2 != 0) return false;
      for (std::uint32_t e = 0; e < exponent[i] / 2; ++e) {
        z = wide::MultiplySmall(z, base_.prime[i]);
        if (wide::Compare(z, n) >= 0) wide::Divide(z, n, &z);
      }
    }
    return !Stopped(cancel_);
  }

  const FactorBase& base_;
  const RelationStore& store_;
  std::vector<Cycle> cycles_;
  std::vector<std::int32_t> used_;         // the relations on a cycle, in order
  std::vector<std::vector<int>> factors_;  // of each of those
  const std::atomic<bool>* cancel_;
  FactorProgress* progress_;
  int threads_;
};

}  // namespace

Outcome Combine(const FactorBase& base, const RelationStore& store, int threads,
                const Context& context, Number& factor) {
  return Combining(base, store, threads, context).Run(factor);
}

}  // namespace factoring
