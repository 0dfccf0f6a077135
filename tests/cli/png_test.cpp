// SPDX-License-Identifier: MIT
#include "cli/png.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>
#include <vector>

namespace vellora::cli {
namespace {

std::span<const std::uint8_t> Bytes(std::string_view s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

std::uint32_t BE32(const std::vector<std::uint8_t>& v, std::size_t at) {
    return (std::uint32_t{v.at(at)} << 24) | (std::uint32_t{v.at(at + 1)} << 16) |
           (std::uint32_t{v.at(at + 2)} << 8) | v.at(at + 3);
}

TEST(Checksums, KnownValues) {
    EXPECT_EQ(Crc32(Bytes("123456789")), 0xCBF43926u);
    EXPECT_EQ(Crc32(Bytes("")), 0u);
    EXPECT_EQ(Crc32(Bytes("IEND")), 0xAE426082u);
    EXPECT_EQ(Adler32(Bytes("Wikipedia")), 0x11E60398u);
    EXPECT_EQ(Adler32(Bytes("")), 1u);
    // A long run of 0xFF crosses the point where the sums must be reduced.
    std::vector<std::uint8_t> ones(100000, 0xFF);
    std::uint64_t a = 1, b = 0;
    for (std::uint8_t x : ones) {
        a = (a + x) % 65521;
        b = (b + a) % 65521;
    }
    EXPECT_EQ(Adler32(ones), static_cast<std::uint32_t>((b << 16) | a));
}

struct Chunk {
    std::string type;
    std::vector<std::uint8_t> data;
};

// Splits a PNG into chunks, checking the signature and every CRC.
std::vector<Chunk> ReadChunks(const std::vector<std::uint8_t>& png) {
    const std::vector<std::uint8_t> signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    EXPECT_TRUE(std::equal(signature.begin(), signature.end(), png.begin()));
    std::vector<Chunk> chunks;
    std::size_t at = 8;
    while (at < png.size()) {
        const std::uint32_t length = BE32(png, at);
        Chunk c;
        c.type.assign(png.begin() + static_cast<std::ptrdiff_t>(at + 4),
                      png.begin() + static_cast<std::ptrdiff_t>(at + 8));
        c.data.assign(png.begin() + static_cast<std::ptrdiff_t>(at + 8),
                      png.begin() + static_cast<std::ptrdiff_t>(at + 8 + length));
        EXPECT_EQ(BE32(png, at + 8 + length), Crc32(std::span(png).subspan(at + 4, length + 4))) << c.type;
        chunks.push_back(std::move(c));
        at += 12 + length;
    }
    EXPECT_EQ(at, png.size());
    return chunks;
}

// Reads a zlib stream of stored blocks back, checking headers and Adler-32.
std::vector<std::uint8_t> InflateStored(const std::vector<std::uint8_t>& z, int* blocks) {
    EXPECT_EQ((z.at(0) * 256 + z.at(1)) % 31, 0);
    EXPECT_EQ(z.at(0) & 0x0F, 8); // deflate
    std::vector<std::uint8_t> out;
    std::size_t at = 2;
    *blocks = 0;
    while (true) {
        const std::uint8_t head = z.at(at);
        EXPECT_EQ(head & 0x06, 0); // stored
        const unsigned len = z.at(at + 1) | (z.at(at + 2) << 8);
        const unsigned nlen = z.at(at + 3) | (z.at(at + 4) << 8);
        EXPECT_EQ(len ^ 0xFFFFu, nlen);
        out.insert(out.end(), z.begin() + static_cast<std::ptrdiff_t>(at + 5),
                   z.begin() + static_cast<std::ptrdiff_t>(at + 5 + len));
        at += 5 + len;
        ++*blocks;
        if (head & 1)
            break;
    }
    EXPECT_EQ(BE32(z, at), Adler32(out));
    EXPECT_EQ(at + 4, z.size());
    return out;
}

TEST(Png, PicturesOfSeveralSizesRoundTrip) {
    struct Case {
        const char* name;
        int width, height, blocks;
    };
    // 3 * 200 + 1 bytes a row: 120 rows need two stored blocks.
    const Case cases[] = {
        {"OnePixel", 1, 1, 1}, {"Small", 5, 3, 1}, {"TwoBlocks", 200, 120, 2}, {"Empty", 0, 0, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RgbImage img(c.width, c.height, 10, 20, 30);
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                img.set(x, y, static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                        static_cast<std::uint8_t>(x ^ y));
        const auto chunks = ReadChunks(EncodePng(img));
        ASSERT_EQ(chunks.size(), 3u);
        EXPECT_EQ(chunks[0].type, "IHDR");
        EXPECT_EQ(chunks[1].type, "IDAT");
        EXPECT_EQ(chunks[2].type, "IEND");
        EXPECT_TRUE(chunks[2].data.empty());
        const auto& h = chunks[0].data;
        ASSERT_EQ(h.size(), 13u);
        EXPECT_EQ(BE32(h, 0), static_cast<std::uint32_t>(c.width));
        EXPECT_EQ(BE32(h, 4), static_cast<std::uint32_t>(c.height));
        EXPECT_EQ(std::vector<std::uint8_t>(h.begin() + 8, h.end()),
                  (std::vector<std::uint8_t>{8, 2, 0, 0, 0}));
        int blocks = 0;
        const auto raw = InflateStored(chunks[1].data, &blocks);
        EXPECT_EQ(blocks, c.blocks);
        std::vector<std::uint8_t> expected;
        for (int y = 0; y < c.height; ++y) {
            expected.push_back(0);
            for (int x = 0; x < c.width; ++x)
                expected.insert(expected.end(), {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                                                 static_cast<std::uint8_t>(x ^ y)});
        }
        EXPECT_EQ(raw, expected);
    }
}

TEST(Png, DrawingOutsideThePictureIsIgnored) {
    RgbImage img(4, 4);
    img.set(-1, 0, 255, 0, 0);
    img.set(4, 4, 255, 0, 0);
    img.fillRect(2, 2, 10, 10, 1, 2, 3);
    img.fillRect(-5, -5, 6, 6, 9, 9, 9);
    EXPECT_EQ(img.rgb.size(), 48u);
    EXPECT_EQ(img.rgb[0], 9);                   // (0,0) from the clipped rectangle
    EXPECT_EQ(img.rgb[(1 * 4 + 1) * 3], 0);     // (1,1) untouched
    EXPECT_EQ(img.rgb[(3 * 4 + 3) * 3 + 2], 3); // (3,3) from the other one
}

} // namespace
} // namespace vellora::cli
