// SPDX-License-Identifier: GPL-3.0-or-later
// Vectors over GF(2) like a sieve's relations, for the linear algebra's
// tests: a coordinate's chance falls with its index, so that most are in
// few vectors and a few in most.
#pragma once

#include <cmath>
#include <random>
#include <set>
#include <vector>

// `count` vectors of up to 12 coordinates below `dimension`, each sorted.
inline std::vector<std::vector<int>> SieveLikeVectors(int count, int dimension,
                                                      std::mt19937& random) {
  std::vector<std::vector<int>> vectors(count);
  for (auto& v : vectors) {
    std::set<int> ones;
    for (int k = 0; k < 12; ++k) {
      const double u = std::uniform_real_distribution<double>(0, 1)(random);
      ones.insert(static_cast<int>(std::pow(dimension, u)) - 1);
    }
    v.assign(ones.begin(), ones.end());
  }
  return vectors;
}
