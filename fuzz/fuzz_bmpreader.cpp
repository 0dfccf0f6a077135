// SPDX-License-Identifier: MIT
// Any bytes at all: the reader must refuse them with a message or fill the
// level within its bounds, and a refusal must leave the level untouched.
#include "bitmap/bmpreader.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vellora;
    TileLevel level;
    level.Width = -7;
    const PictureReadResult r = ReadBmp({data, size}, level);
    if (!r.ok) {
        if (r.error.empty() || level.Width != -7 || !level.Pixels.rgba().empty())
            std::abort();
        return 0;
    }
    const std::size_t cells = static_cast<std::size_t>(level.Width) * static_cast<std::size_t>(level.Height);
    if (level.Width <= 0 || level.Height <= 0 || level.Width > 16384 || level.Height > 16384 ||
        level.Pixels.rows() != level.Height || level.Pixels.cols() != level.Width ||
        level.Pixels.rgba().size() != cells * 4)
        std::abort();
    // Only 32-bit files carry alpha.
    if (level.BitDepth != 32)
        for (std::size_t i = 3; i < level.Pixels.rgba().size(); i += 4)
            if (level.Pixels.rgba()[i] != 0)
                std::abort();
    return 0;
}
