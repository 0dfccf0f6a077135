// SPDX-License-Identifier: MIT
// The hardware layout against the fact sheet's worked examples and rules.
#include "hardware/gbi.h"
#include "hardware/layout.h"

#include "levelchain.h"
#include "namedrows.h"

#include <gtest/gtest.h>

namespace vellora::hw {
namespace {

using test::PrintTo;

using test::Chain;

struct SetTileRow {
    const char* name;
    int tile, line, tmem, mask, shift;
    std::uint64_t word;
};

class Rgba16Chain : public ::testing::TestWithParam<SetTileRow> {};

TEST_P(Rgba16Chain, SetTileWordsOfThe32x32Chain) {
    const SetTileRow& row = GetParam();
    const Layout layout = LayOut(Chain(32, 32, Kind::RGBA16, 6), {});
    ASSERT_EQ(layout.tiles.size(), 6u);
    const TileDescriptor& d = layout.tiles[static_cast<std::size_t>(row.tile)];
    EXPECT_EQ(d.line, row.line);
    EXPECT_EQ(d.tmem, row.tmem);
    EXPECT_EQ(d.masks, row.mask);
    EXPECT_EQ(d.maskt, row.mask);
    EXPECT_EQ(d.shifts, row.shift);
    EXPECT_EQ(HexWord(d.setTile), HexWord(row.word));
    EXPECT_TRUE(layout.fits);
    EXPECT_EQ(layout.endWord * 8, 2744);
}

INSTANTIATE_TEST_SUITE_P(FactSheet, Rgba16Chain,
                         ::testing::Values(SetTileRow{"Tile0", 0, 8, 0, 5, 0, 0xF510100000014050},
                                           SetTileRow{"Tile1", 1, 4, 256, 4, 1, 0xF510090001010441},
                                           SetTileRow{"Tile2", 2, 2, 320, 3, 2, 0xF51005400200C832},
                                           SetTileRow{"Tile3", 3, 1, 336, 2, 3, 0xF510035003008C23},
                                           SetTileRow{"Tile4", 4, 1, 340, 1, 4, 0xF510035404005014},
                                           SetTileRow{"Tile5", 5, 1, 342, 0, 5, 0xF510035605001405}),
                         test::RowName());

struct DxtRow {
    const char* name;
    int width, height;
    Kind kind;
    int wordsPerRow, dxt, safeRows;
    bool block;
    const char* reason;
};

class LoadPlans : public ::testing::TestWithParam<DxtRow> {};

TEST_P(LoadPlans, DxtAndTheRowsItLoadsCorrectly) {
    const DxtRow& row = GetParam();
    const Layout layout = LayOut(Chain(row.width, row.height, row.kind, 1), {});
    const LoadPlan& p = layout.loads.front();
    EXPECT_EQ(p.wordsPerRow, row.wordsPerRow);
    EXPECT_EQ(p.safeRows, row.safeRows);
    EXPECT_EQ(p.block, row.block);
    EXPECT_EQ(p.reason, row.reason);
    if (row.block) {
        EXPECT_EQ(p.dxt, row.dxt);
    } else {
        EXPECT_FALSE(p.dxt.has_value());
    }
}

INSTANTIATE_TEST_SUITE_P(
    FactSheet, LoadPlans,
    ::testing::Values(
        DxtRow{"Rgba16Width44", 44, 46, Kind::RGBA16, 11, 187, 20, false,
               "dxt 187 loads only 20 of 46 rows correctly"},
        DxtRow{"Rgba16Width52", 52, 39, Kind::RGBA16, 13, 158, 26, false,
               "dxt 158 loads only 26 of 39 rows correctly"},
        DxtRow{"Rgba16Width80", 80, 25, Kind::RGBA16, 20, 103, 8, false,
               "dxt 103 loads only 8 of 25 rows correctly"},
        DxtRow{"Rgba16Width44FewRows", 44, 20, Kind::RGBA16, 11, 187, 20, true, ""},
        DxtRow{"Rgba32PowerOfTwoIsExact", 32, 32, Kind::RGBA32, 16, 128, 32, true, ""},
        DxtRow{"TooManyTexelsForABlock", 64, 48, Kind::RGBA16, 16, 128, 48, false,
               "3072 texels, a block carries at most 2048"},
        DxtRow{"Ci4LoadsAs16Bit", 64, 64, Kind::CI4, 4, 512, 64, true, ""},
        DxtRow{"Rgba32OddWordsARow", 2, 2, Kind::RGBA32, 1, 2048, 2, false,
               "RGBA32 rows of an odd number of words (1) fall out of step over the two halves in a block"},
        DxtRow{"Rgba32OddWordsOneRow", 2, 1, Kind::RGBA32, 1, 2048, 1, true, ""},
        DxtRow{"Rgba32EvenWordsARow", 4, 4, Kind::RGBA32, 2, 1024, 4, true, ""}),
    test::RowName());

struct ImageWidthRow {
    const char* name;
    int width, height;
    Kind kind;
    int imageWidth; // SetTextureImage's width: the padded row in the load's units
    int loadSiz;
};

class LoadTileImages : public ::testing::TestWithParam<ImageWidthRow> {};

// LoadTile steps through memory by SetTextureImage's width, so it must be the
// row as the export pads it, not the level's width.
TEST_P(LoadTileImages, WidthIsThePaddedRow) {
    const ImageWidthRow& row = GetParam();
    const Layout layout = LayOut(Chain(row.width, row.height, row.kind, 1), {});
    const LoadPlan& p = layout.loads.front();
    ASSERT_FALSE(p.block);
    EXPECT_EQ(p.imageWidth, row.imageWidth);
    EXPECT_EQ(p.loadSiz, row.loadSiz);
    const std::vector<Command> list = LoadCommands(layout);
    const auto image = std::find_if(list.begin(), list.end(), [](const Command& c) {
        return c.name == "SetTextureImage" && c.what.find("palette") == std::string::npos;
    });
    ASSERT_NE(image, list.end());
    EXPECT_EQ(image->word >> 32 & 0x3FF, static_cast<std::uint64_t>(row.imageWidth - 1));
}

INSTANTIATE_TEST_SUITE_P(Exported, LoadTileImages,
                         ::testing::Values(ImageWidthRow{"Rgba16", 86, 5, Kind::RGBA16, 88, 2},
                                           ImageWidthRow{"Ia8", 170, 5, Kind::IA8, 176, 1},
                                           ImageWidthRow{"Ci8", 82, 21, Kind::CI8, 88, 1},
                                           ImageWidthRow{"I4AsBytes", 161, 21, Kind::I4, 88, 1},
                                           ImageWidthRow{"Rgba32", 33, 14, Kind::RGBA32, 34, 3}),
                         test::RowName());

struct AddressRow {
    const char* name;
    int address;
    CellUse use;
    int s, t;
    TexelPart part;
};

class Rgba32Map : public ::testing::TestWithParam<AddressRow> {};

TEST_P(Rgba32Map, TexelsOfThe32x32Rgba32Texture) {
    const AddressRow& row = GetParam();
    const Layout layout = LayOut(Chain(32, 32, Kind::RGBA32, 1), {});
    const Cell& c = layout.map[static_cast<std::size_t>(row.address)];
    EXPECT_EQ(c.use(), row.use);
    EXPECT_EQ(c.s(), row.s);
    EXPECT_EQ(c.t(), row.t);
    EXPECT_EQ(c.part(), row.part);
}

INSTANTIATE_TEST_SUITE_P(
    FactSheet, Rgba32Map,
    ::testing::Values(AddressRow{"Row0Texel0", 0x000, CellUse::Texel, 0, 0, TexelPart::RedGreen},
                      AddressRow{"Row0Texel1", 0x002, CellUse::Texel, 1, 0, TexelPart::RedGreen},
                      AddressRow{"Row1Texel0Swapped", 0x044, CellUse::Texel, 0, 1, TexelPart::RedGreen},
                      AddressRow{"Row1Texel2Swapped", 0x040, CellUse::Texel, 2, 1, TexelPart::RedGreen},
                      AddressRow{"LastTexel", 0x7FA, CellUse::Texel, 31, 31, TexelPart::RedGreen},
                      AddressRow{"LastTexelBlueAlpha", 0xFFA, CellUse::Texel, 31, 31, TexelPart::BlueAlpha},
                      AddressRow{"Row1Texel0BlueAlpha", 0x844, CellUse::Texel, 0, 1, TexelPart::BlueAlpha}),
    test::RowName());

// A 10 x 4 CI4 texture: one word a row (16 texels' room), so six texels of
// padding a row; odd rows swapped; the palette's 16 entries from 0x800.
TEST(Ci4Map, TexelsPaddingAndPalette) {
    const Layout layout = LayOut(Chain(10, 4, Kind::CI4, 1), {});
    auto at = [&](int a) { return layout.map[static_cast<std::size_t>(a)]; };
    EXPECT_EQ(at(0).use(), CellUse::Texel);
    EXPECT_EQ(at(0).texels(), 2);
    EXPECT_EQ(at(4).s(), 8); // texels 8 and 9
    EXPECT_EQ(at(4).texels(), 2);
    EXPECT_EQ(at(5).use(), CellUse::Padding);
    EXPECT_EQ(at(8 + 4).s(), 0); // row 1 starts in the word's second half
    EXPECT_EQ(at(8 + 4).t(), 1);
    EXPECT_EQ(at(8 + 0).s(), 8);
    EXPECT_EQ(at(8 + 1).use(), CellUse::Padding);
    EXPECT_EQ(at(32).use(), CellUse::Free);
    ASSERT_TRUE(layout.palette.has_value());
    EXPECT_EQ(layout.palette->entries, 16);
    EXPECT_EQ(at(0x800).use(), CellUse::Palette);
    EXPECT_EQ(at(0x800 + 8 * 15 + 7).entry(), 15);
    EXPECT_EQ(at(0x800 + 8 * 15 + 7).copy(), 3);
    EXPECT_EQ(at(0x800 + 128).use(), CellUse::Free);
    EXPECT_EQ(layout.lowerHalfBytes, 32);
    EXPECT_EQ(layout.upperHalfBytes, 128);
    const std::string map = MapString(layout);
    // Row 0, then row 1 with its halves swapped: texels 8 and 9 and padding first.
    EXPECT_EQ(map.substr(0, 16), "00000ppp0ppp0000");
    EXPECT_EQ(DescribeCell(layout, 4), "0x004: level 0, texel (8, 0) and (9, 0)");
    EXPECT_EQ(DescribeCell(layout, 0x808), "0x808: palette entry 1, copy 1 of 4");
}

// Every byte of the map against a byte-by-byte reading of the rules, for
// chains of every kind and many widths (odd ones, ones that cross the halves).
TEST(ByteMap, MatchesAByteByByteReading) {
    const Kind kinds[] = {Kind::RGBA32, Kind::RGBA16, Kind::IA16, Kind::IA8, Kind::IA4,
                          Kind::I8,     Kind::I4,     Kind::CI8,  Kind::CI4};
    for (Kind kind : kinds) {
        for (int w : {1, 3, 5, 7, 8, 13, 16, 30, 33, 64, 100}) {
            for (int h : {1, 2, 5, 31}) {
                SCOPED_TRACE(std::string(KindName(kind)) + " " + std::to_string(w) + "x" + std::to_string(h));
                const std::vector<Level> levels = Chain(w, h, kind, 3);
                const Layout layout = LayOut(levels, {});
                std::array<Cell, kTmemBytes> expected{};
                const bool wide = kind == Kind::RGBA32;
                const int bits = wide ? 16 : BitsOf(kind);
                int word = 0;
                for (const Level& l : levels) {
                    const int line = std::max(1, (l.width * bits + 63) / 64);
                    for (int t = 0; t < l.height; ++t) {
                        for (int b = 0; b < line * 8; ++b) {
                            const int address = word * 8 + t * line * 8 + b;
                            if (address >= (wide ? 2048 : 4096))
                                continue;
                            const int offset = b ^ (t % 2 == 1 ? 4 : 0);
                            const int s = offset * 8 / bits;
                            Cell c = s < l.width ? Cell::Texel(l.record, s, t,
                                                               wide ? TexelPart::RedGreen : TexelPart::All,
                                                               bits == 4 && s + 1 < l.width ? 2 : 1)
                                                 : Cell::Padding(l.record);
                            expected[static_cast<std::size_t>(address)] = c;
                            if (wide)
                                expected[static_cast<std::size_t>(address + 2048)] = c.asBlueAlpha();
                        }
                    }
                    word += line * l.height;
                }
                if (IsCI(RowOf(kind)))
                    for (int a = 0x800; a < 0x800 + (kind == Kind::CI8 ? 2048 : 128); ++a)
                        expected[static_cast<std::size_t>(a)] =
                            Cell::PaletteEntry((a - 0x800) / 8, (a % 8) / 2);
                int lower = 0, upper = 0, differences = 0;
                for (int a = 0; a < kTmemBytes; ++a) {
                    const Cell& e = expected[static_cast<std::size_t>(a)];
                    differences += !(e == layout.map[static_cast<std::size_t>(a)]);
                    if (e.use() != CellUse::Free)
                        ++(a < 2048 ? lower : upper);
                }
                EXPECT_EQ(differences, 0);
                EXPECT_EQ(layout.lowerHalfBytes, lower);
                EXPECT_EQ(layout.upperHalfBytes, upper);
            }
        }
    }
}

struct VerdictRow {
    const char* name;
    std::vector<Level> levels;
    const char* reason; // a part of it; empty: fits
};

class Verdicts : public ::testing::TestWithParam<VerdictRow> {};

TEST_P(Verdicts, TheFirstRuleBroken) {
    const VerdictRow& row = GetParam();
    const Layout layout = LayOut(row.levels, {});
    EXPECT_EQ(layout.fits, *row.reason == '\0');
    if (*row.reason) {
        EXPECT_NE(layout.reason.value_or("").find(row.reason), std::string::npos)
            << layout.reason.value_or("");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Verdicts,
    ::testing::Values(
        VerdictRow{"Fits", Chain(32, 32, Kind::RGBA16, 6), ""},
        VerdictRow{"CiBesideNonCi",
                   Chain(32, 32, Kind::CI4, 3, Level{0, LevelRole::Detail, 16, 16, Kind::I4, 0}),
                   "palette mode is global: the base (CI4) cannot be drawn beside the detail map (I4)"},
        VerdictRow{"MoreThan4096Bytes", Chain(64, 64, Kind::RGBA16, 1), "the levels take 8192 bytes"},
        VerdictRow{"Rgba32CountsBothHalves", Chain(64, 64, Kind::RGBA32, 1), "the levels take 16384 bytes"},
        VerdictRow{"Rgba32HalfRowsPadded", Chain(30, 34, Kind::RGBA32, 1),
                   "need 2176 bytes of the 2048-byte lower half (a half-row of the base, 30 texels, takes 64 "
                   "bytes)"},
        VerdictRow{"Rgba32BesideAnotherKind",
                   Chain(32, 32, Kind::RGBA32, 1, Level{0, LevelRole::Detail, 16, 16, Kind::I8, 0}),
                   "lower half"},
        VerdictRow{"Ci8BeyondTheLowerHalf", Chain(48, 48, Kind::CI8, 1),
                   "CI texels must stay in the lower half: the levels need 2304 bytes of the 2048-byte lower "
                   "half"},
        VerdictRow{"Ci4WithinTheLowerHalf", Chain(64, 64, Kind::CI4, 1), ""},
        VerdictRow{"MoreRowsThanTheRdpAddresses", Chain(4, 300, Kind::I4, 1),
                   "the RDP addresses at most 256 rows of a tile: the base has 300"}),
    test::RowName());

TEST(Tiles, DetailShiftAndTileSevenNote) {
    Level detail{0, LevelRole::Detail, 16, 16, Kind::I4, 0};
    TileOptions options;
    options.s = AxisMode::Mirror;
    options.t = AxisMode::Clamp;
    options.detailShift = 1;
    Layout layout = LayOut(Chain(32, 32, Kind::I4, 7, detail), options);
    ASSERT_EQ(layout.tiles.size(), 8u);
    EXPECT_EQ(layout.tiles[0].shifts, 15); // twice as dense
    EXPECT_EQ(layout.tiles[1].shifts, 0);  // the base
    EXPECT_EQ(layout.tiles[3].shiftt, 2);
    EXPECT_EQ(layout.tiles[2].cms, AxisMode::Mirror);
    EXPECT_EQ(layout.tiles[2].cmt, AxisMode::Clamp);
    EXPECT_EQ(layout.tiles[1].lrs, 31 << 2);
    ASSERT_EQ(layout.notes.size(), 1u);
    EXPECT_NE(layout.notes[0].find("tile 7"), std::string::npos);
    options.detailShift = 0;
    EXPECT_EQ(LayOut(Chain(32, 32, Kind::I4, 2, detail), options).tiles[0].shifts, 0);
}

// The halves' fill counts the bytes the map draws, once each, even where a
// level that does not fit lands on an RGBA32 level's blue and alpha.
TEST(HalfBytes, NeverMoreThanAHalf) {
    for (const std::vector<Level>& levels :
         {Chain(32, 32, Kind::RGBA32, 6), Chain(32, 32, Kind::RGBA16, 7), Chain(64, 64, Kind::CI8, 1)}) {
        const Layout layout = LayOut(levels, {});
        EXPECT_LE(layout.lowerHalfBytes, kHalfBytes);
        EXPECT_LE(layout.upperHalfBytes, kHalfBytes);
        const std::string map = MapString(layout);
        EXPECT_EQ(layout.upperHalfBytes, static_cast<int>(std::count_if(map.begin() + kHalfBytes, map.end(),
                                                                        [](char c) { return c != '.'; })));
    }
}

TEST(Gbi, WordsNeverWrapForATextureThatDoesNotFit) {
    const Layout big = LayOut(Chain(64, 64, Kind::RGBA16, 7), {});
    ASSERT_FALSE(big.fits);
    EXPECT_EQ(CommandWords(big).find("F5"), std::string::npos);
    EXPECT_NE(DisplayList(big).find("does not fit"), std::string::npos);
}

TEST(Gbi, PaletteLoadAndCodeText) {
    const Layout ci8 = LayOut(Chain(32, 32, Kind::CI8, 1), {});
    ASSERT_TRUE(ci8.palette.has_value());
    EXPECT_EQ(ci8.palette->entries, 256);
    EXPECT_EQ(HexWord(ci8.palette->loadTlut), "F0000000073FC000");
    const std::string list = DisplayList(ci8);
    EXPECT_NE(list.find("gsDPLoadTLUT_pal256(texture_pal),"), std::string::npos);
    EXPECT_NE(list.find("gsDPLoadBlock(G_TX_LOADTILE, 0, 0, 511, 512),"), std::string::npos) << list;
    EXPECT_NE(
        list.find("gsDPSetTile(G_IM_FMT_CI, G_IM_SIZ_8b, 4, 0, 0, 0, G_TX_WRAP, 5, 0, G_TX_WRAP, 5, 0),"),
        std::string::npos)
        << list;
    const Layout ci4 = LayOut(Chain(16, 16, Kind::CI4, 1), {});
    EXPECT_EQ(HexWord(ci4.palette->loadTlut), "F00000000703C000");
    const std::string words = CommandWords(ci4, {0x100000});
    EXPECT_NE(words.find(HexWord(ci4.tiles[0].setTile) + "  SetTile"), std::string::npos);
    // The palette follows the 128 bytes of texels at the image base.
    EXPECT_NE(words.find("FD10000000100080  SetTextureImage texture_pal: 16 palette colours"),
              std::string::npos)
        << words;
    EXPECT_NE(words.find("FD50000000100000  SetTextureImage texture_base: tile 0"), std::string::npos)
        << words;
}

} // namespace
} // namespace vellora::hw
