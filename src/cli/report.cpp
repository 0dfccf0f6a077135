// SPDX-License-Identifier: MIT
#include "report.h"

#include "hardwareoptions.h"

#include "core/numeric.h"
#include "core/tmemmap.h"
#include "document/messages.h"

#include <string_view>

namespace vellora::cli {

namespace {

std::string MapString(const TmemMap& map) {
    std::string s;
    s.reserve(map.size());
    for (ByteColour c : map)
        s += ByteColourChar(c);
    return s;
}

// Message lines are joined by CR LF in the window; one text line here.
std::string OneLine(std::string_view text) {
    std::string s;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\r\n") == 0) {
            s += " / ";
            ++i;
        } else {
            s += text[i];
        }
    }
    return s;
}

// One line: objects and arrays with ", " and ": " between their parts.
void WriteInline(const nlohmann::ordered_json& v, std::ostream& out) {
    if (v.is_object()) {
        out << "{";
        bool first = true;
        for (const auto& [key, value] : v.items()) {
            out << (first ? "" : ", ") << nlohmann::json(key).dump() << ": ";
            WriteInline(value, out);
            first = false;
        }
        out << "}";
    } else if (v.is_array()) {
        out << "[";
        for (std::size_t i = 0; i < v.size(); ++i) {
            out << (i ? ", " : "");
            WriteInline(v[i], out);
        }
        out << "]";
    } else {
        out << v.dump();
    }
}

} // namespace

nlohmann::ordered_json ReportJson(const CountReport& rep) {
    const Count& c = rep.count;
    nlohmann::ordered_json j;
    j["tmem_limit"] = c.tmemLimit;
    j["total_bytes"] = c.totalBytes;
    j["excess_bytes"] = c.excess();
    j["percent"] = c.percent();
    j["max_index"] = c.maxIndex;
    j["fits"] = !c.exceeds();
    nlohmann::ordered_json levels = nlohmann::ordered_json::array();
    for (const CountedLevel& l : c.levels) {
        levels.push_back({{"index", l.index},
                          {"role", LevelRoleName(l.role)},
                          {"width", l.width},
                          {"line_width", l.lineWidth},
                          {"height", l.height},
                          {"bit_depth", l.bitDepth},
                          {"bytes", l.bytes},
                          {"tmem_address", l.tmemAddress}});
    }
    j["levels"] = levels;
    j["mask"] = {{"width", c.maskWidth}, {"height", c.maskHeight}};
    j["wrap"] = {{"width", c.wrapWidth}, {"height", c.wrapHeight}};
    j["base_width_aligned"] = c.baseWidthAligned;
    j["detail_width_aligned"] =
        c.detailWidthAligned ? nlohmann::ordered_json(*c.detailWidthAligned) : nlohmann::ordered_json();
    j["level_box"] = rep.levelBoxYellow ? "yellow" : "normal";
    j["messages"] = rep.messages;
    j["tmem_map"] = MapString(c.tmemMap);
    if (rep.bitmap) {
        const PictureInfo& b = rep.bitmap->info;
        nlohmann::ordered_json bitmap = {{"file_type", b.fileType == FileType::Png ? "png" : "bmp"},
                                         {"width", b.width},
                                         {"height", b.height},
                                         {"bit_count", b.bitCount}};
        if (b.fileType == FileType::Png) {
            bitmap["colour_type"] = b.colourType;
            bitmap["bit_depth"] = b.bitDepth;
        } else {
            bitmap["header_size"] = b.headerSize;
        }
        j["bitmap"] = std::move(bitmap);
    }
    if (rep.hardware)
        j["hardware"] = HardwareJson(*rep.hardware);
    return j;
}

void WriteJson(const nlohmann::ordered_json& doc, std::ostream& out) {
    out << "{";
    bool first = true;
    for (const auto& [key, value] : doc.items()) {
        out << (first ? "\n" : ",\n") << "  " << nlohmann::json(key).dump() << ": ";
        first = false;
        const bool objectRows = value.is_array() && !value.empty() && value[0].is_object();
        if (!objectRows) {
            WriteInline(value, out);
            continue;
        }
        out << "[";
        for (std::size_t i = 0; i < value.size(); ++i) {
            out << (i ? ",\n" : "\n") << "    ";
            WriteInline(value[i], out);
        }
        out << "\n  ]";
    }
    out << "\n}\n";
}

// A column too wide for its place (a picture counted at its own size can
// take millions of bytes) still keeps a space before the next.
std::string Pad(std::string s, std::size_t width) {
    s.append(s.size() < width ? width - s.size() : 1, ' ');
    return s;
}

