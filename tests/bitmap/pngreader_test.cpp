// SPDX-License-Identifier: MIT
// PNG files: the PngSuite, the alpha rule, the size limits, and the format a
// file selects from its colour type or its name.
#include "bitmap/loadstep.h"
#include "bitmap/picturefile.h"
#include "bitmap/pngreader.h"
#include "bitmap/pngwriter.h"
#include "core/pictures.h"

#include "bmpdesc.h"
#include "namedrows.h"
#include "testdata.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace vellora {
namespace {

using test::PrintTo;

const std::string kSuite = std::string(VELLORA_TEST_DATA_DIR) + "/pngsuite/";

std::vector<std::uint8_t> Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> SuiteFiles(bool corrupt) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(kSuite)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() == ".png" && (name[0] == 'x') == corrupt)
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(PngSuite, EveryGoodFileReadsWithinItsGrid) {
    const auto names = SuiteFiles(false);
    ASSERT_GT(names.size(), 150u);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        TileLevel level;
        const PictureReadResult r = ReadPng(Slurp(kSuite + name), level);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.info.fileType, FileType::Png);
        EXPECT_EQ(level.Pixels.rows(), level.Height);
        EXPECT_EQ(level.Pixels.cols(), level.Width);
        EXPECT_GT(level.Width * level.Height, 0);
        // The file's colour type and depth are named in the suite's file names.
        if (name.size() == 12 && name[4] >= '0' && name[4] <= '6') {
            EXPECT_EQ(r.info.colourType, name[4] - '0');
        }
    }
}

TEST(PngSuite, EveryCorruptFileIsRefusedAndTheLevelKept) {
    const auto names = SuiteFiles(true);
    ASSERT_GE(names.size(), 14u);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        TileLevel level;
        level.Width = 7;
        const PictureReadResult r = ReadPng(Slurp(kSuite + name), level);
        EXPECT_FALSE(r.ok);
        EXPECT_FALSE(r.error.empty());
        EXPECT_EQ(level.Width, 7);
        EXPECT_TRUE(level.Pixels.empty());
    }
}

// Interlaced files hold the same pictures as their plain twins: a wrong
// de-interlacing shows up as a difference.
TEST(PngSuite, InterlacedFilesMatchTheirPlainTwins) {
    int pairs = 0;
    for (const std::string& name : SuiteFiles(false)) {
        if (name.rfind("basi", 0) != 0)
            continue;
        SCOPED_TRACE(name);
        TileLevel interlaced, plain;
        ASSERT_TRUE(ReadPng(Slurp(kSuite + name), interlaced).ok);
        ASSERT_TRUE(ReadPng(Slurp(kSuite + "basn" + name.substr(4)), plain).ok);
        EXPECT_TRUE(interlaced.Pixels == plain.Pixels);
        ++pairs;
    }
    EXPECT_EQ(pairs, 15);
}

struct AlphaRow {
    const char* name;
    const char* file;
    bool alpha;
    bool someClear;  // some pixel has A = 0
    bool someOpaque; // some pixel has A = 255
};

class PngAlpha : public ::testing::TestWithParam<AlphaRow> {};

TEST_P(PngAlpha, AlphaOnlyWhereTheFileHasIt) {
    const AlphaRow& row = GetParam();
    TileLevel level;
    const PictureReadResult r = ReadPng(Slurp(kSuite + row.file), level);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.info.alpha, row.alpha);
    bool clear = false, opaque = false;
    const auto& px = level.Pixels.rgba();
    for (std::size_t i = 3; i < px.size(); i += 4) {
        clear = clear || px[i] == 0;
        opaque = opaque || px[i] == 255;
    }
    EXPECT_EQ(clear, row.someClear);
    EXPECT_EQ(opaque, row.someOpaque);
}

INSTANTIATE_TEST_SUITE_P(
    Alpha, PngAlpha,
    ::testing::Values(AlphaRow{"RgbWithoutAlphaReadsZero", "basn2c08.png", false, true, false},
                      AlphaRow{"GreyWithoutAlphaReadsZero", "basn0g08.png", false, true, false},
                      AlphaRow{"PaletteWithoutTrnsReadsZero", "basn3p08.png", false, true, false},
                      AlphaRow{"RgbWithTrnsKeyIsClearOnlyThere", "tbrn2c08.png", true, true, true},
                      AlphaRow{"PaletteWithTrns", "tbbn3p08.png", true, true, true},
                      AlphaRow{"RgbaChannel", "basn6a08.png", true, true, true},
                      AlphaRow{"GreyAlpha16BitChannel", "basn4a16.png", true, true, false}),
    test::RowName());

