// SPDX-License-Identifier: MIT
#include "png.h"

#include <spng.h>

#include <algorithm>
#include <fstream>
#include <memory>

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
    if (image.width <= 0 || image.height <= 0 ||
        image.rgb.size() <
            static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3u)
        return {};
    std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)> ctx(spng_ctx_new(SPNG_CTX_ENCODER), spng_ctx_free);
    if (!ctx)
        return {};
    spng_set_option(ctx.get(), SPNG_ENCODE_TO_BUFFER, 1);
    spng_ihdr ihdr{};
    ihdr.width = static_cast<std::uint32_t>(image.width);
    ihdr.height = static_cast<std::uint32_t>(image.height);
    ihdr.bit_depth = 8;
    ihdr.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
    spng_set_ihdr(ctx.get(), &ihdr);
    if (spng_encode_image(ctx.get(), image.rgb.data(), image.rgb.size(), SPNG_FMT_PNG,
                          SPNG_ENCODE_FINALIZE) != 0)
        return {};
    std::size_t size = 0;
    int error = 0;
    void* buffer = spng_get_png_buffer(ctx.get(), &size, &error);
    if (!buffer || error != 0)
        return {};
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    std::vector<std::uint8_t> png(bytes, bytes + size);
    std::free(buffer);
    return png;
}

bool WriteBinaryFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    if (bytes.empty())
        return false;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

} // namespace vellora::cli
