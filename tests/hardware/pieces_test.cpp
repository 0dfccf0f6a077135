// SPDX-License-Identifier: MIT
// Pictures too large for TMEM in pieces: the plans worked out by hand.
#include "hardware/pieces.h"

#include "namedrows.h"

#include <gtest/gtest.h>

namespace vellora::hw {
namespace {

using test::PrintTo;

struct PlanRow {
    const char* name;
    int width, height;
    Kind kind;
    bool overlap;
    int pieces, pieceWidth, pieceHeight, columns;
    int lastY, lastHeight; // the last piece's first row and rows
    int loads;             // a frame's loads, the palette's included
};

class HandPlans : public ::testing::TestWithParam<PlanRow> {};

TEST_P(HandPlans, StripsAsTheRowsAllow) {
    const PlanRow& row = GetParam();
    const PiecePlan plan = PlanPieces(row.width, row.height, row.kind, {row.overlap, {}});
    ASSERT_FALSE(plan.refused) << *plan.refused;
    ASSERT_EQ(plan.pieces.size(), static_cast<std::size_t>(row.pieces));
    EXPECT_EQ(plan.pieceWidth, row.pieceWidth);
    EXPECT_EQ(plan.pieceHeight, row.pieceHeight);
    EXPECT_EQ(plan.columns, row.columns);
    EXPECT_EQ(plan.pieces.back().y, row.lastY);
    EXPECT_EQ(plan.pieces.back().height, row.lastHeight);
    EXPECT_EQ(plan.loadsPerFrame, row.loads);
}

// 320 RGBA16 texels are 640 bytes, 80 words a row: 6 rows take 480 of
// TMEM's 512 words. With overlap each strip starts on the last row of the one
// before. A 128 x 128 wall: 32 words a row, 16 rows a strip. CI4 640 wide:
// 40 words a row in the 256 of the lower half, 6 rows. RGBA32 1000 wide: a
// half-row is 250 words, one row a strip; with overlap two rows are needed,
// so the picture goes in two columns of 501 texels (126 words a half-row),
// strips of two rows starting on rows 0, 1 and 2.
INSTANTIATE_TEST_SUITE_P(
    Pieces, HandPlans,
    ::testing::Values(
        PlanRow{"Background320x240Rgba16", 320, 240, Kind::RGBA16, false, 40, 320, 6, 1, 234, 6, 40},
        PlanRow{"Background320x240Rgba16Overlap", 320, 240, Kind::RGBA16, true, 48, 320, 6, 1, 235, 5, 48},
        PlanRow{"Wall128x128Rgba16", 128, 128, Kind::RGBA16, false, 8, 128, 16, 1, 112, 16, 8},
        PlanRow{"Ci4At640x480WithItsPalette", 640, 480, Kind::CI4, false, 80, 640, 6, 1, 474, 6, 81},
        PlanRow{"Rgba32Wide1000", 1000, 4, Kind::RGBA32, false, 4, 1000, 1, 1, 3, 1, 4},
        PlanRow{"Rgba32Wide1000OverlapInTwoColumns", 1000, 4, Kind::RGBA32, true, 6, 501, 2, 2, 2, 2, 6},
        PlanRow{"SmallEnoughForOnePiece", 32, 32, Kind::RGBA16, true, 1, 32, 32, 1, 0, 32, 1}),
    test::RowName());

// The drawn rectangles cover every texel of the picture once, and every
// load stays within what TMEM gives a piece.
TEST(Pieces, DrawnRectanglesTileThePicture) {
    struct Picture {
        int width, height;
        Kind kind;
        bool overlap;
    };
    for (const Picture& row : {Picture{321, 97, Kind::I4, true}, Picture{999, 33, Kind::CI8, true},
                               Picture{700, 300, Kind::IA16, false}, Picture{77, 1023, Kind::RGBA32, true}}) {
        const PiecePlan plan = PlanPieces(row.width, row.height, row.kind, {row.overlap, {}});
        ASSERT_FALSE(plan.refused);
        std::vector<int> drawn(static_cast<std::size_t>(row.width) * static_cast<std::size_t>(row.height), 0);
        for (const Piece& p : plan.pieces) {
            EXPECT_LE(p.line * p.height, plan.capacityWords);
            EXPECT_LE(p.height, 256);
            if (BitsOf(row.kind) == 4) {
                EXPECT_EQ(p.x % 2, 0) << "a 4-bit load moves whole bytes";
            }
            for (int y = p.y; y < p.y + p.drawHeight; ++y)
                for (int x = p.x; x < p.x + p.drawWidth; ++x)
                    ++drawn[static_cast<std::size_t>(y) * static_cast<std::size_t>(row.width) +
                            static_cast<std::size_t>(x)];
        }
        EXPECT_EQ(std::count(drawn.begin(), drawn.end(), 1), static_cast<long>(drawn.size()))
            << KindName(row.kind) << " " << row.width << "x" << row.height;
    }
}

TEST(Pieces, RefusedPictures) {
    EXPECT_TRUE(PlanPieces(1024, 16, Kind::RGBA16).refused);
    EXPECT_TRUE(PlanPieces(16, 1024, Kind::RGBA16).refused);
    EXPECT_TRUE(PlanPieces(0, 16, Kind::RGBA16).refused);
    EXPECT_FALSE(PlanPieces(1023, 1023, Kind::I4).refused);
}

} // namespace
} // namespace vellora::hw
