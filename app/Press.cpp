// SPDX-License-Identifier: GPL-3.0-or-later
#include "Press.h"

#include "NumberText.h"
#include "SpecialFunctions.h"

namespace {

bool IsOne(const TBigNumber& x) {
  return EqualNumbers(x, SmallNumber(1));
}

// One press: its operands read, the mode's branch run. A field that is not
// a number ends it with the conversion error (thrown, and caught by Press);
// one that does not fit a record, with "too large".
class Pressing {
 public:
  Pressing(const Mode& mode, std::string_view text1, std::string_view text2, Records& numbers,
           PressEffects& effects)
      : mode_(mode), text1_(text1), text2_(text2), numbers_(numbers), effects_(effects) {}

  // The field a conversion error points at.
  int Converting() const { return converting_; }

  void Run() {
    Show(3, "");
    if (!ReadDigits(text1_, numbers_[1])) return ShowTooLarge();
    if (mode_.second != SecondOperand::NotRead) {
      // The placeholder keeps whatever Edit2 shows from failing a one-operand press.
      const bool field = mode_.second == SecondOperand::Field;
      converting_ = field ? 2 : 0;
      if (!ReadDigits(field ? text2_ : kPlaceholderOperand, numbers_[2])) return ShowTooLarge();
    }
    Branch();
  }

 private:
  void Branch() {
    switch (mode_.operation) {
      case Operation::Plus:
        if (!StoreAnswer(AddNumbers(numbers_[1], numbers_[2]))) return ShowTooLarge();
        return ShowAnswer();
      case Operation::Minus:
        Subtraction();
        return ShowAnswer();
      case Operation::Multiply:
        if (!Multiplication()) return ShowTooLarge();
        return ShowAnswer();
      case Operation::Divide:
        if (Division()) ShowAnswer();
        return;
      case Operation::SquareRoot:
        return SquareRootBranch();
      case Operation::PrimeFactors:
        return PrimeFactorBranch();
      case Operation::NthRoot:
        ShowAnswer();
        return NthRootBranch();
      case Operation::Reciprocal:
        return ReciprocalBranch();
      case Operation::Power:
        return PowerBranch();
      case Operation::Factorial:
        return FactorialBranch();
    }
  }

  void Show(int line, std::string text) { effects_.Line(line).text = std::move(text); }
  void Caption(int line, std::string caption) { effects_.Line(line).caption = std::move(caption); }
  void Reveal(int line) { effects_.Line(line).shown = true; }

  // Keeps an answer that fits as the press's answer; false for one too large.
  bool StoreAnswer(const TBigNumber& answer) {
    if (IsTooLarge(answer)) return false;
    numbers_[kAnswer] = answer;
    return true;
  }

  void ShowAnswer() {
    Caption(3, "answer");
    if (numbers_[kAnswer].Len != 0) Show(3, DigitString(numbers_[kAnswer]));
    Reveal(3);
  }

  void ShowTooLarge() {
    if (mode_.tooLargeCaption) Caption(mode_.answerLine, mode_.tooLargeCaption);
    Show(mode_.answerLine, "too large");
    Reveal(mode_.answerLine);
  }

  void Subtraction() {
    if (IsGreater(numbers_[1], numbers_[2])) {
      numbers_[kAnswer] = SubtractNumbers(numbers_[1], numbers_[2]);
    } else {
      numbers_[kAnswer].Len = 0;
    }
    if (numbers_[kAnswer].Len == 0) Show(3, "negative or zero");
  }

  // An empty field multiplies as zero.
  bool Multiplication() {
    if (text1_.empty() || text2_.empty()) return StoreAnswer(ZeroNumber(1));
    return StoreAnswer(MultiplyNumbers(numbers_[1], numbers_[2]));
  }

  // Refuses, silently, an empty field and a divisor that reads as zero; a
  // remainder shown by an earlier press then stays.
  bool Division() {
    if (numbers_[2].Digits[1] == 0 || text2_.empty() || text1_.empty()) return false;
    numbers_[kAnswer] = DivideNumbers(numbers_[1], numbers_[2], numbers_[kRemainder]);
    Caption(4, "remainder");
    Show(4, DigitString(numbers_[kRemainder]));
    Reveal(4);
    return true;
  }

