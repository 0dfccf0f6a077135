// SPDX-License-Identifier: MIT
#include "gbi.h"

#include "pieces.h"
#include "words.h"

#include <algorithm>
#include <array>
#include <sstream>

namespace vellora::hw {

namespace {

constexpr std::array<const char*, 5> kFmtNames = {"G_IM_FMT_RGBA", "G_IM_FMT_YUV", "G_IM_FMT_CI",
                                                  "G_IM_FMT_IA", "G_IM_FMT_I"};
constexpr std::array<const char*, 4> kSizNames = {"G_IM_SIZ_4b", "G_IM_SIZ_8b", "G_IM_SIZ_16b",
                                                  "G_IM_SIZ_32b"};

const char* CmName(AxisMode mode) {
    switch (mode) {
    case AxisMode::Mirror:
        return "G_TX_MIRROR";
    case AxisMode::Clamp:
        return "G_TX_CLAMP";
    case AxisMode::Wrap:
        break;
    }
    return "G_TX_WRAP";
}

bool HasDetail(const Layout& layout) {
    return std::any_of(layout.levels.begin(), layout.levels.end(),
                       [](const Level& l) { return l.role == LevelRole::Detail; });
}

// Texture 0's levels below the detail map: the chain LOD walks.
int ChainLevels(const Layout& layout) {
    return static_cast<int>(std::count_if(
        layout.levels.begin(), layout.levels.begin() + static_cast<std::ptrdiff_t>(layout.texture1From),
        [](const Level& l) { return l.role != LevelRole::Detail; }));
}

// The array a level is loaded from: texture 1's levels have their own.
std::string ImageOf(const Layout& layout, std::size_t i, const EmitOptions& options) {
    const Level& l = layout.levels[i];
    return hw::ImageName(i >= layout.texture1From ? options.texture1Name : options.name, l.role, l.distance);
}

std::string Caption(const Layout& layout, std::size_t i) {
    const Level& level = layout.levels[i];
    std::string role = level.role == LevelRole::Detail ? "detail map"
                       : level.role == LevelRole::Base ? "base"
                                                       : "level " + std::to_string(level.distance);
    if (i >= layout.texture1From)
        role = "texture 1's " + role;
    return "tile " + std::to_string(level.record) + ": " + role + ", " + std::to_string(level.width) + "x" +
           std::to_string(level.height) + " " + std::string(KindName(level.kind));
}

} // namespace

std::string HexWord(std::uint64_t word) {
    static const char* kHex = "0123456789ABCDEF";
    std::string s(16, '0');
    for (int i = 15; i >= 0; --i, word >>= 4)
        s[static_cast<std::size_t>(i)] = kHex[word & 15];
    return s;
}

namespace {

// The palette's load, as gsDPLoadTLUT_pal16 and _pal256 expand.
template <class Add>
void AddPaletteLoad(const Palette& p, std::uint32_t address, std::string_view name, const Add& add) {
    const std::string what = std::to_string(p.entries) + " palette colours";
    add(words::SetTextureImage(0, 2, 1, address), "SetTextureImage", PaletteName(name) + ": " + what);
    add(words::Sync(words::kTileSync), "TileSync", "");
    add(p.loadTileSetTile, "SetTile", "load tile for the palette");
    add(words::Sync(words::kLoadSync), "LoadSync", "");
    add(p.loadTlut, "LoadTLUT", what);
    add(words::Sync(words::kPipeSync), "PipeSync", "");
}

// One load as gsDPLoadTextureBlock and gsDPLoadTextureTile expand it, up to
// the render tile.
template <class Add>
void AddLoad(const LoadPlan& p, int fmt, std::uint32_t address, const std::string& image,
             const std::string& caption, const Add& add) {
    add(words::SetTextureImage(fmt, p.loadSiz, p.imageWidth, address), "SetTextureImage",
        image + ": " + caption);
    add(p.loadTileSetTile, "SetTile", "load tile for " + caption);
    add(words::Sync(words::kLoadSync), "LoadSync", "");
    add(p.load, p.block ? "LoadBlock" : "LoadTile", caption);
    add(words::Sync(words::kPipeSync), "PipeSync", "");
}

template <class Add> void AddRenderTile(const TileDescriptor& d, const std::string& caption, const Add& add) {
    add(d.setTile, "SetTile", caption);
    add(d.setTileSize, "SetTileSize", caption);
}

} // namespace

std::vector<Command> LoadCommands(const Layout& layout, const EmitOptions& options) {
    std::vector<Command> list;
    const auto add = [&list](std::uint64_t word, const char* name, std::string what) {
        list.push_back({word, name, std::move(what)});
    };
    const auto address = [&options](long offset) {
        return static_cast<std::uint32_t>(options.imageBase + static_cast<std::uint64_t>(offset));
    };
    const std::uint32_t base1 = Texture1Base(layout, options);
    const auto address1 = [base1](long offset) { return static_cast<std::uint32_t>(base1 + offset); };
    if (layout.palette)
        AddPaletteLoad(*layout.palette, address(layout.palette->offset), options.name, add);
    if (layout.palette1)
        AddPaletteLoad(*layout.palette1, address1(layout.palette1->offset), options.texture1Name, add);
    for (std::size_t i = 0; i < layout.levels.size(); ++i) {
        const std::string caption = Caption(layout, i);
        const long offset = layout.loads[i].offset;
        AddLoad(layout.loads[i], layout.tiles[i].fmt,
                i >= layout.texture1From ? address1(offset) : address(offset), ImageOf(layout, i, options),
                caption, add);
        AddRenderTile(layout.tiles[i], caption, add);
    }
    return list;
}

std::uint32_t Texture1Base(const Layout& layout, const EmitOptions& options) {
    if (options.texture1Base)
        return *options.texture1Base;
    const long end =
        layout.palette ? layout.palette->offset + 2L * layout.palette->entries : layout.dataBytes;
    return static_cast<std::uint32_t>(options.imageBase + static_cast<std::uint64_t>((end + 7) / 8 * 8));
}

std::vector<Command> WholeChainCommands(const Layout& layout, const EmitOptions& options) {
    const ChainLoad chain = WholeChainLoad(layout);
    if (!chain.plan)
        return {};
    std::vector<Command> list;
    const auto add = [&list](std::uint64_t word, const char* name, std::string what) {
        list.push_back({word, name, std::move(what)});
    };
    // The palette follows the chain's data as it follows the levels loaded
    // one by one.
    if (layout.palette)
        AddPaletteLoad(*layout.palette,
                       options.imageBase + static_cast<std::uint32_t>((chain.bytes + 7) / 8 * 8),
                       options.name, add);
    AddLoad(*chain.plan, layout.tiles.front().fmt, options.imageBase, ChainName(options.name),
            "the whole chain", add);
    for (std::size_t i = 0; i < layout.levels.size(); ++i)
        AddRenderTile(layout.tiles[i], Caption(layout, i), add);
    return list;
}

std::string NoListLine(const Layout& layout) {
    return "/* The texture does not fit in TMEM (" + layout.reason.value_or("") +
           "): no commands load it. */\n";
}

std::string ImageName(std::string_view name, LevelRole role, int distance) {
    std::string image(name);
    switch (role) {
    case LevelRole::Detail:
        return image + "_detail";
    case LevelRole::Base:
        return image + "_base";
    case LevelRole::Mip:
        break;
    }
    return image + "_level" + std::to_string(distance);
}

std::string PaletteName(std::string_view name) {
    return std::string(name) + "_pal";
}

std::string ChainName(std::string_view name) {
    return std::string(name) + "_chain";
}

std::string DisplayList(const Layout& layout, const EmitOptions& options) {
    if (!layout.fits)
        return NoListLine(layout);
    std::ostringstream out;
    const std::optional<Palette>& lut = layout.palette ? layout.palette : layout.palette1;
    out << "gsDPSetTextureLUT(" << (lut ? (lut->ia16 ? "G_TT_IA16" : "G_TT_RGBA16") : "G_TT_NONE") << "),\n";
    const int chain = ChainLevels(layout);
    if (chain > 1)
        out << "gsDPSetTextureLOD(G_TL_LOD),\n";
    if (HasDetail(layout))
        out << "gsDPSetTextureDetail(G_TD_DETAIL),\n";
    const int firstTile = layout.levels.empty() ? 0 : layout.levels.front().record;
    out << "gsSPTexture(0xFFFF, 0xFFFF, " << std::max(chain - 1, 0) << ", " << firstTile << ", G_ON),\n";
    const auto paletteLoad = [&out](const Palette& p, const std::string& name) {
        out << "/* palette: " << p.entries << (p.ia16 ? " IA16" : " RGBA16") << " colours at 0x" << std::hex
            << std::uppercase << p.tmemAddress << std::dec << " */\n";
        if (p.entries == 16)
            out << "gsDPLoadTLUT_pal16(" << (p.tmemAddress - kHalfBytes) / 128 << ", " << name << "),\n";
        else
            out << "gsDPLoadTLUT_pal256(" << name << "),\n";
    };
    if (layout.palette)
        paletteLoad(*layout.palette, PaletteName(options.name));
    if (layout.palette1)
        paletteLoad(*layout.palette1, PaletteName(options.texture1Name));
    for (std::size_t i = 0; i < layout.levels.size(); ++i) {
        const TileDescriptor& d = layout.tiles[i];
        const LoadPlan& p = layout.loads[i];
        out << "/* " << Caption(layout, i) << " */\n";
        out << "gsDPSetTextureImage(" << kFmtNames[static_cast<std::size_t>(d.fmt)] << ", "
            << kSizNames[static_cast<std::size_t>(p.loadSiz)] << ", " << p.imageWidth << ", "
            << ImageOf(layout, i, options) << "),\n";
        out << "gsDPSetTile(" << kFmtNames[static_cast<std::size_t>(d.fmt)] << ", "
            << kSizNames[static_cast<std::size_t>(p.loadSiz)] << ", " << (p.block ? 0 : d.line) << ", "
            << d.tmem << ", G_TX_LOADTILE, 0, G_TX_NOMIRROR, 0, G_TX_NOLOD, G_TX_NOMIRROR, 0, G_TX_NOLOD),\n";
        out << "gsDPLoadSync(),\n";
        if (p.block)
            out << "gsDPLoadBlock(G_TX_LOADTILE, 0, 0, " << p.texels - 1 << ", " << *p.dxt << "),\n";
        else
            out << "gsDPLoadTile(G_TX_LOADTILE, 0, 0, " << ((p.loadWidth - 1) << 2) << ", "
                << ((p.rows - 1) << 2) << "), /* " << p.reason << " */\n";
        out << "gsDPPipeSync(),\n";
        out << "gsDPSetTile(" << kFmtNames[static_cast<std::size_t>(d.fmt)] << ", "
            << kSizNames[static_cast<std::size_t>(d.siz)] << ", " << d.line << ", " << d.tmem << ", "
            << d.tile << ", " << d.palette << ", " << CmName(d.cmt) << ", " << d.maskt << ", " << d.shiftt
            << ", " << CmName(d.cms) << ", " << d.masks << ", " << d.shifts << "),\n";
        out << "gsDPSetTileSize(" << d.tile << ", " << d.uls << ", " << d.ult << ", " << d.lrs << ", "
            << d.lrt << "),\n";
    }
    return out.str();
}

std::string CommandWords(const Layout& layout, const EmitOptions& options) {
    if (!layout.fits)
        return NoListLine(layout);
    std::string out;
    for (const Command& c : LoadCommands(layout, options)) {
        out += HexWord(c.word) + "  " + c.name;
        if (!c.what.empty())
            out += std::string(c.name.size() < 15 ? 16 - c.name.size() : 1, ' ') + c.what;
        out += "\n";
    }
    return out;
}

} // namespace vellora::hw

