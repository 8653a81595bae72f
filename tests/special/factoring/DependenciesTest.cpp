// SPDX-License-Identifier: GPL-3.0-or-later
// The linear algebra of the sieve: every set handed over must sum to zero,
// and the sets must be independent and as many as promised.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "factoring/Dependencies.h"
#include "support/SieveLikeVectors.h"

namespace {

using Vectors = std::vector<std::vector<int>>;

// Rank over GF(2) of the given sets of indices below n, by plain
// elimination on bit sets.
int Rank(const Vectors& sets, int n) {
  std::vector<std::vector<bool>> rows;
  for (const auto& set : sets) {
    std::vector<bool> row(n);
    for (const int i : set)
      row[i] = !row[i];
    rows.push_back(row);
  }
  int rank = 0;
  for (int c = 0; c < n; ++c) {
    auto pivot = std::find_if(rows.begin() + rank, rows.end(), [&](const auto& r) { return r[c]; });
    if (pivot == rows.end()) continue;
    std::swap(*pivot, rows[rank]);
    for (auto& r : rows) {
      if (&r == &rows[rank] || !r[c]) continue;
      for (int k = 0; k < n; ++k)
        r[k] = r[k] != rows[rank][k];
    }
    ++rank;
  }
  return rank;
}

// All the sets FindDependencies hands over, each checked to sum to zero.
Vectors AllDependencies(const Vectors& vectors, int dimension) {
  Vectors found;
  const auto outcome = factoring::FindDependencies(
      vectors, dimension, 2, nullptr, [&](const std::vector<int>& chosen) {
        EXPECT_FALSE(chosen.empty());
        EXPECT_TRUE(std::is_sorted(chosen.begin(), chosen.end()));
        std::vector<int> parity(dimension);
        for (const int v : chosen)
          for (const int i : vectors[v])
            parity[i] ^= 1;
        EXPECT_EQ(std::count(parity.begin(), parity.end(), 1), 0);
        found.push_back(chosen);
        return false;
      });
  EXPECT_EQ(outcome, factoring::Outcome::Failed);
  return found;
}

TEST(Dependencies, SieveLikeMatricesGiveTheSurplusOrSixtyFour) {
  std::mt19937 random(11);
  const struct {
    int dimension, surplus, expected;
  } cases[] = {{3000, 20, 20}, {2000, 300, 64}, {100, 40, 40}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dimension);
    const Vectors vectors = SieveLikeVectors(c.dimension + c.surplus, c.dimension, random);
    const Vectors found = AllDependencies(vectors, c.dimension);
    EXPECT_GE(static_cast<int>(found.size()), c.expected);
    EXPECT_EQ(Rank(found, static_cast<int>(vectors.size())), static_cast<int>(found.size()));
  }
}

// Dense vectors leave the structured step nothing to do; every fifth is the
// sum of two before it, so free columns fall inside the dense step's
// groups of columns.
TEST(Dependencies, DenseMatricesWithDependentVectors) {
  std::mt19937 random(3);
  constexpr int kDimension = 300;
  Vectors vectors;
  for (int v = 0; v < 330; ++v) {
    std::vector<int> ones;
    if (v % 5 == 4) {
      std::set_symmetric_difference(vectors[v - 1].begin(), vectors[v - 1].end(),
                                    vectors[v - 3].begin(), vectors[v - 3].end(),
                                    std::back_inserter(ones));
    } else {
      for (int i = 0; i < kDimension; ++i)
        if ((random() & 1) != 0) ones.push_back(i);
    }
    vectors.push_back(ones);
  }
  const Vectors found = AllDependencies(vectors, kDimension);
  EXPECT_EQ(found.size(), 66U);
  EXPECT_EQ(Rank(found, static_cast<int>(vectors.size())), 66);
}

TEST(Dependencies, SmallCases) {
  const struct {
    Vectors vectors;
    int dimension;
    Vectors expected;
  } cases[] = {
      {{{0}, {1}, {2}}, 3, {}},              // independent
      {{{0}, {}, {1}}, 2, {{1}}},            // a zero vector
      {{{0, 2}, {1}, {0, 2}}, 3, {{0, 2}}},  // the same vector twice
      {{{0, 1}, {1, 2}, {0, 2}}, 3, {{0, 1, 2}}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AllDependencies(c.vectors, c.dimension), c.expected);
}

TEST(Dependencies, EndsWhenUsedOrCancelled) {
  std::mt19937 random(5);
  const Vectors vectors = SieveLikeVectors(600, 500, random);
  int calls = 0;
  EXPECT_EQ(factoring::FindDependencies(vectors, 500, 1, nullptr,
                                        [&](const std::vector<int>&) { return ++calls == 3; }),
            factoring::Outcome::Found);
  EXPECT_EQ(calls, 3);
  const std::atomic<bool> cancel{true};
  EXPECT_EQ(factoring::FindDependencies(vectors, 500, 1, &cancel,
                                        [&](const std::vector<int>&) { return ++calls > 0; }),
            factoring::Outcome::Cancelled);
  EXPECT_EQ(calls, 3);
}

}  // namespace
