// SPDX-License-Identifier: MIT
#include "bmpwriter.h"

namespace vellora {

std::vector<std::uint8_t> EncodeBmp24(const PixelGrid& grid) {
    const std::size_t width = grid.cols() > 0 ? static_cast<std::size_t>(grid.cols()) : 0;
    const std::size_t height = grid.rows() > 0 ? static_cast<std::size_t>(grid.rows()) : 0;
    const std::size_t rowBytes = (width * 3 + 3) / 4 * 4;
    constexpr std::size_t kOffBits = 14 + 40;
    const std::size_t size = kOffBits + rowBytes * height;
    std::vector<std::uint8_t> out(size, 0);
    auto put = [&](std::size_t at, std::uint64_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    out[0] = 'B';
    out[1] = 'M';
    put(2, size, 4);
    put(10, kOffBits, 4);
    put(14, 40, 4);
    put(18, width, 4);
    put(22, height, 4);
    put(26, 1, 2);
    put(28, 24, 2);
    for (std::size_t y = 0; y < height; ++y) {
        std::uint8_t* row = out.data() + kOffBits + (height - 1 - y) * rowBytes;
        for (std::size_t x = 0; x < width; ++x) {
            const std::uint8_t* p = grid.at(static_cast<int>(y), static_cast<int>(x));
            row[x * 3] = p[2];
            row[x * 3 + 1] = p[1];
            row[x * 3 + 2] = p[0];
        }
    }
    return out;
}

} // namespace vellora
