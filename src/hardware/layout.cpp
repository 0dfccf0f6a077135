// SPDX-License-Identifier: MIT
#include "layout.h"

#include "tmemcells.h"
#include "words.h"

#include <algorithm>

namespace vellora::hw {

using detail::CeilDiv;
using detail::HalfBits;

namespace {

constexpr int kMaxImageWidth = 1024; // SetTextureImage keeps width - 1 in 10 bits
constexpr int kMaxRows = 256;

// The smallest m with 2^m >= size, as far as the 4-bit field allows.
int MaskOf(int size) {
    int m = 0;
    while (m < 10 && (1 << m) < size)
        ++m;
    return m;
}

int LineOf(const Level& level) {
    return std::max(1, CeilDiv(static_cast<long>(std::max(level.width, 0)) * HalfBits(level.kind), 64));
}

std::string Bytes(long words) {
    return std::to_string(words * 8) + " bytes";
}

// Levels from index `second` on belong to a material's texture 1.
struct Names {
    std::size_t second = static_cast<std::size_t>(-1);
    std::string operator()(const std::vector<Level>& levels, std::vector<Level>::const_iterator at) const {
        const std::size_t i = static_cast<std::size_t>(at - levels.begin());
        const Level& level = *at;
        if (i >= second)
            return level.role == LevelRole::Base ? "texture 1's base"
                                                 : "texture 1's level " + std::to_string(level.distance);
        if (level.role == LevelRole::Detail)
            return "the detail map";
        if (level.role == LevelRole::Base)
            return "the base";
        return "level " + std::to_string(level.record);
    }
};

// The bytes the levels take in TMEM: RGBA32 levels are counted in both halves.
long TmemBytes(const std::vector<Level>& levels, const std::vector<int>& lines) {
    long bytes = 0;
    for (std::size_t i = 0; i < levels.size(); ++i)
        bytes += 8L * lines[i] * std::max(levels[i].height, 0) * (levels[i].kind == Kind::RGBA32 ? 2 : 1);
    return bytes;
}

std::optional<std::string> Verdict(const std::vector<Level>& levels, const std::vector<int>& lines,
                                   int endWord, const Names& names = {}) {
    const auto LevelName = [&levels, &names](std::vector<Level>::const_iterator at) {
        return names(levels, at);
    };
    const auto ci =
        std::find_if(levels.begin(), levels.end(), [](const Level& l) { return IsCI(RowOf(l.kind)); });
    const auto plain =
        std::find_if(levels.begin(), levels.end(), [](const Level& l) { return !IsCI(RowOf(l.kind)); });
    if (ci != levels.end() && plain != levels.end())
        return std::string("palette mode is global: ") + LevelName(ci) + " (" +
               std::string(KindName(ci->kind)) + ") cannot be drawn beside " + LevelName(plain) + " (" +
               std::string(KindName(plain->kind)) + ")";
    // The LUT's colour type is one render mode too.
    const auto ia16 =
        std::find_if(levels.begin(), levels.end(), [](const Level& l) { return HasIa16Palette(l.kind); });
    const auto rgba16 = std::find_if(levels.begin(), levels.end(), [](const Level& l) {
        return IsCIKind(l.kind) && !HasIa16Palette(l.kind);
    });
    if (ia16 != levels.end() && rgba16 != levels.end())
        return std::string("the palette's colour type is global: ") + LevelName(ia16) + " (" +
               std::string(KindName(ia16->kind)) + ") cannot be drawn beside " + LevelName(rgba16) + " (" +
               std::string(KindName(rgba16->kind)) + ")";
    if (endWord > kTmemWords)
        return "the levels take " + std::to_string(TmemBytes(levels, lines)) + " bytes, TMEM holds 4096";
    const auto wide =
        std::find_if(levels.begin(), levels.end(), [](const Level& l) { return l.kind == Kind::RGBA32; });
    if (wide != levels.end() && endWord > kHalfWords) {
        const int line = lines[static_cast<std::size_t>(wide - levels.begin())];
        return "RGBA32 keeps half of each texel in each half of TMEM: the levels need " + Bytes(endWord) +
               " of the 2048-byte lower half (a half-row of " + LevelName(wide) + ", " +
               std::to_string(wide->width) + " texels, takes " + Bytes(line) + ")";
    }
    if (ci != levels.end() && endWord > kHalfWords)
        return "CI texels must stay in the lower half: the levels need " + Bytes(endWord) +
               " of the 2048-byte lower half";
    // The texture unit forms a row's address from 8 bits of t: row 256 of a
    // tile reads row 0 again.
    const auto tall =
        std::find_if(levels.begin(), levels.end(), [](const Level& l) { return l.height > kMaxRows; });
    if (tall != levels.end())
        return "the RDP addresses at most " + std::to_string(kMaxRows) +
               " rows of a tile: " + LevelName(tall) + " has " + std::to_string(tall->height);
    return std::nullopt;
}

LoadPlan PlanLoad(const Level& level, int tmem, int line) {
    LoadPlan p;
    p.record = level.record;
    const int bits = BitsOf(level.kind);
    const int w = std::max(level.width, 0), h = std::max(level.height, 0);
    // Rows in memory are padded to 8 bytes, as the export writes them.
    const int W = std::max(1, CeilDiv(static_cast<long>(w) * bits, 64));
    const int unit = bits == 32 ? 4 : 2;
    p.wordsPerRow = W;
    p.rows = h;
    p.texels = 8L * W * h / unit;
    const int dxt = CeilDiv(2048, W);
    const long excess = static_cast<long>(dxt) * W - 2048;
    p.safeRows = excess == 0 ? h : std::min(h, CeilDiv(dxt, excess) - 1);
    // LoadBlock hands each half of TMEM half of every 32-bit row; with an odd
    // number of words a row the halves and the row counter fall out of step,
    // and each row overwrites half of the one before.
    const bool splitRowsAgree = bits != 32 || W % 2 == 0 || h <= 1;
    const int fmt = FormatCode(level.kind);
    if (p.texels <= 2048 && p.safeRows == h && splitRowsAgree) {
        p.block = true;
        p.dxt = dxt;
        p.loadSiz = bits == 32 ? 3 : 2;
        p.loadWidth = 1;
        p.imageWidth = 1;
        p.loadTileSetTile = words::SetTile(fmt, p.loadSiz, 0, tmem, kLoadTile, 0, 0, 0, 0, 0, 0, 0);
        p.load = words::Rect(words::kLoadBlock, kLoadTile, 0, 0, static_cast<int>(p.texels - 1), dxt);
        return p;
    }
    p.block = false;
    if (p.texels > 2048)
        p.reason = std::to_string(p.texels) + " texels, a block carries at most 2048";
    else if (!splitRowsAgree)
        p.reason = "RGBA32 rows of an odd number of words (" + std::to_string(W) +
                   ") fall out of step over the two halves in a block";
    else
        p.reason = "dxt " + std::to_string(dxt) + " loads only " + std::to_string(p.safeRows) + " of " +
                   std::to_string(h) + " rows correctly";
    // A 4-bit image cannot be the source of a load: it goes as 8-bit texels,
    // two to each.
    p.loadSiz = bits == 4 ? 1 : SizeCode(level.kind);
    p.loadWidth = bits == 4 ? CeilDiv(w, 2) : w;
    p.imageWidth = W * 64 / (bits == 4 ? 8 : bits);
    p.loadTileSetTile = words::SetTile(fmt, p.loadSiz, line, tmem, kLoadTile, 0, 0, 0, 0, 0, 0, 0);
    p.load = words::Rect(words::kLoadTile, kLoadTile, 0, 0, std::max(p.loadWidth - 1, 0) << 2,
                         std::max(h - 1, 0) << 2);
    return p;
}

// A level whose LoadTile needs a wider image than SetTextureImage's 10-bit
// width field can say: its words would silently load another width.
std::optional<std::string> UnloadableLevel(const std::vector<Level>& levels, const std::vector<int>& lines,
                                           const Names& names = {}) {
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const LoadPlan p = PlanLoad(levels[i], 0, lines[i]);
        if (!p.block && p.imageWidth > kMaxImageWidth)
            return names(levels, levels.begin() + static_cast<std::ptrdiff_t>(i)) + "'s rows are " +
                   std::to_string(p.imageWidth) + " texels wide in memory, more than SetTextureImage's " +
                   std::to_string(kMaxImageWidth);
    }
    return std::nullopt;
}

} // namespace

