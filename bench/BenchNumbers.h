// SPDX-License-Identifier: GPL-3.0-or-later
// Operands for the benchmarks: fixed-seed digits and runs of nines.
#pragma once

#include <random>
#include <string>

#include "BigNumber.h"

inline std::string RandomDigits(int length, unsigned seed) {
  std::mt19937 engine(seed);
  std::uniform_int_distribution<int> digit(1, 9);
  std::string digits;
  for (int i = 0; i < length; ++i)
    digits += static_cast<char>('0' + digit(engine));
  return digits;
}

inline TBigNumber RecordOf(const std::string& digits) {
  TBigNumber x;
  for (std::size_t i = 0; i < digits.size(); ++i)
    x.Digits[i + 1] = digits[i] - '0';
  x.Len = static_cast<std::int32_t>(digits.size());
  return x;
}
