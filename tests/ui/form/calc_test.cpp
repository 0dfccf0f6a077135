// SPDX-License-Identifier: MIT
#include "core/formats.h"
#include "document/messages.h"
#include "ui/form.h"

#include "namedrows.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace vellora {
namespace {

using vellora::test::PrintTo;

struct Level {
    int width, height, lineWidth;
};

Settings NoDetail(std::string width = "64", std::string height = "64", int format = 1) {
    Settings s;
    s.width = std::move(width);
    s.height = std::move(height);
    s.baseFormat = FormatAt(format);
    s.detailEnabled = false;
    return s;
}

Settings Manual(Settings s, std::string levels) {
    s.autoLevels = false;
    s.levels = std::move(levels);
    return s;
}

Settings WidthRule(Settings s) {
    s.widthRule = true;
    return s;
}

std::vector<Level> Counted(const CoreState& st, const CountResult& r) {
    std::vector<Level> out;
    for (int i = 0; i <= r.count.maxIndex; ++i) {
        const TileLevel& t = st.tiles[i];
        out.push_back({t.Width, t.Height, t.LineWidth});
    }
    return out;
}

void ExpectLevels(const std::vector<Level>& actual, const std::vector<Level>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("level " + std::to_string(i));
        EXPECT_EQ(actual[i].width, expected[i].width);
        EXPECT_EQ(actual[i].height, expected[i].height);
        EXPECT_EQ(actual[i].lineWidth, expected[i].lineWidth);
    }
}

const std::vector<Level> kPyramid64 = {{64, 64, 64}, {32, 32, 32}, {16, 16, 16}, {8, 8, 16},
                                       {4, 4, 16},   {2, 2, 16},   {1, 1, 16}};

struct WorkedExample {
    const char* name;
    Settings settings;
    std::vector<Level> levels;
    long total;
    bool exceeds;
    const char* percent;
    int maxIndex;
};

class WorkedExamples : public ::testing::TestWithParam<WorkedExample> {};

TEST_P(WorkedExamples, CountsLevelsTotalAndResult) {
    const WorkedExample& ex = GetParam();
    CoreState st;
    CountResult r = CalcTMEM(ex.settings, st);
    ExpectLevels(Counted(st, r), ex.levels);
    EXPECT_EQ(r.count.totalBytes, ex.total);
    EXPECT_EQ(r.count.exceeds(), ex.exceeds);
    EXPECT_EQ(r.percentCaption, ex.percent);
    EXPECT_EQ(r.count.maxIndex, ex.maxIndex);
    const std::string total = std::to_string(ex.total);
    if (ex.exceeds) {
        EXPECT_EQ(r.excedeCaption, total + " Bytes\r\nExceeds TMEM by " +
                                       std::to_string(ex.total - r.count.tmemLimit) + " Bytes");
        EXPECT_EQ(r.fillBarWidth, 4096.0f);
        EXPECT_EQ(r.fillBarPaint, Paint::Red);
        EXPECT_EQ(r.excedeBack, Paint::Red);
        EXPECT_EQ(r.excedeFore, Paint::White);
    } else {
        EXPECT_EQ(r.excedeCaption, "\r\n" + total + " Bytes\r\nGood!");
        EXPECT_EQ(r.fillBarWidth, static_cast<float>(4096.0 / r.count.tmemLimit * ex.total));
        EXPECT_EQ(r.fillBarPaint, Paint::Highlight);
        EXPECT_EQ(r.excedeBack, Paint::Green);
        EXPECT_EQ(r.excedeFore, Paint::Black);
    }
    EXPECT_TRUE(r.messages.empty());
}

std::vector<Level> FirstOf(const std::vector<Level>& v, std::size_t n) {
    return {v.begin(), v.begin() + n};
}

