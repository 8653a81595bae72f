// Addition, subtraction and the comparisons against GMP on random
// well-formed numbers of 1 to 500 digits.
#include <gtest/gtest.h>

#include "BigNumber.h"
#include "support/Gmp.h"
#include "support/RandomDigits.h"
#include "support/Records.h"

namespace {

constexpr int kCases = 6000;

TEST(Differential, AddSubtractCompareAgreeWithGmp) {
  RandomDigits random(20261208);
  for (int i = 0; i < kCases; ++i) {
    // Every length is met, and equal lengths often enough to reach the digit
    // comparisons.
    const std::string a = random.UpTo(MaxDigits);
    std::string b = random.Between(0, 2) == 0 ? random.OfLength(static_cast<int>(a.size()))
                                              : random.UpTo(MaxDigits);
    if (random.Between(0, 20) == 0) b = a;
    SCOPED_TRACE(a + " and " + b);
    const Gmp ga(a), gb(b);
    const int order = mpz_cmp(ga.get(), gb.get());

    EXPECT_EQ(IsGreater(Record(a), Record(b)), order > 0);
    EXPECT_EQ(EqualNumbers(Record(a), Record(b)), order == 0);

    Gmp sum;
    mpz_add(sum.get(), ga.get(), gb.get());
    const TBigNumber ours = AddNumbers(Record(a), Record(b));
    if (sum.str().size() > static_cast<std::size_t>(MaxDigits)) {
      EXPECT_TRUE(IsTooLarge(ours));
    } else {
      EXPECT_EQ(Text(ours), sum.str());
    }

    const TBigNumber difference = SubtractNumbers(Record(a), Record(b));
    if (order < 0) {
      EXPECT_EQ(difference.Len, 0);
    } else {
      Gmp expected;
      mpz_sub(expected.get(), ga.get(), gb.get());
      EXPECT_EQ(Text(difference), expected.str());
    }
  }
}

}  // namespace
