// SPDX-License-Identifier: MIT
#include "loadcommand.h"

#include "cli.h"
#include "countcommand.h"
#include "materialoptions.h"
#include "options.h"
#include "png.h"
#include "report.h"

#include "bitmap/bmpreader.h"
#include "bitmap/loadstep.h"
#include "bitmap/mipmap.h"
#include "bitmap/pngwriter.h"
#include "core/numeric.h"
#include "core/tmemmap.h"
#include "document/analysis.h"
#include "document/console.h"
#include "document/messages.h"
#include "document/outputfiles.h"
#include "document/texture.h"
#include "preview/renderer.h"
#include "reduce/texturedata.h"

#include <filesystem>
#include <optional>
#include <random>

namespace vellora::cli {

namespace {

inline constexpr int kMaxView = 4096;

struct LoadOptions {
    std::string base;
    std::optional<std::string> detail;
    std::optional<Format> detailFormat;
    std::optional<Kind> detailKind;
    std::optional<Kind> formatKind;
    HardwareChoice hardware;
    std::vector<std::string> tiles;
    MipFilter filter = MipFilter::Weighted3x3;
    LevelsChoice levels;
    std::optional<Format> format;
    bool json = false;
    std::optional<std::string> dumpDir;
    bool dumpPng = false;
    std::string firstDumpOption; // --dump-format given without --dump-levels
    std::optional<std::string> mapPng;
    std::optional<std::string> previewPng;
    PreviewInput preview;
    std::uint32_t seed = 1;
    std::string firstPreviewOption; // a preview option given without --preview
    bool mapText = false;
    std::optional<std::string> consolePng; // the texture as the RDP draws it
    std::optional<std::string> sceneDir;   // the scene's words and RDRAM, for a replay
    doc::ConsoleOptions console;
    std::string firstConsoleOption; // a console option given without --console or --emit-scene
    MaterialTexts material;
    bool help = false;
};

std::vector<std::string> SplitList(std::string_view option, const std::string& text) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (item.empty())
            Reject(option, text, "a comma-separated list of BMP or PNG files, none empty");
        items.push_back(std::move(item));
        if (comma == std::string::npos)
            return items;
        start = comma + 1;
    }
}

