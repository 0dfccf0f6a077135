// SPDX-License-Identifier: MIT
#include "core/formats.h"
#include "core/numeric.h"
#include "ui/inputrules.h"

#include "namedrows.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

namespace vellora {
namespace {

using vellora::test::PrintTo;

using Rule = std::optional<std::string> (*)(std::string_view);

struct RuleCase {
    const char* name;
    Rule rule;
    const char* typed;
    std::optional<std::string> rewritten; // nullopt: the text stays
};

std::optional<std::string> Width(std::string_view t) {
    return ApplyDimensionRule(t, kWidthRule);
}
std::optional<std::string> Height(std::string_view t) {
    return ApplyDimensionRule(t, kHeightRule);
}
std::optional<std::string> DetailWidth(std::string_view t) {
    return ApplyDimensionRule(t, kDetailWidthRule);
}
std::optional<std::string> DetailHeight(std::string_view t) {
    return ApplyDimensionRule(t, kDetailHeightRule);
}

class InputRules : public ::testing::TestWithParam<RuleCase> {};

TEST_P(InputRules, RewriteOrKeep) {
    const RuleCase& c = GetParam();
    EXPECT_EQ(c.rule(c.typed), c.rewritten);
}

const std::nullopt_t kKeep = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Boxes, InputRules,
    ::testing::Values(
        RuleCase{"WidthLetters", Width, "abc", "64"}, RuleCase{"WidthZero", Width, "0", "64"},
        RuleCase{"WidthNegative", Width, "-3", "64"}, RuleCase{"WidthTooWide", Width, "5000", "1024"},
        RuleCase{"WidthMaximum", Width, "1024", kKeep}, RuleCase{"WidthFraction", Width, "12.5", kKeep},
        RuleCase{"WidthBelowOne", Width, "0.5", kKeep}, RuleCase{"WidthBlanks", Width, "  32 ", kKeep},
        RuleCase{"WidthExponent", Width, "1e3", kKeep}, RuleCase{"WidthBigExponent", Width, "2E3", "1024"},
        RuleCase{"WidthHugeExponent", Width, "1e999", "1024"},
        RuleCase{"WidthTrailingLetters", Width, "12abc", "64"},
        RuleCase{"WidthInnerBlank", Width, "1 2", "64"}, RuleCase{"WidthEmpty", Width, "", kKeep},
        RuleCase{"WidthBlankOnly", Width, "  ", "64"}, RuleCase{"HeightTooHigh", Height, "300", "256"},
        RuleCase{"HeightMaximum", Height, "256", kKeep}, RuleCase{"HeightLetters", Height, "x", "64"},
        RuleCase{"DetailWidthLetters", DetailWidth, "q", "16"},
        RuleCase{"DetailWidthTooWide", DetailWidth, "1025", "1024"},
        RuleCase{"DetailHeightZero", DetailHeight, "0", "16"},
        RuleCase{"DetailHeightTooHigh", DetailHeight, "257", "256"},
        RuleCase{"LevelsTooMany", ApplyLevelsRule, "9", "7"},
        RuleCase{"LevelsLetter", ApplyLevelsRule, "x", "5"},
        RuleCase{"LevelsNegative", ApplyLevelsRule, "-1", "0"},
        RuleCase{"LevelsZero", ApplyLevelsRule, "0", kKeep},
        RuleCase{"LevelsSeven", ApplyLevelsRule, "7", kKeep},
        RuleCase{"LevelsEmpty", ApplyLevelsRule, "", kKeep},
        RuleCase{"ShiftLetter", ApplyShiftRule, "x", "1"},
        RuleCase{"ShiftNegative", ApplyShiftRule, "-1", "0"},
        RuleCase{"ShiftTooLarge", ApplyShiftRule, "6", "5"},
        RuleCase{"ShiftFive", ApplyShiftRule, "5", kKeep},
        RuleCase{"LODFracZero", ApplyLODFracRule, "0", "0.8"},
        RuleCase{"LODFracNegative", ApplyLODFracRule, "-0.5", "0.8"},
        RuleCase{"LODFracOne", ApplyLODFracRule, "1", "0.99"},
        RuleCase{"LODFracJustBelowOne", ApplyLODFracRule, "0.995", kKeep},
        RuleCase{"LODFracLetters", ApplyLODFracRule, "abc", "0.8"},
        RuleCase{"LODFracSmall", ApplyLODFracRule, "1e-3", kKeep},
        RuleCase{"LODFracEmpty", ApplyLODFracRule, "", kKeep}),
    vellora::test::RowName());

TEST(InputRules, EmptyLevelsBoxGetsSevenOnLeaving) {
    EXPECT_EQ(kLevelsFocusFallback, "7");
}

TEST(InputRules, LevelControlsFollowModeAndDetailMap) {
    struct Case {
        const char* name;
        bool autoLevels, detail;
        const char* caption;
    };
    const Case cases[] = {{"Auto", true, true, "Automatic Levels Calculated"},
                          {"AutoNoDetail", true, false, "Automatic Levels Calculated"},
                          {"ManualDetail", false, true, "Desired Levels (Min 1, Max 7)"},
                          {"ManualNoDetail", false, false, "Desired Levels (Min 0, Max 7)"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LevelControls lc = LevelControlsFor(c.autoLevels, c.detail);
        EXPECT_EQ(lc.levelsCaption, c.caption);
        EXPECT_EQ(lc.levelsEnabled, !c.autoLevels);
        EXPECT_EQ(lc.manMipMapEnabled, !c.autoLevels);
        EXPECT_EQ(lc.stopRulesEnabled, c.autoLevels);
    }
}

TEST(Numeric, WholeTextMustBeOneNumber) {
    struct Case {
        const char* text;
        std::optional<double> value;
    };
    const Case cases[] = {{"12", 12},   {" 12.5\t", 12.5}, {"+3", 3},       {"-3", -3},  {".5", 0.5},
                          {"5.", 5},    {"1e2", 100},      {"1.5E-1", .15}, {"1e", {}},  {"e5", {}},
                          {".", {}},    {"", {}},          {"12abc", {}},   {"1 2", {}}, {"--1", {}},
                          {"0x10", {}}, {"1,5", {}},       {"+", {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("text \"") + c.text + "\"");
        EXPECT_EQ(NumericValue(c.text), c.value);
    }
}

TEST(Numeric, LeadingNumberOfATypedAnswer) {
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {{"12abc", 12},   {"  16", 16}, {"", 0},    {"abc", 0}, {"-5x", -5},
                          {"2.5e1px", 25}, {"12e", 12},  {"7 8", 7}, {".", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("text \"") + c.text + "\"");
        EXPECT_EQ(LeadingNumber(c.text), c.value);
    }
}

TEST(Numeric, NearestGoesHalfToEven) {
    struct Case {
        double x, expected;
    };
    const Case cases[] = {{0.5, 0},   {1.5, 2},    {2.5, 2},    {127.5, 128}, {-0.5, 0},  {-1.5, -2},
                          {-2.5, -2}, {2.4999, 2}, {2.5001, 3}, {7, 7},       {-7.2, -7}, {1e15 + 0.5, 1e15}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_EQ(Nearest(c.x), c.expected);
    }
}

TEST(Numeric, RoundUpIsATrueCeiling) {
    struct Case {
        double x;
        int expected;
    };
    const Case cases[] = {{2, 2},    {2.1, 3},       {0, 0},       {-2.5, -2},
                          {-0.1, 0}, {32767, 32767}, {1e9, 32767}, {-1e9, -32768}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_EQ(RoundUp(c.x), c.expected);
    }
}

TEST(Numeric, DecimalTextHasNoSeparators) {
    EXPECT_EQ(DecimalText(5488), "5488");
    EXPECT_EQ(DecimalText(-1392), "-1392");
    EXPECT_EQ(DecimalText(1048576), "1048576");
}

TEST(Formats, TableOfBitDepthsAndCI) {
    struct Case {
        int format, bits;
        bool ci;
    };
    const Case cases[] = {{0, 4, true},   {1, 4, false},  {2, 8, true},  {3, 8, false},
                          {4, 16, false}, {5, 32, false}, {-1, 4, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(BitDepth(FormatAt(c.format)), c.bits);
        EXPECT_EQ(IsCI(FormatAt(c.format)), c.ci);
    }
}

TEST(Formats, AlignmentAndPaddedWidth) {
    struct Case {
        int width, bits, padded;
        bool aligned;
    };
    const Case cases[] = {{16, 4, 16, true}, {17, 4, 32, false}, {47, 4, 48, false}, {1, 4, 16, false},
                          {8, 8, 8, true},   {47, 8, 48, false}, {12, 8, 16, false}, {4, 16, 4, true},
                          {5, 16, 8, false}, {2, 32, 2, true},   {1, 32, 2, false},  {1024, 4, 1024, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " at " + std::to_string(c.bits));
        EXPECT_EQ(IsAligned(c.width, c.bits), c.aligned);
        EXPECT_EQ(PaddedWidth(c.width, c.bits), c.padded);
    }
    EXPECT_EQ(LevelBytes(4, 48, 64), 1536);
    EXPECT_EQ(LevelBytes(32, 2, 1), 8);
}

} // namespace
} // namespace vellora
