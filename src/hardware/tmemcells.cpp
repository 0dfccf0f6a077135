// SPDX-License-Identifier: MIT
// The TMEM byte map: what each byte holds once the levels are loaded, drawn
// row by row with odd rows word-swapped, and the map's text, colours and
// descriptions.
#include "tmemcells.h"

#include <algorithm>
#include <string>

namespace vellora::hw {

using detail::CeilDiv;
using detail::HalfBits;

namespace {

// One row of a level: bytes at offsets [0, texelBytes) hold texels, the
// rest of the row is padding. Odd rows are stored with the 32-bit halves of
// each word swapped, so offset o lands at o ^ 4; rows are whole words, so the
// row is written in groups of four bytes that stay together.
template <int K>
void DrawRow(Cell* row, int end, int t, int swap, int texelBytes, const Level& level, TexelPart part) {
    const Cell padding = Cell::Padding(level.record);
    const int texelEnd = std::min(end, texelBytes);
    // The first texel of a byte at offset o is o * 8 / bits = o * 2 >> K;
    // each group of four bytes is the one before moved along by 8 >> K.
    std::array<Cell, 4> group;
    for (int j = 0; j < 4; ++j)
        group[static_cast<std::size_t>(j)] =
            Cell::Texel(level.record, (j << 1) >> K, t, part, K == 0 ? 2 : 1);
    constexpr int kStep = 8 >> K;
    // Texel cells only: past texelEnd s may outgrow its field, and those
    // bytes are padding written below.
    for (int g = 0; g < texelEnd; g += 4) {
        Cell* out = row + (g ^ swap);
        for (std::size_t j = 0; j < 4; ++j) {
            out[j] = group[j];
            group[j] = group[j].movedAlong(kStep);
        }
    }
    for (int o = (texelEnd + 3) / 4 * 4; o < end; ++o)
        row[o ^ swap] = padding;
    for (int o = texelEnd; o < (texelEnd + 3) / 4 * 4 && o < end; ++o)
        row[o ^ swap] = padding;
    // A 4-bit row of odd width ends in a byte with one texel.
    if (K == 0 && (level.width & 1) != 0 && texelBytes <= end) {
        const int last = texelBytes - 1;
        row[last ^ swap] = Cell::Texel(level.record, level.width - 1, t, part, 1);
    }
}

} // namespace

int detail::DrawLevel(const Level& level, int tmem, int line, std::array<Cell, kTmemBytes>& map) {
    const bool wide = level.kind == Kind::RGBA32;
    const int limit = wide ? kHalfBytes : kTmemBytes;
    const int bits = HalfBits(level.kind);
    const int rowBytes = line * 8;
    const int texelBytes = CeilDiv(static_cast<long>(std::max(level.width, 0)) * bits, 8);
    const TexelPart part = wide ? TexelPart::RedGreen : TexelPart::All;
    int drawn = 0;
    for (int t = 0; t < level.height; ++t) {
        const long rowStart = static_cast<long>(tmem) * 8 + static_cast<long>(t) * rowBytes;
        if (rowStart >= limit)
            break;
        const int swap = (t & 1) != 0 ? 4 : 0;
        const int end = static_cast<int>(std::min<long>(rowBytes, limit - rowStart));
        Cell* row = map.data() + rowStart;
        if (bits == 4)
            DrawRow<0>(row, end, t, swap, texelBytes, level, part);
        else if (bits == 8)
            DrawRow<1>(row, end, t, swap, texelBytes, level, part);
        else
            DrawRow<2>(row, end, t, swap, texelBytes, level, part);
        if (wide) {
            Cell* upper = row + kHalfBytes;
            for (int b = 0; b < end; ++b)
                upper[b] = row[b].asBlueAlpha();
        }
        drawn += end;
    }
    return drawn;
}

std::string MapString(const Layout& layout) {
    std::string s(kTmemBytes, '.');
    for (int a = 0; a < kTmemBytes; ++a) {
        const Cell& c = layout.map[static_cast<std::size_t>(a)];
        switch (c.use()) {
        case CellUse::Texel:
            s[static_cast<std::size_t>(a)] = static_cast<char>('0' + c.record());
            break;
        case CellUse::Padding:
            s[static_cast<std::size_t>(a)] = 'p';
            break;
        case CellUse::Palette:
            s[static_cast<std::size_t>(a)] = 'P';
            break;
        case CellUse::Free:
            break;
        }
    }
    return s;
}

TmemMap HardwareColours(const Layout& layout) {
    TmemMap colours{};
    for (std::size_t a = 0; a < colours.size(); ++a) {
        const Cell& c = layout.map[a];
        const bool odd = (c.record() & 1) != 0;
        switch (c.use()) {
        case CellUse::Free:
            colours[a] = ByteColour::Free;
            break;
        case CellUse::Palette:
            colours[a] = ByteColour::FreePalette;
            break;
        case CellUse::Padding:
            colours[a] = ByteColour::Padding;
            break;
        case CellUse::Texel:
            if (c.part() == TexelPart::BlueAlpha)
                colours[a] = odd ? ByteColour::OddLevelHigh : ByteColour::EvenLevelHigh;
            else
                colours[a] = odd ? ByteColour::OddLevel : ByteColour::EvenLevel;
            break;
        }
    }
    return colours;
}

TmemLevels HardwareLevels(const Layout& layout) {
    TmemLevels levels{};
    for (std::size_t a = 0; a < levels.size(); ++a) {
        const Cell& c = layout.map[a];
        levels[a] = c.use() == CellUse::Texel ? static_cast<std::int8_t>(c.record()) : std::int8_t{-1};
    }
    return levels;
}

std::string DescribeCell(const Layout& layout, int address) {
    if (address < 0 || address >= kTmemBytes)
        return std::string();
    static const char* kHex = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = 8; shift >= 0; shift -= 4)
        text.push_back(kHex[(address >> shift) & 15]);
    text += ": ";
    const Cell& c = layout.map[static_cast<std::size_t>(address)];
    switch (c.use()) {
    case CellUse::Free:
        return text + "free";
    case CellUse::Palette:
        return text + "palette entry " + std::to_string(c.entry()) + ", copy " +
               std::to_string(c.copy() + 1) + " of 4";
    case CellUse::Padding:
        return text + "row padding of level " + std::to_string(c.record());
    case CellUse::Texel:
        break;
    }
    text += "level " + std::to_string(c.record()) + ", texel (" + std::to_string(c.s()) + ", " +
            std::to_string(c.t()) + ")";
    if (c.texels() == 2)
        text += " and (" + std::to_string(c.s() + 1) + ", " + std::to_string(c.t()) + ")";
    if (c.part() == TexelPart::RedGreen)
        text += ", red and green";
    else if (c.part() == TexelPart::BlueAlpha)
        text += ", blue and alpha";
    return text;
}

} // namespace vellora::hw
