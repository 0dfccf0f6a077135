// SPDX-License-Identifier: MIT
// A picture file is read only as far as its picture reaches, and a caller
// holding several pictures can lower how many pixels one may have.
#include "bitmap/picturefile.h"
#include "bitmap/pngwriter.h"

#include "bmpdesc.h"
#include "namedrows.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

namespace vellora {
namespace {

std::vector<std::uint8_t> SmallPng(int side) {
    TileLevel level;
    level.Width = side;
    level.Height = side;
    level.Pixels = PixelGrid(side, side);
    return EncodeLevelPng(level);
}

std::vector<std::uint8_t> SmallBmp(int side) {
    test::BmpDesc d;
    d.width = side;
    d.height = side;
    d.bitCount = 24;
    d.rows.assign(static_cast<std::size_t>(side), std::vector<std::uint8_t>((side * 3 + 3) / 4 * 4, 7));
    return test::BuildBmp(d);
}

// A PNG whose second chunk claims 300 MiB of data.
std::vector<std::uint8_t> HugeChunkPng() {
    std::vector<std::uint8_t> png = SmallPng(4);
    png.resize(33); // signature and IHDR
    const std::uint32_t length = 300u << 20;
    for (int shift : {24, 16, 8, 0})
        png.push_back(static_cast<std::uint8_t>(length >> shift));
    for (char c : {'t', 'E', 'X', 't'})
        png.push_back(static_cast<std::uint8_t>(c));
    return png;
}

struct BoundRow {
    const char* name;
    std::vector<std::uint8_t> (*make)();
    std::uintmax_t padTo;   // the file is made this long, sparse
    bool ok;                // the picture reads
    const char* errorStart; // else the one line starts so
};

class BoundedRead : public ::testing::TestWithParam<BoundRow> {};

TEST_P(BoundedRead, ReadsOnlyWhatThePictureReaches) {
    const BoundRow& row = GetParam();
    const std::vector<std::uint8_t> bytes = row.make();
    const std::string path = ::testing::TempDir() + "/bounded-" + row.name;
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    // Sparse: the padding costs neither disk nor time unless it is read.
    std::filesystem::resize_file(path, row.padTo);

    const auto started = std::chrono::steady_clock::now();
    const FileBytes file = ReadPictureBytes(path);
    TileLevel level;
    const PictureReadResult r = ReadPictureFile(path, level);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::filesystem::remove(path);

    EXPECT_LT(seconds, 1.0);
    EXPECT_LE(file.bytes.size(), std::max<std::size_t>(bytes.size(), 64 * 1024));
    ASSERT_EQ(r.ok, row.ok) << r.error;
    if (row.ok) {
        EXPECT_EQ(level.Width, 32);
    } else {
        EXPECT_EQ(r.error.rfind(row.errorStart, 0), 0u) << r.error;
        EXPECT_EQ(r.error.find('\n'), std::string::npos);
    }
}

constexpr std::uintmax_t kPadded = 1600000000; // 1.6 GB

INSTANTIATE_TEST_SUITE_P(
    Files, BoundedRead,
    ::testing::Values(
        BoundRow{"PngWithGigabytesAfterIend", [] { return SmallPng(32); }, kPadded, true, ""},
        BoundRow{"BmpWithGigabytesAfterItsRows", [] { return SmallBmp(32); }, kPadded, true, ""},
        BoundRow{"PngChunkBeyondTheLimit", HugeChunkPng, 400u << 20, false,
                 "File too large to be read: its picture would take more than 268435456 bytes"}),
    test::RowName());

struct PixelRow {
    const char* name;
    std::vector<std::uint8_t> (*make)();
    std::int64_t maxPixels;
    bool ok;
    const char* errorStart;
};

class PixelLimit : public ::testing::TestWithParam<PixelRow> {};

TEST_P(PixelLimit, RefusedFromTheHeaderInOneLine) {
    const PixelRow& row = GetParam();
    TileLevel level;
    level.Width = 3;
    const PictureReadResult r = ReadPicture(row.make(), false, level, row.maxPixels);
    ASSERT_EQ(r.ok, row.ok) << r.error;
    if (!row.ok) {
        EXPECT_EQ(r.error, row.errorStart);
        EXPECT_EQ(level.Width, 3);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Readers, PixelLimit,
    ::testing::Values(PixelRow{"PngAtTheLimit", [] { return SmallPng(32); }, 1024, true, ""},
                      PixelRow{"PngOverTheLimit", [] { return SmallPng(32); }, 1023, false,
                               "PNG too large: at most 1023 pixels are supported, the file has 1024"},
                      PixelRow{"BmpOverTheLimit", [] { return SmallBmp(32); }, 1000, false,
                               "Bmp too large: at most 1000 pixels are supported, the file claims 1024"},
                      PixelRow{"LimitAboveTheReadersOwnIsTheirs", [] { return SmallPng(32); },
                               kMaxPicturePixels * 2, true, ""}),
    test::RowName());

// A detail map a count only measures: the header gives the size, and no
// pixel memory is taken, also for a file padded to gigabytes.
TEST(PictureNeed, SizeAloneReadsTheHeaderOnly) {
    for (const auto& [name, bytes] : {std::pair{"png", SmallPng(32)}, std::pair{"bmp", SmallBmp(32)}}) {
        const std::string path = ::testing::TempDir() + "/size-only." + name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        std::filesystem::resize_file(path, kPadded);
        TileLevel level;
        const PictureReadResult r = ReadPictureFile(path, level, kMaxPicturePixels, PictureNeed::Size);
        std::filesystem::remove(path);
        ASSERT_TRUE(r.ok) << name << ": " << r.error;
        EXPECT_EQ(level.Width, 32) << name;
        EXPECT_EQ(level.Height, 32) << name;
        EXPECT_TRUE(level.Pixels.empty()) << name;
    }
}

} // namespace
} // namespace vellora
