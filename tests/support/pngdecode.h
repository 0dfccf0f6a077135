// SPDX-License-Identifier: MIT
#pragma once

#include <spng.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vellora::test {

// A decoded PNG as 8-bit R, G, B per pixel, rows top first; alpha dropped.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
    const std::uint8_t* at(int row, int col) const {
        return rgb.data() + (static_cast<std::size_t>(row) * static_cast<std::size_t>(width) + col) * 3u;
    }
};

// Decodes with libspng; false with its reason when the file is refused.
inline bool DecodePng(const std::vector<std::uint8_t>& file, RgbImage& image, std::string& why) {
    std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)> ctx(spng_ctx_new(0), spng_ctx_free);
    int e = ctx ? spng_set_png_buffer(ctx.get(), file.data(), file.size()) : SPNG_EMEM;
    spng_ihdr ihdr{};
    std::size_t size = 0;
    if (e == 0)
        e = spng_get_ihdr(ctx.get(), &ihdr);
    if (e == 0)
        e = spng_decoded_image_size(ctx.get(), SPNG_FMT_RGB8, &size);
    if (e == 0) {
        image.rgb.assign(size, 0);
        e = spng_decode_image(ctx.get(), image.rgb.data(), size, SPNG_FMT_RGB8, 0);
    }
    if (e != 0) {
        why = spng_strerror(e);
        return false;
    }
    image.width = static_cast<int>(ihdr.width);
    image.height = static_cast<int>(ihdr.height);
    return true;
}

} // namespace vellora::test
