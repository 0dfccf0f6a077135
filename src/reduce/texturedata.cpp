// SPDX-License-Identifier: MIT
#include "texturedata.h"

#include "bitmap/picturefile.h"
#include "bitmap/pngwriter.h"
#include "hardware/gbi.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace vellora::reduce {

namespace {

std::size_t RowBytes(const ReducedLevel& level, const ExportOptions& options) {
    const std::size_t bits = static_cast<std::size_t>(hw::BitsOf(level.kind));
    const std::size_t bytes = (static_cast<std::size_t>(std::max(level.width, 0)) * bits + 7) / 8;
    const std::size_t unit = level.kind == Kind::RGBA32 && options.wholeChain ? 16 : 8;
    return std::max<std::size_t>((bytes + unit - 1) / unit * unit, unit);
}

// "0x" and digits upper-case hex digits, appended; a texture's C file has
// hundreds of thousands of them.
void AppendHex(std::string& text, unsigned value, int digits) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    text += "0x";
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        text += kDigits[(value >> shift) & 15u];
}

std::string RoleName(const ReducedLevel& level) {
    switch (level.role) {
    case LevelRole::Detail:
        return "detail";
    case LevelRole::Base:
        return "base";
    case LevelRole::Mip:
        break;
    }
    return "level" + std::to_string(level.distance);
}

const char* CmText(hw::AxisMode mode) {
    switch (mode) {
    case hw::AxisMode::Mirror:
        return "mirror";
    case hw::AxisMode::Clamp:
        return "clamp";
    case hw::AxisMode::Wrap:
        break;
    }
    return "wrap";
}

// The comment lines that say what a level is and how the RDP is set up for it.
std::string LevelComment(const ReducedLevel& level, const hw::Layout& layout, std::size_t rowBytes,
                         bool ownLoad) {
    std::string text = " * " + RoleName(level) + ": " + std::string(KindName(level.kind)) + " " +
                       std::to_string(level.width) + " x " + std::to_string(level.height) + ", " +
                       std::to_string(rowBytes) + " bytes a row\n";
    for (std::size_t i = 0; i < layout.levels.size() && i < layout.tiles.size(); ++i) {
        if (layout.levels[i].record != level.record)
            continue;
        const hw::TileDescriptor& d = layout.tiles[i];
        text += " *   tile " + std::to_string(d.tile) + ": line " + std::to_string(d.line) + ", tmem " +
                std::to_string(d.tmem) + ", palette " + std::to_string(d.palette) + ", cms " + CmText(d.cms) +
                ", masks " + std::to_string(d.masks) + ", shifts " + std::to_string(d.shifts) + ", cmt " +
                CmText(d.cmt) + ", maskt " + std::to_string(d.maskt) + ", shiftt " +
                std::to_string(d.shiftt) + "\n *   SetTile " + hw::HexWord(d.setTile) + ", SetTileSize " +
                hw::HexWord(d.setTileSize) + "\n";
        if (ownLoad && i < layout.loads.size()) {
            const hw::LoadPlan& p = layout.loads[i];
            text +=
                p.block
                    ? " *   LoadBlock" + (p.dxt ? ", dxt " + std::to_string(*p.dxt) : std::string()) + "\n"
                    : " *   LoadTile, image width " + std::to_string(p.imageWidth) + ": " + p.reason + "\n";
        }
    }
    return text;
}

// An array of the bytes, as 16-bit values when every texel is 16 bits.
std::string ArrayText(std::string_view name, const std::vector<std::uint8_t>& bytes, bool wide) {
    std::string text = std::string("static const ") + (wide ? "uint16_t " : "uint8_t ") + std::string(name) +
                       "[] __attribute__((aligned(8), unused)) = {";
    const std::size_t step = wide ? 2 : 1;
    const std::size_t perLine = wide ? 12 : 16;
    text.reserve(text.size() + bytes.size() / step * (wide ? 8 : 6) + 16);
    for (std::size_t i = 0, n = 0; i + step <= bytes.size(); i += step, ++n) {
        text += n % perLine == 0 ? "\n    " : " ";
        if (wide)
            AppendHex(text, static_cast<unsigned>(bytes[i]) << 8 | bytes[i + 1], 4);
        else
            AppendHex(text, bytes[i], 2);
        text += ',';
    }
    text += "\n};\n";
    return text;
}

