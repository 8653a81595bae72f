// SPDX-License-Identifier: GPL-3.0-or-later
// Montgomery's block Lanczos method ("A block Lanczos algorithm for finding
// dependencies over GF(2)", 1995) on the symmetric A = B^T B. From a random
// block Y, the blocks V_0 = A Y, V_1, ... of 64 vectors each are made
// A-orthogonal to each other, each step choosing the columns W_i = V_i S_i
// of V_i on which V_i^T A V_i can be inverted; the recurrence needs only the
// three blocks before. X = sum of V_i Winv_i V_i^T V_0 then solves
// A X = A Y once some V_m^T A V_m is zero, and B's null vectors are the
// combinations of X - Y and V_m that B takes to zero, found by elimination
// on their 128 columns.
#include "BlockLanczos.h"

#include <array>
#include <bit>
#include <cassert>
#include <functional>
#include <thread>

namespace factoring {
namespace {

using Block = std::vector<std::uint64_t>;      // a row of 64 bits by coordinate
using Square = std::array<std::uint64_t, 64>;  // a 64 x 64 matrix by rows

constexpr std::uint64_t kAll = ~std::uint64_t{0};

Square Identity() {
  Square m{};
  for (int i = 0; i < 64; ++i)
    m[i] = std::uint64_t{1} << i;
  return m;
}

Square operator+(Square a, const Square& b) {
  for (int i = 0; i < 64; ++i)
    a[i] ^= b[i];
  return a;
}

Square operator*(const Square& a, const Square& b) {
  Square c{};
  for (int i = 0; i < 64; ++i)
    for (std::uint64_t bits = a[i]; bits != 0; bits &= bits - 1)
      c[i] ^= b[std::countr_zero(bits)];
  return c;
}

// a S S^T: the columns outside `chosen` cleared.
Square Masked(Square a, std::uint64_t chosen) {
  for (std::uint64_t& row : a)
    row &= chosen;
  return a;
}

bool IsZero(const Square& a) {
  for (const std::uint64_t row : a)
    if (row != 0) return false;
  return true;
}

// The sums of a square's rows by each byte value of a row of 64 bits, so
// that a block times the square takes eight look-ups a row.
class ByteTables {
 public:
  explicit ByteTables(const Square& m) {
    for (int b = 0; b < 8; ++b) {
      sums_[b][0] = 0;
      for (int x = 1; x < 256; ++x)
        sums_[b][x] = sums_[b][x & (x - 1)] ^ m[8 * b + std::countr_zero(static_cast<unsigned>(x))];
    }
  }

  std::uint64_t Times(std::uint64_t row) const {
    std::uint64_t w = 0;
    for (int b = 0; b < 8; ++b)
      w ^= sums_[b][row >> (8 * b) & 255];
    return w;
  }

 private:
  std::array<std::array<std::uint64_t, 256>, 8> sums_;
};

// v^T w over coordinates: w's rows summed by each byte value of v's, then
// spread to the bits.
class InnerProduct {
 public:
  void Add(std::uint64_t v, std::uint64_t w) {
    for (int b = 0; b < 8; ++b)
      sums_[b][v >> (8 * b) & 255] ^= w;
  }

  Square Value() const {
    Square r{};
    for (int b = 0; b < 8; ++b)
      for (int x = 1; x < 256; ++x)
        for (int k = 0; k < 8; ++k)
          if ((x >> k & 1) != 0) r[8 * b + k] ^= sums_[b][x];
    return r;
  }

 private:
  std::array<std::array<std::uint64_t, 256>, 8> sums_{};
};

// Threads that run a task in parts, one part each, and spin between tasks:
// a step of the iteration is a few passes of a millisecond or so, too short
// to wake sleeping threads for each.
class Team {
 public:
  explicit Team(int threads) : threads_(threads) {
    for (int part = 1; part < threads; ++part)
      helpers_.emplace_back([this, part] { Serve(part); });
  }
  ~Team() {
    stop_.store(true, std::memory_order_release);
    generation_.fetch_add(1, std::memory_order_release);
  }
  Team(const Team&) = delete;
  Team& operator=(const Team&) = delete;

  int Threads() const { return threads_; }

  // f(begin, end, part) on the parts of [0, n), one a thread.
  template <typename F>
  void Run(int n, F&& f) {
    task_ = [&f, n, this](int part) { f(n * part / threads_, n * (part + 1) / threads_, part); };
    finished_.store(0, std::memory_order_relaxed);
    generation_.fetch_add(1, std::memory_order_release);
    task_(0);
    while (finished_.load(std::memory_order_acquire) != threads_ - 1)
      std::this_thread::yield();
  }

