// SPDX-License-Identifier: GPL-3.0-or-later
// The words for a running prime-factor search and for the proof of its
// factors.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "SpecialFunctions.h"

// What the search is doing, how far it has come, how long it has taken and,
// where known, about how long is left, and that Esc cancels it (UTF-8).
std::string BusyLineText(const FactorProgress::Reading& reading,
                         std::chrono::duration<double> elapsed,
                         std::optional<std::chrono::duration<double>> left = std::nullopt);

// The sieve's time left, from its rate. The full relations come at a steady
// rate; the cycles of partials come faster and faster, as a power of the
// sieve's time whose exponent is read over the latter half of it and grows.
// The end they foretell is smoothed over a sixteenth of the time sieved.
class TimeLeft {
 public:
  // A reading taken `elapsed` into the search.
  void Observe(const FactorProgress::Reading& reading, std::chrono::duration<double> elapsed);
  // Once a tenth of the relations is in, and while the sieve runs.
  std::optional<std::chrono::duration<double>> Left() const;

 private:
  struct Sample {
    double seconds;  // since the sieve started
    double full;
    double cycles;
  };

  const Sample* SampleFrom(double seconds, const Sample& now) const;
  std::optional<double> ForetoldEnd(const Sample& now, int needed) const;

  std::optional<double> sieveStart_;
  std::vector<Sample> samples_;  // each a tenth later than the one before
  std::optional<double> end_;    // smoothed, in seconds since the sieve started
  double now_ = 0;
  bool sieving_ = false;
};

// Where the proof of an answer's prime factors stands.
struct ProofState {
  enum class Stage { Proving, Proven, NotProven };
  Stage stage = Stage::Proving;
  int done = 0;   // factors proven so far
  int total = 0;  // the answer's distinct factors
  double seconds = 0;
};

// The proof's stage in words: how many factors are proven while it runs,
// its time once every factor is, or that they stand unproven (UTF-8).
std::string ProofText(const ProofState& state);
