// SPDX-License-Identifier: MIT
// Writes the fuzzers' seed corpus into the folder named on the command line:
// small valid BMP files of every bit depth and header size the reader knows,
// bottom-up and top-down, plus a few cut short; and for the RDP model a few
// command streams that load textures the ways a game does.
#include "bmpbuilder.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

std::vector<std::uint8_t> MakeBmp(int header, int bits, int width, int height, bool topDown) {
    vellora::testbmp::BmpSpec spec;
    spec.headerSize = static_cast<std::uint32_t>(header);
    spec.bitCount = bits;
    spec.width = width;
    spec.height = topDown ? -height : height;
    const int entries = bits <= 8 ? (1 << bits) : 0;
    for (int i = 0; i < entries; ++i)
        spec.palette.push_back({static_cast<std::uint8_t>(255 - i * 13), static_cast<std::uint8_t>(i * 91),
                                static_cast<std::uint8_t>(i * 37)});
    std::vector<std::uint8_t> b = vellora::testbmp::BuildBmp(spec);
    // A diagonal gradient over the pixel bytes, so neighbouring pixels differ.
    const std::size_t data = b[10] | b[11] << 8 | b[12] << 16 | static_cast<std::size_t>(b[13]) << 24;
    for (std::size_t i = data; i < b.size(); ++i)
        b[i] = static_cast<std::uint8_t>((i * 7) ^ (i >> 5));
    return b;
}

// Two bytes choosing 4 KB of RDRAM, then the words big-endian.
std::vector<std::uint8_t> RdpStream(std::initializer_list<std::uint64_t> words) {
    std::vector<std::uint8_t> bytes{0x01, 0x00};
    for (std::uint64_t word : words)
        for (int shift = 56; shift >= 0; shift -= 8)
            bytes.push_back(static_cast<std::uint8_t>(word >> shift));
    return bytes;
}

bool Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    int written = 0;
    for (int header : {12, 40, 108, 124}) {
        for (int bits : {4, 8, 16, 24, 32}) {
            for (bool topDown : {false, true}) {
                const int width = 5 + bits % 7;
                const int height = 4 + header % 5;
                auto bytes = MakeBmp(header, bits, width, height, topDown);
                const std::string name = dir + "/h" + std::to_string(header) + "_b" + std::to_string(bits) +
                                         (topDown ? "_td" : "_bu") + ".bmp";
                if (!Write(name, bytes))
                    return 1;
                ++written;
                if (!topDown && header == 40) {
                    bytes.resize(bytes.size() * 2 / 3);
                    if (!Write(dir + "/cut_b" + std::to_string(bits) + ".bmp", bytes))
                        return 1;
                    ++written;
                }
            }
        }
    }
    // A base the count can build a full pyramid from.
    if (!Write(dir + "/base64x32_b8.bmp", MakeBmp(40, 8, 64, 32, false)))
        return 1;
    ++written;
    // RGBA16 32x32 by LoadBlock, a 16x16 RGBA32 LoadTile, a CI4 palette.
    const std::vector<std::vector<std::uint8_t>> streams = {
        RdpStream({0xFD10001F00000000, 0xF510000007000000, 0xE600000000000000, 0xF3000000073FF080,
                   0xF510100000014050, 0xF20000000007C07C}),
        RdpStream({0xFD18000F00000000, 0xF518080007000000, 0xF40000000703C03C, 0xF518080000000000,
                   0xF20000000003C03C}),
        RdpStream({0xFD10000000000100, 0xF500013007000000, 0xF00000000703C000, 0xEF00800000000000,
                   0xF540020000300000, 0xF20000000003C000}),
    };
    for (std::size_t i = 0; i < streams.size(); ++i) {
        if (!Write(dir + "/rdp" + std::to_string(i) + ".bin", streams[i]))
            return 1;
        ++written;
    }
    std::printf("%d seed files in %s\n", written, dir.c_str());
    return 0;
}
