// SPDX-License-Identifier: GPL-3.0-or-later
#include "Progress.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <vector>

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

TEST(BusyLineText, RoundsTheTimeLeft) {
  const FactorProgress::Reading sieving{FactorPhase::Sieving, 82, 200, 0};
  const struct {
    double left;
    const char* words;
  } rows[] = {
      {1.2, "5 s"}, {37.4, "35 s"}, {89, "90 s"}, {1000, "17 min"}, {8000, "2 h 13 min"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(BusyLineText(sieving, std::chrono::duration<double>(10.4),
                           std::chrono::duration<double>(row.left)),
              std::string("sieving: 41% of the relations \u00b7 10 s \u00b7 about ") + row.words +
                  " left \u00b7 Esc cancels");
}

// A recorded sieve of an 80-digit number, read as the window reads it: no
// estimate before a tenth of the relations nor once combining; from a fifth
// on, the foretold end within a quarter of the true one, and never moving
// by more than a twentieth between two readings.
TEST(TimeLeft, ForetellsTheEndOfARecordedSieve) {
  std::ifstream file(QUORVEX_TRACES "/sieve-80-digits.txt");
  std::vector<std::pair<double, FactorProgress::Reading>> readings;
  for (std::string line; std::getline(file, line);) {
    if (line.front() == '#') continue;
    std::istringstream fields(line);
    double seconds = 0;
    int phase = 0;
    FactorProgress::Reading reading;
    fields >> seconds >> phase >> reading.done >> reading.cycles >> reading.total;
    reading.phase = static_cast<FactorPhase>(phase);
    readings.emplace_back(seconds, reading);
  }
  ASSERT_GT(readings.size(), 40u);
  double end = 0;
  for (const auto& [seconds, reading] : readings)
    if (end == 0 && reading.phase == FactorPhase::Combining) end = seconds;
  ASSERT_GT(end, 0);
  TimeLeft timeLeft;
  double foretold = 0;
  for (const auto& [seconds, reading] : readings) {
    timeLeft.Observe(reading, std::chrono::duration<double>(seconds));
    const auto left = timeLeft.Left();
    const bool sieving = reading.phase == FactorPhase::Sieving;
    if (!sieving || 10 * reading.done < reading.total) {
      EXPECT_FALSE(left.has_value()) << seconds;
      continue;
    }
    ASSERT_TRUE(left.has_value()) << seconds;
    const double next = seconds + left->count();
    if (5 * reading.done >= reading.total) {
      EXPECT_LT(std::abs(next - end), end / 4) << seconds;
    }
    if (foretold > 0) {
      EXPECT_LT(std::abs(next - foretold), foretold / 20) << seconds;
    }
    foretold = next;
  }
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
