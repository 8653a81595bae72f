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

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f s", seconds < 10 ? 1 : 0, seconds);
  return text;
}

}  // namespace

std::string BusyLineText(const FactorProgress::Reading& reading,
                         std::chrono::duration<double> elapsed) {
  return Doing(reading) + " \u00b7 " + Seconds(elapsed.count()) + " \u00b7 Esc cancels";
}

std::string ProofText(const ProofState& state) {
  switch (state.stage) {
    case ProofState::Stage::Proving:
      return "proving the factors prime: " + std::to_string(state.done) + " of " +
             std::to_string(state.total) + " \u00b7 Esc stops";
    case ProofState::Stage::Proven:
      return "every factor proven prime \u00b7 " + Seconds(state.seconds);
    case ProofState::Stage::NotProven:
      return "probable primes (Baillie\u2013PSW), not proven";
  }
  return {};
}
