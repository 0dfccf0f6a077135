// SPDX-License-Identifier: MIT
#include "countcommand.h"

#include "cli.h"
#include "hardwareoptions.h"

#include "core/calc.h"
#include "core/detailmap.h"

namespace vellora::cli {

CountReport RunCount(TextureSpec spec, const std::vector<Size>& typed, TileTable& tiles,
                     const Regenerate& regenerate, std::vector<std::string> leading, CountDetail detail) {
    CountReport rep;
    rep.messages = std::move(leading);
    if (spec.detail) {
        if (const char* message = DetailFormatMessage(spec.detail->format, spec.format))
            rep.messages.emplace_back(message);
    }
    if (typed.empty()) {
        rep.count = CountTexture(spec, tiles, regenerate, detail);
        rep.levelBoxYellow = rep.count.levelsCutBack;
        if (rep.levelBoxYellow)
            rep.messages.push_back(kLevelLimitMessage);
    } else {
        CountTexture(spec, tiles, regenerate);
        std::vector<LevelSize> sizes;
        for (const Size& t : typed)
            sizes.push_back({t.width, t.height});
        spec.typedLevels = std::move(sizes);
        rep.count = CountTexture(spec, tiles, regenerate, detail);
    }
    return rep;
}

void ApplyLevels(const LevelsChoice& levels, TextureSpec& spec) {
    spec.levels =
        levels.automatic ? (levels.widthRule ? LevelMode::AutoWidth64 : LevelMode::Auto) : LevelMode::Manual;
    if (!levels.automatic)
        spec.lastLevel = levels.manual;
}

int FinishReport(CountReport& rep, const HardwareChoice& hardware, Kind baseKind, Kind detailKind, bool json,
                 const TextStyle& style, std::ostream& out, std::ostream& err) {
    if (hardware.needed()) {
        const hw::Layout layout = hw::LayOut(hw::LevelsOf(rep.count, baseKind, detailKind), hardware.tile);
        if (hardware.emit != Emit::None) {
            // No commands were printed for a texture the hardware cannot
            // load: the run must not say it succeeded.
            if (!WriteEmitted(layout, hardware, json, out, err))
                return kExitExceeds;
        } else if (hardware.report) {
            rep.hardware = layout;
        }
        if (hardware.emit == Emit::None) {
            if (json)
                WriteJson(ReportJson(rep), out);
            else
                WriteText(rep, out, style);
        }
        return FailsChosenRules(rep.count, &layout, hardware.rules) ? kExitExceeds : kExitFits;
    }
    if (json)
        WriteJson(ReportJson(rep), out);
    else
        WriteText(rep, out, style);
    return FailsChosenRules(rep.count, nullptr, std::nullopt) ? kExitExceeds : kExitFits;
}

void CheckTiles(std::string_view option, std::size_t given, const LevelsChoice& levels, bool detailOn) {
    if (given == 0)
        return;
    const std::string value = std::to_string(given) + (given == 1 ? " tile" : " tiles");
    if (levels.automatic)
        Reject(option, value, "only with manual --levels N, one tile for each level above the base");
    const int needed = levels.manual - (detailOn ? 1 : 0);
    if (needed < 1 || static_cast<std::size_t>(needed) != given) {
        Reject(option, value,
               "exactly " + std::to_string(needed < 0 ? 0 : needed) + " with --levels " +
                   std::to_string(levels.manual) + (detailOn ? " and a detail map" : ""));
    }
}

int CountCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                 const CliTerminal& terminal) {
    std::optional<std::string> width, height, format, levels, detail;
    std::vector<std::string> tileTexts;
    bool json = false, help = false, mapText = false;
    HardwareTexts hwTexts;
    CommandLine cl("count",
                   "--width, --height, --format, --levels, --detail, --tile, --json, --map-text, --hardware, "
                   "--wrap, --shift, --emit, --image-base, --rules, --help");
    cl.value("--width", width, "1 to 1024");
    cl.value("--height", height, "1 to 256");
    cl.value("--format", format, std::string(kFormatsAllowed));
    cl.value("--levels", levels, std::string(kLevelsAllowed));
    cl.value("--detail", detail, "WxH or WxH:F");
    cl.repeated("--tile", tileTexts, "WxH, width 1 to 1024, height 1 to 256");
    cl.flag("--json", json);
    cl.flag("--map-text", mapText);
    AddHardwareOptions(cl, hwTexts, true);
    cl.flag("--help,-h", help);
    cl.parse(args, 1);
    if (help) {
        out << "usage: " << kCountUsage;
        return kExitFits;
    }

    TextureSpec spec;
    LevelsChoice lv;
    std::vector<Size> tiles;
    HardwareChoice hardware;
    std::optional<Kind> baseKind, detailKind;
    // Checked in the order given, so the first bad option is the one named.
    for (const std::string& opt : cl.given()) {
        if (opt == "--width")
            spec.size.width = RequireInt(opt, *width, 1, kMaxWidth);
        else if (opt == "--height")
            spec.size.height = RequireInt(opt, *height, 1, kMaxHeight);
        else if (opt == "--format") {
            const FormatChoice f = RequireFormatKind(opt, *format);
            spec.format = f.row;
            baseKind = f.kind;
        } else if (ApplyHardwareOption(opt, hwTexts, hardware))
            continue;
        else if (opt == "--levels")
            lv = RequireLevels(opt, *levels);
        else if (opt == "--detail") {
            const std::string& v = *detail;
            const auto colon = v.find(':');
            const Size size = RequireSize(opt, v.substr(0, colon));
            DetailSpec d;
            d.size = {size.width, size.height};
            if (colon != std::string::npos) {
                const std::string_view name = std::string_view(v).substr(colon + 1);
                auto f = ParseFormat(name);
                if (!f)
                    Reject(opt, v, std::string("WxH:F with F one of ") + std::string(kFormatsAllowed));
                d.format = *f;
                detailKind = KindFromName(name);
            }
            spec.detail = d;
        } else if (opt == "--tile") {
            for (const std::string& t : tileTexts)
                tiles.push_back(RequireSize(opt, t));
        }
    }
    CheckTiles("--tile", tiles.size(), lv, spec.detail.has_value());
    ApplyLevels(lv, spec);

    FinishHardwareChoice(hwTexts, hardware);
    TileTable table{};
    CountReport rep = RunCount(spec, tiles, table, {});
    return FinishReport(rep, hardware, KindInRow(spec.format.value_or(Format::Bits4), baseKind),
                        spec.detail ? KindInRow(spec.detail->format.value_or(Format::Bits4), detailKind)
                                    : Kind::I4,
                        json, TextStyle{mapText, terminal.colour}, out, err);
}

} // namespace vellora::cli
