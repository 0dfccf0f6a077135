// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vellora {

enum class FileType { Bmp, Png };

// Header facts of the last file read, for reports.
struct PictureInfo {
    FileType fileType = FileType::Bmp;
    std::int32_t width = 0;
    std::int32_t height = 0;      // positive also for a top-down file
    int bitCount = 0;             // bits a pixel as the file stores it
    std::uint32_t headerSize = 0; // BMP: the size of its info header
    bool topDown = false;         // BMP: rows stored top first
    int colourType = -1;          // PNG: 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGB + alpha
    int bitDepth = 0;             // PNG: bits a sample or palette index
    bool alpha = false;           // the picture carries alpha (else A reads 0)
    // A paletted file's colours in the file's order, 0xRRGGBBAA; empty for
    // other files.
    std::vector<std::uint32_t> palette;
};

struct PictureReadResult {
    bool ok = false;
    std::string error; // why the file was refused ("Unknown bmp type", ...)
    PictureInfo info;
};

// No reader takes a picture wider or higher than this, or with more pixels
// than kMaxPixels: the grid of such a picture would take 64 MiB and more.
inline constexpr std::int32_t kMaxPictureSide = 16384;
inline constexpr std::int64_t kMaxPicturePixels = 16777216;

// What a reader is asked for: the whole picture, or its size alone (a
// detail map whose pixels a count never looks at).
enum class PictureNeed { Pixels, Size };

} // namespace vellora
