// SPDX-License-Identifier: GPL-3.0-or-later
#include "NumberText.h"

#include <algorithm>
#include <limits>

namespace {

bool IsDecimalDigit(char c) {
  return c >= '0' && c <= '9';
}

// The value of c as a digit of the given base, or -1.
int DigitValue(char c, int base) {
  if (IsDecimalDigit(c)) return c - '0';
  if (base == 16 && c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (base == 16 && c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The whole UTF-8 character that starts at text[at].
std::string_view CharacterAt(std::string_view text, std::size_t at) {
  std::size_t end = at + 1;
  while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
    ++end;
  return text.substr(at, end - at);
}

std::string ConversionMessage(std::string_view text) {
  std::string message = "'";
  message.append(text).append("' is not a valid integer value");
  return message;
}

}  // namespace

ConversionError::ConversionError(std::string_view text)
    : std::runtime_error(ConversionMessage(text)) {}

std::int32_t TextToInteger(std::string_view text) {
  std::size_t i = text.find_first_not_of(' ');
  if (i == std::string_view::npos) throw ConversionError(text);
  const bool negative = text[i] == '-';
  if (text[i] == '-' || text[i] == '+') ++i;

  int base = 10;
  const std::string_view rest = text.substr(i);
  if (rest.starts_with('$') || rest.starts_with('x') || rest.starts_with('X')) {
    base = 16;
    i += 1;
  } else if (rest.starts_with("0x") || rest.starts_with("0X")) {
    base = 16;
    i += 2;
  }
  if (i >= text.size()) throw ConversionError(text);

  // One more than the largest magnitude, so that -2147483648 fits.
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    const int digit = DigitValue(text[i], base);
    if (digit < 0) throw ConversionError(text);
    magnitude = magnitude * base + digit;
    if (magnitude > kLimit) throw ConversionError(text);
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<std::int32_t>::max()) throw ConversionError(text);
  return static_cast<std::int32_t>(value);
}

bool ReadDigits(std::string_view text, TBigNumber& record) {
  const auto bad = std::find_if_not(text.begin(), text.end(), IsDecimalDigit);
  if (bad != text.end()) throw ConversionError(CharacterAt(text, bad - text.begin()));

  std::size_t first = text.find_first_not_of('0');
  if (first == std::string_view::npos) first = text.empty() ? 0 : text.size() - 1;
  const std::string_view digits = text.substr(first);
  if (digits.size() > static_cast<std::size_t>(MaxDigits)) return false;

  for (std::size_t k = 0; k < digits.size(); ++k)
    record.Digits[k + 1] = digits[k] - '0';
  record.Len = static_cast<std::int32_t>(digits.size());
  return true;
}

std::string DigitString(const TBigNumber& x) {
  std::string text;
  if (IsTooLarge(x)) return text;
  for (std::int32_t i = 1; i <= x.Len; ++i) {
    const int digit = x.Digits[i];
    if (digit >= 0 && digit <= 9) {
      text += static_cast<char>('0' + digit);
    } else {
      text += std::to_string(digit);
    }
  }
  return text;
}

std::string WithPoint(const TBigNumber& x, int decimals) {
  std::string text = DigitString(x);
  if (text.size() >= static_cast<std::size_t>(decimals))
    text.insert(text.size() - static_cast<std::size_t>(decimals), 1, '.');
  return text;
}

std::string InGroupsOfThree(std::string_view digits, int perLine) {
  std::string grouped;
  const std::size_t length = digits.size();
  const std::size_t lineLength = 3 * static_cast<std::size_t>(perLine);
  for (std::size_t i = 0; i < length; ++i) {
    const std::size_t left = length - i;  // digits from here to the end
    if (i > 0 && left % 3 == 0) grouped += left % lineLength == 0 ? '\n' : ' ';
    grouped += digits[i];
  }
  return grouped;
}
