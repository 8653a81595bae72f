// SPDX-License-Identifier: GPL-3.0-or-later
// The words for a running prime-factor search and for the proof of its
// factors.
#pragma once

#include <chrono>
#include <string>

#include "SpecialFunctions.h"

// What the search is doing, how far it has come and how long it has taken,
// and that Esc cancels it (UTF-8).
std::string BusyLineText(const FactorProgress::Reading& reading,
                         std::chrono::duration<double> elapsed);

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
