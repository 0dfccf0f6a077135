// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vellora::cli {

// An 8-bit RGB picture, rows top first, 3 bytes a pixel.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    RgbImage() = default;
    RgbImage(int w, int h, std::uint8_t r = 0, std::uint8_t g = 0, std::uint8_t b = 0);
    void set(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b);
    void fillRect(int x, int y, int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b);
};

// A complete PNG file of the picture; empty when it cannot be encoded.
std::vector<std::uint8_t> EncodePng(const RgbImage& image);

} // namespace vellora::cli
