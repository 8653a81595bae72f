// SPDX-License-Identifier: GPL-3.0-or-later
#include "Progress.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string Doing(const FactorProgress::Reading& reading) {
  switch (reading.phase) {
    case FactorPhase::Starting:
      return "looking for factors";
    case FactorPhase::Curves:
      return "curves for factors up to " + std::to_string(reading.digits) +
             " digits: " + std::to_string(reading.done) + " of " + std::to_string(reading.total);
    case FactorPhase::Sieving: {
      const int percent = reading.total > 0 ? std::min(99, 100 * reading.done / reading.total) : 0;
      return "sieving: " + std::to_string(percent) + "% of the relations";
    }
    case FactorPhase::Combining:
      return "combining the relations";
  }
  return {};
}

}  // namespace

std::string BusyLineText(const FactorProgress::Reading& reading,
                         std::chrono::duration<double> elapsed) {
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.*f s", elapsed.count() < 10 ? 1 : 0, elapsed.count());
  return Doing(reading) + " \u00b7 " + seconds + " \u00b7 Esc cancels";
}
