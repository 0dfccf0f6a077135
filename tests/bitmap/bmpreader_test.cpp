// SPDX-License-Identifier: MIT
#include "bitmap/bmpreader.h"
#include "bitmap/bmpwriter.h"

#include "bmpdesc.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

// GCC 12 warns about designated initializers that leave members to their
// defaults, which is exactly how the file descriptions below are meant to read.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using namespace vellora;
using test::BmpDesc;
using test::BuildBmp;

namespace {

using Rgba = std::array<int, 4>;

Rgba Px(const TileLevel& t, int row, int col) {
    const std::uint8_t* p = t.Pixels.at(row, col);
    return {p[0], p[1], p[2], p[3]};
}

struct Expect {
    int row, col;
    Rgba rgba;
};

struct DecodeCase {
    const char* name;
    BmpDesc desc;
    int width, height;
    std::vector<Expect> pixels;
};

const std::array<std::uint8_t, 3> kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kGrey{10, 20, 30};

std::vector<DecodeCase> DecodeCases() {
    std::vector<DecodeCase> cases;
    {
        // 5 pixels of 3 bytes: 15 bytes and one byte of padding per row.
        BmpDesc d{.width = 5, .height = 2, .bitCount = 24};
        std::vector<std::uint8_t> bottom, top;
        for (int c = 0; c < 5; ++c) {
            bottom.insert(bottom.end(), {std::uint8_t(c), std::uint8_t(10 + c), std::uint8_t(20 + c)});
            top.insert(top.end(), {std::uint8_t(100 + c), std::uint8_t(110 + c), std::uint8_t(120 + c)});
        }
        d.rows = {bottom, top};
        cases.push_back({"Rgb24FiveWidePadding",
                         d,
                         5,
                         2,
                         {{0, 0, {120, 110, 100, 0}},
                          {0, 4, {124, 114, 104, 0}},
                          {1, 0, {20, 10, 0, 0}},
                          {1, 4, {24, 14, 4, 0}}}});
    }
    {
        BmpDesc d{.width = 3, .height = 1, .bitCount = 4, .palette = {kRed, kGreen, kBlue, kGrey}};
        d.rows = {{0x12, 0x3F}}; // low nibble of the second byte lies past the width
        cases.push_back({"Pal4OddWidthNibbles",
                         d,
                         3,
                         1,
                         {{0, 0, {0, 255, 0, 0}}, {0, 1, {0, 0, 255, 0}}, {0, 2, {10, 20, 30, 0}}}});
    }
    {
        BmpDesc d{.width = 3, .height = 1, .bitCount = 16};
        d.rows = {{0xFF, 0x7F, 0x00, 0xFC, 0x21, 0x04}}; // 32767, 64512, 0x0421 (1,1,1)
        cases.push_back({"Rgb16FieldsTimesEight",
                         d,
                         3,
                         1,
                         {{0, 0, {248, 248, 248, 0}}, {0, 1, {248, 0, 0, 0}}, {0, 2, {8, 8, 8, 0}}}});
    }
    {
        BmpDesc d{.width = 3, .height = 1, .bitCount = 8, .clrUsed = 2, .palette = {kRed, kGreen}};
        d.rows = {{1, 0, 2}}; // index 2 lies beyond the two-entry table: black
        cases.push_back({"Pal8ShortTableFromHeaderEnd",
                         d,
                         3,
                         1,
                         {{0, 0, {0, 255, 0, 0}}, {0, 1, {255, 0, 0, 0}}, {0, 2, {0, 0, 0, 0}}}});
    }
    {
        BmpDesc d{.headerSize = 124,
                  .width = 2,
                  .height = 1,
                  .bitCount = 8,
                  .clrUsed = 3,
                  .palette = {kRed, kGreen, kGrey}};
        d.rows = {{2, 1}};
        cases.push_back(
            {"Pal8V5HeaderTableAt138", d, 2, 1, {{0, 0, {10, 20, 30, 0}}, {0, 1, {0, 255, 0, 0}}}});
    }
    {
        BmpDesc d{.headerSize = 108, .width = 1, .height = 1, .bitCount = 8, .palette = {kRed, kBlue}};
        d.rows = {{1}};
        cases.push_back({"Pal8V4DefaultTable", d, 1, 1, {{0, 0, {0, 0, 255, 0}}}});
    }
    {
        BmpDesc d{.headerSize = 12, .width = 2, .height = 1, .bitCount = 8, .palette = {kRed, kGreen, kGrey}};
        d.rows = {{2, 1}};
        cases.push_back(
            {"Pal8SmallHeaderThreeByteEntries", d, 2, 1, {{0, 0, {10, 20, 30, 0}}, {0, 1, {0, 255, 0, 0}}}});
    }
    {
        BmpDesc d{.width = 2, .height = 1, .bitCount = 32};
        d.rows = {{1, 2, 3, 4, 5, 6, 7, 255}};
        cases.push_back({"Rgb32KeepsAlpha", d, 2, 1, {{0, 0, {3, 2, 1, 4}}, {0, 1, {7, 6, 5, 255}}}});
    }
    {
        // Stored bottom row first: the top-left pixel is the first of the last stored row.
        BmpDesc d{.width = 1, .height = 3, .bitCount = 24};
        d.rows = {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}};
        cases.push_back({"BottomUpRowOrder",
                         d,
                         1,
                         3,
                         {{0, 0, {3, 3, 3, 0}}, {1, 0, {2, 2, 2, 0}}, {2, 0, {1, 1, 1, 0}}}});
    }
    {
        BmpDesc d{.width = 1, .height = -3, .bitCount = 24};
        d.rows = {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}};
        cases.push_back({"NegativeHeightTopDown",
                         d,
                         1,
                         3,
                         {{0, 0, {1, 1, 1, 0}}, {1, 0, {2, 2, 2, 0}}, {2, 0, {3, 3, 3, 0}}}});
    }
    {
        BmpDesc d{.headerSize = 12, .width = 1, .height = -2, .bitCount = 24};
        d.rows = {{9, 8, 7}, {6, 5, 4}};
        cases.push_back(
            {"SmallHeaderSigned16BitHeight", d, 1, 2, {{0, 0, {7, 8, 9, 0}}, {1, 0, {4, 5, 6, 0}}}});
    }
    return cases;
}

