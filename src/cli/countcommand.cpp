// SPDX-License-Identifier: MIT
#include "countcommand.h"

#include "cli.h"

#include <deque>

namespace vellora::cli {

CountReport RunCount(const Settings& settings, const std::vector<Size>& tiles, CoreState& state,
                     CalcHooks hooks, std::vector<std::string> leading) {
    CountReport rep;
    rep.messages = std::move(leading);
    if (tiles.empty()) {
        rep.result = CalcTMEM(settings, state, false, hooks);
        if (rep.result.levelsBox == Paint::Yellow)
            rep.levelBox = "yellow";
    } else {
        CalcTMEM(settings, state, false, hooks);
        std::deque<std::string> answers;
        for (const Size& t : tiles) {
            answers.push_back(std::to_string(t.width));
            answers.push_back(std::to_string(t.height));
        }
        hooks.askTile = [&answers](const std::string&, const std::string&) {
            // The answers were checked before, so running dry cannot happen;
            // a valid size keeps the prompts from asking for ever if it did.
            if (answers.empty())
                return std::string("1");
            std::string a = std::move(answers.front());
            answers.pop_front();
            return a;
        };
        rep.result = CalcTMEM(settings, state, true, hooks);
    }
    rep.messages.insert(rep.messages.end(), rep.result.messages.begin(), rep.result.messages.end());
    rep.levels = CountedLevels(state.tiles, rep.result.maxIndex, rep.result.detailFlag);
    return rep;
}

void ApplyLevels(const LevelsChoice& levels, Settings& settings) {
    settings.autoLevels = levels.automatic;
    settings.widthRule = levels.widthRule;
    if (!levels.automatic)
        settings.levels = std::to_string(levels.manual);
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

int CountCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream&) {
    Settings s;
    s.width = "64";
    s.height = "64";
    s.baseFormat = 1;
    s.detailEnabled = false;
    LevelOptions lv;
    bool json = false;

    ArgReader in(args, 1);
    while (!in.done()) {
        const std::string opt = in.next();
        if (opt == "--width") {
            s.width = std::to_string(RequireInt(opt, in.value(opt, "1 to 1024"), 1, kMaxWidth));
        } else if (opt == "--height") {
            s.height = std::to_string(RequireInt(opt, in.value(opt, "1 to 256"), 1, kMaxHeight));
        } else if (opt == "--format") {
            s.baseFormat = RequireFormat(opt, in.value(opt, kFormatsAllowed));
        } else if (opt == "--levels") {
            lv.levels = RequireLevels(opt, in.value(opt, kLevelsAllowed));
        } else if (opt == "--detail") {
            const std::string& v = in.value(opt, "WxH or WxH:F");
            const auto colon = v.find(':');
            const Size size = RequireSize(opt, v.substr(0, colon));
            s.detailEnabled = true;
            s.detailWidth = std::to_string(size.width);
            s.detailHeight = std::to_string(size.height);
            s.detailFormat = 1;
            if (colon != std::string::npos) {
                auto f = ParseFormat(std::string_view(v).substr(colon + 1));
                if (!f)
                    Reject(opt, v, std::string("WxH:F with F one of ") + std::string(kFormatsAllowed));
                s.detailFormat = *f;
            }
        } else if (opt == "--tile") {
            lv.tiles.push_back(RequireSize(opt, in.value(opt, "WxH, width 1 to 1024, height 1 to 256")));
        } else if (opt == "--json") {
            json = true;
        } else if (opt == "--help" || opt == "-h") {
            out << "usage: " << kCountUsage;
            return kExitFits;
        } else {
            RejectUnknown("count", opt,
                          "--width, --height, --format, --levels, --detail, --tile, --json, --help");
        }
    }
    CheckTiles("--tile", lv.tiles.size(), lv.levels, s.detailEnabled);
    ApplyLevels(lv.levels, s);

    CoreState state;
    const CountReport rep = RunCount(s, lv.tiles, state, {});
    if (json)
        WriteJson(rep, out);
    else
        WriteText(rep, out);
    return rep.result.exceeds() ? kExitExceeds : kExitFits;
}

} // namespace vellora::cli
