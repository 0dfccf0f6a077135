// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vellora::testbmp {

// The one BMP builder of the tests and the fuzzer's seeds.
//
// Describes a BMP to build in memory. Pixel values depend on the bit count:
// a colour-table index for 4 and 8 bits, the raw word for 16 bits, 0xRRGGBB
// for 24 bits and 0xAARRGGBB for 32 bits. Row 0 is the top of the picture.
// Hostile files give their stored rows as raw bytes and may place the pixel
// data anywhere.
struct BmpSpec {
    std::int32_t width = 1;
    std::int32_t height = 1; // written as given: negative means top-down
    int bitCount = 24;
    std::uint32_t headerSize = 40;                    // 12, 40, 108, 124, or anything else for a broken file
    std::vector<std::array<std::uint8_t, 3>> palette; // R, G, B entries
    std::uint32_t clrUsed = 0;                        // written into the header (not for size 12)
    std::function<std::uint32_t(int row, int col)> pixel = [](int, int) { return 0u; };
    std::optional<std::vector<std::vector<std::uint8_t>>> storedRows; // in file order, instead of pixel
    std::optional<std::uint32_t> offBits; // defaults to just after the colour table
};

namespace detail {
inline void Put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    Put16(out, at, v);
    Put16(out, at + 2, v >> 16);
}
} // namespace detail

// The whole file: file header, info header, colour table and bottom-up rows
// padded to 4 bytes.
inline std::vector<std::uint8_t> BuildBmp(const BmpSpec& spec) {
    using detail::Put16;
    using detail::Put32;
    const bool small = spec.headerSize == 12;
    const std::size_t entrySize = small ? 3 : 4;
    const std::size_t tableBytes = spec.palette.size() * entrySize;
    const std::size_t infoBytes = spec.headerSize < 4 ? 4 : spec.headerSize;
    const std::size_t tableEnd = 14 + infoBytes + tableBytes;
    const std::size_t offBits = spec.offBits.value_or(static_cast<std::uint32_t>(tableEnd));
    std::int32_t rows = spec.height < 0 ? -spec.height : spec.height;
    std::size_t rowBytes =
        (static_cast<std::size_t>(spec.bitCount) * static_cast<std::size_t>(spec.width) + 31) / 32 * 4;
    if (spec.storedRows) {
        rows = static_cast<std::int32_t>(spec.storedRows->size());
        rowBytes = 0;
        for (const auto& r : *spec.storedRows)
            rowBytes = std::max(rowBytes, (r.size() + 3) / 4 * 4);
    }
    const std::size_t size = std::max(offBits, tableEnd) + rowBytes * static_cast<std::size_t>(rows);

    std::vector<std::uint8_t> out(size, 0);
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, static_cast<std::uint32_t>(size));
    Put32(out, 10, static_cast<std::uint32_t>(offBits));
    Put32(out, 14, spec.headerSize);
    if (small) {
        Put16(out, 18, static_cast<std::uint32_t>(spec.width));
        Put16(out, 20, static_cast<std::uint32_t>(spec.height));
        Put16(out, 22, 1);
        Put16(out, 24, static_cast<std::uint32_t>(spec.bitCount));
    } else if (infoBytes >= 40) {
        Put32(out, 18, static_cast<std::uint32_t>(spec.width));
        Put32(out, 22, static_cast<std::uint32_t>(spec.height));
        Put16(out, 26, 1);
        Put16(out, 28, static_cast<std::uint32_t>(spec.bitCount));
        Put32(out, 34, static_cast<std::uint32_t>(rowBytes * static_cast<std::size_t>(rows)));
        Put32(out, 46, spec.clrUsed);
    }
    for (std::size_t i = 0; i < spec.palette.size(); ++i) {
        const std::size_t at = 14 + infoBytes + i * entrySize;
        out[at] = spec.palette[i][2];
        out[at + 1] = spec.palette[i][1];
        out[at + 2] = spec.palette[i][0];
    }
    if (spec.storedRows) {
        for (std::size_t r = 0; r < spec.storedRows->size(); ++r)
            std::copy((*spec.storedRows)[r].begin(), (*spec.storedRows)[r].end(),
                      out.begin() + static_cast<std::ptrdiff_t>(offBits + r * rowBytes));
        return out;
    }
    for (std::int32_t r = 0; r < rows; ++r) {
        // Bottom-up files store the last picture row first.
        const std::int32_t pictureRow = spec.height < 0 ? r : rows - 1 - r;
        std::uint8_t* row = out.data() + offBits + static_cast<std::size_t>(r) * rowBytes;
        for (std::int32_t c = 0; c < spec.width; ++c) {
            const std::uint32_t v = spec.pixel(pictureRow, c);
            switch (spec.bitCount) {
            case 4:
                row[c / 2] |= static_cast<std::uint8_t>((c % 2 == 0) ? (v & 15) << 4 : (v & 15));
                break;
            case 8:
                row[c] = static_cast<std::uint8_t>(v);
                break;
            case 16:
                row[2 * c] = static_cast<std::uint8_t>(v);
                row[2 * c + 1] = static_cast<std::uint8_t>(v >> 8);
                break;
            case 24:
                row[3 * c] = static_cast<std::uint8_t>(v);
                row[3 * c + 1] = static_cast<std::uint8_t>(v >> 8);
                row[3 * c + 2] = static_cast<std::uint8_t>(v >> 16);
                break;
            case 32:
                row[4 * c] = static_cast<std::uint8_t>(v);
                row[4 * c + 1] = static_cast<std::uint8_t>(v >> 8);
                row[4 * c + 2] = static_cast<std::uint8_t>(v >> 16);
                row[4 * c + 3] = static_cast<std::uint8_t>(v >> 24);
                break;
            default:
                break; // other bit counts: rows of zeros
            }
        }
    }
    return out;
}

// A grey colour table of the given length (entry i = (i, i, i) scaled to 0..255).
inline std::vector<std::array<std::uint8_t, 3>> GreyPalette(int entries) {
    std::vector<std::array<std::uint8_t, 3>> p;
    for (int i = 0; i < entries; ++i) {
        const auto v = static_cast<std::uint8_t>(entries > 1 ? i * 255 / (entries - 1) : 0);
        p.push_back({v, v, v});
    }
    return p;
}

// Writes a little-endian field of the given size into a built file.
inline void PutLe(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint64_t value, int size) {
    for (int i = 0; i < size; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Overwrites a little-endian 32-bit field of a built file, for hostile headers.
inline void Patch32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    if (at + 4 <= bytes.size())
        detail::Put32(bytes, at, value);
}

inline bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

inline bool WriteBmp(const std::string& path, const BmpSpec& spec) {
    return WriteBytes(path, BuildBmp(spec));
}

} // namespace vellora::testbmp