TEST(BmpReaderTest, DecodesEachPixelLayout) {
    for (const DecodeCase& c : DecodeCases()) {
        SCOPED_TRACE(c.name);
        TileLevel level;
        level.LineWidth = 77;
        const auto bytes = BuildBmp(c.desc);
        const PictureReadResult r = ReadBmp(bytes, level);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_TRUE(r.error.empty());
        EXPECT_EQ(level.Width, c.width);
        EXPECT_EQ(level.Height, c.height);
        EXPECT_EQ(level.BitDepth, c.desc.bitCount);
        EXPECT_EQ(level.LineWidth, 77) << "the reader leaves LineWidth to the count";
        ASSERT_EQ(level.Pixels.rows(), c.height);
        ASSERT_EQ(level.Pixels.cols(), c.width);
        EXPECT_EQ(r.info.topDown, c.desc.height < 0);
        for (const Expect& e : c.pixels)
            EXPECT_EQ(Px(level, e.row, e.col), e.rgba) << "at " << e.row << "," << e.col;
    }
}

// Every refusal must leave the level exactly as it was.
struct RefuseCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    const char* message; // expected start of the error text
};

std::vector<std::uint8_t> WithField(std::vector<std::uint8_t> bytes, std::size_t at, std::uint64_t value,
                                    int size) {
    testbmp::PutLe(bytes, at, value, size);
    return bytes;
}

// A 1-bit 16384 x 16384 header padded with zeros to the given file size.
std::vector<std::uint8_t> OneBitClaim(std::size_t fileSize) {
    auto bytes = BuildBmp(BmpDesc{.width = 2, .height = 2, .bitCount = 24, .rows = {{1, 2, 3}, {4, 5, 6}}});
    bytes = WithField(bytes, 18, 4096, 4);
    bytes = WithField(bytes, 22, 4096, 4);
    bytes = WithField(bytes, 28, 1, 2);
    bytes.resize(fileSize, 0);
    return bytes;
}

