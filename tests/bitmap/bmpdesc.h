// SPDX-License-Identifier: MIT
#pragma once

#include "bmpbuilder.h"

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

// Built by the tests' one BMP builder, from rows given as stored.
inline std::vector<std::uint8_t> BuildBmp(const BmpDesc& d) {
    testbmp::BmpSpec spec;
    spec.headerSize = d.headerSize;
    spec.width = d.width;
    spec.height = d.height;
    spec.bitCount = d.bitCount;
    spec.clrUsed = d.clrUsed;
    spec.palette = d.palette;
    spec.storedRows = d.rows;
    spec.offBits = d.offBits;
    return testbmp::BuildBmp(spec);
}

} // namespace vellora::test
