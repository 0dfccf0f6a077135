// SPDX-License-Identifier: MIT
#include "loadstep.h"

#include "bmpreader.h"
#include "picturefile.h"
#include "pngreader.h"

#include "core/numeric.h"

#include <algorithm>
#include <new>

namespace vellora {

namespace {

// Reads with read (a file or bytes) into the level, then works out what the
// file brings to the settings.
template <class Read>
LoadStepResult LoadInto(Read read, std::optional<Kind> kind, LoadRole role, CoreState& state, int level) {
    LoadStepResult result;
    if (level < 0 || level >= kLevelCount) {
        result.error = "No level record " + DecimalText(level);
        return result;
    }
    TileLevel& target = state.tiles[static_cast<std::size_t>(level)];
    const PictureReadResult r = read(target);
    if (!r.ok) {
        result.error = r.error.empty() ? kUnknownBmpType : r.error;
        return result;
    }
    state.bitmapLoaded = true;
    result.ok = true;
    LoadedFile& file = result.file;
    file.info = r.info;
    file.kind = kind;
    if (role == LoadRole::Base) {
        state.baseKind = kind;
        state.baseSource = PictureSource{r.info.alpha, r.info.palette};
        // The name states what the game stores, so it needs no question.
        if (kind) {
            file.format = RowOf(*kind);
        } else if (r.info.fileType == FileType::Png) {
            file.format = BaseFormatForPng(r.info.colourType, r.info.bitDepth);
            if (PngAsksGreyscale(r.info.colourType))
                file.messages.emplace_back(kGreyscaleMessage);
        } else {
            file.format = BaseFormatForBitCount(r.info.bitCount);
            if (r.info.bitCount == 24)
                file.messages.emplace_back(kGreyscaleMessage);
        }
    } else if (role == LoadRole::Detail) {
        // A name that states the kind selects its format too, as for the base.
        if (kind)
            file.format = RowOf(*kind);
        state.detailKind = kind;
        state.detailSource = PictureSource{r.info.alpha, r.info.palette};
    }
    return result;
}

} // namespace

LoadStepResult LoadFileInto(const std::string& path, LoadRole role, CoreState& state, int level,
                            std::int64_t maxPixels, PictureNeed need) {
    if (auto unknown = UnknownKindSuffix(path)) {
        LoadStepResult refused;
        refused.error = *unknown;
        return refused;
    }
    return LoadInto(
        [&path, maxPixels, need](TileLevel& target) {
            try {
                return ReadPictureFile(path, target, maxPixels, need);
            } catch (const std::bad_alloc&) {
                PictureReadResult r;
                r.error = "Not enough memory to load the bitmap " + path;
                return r;
            }
        },
        KindFromFileName(path), role, state, level);
}

LoadStepResult LoadBytesInto(std::span<const std::uint8_t> bytes, LoadRole role, CoreState& state,
                             int level) {
    return LoadInto([bytes](TileLevel& target) { return ReadPicture(bytes, false, target); }, std::nullopt,
                    role, state, level);
}

} // namespace vellora