  void FactorialBranch() {
    Show(2, "");
    if (text1_.empty()) return;
    if (!StoreAnswer(Factorial(text1_))) return ShowTooLarge();
    Show(2, DigitString(numbers_[kAnswer]));
  }

  void ReciprocalBranch() {
    if (text1_.empty()) return Show(2, "");
    if (IsZeroValue(numbers_[1])) return Show(2, "you tell me");
    if (IsOne(numbers_[1])) return Show(2, "1");
    if (!StoreAnswer(Reciprocal(numbers_[1], numbers_[kRemainder]))) return ShowTooLarge();
    Show(2, ReciprocalText(numbers_[kAnswer]));
  }

  // A negative power of a whole number other than 1 is no whole number.
  void PowerBranch() {
    if (text1_.empty() || text2_.empty()) return;
    converting_ = 2;
    const std::int32_t exponent = TextToInteger(text2_);
    Caption(3, "answer");
    Reveal(3);
    if (exponent < 0 && !IsOne(numbers_[1]))
      return Show(3, IsZeroValue(numbers_[1]) ? "you tell me" : "not a whole number");
    if (!StoreAnswer(PowerOf(numbers_[1], exponent))) return ShowTooLarge();
    Show(3, DigitString(numbers_[kAnswer]));
  }

  // The factors stand on the second line after a leading "1", each after
  // " x "; 0 to 3 stand as they are.
  void PrimeFactorBranch() {
    if (text1_.empty()) return Show(2, "");
    Caption(2, "answer");
    Reveal(2);
    if (numbers_[1].Len == 1 && numbers_[1].Digits[1] <= 3) {
      return Show(2, DigitString(numbers_[1]));
    }
    Show(2, "");
    effects_.searchesFactors = true;
  }

  // An empty first field shows nothing and a zero "0", its root; true
  // when either settles the press.
  bool SettlesRoot(int line) {
    if (text1_.empty()) return true;
    if (!IsZeroValue(numbers_[1])) return false;
    numbers_[kAnswer] = SmallNumber(0);
    Show(line, "0");
    return true;
  }

  // The root shows ten decimals on the second line.
  void SquareRootBranch() {
    Reveal(2);
    Show(2, "");
    if (SettlesRoot(2)) return;
    if (!StoreAnswer(SquareRoot(numbers_[1]))) return ShowTooLarge();
    Show(2, WithPoint(numbers_[kAnswer], 10));
  }

  // The root shows three decimals on the third line, under "The root". The
  // degree 2 empties the degree field, so that the next press takes the
  // degree 2 again. A degree that fails leaves no answer standing.
  void NthRootBranch() {
    const std::string_view degreeText = text2_.empty() ? std::string_view("2") : text2_;
    if (text2_.empty()) Show(2, "2");
    std::int32_t degree = 0;
    try {
      converting_ = 2;
      degree = TextToInteger(degreeText);
      if (degree <= 1) throw ConversionError("-");
    } catch (const ConversionError&) {
      Show(3, "");
      throw;
    }
    Caption(3, "The root");
    Reveal(3);
    Show(3, "");
    if (SettlesRoot(3)) return;
    const TBigNumber root = RootToThreeDecimals(numbers_[1], degree);
    if (degree == 2) Show(2, "");
    if (!StoreAnswer(root)) return ShowTooLarge();
    Show(3, WithPoint(numbers_[kAnswer], 3));
  }

  const Mode& mode_;
  std::string_view text1_;
  std::string_view text2_;
  Records& numbers_;
  PressEffects& effects_;
  int converting_ = 1;
};

}  // namespace

PressEffects Press(const Mode& mode, std::string_view text1, std::string_view text2,
                   Records& numbers) {
  PressEffects effects;
  Pressing pressing(mode, text1, text2, numbers, effects);
  try {
    pressing.Run();
  } catch (const ConversionError& error) {
    effects.error = std::string(error.what()) + '.';
    effects.errorField = pressing.Converting();
  }
  return effects;
}