INSTANTIATE_TEST_SUITE_P(
    Count, WorkedExamples,
    ::testing::Values(
        WorkedExample{"Auto64HeightRule", NoDetail(), kPyramid64, 2808, false, "68%", 6},
        WorkedExample{"Manual5", Manual(NoDetail(), "5"), FirstOf(kPyramid64, 6), 2800, false, "68%", 5},
        WorkedExample{"EightBitManual5",
                      Manual(NoDetail("64", "64", 3), "5"),
                      {{64, 64, 64}, {32, 32, 32}, {16, 16, 16}, {8, 8, 8}, {4, 4, 8}, {2, 2, 8}},
                      5488,
                      true,
                      "133%",
                      5},
        WorkedExample{"WidthRule64Bit", WidthRule(NoDetail()), FirstOf(kPyramid64, 3), 2688, false, "65%", 2},
        WorkedExample{"Width47Manual0", Manual(NoDetail("47"), "0"), {{47, 64, 48}}, 1536, false, "37%", 0},
        WorkedExample{"StartupState",
                      Settings{},
                      {{16, 16, 16}, {64, 64, 64}, {32, 32, 32}, {16, 16, 16}, {8, 8, 16}, {4, 4, 16}, {2, 2, 16},
                       {1, 1, 16}},
                      2936,
                      false,
                      "71%",
                      7},
        WorkedExample{"CIFourBitAuto", NoDetail("64", "64", 0), kPyramid64, 2808, true, "137%", 6},
        WorkedExample{"ExactlyAtLimit", Manual(NoDetail("64", "64", 3), "0"), {{64, 64, 64}}, 4096, false, "100%",
                      0},
        WorkedExample{"Halving255High",
                      Manual(NoDetail("16", "255"), "2"),
                      {{16, 255, 16}, {8, 128, 16}, {4, 64, 16}},
                      2040 + 1024 + 512,
                      false,
                      "87%",
                      2},
        WorkedExample{"HalvingWidth5",
                      Manual(NoDetail("5", "8"), "1"),
                      {{5, 8, 16}, {2, 4, 16}},
                      64 + 32,
                      false,
                      "2%",
                      1},
        WorkedExample{"HalvingWidth3",
                      NoDetail("3", "8"),
                      {{3, 8, 16}, {2, 4, 16}, {1, 2, 16}},
                      64 + 32 + 16,
                      false,
                      "2%",
                      2},
        WorkedExample{"Wide1024x1CountsOneLevel", NoDetail("1024", "1"), {{1024, 1, 1024}}, 512, false, "12%", 0},
        WorkedExample{"DetailOnManual0CountsBoth",
                      Manual(Settings{}, "0"),
                      {{16, 16, 16}, {64, 64, 64}},
                      128 + 2048,
                      false,
                      "53%",
                      1},
        WorkedExample{"WidthRule32BitKeepsTwoTexels",
                      WidthRule(NoDetail("64", "64", 5)),
                      {{64, 64, 64}, {32, 32, 32}, {16, 16, 16}, {8, 8, 8}, {4, 4, 4}, {2, 2, 2}},
                      16384 + 4096 + 1024 + 256 + 64 + 16,
                      true,
                      "533%",
                      5},
        WorkedExample{"HeightRule32BitCountsOneTexel",
                      NoDetail("64", "64", 5),
                      {{64, 64, 64}, {32, 32, 32}, {16, 16, 16}, {8, 8, 8}, {4, 4, 4}, {2, 2, 2}, {1, 1, 2}},
                      16384 + 4096 + 1024 + 256 + 64 + 16 + 8,
                      true,
                      "533%",
                      6},
        // A detail map one texel wide must not end the pyramid before the
        // base texture and its levels are counted.
        WorkedExample{"ThinDetailMapKeepsBasePyramid",
                      [] {
                          Settings s;
                          s.detailWidth = "1";
                          return s;
                      }(),
                      {{1, 16, 16}, {64, 64, 64}, {32, 32, 32}, {16, 16, 16}, {8, 8, 16}, {4, 4, 16}, {2, 2, 16},
                       {1, 1, 16}},
                      2936,
                      false,
                      "71%",
                      7},
        WorkedExample{"FlatDetailMapKeepsBasePyramid",
                      Manual(
                          [] {
                              Settings s;
                              s.detailHeight = "1";
                              return s;
                          }(),
                          "3"),
                      {{16, 1, 16}, {64, 64, 64}, {32, 32, 32}, {16, 16, 16}},
                      8 + 2048 + 512 + 128,
                      false,
                      "65%",
                      3}),
    vellora::test::RowName());

