// SPDX-License-Identifier: GPL-3.0-or-later
// The sieve's driver and one thread's sieving: its polynomials sieved pass
// by pass, the candidates found and their values split over the base, the
// cofactors split into large primes.
//
// Each thread sieves polynomials of its own A; the relations meet in one
// store. The working storage is taken from the heap once, when the search
// starts, in sizes set by the number's length, and given back when it ends.
#include <algorithm>
#include <cassert>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <thread>
#include <vector>

#include "FactorBase.h"
#include "Polynomials.h"
#include "Relations.h"
#include "Sieve.h"
#include "SieveKernels.h"

namespace factoring {
namespace {

using wide::Number;

// Relations beyond the primes: each surplus one gives one more square, and
// each square splits n with a chance of one half at least.
constexpr int kExcess = 48;
// The large primes' steps that fall past the interval go to spare bytes
// after it, spread so that the misses do not wait for each other's stores.
constexpr int kSpare = 64;

// The large primes of a relation whose value is smooth over the base but
// for `cofactor`, as {1, 1}, {p, 1} or {p, q} with p <= q; none when the
// cofactor is out of bounds. Every prime factor of the cofactor lies above
// the base, so one below the square of its largest prime is prime.
std::optional<std::array<std::uint32_t, 2>> LargePrimes(const FactorBase& base,
                                                        std::uint64_t cofactor) {
  if (cofactor == 1) return std::array<std::uint32_t, 2>{1, 1};
  const std::uint64_t largest = base.Largest();
  if (cofactor < largest * largest) {
    if (cofactor >= base.largeBound) return std::nullopt;
    return std::array<std::uint32_t, 2>{static_cast<std::uint32_t>(cofactor), 1};
  }
  if (cofactor > base.doubleBound || IsPrimeWord(cofactor)) return std::nullopt;
  const std::uint64_t p = RhoWord(cofactor);
  if (p == 0) return std::nullopt;
  const std::uint64_t low = std::min(p, cofactor / p);
  const std::uint64_t high = std::max(p, cofactor / p);
  if (high >= base.largeBound) return std::nullopt;
  return std::array<std::uint32_t, 2>{static_cast<std::uint32_t>(low),
                                      static_cast<std::uint32_t>(high)};
}

// One thread's sieving: its polynomials and the sieve interval.
class Sieving {
 public:
  Sieving(const FactorBase& base, RelationStore& store, std::uint64_t seed,
          const std::atomic<bool>* cancel, FactorProgress* progress)
      : base_(base),
        store_(store),
        cancel_(cancel),
        progress_(progress),
        polynomials_(base, seed),
        next_(base.count),
        interval_(2 * base.Half() + kSpare + 1),
        hits_(base.count / 16 + 1),
        markRoots_(ChooseMarkRoots()) {}

  // Sieves until the store is full, a cancel, or no new A is to be had.
  void Run() {
    while (!store_.Full() && !Stopped(cancel_)) {
      if (!polynomials_.NewA(store_)) return;
      for (int g = 0; g < polynomials_.Count() && !store_.Full(); ++g) {
        if (g > 0) polynomials_.Next(g);
        assert(polynomials_.Holds());
        SievePolynomial();
        if (progress_) progress_->Advance(store_.Found(), store_.CyclesFound());
        if (Stopped(cancel_)) return;
      }
    }
  }

 private:
  // Each prime adds its logarithm at its roots' positions: the small primes
  // a part of a block at a time, the medium ones a block, the large ones the
  // whole interval, the bucketed ones at their bucket's positions. A prime
  // carries its next positions from block to block, so no block needs a
  // division. Starting every byte at 128 - threshold puts the candidates
  // exactly where its top bit is set.
  void SievePolynomial() {
    const int length = 2 * base_.Half();
    const std::vector<std::uint32_t>& first = polynomials_.First();
    const std::vector<std::uint32_t>& second = polynomials_.Second();
    for (int i = base_.firstSieved; i < base_.firstLarge; ++i) {
      const auto [low, high] = std::minmax(first[i], second[i]);
      next_[i] = {static_cast<std::int32_t>(low), static_cast<std::int32_t>(high)};
    }
    std::uint8_t* const interval = interval_.data();  // stores through it cannot move it
    std::fill_n(interval, length, static_cast<std::uint8_t>(128 - base_.threshold));
    for (int start = 0; start < length; start += kBlock) {
      std::uint8_t* const block = interval + start;
      const int size = std::min(length - start, kBlock);
      for (int part = 0; part < size; part += kPart)
        SievePrimes(block + part, std::min(kPart, size - part), base_.firstSieved,
                    base_.firstMedium);
      SievePrimes(block, size, base_.firstMedium, base_.firstLarge);
    }
    SieveLarge(interval, length);
    const std::uint32_t* const bucket = polynomials_.Bucket();
    for (std::size_t k = 0; k < polynomials_.BucketSize(); ++k)
      interval[bucket[k] & 0xffffff] += static_cast<std::uint8_t>(bucket[k] >> 24);
#ifndef NDEBUG
    // One polynomial in 16: all of them would double a debug build's time.
    if (checked_++ % 16 == 0) assert(SieveHolds(length));
#endif
    Scan(length);
  }