std::string_view AxisModeName(AxisMode mode) {
    switch (mode) {
    case AxisMode::Mirror:
        return "mirror";
    case AxisMode::Clamp:
        return "clamp";
    case AxisMode::Wrap:
        break;
    }
    return "wrap";
}

std::optional<AxisMode> AxisModeFromName(std::string_view name) {
    for (AxisMode m : {AxisMode::Wrap, AxisMode::Mirror, AxisMode::Clamp})
        if (AxisModeName(m) == name)
            return m;
    return std::nullopt;
}

std::vector<Level> LevelsOf(const Count& count, Kind baseKind, Kind detailKind) {
    std::vector<Level> levels;
    for (const CountedLevel& c : count.levels) {
        Level l;
        l.record = c.index;
        l.role = c.role;
        l.width = c.width;
        l.height = c.height;
        l.kind = c.role == LevelRole::Detail ? detailKind : baseKind;
        l.distance = c.role == LevelRole::Detail ? 0 : c.index - count.detailFlag;
        levels.push_back(l);
    }
    return levels;
}

int FormatCode(Kind kind) {
    switch (kind) {
    case Kind::CI4:
    case Kind::CI8:
    case Kind::CI4_IA16:
    case Kind::CI8_IA16:
        return 2;
    case Kind::IA4:
    case Kind::IA8:
    case Kind::IA16:
        return 3;
    case Kind::I4:
    case Kind::I8:
        return 4;
    case Kind::RGBA16:
    case Kind::RGBA32:
        break;
    }
    return 0;
}

