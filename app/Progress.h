// SPDX-License-Identifier: GPL-3.0-or-later
// The busy line's words for a running prime-factor search.
#pragma once

#include <chrono>
#include <string>

#include "SpecialFunctions.h"

// What the search is doing, how far it has come and how long it has taken,
// for example "sieving: 41% of the relations · 12 s · Esc cancels" (UTF-8).
std::string BusyLineText(const FactorProgress::Reading& reading,
                         std::chrono::duration<double> elapsed);
