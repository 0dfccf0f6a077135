// SPDX-License-Identifier: MIT
// The loads against the fact sheet's hand-worked cases: where the bytes land
// in TMEM and what the texture unit reads back.
#include "rdp/rdp.h"
#include "words.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vellora::rdp {
namespace {

using namespace test;

// The 16-bit value at TMEM byte `at`.
int Short(const Rdp& rdp, int at) {
    return rdp.tmem()[at & 0xFFF] << 8 | rdp.tmem()[(at + 1) & 0xFFF];
}

// A w x h RGBA16 image at RDRAM 0 with rows `pitch` texels apart; texel
// (s, t) holds a value no other texel has.
int Texel16(int s, int t) {
    return (t << 8 | s) * 2 + 1;
}
void Fill16(Rdp& rdp, int w, int h, int pitch) {
    for (int t = 0; t < h; ++t)
        for (int s = 0; s < w; ++s) {
            const int at = (t * pitch + s) * 2;
            rdp.rdram()[at] = static_cast<std::uint8_t>(Texel16(s, t) >> 8);
            rdp.rdram()[at + 1] = static_cast<std::uint8_t>(Texel16(s, t));
        }
}

// A w x h RGBA32 image at RDRAM 0, rows packed; bytes R=s G=t B=s+64 A=t+128.
Rgba8 Texel32(int s, int t) {
    return {static_cast<std::uint8_t>(s), static_cast<std::uint8_t>(t), static_cast<std::uint8_t>(s + 64),
            static_cast<std::uint8_t>(t + 128)};
}
void Fill32(Rdp& rdp, int w, int h) {
    for (int t = 0; t < h; ++t)
        for (int s = 0; s < w; ++s) {
            const Rgba8 c = Texel32(s, t);
            const auto at = static_cast<std::size_t>((t * w + s) * 4);
            rdp.rdram()[at] = c.r, rdp.rdram()[at + 1] = c.g, rdp.rdram()[at + 2] = c.b,
            rdp.rdram()[at + 3] = c.a;
        }
}

// The first row t in 0..h-1 where right(s, t) fails for some s < w, or h.
template <typename Right> int FirstWrongRow(int w, int h, Right right) {
    for (int t = 0; t < h; ++t)
        for (int s = 0; s < w; ++s)
            if (!right(s, t))
                return t;
    return h;
}
int FirstWrongRow32(const Rdp& rdp, int w, int h) {
    return FirstWrongRow(w, h,
                         [&](int s, int t) { return rdp.fetch(0, s, t, TlutMode::None) == Texel32(s, t); });
}

TEST(RdpLoadBlock, Rgba32WorkedExample) {
    Rdp rdp(1 << 16);
    Fill32(rdp, 32, 32);
    const std::uint64_t words[] = {
        SetTextureImage(Rgba, Bits32, 32, 0),
        SetTile({.fmt = Rgba, .siz = Bits32, .tile = kLoadTile}),
        kLoadSync,
        LoadBlock(kLoadTile, 32 * 32, 128),
        kPipeSync,
        SetTile({.fmt = Rgba, .siz = Bits32, .line = 8, .maskt = 5, .masks = 5}),
        SetTileSize(0, 32, 32),
    };
    rdp.run(words);
    struct Row {
        const char* name;
        int s, t, address;
    } const rows[] = {
        {"row 0, s 0", 0, 0, 0x000},     {"row 0, s 1", 1, 0, 0x002},   {"odd row 1, s 0", 0, 1, 0x044},
        {"odd row 1, s 2", 2, 1, 0x040}, {"last texel", 31, 31, 0x7FA},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Rgba8 c = Texel32(row.s, row.t);
        EXPECT_EQ(Short(rdp, row.address), c.r << 8 | c.g);
        EXPECT_EQ(Short(rdp, row.address + 0x800), c.b << 8 | c.a);
    }
    EXPECT_EQ(FirstWrongRow32(rdp, 32, 32), 32);
}

// LoadBlock of RGBA32: each TMEM half gets half of each memory row, so a row
// of an odd number of words (2 x 2: one word) is overwritten by the next.
TEST(RdpLoadBlock, Rgba32SmallLevels) {
    struct Row {
        const char* name;
        int w;
        bool block;
        int firstWrong;
    } const rows[] = {
        {"2x2 by LoadBlock: row 1 overwrites row 0", 2, true, 0},
        {"4x4 by LoadBlock reads back right", 4, true, 4},
        {"2x2 by LoadTile reads back right", 2, false, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Rdp rdp(256);
        Fill32(rdp, row.w, row.w);
        const int wordsPerRow = row.w / 2;
        const std::uint64_t load = row.block ? LoadBlock(kLoadTile, row.w * row.w, 2048 / wordsPerRow)
                                             : LoadTile(kLoadTile, row.w, row.w);
        const std::uint64_t words[] = {
            SetTextureImage(Rgba, Bits32, row.w, 0),
            SetTile({.fmt = Rgba, .siz = Bits32, .line = row.block ? 0 : 1, .tile = kLoadTile}),
            load,
            SetTile({.fmt = Rgba, .siz = Bits32, .line = 1}),
            SetTileSize(0, row.w, row.w),
        };
        rdp.run(words);
        EXPECT_EQ(FirstWrongRow32(rdp, row.w, row.w), row.firstWrong);
        if (row.firstWrong == 0) {
            EXPECT_EQ(rdp.fetch(0, 1, 0, TlutMode::None), Texel32(1, 1));
        }
    }
}

// dxt = ceil(2048 / W) drifts by e = dxt * W - 2048 per row: rows from
// ceil(dxt / e) - 1 on start one word late.
TEST(RdpLoadBlock, DxtSafeHeight) {
    struct Row {
        const char* name;
        int width, dxt, safeRows;
    } const rows[] = {
        {"RGBA16 44 wide", 44, 187, 20},
        {"RGBA16 52 wide", 52, 158, 26},
        {"RGBA16 80 wide", 80, 103, 8},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const int h = row.safeRows + 3, line = row.width / 4;
        Rdp rdp(1 << 16);
        Fill16(rdp, row.width, h, row.width);
        const std::uint64_t words[] = {
            SetTextureImage(Rgba, Bits16, row.width, 0),
            SetTile({.fmt = Rgba, .siz = Bits16, .tile = kLoadTile}),
            LoadBlock(kLoadTile, row.width * h, row.dxt),
        };
        rdp.run(words);
        EXPECT_EQ(FirstWrongRow(row.width, h,
                                [&](int s, int t) {
                                    return Short(rdp, (line * 8 * t + 2 * s) ^ (t % 2 ? 4 : 0)) ==
                                           Texel16(s, t);
                                }),
                  row.safeRows);
    }
}

TEST(RdpLoadBlock, MoreThan2048TexelsWrapToTmemStart) {
    Rdp rdp(1 << 16);
    Fill16(rdp, 2052, 1, 2052);
    const std::uint64_t words[] = {
        SetTextureImage(Rgba, Bits16, 1, 0),
        SetTile({.fmt = Rgba, .siz = Bits16, .tile = kLoadTile}),
        LoadBlock(kLoadTile, 2052, 0),
    };
    rdp.run(words);
    for (int s = 0; s < 4; ++s)
        EXPECT_EQ(Short(rdp, 2 * s), Texel16(2048 + s, 0)) << s;
    EXPECT_EQ(Short(rdp, 8), Texel16(4, 0));
}

// LoadTile steps rows by SetTextureImage's width: data padded to 88 texels a
// row must be loaded with width 88.
TEST(RdpLoadTile, RowsFollowTheImageWidth) {
    struct Row {
        const char* name;
        int imageWidth, firstWrong;
    } const rows[] = {
        {"width = padded row", 88, 5},
        {"width = level width", 86, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Rdp rdp(4096);
        Fill16(rdp, 86, 5, 88);
        const std::uint64_t words[] = {
            SetTextureImage(Rgba, Bits16, row.imageWidth, 0),
            SetTile({.fmt = Rgba, .siz = Bits16, .line = 22, .tile = kLoadTile}),
            LoadTile(kLoadTile, 86, 5),
            SetTile({.fmt = Ia, .siz = Bits16, .line = 22}),
            SetTileSize(0, 86, 5),
        };
        rdp.run(words);
        EXPECT_EQ(FirstWrongRow(86, 5,
                                [&](int s, int t) {
                                    const Rgba8 c = rdp.fetch(0, s, t, TlutMode::None);
                                    return (c.r << 8 | c.a) == Texel16(s, t);
                                }),
                  row.firstWrong);
    }
}

TEST(RdpLoadTlut, EntriesAreStoredFourTimes) {
    struct Row {
        const char* name;
        int entries, tmem, firstByte;
    } const rows[] = {
        {"16 entries into palette 3", 16, 256 + 3 * 16, 0x800 + 128 * 3},
        {"256 entries", 256, 256, 0x800},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Rdp rdp(1024);
        Fill16(rdp, row.entries, 1, row.entries);
        const std::uint64_t words[] = {
            SetTextureImage(Rgba, Bits16, 1, 0),
            SetTile({.fmt = Rgba, .siz = Bits4, .tmem = row.tmem, .tile = kLoadTile}),
            LoadTlut(kLoadTile, row.entries),
        };
        rdp.run(words);
        for (int e = 0; e < row.entries; ++e)
            for (int copy = 0; copy < 4; ++copy)
                ASSERT_EQ(Short(rdp, row.firstByte + 8 * e + 2 * copy), Texel16(e, 0)) << e << " " << copy;
        EXPECT_EQ(Short(rdp, row.firstByte + 8 * row.entries), 0);
    }
}

TEST(RdpCommands, SetTileWordsDecode) {
    struct Row {
        const char* name;
        std::uint64_t word;
        int tile, line, tmem, mask, shift;
    } const rows[] = {
        {"base 32x32", 0xF510100000014050, 0, 8, 0, 5, 0},
        {"level 2, 8x8", 0xF51005400200C832, 2, 2, 320, 3, 2},
        {"level 5, 1x1", 0xF510035605001405, 5, 1, 342, 0, 5},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Rdp rdp(0);
        rdp.execute(row.word);
        const Tile& t = rdp.tile(row.tile);
        EXPECT_EQ(t.fmt, Rgba);
        EXPECT_EQ(t.siz, Bits16);
        EXPECT_EQ(t.line, row.line);
        EXPECT_EQ(t.tmem, row.tmem);
        EXPECT_EQ(t.masks, row.mask);
        EXPECT_EQ(t.maskt, row.mask);
        EXPECT_EQ(t.shifts, row.shift);
        EXPECT_EQ(t.shiftt, row.shift);
    }
}

TEST(RdpCommands, BadInputIsAClearError) {
    struct Row {
        const char* name;
        std::vector<std::uint64_t> words;
        std::string message;
    } const rows[] = {
        {"unknown command",
         {kPipeSync, 0xC800000000000000},
         "word 1 (0xC800000000000000): unknown command 0xC8"},
        {"load past the end of RDRAM",
         {SetTextureImage(Rgba, Bits16, 64, 0), LoadBlock(kLoadTile, 64, 0)},
         "past the end of RDRAM"},
        {"address past the end of RDRAM",
         {SetTextureImage(Rgba, Bits16, 4, 0xFFFFF8), LoadTile(kLoadTile, 4, 1)},
         "past the end of RDRAM"},
        {"4-bit load source",
         {SetTextureImage(Ci, Bits4, 16, 0), LoadBlock(kLoadTile, 16, 0)},
         "4-bit texture image"},
        {"LoadTLUT over two rows",
         {SetTextureImage(Rgba, Bits16, 16, 0), Rect(0xF0, kLoadTile, 0, 0, 15 << 2, 1 << 2)},
         "single row"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Rdp rdp(64);
        try {
            rdp.run(row.words);
            ADD_FAILURE() << "no error";
        } catch (const Error& error) {
            EXPECT_NE(std::string(error.what()).find(row.message), std::string::npos) << error.what();
        }
        for (std::uint8_t byte : rdp.tmem())
            ASSERT_EQ(byte, 0) << "a refused load changed TMEM";
        EXPECT_EQ(rdp.tile(kLoadTile).sh, 0) << "a refused load changed its tile";
    }
}

TEST(RdpCommands, TileAboveSevenThrows) {
    const Rdp rdp(0);
    EXPECT_THROW((void)rdp.tile(8), Error);
    EXPECT_THROW((void)rdp.tile(-1), Error);
    EXPECT_THROW((void)rdp.fetch(8, 0, 0, TlutMode::None), Error);
    EXPECT_THROW((void)rdp.texelAt(8, 0, 0, TlutMode::Rgba16), Error);
}

} // namespace
} // namespace vellora::rdp
