// SPDX-License-Identifier: MIT
#pragma once

#include "core/formats.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vellora::cli {

// A rejected command line. The text is the whole line shown on stderr: it
// names the option, the value and what would have been accepted.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

[[noreturn]] void Reject(std::string_view option, std::string_view value, std::string_view allowed);
[[noreturn]] void RejectUnknown(std::string_view command, std::string_view option, std::string_view allowed);

inline constexpr int kMaxWidth = 1024;
inline constexpr int kMaxHeight = 256;

struct Size {
    int width = 0;
    int height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// How the levels are chosen: automatic with either stop rule, or a level box value.
struct LevelsChoice {
    bool automatic = true;
    bool widthRule = false;
    int manual = 0; // the index of the last level when not automatic
};

inline constexpr std::string_view kFormatsAllowed =
    "ci4, 4, ci8, 8, 16, 32, i4, ia4, i8, ia8, ia16, rgba16, rgba32, ci4_ia16, ci8_ia16";
inline constexpr std::string_view kLevelsAllowed = "auto, auto-w64 or 0 to 7";

// A plain decimal integer from lo to hi, nothing else around it.
std::optional<int> ParseInt(std::string_view text, int lo, int hi);
// The format row a format name selects.
std::optional<Format> ParseFormat(std::string_view text);
std::optional<LevelsChoice> ParseLevels(std::string_view text);
// "WxH" with W from 1 to 1024 and H from 1 to 256.
std::optional<Size> ParseSize(std::string_view text);
// Digits, an x and digits: a size, whether or not in range.
bool LooksLikeSize(std::string_view text);

// One command's options, read with CLI11. Every value is taken as text and
// checked by the rules above, so a rejected option always gets our own line
// naming the option, the value and what is allowed.
class CommandLine {
  public:
    // allowed: the options listed when an unknown one is given.
    CommandLine(std::string command, std::string allowed);
    ~CommandLine();
    CommandLine(const CommandLine&) = delete;
    CommandLine& operator=(const CommandLine&) = delete;

    // An option with a value (the last one given wins); `allowed` is said
    // when the value is missing.
    void value(const std::string& name, std::optional<std::string>& target, std::string allowed);
    // An option that may be given again and again, in order.
    void repeated(const std::string& name, std::vector<std::string>& target, std::string allowed);
    void flag(const std::string& name, bool& target);
    // The first argument that is no option.
    void positional(std::optional<std::string>& target);
    // Every argument that is no option, in order.
    void positionals(std::vector<std::string>& target);

    // Reads the arguments after the command's name; options in the order
    // given. Throws UsageError for a missing value or an unknown option.
    void parse(const std::vector<std::string>& args, std::size_t first);
    // The options that were given, in the order given (each once).
    const std::vector<std::string>& given() const { return given_; }

  private:
    struct Impl;
    Impl* impl_;
    std::vector<std::string> given_;
};

int RequireInt(std::string_view option, std::string_view text, int lo, int hi);
// The prefix of a texture's arrays, a C identifier of up to 64 characters.
inline constexpr std::string_view kIdentifierAllowed =
    "a C identifier: letters, digits and _, not starting with a digit, up to 64 characters";
std::string RequireIdentifier(std::string_view option, std::string_view text);
Format RequireFormat(std::string_view option, std::string_view text);
Size RequireSize(std::string_view option, std::string_view text);
LevelsChoice RequireLevels(std::string_view option, std::string_view text);

} // namespace vellora::cli