TEST(Count, RecordsAboveTheLastLevelAreCleared) {
    CoreState st;
    CalcTMEM(NoDetail(), st); // seven levels
    CalcTMEM(Manual(NoDetail(), "2"), st);
    for (int i = 3; i < kLevelCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(st.tiles[i].Width, 0);
        EXPECT_EQ(st.tiles[i].LineWidth, 0);
        EXPECT_EQ(st.tiles[i].Height, 0);
        EXPECT_EQ(st.tiles[i].BitDepth, 0);
    }
}

TEST(Count, EmptyAndFractionalSizeTexts) {
    CoreState st;
    CalcTMEM(NoDetail("32", "16"), st);
    // An empty box leaves the size the previous count read.
    CountResult r = CalcTMEM(Manual(NoDetail("", ""), "0"), st);
    EXPECT_EQ(st.tiles[0].Width, 32);
    EXPECT_EQ(st.tiles[0].Height, 16);
    EXPECT_EQ(r.count.totalBytes, 256);
    // Fractions and exponents are read as numbers and cut to whole texels.
    r = CalcTMEM(Manual(NoDetail("12.5", " 6.4e1 "), "0"), st);
    EXPECT_EQ(st.tiles[0].Width, 12);
    EXPECT_EQ(st.tiles[0].Height, 64);
    EXPECT_EQ(st.tiles[0].LineWidth, 16);
}

// "0.5" is numeric and above 0, so the box keeps it, but it floors to no
// texel at all: the count must not take a logarithm of 0 for the mask.
TEST(Count, WidthBelowOneTexelCountsNothingAndShowsRed) {
    CoreState st;
    CountResult r = CalcTMEM(Manual(NoDetail("0.5", "64"), "0"), st);
    EXPECT_EQ(st.tiles[0].Width, 0);
    EXPECT_EQ(r.count.totalBytes, 0);
    EXPECT_EQ(r.maskW, "0");
    EXPECT_EQ(r.wrapW, "1");
    EXPECT_EQ(r.widthBack, Paint::Red);
    EXPECT_FALSE(r.count.baseWidthAligned);
    EXPECT_EQ(r.maskH, "6");
}

TEST(Count, NumbersCarryNoThousandsSeparators) {
    CoreState st;
    CountResult r = CalcTMEM(Manual(NoDetail("1024", "256", 5), "0"), st);
    EXPECT_EQ(r.count.totalBytes, 1048576);
    EXPECT_EQ(r.excedeCaption, "1048576 Bytes\r\nExceeds TMEM by 1044480 Bytes");
    EXPECT_EQ(r.percentCaption, "25600%");
    EXPECT_EQ(r.fillBarWidth, 4096.0f);
}

TEST(Count, CIBaseHalvesTheLimit) {
    CoreState st;
    CountResult plain = CalcTMEM(Manual(NoDetail("64", "64", 3), "1"), st);
    EXPECT_EQ(plain.count.tmemLimit, 4096);
    EXPECT_FALSE(plain.count.baseIsCI);
    CountResult ci = CalcTMEM(Manual(NoDetail("64", "32", 2), "0"), st);
    EXPECT_EQ(ci.count.tmemLimit, 2048);
    EXPECT_TRUE(ci.count.baseIsCI);
    EXPECT_EQ(ci.count.totalBytes, 2048);
    EXPECT_FALSE(ci.count.exceeds());
    EXPECT_EQ(ci.fillBarWidth, 4096.0f); // the bar grows twice as fast
    EXPECT_EQ(ci.percentCaption, "100%");
}

