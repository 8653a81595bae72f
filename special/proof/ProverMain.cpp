// SPDX-License-Identifier: GPL-3.0-or-later
// The prover's own process: PARI/GP's library proves each number it reads
// prime by elliptic curves. It reads decimal numbers, one a line, and
// writes for each its certificate's steps (Certificate.h's lines), then a
// line "end", or the line "composite". The window runs it apart from
// itself, so that stopping a proof is ending the process, at once.
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

// The certificate's steps as lines "N t s a x y".
void WriteCertificate(GEN certificate) {
  for (long k = 1; k < lg(certificate); ++k) {
    const GEN step = gel(certificate, k);
    const GEN point = gel(step, 5);
    std::cout << Text(gel(step, 1)) << ' ' << Text(gel(step, 2)) << ' ' << Text(gel(step, 3)) << ' '
              << Text(gel(step, 4)) << ' ' << Text(gel(point, 1)) << ' ' << Text(gel(point, 2))
              << '\n';
  }
  std::cout << "end" << std::endl;
}

}  // namespace

int main(int argc, char** argv) {
  // The library's stack starts small and grows as the proof needs, within a
  // bound; its table of small primes is the one gp starts with.
  constexpr std::size_t kStack = std::size_t{64} << 20;
  constexpr std::size_t kMostStack = std::size_t{1} << 30;
  pari_init_opts(kStack, 500000, INIT_JMPm | INIT_DFTm);
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
    const GEN certificate = primecert(n, 0);
    if (typ(certificate) == t_VEC && lg(certificate) > 1) {
      WriteCertificate(certificate);
    } else {
      std::cout << "composite" << std::endl;
    }
    set_avma(top);
  }
  pari_close();
  return 0;
}
