// SPDX-License-Identifier: MIT
#pragma once

// Small BMP, PAM and PNG helpers for the load tests: files are built in
// memory and written to a fresh temporary folder per test.

#include "bmpbuilder.h"
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

// Palette entry i of the files built here.
inline std::uint32_t PaletteRgb(int i) {
    return (static_cast<std::uint32_t>(i * 3 & 0xFF) << 16) |
           (static_cast<std::uint32_t>(i * 5 & 0xFF) << 8) | static_cast<std::uint32_t>(i * 7 & 0xFF);
}

inline std::vector<std::uint8_t> MakeBmp(int width, int height, int bits, std::uint32_t headerSize,
                                         const PixelFn& pixel, bool topDown = false) {
    vellora::testbmp::BmpSpec spec;
    spec.width = width;
    spec.height = topDown ? -height : height;
    spec.bitCount = bits;
    spec.headerSize = headerSize;
    const int entries = bits == 4 ? 16 : bits == 8 ? 256 : 0;
    for (int i = 0; i < entries; ++i) {
        const std::uint32_t rgb = PaletteRgb(i);
        spec.palette.push_back({static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                                static_cast<std::uint8_t>(rgb)});
    }
    spec.pixel = [pixel](int row, int col) { return pixel(col, row); };
    return vellora::testbmp::BuildBmp(spec);
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
