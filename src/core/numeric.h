// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vellora {

// The number a text box holds when the whole text, blanks around it aside,
// is one decimal number (optional sign, digits, decimal point, exponent).
// Independent of the C locale, so a German desktop reads "12.5" the same way.
std::optional<double> NumericValue(std::string_view text);

// The longest decimal number at the start of text after blanks, 0 when there
// is none; used for the answers typed into the tile prompts.
double LeadingNumber(std::string_view text);

// Rounding to the nearest integer, halves to the even neighbour.
double Nearest(double x);

// The ceiling of x (x itself when whole), saturated to a 16-bit integer.
std::int16_t RoundUp(double x);

// Plain decimal text without separators, independent of locale.
std::string DecimalText(long long value);

} // namespace vellora
