// SPDX-License-Identifier: MIT
#pragma once

#include "options.h"
#include "report.h"

#include "core/count.h"
#include "core/formats.h"
#include "hardware/gbi.h"
#include "hardware/layout.h"
#include "hardware/suggest.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace vellora::cli {

using Rules = hw::Rules;
enum class Emit { None, Gbi, Words };

// A format name and the exact kind it names ("ia8"), or none for a row name
// ("8"), which stands for the row's default kind.
struct FormatChoice {
    Format row = Format::Bits4;
    std::optional<Kind> kind;
};
FormatChoice RequireFormatKind(std::string_view option, std::string_view text);

// What --hardware, --emit, --rules, --wrap and --shift ask for.
struct HardwareChoice {
    bool report = false;
    Emit emit = Emit::None;
    std::optional<Rules> rules;
    hw::TileOptions tile;
    hw::EmitOptions emitted; // where the words say the data lies
    bool paletteGiven = false;
    bool needed() const { return report || emit != Emit::None || rules.has_value(); }
};

// The options' texts as the command line collects them.
struct HardwareTexts {
    bool hardware = false;
    std::optional<std::string> wrap, emit, rules, shift, imageBase, name, palette;
};
// withName: --name NAME, the arrays' prefix in the code --emit prints.
void AddHardwareOptions(CommandLine& cl, HardwareTexts& texts, bool withShift, bool withName = false);
// Applies one given option; false when it is none of these.
bool ApplyHardwareOption(const std::string& option, const HardwareTexts& texts, HardwareChoice& choice);
void FinishHardwareChoice(const HardwareTexts& texts, HardwareChoice& choice);
// --palette names a CI4 palette: a texture without CI4 levels cannot take it.
void RequirePaletteUse(std::string_view command, const HardwareChoice& choice,
                       const std::vector<hw::Level>& levels);

nlohmann::ordered_json HardwareJson(const hw::Layout& layout);
void WriteHardwareText(const hw::Layout& layout, std::ostream& out, const TextStyle& style);
// Prints only the code --emit asks for: text, or with json an array of the
// words (or of the display list's lines). A layout that does not fit prints
// no commands: the text says why, and JSON is an empty array with the reason
// on err. Returns whether a list was printed.
bool WriteEmitted(const hw::Layout& layout, const HardwareChoice& choice, bool json, std::ostream& out,
                  std::ostream& err);

} // namespace vellora::cli
