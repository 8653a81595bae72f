// SPDX-License-Identifier: GPL-3.0-or-later
#include "SieveKernels.h"

#include <algorithm>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace factoring {
namespace {

// p divides x < 2^32 exactly when x * inverse mod 2^32 <= limit. Without a
// branch inside, so that the compiler takes 8 primes an instruction.
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

void MarkRootsPortable(const Roots& roots, int from, int to, std::uint32_t position,
                       std::uint16_t* hits) {
  MarkRootsAt(roots, from, to, position, hits);
}

// Two loops: the compiler takes several primes an instruction in the first,
// not when it is one with the second. Every position is written, and
// counted only when inside: no branch.
std::size_t MoveRootsPortable(const RootMoves& moves, int from, int to, std::uint32_t* bucket) {
  if (moves.delta != nullptr)
    MoveRootsBy(moves.prime, moves.delta, moves.minus, moves.first, moves.second, from, to);
  std::size_t count = 0;
  for (int i = from; i < to; ++i) {
    const std::uint32_t top = std::uint32_t{moves.logarithm[i]} << 24;
    for (std::uint32_t step = 0; step < moves.steps; ++step) {
      const std::uint32_t low = moves.first[i] + step * moves.prime[i];
      const std::uint32_t high = moves.second[i] + step * moves.prime[i];
      bucket[count] = low | top;
      count += low < moves.length;
      bucket[count] = high | top;
      count += high < moves.length;
    }
  }
  return count;
}

#if defined(__x86_64__)
[[gnu::target("avx2")]] void MarkRootsAvx2(const Roots& roots, int from, int to,
                                           std::uint32_t position, std::uint16_t* hits) {
  MarkRootsAt(roots, from, to, position, hits);
}

// The positions inside are packed together in a register and stored whole,
// the next store starting after the last of them.
[[gnu::target("avx512f"), gnu::always_inline]] inline std::size_t BucketInside(__m512i roots,
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

// The roots' move by delta or p - delta, mod p: x - p wraps above x where
// x < p, so the smaller of the two is x mod p.
[[gnu::target("avx512f"), gnu::always_inline]] inline __m512i MoveRoot(__mmask16 in, __m512i root,
                                                                       __m512i step, __m512i p) {
  root = _mm512_add_epi32(root, step);
  return _mm512_maskz_min_epu32(in, root, _mm512_sub_epi32(root, p));
}

// Sixteen primes at a time. A long number's roots, primes and steps do not
// stay in the second-level cache beside the interval, so they are asked for
// 128 primes ahead.
[[gnu::target("avx512f")]] std::size_t MoveRootsAvx512(const RootMoves& moves, int from, int to,
                                                       std::uint32_t* bucket) {
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
      first = MoveRoot(in, first, step, p);
      second = MoveRoot(in, second, step, p);
      _mm512_mask_storeu_epi32(moves.first + i, in, first);
      _mm512_mask_storeu_epi32(moves.second + i, in, second);
    }
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(moves.logarithm + i));
    const __m512i top = _mm512_maskz_slli_epi32(in, _mm512_maskz_cvtepu8_epi32(in, bytes), 24);
    // Outside the primes: roots at the interval's end, never inside.
    first = _mm512_mask_mov_epi32(length, in, first);
    second = _mm512_mask_mov_epi32(length, in, second);
    for (std::uint32_t step = 0; step < moves.steps; ++step) {
      count += BucketInside(first, top, length, bucket + count);
      count += BucketInside(second, top, length, bucket + count);
      first = _mm512_add_epi32(first, p);
      second = _mm512_add_epi32(second, p);
    }
  }
  return count;
}
#endif

}  // namespace

bool Supports(Instructions instructions) {
#if defined(__x86_64__)
  switch (instructions) {
    case Instructions::Portable:
      return true;
    case Instructions::Avx2:
      return __builtin_cpu_supports("avx2");
    case Instructions::Avx512:
      return __builtin_cpu_supports("avx512f");
  }
  return false;
#else
  return instructions == Instructions::Portable;
#endif
}

// Each set of instructions' own versions; nullptr where it has none.
struct Kernels {
  Instructions instructions;
  MarkRoots markRoots;
  MoveRoots moveRoots;
};
constexpr Kernels kKernels[] = {
    {Instructions::Portable, MarkRootsPortable, MoveRootsPortable},
#if defined(__x86_64__)
    {Instructions::Avx2, MarkRootsAvx2, nullptr},
    {Instructions::Avx512, nullptr, MoveRootsAvx512},
#endif
};

const Kernels* KernelsFor(Instructions instructions) {
  for (const Kernels& kernels : kKernels)
    if (kernels.instructions == instructions) return &kernels;
  return nullptr;
}

MarkRoots MarkRootsFor(Instructions instructions) {
  const Kernels* kernels = KernelsFor(instructions);
  return kernels != nullptr ? kernels->markRoots : nullptr;
}

MoveRoots MoveRootsFor(Instructions instructions) {
  const Kernels* kernels = KernelsFor(instructions);
  return kernels != nullptr ? kernels->moveRoots : nullptr;
}

MarkRoots ChooseMarkRoots() {
  return Supports(Instructions::Avx2) ? MarkRootsFor(Instructions::Avx2) : MarkRootsPortable;
}

MoveRoots ChooseMoveRoots() {
  return Supports(Instructions::Avx512) ? MoveRootsFor(Instructions::Avx512) : MoveRootsPortable;
}

// Without a branch inside, so that the compiler takes several primes an
// instruction.
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

int EndOfSteps(const std::uint32_t* prime, int i, int count, std::uint32_t length) {
  const std::uint32_t steps = (length + prime[i] - 1) / prime[i];
  if (steps == 1) return count;
  return static_cast<int>(
      std::lower_bound(prime + i, prime + count, (length + steps - 2) / (steps - 1)) - prime);
}

}  // namespace factoring