std::uint32_t RequireSeed(std::string_view option, const std::string& v) {
    std::uint64_t seed = 0;
    bool ok = !v.empty() && v.size() <= 10;
    for (char c : v) {
        ok = ok && c >= '0' && c <= '9';
        seed = seed * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (!ok || seed > 0xFFFFFFFFu)
        Reject(option, v, "0 to 4294967295");
    return static_cast<std::uint32_t>(seed);
}

LoadOptions ParseLoad(const std::vector<std::string>& args) {
    LoadOptions o;
    std::optional<std::string> base, detail, detailFormat, tiles, filter, levels, format, dump, dumpFormat,
        map, preview, tilePos, zoom, shift, lodfrac, view, seed, consolePng, sceneDir, sampling, cycle, lod,
        scene, size, scale, fb;
    CommandLine cl("load", "BASE, --detail, --detail-format, --tiles, --filter, --levels, --format, --json, "
                           "--dump-levels, --dump-format, --map, --preview, --tile-pos, --zoom, --shift, "
                           "--lodfrac, --view, --seed, --console, --emit-scene, --sampling, --cycle, --lod, "
                           "--scene, --size, --scale, --fb, --texture1, --levels1, --wrap1, --palette1, "
                           "--texture1-at");
    cl.positional(base);
    cl.value("--detail", detail, "a BMP or PNG file");
    cl.value("--detail-format", detailFormat, std::string(kFormatsAllowed));
    cl.value("--tiles", tiles, "A.png,B.bmp,...");
    cl.value("--filter", filter, "3x3 or 2x2");
    cl.value("--levels", levels, std::string(kLevelsAllowed));
    cl.value("--format", format, std::string(kFormatsAllowed));
    cl.value("--dump-levels", dump, "a directory");
    cl.value("--dump-format", dumpFormat, "pam or png");
    cl.value("--map", map, "a PNG file to write");
    cl.value("--preview", preview, "a PNG file to write");
    cl.value("--tile-pos", tilePos, "0 to 7");
    cl.value("--zoom", zoom, "1 to 32");
    cl.value("--shift", shift, "0 to 5");
    cl.value("--lodfrac", lodfrac, "above 0 and below 1");
    cl.value("--view", view, "WxH, 1 to 4096 each");
    cl.value("--seed", seed, "0 to 4294967295");
    cl.value("--console", consolePng, "a PNG file to write");
    cl.value("--emit-scene", sceneDir, "a directory");
    cl.value("--sampling", sampling, "point, bilerp or average");
    cl.value("--cycle", cycle, "1 or 2");
    cl.value("--lod", lod, "on or off");
    cl.value("--scene", scene, "flat or floor");
    cl.value("--size", size, "W,H, 1 to 1024 each");
    cl.value("--scale", scale, "1/32 to 1024 pixels a texel");
    cl.value("--fb", fb, "32 or 16");
    cl.flag("--json", o.json);
    cl.flag("--map-text", o.mapText);
    HardwareTexts hwTexts;
    AddHardwareOptions(cl, hwTexts, false, true);
    AddMaterialOptions(cl, o.material);
    cl.flag("--help,-h", o.help);
    cl.parse(args, 1);
    if (o.help)
        return o;

    for (const std::string& opt : cl.given()) {
        const bool previewOption = opt == "--tile-pos" || opt == "--zoom" || opt == "--shift" ||
                                   opt == "--lodfrac" || opt == "--view" || opt == "--seed";
        if (previewOption && o.firstPreviewOption.empty())
            o.firstPreviewOption = opt;
        const bool consoleOption = opt == "--sampling" || opt == "--cycle" || opt == "--lod" ||
                                   opt == "--scene" || opt == "--size" || opt == "--scale" || opt == "--fb";
        if (consoleOption && o.firstConsoleOption.empty())
            o.firstConsoleOption = opt;
        if (opt == "--detail") {
            o.detail = *detail;
        } else if (opt == "--detail-format") {
            const FormatChoice f = RequireFormatKind(opt, *detailFormat);
            o.detailFormat = f.row;
            o.detailKind = f.kind;
        } else if (opt == "--tiles") {
            o.tiles = SplitList(opt, *tiles);
        } else if (opt == "--filter") {
            o.filter = RequireFilter(opt, *filter);
        } else if (opt == "--levels") {
            o.levels = RequireLevels(opt, *levels);
        } else if (opt == "--format") {
            const FormatChoice f = RequireFormatKind(opt, *format);
            o.format = f.row;
            o.formatKind = f.kind;
        } else if (opt == "--dump-levels") {
            o.dumpDir = *dump;
        } else if (opt == "--dump-format") {
            if (*dumpFormat != "pam" && *dumpFormat != "png")
                Reject(opt, *dumpFormat, "pam or png");
            o.dumpPng = *dumpFormat == "png";
            o.firstDumpOption = opt;
        } else if (opt == "--map") {
            o.mapPng = *map;
        } else if (opt == "--preview") {
            o.previewPng = *preview;
        } else if (opt == "--tile-pos") {
            auto n = NumericValue(*tilePos);
            if (!n || *n < 0 || *n > 7)
                Reject(opt, *tilePos, "a number from 0 to 7");
            o.preview.tilePos = static_cast<float>(*n);
        } else if (opt == "--zoom") {
            o.preview.zoom = RequireInt(opt, *zoom, 1, 32);
        } else if (opt == "--shift") {
            o.hardware.tile.detailShift = RequireInt(opt, *shift, 0, 5);
            o.preview.shiftText = std::to_string(o.hardware.tile.detailShift);
        } else if (opt == "--lodfrac") {
            auto n = NumericValue(*lodfrac);
            if (!n || *n <= 0 || *n >= 1)
                Reject(opt, *lodfrac, "a number above 0 and below 1");
            o.preview.lodFracText = *lodfrac;
        } else if (opt == "--view") {
            const std::string& v = *view;
            const auto x = v.find('x');
            auto w = ParseInt(std::string_view(v).substr(0, x), 1, kMaxView);
            auto h = x == std::string::npos ? std::nullopt
                                            : ParseInt(std::string_view(v).substr(x + 1), 1, kMaxView);
            if (!w || !h)
                Reject(opt, v, "WxH, 1 to 4096 each");
            o.preview.viewW = *w;
            o.preview.viewH = *h;
        } else if (opt == "--seed") {
            o.seed = RequireSeed(opt, *seed);
        } else if (opt == "--console") {
            o.consolePng = *consolePng;
        } else if (opt == "--emit-scene") {
            o.sceneDir = *sceneDir;
        } else if (opt == "--sampling") {
            if (*sampling == "point")
                o.console.sampling = rdp::Filter::Point;
            else if (*sampling == "bilerp")
                o.console.sampling = rdp::Filter::Bilerp;
            else if (*sampling == "average")
                o.console.sampling = rdp::Filter::Average;
            else
                Reject(opt, *sampling, "point, bilerp or average");
        } else if (opt == "--cycle") {
            o.console.twoCycle = RequireInt(opt, *cycle, 1, 2) == 2;
        } else if (opt == "--lod") {
            if (*lod != "on" && *lod != "off")
                Reject(opt, *lod, "on or off");
            o.console.lod = *lod == "on";
        } else if (opt == "--scene") {
            if (*scene != "flat" && *scene != "floor")
                Reject(opt, *scene, "flat or floor");
            o.console.scene = *scene == "flat" ? doc::SceneKind::Flat : doc::SceneKind::Floor;
        } else if (opt == "--size") {
            const std::string& v = *size;
            const auto comma = v.find(',');
            auto w = ParseInt(std::string_view(v).substr(0, comma), 1, 1024);
            auto h = comma == std::string::npos ? std::nullopt
                                                : ParseInt(std::string_view(v).substr(comma + 1), 1, 1024);
            if (!w || !h)
                Reject(opt, v, "W,H, 1 to 1024 each");
            o.console.width = *w;
            o.console.height = *h;
        } else if (opt == "--scale") {
            auto n = NumericValue(*scale);
            if (!n || !(*n >= 1.0 / 32) || *n > 1024)
                Reject(opt, *scale, "a number from 1/32 (0.03125) to 1024 pixels a texel");
            o.console.scale = *n;
        } else if (opt == "--fb") {
            if (*fb != "32" && *fb != "16")
                Reject(opt, *fb, "32 or 16");
            o.console.fbBits = *fb == "32" ? 32 : 16;
        } else if (!IsMaterialOption(opt)) {
            ApplyHardwareOption(opt, hwTexts, o.hardware);
        }
    }
    if (!base)
        throw UsageError(
            "vellora-cli load: missing BASE (allowed: one BMP or PNG file before or among the options)");
    o.base = *base;
    if (o.detailFormat && !o.detail)
        Reject("--detail-format", "without --detail", "only together with --detail FILE");
    if (!o.dumpDir && !o.firstDumpOption.empty())
        Reject(o.firstDumpOption, "without --dump-levels", "only together with --dump-levels DIR");
    FinishHardwareChoice(hwTexts, o.hardware);
    // The arrays are named after the picture unless --name names them.
    if (!hwTexts.name)
        o.hardware.emitted.name = reduce::ArrayName(o.base);
    // The detail map's Shift also sets its tile, so the hardware layout takes it too.
    if (o.firstPreviewOption == "--shift" && o.hardware.needed())
        o.firstPreviewOption.clear();
    if (!o.previewPng && !o.firstPreviewOption.empty())
        Reject(o.firstPreviewOption, "without --preview", "only together with --preview OUT.png");
    if (!o.consolePng && !o.sceneDir && !o.firstConsoleOption.empty())
        Reject(o.firstConsoleOption, "without --console",
               "only together with --console OUT.png or --emit-scene DIR");
    const std::size_t maxTiles = o.detail ? 6 : 7;
    if (o.tiles.size() > maxTiles) {
        Reject("--tiles", std::to_string(o.tiles.size()) + " files",
               "at most " + std::to_string(maxTiles) + " (levels " + (o.detail ? "2" : "1") + " to 7)");
    }
    return o;
}

std::vector<std::uint8_t> PamBytes(const TileLevel& level) {
    const int w = std::max(level.Width, 0), h = std::max(level.Height, 0);
    const std::string header = "P7\nWIDTH " + std::to_string(w) + "\nHEIGHT " + std::to_string(h) +
                               "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
    std::vector<std::uint8_t> data(header.begin(), header.end());
    data.resize(header.size() + static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4u, 0);
    const PixelGrid& g = level.Pixels;
    // A tile file smaller than its level leaves the rest black and clear.
    const int cols = std::min(w, g.cols());
    for (int r = 0; r < std::min(h, g.rows()); ++r)
        std::copy_n(g.at(r, 0), static_cast<std::size_t>(cols) * 4u,
                    data.begin() +
                        static_cast<std::ptrdiff_t>(header.size() + static_cast<std::size_t>(r) *
                                                                        static_cast<std::size_t>(w) * 4u));
    return data;
}

int Px(double twips) {
    return static_cast<int>(Nearest(twips / 15.0));
}

// A 5 x 7 pixel font with just the letters of the two half captions.
struct Glyph {
    char ch;
    std::uint8_t rows[7]; // bit 4 is the leftmost pixel
};
constexpr Glyph kGlyphs[] = {
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}}, {'o', {0x00, 0x00, 0x0E, 0x11, 0x11, 0x11, 0x0E}},
    {'w', {0x00, 0x00, 0x11, 0x11, 0x15, 0x15, 0x0A}}, {'e', {0x00, 0x00, 0x0E, 0x11, 0x1F, 0x10, 0x0E}},
    {'r', {0x00, 0x00, 0x16, 0x19, 0x10, 0x10, 0x10}}, {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}}, {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'p', {0x00, 0x00, 0x1E, 0x11, 0x1E, 0x10, 0x10}},
};

