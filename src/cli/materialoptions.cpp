// SPDX-License-Identifier: MIT
#include "materialoptions.h"

#include "countcommand.h"
#include "hardwareoptions.h"
#include "loadcommand.h"

#include "core/count.h"

namespace vellora::cli {

namespace {

constexpr std::string_view kTexture1Allowed =
    "a BMP or PNG file, or WxH:K with K one of ci4, 4, ci8, 8, 16, "
    "32, i4, ia4, i8, ia8, ia16, rgba16, rgba32, ci4_ia16, ci8_ia16";

} // namespace

void AddMaterialOptions(CommandLine& cl, MaterialTexts& texts) {
    cl.value("--texture1", texts.texture1, std::string(kTexture1Allowed));
    cl.value("--levels1", texts.levels1, std::string(kLevelsAllowed));
    cl.value("--wrap1", texts.wrap1, "S,T with each one of wrap, mirror, clamp");
    cl.value("--palette1", texts.palette1, "0 to 15, texture 1's CI4 palette");
    cl.value("--texture1-at", texts.at, "a TMEM word, 0 to 511");
}

void MaterialReport(bool material, HardwareChoice& choice) {
    if (!material)
        return;
    if (choice.emit == Emit::None)
        choice.report = true;
    if (!choice.rules)
        choice.rules = Rules::Both;
}

bool IsMaterialOption(std::string_view option) {
    return option == "--texture1" || option == "--levels1" || option == "--wrap1" || option == "--palette1" ||
           option == "--texture1-at";
}

std::optional<doc::SecondTexture> Texture1From(std::string_view command, const MaterialTexts& texts,
                                               MipFilter filter, std::int64_t* budget) {
    if (!texts.texture1) {
        const std::pair<const char*, const std::optional<std::string>*> needing[] = {
            {"--levels1", &texts.levels1},
            {"--wrap1", &texts.wrap1},
            {"--palette1", &texts.palette1},
            {"--texture1-at", &texts.at}};
        for (const auto& [name, text] : needing)
            if (*text)
                Reject(name, **text, "only together with --texture1 FILE|WxH:K");
        return std::nullopt;
    }
    doc::SecondTexture second;
    doc::Texture& t = second.texture;
    t.filter = filter;
    const std::string& given = *texts.texture1;
    const std::size_t colon = given.find(':');
    if (colon != std::string::npos && LooksLikeSize(std::string_view(given).substr(0, colon))) {
        const Size size = RequireSize("--texture1", given.substr(0, colon));
        const std::string_view kind = std::string_view(given).substr(colon + 1);
        const auto row = ParseFormat(kind);
        if (!row)
            Reject("--texture1", given, kTexture1Allowed);
        t.spec.size = {size.width, size.height};
        t.spec.format = *row;
        t.baseKind = KindFromName(kind);
    } else {
        LoadOrReject(command, given, LoadRole::Base, t, 0, budget);
    }
    LevelsChoice levels;
    if (texts.levels1)
        levels = RequireLevels("--levels1", *texts.levels1);
    ApplyLevels(levels, t.spec);
    if (texts.wrap1) {
        HardwareTexts wrap;
        wrap.wrap = texts.wrap1;
        HardwareChoice choice;
        ApplyHardwareOption("--wrap", wrap, choice);
        t.tiles.s = choice.tile.s;
        t.tiles.t = choice.tile.t;
    }
    if (texts.palette1)
        t.tiles.palette = RequireInt("--palette1", *texts.palette1, 0, hw::kPalettes - 1);
    if (texts.at)
        second.tmemWord = RequireInt("--texture1-at", *texts.at, 0, hw::kTmemWords - 1);
    if (t.picturesLoaded)
        doc::DrawLevels(t);
    return second;
}

} // namespace vellora::cli
