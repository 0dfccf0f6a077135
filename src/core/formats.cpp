// SPDX-License-Identifier: MIT
#include "formats.h"

#include "numeric.h"

namespace vellora {

int FormatBitDepth(int format) {
    switch (format) {
    case 2:
    case 3:
        return 8;
    case 4:
        return 16;
    case 5:
        return 32;
    default:
        return 4;
    }
}

bool FormatIsCI(int format) {
    return format == 0 || format == 2;
}

bool IsAligned(std::int32_t width, std::int32_t bitDepth) {
    // (width / 64) * bitDepth is whole exactly when width * bitDepth is a multiple of 64.
    return (static_cast<long long>(width) * bitDepth) % 64 == 0;
}

std::int32_t PaddedWidth(std::int32_t width, std::int32_t bitDepth) {
    if (bitDepth <= 0)
        return width;
    double words = RoundUp(static_cast<double>(width) / 64.0 * bitDepth);
    return static_cast<std::int32_t>(Nearest(64.0 / bitDepth * words));
}

double LevelBytes(std::int32_t bitDepth, std::int32_t lineWidth, std::int32_t height) {
    return static_cast<double>(bitDepth) * lineWidth * height / 8.0;
}

} // namespace vellora
