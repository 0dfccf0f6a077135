// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vellora {

// The six rows of the format table, shared by the base texture and the
// detail map. The count tells only bit depth and colour-indexed apart; I, IA
// and RGBA of one depth share a row.
enum class Format : std::uint8_t { CI4, Bits4, CI8, Bits8, Bits16, Bits32 };
inline constexpr int kFormatCount = 6;
inline constexpr Format kAllFormats[kFormatCount] = {Format::CI4,   Format::Bits4,  Format::CI8,
                                                     Format::Bits8, Format::Bits16, Format::Bits32};

int BitDepth(Format format);
bool IsCI(Format format);
// A format's place in the window's option arrays (0 CI 4-bit ... 5 32-bit).
inline int FormatIndex(Format format) {
    return static_cast<int>(format);
}
std::optional<Format> FormatAt(int index);

// An option array with no member selected counts as 4-bit, not CI.
inline int BitDepth(std::optional<Format> format) {
    return format ? BitDepth(*format) : 4;
}
inline bool IsCI(std::optional<Format> format) {
    return format && IsCI(*format);
}

// The exact kind a texture is stored in. Each belongs to one row of the
// format table; the count only needs the row, but files and the hardware
// keep the kind (an IA16 texture is not an RGBA16 one).
// CI8_IA16 and CI4_IA16 index a palette of IA16 colours (intensity and
// alpha, 8 bits each) instead of RGBA16 ones.
enum class Kind : std::uint8_t { RGBA32, RGBA16, IA16, IA8, IA4, I8, I4, CI8, CI4, CI8_IA16, CI4_IA16 };
inline constexpr int kKindCount = 11;

// Colour-indexed kinds, the two palette sizes and the palette's colours.
constexpr bool IsCIKind(Kind kind) {
    return kind == Kind::CI8 || kind == Kind::CI4 || kind == Kind::CI8_IA16 || kind == Kind::CI4_IA16;
}
constexpr bool IsCI8Kind(Kind kind) {
    return kind == Kind::CI8 || kind == Kind::CI8_IA16;
}
constexpr bool IsCI4Kind(Kind kind) {
    return kind == Kind::CI4 || kind == Kind::CI4_IA16;
}
constexpr bool HasIa16Palette(Kind kind) {
    return kind == Kind::CI8_IA16 || kind == Kind::CI4_IA16;
}

Format RowOf(Kind kind);
// "RGBA16", "CI4", "CI4_IA16", ...
std::string_view KindName(Kind kind);
// The kind a row stands for when nothing names one: I for 4 and 8 bits,
// RGBA for 16 and 32.
Kind DefaultKind(Format row);
// wanted when it belongs to the row, else the row's default.
Kind KindInRow(Format row, std::optional<Kind> wanted);

// A kind from its name in any case ("rgba16", "IA8"); none for anything else.
std::optional<Kind> KindFromName(std::string_view name);

// A width is aligned when it fills whole 64-bit words at that bit depth.
bool IsAligned(std::int32_t width, std::int32_t bitDepth);
// The width padded up to whole 64-bit words, in texels.
std::int32_t PaddedWidth(std::int32_t width, std::int32_t bitDepth);
// Bytes one level takes: BitDepth * LineWidth * Height / 8.
double LevelBytes(std::int32_t bitDepth, std::int32_t lineWidth, std::int32_t height);

} // namespace vellora
