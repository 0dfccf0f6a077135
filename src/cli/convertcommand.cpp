// SPDX-License-Identifier: MIT
#include "convertcommand.h"

#include "cli.h"
#include "countcommand.h"
#include "hardwareoptions.h"
#include "loadcommand.h"
#include "options.h"

#include "bitmap/mipmap.h"
#include "bitmap/outputfiles.h"
#include "core/calc.h"
#include "core/detailmap.h"
#include "core/numeric.h"
#include "hardware/layout.h"
#include "reduce/reduce.h"
#include "reduce/texturedata.h"

#include <filesystem>

namespace vellora::cli {

namespace {

struct ConvertOptions {
    std::string input;
    std::optional<FormatChoice> format;
    LevelsChoice levels;
    MipFilter filter = MipFilter::Weighted3x3;
    bool dither = false;
    bool wholeChain = false;
    std::string out;
    bool help = false;
};

ConvertOptions ParseConvert(const std::vector<std::string>& args) {
    ConvertOptions o;
    std::optional<std::string> input, format, levels, filter, out;
    CommandLine cl("convert", "IN, --format, --levels, --filter, --dither, --whole-chain, --out");
    cl.positional(input);
    cl.value("--format", format, std::string(kFormatsAllowed));
    cl.value("--levels", levels, std::string(kLevelsAllowed));
    cl.value("--filter", filter, "3x3 or 2x2");
    cl.value("--out", out, "a file ending in .bin, .c, .h or .png");
    cl.flag("--dither", o.dither);
    cl.flag("--whole-chain", o.wholeChain);
    cl.flag("--help,-h", o.help);
    cl.parse(args, 1);
    if (o.help)
        return o;
    for (const std::string& opt : cl.given()) {
        if (opt == "--format") {
            o.format = RequireFormatKind(opt, *format);
        } else if (opt == "--levels") {
            o.levels = RequireLevels(opt, *levels);
        } else if (opt == "--filter") {
            o.filter = RequireFilter(opt, *filter);
        }
    }
    if (!input)
        throw UsageError("vellora-cli convert: missing IN (allowed: a BMP or PNG file)");
    if (!out)
        throw UsageError(
            "vellora-cli convert: missing --out (allowed: a file ending in .bin, .c, .h or .png)");
    if (!reduce::TextureFileTypeOf(*out))
        Reject("--out", *out, "a file ending in .bin, .c, .h or .png");
    o.input = *input;
    o.out = *out;
    return o;
}

} // namespace

int ConvertCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const ConvertOptions o = ParseConvert(args);
    if (o.help) {
        out << "usage: " << kConvertUsage;
        return kExitFits;
    }

    // As "Load Settings from bmp" with generated levels and no detail map.
    Settings s;
    s.detailEnabled = false;
    CoreState state;
    ResetPictures(state.tiles);
    const LoadedFile base = LoadOrReject("convert", o.input, LoadRole::Base, state, 0);
    ApplyToSettings(base, LoadRole::Base, s);
    TextureSpec spec = SpecAtOwnSize(s, state.tiles);
    if (o.format)
        spec.format = o.format->row;
    ApplyLevels(o.levels, spec);
    const MipFilter filter = o.filter;
    const Regenerate regenerate = [filter](TileTable& tiles, int lastLevel, int flag) {
        GeneratebmpMipMap(tiles, lastLevel, flag, filter);
    };
    const CountReport rep = RunCount(spec, {}, state.tiles, regenerate, {});

    const Kind kind =
        KindInRow(spec.format.value_or(Format::Bits4), o.format ? o.format->kind : state.baseKind);
    const std::vector<hw::Level> levels = hw::LevelsOf(rep.count, kind, Kind::I4);
    const hw::Layout layout = hw::LayOut(levels, hw::TileOptions{});
    const reduce::ReducedTexture texture = reduce::ReduceTexture(state.tiles, levels, state.baseSource,
                                                                 state.detailSource, {o.dither, o.filter});
    const reduce::ExportOptions options{o.wholeChain};
    OutputFiles files;
    // A missing folder for the output is made, and removed again should the write fail.
    if (const std::filesystem::path folder = std::filesystem::path(o.out).parent_path(); !folder.empty())
        files.addFolder(folder.string());
    std::vector<reduce::ExportFile> exported = reduce::ExportTexture(texture, layout, o.out, options);
    for (reduce::ExportFile& f : exported) {
        if (f.bytes.empty())
            throw UsageError("vellora-cli convert: " + f.path + ": nothing to write");
        files.add(f.path, std::move(f.bytes));
    }
    if (auto problem = files.write())
        throw UsageError("vellora-cli convert: " + *problem);

    const TileLevel& top = state.tiles[0];
    out << o.input << ": " << KindName(kind) << " " << top.Width << " x " << top.Height << ", "
        << levels.size() << (levels.size() == 1 ? " level" : " levels") << ", "
        << reduce::TextureByteCount(texture, options) << " bytes of texels";
    if (!texture.palette.empty())
        out << ", a palette of " << texture.palette.size() << " colours";
    out << "\n";
    if (texture.quantized)
        out << texture.colours << " colours quantized to " << texture.palette.size() << " ("
            << texture.merged() << " merged" << (o.dither ? ", dithered" : "") << ")\n";
    for (const reduce::ExportFile& f : exported)
        out << "wrote " << f.path << "\n";
    if (!layout.fits)
        err << "vellora-cli convert: note: it does not fit in TMEM: " << layout.reason.value_or("") << "\n";
    return kExitFits;
}

} // namespace vellora::cli
