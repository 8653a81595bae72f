// SPDX-License-Identifier: GPL-3.0-or-later
// Structured Gaussian elimination, then block Lanczos or, for a small
// matrix, dense elimination of what is left. The vectors are the columns of
// a sparse matrix whose rows are their coordinates. A column with a one in a
// row that no other column has can be in no dependency and goes; so do the
// heaviest columns beyond the surplus that the last step needs; and a row
// with ones in a few columns is cleared by adding the lightest of those
// columns to the others and dropping it. Each step keeps the surplus of
// columns over rows, and each column remembers which input vectors it sums.
// Dense elimination works on bit-packed rows, eight columns a pass.
#include "Dependencies.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstdint>

#include "BlockLanczos.h"

namespace factoring {
namespace {

using Indices = std::vector<int>;
using Use = std::function<bool(const std::vector<int>&)>;

// Surplus columns kept for the last step; each gives a dependency.
constexpr int kSurplus = 64;
// Rows with ones in at most this many columns are cleared before block
// Lanczos, whose steps cost the matrix's weight, and before the dense step,
// whose cost is the matrix's size (docs/tuning.md).
constexpr int kMergedForLanczos = 3;
constexpr int kMostMerged = 40;
// Block Lanczos takes the matrices left with at least this many columns,
// with up to this many seeds.
constexpr int kLeastForLanczos = 1000;
constexpr std::uint64_t kLanczosSeeds = 3;

// Gauss-Jordan elimination of bit-packed rows, `words` words each, takes
// the columns eight at a time (Arlazarov, Dinic, Kronrod and Faradzev's
// "four Russians"): their pivot rows are found and reduced among
// themselves, every sum of them is tabled by the eight bits it clears, and
// each other row clears all eight with one addition from the table. That is
// a pass over the matrix for eight columns rather than for one, which is
// what the dense step spends its time on once it outgrows the caches.
// Sets the pivot column of each pivot row, in order; false when cancelled.
constexpr int kStrip = 8;
static_assert(64 % kStrip == 0);  // a strip never straddles two words

bool Eliminate(std::vector<std::uint64_t>& matrix, int rows, int columns,
               std::vector<int>& pivotColumn, const std::atomic<bool>* cancel) {
  const int words = (columns + 63) / 64;
  const auto row = [&](int r) { return matrix.data() + static_cast<std::size_t>(r) * words; };
  std::vector<std::uint64_t> table;
  int rank = 0;
  for (int start = 0; start < columns && rank < rows; start += kStrip) {
    // The rows from `rank` on are zero left of `start`, so additions
    // between them and into other rows start at the strip's word.
    const int word = start / 64;
    const int shift = start % 64;
    const int tail = words - word;
    const auto strip = [&](int r) {
      return static_cast<unsigned>(row(r)[word] >> shift) & ((1U << kStrip) - 1);
    };
    const auto add = [&](const std::uint64_t* from, std::uint64_t* to) {
      for (int w = 0; w < tail; ++w)
        to[w] ^= from[w];
    };
    const int first = rank;
    std::array<int, kStrip> pivotOf{};  // by bit: the pivot row, when pivotBits has the bit
    unsigned pivotBits = 0;
    // A row's strip once the strip's pivots so far have cleared their bits.
    const auto reduced = [&](int r) {
      unsigned bits = strip(r);
      for (int k = 0; k < kStrip; ++k)
        if ((pivotBits >> k & bits >> k & 1) != 0) bits ^= strip(pivotOf[k]);
      return bits;
    };
    for (int b = 0; b < kStrip && start + b < columns && rank < rows; ++b) {
      int found = rank;
      while (found < rows && (reduced(found) >> b & 1) == 0)
        ++found;
      if (found == rows) continue;
      std::swap_ranges(row(found) + word, row(found) + words, row(rank) + word);
      for (int k = 0; k < kStrip; ++k)
        if ((pivotBits >> k & strip(rank) >> k & 1) != 0)
          add(row(pivotOf[k]) + word, row(rank) + word);
      for (int k = 0; k < kStrip; ++k)
        if ((pivotBits >> k & 1) != 0 && (strip(pivotOf[k]) >> b & 1) != 0)
          add(row(rank) + word, row(pivotOf[k]) + word);
      pivotOf[b] = rank;
      pivotBits |= 1U << b;
      pivotColumn.push_back(start + b);
      ++rank;
    }
    if (pivotBits == 0) continue;
    // table[v]: the sum of the pivot rows of the bits of v.
    table.assign((std::size_t{1} << kStrip) * tail, 0);
    for (unsigned v = 1; v < (1U << kStrip); ++v) {
      if ((v & ~pivotBits) != 0) continue;
      const int low = __builtin_ctz(v);
      std::uint64_t* entry = table.data() + static_cast<std::size_t>(v) * tail;
      std::copy_n(table.data() + static_cast<std::size_t>(v & (v - 1)) * tail, tail, entry);
      add(row(pivotOf[low]) + word, entry);
    }
    const auto clear = [&](int from, int to) {
      for (int r = from; r < to; ++r)
        if (const unsigned v = strip(r) & pivotBits; v != 0)
          add(table.data() + static_cast<std::size_t>(v) * tail, row(r) + word);
    };
    clear(0, first);
    clear(rank, rows);
    if (Stopped(cancel)) return false;
  }
  return true;
}

class SparseMatrix {
 public:
  SparseMatrix(std::vector<Indices> columns, int rows)
      : columns_(std::move(columns)),
        members_(columns_.size()),
        alive_(columns_.size(), true),
        weight_(rows, 0),
        holders_(rows),
        aliveColumns_(static_cast<int>(columns_.size())) {
    for (int c = 0; c < aliveColumns_; ++c) {
      members_[c] = {c};
      for (const int r : columns_[c]) {
        ++weight_[r];
        holders_[r].push_back(c);
      }
    }
    for (int r = 0; r < rows; ++r) {
      if (weight_[r] > 0) ++usedRows_;
      if (weight_[r] == 1) lonely_.push_back(r);
    }
  }

