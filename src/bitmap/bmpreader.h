// SPDX-License-Identifier: MIT
#pragma once

#include "core/formats.h"
#include "core/tilelevel.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace vellora {

inline constexpr const char* kUnknownBmpType = "Unknown bmp type";

// Header facts of the last file read, for reports.
struct BmpInfo {
    std::int32_t width = 0;
    std::int32_t height = 0; // positive also for a top-down file
    int bitCount = 0;
    std::uint32_t headerSize = 0;
    bool topDown = false;
};

struct BmpReadResult {
    bool ok = false;
    std::string error; // why the file was refused ("Unknown bmp type", ...)
    BmpInfo info;
};

// What loading a 24-bit base says: such a file may hold a greyscale picture
// that a smaller format would keep as well.
inline constexpr const char* kGreyscaleMessage =
    "24 bit loaded, could this be a greyscale image? Select correct setting.";

// The base format a file's bit count selects, or none when the bit count has
// none and the format stays as it was.
std::optional<Format> BaseFormatForBitCount(int bitCount);

// Reads a BMP into one level: Width, Height, BitDepth (the file's bit count)
// and a Height x Width pixel grid, rows top first, R G B A. A refused file
// leaves the level exactly as it was.
BmpReadResult ReadBmp(std::span<const std::uint8_t> bytes, TileLevel& level);
// Opens, reads in one go and closes the file within the call.
BmpReadResult ReadBmpFile(const std::string& path, TileLevel& level);

} // namespace vellora
