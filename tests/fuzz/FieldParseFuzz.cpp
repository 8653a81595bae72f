// SPDX-License-Identifier: GPL-3.0-or-later
// The field parse on any text: digits only are read, leading zeros dropped,
// and anything else throws or refuses without touching the record.
#include <algorithm>

#include "FuzzInput.h"
#include "NumberText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const TBigNumber before = SmallNumber(4711);
  TBigNumber record = before;
  const bool digitsOnly =
      std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  try {
    const bool read = ReadDigits(text, record);
    FUZZ_CHECK(digitsOnly);
    const std::size_t first = std::min(text.find_first_not_of('0'), text.size());
    const std::string_view significant = text.empty()           ? text
                                         : first == text.size() ? text.substr(text.size() - 1)
                                                                : text.substr(first);
    if (read) {
      FUZZ_CHECK(DigitString(record) == significant);
    } else {
      FUZZ_CHECK(significant.size() > MaxDigits && EqualNumbers(record, before));
    }
  } catch (const ConversionError&) {
    FUZZ_CHECK(!digitsOnly && EqualNumbers(record, before));
  }
  return 0;
}
