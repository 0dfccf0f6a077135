// SPDX-License-Identifier: MIT
#include "startup.h"

#include <random>

namespace vellora {

namespace {

void SetGrey(PixelGrid& grid, int row, int col, std::uint8_t value) {
    std::uint8_t* p = grid.at(row, col);
    p[0] = p[1] = p[2] = value;
    p[3] = 0;
}

void Describe(TileLevel& t, int side) {
    t.Width = side;
    t.LineWidth = side; // both sides are whole 64-bit words at 4 bits, so no padding
    t.Height = side;
    t.BitDepth = 4;
    // Indices 0 to side in both directions, like the generated grids.
    t.Pixels = PixelGrid(side + 1, side + 1);
}

} // namespace

void MakeStartupPictures(TileTable& tiles, std::uint32_t seed) {
    // A fixed engine rather than std::bernoulli_distribution, whose output
    // may differ between standard libraries: the same seed must give the
    // same picture everywhere.
    std::mt19937 random(seed);
    TileLevel& detail = tiles[0];
    Describe(detail, 16);
    for (int r = 0; r <= 16; ++r)
        for (int c = 0; c <= 16; ++c)
            SetGrey(detail.Pixels, r, c, (random() >> 31) != 0 ? 255 : 0);

    TileLevel& base = tiles[1];
    Describe(base, 64);
    for (int r = 0; r <= 64; ++r)
        for (int c = 0; c <= 64; ++c)
            SetGrey(base.Pixels, r, c, (r == c || r + c == 64) ? 90 : 255);
}

} // namespace vellora
