// SPDX-License-Identifier: MIT
#include "document/texture.h"

#include "core/pictures.h"

#include <utility>

namespace vellora::doc {

TileTable NoPictures() {
    TileTable tiles;
    ResetPictures(tiles);
    return tiles;
}

Kind Texture::storedBaseKind() const {
    return KindInRow(spec.format.value_or(Format::Bits4), baseKind);
}

Kind Texture::storedDetailKind() const {
    return spec.detail ? KindInRow(spec.detail->format.value_or(Format::Bits4), detailKind) : Kind::I4;
}

namespace {

// Lends the shared load step the texture's records, kinds and sources, and
// takes what the picture brings into the texture.
template <class Load> LoadResult LoadWith(Texture& texture, LoadRole role, int level, Load load) {
    CoreState state;
    state.tiles = std::move(texture.pictures);
    state.baseKind = texture.baseKind;
    state.detailKind = texture.detailKind;
    state.baseSource = std::move(texture.baseSource);
    state.detailSource = std::move(texture.detailSource);
    LoadStepResult r = load(state);
    texture.pictures = std::move(state.tiles);
    texture.baseKind = state.baseKind;
    texture.detailKind = state.detailKind;
    texture.baseSource = std::move(state.baseSource);
    texture.detailSource = std::move(state.detailSource);
    if (!r.ok)
        return {false, r.error.empty() ? std::string("cannot be read") : r.error};

    const TileLevel& read = texture.pictures[static_cast<std::size_t>(level)];
    switch (role) {
    case LoadRole::Base:
        // Counted at its own size, in the format its name or header gives.
        texture.spec.size = {read.Width, read.Height};
        if (r.file.format)
            texture.spec.format = r.file.format;
        texture.baseFile = r.file.info;
        texture.picturesLoaded = true;
        texture.loadMessages.insert(texture.loadMessages.end(), r.file.messages.begin(),
                                    r.file.messages.end());
        break;
    case LoadRole::Detail:
        if (!texture.spec.detail)
            texture.spec.detail = DetailSpec{};
        texture.spec.detail->size = {read.Width, read.Height};
        if (r.file.format)
            texture.spec.detail->format = r.file.format;
        break;
    case LoadRole::Tile:
        texture.ownLevels = true;
        break;
    }
    return {true, {}};
}

} // namespace

LoadResult LoadPicture(Texture& texture, const std::string& path, LoadRole role, int level,
                       std::int64_t maxPixels, PictureNeed need) {
    return LoadWith(texture, role, level, [&](CoreState& state) {
        return LoadFileInto(path, role, state, level, maxPixels, need);
    });
}

LoadResult LoadPicture(Texture& texture, std::span<const std::uint8_t> bytes, LoadRole role, int level) {
    return LoadWith(texture, role, level,
                    [&](CoreState& state) { return LoadBytesInto(bytes, role, state, level); });
}

void DrawLevels(Texture& texture) {
    Regenerate regenerate;
    if (!texture.ownLevels) {
        const MipFilter filter = texture.filter;
        regenerate = [filter](TileTable& tiles, int lastLevel, int detailFlag) {
            GeneratebmpMipMap(tiles, lastLevel, detailFlag, filter);
        };
    }
    CountTexture(texture.spec, texture.pictures, regenerate, CountDetail::SizesOnly);
}

} // namespace vellora::doc
