// SPDX-License-Identifier: MIT
#include "report.h"

#include "jsonwriter.h"

#include "core/formats.h"
#include "core/tmemmap.h"

#include <cmath>
#include <string_view>

namespace vellora::cli {

std::vector<LevelRow> CountedLevels(const TileTable& tiles, int maxIndex, int detailFlag) {
    std::vector<LevelRow> rows;
    long address = 0;
    for (int i = 0; i <= maxIndex && i < kLevelCount; ++i) {
        const TileLevel& t = tiles[i];
        LevelRow row;
        row.index = i;
        row.role = (detailFlag == 1 && i == 0) ? "detail" : (i == detailFlag ? "base" : "mip");
        row.width = t.Width;
        row.lineWidth = t.LineWidth;
        row.height = t.Height;
        row.bitDepth = t.BitDepth;
        row.bytes = static_cast<long>(LevelBytes(t.BitDepth, t.LineWidth, t.Height));
        row.tmemAddress = address;
        address += row.bytes;
        rows.push_back(row);
    }
    return rows;
}

long PercentOf(const CountResult& result) {
    // The same arithmetic as the caption, so the two can never disagree.
    return static_cast<long>(
        std::floor(4096.0 / result.tmemLimit * static_cast<double>(result.totalBytes) * 100.0 / 4096.0));
}

namespace {

long Excess(const CountResult& r) {
    return r.exceeds() ? r.totalBytes - r.tmemLimit : 0;
}

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

std::string Pad(std::string s, std::size_t width) {
    if (s.size() < width)
        s.append(width - s.size(), ' ');
    return s;
}

} // namespace

void WriteJson(const CountReport& rep, std::ostream& out) {
    const CountResult& r = rep.result;
    out << "{\n";
    out << "  \"tmem_limit\": " << r.tmemLimit << ",\n";
    out << "  \"total_bytes\": " << r.totalBytes << ",\n";
    out << "  \"excess_bytes\": " << Excess(r) << ",\n";
    out << "  \"percent\": " << PercentOf(r) << ",\n";
    out << "  \"max_index\": " << r.maxIndex << ",\n";
    out << "  \"fits\": " << (r.exceeds() ? "false" : "true") << ",\n";
    out << "  \"levels\": [";
    for (std::size_t i = 0; i < rep.levels.size(); ++i) {
        const LevelRow& l = rep.levels[i];
        out << (i ? ",\n" : "\n") << "    {\"index\": " << l.index << ", \"role\": \"" << l.role
            << "\", \"width\": " << l.width << ", \"line_width\": " << l.lineWidth
            << ", \"height\": " << l.height << ", \"bit_depth\": " << l.bitDepth << ", \"bytes\": " << l.bytes
            << ", \"tmem_address\": " << l.tmemAddress << "}";
    }
    out << (rep.levels.empty() ? "],\n" : "\n  ],\n");
    out << "  \"mask\": {\"width\": " << r.maskW << ", \"height\": " << r.maskH << "},\n";
    out << "  \"wrap\": {\"width\": " << r.wrapW << ", \"height\": " << r.wrapH << "},\n";
    out << "  \"base_width_aligned\": " << (r.baseWidthAligned ? "true" : "false") << ",\n";
    out << "  \"detail_width_aligned\": "
        << (r.detailWidthAligned ? (*r.detailWidthAligned ? "true" : "false") : "null") << ",\n";
    out << "  \"level_box\": \"" << rep.levelBox << "\",\n";
    out << "  \"messages\": [";
    for (std::size_t i = 0; i < rep.messages.size(); ++i)
        out << (i ? ", " : "") << JsonString(rep.messages[i]);
    out << "],\n";
    out << "  \"tmem_map\": " << JsonString(MapString(r.tmemMap));
    if (rep.bitmap) {
        const BitmapFacts& b = *rep.bitmap;
        out << ",\n  \"bitmap\": {\"width\": " << b.width << ", \"height\": " << b.height
            << ", \"bit_count\": " << b.bitCount << ", \"header_size\": " << b.headerSize << "}";
    }
    out << "\n}\n";
}

void WriteText(const CountReport& rep, std::ostream& out) {
    const CountResult& r = rep.result;
    if (rep.bitmap) {
        const BitmapFacts& b = *rep.bitmap;
        out << "Bitmap: " << b.width << "x" << b.height << ", " << b.bitCount << " bits, " << b.headerSize
            << "-byte header\n";
    }
    for (const std::string& m : rep.messages)
        out << "Message: " << OneLine(m) << "\n";
    out << "Total: " << r.totalBytes << " Bytes of " << r.tmemLimit << "\n";
    if (r.exceeds())
        out << "Exceeds TMEM by " << Excess(r) << " Bytes\n";
    else
        out << "Good!\n";
    out << "Percent: " << r.percentCaption << "\n";
    out << "Mask: " << r.maskW << " x " << r.maskH << "   Wrap: " << r.wrapW << " x " << r.wrapH << "\n";
    if (!r.baseWidthAligned)
        out << "Width: not a whole number of 64-bit words (shown red)\n";
    if (r.detailWidthAligned && !*r.detailWidthAligned)
        out << "Detail width: not a whole number of 64-bit words (shown red)\n";
    out << "Levels box: " << r.maxIndex
        << (std::string_view(rep.levelBox) == "yellow" ? " (yellow: cut back)" : "") << "\n";
    out << "Level  Role    Size        Line  Bits  Bytes  TMEM\n";
    for (const LevelRow& l : rep.levels) {
        out << Pad(std::to_string(l.index), 7) << Pad(l.role, 8)
            << Pad(std::to_string(l.width) + "x" + std::to_string(l.height), 12)
            << Pad(std::to_string(l.lineWidth), 6) << Pad(std::to_string(l.bitDepth), 6)
            << Pad(std::to_string(l.bytes), 7) << l.tmemAddress << "\n";
    }
    out << "TMEM map, 64 bytes a line ('.' free, ':' palette half, b/B texels of even/odd levels,"
           " r/R the same above 2048 with CI, y padding):\n";
    const std::string map = MapString(r.tmemMap);
    for (std::size_t line = 0; line < map.size(); line += 64)
        out << map.substr(line, 64) << "\n";
}

} // namespace vellora::cli
