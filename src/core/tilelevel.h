// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace vellora {

// A picture in the common pixel format: rows top first, each pixel four bytes
// R, G, B, A. The grid may be larger than the level it belongs to (generated
// levels carry one extra row and column), so readers must check its size.
struct PixelGrid {
    int rows = 0;
    int cols = 0;
    std::vector<std::uint8_t> rgba; // rows * cols * 4 bytes

    PixelGrid() = default;
    PixelGrid(int rowCount, int colCount)
        : rows(rowCount), cols(colCount),
          rgba(static_cast<std::size_t>(rowCount) * static_cast<std::size_t>(colCount) * 4u, 0) {}

    bool empty() const { return rows <= 0 || cols <= 0; }
    std::uint8_t* at(int row, int col) {
        return rgba.data() + (static_cast<std::size_t>(row) * static_cast<std::size_t>(cols) +
                              static_cast<std::size_t>(col)) *
                                 4u;
    }
    const std::uint8_t* at(int row, int col) const {
        return rgba.data() + (static_cast<std::size_t>(row) * static_cast<std::size_t>(cols) +
                              static_cast<std::size_t>(col)) *
                                 4u;
    }
};

// One level of the pyramid. BitDepth 0 marks a record that is not in use.
struct TileLevel {
    std::int32_t Width = 0;
    std::int32_t LineWidth = 0; // Width padded to whole 64-bit words, in texels
    std::int32_t Height = 0;
    std::int32_t BitDepth = 0;
    PixelGrid Pixels;
};

inline constexpr int kLevelCount = 8;
using TileTable = std::array<TileLevel, kLevelCount>;

} // namespace vellora
