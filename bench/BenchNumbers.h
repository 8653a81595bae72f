// SPDX-License-Identifier: GPL-3.0-or-later
// Operands for the benchmarks: fixed-seed digits, runs of nines, and the
// named numbers of a list.
#pragma once

#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

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

// The lines "name number" of the file at `path`, but for blank lines and
// those that begin with '#'.
inline std::vector<std::pair<std::string, std::string>> NamedNumbers(const char* path) {
  std::vector<std::pair<std::string, std::string>> named;
  std::ifstream list(path);
  for (std::string line; std::getline(list, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string name, number;
    fields >> name >> number;
    named.emplace_back(name, number);
  }
  return named;
}
