// SPDX-License-Identifier: GPL-3.0-or-later
// Conversions between text and numbers: the standard text-to-integer
// conversion, and the digit text of a record.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "BigNumber.h"

// The failure of a text-to-integer conversion. what() is the user-facing
// message "'<text>' is not a valid integer value".
class ConversionError : public std::runtime_error {
 public:
  explicit ConversionError(std::string_view text);
};

// The standard conversion of a whole text to a signed 32-bit integer: any
// number of leading blanks (code 32 only), one optional sign, then decimal
// digits, or hexadecimal digits after "$", "x", "X", "0x" or "0X". Anything
// else, an empty text, and a value outside the 32-bit range throw
// ConversionError naming the whole text.
std::int32_t TextToInteger(std::string_view text);

// Reads a field's UTF-8 text into `record` as one digit per character,
// dropping leading zeros ("007" is 7, "000" is 0, "" is Len 0). Only positions
// 1..Len and Len are written. A character other than 0-9 throws
// ConversionError naming that character; more than MaxDigits significant
// digits return false. In both cases `record` is left as it was.
bool ReadDigits(std::string_view text, TBigNumber& record);

// The digits 1..Len of a record as text, most significant first; a digit
// outside 0..9 is written as its signed decimal value. Empty for Len 0 and for
// a too-large record.
std::string DigitString(const TBigNumber& x);

// The digits of x with a point before the last `decimals` of them; no point
// when there are fewer digits than that (".3162277660" for exactly that many).
std::string WithPoint(const TBigNumber& x, int decimals);

// A digit text in groups of three counted from its end, blank-separated,
// `perLine` groups a line ("1 234 567" for "1234567").
std::string InGroupsOfThree(std::string_view digits, int perLine);
