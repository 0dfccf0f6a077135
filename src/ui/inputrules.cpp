// SPDX-License-Identifier: MIT
#include "ui/inputrules.h"

#include "core/numeric.h"

namespace vellora {

const std::string kWidthHelp = "Enter a width for the texture.\r\nMinimum of 64bits (eg 16 @ 4bit),\r\n"
                               "Maximum of 1024.\r\nMask and wrap show you if the texture can repeat nicely";
const std::string kHeightHelp = "Enter a height for the texture.\r\nMinimum of 1,\r\nMaximum of 255.\r\n"
                                "Mask and wrap show you if the texture can repeat nicely";

std::optional<std::string> ApplyDimensionRule(std::string_view text, DimensionRule rule) {
    if (text.empty())
        return std::nullopt;
    auto value = NumericValue(text);
    if (!value || *value <= 0)
        return std::string(rule.fallback);
    if (*value > rule.maximum)
        return std::to_string(rule.maximum);
    return std::nullopt;
}

namespace {

// The shared shape of the small boxes: non-numeric and the two bounds each
// have a replacement of their own.
std::optional<std::string> Clamp(std::string_view text, const char* notNumeric, bool (*tooLow)(double),
                                 const char* low, bool (*tooHigh)(double), const char* high) {
    if (text.empty())
        return std::nullopt;
    auto value = NumericValue(text);
    if (!value)
        return std::string(notNumeric);
    if (tooLow(*value))
        return std::string(low);
    if (tooHigh(*value))
        return std::string(high);
    return std::nullopt;
}

} // namespace

std::optional<std::string> ApplyLevelsRule(std::string_view text) {
    return Clamp(
        text, "5", [](double v) { return v < 0; }, "0", [](double v) { return v > 7; }, "7");
}

std::optional<std::string> ApplyShiftRule(std::string_view text) {
    return Clamp(
        text, "1", [](double v) { return v < 0; }, "0", [](double v) { return v > 5; }, "5");
}

std::optional<std::string> ApplyLODFracRule(std::string_view text) {
    return Clamp(
        text, "0.8", [](double v) { return v <= 0; }, "0.8", [](double v) { return v >= 1; }, "0.99");
}

LevelControls LevelControlsFor(bool autoLevels, bool detailOn) {
    LevelControls c;
    c.levelsEnabled = !autoLevels;
    if (autoLevels)
        c.levelsCaption = "Automatic Levels Calculated";
    else
        c.levelsCaption = detailOn ? "Desired Levels (Min 1, Max 7)" : "Desired Levels (Min 0, Max 7)";
    c.manMipMapEnabled = c.levelsEnabled;
    c.stopRulesEnabled = !c.levelsEnabled;
    return c;
}

} // namespace vellora
