// SPDX-License-Identifier: MIT
// Any bytes at all through the PNG reader: a refusal names its reason and
// leaves the level untouched; a picture read fills the level within the
// readers' bounds, with alpha only where the file has it.
#include "bitmap/pngreader.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vellora;
    TileLevel level;
    level.Width = -7;
    const PictureReadResult r = ReadPng({data, size}, level);
    if (!r.ok) {
        if (r.error.empty() || level.Width != -7 || !level.Pixels.rgba().empty())
            std::abort();
        return 0;
    }
    const std::size_t cells = static_cast<std::size_t>(level.Width) * static_cast<std::size_t>(level.Height);
    if (level.Width <= 0 || level.Height <= 0 || level.Width > kMaxPictureSide ||
        level.Height > kMaxPictureSide || cells > static_cast<std::size_t>(kMaxPicturePixels) ||
        level.Pixels.rows() != level.Height || level.Pixels.cols() != level.Width ||
        level.Pixels.rgba().size() != cells * 4)
        std::abort();
    if (!r.info.alpha)
        for (std::size_t i = 3; i < level.Pixels.rgba().size(); i += 4)
            if (level.Pixels.rgba()[i] != 0)
                std::abort();
    if (!BaseFormatForPng(r.info.colourType, r.info.bitDepth))
        std::abort();
    return 0;
}
