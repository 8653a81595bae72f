// SPDX-License-Identifier: GPL-3.0-or-later
#include "factoring/LargePrimeGraph.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <random>
#include <set>
#include <vector>

namespace {

// Random partials with no, one and two large primes, squares among them:
// as many cycles as edges closed one, each with every large prime an even
// number of times, no relation twice.
TEST(LargePrimeGraph, EveryCycleHasEachLargePrimeAnEvenNumberOfTimes) {
  std::mt19937 random(11);
  std::uniform_int_distribution<std::uint32_t> prime(2, 90);
  std::vector<std::array<std::uint32_t, 2>> edges;
  factoring::LargePrimeGraph graph;
  std::size_t closed = 0;
  for (std::int32_t f = 0; f < 600; ++f) {
    const std::uint32_t p = prime(random);
    const std::uint32_t q = f % 3 == 0 ? 1 : f % 10 == 1 ? p : prime(random);
    edges.push_back({p, q});
    closed += graph.Add(edges.back(), f) ? 1 : 0;
  }
  const auto cycles = graph.Cycles();
  EXPECT_EQ(cycles.size(), closed);
  EXPECT_GT(closed, 400U);
  const std::atomic<bool> cancelled{true};
  EXPECT_TRUE(graph.Cycles(&cancelled).empty());
  for (const auto& cycle : cycles) {
    std::map<std::uint32_t, int> times;
    for (const std::int32_t f : cycle) {
      ++times[edges[f][0]];
      ++times[edges[f][1]];
    }
    for (const auto& [vertex, count] : times)
      EXPECT_EQ(count % 2, 0) << "large prime " << vertex;
    EXPECT_EQ(std::set<std::int32_t>(cycle.begin(), cycle.end()).size(), cycle.size());
  }
}

}  // namespace