bool Wide(Kind kind) {
    return kind == Kind::RGBA16 || kind == Kind::IA16;
}

bool IsI(Kind kind) {
    return kind == Kind::I4 || kind == Kind::I8;
}
bool IsIa(Kind kind) {
    return kind == Kind::IA4 || kind == Kind::IA8 || kind == Kind::IA16;
}
bool IsCi(Kind kind) {
    return IsCIKind(kind);
}

} // namespace

std::optional<TextureFileType> TextureFileTypeOf(std::string_view path) {
    if (HasExtension(path, ".bin"))
        return TextureFileType::Binary;
    if (HasExtension(path, ".c"))
        return TextureFileType::CSource;
    if (HasExtension(path, ".h"))
        return TextureFileType::CHeader;
    if (HasExtension(path, ".png"))
        return TextureFileType::Png;
    return std::nullopt;
}

std::string PaletteFileName(std::string_view path) {
    std::filesystem::path p(path);
    const std::string ext = p.extension().string();
    p.replace_extension();
    return p.string() + ".pal" + ext;
}

std::string ArrayName(std::string_view path) {
    std::string name = std::filesystem::path(path).filename().string();
    if (const auto dot = name.rfind('.'); dot != std::string::npos && dot > 0)
        name.erase(dot);
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_')
            c = '_';
    }
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0])) != 0)
        name.insert(0, "tex_");
    return name;
}

std::vector<std::uint8_t> LevelBytes(const ReducedLevel& level, const ExportOptions& options) {
    const std::size_t rowBytes = RowBytes(level, options);
    const int width = std::max(level.width, 0), height = std::max(level.height, 0);
    std::vector<std::uint8_t> out(rowBytes * static_cast<std::size_t>(height), 0);
    // The unit the RDP swaps on odd rows is a 32-bit TMEM word; an RGBA32
    // texel splits into halves, so one such word holds two texels = 8 bytes here.
    const std::size_t swapUnit = level.kind == Kind::RGBA32 ? 8 : 4;
    const int bits = hw::BitsOf(level.kind);
    const std::size_t w = static_cast<std::size_t>(width);
    for (int t = 0; t < height; ++t) {
        std::uint8_t* row = out.data() + rowBytes * static_cast<std::size_t>(t);
        const std::uint32_t* texels = level.texels.data() + static_cast<std::size_t>(t) * w;
        switch (bits) {
        case 4:
            for (std::size_t i = 0; i < w; ++i)
                row[i / 2] |= static_cast<std::uint8_t>((texels[i] & 15u) << ((i & 1) == 0 ? 4 : 0));
            break;
        case 8:
            for (std::size_t i = 0; i < w; ++i)
                row[i] = static_cast<std::uint8_t>(texels[i]);
            break;
        case 16:
            for (std::size_t i = 0; i < w; ++i) {
                row[2 * i] = static_cast<std::uint8_t>(texels[i] >> 8);
                row[2 * i + 1] = static_cast<std::uint8_t>(texels[i]);
            }
            break;
        default:
            for (std::size_t i = 0; i < w; ++i)
                for (std::size_t k = 0; k < 4; ++k)
                    row[4 * i + k] = static_cast<std::uint8_t>(texels[i] >> (24 - 8 * k));
            break;
        }
        if (options.wholeChain && (t & 1) == 1) {
            for (std::size_t at = 0; at + 2 * swapUnit <= rowBytes; at += 2 * swapUnit)
                std::swap_ranges(row + at, row + at + swapUnit, row + at + swapUnit);
        }
    }
    return out;
}

