// SPDX-License-Identifier: GPL-3.0-or-later
// Sets of vectors over GF(2) that sum to zero: the linear algebra of the
// quadratic sieve, where each vector holds the primes that divide a
// relation an odd number of times.
#pragma once

#include <functional>
#include <vector>

#include "Methods.h"

namespace factoring {

// Each of `vectors` lists, sorted and without repeats, the coordinates below
// `dimension` at which it is one. Hands sets of their indices (sorted, never
// empty) whose vectors sum to zero to `use`, one at a time, until `use`
// returns true (Found) or there are no more (Failed). With at least k more
// vectors than coordinates in use, min(k, 64) independent sets come, for a
// large matrix rarely a few fewer. Runs on `threads` threads (at least 1);
// cancelled soon after the cancel flag turns true.
Outcome FindDependencies(std::vector<std::vector<int>> vectors, int dimension, int threads,
                         const std::atomic<bool>* cancel,
                         const std::function<bool(const std::vector<int>&)>& use);

}  // namespace factoring