// The suite's 16-bit grey picture reduced to 8 bits is its high byte
// (samples taken from the file by a separate decoder).
TEST(PngReader, SixteenBitSamplesKeepTheirHighByte) {
    const auto bytes = Slurp(kSuite + "basn0g16.png");
    TileLevel level;
    ASSERT_TRUE(ReadPng(bytes, level).ok);
    const std::uint8_t* p = level.Pixels.at(0, 0);
    EXPECT_EQ(p[0], p[1]);
    EXPECT_EQ(p[1], p[2]);
    EXPECT_EQ(p[0], 0);
    EXPECT_EQ(level.Pixels.at(0, 31)[0], 186);
    EXPECT_EQ(level.Pixels.at(31, 0)[0], 62);
    EXPECT_EQ(level.Pixels.at(16, 16)[0], 176);
}

// A valid 1 x 1 file whose header then claims another size: the refusal
// must come from the header, before any pixel is decoded.
std::uint32_t Crc32(const std::uint8_t* data, std::size_t n) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i) {
        c ^= data[i];
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

std::vector<std::uint8_t> PngClaiming(std::uint32_t width, std::uint32_t height) {
    const std::vector<std::uint8_t> pixel = {1, 2, 3, 4};
    std::vector<std::uint8_t> png = EncodePng(1, 1, 4, pixel);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            png[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
    };
    put32(16, width); // IHDR data starts after signature (8), length (4) and type (4)
    put32(20, height);
    put32(29, Crc32(png.data() + 12, 17));
    return png;
}

struct SizeRow {
    const char* name;
    std::uint32_t width, height;
    const char* says; // in the refusal; empty when the header is accepted
};

class PngSize : public ::testing::TestWithParam<SizeRow> {};

TEST_P(PngSize, RefusedFromTheHeader) {
    const SizeRow& row = GetParam();
    TileLevel level;
    level.Width = 3;
    const PictureReadResult r = ReadPng(PngClaiming(row.width, row.height), level);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(level.Width, 3);
    if (*row.says)
        EXPECT_NE(r.error.find(row.says), std::string::npos) << r.error;
    else
        EXPECT_EQ(r.error.find("too large"), std::string::npos) << r.error;
}

INSTANTIATE_TEST_SUITE_P(Limits, PngSize,
                         ::testing::Values(SizeRow{"SideAbove16384", 16385, 1, "16384 x 16384"},
                                           SizeRow{"TallSideAbove16384", 1, 16385, "16384 x 16384"},
                                           SizeRow{"OnePixelTooMany", 4097, 4096, "16777216 pixels"},
                                           SizeRow{"ExactlyTheLimitPassesTheHeader", 4096, 4096, ""},
                                           SizeRow{"HugeClaim", 0x7FFFFFFF, 0x7FFFFFFF, "too large"}),
                         test::RowName());

// The format a file selects: by its name when the name carries a kind, else
// by the PNG colour type and depth or the BMP bit count.
struct FormatRow {
    const char* name;
    const char* source; // a suite file, or "bmp24" / "bmp8" for a built BMP
    const char* saveAs;
    std::optional<Format> format; // none: the name's kind part names no kind, and the file is refused
    std::optional<Kind> kind;
    bool greyscaleMessage;
};

class FileFormat : public ::testing::TestWithParam<FormatRow> {};

TEST_P(FileFormat, SelectsTheRowAndKeepsTheKind) {
    const FormatRow& row = GetParam();
    // A folder per row: rows may run side by side in separate processes.
    std::filesystem::path dir = std::filesystem::path(::testing::TempDir());
    dir /= "vellora-format";
    dir /= row.name;
    std::filesystem::create_directories(dir);
    const std::string path = (dir / row.saveAs).string();
    std::vector<std::uint8_t> bytes;
    if (std::string(row.source).rfind("bmp", 0) == 0) {
        test::BmpDesc d;
        d.width = d.height = 4;
        d.bitCount = static_cast<std::uint16_t>(std::stoi(row.source + 3));
        if (d.bitCount <= 8)
            d.palette.assign(256, {1, 2, 3});
        d.rows.assign(4, std::vector<std::uint8_t>(16, 0));
        bytes = test::BuildBmp(d);
    } else {
        bytes = Slurp(kSuite + row.source);
    }
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));

    CoreState state;
    ResetPictures(state.tiles);
    const LoadStepResult r = LoadFileInto(path, LoadRole::Base, state, 0);
    if (!row.format) {
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.error.find("names no texture kind (known: rgba32, rgba16, ia16, ia8, ia4, i8, i4, ci8, "
                               "ci4, ci8_ia16, ci4_ia16)"),
                  std::string::npos)
            << r.error;
        EXPECT_FALSE(state.bitmapLoaded);
        std::filesystem::remove(path);
        return;
    }
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.file.format, row.format);
    EXPECT_EQ(r.file.kind, row.kind);
    EXPECT_EQ(state.baseKind, row.kind);
    EXPECT_EQ(!r.file.messages.empty(), row.greyscaleMessage);
    std::filesystem::remove(path);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FileFormat,
    ::testing::Values(
        FormatRow{"Palette1Bit", "basn3p01.png", "a.png", Format::CI4, std::nullopt, false},
        FormatRow{"Palette2Bit", "basn3p02.png", "a.png", Format::CI4, std::nullopt, false},
        FormatRow{"Palette4Bit", "basn3p04.png", "a.png", Format::CI4, std::nullopt, false},
        FormatRow{"Palette8Bit", "basn3p08.png", "a.png", Format::CI8, std::nullopt, false},
        FormatRow{"Grey1Bit", "basn0g01.png", "a.png", Format::Bits4, std::nullopt, false},
        FormatRow{"Grey2Bit", "basn0g02.png", "a.png", Format::Bits4, std::nullopt, false},
        FormatRow{"Grey4Bit", "basn0g04.png", "a.png", Format::Bits4, std::nullopt, false},
        FormatRow{"Grey8Bit", "basn0g08.png", "a.png", Format::Bits8, std::nullopt, false},
        FormatRow{"Grey16Bit", "basn0g16.png", "a.png", Format::Bits8, std::nullopt, false},
        FormatRow{"GreyAlpha8Bit", "basn4a08.png", "a.png", Format::Bits16, std::nullopt, false},
        FormatRow{"GreyAlpha16Bit", "basn4a16.png", "a.png", Format::Bits16, std::nullopt, false},
        FormatRow{"Rgb8BitAsksAboutGrey", "basn2c08.png", "a.png", Format::Bits32, std::nullopt, true},
        FormatRow{"Rgb16BitAsksAboutGrey", "basn2c16.png", "a.png", Format::Bits32, std::nullopt, true},
        FormatRow{"Rgba8Bit", "basn6a08.png", "a.png", Format::Bits32, std::nullopt, false},
        FormatRow{"Rgba16Bit", "basn6a16.png", "a.png", Format::Bits32, std::nullopt, false},
        FormatRow{"PngSignatureWithAnotherName", "basn3p08.png", "a.dat", Format::CI8, std::nullopt, false},
        FormatRow{"Bmp24StillAsks", "bmp24", "a.bmp", Format::Bits32, std::nullopt, true},
        FormatRow{"Bmp8StillCi8", "bmp8", "a.bmp", Format::CI8, std::nullopt, false},
        FormatRow{"NameRgba32", "basn0g08.png", "brick.rgba32.png", Format::Bits32, Kind::RGBA32, false},
        FormatRow{"NameRgba16NoQuestion", "basn2c08.png", "brick.rgba16.png", Format::Bits16, Kind::RGBA16,
                  false},
        FormatRow{"NameIa16", "basn2c08.png", "a.ia16.png", Format::Bits16, Kind::IA16, false},
        FormatRow{"NameIa8AnyCase", "basn6a08.png", "font.IA8.PNG", Format::Bits8, Kind::IA8, false},
        FormatRow{"NameIa4", "basn6a08.png", "a.b.ia4.png", Format::Bits4, Kind::IA4, false},
        FormatRow{"NameI8", "basn3p08.png", "a.i8.png", Format::Bits8, Kind::I8, false},
        FormatRow{"NameI4", "basn3p08.png", "a.i4.png", Format::Bits4, Kind::I4, false},
        FormatRow{"NameCi8", "basn2c08.png", "a.ci8.png", Format::CI8, Kind::CI8, false},
        FormatRow{"NameCi4", "basn2c08.png", "grass.ci4.png", Format::CI4, Kind::CI4, false},
        FormatRow{"NameOnBmp", "bmp24", "wall.I4.bmp", Format::Bits4, Kind::I4, false},
        FormatRow{"NoKindRgba8Refused", "basn2c08.png", "a.rgba8.png", std::nullopt, std::nullopt, false},
        FormatRow{"NoKindCi16Refused", "basn3p08.png", "a.ci16.png", std::nullopt, std::nullopt, false},
        FormatRow{"KindAloneIsAHiddenName", "basn2c08.png", ".ci4.png", Format::Bits32, std::nullopt, true},
        FormatRow{"KindNotLastRefused", "basn2c08.png", "a.ci4.x.png", std::nullopt, std::nullopt, false},
        FormatRow{"NoKindPartAtAll", "basn2c08.png", "grass.png", Format::Bits32, std::nullopt, true}),
    test::RowName());

// An exported level reads back as it was held, alpha included; what the
// grid lacks comes out black and clear.
TEST(PngWriter, ALevelReadsBackAsHeld) {
    TileLevel held;
    held.Width = 5;
    held.Height = 3;
    held.Pixels = PixelGrid(2, 4);
    std::span<std::uint8_t> px = held.Pixels.bytes();
    for (std::size_t i = 0; i < px.size(); ++i)
        px[i] = static_cast<std::uint8_t>(i * 7 + 1);
    TileLevel back;
    const PictureReadResult r = ReadPng(EncodeLevelPng(held), back);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.info.alpha);
    ASSERT_EQ(back.Width, 5);
    ASSERT_EQ(back.Height, 3);
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 5; ++col) {
            const bool inside = row < 2 && col < 4;
            for (int k = 0; k < 4; ++k)
                EXPECT_EQ(back.Pixels.at(row, col)[k], inside ? held.Pixels.at(row, col)[k] : 0)
                    << row << "," << col << "," << k;
        }
    }
}

} // namespace
} // namespace vellora
