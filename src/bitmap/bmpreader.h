// SPDX-License-Identifier: MIT
#pragma once

#include "picture.h"

#include "core/formats.h"
#include "core/tilelevel.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace vellora {

inline constexpr const char* kUnknownBmpType = "Unknown bmp type";

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
PictureReadResult ReadBmp(std::span<const std::uint8_t> bytes, TileLevel& level);
// Opens, reads in one go and closes the file within the call.
PictureReadResult ReadBmpFile(const std::string& path, TileLevel& level);

} // namespace vellora
