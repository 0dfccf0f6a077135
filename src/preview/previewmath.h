// SPDX-License-Identifier: MIT
#pragma once

// Arithmetic the preview's planning and passes share. Internal to the
// preview library.
#include "core/numeric.h"

#include <cstdint>
#include <string>

namespace vellora::previewmath {

inline constexpr int kMaxZoom = 32;
inline constexpr int kMaxView = 16384;
// Products of pitches, zoom and scale are kept below this so hostile level
// sizes cannot overflow; anything this far out is off the viewport anyway.
inline constexpr std::int64_t kFar = std::int64_t{1} << 40;

inline std::int64_t SatMul(std::int64_t a, std::int64_t b) {
    if (a <= 0 || b <= 0)
        return 0;
    if (a >= kFar / b)
        return kFar;
    return a * b;
}

inline std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
    return a <= 0 ? 0 : (a + b - 1) / b;
}

// Smallest power of two not less than v; 0 for a level without size.
inline std::int64_t Pitch(std::int64_t v) {
    if (v <= 0)
        return 0;
    std::int64_t p = 1;
    while (p < v)
        p <<= 1;
    return p;
}

inline std::string Text(std::int64_t v) {
    return DecimalText(static_cast<long long>(v));
}

inline std::string Quoted(const std::string& s) {
    // The text came from a box the user typed in: keep the message short.
    std::string shown = s.size() > 40 ? s.substr(0, 40) + "..." : s;
    return "\"" + shown + "\"";
}

} // namespace vellora::previewmath
