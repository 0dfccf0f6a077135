// SPDX-License-Identifier: MIT
#include "bitmap/mipmap.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <random>

using namespace vellora;

namespace {

using Rgba = std::array<int, 4>;

Rgba Px(const TileLevel& t, int row, int col) {
    const std::uint8_t* p = t.Pixels.at(row, col);
    return {p[0], p[1], p[2], p[3]};
}

void SetPx(TileLevel& t, int row, int col, Rgba v) {
    std::uint8_t* p = t.Pixels.at(row, col);
    for (int k = 0; k < 4; ++k)
        p[k] = static_cast<std::uint8_t>(v[k]);
}

TileLevel Level(int width, int height, Rgba fill = {0, 0, 0, 0}) {
    TileLevel t;
    t.Width = t.LineWidth = width;
    t.Height = height;
    t.BitDepth = 32;
    t.Pixels = PixelGrid(height, width);
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c)
            SetPx(t, r, c, fill);
    return t;
}

// A plain model of the filters written the long way round: nine numbered
// samples with weights by sample number, modulo wrapping, floating-point
// sums and rounding half to even. A pixel outside the source grid reads 0.
int ModelSample(const TileLevel& s, int row, int col, int ch) {
    if (row >= s.Pixels.rows() || col >= s.Pixels.cols())
        return 0;
    return s.Pixels.at(row, col)[ch];
}

Rgba ModelPixel(const TileLevel& s, int r, int c, MipFilter filter) {
    const int w = s.Width, h = s.Height;
    int x = std::min(2 * c, w - 1), y = std::min(2 * r, h - 1);
    auto wrapX = [&](int v) { return ((v % w) + w) % w; };
    auto wrapY = [&](int v) { return ((v % h) + h) % h; };
    Rgba out{0, 0, 0, 0};
    for (int ch = 0; ch < 3; ++ch) {
        double sum = 0;
        if (filter == MipFilter::Box2x2) {
            sum = ModelSample(s, y, x, ch) + ModelSample(s, wrapY(y + 1), x, ch) +
                  ModelSample(s, wrapY(y + 1), wrapX(x + 1), ch) + ModelSample(s, y, wrapX(x + 1), ch);
            sum /= 4.0;
        } else {
            // 0 above-left, 1 above-right, 2 above, 3 right, 4 left,
            // 5 below-right, 6 below, 7 below-left, 8 centre.
            const int dy[9] = {-1, -1, -1, 0, 0, 1, 1, 1, 0};
            const int dx[9] = {-1, 1, 0, 1, -1, 1, 0, -1, 0};
            for (int i = 0; i < 9; ++i) {
                const double weight = i == 8 ? 4 : (i % 2 == 0 ? 2 : 1);
                sum += weight * ModelSample(s, wrapY(y + dy[i]), wrapX(x + dx[i]), ch);
            }
            sum /= 16.0;
        }
        out[ch] = static_cast<int>(std::nearbyint(sum)); // default rounding mode: half to even
    }
    return out;
}