std::string Painted(std::string_view verdict, bool good, bool colour) {
    if (!colour)
        return std::string(verdict);
    std::string s(good ? "\x1b[32m" : "\x1b[31m");
    s.append(verdict);
    s.append("\x1b[0m");
    return s;
}

void WriteText(const CountReport& rep, std::ostream& out, const TextStyle& style) {
    const Count& c = rep.count;
    if (rep.bitmap) {
        const PictureInfo& b = rep.bitmap->info;
        if (b.fileType == FileType::Png)
            out << "PNG: " << b.width << "x" << b.height << ", colour type " << b.colourType << ", "
                << b.bitDepth << "-bit samples" << (b.alpha ? ", alpha" : "") << "\n";
        else
            out << "Bitmap: " << b.width << "x" << b.height << ", " << b.bitCount << " bits, " << b.headerSize
                << "-byte header\n";
    }
    for (const std::string& m : rep.messages)
        out << "Message: " << OneLine(m) << "\n";
    out << "Total: " << c.totalBytes << " Bytes of " << c.tmemLimit << "\n";
    out << Painted(doc::VerdictText(c), !c.exceeds(), style.colour) << "\n";
    out << "Percent: " << c.percent() << "%\n";
    out << "Mask: " << c.maskWidth << " x " << c.maskHeight << "   Wrap: " << c.wrapWidth << " x "
        << c.wrapHeight << "\n";
    if (!c.baseWidthAligned)
        out << "Width: not a whole number of 64-bit words (shown red)\n";
    if (c.detailWidthAligned && !*c.detailWidthAligned)
        out << "Detail width: not a whole number of 64-bit words (shown red)\n";
    out << "Levels: " << doc::LevelsPhrase(c) << "; level box " << c.maxIndex
        << (rep.levelBoxYellow ? " (yellow: cut back)" : "") << "\n";
    // Every size says its unit.
    out << "Record  Role    Size (texels)  Line (texels)  Bits  Bytes  TMEM (byte)\n";
    for (const CountedLevel& l : c.levels) {
        out << Pad(std::to_string(l.index), 8) << Pad(LevelRoleName(l.role), 8)
            << Pad(std::to_string(l.width) + "x" + std::to_string(l.height), 15)
            << Pad(std::to_string(l.lineWidth), 15) << Pad(std::to_string(l.bitDepth), 6)
            << Pad(std::to_string(l.bytes), 7) << l.tmemAddress << "\n";
    }
    if (style.mapText) {
        out << "TMEM map, 64 bytes a line ('.' free, ':' palette half, b/B texels of even/odd levels,"
               " r/R the same above 2048 with CI, y padding):\n";
        const std::string map = MapString(c.tmemMap);
        for (std::size_t line = 0; line < map.size(); line += 64)
            out << map.substr(line, 64) << "\n";
    }
    if (rep.hardware)
        WriteHardwareText(*rep.hardware, out, style);
}

std::size_t Utf8CharLength(std::string_view text, std::size_t at) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char c = byte(at);
    if (c < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char lo = 0x80, hi = 0xBF; // the range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        lo = c == 0xE0 ? 0xA0 : 0x80; // no overlong forms
        hi = c == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        lo = c == 0xF0 ? 0x90 : 0x80;
        hi = c == 0xF4 ? 0x8F : 0xBF; // nothing past U+10FFFF
    } else {
        return 0;
    }
    if (at + length > text.size() || byte(at + 1) < lo || byte(at + 1) > hi)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
    return length;
}

std::string Utf8OrReplaced(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = Utf8CharLength(text, i);
        if (n == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out.append(text.substr(i, n));
            i += n;
        }
    }
    return out;
}

std::string TerminalSafe(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t n = Utf8CharLength(text, i);
        // C1 controls (U+0080 to U+009F) steer terminals as well.
        const bool c1 = n == 2 && c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0;
        if (n == 0 || c < 0x20 || c == 0x7F || c1 || c == '\\') {
            const std::size_t bytes = c1 ? 2 : 1;
            for (std::size_t b = 0; b < bytes; ++b) {
                const auto v = static_cast<unsigned char>(text[i + b]);
                out += "\\x";
                out += kHex[v >> 4];
                out += kHex[v & 15];
            }
            i += bytes;
        } else {
            out.append(text.substr(i, n));
            i += n;
        }
    }
    return out;
}

} // namespace vellora::cli
