// SPDX-License-Identifier: MIT
#pragma once

#include "formats.h"
#include "tilelevel.h"
#include "tmemmap.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace vellora {

// How many levels the pyramid has: as many as the texture allows, stopping
// at height 1 or (AutoWidth64) before a level narrower than 64 bits; or up to
// a given level record.
enum class LevelMode { Auto, AutoWidth64, Manual };

struct LevelSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const LevelSize&, const LevelSize&) = default;
};

struct DetailSpec {
    LevelSize size{16, 16};
    std::optional<Format> format = Format::Bits4;
};

// A texture in numbers. Sizes beyond 16384 x 16384, the largest picture the
// readers take, are cut to it.
struct TextureSpec {
    LevelSize size{64, 64};
    std::optional<Format> format = Format::Bits4; // none selected counts as 4-bit, not CI
    LevelMode levels = LevelMode::Auto;
    int lastLevel = 0; // Manual: the index of the last level record, 0 to 7
    std::optional<DetailSpec> detail;
    // Sizes typed for the records above the base, up to lastLevel, instead of
    // halving: records beyond them are left as they are.
    std::optional<std::vector<LevelSize>> typedLevels;
};

enum class LevelRole { Detail, Base, Mip };
const char* LevelRoleName(LevelRole role); // "detail", "base", "mip"

struct CountedLevel {
    int index = 0;
    LevelRole role = LevelRole::Base;
    std::int32_t width = 0, lineWidth = 0, height = 0, bitDepth = 0;
    long bytes = 0;
    long tmemAddress = 0; // the bytes of the records before it
};

struct Count {
    int tmemLimit = 4096; // 2048 for a CI base: the palette takes the upper half
    long totalBytes = 0;
    bool baseIsCI = false;
    int detailFlag = 0; // index of the base record
    int maxIndex = 0;   // the last record counted
    std::vector<CountedLevel> levels;
    int maskWidth = 0, maskHeight = 0;
    long wrapWidth = 1, wrapHeight = 1;
    bool baseWidthAligned = true;
    std::optional<bool> detailWidthAligned;
    bool levelsCutBack = false; // Manual asked for more levels than the texture allows
    TmemMap tmemMap{};

    bool exceeds() const { return totalBytes > tmemLimit; }
    long excess() const { return exceeds() ? totalBytes - tmemLimit : 0; }
    // The fill of a 4096-unit bar and its percentage, as the window shows them.
    double fill() const { return 4096.0 / tmemLimit * static_cast<double>(totalBytes); }
    long percent() const;
};

// Rebuilds the pixels of the derived levels up to lastLevel.
using Regenerate = std::function<void(TileTable& tiles, int lastLevel, int detailFlag)>;

// The count. Writes the sizes of every record it counts into tiles (the
// detail map, the base and the derived levels) and returns the numbers.
// What a count fills in: everything, or the numbers without the byte map
// (for weighing many changes to a texture, where only the totals matter).
enum class CountDetail { Full, SizesOnly };
// The level record each byte of the count's map belongs to, -1 for none.
TmemLevels LevelsOfBytes(const Count& count);

Count CountTexture(const TextureSpec& spec, TileTable& tiles, const Regenerate& regenerate = {},
                   CountDetail detail = CountDetail::Full);

} // namespace vellora