TEST(Levels, ManualLevelBeyondThePyramidIsCutBackAndWarnedOnce) {
    CoreState st;
    const Settings s = Manual(NoDetail(), "7");
    CountResult first = CalcTMEM(s, st);
    EXPECT_EQ(first.count.maxIndex, 6);
    ASSERT_TRUE(first.levelsBox.has_value());
    EXPECT_EQ(*first.levelsBox, Paint::Yellow);
    ASSERT_EQ(first.messages.size(), 1u);
    EXPECT_EQ(first.messages[0],
              "Cannot make any more levels\r\nSetting to maximum allowable by Texture size");
    EXPECT_TRUE(st.levelWarned);

    CountResult second = CalcTMEM(s, st);
    EXPECT_EQ(second.count.maxIndex, 6);
    EXPECT_EQ(*second.levelsBox, Paint::Yellow);
    EXPECT_TRUE(second.messages.empty());

    CountResult fits = CalcTMEM(Manual(NoDetail(), "6"), st);
    EXPECT_EQ(*fits.levelsBox, Paint::Window);
}

TEST(Levels, AutomaticLevelsNeverWarn) {
    CoreState st;
    Settings s = NoDetail("1024", "1");
    s.levels = "7";
    CountResult r = CalcTMEM(s, st);
    EXPECT_EQ(r.count.maxIndex, 0);
    EXPECT_EQ(*r.levelsBox, Paint::Window);
    EXPECT_TRUE(r.messages.empty());
    EXPECT_FALSE(st.levelWarned);
}

TEST(Levels, SliderRangeFollowsTheLastLevel) {
    CoreState st;
    EXPECT_EQ(CalcTMEM(NoDetail(), st).sliderTileMax, 60);
    EXPECT_EQ(CalcTMEM(Settings{}, st).sliderTileMax, 70);
}

