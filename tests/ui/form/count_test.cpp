// SPDX-License-Identifier: MIT
// The typed count on its own, and the form layer over it: the same texture
// typed as numbers or entered as box texts counts the same.
#include "core/count.h"
#include "ui/form.h"

#include "namedrows.h"

#include <gtest/gtest.h>

namespace vellora {
namespace {

using test::PrintTo;

struct TypedRow {
    const char* name;
    TextureSpec spec;
    long total;
    int maxIndex;
    long percent;
    bool fits;
};

TextureSpec Spec(int w, int h, Format f, LevelMode mode, int last = 0, std::optional<DetailSpec> d = {}) {
    TextureSpec s;
    s.size = {w, h};
    s.format = f;
    s.levels = mode;
    s.lastLevel = last;
    s.detail = d;
    return s;
}

// The settings the window would hold for the same texture.
Settings FormOf(const TextureSpec& spec) {
    Settings s;
    s.width = std::to_string(spec.size.width);
    s.height = std::to_string(spec.size.height);
    s.baseFormat = spec.format;
    s.autoLevels = spec.levels != LevelMode::Manual;
    s.widthRule = spec.levels == LevelMode::AutoWidth64;
    s.levels = std::to_string(spec.lastLevel);
    s.detailEnabled = spec.detail.has_value();
    if (spec.detail) {
        s.detailWidth = std::to_string(spec.detail->size.width);
        s.detailHeight = std::to_string(spec.detail->size.height);
        s.detailFormat = spec.detail->format;
    }
    return s;
}

class TypedCount : public ::testing::TestWithParam<TypedRow> {};

TEST_P(TypedCount, NumbersAndTheFormAgree) {
    const TypedRow& row = GetParam();
    TileTable tiles{};
    const Count c = CountTexture(row.spec, tiles);
    EXPECT_EQ(c.totalBytes, row.total);
    EXPECT_EQ(c.maxIndex, row.maxIndex);
    EXPECT_EQ(c.percent(), row.percent);
    EXPECT_EQ(!c.exceeds(), row.fits);
    // Levels lie one after another from address 0 and add up to the total.
    long address = 0;
    for (const CountedLevel& l : c.levels) {
        EXPECT_EQ(l.tmemAddress, address);
        address += l.bytes;
    }
    EXPECT_EQ(address, c.totalBytes);

    CoreState state;
    const CountResult form = CalcTMEM(FormOf(row.spec), state);
    EXPECT_EQ(form.count.totalBytes, c.totalBytes);
    EXPECT_EQ(form.count.maxIndex, c.maxIndex);
    EXPECT_EQ(form.count.tmemMap, c.tmemMap);
    EXPECT_EQ(form.percentCaption, std::to_string(row.percent) + "%");
    EXPECT_EQ(form.maskW, std::to_string(c.maskWidth));
    EXPECT_EQ(form.wrapH, std::to_string(c.wrapHeight));
}

INSTANTIATE_TEST_SUITE_P(
    Count, TypedCount,
    ::testing::Values(
        TypedRow{"Auto64At4", Spec(64, 64, Format::Bits4, LevelMode::Auto), 2808, 6, 68, true},
        TypedRow{"StartUpWithDetail",
                 Spec(64, 64, Format::Bits4, LevelMode::Manual, 1, DetailSpec{{16, 16}, Format::Bits4}), 2176,
                 1, 53, true},
        TypedRow{"Ci8HalfLimit", Spec(64, 32, Format::CI8, LevelMode::Manual, 0), 2048, 0, 100, true},
        TypedRow{"Rgba32TooBig", Spec(64, 32, Format::Bits32, LevelMode::Manual, 1), 10240, 1, 250, false},
        TypedRow{"WidthStopAt16Bit", Spec(32, 32, Format::Bits16, LevelMode::AutoWidth64), 2720, 3, 66,
                 true}),
    test::RowName());

TEST(Count, TypedLevelsReplaceTheHalving) {
    TextureSpec spec = Spec(64, 64, Format::Bits8, LevelMode::Manual, 2);
    spec.typedLevels = std::vector<LevelSize>{{20, 10}, {8, 4}};
    TileTable tiles{};
    const Count c = CountTexture(spec, tiles);
    ASSERT_EQ(c.levels.size(), 3u);
    EXPECT_EQ(c.levels[1].width, 20);
    EXPECT_EQ(c.levels[1].lineWidth, 24); // padded to 64-bit words
    EXPECT_EQ(c.levels[2].bytes, 32);
    EXPECT_EQ(c.totalBytes, 4096 + 240 + 32);
    EXPECT_FALSE(c.levelsCutBack);
}

} // namespace
} // namespace vellora
