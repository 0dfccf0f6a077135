// SPDX-License-Identifier: MIT
#include "checkcommand.h"

#include "cli.h"
#include "countcommand.h"
#include "hardwareoptions.h"
#include "loadcommand.h"
#include "options.h"
#include "report.h"

#include "bitmap/loadstep.h"
#include "bitmap/outputfiles.h"
#include "bitmap/picturefile.h"
#include "core/calc.h"
#include "core/detailmap.h"
#include "core/numeric.h"
#include "verify/verify.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iomanip>
#include <memory>
#include <set>
#include <sstream>
#include <thread>

namespace vellora::cli {

namespace {

namespace fs = std::filesystem;

struct CheckOptions {
    LevelsChoice levels;
    std::optional<std::string> detailFile;
    std::optional<DetailSpec> detailSize;
    std::optional<Kind> detailKind;
    HardwareChoice hardware;
    int jobs = 1;
    bool json = false;
    bool quiet = false;
    bool verify = false; // prove each plan that fits on the RDP model
    std::optional<std::string> junit;
    std::vector<std::string> paths;
};

struct FileResult {
    std::string path;
    std::string error; // set when the file could not be read
    // What the text and JUnit reports show of the count.
    int baseWidth = 0, baseHeight = 0, levels = 0;
    long totalBytes = 0, excess = 0;
    int limit = 4096;
    // The whole count, kept only for the JSON report: with its byte maps it
    // is some 20 KB a file, which thousands of files need not hold.
    std::unique_ptr<CountReport> report;
    Kind kind = Kind::I4;
    bool fitsCalculator = false;
    bool fitsHardware = false;
    bool fits = false;
    bool verified = false; // its plan read back right on the RDP model
    std::optional<std::string> hardwareReason;
    std::vector<hw::Suggestion> suggestions;
};

bool IsTextureName(const fs::path& p) {
    return HasExtension(p.native(), ".png") || HasExtension(p.native(), ".bmp");
}

// Files in the order given; each folder's textures sorted by path; every
// file once. Symbolic links to folders are not followed.
std::vector<std::string> CollectFiles(const std::vector<std::string>& paths) {
    std::vector<std::string> files;
    // A file is the same file under any name (a link, a second path to
    // it): its device and inode say so with one stat.
    std::set<std::pair<dev_t, ino_t>> seen;
    auto add = [&](const fs::path& p) {
        struct stat st {};
        if (::stat(p.c_str(), &st) != 0 || seen.insert({st.st_dev, st.st_ino}).second)
            files.push_back(p.string());
    };
    for (const std::string& path : paths) {
        std::error_code ec;
        const fs::file_status status = fs::status(path, ec);
        if (!fs::exists(status))
            throw UsageError("vellora-cli check: " + path + ": no such file or folder");
        if (!fs::is_directory(status)) {
            add(path);
            continue;
        }
        std::vector<fs::path> found;
        for (fs::recursive_directory_iterator it(path, fs::directory_options::skip_permission_denied, ec),
             end;
             !ec && it != end; it.increment(ec)) {
            if (it->is_regular_file(ec) && IsTextureName(it->path()))
                found.push_back(it->path());
        }
        std::sort(found.begin(), found.end());
        for (const fs::path& f : found)
            add(f);
    }
    return files;
}

CheckOptions ParseCheck(const std::vector<std::string>& args, bool& help) {
    CheckOptions o;
    std::optional<std::string> levels, filter, detail, jobs, junit;
    HardwareTexts hwTexts;
    CommandLine cl(
        "check",
        "PATH..., --levels, --filter, --detail, --wrap, --rules, --verify, --jobs, --json, --junit, --quiet");
    cl.positionals(o.paths);
    cl.value("--levels", levels, std::string(kLevelsAllowed));
    cl.value("--filter", filter, "3x3 or 2x2");
    cl.value("--detail", detail, "a BMP or PNG file, or WxH[:F]");
    cl.value("--jobs", jobs, "1 to 256");
    cl.value("--junit", junit, "an XML file to write");
    cl.value("--wrap", hwTexts.wrap, "S,T with each one of wrap, mirror, clamp");
    cl.value("--rules", hwTexts.rules, "calculator, hardware or both");
    cl.flag("--json", o.json);
    cl.flag("--quiet", o.quiet);
    cl.flag("--verify", o.verify);
    cl.flag("--help,-h", help);
    cl.parse(args, 1);
    if (help)
        return o;
    o.jobs = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 256u));
    o.hardware.rules = Rules::Both;
    for (const std::string& opt : cl.given()) {
        if (opt == "--levels") {
            o.levels = RequireLevels(opt, *levels);
        } else if (opt == "--filter") {
            // Generated levels change pixels, never sizes: the count is the same with either filter.
            RequireFilter(opt, *filter);
        } else if (opt == "--detail") {
            const std::string& v = *detail;
            const std::size_t colon = v.find(':');
            const std::optional<Size> size = ParseSize(std::string_view(v).substr(0, colon));
            if (size && !fs::exists(v)) {
                DetailSpec d;
                d.size = {size->width, size->height};
                if (colon != std::string::npos) {
                    const FormatChoice f = RequireFormatKind(opt, std::string_view(v).substr(colon + 1));
                    d.format = f.row;
                    o.detailKind = f.kind;
                }
                o.detailSize = d;
                o.detailFile.reset();
            } else {
                if (!fs::exists(v))
                    throw UsageError("vellora-cli check: " + v + ": no such file");
                o.detailFile = v;
                o.detailSize.reset();
            }
        } else if (opt == "--jobs") {
            o.jobs = RequireInt(opt, *jobs, 1, 256);
        } else if (opt == "--junit") {
            o.junit = *junit;
        } else {
            ApplyHardwareOption(opt, hwTexts, o.hardware);
        }
    }
    if (o.paths.empty())
        throw UsageError("vellora-cli check: missing PATH (allowed: one or more files or folders)");
    return o;
}

