// SPDX-License-Identifier: GPL-3.0-or-later
// Perfect powers are taken apart before the curves, which find the prime of
// a power slowly.
#include "Methods.h"

namespace factoring {

bool PerfectPowerRoot(const modular::Natural& n, modular::Natural& root) {
  const wide::Number value = modular::ToWide(n);
  for (int k = 2; k <= modular::BitLength(n) / 16; ++k) {
    bool prime = true;
    for (int d = 2; d * d <= k; ++d)
      prime = prime && k % d != 0;
    if (!prime) continue;
    wide::Number r;
    if (wide::ExactRoot(value, k, r)) {
      root = modular::FromWide(r);
      return true;
    }
  }
  return false;
}

}  // namespace factoring
