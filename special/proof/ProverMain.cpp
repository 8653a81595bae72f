// SPDX-License-Identifier: GPL-3.0-or-later
// The prover's own process: it proves each number it reads prime, by
// Pocklington's theorem while N - 1 is factored far enough by trial
// division, and then by elliptic curves (PARI/GP's library). It reads
// decimal numbers, one a line, and writes for each its certificate's steps
// (Certificate.h's lines), then a line "end", or the line "composite".
// The window runs it apart from itself, so that stopping a proof is ending
// the process, at once.
// "--threads N" sets the threads the library may use (default: all).
#include <pari/pari.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

namespace {

std::string Text(GEN x) {
  char* text = GENtostr(x);
  std::string copy(text);
  pari_free(text);
  return copy;
}

// The curves' steps as lines "N t s a x y"; empty for a composite.
std::string CurveLines(GEN n) {
  const GEN certificate = primecert(n, 0);
  std::string lines;
  if (typ(certificate) != t_VEC) return lines;
  for (long k = 1; k < lg(certificate); ++k) {
    const GEN step = gel(certificate, k);
    const GEN point = gel(step, 5);
    lines += Text(gel(step, 1)) + ' ' + Text(gel(step, 2)) + ' ' + Text(gel(step, 3)) + ' ' +
             Text(gel(step, 4)) + ' ' + Text(gel(point, 1)) + ' ' + Text(gel(point, 2)) + '\n';
  }
  return lines;
}

// Trial division of N - 1 runs over the primes of the library's table.
constexpr ulong kPrimeTable = 500000;
constexpr long kMostWitnesses = 1000;

// The smallest a for which a^(N-1) = 1 and each a^((N-1)/p) - 1 is prime
// to N, or 0. For a prime N only a p-th power residue makes an a fail, so
// an a that shows N composite ends the search; squares (Jacobi symbol 1)
// fail p = 2 and are passed over at once (all a below 163 for 154! + 1).
long Witness(GEN n, GEN primes) {
  const GEN nMinusOne = subiu(n, 1);
  for (long a = 2; a < kMostWitnesses; ++a) {
    if (krosi(a, n) == 1) continue;
    const pari_sp top = avma;
    if (!equali1(Fp_pow(stoi(a), nMinusOne, n))) return 0;
    bool holds = true;
    for (long k = 1; holds && k < lg(primes); ++k) {
      const GEN power = Fp_pow(stoi(a), diviiexact(nMinusOne, gel(primes, k)), n);
      const GEN divisor = gcdii(subiu(power, 1), n);
      if (!equali1(divisor) && !equalii(divisor, n)) return 0;
      holds = equali1(divisor);
    }
    set_avma(top);
    if (holds) return a;
  }
  return 0;
}

// (F + 1)^2 > N: then every prime of N, being 1 modulo F, exceeds sqrt(N).
bool LargeEnough(GEN part, GEN n) {
  return cmpii(sqri(addiu(part, 1)), n) > 0;
}

// Pocklington's theorem: N is prime if N - 1 has a part F with
// (F + 1)^2 > N whose primes p are known, and a^(N-1) = 1 with
// a^((N-1)/p) - 1 prime to N for each. The step's primes: those of the
// table that divide N - 1, then the cofactor q where it is a probable prime
// needed for F, which the next step proves. The line
// "pocklington N a p1 ... pk", or empty.
std::string PocklingtonLine(GEN n, GEN& q) {
  const GEN nMinusOne = subiu(n, 1);
  const GEN factors = Z_factor_limit(nMinusOne, kPrimeTable);
  GEN primes = gel(factors, 1);
  long count = lg(primes) - 1;
  for (long k = 1; k < count; ++k)
    if (cmpiu(gel(primes, k), kPrimeTable) > 0) return {};
  const GEN last = gel(primes, count);
  if (cmpiu(last, kPrimeTable) > 0) {
    const GEN rest = powiu(last, itou(gmael(factors, 2, count)));
    if (LargeEnough(diviiexact(nMinusOne, rest), n)) {
      --count;
    } else if (!BPSW_psp(last)) {
      return {};
    }
  }
  primes = vecslice(primes, 1, count);
  const long a = Witness(n, primes);
  if (a == 0) return {};
  q = gel(primes, count);
  std::string line = "pocklington " + Text(n) + ' ' + std::to_string(a);
  for (long k = 1; k <= count; ++k)
    line += ' ' + Text(gel(primes, k));
  return line + '\n';
}

// n's certificate: Pocklington's steps while they serve, then the curves';
// empty for a composite.
std::string CertificateLines(GEN n) {
  GEN q = nullptr;
  const std::string line = PocklingtonLine(n, q);
  if (!line.empty()) {
    if (expi(q) < 64) return line;  // the checker's own test proves q
    const std::string rest = CertificateLines(q);
    if (!rest.empty()) return line + rest;
  }
  return CurveLines(n);
}

}  // namespace

int main(int argc, char** argv) {
  // The library's stack starts small and grows as the proof needs, within a
  // bound; its table of small primes is the one gp starts with.
  constexpr std::size_t kStack = std::size_t{64} << 20;
  constexpr std::size_t kMostStack = std::size_t{1} << 30;
  pari_init_opts(kStack, kPrimeTable, INIT_JMPm | INIT_DFTm);
  paristack_setsize(kStack, kMostStack);
  if (argc == 3 && std::strcmp(argv[1], "--threads") == 0)
    setdefault("nbthreads", argv[2], d_SILENT);
  for (std::string line; std::getline(std::cin, line);) {
    if (line.empty() || line.find_first_not_of("0123456789") != std::string::npos) {
      std::cout << "composite" << std::endl;
      continue;
    }
    const pari_sp top = avma;
    const GEN n = strtoi(line.c_str());
    const std::string lines = CertificateLines(n);
    std::cout << (lines.empty() ? "composite" : lines + "end") << std::endl;
    set_avma(top);
  }
  pari_close();
  return 0;
}
