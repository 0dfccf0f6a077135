// SPDX-License-Identifier: MIT
#include "checkcommand.h"

#include "cli.h"
#include "countcommand.h"
#include "hardwareoptions.h"
#include "loadcommand.h"
#include "options.h"
#include "parallel.h"
#include "report.h"

#include "bitmap/loadstep.h"
#include "bitmap/picturefile.h"
#include "core/numeric.h"
#include "document/analysis.h"
#include "document/messages.h"
#include "document/outputfiles.h"
#include "document/texture.h"
#include "verify/verify.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iomanip>
#include <memory>
#include <mutex>
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
    int baseWidth = 0, baseHeight = 0;
    std::string levels; // "7 levels (0-6)"
    long totalBytes = 0, excess = 0;
    int limit = 4096;
    // The whole count, kept only until the file's JSON object is written:
    // with its byte maps it is some 20 KB a file, which thousands of files
    // need not hold.
    std::unique_ptr<CountReport> report;
    Kind kind = Kind::I4;
    bool fitsCalculator = false;
    bool fitsHardware = false;
    bool fits = false;
    std::string reason;    // why it does not fit, when it does not
    bool verified = false; // its plan read back right on the RDP model
    std::optional<std::string> hardwareReason;
    std::vector<hw::Suggestion> suggestions;
};

bool IsTextureName(const fs::path& p) {
    return HasExtension(p.native(), ".png") || HasExtension(p.native(), ".bmp");
}

// A file to check, or a folder the walk could not read (error set).
struct Found {
    std::string path;
    std::string error;
    friend bool operator<(const Found& a, const Found& b) { return a.path < b.path; }
};

// Every texture under root. Each folder is listed whole and closed before
// the walk goes into its subfolders, so a deep tree holds one folder open,
// not one for each level; a folder that cannot be listed is reported and
// the walk goes on past it. Symbolic links to folders are not followed.
void Walk(const fs::path& root, std::vector<Found>& found) {
    std::vector<fs::path> folders{root};
    while (!folders.empty()) {
        const fs::path folder = std::move(folders.back());
        folders.pop_back();
        std::vector<fs::path> inside;
        std::error_code ec;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code ignored;
            if (it->is_symlink(ignored) ? false : it->is_directory(ignored))
                inside.push_back(it->path());
            else if (IsTextureName(it->path()) && it->is_regular_file(ignored))
                found.push_back({it->path().string(), {}});
        }
        if (ec)
            found.push_back({folder.string(), "the folder cannot be listed (" + ec.message() + ")"});
        folders.insert(folders.end(), inside.begin(), inside.end());
    }
}

// Files in the order given; each folder's textures sorted by path; every
// file once.
std::vector<Found> CollectFiles(const std::vector<std::string>& paths) {
    std::vector<Found> files;
    // A file is the same file under any name (a link, a second path to
    // it): its device and inode say so with one stat.
    std::set<std::pair<dev_t, ino_t>> seen;
    auto add = [&](Found f) {
        struct stat st {};
        if (!f.error.empty() || ::stat(f.path.c_str(), &st) != 0 ||
            seen.insert({st.st_dev, st.st_ino}).second)
            files.push_back(std::move(f));
    };
    for (const std::string& path : paths) {
        std::error_code ec;
        const fs::file_status status = fs::status(path, ec);
        if (!fs::exists(status))
            throw UsageError("vellora-cli check: " + path + ": no such file or folder");
        if (!fs::is_directory(status)) {
            add({path, {}});
            continue;
        }
        std::vector<Found> found;
        Walk(path, found);
        std::sort(found.begin(), found.end());
        for (Found& f : found)
            add(std::move(f));
    }
    return files;
}

