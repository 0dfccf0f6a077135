// SPDX-License-Identifier: MIT
#include "bmpreader.h"

#include "picturefile.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <vector>

namespace vellora {

namespace {

// Bytes past the end of the file read as zero, so a short file behaves like
// one padded with zeros and nothing is ever read out of bounds.
class ByteSource {
  public:
    explicit ByteSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::uint8_t at(std::uint64_t offset) const { return offset < bytes_.size() ? bytes_[offset] : 0; }
    std::uint16_t u16(std::uint64_t offset) const {
        return static_cast<std::uint16_t>(at(offset) | (at(offset + 1) << 8));
    }
    std::uint32_t u32(std::uint64_t offset) const {
        return static_cast<std::uint32_t>(u16(offset)) | (static_cast<std::uint32_t>(u16(offset + 2)) << 16);
    }
    std::int32_t s32(std::uint64_t offset) const { return static_cast<std::int32_t>(u32(offset)); }
    std::int16_t s16(std::uint64_t offset) const { return static_cast<std::int16_t>(u16(offset)); }

    // Copies length bytes from offset into out, zero-filling what lies past the end.
    void copy(std::uint64_t offset, std::uint8_t* out, std::size_t length) const {
        std::size_t present = 0;
        if (offset < bytes_.size())
            present = static_cast<std::size_t>(std::min<std::uint64_t>(length, bytes_.size() - offset));
        if (present > 0)
            std::memcpy(out, bytes_.data() + offset, present);
        std::memset(out + present, 0, length - present);
    }
    // A pointer to length bytes at offset when all of them lie inside the file.
    const std::uint8_t* whole(std::uint64_t offset, std::size_t length) const {
        if (offset > bytes_.size() || length > bytes_.size() - offset)
            return nullptr;
        return bytes_.data() + offset;
    }
    std::size_t size() const { return bytes_.size(); }

