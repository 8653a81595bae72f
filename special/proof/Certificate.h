// SPDX-License-Identifier: GPL-3.0-or-later
// Primality certificates by elliptic curves (Atkin and Morain's ECPP, as
// PARI/GP's primecert writes them) and their checker. A certificate is a
// chain of steps, each reducing a prime N to a smaller one q, down to one
// below 2^64 that a deterministic test proves. The checker shares nothing
// with the prover that made the certificate but the arithmetic.
#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Modular.h"

namespace proof {

// One step for N: the curve y^2 = x^3 + a x + b mod N through the point
// (x, y), its count of points m = N + 1 - t, and m = s q for the next N, q.
struct Step {
  modular::Natural n;
  modular::Natural t;  // the magnitude of t
  bool tNegative = false;
  modular::Natural s;
  modular::Natural a;
  modular::Natural x;
  modular::Natural y;
};

using Certificate = std::vector<Step>;

// The steps from text, one a line: N, t, s, a, x and y in decimal, blank-
// separated, t with an optional "-"; nullopt for anything else, for more
// than `mostSteps` steps, or for numbers of more than 500 digits.
std::optional<Certificate> ParseCertificate(std::string_view text, std::size_t mostSteps = 4096);

// The same steps as text, as ParseCertificate reads them.
std::string CertificateText(const Certificate& certificate);

enum class Verdict { Proven, Refused, Cancelled };

// Whether the certificate proves n prime: its first step is for n, each
// next step for the last one's q, every step satisfies the theorem of
// Goldwasser and Kilian as Atkin and Morain use it, and the last q is below
// 2^64 and prime. Steps are checked on `threads` threads; Cancelled soon
// after `cancel` turns true.
Verdict Check(const modular::Natural& n, const Certificate& certificate, int threads = 1,
              const std::atomic<bool>* cancel = nullptr);

}  // namespace proof
