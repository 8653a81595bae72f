// SPDX-License-Identifier: GPL-3.0-or-later
// The primes in order, for trial division, the curves' stage bounds and the
// quadratic sieve's factor base. A fixed-size value, no heap.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The primes in increasing order, from a sieve of the numbers below 2^16
// and, past them, segments sieved by those primes (good to 2^32).
class PrimeSequence {
 public:
  static constexpr std::uint32_t kSmallBound = 1U << 16;

  PrimeSequence() {
    std::array<bool, kSmallBound> composite{};
    for (std::uint32_t i = 2; i < kSmallBound; ++i) {
      if (composite[i]) continue;
      small_[count_++] = i;
      for (std::uint32_t j = i * i; j < kSmallBound; j += i)
        composite[j] = true;
    }
  }

  // Back to the first prime, 2.
  void Restart() {
    index_ = 0;
    start_ = 0;
    offset_ = kSegment;
  }

  std::uint32_t Next() {
    if (index_ < count_) return small_[index_++];
    for (;;) {
      while (offset_ < kSegment) {
        const std::uint32_t candidate = start_ + offset_++;
        if (!segmentComposite_[offset_ - 1]) return candidate;
      }
      Sieve(start_ == 0 ? kSmallBound : start_ + kSegment);
    }
  }

  const std::uint32_t* begin() const { return small_.data(); }
  const std::uint32_t* end() const { return small_.data() + count_; }

 private:
  static constexpr std::uint32_t kSegment = 1U << 15;

  void Sieve(std::uint32_t start) {
    start_ = start;
    offset_ = 0;
    segmentComposite_.fill(false);
    for (std::size_t k = 0; k < count_; ++k) {
      const std::uint64_t p = small_[k];
      if (p * p >= std::uint64_t{start} + kSegment) break;
      std::uint64_t first = (start + p - 1) / p * p;
      if (first < p * p) first = p * p;
      for (std::uint64_t j = first; j < std::uint64_t{start} + kSegment; j += p) {
        segmentComposite_[j - start] = true;
      }
    }
  }

  std::array<std::uint32_t, 6542> small_{};  // the primes below 2^16
  std::size_t count_ = 0;
  std::size_t index_ = 0;
  std::array<bool, kSegment> segmentComposite_{};
  std::uint32_t start_ = 0;
  std::uint32_t offset_ = kSegment;
};
