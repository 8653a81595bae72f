// SPDX-License-Identifier: GPL-3.0-or-later
// The sieve's inner loops that the processor's widest instructions speed
// up: the candidates' test of the base's roots and the move of the large
// primes' roots that fills their buckets. Each has a portable version, the
// oracle of the others, and is chosen once for the processor it runs on.
#pragma once

#include <cstddef>
#include <cstdint>

namespace factoring {

enum class Instructions { Portable, Avx2, Avx512 };

// Whether this processor runs the instructions.
bool Supports(Instructions instructions);

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
// padding) has a root at `position`.
using MarkRoots = void (*)(const Roots& roots, int from, int to, std::uint32_t position,
                           std::uint16_t* hits);

// The roots of the primes from..to-1 and what moving them to the next
// polynomial's and bucketing their hits needs.
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

// Moves the roots of the primes from..to-1 and writes their positions
// inside the interval into `bucket`, each with its prime's logarithm in the
// top byte; `bucket` has room for 2 * steps a prime and 16 more. Returns
// how many it wrote.
using MoveRoots = std::size_t (*)(const RootMoves& moves, int from, int to, std::uint32_t* bucket);

// The version for the instructions; nullptr where there is none of its own.
MarkRoots MarkRootsFor(Instructions instructions);
MoveRoots MoveRootsFor(Instructions instructions);
// The widest version this processor runs.
MarkRoots ChooseMarkRoots();
MoveRoots ChooseMoveRoots();

// Moves the roots of the primes from..to-1 by delta or by p - delta, mod p.
void MoveRootsBy(const std::uint32_t* prime, const std::uint32_t* delta, bool minus,
                 std::uint32_t* first, std::uint32_t* second, int from, int to);

// The end of the run of primes from the i-th (below `count`, in increasing
// order) that hit an interval of `length` positions at most as often a root
// as the i-th does: ceil(length / p) times.
int EndOfSteps(const std::uint32_t* prime, int i, int count, std::uint32_t length);

}  // namespace factoring
