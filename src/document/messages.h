// SPDX-License-Identifier: MIT
#pragma once

#include "core/count.h"
#include "core/formats.h"

#include <optional>
#include <string>

namespace vellora::doc {

// The texts the window and the command line both show of a count.
inline constexpr const char* kMixMessage = "Cannot mix CI and NON CI Detail Maps";
inline constexpr const char* kShareTlutMessage = "Detail Map MUST share the same TLUT as the base texture!";
inline constexpr const char* kMust4BitMessage = "Detail Map MUST be 4Bit CI!";
// When manual levels ask for more than the texture allows.
extern const std::string kLevelLimitMessage;

// The verdict on a count: "Good!", or "Exceeds TMEM by N Bytes".
std::string VerdictText(const Count& count);
// How many levels a count holds, in the one wording every front end uses:
// "7 levels (0\u20136)", "1 level (0)", then " and a detail map" with one.
std::string LevelsPhrase(const Count& count);

// The message a detail format raises against a base format, or nullptr.
const char* DetailFormatMessage(std::optional<Format> detailFormat, std::optional<Format> baseFormat);

} // namespace vellora::doc