TEST(MipMapTest, WorkedExamples) {
    {
        SCOPED_TRACE("Box2x2PureColoursRoundToEven");
        TileTable t;
        t[0] = Level(2, 2);
        SetPx(t[0], 0, 0, {255, 0, 0, 9});
        SetPx(t[0], 0, 1, {0, 255, 0, 9});
        SetPx(t[0], 1, 0, {0, 0, 255, 9});
        SetPx(t[0], 1, 1, {255, 255, 255, 9});
        t[1].Width = t[1].Height = 1;
        GeneratebmpMipMap(t, 1, 0, MipFilter::Box2x2);
        ASSERT_EQ(t[1].Pixels.rows(), 2);
        ASSERT_EQ(t[1].Pixels.cols(), 2);
        EXPECT_EQ(Px(t[1], 0, 0), (Rgba{128, 128, 128, 0}));
    }
    {
        SCOPED_TRACE("Box2x2HalvesGoToEven");
        TileTable t;
        t[0] = Level(2, 2, {0, 0, 0, 0});
        SetPx(t[0], 0, 0, {10, 14, 6, 0}); // 10/4 = 2.5 -> 2, 14/4 = 3.5 -> 4, 6/4 = 1.5 -> 2
        t[1].Width = t[1].Height = 1;
        GeneratebmpMipMap(t, 1, 0, MipFilter::Box2x2);
        EXPECT_EQ(Px(t[1], 0, 0), (Rgba{2, 4, 2, 0}));
    }
    {
        SCOPED_TRACE("Weighted3x3SingleWhiteCorner");
        TileTable t;
        t[0] = Level(4, 4);
        SetPx(t[0], 0, 0, {255, 255, 255, 255});
        t[1].Width = t[1].Height = 2;
        GeneratebmpMipMap(t, 1, 0, MipFilter::Weighted3x3);
        ASSERT_EQ(t[1].Pixels.rows(), 3);
        EXPECT_EQ(Px(t[1], 0, 0), (Rgba{64, 64, 64, 0}));
        EXPECT_EQ(Px(t[1], 0, 1), (Rgba{0, 0, 0, 0}));
        EXPECT_EQ(Px(t[1], 1, 0), (Rgba{0, 0, 0, 0}));
        EXPECT_EQ(Px(t[1], 1, 1), (Rgba{0, 0, 0, 0}));
        // The extra corner samples the clamped (3, 3); its wrapped below-right
        // neighbour is (0, 0), weight 1: 255 / 16 = 15.9 -> 16.
        EXPECT_EQ(Px(t[1], 2, 2), (Rgba{16, 16, 16, 0}));
    }
}

TEST(MipMapTest, WeightsAreLopsidedByPosition) {
    // A single bright pixel at each neighbour position of source (2, 2)
    // shows that position's weight in output (1, 1).
    struct Case {
        const char* name;
        int row, col;
        int weight;
    };
    const Case cases[] = {
        {"AboveLeft", 1, 1, 2}, {"Above", 1, 2, 2},  {"AboveRight", 1, 3, 1},
        {"Left", 2, 1, 2},      {"Centre", 2, 2, 4}, {"Right", 2, 3, 1},
        {"BelowLeft", 3, 1, 1}, {"Below", 3, 2, 2},  {"BelowRight", 3, 3, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TileTable t;
        t[0] = Level(6, 6);
        SetPx(t[0], c.row, c.col, {160, 16, 0, 0});
        t[1].Width = t[1].Height = 3;
        GeneratebmpMipMap(t, 1, 0, MipFilter::Weighted3x3);
        EXPECT_EQ(Px(t[1], 1, 1), (Rgba{10 * c.weight, c.weight, 0, 0}));
    }
}

TEST(MipMapTest, EdgesWrapAndClamp) {
    // Source 5 wide: output column 2 samples column 4 and wraps its right
    // neighbour to column 0; output column 3 clamps to column 4 as well.
    TileTable t;
    t[0] = Level(5, 1);
    SetPx(t[0], 0, 0, {16, 0, 0, 0});
    t[1].Width = 3;
    t[1].Height = 0;
    GeneratebmpMipMap(t, 1, 0, MipFilter::Weighted3x3);
    ASSERT_EQ(t[1].Pixels.cols(), 4);
    ASSERT_EQ(t[1].Pixels.rows(), 1);
    // One row high: above and below are the row itself, so column 0 is the
    // right neighbour three times (weights 1 + 1 + 1).
    EXPECT_EQ(Px(t[1], 0, 2)[0], 3);
    EXPECT_EQ(Px(t[1], 0, 3)[0], 3);
    // Output column 0 is the centre (4) plus left-of-nothing wrapping to 4: 16 * 8 / 16.
    EXPECT_EQ(Px(t[1], 0, 0)[0], 8);
    EXPECT_EQ(Px(t[1], 0, 1)[0], 0);
}

TEST(MipMapTest, MatchesPlainModelOnRandomPictures) {
    ASSERT_EQ(std::fegetround(), FE_TONEAREST);
    std::mt19937 random(12345);
    struct Case {
        const char* name;
        int width, height, gridRows, gridCols;
        int detailFlag;
    };
    const Case cases[] = {
        {"SquarePowerOfTwo", 64, 64, 64, 64, 0},
        {"WideOdd", 37, 5, 37, 5, 0},
        {"TallNarrow", 3, 41, 41, 3, 1},
        {"GeneratedStyleLargerGrid", 16, 8, 9, 17, 0},
        {"GridSmallerThanRecord", 20, 12, 1, 1, 0},
        {"GridPartlyShort", 20, 12, 7, 30, 1},
    };
    for (const MipFilter filter : {MipFilter::Weighted3x3, MipFilter::Box2x2}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (filter == MipFilter::Box2x2 ? " 2x2" : " 3x3"));
            TileTable t;
            TileLevel& base = t[c.detailFlag];
            base.Width = c.width;
            base.Height = c.height;
            base.Pixels = PixelGrid(c.gridRows, c.gridCols);
            for (auto& b : base.Pixels.bytes())
                b = static_cast<std::uint8_t>(random());
            int w = c.width, h = c.height;
            for (int i = c.detailFlag + 1; i < kLevelCount; ++i) {
                w = std::max(1, w / 2);
                h = std::max(1, h / 2);
                t[i].Width = w;
                t[i].Height = h;
            }
            TileTable before = t;
            GeneratebmpMipMap(t, kLevelCount - 1, c.detailFlag, filter);
            EXPECT_EQ(t[c.detailFlag].Pixels.rgba(), before[c.detailFlag].Pixels.rgba());
            for (int i = c.detailFlag + 1; i < kLevelCount; ++i) {
                // Each level is computed from the freshly generated level above.
                const TileLevel& above = t[i - 1];
                ASSERT_EQ(t[i].Pixels.rows(), t[i].Height + 1);
                ASSERT_EQ(t[i].Pixels.cols(), t[i].Width + 1);
                int bad = 0;
                for (int r = 0; r <= t[i].Height && bad < 3; ++r)
                    for (int col = 0; col <= t[i].Width && bad < 3; ++col)
                        if (Px(t[i], r, col) != ModelPixel(above, r, col, filter)) {
                            ++bad;
                            ADD_FAILURE() << "level " << i << " pixel " << r << "," << col;
                        }
            }
        }
    }
}