std::string Reason(const FileResult& r) {
    if (!r.fitsCalculator)
        return "exceeds TMEM by " + std::to_string(r.excess) + " bytes";
    if (!r.fitsHardware)
        return "the hardware cannot load it: " + r.hardwareReason.value_or("");
    return std::string();
}

using ResultPtr = std::unique_ptr<FileResult>;

ResultPtr CheckOne(const std::string& path, const CoreState& start, const CheckOptions& o) {
    auto result = std::make_unique<FileResult>();
    FileResult& r = *result;
    r.path = path;
    CoreState state = start;
    Settings s;
    const bool detailOn = o.detailFile || o.detailSize;
    s.detailEnabled = detailOn;
    const int detailFlag = detailOn ? 1 : 0;
    LoadStepResult loaded;
    try {
        loaded = LoadFileInto(path, LoadRole::Base, state, detailFlag);
    } catch (const std::exception& e) {
        loaded.ok = false;
        loaded.error = e.what();
    }
    if (!loaded.ok) {
        r.error = loaded.error.empty() ? std::string("cannot be read") : loaded.error;
        return result;
    }
    ApplyToSettings(loaded.file, LoadRole::Base, s);
    TextureSpec spec = SpecAtOwnSize(s, state.tiles);
    spec.format = s.baseFormat;
    if (o.detailSize) {
        spec.detail = *o.detailSize;
    } else if (o.detailFile) {
        spec.detail = DetailSpec{{state.tiles[0].Width, state.tiles[0].Height}, Format::Bits4};
    }
    ApplyLevels(o.levels, spec);
    // Sizes alone decide the count; the levels' pictures are never needed,
    // and the byte map only goes into the JSON report.
    CountReport report = RunCount(spec, {}, state.tiles, {}, loaded.file.messages,
                                  o.json ? CountDetail::Full : CountDetail::SizesOnly);
    report.bitmap = BitmapFacts{loaded.file.info};
    const Count& c = report.count;
    for (const CountedLevel& l : c.levels) {
        if (l.role == LevelRole::Base) {
            r.baseWidth = l.width;
            r.baseHeight = l.height;
        }
    }
    r.levels = c.maxIndex - c.detailFlag + 1;
    r.totalBytes = c.totalBytes;
    r.excess = c.excess();
    r.limit = c.tmemLimit;

    hw::TextureCase texture;
    texture.spec = spec;
    texture.baseKind = KindInRow(spec.format.value_or(Format::Bits4), state.baseKind);
    texture.detailKind = spec.detail ? KindInRow(spec.detail->format.value_or(Format::Bits4),
                                                 o.detailKind ? o.detailKind : state.detailKind)
                                     : Kind::I4;
    texture.options = o.hardware.tile;
    r.kind = texture.baseKind;
    const std::vector<hw::Level> levels = hw::LevelsOf(c, texture.baseKind, texture.detailKind);
    // The whole layout (tiles, loads, byte map) only goes into the JSON report.
    if (o.json) {
        report.hardware = hw::LayOut(levels, texture.options);
        r.hardwareReason = report.hardware->reason;
    } else {
        r.hardwareReason = hw::HardwareVerdict(levels);
    }
    r.fitsCalculator = !c.exceeds();
    r.fitsHardware = !r.hardwareReason;
    if (o.verify && r.fitsHardware) {
        const verify::Result proof =
            verify::VerifyPlan(report.hardware ? *report.hardware : hw::LayOut(levels, texture.options));
        r.verified = proof.ok();
        if (!r.verified) {
            r.fitsHardware = false;
            r.hardwareReason = "the RDP model reads its plan back wrong: " + proof.describe();
        }
    }
    const Rules rules = o.hardware.rules.value_or(Rules::Both);
    r.fits = hw::FitsBy(rules, r.fitsCalculator, r.fitsHardware);
    if (!r.fits) {
        std::optional<int> colours;
        if (texture.baseKind == Kind::RGBA16 || texture.baseKind == Kind::CI8) {
            const TileLevel& base = state.tiles[static_cast<std::size_t>(detailFlag)];
            colours = hw::DistinctColours(base.Pixels, loaded.file.info.width, loaded.file.info.height);
        }
        r.suggestions = hw::Suggest(texture, rules, colours);
    }
    if (o.json)
        r.report = std::make_unique<CountReport>(std::move(report));
    return result;
}

