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
  const double weight = 1 - std::exp(-step / std::max(3.0, now.seconds / 16));
  *end_ += weight * (*end - *end_);
}

std::optional<std::chrono::duration<double>> TimeLeft::Left() const {
  if (!sieving_ || !end_) return std::nullopt;
  return std::chrono::duration<double>(std::max(0.0, *end_ - now_));
}

// The sample at or just after `seconds`, or none before `now`.
const TimeLeft::Sample* TimeLeft::SampleFrom(double seconds, const Sample& now) const {
  const auto at = std::find_if(samples_.begin(), samples_.end(),
                               [&](const Sample& s) { return s.seconds >= seconds; });
  return at == samples_.end() || at->seconds >= now.seconds ? nullptr : &*at;
}

// The time T at which F(T) + C(T) reaches the relations needed: F the full
// relations, on at their rate over the latter half of the time; C the
// cycles, with ln C a parabola in ln T: its bend from the change of the
// exponent read over the latter half and over the quarter before, its
// slope now that exponent carried on by the bend from the half's middle.
std::optional<double> TimeLeft::ForetoldEnd(const Sample& now, int needed) const {
  const Sample* half = SampleFrom(now.seconds / 2, now);
  if (half == nullptr) return std::nullopt;
  const auto exponent = [](const Sample& from, const Sample& to) {
    return std::log(to.cycles / from.cycles) / std::log(to.seconds / from.seconds);
  };
  const double rate = (now.full - half->full) / (now.seconds - half->seconds);
  // Too few cycles to read an exponent: 2, what they show at first.
  double slope = 2;
  double bend = 0;
  if (half->cycles >= 8) {
    const double latter = exponent(*half, now);
    const double span = std::log(now.seconds / half->seconds);
    const Sample* quarter = SampleFrom(now.seconds / 4, *half);
    if (quarter != nullptr && quarter->cycles >= 8)
      bend = std::clamp((latter - exponent(*quarter, *half)) / span, 0.0, 4.0);
    slope = std::clamp(latter + bend * span / 2, 1.0, 5.0);
  }
  const auto found = [&](double t) {
    const double u = std::log(t / now.seconds);
    return now.full + rate * (t - now.seconds) +
           now.cycles * std::exp(slope * u + bend * u * u / 2);
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
