// SPDX-License-Identifier: GPL-3.0-or-later
// Block Lanczos: every vector it hands back must be in the null space, and
// the vectors independent and as many as the null space allows.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <random>
#include <set>

#include "factoring/BlockLanczos.h"
#include "support/SieveLikeVectors.h"

namespace {

using factoring::SparseColumns;

template <typename Sets>
SparseColumns FromSets(const Sets& sets, int rows) {
  SparseColumns b;
  b.rows = rows;
  b.starts.push_back(0);
  for (const auto& set : sets) {
    b.ones.insert(b.ones.end(), set.begin(), set.end());
    b.starts.push_back(static_cast<std::uint32_t>(b.ones.size()));
  }
  return b;
}

SparseColumns SieveLike(int columns, int rows, std::mt19937& random) {
  return FromSets(SieveLikeVectors(columns, rows, random), rows);
}

// Of full row rank: column c below `rows` has its lowest one in row c.
SparseColumns Triangular(int columns, int rows, std::mt19937& random) {
  std::vector<std::set<std::uint32_t>> sets(columns);
  for (int c = 0; c < columns; ++c) {
    const int low = c < rows ? c : 0;
    if (c < rows) sets[c].insert(low);
    for (int k = 0; k < 6; ++k)
      sets[c].insert(std::uniform_int_distribution<int>(low, rows - 1)(random));
  }
  std::shuffle(sets.begin(), sets.end(), random);
  return FromSets(sets, rows);
}

// The vectors' count after checking each against b; their rank, by a basis
// of the coordinates' words kept by leading bit.
int CheckedRank(const SparseColumns& b, const std::vector<std::uint64_t>& vectors, int count) {
  std::vector<std::uint64_t> product(b.rows, 0);
  for (int c = 0; c < b.Columns(); ++c)
    for (std::uint32_t k = b.starts[c]; k < b.starts[c + 1]; ++k)
      product[b.ones[k]] ^= vectors[c];
  EXPECT_TRUE(std::all_of(product.begin(), product.end(), [](std::uint64_t w) { return w == 0; }));
  std::array<std::uint64_t, 64> basis{};
  int rank = 0;
  for (std::uint64_t w : vectors) {
    for (int top = 63; w != 0 && top >= 0; --top) {
      if ((w >> top & 1) == 0) continue;
      if (basis[top] == 0) {
        basis[top] = w;
        ++rank;
        break;
      }
      w ^= basis[top];
    }
  }
  EXPECT_LT(count, 65);
  return rank;
}

TEST(BlockLanczos, FindsTheNullSpace) {
  std::mt19937 random(17);
  // Of full row rank the null space's dimension is the surplus, and all of
  // it, up to 64, should come; a sieve's rows, unfiltered, are dependent, and
  // then vectors of B^T B's null space are lost to B's.
  const struct {
    bool sieveLike;
    int columns, rows, threads, least;  // least: the independent vectors expected
  } cases[] = {
      {false, 3000, 2936, 1, 60},  // surplus 64
      {false, 1200, 1190, 2, 10}, {false, 2000, 1990, 3, 10},
      {false, 1500, 1300, 1, 64}, {true, 3000, 2936, 2, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.columns);
    const SparseColumns b =
        c.sieveLike ? SieveLike(c.columns, c.rows, random) : Triangular(c.columns, c.rows, random);
    std::vector<std::uint64_t> vectors;
    int count = 0;
    ASSERT_EQ(factoring::BlockLanczos(b, c.threads, 1, nullptr, vectors, count),
              factoring::Outcome::Found);
    EXPECT_GE(count, c.least);
    EXPECT_EQ(CheckedRank(b, vectors, count), count);
  }
}

TEST(BlockLanczos, EndsWhenCancelled) {
  std::mt19937 random(5);
  const std::atomic<bool> cancel{true};
  std::vector<std::uint64_t> vectors;
  int count = 0;
  EXPECT_EQ(factoring::BlockLanczos(SieveLike(2000, 1950, random), 1, 1, &cancel, vectors, count),
            factoring::Outcome::Cancelled);
}

}  // namespace
