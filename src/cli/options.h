// SPDX-License-Identifier: MIT
#pragma once

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
    "ci4, 4, ci8, 8, 16, 32, i4, ia4, i8, ia8, ia16, rgba16, rgba32";
inline constexpr std::string_view kLevelsAllowed = "auto, auto-w64 or 0 to 7";

// A plain decimal integer from lo to hi, nothing else around it.
std::optional<int> ParseInt(std::string_view text, int lo, int hi);
// The format index (0 CI 4-bit ... 5 32-bit) of a format name.
std::optional<int> ParseFormat(std::string_view text);
std::optional<LevelsChoice> ParseLevels(std::string_view text);
// "WxH" with W from 1 to 1024 and H from 1 to 256.
std::optional<Size> ParseSize(std::string_view text);

// Walks the arguments of one command: flags and options with a value.
class ArgReader {
  public:
    explicit ArgReader(const std::vector<std::string>& args, std::size_t first = 0)
        : args_(args), pos_(first) {}
    bool done() const { return pos_ >= args_.size(); }
    const std::string& next() { return args_[pos_++]; }
    // The value after the option just read; a missing one is rejected.
    const std::string& value(std::string_view option, std::string_view allowed);

  private:
    const std::vector<std::string>& args_;
    std::size_t pos_;
};

int RequireInt(std::string_view option, std::string_view text, int lo, int hi);
int RequireFormat(std::string_view option, std::string_view text);
Size RequireSize(std::string_view option, std::string_view text);
LevelsChoice RequireLevels(std::string_view option, std::string_view text);

} // namespace vellora::cli
