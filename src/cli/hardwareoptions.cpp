// SPDX-License-Identifier: MIT
#include "hardwareoptions.h"

#include "report.h"

#include "hardware/gbi.h"

#include <algorithm>
#include <array>
#include <sstream>

namespace vellora::cli {

namespace {

constexpr std::string_view kWrapAllowed = "S,T with each one of wrap, mirror, clamp";
constexpr std::string_view kImageBaseAllowed =
    "an RDRAM address, decimal or 0x hex, a multiple of 8, at most 0xFFFFF8";

std::optional<std::pair<hw::AxisMode, hw::AxisMode>> ParseWrap(std::string_view text) {
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos)
        return std::nullopt;
    auto s = hw::AxisModeFromName(text.substr(0, comma));
    auto t = hw::AxisModeFromName(text.substr(comma + 1));
    if (!s || !t)
        return std::nullopt;
    return std::pair{*s, *t};
}

nlohmann::ordered_json OrNull(const std::optional<int>& v) {
    return v ? nlohmann::ordered_json(*v) : nlohmann::ordered_json(nullptr);
}

// An RDRAM address: decimal or 0x hex, 8-byte aligned as loads need, within
// the 24 bits of RDRAM the RDP addresses.
std::optional<std::uint32_t> ParseImageBase(const std::string& text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    if (digits.empty() || digits.size() > 10 ||
        digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") != std::string::npos)
        return std::nullopt;
    const unsigned long long value = std::stoull(digits, nullptr, hex ? 16 : 10);
    if (value > hw::kMaxImageAddress || value % 8 != 0)
        return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

// "0x800", or "0x980 (palette 3)" for a CI4 palette past the first.
std::string PaletteAt(const hw::Palette& p) {
    static const char* kHex = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = 8; shift >= 0; shift -= 4)
        text.push_back(kHex[(p.tmemAddress >> shift) & 15]);
    if (p.entries == 16 && p.tmemAddress != hw::kHalfBytes)
        text += " (palette " + std::to_string((p.tmemAddress - hw::kHalfBytes) / 128) + ")";
    return text;
}

nlohmann::ordered_json Texture1Json(const hw::Layout& layout);

nlohmann::ordered_json PaletteJson(const std::optional<hw::Palette>& p) {
    if (!p)
        return nullptr;
    return {{"entries", p->entries},
            {"tmem_address", p->tmemAddress},
            {"number", (p->tmemAddress - hw::kHalfBytes) / 128},
            {"colours", p->ia16 ? "IA16" : "RGBA16"}};
}

void WriteTexture1Text(const hw::Layout& layout, std::ostream& out);

} // namespace

FormatChoice RequireFormatKind(std::string_view option, std::string_view text) {
    FormatChoice choice;
    choice.row = RequireFormat(option, text);
    choice.kind = KindFromName(text); // none for the row names "4" ... "32"
    return choice;
}

void AddHardwareOptions(CommandLine& cl, HardwareTexts& texts, bool withShift, bool withName) {
    cl.flag("--hardware", texts.hardware);
    cl.value("--wrap", texts.wrap, std::string(kWrapAllowed));
    cl.value("--emit", texts.emit, "gbi or words");
    cl.value("--rules", texts.rules, "calculator, hardware or both");
    cl.value("--image-base", texts.imageBase, std::string(kImageBaseAllowed));
    cl.value("--palette", texts.palette, "0 to 15, a CI4 texture's palette");
    if (withShift)
        cl.value("--shift", texts.shift, "0 to 5");
    if (withName)
        cl.value("--name", texts.name, std::string(kIdentifierAllowed));
}

bool ApplyHardwareOption(const std::string& option, const HardwareTexts& texts, HardwareChoice& choice) {
    if (option == "--wrap") {
        auto wrap = ParseWrap(*texts.wrap);
        if (!wrap)
            Reject(option, *texts.wrap, kWrapAllowed);
        choice.tile.s = wrap->first;
        choice.tile.t = wrap->second;
    } else if (option == "--emit") {
        if (*texts.emit == "gbi")
            choice.emit = Emit::Gbi;
        else if (*texts.emit == "words")
            choice.emit = Emit::Words;
        else
            Reject(option, *texts.emit, "gbi or words");
    } else if (option == "--rules") {
        if (*texts.rules == "calculator")
            choice.rules = Rules::Calculator;
        else if (*texts.rules == "hardware")
            choice.rules = Rules::Hardware;
        else if (*texts.rules == "both")
            choice.rules = Rules::Both;
        else
            Reject(option, *texts.rules, "calculator, hardware or both");
    } else if (option == "--image-base") {
        const std::optional<std::uint32_t> base = ParseImageBase(*texts.imageBase);
        if (!base)
            Reject(option, *texts.imageBase, kImageBaseAllowed);
        choice.emitted.imageBase = *base;
    } else if (option == "--name" && texts.name) {
        choice.emitted.name = RequireIdentifier(option, *texts.name);
    } else if (option == "--shift" && texts.shift) {
        choice.tile.detailShift = RequireInt(option, *texts.shift, 0, 5);
    } else if (option == "--palette") {
        choice.tile.palette = RequireInt(option, *texts.palette, 0, hw::kPalettes - 1);
        choice.paletteGiven = true;
    } else if (option == "--hardware") {
        choice.report = true;
    } else {
        return false;
    }
    return true;
}

void FinishHardwareChoice(const HardwareTexts& texts, HardwareChoice& choice) {
    choice.report = choice.report || texts.hardware;
}

void RequirePaletteUse(std::string_view command, const HardwareChoice& choice,
                       const std::vector<hw::Level>& levels) {
    if (!choice.paletteGiven ||
        std::any_of(levels.begin(), levels.end(), [](const hw::Level& l) { return IsCI4Kind(l.kind); }))
        return;
    const std::string kind =
        levels.empty() ? std::string("none") : std::string(KindName(levels.front().kind));
    throw UsageError("vellora-cli " + std::string(command) +
                     ": --palette: only a CI4 texture names a palette (this one is " + kind + ")");
}

nlohmann::ordered_json HardwareJson(const hw::Layout& layout) {
    using nlohmann::ordered_json;
    ordered_json j;
    j["fits"] = layout.fits;
    j["reason"] = layout.reason ? ordered_json(*layout.reason) : ordered_json(nullptr);
    j["lower_half_bytes"] = layout.lowerHalfBytes;
    j["upper_half_bytes"] = layout.upperHalfBytes;
    j["palette"] = PaletteJson(layout.palette);
    ordered_json tiles = ordered_json::array();
    for (const hw::TileDescriptor& d : layout.tiles) {
        tiles.push_back({{"tile", d.tile},
                         {"level", d.record},
                         {"kind", std::string(KindName(d.kind))},
                         {"fmt", d.fmt},
                         {"siz", d.siz},
                         {"line", d.line},
                         {"tmem", d.tmem},
                         {"palette", d.palette},
                         {"cms", static_cast<int>(d.cms)},
                         {"cmt", static_cast<int>(d.cmt)},
                         {"masks", d.masks},
                         {"maskt", d.maskt},
                         {"shifts", d.shifts},
                         {"shiftt", d.shiftt},
                         {"uls", d.uls},
                         {"ult", d.ult},
                         {"lrs", d.lrs},
                         {"lrt", d.lrt},
                         {"settile", hw::HexWord(d.setTile)},
                         {"settilesize", hw::HexWord(d.setTileSize)}});
    }
    j["tiles"] = std::move(tiles);
    ordered_json loads = ordered_json::array();
    for (const hw::LoadPlan& p : layout.loads) {
        loads.push_back({{"level", p.record},
                         {"command", p.block ? "LoadBlock" : "LoadTile"},
                         {"texels", p.texels},
                         {"dxt", OrNull(p.dxt)},
                         {"safe_rows", p.safeRows},
                         {"rows", p.rows},
                         {"reason", p.reason.empty() ? ordered_json(nullptr) : ordered_json(p.reason)}});
    }
    j["loads"] = std::move(loads);
    if (layout.material())
        j["texture1"] = Texture1Json(layout);
    j["notes"] = layout.notes;
    j["map"] = hw::MapString(layout);
    return j;
}

void WriteHardwareText(const hw::Layout& layout, std::ostream& out, const TextStyle& style) {
    out << "Hardware: "
        << Painted(layout.fits ? "fits" : "does not fit: " + *layout.reason, layout.fits, style.colour)
        << "\n";
    out << "Hardware bytes: " << layout.lowerHalfBytes << " below 0x800, " << layout.upperHalfBytes
        << " from 0x800\n";
    if (layout.palette)
        out << "Palette: " << layout.palette->entries << (layout.palette->ia16 ? " IA16" : "")
            << " entries at " << PaletteAt(*layout.palette) << "\n";
    WriteTexture1Text(layout, out);
    for (const std::string& note : layout.notes)
        out << "Note: " << note << "\n";
    // Line and TMEM are counted in 64-bit words, as SetTile takes them.
    out << "Tile  Record  Kind    Line (words)  TMEM (words)  Mask S,T  Shift S,T  Wrap S,T       SetTile    "
           "       "
           "Load\n";
    for (std::size_t i = 0; i < layout.tiles.size(); ++i) {
        const hw::TileDescriptor& d = layout.tiles[i];
        const hw::LoadPlan& p = layout.loads[i];
        std::string load =
            p.block ? "LoadBlock " + std::to_string(p.texels) + " texels, dxt " + std::to_string(*p.dxt)
                    : "LoadTile (" + p.reason + ")";
        out << Pad(std::to_string(d.tile), 6) << Pad(std::to_string(d.record), 8)
            << Pad(std::string(KindName(d.kind)), std::max<std::size_t>(8, KindName(d.kind).size() + 1))
            << Pad(std::to_string(d.line), 14) << Pad(std::to_string(d.tmem), 14)
            << Pad(std::to_string(d.masks) + "," + std::to_string(d.maskt), 10)
            << Pad(std::to_string(d.shifts) + "," + std::to_string(d.shiftt), 11)
            << Pad(std::string(hw::AxisModeName(d.cms)) + "," + std::string(hw::AxisModeName(d.cmt)), 15)
            << hw::HexWord(d.setTile) << "  " << load << "\n";
    }
    if (!style.mapText)
        return;
    out << "Hardware map, 64 bytes a line ('.' free, digits the level's texels, p padding, P palette):\n";
    const std::string map = hw::MapString(layout);
    for (std::size_t line = 0; line < map.size(); line += 64)
        out << map.substr(line, 64) << "\n";
}

bool WriteEmitted(const hw::Layout& layout, const HardwareChoice& choice, bool json, std::ostream& out,
                  std::ostream& err) {
    // The data must lie within what the RDP addresses, or the words would
    // name other addresses than they say.
    long end = layout.palette ? layout.palette->offset + 2L * layout.palette->entries : layout.dataBytes;
    if (layout.material())
        end = static_cast<long>(hw::Texture1Base(layout, choice.emitted) - choice.emitted.imageBase) +
              (layout.palette1 ? layout.palette1->offset + 2L * layout.palette1->entries : layout.dataBytes1);
    if (static_cast<std::uint64_t>(choice.emitted.imageBase) + static_cast<std::uint64_t>(end) >
        std::uint64_t{hw::kMaxImageAddress} + 1)
        throw UsageError("vellora-cli: --image-base: the texture's " + std::to_string(end) +
                         " bytes of data would end past 0xFFFFFF, the last RDRAM address the RDP reads");
    if (!json) {
        out << (choice.emit == Emit::Gbi ? hw::DisplayList(layout, choice.emitted)
                                         : hw::CommandWords(layout, choice.emitted));
        return layout.fits;
    }
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    if (!layout.fits) {
        err << "vellora-cli: the texture does not fit in TMEM (" << layout.reason.value_or("")
            << "): no commands load it\n";
    } else if (choice.emit == Emit::Words) {
        for (const hw::Command& c : hw::LoadCommands(layout, choice.emitted))
            list.push_back(hw::HexWord(c.word));
    } else {
        std::istringstream lines(hw::DisplayList(layout, choice.emitted));
        for (std::string line; std::getline(lines, line);)
            list.push_back(line);
    }
    // One word or line a row, so that a diff of two lists reads as one.
    out << "[";
    for (std::size_t i = 0; i < list.size(); ++i)
        out << (i == 0 ? "\n  " : ",\n  ") << list[i].dump();
    out << (list.empty() ? "]\n" : "\n]\n");
    return layout.fits;
}

namespace {

nlohmann::ordered_json Texture1Json(const hw::Layout& layout) {
    using nlohmann::ordered_json;
    if (!layout.material())
        return ordered_json(nullptr);
    const hw::Level& base = layout.levels[layout.texture1From];
    ordered_json j;
    j["width"] = base.width;
    j["height"] = base.height;
    j["kind"] = std::string(KindName(base.kind));
    j["levels"] = layout.levels.size() - layout.texture1From;
    j["first_tile"] = base.record;
    j["tmem_word"] = layout.texture1Word;
    j["data_bytes"] = layout.dataBytes1;
    j["palette"] = PaletteJson(layout.palette1);
    return j;
}

void WriteTexture1Text(const hw::Layout& layout, std::ostream& out) {
    if (!layout.material())
        return;
    const hw::Level& base = layout.levels[layout.texture1From];
    const std::size_t levels = layout.levels.size() - layout.texture1From;
    out << "Texture 1: " << base.width << "x" << base.height << " " << KindName(base.kind) << ", " << levels
        << (levels == 1 ? " level on tile " + std::to_string(base.record)
                        : " levels on tiles " + std::to_string(base.record) + " to " +
                              std::to_string(layout.levels.back().record))
        << ", from TMEM word " << layout.texture1Word << "\n";
    if (layout.palette1)
        out << "Texture 1's palette: " << layout.palette1->entries << " entries at 0x" << std::hex
            << std::uppercase << layout.palette1->tmemAddress << std::dec << "\n";
}

} // namespace

} // namespace vellora::cli
