// SPDX-License-Identifier: MIT
// Reductions worked out by hand, the palettes and the bytes the game loads.
#include "reduce/reduce.h"
#include "reduce/texturedata.h"

#include "bitmap/loadstep.h"
#include "hardware/gbi.h"

#include "namedrows.h"
#include "testdata.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace vellora::reduce {
namespace {

using test::PrintTo;

struct ChannelRow {
    const char* name;
    std::uint8_t (*reduce)(std::uint8_t);
    std::uint8_t (*expand)(unsigned);
    int value;
    int expected;
};

std::uint8_t E5(unsigned x) {
    return Expand5(x);
}
std::uint8_t E4(unsigned x) {
    return Expand4(x);
}
std::uint8_t E3(unsigned x) {
    return Expand3(x);
}

class Channels : public ::testing::TestWithParam<ChannelRow> {};

TEST_P(Channels, NearestExpansionLowerOnTies) {
    const ChannelRow& row = GetParam();
    const std::uint8_t got = row.reduce(static_cast<std::uint8_t>(row.value));
    EXPECT_EQ(got, row.expected);
    // Whatever the row, nothing else may lie nearer.
    const int distance = std::abs(row.expand(got) - row.value);
    for (unsigned x = 0; x < 32 && row.expand(x) != row.expand(got); ++x)
        EXPECT_GE(std::abs(row.expand(x) - row.value), distance) << x;
}

INSTANTIATE_TEST_SUITE_P(
    Reduce, Channels,
    ::testing::Values(ChannelRow{"Five0", To5, E5, 0, 0}, ChannelRow{"Five255", To5, E5, 255, 31},
                      // 4 lies 4 from both 0 and 8; 12 lies 4 from both 8 and 16.
                      ChannelRow{"FiveTie4", To5, E5, 4, 0}, ChannelRow{"FiveTie12", To5, E5, 12, 1},
                      // 128: 123 (x = 15) is 5 away, 132 (x = 16) is 4 away.
                      ChannelRow{"Five128", To5, E5, 128, 16}, ChannelRow{"Four0", To4, E4, 0, 0},
                      ChannelRow{"Four255", To4, E4, 255, 15}, ChannelRow{"Four8", To4, E4, 8, 0},
                      ChannelRow{"Four9", To4, E4, 9, 1}, ChannelRow{"Three0", To3, E3, 0, 0},
                      ChannelRow{"Three255", To3, E3, 255, 7},
                      // 18 is 18 from 0 and from 36; 91 is 18 from 73 and from 109.
                      ChannelRow{"ThreeTie18", To3, E3, 18, 0}, ChannelRow{"ThreeTie91", To3, E3, 91, 2}),
    test::RowName{});

struct TexelRow {
    const char* name;
    Kind kind;
    std::array<std::uint8_t, 4> rgba;
    bool opaque;
    std::uint32_t expected;
};

class Texels : public ::testing::TestWithParam<TexelRow> {};

TEST_P(Texels, StoredValue) {
    const TexelRow& row = GetParam();
    EXPECT_EQ(TexelValue(row.kind, row.rgba.data(), row.opaque), row.expected);
}

// (255, 128, 0) has intensity round(76.245 + 75.136) = 151; 151 is nearest
// 153 (x = 9) in 4 bits and 146 (x = 4) in 3 bits; alpha 200 is nearest 204 (x = 12).
constexpr std::array<std::uint8_t, 4> kOrange{255, 128, 0, 200};
constexpr std::array<std::uint8_t, 4> kFaint{255, 128, 0, 100};

INSTANTIATE_TEST_SUITE_P(
    Reduce, Texels,
    ::testing::Values(TexelRow{"Rgba16", Kind::RGBA16, kOrange, false, 31u << 11 | 16u << 6 | 1u},
                      TexelRow{"Rgba16Clear", Kind::RGBA16, kFaint, false, 31u << 11 | 16u << 6},
                      TexelRow{"Rgba16NoAlphaInFile", Kind::RGBA16, kFaint, true, 31u << 11 | 16u << 6 | 1u},
                      TexelRow{"Rgba32", Kind::RGBA32, kOrange, false, 0xFF8000C8u},
                      TexelRow{"Rgba32NoAlphaInFile", Kind::RGBA32, kOrange, true, 0xFF8000FFu},
                      TexelRow{"Ia16", Kind::IA16, kOrange, false, 151u << 8 | 200u},
                      TexelRow{"Ia8", Kind::IA8, kOrange, false, 9u << 4 | 12u},
                      TexelRow{"Ia8NoAlphaInFile", Kind::IA8, kFaint, true, 9u << 4 | 15u},
                      TexelRow{"Ia4", Kind::IA4, kOrange, false, 4u << 1 | 1u},
                      TexelRow{"Ia4Clear", Kind::IA4, kFaint, false, 4u << 1},
                      TexelRow{"I8", Kind::I8, kOrange, false, 151u},
                      TexelRow{"I4", Kind::I4, kOrange, false, 9u},
                      TexelRow{"I8White", Kind::I8, {255, 255, 255, 0}, false, 255u},
                      TexelRow{"I8Black", Kind::I8, {0, 0, 0, 0}, false, 0u},
                      // 114 x 250 = 28500: exactly half way, rounded up.
                      TexelRow{"I8HalfRoundsUp", Kind::I8, {0, 0, 250, 0}, false, 29u}),
    test::RowName{});

// A table whose record 0 holds a picture of the given pixels (0xRRGGBBAA).
TileTable Picture(int w, int h, const std::vector<std::uint32_t>& pixels) {
    TileTable t;
    t[0].Width = w;
    t[0].Height = h;
    t[0].BitDepth = 32;
    t[0].Pixels = PixelGrid(h, w);
    for (int i = 0; i < w * h; ++i) {
        const std::uint32_t p = pixels[static_cast<std::size_t>(i) % pixels.size()];
        std::uint8_t* px = t[0].Pixels.at(i / w, i % w);
        px[0] = static_cast<std::uint8_t>(p >> 24);
        px[1] = static_cast<std::uint8_t>(p >> 16);
        px[2] = static_cast<std::uint8_t>(p >> 8);
        px[3] = static_cast<std::uint8_t>(p);
    }
    return t;
}

std::vector<hw::Level> Base(int w, int h, Kind kind) {
    return {hw::Level{0, LevelRole::Base, w, h, kind, 0}};
}

constexpr std::uint32_t kRed = 0xFF0000FF, kGreen = 0x00FF00FF, kBlue = 0x0000FFFF, kWhite = 0xFFFFFFFF;
constexpr std::uint16_t kRed16 = 31u << 11 | 1u, kGreen16 = 31u << 6 | 1u, kBlue16 = 31u << 1 | 1u;

struct PaletteRow {
    const char* name;
    std::vector<std::uint32_t> filePalette;
    std::vector<std::uint16_t> expected;
};

class ExactPalettes : public ::testing::TestWithParam<PaletteRow> {};

TEST_P(ExactPalettes, KeepTheFilesOrderElseFirstSeen) {
    const PaletteRow& row = GetParam();
    const TileTable t = Picture(4, 2, {kRed, kGreen, kBlue, kGreen});
    const ReducedTexture r =
        ReduceTexture(t, Base(4, 2, Kind::CI4), PictureSource{true, row.filePalette}, {});
    EXPECT_EQ(r.palette, row.expected);
    EXPECT_FALSE(r.quantized);
    EXPECT_EQ(r.colours, 3);
    // Every texel names the entry of its own colour.
    ASSERT_EQ(r.levels.size(), 1u);
    for (int i = 0; i < 8; ++i) {
        const std::uint16_t want = i % 4 == 0 ? kRed16 : i % 4 == 2 ? kBlue16 : kGreen16;
        EXPECT_EQ(r.palette.at(r.levels[0].texels.at(static_cast<std::size_t>(i))), want) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Reduce, ExactPalettes,
    ::testing::Values(PaletteRow{"FirstSeen", {}, {kRed16, kGreen16, kBlue16}},
                      PaletteRow{"FileOrder", {kBlue, kWhite, kRed, kGreen}, {kBlue16, kRed16, kGreen16}},
                      // A colour the file's palette lacks goes after those it has.
                      PaletteRow{"FileLacksOne", {kBlue, kGreen}, {kBlue16, kGreen16, kRed16}}),
    test::RowName{});

// A 16 x 8 picture of 40 colours: a grey ramp with a red ramp beside it.
TileTable FortyColours() {
    std::vector<std::uint32_t> px;
    for (int i = 0; i < 128; ++i) {
        const std::uint32_t v = static_cast<std::uint32_t>(i % 20) * 12u;
        px.push_back(i < 64 ? (v << 24 | v << 16 | v << 8 | 0xFF) : (v << 24 | 0x30 << 16 | 0xFF));
    }
    return Picture(16, 8, px);
}

TEST(ReduceTexture, QuantizesAndSaysHowManyColoursMerged) {
    const TileTable t = FortyColours();
    for (bool dither : {false, true}) {
        const ReducedTexture r = ReduceTexture(t, Base(16, 8, Kind::CI4), PictureSource{}, {}, {dither, {}});
        EXPECT_TRUE(r.quantized);
        EXPECT_EQ(r.colours, 40);
        ASSERT_FALSE(r.palette.empty());
        EXPECT_LE(r.palette.size(), 16u);
        EXPECT_EQ(r.merged(), 40 - static_cast<int>(r.palette.size()));
        for (std::uint32_t index : r.levels[0].texels)
            EXPECT_LT(index, r.palette.size());
        EXPECT_EQ(std::set<std::uint16_t>(r.palette.begin(), r.palette.end()).size(), r.palette.size());
    }
}

// Colours are counted as the texture stores them: RGBA16 values, which is
// also what a CI palette holds; only the level's part of the picture, and
// no further than just past the limit.
TEST(StoredColours, CountsTheStoredValuesOfTheLevel) {
    std::vector<std::uint32_t> px;
    for (int i = 0; i < 64; ++i) // 64 greys, 4 apart: RGBA16 keeps 5 bits, 32 of them
        px.push_back(static_cast<std::uint32_t>(i * 4) * 0x01010100u | 0xFF);
    const TileTable t = Picture(16, 4, px);
    EXPECT_EQ(StoredColours(t[0], 16, 4, PictureSource{}), 32);
    EXPECT_EQ(StoredColours(t[0], 16, 4, PictureSource{}, 10), 11);
    EXPECT_EQ(StoredColours(t[0], 16, 1, PictureSource{}), 8);   // the first row's 16 greys
    EXPECT_EQ(StoredColours(t[0], 64, 64, PictureSource{}), 32); // no further than the picture
}

TEST(ReduceTexture, EveryLevelUsesTheBasesPalette) {
    TileTable t = Picture(8, 8, {kRed, kGreen, kBlue, kWhite, kGreen});
    for (int record = 1; record <= 3; ++record) {
        t[static_cast<std::size_t>(record)].Width = 8 >> record;
        t[static_cast<std::size_t>(record)].Height = 8 >> record;
    }
    GeneratebmpMipMap(t, 3, 0, MipFilter::Weighted3x3);
    std::vector<hw::Level> levels = Base(8, 8, Kind::CI8);
    for (int record = 1; record <= 3; ++record)
        levels.push_back(hw::Level{record, LevelRole::Mip, 8 >> record, 8 >> record, Kind::CI8, record});
    const ReducedTexture r = ReduceTexture(t, levels, PictureSource{}, {});
    ASSERT_EQ(r.palette.size(), 4u);
    ASSERT_EQ(r.levels.size(), 4u);
    for (const ReducedLevel& level : r.levels) {
        EXPECT_EQ(level.texels.size(), static_cast<std::size_t>(level.width * level.height));
        for (std::uint32_t index : level.texels)
            EXPECT_LT(index, 4u) << level.record;
        // What the preview draws is a palette colour, never a blend.
        const PixelGrid& shown = level.shown;
        for (int row = 0; row < shown.rows(); ++row) {
            for (int col = 0; col < shown.cols(); ++col) {
                const std::uint8_t* p = shown.at(row, col);
                const std::uint16_t c = ToRgba16(p, false);
                EXPECT_NE(std::find(r.palette.begin(), r.palette.end(), c), r.palette.end());
            }
        }
    }
}

TEST(ReduceTexture, GeneratedLevelsTakeTheBasesAlpha) {
    // Opaque left half, clear right half: the level below keeps that shape
    // although the generator leaves its alpha at 0.
    TileTable t = Picture(8, 2, {kRed, kRed, kRed, kRed, 0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000});
    t[1].Width = 4;
    t[1].Height = 1;
    GeneratebmpMipMap(t, 1, 0, MipFilter::Box2x2);
    const std::vector<hw::Level> levels = {hw::Level{0, LevelRole::Base, 8, 2, Kind::IA8, 0},
                                           hw::Level{1, LevelRole::Mip, 4, 1, Kind::IA8, 1}};
    const ReducedTexture r =
        ReduceTexture(t, levels, PictureSource{true, {}}, {}, {false, MipFilter::Box2x2});
    const std::vector<std::uint32_t>& lower = r.levels[1].texels;
    ASSERT_EQ(lower.size(), 4u);
    EXPECT_EQ(lower[0] & 15u, 15u);
    EXPECT_EQ(lower[3] & 15u, 0u);
    // Without the filter the levels are taken as their own files hold them.
    const ReducedTexture own = ReduceTexture(t, levels, PictureSource{true, {}}, {});
    EXPECT_EQ(own.levels[1].texels[0] & 15u, 0u);
}

ReducedLevel Level(Kind kind, int w, int h, std::vector<std::uint32_t> texels) {
    ReducedLevel l;
    l.kind = kind;
    l.width = w;
    l.height = h;
    l.texels = std::move(texels);
    return l;
}

struct BytesRow {
    const char* name;
    ReducedLevel level;
    bool wholeChain;
    std::vector<std::uint8_t> expected;
};

class Bytes : public ::testing::TestWithParam<BytesRow> {};

TEST_P(Bytes, BigEndianRowsPaddedAndSwapped) {
    const BytesRow& row = GetParam();
    ExportOptions options;
    options.wholeChain = row.wholeChain;
    EXPECT_EQ(LevelBytes(row.level, options), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Export, Bytes,
    ::testing::Values(BytesRow{"Rgba16HighByteFirstRowTo8",
                               Level(Kind::RGBA16, 3, 1, {0x1234, 0xABCD, 0x00FF}),
                               false,
                               {0x12, 0x34, 0xAB, 0xCD, 0x00, 0xFF, 0, 0}},
                      BytesRow{"I4HighNibbleFirst",
                               Level(Kind::I4, 3, 1, {0x1, 0x2, 0xF}),
                               false,
                               {0x12, 0xF0, 0, 0, 0, 0, 0, 0}},
                      BytesRow{"Rgba32FourBytes",
                               Level(Kind::RGBA32, 1, 1, {0x11223344}),
                               false,
                               {0x11, 0x22, 0x33, 0x44, 0, 0, 0, 0}},
                      BytesRow{"OddRowsAsTheyAreForOwnLoads",
                               Level(Kind::RGBA16, 4, 2, {1, 2, 3, 4, 5, 6, 7, 8}),
                               false,
                               {0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0, 8}},
                      // Row 1's two 32-bit halves trade places.
                      BytesRow{"WholeChainSwapsOddRows",
                               Level(Kind::RGBA16, 4, 2, {1, 2, 3, 4, 5, 6, 7, 8}),
                               true,
                               {0, 1, 0, 2, 0, 3, 0, 4, 0, 7, 0, 8, 0, 5, 0, 6}},
                      // RGBA32 rows go to 16 bytes, and its TMEM words of two texels swap.
                      BytesRow{"WholeChainRgba32",
                               Level(Kind::RGBA32, 2, 2, {0x01010101, 0x02020202, 0x03030303, 0x04040404}),
                               true,
                               {1, 1, 1, 1, 2, 2, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0,
                                0, 0, 0, 0, 0, 0, 0, 0, 3, 3, 3, 3, 4, 4, 4, 4}}),
    test::RowName{});

TEST(Export, FileNames) {
    EXPECT_EQ(PaletteFileName("out/tex.bin"), "out/tex.pal.bin");
    EXPECT_EQ(ArrayName("walls/brick.rgba16.c"), "brick_rgba16");
    EXPECT_EQ(ArrayName("8-bit.h"), "tex_8_bit");
    EXPECT_EQ(TextureFileTypeOf("A.PNG"), TextureFileType::Png);
    EXPECT_EQ(TextureFileTypeOf("a.txt"), std::nullopt);
}

TEST(Export, BinaryPaletteAndCSourceAgree) {
    ReducedTexture t;
    t.levels.push_back(Level(Kind::CI4, 2, 1, {1, 0}));
    t.palette = {0xF801, 0x07C1};
    hw::Layout layout;
    const std::vector<ExportFile> bin = ExportTexture(t, layout, "x.bin", {});
    ASSERT_EQ(bin.size(), 2u);
    EXPECT_EQ(bin[0].bytes, (std::vector<std::uint8_t>{0x10, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(bin[1].path, "x.pal.bin");
    // LoadTLUT reads 16 entries for CI4, so the file holds 16: the colours, then zeros.
    std::vector<std::uint8_t> palette(32, 0);
    palette[0] = 0xF8, palette[1] = 0x01, palette[2] = 0x07, palette[3] = 0xC1;
    EXPECT_EQ(bin[1].bytes, palette);
    const std::string c = TextureSource(t, layout, "x", true, {});
    EXPECT_NE(
        c.find("static const uint8_t x_base[] __attribute__((aligned(8), unused)) = {\n    0x10, 0x00,"),
        std::string::npos);
    EXPECT_NE(c.find("static const uint16_t x_pal[] __attribute__((aligned(8), unused)) = {\n    0xF801, "
                     "0x07C1, 0x0000,"),
              std::string::npos);
    EXPECT_NE(c.find("#ifndef X_H"), std::string::npos);
}

// The display list, the command words and the exported C name a texture's
// arrays alike, so the code pasted from one finds the arrays of the other.
TEST(Export, OneNameForTheCodeAndTheArrays) {
    const std::vector<hw::Level> levels = {{0, LevelRole::Base, 16, 16, Kind::CI4, 0},
                                           {1, LevelRole::Mip, 8, 8, Kind::CI4, 1}};
    const hw::Layout layout = hw::LayOut(levels, {});
    ASSERT_TRUE(layout.fits);
    ReducedTexture t;
    t.levels.push_back(Level(Kind::CI4, 16, 16, std::vector<std::uint32_t>(256, 1)));
    t.levels.push_back(Level(Kind::CI4, 8, 8, std::vector<std::uint32_t>(64, 0)));
    t.levels[1].role = LevelRole::Mip;
    t.levels[1].distance = 1;
    t.palette = {0xF801, 0x07C1};
    hw::EmitOptions emit;
    emit.name = "brick_ci4";
    const std::string list = hw::DisplayList(layout, emit);
    const std::string words = hw::CommandWords(layout, emit);
    ExportOptions options;
    options.name = "brick_ci4";
    const std::string c = TextureSource(t, layout, "ignored", false, options);
    for (const char* name : {"brick_ci4_base", "brick_ci4_level1", "brick_ci4_pal"}) {
        EXPECT_NE(list.find(name), std::string::npos) << name << "\n" << list;
        EXPECT_NE(words.find(std::string("SetTextureImage ") + name + ":"), std::string::npos) << name << "\n"
                                                                                               << words;
        EXPECT_NE(c.find(std::string(name) + "[]"), std::string::npos) << name;
    }
    // Without a name the C file is named after its own file.
    const std::vector<ExportFile> files = ExportTexture(t, layout, "out/wall.c", {});
    ASSERT_EQ(files.size(), 1u);
    const std::string text(files[0].bytes.begin(), files[0].bytes.end());
    EXPECT_NE(text.find("wall_base[]"), std::string::npos);
}

} // namespace
} // namespace vellora::reduce

namespace vellora::reduce {
namespace {

TEST(ReduceTexture, PalettedPngKeepsItsOrder) {
    CoreState state;
    const std::string path = std::string(VELLORA_TEST_DATA_DIR) + "/pngsuite/basn3p04.png";
    ASSERT_TRUE(LoadFileInto(path, LoadRole::Base, state, 0).ok);
    const TileLevel& base = state.tiles[0];
    const ReducedTexture r =
        ReduceTexture(state.tiles, Base(base.Width, base.Height, Kind::CI4), state.baseSource, {});
    ASSERT_FALSE(r.quantized);
    // The file's entries, less those the picture never uses, in the file's order.
    std::vector<std::uint16_t> fileOrder;
    for (std::uint32_t e : state.baseSource.palette) {
        const std::uint8_t px[4] = {static_cast<std::uint8_t>(e >> 24), static_cast<std::uint8_t>(e >> 16),
                                    static_cast<std::uint8_t>(e >> 8), 255};
        const std::uint16_t c = ToRgba16(px, true);
        if (std::find(r.palette.begin(), r.palette.end(), c) != r.palette.end() &&
            std::find(fileOrder.begin(), fileOrder.end(), c) == fileOrder.end())
            fileOrder.push_back(c);
    }
    EXPECT_EQ(r.palette, fileOrder);
    EXPECT_GE(state.baseSource.palette.size(), r.palette.size());
}

} // namespace
} // namespace vellora::reduce

namespace vellora::reduce {
namespace {

struct CompileRow {
    const char* name;
    const char* file;   // the exported file
    const char* source; // the unit the compiler is given; empty: the exported file itself
};

class CExportCompiles : public ::testing::TestWithParam<CompileRow> {};

// A programmer pastes the export into a project built with warnings on: it
// must compile without one, on its own and included from another file.
TEST_P(CExportCompiles, WithoutWarnings) {
    if (std::system("command -v gcc >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no gcc on this machine";
    const CompileRow& row = GetParam();
    ReducedTexture t;
    t.levels.push_back(Level(Kind::CI4, 3, 2, {1, 0, 1, 0, 1, 1}));
    t.levels.push_back(Level(Kind::CI4, 1, 1, {1}));
    t.levels[1].record = 1;
    t.levels[1].role = LevelRole::Mip;
    t.levels[1].distance = 1;
    t.palette = {0xF801, 0x07C1};
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("vellora-c-" + std::string(row.name));
    std::filesystem::create_directories(dir);
    const std::string file = (dir / row.file).string();
    for (const ExportFile& f : ExportTexture(t, hw::Layout{}, file, {})) {
        std::ofstream out(f.path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(f.bytes.data()),
                  static_cast<std::streamsize>(f.bytes.size()));
    }
    if (*row.source != '\0') {
        std::ofstream unit(dir / "unit.c");
        unit << row.source;
    }
    const std::string command =
        "cd '" + dir.string() + "' && gcc -std=c99 -Wall -Wextra -Werror -c unit.c -o unit.o 2>errors.txt";
    const int status = std::system(command.c_str());
    std::ifstream errors(dir / "errors.txt");
    const std::string text((std::istreambuf_iterator<char>(errors)), std::istreambuf_iterator<char>());
    EXPECT_EQ(status, 0) << text;
    std::filesystem::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(
    Gcc, CExportCompiles,
    ::testing::Values(
        CompileRow{"SourceOnItsOwn", "unit.c", ""},
        CompileRow{"HeaderIncludedTwice", "brick.h",
                   "#include \"brick.h\"\n#include \"brick.h\"\nint brick_used(void) { return 0; }\n"}),
    test::RowName());

// A 4 x 4 picture with a clear 2 x 2 centre: ring pixel (r, c) is grey
// 8 (4r + c), the centre black and clear. Each centre pixel has five opaque
// neighbours of 8 and takes their rounded mean: (1, 1) from 0, 8, 16, 32,
// 64 is 24; (1, 2) from 8, 16, 24, 56, 88 is 38.4, so 38; (2, 1) from 32,
// 64, 96, 104, 112 is 81.6, so 82; (2, 2) from 56, 88, 104, 112, 120 is 96.
// A palette gives all four one entry: the mean of the twelve ring pixels
// (all touch the centre), 720 / 12 = 60.
TileTable ClearCentre() {
    std::vector<std::uint32_t> pixels;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            const bool centre = (r == 1 || r == 2) && (c == 1 || c == 2);
            const std::uint32_t v = static_cast<std::uint32_t>(8 * (4 * r + c));
            pixels.push_back(centre ? 0u : (v << 24 | v << 16 | v << 8 | 0xFFu));
        }
    return Picture(4, 4, pixels);
}

std::uint32_t GreyTexel(Kind kind, std::uint8_t v, std::uint8_t a) {
    const std::uint8_t px[4] = {v, v, v, a};
    return TexelValue(kind, px, false);
}

TEST(Bleeding, ClearTexelsTakeTheirNeighboursColour) {
    const PictureSource alpha{true, {}};
    const std::pair<int, std::uint8_t> centre[] = {{5, 24}, {6, 38}, {9, 82}, {10, 96}};
    for (Kind kind : {Kind::RGBA16, Kind::IA4, Kind::I8}) {
        const ReducedTexture r = ReduceTexture(ClearCentre(), Base(4, 4, kind), alpha, {});
        for (const auto& [i, grey] : centre)
            EXPECT_EQ(r.levels[0].texels[static_cast<std::size_t>(i)], GreyTexel(kind, grey, 0))
                << KindName(kind) << " texel " << i;
        EXPECT_EQ(r.levels[0].texels[0], GreyTexel(kind, 0, 255));
    }
    // RGBA32 keeps alpha whole: its clear texels stay as the picture has them.
    const ReducedTexture wide = ReduceTexture(ClearCentre(), Base(4, 4, Kind::RGBA32), alpha, {});
    EXPECT_EQ(wide.levels[0].texels[5], 0u);

    const ReducedTexture ci = ReduceTexture(ClearCentre(), Base(4, 4, Kind::CI4), alpha, {});
    std::set<std::uint32_t> clear;
    for (int i : {5, 6, 9, 10})
        clear.insert(ci.levels[0].texels[static_cast<std::size_t>(i)]);
    ASSERT_EQ(clear.size(), 1u) << "one entry for every clear texel";
    EXPECT_EQ(ci.palette[*clear.begin()], ToRgba16(std::array<std::uint8_t, 4>{60, 60, 60, 0}.data(), false));
}

// Clear pixels of three colours are one palette entry.
TEST(Bleeding, ClearPixelsAreOnePaletteEntry) {
    const TileTable t = Picture(5, 1, {kRed, 0x00FF0000u, kBlue, 0x12345600u, 0xFFFFFF00u});
    const ReducedTexture r = ReduceTexture(t, Base(5, 1, Kind::CI4), PictureSource{true, {}}, {});
    EXPECT_EQ(r.palette.size(), 3u);
    EXPECT_EQ(r.levels[0].texels[1], r.levels[0].texels[3]);
    EXPECT_EQ(r.levels[0].texels[3], r.levels[0].texels[4]);
}

// ClearCentre beside sixteen colours of its own, too many for CI4: the
// quantizer's clear entry is replaced by the bled colour, the grey 60 of
// the ring around the centre.
struct ClearEntryRow {
    const char* name;
    Kind kind;
    std::uint16_t expected;
};

class ClearEntry : public ::testing::TestWithParam<ClearEntryRow> {};

TEST_P(ClearEntry, QuantizedPaletteKeepsTheBledColour) {
    const ClearEntryRow& row = GetParam();
    const TileTable centre = ClearCentre();
    std::vector<std::uint32_t> pixels;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 8; ++c) {
            const std::uint8_t* p = centre[0].Pixels.at(r, c % 4);
            pixels.push_back(c < 4 ? std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 |
                                         std::uint32_t{p[2]} << 8 | p[3]
                                   : static_cast<std::uint32_t>(20 + 60 * r) << 24 |
                                         static_cast<std::uint32_t>(10 + 70 * (c - 4)) << 16 |
                                         static_cast<std::uint32_t>(200 - 40 * r) << 8 | 0xFFu);
        }
    const ReducedTexture r = ReduceTexture(Picture(8, 4, pixels), Base(8, 4, row.kind), {true, {}}, {});
    ASSERT_TRUE(r.quantized);
    std::vector<std::uint16_t> clear;
    for (std::uint16_t e : r.palette)
        if (ExpandEntry(row.kind, e)[3] == 0)
            clear.push_back(e);
    EXPECT_EQ(clear, std::vector<std::uint16_t>{row.expected});
    for (int i : {9, 10, 17, 18}) // the centre, in rows of 8
        EXPECT_EQ(r.palette[r.levels[0].texels[static_cast<std::size_t>(i)]], row.expected) << "texel " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Bleeding, ClearEntry,
    ::testing::Values(ClearEntryRow{"Rgba16Palette", Kind::CI4,
                                    ToRgba16(std::array<std::uint8_t, 4>{60, 60, 60, 0}.data(), false)},
                      ClearEntryRow{"Ia16Palette", Kind::CI4_IA16, 60 << 8}),
    test::RowName());

// Red in the left 3 columns of 8, clear black in the rest; the level below
// is generated. Its texels that mix red and clear come out opaque (alpha
// 3/4 or 1/2 of full) and must stay red: the clear pixels are bled red
// before the colour is filtered down, not filtered black into the edge.
struct GeneratedRow {
    const char* name;
    Kind kind;
    MipFilter filter;
};

class GeneratedEdge : public ::testing::TestWithParam<GeneratedRow> {};

TEST_P(GeneratedEdge, OpaqueTexelsBesideACutOutKeepTheirColour) {
    const GeneratedRow& row = GetParam();
    TileTable t = Picture(8, 2, {kRed, kRed, kRed, 0, 0, 0, 0, 0});
    t[1].Width = 4;
    t[1].Height = 1;
    GeneratebmpMipMap(t, 1, 0, row.filter);
    const std::vector<hw::Level> levels = {hw::Level{0, LevelRole::Base, 8, 2, row.kind, 0},
                                           hw::Level{1, LevelRole::Mip, 4, 1, row.kind, 1}};
    const ReducedTexture r = ReduceTexture(t, levels, PictureSource{true, {}}, {}, {false, row.filter});
    const std::uint8_t red[4] = {255, 0, 0, 255};
    const std::uint32_t redTexel = TexelValue(row.kind, red, false);
    int opaque = 0;
    for (std::uint32_t v : r.levels[1].texels) {
        // Both kinds keep alpha in bit 0; the rest is colour.
        EXPECT_EQ(v >> 1, redTexel >> 1);
        opaque += static_cast<int>(v & 1u);
    }
    EXPECT_GE(opaque, 2) << "a texel mixing red and clear is opaque";
    EXPECT_LE(opaque, 3) << "a texel of clear pixels only stays clear";
}

INSTANTIATE_TEST_SUITE_P(Bleeding, GeneratedEdge,
                         ::testing::Values(GeneratedRow{"Rgba16Box", Kind::RGBA16, MipFilter::Box2x2},
                                           GeneratedRow{"Rgba16Weighted", Kind::RGBA16,
                                                        MipFilter::Weighted3x3},
                                           GeneratedRow{"Ia4Box", Kind::IA4, MipFilter::Box2x2}),
                         test::RowName());

// A picture half clear (black), half a colourful gradient, to CI4 with
// dither: the opaque half's mean error stays as small as without dither,
// where error from the clear half used to flow in and darken it.
TEST(Dither, NoErrorCrossesClearTexels) {
    constexpr int kW = 32, kH = 16;
    std::vector<std::uint32_t> pixels;
    for (int r = 0; r < kH; ++r)
        for (int c = 0; c < kW; ++c)
            pixels.push_back(c < kW / 2 ? 0u
                                        : static_cast<std::uint32_t>((c * 7) & 0xFF) << 24 |
                                              static_cast<std::uint32_t>((r * 13 + c * 3) & 0xFF) << 16 |
                                              static_cast<std::uint32_t>((200 - c * 4) & 0xFF) << 8 | 0xFFu);
    const TileTable t = Picture(kW, kH, pixels);
    double mean[2] = {0, 0};
    for (bool dither : {false, true}) {
        const ReducedTexture r =
            ReduceTexture(t, Base(kW, kH, Kind::CI4), PictureSource{true, {}}, {}, {dither, {}});
        long sum = 0, n = 0;
        for (int row = 0; row < kH; ++row)
            for (int col = kW / 2; col < kW; ++col) {
                const std::uint32_t index = r.levels[0].texels[static_cast<std::size_t>(row * kW + col)];
                const std::array<std::uint8_t, 4> shown = ExpandRgba16(r.palette[index]);
                const std::uint8_t* px = t[0].Pixels.at(row, col);
                for (int k = 0; k < 3; ++k, ++n)
                    sum += static_cast<long>(shown[static_cast<std::size_t>(k)]) - px[k];
            }
        mean[dither ? 1 : 0] = static_cast<double>(sum) / static_cast<double>(n);
    }
    EXPECT_LT(std::abs(mean[1]), std::abs(mean[0]) + 1.5) << "without " << mean[0] << ", with " << mean[1];
}

} // namespace
} // namespace vellora::reduce
