// SPDX-License-Identifier: GPL-3.0-or-later
#include "Progress.h"

#include <algorithm>
#include <cmath>
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

// Seconds to the next 5 below a minute and a half, minutes to two hours,
// then hours and minutes.
std::string RoughTime(double seconds) {
  if (seconds < 90) return std::to_string(5 * std::max(1L, std::lround(seconds / 5))) + " s";
  const long minutes = std::lround(seconds / 60);
  if (minutes < 120) return std::to_string(minutes) + " min";
  return std::to_string(minutes / 60) + " h " + std::to_string(minutes % 60) + " min";
}

}  // namespace

std::string BusyLineText(const FactorProgress::Reading& reading,
                         std::chrono::duration<double> elapsed,
                         std::optional<std::chrono::duration<double>> left) {
  std::string text = Doing(reading) + " \u00b7 " + Seconds(elapsed.count());
  if (left) text += " \u00b7 about " + RoughTime(left->count()) + " left";
  return text + " \u00b7 Esc cancels";
}

void TimeLeft::Observe(const FactorProgress::Reading& reading,
                       std::chrono::duration<double> elapsed) {
  sieving_ = reading.phase == FactorPhase::Sieving && reading.total > 0;
  if (!sieving_) return;
  if (!sieveStart_) sieveStart_ = elapsed.count();
  const Sample now{elapsed.count() - *sieveStart_,
                   static_cast<double>(reading.done - reading.cycles),
                   static_cast<double>(reading.cycles)};
  if (samples_.empty() || now.seconds >= 1.1 * samples_.back().seconds) samples_.push_back(now);
  const double step = now.seconds - now_;
  now_ = now.seconds;
  if (10 * reading.done < reading.total) return;
  const std::optional<double> end = ForetoldEnd(now, reading.total);
  if (!end) return;
  if (!end_) {
    end_ = end;
    return;
  }
  const double weight = 1 - std::exp(-step / std::max(1.0, now.seconds / 8));
  *end_ += weight * (*end - *end_);
}

std::optional<std::chrono::duration<double>> TimeLeft::Left() const {
  if (!sieving_ || !end_) return std::nullopt;
  return std::chrono::duration<double>(std::max(0.0, *end_ - now_));
}

// The time T at which F(T) + C(T) reaches the relations needed: F the full
// relations, on at their rate over the latter half of the time, C the
// cycles, C(t) (T / t)^k with k read over the same half.
std::optional<double> TimeLeft::ForetoldEnd(const Sample& now, int needed) const {
  const auto half = std::find_if(samples_.begin(), samples_.end(),
                                 [&](const Sample& s) { return s.seconds >= now.seconds / 2; });
  if (half == samples_.end() || half->seconds >= now.seconds) return std::nullopt;
  const double span = now.seconds - half->seconds;
  const double rate = (now.full - half->full) / span;
  // Too few cycles to read an exponent: 2, what they show at first.
  const double power =
      half->cycles < 8
          ? 2.0
          : std::clamp(std::log(now.cycles / half->cycles) / std::log(now.seconds / half->seconds),
                       1.0, 4.0);
  const auto found = [&](double t) {
    return now.full + rate * (t - now.seconds) + now.cycles * std::pow(t / now.seconds, power);
  };
  double low = now.seconds;
  double high = 2 * now.seconds;
  while (found(high) < needed) {
    if (high > 1000 * now.seconds) return std::nullopt;
    low = high;
    high *= 2;
  }
  for (int k = 0; k < 40; ++k) {
    const double middle = (low + high) / 2;
    (found(middle) < needed ? low : high) = middle;
  }
  return high;
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