// Black text centred in a box; characters without a glyph stay blank.
void DrawCaption(RgbImage& img, std::string_view text, int left, int top, int width, int height) {
    const int textW = static_cast<int>(text.size()) * 6 - 1;
    const int x0 = left + (width - textW) / 2;
    const int y0 = top + (height - 7) / 2;
    for (std::size_t i = 0; i < text.size(); ++i) {
        for (const Glyph& g : kGlyphs) {
            if (g.ch != text[i])
                continue;
            for (int r = 0; r < 7; ++r)
                for (int c = 0; c < 5; ++c)
                    if (g.rows[r] & (0x10 >> c))
                        img.set(x0 + static_cast<int>(i) * 6 + c, y0 + r, 0, 0, 0);
        }
    }
}

RgbImage DrawTmemMap(const TmemMap& map) {
    // The window's map page at 96 dots per inch, down to just below the cells.
    constexpr int kPageTwips = 5934;
    const TmemLayout layout = ComputeTmemLayout(kPageTwips, 15, 15, 8.25);
    const int bottomTwips = layout.cells[kTmemBytes - 1].top + kTmemCellTwips + 120;
    const TmemPixelLayout px = TmemLayoutInPixels(layout, kPageTwips, bottomTwips, 15, 15);
    const int width = Px(kPageTwips), height = Px(bottomTwips);

    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                                      0xFFF0F0F0u);
    PaintTmemCells(map, px, pixels.data(), width, height, width);
    RgbImage img(width, height);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        img.rgb[i * 3] = static_cast<std::uint8_t>(pixels[i] >> 16);
        img.rgb[i * 3 + 1] = static_cast<std::uint8_t>(pixels[i] >> 8);
        img.rgb[i * 3 + 2] = static_cast<std::uint8_t>(pixels[i]);
    }
    for (int i = 0; i < 2; ++i) {
        const PixelRect& l = px.labels[i];
        DrawCaption(img, i == 0 ? "Lower TMEM" : "Upper TMEM", l.x, l.y, l.width, l.height);
    }
    // The divider between the halves: an outlined rectangle.
    const PixelRect& d = px.divider;
    const int dx1 = d.x + d.width - 1, dy1 = d.y + d.height - 1;
    img.fillRect(d.x, d.y, 1, d.height, 0, 0, 0);
    img.fillRect(dx1, d.y, 1, d.height, 0, 0, 0);
    img.fillRect(d.x, d.y, d.width, 1, 0, 0, 0);
    img.fillRect(d.x, dy1, d.width, 1, 0, 0, 0);
    return img;
}

} // namespace