int SizeCode(Kind kind) {
    switch (BitsOf(kind)) {
    case 4:
        return 0;
    case 8:
        return 1;
    case 16:
        return 2;
    default:
        return 3;
    }
}

int BitsOf(Kind kind) {
    return BitDepth(RowOf(kind));
}

std::optional<std::string> HardwareVerdict(const std::vector<Level>& levels) {
    std::vector<int> lines;
    int word = 0;
    for (const Level& l : levels) {
        lines.push_back(LineOf(l));
        word += lines.back() * std::max(l.height, 0);
    }
    if (auto reason = Verdict(levels, lines, word))
        return reason;
    return UnloadableLevel(levels, lines);
}

namespace {

bool AnyCI(std::vector<Level>::const_iterator from, std::vector<Level>::const_iterator to) {
    return std::any_of(from, to, [](const Level& l) { return IsCI(RowOf(l.kind)); });
}

bool AnyCI8(std::vector<Level>::const_iterator from, std::vector<Level>::const_iterator to) {
    return std::any_of(from, to, [](const Level& l) { return IsCI8Kind(l.kind); });
}

// What only a material can break: the tiles it needs, where texture 1 starts
// and the palettes of two CI textures.
std::optional<std::string> MaterialVerdict(const Layout& out, const Material& material, int end0, int start1,
                                           int end1) {
    const std::size_t from = out.texture1From;
    const auto split = out.levels.begin() + static_cast<std::ptrdiff_t>(from);
    if (out.levels.size() > static_cast<std::size_t>(kLoadTile + 1))
        return "a material has 8 tiles: texture 0 takes " + std::to_string(from) + " and texture 1 " +
               std::to_string(out.levels.size() - from);
    if (material.tmemWord && start1 < end0)
        return "texture 1 at word " + std::to_string(start1) + " overlaps texture 0, which ends at word " +
               std::to_string(end0);
    if (material.tmemWord && end1 > kTmemWords)
        return "texture 1 at word " + std::to_string(start1) + " ends at word " + std::to_string(end1) +
               ", past TMEM's " + std::to_string(kTmemWords);
    const bool ci0 = AnyCI(out.levels.begin(), split), ci1 = AnyCI(split, out.levels.end());
    if (ci0 && ci1 && (AnyCI8(out.levels.begin(), split) || AnyCI8(split, out.levels.end()))) {
        const bool first = AnyCI8(out.levels.begin(), split);
        return std::string("a CI8 texture takes all 256 palette entries from 0x800: texture ") +
               (first ? "1" : "0") + "'s palette would overlap texture " + (first ? "0" : "1") + "'s";
    }
    return std::nullopt;
}

// A texture's palette: CI8's 256 entries from 0x800, else CI4's 16 at its
// palette's place, each 16-bit colour held four times, once for each bank.
std::optional<Palette> PlacePalette(std::vector<Level>::const_iterator from,
                                    std::vector<Level>::const_iterator to, int palette, long dataBytes,
                                    std::array<Cell, kTmemBytes>& map) {
    if (!AnyCI(from, to))
        return std::nullopt;
    const bool ci8 = AnyCI8(from, to);
    Palette p =
        PaletteAt(ci8 ? 256 : 16, ci8 ? kHalfBytes : PaletteAddress(std::clamp(palette, 0, kPalettes - 1)));
    p.offset = (dataBytes + 7) / 8 * 8;
    p.ia16 = std::any_of(from, to, [](const Level& l) { return HasIa16Palette(l.kind); });
    for (int e = 0; e < p.entries; ++e)
        for (int b = 0; b < 8; ++b)
            map[static_cast<std::size_t>(p.tmemAddress + 8 * e + b)] = Cell::PaletteEntry(e, b / 2);
    return p;
}

} // namespace