  int Columns() const { return aliveColumns_; }

  // Clears the rows with ones in at most `most` columns; false when
  // cancelled.
  bool Reduce(int most, const std::atomic<bool>* cancel) {
    DropSingletons();
    DropSurplus();
    const int rows = static_cast<int>(weight_.size());
    for (int weight = 2; weight <= most; ++weight) {
      for (bool merged = true; merged;) {
        merged = false;
        for (int r = 0; r < rows; ++r) {
          if (weight_[r] < 2 || weight_[r] > weight) continue;
          Clear(r);
          DropSingletons();
          merged = true;
          if (Stopped(cancel)) return false;
        }
      }
    }
    DropSurplus();
    return true;
  }

  // Block Lanczos on the columns left; Failed when each seed broke down.
  // The last step: the columns' lists move into B rather than stay beside
  // it, and the rows' lists go, so that no other step can follow.
  Outcome ByLanczos(int threads, const std::atomic<bool>* cancel, const Use& use) {
    const Reduced reduced = Renumbered();
    const SparseColumns b = TakeColumns(reduced);
    std::vector<std::uint64_t> nullVectors;
    int count = 0;
    for (std::uint64_t seed = 1;; ++seed) {
      const Outcome outcome = BlockLanczos(b, threads, seed, cancel, nullVectors, count);
      if (outcome == Outcome::Cancelled) return outcome;
      if (outcome == Outcome::Found) break;
      if (seed == kLanczosSeeds) return outcome;
    }
    for (int k = 0; k < count; ++k) {
      Indices set;
      for (int c = 0; c < b.Columns(); ++c)
        if ((nullVectors[c] >> k & 1) != 0) set.push_back(c);
      if (HandOver(reduced, set, use)) return Outcome::Found;
      if (Stopped(cancel)) return Outcome::Cancelled;
    }
    return Outcome::Failed;
  }

