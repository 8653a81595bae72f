// SPDX-License-Identifier: GPL-3.0-or-later
// Vectors in the null space of a sparse matrix over GF(2) by Montgomery's
// block Lanczos method: 64 vectors at once, a multiplication by the matrix
// and one by its transpose a step, and storage of a few blocks of vectors
// beside the matrix itself.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "Methods.h"

namespace factoring {

// A matrix by its columns: the sorted rows, below `rows`, where each has a one.
struct SparseColumns {
  std::vector<std::uint32_t> ones;    // the columns' rows, one column after another
  std::vector<std::uint32_t> starts;  // column c's rows from ones[starts[c]] to ones[starts[c + 1]]
  int rows = 0;

  int Columns() const { return static_cast<int>(starts.size()) - 1; }
};

// Independent vectors x with B x = 0, as bit slices: bit k of nullVectors[c]
// is coordinate c of the k-th vector, for k below `count`. When B's rows are
// independent, or nearly (as after a structured elimination), the count is
// rarely much below the surplus of columns over rows, or 64. Failed when
// the iteration broke down, which another seed mends. Runs on `threads`
// threads (at least 1); cancelled soon after the cancel flag turns true.
Outcome BlockLanczos(const SparseColumns& b, int threads, std::uint64_t seed,
                     const std::atomic<bool>* cancel, std::vector<std::uint64_t>& nullVectors,
                     int& count);

}  // namespace factoring
