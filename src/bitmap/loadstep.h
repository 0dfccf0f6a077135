// SPDX-License-Identifier: MIT
#pragma once

#include "picture.h"

#include "core/count.h"
#include "core/formats.h"
#include "core/pictures.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vellora {

// What a file brings besides its picture: its header, the format and kind
// its name or header selects, and what loading it says.
struct LoadedFile {
    PictureInfo info;
    std::optional<Format> format;      // the format it selects; none keeps the format
    std::optional<Kind> kind;          // the exact kind its name gives
    std::vector<std::string> messages; // shown once it is read, in order
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

} // namespace vellora
