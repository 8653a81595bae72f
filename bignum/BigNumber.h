// SPDX-License-Identifier: GPL-3.0-or-later
// The fixed-size decimal record and its elementary operations.
//
// A record holds one decimal digit per element, most significant first from
// Digits[1]; Digits[Len] is the units digit. Zero is Len 1 with Digits[1] = 0,
// and Len 0 means "no value". Positions after Len may hold stale digits of an
// earlier value and are never read. Digits[0] is the spare position that
// receives the carry out of the top digit.
//
// Every routine takes its operands by value and returns a new record; none
// allocates. The comparisons and the subtraction decide by Len first, so a
// record with leading zeros is ordered by its length, not by its value.
//
// A record whose Len lies outside 0..MaxDigits is "too large": the value did
// not fit. Routines given such a record return it as too large again, so the
// condition travels to whoever shows the answer, much like a NaN.
#pragma once

#include <array>
#include <cstdint>

inline constexpr std::int32_t MaxDigits = 500;

struct TBigNumber {
  std::array<std::int8_t, MaxDigits + 1> Digits{};
  std::int32_t Len = 0;
  std::uint8_t Flag = 0;   // travels with copies; nothing reads it
  std::int32_t Scale = 0;  // decimal position of a reciprocal's digits
};

// The Len that marks a result too large for a record.
inline constexpr std::int32_t TooLargeLen = -1;

inline bool IsTooLarge(const TBigNumber& x) {
  return x.Len < 0 || x.Len > MaxDigits;
}

// A record marked too large, all digits zero.
TBigNumber TooLargeNumber();

// The record of a non-negative machine integer, without leading zeros.
TBigNumber SmallNumber(std::uint64_t value);

// True when every digit in 1..Len is 0, also for Len 0.
bool IsZeroValue(const TBigNumber& x);

// Zeroes all 501 digit positions, sets Flag to 1 and Scale to 0; keeps Len.
void ClearNumber(TBigNumber& x);

// A record of n zero digits (positions 0..n zero, Len n), 0 <= n <= MaxDigits.
// Any other n gives a too-large record.
TBigNumber ZeroNumber(std::int32_t n);

// True when a > b: the longer record is the greater; equal lengths compare
// digit by digit from the most significant. Never true for equal records.
bool IsGreater(const TBigNumber& a, const TBigNumber& b);

// True when both have the same Len and the same digits in positions 1..Len.
bool EqualNumbers(const TBigNumber& a, const TBigNumber& b);

// a + b without leading zeros; Len 0 when every digit of the sum is zero.
// Operands must have Digits[0] = 0. A sum of more than MaxDigits digits, or a
// too-large operand, gives a too-large record.
TBigNumber AddNumbers(const TBigNumber& a, const TBigNumber& b);

// a - b without leading zeros when a >= b; Len 0 when b is the greater (or
// every digit of the difference is zero). Subtracting the single digit 0
// returns a unchanged. A too-large operand gives a too-large record.
TBigNumber SubtractNumbers(const TBigNumber& a, const TBigNumber& b);

// The longest factor for which the step-by-step multiplication builds its
// partial products in a record: its working records need 2L + 5 positions.
inline constexpr std::int32_t LongestRecordFactor = 247;

// True when digits 1..Len are all 0..9 and Len is 1..MaxDigits.
bool HasPlainDigits(const TBigNumber& x);

// Plain digits without a leading zero (the single digit 0 is well formed).
bool IsWellFormed(const TBigNumber& x);

// a * b without leading zeros. Only the first digit of each factor is tested
// for zero, so a factor written with a leading zero gives 0. A product of more
// than MaxDigits digits, or a too-large factor, gives a too-large record.
TBigNumber MultiplyNumbers(const TBigNumber& a, const TBigNumber& b);

// The quotient a div b of long division; the remainder goes to `remainder`
// on every call, however the call ends. For operands without leading zeros
// these are the true quotient and remainder, for dividends of up to
// MaxDigits digits. A divisor with value zero that the first two tests do
// not settle (a dividend whose first digit is 0, or one shorter than the
// divisor) gives a too-large quotient and leaves the dividend as the
// remainder. Records with leading zeros are ordered by their length, as
// ReferenceDivideNumbers describes; one that would need more than a bounded
// number of subtractions there (a divisor with leading zeros, a digit outside
// 0..9) gives a too-large quotient and leaves the dividend as the remainder,
// within milliseconds.
TBigNumber DivideNumbers(const TBigNumber& a, const TBigNumber& b, TBigNumber& remainder);
