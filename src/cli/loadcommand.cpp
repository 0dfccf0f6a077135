// SPDX-License-Identifier: MIT
#include "loadcommand.h"

#include "cli.h"
#include "countcommand.h"
#include "options.h"
#include "png.h"
#include "report.h"

#include "bitmap/bmpreader.h"
#include "bitmap/mipmap.h"
#include "core/inputrules.h"
#include "core/numeric.h"
#include "core/tmemmap.h"
#include "preview/renderer.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <random>

namespace vellora::cli {

namespace {

inline constexpr int kMaxView = 4096;

struct LoadOptions {
    std::string base;
    std::optional<std::string> detail;
    std::optional<int> detailFormat;
    std::vector<std::string> tiles;
    MipFilter filter = MipFilter::Weighted3x3;
    LevelsChoice levels;
    std::optional<int> format;
    bool json = false;
    std::optional<std::string> dumpDir;
    std::optional<std::string> mapPng;
    std::optional<std::string> previewPng;
    PreviewInput preview;
    std::uint32_t seed = 1;
    std::string firstPreviewOption; // a preview option given without --preview
    bool help = false;
};

std::vector<std::string> SplitList(std::string_view option, const std::string& text) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (item.empty())
            Reject(option, text, "a comma-separated list of BMP files, none empty");
        items.push_back(std::move(item));
        if (comma == std::string::npos)
            return items;
        start = comma + 1;
    }
}

LoadOptions ParseLoad(const std::vector<std::string>& args) {
    LoadOptions o;
    ArgReader in(args, 1);
    bool haveBase = false;
    while (!in.done()) {
        const std::string opt = in.next();
        const bool previewOption = opt == "--tile-pos" || opt == "--zoom" || opt == "--shift" ||
                                   opt == "--lodfrac" || opt == "--view" || opt == "--seed";
        if (previewOption && o.firstPreviewOption.empty())
            o.firstPreviewOption = opt;
        if (opt == "--detail") {
            o.detail = in.value(opt, "a BMP file");
        } else if (opt == "--detail-format") {
            o.detailFormat = RequireFormat(opt, in.value(opt, kFormatsAllowed));
        } else if (opt == "--tiles") {
            o.tiles = SplitList(opt, in.value(opt, "A.bmp,B.bmp,..."));
        } else if (opt == "--filter") {
            const std::string& v = in.value(opt, "3x3 or 2x2");
            if (v == "3x3")
                o.filter = MipFilter::Weighted3x3;
            else if (v == "2x2")
                o.filter = MipFilter::Box2x2;
            else
                Reject(opt, v, "3x3 or 2x2");
        } else if (opt == "--levels") {
            o.levels = RequireLevels(opt, in.value(opt, kLevelsAllowed));
        } else if (opt == "--format") {
            o.format = RequireFormat(opt, in.value(opt, kFormatsAllowed));
        } else if (opt == "--json") {
            o.json = true;
        } else if (opt == "--dump-levels") {
            o.dumpDir = in.value(opt, "a directory");
        } else if (opt == "--map") {
            o.mapPng = in.value(opt, "a PNG file to write");
        } else if (opt == "--preview") {
            o.previewPng = in.value(opt, "a PNG file to write");
        } else if (opt == "--tile-pos") {
            const std::string& v = in.value(opt, "0 to 7");
            auto n = NumericValue(v);
            if (!n || *n < 0 || *n > 7)
                Reject(opt, v, "a number from 0 to 7");
            o.preview.tilePos = static_cast<float>(*n);
        } else if (opt == "--zoom") {
            o.preview.zoom = RequireInt(opt, in.value(opt, "1 to 32"), 1, 32);
        } else if (opt == "--shift") {
            o.preview.shiftText = std::to_string(RequireInt(opt, in.value(opt, "0 to 5"), 0, 5));
        } else if (opt == "--lodfrac") {
            const std::string& v = in.value(opt, "above 0 and below 1");
            auto n = NumericValue(v);
            if (!n || *n <= 0 || *n >= 1)
                Reject(opt, v, "a number above 0 and below 1");
            o.preview.lodFracText = v;
        } else if (opt == "--view") {
            const std::string& v = in.value(opt, "WxH, 1 to 4096 each");
            const auto x = v.find('x');
            auto w = ParseInt(std::string_view(v).substr(0, x), 1, kMaxView);
            auto h = x == std::string::npos ? std::nullopt
                                            : ParseInt(std::string_view(v).substr(x + 1), 1, kMaxView);
            if (!w || !h)
                Reject(opt, v, "WxH, 1 to 4096 each");
            o.preview.viewW = *w;
            o.preview.viewH = *h;
        } else if (opt == "--seed") {
            const std::string& v = in.value(opt, "0 to 4294967295");
            std::uint64_t seed = 0;
            bool ok = !v.empty() && v.size() <= 10;
            for (char c : v) {
                ok = ok && c >= '0' && c <= '9';
                seed = seed * 10 + static_cast<std::uint64_t>(c - '0');
            }
            if (!ok || seed > 0xFFFFFFFFu)
                Reject(opt, v, "0 to 4294967295");
            o.seed = static_cast<std::uint32_t>(seed);
        } else if (opt == "--help" || opt == "-h") {
            o.help = true;
            return o;
        } else if (!haveBase && !opt.empty() && opt[0] != '-') {
            o.base = opt;
            haveBase = true;
        } else {
            RejectUnknown(
                "load", opt,
                "BASE.bmp, --detail, --detail-format, --tiles, --filter, --levels, --format, --json, "
                "--dump-levels, --map, --preview, --tile-pos, --zoom, --shift, --lodfrac, --view, --seed");
        }
    }
    if (!haveBase)
        throw UsageError(
            "vellora-cli load: missing BASE.bmp (allowed: one BMP file before or among the options)");
    if (o.detailFormat && !o.detail)
        Reject("--detail-format", "without --detail", "only together with --detail FILE.bmp");
    if (!o.previewPng && !o.firstPreviewOption.empty())
        Reject(o.firstPreviewOption, "without --preview", "only together with --preview OUT.png");
    const std::size_t maxTiles = o.detail ? 6 : 7;
    if (o.tiles.size() > maxTiles) {
        Reject("--tiles", std::to_string(o.tiles.size()) + " files",
               "at most " + std::to_string(maxTiles) + " (levels " + (o.detail ? "2" : "1") + " to 7)");
    }
    return o;
}

