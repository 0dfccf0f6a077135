// SPDX-License-Identifier: MIT
#include "gbi.h"

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

std::string ImageName(const Level& level) {
    switch (level.role) {
    case LevelRole::Detail:
        return "detail_image";
    case LevelRole::Base:
        return "base_image";
    case LevelRole::Mip:
        break;
    }
    return "level" + std::to_string(level.distance) + "_image";
}

std::string Caption(const Level& level) {
    std::string role = level.role == LevelRole::Detail ? "detail map"
                       : level.role == LevelRole::Base ? "base"
                                                       : "level " + std::to_string(level.distance);
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

std::string DisplayList(const Layout& layout) {
    std::ostringstream out;
    if (layout.palette) {
        out << "/* palette: " << layout.palette->entries << " RGBA16 colours at 0x800 */\n";
        if (layout.palette->entries == 16)
            out << "gsDPLoadTLUT_pal16(0, palette),\n";
        else
            out << "gsDPLoadTLUT_pal256(palette),\n";
    }
    for (std::size_t i = 0; i < layout.levels.size(); ++i) {
        const Level& l = layout.levels[i];
        const TileDescriptor& d = layout.tiles[i];
        const LoadPlan& p = layout.loads[i];
        out << "/* " << Caption(l) << " */\n";
        out << "gsDPSetTextureImage(" << kFmtNames[static_cast<std::size_t>(d.fmt)] << ", "
            << kSizNames[static_cast<std::size_t>(p.loadSiz)] << ", " << (p.block ? 1 : p.loadWidth) << ", "
            << ImageName(l) << "),\n";
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

std::string CommandWords(const Layout& layout) {
    std::ostringstream out;
    if (layout.palette) {
        out << HexWord(layout.palette->loadTileSetTile) << "  SetTile    load tile for the palette\n";
        out << HexWord(layout.palette->loadTlut) << "  LoadTLUT   " << layout.palette->entries
            << " colours\n";
    }
    for (std::size_t i = 0; i < layout.levels.size(); ++i) {
        const Level& l = layout.levels[i];
        const TileDescriptor& d = layout.tiles[i];
        const LoadPlan& p = layout.loads[i];
        out << HexWord(p.loadTileSetTile) << "  SetTile    load tile for " << Caption(l) << "\n";
        out << HexWord(p.load) << (p.block ? "  LoadBlock  " : "  LoadTile   ") << Caption(l) << "\n";
        out << HexWord(d.setTile) << "  SetTile    " << Caption(l) << "\n";
        out << HexWord(d.setTileSize) << "  SetTileSize " << Caption(l) << "\n";
    }
    return out.str();
}

} // namespace vellora::hw
