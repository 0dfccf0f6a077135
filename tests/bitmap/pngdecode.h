// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vellora::test {

// A decoded PNG as 8-bit R, G, B per pixel, rows top first. Enough of the
// format for reference renderings: non-interlaced, grey, RGB, palette and
// RGBA images of up to 8 bits per channel (16-bit channels keep their high
// byte). Alpha is dropped.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
    const std::uint8_t* at(int row, int col) const {
        return rgb.data() + (static_cast<std::size_t>(row) * static_cast<std::size_t>(width) + col) * 3u;
    }
};

// Returns false with a reason when the file is not something it can decode.
bool DecodePng(const std::vector<std::uint8_t>& file, RgbImage& image, std::string& why);

} // namespace vellora::test