namespace vellora::hw {

namespace {

std::string PieceCaption(const Piece& p, int index) {
    return "piece " + std::to_string(index + 1) + ": texels (" + std::to_string(p.x) + ", " +
           std::to_string(p.y) + ") to (" + std::to_string(p.x + p.width - 1) + ", " +
           std::to_string(p.y + p.height - 1) + ")";
}

} // namespace

std::vector<Command> PieceCommands(const PiecePlan& plan, const PieceOptions& options) {
    std::vector<Command> list;
    if (plan.refused)
        return list;
    const auto add = [&list](std::uint64_t word, const char* name, std::string what) {
        list.push_back({word, name, std::move(what)});
    };
    if (plan.palette)
        AddPaletteLoad(*plan.palette,
                       options.emitted.imageBase + static_cast<std::uint32_t>(plan.palette->offset),
                       options.emitted.name, add);
    const std::string image = ImageName(options.emitted.name, LevelRole::Base, 0);
    for (std::size_t i = 0; i < plan.pieces.size(); ++i) {
        const Piece& p = plan.pieces[i];
        const std::string caption = PieceCaption(p, static_cast<int>(i));
        add(words::SetTextureImage(FormatCode(plan.kind), plan.loadSiz, plan.imageWidth,
                                   options.emitted.imageBase),
            "SetTextureImage", image + ": " + caption);
        add(p.loadTileSetTile, "SetTile", "load tile for " + caption);
        add(words::Sync(words::kLoadSync), "LoadSync", "");
        add(p.loadTile, "LoadTile", caption);
        add(words::Sync(words::kPipeSync), "PipeSync", "");
        add(p.setTile, "SetTile", "render tile for " + caption);
        add(p.setTileSize, "SetTileSize", caption);
        add(p.rectangle[0], "TextureRectangle",
            "draws " + std::to_string(p.drawWidth) + "x" + std::to_string(p.drawHeight) + " at (" +
                std::to_string(p.x) + ", " + std::to_string(p.y) + ")");
        add(p.rectangle[1], "", "");
    }
    return list;
}

std::string PiecesDisplayList(const PiecePlan& plan, const PieceOptions& options) {
    if (plan.refused)
        return "/* The picture cannot be drawn in pieces (" + *plan.refused + "). */\n";
    std::ostringstream out;
    const std::string image = ImageName(options.emitted.name, LevelRole::Base, 0);
    out << "/* " << plan.width << "x" << plan.height << " " << KindName(plan.kind) << " in "
        << plan.pieces.size() << " pieces of up to " << plan.pieceWidth << "x" << plan.pieceHeight
        << " texels" << (plan.overlap ? ", each loading the row and column the next one starts with" : "")
        << " */\n";
    out << "gsDPSetTextureLUT("
        << (plan.palette ? (plan.palette->ia16 ? "G_TT_IA16" : "G_TT_RGBA16") : "G_TT_NONE") << "),\n";
    out << "gsDPSetTexturePersp(G_TP_NONE),\n";
    out << "gsDPSetTextureLOD(G_TL_TILE),\n";
    if (plan.palette) {
        if (plan.palette->entries == 16)
            out << "gsDPLoadTLUT_pal16(0, " << PaletteName(options.emitted.name) << "),\n";
        else
            out << "gsDPLoadTLUT_pal256(" << PaletteName(options.emitted.name) << "),\n";
    }
    const int fmt = FormatCode(plan.kind);
    const int loadSiz = plan.loadSiz;
    for (std::size_t i = 0; i < plan.pieces.size(); ++i) {
        const Piece& p = plan.pieces[i];
        const int first = p.loadFirst, last = p.loadLast;
        out << "/* " << PieceCaption(p, static_cast<int>(i)) << " */\n";
        out << "gsDPSetTextureImage(" << kFmtNames[static_cast<std::size_t>(fmt)] << ", "
            << kSizNames[static_cast<std::size_t>(loadSiz)] << ", " << plan.imageWidth << ", " << image
            << "),\n";
        out << "gsDPSetTile(" << kFmtNames[static_cast<std::size_t>(fmt)] << ", "
            << kSizNames[static_cast<std::size_t>(loadSiz)] << ", " << p.line
            << ", 0, G_TX_LOADTILE, 0, G_TX_NOMIRROR, 0, G_TX_NOLOD, G_TX_NOMIRROR, 0, G_TX_NOLOD),\n";
        out << "gsDPLoadSync(),\n";
        out << "gsDPLoadTile(G_TX_LOADTILE, " << (first << 2) << ", " << (p.y << 2) << ", " << (last << 2)
            << ", " << ((p.y + p.height - 1) << 2) << "),\n";
        out << "gsDPPipeSync(),\n";
        out << "gsDPSetTile(" << kFmtNames[static_cast<std::size_t>(fmt)] << ", "
            << kSizNames[static_cast<std::size_t>(SizeCode(plan.kind))] << ", " << p.line
            << ", 0, G_TX_RENDERTILE, 0, G_TX_CLAMP, 0, G_TX_NOLOD, G_TX_CLAMP, 0, G_TX_NOLOD),\n";
        out << "gsDPSetTileSize(G_TX_RENDERTILE, " << (p.x << 2) << ", " << (p.y << 2) << ", "
            << ((p.x + p.width - 1) << 2) << ", " << ((p.y + p.height - 1) << 2) << "),\n";
        out << "gsSPTextureRectangle(" << (p.x << 2) << ", " << (p.y << 2) << ", "
            << ((p.x + p.drawWidth) << 2) << ", " << ((p.y + p.drawHeight) << 2) << ", G_TX_RENDERTILE, "
            << (p.x << 5) << ", " << (p.y << 5) << ", 1 << 10, 1 << 10),\n";
    }
    return out.str();
}

} // namespace vellora::hw