std::vector<std::uint8_t> TextureBytes(const ReducedTexture& texture, const ExportOptions& options) {
    std::vector<std::uint8_t> out;
    for (const ReducedLevel& level : texture.levels) {
        const std::vector<std::uint8_t> bytes = LevelBytes(level, options);
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    return out;
}

std::size_t TextureByteCount(const ReducedTexture& texture, const ExportOptions& options) {
    std::size_t bytes = 0;
    for (const ReducedLevel& level : texture.levels)
        bytes += RowBytes(level, options) * static_cast<std::size_t>(std::max(level.height, 0));
    return bytes;
}

std::size_t PaletteEntries(const ReducedTexture& texture) {
    const bool ci = std::any_of(texture.levels.begin(), texture.levels.end(),
                                [](const ReducedLevel& l) { return IsCi(l.kind); });
    if (texture.palette.empty() || !ci)
        return 0;
    const bool ci8 = std::any_of(texture.levels.begin(), texture.levels.end(),
                                 [](const ReducedLevel& l) { return IsCI8Kind(l.kind); });
    return ci8 ? 256 : 16;
}

std::vector<std::uint8_t> PaletteBytes(const ReducedTexture& texture) {
    // LoadTLUT always reads a whole palette: the entries past the colours
    // are zero, so the load never reads past the data.
    std::vector<std::uint8_t> out(2 * PaletteEntries(texture), 0);
    for (std::size_t i = 0; i < texture.palette.size() && 2 * i + 1 < out.size(); ++i) {
        out[2 * i] = static_cast<std::uint8_t>(texture.palette[i] >> 8);
        out[2 * i + 1] = static_cast<std::uint8_t>(texture.palette[i]);
    }
    return out;
}

std::string TextureSource(const ReducedTexture& texture, const hw::Layout& layout, std::string_view fileName,
                          bool header, const ExportOptions& options) {
    // The arrays take the texture's name where one is given, as the
    // display list does; the include guard stays the file's.
    const std::string_view name = options.name.empty() ? fileName : std::string_view(options.name);
    std::string text =
        "/* " + std::string(name) + ": texture data as the RDP loads it, 16-bit texels high byte first";
    text += options.wholeChain
                ? ",\n * one LoadBlock (dxt 0) for the whole chain: odd rows stored word-swapped.\n"
                : ".\n";
    text += layout.fits ? " * It fits in TMEM.\n"
                        : " * It does not fit in TMEM: " + layout.reason.value_or("") + "\n";
    text += " */\n";
    std::string guard;
    if (header) {
        for (char c : std::string(fileName))
            guard += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        guard += "_H";
        text += "#ifndef " + guard + "\n#define " + guard + "\n";
    }
    text += "\n#include <stdint.h>\n";

    if (options.wholeChain) {
        std::string comment = "\n/* The whole chain in TMEM order:\n";
        bool wide = !texture.levels.empty();
        for (const ReducedLevel& level : texture.levels) {
            comment += LevelComment(level, layout, RowBytes(level, options), false);
            wide = wide && Wide(level.kind);
        }
        text += comment + " */\n" + ArrayText(hw::ChainName(name), TextureBytes(texture, options), wide);
    } else {
        for (const ReducedLevel& level : texture.levels) {
            text += "\n/*\n" + LevelComment(level, layout, RowBytes(level, options), true) + " */\n";
            text += ArrayText(hw::ImageName(name, level.role, level.distance), LevelBytes(level, options),
                              Wide(level.kind));
        }
    }
    if (!texture.palette.empty()) {
        const bool ia16 = std::any_of(texture.levels.begin(), texture.levels.end(),
                                      [](const ReducedLevel& l) { return HasIa16Palette(l.kind); });
        text += "\n/* The palette (TLUT): " + std::to_string(texture.palette.size()) +
                (ia16 ? " IA16 colours" : " RGBA16 colours");
        if (texture.palette.size() < PaletteEntries(texture))
            text += " and " + std::to_string(PaletteEntries(texture) - texture.palette.size()) +
                    " unused entries, as LoadTLUT reads " + std::to_string(PaletteEntries(texture));
        if (texture.quantized)
            text += ", quantized from " + std::to_string(texture.colours);
        text += " */\n" + ArrayText(hw::PaletteName(name), PaletteBytes(texture), true);
    }
    if (header)
        text += "\n#endif /* " + guard + " */\n";
    return text;
}

std::vector<std::uint8_t> TexturePng(const ReducedTexture& texture) {
    int width = 0, height = 0;
    bool allCi = !texture.levels.empty() && !texture.palette.empty(), allI = !texture.levels.empty(),
         allGrey = allI;
    for (const ReducedLevel& level : texture.levels) {
        width += std::max(level.width, 0);
        height = std::max(height, level.height);
        allCi = allCi && IsCi(level.kind);
        allI = allI && IsI(level.kind);
        allGrey = allGrey && (IsI(level.kind) || IsIa(level.kind));
    }
    const int channels = allCi ? 1 : allI ? 1 : allGrey ? 2 : 4;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                                         static_cast<std::size_t>(channels),
                                     0);
    int left = 0;
    for (const ReducedLevel& level : texture.levels) {
        for (int t = 0; t < level.height; ++t) {
            for (int s = 0; s < level.width; ++s) {
                const std::uint32_t v =
                    level.texels[static_cast<std::size_t>(t) * static_cast<std::size_t>(level.width) +
                                 static_cast<std::size_t>(s)];
                std::uint8_t* px =
                    pixels.data() + (static_cast<std::size_t>(t) * static_cast<std::size_t>(width) +
                                     static_cast<std::size_t>(left + s)) *
                                        static_cast<std::size_t>(channels);
                if (allCi) {
                    px[0] = static_cast<std::uint8_t>(v);
                    continue;
                }
                const std::array<std::uint8_t, 4> c =
                    IsCi(level.kind)
                        ? (v < texture.palette.size() ? ExpandEntry(level.kind, texture.palette[v])
                                                      : std::array<std::uint8_t, 4>{})
                        : Expand(level.kind, v);
                if (channels == 1) {
                    px[0] = c[0];
                } else if (channels == 2) {
                    px[0] = c[0];
                    px[1] = IsI(level.kind) ? 255 : c[3];
                } else {
                    std::copy(c.begin(), c.end(), px);
                    if (IsI(level.kind))
                        px[3] = 255;
                }
            }
        }
        left += std::max(level.width, 0);
    }
    if (!allCi)
        return EncodePng(width, height, channels, pixels);
    std::vector<std::uint32_t> palette;
    const Kind kind = texture.levels.front().kind;
    for (std::uint16_t c : texture.palette) {
        const std::array<std::uint8_t, 4> e = ExpandEntry(kind, c);
        palette.push_back(std::uint32_t{e[0]} << 24 | std::uint32_t{e[1]} << 16 | std::uint32_t{e[2]} << 8 |
                          e[3]);
    }
    return EncodeIndexedPng(width, height, pixels, palette);
}

std::vector<ExportFile> ExportTexture(const ReducedTexture& texture, const hw::Layout& layout,
                                      const std::string& path, const ExportOptions& options) {
    const std::optional<TextureFileType> type = TextureFileTypeOf(path);
    if (!type)
        return {};
    std::vector<ExportFile> files;
    switch (*type) {
    case TextureFileType::Binary:
        files.push_back({path, TextureBytes(texture, options)});
        if (!texture.palette.empty())
            files.push_back({PaletteFileName(path), PaletteBytes(texture)});
        break;
    case TextureFileType::CSource:
    case TextureFileType::CHeader: {
        const std::string text =
            TextureSource(texture, layout, ArrayName(path), *type == TextureFileType::CHeader, options);
        files.push_back({path, std::vector<std::uint8_t>(text.begin(), text.end())});
        break;
    }
    case TextureFileType::Png:
        files.push_back({path, TexturePng(texture)});
        break;
    }
    return files;
}

} // namespace vellora::reduce
