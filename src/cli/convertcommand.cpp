// SPDX-License-Identifier: MIT
#include "convertcommand.h"

#include "cli.h"
#include "countcommand.h"
#include "hardwareoptions.h"
#include "loadcommand.h"
#include "options.h"
#include "parallel.h"

#include "document/analysis.h"
#include "document/export.h"
#include "document/texture.h"

#include "bitmap/mipmap.h"
#include "core/numeric.h"
#include "document/messages.h"
#include "document/outputfiles.h"
#include "hardware/layout.h"
#include "reduce/reduce.h"
#include "reduce/texturedata.h"

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <sstream>
#include <thread>

namespace vellora::cli {

namespace {

namespace fs = std::filesystem;

struct ConvertOptions {
    std::vector<std::string> inputs;
    std::optional<FormatChoice> format;
    LevelsChoice levels;
    MipFilter filter = MipFilter::Weighted3x3;
    bool dither = false;
    bool wholeChain = false;
    std::string out;    // the one output, with one input
    std::string outDir; // or a folder for several
    std::string type;   // and the kind of file each becomes: bin, c, h or png
    int jobs = 1;
    std::optional<std::string> name; // the arrays' prefix; else each input's own name
    bool help = false;
};

constexpr std::string_view kOutAllowed = "a file ending in .bin, .c, .h or .png";

ConvertOptions ParseConvert(const std::vector<std::string>& args) {
    ConvertOptions o;
    std::optional<std::string> format, levels, filter, out, outDir, type, jobs, name;
    CommandLine cl("convert",
                   "IN..., --format, --levels, --filter, --dither, --whole-chain, --name, --out, --out-dir, "
                   "--type, --jobs");
    cl.positionals(o.inputs);
    cl.value("--format", format, std::string(kFormatsAllowed));
    cl.value("--levels", levels, std::string(kLevelsAllowed));
    cl.value("--filter", filter, "3x3 or 2x2");
    cl.value("--out", out, std::string(kOutAllowed));
    cl.value("--out-dir", outDir, "a folder for the converted files");
    cl.value("--type", type, "bin, c, h or png");
    cl.value("--jobs", jobs, "1 to 256");
    cl.value("--name", name, std::string(kIdentifierAllowed));
    cl.flag("--dither", o.dither);
    cl.flag("--whole-chain", o.wholeChain);
    cl.flag("--help,-h", o.help);
    cl.parse(args, 1);
    if (o.help)
        return o;
    o.jobs = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 256u));
    for (const std::string& opt : cl.given()) {
        if (opt == "--format") {
            o.format = RequireFormatKind(opt, *format);
        } else if (opt == "--levels") {
            o.levels = RequireLevels(opt, *levels);
        } else if (opt == "--filter") {
            o.filter = RequireFilter(opt, *filter);
        } else if (opt == "--jobs") {
            o.jobs = RequireInt(opt, *jobs, 1, 256);
        } else if (opt == "--name") {
            o.name = RequireIdentifier(opt, *name);
        } else if (opt == "--type") {
            if (*type != "bin" && *type != "c" && *type != "h" && *type != "png")
                Reject(opt, *type, "bin, c, h or png");
            o.type = *type;
        }
    }
    if (o.inputs.empty())
        throw UsageError("vellora-cli convert: missing IN (allowed: one or more BMP or PNG files)");
    // Several textures of one name would clash when their C files are built together.
    if (o.name && o.inputs.size() > 1)
        Reject("--name", *o.name, "one input; several are each named after their own file");
    if (out && outDir)
        Reject("--out", *out, "either --out FILE for one input or --out-dir DIR --type T, not both");
    if (outDir) {
        if (!type)
            throw UsageError(
                "vellora-cli convert: missing --type (allowed: bin, c, h or png with --out-dir)");
        if (outDir->empty())
            Reject("--out-dir", *outDir, "a folder for the converted files");
        o.outDir = *outDir;
        return o;
    }
    if (type)
        Reject("--type", *type, "only together with --out-dir DIR");
    if (!out)
        throw UsageError("vellora-cli convert: missing --out (allowed: " + std::string(kOutAllowed) +
                         ", or --out-dir DIR --type T)");
    if (o.inputs.size() > 1)
        Reject("--out", *out,
               "one file for one input; for " + std::to_string(o.inputs.size()) +
                   " inputs --out-dir DIR --type T");
    if (!reduce::TextureFileTypeOf(*out))
        Reject("--out", *out, kOutAllowed);
    o.out = *out;
    return o;
}

// Where one input goes in --out-dir: its name with the type's extension
// ("walls/brick.rgba16.png" -> "DIR/brick.rgba16.bin").
std::string OutputFor(const std::string& input, const ConvertOptions& o) {
    const fs::path name = fs::path(input).filename().replace_extension("." + o.type);
    return (fs::path(o.outDir) / name).string();
}