Layout LayOut(const std::vector<Level>& texture0, const TileOptions& options, const Material* material) {
    Layout out;
    out.levels = texture0;
    out.texture1From = texture0.size();
    if (material) {
        // Texture 1's tiles follow texture 0's.
        for (Level l : material->levels) {
            l.record = static_cast<int>(out.levels.size());
            out.levels.push_back(l);
        }
    }
    const std::vector<Level>& levels = out.levels;
    const Names names{material ? out.texture1From : static_cast<std::size_t>(-1)};
    std::vector<int> lines, tmems;
    int word = 0, end0 = 0, start1 = 0;
    for (std::size_t i = 0; i < levels.size(); ++i) {
        if (i == out.texture1From) {
            end0 = word;
            start1 = material->tmemWord ? std::clamp(*material->tmemWord, 0, kTmemWords) : word;
            word = start1;
        }
        lines.push_back(LineOf(levels[i]));
        tmems.push_back(word);
        word += lines.back() * std::max(levels[i].height, 0);
    }
    if (!material || levels.size() == out.texture1From) {
        end0 = word;
        start1 = word;
    }
    out.endWord = std::max(word, end0);
    out.texture1Word = start1;
    if (material)
        out.reason = MaterialVerdict(out, *material, end0, start1, word);
    if (!out.reason)
        out.reason = Verdict(levels, lines, out.endWord, names);
    if (!out.reason)
        out.reason = UnloadableLevel(levels, lines, names);
    out.fits = !out.reason;

    const auto split = levels.begin() + static_cast<std::ptrdiff_t>(out.texture1From);
    const bool ci8First = AnyCI8(levels.begin(), split), ci8Second = AnyCI8(split, levels.end());
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const Level& l = levels[i];
        const bool second = i >= out.texture1From;
        const TileOptions& o = second ? material->options : options;

        TileDescriptor d;
        d.tile = l.record;
        d.record = l.record;
        d.kind = l.kind;
        d.fmt = FormatCode(l.kind);
        d.siz = SizeCode(l.kind);
        d.line = lines[i];
        d.tmem = tmems[i];
        d.cms = o.s;
        d.cmt = o.t;
        d.masks = MaskOf(l.width);
        d.maskt = MaskOf(l.height);
        // Levels are sampled at the base's coordinates shifted right by their
        // distance; a detail map with Shift n is read 2^n times as dense,
        // which the shift field writes as 16 - n.
        const int shift =
            l.role == LevelRole::Detail ? (o.detailShift > 0 ? 16 - o.detailShift : 0) : l.distance;
        d.shifts = d.shiftt = shift;
        // Beside CI8 the one palette is all 256 entries, which a CI4 tile
        // indexes from the first.
        if (IsCI4Kind(l.kind) && !(second ? ci8Second : ci8First))
            d.palette = std::clamp(o.palette, 0, kPalettes - 1);
        d.lrs = std::max(l.width - 1, 0) << 2;
        d.lrt = std::max(l.height - 1, 0) << 2;
        d.setTile = words::SetTile(d.fmt, d.siz, d.line, d.tmem, d.tile, d.palette, static_cast<int>(d.cmt),
                                   d.maskt, d.shiftt, static_cast<int>(d.cms), d.masks, d.shifts);
        d.setTileSize = words::Rect(words::kSetTileSize, d.tile, d.uls, d.ult, d.lrs, d.lrt);
        out.tiles.push_back(d);
        out.loads.push_back(PlanLoad(l, tmems[i], lines[i]));
        // Each texture's data is its own array: offsets count from its start.
        long& data = second ? out.dataBytes1 : out.dataBytes;
        out.loads.back().offset = data;
        data += 8L * out.loads.back().wordsPerRow * std::max(l.height, 0);
        if (d.tile == kLoadTile)
            out.notes.push_back("Level " + std::to_string(l.record) +
                                " renders with tile 7, the conventional load tile: load it last, or load "
                                "through another free tile");
    }

    for (std::size_t i = 0; i < levels.size(); ++i)
        detail::DrawLevel(levels[i], tmems[i], lines[i], out.map);
    out.palette = PlacePalette(levels.begin(), split, options.palette, out.dataBytes, out.map);
    if (material) {
        // Two CI4 textures naming one palette share it: texture 1 is drawn
        // with texture 0's colours, loaded once.
        const bool shared = out.palette && out.palette->entries == 16 && !ci8Second &&
                            AnyCI(split, levels.end()) && material->options.palette == options.palette;
        if (shared)
            out.notes.push_back("Texture 0 and texture 1 share palette " + std::to_string(options.palette) +
                                ": texture 1's texels index texture 0's colours");
        else
            out.palette1 =
                PlacePalette(split, levels.end(), material->options.palette, out.dataBytes1, out.map);
    }
    // The halves' fill is what the map draws: a level placed past the lower
    // half and an RGBA32 level's blue and alpha can cover the same bytes.
    for (int a = 0; a < kTmemBytes; ++a)
        if (out.map[static_cast<std::size_t>(a)].use() != CellUse::Free)
            ++(a < kHalfBytes ? out.lowerHalfBytes : out.upperHalfBytes);
    return out;
}

