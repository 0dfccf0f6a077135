// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace vellora::test {

// Describes a small BMP file for the tests to build in memory. Rows are given
// in file order (bottom row first for a positive height) without padding;
// the builder pads each to four bytes.
struct BmpDesc {
    std::uint32_t headerSize = 40;
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint16_t bitCount = 24;
    std::uint32_t clrUsed = 0;
    std::vector<std::array<std::uint8_t, 3>> palette; // R, G, B; written in file order B, G, R(, 0)
    std::vector<std::vector<std::uint8_t>> rows;
    std::optional<std::uint32_t> offBits; // defaults to just after the colour table
};

inline void PutLe(std::vector<std::uint8_t>& out, std::size_t at, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline std::vector<std::uint8_t> BuildBmp(const BmpDesc& d) {
    const std::size_t entry = d.headerSize == 12 ? 3 : 4;
    const std::size_t tableAt = 14 + d.headerSize;
    const std::size_t dataAt =
        d.offBits.value_or(static_cast<std::uint32_t>(tableAt + entry * d.palette.size()));
    std::size_t rowBytes = 0;
    for (const auto& r : d.rows)
        rowBytes = std::max(rowBytes, (r.size() + 3) / 4 * 4);
    std::vector<std::uint8_t> out(
        std::max(dataAt, tableAt + entry * d.palette.size()) + rowBytes * d.rows.size(), 0);
    out[0] = 'B';
    out[1] = 'M';
    PutLe(out, 2, out.size(), 4);
    PutLe(out, 10, dataAt, 4);
    PutLe(out, 14, d.headerSize, 4);
    if (d.headerSize == 12) {
        PutLe(out, 18, static_cast<std::uint16_t>(d.width), 2);
        PutLe(out, 20, static_cast<std::uint16_t>(d.height), 2);
        PutLe(out, 22, 1, 2);
        PutLe(out, 24, d.bitCount, 2);
    } else {
        PutLe(out, 18, static_cast<std::uint32_t>(d.width), 4);
        PutLe(out, 22, static_cast<std::uint32_t>(d.height), 4);
        PutLe(out, 26, 1, 2);
        PutLe(out, 28, d.bitCount, 2);
        PutLe(out, 46, d.clrUsed, 4);
    }
    for (std::size_t i = 0; i < d.palette.size(); ++i) {
        out[tableAt + i * entry + 0] = d.palette[i][2];
        out[tableAt + i * entry + 1] = d.palette[i][1];
        out[tableAt + i * entry + 2] = d.palette[i][0];
    }
    for (std::size_t r = 0; r < d.rows.size(); ++r)
        std::copy(d.rows[r].begin(), d.rows[r].end(),
                  out.begin() + static_cast<std::ptrdiff_t>(dataAt + r * rowBytes));
    return out;
}

} // namespace vellora::test