TEST(BmpReaderTest, RefusesBadHeadersAndSizes) {
    const auto base =
        BuildBmp(BmpDesc{.width = 2, .height = 2, .bitCount = 24, .rows = {{1, 2, 3}, {4, 5, 6}}});
    const auto bigClaim = BuildBmp(BmpDesc{.width = 4096, .height = 4096, .bitCount = 24, .rows = {{1}}});
    const std::vector<RefuseCase> cases = {
        {"EmptyFile", {}, "Unknown bmp type"},
        {"HeaderSize56", WithField(base, 14, 56, 4), "Unknown bmp type"},
        {"HeaderSize0", WithField(base, 14, 0, 4), "Unknown bmp type"},
        {"TooShortForHeaderSize", std::vector<std::uint8_t>(base.begin(), base.begin() + 12),
         "Unknown bmp type"},
        {"WidthZero", WithField(base, 18, 0, 4), "Invalid bmp size"},
        {"HeightZero", WithField(base, 22, 0, 4), "Invalid bmp size"},
        {"NegativeWidth", WithField(base, 18, static_cast<std::uint32_t>(-2), 4), "Invalid bmp size"},
        {"WidthAboveLimit", WithField(base, 18, 16385, 4), "Bmp too large"},
        {"HeightAboveLimit", WithField(base, 22, 16385, 4), "Bmp too large"},
        {"TopDownHeightAboveLimit", WithField(base, 22, static_cast<std::uint32_t>(-16385), 4),
         "Bmp too large"},
        {"MostNegativeHeight", WithField(base, 22, static_cast<std::uint32_t>(INT32_MIN), 4),
         "Bmp too large"},
        {"ClaimFarBeyondFile", bigClaim, "Bmp too large for its file"},
        {"UnknownDepthFarBeyondFile", WithField(bigClaim, 28, 1, 2), "Bmp too large for its file"},
        // 256 KiB is plenty for 4096 x 4096 one-bit rows, but the grid would take 64 MiB.
        {"OneBitGridFarBeyondFile", OneBitClaim(256u << 10), "Bmp too large for its file"},
        // More pixels than any reader takes, refused whatever the file holds.
        {"OnePixelRowAboveTheBound", WithField(bigClaim, 18, 4097, 4),
         "Bmp too large: at most 16777216 pixels"},
        {"ClaimOf16384Squared", WithField(WithField(bigClaim, 18, 16384, 4), 22, 16384, 4),
         "Bmp too large: at most 16777216 pixels"},
    };
    for (const RefuseCase& c : cases) {
        SCOPED_TRACE(c.name);
        TileLevel level;
        level.Width = 5;
        level.LineWidth = 16;
        level.Height = 6;
        level.BitDepth = 8;
        level.Pixels = PixelGrid(2, 3);
        level.Pixels.at(1, 2)[0] = 42;
        const PictureReadResult r = ReadBmp(c.bytes, level);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.error.rfind(c.message, 0), 0u) << r.error;
        EXPECT_EQ(level.Width, 5);
        EXPECT_EQ(level.LineWidth, 16);
        EXPECT_EQ(level.Height, 6);
        EXPECT_EQ(level.BitDepth, 8);
        ASSERT_EQ(level.Pixels.rows(), 2);
        ASSERT_EQ(level.Pixels.cols(), 3);
        EXPECT_EQ(level.Pixels.at(1, 2)[0], 42);
    }
}

