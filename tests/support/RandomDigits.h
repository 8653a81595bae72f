// SPDX-License-Identifier: GPL-3.0-or-later
// Seeded random digit strings for the differential tests: well-formed numbers
// of a given length, with runs of 9s and 0s often enough to exercise carries.
#pragma once

#include <cstdint>
#include <random>
#include <string>

class RandomDigits {
 public:
  explicit RandomDigits(std::uint64_t seed) : engine_(seed) {}

  // A number of exactly `length` digits (length >= 1), without a leading zero
  // unless it is the single digit 0.
  std::string OfLength(int length) {
    std::string digits(static_cast<std::size_t>(length), '0');
    const int style = Between(0, 3);  // 0: uniform, 1: mostly 9s, 2: mostly 0s, 3: blocks
    char block = '0';
    for (auto& digit : digits) {
      if (style == 3 && Between(0, 7) == 0) block = static_cast<char>('0' + Between(0, 9));
      const bool plain = Between(0, 9) == 0;
      digit = style == 0 || plain ? static_cast<char>('0' + Between(0, 9))
              : style == 1        ? '9'
              : style == 2        ? '0'
                                  : block;
    }
    if (length > 1 && digits[0] == '0') digits[0] = static_cast<char>('0' + Between(1, 9));
    return digits;
  }

  // A number of 1 to maxLength digits.
  std::string UpTo(int maxLength) { return OfLength(Between(1, maxLength)); }

  int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(engine_); }

 private:
  std::mt19937_64 engine_;
};
