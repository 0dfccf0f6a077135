// SPDX-License-Identifier: MIT
#include "options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <map>
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

std::optional<Format> ParseFormat(std::string_view text) {
    static constexpr std::array<std::pair<std::string_view, Format>, 15> kNames = {
        {{"ci4", Format::CI4},
         {"4", Format::Bits4},
         {"i4", Format::Bits4},
         {"ia4", Format::Bits4},
         {"ci8", Format::CI8},
         {"8", Format::Bits8},
         {"i8", Format::Bits8},
         {"ia8", Format::Bits8},
         {"16", Format::Bits16},
         {"ia16", Format::Bits16},
         {"rgba16", Format::Bits16},
         {"32", Format::Bits32},
         {"rgba32", Format::Bits32},
         {"ci4_ia16", Format::CI4},
         {"ci8_ia16", Format::CI8}}};
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

bool LooksLikeSize(std::string_view text) {
    const std::size_t x = text.find('x');
    auto digits = [](std::string_view part) {
        return !part.empty() && part.find_first_not_of("0123456789") == std::string_view::npos;
    };
    return x != std::string_view::npos && digits(text.substr(0, x)) && digits(text.substr(x + 1));
}

struct CommandLine::Impl {
    CLI::App app;
    std::string command;
    std::string allowed;
    std::map<std::string, std::string> valueOptions; // name -> what a missing value should have been
    std::optional<std::string>* single = nullptr;    // where positionals go
    std::vector<std::string>* many = nullptr;
};

CommandLine::CommandLine(std::string command, std::string allowed) : impl_(new Impl) {
    impl_->command = std::move(command);
    impl_->allowed = std::move(allowed);
    impl_->app.set_help_flag();
    impl_->app.allow_extras();
    impl_->app.positionals_at_end(false);
}

CommandLine::~CommandLine() {
    delete impl_;
}

void CommandLine::value(const std::string& name, std::optional<std::string>& target, std::string allowed) {
    impl_->valueOptions[name] = std::move(allowed);
    impl_->app.add_option_function<std::string>(name, [&target](const std::string& v) { target = v; })
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast)
        ->allow_extra_args(false);
}

void CommandLine::repeated(const std::string& name, std::vector<std::string>& target, std::string allowed) {
    impl_->valueOptions[name] = std::move(allowed);
    impl_->app.add_option(name, target)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->allow_extra_args(false);
}

void CommandLine::flag(const std::string& name, bool& target) {
    impl_->app.add_flag(name, target);
}

void CommandLine::positional(std::optional<std::string>& target) {
    impl_->single = &target;
    impl_->app
        .add_option_function<std::string>("positional", [&target](const std::string& v) { target = v; })
        ->expected(1);
}

void CommandLine::positionals(std::vector<std::string>& target) {
    impl_->many = &target;
    impl_->app.add_option("positionals", target)->expected(0, -1);
}

void CommandLine::parse(const std::vector<std::string>& args, std::size_t first) {
    // A value option takes the next argument whatever it looks like (a value
    // may start with '-'): "--name value" and "--name=value" are both handed
    // to CLI11 as --name=value. After "--" every argument is a positional.
    std::vector<std::string> joined, afterOptions;
    for (std::size_t i = first; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") {
            afterOptions.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
            break;
        }
        const std::size_t equals = a.rfind("--", 0) == 0 ? a.find('=') : std::string::npos;
        const std::string name = a.substr(0, equals);
        auto option = impl_->valueOptions.find(name);
        if (option == impl_->valueOptions.end()) {
            joined.push_back(a);
            continue;
        }
        if (equals == std::string::npos && i + 1 >= args.size())
            throw UsageError("vellora-cli: " + a + ": missing value (allowed: " + option->second + ")");
        const std::string v = equals == std::string::npos ? args[++i] : a.substr(equals + 1);
        if (v.empty()) {
            // "--name=" would read as a missing value; an empty text is a value to check.
            joined.push_back(name);
            joined.push_back(v);
        } else {
            joined.push_back(name + "=" + v);
        }
    }
    std::vector<std::string> reversed(joined.rbegin(), joined.rend());
    try {
        impl_->app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        throw UsageError("vellora-cli " + impl_->command + ": " + e.what());
    }
    const std::vector<std::string> extras = impl_->app.remaining();
    if (!extras.empty())
        RejectUnknown(impl_->command, extras.front(), impl_->allowed);
    // Whatever follows "--" is a positional, even when it starts with '-'.
    for (const std::string& a : afterOptions) {
        if (impl_->many)
            impl_->many->push_back(a);
        else if (impl_->single && !*impl_->single)
            *impl_->single = a;
        else
            RejectUnknown(impl_->command, a, impl_->allowed);
    }
    // The options in the order CLI11 met them, each named once by its long name.
    for (const CLI::Option* option : impl_->app.parse_order()) {
        const std::vector<std::string>& names = option->get_lnames();
        if (names.empty())
            continue; // a positional
        const std::string name = "--" + names.front();
        if (std::find(given_.begin(), given_.end(), name) == given_.end())
            given_.push_back(name);
    }
}

int RequireInt(std::string_view option, std::string_view text, int lo, int hi) {
    auto v = ParseInt(text, lo, hi);
    if (!v)
        Reject(option, text, std::to_string(lo) + " to " + std::to_string(hi));
    return *v;
}

std::string RequireIdentifier(std::string_view option, std::string_view text) {
    // Names arrays in C: a letter or _ first, then letters, digits or _.
    const auto word = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
    const bool ok = !text.empty() && !std::isdigit(static_cast<unsigned char>(text.front())) &&
                    std::all_of(text.begin(), text.end(), word) && text.size() <= 64;
    if (!ok)
        Reject(option, text, kIdentifierAllowed);
    return std::string(text);
}

Format RequireFormat(std::string_view option, std::string_view text) {
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
