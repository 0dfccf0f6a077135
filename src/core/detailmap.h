// SPDX-License-Identifier: MIT
#pragma once

#include "formats.h"
#include "tilelevel.h"

#include <array>
#include <optional>
#include <string>

namespace vellora {

inline constexpr const char* kMixMessage = "Cannot mix CI and NON CI Detail Maps";
inline constexpr const char* kShareTlutMessage = "Detail Map MUST share the same TLUT as the base texture!";
inline constexpr const char* kMust4BitMessage = "Detail Map MUST be 4Bit CI!";
extern const std::string kDetailToggleQuestion; // asked with Yes/No, title kWarningTitle
inline constexpr const char* kWarningTitle = "Warning!";

// Which of the six detail format options the window enables.
std::array<bool, kFormatCount> DetailOptionsEnabled(bool detailOn, bool baseIsCI);

// The message a detail format raises against a base format, or nullptr.
const char* DetailFormatMessage(std::optional<Format> detailFormat, std::optional<Format> baseFormat);

// Forget every picture: what answering Yes to the toggle question does.
void ResetPictures(TileTable& tiles);

} // namespace vellora