 private:
  void Serve(int part) {
    for (int seen = 0;;) {
      int now;
      while ((now = generation_.load(std::memory_order_acquire)) == seen)
        std::this_thread::yield();
      seen = now;
      if (stop_.load(std::memory_order_acquire)) return;
      task_(part);
      finished_.fetch_add(1, std::memory_order_release);
    }
  }

  int threads_;
  std::function<void(int)> task_;
  std::atomic<int> generation_{0};
  std::atomic<int> finished_{0};
  std::atomic<bool> stop_{false};
  std::vector<std::jthread> helpers_;  // last: joined before the rest goes
};

// A = B^T B on blocks, with the columns split among the threads: each
// scatters B's product into rows of its own, which are then summed.
class SymmetricProduct {
 public:
  SymmetricProduct(const SparseColumns& b, Team& team)
      : b_(b), team_(team), rows_(team.Threads(), Block(b.rows)) {}

  void TimesB(const Block& v, Block& y) {
    team_.Run(b_.Columns(), [&](int begin, int end, int part) {
      Block& rows = rows_[part];
      std::fill(rows.begin(), rows.end(), 0);
      for (int c = begin; c < end; ++c)
        for (std::uint32_t k = b_.starts[c]; k < b_.starts[c + 1]; ++k)
          rows[b_.ones[k]] ^= v[c];
    });
    y = rows_[0];
    team_.Run(b_.rows, [&](int begin, int end, int) {
      for (int p = 1; p < team_.Threads(); ++p)
        for (int r = begin; r < end; ++r)
          y[r] ^= rows_[p][r];
    });
  }

  void TimesA(const Block& v, Block& out) {
    TimesB(v, y_);
    team_.Run(b_.Columns(), [&](int begin, int end, int) {
      for (int c = begin; c < end; ++c) {
        std::uint64_t w = 0;
        for (std::uint32_t k = b_.starts[c]; k < b_.starts[c + 1]; ++k)
          w ^= y_[b_.ones[k]];
        out[c] = w;
      }
    });
  }

 private:
  const SparseColumns& b_;
  Team& team_;
  std::vector<Block> rows_;
  Block y_;
};

// Montgomery's choice of S_i and Winv_i = S_i (S_i^T T S_i)^-1 S_i^T for
// T = V_i^T A V_i: Gauss-Jordan elimination on [T | I], the columns outside
// S_(i-1) first, so that every column left out last time is taken now;
// a column without a pivot in T is cleared by its row in I instead.
struct Choice {
  Square winv;
  std::uint64_t chosen = 0;
};

Choice Choose(const Square& t, std::uint64_t previous) {
  Square left = t;
  Square right = Identity();
  std::array<int, 64> order{};
  int placed = 0;
  for (int c = 0; c < 64; ++c)
    if ((previous >> c & 1) == 0) order[placed++] = c;
  for (int c = 0; c < 64; ++c)
    if ((previous >> c & 1) != 0) order[placed++] = c;
  Choice choice;
  for (int j = 0; j < 64; ++j) {
    const int p = order[j];
    const std::uint64_t bit = std::uint64_t{1} << p;
    const auto pivot = [&](const Square& half) {
      for (int k = j; k < 64; ++k) {
        if ((half[order[k]] & bit) == 0) continue;
        std::swap(left[p], left[order[k]]);
        std::swap(right[p], right[order[k]]);
        return true;
      }
      return false;
    };
    const auto clear = [&](const Square& half) {
      for (int r = 0; r < 64; ++r) {
        if (r == p || (half[r] & bit) == 0) continue;
        left[r] ^= left[p];
        right[r] ^= right[p];
      }
    };
    if (pivot(left)) {
      choice.chosen |= bit;
      clear(left);
    } else {
      [[maybe_unused]] const bool found = pivot(right);  // [T | I] has full rank
      assert(found);
      clear(right);
      left[p] = 0;
      right[p] = 0;
    }
  }
  choice.winv = right;
  return choice;
}

std::uint64_t SplitMix(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9e3779b97f4a7c15);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
  z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
  return z ^ (z >> 31);
}

using Pair = std::array<std::uint64_t, 2>;  // a set of the 128 columns of [X - Y | V_m]

// The null vectors among the columns of z = [X - Y | V_m], from bz = B z:
// each row of bz pivots on one of the columns left, which is added to the
// others with a one there and leaves; what is left B takes to zero. The rows
// of z then pivot in the same way on those, and each pivot column is a null
// vector, independent of the others.
int NullColumns(std::vector<Pair>& bz, std::vector<Pair>& z, Pair& found) {
  Pair alive{kAll, kAll};
  const auto pivotOn = [&](std::vector<Pair>& pivots, bool both) {
    Pair pivoted{};
    for (Pair& row : pivots) {
      const Pair live{row[0] & alive[0], row[1] & alive[1]};
      if ((live[0] | live[1]) == 0) continue;
      const int word = live[0] != 0 ? 0 : 1;
      const std::uint64_t bit = live[word] & (~live[word] + 1);
      Pair others = live;
      others[word] ^= bit;
      const auto add = [&](std::vector<Pair>& rows) {
        for (Pair& r : rows)
          if ((r[word] & bit) != 0) {
            r[0] ^= others[0];
            r[1] ^= others[1];
          }
      };
      if (both) add(bz);
      add(z);
      alive[word] ^= bit;
      pivoted[word] |= bit;
    }
    return pivoted;
  };
  pivotOn(bz, true);
  found = pivotOn(z, false);
  return std::popcount(found[0]) + std::popcount(found[1]);
}

}  // namespace

