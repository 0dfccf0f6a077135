// SPDX-License-Identifier: MIT
#include "pngwriter.h"

#include <spng.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace vellora {

namespace {

using Encoder = std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)>;

// Encodes what the context was given and hands the bytes over.
std::vector<std::uint8_t> Finish(Encoder& ctx, std::span<const std::uint8_t> pixels) {
    if (spng_encode_image(ctx.get(), pixels.data(), pixels.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE) != 0)
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

Encoder StartPng(int width, int height, std::uint8_t colourType) {
    Encoder ctx(spng_ctx_new(SPNG_CTX_ENCODER), spng_ctx_free);
    if (!ctx)
        return ctx;
    spng_set_option(ctx.get(), SPNG_ENCODE_TO_BUFFER, 1);
    spng_ihdr ihdr{};
    ihdr.width = static_cast<std::uint32_t>(width);
    ihdr.height = static_cast<std::uint32_t>(height);
    ihdr.bit_depth = 8;
    ihdr.color_type = colourType;
    spng_set_ihdr(ctx.get(), &ihdr);
    return ctx;
}

} // namespace

std::vector<std::uint8_t> EncodePng(int width, int height, int channels,
                                    std::span<const std::uint8_t> pixels) {
    static constexpr std::uint8_t kTypes[] = {SPNG_COLOR_TYPE_GRAYSCALE, SPNG_COLOR_TYPE_GRAYSCALE_ALPHA,
                                              SPNG_COLOR_TYPE_TRUECOLOR, SPNG_COLOR_TYPE_TRUECOLOR_ALPHA};
    const std::size_t size = static_cast<std::size_t>(std::max(width, 0)) *
                             static_cast<std::size_t>(std::max(height, 0)) *
                             static_cast<std::size_t>(std::max(channels, 0));
    if (width <= 0 || height <= 0 || channels < 1 || channels > 4 || pixels.size() < size)
        return {};
    Encoder ctx = StartPng(width, height, kTypes[channels - 1]);
    if (!ctx)
        return {};
    return Finish(ctx, pixels.first(size));
}

std::vector<std::uint8_t> EncodeIndexedPng(int width, int height, std::span<const std::uint8_t> indices,
                                           std::span<const std::uint32_t> palette) {
    const std::size_t size =
        static_cast<std::size_t>(std::max(width, 0)) * static_cast<std::size_t>(std::max(height, 0));
    if (width <= 0 || height <= 0 || indices.size() < size || palette.empty() || palette.size() > 256)
        return {};
    for (std::size_t i = 0; i < size; ++i) {
        if (indices[i] >= palette.size())
            return {};
    }
    Encoder ctx = StartPng(width, height, SPNG_COLOR_TYPE_INDEXED);
    if (!ctx)
        return {};
    spng_plte plte{};
    spng_trns trns{};
    plte.n_entries = static_cast<std::uint32_t>(palette.size());
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const std::uint32_t e = palette[i];
        plte.entries[i] = {static_cast<std::uint8_t>(e >> 24), static_cast<std::uint8_t>(e >> 16),
                           static_cast<std::uint8_t>(e >> 8), 0};
        trns.type3_alpha[i] = static_cast<std::uint8_t>(e);
        // tRNS may stop after the last entry that is not opaque.
        if ((e & 0xFFu) != 0xFFu)
            trns.n_type3_entries = static_cast<std::uint32_t>(i + 1);
    }
    spng_set_plte(ctx.get(), &plte);
    if (trns.n_type3_entries > 0)
        spng_set_trns(ctx.get(), &trns);
    return Finish(ctx, indices.first(size));
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
