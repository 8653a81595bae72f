// SPDX-License-Identifier: GPL-3.0-or-later
// Turns a fuzzer's bytes into records and texts.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "BigNumber.h"

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::uint8_t Byte() { return used_ < size_ ? data_[used_++] : 0; }

  // A record of any Len in 0..MaxDigits with digits 0..9 (leading zeros,
  // Digits[0] and up to seven stale digits after Len included), or with
  // `raw` any byte as a digit. Bytes: Len (two), the stale count, then the
  // digits from position 0.
  TBigNumber Record(bool raw) {
    TBigNumber x;
    const int wanted = (Byte() << 8 | Byte()) % (MaxDigits + 1);
    const int last = std::min(wanted + Byte() % 8, int{MaxDigits});
    for (int i = 0; i <= last && used_ < size_; ++i) {
      const auto byte = static_cast<std::int8_t>(Byte());
      x.Digits[i] = raw ? byte : static_cast<std::int8_t>((byte & 0x7f) % 10);
    }
    x.Len = wanted;
    return x;
  }

  std::string_view Rest() {
    const std::string_view rest(reinterpret_cast<const char*>(data_ + used_), size_ - used_);
    used_ = size_;
    return rest;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t used_ = 0;
};

// Stops the run with the fuzzer's crash report when a check fails.
#define FUZZ_CHECK(condition)           \
  do {                                  \
    if (!(condition)) __builtin_trap(); \
  } while (false)