TEST(BmpReaderTest, BoundaryOfTheSizeLimitsIsAccepted) {
    // 16384 wide, one row: the largest width, and a file that holds it.
    BmpDesc d{.width = 16384, .height = 1, .bitCount = 8, .palette = {kRed, kGreen}};
    d.rows = {std::vector<std::uint8_t>(16384, 1)};
    TileLevel level;
    const PictureReadResult r = ReadBmp(BuildBmp(d), level);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(Px(level, 0, 16383), (Rgba{0, 255, 0, 0}));

    // Truncated by half: still read; the missing rows come out black.
    BmpDesc t{.width = 4, .height = 4, .bitCount = 24};
    t.rows = {std::vector<std::uint8_t>(12, 200), std::vector<std::uint8_t>(12, 200)};
    auto bytes = BuildBmp(t);
    TileLevel half;
    ASSERT_TRUE(ReadBmp(bytes, half).ok);
    EXPECT_EQ(half.Height, 4);
    EXPECT_EQ(Px(half, 3, 0), (Rgba{200, 200, 200, 0}));
    EXPECT_EQ(Px(half, 2, 3), (Rgba{200, 200, 200, 0}));
    EXPECT_EQ(Px(half, 1, 0), (Rgba{0, 0, 0, 0}));
    EXPECT_EQ(Px(half, 0, 3), (Rgba{0, 0, 0, 0}));
}

