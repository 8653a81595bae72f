// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <numeric>
#include <vector>

#include "Methods.h"

namespace factoring {

// The sieve's partials as a graph: every large prime is a vertex, as is 1,
// and every partial an edge between its two large primes (1 and p for a
// partial with one). The partials along a cycle have each large prime an
// even number of times.
// An edge between two vertices that are already connected closes a new,
// independent cycle; the others make a spanning forest.
class LargePrimeGraph {
 public:
  using Cycle = std::vector<std::int32_t>;  // the relations along it

  // The edge of relation `index` between large[0] and large[1]; true when it
  // closes a cycle.
  bool Add(const std::array<std::uint32_t, 2>& large, std::int32_t index) {
    const int u = Vertex(large[0]);
    const int v = Vertex(large[1]);
    const int ru = Root(u);
    const int rv = Root(v);
    edges_.push_back({u, v, index, ru == rv});
    if (ru != rv) parent_[ru] = rv;
    return ru == rv;
  }

  std::size_t Edges() const { return edges_.size(); }

  // The relations of every cycle closed so far: the closing edge and the
  // forest's paths from its two ends up to where they meet. Cut short by a
  // cancel.
  std::vector<Cycle> Cycles(const std::atomic<bool>* cancel = nullptr) const {
    const int vertices = static_cast<int>(parent_.size());
    std::vector<int> depth(vertices, -1);
    std::vector<int> up(vertices, -1);  // the edge to the parent
    Walk(ForestByVertex(), depth, up, cancel);
    std::vector<Cycle> cycles;
    for (const Edge& closing : edges_) {
      if (!closing.closes || Stopped(cancel)) continue;
      Cycle cycle{closing.relation};
      for (int a = closing.u, b = closing.v; a != b;) {
        int& deeper = depth[a] >= depth[b] ? a : b;
        const Edge& step = edges_[up[deeper]];
        cycle.push_back(step.relation);
        deeper = step.u == deeper ? step.v : step.u;
      }
      cycles.push_back(std::move(cycle));
    }
    return cycles;
  }

 private:
  struct Edge {
    int u;
    int v;
    std::int32_t relation;
    bool closes;
  };

  // The forest's edges by vertex, one array for them all: vertex v's are
  // incident[first[v]] to incident[first[v + 1] - 1].
  struct Forest {
    std::vector<int> first;
    std::vector<int> incident;
  };

  Forest ForestByVertex() const {
    Forest forest{std::vector<int>(parent_.size() + 1, 0), {}};
    std::vector<int>& first = forest.first;
    for (const Edge& edge : edges_) {
      if (edge.closes) continue;
      ++first[edge.u + 1];
      ++first[edge.v + 1];
    }
    std::partial_sum(first.begin(), first.end(), first.begin());
    forest.incident.resize(first.back());
    std::vector<int> filled(first.begin(), first.end() - 1);
    for (int e = 0; e < static_cast<int>(edges_.size()); ++e) {
      if (edges_[e].closes) continue;
      forest.incident[filled[edges_[e].u]++] = e;
      forest.incident[filled[edges_[e].v]++] = e;
    }
    return forest;
  }

  // Each vertex's depth in its tree and the edge up to its parent, by a
  // walk from each tree's first vertex; cut short by a cancel.
  void Walk(const Forest& forest, std::vector<int>& depth, std::vector<int>& up,
            const std::atomic<bool>* cancel) const {
    std::vector<int> pending;
    for (int start = 0; start < static_cast<int>(depth.size()) && !Stopped(cancel); ++start) {
      if (depth[start] >= 0) continue;
      depth[start] = 0;
      pending.assign(1, start);
      while (!pending.empty()) {
        const int at = pending.back();
        pending.pop_back();
        for (int k = forest.first[at]; k < forest.first[at + 1]; ++k) {
          const int e = forest.incident[k];
          const int next = edges_[e].u == at ? edges_[e].v : edges_[e].u;
          if (depth[next] >= 0) continue;
          depth[next] = depth[at] + 1;
          up[next] = e;
          pending.push_back(next);
        }
      }
    }
  }

  struct Slot {
    std::uint32_t prime = 0;
    int vertex = 0;
  };

  // The vertex of a large prime, added when new: an open-addressing table
  // of (prime, vertex) pairs, at most half full, 0 marking a free slot
  // (no large prime is 0): a tenth of a node-based map's memory.
  int Vertex(std::uint32_t prime) {
    if (2 * (parent_.size() + 1) > slots_.size()) Grow();
    Slot& slot = SlotOf(prime);
    if (slot.prime == 0) {
      slot = {prime, static_cast<int>(parent_.size())};
      parent_.push_back(slot.vertex);
    }
    return slot.vertex;
  }

  // The slot that holds `prime`, or the free one where it goes.
  Slot& SlotOf(std::uint32_t prime) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = (prime * 0x9e3779b97f4a7c15ULL >> 20) & mask;
    while (slots_[at].prime != 0 && slots_[at].prime != prime)
      at = (at + 1) & mask;
    return slots_[at];
  }

  void Grow() {
    std::vector<Slot> old(std::max<std::size_t>(64, 2 * slots_.size()));
    old.swap(slots_);
    for (const Slot& slot : old)
      if (slot.prime != 0) SlotOf(slot.prime) = slot;
  }

  int Root(int v) {
    while (parent_[v] != v) {
      parent_[v] = parent_[parent_[v]];
      v = parent_[v];
    }
    return v;
  }

  std::vector<Slot> slots_;  // the vertex of each large prime
  std::vector<int> parent_;  // union-find over the vertices
  std::vector<Edge> edges_;
};

}  // namespace factoring
