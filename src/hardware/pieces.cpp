// SPDX-License-Identifier: MIT
#include "pieces.h"

#include "words.h"

#include <algorithm>

namespace vellora::hw {

namespace {

// LoadTile and TextureRectangle keep coordinates in 10.2 within 12 bits: the
// last texel a load reaches and the rectangle's right edge stay below 1024.
constexpr int kMaxCoordinate = 1023;
constexpr int kMaxImageWidth = 1024; // SetTextureImage keeps width - 1 in 10 bits
constexpr int kMaxRows = 256;        // the texture unit addresses 8 bits of t

int CeilDiv(long a, long b) {
    return static_cast<int>((a + b - 1) / b);
}

} // namespace

PiecePlan PlanPieces(int width, int height, Kind kind, const PieceOptions& options) {
    PiecePlan plan;
    plan.width = width;
    plan.height = height;
    plan.kind = kind;
    plan.overlap = options.overlap;
    if (width < 1 || height < 1) {
        plan.refused = "the picture is empty";
        return plan;
    }
    const int bits = BitsOf(kind);
    const bool wide = kind == Kind::RGBA32;
    const bool ci = IsCI(RowOf(kind));
    // Palette mode reads texels from the lower half only, and RGBA32 keeps
    // half of each texel in each half.
    plan.capacityWords = ci || wide ? kHalfWords : kTmemWords;
    // The picture lies in RDRAM as the export writes it, rows padded to 8
    // bytes; a 4-bit picture is loaded as 8-bit texels, two to each.
    const int rowWords = CeilDiv(static_cast<long>(width) * bits, 64);
    plan.imageWidth = rowWords * 64 / (bits == 4 ? 8 : bits);
    plan.dataBytes = 8L * rowWords * height;
    if (width > kMaxCoordinate || height > kMaxCoordinate) {
        plan.refused = "the picture is " + std::to_string(width) + "x" + std::to_string(height) +
                       ": LoadTile and TextureRectangle reach texel and pixel 1023 at most";
        return plan;
    }
    if (plan.imageWidth > kMaxImageWidth) {
        plan.refused = "its rows are " + std::to_string(plan.imageWidth) +
                       " texels wide in memory, more than SetTextureImage's " +
                       std::to_string(kMaxImageWidth);
        return plan;
    }

    const int halfBits = wide ? 16 : bits;
    const auto lineOf = [halfBits](int w) {
        return std::max(1, CeilDiv(static_cast<long>(w) * halfBits, 64));
    };
    const int overlap = options.overlap ? 1 : 0;
    const int minRows = 1 + overlap;
    // 4-bit pieces start on even texels, as their loads move whole bytes; a
    // column overlap is then two texels.
    const int align = bits == 4 ? 2 : 1;
    const int columnOverlap = overlap * align;
    int columns = 1;
    int pieceWidth = width;
    while (lineOf(pieceWidth) * minRows > plan.capacityWords) {
        ++columns;
        pieceWidth = CeilDiv(CeilDiv(width + (columns - 1) * columnOverlap, columns), align) * align;
    }
    const int pieceHeight = std::min({height, plan.capacityWords / lineOf(pieceWidth), kMaxRows});
    plan.pieceWidth = std::min(pieceWidth, width);
    plan.pieceHeight = pieceHeight;
    const int stepX = pieceWidth - columnOverlap;
    const int stepY = std::max(pieceHeight - overlap, 1);

    const int fmt = FormatCode(kind);
    plan.loadSiz = bits == 4 ? 1 : SizeCode(kind);
    const int loadSiz = plan.loadSiz;
    const int loadBytes = bits == 4 ? 1 : bits / 8;
    for (int y = 0;; y += stepY) {
        const int h = std::min(pieceHeight, height - y);
        ++plan.rows;
        for (int x = 0;; x += stepX) {
            Piece p;
            p.x = x;
            p.y = y;
            p.width = std::min(pieceWidth, width - x);
            p.height = h;
            p.drawWidth = x + p.width >= width ? p.width : stepX;
            p.drawHeight = y + h >= height ? h : stepY;
            p.line = lineOf(p.width);
            // In the load's texels: bytes for a 4-bit picture.
            p.loadFirst = bits == 4 ? x / 2 : x;
            p.loadLast = bits == 4 ? (x + p.width - 1) / 2 : x + p.width - 1;
            const int first = p.loadFirst, last = p.loadLast;
            p.bytes = static_cast<long>(last - first + 1) * loadBytes * h;
            p.loadTileSetTile = words::SetTile(fmt, loadSiz, p.line, 0, kLoadTile, 0, 0, 0, 0, 0, 0, 0);
            p.loadTile =
                words::Rect(words::kLoadTile, kLoadTile, first << 2, y << 2, last << 2, (y + h - 1) << 2);
            const int clamp = static_cast<int>(AxisMode::Clamp);
            p.setTile = words::SetTile(fmt, SizeCode(kind), p.line, 0, 0, 0, clamp, 0, 0, clamp, 0, 0);
            p.setTileSize =
                words::Rect(words::kSetTileSize, 0, x << 2, y << 2, (x + p.width - 1) << 2, (y + h - 1) << 2);
            // One texel a pixel from the piece's first texel; the tile's
            // upper left (SetTileSize) is subtracted by the texture unit.
            p.rectangle = words::TextureRectangle(0, x << 2, y << 2, (x + p.drawWidth) << 2,
                                                  (y + p.drawHeight) << 2, x << 5, y << 5, 1 << 10, 1 << 10);
            plan.bytesPerFrame += p.bytes;
            plan.pieces.push_back(p);
            if (y == 0)
                ++plan.columns;
            if (x + p.width >= width)
                break;
        }
        if (y + h >= height)
            break;
    }
    plan.loadsPerFrame = static_cast<int>(plan.pieces.size());
    if (ci) {
        plan.palette = PaletteAt(IsCI8Kind(kind) ? 256 : 16, kHalfBytes);
        plan.palette->ia16 = HasIa16Palette(kind);
        plan.palette->offset = (plan.dataBytes + 7) / 8 * 8;
        plan.bytesPerFrame += 2L * plan.palette->entries;
        ++plan.loadsPerFrame;
    }
    return plan;
}

} // namespace vellora::hw
