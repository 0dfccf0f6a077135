// SPDX-License-Identifier: MIT
#pragma once

#include "core/count.h"
#include "core/formats.h"
#include "core/tmemmap.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellora::hw {

inline constexpr int kTmemBytes = 4096;
inline constexpr int kHalfBytes = 2048;
inline constexpr int kTmemWords = 512;
inline constexpr int kHalfWords = 256;
inline constexpr int kLoadTile = 7;

// How a tile reads past its edge on one axis (the cm field's values).
enum class AxisMode : std::uint8_t { Wrap = 0, Mirror = 1, Clamp = 2 };
std::string_view AxisModeName(AxisMode mode); // "wrap", "mirror", "clamp"
std::optional<AxisMode> AxisModeFromName(std::string_view name);

struct TileOptions {
    AxisMode s = AxisMode::Wrap;
    AxisMode t = AxisMode::Wrap;
    int detailShift = 1; // the detail map's Shift, 0 to 5
    // The CI4 palette, 0 to 15: its 16 entries lie at 0x800 + 128 x palette
    // and the tiles name it. CI8 reads all 256 entries and takes none.
    int palette = 0;
};
inline constexpr int kPalettes = 16;
// The TMEM address of a CI4 palette's first entry.
constexpr int PaletteAddress(int palette) {
    return kHalfBytes + 128 * palette;
}

// One counted level as the hardware takes it.
struct Level {
    int record = 0; // the level record's index, which is also its tile number
    LevelRole role = LevelRole::Base;
    int width = 0;
    int height = 0;
    Kind kind = Kind::RGBA16;
    int distance = 0; // levels below the base; 0 for the base and the detail map
};

// The counted levels in TMEM order with the kinds of the base and the detail map.
std::vector<Level> LevelsOf(const Count& count, Kind baseKind, Kind detailKind);

int FormatCode(Kind kind); // the fmt field: RGBA 0, CI 2, IA 3, I 4
int SizeCode(Kind kind);   // the siz field: 4-bit 0, 8-bit 1, 16-bit 2, 32-bit 3
int BitsOf(Kind kind);

// What one byte of TMEM holds, packed in 32 bits so the whole map is 16 KiB:
// its use, the level record, which bytes of the texel (RGBA32), whether it
// holds two 4-bit texels, and the texel's s and t. A palette byte keeps its
// entry in s and which of the entry's four copies it is in t.
enum class CellUse : std::uint8_t { Free, Texel, Padding, Palette };
enum class TexelPart : std::uint8_t { All, RedGreen, BlueAlpha };
class Cell {
  public:
    constexpr Cell() = default;
    static constexpr Cell Texel(int record, int s, int t, TexelPart part, int texels) {
        return Cell(static_cast<std::uint32_t>(CellUse::Texel) | static_cast<std::uint32_t>(part) << 2 |
                    static_cast<std::uint32_t>(texels == 2) << 4 |
                    static_cast<std::uint32_t>(record & 7) << 5 | static_cast<std::uint32_t>(s & 0x7FF) << 8 |
                    static_cast<std::uint32_t>(t & 0x1FF) << 19);
    }
    static constexpr Cell Padding(int record) {
        return Cell(static_cast<std::uint32_t>(CellUse::Padding) | static_cast<std::uint32_t>(record & 7)
                                                                       << 5);
    }
    static constexpr Cell PaletteEntry(int entry, int copy) {
        return Cell(static_cast<std::uint32_t>(CellUse::Palette) |
                    static_cast<std::uint32_t>(entry & 0x7FF) << 8 |
                    static_cast<std::uint32_t>(copy & 0x1FF) << 19);
    }

    CellUse use() const { return static_cast<CellUse>(bits_ & 3); }
    TexelPart part() const { return static_cast<TexelPart>((bits_ >> 2) & 3); }
    int texels() const { return (bits_ >> 4 & 1) != 0 ? 2 : 1; }
    int record() const { return static_cast<int>(bits_ >> 5 & 7); }
    int s() const { return static_cast<int>(bits_ >> 8 & 0x7FF); }
    int t() const { return static_cast<int>(bits_ >> 19 & 0x1FF); }
    int entry() const { return s(); }
    int copy() const { return t(); }
    // A texel cell ds texels further along the row (s + ds stays below 2048).
    constexpr Cell movedAlong(int ds) const { return Cell(bits_ + (static_cast<std::uint32_t>(ds) << 8)); }
    // The same texel bytes' other half: blue and alpha for red and green.
    Cell asBlueAlpha() const {
        return use() == CellUse::Texel ? Cell((bits_ & ~std::uint32_t{0xC}) |
                                              static_cast<std::uint32_t>(TexelPart::BlueAlpha) << 2)
                                       : *this;
    }
    friend bool operator==(const Cell&, const Cell&) = default;