  private:
    std::span<const std::uint8_t> bytes_;
};

constexpr std::uint64_t kFileHeaderSize = 14;
constexpr std::int32_t kMaxSide = kMaxPictureSide;

struct Header {
    std::uint32_t offBits = 0;
    std::uint32_t size = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    int bitCount = 0;
    std::uint32_t clrUsed = 0;
};

bool ReadHeader(const ByteSource& in, Header& h) {
    h.offBits = in.u32(10);
    h.size = in.u32(kFileHeaderSize);
    const std::uint64_t fields = kFileHeaderSize + 4;
    switch (h.size) {
    case 12:
        // The small header carries no colour count; every field it lacks is 0.
        h.width = in.s16(fields);
        h.height = in.s16(fields + 2);
        h.bitCount = in.u16(fields + 6);
        return true;
    case 40:
    case 108:
    case 124:
        // The extensions of the larger headers steer nothing, so only the
        // common part is decoded.
        h.width = in.s32(fields);
        h.height = in.s32(fields + 4);
        h.bitCount = in.u16(fields + 10);
        h.clrUsed = in.u32(fields + 28);
        return true;
    default:
        return false;
    }
}

bool Decodable(int bitCount) {
    return bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 || bitCount == 32;
}

std::uint64_t RowBytes(std::uint64_t bitCount, std::uint64_t width) {
    return (bitCount * width + 31) / 32 * 4;
}

// The colour table as R, G, B triples for every index a pixel can hold.
// Indices beyond the file's table stay black, so a short table is never
// read past.
using Palette = std::array<std::array<std::uint8_t, 3>, 256>;

Palette ReadPalette(const ByteSource& in, const Header& h, std::vector<std::uint32_t>& entriesRead) {
    Palette palette{};
    const std::uint32_t indexRange = h.bitCount == 4 ? 16u : 256u;
    std::uint32_t entries = h.clrUsed == 0 ? indexRange : h.clrUsed;
    // Only entries a pixel can select matter; a huge colour count in a
    // damaged header must not drive a huge read.
    entries = std::min(entries, indexRange);
    // Files with the 12-byte header store three-byte entries (blue, green,
    // red); reading four-byte entries there would give wrong colours.
    const std::uint64_t entrySize = h.size == 12 ? 3 : 4;
    const std::uint64_t base = kFileHeaderSize + h.size;
    for (std::uint32_t i = 0; i < entries; ++i) {
        const std::uint64_t at = base + i * entrySize;
        palette[i] = {in.at(at + 2), in.at(at + 1), in.at(at)};
        entriesRead.push_back(std::uint32_t{palette[i][0]} << 24 | std::uint32_t{palette[i][1]} << 16 |
                              std::uint32_t{palette[i][2]} << 8 | 0xFFu);
    }
    return palette;
}

void ConvertRow(const std::uint8_t* raw, int bitCount, int width, const Palette& palette, std::uint8_t* out) {
    switch (bitCount) {
    case 4:
        for (int c = 0; c < width; ++c, out += 4) {
            const std::uint8_t byte = raw[c >> 1];
            const auto& entry = palette[(c & 1) == 0 ? (byte >> 4) : (byte & 15)];
            out[0] = entry[0];
            out[1] = entry[1];
            out[2] = entry[2];
        }
        break;
    case 8:
        for (int c = 0; c < width; ++c, out += 4) {
            const auto& entry = palette[raw[c]];
            out[0] = entry[0];
            out[1] = entry[1];
            out[2] = entry[2];
        }
        break;
    case 16:
        for (int c = 0; c < width; ++c, out += 4, raw += 2) {
            const unsigned word = raw[0] | (raw[1] << 8);
            out[0] = static_cast<std::uint8_t>(((word >> 10) & 31) * 8);
            out[1] = static_cast<std::uint8_t>(((word >> 5) & 31) * 8);
            out[2] = static_cast<std::uint8_t>((word & 31) * 8);
        }
        break;
    case 24:
        for (int c = 0; c < width; ++c, out += 4, raw += 3) {
            out[0] = raw[2];
            out[1] = raw[1];
            out[2] = raw[0];
        }
        break;
    case 32:
        for (int c = 0; c < width; ++c, out += 4, raw += 4) {
            out[0] = raw[2];
            out[1] = raw[1];
            out[2] = raw[0];
            out[3] = raw[3];
        }
        break;
    default:
        break;
    }
}

PictureReadResult Refuse(PictureReadResult r, std::string message) {
    r.ok = false;
    r.error = std::move(message);
    return r;
}

} // namespace

PictureReadResult ReadBmp(std::span<const std::uint8_t> bytes, TileLevel& level, std::int64_t maxPixels,
                          PictureNeed need) {
    const ByteSource in(bytes);
    PictureReadResult result;
    Header h;
    if (!ReadHeader(in, h))
        return Refuse(result, kUnknownBmpType);

    // A negative height marks rows stored top first. The sign is taken off
    // before the size checks; heights below -kMaxSide (INT32_MIN among them)
    // are refused before negating, so the negation cannot overflow.
    const bool topDown = h.height < 0;
    const std::int32_t height = topDown ? (h.height < -kMaxSide ? kMaxSide + 1 : -h.height) : h.height;
    result.info = PictureInfo{FileType::Bmp, h.width, height, h.bitCount, h.size, topDown, -1, 0, false, {}};

    if (h.width <= 0 || height == 0)
        return Refuse(result, "Invalid bmp size: width and height must be above 0");
    if (h.width > kMaxSide || height > kMaxSide)
        return Refuse(result, "Bmp too large: at most 16384 x 16384 pixels are supported");
    const std::int64_t pixels = static_cast<std::int64_t>(h.width) * height;
    if (pixels > std::min(maxPixels, kMaxPicturePixels))
        return Refuse(result, "Bmp too large: at most " +
                                  std::to_string(std::min(maxPixels, kMaxPicturePixels)) +
                                  " pixels are supported, the file claims " + std::to_string(pixels));

    if (need == PictureNeed::Size) {
        level.Width = h.width;
        level.Height = height;
        level.BitDepth = h.bitCount;
        level.Pixels = PixelGrid();
        result.ok = true;
        return result;
    }

    // A damaged header can claim far more rows than the file holds. Short
    // files are still read (the missing rows come out black), but a claim
    // beyond any reasonable truncation is refused before the grid is
    // allocated. Undecodable bit counts read nothing, so they are measured
    // at one bit per pixel, the least any picture can take.
    const std::uint64_t bits = Decodable(h.bitCount) ? static_cast<std::uint64_t>(h.bitCount) : 1;
    const std::uint64_t rowBytes = RowBytes(bits, static_cast<std::uint64_t>(h.width));
    const std::uint64_t needed = rowBytes * static_cast<std::uint64_t>(height);
    constexpr std::uint64_t kSlack = 1u << 20;
    if (needed > 16 * static_cast<std::uint64_t>(in.size()) + kSlack)
        return Refuse(result, "Bmp too large for its file: the pixel rows need " + std::to_string(needed) +
                                  " bytes but the file has " + std::to_string(in.size()));

    // The grid takes four bytes a pixel whatever the file's depth, so a
    // one-bit claim could still ask for 32 times its row bytes. Bound the
    // grid itself by the file too: a real 4-bit picture needs 8 times.
    const std::uint64_t gridBytes =
        4 * static_cast<std::uint64_t>(h.width) * static_cast<std::uint64_t>(height);
    if (gridBytes > 64 * static_cast<std::uint64_t>(in.size()) + 16 * kSlack)
        return Refuse(result, "Bmp too large for its file: " + std::to_string(h.width) + " x " +
                                  std::to_string(height) + " pixels from " + std::to_string(in.size()) +
                                  " bytes");

    PixelGrid grid(height, h.width);
    if (Decodable(h.bitCount)) {
        Palette palette{};
        if (h.bitCount <= 8)
            palette = ReadPalette(in, h, result.info.palette);
        std::vector<std::uint8_t> partial; // a row cut by the end of the file, zero-padded
        for (std::int32_t stored = 0; stored < height; ++stored) {
            const std::uint64_t offset = h.offBits + static_cast<std::uint64_t>(stored) * rowBytes;
            const std::uint8_t* raw = in.whole(offset, static_cast<std::size_t>(rowBytes));
            if (raw == nullptr) {
                if (offset >= in.size())
                    break; // this and every later stored row is all zeros: the grid already is
                partial.resize(static_cast<std::size_t>(rowBytes));
                in.copy(offset, partial.data(), partial.size());
                raw = partial.data();
            }
            // Bottom-up files store the picture's last row first.
            const std::int32_t row = topDown ? stored : height - 1 - stored;
            ConvertRow(raw, h.bitCount, h.width, palette, grid.at(row, 0));
        }
    }

    level.Width = h.width;
    level.Height = height;
    level.BitDepth = h.bitCount;
    level.Pixels = std::move(grid);
    result.ok = true;
    return result;
}

std::uint64_t BmpExtent(std::span<const std::uint8_t> head) {
    const ByteSource in(head);
    Header h;
    if (!ReadHeader(in, h))
        return 0;
    // Widened before the sign is taken off: INT32_MIN has no positive twin.
    const std::uint64_t height = h.height < 0
                                     ? 0 - static_cast<std::uint64_t>(static_cast<std::int64_t>(h.height))
                                     : static_cast<std::uint64_t>(h.height);
    const std::uint64_t width = h.width < 0 ? 0 : static_cast<std::uint64_t>(h.width);
    // A size the reader refuses from the header needs no more bytes.
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide ||
        static_cast<std::int64_t>(width * height) > kMaxPicturePixels)
        return 0;
    const std::uint64_t bits = Decodable(h.bitCount) ? static_cast<std::uint64_t>(h.bitCount) : 1;
    // The palette follows the header, the rows start at the offset.
    const std::uint64_t palette = kFileHeaderSize + h.size + 256 * 4;
    return std::max(palette, h.offBits + RowBytes(bits, width) * height);
}

PictureReadResult ReadBmpFile(const std::string& path, TileLevel& level) {
    const FileBytes file = ReadPictureBytes(path);
    if (!file.ok) {
        PictureReadResult r;
        r.error = file.error;
        return r;
    }
    return ReadBmp(file.bytes, level);
}

std::optional<Format> BaseFormatForBitCount(int bitCount) {
    switch (bitCount) {
    case 4:
        return Format::CI4;
    case 8:
        return Format::CI8;
    case 16:
        return Format::Bits16;
    case 24:
    case 32:
        return Format::Bits32;
    default:
        return std::nullopt;
    }
}

} // namespace vellora
