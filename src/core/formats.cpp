// SPDX-License-Identifier: MIT
#include "formats.h"

#include "numeric.h"

#include <array>

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

namespace {

struct KindRow {
    Kind kind;
    std::string_view name;
    Format row;
};

constexpr std::array<KindRow, kKindCount> kKinds = {{
    {Kind::RGBA32, "RGBA32", Format::Bits32},
    {Kind::RGBA16, "RGBA16", Format::Bits16},
    {Kind::IA16, "IA16", Format::Bits16},
    {Kind::IA8, "IA8", Format::Bits8},
    {Kind::IA4, "IA4", Format::Bits4},
    {Kind::I8, "I8", Format::Bits8},
    {Kind::I4, "I4", Format::Bits4},
    {Kind::CI8, "CI8", Format::CI8},
    {Kind::CI4, "CI4", Format::CI4},
    {Kind::CI8_IA16, "CI8_IA16", Format::CI8},
    {Kind::CI4_IA16, "CI4_IA16", Format::CI4},
}};

const KindRow& RowFor(Kind kind) {
    return kKinds[static_cast<std::size_t>(kind)];
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

Format RowOf(Kind kind) {
    return RowFor(kind).row;
}

std::string_view KindName(Kind kind) {
    return RowFor(kind).name;
}

Kind DefaultKind(Format row) {
    switch (row) {
    case Format::CI4:
        return Kind::CI4;
    case Format::Bits4:
        return Kind::I4;
    case Format::CI8:
        return Kind::CI8;
    case Format::Bits8:
        return Kind::I8;
    case Format::Bits16:
        return Kind::RGBA16;
    case Format::Bits32:
        break;
    }
    return Kind::RGBA32;
}

Kind KindInRow(Format row, std::optional<Kind> wanted) {
    return wanted && RowOf(*wanted) == row ? *wanted : DefaultKind(row);
}

std::optional<Kind> KindFromName(std::string_view name) {
    for (const KindRow& k : kKinds) {
        if (k.name.size() != name.size())
            continue;
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i)
            same = Upper(name[i]) == k.name[i];
        if (same)
            return k.kind;
    }
    return std::nullopt;
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