std::string XmlEscape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            // Control characters other than tab and line breaks are not allowed in XML 1.0.
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r')
                out += '?';
            else
                out += c;
        }
    }
    return out;
}

std::string SuggestionText(const hw::Suggestion& s) {
    return s.change + " (" + std::to_string(s.bytes) + " bytes of " + std::to_string(s.limit) + ", " +
           (s.fitsBoth ? "fits" : "still does not fit") + ")";
}

std::string JunitReport(const std::vector<ResultPtr>& results, double seconds) {
    int failures = 0, errors = 0;
    for (const ResultPtr& each : results) {
        const FileResult& r = *each;
        errors += !r.error.empty();
        failures += r.error.empty() && !r.fits;
    }
    std::ostringstream x;
    x << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    x << "<testsuite name=\"vellora-cli check\" tests=\"" << results.size() << "\" failures=\"" << failures
      << "\" errors=\"" << errors << "\" time=\"" << std::fixed << std::setprecision(3) << seconds << "\">\n";
    for (const ResultPtr& each : results) {
        const FileResult& r = *each;
        x << "  <testcase classname=\"textures\" name=\"" << XmlEscape(r.path) << "\"";
        if (!r.error.empty()) {
            x << ">\n    <error message=\"" << XmlEscape(r.error) << "\"/>\n  </testcase>\n";
        } else if (!r.fits) {
            std::string details;
            for (const hw::Suggestion& s : r.suggestions)
                details += SuggestionText(s) + "\n";
            x << ">\n    <failure message=\"" << XmlEscape("does not fit: " + Reason(r)) << "\">"
              << XmlEscape(details) << "</failure>\n  </testcase>\n";
        } else {
            x << "/>\n";
        }
    }
    x << "</testsuite>\n";
    return x.str();
}

void WriteLine(const FileResult& r, std::ostream& out, bool colour) {
    if (!r.error.empty()) {
        out << r.path << ": cannot be read: " << r.error << "\n";
        return;
    }
    out << r.path << "  " << KindName(r.kind) << "  " << r.baseWidth << "x" << r.baseHeight << "  levels "
        << r.levels << "  " << r.totalBytes << "/" << r.limit << "  ";
    if (r.fits) {
        out << Painted("fits", true, colour) << "\n";
        return;
    }
    out << Painted("does not fit: " + Reason(r), false, colour);
    if (!r.suggestions.empty())
        out << "; try: " << SuggestionText(r.suggestions.front());
    out << "\n";
}

