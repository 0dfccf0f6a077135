// SPDX-License-Identifier: MIT
#include "loadstep.h"

#include "bmpreader.h"
#include "picturefile.h"
#include "pngreader.h"

#include "core/inputrules.h"
#include "core/numeric.h"

#include <algorithm>
#include <new>

namespace vellora {

namespace {

// The file's size goes into a size box, whose rule then applies.
std::string BoxText(std::int32_t size, DimensionRule rule) {
    const std::string typed = DecimalText(size);
    return ApplyDimensionRule(typed, rule).value_or(typed);
}

std::optional<std::string> BoxesCutMessage(const TileLevel& level, DimensionRule widthRule,
                                           DimensionRule heightRule, bool detail) {
    if (level.Width <= widthRule.maximum && level.Height <= heightRule.maximum)
        return std::nullopt;
    const std::string counted = DecimalText(std::min(level.Width, widthRule.maximum)) + " x " +
                                DecimalText(std::min(level.Height, heightRule.maximum));
    return std::string(detail ? "The detail map" : "The picture") + " is " + DecimalText(level.Width) +
           " x " + DecimalText(level.Height) + " pixels, larger than the size boxes take (" +
           DecimalText(widthRule.maximum) + " x " + DecimalText(heightRule.maximum) + "): it is counted as " +
           counted + ".";
}

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
    const bool detail = role == LoadRole::Detail;
    const DimensionRule widthRule = detail ? kDetailWidthRule : kWidthRule;
    const DimensionRule heightRule = detail ? kDetailHeightRule : kHeightRule;
    file.widthText = BoxText(target.Width, widthRule);
    file.heightText = BoxText(target.Height, heightRule);
    // A tile's size comes from the levels above it, never from a box.
    if (role != LoadRole::Tile)
        file.boxesCutMessage = BoxesCutMessage(target, widthRule, heightRule, detail);
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

void ApplyToSettings(const LoadedFile& file, LoadRole role, Settings& settings) {
    switch (role) {
    case LoadRole::Detail:
        if (file.format)
            settings.detailFormat = file.format;
        settings.detailWidth = file.widthText;
        settings.detailHeight = file.heightText;
        break;
    case LoadRole::Base:
        if (file.format)
            settings.baseFormat = file.format;
        settings.width = file.widthText;
        settings.height = file.heightText;
        break;
    case LoadRole::Tile:
        break;
    }
}

TextureSpec SpecAtOwnSize(const Settings& settings, const TileTable& tiles) {
    TextureSpec spec = SpecFromSettings(settings, tiles);
    const TileLevel& base = tiles[settings.detailEnabled ? 1 : 0];
    spec.size = {base.Width, base.Height};
    if (spec.detail)
        spec.detail->size = {tiles[0].Width, tiles[0].Height};
    return spec;
}

} // namespace vellora
