// SPDX-License-Identifier: MIT
#pragma once

#include "gbi.h"
#include "layout.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vellora::hw {

// A picture too large for TMEM, drawn in rectangles that each fit: a
// background, a wall. Each piece is loaded with LoadTile from the whole
// picture in RDRAM (rows padded to 8 bytes, as the export writes them) and
// drawn with a TextureRectangle at its own place.
struct PieceOptions {
    // Each piece also loads the row (and column) the next one starts with,
    // so that the bilinear filter finds its neighbour at the seam.
    bool overlap = false;
    EmitOptions emitted; // where the picture lies and its arrays' name
};

struct Piece {
    int x = 0, y = 0;          // the first texel loaded
    int width = 0, height = 0; // texels loaded
    // Texels drawn: the loaded ones less the overlap the next piece draws.
    int drawWidth = 0, drawHeight = 0;
    int line = 0; // TMEM words a row (of each half for RGBA32)
    // The first and last texel the load reads, in the load's texels (bytes
    // for a 4-bit picture).
    int loadFirst = 0, loadLast = 0;
    long bytes = 0; // what the load moves from RDRAM
    std::uint64_t loadTileSetTile = 0, loadTile = 0;
    std::uint64_t setTile = 0, setTileSize = 0;
    std::array<std::uint64_t, 2> rectangle{}; // TextureRectangle at (x, y), one texel a pixel
};

struct PiecePlan {
    int width = 0, height = 0;
    Kind kind = Kind::RGBA16;
    bool overlap = false;
    std::optional<std::string> refused;  // why the picture cannot be planned at all
    int capacityWords = kTmemWords;      // what one piece may take: 256 for CI and RGBA32
    int pieceWidth = 0, pieceHeight = 0; // the largest piece
    int columns = 0, rows = 0;
    int imageWidth = 0;             // SetTextureImage's width, in the load's texels
    int loadSiz = 0;                // the siz it is loaded at: 8-bit for a 4-bit picture
    long dataBytes = 0;             // the picture in RDRAM
    std::optional<Palette> palette; // CI: loaded once, before the pieces
    std::vector<Piece> pieces;      // rows of pieces top to bottom, each left to right
    long bytesPerFrame = 0;         // every piece's load and the palette's
    int loadsPerFrame = 0;
};

// Plans the pieces: strips as wide as the picture while a strip of at least
// two rows fits (one without overlap), else the fewest columns that let one.
// Where the picture lies (options.emitted) is for the lists alone.
PiecePlan PlanPieces(int width, int height, Kind kind, const PieceOptions& options = {});

// The whole list, in order: the palette's load, then for each piece its
// load, render tile and TextureRectangle.
std::vector<Command> PieceCommands(const PiecePlan& plan, const PieceOptions& options = {});
// The same as display-list macros, ready to paste; a picture that cannot be
// planned gets one comment saying why.
std::string PiecesDisplayList(const PiecePlan& plan, const PieceOptions& options = {});

} // namespace vellora::hw
