// SPDX-License-Identifier: GPL-3.0-or-later
#include "Progress.h"

#include <gtest/gtest.h>

namespace {

TEST(BusyLineText, WordsEachPhase) {
  using std::chrono::duration;
  const struct {
    FactorProgress::Reading reading;
    double seconds;
    const char* text;
  } rows[] = {
      {{FactorPhase::Starting, 0, 0, 0},
       0.04,
       "looking for factors \u00b7 0.0 s \u00b7 Esc cancels"},
      {{FactorPhase::Curves, 12, 74, 20},
       9.96,
       "curves for factors up to 20 digits: 12 of 74 \u00b7 10.0 s \u00b7 Esc cancels"},
      {{FactorPhase::Sieving, 82, 200, 0},
       10.4,
       "sieving: 41% of the relations \u00b7 10 s \u00b7 Esc cancels"},
      {{FactorPhase::Sieving, 200, 200, 0},
       61,
       "sieving: 99% of the relations \u00b7 61 s \u00b7 Esc cancels"},
      {{FactorPhase::Sieving, 0, 0, 0},
       1,
       "sieving: 0% of the relations \u00b7 1.0 s \u00b7 Esc cancels"},
      {{FactorPhase::Combining, 0, 0, 0},
       725.5,
       "combining the relations \u00b7 726 s \u00b7 Esc cancels"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(BusyLineText(row.reading, duration<double>(row.seconds)), row.text);
}

TEST(ProofText, WordsEachStage) {
  using Stage = ProofState::Stage;
  EXPECT_EQ(ProofText({Stage::Proving, 2, 3, 0.4}),
            "proving the factors prime: 2 of 3 \u00b7 Esc stops");
  EXPECT_EQ(ProofText({Stage::Proven, 3, 3, 0.83}), "every factor proven prime \u00b7 0.8 s");
  EXPECT_EQ(ProofText({Stage::NotProven, 1, 3, 12.6}),
            "probable primes (Baillie\u2013PSW), not proven");
}

}  // namespace
