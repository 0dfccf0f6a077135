// SPDX-License-Identifier: MIT
#pragma once

#include "picture.h"

#include "core/formats.h"
#include "core/tilelevel.h"

#include <cstdint>
#include <optional>
#include <span>

namespace vellora {

// Whether bytes start with the eight-byte PNG signature.
bool HasPngSignature(std::span<const std::uint8_t> bytes);

// Reads a PNG of any colour type, bit depth and interlacing into one level:
// Width, Height, BitDepth (bits a pixel in the file) and a Height x Width
// grid of R, G, B, A, rows top first, 16-bit samples reduced to 8 bits. A is
// the file's alpha when it has any (an alpha channel or a tRNS chunk), else 0.
// Gamma and colour profiles are not applied. A refused file leaves the level
// exactly as it was.
// maxPixels lowers the reader's limit for a caller that holds several
// pictures. PictureNeed::Size reads the header alone: the level gets its
// size and bit depth and no pixels, the info no palette.
PictureReadResult ReadPng(std::span<const std::uint8_t> bytes, TileLevel& level,
                          std::int64_t maxPixels = kMaxPicturePixels, PictureNeed need = PictureNeed::Pixels);

// The base format a PNG selects from its colour type and bit depth, and
// whether it takes the greyscale question of a true-colour file.
std::optional<Format> BaseFormatForPng(int colourType, int bitDepth);
bool PngAsksGreyscale(int colourType);

} // namespace vellora
