// SPDX-License-Identifier: GPL-3.0-or-later
// Each elementary operation on arbitrary records: the fast multiplication
// and division against their step-by-step references, addition and
// subtraction of well-formed records against wide arithmetic. Records with
// digits outside 0..9 must only end, without a fault.
#include "FuzzInput.h"
#include "ReferenceArithmetic.h"
#include "WideNumber.h"

namespace {

bool Same(const TBigNumber& a, const TBigNumber& b) {
  if (IsTooLarge(a) || IsTooLarge(b)) return IsTooLarge(a) == IsTooLarge(b);
  return EqualNumbers(a, b);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const bool raw = (input.Byte() & 1) != 0;
  const TBigNumber a = input.Record(raw);
  const TBigNumber b = input.Record(raw);

  FUZZ_CHECK(Same(MultiplyNumbers(a, b), ReferenceMultiplyNumbers(a, b)));
  TBigNumber fastRemainder;
  TBigNumber referenceRemainder;
  const TBigNumber quotient = DivideNumbers(a, b, fastRemainder);
  FUZZ_CHECK(Same(quotient, ReferenceDivideNumbers(a, b, referenceRemainder)));
  FUZZ_CHECK(Same(fastRemainder, referenceRemainder));
  const TBigNumber sum = AddNumbers(a, b);
  const TBigNumber difference = SubtractNumbers(a, b);

  // Addition takes operands whose spare position Digits[0] is 0.
  if (!IsWellFormed(a) || !IsWellFormed(b) || a.Digits[0] != 0 || b.Digits[0] != 0) return 0;
  const wide::Number wa = wide::FromRecord(a);
  const wide::Number wb = wide::FromRecord(b);
  const TBigNumber wideSum = wide::ToRecord(wide::Add(wa, wb));
  FUZZ_CHECK(IsTooLarge(wideSum) ? IsTooLarge(sum) : EqualNumbers(sum, wideSum));
  if (wide::Compare(wa, wb) > 0) {
    FUZZ_CHECK(EqualNumbers(difference, wide::ToRecord(wide::Subtract(wa, wb))));
  }
  if (!IsZeroValue(b)) {
    wide::Number rest;
    FUZZ_CHECK(EqualNumbers(quotient, wide::ToRecord(wide::Divide(wa, wb, &rest))));
    FUZZ_CHECK(EqualNumbers(fastRemainder, wide::ToRecord(rest)));
  }
  return 0;
}
