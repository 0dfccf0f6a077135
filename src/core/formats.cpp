// SPDX-License-Identifier: MIT
#include "formats.h"

#include "numeric.h"

namespace vellora {

int BitDepth(Format format) {
    switch (format) {
    case Format::CI8:
    case Format::Bits8:
        return 8;
    case Format::Bits16:
        return 16;
    case Format::Bits32:
        return 32;
    case Format::CI4:
    case Format::Bits4:
        break;
    }
    return 4;
}

bool IsCI(Format format) {
    return format == Format::CI4 || format == Format::CI8;
}

std::optional<Format> FormatAt(int index) {
    if (index < 0 || index >= kFormatCount)
        return std::nullopt;
    return kAllFormats[index];
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
