// SPDX-License-Identifier: GPL-3.0-or-later
// A minimal owner of a GMP integer: the independent oracle of the
// differential tests.
#pragma once

#include <gmp.h>

#include <string>

class Gmp {
 public:
  Gmp() { mpz_init(value_); }
  explicit Gmp(const std::string& digits) { mpz_init_set_str(value_, digits.c_str(), 10); }
  Gmp(const Gmp&) = delete;
  Gmp& operator=(const Gmp&) = delete;
  ~Gmp() { mpz_clear(value_); }

  mpz_ptr get() { return value_; }
  mpz_srcptr get() const { return value_; }

  std::string str() const {
    std::string text(mpz_sizeinbase(value_, 10) + 2, '\0');
    mpz_get_str(text.data(), 10, value_);
    text.resize(text.find('\0'));
    return text;
  }

 private:
  mpz_t value_;
};
