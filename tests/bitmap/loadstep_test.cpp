// SPDX-License-Identifier: MIT
// The one step every front end uses to take a file into the state.
#include "bitmap/loadstep.h"
#include "core/pictures.h"

#include "bmpdesc.h"
#include "namedrows.h"

#include <gtest/gtest.h>

namespace vellora {
namespace {

using test::PrintTo;

std::vector<std::uint8_t> Picture(int width, int height, int bits) {
    test::BmpDesc d;
    d.width = width;
    d.height = height;
    d.bitCount = static_cast<std::uint16_t>(bits);
    if (bits <= 8)
        d.palette.assign(bits == 4 ? 16 : 256, {1, 2, 3});
    const int rowBytes = (bits * width + 31) / 32 * 4;
    d.rows.assign(static_cast<std::size_t>(height),
                  std::vector<std::uint8_t>(static_cast<std::size_t>(rowBytes), 0));
    return test::BuildBmp(d);
}

struct StepRow {
    const char* name;
    LoadRole role;
    int width, height, bits;
    std::optional<Format> format;
    bool greyscaleMessage;
};

class LoadStep : public ::testing::TestWithParam<StepRow> {};

TEST_P(LoadStep, WhatAFileBrings) {
    const StepRow& row = GetParam();
    CoreState state;
    ResetPictures(state.tiles);
    const LoadStepResult r = LoadBytesInto(Picture(row.width, row.height, row.bits), row.role, state, 1);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(state.bitmapLoaded);
    EXPECT_EQ(state.tiles[1].Width, row.width);
    EXPECT_EQ(r.file.format, row.format);
    EXPECT_EQ(!r.file.messages.empty(), row.greyscaleMessage);
}

INSTANTIATE_TEST_SUITE_P(
    Load, LoadStep,
    ::testing::Values(StepRow{"Base4Bit", LoadRole::Base, 16, 8, 4, Format::CI4, false},
                      StepRow{"Base24BitAsksAboutGrey", LoadRole::Base, 8, 8, 24, Format::Bits32, true},
                      StepRow{"BaseOneBitKeepsTheFormat", LoadRole::Base, 8, 8, 1, std::nullopt, false},
                      StepRow{"BaseWiderThanTheBoxesIsReadWhole", LoadRole::Base, 1100, 300, 8, Format::CI8,
                              false},
                      StepRow{"DetailTakesNoFormat", LoadRole::Detail, 32, 16, 8, std::nullopt, false},
                      StepRow{"TileTakesNothing", LoadRole::Tile, 8, 4, 16, std::nullopt, false}),
    test::RowName());

TEST(LoadStep, ARefusedFileLeavesTheLevelAsItWas) {
    CoreState state;
    ResetPictures(state.tiles);
    state.tiles[0].Width = 12;
    const std::vector<std::uint8_t> junk = {'B', 'M', 1, 2, 3};
    const LoadStepResult r = LoadBytesInto(junk, LoadRole::Base, state, 0);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(state.tiles[0].Width, 12);
    EXPECT_FALSE(state.bitmapLoaded);
    EXPECT_FALSE(LoadBytesInto(Picture(4, 4, 8), LoadRole::Tile, state, kLevelCount).ok);
}

} // namespace
} // namespace vellora
