// SPDX-License-Identifier: MIT
// A small PNG reader for the tests: the project links no zlib, and the
// reference renderings of the BMP corpus are PNG files.
#include "pngdecode.h"

#include <array>
#include <cstdlib>
#include <cstring>

namespace vellora::test {

namespace {

class BitReader {
  public:
    BitReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool bits(int count, unsigned& value) {
        value = 0;
        for (int i = 0; i < count; ++i) {
            if (pos_ >= size_ * 8)
                return false;
            value |= static_cast<unsigned>((data_[pos_ >> 3] >> (pos_ & 7)) & 1u) << i;
            ++pos_;
        }
        return true;
    }
    void alignToByte() { pos_ = (pos_ + 7) & ~static_cast<std::size_t>(7); }
    std::size_t bytePos() const { return pos_ >> 3; }
    void skipBytes(std::size_t n) { pos_ += n * 8; }
    const std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// Canonical Huffman code decoded bit by bit: slow but short and obviously right.
struct Huffman {
    std::array<int, 16> counts{};
    std::vector<int> symbols;

    bool build(const int* lengths, int n) {
        counts.fill(0);
        for (int i = 0; i < n; ++i)
            ++counts[lengths[i]];
        counts[0] = 0;
        std::array<int, 16> offsets{};
        for (int len = 1; len < 16; ++len)
            offsets[len] = offsets[len - 1] + counts[len - 1];
        symbols.assign(n, 0);
        for (int i = 0; i < n; ++i)
            if (lengths[i] != 0)
                symbols[offsets[lengths[i]]++] = i;
        return true;
    }
    int decode(BitReader& in) const {
        int code = 0, first = 0, index = 0;
        for (int len = 1; len < 16; ++len) {
            unsigned bit;
            if (!in.bits(1, bit))
                return -1;
            code |= static_cast<int>(bit);
            const int count = counts[len];
            if (code - count < first)
                return symbols[index + (code - first)];
            index += count;
            first = (first + count) << 1;
            code <<= 1;
        }
        return -1;
    }
};

constexpr std::array<int, 29> kLengthBase{3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                          31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<int, 29> kLengthExtra{0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<int, 30> kDistBase{1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                        33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                        1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<int, 30> kDistExtra{0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                         6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

bool InflateBlock(BitReader& in, const Huffman& lit, const Huffman& dist, std::vector<std::uint8_t>& out) {
    for (;;) {
        const int sym = lit.decode(in);
        if (sym < 0)
            return false;
        if (sym < 256) {
            out.push_back(static_cast<std::uint8_t>(sym));
            continue;
        }
        if (sym == 256)
            return true;
        const int li = sym - 257;
        if (li >= 29)
            return false;
        unsigned extra;
        if (!in.bits(kLengthExtra[li], extra))
            return false;
        const int length = kLengthBase[li] + static_cast<int>(extra);
        const int di = dist.decode(in);
        if (di < 0 || di >= 30 || !in.bits(kDistExtra[di], extra))
            return false;
        const std::size_t distance = static_cast<std::size_t>(kDistBase[di]) + extra;
        if (distance > out.size())
            return false;
        for (int i = 0; i < length; ++i)
            out.push_back(out[out.size() - distance]);
    }
}

bool DynamicTables(BitReader& in, Huffman& lit, Huffman& dist) {
    unsigned hlit, hdist, hclen;
    if (!in.bits(5, hlit) || !in.bits(5, hdist) || !in.bits(4, hclen))
        return false;
    static constexpr std::array<int, 19> order{16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                               11, 4,  12, 3, 13, 2, 14, 1, 15};
    int codeLengths[19] = {};
    for (unsigned i = 0; i < hclen + 4; ++i) {
        unsigned v;
        if (!in.bits(3, v))
            return false;
        codeLengths[order[i]] = static_cast<int>(v);
    }
    Huffman lengthCode;
    lengthCode.build(codeLengths, 19);
    const int total = static_cast<int>(hlit + 257 + hdist + 1);
    std::vector<int> lengths(total, 0);
    for (int i = 0; i < total;) {
        const int sym = lengthCode.decode(in);
        unsigned rep;
        if (sym < 0)
            return false;
        if (sym < 16) {
            lengths[i++] = sym;
            continue;
        }
        int value = 0, count;
        if (sym == 16) {
            if (i == 0 || !in.bits(2, rep))
                return false;
            value = lengths[i - 1];
            count = 3 + static_cast<int>(rep);
        } else if (sym == 17) {
            if (!in.bits(3, rep))
                return false;
            count = 3 + static_cast<int>(rep);
        } else {
            if (!in.bits(7, rep))
                return false;
            count = 11 + static_cast<int>(rep);
        }
        if (i + count > total)
            return false;
        while (count-- > 0)
            lengths[i++] = value;
    }
    lit.build(lengths.data(), static_cast<int>(hlit + 257));
    dist.build(lengths.data() + hlit + 257, static_cast<int>(hdist + 1));
    return true;
}

std::uint32_t Be32(const std::uint8_t* p) {
    return (static_cast<std::uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

int Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc)
        return a;
    return pb <= pc ? b : c;
}

// Raw DEFLATE (stored, fixed and dynamic Huffman blocks).
bool Inflate(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out) {
    BitReader in(data, size);
    unsigned last = 0;
    while (last == 0) {
        unsigned type;
        if (!in.bits(1, last) || !in.bits(2, type))
            return false;
        if (type == 0) {
            in.alignToByte();
            const std::size_t p = in.bytePos();
            if (p + 4 > size)
                return false;
            const unsigned len = data[p] | (data[p + 1] << 8);
            const unsigned nlen = data[p + 2] | (data[p + 3] << 8);
            if ((len ^ 0xFFFFu) != nlen || p + 4 + len > size)
                return false;
            out.insert(out.end(), data + p + 4, data + p + 4 + len);
            in.skipBytes(4 + len);
        } else if (type == 1) {
            int lengths[288 + 30];
            for (int i = 0; i < 288; ++i)
                lengths[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
            for (int i = 0; i < 30; ++i)
                lengths[288 + i] = 5;
            Huffman lit, dist;
            lit.build(lengths, 288);
            dist.build(lengths + 288, 30);
            if (!InflateBlock(in, lit, dist, out))
                return false;
        } else if (type == 2) {
            Huffman lit, dist;
            if (!DynamicTables(in, lit, dist) || !InflateBlock(in, lit, dist, out))
                return false;
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

bool DecodePng(const std::vector<std::uint8_t>& file, RgbImage& image, std::string& why) {
    static constexpr std::uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
    if (file.size() < 8 || std::memcmp(file.data(), kSignature, 8) != 0) {
        why = "not a PNG";
        return false;
    }
    int width = 0, height = 0, depth = 0, colourType = 0, interlace = 0;
    std::vector<std::uint8_t> idat, palette;
    for (std::size_t p = 8; p + 12 <= file.size();) {
        const std::uint32_t length = Be32(&file[p]);
        if (p + 12 + length > file.size())
            break;
        const std::string type(reinterpret_cast<const char*>(&file[p + 4]), 4);
        const std::uint8_t* body = &file[p + 8];
        if (type == "IHDR") {
            width = static_cast<int>(Be32(body));
            height = static_cast<int>(Be32(body + 4));
            depth = body[8];
            colourType = body[9];
            interlace = body[12];
        } else if (type == "PLTE") {
            palette.assign(body, body + length);
        } else if (type == "IDAT") {
            idat.insert(idat.end(), body, body + length);
        }
        p += 12 + length;
    }
    if (interlace != 0 || width <= 0 || height <= 0) {
        why = "interlaced or empty";
        return false;
    }
    int channels = 0;
    switch (colourType) {
    case 0:
        channels = 1;
        break;
    case 2:
        channels = 3;
        break;
    case 3:
        channels = 1;
        break;
    case 4:
        channels = 2;
        break;
    case 6:
        channels = 4;
        break;
    default:
        why = "unknown colour type";
        return false;
    }
    std::vector<std::uint8_t> raw;
    if (idat.size() < 2 || !Inflate(idat.data() + 2, idat.size() - 2, raw)) {
        why = "bad compressed data";
        return false;
    }
    const std::size_t bitsPerPixel = static_cast<std::size_t>(channels) * depth;
    const std::size_t stride = (bitsPerPixel * width + 7) / 8;
    const std::size_t bpp = std::max<std::size_t>(1, bitsPerPixel / 8);
    if (raw.size() < (stride + 1) * height) {
        why = "short image data";
        return false;
    }
    std::vector<std::uint8_t> rows(stride * height);
    for (int r = 0; r < height; ++r) {
        const std::uint8_t filter = raw[r * (stride + 1)];
        const std::uint8_t* in = &raw[r * (stride + 1) + 1];
        std::uint8_t* out = &rows[r * stride];
        const std::uint8_t* up = r > 0 ? &rows[(r - 1) * stride] : nullptr;
        for (std::size_t i = 0; i < stride; ++i) {
            const int a = i >= bpp ? out[i - bpp] : 0;
            const int b = up ? up[i] : 0;
            const int c = (up && i >= bpp) ? up[i - bpp] : 0;
            int pred = 0;
            switch (filter) {
            case 0:
                pred = 0;
                break;
            case 1:
                pred = a;
                break;
            case 2:
                pred = b;
                break;
            case 3:
                pred = (a + b) / 2;
                break;
            case 4:
                pred = Paeth(a, b, c);
                break;
            default:
                why = "bad filter";
                return false;
            }
            out[i] = static_cast<std::uint8_t>(in[i] + pred);
        }
    }
    image.width = width;
    image.height = height;
    image.rgb.assign(static_cast<std::size_t>(width) * height * 3, 0);
    const std::size_t sampleBytes = depth == 16 ? 2 : 1;
    for (int r = 0; r < height; ++r) {
        const std::uint8_t* row = &rows[r * stride];
        for (int c = 0; c < width; ++c) {
            std::uint8_t* o = &image.rgb[(static_cast<std::size_t>(r) * width + c) * 3];
            if (depth < 8) {
                const std::size_t bit = static_cast<std::size_t>(c) * depth;
                const int value = (row[bit / 8] >> (8 - depth - bit % 8)) & ((1 << depth) - 1);
                if (colourType == 3) {
                    if (static_cast<std::size_t>(value) * 3 + 2 >= palette.size() + 0u)
                        return why = "index beyond palette", false;
                    std::memcpy(o, &palette[value * 3], 3);
                } else {
                    o[0] = o[1] = o[2] = static_cast<std::uint8_t>(value * 255 / ((1 << depth) - 1));
                }
                continue;
            }
            const std::uint8_t* px = row + static_cast<std::size_t>(c) * channels * sampleBytes;
            if (colourType == 3) {
                if (static_cast<std::size_t>(px[0]) * 3 + 2 >= palette.size())
                    return why = "index beyond palette", false;
                std::memcpy(o, &palette[px[0] * 3], 3);
            } else if (channels <= 2) {
                o[0] = o[1] = o[2] = px[0];
            } else {
                for (int k = 0; k < 3; ++k)
                    o[k] = px[k * sampleBytes];
            }
        }
    }
    return true;
}

} // namespace vellora::test
