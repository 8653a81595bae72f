// Binary whole numbers and Montgomery arithmetic modulo an odd number of up to
// 500 decimal digits: the working ground of prime factorisation. Fixed-size
// values, no heap.
#pragma once

#include <array>
#include <cstdint>

#include "WideNumber.h"

namespace modular {

// Limbs of 64 bits: 27 hold 1728 bits, more than the 1661 of 10^500.
inline constexpr int Limbs = 27;

struct Natural {
  std::array<std::uint64_t, Limbs> limb{};
  int size = 0;  // limbs in use, no leading zero limb; 0 is the number 0
};

Natural FromWide(const wide::Number& x);
wide::Number ToWide(const Natural& x);
Natural FromSmall(std::uint64_t value);

bool IsZero(const Natural& x);
bool IsOne(const Natural& x);
bool IsEven(const Natural& x);
int Compare(const Natural& a, const Natural& b);
int BitLength(const Natural& x);
bool Bit(const Natural& x, int index);

Natural Add(const Natural& a, const Natural& b);
Natural Subtract(const Natural& a, const Natural& b);  // a >= b
Natural ShiftRight(const Natural& x, int bits);
// x mod m for a machine-sized m >= 1.
std::uint64_t RemainderSmall(const Natural& x, std::uint64_t m);
Natural Gcd(Natural a, Natural b);

// Residues modulo an odd modulus, held in Montgomery form x * 2^(64 n) mod N
// with n the modulus's limb count.
using Residue = std::array<std::uint64_t, Limbs>;

class Montgomery {
 public:
  explicit Montgomery(const Natural& modulus);

  const Natural& modulus() const { return modulus_; }

  Residue Enter(const Natural& x) const;  // x < modulus
  Natural Leave(const Residue& x) const;
  Residue One() const { return one_; }
  Residue Zero() const { return Residue{}; }
  Residue FromSmall(std::uint64_t value) const;

  Residue Multiply(const Residue& a, const Residue& b) const;
  Residue Square(const Residue& a) const { return Multiply(a, a); }
  Residue Add(const Residue& a, const Residue& b) const;
  Residue Subtract(const Residue& a, const Residue& b) const;
  Residue Half(const Residue& a) const;
  Residue Power(const Residue& base, const Natural& exponent) const;
  bool Equal(const Residue& a, const Residue& b) const;
  bool IsZero(const Residue& a) const;

 private:
  Natural modulus_;
  int n_ = 0;
  std::uint64_t inverse_ = 0;  // -modulus^-1 mod 2^64
  Residue one_{};
  Residue squareOfR_{};  // 2^(128 n) mod modulus
};

}  // namespace modular
