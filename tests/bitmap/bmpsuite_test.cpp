// SPDX-License-Identifier: MIT
// The public BMP corpus: good files must read with the pixels of their
// reference renderings (by the reader's own rules), and every questionable
// or bad file must be refused with a message or read within its bounds.
#include "bitmap/bmpreader.h"

#include "pngdecode.h"
#include "testdata.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

using namespace vellora;

namespace {

const std::string kSuite = std::string(VELLORA_TEST_DATA_DIR) + "/bmpsuite/";

std::vector<std::uint8_t> Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// How a reference colour turns into what the reader gives.
enum class Rule {
    Same,      // colour-table and 24-bit files
    Fields555, // 5-bit channels scaled by 8
    Fields565, // stored as 5-6-5 but read as 5-5-5, as the reader ignores bit fields
    Bytes32,   // the channel masks place the colour in the four bytes B, G, R, A
};

struct GoodCase {
    const char* file;
    const char* reference;
    Rule rule;
};

const GoodCase kGood[] = {
    {"pal4", "pal4", Rule::Same},
    {"pal4gs", "pal4gs", Rule::Same},
    {"pal8", "pal8", Rule::Same},
    {"pal8-0", "pal8", Rule::Same},
    {"pal8gs", "pal8gs", Rule::Same},
    {"pal8nonsquare", "pal8nonsquare-e", Rule::Same},
    {"pal8os2", "pal8", Rule::Same}, // 12-byte header, three-byte table entries
    {"pal8topdown", "pal8", Rule::Same},
    {"pal8v4", "pal8", Rule::Same},
    {"pal8v5", "pal8", Rule::Same},
    {"pal8w124", "pal8w124", Rule::Same},
    {"pal8w125", "pal8w125", Rule::Same},
    {"pal8w126", "pal8w126", Rule::Same},
    {"rgb16", "rgb16", Rule::Fields555},
    {"rgb16bfdef", "rgb16", Rule::Fields555},
    {"rgb16-565", "rgb16-565", Rule::Fields565},
    {"rgb16-565pal", "rgb16-565", Rule::Fields565},
    {"rgb24", "rgb24", Rule::Same},
    {"rgb24pal", "rgb24", Rule::Same},
    {"rgb32", "rgb24", Rule::Bytes32},
    {"rgb32bf", "rgb24", Rule::Bytes32},
    {"rgb32bfdef", "rgb24", Rule::Bytes32},
};

int Shift(std::uint32_t mask) {
    int s = 0;
    while (mask != 0 && (mask & 1u) == 0) {
        mask >>= 1;
        ++s;
    }
    return s;
}

TEST(BmpSuiteTest, GoodFilesMatchTheirReferenceRenderings) {
    for (const GoodCase& c : kGood) {
        SCOPED_TRACE(c.file);
        const auto bytes = Slurp(kSuite + "g/" + c.file + ".bmp");
        ASSERT_GT(bytes.size(), 54u);
        test::RgbImage ref;
        std::string why;
        ASSERT_TRUE(test::DecodePng(Slurp(kSuite + "html/" + c.reference + ".png"), ref, why)) << why;

        TileLevel level;
        const PictureReadResult r = ReadBmp(bytes, level);
        ASSERT_TRUE(r.ok) << r.error;
        ASSERT_EQ(level.Width, ref.width);
        ASSERT_EQ(level.Height, ref.height);

        // Channel masks of the 32-bit files: after the 40-byte header when it
        // names bit fields, else the plain layout.
        std::uint32_t masks[3] = {0x00FF0000u, 0x0000FF00u, 0x000000FFu};
        if (c.rule == Rule::Bytes32 && Le32(bytes, 30) == 3)
            for (int k = 0; k < 3; ++k)
                masks[k] = Le32(bytes, 54 + 4 * static_cast<std::size_t>(k));
        const std::uint32_t covered = masks[0] | masks[1] | masks[2];

        int mismatches = 0;
        for (int row = 0; row < ref.height && mismatches < 5; ++row) {
            for (int col = 0; col < ref.width && mismatches < 5; ++col) {
                const std::uint8_t* want = ref.at(row, col);
                const std::uint8_t* got = level.Pixels.at(row, col);
                int expect[4] = {want[0], want[1], want[2], 0};
                bool checkAlpha = true;
                switch (c.rule) {
                case Rule::Same:
                    break;
                case Rule::Fields555:
                    for (int k = 0; k < 3; ++k)
                        expect[k] = (want[k] >> 3) * 8;
                    break;
                case Rule::Fields565: {
                    const unsigned word = ((want[0] >> 3) << 11) | ((want[1] >> 2) << 5) | (want[2] >> 3);
                    expect[0] = static_cast<int>((word >> 10) & 31) * 8;
                    expect[1] = static_cast<int>((word >> 5) & 31) * 8;
                    expect[2] = static_cast<int>(word & 31) * 8;
                    break;
                }
                case Rule::Bytes32: {
                    std::uint32_t word = 0;
                    for (int k = 0; k < 3; ++k)
                        word |= static_cast<std::uint32_t>(want[k]) << Shift(masks[k]);
                    expect[0] = static_cast<int>((word >> 16) & 255);
                    expect[1] = static_cast<int>((word >> 8) & 255);
                    expect[2] = static_cast<int>(word & 255);
                    expect[3] = static_cast<int>(word >> 24);
                    checkAlpha =
                        (covered & 0xFF000000u) != 0; // an unused fourth byte is not in the reference
                    break;
                }
                }
                bool same = got[0] == expect[0] && got[1] == expect[1] && got[2] == expect[2];
                if (checkAlpha)
                    same = same && got[3] == expect[3];
                if (c.rule != Rule::Bytes32)
                    same = same && got[3] == 0;
                if (!same) {
                    ++mismatches;
                    ADD_FAILURE() << "pixel " << row << "," << col << ": got " << int(got[0]) << " "
                                  << int(got[1]) << " " << int(got[2]) << " " << int(got[3]) << ", want "
                                  << expect[0] << " " << expect[1] << " " << expect[2] << " " << expect[3];
                }
            }
        }
    }
}

TEST(BmpSuiteTest, OutOfScopeGoodFilesReadWithoutColours) {
    struct Case {
        const char* file;
        int bits;
        bool blank; // undecodable depth: a black grid
    };
    const Case cases[] = {
        {"pal1", 1, true},
        {"pal1bg", 1, true},
        {"pal1wb", 1, true},
        // Run-length data is read as plain rows: scrambled but in bounds.
        {"pal4rle", 4, false},
        {"pal8rle", 8, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TileLevel level;
        const PictureReadResult r = ReadBmp(Slurp(kSuite + "g/" + c.file + ".bmp"), level);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(level.Width, 127);
        EXPECT_EQ(level.Height, 64);
        EXPECT_EQ(level.BitDepth, c.bits);
        ASSERT_EQ(level.Pixels.rgba().size(), 127u * 64u * 4u);
        if (c.blank) {
            EXPECT_EQ(std::count(level.Pixels.rgba().begin(), level.Pixels.rgba().end(), 0),
                      static_cast<std::ptrdiff_t>(level.Pixels.rgba().size()));
        }
    }
}

// Files whose refusal is certain: unknown header sizes and impossible sizes.
const std::set<std::string> kMustRefuse = {
    "b/badheadersize.bmp", "b/badwidth.bmp",  "b/reallybig.bmp",    "q/pal1huffmsb.bmp",
    "q/pal8os2v2-16.bmp",  "q/pal8os2v2.bmp", "q/pal8os2v2-sz.bmp", "q/rgb24rle24.bmp",
    "q/rgb32h52.bmp",      "q/rgba32h56.bmp",
};

TEST(BmpSuiteTest, QuestionableAndBadFilesAreRefusedOrReadInBounds) {
    int files = 0;
    for (const char* folder : {"b", "q"}) {
        for (const auto& entry : std::filesystem::directory_iterator(kSuite + folder)) {
            const std::string name = std::string(folder) + "/" + entry.path().filename().string();
            SCOPED_TRACE(name);
            ++files;
            // An exact-size copy, so the sanitizer catches any read past the end.
            const std::vector<std::uint8_t> bytes = Slurp(entry.path().string());
            TileLevel level;
            level.Width = -1;
            const PictureReadResult r = ReadBmp(bytes, level);
            if (kMustRefuse.count(name) != 0) {
                EXPECT_FALSE(r.ok);
            }
            if (!r.ok) {
                EXPECT_FALSE(r.error.empty());
                EXPECT_EQ(level.Width, -1);
                continue;
            }
            EXPECT_GT(level.Width, 0);
            EXPECT_GT(level.Height, 0);
            EXPECT_EQ(level.Pixels.rows(), level.Height);
            EXPECT_EQ(level.Pixels.cols(), level.Width);
        }
    }
    EXPECT_EQ(files, 60);
}

} // namespace
