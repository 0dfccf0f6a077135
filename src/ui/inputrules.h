// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace vellora {

// The rules the input boxes apply to what the user typed. Each returns the
// text the box must be rewritten to, or nothing when the text may stay
// (including an empty text, which waits for the box to lose focus).
struct DimensionRule {
    std::string_view fallback;
    int maximum;
};
inline constexpr DimensionRule kWidthRule{"64", 1024};
inline constexpr DimensionRule kHeightRule{"64", 256};
inline constexpr DimensionRule kDetailWidthRule{"16", 1024};
inline constexpr DimensionRule kDetailHeightRule{"16", 256};

std::optional<std::string> ApplyDimensionRule(std::string_view text, DimensionRule rule);
std::optional<std::string> ApplyLevelsRule(std::string_view text);
std::optional<std::string> ApplyShiftRule(std::string_view text);
std::optional<std::string> ApplyLODFracRule(std::string_view text);

// What an empty box gets when it loses focus.
inline constexpr std::string_view kLevelsFocusFallback = "7";

// Captions and enabled states of the level controls after the automatic
// levels box or the detail map changes.
struct LevelControls {
    bool levelsEnabled = false;
    std::string levelsCaption;
    bool manMipMapEnabled = false;
    bool stopRulesEnabled = true;
};
LevelControls LevelControlsFor(bool autoLevels, bool detailOn);

// Lines are joined by CR LF, as every caption and message of the program.
inline constexpr std::string_view kNewLine = "\r\n";
extern const std::string kWidthHelp;
extern const std::string kHeightHelp;

} // namespace vellora
