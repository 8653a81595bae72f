// SPDX-License-Identifier: GPL-3.0-or-later
// Primality certificates: a chain of steps, each reducing a prime N to a
// smaller one q, down to one below 2^64 that a deterministic test proves.
// A step is by elliptic curves (Atkin and Morain's ECPP, as PARI/GP's
// primecert writes them) or by Pocklington's theorem on N - 1. The checker
// shares nothing with the prover that made the certificate but the
// arithmetic.
#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "Modular.h"

namespace proof {

// The curve y^2 = x^3 + a x + b mod N through the point (x, y), its count
// of points m = N + 1 - t, and m = s q.
struct CurveStep {
  modular::Natural t;  // the magnitude of t
  bool tNegative = false;
  modular::Natural s;
  modular::Natural a;
  modular::Natural x;
  modular::Natural y;
};

// The witness a and the primes of a part F of N - 1 with (F + 1)^2 > N,
// each dividing N - 1 as often as it may: all but the last below 2^64; the
// last is q.
struct PocklingtonStep {
  modular::Natural a;
  std::vector<modular::Natural> primes;
};

struct Step {
  modular::Natural n;
  std::variant<CurveStep, PocklingtonStep> by;
};

using Certificate = std::vector<Step>;

inline constexpr std::size_t kMostPrimes = 512;

// The steps from text, one a line, in decimal, blank-separated: by curves
// N, t, s, a, x and y, t with an optional "-"; by Pocklington's theorem
// "pocklington", N, a and the primes, at most kMostPrimes of them. nullopt
// for anything else, for more than `mostSteps` steps, or for numbers of
// more than 500 digits.
std::optional<Certificate> ParseCertificate(std::string_view text, std::size_t mostSteps = 4096);

// The same steps as text, as ParseCertificate reads them.
std::string CertificateText(const Certificate& certificate);

enum class Verdict { Proven, Refused, Cancelled };

// Whether the certificate proves n prime: its first step is for n, each
// next step for the last one's q, every step satisfies its theorem
// (Goldwasser and Kilian's as Atkin and Morain use it, or Pocklington's),
// and the last q is below 2^64 and prime. Steps are checked on `threads` threads; Cancelled soon
// after `cancel` turns true.
Verdict Check(const modular::Natural& n, const Certificate& certificate, int threads = 1,
              const std::atomic<bool>* cancel = nullptr);

}  // namespace proof
