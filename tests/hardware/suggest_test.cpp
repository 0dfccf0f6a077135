// SPDX-License-Identifier: MIT
// Suggestions for textures whose answers were worked out by hand.
#include "hardware/suggest.h"

#include "namedrows.h"

#include <gtest/gtest.h>

namespace vellora::hw {
namespace {

using test::PrintTo;

TextureCase Case(int w, int h, Kind kind, LevelMode levels = LevelMode::Auto) {
    TextureCase c;
    c.spec.size = {w, h};
    c.spec.format = RowOf(kind);
    c.spec.levels = levels;
    c.baseKind = kind;
    return c;
}

struct Expected {
    const char* change; // the start of the text
    long bytes;         // -1: not checked
    bool fits;
};

struct SuggestRow {
    const char* name;
    TextureCase texture;
    std::optional<int> colours;
    std::vector<Expected> expected;
};

class Suggestions : public ::testing::TestWithParam<SuggestRow> {};

TEST_P(Suggestions, SmallestChangeFirst) {
    const SuggestRow& row = GetParam();
    const std::vector<Suggestion> got = Suggest(row.texture, Rules::Both, row.colours);
    ASSERT_EQ(got.size(), row.expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(got[i].change);
        EXPECT_EQ(got[i].change.rfind(row.expected[i].change, 0), 0u);
        if (row.expected[i].bytes >= 0) {
            EXPECT_EQ(got[i].bytes, row.expected[i].bytes);
        }
        EXPECT_EQ(got[i].fitsBoth, row.expected[i].fits);
    }
}

INSTANTIATE_TEST_SUITE_P(
    HandWorked, Suggestions,
    ::testing::Values(
        // 64x64 RGBA16: the width rule keeps 64 ... 4 (8192 + 2048 + 512 + 128 + 32), still too much; no
        // number of levels helps (the base alone is 8192); 32x32 is the fact sheet's 2744-byte chain.
        SuggestRow{
            "Rgba16TooLarge",
            Case(64, 64, Kind::RGBA16),
            std::nullopt,
            {{"Halve the base to 32x32", 2744, true}, {"Stop the levels at a 64-bit width", 10912, false}}},
        // With few colours RGBA16 may become CI4: 64x64 at 4 bits is 2048 + 512 + 128 + 64 (8 texels
        // padded to 16) + 32 + 16 + 8 = 2808, still above the 2048 a CI texture may take.
        SuggestRow{"Rgba16FewColours",
                   Case(64, 64, Kind::RGBA16),
                   12,
                   {{"Halve the base to 32x32", 2744, true},
                    {"Stop the levels at a 64-bit width", 10912, false},
                    {"Store it as CI4 instead of RGBA16 (the picture has 12 colours)", 2808, false}}},
        // 48x48 CI8: 2304 bytes of texels is past the lower half, and CI counts against 2048. The
        // width rule keeps 48, 24 and 12 (2304 + 576 + 192); CI4 with 10 colours: 1152 + 384 (24
        // padded to 32) + 96 + 48 + 24 + 16 + 8 = 1728 fits; 24x24 CI8: 576 + 192 + 48 + 24 + 16 + 8 =
        // 864 fits.
        SuggestRow{"Ci8FewColours",
                   Case(48, 48, Kind::CI8),
                   10,
                   {{"Store it as CI4 instead of CI8 (the picture has 10 colours)", 1728, true},
                    {"Halve the base to 24x24", 864, true},
                    {"Stop the levels at a 64-bit width", 3072, false}}},
        // 32x32 RGBA32 with all levels: 4096 + 1024 + ... exceeds; the base alone is exactly 4096 and
        // fits the count, and its half-rows of 64 bytes fill the lower half exactly. Four changes fit or
        // not; three are kept, the width rule (which does not make it fit) is dropped.
        SuggestRow{"Rgba32LevelsAndKind",
                   Case(32, 32, Kind::RGBA32),
                   std::nullopt,
                   {{"Use the base alone, no mip-map levels", 4096, true},
                    {"Store it as RGBA16 instead of RGBA32", 2744, true},
                    {"Halve the base to 16x16", -1, true}}},
        SuggestRow{"FitsAlready", Case(32, 32, Kind::RGBA16), std::nullopt, {}}),
    test::RowName());

} // namespace
} // namespace vellora::hw
