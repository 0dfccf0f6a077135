// SPDX-License-Identifier: MIT
#pragma once
// What the reduction's parts share: the picture's alpha and intensity, the
// palette's entries and the index of each colour, the indexing with dither,
// the direct kinds' stores and the clear texels' colour. Not exported.

#include "reduce.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <vector>

namespace vellora::reduce::detail {

inline bool Opaque(const PictureSource& source) {
    return !source.alpha;
}

inline std::uint8_t AlphaOf(const std::uint8_t* rgba, bool opaque) {
    return opaque ? 255 : rgba[3];
}

inline std::uint8_t IntensityOf(const std::uint8_t* rgba) {
    // round(0.299 R + 0.587 G + 0.114 B): the weights in thousandths sum to
    // 1000, so this is round-half-up exactly.
    return static_cast<std::uint8_t>((299u * rgba[0] + 587u * rgba[1] + 114u * rgba[2] + 500u) / 1000u);
}

// For each 8-bit value the nearest 5-bit one (texels.cpp makes the table).
extern const std::array<std::uint8_t, 256> kTo5;

// The 16-bit palette codes and their colours, inline so that the per-pixel
// loops of the palette and the stores compile them in place.
inline std::uint16_t Rgba16Code(const std::uint8_t* rgba, bool opaque) {
    return static_cast<std::uint16_t>(kTo5[rgba[0]] << 11 | kTo5[rgba[1]] << 6 | kTo5[rgba[2]] << 1 |
                                      AlphaOf(rgba, opaque) >> 7);
}
inline std::uint16_t Ia16Code(const std::uint8_t* rgba, bool opaque) {
    return static_cast<std::uint16_t>(IntensityOf(rgba) << 8 | AlphaOf(rgba, opaque));
}
inline std::array<std::uint8_t, 4> Rgba16Colour(std::uint16_t v) {
    return {Expand5(v >> 11 & 31u), Expand5(v >> 6 & 31u), Expand5(v >> 1 & 31u),
            static_cast<std::uint8_t>((v & 1u) != 0 ? 255 : 0)};
}
inline std::array<std::uint8_t, 4> Ia16Colour(std::uint16_t v) {
    const auto i = static_cast<std::uint8_t>(v >> 8), a = static_cast<std::uint8_t>(v);
    return {i, i, i, a};
}

// How a palette entry holds a colour: RGBA16, or IA16 (8-bit intensity and
// alpha). posterization: the low bits of each 8-bit channel the entry drops.
// A flag rather than function pointers, so the per-pixel calls inline.
struct PaletteCode {
    bool ia16;
    int posterization;
    std::uint16_t code(const std::uint8_t* rgba, bool opaque) const {
        return ia16 ? Ia16Code(rgba, opaque) : Rgba16Code(rgba, opaque);
    }
    std::array<std::uint8_t, 4> expand(std::uint16_t value) const {
        return ia16 ? Ia16Colour(value) : Rgba16Colour(value);
    }
};

inline constexpr PaletteCode kRgba16Code{false, 3};
inline constexpr PaletteCode kIa16Code{true, 0};

inline const PaletteCode& CodeOf(Kind kind) {
    return HasIa16Palette(kind) ? kIa16Code : kRgba16Code;
}

// The levels' palette: its entries and, per 16-bit entry value, the nearest
// entry among the first `usable` ones, found once and then kept.
class Indexer {
  public:
    Indexer(const std::vector<std::uint16_t>& palette, std::size_t usable, const PaletteCode& code)
        : code_(&code) {
        const std::size_t n = std::min(palette.size(), usable);
        for (std::size_t i = 0; i < n; ++i)
            colours_.push_back(code.expand(palette[i]));
        nearest_.assign(65536, -1);
    }

    // The entry for a pixel (alpha taken as it is).
    int indexPixel(const std::uint8_t* rgba) { return index(code_->code(rgba, false)); }

    int index(std::uint16_t colour) {
        std::int16_t& slot = nearest_[colour];
        if (slot < 0) {
            const std::array<std::uint8_t, 4> c = code_->expand(colour);
            long best = LONG_MAX;
            for (std::size_t i = 0; i < colours_.size(); ++i) {
                long d = 0;
                for (int k = 0; k < 4; ++k) {
                    const long diff = static_cast<long>(c[k]) - static_cast<long>(colours_[i][k]);
                    d += diff * diff;
                }
                if (d < best) {
                    best = d;
                    slot = static_cast<std::int16_t>(i);
                }
            }
            if (slot < 0)
                slot = 0;
        }
        return slot;
    }

    const std::array<std::uint8_t, 4>& colour(int index) const {
        return colours_[static_cast<std::size_t>(index)];
    }
    bool empty() const { return colours_.empty(); }

  private:
    const PaletteCode* code_;
    std::vector<std::array<std::uint8_t, 4>> colours_;
    std::vector<std::int16_t> nearest_;
};

struct Region {
    int rows = 0, cols = 0;
};

// The part of a level the picture covers.
inline Region Covered(const TileLevel& level, int width, int height) {
    return {std::min(height, level.Pixels.rows()), std::min(width, level.Pixels.cols())};
}

struct PaletteResult {
    std::vector<std::uint16_t> palette;
    int colours = 0;
    bool quantized = false;
};

// The picture's own colours when they are few enough, in the file's
// palette order for a paletted file; else a quantized palette whose clear
// entry holds the bled colour.
PaletteResult MakePalette(const TileLevel& level, int width, int height, const PictureSource& source,
                          int entries, const PaletteCode& code, std::uint8_t clearBelow);

// Indexes rows x cols of a level's grid with the palette; with dither, the
// error of each texel's colour is spread over its neighbours (Floyd-Steinberg),
// never into or out of a texel stored clear (alpha below clearBelow).
void IndexLevel(const PixelGrid& grid, int rows, int cols, bool opaque, bool dither, std::uint8_t clearBelow,
                Indexer& indexer, std::vector<std::uint32_t>& values);

// rows x cols of a grid stored in a direct kind (not CI).
void StoreDirect(Kind kind, const PixelGrid& grid, int rows, int cols, bool opaque,
                 std::vector<std::uint32_t>& values);

// The alpha below which a texel of the kind is stored clear.
std::uint8_t ClearBelow(Kind kind);
// Whether the kind's clear texels take their neighbours' colour.
bool Bleeds(Kind kind);
// The grid with its clear pixels coloured from their opaque neighbours.
PixelGrid Bleed(const PixelGrid& in, std::uint8_t clearBelow, bool oneColour);

} // namespace vellora::reduce::detail
