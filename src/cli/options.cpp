// SPDX-License-Identifier: MIT
#include "options.h"

#include <array>
#include <charconv>
#include <utility>

namespace vellora::cli {

void Reject(std::string_view option, std::string_view value, std::string_view allowed) {
    std::string line = "vellora-cli: ";
    line += option;
    line += ": bad value \"";
    line += value;
    line += "\" (allowed: ";
    line += allowed;
    line += ")";
    throw UsageError(line);
}

void RejectUnknown(std::string_view command, std::string_view option, std::string_view allowed) {
    throw UsageError("vellora-cli " + std::string(command) + ": unknown option \"" + std::string(option) +
                     "\" (allowed: " + std::string(allowed) + ")");
}

std::optional<int> ParseInt(std::string_view text, int lo, int hi) {
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    for (char c : text)
        if (c < '0' || c > '9')
            return std::nullopt;
    int value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    if (value < lo || value > hi)
        return std::nullopt;
    return value;
}

std::optional<int> ParseFormat(std::string_view text) {
    static constexpr std::array<std::pair<std::string_view, int>, 13> kNames = {{{"ci4", 0},
                                                                                 {"4", 1},
                                                                                 {"i4", 1},
                                                                                 {"ia4", 1},
                                                                                 {"ci8", 2},
                                                                                 {"8", 3},
                                                                                 {"i8", 3},
                                                                                 {"ia8", 3},
                                                                                 {"16", 4},
                                                                                 {"ia16", 4},
                                                                                 {"rgba16", 4},
                                                                                 {"32", 5},
                                                                                 {"rgba32", 5}}};
    for (const auto& [name, index] : kNames)
        if (name == text)
            return index;
    return std::nullopt;
}

std::optional<LevelsChoice> ParseLevels(std::string_view text) {
    if (text == "auto")
        return LevelsChoice{true, false, 0};
    if (text == "auto-w64")
        return LevelsChoice{true, true, 0};
    if (auto n = ParseInt(text, 0, 7))
        return LevelsChoice{false, false, *n};
    return std::nullopt;
}

std::optional<Size> ParseSize(std::string_view text) {
    const auto x = text.find('x');
    if (x == std::string_view::npos)
        return std::nullopt;
    auto w = ParseInt(text.substr(0, x), 1, kMaxWidth);
    auto h = ParseInt(text.substr(x + 1), 1, kMaxHeight);
    if (!w || !h)
        return std::nullopt;
    return Size{*w, *h};
}

const std::string& ArgReader::value(std::string_view option, std::string_view allowed) {
    if (done()) {
        throw UsageError("vellora-cli: " + std::string(option) +
                         ": missing value (allowed: " + std::string(allowed) + ")");
    }
    return next();
}

int RequireInt(std::string_view option, std::string_view text, int lo, int hi) {
    auto v = ParseInt(text, lo, hi);
    if (!v)
        Reject(option, text, std::to_string(lo) + " to " + std::to_string(hi));
    return *v;
}

int RequireFormat(std::string_view option, std::string_view text) {
    auto v = ParseFormat(text);
    if (!v)
        Reject(option, text, kFormatsAllowed);
    return *v;
}

Size RequireSize(std::string_view option, std::string_view text) {
    auto v = ParseSize(text);
    if (!v)
        Reject(option, text, "WxH, width 1 to 1024, height 1 to 256");
    return *v;
}

LevelsChoice RequireLevels(std::string_view option, std::string_view text) {
    auto v = ParseLevels(text);
    if (!v)
        Reject(option, text, kLevelsAllowed);
    return *v;
}

} // namespace vellora::cli
