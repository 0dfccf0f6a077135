// SPDX-License-Identifier: MIT
#pragma once

#include "layout.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellora::hw {

// 16 upper-case hex digits.
std::string HexWord(std::uint64_t word);

// Where the exported data lies when the RDP reads it: the levels one after
// another from imageBase (each level at its offset in the exported .bin),
// the palette right after them, 8-byte aligned.
struct EmitOptions {
    std::uint32_t imageBase = 0;
    std::string name = "texture"; // the arrays' prefix: texture_base, texture_pal, ...
    // A material's texture 1: its arrays' prefix, and where its data lies
    // (none: after texture 0's data and palette, 8-byte aligned).
    std::string texture1Name = "texture1";
    std::optional<std::uint32_t> texture1Base = std::nullopt;
};
// Where texture 1's data starts in RDRAM.
std::uint32_t Texture1Base(const Layout& layout, const EmitOptions& options);

// The one naming of a texture's arrays, shared by the display list, the
// command words and the exported C: NAME_base, NAME_level1, NAME_detail,
// NAME_pal and NAME_chain.
std::string ImageName(std::string_view name, LevelRole role, int distance);
std::string PaletteName(std::string_view name);
std::string ChainName(std::string_view name);
inline constexpr std::uint32_t kMaxImageAddress = 0x00FFFFFF; // the 24 bits of RDRAM the RDP addresses

// One RDP command of the load list: its word, its name and what it does.
struct Command {
    std::uint64_t word = 0;
    std::string name; // "SetTextureImage", "LoadBlock", ...
    std::string what;
};

// The commands that load the palette and every level and set up its render
// tile, in display-list order: each load's SetTextureImage, load tile,
// syncs and load, then the render tile. The words are made even for a
// layout that does not fit, with every field cut to its bits as the RDP
// would take it, so that a model can show what such a list does.
std::vector<Command> LoadCommands(const Layout& layout, const EmitOptions& options = {});

// The same with one LoadBlock for the whole chain (WholeChainLoad) in place
// of the loads of each level; empty when no single block can carry them.
std::vector<Command> WholeChainCommands(const Layout& layout, const EmitOptions& options = {});

// The render state and the loads as display-list macros, ready to paste.
// Images are named as ImageName names them, from options.name. A texture
// that does not fit gets one comment saying why instead.
std::string DisplayList(const Layout& layout, const EmitOptions& options = {});

// The load commands as 64-bit words, one a line with what each does; a
// texture that does not fit gets one line saying why instead.
std::string CommandWords(const Layout& layout, const EmitOptions& options = {});

// What a display list says when the texture cannot be loaded.
std::string NoListLine(const Layout& layout);

} // namespace vellora::hw
