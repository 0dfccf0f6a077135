// SPDX-License-Identifier: MIT
// Texel decoding of every kind, the palette, and the coordinate steps at the
// tile's edges.
#include "rdp/rdp.h"
#include "words.h"

#include <gtest/gtest.h>

namespace vellora::rdp {
namespace {

using namespace test;

void Put16(Rdp& rdp, std::size_t at, int value) {
    rdp.rdram()[at] = static_cast<std::uint8_t>(value >> 8);
    rdp.rdram()[at + 1] = static_cast<std::uint8_t>(value);
}

// TMEM word 0 holds Bits4 7E 35 9C 80 40 A5 3D; the palette (all 256 entries)
// is zero except entry 0x35 = A53D (RGBA16 165,165,247,255) and entry
// 0xB4 = 8040 (IA16 0x80 / 0x40).
TEST(RdpTexel, EachKindDecodes) {
    Rdp rdp(1024);
    const std::uint8_t word[] = {0xB4, 0x7E, 0x35, 0x9C, 0x80, 0x40, 0xA5, 0x3D};
    std::copy(std::begin(word), std::end(word), rdp.rdram().begin());
    Put16(rdp, 0x100 + 2 * 0x35, 0xA53D);
    Put16(rdp, 0x100 + 2 * 0xB4, 0x8040);
    const std::uint64_t setup[] = {
        SetTextureImage(Rgba, Bits16, 1, 0),
        SetTile({.tile = kLoadTile}),
        LoadBlock(kLoadTile, 4, 0),
        SetTextureImage(Rgba, Bits16, 1, 0x100),
        SetTile({.siz = Bits4, .tmem = 256, .tile = kLoadTile}),
        LoadTlut(kLoadTile, 256),
    };
    rdp.run(setup);

    const Rgba8 rgba{165, 165, 247, 255}, ia{0x80, 0x80, 0x80, 0x40};
    struct Row {
        const char* name;
        int fmt, siz, palette, s;
        TlutMode tlut;
        Rgba8 expected;
    } const rows[] = {
        {"RGBA16 A53D", Rgba, Bits16, 0, 3, TlutMode::None, rgba},
        {"IA16 8040", Ia, Bits16, 0, 2, TlutMode::None, ia},
        {"IA8 9C", Ia, Bits8, 0, 3, TlutMode::None, {0x99, 0x99, 0x99, 0xCC}},
        {"IA4 B (I 5, A 1)", Ia, Bits4, 0, 0, TlutMode::None, {182, 182, 182, 255}},
        {"IA4 4 (I 2, A 0)", Ia, Bits4, 0, 1, TlutMode::None, {73, 73, 73, 0}},
        {"I8 7E", Intensity, Bits8, 0, 1, TlutMode::None, {0x7E, 0x7E, 0x7E, 0x7E}},
        {"I4 B (high nibble)", Intensity, Bits4, 0, 0, TlutMode::None, {0xBB, 0xBB, 0xBB, 0xBB}},
        {"I4 4 (low nibble)", Intensity, Bits4, 0, 1, TlutMode::None, {0x44, 0x44, 0x44, 0x44}},
        {"CI8 without TLUT reads its index", Ci, Bits8, 0, 1, TlutMode::None, {0x7E, 0x7E, 0x7E, 0x7E}},
        {"CI4 without TLUT reads palette and nibble",
         Ci,
         Bits4,
         3,
         2,
         TlutMode::None,
         {0x37, 0x37, 0x37, 0x37}},
        {"I16 reads high and low bytes", Intensity, Bits16, 0, 2, TlutMode::None, {0x80, 0x40, 0x80, 0x40}},
        {"CI4 palette 3 entry 5 as RGBA16", Ci, Bits4, 3, 5, TlutMode::Rgba16, rgba},
        {"CI8 entry Bits4 as IA16", Ci, Bits8, 0, 0, TlutMode::Ia16, ia},
        {"I8 under a TLUT is an index", Intensity, Bits8, 0, 2, TlutMode::Rgba16, rgba},
        {"RGBA16 under a TLUT: its high byte is the index", Rgba, Bits16, 0, 0, TlutMode::Ia16, ia},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        rdp.execute(SetTile({.fmt = row.fmt, .siz = row.siz, .line = 1, .palette = row.palette}));
        rdp.execute(SetTileSize(0, 16, 1));
        EXPECT_EQ(rdp.fetch(0, row.s, 0, row.tlut), row.expected);
    }
}

// A 64 x 16 RGBA16 texture of distinct texels; each row sets up tile 0 and
// checks that fetch lands on the tile-relative texel the hardware would use.
TEST(RdpTexel, CoordinatesAtTheTileEdge) {
    Rdp rdp(4096);
    for (int i = 0; i < 1024; ++i)
        Put16(rdp, static_cast<std::size_t>(2 * i), 2 * i + 1);
    const std::uint64_t load[] = {SetTextureImage(Rgba, Bits16, 64, 0), SetTile({.tile = kLoadTile}),
                                  LoadBlock(kLoadTile, 1024, 128)};
    rdp.run(load);

    struct Row {
        const char* name;
        TileArgs tile;
        int sl, tl, sh, th; // texels
        int s, t, expectS, expectT;
    } const rows[] = {
        {"wrap past the mask", {.masks = 3}, 0, 0, 63, 15, 9, 0, 1, 0},
        {"wrap below zero", {.masks = 3}, 0, 0, 63, 15, -1, 0, 7, 0},
        {"mirror past the mask", {.cms = 1, .masks = 3}, 0, 0, 63, 15, 8, 0, 7, 0},
        {"mirror one further", {.cms = 1, .masks = 3}, 0, 0, 63, 15, 9, 0, 6, 0},
        {"mirror below zero", {.cms = 1, .masks = 3}, 0, 0, 63, 15, -1, 0, 0, 0},
        {"clamp at sh", {.cms = 2, .masks = 3}, 0, 0, 5, 15, 9, 0, 5, 0},
        {"clamp below sl", {.cms = 2}, 2, 0, 10, 15, 0, 0, 0, 0},
        {"sl is subtracted", {.masks = 4}, 2, 0, 63, 15, 5, 0, 3, 0},
        {"mask 0 clamps even when wrapping", {}, 0, 0, 9, 15, 12, 0, 9, 0},
        {"mirror on t", {.cmt = 1, .maskt = 2}, 0, 0, 63, 15, 0, 5, 0, 2},
        {"clamp t at th", {.cmt = 2}, 0, 0, 63, 3, 0, 7, 0, 3},
        {"mask above 10 acts as 10", {.cms = 1, .masks = 12}, 0, 0, 63, 15, -300, 0, 299, 0},
        {"shift right by 1", {.masks = 6, .shifts = 1}, 0, 0, 63, 15, 6, 0, 3, 0},
        {"shift left: 15 doubles", {.masks = 6, .shifts = 15}, 0, 0, 63, 15, 3, 0, 6, 0},
        {"shift right on t", {.maskt = 4, .shiftt = 2}, 0, 0, 63, 15, 0, 8, 0, 2},
        {"shift, then clamp", {.cms = 2, .shifts = 1}, 0, 0, 3, 15, 10, 0, 3, 0},
        {"coordinates past 1023 saturate", {.masks = 10}, 0, 0, 63, 15, 5000, 0, 1023, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TileArgs args = row.tile;
        args.line = 16;
        rdp.execute(SetTile(args));
        rdp.execute(Rect(0xF2, 0, row.sl << 2, row.tl << 2, row.sh << 2, row.th << 2));
        const Rgba8 want = rdp.texelAt(0, row.expectS, row.expectT, TlutMode::None);
        EXPECT_EQ(rdp.fetch(0, row.s, row.t, TlutMode::None), want);
        // The neighbours read differently, so the rows above pin one texel.
        EXPECT_NE(rdp.texelAt(0, row.expectS + 1, row.expectT, TlutMode::None), want);
    }

    // Only 8 bits of t reach the row address: with one word a row, row 256
    // reads word 0, not word 256 in the (empty) upper half.
    rdp.execute(SetTile({.line = 1}));
    EXPECT_EQ(rdp.texelAt(0, 0, 256, TlutMode::None), rdp.texelAt(0, 0, 0, TlutMode::None));
    EXPECT_NE(rdp.texelAt(0, 0, 256, TlutMode::None), Rgba8{});
}

} // namespace
} // namespace vellora::rdp