  // Gauss-Jordan elimination of the columns left: every column without a
  // pivot, with the pivot columns whose rows have a one in it, sums to zero.
  Outcome ByElimination(const std::atomic<bool>* cancel, const Use& use) const {
    const Reduced reduced = Renumbered();
    const int rows = reduced.rows;
    const int columns = static_cast<int>(reduced.alive.size());
    const int words = (columns + 63) / 64;
    std::vector<std::uint64_t> matrix(static_cast<std::size_t>(rows) * words, 0);
    const auto row = [&](int r) { return matrix.data() + static_cast<std::size_t>(r) * words; };
    for (int c = 0; c < columns; ++c) {
      for (const int r : columns_[reduced.alive[c]])
        row(reduced.rowOf[r])[c / 64] |= std::uint64_t{1} << (c % 64);
    }
    std::vector<int> pivotColumn;
    if (!Eliminate(matrix, rows, columns, pivotColumn, cancel)) return Outcome::Cancelled;
    const int rank = static_cast<int>(pivotColumn.size());
    std::vector<bool> pivotal(columns);
    for (const int c : pivotColumn)
      pivotal[c] = true;
    for (int free = 0; free < columns; ++free) {
      if (pivotal[free]) continue;
      Indices set{free};
      for (int k = 0; k < rank; ++k)
        if ((row(k)[free / 64] >> (free % 64) & 1) != 0) set.push_back(pivotColumn[k]);
      if (HandOver(reduced, set, use)) return Outcome::Found;
      if (Stopped(cancel)) return Outcome::Cancelled;
    }
    return Outcome::Failed;
  }

 private:
  // The alive columns, and the rows in use numbered from 0.
  struct Reduced {
    Indices alive;
    std::vector<int> rowOf;
    int rows = 0;
  };

  SparseColumns TakeColumns(const Reduced& reduced) {
    SparseColumns b;
    b.rows = reduced.rows;
    std::size_t ones = 0;
    for (const int c : reduced.alive)
      ones += columns_[c].size();
    b.ones.reserve(ones);
    b.starts.reserve(reduced.alive.size() + 1);
    b.starts.push_back(0);
    for (const int c : reduced.alive) {
      for (const int r : columns_[c])
        b.ones.push_back(static_cast<std::uint32_t>(reduced.rowOf[r]));
      b.starts.push_back(static_cast<std::uint32_t>(b.ones.size()));
    }
    std::vector<Indices>().swap(columns_);
    std::vector<Indices>().swap(holders_);
    return b;
  }

  Reduced Renumbered() const {
    Reduced reduced{AliveColumns(), std::vector<int>(weight_.size(), -1)};
    for (std::size_t r = 0; r < weight_.size(); ++r)
      if (weight_[r] > 0) reduced.rowOf[r] = reduced.rows++;
    return reduced;
  }

  // Hands the input vectors that a set of the alive columns sums to `use`.
  bool HandOver(const Reduced& reduced, const Indices& set, const Use& use) const {
    std::vector<bool> odd(members_.size());
    for (const int c : set)
      for (const int m : members_[reduced.alive[c]])
        odd[m] = !odd[m];
    Indices chosen;
    for (int m = 0; m < static_cast<int>(odd.size()); ++m)
      if (odd[m]) chosen.push_back(m);
    assert(!chosen.empty());  // the columns' member sets stay independent
    return use(chosen);
  }

  Indices AliveColumns() const {
    Indices alive;
    for (int c = 0; c < static_cast<int>(alive_.size()); ++c)
      if (alive_[c]) alive.push_back(c);
    return alive;
  }

  void Remove(int c) {
    alive_[c] = false;
    --aliveColumns_;
    for (const int r : columns_[c]) {
      if (--weight_[r] == 1) lonely_.push_back(r);
      if (weight_[r] == 0) --usedRows_;
    }
    Indices().swap(columns_[c]);
    Indices().swap(members_[c]);
  }

