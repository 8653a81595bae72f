// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <unordered_map>
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
    std::vector<std::vector<int>> tree(vertices);  // indices into edges_
    for (int e = 0; e < static_cast<int>(edges_.size()); ++e) {
      if (edges_[e].closes) continue;
      tree[edges_[e].u].push_back(e);
      tree[edges_[e].v].push_back(e);
    }
    std::vector<int> depth(vertices, -1);
    std::vector<int> up(vertices, -1);  // the edge to the parent
    std::vector<int> pending;
    for (int start = 0; start < vertices && !Stopped(cancel); ++start) {
      if (depth[start] >= 0) continue;
      depth[start] = 0;
      pending.assign(1, start);
      while (!pending.empty()) {
        const int at = pending.back();
        pending.pop_back();
        for (const int e : tree[at]) {
          const int next = edges_[e].u == at ? edges_[e].v : edges_[e].u;
          if (depth[next] >= 0) continue;
          depth[next] = depth[at] + 1;
          up[next] = e;
          pending.push_back(next);
        }
      }
    }
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

  int Vertex(std::uint32_t prime) {
    const auto [at, added] = vertexOf_.try_emplace(prime, static_cast<int>(parent_.size()));
    if (added) parent_.push_back(at->second);
    return at->second;
  }

  int Root(int v) {
    while (parent_[v] != v) {
      parent_[v] = parent_[parent_[v]];
      v = parent_[v];
    }
    return v;
  }

  std::unordered_map<std::uint32_t, int> vertexOf_;
  std::vector<int> parent_;  // union-find over the vertices
  std::vector<Edge> edges_;
};

}  // namespace factoring
