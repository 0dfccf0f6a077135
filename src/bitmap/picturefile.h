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

// Opens, reads in one go and closes a regular file. A missing file reads as
// empty, which no picture header fits; folders, FIFOs and devices are refused
// by name before anything is read from them.
FileBytes ReadWholeFile(const std::string& path);

// Reads a picture into one level with the reader its bytes call for: PNG
// when they start with the PNG signature or the name says .png, BMP
// otherwise. A refused file leaves the level as it was.
PictureReadResult ReadPicture(std::span<const std::uint8_t> bytes, bool pngName, TileLevel& level);
PictureReadResult ReadPictureFile(const std::string& path, TileLevel& level);

// Whether a path's file name ends in .png (any case).
bool HasPngName(std::string_view path);
// Whether the path's file name has the extension ext (".png", in lower
// case), letters in any case; a name that is only the extension has none.
bool HasExtension(std::string_view path, std::string_view ext);
// The kind a file's name gives it: "brick.rgba16.png", "font.IA8.bmp".
std::optional<Kind> KindFromFileName(std::string_view path);

} // namespace vellora
