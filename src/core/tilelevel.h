// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace vellora {

// A picture in the common pixel format: rows top first, each pixel four bytes
// R, G, B, A. The grid may be larger than the level it belongs to (generated
// levels carry one extra row and column), so readers must check its size
// against the level; its own size always matches its bytes.
class PixelGrid {
  public:
    PixelGrid() = default;
    PixelGrid(int rowCount, int colCount)
        : rows_(std::max(rowCount, 0)), cols_(std::max(colCount, 0)),
          rgba_(static_cast<std::size_t>(rows_) * static_cast<std::size_t>(cols_) * 4u, 0) {}

    int rows() const { return rows_; }
    int cols() const { return cols_; }
    bool empty() const { return rows_ <= 0 || cols_ <= 0; }
    // Every byte, row after row: rows() * cols() * 4 of them; written
    // through bytes(), which cannot change how many there are.
    const std::vector<std::uint8_t>& rgba() const { return rgba_; }
    std::span<std::uint8_t> bytes() { return rgba_; }
    friend bool operator==(const PixelGrid&, const PixelGrid&) = default;
    std::uint8_t* at(int row, int col) {
        return rgba_.data() + (static_cast<std::size_t>(row) * static_cast<std::size_t>(cols_) +
                               static_cast<std::size_t>(col)) *
                                  4u;
    }
    const std::uint8_t* at(int row, int col) const {
        return rgba_.data() + (static_cast<std::size_t>(row) * static_cast<std::size_t>(cols_) +
                               static_cast<std::size_t>(col)) *
                                  4u;
    }

  private:
    int rows_ = 0;
    int cols_ = 0;
    std::vector<std::uint8_t> rgba_;
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