nlohmann::ordered_json FileJson(const FileResult& r, bool verify) {
    nlohmann::ordered_json j;
    j["path"] = r.path;
    if (!r.error.empty()) {
        j["error"] = r.error;
        return j;
    }
    const nlohmann::ordered_json report = ReportJson(*r.report);
    for (const auto& [key, value] : report.items())
        j[key] = value;
    nlohmann::ordered_json suggestions = nlohmann::ordered_json::array();
    for (const hw::Suggestion& s : r.suggestions)
        suggestions.push_back(
            {{"change", s.change}, {"bytes", s.bytes}, {"limit", s.limit}, {"fits", s.fitsBoth}});
    j["suggestions"] = std::move(suggestions);
    if (verify)
        j["verified"] = r.verified;
    return j;
}

} // namespace

int CheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                 const CliTerminal& terminal) {
    const bool showProgress = terminal.progress;
    bool help = false;
    const CheckOptions o = ParseCheck(args, help);
    if (help) {
        out << "usage: " << kCheckUsage;
        return kExitFits;
    }
    const auto started = std::chrono::steady_clock::now();
    const std::vector<std::string> files = CollectFiles(o.paths);
    if (o.junit) {
        OutputFiles probe;
        probe.add(*o.junit, {'x'});
        if (auto problem = probe.check())
            throw UsageError("vellora-cli check: " + *problem);
    }

    // Only the detail map's size is counted, so only its header is read:
    // every texture starts from a copy of the state, which would otherwise
    // copy the whole picture (64 MiB for 4096 x 4096).
    CoreState start;
    ResetPictures(start.tiles);
    if (o.detailFile) {
        const LoadStepResult d =
            LoadFileInto(*o.detailFile, LoadRole::Detail, start, 0, kMaxPicturePixels, PictureNeed::Size);
        if (!d.ok)
            throw UsageError("vellora-cli check: " + *o.detailFile + ": " + d.error);
    }

    std::vector<ResultPtr> results(files.size());
    std::atomic<std::size_t> next{0}, done{0};
    auto work = [&] {
        for (std::size_t i = next++; i < files.size(); i = next++) {
            results[i] = CheckOne(files[i], start, o);
            ++done;
        }
    };
    const int workers = std::max(1, std::min<int>(o.jobs, static_cast<int>(files.size())));
    std::vector<std::thread> pool;
    for (int i = 1; i < workers; ++i)
        pool.emplace_back(work);
    if (showProgress) {
        std::thread main(work);
        while (done < files.size()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            const double s =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
            err << "\r" << done << " of " << files.size() << " files, "
                << static_cast<long>(done / std::max(s, 1e-3)) << " files/s   " << std::flush;
        }
        main.join();
        err << "\r" << std::string(60, ' ') << "\r" << std::flush;
    } else {
        work();
    }
    for (std::thread& t : pool)
        t.join();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    int fit = 0, misfit = 0, unreadable = 0, verified = 0;
    for (const ResultPtr& each : results) {
        const FileResult& r = *each;
        verified += r.verified;
        if (!r.error.empty())
            ++unreadable;
        else if (r.fits)
            ++fit;
        else
            ++misfit;
    }

    if (o.junit) {
        const std::string xml = JunitReport(results, seconds);
        OutputFiles report;
        report.add(*o.junit, std::vector<std::uint8_t>(xml.begin(), xml.end()));
        if (auto problem = report.write())
            throw UsageError("vellora-cli check: " + *problem);
    }
    if (o.json) {
        out << "[";
        for (std::size_t i = 0; i < results.size(); ++i)
            // A file name need not be UTF-8; such bytes are replaced rather than ending the report.
            out << (i == 0 ? "\n  " : ",\n  ")
                << FileJson(*results[i], o.verify)
                       .dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
        out << "\n]\n";
    } else {
        for (const ResultPtr& r : results)
            if (!o.quiet || !r->error.empty() || !r->fits)
                WriteLine(*r, out, terminal.colour);
        out << results.size() << (results.size() == 1 ? " file: " : " files: ") << fit << " fit";
        if (o.verify)
            out << " (" << verified << " verified on the RDP model)";
        out << ", " << misfit << " do not fit, " << unreadable << " unreadable, " << std::fixed
            << std::setprecision(2) << seconds << " s\n";
    }
    if (unreadable > 0)
        return kExitUsage;
    return misfit > 0 ? kExitExceeds : kExitFits;
}

} // namespace vellora::cli