TEST(Levels, PixelsAreRegeneratedOnlyForALoadedPictureWithAutoTiles) {
    struct Case {
        const char* name;
        bool loaded, noAutoTiles, expectCall;
    };
    const Case cases[] = {{"LoadedAuto", true, false, true},
                          {"LoadedManualTiles", true, true, false},
                          {"NothingLoaded", false, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CoreState st;
        st.bitmapLoaded = c.loaded;
        st.noAutoTiles = c.noAutoTiles;
        int calls = 0, last = -1, flag = -1;
        CalcHooks hooks;
        hooks.regenerate = [&](TileTable&, int lastLevel, int detailFlag) {
            ++calls;
            last = lastLevel;
            flag = detailFlag;
        };
        CalcTMEM(Settings{}, st, false, hooks);
        EXPECT_EQ(calls, c.expectCall ? 1 : 0);
        if (c.expectCall) {
            EXPECT_EQ(last, 7);
            EXPECT_EQ(flag, 1);
        }
    }
}

// The scripted input box: answers in order, records every prompt and title.
struct ScriptedPrompts {
    std::deque<std::string> answers;
    std::vector<std::string> prompts;
    std::vector<std::string> titles;
    CalcHooks Hooks() {
        CalcHooks h;
        h.askTile = [this](const std::string& prompt, const std::string& title) {
            prompts.push_back(prompt);
            titles.push_back(title);
            if (answers.empty())
                return std::string("1"); // never loop forever on a broken test
            std::string a = answers.front();
            answers.pop_front();
            return a;
        };
        return h;
    }
};

TEST(TilePrompts, TypedLevelAboveTheBase) {
    CoreState st;
    const Settings s = Manual(NoDetail(), "1");
    CalcTMEM(s, st);
    ScriptedPrompts p{{"16", "16"}, {}, {}};
    CountResult r = CalcTMEM(s, st, true, p.Hooks());
    EXPECT_EQ(r.count.totalBytes, 2176);
    EXPECT_FALSE(r.count.exceeds());
    EXPECT_EQ(r.count.maxIndex, 1);
    EXPECT_FALSE(r.levelsTextWritten);
    EXPECT_FALSE(r.levelsBox.has_value());
    EXPECT_EQ(p.prompts,
              (std::vector<std::string>{"Enter the width of tile 1", "Enter the Height of tile 1"}));
    EXPECT_EQ(p.titles, (std::vector<std::string>{"Tile 1 of 1", "Tile 1 of 1"}));
    EXPECT_EQ(st.tiles[1].Width, 16);
    EXPECT_EQ(st.tiles[1].Height, 16);
}

TEST(TilePrompts, BadAnswersAreAskedAgain) {
    CoreState st;
    const Settings s = Manual(NoDetail(), "1");
    CalcTMEM(s, st);
    ScriptedPrompts p{{"0", "2000", "", "12abc", "300", "x", " 16"}, {}, {}};
    CountResult r = CalcTMEM(s, st, true, p.Hooks());
    const std::string again = "Error: Please Re-Enter the ";
    EXPECT_EQ(p.prompts, (std::vector<std::string>{"Enter the width of tile 1", again + "width of tile 1",
                                                   again + "width of tile 1", again + "width of tile 1",
                                                   "Enter the Height of tile 1", again + "Height of tile 1",
                                                   again + "Height of tile 1"}));
    EXPECT_EQ(st.tiles[1].Width, 12);
    EXPECT_EQ(st.tiles[1].LineWidth, 16);
    EXPECT_EQ(st.tiles[1].Height, 16);
    EXPECT_EQ(r.count.totalBytes, 2176);
}

TEST(TilePrompts, AnswersRoundBeforeTheRangeCheck) {
    struct Case {
        const char* name;
        std::deque<std::string> widthAnswers;
        int width;
        std::size_t asked;
    };
    const Case cases[] = {{"JustBelowHalf", {"0.4", "3"}, 3, 2},
                          {"JustAboveHalf", {"0.6"}, 1, 1},
                          {"RoundsDownToMaximum", {"1024.4"}, 1024, 1},
                          {"RoundsUpPastMaximum", {"1024.6", "8"}, 8, 2},
                          {"Exponent", {"1e3"}, 1000, 1},
                          {"Negative", {"-16", "16"}, 16, 2},
                          {"LeadingBlanks", {"   24px"}, 24, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CoreState st;
        const Settings s = Manual(NoDetail(), "1");
        CalcTMEM(s, st);
        ScriptedPrompts p{c.widthAnswers, {}, {}};
        p.answers.push_back("4"); // the height
        CalcTMEM(s, st, true, p.Hooks());
        EXPECT_EQ(st.tiles[1].Width, c.width);
        EXPECT_EQ(p.prompts.size(), c.asked + 1);
    }
}

TEST(TilePrompts, DetailMapShiftsTheFirstTileAndIsCounted) {
    CoreState st;
    const Settings s = Manual(Settings{}, "3");
    CalcTMEM(s, st);
    ScriptedPrompts p{{"40", "8", "3", "100"}, {}, {}};
    CountResult r = CalcTMEM(s, st, true, p.Hooks());
    EXPECT_EQ(p.titles.front(), "Tile 2 of 3");
    EXPECT_EQ(p.titles.back(), "Tile 3 of 3");
    EXPECT_EQ(p.prompts.front(), "Enter the width of tile 2");
    // 128 detail + 2048 base + 48x8 + 16x100 at 4 bits; sizes need not halve.
    EXPECT_EQ(r.count.totalBytes, 128 + 2048 + 192 + 800);
    EXPECT_EQ(r.count.maxIndex, 3);
}

TEST(TilePrompts, AnswersAreRoundedHalfToEven) {
    CoreState st;
    const Settings s = Manual(NoDetail(), "1");
    CalcTMEM(s, st);
    ScriptedPrompts p{{"16.5", "2.5"}, {}, {}};
    CalcTMEM(s, st, true, p.Hooks());
    EXPECT_EQ(st.tiles[1].Width, 16);
    EXPECT_EQ(st.tiles[1].Height, 2);
}

struct MaskCase {
    const char* name;
    const char* width;
    const char* height;
    int format;
    const char* maskW;
    const char* wrapW;
    const char* maskH;
    const char* wrapH;
    bool widthRed;
};

class MaskAndWrap : public ::testing::TestWithParam<MaskCase> {};

TEST_P(MaskAndWrap, ValuesAndWidthColour) {
    const MaskCase& c = GetParam();
    CoreState st;
    CountResult r = CalcTMEM(Manual(NoDetail(c.width, c.height, c.format), "0"), st);
    EXPECT_EQ(r.maskW, c.maskW);
    EXPECT_EQ(r.wrapW, c.wrapW);
    EXPECT_EQ(r.maskH, c.maskH);
    EXPECT_EQ(r.wrapH, c.wrapH);
    EXPECT_EQ(r.widthBack, c.widthRed ? Paint::Red : Paint::Window);
    EXPECT_EQ(r.count.baseWidthAligned, !c.widthRed);
    EXPECT_EQ(r.heightBack, Paint::Window);
    EXPECT_EQ(r.maskWBack, Paint::ButtonFace);
    EXPECT_EQ(r.maskHBack, Paint::ButtonFace);
}

INSTANTIATE_TEST_SUITE_P(Count, MaskAndWrap,
                         ::testing::Values(MaskCase{"Wide64At4", "64", "64", 1, "6", "64", "6", "64", false},
                                           MaskCase{"Wide47At4", "47", "64", 1, "6", "64", "6", "64", true},
                                           MaskCase{"Wide48At4", "48", "64", 1, "6", "64", "6", "64", false},
                                           MaskCase{"Wide12At8", "12", "64", 3, "4", "16", "6", "64", true},
                                           MaskCase{"OneWideAt4", "1", "1", 1, "0", "1", "0", "1", true},
                                           MaskCase{"OneWideAt8", "1", "1", 3, "0", "1", "0", "1", true},
                                           MaskCase{"OneWideAt16", "1", "1", 4, "0", "1", "0", "1", true},
                                           MaskCase{"OneWideAt32", "1", "1", 5, "0", "1", "0", "1", true},
                                           MaskCase{"Wide1024", "1024", "1", 1, "10", "1024", "0", "1",
                                                    false},
                                           MaskCase{"High100", "64", "100", 1, "6", "64", "7", "128", false},
                                           MaskCase{"High256", "64", "256", 1, "6", "64", "8", "256", false},
                                           MaskCase{"Wide2At32", "2", "3", 5, "1", "2", "2", "4", false}),
                         vellora::test::RowName());

struct DetailFormatCase {
    const char* name;
    int detailFormat;
    int baseFormat;
    const char* message; // nullptr: none
};

class DetailFormats : public ::testing::TestWithParam<DetailFormatCase> {};

TEST_P(DetailFormats, MessageIsRaisedOnEveryCount) {
    const DetailFormatCase& c = GetParam();
    Settings s;
    s.baseFormat = FormatAt(c.baseFormat);
    s.detailFormat = FormatAt(c.detailFormat);
    CoreState st;
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        CountResult r = CalcTMEM(s, st);
        if (c.message) {
            ASSERT_EQ(r.messages.size(), 1u);
            EXPECT_EQ(r.messages[0], c.message);
        } else {
            EXPECT_TRUE(r.messages.empty());
        }
        // The count goes on with the detail map's own bit depth.
        EXPECT_EQ(st.tiles[0].BitDepth, BitDepth(FormatAt(c.detailFormat)));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Detail, DetailFormats,
    ::testing::Values(
        DetailFormatCase{"CI4OnPlain", 0, 1, "Cannot mix CI and NON CI Detail Maps"},
        DetailFormatCase{"CI4OnCI8", 0, 2, "Detail Map MUST share the same TLUT as the base texture!"},
        DetailFormatCase{"CI4OnCI4", 0, 0, nullptr},
        DetailFormatCase{"CI8OnPlain", 2, 5, "Cannot mix CI and NON CI Detail Maps"},
        DetailFormatCase{"CI8OnCI4", 2, 0, "Detail Map MUST be 4Bit CI!"},
        DetailFormatCase{"CI8OnCI8", 2, 2, "Detail Map MUST share the same TLUT as the base texture!"},
        DetailFormatCase{"Plain4OnCI", 1, 0, "Cannot mix CI and NON CI Detail Maps"},
        DetailFormatCase{"Plain8OnCI", 3, 2, "Cannot mix CI and NON CI Detail Maps"},
        DetailFormatCase{"Plain16OnCI", 4, 0, "Cannot mix CI and NON CI Detail Maps"},
        DetailFormatCase{"Plain32OnCI", 5, 2, "Cannot mix CI and NON CI Detail Maps"},
        DetailFormatCase{"Plain8OnPlain", 3, 4, nullptr}, DetailFormatCase{"NoneSelected", -1, 0, nullptr}),
    vellora::test::RowName());

TEST(Detail, OptionsEnabledFollowTheBase) {
    struct Case {
        const char* name;
        bool on, ci;
        std::array<bool, kFormatCount> enabled;
    };
    const Case cases[] = {
        {"Off", false, false, {false, false, false, false, false, false}},
        {"OffCI", false, true, {false, false, false, false, false, false}},
        {"OnPlainBase", true, false, {false, true, false, true, true, true}},
        {"OnCIBase", true, true, {true, false, true, false, false, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DetailOptionsEnabled(c.on, c.ci), c.enabled);
    }
    CoreState st;
    Settings s;
    s.baseFormat = FormatAt(2);
    EXPECT_EQ(CalcTMEM(s, st).detailOptionsEnabled, cases[3].enabled);
}

TEST(Detail, SizeAlignmentAndBytes) {
    struct Case {
        const char* name;
        const char* width;
        int format;
        int lineWidth;
        long total;
        bool aligned;
    };
    const Case cases[] = {
        {"Sixteen4Bit", "16", 1, 16, 128 + 2808, true},
        {"Seventeen4BitIsCountedAs32", "17", 1, 32, 256 + 2808, false},
        {"Twelve8Bit", "12", 3, 16, 256 + 2808, false},
        {"Two32Bit", "2", 5, 2, 128 + 2808, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Settings s;
        s.detailWidth = c.width;
        s.detailFormat = FormatAt(c.format);
        CoreState st;
        CountResult r = CalcTMEM(s, st);
        EXPECT_EQ(st.tiles[0].LineWidth, c.lineWidth);
        EXPECT_EQ(r.count.totalBytes, c.total);
        ASSERT_TRUE(r.count.detailWidthAligned.has_value());
        EXPECT_EQ(*r.count.detailWidthAligned, c.aligned);
        EXPECT_EQ(r.detailWidthBack, c.aligned ? Paint::Window : Paint::Red);
        // The base width's colour is its own.
        EXPECT_EQ(r.widthBack, Paint::Window);
    }
    CoreState st;
    EXPECT_FALSE(CalcTMEM(NoDetail(), st).count.detailWidthAligned.has_value());
}

TEST(Detail, ResetPicturesForgetsEveryLevel) {
    TileTable tiles;
    tiles[3].Width = 5;
    tiles[3].BitDepth = 4;
    tiles[3].Pixels = PixelGrid(4, 4);
    ResetPictures(tiles);
    for (const TileLevel& t : tiles) {
        EXPECT_EQ(t.Width + t.LineWidth + t.Height + t.BitDepth, 0);
        EXPECT_EQ(t.Pixels.rows(), 1);
        EXPECT_EQ(t.Pixels.cols(), 1);
    }
}

} // namespace
} // namespace vellora