MipFilter RequireFilter(std::string_view option, const std::string& text) {
    if (text == "3x3")
        return MipFilter::Weighted3x3;
    if (text == "2x2")
        return MipFilter::Box2x2;
    Reject(option, text, "3x3 or 2x2");
}

void LoadOrReject(std::string_view command, const std::string& path, LoadRole role, doc::Texture& texture,
                  int level, std::int64_t* pixelBudget) {
    // The reader takes a missing file as an empty one ("Unknown bmp type"),
    // as the window's chooser never offers one; on the command line a typo
    // in a path deserves its own words.
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        throw UsageError("vellora-cli " + std::string(command) + ": " + path + ": no such file");
    const std::int64_t maxPixels =
        pixelBudget ? std::min(*pixelBudget, kMaxPicturePixels) : kMaxPicturePixels;
    const doc::LoadResult r = doc::LoadPicture(texture, path, role, level, maxPixels);
    if (!r.ok) {
        std::string reason = r.error;
        if (maxPixels < kMaxPicturePixels &&
            reason.find("at most " + std::to_string(maxPixels) + " pixels") != std::string::npos)
            reason += " (what is left of the " + std::to_string(kLoadPixelBudget) +
                      " pixels the pictures of one run may hold)";
        // The line names the file first; a reason that ends with it again says it once.
        if (reason.size() > path.size() &&
            reason.compare(reason.size() - path.size(), path.size(), path) == 0) {
            reason.erase(reason.size() - path.size());
            while (!reason.empty() && (reason.back() == ' ' || reason.back() == ':'))
                reason.pop_back();
        }
        throw UsageError("vellora-cli " + std::string(command) + ": " + path + ": " + reason);
    }
    if (pixelBudget) {
        const TileLevel& read = texture.pictures[static_cast<std::size_t>(level)];
        *pixelBudget -= static_cast<std::int64_t>(read.Width) * read.Height;
    }
}

int LoadCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                const CliTerminal& terminal) {
    const LoadOptions o = ParseLoad(args);
    if (o.help) {
        out << "usage: " << kLoadUsage;
        return kExitFits;
    }

    doc::Texture texture;
    texture.filter = o.filter;
    texture.tiles = o.hardware.tile;
    const int detailFlag = o.detail ? 1 : 0;
    std::int64_t budget = kLoadPixelBudget;
    if (o.detail)
        LoadOrReject("load", *o.detail, LoadRole::Detail, texture, 0, &budget);
    LoadOrReject("load", o.base, LoadRole::Base, texture, detailFlag, &budget);
    if (!o.tiles.empty()) {
        int index = detailFlag + 1;
        for (const std::string& file : o.tiles)
            LoadOrReject("load", file, LoadRole::Tile, texture, index++, &budget);
        // The list ends where the user would have cancelled the next dialog.
        if (index <= kLevelCount - 1)
            texture.loadMessages.push_back("Returning " + DecimalText(index) + " Tiles.");
    }
    if (o.format)
        texture.spec.format = o.format;
    if (o.formatKind)
        texture.baseKind = o.formatKind;
    // --detail-format, else the kind the detail map's name states, else 4-bit.
    if (texture.spec.detail && o.detailFormat)
        texture.spec.detail->format = o.detailFormat;
    if (o.detailKind)
        texture.detailKind = o.detailKind;
    ApplyLevels(o.levels, texture.spec);
    doc::DrawLevels(texture);
    const std::optional<doc::SecondTexture> texture1 = Texture1From("load", o.material, o.filter, &budget);
    HardwareChoice hardware = o.hardware;
    MaterialReport(texture1.has_value(), hardware);
    if (texture1 && o.material.texture1 &&
        !LooksLikeSize(o.material.texture1->substr(0, o.material.texture1->find(':')))) {
        hardware.emitted.texture1Name = reduce::ArrayName(*o.material.texture1);
        if (hardware.emitted.texture1Name == hardware.emitted.name)
            hardware.emitted.texture1Name += "_1";
    }
    doc::AnalyzeOptions analyze;
    analyze.layout = hardware.needed() || o.consolePng || o.sceneDir;
    analyze.suggest = false;
    const doc::Analysis analysis = doc::Analyze(texture, analyze, texture1 ? &*texture1 : nullptr);
    RequirePaletteUse("load", hardware, analysis.levels);
    const TileTable& levels = texture.pictures;

    // Everything is drawn first and written at the end, all or nothing,
    // and never over a picture the run reads.
    OutputFiles outputs;
    outputs.addInput(o.base);
    if (o.detail)
        outputs.addInput(*o.detail);
    for (const std::string& file : o.tiles)
        outputs.addInput(file);
    if (o.dumpDir) {
        outputs.addFolder(*o.dumpDir);
        for (int i = 0; i < kLevelCount; ++i) {
            for (const char* extension : {".pam", ".png"}) {
                const std::string path =
                    (std::filesystem::path(*o.dumpDir) / ("level-" + std::to_string(i) + extension)).string();
                if (i <= analysis.count.maxIndex && (extension[2] == 'n') == o.dumpPng)
                    outputs.add(path, o.dumpPng ? EncodeLevelPng(levels[i]) : PamBytes(levels[i]));
                else
                    // An earlier run's level that this one does not write
                    // would pass for one of this run's.
                    outputs.addStale(path);
            }
        }
    }
    if (o.mapPng)
        outputs.add(*o.mapPng, EncodePng(DrawTmemMap(analysis.count.tmemMap)));
    if (o.previewPng) {
        // Checked before the picture is drawn, which can take a while.
        if (auto problem = outputs.check())
            throw UsageError("vellora-cli load: " + *problem);
        std::mt19937 engine(o.seed);
        PreviewRandom random = [&engine] { return static_cast<double>(engine()) / 4294967296.0; };
        PreviewInput input = o.preview;
        input.detailFlag = detailFlag;
        const PreviewResult pr = RenderPreview(levels, input, random);
        for (const PreviewFailure& f : pr.failures)
            err << "vellora-cli load: preview: " << f.description << " (step " << f.step << ")\n";
        RgbImage img;
        img.width = pr.viewW;
        img.height = pr.viewH;
        img.rgb = pr.rgb;
        img.rgb.resize(static_cast<std::size_t>(img.width) * static_cast<std::size_t>(img.height) * 3u, 0);
        outputs.add(*o.previewPng, EncodePng(img));
    }
    if ((o.consolePng || o.sceneDir) && texture1)
        throw UsageError(
            "vellora-cli load: --console: the console scene draws one texture; it is not drawn for "
            "a material (without --texture1 it is)");
    if (o.consolePng || o.sceneDir) {
        // Drawn on the RDP model from the words a replay would run; a
        // texture the console cannot load gives no picture, and no success.
        const doc::SceneBuild build = doc::BuildScene(texture, analysis, o.console);
        if (!build.scene)
            throw UsageError("vellora-cli load: --console: " + build.refused);
        const doc::Scene& scene = *build.scene;
        if (o.sceneDir)
            outputs.addFolder(*o.sceneDir);
        if (o.consolePng) {
            if (auto problem = outputs.check())
                throw UsageError("vellora-cli load: " + *problem);
            const doc::ConsoleImage image = doc::RenderScene(scene);
            if (image.error)
                throw UsageError("vellora-cli load: --console: the RDP model refused the scene: " +
                                 *image.error);
            RgbImage img(image.width, image.height);
            for (std::size_t i = 0; i < image.pixels.size(); ++i) {
                img.rgb[3 * i] = image.pixels[i].r;
                img.rgb[3 * i + 1] = image.pixels[i].g;
                img.rgb[3 * i + 2] = image.pixels[i].b;
            }
            outputs.add(*o.consolePng, EncodePng(img));
        }
        if (o.sceneDir) {
            const std::string words = doc::SceneWordsText(scene);
            outputs.add((std::filesystem::path(*o.sceneDir) / "scene.words").string(),
                        std::vector<std::uint8_t>(words.begin(), words.end()));
            outputs.add((std::filesystem::path(*o.sceneDir) / "scene.rdram").string(),
                        std::vector<std::uint8_t>(scene.rdram.begin(),
                                                  scene.rdram.begin() +
                                                      static_cast<std::ptrdiff_t>(scene.dataBytes)));
        }
    }
    if (auto problem = outputs.write())
        throw UsageError("vellora-cli load: " + *problem);

    return FinishReport(analysis, BitmapFacts{*texture.baseFile}, hardware, o.json,
                        TextStyle{o.mapText, terminal.colour}, out, err);
}

} // namespace vellora::cli