// The file's sizes go into a size box, whose rule then applies.
std::string BoxText(std::int32_t size, DimensionRule rule) {
    const std::string typed = DecimalText(size);
    return ApplyDimensionRule(typed, rule).value_or(typed);
}

BmpReadResult ReadInto(const std::string& path, TileLevel& level) {
    // The reader takes a missing file as an empty one ("Unknown bmp type"),
    // as the window's chooser never offers one; on the command line a typo
    // in a path deserves its own words.
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        throw UsageError("vellora-cli load: " + path + ": no such file");
    BmpReadResult r = ReadBmpFile(path, level);
    if (!r.ok) {
        std::string reason = r.error.empty() ? kUnknownBmpType : r.error;
        // The line names the file first; a reason that ends with it again says it once.
        if (reason.size() > path.size() &&
            reason.compare(reason.size() - path.size(), path.size(), path) == 0) {
            reason.erase(reason.size() - path.size());
            while (!reason.empty() && (reason.back() == ' ' || reason.back() == ':'))
                reason.pop_back();
        }
        throw UsageError("vellora-cli load: " + path + ": " + reason);
    }
    return r;
}

void WritePam(const std::string& path, const TileLevel& level) {
    const int w = std::max(level.Width, 0), h = std::max(level.Height, 0);
    std::string data = "P7\nWIDTH " + std::to_string(w) + "\nHEIGHT " + std::to_string(h) +
                       "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
    const std::size_t headerSize = data.size();
    data.resize(headerSize + static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4u, '\0');
    const PixelGrid& g = level.Pixels;
    std::size_t at = headerSize;
    for (int r = 0; r < h; ++r) {
        for (int c = 0; c < w; ++c, at += 4) {
            // A tile file smaller than its level leaves the rest black and clear.
            if (r < g.rows && c < g.cols && g.rgba.size() >= static_cast<std::size_t>(g.rows) * g.cols * 4u) {
                const std::uint8_t* p = g.at(r, c);
                data.replace(at, 4, reinterpret_cast<const char*>(p), 4);
            }
        }
    }
    if (!WriteBinaryFile(path, std::span(reinterpret_cast<const std::uint8_t*>(data.data()), data.size())))
        throw UsageError("vellora-cli load: " + path + ": cannot write the file");
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
    // The page width of the window's map page, at 96 dots per inch.
    constexpr int kPageTwips = 5934;
    const TmemLayout layout = ComputeTmemLayout(kPageTwips, 15, 15, 8.25);
    const int bottomTwips = layout.cells[kTmemBytes - 1].top + kTmemCellTwips + 120;
    RgbImage img(Px(kPageTwips), Px(bottomTwips), 240, 240, 240);

    const int half = kPageTwips / 2;
    DrawCaption(img, "Lower TMEM", 0, Px(layout.labelTop), Px(half), Px(layout.labelHeight));
    DrawCaption(img, "Upper TMEM", Px(half), Px(layout.labelTop), Px(half), Px(layout.labelHeight));

    // The divider between the halves: an outlined rectangle.
    const int dx0 = Px(layout.dividerLeft), dx1 = Px(layout.dividerLeft + layout.dividerWidth) - 1;
    const int dy0 = Px(layout.dividerTop), dy1 = img.height - 1;
    img.fillRect(dx0, dy0, 1, dy1 - dy0 + 1, 0, 0, 0);
    img.fillRect(dx1, dy0, 1, dy1 - dy0 + 1, 0, 0, 0);
    img.fillRect(dx0, dy0, dx1 - dx0 + 1, 1, 0, 0, 0);
    img.fillRect(dx0, dy1, dx1 - dx0 + 1, 1, 0, 0, 0);

    for (int a = 0; a < kTmemBytes; ++a) {
        const TmemCellPos& cell = layout.cells[a];
        const Rgb c = ByteColourRgb(map[a]);
        const int x0 = Px(cell.left), y0 = Px(cell.top);
        img.fillRect(x0, y0, Px(cell.left + kTmemCellTwips) - x0, Px(cell.top + kTmemCellTwips) - y0, c.r,
                     c.g, c.b);
    }
    return img;
}

