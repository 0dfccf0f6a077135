// SPDX-License-Identifier: MIT
#pragma once

// Small BMP, PAM and PNG helpers for the load tests: files are built in
// memory and written to a fresh temporary folder per test.

#include "pngdecode.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace testfiles {

// Pixel values: a palette index for 4 and 8 bits, the 16-bit word, or 0xAARRGGBB.
using PixelFn = std::function<std::uint32_t(int x, int y)>;

inline void Put16(std::vector<std::uint8_t>& v, std::uint32_t x) {
    v.push_back(static_cast<std::uint8_t>(x));
    v.push_back(static_cast<std::uint8_t>(x >> 8));
}
inline void Put32(std::vector<std::uint8_t>& v, std::uint32_t x) {
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}

// Palette entry i of the files built here.
inline std::uint32_t PaletteRgb(int i) {
    return (static_cast<std::uint32_t>(i * 3 & 0xFF) << 16) |
           (static_cast<std::uint32_t>(i * 5 & 0xFF) << 8) | static_cast<std::uint32_t>(i * 7 & 0xFF);
}

inline std::vector<std::uint8_t> MakeBmp(int width, int height, int bits, std::uint32_t headerSize,
                                         const PixelFn& pixel, bool topDown = false) {
    const int paletteEntries = bits == 4 ? 16 : bits == 8 ? 256 : 0;
    const int entrySize = headerSize == 12 ? 3 : 4;
    const std::uint32_t offBits = 14 + headerSize + static_cast<std::uint32_t>(paletteEntries * entrySize);
    const int rowBytes = (bits * width + 31) / 32 * 4;
    std::vector<std::uint8_t> v = {'B', 'M'};
    Put32(v, offBits + static_cast<std::uint32_t>(rowBytes * height));
    Put32(v, 0);
    Put32(v, offBits);
    Put32(v, headerSize);
    const int storedHeight = topDown ? -height : height;
    if (headerSize == 12) {
        Put16(v, static_cast<std::uint32_t>(width));
        Put16(v, static_cast<std::uint32_t>(storedHeight) & 0xFFFF);
        Put16(v, 1);
        Put16(v, static_cast<std::uint32_t>(bits));
    } else {
        Put32(v, static_cast<std::uint32_t>(width));
        Put32(v, static_cast<std::uint32_t>(storedHeight));
        Put16(v, 1);
        Put16(v, static_cast<std::uint32_t>(bits));
        for (int i = 0; i < 6; ++i)
            Put32(v, i == 2 || i == 3 ? 2835 : 0);
        v.resize(14 + headerSize, 0);
    }
    for (int i = 0; i < paletteEntries; ++i) {
        const std::uint32_t rgb = PaletteRgb(i);
        v.push_back(static_cast<std::uint8_t>(rgb));
        v.push_back(static_cast<std::uint8_t>(rgb >> 8));
        v.push_back(static_cast<std::uint8_t>(rgb >> 16));
        if (entrySize == 4)
            v.push_back(0);
    }
    for (int stored = 0; stored < height; ++stored) {
        const int y = topDown ? stored : height - 1 - stored;
        std::vector<std::uint8_t> row;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = pixel(x, y);
            switch (bits) {
            case 4:
                if (x % 2 == 0)
                    row.push_back(static_cast<std::uint8_t>((p & 15) << 4));
                else
                    row.back() = static_cast<std::uint8_t>(row.back() | (p & 15));
                break;
            case 8:
                row.push_back(static_cast<std::uint8_t>(p));
                break;
            case 16:
                Put16(row, p);
                break;
            case 24:
                row.insert(row.end(), {static_cast<std::uint8_t>(p), static_cast<std::uint8_t>(p >> 8),
                                       static_cast<std::uint8_t>(p >> 16)});
                break;
            default:
                Put32(row, p);
            }
        }
        row.resize(static_cast<std::size_t>(rowBytes), 0);
        v.insert(v.end(), row.begin(), row.end());
    }
    return v;
}

// A folder of its own for each test, removed afterwards.
class TempDir {
  public:
    TempDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("vellora-cli-") + info->test_suite_name() + "-" + info->name();
        for (char& c : name)
            if (c == '/')
                c = '_';
        path_ = std::filesystem::path(::testing::TempDir()) / name;
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    std::string write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        std::ofstream f(file(name), std::ios::binary);
        f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return file(name);
    }

  private:
    std::filesystem::path path_;
};

inline std::vector<std::uint8_t> ReadAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

struct Pam {
    int width = -1, height = -1, depth = -1, maxval = -1;
    std::string tupltype;
    std::vector<std::uint8_t> data;
    const std::uint8_t* at(int row, int col) const {
        return data.data() + (static_cast<std::size_t>(row) * static_cast<std::size_t>(width) +
                              static_cast<std::size_t>(col)) *
                                 4u;
    }
};

inline Pam ReadPam(const std::string& path) {
    const std::vector<std::uint8_t> bytes = ReadAll(path);
    const std::string text(bytes.begin(), bytes.end());
    Pam pam;
    const std::size_t end = text.find("ENDHDR\n");
    if (text.rfind("P7\n", 0) != 0 || end == std::string::npos)
        return pam;
    std::istringstream header(text.substr(3, end - 3));
    std::string key;
    while (header >> key) {
        if (key == "WIDTH")
            header >> pam.width;
        else if (key == "HEIGHT")
            header >> pam.height;
        else if (key == "DEPTH")
            header >> pam.depth;
        else if (key == "MAXVAL")
            header >> pam.maxval;
        else if (key == "TUPLTYPE")
            header >> pam.tupltype;
    }
    pam.data.assign(bytes.begin() + static_cast<std::ptrdiff_t>(end + 7), bytes.end());
    return pam;
}

// Decodes the PNG files the tool writes: 8-bit RGB, stored deflate blocks,
// no row filters. Anything else gives an empty picture.
struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;
    std::uint32_t at(int x, int y) const {
        const std::size_t i = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x) * 3u;
        return (std::uint32_t{rgb[i]} << 16) | (std::uint32_t{rgb[i + 1]} << 8) | rgb[i + 2];
    }
};

// Any PNG the tool writes, decoded by libspng; an empty picture when it is refused.
inline Picture ReadPngFile(const std::string& path) {
    vellora::test::RgbImage image;
    std::string why;
    if (!vellora::test::DecodePng(ReadAll(path), image, why))
        return {};
    return Picture{image.width, image.height, std::move(image.rgb)};
}

} // namespace testfiles
