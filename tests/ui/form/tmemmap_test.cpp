// SPDX-License-Identifier: MIT
#include "core/tmemmap.h"
#include "ui/form.h"

#include "namedrows.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace vellora {
namespace {

using vellora::test::PrintTo;

std::string MapText(const TmemMap& map) {
    std::string s;
    for (ByteColour c : map)
        s += ByteColourChar(c);
    return s;
}

// The expected map as runs of (character, count), the rest free.
std::string Runs(const std::vector<std::pair<char, int>>& runs, char rest = '.') {
    std::string s;
    for (auto [c, n] : runs)
        s.append(static_cast<std::size_t>(n), c);
    if (s.size() < kTmemBytes)
        s.append(kTmemBytes - s.size(), rest);
    return s;
}

std::vector<std::pair<char, int>> Rows(int rows, std::vector<std::pair<char, int>> row) {
    std::vector<std::pair<char, int>> out;
    for (int r = 0; r < rows; ++r)
        out.insert(out.end(), row.begin(), row.end());
    return out;
}

std::vector<std::pair<char, int>> operator+(std::vector<std::pair<char, int>> a,
                                            const std::vector<std::pair<char, int>>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Settings Plain(std::string width, std::string height, int format, bool autoLevels, std::string levels) {
    Settings s;
    s.width = std::move(width);
    s.height = std::move(height);
    s.baseFormat = FormatAt(format);
    s.detailEnabled = false;
    s.autoLevels = autoLevels;
    s.levels = std::move(levels);
    return s;
}

TEST(TmemMap, ColoursAndCharacters) {
    struct Case {
        ByteColour colour;
        Rgb rgb;
        char ch;
    };
    const Case cases[] = {
        {ByteColour::Free, {0, 255, 0}, '.'},          {ByteColour::FreePalette, {128, 128, 128}, ':'},
        {ByteColour::EvenLevel, {0, 0, 127}, 'b'},     {ByteColour::OddLevel, {0, 0, 254}, 'B'},
        {ByteColour::EvenLevelHigh, {127, 0, 0}, 'r'}, {ByteColour::OddLevelHigh, {254, 0, 0}, 'R'},
        {ByteColour::Padding, {255, 255, 0}, 'y'}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ch);
        EXPECT_EQ(ByteColourRgb(c.colour), c.rgb);
        EXPECT_EQ(ByteColourChar(c.colour), c.ch);
    }
}

struct MapCase {
    const char* name;
    Settings settings;
    std::string expected;
};

class TmemMapOfCount : public ::testing::TestWithParam<MapCase> {};

TEST_P(TmemMapOfCount, BytesLieWhereTheCountPutsThem) {
    CoreState st;
    CountResult r = CalcTMEM(GetParam().settings, st);
    const std::string actual = MapText(r.count.tmemMap);
    ASSERT_EQ(actual.size(), static_cast<std::size_t>(kTmemBytes));
    // Compare run by run so a failure names the first wrong address.
    for (int a = 0; a < kTmemBytes; ++a)
        ASSERT_EQ(actual[a], GetParam().expected[a]) << "address " << a;
}

const auto kLevels0To2 = std::vector<std::pair<char, int>>{{'b', 2048}, {'B', 512}, {'b', 128}};
const auto kLevels3To5 =
    Rows(8, {{'B', 4}, {'y', 4}}) + Rows(4, {{'b', 2}, {'y', 6}}) + Rows(2, {{'B', 1}, {'y', 7}});

INSTANTIATE_TEST_SUITE_P(
    Map, TmemMapOfCount,
    ::testing::Values(
        MapCase{"Manual5", Plain("64", "64", 1, false, "5"), Runs(kLevels0To2 + kLevels3To5)},
        MapCase{"Automatic", Plain("64", "64", 1, true, "1"),
                Runs(kLevels0To2 + kLevels3To5 + std::vector<std::pair<char, int>>{{'b', 1}, {'y', 7}})},
        MapCase{"CIAboveHalfIsRed", Plain("64", "64", 0, true, "1"),
                Runs(std::vector<std::pair<char, int>>{{'b', 2048}, {'R', 512}, {'r', 128}} +
                         Rows(8, {{'R', 4}, {'y', 4}}) + Rows(4, {{'r', 2}, {'y', 6}}) +
                         Rows(2, {{'R', 1}, {'y', 7}}) +
                         std::vector<std::pair<char, int>>{{'r', 1}, {'y', 7}},
                     ':')},
        MapCase{"CISmallLeavesUpperHalfGrey", Plain("16", "16", 0, false, "0"),
                Runs({{'b', 128}, {'.', 2048 - 128}}, ':')},
        MapCase{"Width47At8Bits", Plain("47", "4", 3, false, "0"), Runs(Rows(4, {{'b', 47}, {'y', 1}}))},
        MapCase{"OverTheLimitFillsEverything", Plain("64", "64", 3, false, "5"), Runs({{'b', 4096}})},
        MapCase{"OverTheLimitMidLevel", Plain("64", "56", 3, false, "1"), Runs({{'b', 3584}, {'B', 512}})}),
    vellora::test::RowName());

TEST(TmemMap, TypedLevelsFollowTheBase) {
    Settings s = Plain("64", "64", 1, false, "1");
    CoreState st;
    CalcTMEM(s, st);
    CalcHooks hooks;
    hooks.askTile = [](const std::string&, const std::string&) { return std::string("16"); };
    CountResult r = CalcTMEM(s, st, true, hooks);
    EXPECT_EQ(r.count.totalBytes, 2176);
    EXPECT_EQ(MapText(r.count.tmemMap), Runs({{'b', 2048}, {'B', 128}}));
}

TEST(TmemMap, WalkOverRecords) {
    auto level = [](int w, int lw, int h, int bits) {
        TileLevel t;
        t.Width = w;
        t.LineWidth = lw;
        t.Height = h;
        t.BitDepth = bits;
        return t;
    };
    struct Case {
        const char* name;
        std::vector<TileLevel> levels;
        bool ci;
        std::string expected;
    };
    const Case cases[] = {
        {"EmptyRecordsAddNothing",
         {level(16, 16, 2, 4), level(0, 0, 5, 4), level(16, 16, 0, 4), level(16, 16, 1, 4)},
         false,
         Runs({{'b', 16}, {'B', 8}})},
        {"BitDepthZeroEndsTheWalk",
         {level(16, 16, 2, 4), level(0, 0, 0, 0), level(16, 16, 4, 4)},
         false,
         Runs({{'b', 16}})},
        {"StopsAtTheEndOfTmem",
         {level(1024, 1024, 3, 8), level(1024, 1024, 3, 8)},
         false,
         Runs({{'b', 3072}, {'B', 1024}})},
        {"RowsPastTheEndAreNotDrawn",
         {level(64, 64, 63, 8), level(60, 64, 2, 8), level(8, 8, 1, 8)},
         false,
         Runs({{'b', 4032}, {'B', 60}, {'y', 4}})},
        {"CIRowCrossingTheMiddle",
         {level(16, 16, 1, 8), level(1024, 1024, 2, 8)},
         true,
         Runs({{'b', 16}, {'B', 2032}, {'R', 16}}, ':')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TileTable tiles;
        for (std::size_t i = 0; i < c.levels.size(); ++i)
            tiles[i] = c.levels[i];
        TmemMap map;
        map.fill(ByteColour::Padding); // every byte must be rewritten
        BuildTmemMap(tiles, c.ci, map);
        EXPECT_EQ(MapText(map), c.expected);
    }
}

TEST(TmemMap, CellLayoutCentresTheColumnsAroundTheDivider) {
    const TmemLayout layout = ComputeTmemLayout(5934, 15, 15, 8.25);
    EXPECT_EQ(layout.cells[0].left, 252);
    EXPECT_EQ(layout.cells[511].left + kTmemCellTwips, 2877 - 3 * 9 * kTmemCellTwips);
    EXPECT_EQ(layout.cells[2047].left + kTmemCellTwips, 2877);
    EXPECT_EQ(layout.dividerLeft, 2952);
    EXPECT_EQ(layout.dividerLeft + layout.dividerWidth, 2997);
    EXPECT_EQ(layout.cells[2048].left, 3087);
    EXPECT_EQ(layout.labelTop, 120);
    EXPECT_EQ(layout.labelHeight, 205); // (8.25 + 2) / 0.75 points in twips at 15 per pixel
    EXPECT_EQ(layout.dividerTop, layout.labelTop + layout.labelHeight);

    // Every address: byte b of line l of column c, cells 75 twips apart.
    for (int a = 0; a < kTmemBytes; ++a) {
        const int c = a / 512, l = (a % 512) / 8, b = a % 8;
        SCOPED_TRACE(a);
        ASSERT_EQ(layout.cells[a].top, layout.dividerTop + 120 + l * kTmemCellTwips);
        ASSERT_EQ(layout.cells[a].left, layout.cells[512 * c].left + b * kTmemCellTwips);
        if (c > 0 && c != 4) {
            ASSERT_EQ(layout.cells[a].left, layout.cells[a - 512].left + 9 * kTmemCellTwips);
        }
    }
}

} // namespace
} // namespace vellora