CheckOptions ParseCheck(const std::vector<std::string>& args, bool& help) {
    CheckOptions o;
    std::optional<std::string> levels, filter, detail, jobs, junit;
    HardwareTexts hwTexts;
    CommandLine cl("check", "PATH..., --levels, --filter, --detail, --wrap, --palette, --rules, --verify, "
                            "--jobs, --json, --junit, --quiet");
    cl.positionals(o.paths);
    cl.value("--levels", levels, std::string(kLevelsAllowed));
    cl.value("--filter", filter, "3x3 or 2x2");
    cl.value("--detail", detail, "a BMP or PNG file, or WxH[:F]");
    cl.value("--jobs", jobs, "1 to 256");
    cl.value("--junit", junit, "an XML file to write");
    cl.value("--wrap", hwTexts.wrap, "S,T with each one of wrap, mirror, clamp");
    cl.value("--palette", hwTexts.palette, "0 to 15, a CI4 texture's palette");
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
            // One rule, whatever is on disk: WxH[:F] is a size, anything else
            // a file (a file named like a size is given as ./16x16).
            const std::string& v = *detail;
            const std::size_t colon = v.find(':');
            if (LooksLikeSize(std::string_view(v).substr(0, colon))) {
                const Size size = RequireSize(opt, v.substr(0, colon));
                DetailSpec d;
                d.size = {size.width, size.height};
                if (colon != std::string::npos) {
                    const FormatChoice f = RequireFormatKind(opt, std::string_view(v).substr(colon + 1));
                    d.format = f.row;
                    o.detailKind = f.kind;
                }
                o.detailSize = d;
                o.detailFile.reset();
            } else {
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

// Why it does not fit, by the rule that decided first: under --rules
// hardware the count's excess decides nothing and is not the reason.
std::string Reason(const FileResult& r, Rules rules) {
    if (rules != Rules::Hardware && !r.fitsCalculator)
        return "exceeds TMEM by " + std::to_string(r.excess) + " bytes";
    if (!r.fitsHardware)
        return "the hardware cannot load it: " + r.hardwareReason.value_or("");
    return std::string();
}

using ResultPtr = std::unique_ptr<FileResult>;

ResultPtr CheckOne(const std::string& path, const doc::Texture& start, const CheckOptions& o) {
    auto result = std::make_unique<FileResult>();
    FileResult& r = *result;
    r.path = path;
    doc::Texture texture = start;
    doc::LoadResult loaded;
    try {
        loaded = doc::LoadPicture(texture, path, LoadRole::Base, texture.spec.detail ? 1 : 0);
    } catch (const std::exception& e) {
        loaded = {false, e.what()};
    }
    if (!loaded.ok) {
        r.error = loaded.error;
        return result;
    }
    // The byte map and the whole layout only go into the JSON report.
    doc::AnalyzeOptions options;
    options.detail = o.json ? CountDetail::Full : CountDetail::SizesOnly;
    options.layout = o.json;
    options.verify = o.verify;
    options.rules = o.hardware.rules.value_or(Rules::Both);
    doc::Analysis a = doc::Analyze(texture, options);
    const Count& c = a.count;
    for (const CountedLevel& l : c.levels) {
        if (l.role == LevelRole::Base) {
            r.baseWidth = l.width;
            r.baseHeight = l.height;
        }
    }
    r.levels = doc::LevelsPhrase(c);
    r.totalBytes = c.totalBytes;
    r.excess = c.excess();
    r.limit = c.tmemLimit;
    r.kind = texture.storedBaseKind();
    r.fitsCalculator = a.fitsCalculator();
    r.fitsHardware = a.fitsHardware();
    r.hardwareReason = a.hardwareReason;
    r.verified = a.verified();
    r.fits = a.fits(options.rules);
    if (!r.fits)
        r.reason = Reason(r, options.rules);
    r.suggestions = std::move(a.suggestions);
    if (o.json) {
        CountReport report;
        report.count = std::move(a.count);
        report.messages = std::move(a.messages);
        report.levelBoxYellow = report.count.levelsCutBack;
        report.bitmap = BitmapFacts{*texture.baseFile};
        report.hardware = std::move(a.layout);
        r.report = std::make_unique<CountReport>(std::move(report));
    }
    return result;
}

std::string XmlEscape(const std::string& text) {
    std::string out;
    // A file name need not be UTF-8, and XML must be: such bytes become U+FFFD.
    for (char c : Utf8OrReplaced(text)) {
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
            // Control characters other than tab and line breaks are not
            // allowed in XML 1.0, not even as character references.
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r')
                out += "\xEF\xBF\xBD";
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
            x << ">\n    <failure message=\"" << XmlEscape("does not fit: " + r.reason) << "\">"
              << XmlEscape(details) << "</failure>\n  </testcase>\n";
        } else {
            x << "/>\n";
        }
    }
    x << "</testsuite>\n";
    return x.str();
}

void WriteLine(const FileResult& r, std::ostream& out, const CliTerminal& terminal) {
    const bool colour = terminal.colour;
    const std::string path = terminal.outTerminal ? TerminalSafe(r.path) : r.path;
    if (!r.error.empty()) {
        out << path << ": cannot be read: " << (terminal.outTerminal ? TerminalSafe(r.error) : r.error)
            << "\n";
        return;
    }
    out << path << "  " << KindName(r.kind) << "  " << r.baseWidth << "x" << r.baseHeight << "  " << r.levels
        << "  " << r.totalBytes << "/" << r.limit << "  ";
    if (r.fits) {
        out << Painted("fits", true, colour) << "\n";
        return;
    }
    out << Painted("does not fit: " + r.reason, false, colour);
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
        out << "usage: " << kCheckUsage << kDetailRule;
        return kExitFits;
    }
    const auto started = std::chrono::steady_clock::now();
    const std::vector<Found> files = CollectFiles(o.paths);
    if (o.junit) {
        OutputFiles probe;
        probe.add(*o.junit, {'x'});
        if (auto problem = probe.check())
            throw UsageError("vellora-cli check: " + *problem);
    }

    // Only the detail map's size is counted, so only its header is read:
    // every texture starts from a copy of the state, which would otherwise
    // copy the whole picture (64 MiB for 4096 x 4096).
    doc::Texture start;
    ApplyLevels(o.levels, start.spec);
    start.tiles = o.hardware.tile;
    if (o.detailSize) {
        start.spec.detail = o.detailSize;
        start.detailKind = o.detailKind;
    } else if (o.detailFile) {
        const doc::LoadResult d =
            doc::LoadPicture(start, *o.detailFile, LoadRole::Detail, 0, kMaxPicturePixels, PictureNeed::Size);
        if (!d.ok)
            throw UsageError("vellora-cli check: " + *o.detailFile + ": " + d.error);
    }

    // Each file's report is written as soon as it and every file before it
    // are done, and its JSON is dropped then: memory holds the files under
    // way, not the whole run's reports.
    std::vector<ResultPtr> results(files.size());
    std::vector<std::string> objects(o.json ? files.size() : 0);
    InOrder reports(files.size(), [&](std::size_t k) {
        if (o.json) {
            out << (k == 0 ? "\n  " : ",\n  ") << objects[k];
            std::string().swap(objects[k]);
        } else if (!o.quiet || !results[k]->error.empty() || !results[k]->fits) {
            WriteLine(*results[k], out, terminal);
        }
        return static_cast<bool>(out);
    });
    if (o.json)
        out << "[";
    auto finish = [&](std::size_t i, ResultPtr r) {
        if (o.json)
            // A file name need not be UTF-8; such bytes are replaced rather than ending the report.
            objects[i] =
                FileJson(*r, o.verify).dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
        r->report.reset();
        results[i] = std::move(r);
        return reports.done(i);
    };
    auto task = [&](std::size_t i) {
        if (!files[i].error.empty()) {
            auto r = std::make_unique<FileResult>();
            r->path = files[i].path;
            r->error = files[i].error;
            return finish(i, std::move(r));
        }
        return finish(i, CheckOne(files[i].path, start, o));
    };
    auto failed = [&](std::size_t i, const std::string& reason) {
        auto r = std::make_unique<FileResult>();
        r->path = files[i].path;
        r->error = reason;
        finish(i, std::move(r));
    };
    std::function<void(std::size_t)> progress;
    if (showProgress) {
        progress = [&](std::size_t done) {
            const double s =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
            err << "\r" << done << " of " << files.size() << " files, "
                << static_cast<long>(static_cast<double>(done) / std::max(s, 1e-3)) << " files/s   "
                << std::flush;
        };
    }
    const ParallelRun run = RunParallel(files.size(), o.jobs, task, failed, progress);
    if (showProgress)
        err << "\r" << std::string(60, ' ') << "\r" << std::flush;
    // A file whose failure could not even be recorded still counts, as unreadable.
    for (std::size_t i = 0; i < files.size() && !run.stopped; ++i)
        if (!results[i])
            failed(i, "internal error: it could not be checked");
    if (reports.failed() || !out)
        return kExitUsage; // the caller says that standard output failed
    if (!run.startError.empty())
        err << "vellora-cli check: note: " << run.threads << " of "
            << std::min(static_cast<std::size_t>(o.jobs), files.size())
            << " jobs ran: no more threads could be started (" << run.startError << ")\n";
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
        out << "\n]\n";
    } else {
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
