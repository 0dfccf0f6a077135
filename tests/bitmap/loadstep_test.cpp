// SPDX-License-Identifier: MIT
// The one step every front end uses to take a file into the state.
#include "bitmap/loadstep.h"
#include "core/detailmap.h"

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
    const char* widthText;
    const char* heightText;
    bool greyscaleMessage;
};

class LoadStep : public ::testing::TestWithParam<StepRow> {};

TEST_P(LoadStep, WhatAFileBringsToTheSettings) {
    const StepRow& row = GetParam();
    CoreState state;
    ResetPictures(state.tiles);
    const LoadStepResult r = LoadBytesInto(Picture(row.width, row.height, row.bits), row.role, state, 1);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(state.bitmapLoaded);
    EXPECT_EQ(state.tiles[1].Width, row.width);
    EXPECT_EQ(r.file.format, row.format);
    EXPECT_EQ(r.file.widthText, row.widthText);
    EXPECT_EQ(r.file.heightText, row.heightText);
    EXPECT_EQ(!r.file.messages.empty(), row.greyscaleMessage);

    Settings s;
    s.baseFormat = Format::Bits8;
    ApplyToSettings(r.file, row.role, s);
    if (row.role == LoadRole::Base) {
        EXPECT_EQ(s.width, row.widthText);
        EXPECT_EQ(s.baseFormat, row.format.value_or(Format::Bits8));
    } else if (row.role == LoadRole::Detail) {
        EXPECT_EQ(s.detailHeight, row.heightText);
        EXPECT_EQ(s.width, "64");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Load, LoadStep,
    ::testing::Values(
        StepRow{"Base4Bit", LoadRole::Base, 16, 8, 4, Format::CI4, "16", "8", false},
        StepRow{"Base24BitAsksAboutGrey", LoadRole::Base, 8, 8, 24, Format::Bits32, "8", "8", true},
        StepRow{"BaseOneBitKeepsTheFormat", LoadRole::Base, 8, 8, 1, std::nullopt, "8", "8", false},
        StepRow{"BaseTooWideTakesTheBoxLimit", LoadRole::Base, 1100, 300, 8, Format::CI8, "1024", "256",
                false},
        StepRow{"DetailTakesNoFormat", LoadRole::Detail, 32, 16, 8, std::nullopt, "32", "16", false},
        StepRow{"TileTakesNothing", LoadRole::Tile, 8, 4, 16, std::nullopt, "8", "4", false}),
    test::RowName());

// The command line counts a picture at its own size; the window counts what
// its boxes take and says when that is smaller than the picture.
struct OwnSizeRow {
    const char* name;
    LoadRole role;
    int width, height, bits;
    int boxWidth, boxHeight; // what the window counts
    long ownBytes;           // the base counted at its own size, one level
};

class OwnSize : public ::testing::TestWithParam<OwnSizeRow> {};

TEST_P(OwnSize, CommandLineCountsThePictureWindowSaysWhatItCuts) {
    const OwnSizeRow& row = GetParam();
    const bool detail = row.role == LoadRole::Detail;
    CoreState state;
    ResetPictures(state.tiles);
    Settings s;
    s.detailEnabled = detail;
    s.autoLevels = false;
    s.levels = "0";
    if (detail) {
        ASSERT_TRUE(LoadBytesInto(Picture(8, 8, 8), LoadRole::Base, state, 1).ok);
    }
    const LoadStepResult r = LoadBytesInto(Picture(row.width, row.height, row.bits), row.role, state, 0);
    ASSERT_TRUE(r.ok) << r.error;
    ApplyToSettings(r.file, row.role, s);

    const bool cut = row.boxWidth != row.width || row.boxHeight != row.height;
    ASSERT_EQ(r.file.boxesCutMessage.has_value(), cut);
    if (cut) {
        const std::string own = std::to_string(row.width) + " x " + std::to_string(row.height);
        const std::string box = std::to_string(row.boxWidth) + " x " + std::to_string(row.boxHeight);
        EXPECT_NE(r.file.boxesCutMessage->find(own + " pixels"), std::string::npos)
            << *r.file.boxesCutMessage;
        EXPECT_NE(r.file.boxesCutMessage->find("counted as " + box), std::string::npos);
    }

    const TextureSpec window = SpecFromSettings(s, state.tiles);
    const TextureSpec own = SpecAtOwnSize(s, state.tiles);
    const LevelSize ownSize{row.width, row.height}, boxSize{row.boxWidth, row.boxHeight};
    EXPECT_EQ(detail ? window.detail->size : window.size, boxSize);
    EXPECT_EQ(detail ? own.detail->size : own.size, ownSize);
    if (!detail) {
        TileTable tiles = state.tiles;
        const Count c = CountTexture(own, tiles);
        EXPECT_EQ(c.totalBytes, row.ownBytes);
        EXPECT_EQ(c.exceeds(), row.ownBytes > 4096);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Load, OwnSize,
    ::testing::Values(OwnSizeRow{"Base640x480", LoadRole::Base, 640, 480, 24, 640, 256, 640L * 480 * 4},
                      OwnSizeRow{"Base272x263", LoadRole::Base, 272, 263, 24, 272, 256, 272L * 263 * 4},
                      OwnSizeRow{"Base8x300Rgba16", LoadRole::Base, 8, 300, 16, 8, 256, 8L * 300 * 2},
                      OwnSizeRow{"BaseAtTheBoxLimit", LoadRole::Base, 1024, 256, 4, 1024, 256,
                                 1024L * 256 / 2},
                      OwnSizeRow{"DetailWiderThanItsBox", LoadRole::Detail, 1100, 20, 8, 1024, 20, 0}),
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