TEST(MipMapTest, LevelRangeAndZeroSizes) {
    struct Case {
        const char* name;
        int lastLevel, detailFlag;
        int firstChanged, lastChanged; // -1: none
    };
    const Case cases[] = {
        {"NothingAtOrBelowBase", 1, 1, -1, -1}, {"DetailOnStartsAtTwo", 3, 1, 2, 3},
        {"DetailOffStartsAtOne", 2, 0, 1, 2},   {"LevelNumberBeyondTable", 200, 0, 1, 7},
        {"NegativeLevelNumber", -5, 0, -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TileTable t;
        for (int i = 0; i < kLevelCount; ++i) {
            t[i] = Level(8 >> std::min(i, 3), 8 >> std::min(i, 3), {200, 100, 50, 7});
        }
        const TileTable before = t;
        GeneratebmpMipMap(t, c.lastLevel, c.detailFlag, MipFilter::Weighted3x3);
        for (int i = 0; i < kLevelCount; ++i) {
            const bool changed = c.firstChanged >= 0 && i >= c.firstChanged && i <= c.lastChanged;
            EXPECT_EQ(t[i].Pixels.rgba() != before[i].Pixels.rgba(), changed) << "record " << i;
            EXPECT_EQ(t[i].Width, before[i].Width);
        }
    }

    // A cleared record gets a 1 x 1 grid from the clamped corner above; a
    // cleared record below a cleared record reads nothing and stays black.
    TileTable t;
    t[0] = Level(4, 4, {40, 80, 120, 255});
    t[1].Pixels = PixelGrid(1, 1); // a reset leaves 1 x 1 grids behind
    t[2].Pixels = PixelGrid(5, 5);
    GeneratebmpMipMap(t, 3, 0, MipFilter::Box2x2);
    ASSERT_EQ(t[1].Pixels.rows(), 1);
    ASSERT_EQ(t[1].Pixels.cols(), 1);
    EXPECT_EQ(Px(t[1], 0, 0), (Rgba{40, 80, 120, 0}));
    ASSERT_EQ(t[2].Pixels.rgba().size(), 4u);
    EXPECT_EQ(Px(t[2], 0, 0), (Rgba{0, 0, 0, 0}));
}

} // namespace
