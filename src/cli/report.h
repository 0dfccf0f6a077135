// SPDX-License-Identifier: MIT
#pragma once

#include "core/count.h"

#include "bitmap/picture.h"
#include "hardware/layout.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace vellora::cli {

// Header facts of a loaded base file.
struct BitmapFacts {
    PictureInfo info;
};

// Everything one count shows, gathered right after it ran.
struct CountReport {
    Count count;
    std::vector<std::string> messages; // message-box texts, in order
    bool levelBoxYellow = false;       // the level box was cut back
    std::optional<BitmapFacts> bitmap;
    std::optional<hw::Layout> hardware; // with --hardware
};

// The report as a JSON document, fields in the order they are written.
nlohmann::ordered_json ReportJson(const CountReport& report);
// Writes a document with one top-level field a line, an array of objects
// with one object a line, and everything else on one line.
void WriteJson(const nlohmann::ordered_json& doc, std::ostream& out);
// How a text report looks: the 64-line TMEM pictures only when asked for,
// the verdict in colour on a terminal.
struct TextStyle {
    bool mapText = false;
    bool colour = false;
};
void WriteText(const CountReport& report, std::ostream& out, const TextStyle& style = {});
// A verdict, green when good and red when not, or plain without colour.
std::string Painted(std::string_view verdict, bool good, bool colour);
// text padded with spaces to width, for the text reports' columns.
std::string Pad(std::string text, std::size_t width);

// The length of the well-formed UTF-8 character at text[at], or 0 when the
// bytes there are none.
std::size_t Utf8CharLength(std::string_view text, std::size_t at);
// text with every byte that is not part of well-formed UTF-8 replaced by
// U+FFFD, as the JSON report replaces it: a file name need not be UTF-8.
std::string Utf8OrReplaced(std::string_view text);
// A file name as a terminal shows it: control characters and bytes that
// are not UTF-8 written as \xNN, so that a name cannot move the cursor,
// recolour the screen or pass for another.
std::string TerminalSafe(std::string_view text);

} // namespace vellora::cli
