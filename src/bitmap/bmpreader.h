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
// maxPixels and need as for ReadPng.
PictureReadResult ReadBmp(std::span<const std::uint8_t> bytes, TileLevel& level,
                          std::int64_t maxPixels = kMaxPicturePixels, PictureNeed need = PictureNeed::Pixels);
// Opens, reads in one go and closes the file within the call.
PictureReadResult ReadBmpFile(const std::string& path, TileLevel& level);

// How many bytes from the start of a BMP its picture can use (headers,
// palette and pixel rows), from its first bytes; 0 when the header is not
// one the reader takes. Bytes past it are never read.
std::uint64_t BmpExtent(std::span<const std::uint8_t> head);

} // namespace vellora
