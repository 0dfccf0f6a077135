// SPDX-License-Identifier: MIT
#pragma once

#include "reduce.h"

#include "hardware/layout.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellora::reduce {

enum class TextureFileType { Binary, CSource, CHeader, Png };

// From the name's extension, any case: .bin, .c, .h, .png.
std::optional<TextureFileType> TextureFileTypeOf(std::string_view path);
// Where a binary's palette goes: "tex.bin" -> "tex.pal.bin".
std::string PaletteFileName(std::string_view path);
// A C identifier from the file's name: "walls/brick.rgba16.c" -> "brick_rgba16".
std::string ArrayName(std::string_view path);

struct ExportOptions {
    // The data of one LoadBlock with dxt 0 for the whole chain: odd rows
    // stored word-swapped, since such a load does not swap them.
    bool wholeChain = false;
    // The arrays' prefix, as the display list names them; empty: from the
    // output file's name.
    std::string name;
};

// A level's rows as the game stores them: big-endian texels (4-bit texels
// high nibble first), each row padded to 8 bytes (16 for RGBA32 in a whole
// chain, whose rows must match the TMEM line of each half).
std::vector<std::uint8_t> LevelBytes(const ReducedLevel& level, const ExportOptions& options);
// Every level one after another in TMEM order.
std::vector<std::uint8_t> TextureBytes(const ReducedTexture& texture, const ExportOptions& options);
// How many bytes TextureBytes gives, without making them.
std::size_t TextureByteCount(const ReducedTexture& texture, const ExportOptions& options);
// The entries LoadTLUT loads for the texture: 16 for CI4, 256 with a CI8 level, 0 without CI.
std::size_t PaletteEntries(const ReducedTexture& texture);
// The palette's 16-bit entries, big-endian, zero-filled to PaletteEntries.
std::vector<std::uint8_t> PaletteBytes(const ReducedTexture& texture);

// A C file of 8-byte aligned arrays (one per level, or one for the whole
// chain) and the palette, each with a comment giving kind, sizes and the
// tile values. header: with an include guard.
std::string TextureSource(const ReducedTexture& texture, const hw::Layout& layout, std::string_view name,
                          bool header, const ExportOptions& options);

// The levels side by side, top-aligned, in the reduced format: paletted when
// every level is CI, grey for I, grey and alpha for I and IA, else RGBA.
std::vector<std::uint8_t> TexturePng(const ReducedTexture& texture);

struct ExportFile {
    std::string path;
    std::vector<std::uint8_t> bytes;
};
// The files for path, by its extension: the data, and for a CI binary the
// palette beside it. Empty when the extension is not one of the four.
std::vector<ExportFile> ExportTexture(const ReducedTexture& texture, const hw::Layout& layout,
                                      const std::string& path, const ExportOptions& options);

} // namespace vellora::reduce
