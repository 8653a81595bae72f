// SPDX-License-Identifier: GPL-3.0-or-later
// Multiplication and division step by step, on records only, exactly as
// first written: the reference the fast routines are checked against, and
// the way the fast routines take for unusual records (Len 0, leading zeros, a
// zero divisor), whose answers follow from these steps alone.
#pragma once

#include <cstdint>

#include "BigNumber.h"

// Schoolbook multiplication: each digit of the longer factor, from the units
// digit up, multiplies the other factor into a partial product shifted by its
// decimal place, summed with AddNumbers. Factors longer than
// LongestRecordFactor are summed by columns in wider working storage.
TBigNumber ReferenceMultiplyNumbers(const TBigNumber& a, const TBigNumber& b);

// Long division by repeated subtraction: the divisor, shifted left to the
// dividend's length, is subtracted as often as it goes, which gives one
// quotient digit; then it is shifted one place back, until the running
// remainder is smaller than the divisor. With leading zeros a pass may count
// more than nine subtractions; the low 8 bits of the count become the digit.
// A division that needs more than MostDivisionSubtractions subtractions in
// all (only a divisor with leading zeros or a digit outside 0..9 can: a
// plain divisor needs at most nine a pass) stops there, with a too-large
// quotient and the dividend as the remainder. `passes`, when given,
// receives the number of quotient digits found.
inline constexpr std::int64_t MostDivisionSubtractions = 100'000;

TBigNumber ReferenceDivideNumbers(const TBigNumber& a, const TBigNumber& b, TBigNumber& remainder,
                                  int* passes = nullptr);
