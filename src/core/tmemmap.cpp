// SPDX-License-Identifier: MIT
#include "tmemmap.h"

#include "numeric.h"

#include <algorithm>
#include <cmath>

namespace vellora {

Rgb ByteColourRgb(ByteColour colour) {
    switch (colour) {
    case ByteColour::Free:
        return {0, 255, 0};
    case ByteColour::FreePalette:
        return {128, 128, 128};
    case ByteColour::EvenLevel:
        return {0, 0, 127};
    case ByteColour::OddLevel:
        return {0, 0, 254};
    case ByteColour::EvenLevelHigh:
        return {127, 0, 0};
    case ByteColour::OddLevelHigh:
        return {254, 0, 0};
    case ByteColour::Padding:
        return {255, 255, 0};
    }
    return {};
}

Rgb LevelColourRgb(int record) {
    // The first two are the map's own dark and light blue.
    static constexpr Rgb kColours[kLevelColours] = {{0, 0, 127},     {0, 0, 254},   {0, 140, 255},
                                                    {120, 0, 200},   {0, 150, 150}, {210, 0, 210},
                                                    {100, 100, 255}, {0, 80, 130}};
    return kColours[static_cast<std::size_t>(record) % kLevelColours];
}

char ByteColourChar(ByteColour colour) {
    switch (colour) {
    case ByteColour::Free:
        return '.';
    case ByteColour::FreePalette:
        return ':';
    case ByteColour::EvenLevel:
        return 'b';
    case ByteColour::OddLevel:
        return 'B';
    case ByteColour::EvenLevelHigh:
        return 'r';
    case ByteColour::OddLevelHigh:
        return 'R';
    case ByteColour::Padding:
        return 'y';
    }
    return '?';
}

void BuildTmemMap(const TileTable& tiles, bool baseIsCI, TmemMap& out) {
    for (int a = 0; a < kTmemBytes; ++a)
        out[a] = (baseIsCI && a >= kTmemBytes / 2) ? ByteColour::FreePalette : ByteColour::Free;

    // Each row is one run of texel bytes and one of padding; filling runs
    // keeps the table cheap enough to rebuild on every keystroke.
    int n = 0;
    auto fill = [&](int count, ByteColour low, ByteColour high) {
        const int half = kTmemBytes / 2;
        const int end = std::min(n + count, kTmemBytes);
        if (baseIsCI && n < half && end > half) {
            std::fill(out.begin() + n, out.begin() + half, low);
            std::fill(out.begin() + half, out.begin() + end, high);
        } else {
            std::fill(out.begin() + n, out.begin() + end, (baseIsCI && n >= half) ? high : low);
        }
        n = end;
    };
    for (int i = 0; i < kLevelCount && n < kTmemBytes; ++i) {
        const TileLevel& t = tiles[i];
        if (t.BitDepth == 0)
            return;
        const bool odd = (i % 2) != 0;
        const ByteColour low = odd ? ByteColour::OddLevel : ByteColour::EvenLevel;
        const ByteColour high = odd ? ByteColour::OddLevelHigh : ByteColour::EvenLevelHigh;
        const int texelBytes =
            std::max(0, static_cast<int>(RoundUp(static_cast<double>(t.BitDepth) * t.Width / 8.0)));
        const int lineBytes = t.Width != t.LineWidth
                                  ? RoundUp(static_cast<double>(t.BitDepth) * t.LineWidth / 8.0)
                                  : texelBytes;
        const int padding = std::max(0, lineBytes - texelBytes);
        for (int row = 0; row < t.Height && n < kTmemBytes; ++row) {
            fill(texelBytes, low, high);
            fill(padding, ByteColour::Padding, ByteColour::Padding);
        }
    }
}

TmemLayout ComputeTmemLayout(int pageWidthTwips, int twipsPerPixelX, int twipsPerPixelY, double fontPoints) {
    TmemLayout layout;
    const double cw = pageWidthTwips;
    const double tx = twipsPerPixelX;
    layout.labelTop = 120;
    layout.labelHeight = static_cast<int>(Nearest((fontPoints + 2) / 0.75 * twipsPerPixelY));
    layout.dividerWidth = static_cast<int>(3 * tx);
    layout.dividerLeft = static_cast<int>(Nearest(cw / 2 - tx));
    layout.dividerTop = layout.labelTop + layout.labelHeight;

    const double w = kTmemCellTwips;
    const int y0 = layout.dividerTop + 120;
    for (int c = 0; c < 8; ++c) {
        for (int l = 0; l < 64; ++l) {
            double x = Nearest(c * 9 * w + (cw - 72 * w) / 2);
            x = c <= 3 ? Nearest(x - 6 * tx) : Nearest(x + 3 * tx);
            for (int b = 0; b < 8; ++b) {
                x = Nearest(x + w);
                layout.cells[512 * c + 8 * l + b] = {static_cast<int>(x), y0 + l * kTmemCellTwips};
            }
        }
    }
    return layout;
}

namespace {

int ToPixels(double twips, int twipsPerPixel) {
    return static_cast<int>(std::lround(twips / twipsPerPixel));
}

} // namespace

TmemPixelLayout TmemLayoutInPixels(const TmemLayout& layout, int pageWidthTwips, int pageHeightTwips, int tx,
                                   int ty) {
    TmemPixelLayout px;
    const double labelWidth = pageWidthTwips / 2.0;
    for (int i = 0; i < 2; ++i) {
        const int left = ToPixels(i * labelWidth, tx);
        px.labels[i] = {left, ToPixels(layout.labelTop, ty), ToPixels((i + 1) * labelWidth, tx) - left,
                        ToPixels(layout.labelHeight, ty)};
    }
    const int dividerTop = ToPixels(layout.dividerTop, ty);
    px.divider = {ToPixels(layout.dividerLeft, tx), dividerTop, ToPixels(layout.dividerWidth, tx),
                  std::max(0, ToPixels(pageHeightTwips, ty) - dividerTop)};
    px.cellSize = std::max(1, ToPixels(kTmemCellTwips, tx));
    for (int a = 0; a < kTmemBytes; ++a) {
        px.cells[a] = {ToPixels(layout.cells[a].left, tx), ToPixels(layout.cells[a].top, ty), px.cellSize,
                       px.cellSize};
        px.cellsRight = std::max(px.cellsRight, px.cells[a].x + px.cellSize);
        px.cellsBottom = std::max(px.cellsBottom, px.cells[a].y + px.cellSize);
    }
    return px;
}

void PaintTmemCells(const TmemMap& map, const TmemPixelLayout& layout, std::uint32_t* pixels, int width,
                    int height, int stride, const TmemLevels* levels) {
    // Every colour worked out once, not once a cell: the map is painted on
    // each count.
    const auto pixel = [](Rgb rgb) {
        return 0xFF000000u | (std::uint32_t{rgb.r} << 16) | (std::uint32_t{rgb.g} << 8) | rgb.b;
    };
    std::array<std::uint32_t, kByteColourCount> byteColours{};
    for (std::size_t c = 0; c < byteColours.size(); ++c)
        byteColours[c] = pixel(ByteColourRgb(static_cast<ByteColour>(c)));
    std::array<std::uint32_t, kLevelColours> levelColours{};
    for (int r = 0; r < kLevelColours; ++r)
        levelColours[static_cast<std::size_t>(r)] = pixel(LevelColourRgb(r));
    for (int a = 0; a < kTmemBytes; ++a) {
        const ByteColour b = map[a];
        const bool levelTexel = b == ByteColour::EvenLevel || b == ByteColour::OddLevel;
        const int level = levels ? (*levels)[static_cast<std::size_t>(a)] : -1;
        const std::uint32_t colour = levelTexel && level >= 0
                                         ? levelColours[static_cast<std::size_t>(level % kLevelColours)]
                                         : byteColours[static_cast<std::size_t>(b)];
        const PixelRect& c = layout.cells[a];
        const int x0 = std::clamp(c.x, 0, width), x1 = std::clamp(c.x + c.width, 0, width);
        const int y0 = std::clamp(c.y, 0, height), y1 = std::clamp(c.y + c.height, 0, height);
        for (int y = y0; y < y1; ++y)
            std::fill(pixels + static_cast<std::ptrdiff_t>(y) * stride + x0,
                      pixels + static_cast<std::ptrdiff_t>(y) * stride + x1, colour);
    }
}

} // namespace vellora
