// SPDX-License-Identifier: GPL-3.0-or-later
// The whole-number conversion on any text: a plain decimal text converts to
// its value when that fits 32 bits; everything it refuses names the text.
#include <charconv>
#include <string>

#include "FuzzInput.h"
#include "NumberText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  // The oracle for texts of optional blanks, an optional minus and digits.
  const std::size_t start = std::min(text.find_first_not_of(' '), text.size());
  std::int64_t expected = 0;
  const char* begin = text.data() + start;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(begin, end, expected);
  const bool plain = begin != end && error == std::errc() && stop == end &&
                     (*begin == '-' ? end - begin > 1 : true) && end - begin < 19;
  try {
    const std::int32_t value = TextToInteger(text);
    if (plain) FUZZ_CHECK(value == expected);
  } catch (const ConversionError& failure) {
    FUZZ_CHECK(!plain || expected < INT32_MIN || expected > INT32_MAX);
    // The message is a C string: it ends at a NUL in the text.
    const std::string named = text.substr(0, text.find('\0'));
    const std::string message = "'" + text + "' is not a valid integer value";
    FUZZ_CHECK(failure.what() == (named == text ? message : "'" + named));
  }
  return 0;
}