TEST(BmpReaderTest, ShortFilesReadAsZerosWithoutOverrun) {
    BmpDesc d{.width = 3, .height = 3, .bitCount = 24};
    d.rows = {{1, 1, 1, 2, 2, 2, 3, 3, 3}, {4, 4, 4, 5, 5, 5, 6, 6, 6}, {7, 7, 7, 8, 8, 8, 9, 9, 9}};
    const auto full = BuildBmp(d);

    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::vector<Expect> pixels;
    };
    const std::size_t dataAt = 54;
    const std::vector<Case> cases = {
        // Cut inside the middle stored row: bottom row whole, the middle row
        // keeps its first pixel, the top row is black.
        {"CutInsideRow",
         std::vector<std::uint8_t>(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(dataAt + 12 + 4)),
         {{2, 0, {1, 1, 1, 0}},
          {2, 2, {3, 3, 3, 0}},
          {1, 0, {4, 4, 4, 0}},
          {1, 1, {0, 0, 5, 0}},
          {0, 0, {0, 0, 0, 0}}}},
        {"CutBeforeRows", std::vector<std::uint8_t>(full.begin(), full.begin() + 54), {{2, 0, {0, 0, 0, 0}}}},
        {"OffBitsBeyondEnd",
         WithField(full, 10, 0xFFFFFFF0u, 4),
         {{0, 0, {0, 0, 0, 0}}, {2, 2, {0, 0, 0, 0}}}},
        {"OffBitsInsideHeader", WithField(full, 10, 0, 4), {{2, 0, {full[2], 0x4D, 0x42, 0}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A copy of exactly the cut size, so ASan sees any read past it.
        const std::vector<std::uint8_t> exact(c.bytes);
        TileLevel level;
        const PictureReadResult r = ReadBmp(exact, level);
        ASSERT_TRUE(r.ok) << r.error;
        ASSERT_EQ(level.Pixels.rows(), 3);
        for (const Expect& e : c.pixels)
            EXPECT_EQ(Px(level, e.row, e.col), e.rgba) << "at " << e.row << "," << e.col;
    }
}

TEST(BmpReaderTest, UndecodableBitCountGivesBlackGridWithoutMessage) {
    for (const std::uint16_t bits : {1, 2, 0, 64, 30000}) {
        SCOPED_TRACE(bits);
        BmpDesc d{.width = 7, .height = 3, .bitCount = bits};
        d.rows = {std::vector<std::uint8_t>(8, 0xFF), std::vector<std::uint8_t>(8, 0xFF),
                  std::vector<std::uint8_t>(8, 0xFF)};
        TileLevel level;
        const PictureReadResult r = ReadBmp(BuildBmp(d), level);
        ASSERT_TRUE(r.ok);
        EXPECT_TRUE(r.error.empty());
        EXPECT_EQ(level.BitDepth, bits);
        EXPECT_EQ(level.Width, 7);
        EXPECT_EQ(level.Height, 3);
        ASSERT_EQ(level.Pixels.rgba().size(), 7u * 3u * 4u);
        for (std::uint8_t v : level.Pixels.rgba())
            ASSERT_EQ(v, 0);
    }
}

TEST(BmpReaderTest, ColourTableNeverReadPastItsEntries) {
    struct Case {
        const char* name;
        std::uint16_t bits;
        std::uint32_t clrUsed;
        std::vector<std::array<std::uint8_t, 3>> palette;
        std::vector<std::uint8_t> row;
        std::vector<Rgba> expected;
    };
    const std::vector<Case> cases = {
        {"Pal4IndexBeyondTwoEntries", 4, 2, {kRed, kGreen}, {0x1F}, {{0, 255, 0, 0}, {0, 0, 0, 0}}},
        {"Pal8IndexBeyondOneEntry", 8, 1, {kBlue}, {0, 200}, {{0, 0, 255, 0}, {0, 0, 0, 0}}},
        // A colour count far beyond any index: only the usable entries are read.
        {"Pal8HugeColourCount", 8, 0x12345678u, {kRed, kGrey}, {1, 0}, {{10, 20, 30, 0}, {255, 0, 0, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BmpDesc d{.width = static_cast<std::int32_t>(c.expected.size()),
                  .height = 1,
                  .bitCount = c.bits,
                  .clrUsed = c.clrUsed,
                  .palette = c.palette,
                  .rows = {c.row}};
        TileLevel level;
        ASSERT_TRUE(ReadBmp(BuildBmp(d), level).ok);
        for (std::size_t i = 0; i < c.expected.size(); ++i)
            EXPECT_EQ(Px(level, 0, static_cast<int>(i)), c.expected[i]) << "column " << i;
    }
}

TEST(BmpReaderTest, FileReaderOpensReadsAndRefusesMissingFiles) {
    const auto dir = std::filesystem::temp_directory_path() / ("vellora_bmp_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto path = (dir / "one.bmp").string();
    {
        std::ofstream out(path, std::ios::binary);
        const auto bytes = BuildBmp(BmpDesc{.width = 1, .height = 1, .bitCount = 24, .rows = {{1, 2, 3}}});
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    TileLevel level;
    PictureReadResult r = ReadBmpFile(path, level);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(Px(level, 0, 0), (Rgba{3, 2, 1, 0}));
    // The file was closed within the call: removing it works and a second read fails cleanly.
    std::filesystem::remove(path);
    r = ReadBmpFile(path, level);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "No such file: " + path); // said as such, not as a damaged header
    EXPECT_EQ(Px(level, 0, 0), (Rgba{3, 2, 1, 0}));

    r = ReadBmpFile(dir.string(), level); // a folder cannot be read as a file
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    std::filesystem::remove_all(dir);
}

} // namespace

// Widths 1 to 5 cover every amount of row padding; odd heights catch a
// row order that only works for symmetric pictures.
TEST(BmpWriterTest, WrittenPicturesReadBackPixelForPixel) {
    for (int width = 1; width <= 5; ++width) {
        SCOPED_TRACE(width);
        PixelGrid grid(3, width);
        for (int y = 0; y < grid.rows(); ++y)
            for (int x = 0; x < grid.cols(); ++x) {
                std::uint8_t* p = grid.at(y, x);
                p[0] = static_cast<std::uint8_t>(10 * y + x);
                p[1] = static_cast<std::uint8_t>(100 + x);
                p[2] = static_cast<std::uint8_t>(200 + y);
                p[3] = 77; // not written: 24-bit files carry no alpha
            }
        TileLevel level;
        const PictureReadResult r = ReadBmp(EncodeBmp24(grid), level);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.info.bitCount, 24);
        ASSERT_EQ(level.Width, width);
        ASSERT_EQ(level.Height, 3);
        for (int y = 0; y < grid.rows(); ++y)
            for (int x = 0; x < grid.cols(); ++x)
                for (int ch = 0; ch < 3; ++ch)
                    EXPECT_EQ(level.Pixels.at(y, x)[ch], grid.at(y, x)[ch]) << y << "," << x << " ch " << ch;
    }
}