Outcome BlockLanczos(const SparseColumns& b, int threads, std::uint64_t seed,
                     const std::atomic<bool>* cancel, std::vector<std::uint64_t>& nullVectors,
                     int& count) {
  const int n = b.Columns();
  Team team(threads);
  SymmetricProduct a(b, team);
  Block y(n);
  for (std::uint64_t& w : y)
    w = SplitMix(seed);
  Block v0(n);
  a.TimesA(y, v0);
  Block v = v0, v1(n, 0), v2(n, 0), av(n), next(n), x(n, 0);
  // By thread: V_i^T A V_i, (A V_i)^T A V_i and V_i^T V_0, in one pass.
  std::vector<std::array<InnerProduct, 3>> inner(threads);
  Square winv1{}, winv2{}, t1{}, u1{};
  std::uint64_t chosen1 = kAll;
  // About n / 63.24 steps (Montgomery); more means the iteration is lost.
  const int mostSteps = n / 60 + 20;
  for (int step = 0;; ++step) {
    if (step > mostSteps) return Outcome::Failed;
    if (Stopped(cancel)) return Outcome::Cancelled;
    a.TimesA(v, av);
    team.Run(n, [&](int begin, int end, int part) {
      auto& sums = inner[part];
      sums = {};
      for (int c = begin; c < end; ++c) {
        sums[0].Add(v[c], av[c]);
        sums[1].Add(av[c], av[c]);
        sums[2].Add(v[c], v0[c]);
      }
    });
    Square t{}, u{}, w{};
    for (const auto& sums : inner) {
      t = t + sums[0].Value();
      u = u + sums[1].Value();
      w = w + sums[2].Value();
    }
    if (IsZero(t)) break;
    const Choice choice = Choose(t, chosen1);
    if (choice.chosen == 0 || (choice.chosen | chosen1) != kAll) return Outcome::Failed;
    const Square& winv = choice.winv;
    // X += V_i Winv_i V_i^T V_0, and
    // V_(i+1) = A V_i S_i S_i^T + V_i D_(i+1) + V_(i-1) E_(i+1) + V_(i-2) F_(i+1)
    const ByteTables toX(winv * w);
    const ByteTables d(Identity() + winv * (Masked(u, choice.chosen) + t));
    const ByteTables e(winv1 * Masked(t, choice.chosen));
    const ByteTables f(
        Masked(winv2 * (Identity() + t1 * winv1) * (Masked(u1, chosen1) + t1), choice.chosen));
    team.Run(n, [&](int begin, int end, int) {
      for (int c = begin; c < end; ++c) {
        x[c] ^= toX.Times(v[c]);
        next[c] = (av[c] & choice.chosen) ^ d.Times(v[c]) ^ e.Times(v1[c]) ^ f.Times(v2[c]);
      }
    });
    std::swap(v2, v1);
    std::swap(v1, v);
    std::swap(v, next);
    winv2 = winv1;
    winv1 = winv;
    t1 = t;
    u1 = u;
    chosen1 = choice.chosen;
  }
  for (int c = 0; c < n; ++c)
    x[c] ^= y[c];
  Block bx;
  Block bv;
  a.TimesB(x, bx);
  a.TimesB(v, bv);
  std::vector<Pair> bz(b.rows);
  for (int r = 0; r < b.rows; ++r)
    bz[r] = {bx[r], bv[r]};
  std::vector<Pair> z(n);
  for (int c = 0; c < n; ++c)
    z[c] = {x[c], v[c]};
  Pair found{};
  if (NullColumns(bz, z, found) == 0) return Outcome::Failed;
  std::vector<int> basis;
  for (int k = 0; k < 128 && basis.size() < 64; ++k)
    if ((found[k / 64] >> (k % 64) & 1) != 0) basis.push_back(k);
  nullVectors.assign(n, 0);
  for (int c = 0; c < n; ++c)
    for (std::size_t k = 0; k < basis.size(); ++k)
      nullVectors[c] |= (z[c][basis[k] / 64] >> (basis[k] % 64) & 1) << k;
  count = static_cast<int>(basis.size());
  return Outcome::Found;
}

}  // namespace factoring