  // The sieve as plainly as it can be written, the oracle of the passes.
  bool SieveHolds(int length) const {
    std::vector<std::uint8_t> expected(length, static_cast<std::uint8_t>(128 - base_.threshold));
    const auto end = static_cast<std::uint32_t>(length);
    for (int i = base_.firstSieved; i < base_.count; ++i) {
      if (polynomials_.IsAFactor(i)) continue;
      const std::uint32_t p = base_.prime[i];
      const std::uint32_t first = polynomials_.First()[i];
      const std::uint32_t second = polynomials_.Second()[i];
      for (std::uint32_t at = first; at < end; at += p)
        expected[at] += base_.logarithm[i];
      if (second == first) continue;  // p divides k: one root
      for (std::uint32_t at = second; at < end; at += p)
        expected[at] += base_.logarithm[i];
    }
    return std::equal(expected.begin(), expected.end(), interval_.begin());
  }

  // Adds the logarithms of the primes from..to-1 to the `size` positions
  // at `at`. The lower position steps first, so the two stay within p of
  // each other and the pair loop ends with at most one more hit below.
  void SievePrimes(std::uint8_t* const at, int size, int from, int to) {
    for (int i = from; i < to; ++i) {
      if (polynomials_.IsAFactor(i)) continue;
      const auto p = static_cast<std::int32_t>(base_.prime[i]);
      const std::uint8_t logarithm = base_.logarithm[i];
      auto [low, high] = next_[i];
      if (low == high) {  // p divides k: one root
        for (; low < size; low += p)
          at[low] += logarithm;
        next_[i] = {low - size, low - size};
        continue;
      }
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

  // A large prime p hits the interval at most ceil(length / p) times a root.
  // Each takes that many steps, those past the interval into the spare
  // bytes, without a branch: the processor could not predict it.
  void SieveLarge(std::uint8_t* const at, int length) {
    const std::uint32_t* const prime = base_.prime.data();
    const std::uint32_t* const first = polynomials_.First().data();
    const std::uint32_t* const second = polynomials_.Second().data();
    const std::uint8_t* const logarithm = polynomials_.Logarithm().data();
    const auto size = static_cast<std::uint32_t>(length);
    const int count = base_.firstBucketed;
    for (int i = base_.firstLarge; i < count;) {
      const std::uint32_t steps = (size + prime[i] - 1) / prime[i];
      const int end = EndOfSteps(prime, i, count, size);
      for (; i < end; ++i) {
        const std::uint32_t spare = size + (2U * static_cast<std::uint32_t>(i)) % kSpare;
        const std::uint32_t p = prime[i];
        // Read once: a store through `at` could change any byte.
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
    const std::uint8_t* const interval = interval_.data();
    for (int j = 0; j < size; j += 32) {
      std::uint64_t words[4];
      std::memcpy(words, interval + j, sizeof words);
      if (((words[0] | words[1] | words[2] | words[3]) & 0x8080808080808080ULL) == 0) continue;
      for (int b = j; b < j + 32; ++b) {
        if ((interval[b] & 0x80) != 0) Check(b);
      }
    }
  }

  // Y = A x + B for the sieve position j (x = j - half), and whether its v
  // splits over the base but for a cofactor within the large-prime bounds.
  void Check(int j) {
    const int x = j - base_.Half();
    const Number& a = polynomials_.A();
    const wide::Signed ax{wide::MultiplySmall(a, static_cast<std::uint32_t>(std::abs(x))), x < 0};
    const wide::Signed y = wide::Add(ax, polynomials_.B());
    Number v;
    bool negative = false;
    if (!ValueOf(base_, y.magnitude, a, v, negative)) return;
    // The primes that the sieve did not add: the smallest, and those of A.
    for (int i = 1; i < base_.firstSieved; ++i)
      wide::DivideOut(v, base_.prime[i]);
    for (int l = 0; l < polynomials_.AFactorCount(); ++l)
      wide::DivideOut(v, base_.prime[polynomials_.Factors()[l]]);
    const int kept = DivideSievedPrimes(static_cast<std::uint32_t>(j), v);
    if (kept < 0 || v.size > 2) return;
    const std::uint64_t cofactor =
        v.size == 1 ? v.limbs[0] : v.limbs[0] + std::uint64_t{Number::Base} * v.limbs[1];
    if (const auto large = LargePrimes(base_, cofactor)) {
      store_.Record({x, *large, polynomials_.AIndex(), polynomials_.Gray()},
                    std::span(kept_).first(kept));
    }
  }

  // Divides out of v the sieved primes with a root at position j, found by
  // the candidates' test; debug builds check it against the portable one.
  // The large primes among them go into kept_; returns their count, or -1
  // when they do not fit (no v is that long).
  int DivideSievedPrimes(std::uint32_t j, Number& v) {
    const Roots roots{base_.prime.data(), polynomials_.First().data(), polynomials_.Second().data(),
                      base_.inverse.data(), base_.limit.data()};
    const int from = base_.firstSieved;
    markRoots_(roots, from, base_.count, j, hits_.data());
#ifndef NDEBUG
    std::vector<std::uint16_t> portable(hits_.size());
    MarkRootsFor(Instructions::Portable)(roots, from, base_.count, j, portable.data());
    assert(portable == hits_);
#endif
    int kept = 0;
    for (int group = 0; from + 16 * group < base_.count; ++group) {
      for (std::uint32_t hits = hits_[group]; hits != 0; hits &= hits - 1) {
        const int i = from + 16 * group + __builtin_ctz(hits);
        if (polynomials_.IsAFactor(i)) continue;
        [[maybe_unused]] const int times = wide::DivideOut(v, base_.prime[i]);
        assert(times > 0);  // j is at a root, so p divides Q(x) and not A
        if (i < base_.firstLarge) continue;
        if (kept == static_cast<int>(kept_.size())) return -1;
        kept_[kept++] = static_cast<std::uint32_t>(i);
      }
    }
    return kept;
  }

  const FactorBase& base_;
  RelationStore& store_;
  const std::atomic<bool>* cancel_;
  FactorProgress* progress_;  // advanced by one thread only
  Polynomials polynomials_;
  // The next sieve positions of each prime's two roots (lower first),
  // relative to the current block.
  std::vector<std::array<std::int32_t, 2>> next_;
  std::vector<std::uint8_t> interval_;
  std::vector<std::uint16_t> hits_;     // the candidates' test, 16 primes a word
  std::array<std::uint32_t, 32> kept_;  // a candidate's large primes of the base
  MarkRoots markRoots_;
#ifndef NDEBUG
  std::uint64_t checked_ = 0;  // polynomials sieved, of which every 16th is checked
#endif
};

// Sieves on `threads` threads until the store is full or a cancel.
void SieveRelations(const FactorBase& base, RelationStore& store, int threads,
                    const Context& context) {
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

}  // namespace

Outcome Sieve(const Number& n, const PrimeSequence& primes, Number& factor, const Context& context,
              std::optional<SieveSettings> settings) {
  const int digits = wide::DecimalLength(n);
  FactorBase base;
  if (!BuildFactorBase(n, primes, settings.value_or(SieveSettingsFor(digits)), base, factor))
    return Outcome::Found;
  RelationStore store(base.count + kExcess, static_cast<std::size_t>(base.settings.mostPartials));
  if (context.progress) context.progress->Start(FactorPhase::Sieving, store.Needed());
  // Below 30 digits the whole sieve takes a few milliseconds, less than
  // starting threads saves.
  const int threads = digits < 30 ? 1 : std::max(1, context.threads);
  SieveRelations(base, store, threads, context);
  if (Stopped(context.cancel)) return Outcome::Cancelled;
  if (!store.Full()) return Outcome::Failed;  // out of polynomials
  if (context.progress) context.progress->Start(FactorPhase::Combining, kCombiningStages);
  return Combine(base, store, threads, context, factor);
}

}  // namespace factoring
