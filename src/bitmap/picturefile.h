// SPDX-License-Identifier: MIT
#pragma once

#include "picture.h"

#include "core/formats.h"
#include "core/tilelevel.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vellora {

struct FileBytes {
    bool ok = false;
    std::string error; // names the reason and ends with the path
    std::vector<std::uint8_t> bytes;
};

// Opens, reads in one go and closes a regular file. A missing or unreadable
// file is refused with the system's reason; an empty one reads as empty,
// which no picture header fits; folders, FIFOs and devices are refused by
// name before anything is read from them.
FileBytes ReadWholeFile(const std::string& path);

// The most bytes of one file a picture may take: the largest picture the
// readers take (16777216 pixels of 16-bit RGBA) needs about half of it.
inline constexpr std::uint64_t kMaxPictureFileBytes = std::uint64_t{256} << 20;

// Reads as much of a regular file as its picture can use: a PNG up to its
// IEND chunk, a BMP up to its last pixel row, anything else its first
// 64 KiB, which is all a refusal needs. Bytes after the picture (a file
// padded to gigabytes) are never read. A picture that would take more than
// kMaxPictureFileBytes is refused with one line.
FileBytes ReadPictureBytes(const std::string& path, PictureNeed need = PictureNeed::Pixels);

// Reads a picture into one level with the reader its bytes call for: PNG
// when they start with the PNG signature or the name says .png, BMP
// otherwise. A refused file leaves the level as it was.
PictureReadResult ReadPicture(std::span<const std::uint8_t> bytes, bool pngName, TileLevel& level,
                              std::int64_t maxPixels = kMaxPicturePixels,
                              PictureNeed need = PictureNeed::Pixels);
// PictureNeed::Size reads only the file's first 64 KiB.
PictureReadResult ReadPictureFile(const std::string& path, TileLevel& level,
                                  std::int64_t maxPixels = kMaxPicturePixels,
                                  PictureNeed need = PictureNeed::Pixels);

// Whether a path's file name ends in .png (any case).
bool HasPngName(std::string_view path);
// Whether the path's file name has the extension ext (".png", in lower
// case), letters in any case; a name that is only the extension has none.
bool HasExtension(std::string_view path, std::string_view ext);
// The kind a file's name gives it: "brick.rgba16.png", "font.IA8.bmp".
std::optional<Kind> KindFromFileName(std::string_view path);
// The part before the extension that should name a kind ("brick.rgbx.png"
// has "rgbx"); none when the name has no such part.
std::optional<std::string_view> KindSuffixOf(std::string_view path);
// Why a name's kind part names no kind, listing the known ones; none when it
// names one or the name has no kind part. A mistyped kind would otherwise
// fall back to the picture's own type without a word.
std::optional<std::string> UnknownKindSuffix(std::string_view path);

} // namespace vellora
