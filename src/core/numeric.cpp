// SPDX-License-Identifier: MIT
#include "numeric.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace vellora {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the decimal number at the start of s (0 when there is none).
std::size_t NumberLength(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < s.size() && IsDigit(s[i])) {
        ++i;
        ++digits;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0;
    // An exponent only counts when digits follow it: "12e" is 12 and a stray "e".
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            ++j;
        std::size_t expDigits = 0;
        while (j < s.size() && IsDigit(s[j])) {
            ++j;
            ++expDigits;
        }
        if (expDigits > 0)
            i = j;
    }
    return i;
}

double Parse(std::string_view number) {
    // from_chars takes no leading '+'.
    bool negative = false;
    if (!number.empty() && (number.front() == '+' || number.front() == '-')) {
        negative = number.front() == '-';
        number.remove_prefix(1);
    }
    double value = 0;
    auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) {
        // Too large becomes infinite (and so above every maximum); too small is 0.
        std::size_t e = number.find_first_of("eE");
        bool hugeExponent =
            e != std::string_view::npos && number.substr(e + 1).find('-') == std::string_view::npos;
        value = hugeExponent ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}

} // namespace

std::optional<double> NumericValue(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    std::size_t n = NumberLength(text);
    if (n == 0 || n != text.size())
        return std::nullopt;
    return Parse(text);
}

double LeadingNumber(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    std::size_t n = NumberLength(text);
    return n == 0 ? 0.0 : Parse(text.substr(0, n));
}

double Nearest(double x) {
    // nearbyint follows the current rounding mode, which is to-nearest-even
    // unless someone changed it; do it by hand to not depend on that.
    double f = std::floor(x);
    double diff = x - f;
    if (diff > 0.5)
        return f + 1;
    if (diff < 0.5)
        return f;
    return std::fmod(f, 2.0) == 0 ? f : f + 1;
}

std::int16_t RoundUp(double x) {
    double c = std::ceil(x);
    if (!(c >= std::numeric_limits<std::int16_t>::min()))
        return std::numeric_limits<std::int16_t>::min();
    if (c > std::numeric_limits<std::int16_t>::max())
        return std::numeric_limits<std::int16_t>::max();
    return static_cast<std::int16_t>(c);
}

std::string DecimalText(long long value) {
    char buf[32];
    auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value);
    (void)ec;
    return std::string(buf, ptr);
}

} // namespace vellora
