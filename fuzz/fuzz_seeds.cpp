// SPDX-License-Identifier: MIT
// Writes the fuzzers' seed corpus into the folder named on the command line:
// small valid BMP files of every bit depth and header size the reader knows,
// bottom-up and top-down, plus a few cut short.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

void Put(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::vector<std::uint8_t> MakeBmp(int header, int bits, int width, int height, bool topDown) {
    const int entries = bits <= 8 ? (1 << bits) : 0;
    const std::size_t entrySize = header == 12 ? 3 : 4;
    const std::size_t table = 14 + static_cast<std::size_t>(header);
    const std::size_t data = table + entrySize * static_cast<std::size_t>(entries);
    const std::size_t rowBytes =
        (static_cast<std::size_t>(bits) * static_cast<std::size_t>(width) + 31) / 32 * 4;
    std::vector<std::uint8_t> b(data + rowBytes * static_cast<std::size_t>(height), 0);
    b[0] = 'B';
    b[1] = 'M';
    Put(b, 2, static_cast<std::uint32_t>(b.size()), 4);
    Put(b, 10, static_cast<std::uint32_t>(data), 4);
    Put(b, 14, static_cast<std::uint32_t>(header), 4);
    const int storedHeight = topDown ? -height : height;
    if (header == 12) {
        Put(b, 18, static_cast<std::uint16_t>(width), 2);
        Put(b, 20, static_cast<std::uint16_t>(storedHeight), 2);
        Put(b, 22, 1, 2);
        Put(b, 24, static_cast<std::uint32_t>(bits), 2);
    } else {
        Put(b, 18, static_cast<std::uint32_t>(width), 4);
        Put(b, 22, static_cast<std::uint32_t>(storedHeight), 4);
        Put(b, 26, 1, 2);
        Put(b, 28, static_cast<std::uint32_t>(bits), 2);
        Put(b, 34, static_cast<std::uint32_t>(rowBytes * static_cast<std::size_t>(height)), 4);
    }
    for (int i = 0; i < entries; ++i) {
        const std::size_t at = table + static_cast<std::size_t>(i) * entrySize;
        b[at] = static_cast<std::uint8_t>(i * 37);
        b[at + 1] = static_cast<std::uint8_t>(i * 91);
        b[at + 2] = static_cast<std::uint8_t>(255 - i * 13);
    }
    // A diagonal gradient, so neighbouring pixels differ.
    for (std::size_t i = data; i < b.size(); ++i)
        b[i] = static_cast<std::uint8_t>((i * 7) ^ (i >> 5));
    return b;
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
    std::printf("%d seed files in %s\n", written, dir.c_str());
    return 0;
}