void WritePng(const std::string& path, const RgbImage& img) {
    if (!WriteBinaryFile(path, EncodePng(img)))
        throw UsageError("vellora-cli load: " + path + ": cannot write the file");
}

} // namespace

int LoadCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const LoadOptions o = ParseLoad(args);
    if (o.help) {
        out << "usage: " << kLoadUsage;
        return kExitFits;
    }

    // A freshly started window, then the load: every level record reset.
    Settings s;
    s.detailEnabled = o.detail.has_value();
    s.detailFormat = o.detailFormat.value_or(1);
    ApplyLevels(o.levels, s);
    CoreState state;
    for (TileLevel& t : state.tiles) {
        t = TileLevel{};
        t.Pixels = PixelGrid(1, 1);
    }
    const int detailFlag = s.detailEnabled ? 1 : 0;
    std::vector<std::string> messages;

    if (o.detail) {
        ReadInto(*o.detail, state.tiles[0]);
        s.detailWidth = BoxText(state.tiles[0].Width, kDetailWidthRule);
        s.detailHeight = BoxText(state.tiles[0].Height, kDetailHeightRule);
    }
    const BmpReadResult base = ReadInto(o.base, state.tiles[detailFlag]);
    if (const int f = BaseFormatForBitCount(base.info.bitCount); f != kNoFormat)
        s.baseFormat = f;
    if (base.info.bitCount == 24)
        messages.emplace_back(kGreyscaleMessage);
    if (o.format)
        s.baseFormat = *o.format;

    state.noAutoTiles = !o.tiles.empty();
    if (state.noAutoTiles) {
        int index = detailFlag + 1;
        for (const std::string& file : o.tiles)
            ReadInto(file, state.tiles[index++]);
        // The list ends where the user would have cancelled the next dialog.
        if (index <= kLevelCount - 1)
            messages.push_back("Returning " + DecimalText(index) + " Tiles.");
    }
    state.bitmapLoaded = true;
    s.width = BoxText(state.tiles[detailFlag].Width, kWidthRule);
    s.height = BoxText(state.tiles[detailFlag].Height, kHeightRule);

    CalcHooks hooks;
    const MipFilter filter = o.filter;
    hooks.regenerate = [filter](TileTable& tiles, int lastLevel, int flag) {
        GeneratebmpMipMap(tiles, lastLevel, flag, filter);
    };
    CountReport rep = RunCount(s, {}, state, hooks, std::move(messages));
    rep.bitmap = BitmapFacts{base.info.width, base.info.height, base.info.bitCount, base.info.headerSize};

    if (o.dumpDir) {
        std::error_code ec;
        std::filesystem::create_directories(*o.dumpDir, ec);
        if (ec)
            throw UsageError("vellora-cli load: " + *o.dumpDir + ": cannot create the directory (" +
                             ec.message() + ")");
        for (int i = 0; i <= rep.result.maxIndex; ++i)
            WritePam((std::filesystem::path(*o.dumpDir) / ("level-" + std::to_string(i) + ".pam")).string(),
                     state.tiles[i]);
    }
    if (o.mapPng)
        WritePng(*o.mapPng, DrawTmemMap(rep.result.tmemMap));
    if (o.previewPng) {
        std::mt19937 engine(o.seed);
        PreviewRandom random = [&engine] { return static_cast<double>(engine()) / 4294967296.0; };
        PreviewInput input = o.preview;
        input.detailFlag = detailFlag;
        const PreviewResult pr = RenderPreview(state.tiles, input, random);
        for (const PreviewFailure& f : pr.failures)
            err << "vellora-cli load: preview: " << f.description << " (step " << f.step << ")\n";
        RgbImage img;
        img.width = pr.viewW;
        img.height = pr.viewH;
        img.rgb = pr.rgb;
        img.rgb.resize(static_cast<std::size_t>(img.width) * static_cast<std::size_t>(img.height) * 3u, 0);
        WritePng(*o.previewPng, img);
    }

    if (o.json)
        WriteJson(rep, out);
    else
        WriteText(rep, out);
    return rep.result.exceeds() ? kExitExceeds : kExitFits;
}

} // namespace vellora::cli