// Converts one picture and writes its files, all or nothing; what it did
// goes to out, a note to note. Throws the line that says why it could not.
void ConvertOne(const std::string& input, const std::string& target, const ConvertOptions& o,
                std::ostream& out, std::ostream& note) {
    // As "Load Settings from bmp" with generated levels and no detail map.
    doc::Texture picture;
    picture.filter = o.filter;
    LoadOrReject("convert", input, LoadRole::Base, picture, 0);
    if (o.format) {
        picture.spec.format = o.format->row;
        if (o.format->kind)
            picture.baseKind = o.format->kind;
    }
    ApplyLevels(o.levels, picture.spec);
    doc::DrawLevels(picture);
    doc::AnalyzeOptions analyze;
    analyze.suggest = false;
    analyze.detail = CountDetail::SizesOnly;
    const doc::Analysis analysis = doc::Analyze(picture, analyze);

    const Kind kind = picture.storedBaseKind();
    const std::vector<hw::Level>& levels = analysis.levels;
    const hw::Layout& layout = *analysis.layout;
    const std::string name = o.name.value_or(reduce::ArrayName(input));
    doc::Exported exported =
        doc::ExportTexture(picture, analysis, target, {false, o.wholeChain, o.dither, name});
    if (exported.refused)
        throw UsageError("vellora-cli convert: " + input + ": " + *exported.refused);
    const reduce::ReducedTexture& texture = exported.texture;
    const reduce::ExportOptions options{o.wholeChain, name};
    OutputFiles files;
    files.addInput(input);
    // A missing folder for the output is made, and removed again should the write fail.
    if (const fs::path folder = fs::path(target).parent_path(); !folder.empty())
        files.addFolder(folder.string());
    for (reduce::ExportFile& f : exported.files) {
        if (f.bytes.empty())
            throw UsageError("vellora-cli convert: " + f.path + ": nothing to write");
        files.add(f.path, std::move(f.bytes));
    }
    if (auto problem = files.write())
        throw UsageError("vellora-cli convert: " + *problem);

    const TileLevel& top = picture.pictures[0];
    out << input << ": " << KindName(kind) << " " << top.Width << " x " << top.Height << ", " << levels.size()
        << (levels.size() == 1 ? " level" : " levels") << ", " << reduce::TextureByteCount(texture, options)
        << " bytes of texels";
    if (!texture.palette.empty())
        out << ", a palette of " << texture.palette.size() << " colours";
    out << "\n";
    if (texture.quantized)
        out << texture.colours << " colours quantized to " << texture.palette.size() << " ("
            << texture.merged() << " merged" << (o.dither ? ", dithered" : "") << ")\n";
    for (const reduce::ExportFile& f : exported.files)
        out << "wrote " << f.path << "\n";
    if (!layout.fits)
        note << "vellora-cli convert: note: " << input
             << " does not fit in TMEM: " << layout.reason.value_or("") << "\n";
}

// Several inputs into one folder, converted side by side as check does;
// each report is written in the order of the inputs as soon as it is done.
int ConvertMany(const ConvertOptions& o, std::ostream& out, std::ostream& err) {
    std::vector<std::string> targets;
    for (const std::string& input : o.inputs) {
        std::error_code ec;
        if (!fs::exists(input, ec))
            throw UsageError("vellora-cli convert: " + input + ": no such file");
        targets.push_back(OutputFor(input, o));
    }
    // Two inputs of one name would overwrite each other's output, and an
    // output may not replace an input: refused before anything is written.
    {
        OutputFiles plan;
        for (std::size_t i = 0; i < o.inputs.size(); ++i) {
            plan.addInput(o.inputs[i]);
            plan.add(targets[i], {1});
        }
        plan.addFolder(o.outDir);
        if (auto problem = plan.check())
            throw UsageError("vellora-cli convert: " + *problem);
    }

    // Made once here, not by each conversion side by side; removed again
    // should nothing be converted into it.
    std::error_code made;
    const bool createdFolder = fs::create_directories(o.outDir, made);
    if (made)
        throw UsageError("vellora-cli convert: " + o.outDir + ": cannot create the folder (" +
                         made.message() + ")");

    struct Done {
        bool ready = false;
        bool ok = false;
        std::string out, err;
    };
    std::vector<Done> done(o.inputs.size());
    InOrder reports(done.size(), [&](std::size_t k) {
        out << done[k].out;
        err << done[k].err;
        std::string().swap(done[k].out);
        std::string().swap(done[k].err);
        return static_cast<bool>(out);
    });
    auto finish = [&](std::size_t i, Done d) {
        done[i] = std::move(d);
        done[i].ready = true;
        return reports.done(i);
    };
    auto task = [&](std::size_t i) {
        std::ostringstream text, note;
        Done d;
        try {
            ConvertOne(o.inputs[i], targets[i], o, text, note);
            d.ok = true;
            d.out = text.str();
            d.err = note.str();
        } catch (const UsageError& e) {
            d.err = std::string(e.what()) + "\n";
        }
        return finish(i, std::move(d));
    };
    auto failed = [&](std::size_t i, const std::string& reason) {
        finish(i, Done{true, false, {}, "vellora-cli convert: " + o.inputs[i] + ": " + reason + "\n"});
    };
    const ParallelRun run = RunParallel(o.inputs.size(), o.jobs, task, failed);
    if (createdFolder) {
        std::error_code ignored;
        if (fs::is_empty(o.outDir, ignored) && !ignored)
            fs::remove(o.outDir, ignored);
    }
    if (reports.failed())
        return kExitUsage; // the caller says that standard output failed
    int converted = 0;
    for (const Done& d : done)
        converted += d.ready && d.ok;
    const int failures = static_cast<int>(o.inputs.size()) - converted;
    if (!run.startError.empty())
        err << "vellora-cli convert: note: " << run.threads << " jobs ran: no more threads could be started ("
            << run.startError << ")\n";
    out << o.inputs.size() << (o.inputs.size() == 1 ? " file: " : " files: ") << converted << " converted, "
        << failures << " failed\n";
    return failures > 0 ? kExitUsage : kExitFits;
}

} // namespace

int ConvertCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const ConvertOptions o = ParseConvert(args);
    if (o.help) {
        out << "usage: " << kConvertUsage;
        return kExitFits;
    }
    if (!o.outDir.empty())
        return ConvertMany(o, out, err);
    ConvertOne(o.inputs.front(), o.out, o, out, err);
    return kExitFits;
}

} // namespace vellora::cli
