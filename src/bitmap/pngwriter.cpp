// SPDX-License-Identifier: MIT
#include "pngwriter.h"

#include <spng.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace vellora {

std::vector<std::uint8_t> EncodePng(int width, int height, int channels,
                                    std::span<const std::uint8_t> pixels) {
    if (width <= 0 || height <= 0 || (channels != 3 && channels != 4) ||
        pixels.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                            static_cast<std::size_t>(channels))
        return {};
    std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)> ctx(spng_ctx_new(SPNG_CTX_ENCODER), spng_ctx_free);
    if (!ctx)
        return {};
    spng_set_option(ctx.get(), SPNG_ENCODE_TO_BUFFER, 1);
    spng_ihdr ihdr{};
    ihdr.width = static_cast<std::uint32_t>(width);
    ihdr.height = static_cast<std::uint32_t>(height);
    ihdr.bit_depth = 8;
    ihdr.color_type = channels == 4 ? SPNG_COLOR_TYPE_TRUECOLOR_ALPHA : SPNG_COLOR_TYPE_TRUECOLOR;
    spng_set_ihdr(ctx.get(), &ihdr);
    const std::size_t size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                             static_cast<std::size_t>(channels);
    if (spng_encode_image(ctx.get(), pixels.data(), size, SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE) != 0)
        return {};
    std::size_t length = 0;
    int error = 0;
    void* buffer = spng_get_png_buffer(ctx.get(), &length, &error);
    if (!buffer || error != 0) {
        std::free(buffer);
        return {};
    }
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    std::vector<std::uint8_t> png(bytes, bytes + length);
    std::free(buffer);
    return png;
}

std::vector<std::uint8_t> EncodeLevelPng(const TileLevel& level) {
    const int w = std::max(level.Width, 0), h = std::max(level.Height, 0);
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4u, 0);
    const PixelGrid& g = level.Pixels;
    const int cols = std::min(w, g.cols());
    for (int r = 0; r < std::min(h, g.rows()); ++r)
        std::memcpy(rgba.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(w) * 4u, g.at(r, 0),
                    static_cast<std::size_t>(cols) * 4u);
    return EncodePng(w, h, 4, rgba);
}

} // namespace vellora
