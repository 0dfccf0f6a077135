// SPDX-License-Identifier: MIT
#pragma once

#include "picture.h"

#include "core/calc.h"
#include "core/formats.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vellora {

// What a file brings to the settings when "Load Settings from bmp" takes it:
// the window writes these into its controls, the command line and the
// fuzzer into a Settings value.
struct LoadedFile {
    PictureInfo info;
    std::optional<Format> format;      // the base format it selects; none keeps the format
    std::optional<Kind> kind;          // the exact kind its name gives
    std::vector<std::string> messages; // shown once it is read, in order
    std::string widthText;             // the size boxes' texts after their rule
    std::string heightText;
    // Set when the picture is larger than its size boxes take: the window
    // says so, as it counts the smaller size. The command line counts the
    // picture at its own size and has no use for it.
    std::optional<std::string> boxesCutMessage;
};

struct LoadStepResult {
    bool ok = false;
    std::string error; // the reader's reason when the file was refused
    LoadedFile file;
};

enum class LoadRole { Detail, Base, Tile };

// Reads one file into a level record of state. A refused file leaves the
// record as it was; a read one marks the state as holding a picture.
// maxPixels: the most pixels the picture may have (a run holding several
// pictures gives each what is left of its budget).
LoadStepResult LoadFileInto(const std::string& path, LoadRole role, CoreState& state, int level,
                            std::int64_t maxPixels = kMaxPicturePixels,
                            PictureNeed need = PictureNeed::Pixels);
// The same for a file already in memory.
LoadStepResult LoadBytesInto(std::span<const std::uint8_t> bytes, LoadRole role, CoreState& state, int level);

// Writes what a base or detail file selects into the settings, as the size
// boxes and format options of the window take it.
void ApplyToSettings(const LoadedFile& file, LoadRole role, Settings& settings);

// The texture of the settings with the base and the detail map at their
// pictures' own sizes rather than the size boxes' 1024 x 256: what the
// command line counts.
TextureSpec SpecAtOwnSize(const Settings& settings, const TileTable& tiles);

} // namespace vellora