Palette PaletteAt(int entries, int tmemAddress) {
    Palette p;
    p.entries = entries;
    p.tmemAddress = tmemAddress;
    p.loadTileSetTile = words::SetTile(0, 0, 0, tmemAddress / 8, kLoadTile, 0, 0, 0, 0, 0, 0, 0);
    p.loadTlut = words::Rect(words::kLoadTlut, kLoadTile, 0, 0, (entries - 1) << 2, 0);
    return p;
}

ChainLoad WholeChainLoad(const Layout& layout) {
    ChainLoad out;
    if (layout.levels.empty()) {
        out.reason = "there are no levels";
        return out;
    }
    if (layout.material()) {
        out.reason = "a material's two textures are two arrays, loaded one by one";
        return out;
    }
    const std::size_t wide = static_cast<std::size_t>(std::count_if(
        layout.levels.begin(), layout.levels.end(), [](const Level& l) { return l.kind == Kind::RGBA32; }));
    if (wide != 0 && wide != layout.levels.size()) {
        out.reason = "RGBA32 levels and levels of another size cannot share one block";
        return out;
    }
    // Each TMEM word is one 8-byte unit of the data in 16-bit loads, and two
    // (one for each half) in 32-bit ones.
    const int unit = wide != 0 ? 4 : 2;
    out.bytes = 8L * layout.endWord * (wide != 0 ? 2 : 1);
    LoadPlan p;
    p.record = layout.levels.front().record;
    p.texels = out.bytes / unit;
    p.rows = 1;
    if (p.texels > 2048) {
        out.reason = std::to_string(p.texels) + " texels, a block carries at most 2048";
        return out;
    }
    p.block = true;
    p.dxt = 0;
    p.loadSiz = wide != 0 ? 3 : 2;
    p.loadWidth = 1;
    p.imageWidth = 1;
    const int fmt = FormatCode(layout.levels.front().kind);
    p.loadTileSetTile = words::SetTile(fmt, p.loadSiz, 0, 0, kLoadTile, 0, 0, 0, 0, 0, 0, 0);
    p.load = words::Rect(words::kLoadBlock, kLoadTile, 0, 0, static_cast<int>(p.texels - 1), 0);
    out.plan = p;
    return out;
}

} // namespace vellora::hw
