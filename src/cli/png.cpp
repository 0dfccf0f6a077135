// SPDX-License-Identifier: MIT
#include "png.h"

#include "bitmap/pngwriter.h"

#include <algorithm>

namespace vellora::cli {

RgbImage::RgbImage(int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b) : width(w), height(h) {
    rgb.resize(static_cast<std::size_t>(std::max(w, 0)) * static_cast<std::size_t>(std::max(h, 0)) * 3u);
    for (std::size_t i = 0; i < rgb.size(); i += 3) {
        rgb[i] = r;
        rgb[i + 1] = g;
        rgb[i + 2] = b;
    }
}

void RgbImage::set(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    if (x < 0 || y < 0 || x >= width || y >= height)
        return;
    std::uint8_t* p = rgb.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x) * 3u;
    p[0] = r;
    p[1] = g;
    p[2] = b;
}

void RgbImage::fillRect(int x, int y, int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    for (int yy = std::max(y, 0); yy < std::min(y + h, height); ++yy)
        for (int xx = std::max(x, 0); xx < std::min(x + w, width); ++xx)
            set(xx, yy, r, g, b);
}

std::vector<std::uint8_t> EncodePng(const RgbImage& image) {
    return vellora::EncodePng(image.width, image.height, 3, image.rgb);
}

} // namespace vellora::cli
