// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "factoring/Methods.h"
#include "support/Primes.h"
#include "support/RandomDigits.h"
#include "support/Records.h"

namespace {

// Whole levels of 30, 74, 221, 453 and 984 curves for 15 to 35 digits, and
// between two levels the next one's share.
TEST(Curves, CountsWholeLevelsAndAShareOfTheNext) {
  const std::pair<double, int> cases[] = {
      {10, 20}, {15, 30}, {17.5, 67}, {20, 104}, {30, 778}, {100 / 3.0, 1434}, {35, 1762},
  };
  for (const auto& [digits, curves] : cases)
    EXPECT_EQ(factoring::CurvesForFactorsOf(digits), curves) << digits;
}

// The progress of a level cut short counts against the curves it runs.
TEST(Curves, ProgressOfALevelCutShort) {
  RandomDigits random(14);
  const std::string n = ProductOf({RandomPrime(random, 40), RandomPrime(random, 40)});
  for (const auto& [most, total] : std::vector<std::pair<int, int>>{{40, 10}, {31, 1}}) {
    FactorProgress progress;
    modular::Natural factor;
    EXPECT_EQ(factoring::Curves(modular::FromWide(wide::FromRecord(Record(n))), most, factor,
                                {nullptr, 1, &progress}),
              factoring::Outcome::Failed);
    EXPECT_EQ(progress.Read().digits, 20);
    EXPECT_EQ(progress.Read().total, total) << most;
  }
}

}  // namespace
