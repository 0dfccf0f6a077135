// SPDX-License-Identifier: MIT
#include "countcommand.h"

#include "cli.h"
#include "hardwareoptions.h"
#include "materialoptions.h"

#include "document/analysis.h"
#include "document/messages.h"
#include "document/texture.h"

namespace vellora::cli {

void ApplyLevels(const LevelsChoice& levels, TextureSpec& spec) {
    spec.levels =
        levels.automatic ? (levels.widthRule ? LevelMode::AutoWidth64 : LevelMode::Auto) : LevelMode::Manual;
    if (!levels.automatic)
        spec.lastLevel = levels.manual;
}

int FinishReport(const doc::Analysis& analysis, std::optional<BitmapFacts> bitmap,
                 const HardwareChoice& hardware, bool json, const TextStyle& style, std::ostream& out,
                 std::ostream& err) {
    // No commands are printed for a texture the hardware cannot load: the
    // run must not say it succeeded.
    if (hardware.emit != Emit::None && !WriteEmitted(*analysis.layout, hardware, json, out, err))
        return kExitExceeds;
    if (hardware.emit == Emit::None) {
        CountReport rep;
        rep.count = analysis.count;
        rep.messages = analysis.messages;
        rep.levelBoxYellow = analysis.count.levelsCutBack;
        rep.bitmap = std::move(bitmap);
        if (hardware.report)
            rep.hardware = analysis.layout;
        if (json)
            WriteJson(ReportJson(rep), out);
        else
            WriteText(rep, out, style);
    }
    // Without --rules only the calculator's count decides.
    return analysis.fits(hardware.rules.value_or(Rules::Calculator)) ? kExitFits : kExitExceeds;
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
    CommandLine cl(
        "count", "--width, --height, --format, --levels, --detail, --tile, --json, --map-text, --hardware, "
                 "--wrap, --shift, --palette, --emit, --image-base, --rules, --texture1, --levels1, --wrap1, "
                 "--palette1, --texture1-at, --help");
    cl.value("--width", width, "1 to 1024");
    cl.value("--height", height, "1 to 256");
    cl.value("--format", format, std::string(kFormatsAllowed));
    cl.value("--levels", levels, std::string(kLevelsAllowed));
    cl.value("--detail", detail, "WxH or WxH:F");
    cl.repeated("--tile", tileTexts, "WxH, width 1 to 1024, height 1 to 256");
    cl.flag("--json", json);
    cl.flag("--map-text", mapText);
    AddHardwareOptions(cl, hwTexts, true, true);
    MaterialTexts material;
    AddMaterialOptions(cl, material);
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
        } else if (ApplyHardwareOption(opt, hwTexts, hardware) || IsMaterialOption(opt))
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

    doc::Texture texture;
    texture.spec = spec;
    if (!tiles.empty()) {
        std::vector<LevelSize> typed;
        for (const Size& t : tiles)
            typed.push_back({t.width, t.height});
        texture.spec.typedLevels = std::move(typed);
    }
    texture.baseKind = baseKind;
    texture.detailKind = detailKind;
    texture.tiles = hardware.tile;
    doc::AnalyzeOptions analyze;
    analyze.layout = hardware.needed();
    analyze.suggest = false;
    const std::optional<doc::SecondTexture> texture1 =
        Texture1From("count", material, MipFilter::Weighted3x3, nullptr);
    MaterialReport(texture1.has_value(), hardware);
    const doc::Analysis analysis = doc::Analyze(texture, analyze, texture1 ? &*texture1 : nullptr);
    RequirePaletteUse("count", hardware, analysis.levels);
    return FinishReport(analysis, std::nullopt, hardware, json, TextStyle{mapText, terminal.colour}, out,
                        err);
}

} // namespace vellora::cli
