// SPDX-License-Identifier: MIT
#include "verify.h"

#include "reduce/texturedata.h"

#include <algorithm>
#include <cstdio>

namespace vellora::verify {

namespace {

std::string Hex(const rdp::Rgba8& c) {
    char text[10];
    std::snprintf(text, sizeof text, "#%02X%02X%02X%02X", c.r, c.g, c.b, c.a);
    return text;
}

rdp::Rgba8 FromArray(const std::array<std::uint8_t, 4>& c) {
    return {c[0], c[1], c[2], c[3]};
}

// Bytes a run puts in RDRAM at an address before the words run.
struct Placed {
    std::size_t address = 0;
    std::vector<std::uint8_t> bytes;
};

// A level of the layout with the texture whose palette its texels index.
struct LevelSource {
    const reduce::ReducedLevel* level = nullptr;
    const reduce::ReducedTexture* texture = nullptr;
};

// Runs the words over RDRAM holding exactly the placed bytes (a load that
// reads past them fails instead of reading zeros that might happen to
// match) and compares every texel of every level with what it holds.
template <class Source>
Result Run(const hw::Layout& layout, const std::vector<hw::Command>& list, const std::vector<Placed>& ram,
           const Source& sourceOf) {
    Result result;
    std::size_t size = 8;
    for (const Placed& p : ram)
        size = std::max(size, p.address + p.bytes.size());
    rdp::Rdp rdp(size);
    for (const Placed& p : ram)
        std::copy(p.bytes.begin(), p.bytes.end(),
                  rdp.rdram().begin() + static_cast<std::ptrdiff_t>(p.address));
    std::vector<std::uint64_t> words;
    words.reserve(list.size());
    for (const hw::Command& c : list)
        words.push_back(c.word);
    try {
        rdp.run(words);
    } catch (const rdp::Error& e) {
        result.error = e.what();
        return result;
    }
    const std::optional<hw::Palette>& lut = layout.palette ? layout.palette : layout.palette1;
    const rdp::TlutMode tlut = !lut        ? rdp::TlutMode::None
                               : lut->ia16 ? rdp::TlutMode::Ia16
                                           : rdp::TlutMode::Rgba16;
    for (std::size_t i = 0; i < layout.levels.size() && i < layout.tiles.size(); ++i) {
        const LevelSource source = sourceOf(i);
        if (source.level == nullptr)
            break;
        const reduce::ReducedLevel& level = *source.level;
        const int tile = layout.tiles[i].tile;
        // Levels below the base are read at the base's coordinates, so the
        // tile's shift is part of what is proved; the detail map's shift
        // makes it denser, and its texels are read where they lie.
        const int up = level.role == LevelRole::Detail ? 0 : level.distance;
        for (int t = 0; t < level.height; ++t) {
            for (int s = 0; s < level.width; ++s) {
                const std::uint32_t value =
                    level.texels[static_cast<std::size_t>(t) * static_cast<std::size_t>(level.width) +
                                 static_cast<std::size_t>(s)];
                const rdp::Rgba8 expected = ExpectedTexel(level, value, *source.texture);
                rdp::Rgba8 read;
                try {
                    read = level.role == LevelRole::Detail ? rdp.texelAt(tile, s, t, tlut)
                                                           : rdp.fetch(tile, s << up, t << up, tlut);
                } catch (const rdp::Error& e) {
                    result.error = e.what();
                    return result;
                }
                ++result.texels;
                if (!(read == expected)) {
                    result.first =
                        Mismatch{layout.levels[i].record, level.role, level.distance, s, t, expected, read};
                    return result;
                }
            }
        }
    }
    return result;
}

// A single texture's data from address 0 and its palette at its offset.
std::vector<Placed> TextureRam(const hw::Layout& layout, const reduce::ReducedTexture& texture,
                               std::vector<std::uint8_t> data, long paletteOffset) {
    std::vector<Placed> ram;
    ram.push_back({0, std::move(data)});
    if (layout.palette)
        ram.push_back({static_cast<std::size_t>(paletteOffset), reduce::PaletteBytes(texture)});
    return ram;
}

// The levels of one texture, in order.
auto LevelsOf(const reduce::ReducedTexture& texture) {
    return [&texture](std::size_t i) {
        return i < texture.levels.size() ? LevelSource{&texture.levels[i], &texture} : LevelSource{};
    };
}

reduce::ReducedTexture Pattern(const std::vector<hw::Level>& levels,
                               const std::optional<hw::Palette>& palette, std::uint16_t salt) {
    reduce::ReducedTexture texture;
    if (palette) {
        // 256 distinct 16-bit colours: distinct colours read back distinct.
        for (int i = 0; i < palette->entries; ++i)
            texture.palette.push_back(static_cast<std::uint16_t>((i * 0x0101) ^ salt));
    }
    for (const hw::Level& l : levels) {
        reduce::ReducedLevel r;
        r.record = l.record;
        r.role = l.role;
        r.distance = l.distance;
        r.kind = l.kind;
        r.width = std::max(l.width, 0);
        r.height = std::max(l.height, 0);
        const int bits = hw::BitsOf(l.kind);
        const std::uint32_t mask = bits == 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
        r.texels.resize(static_cast<std::size_t>(r.width) * static_cast<std::size_t>(r.height));
        std::size_t i = 0;
        for (int t = 0; t < r.height; ++t) {
            for (int s = 0; s < r.width; ++s, ++i) {
                // A multiplicative hash of where the texel is: its low bits
                // change with s, t and the level alike.
                std::uint32_t h = static_cast<std::uint32_t>(s) * 0x9E3779B1u ^
                                  static_cast<std::uint32_t>(t) * 0x85EBCA77u ^
                                  static_cast<std::uint32_t>(l.record + 1) * 0xC2B2AE3Du;
                h ^= h >> 15;
                h *= 0x2C1B3C6Du;
                h ^= h >> 12;
                r.texels[i] = h & mask;
            }
        }
        texture.levels.push_back(std::move(r));
    }
    return texture;
}

} // namespace

std::string Result::describe() const {
    if (error)
        return "the RDP model stopped: " + *error;
    if (!first)
        return std::string();
    const Mismatch& m = *first;
    const std::string level = m.role == LevelRole::Detail ? "the detail map"
                              : m.role == LevelRole::Base ? "the base"
                                                          : "level " + std::to_string(m.record);
    return level + ", texel (" + std::to_string(m.s) + ", " + std::to_string(m.t) + "): expected " +
           Hex(m.expected) + ", read " + Hex(m.read);
}

rdp::Rgba8 ExpectedTexel(const reduce::ReducedLevel& level, std::uint32_t value,
                         const reduce::ReducedTexture& texture) {
    if (!IsCI(RowOf(level.kind)))
        return FromArray(reduce::Expand(level.kind, value));
    // Entries past the palette's colours are the zeros the export pads with.
    const std::uint16_t entry = value < texture.palette.size() ? texture.palette[value] : 0;
    return FromArray(HasIa16Palette(level.kind) ? reduce::ExpandIa16(entry) : reduce::ExpandRgba16(entry));
}

Result VerifyLoads(const hw::Layout& layout, const reduce::ReducedTexture& texture) {
    return Run(layout, hw::LoadCommands(layout),
               TextureRam(layout, texture, reduce::TextureBytes(texture, {}),
                          layout.palette ? layout.palette->offset : 0),
               LevelsOf(texture));
}

Result VerifyMaterial(const hw::Layout& layout, const reduce::ReducedTexture& texture0,
                      const reduce::ReducedTexture& texture1) {
    std::vector<Placed> ram = TextureRam(layout, texture0, reduce::TextureBytes(texture0, {}),
                                         layout.palette ? layout.palette->offset : 0);
    const std::size_t base1 = hw::Texture1Base(layout, {});
    ram.push_back({base1, reduce::TextureBytes(texture1, {})});
    if (layout.palette1)
        ram.push_back(
            {base1 + static_cast<std::size_t>(layout.palette1->offset), reduce::PaletteBytes(texture1)});
    // Texture 1's texels index texture 0's colours when the two share a palette.
    const reduce::ReducedTexture& colours1 = layout.palette1 ? texture1 : texture0;
    const std::size_t from = layout.texture1From;
    return Run(layout, hw::LoadCommands(layout), ram, [&](std::size_t i) {
        if (i < from)
            return i < texture0.levels.size() ? LevelSource{&texture0.levels[i], &texture0} : LevelSource{};
        return i - from < texture1.levels.size() ? LevelSource{&texture1.levels[i - from], &colours1}
                                                 : LevelSource{};
    });
}

std::optional<Result> VerifyWholeChain(const hw::Layout& layout, const reduce::ReducedTexture& texture) {
    const std::vector<hw::Command> list = hw::WholeChainCommands(layout);
    if (list.empty())
        return std::nullopt;
    reduce::ExportOptions whole;
    whole.wholeChain = true;
    std::vector<std::uint8_t> data = reduce::TextureBytes(texture, whole);
    const long paletteOffset = static_cast<long>((data.size() + 7) / 8 * 8);
    return Run(layout, list, TextureRam(layout, texture, std::move(data), paletteOffset), LevelsOf(texture));
}

Result VerifyPieces(const hw::PiecePlan& plan, const reduce::ReducedTexture& texture) {
    Result result;
    if (plan.refused || texture.levels.empty()) {
        result.error = plan.refused.value_or("there is no picture");
        return result;
    }
    const reduce::ReducedLevel& level = texture.levels.front();
    const std::vector<std::uint8_t> data = reduce::LevelBytes(level, {});
    const std::vector<std::uint8_t> palette =
        plan.palette ? reduce::PaletteBytes(texture) : std::vector<std::uint8_t>{};
    const std::size_t paletteOffset = plan.palette ? static_cast<std::size_t>(plan.palette->offset) : 0;
    rdp::Rdp rdp(std::max<std::size_t>({data.size(), paletteOffset + palette.size(), 8}));
    std::copy(data.begin(), data.end(), rdp.rdram().begin());
    std::copy(palette.begin(), palette.end(),
              rdp.rdram().begin() + static_cast<std::ptrdiff_t>(paletteOffset));
    const rdp::TlutMode tlut = !plan.palette        ? rdp::TlutMode::None
                               : plan.palette->ia16 ? rdp::TlutMode::Ia16
                                                    : rdp::TlutMode::Rgba16;

    // The printed list itself, run up to each piece's rectangle (drawing
    // needs a colour image; the read-back is the proof of the load).
    const std::vector<hw::Command> list = hw::PieceCommands(plan);
    std::vector<std::uint64_t> words;
    std::size_t piece = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].name != "TextureRectangle") {
            words.push_back(list[i].word);
            continue;
        }
        ++i; // the rectangle's second word
        try {
            rdp.run(words);
        } catch (const rdp::Error& e) {
            result.error = e.what();
            return result;
        }
        words.clear();
        const hw::Piece& p = plan.pieces.at(piece++);
        for (int t = p.y; t < p.y + p.height; ++t) {
            for (int s = p.x; s < p.x + p.width; ++s) {
                const std::uint32_t value =
                    level.texels[static_cast<std::size_t>(t) * static_cast<std::size_t>(level.width) +
                                 static_cast<std::size_t>(s)];
                const rdp::Rgba8 read = rdp.fetch(0, s, t, tlut);
                const rdp::Rgba8 expected = ExpectedTexel(level, value, texture);
                ++result.texels;
                if (!(read == expected)) {
                    result.first = Mismatch{level.record, level.role, 0, s, t, expected, read};
                    return result;
                }
            }
        }
    }
    if (piece != plan.pieces.size())
        result.error = "the list drew " + std::to_string(piece) + " of " +
                       std::to_string(plan.pieces.size()) + " pieces";
    return result;
}

reduce::ReducedTexture PatternTexture(const hw::Layout& layout) {
    return Pattern(layout.levels, layout.palette, 0x5AA5);
}

Result VerifyPlan(const hw::Layout& layout) {
    if (!layout.material())
        return VerifyLoads(layout, PatternTexture(layout));
    const auto split = layout.levels.begin() + static_cast<std::ptrdiff_t>(layout.texture1From);
    // Another palette for texture 1, so that one read through the wrong
    // palette shows.
    return VerifyMaterial(layout, Pattern({layout.levels.begin(), split}, layout.palette, 0x5AA5),
                          Pattern({split, layout.levels.end()}, layout.palette1, 0x3C96));
}

} // namespace vellora::verify