  private:
    explicit constexpr Cell(std::uint32_t bits) : bits_(bits) {}
    std::uint32_t bits_ = 0;
};

struct TileDescriptor {
    int tile = 0;
    int record = 0;
    Kind kind = Kind::RGBA16;
    int fmt = 0, siz = 0, line = 0, tmem = 0, palette = 0;
    AxisMode cms = AxisMode::Wrap, cmt = AxisMode::Wrap;
    int masks = 0, maskt = 0, shifts = 0, shiftt = 0;
    int uls = 0, ult = 0, lrs = 0, lrt = 0;
    std::uint64_t setTile = 0, setTileSize = 0;
};

struct LoadPlan {
    int record = 0;
    bool block = true; // LoadBlock, else LoadTile
    long texels = 0;   // in the load's units (16-bit, or 32-bit for RGBA32)
    std::optional<int> dxt;
    int safeRows = 0;
    int rows = 0;
    std::string reason; // why LoadBlock cannot serve; empty for LoadBlock
    int wordsPerRow = 0;
    int loadSiz = 0;   // the siz the image is loaded at
    int loadWidth = 0; // texels a row at that siz (LoadTile)
    // SetTextureImage's width: 1 for LoadBlock, else the row as memory holds
    // it (padded to 8 bytes) in the load's units, so that LoadTile steps from
    // row to row by the same bytes the exported data does.
    int imageWidth = 1;
    long offset = 0; // the level's first byte in the exported data
    std::uint64_t loadTileSetTile = 0;
    std::uint64_t load = 0;
};

struct Palette {
    int entries = 0;
    bool ia16 = false; // IA16 colours (the LUT's IA16 type), else RGBA16
    int tmemAddress = 0x800;
    long offset = 0; // where the palette follows the texture data, 8-byte aligned
    std::uint64_t loadTileSetTile = 0;
    std::uint64_t loadTlut = 0;
};

// A palette of entries loaded at a TMEM byte address with LoadTLUT through
// the load tile; offset 0.
Palette PaletteAt(int entries, int tmemAddress);

// A material's second texture: its levels (records from 0, its base first),
// its own wrap, mirror or clamp and CI4 palette, and where it starts in TMEM
// (none: the word after texture 0's last level).
struct Material {
    std::vector<Level> levels;
    TileOptions options;
    std::optional<int> tmemWord;
};

struct Layout {
    std::vector<Level> levels;    // texture 0's, then texture 1's (records numbered on)
    std::size_t texture1From = 0; // the first of texture 1's levels; levels.size() without one
    int texture1Word = 0;
    bool fits = true;
    std::optional<std::string> reason;
    int endWord = 0;     // the word after the last level
    long dataBytes = 0;  // the exported data of every level, rows padded to 8 bytes
    long dataBytes1 = 0; // the same of texture 1's levels, its own array
    int lowerHalfBytes = 0, upperHalfBytes = 0;
    std::optional<Palette> palette;
    std::optional<Palette> palette1; // texture 1's, unless it shares texture 0's
    bool material() const { return texture1From < levels.size(); }
    std::vector<TileDescriptor> tiles;
    std::vector<LoadPlan> loads;
    std::vector<std::string> notes;
    std::array<Cell, kTmemBytes> map{};
};

Layout LayOut(const std::vector<Level>& levels, const TileOptions& options,
              const Material* texture1 = nullptr);

// One LoadBlock with dxt 0 for every level at once, from data whose rows are
// padded to 8 bytes (16 for RGBA32, a TMEM line of each half) and stored with
// odd rows word-swapped, since such a block never swaps. None, with the
// reason, when no single block can carry them: more than 2048 texels in the
// load's units, or RGBA32 levels beside levels of another size.
struct ChainLoad {
    std::optional<LoadPlan> plan;
    std::string reason;
    long bytes = 0; // the chain's data: every level's rows as that block takes them
};
ChainLoad WholeChainLoad(const Layout& layout);
// The verdict alone, without tiles, loads or the byte map: none when the
// hardware can hold the levels, else the first rule they break.
std::optional<std::string> HardwareVerdict(const std::vector<Level>& levels);

// 4096 characters: '.' free, the level record's digit for texel bytes, 'p'
// row padding, 'P' palette.
std::string MapString(const Layout& layout);
// The map in the calculator map's colours: levels dark blue and blue by
// record, RGBA32's blue and alpha halves dark red and red, padding yellow,
// palette grey, free green.
TmemMap HardwareColours(const Layout& layout);
// The level record of every texel byte, -1 elsewhere.
TmemLevels HardwareLevels(const Layout& layout);

// What the byte at address holds, as the map's tooltip says it.
std::string DescribeCell(const Layout& layout, int address);

} // namespace vellora::hw