  // The alive columns with a one in row r: holders_ may also list columns
  // that lost it or died since, and list one twice.
  const Indices& Holders(int r) {
    Indices& holders = holders_[r];
    std::erase_if(holders, [&](int c) {
      return !alive_[c] || !std::binary_search(columns_[c].begin(), columns_[c].end(), r);
    });
    std::sort(holders.begin(), holders.end());
    holders.erase(std::unique(holders.begin(), holders.end()), holders.end());
    assert(static_cast<int>(holders.size()) == weight_[r]);
    return holders;
  }

  void DropSingletons() {
    while (!lonely_.empty()) {
      const int r = lonely_.back();
      lonely_.pop_back();
      if (weight_[r] == 1) Remove(Holders(r).front());
    }
  }

  // The heaviest columns beyond the surplus; they make the most fill-in.
  void DropSurplus() {
    while (aliveColumns_ - usedRows_ > kSurplus) {
      Indices alive = AliveColumns();
      const int excess = aliveColumns_ - usedRows_ - kSurplus;
      std::partial_sort(alive.begin(), alive.begin() + excess, alive.end(),
                        [&](int a, int b) { return columns_[a].size() > columns_[b].size(); });
      for (int k = 0; k < excess; ++k)
        Remove(alive[k]);
      DropSingletons();
    }
  }

  // Adds the lightest column with a one in row r to the others that have
  // one there, and drops it: the row is then empty.
  void Clear(int r) {
    const Indices holders = Holders(r);
    const int pivot = *std::min_element(holders.begin(), holders.end(), [&](int a, int b) {
      return columns_[a].size() < columns_[b].size();
    });
    for (const int c : holders)
      if (c != pivot) Add(pivot, c);
    Remove(pivot);
  }

  // Column `to` += column `from`, both alive.
  void Add(int from, int to) {
    const Indices& a = columns_[to];
    const Indices& b = columns_[from];
    Indices sum;
    sum.reserve(a.size() + b.size());
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() || j < b.size()) {
      if (j == b.size() || (i < a.size() && a[i] < b[j])) {
        sum.push_back(a[i++]);
      } else if (i == a.size() || b[j] < a[i]) {
        const int r = b[j++];
        sum.push_back(r);
        ++weight_[r];
        holders_[r].push_back(to);
      } else {
        // `from` keeps its one here, so the row's weight stays above 0.
        if (--weight_[a[i]] == 1) lonely_.push_back(a[i]);
        ++i;
        ++j;
      }
    }
    columns_[to] = std::move(sum);
    Indices members;
    std::set_symmetric_difference(members_[to].begin(), members_[to].end(), members_[from].begin(),
                                  members_[from].end(), std::back_inserter(members));
    members_[to] = std::move(members);
  }

  std::vector<Indices> columns_;  // the rows in which each column has a one
  std::vector<Indices> members_;  // the input vectors each column sums
  std::vector<bool> alive_;
  std::vector<int> weight_;       // by row: how many alive columns have a one there
  std::vector<Indices> holders_;  // by row: a superset of those columns
  std::vector<int> lonely_;       // rows that may be in one column only
  int aliveColumns_ = 0;
  int usedRows_ = 0;
};

}  // namespace

Outcome FindDependencies(std::vector<std::vector<int>> vectors, int dimension, int threads,
                         const std::atomic<bool>* cancel, const Use& use) {
  if (Stopped(cancel)) return Outcome::Cancelled;
  SparseMatrix matrix(std::move(vectors), dimension);
  if (!matrix.Reduce(kMergedForLanczos, cancel)) return Outcome::Cancelled;
  if (matrix.Columns() >= kLeastForLanczos) return matrix.ByLanczos(threads, cancel, use);
  if (!matrix.Reduce(kMostMerged, cancel)) return Outcome::Cancelled;
  return matrix.ByElimination(cancel, use);
}

}  // namespace factoring
