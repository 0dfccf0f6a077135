// SPDX-License-Identifier: MIT
#include "pngreader.h"

#include <spng.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

namespace vellora {

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Text chunks and profiles are skipped, but libspng still holds what it
// parses of them; a damaged file must not make it hold much.
constexpr std::size_t kChunkLimit = std::size_t{1} << 26;
constexpr std::size_t kCacheLimit = std::size_t{1} << 26;

constexpr const char* kTooLargeSide = "PNG too large: at most 16384 x 16384 pixels are supported";

using Context = std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)>;

PictureReadResult Refuse(PictureReadResult r, std::string message) {
    r.ok = false;
    r.error = std::move(message);
    return r;
}

std::string Damaged(int code) {
    return std::string("Damaged PNG file: ") + spng_strerror(code);
}

int ChannelsOf(int colourType) {
    switch (colourType) {
    case SPNG_COLOR_TYPE_TRUECOLOR:
        return 3;
    case SPNG_COLOR_TYPE_GRAYSCALE_ALPHA:
        return 2;
    case SPNG_COLOR_TYPE_TRUECOLOR_ALPHA:
        return 4;
    default:
        return 1;
    }
}

} // namespace

bool HasPngSignature(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= sizeof kSignature && std::memcmp(bytes.data(), kSignature, sizeof kSignature) == 0;
}

PictureReadResult ReadPng(std::span<const std::uint8_t> bytes, TileLevel& level, std::int64_t maxPixels,
                          PictureNeed need) {
    PictureReadResult result;
    result.info.fileType = FileType::Png;
    if (!HasPngSignature(bytes))
        return Refuse(result, "Not a PNG file: the signature is missing or damaged");

    // The header's own size fields come first: libspng refuses some huge
    // sizes with a reason that does not say the picture is too large.
    if (bytes.size() >= 24 && std::memcmp(bytes.data() + 12, "IHDR", 4) == 0) {
        auto be32 = [&](std::size_t at) {
            return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
                   (std::uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
        };
        if (be32(16) > static_cast<std::uint32_t>(kMaxPictureSide) ||
            be32(20) > static_cast<std::uint32_t>(kMaxPictureSide))
            return Refuse(result, kTooLargeSide);
    }

    Context ctx(spng_ctx_new(0), spng_ctx_free);
    if (!ctx)
        return Refuse(result, "Not enough memory to read the PNG file");
    spng_set_chunk_limits(ctx.get(), kChunkLimit, kCacheLimit);
    spng_set_crc_action(ctx.get(), SPNG_CRC_ERROR, SPNG_CRC_ERROR);
    if (int e = spng_set_png_buffer(ctx.get(), bytes.data(), bytes.size()); e != 0)
        return Refuse(result, Damaged(e));

    spng_ihdr ihdr{};
    if (int e = spng_get_ihdr(ctx.get(), &ihdr); e != 0)
        return Refuse(result, Damaged(e));
    PictureInfo& info = result.info;
    info.width = static_cast<std::int32_t>(std::min<std::uint32_t>(ihdr.width, INT32_MAX));
    info.height = static_cast<std::int32_t>(std::min<std::uint32_t>(ihdr.height, INT32_MAX));
    info.colourType = ihdr.color_type;
    info.bitDepth = ihdr.bit_depth;
    info.bitCount = ChannelsOf(ihdr.color_type) * ihdr.bit_depth;

    // Refused from the header alone, before any pixel memory exists.
    if (ihdr.width > static_cast<std::uint32_t>(kMaxPictureSide) ||
        ihdr.height > static_cast<std::uint32_t>(kMaxPictureSide))
        return Refuse(result, kTooLargeSide);
    if (static_cast<std::int64_t>(ihdr.width) * ihdr.height > std::min(maxPixels, kMaxPicturePixels))
        return Refuse(result, "PNG too large: at most " +
                                  std::to_string(std::min(maxPixels, kMaxPicturePixels)) +
                                  " pixels are supported, the file has " +
                                  std::to_string(static_cast<std::int64_t>(ihdr.width) * ihdr.height));

    std::size_t size = 0;
    if (int e = spng_decoded_image_size(ctx.get(), SPNG_FMT_RGBA8, &size); e != 0)
        return Refuse(result, Damaged(e));
    if (need == PictureNeed::Size) {
        info.alpha = ihdr.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA ||
                     ihdr.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA;
        level.Width = info.width;
        level.Height = info.height;
        level.BitDepth = info.bitCount;
        level.Pixels = PixelGrid();
        result.ok = true;
        return result;
    }
    PixelGrid grid(info.height, info.width);
    if (size != grid.bytes().size())
        return Refuse(result, "Damaged PNG file: unexpected decoded size");
    // Straight into the grid: its rows are exactly libspng's RGBA8 rows.
    if (int e = spng_decode_image(ctx.get(), grid.bytes().data(), size, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS);
        e != 0)
        return Refuse(result, Damaged(e));
    // The image can be complete before the last image chunk's checksum and
    // the chunks after it are read; a damaged or cut-off end still refuses
    // the file.
    if (int e = spng_decode_chunks(ctx.get()); e != 0)
        return Refuse(result, Damaged(e));

    spng_trns trns{};
    const bool hasTrns = spng_get_trns(ctx.get(), &trns) == 0;
    info.alpha = hasTrns || ihdr.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA ||
                 ihdr.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA;
    if (ihdr.color_type == SPNG_COLOR_TYPE_INDEXED) {
        spng_plte plte{};
        if (spng_get_plte(ctx.get(), &plte) == 0) {
            for (std::uint32_t i = 0; i < plte.n_entries && i < 256; ++i) {
                const std::uint32_t a = hasTrns && i < trns.n_type3_entries ? trns.type3_alpha[i] : 255u;
                const spng_plte_entry& e = plte.entries[i];
                info.palette.push_back(std::uint32_t{e.red} << 24 | std::uint32_t{e.green} << 16 |
                                       std::uint32_t{e.blue} << 8 | a);
            }
        }
    }
    if (!info.alpha) {
        // A picture without alpha holds 0 there, as a BMP without it does.
        std::span<std::uint8_t> px = grid.bytes();
        for (std::size_t i = 3; i < px.size(); i += 4)
            px[i] = 0;
    }

    level.Width = info.width;
    level.Height = info.height;
    level.BitDepth = info.bitCount;
    level.Pixels = std::move(grid);
    result.ok = true;
    return result;
}

std::optional<Format> BaseFormatForPng(int colourType, int bitDepth) {
    switch (colourType) {
    case SPNG_COLOR_TYPE_INDEXED:
        return bitDepth == 8 ? Format::CI8 : Format::CI4;
    case SPNG_COLOR_TYPE_GRAYSCALE:
        return bitDepth >= 8 ? Format::Bits8 : Format::Bits4;
    case SPNG_COLOR_TYPE_GRAYSCALE_ALPHA:
        return Format::Bits16;
    case SPNG_COLOR_TYPE_TRUECOLOR:
    case SPNG_COLOR_TYPE_TRUECOLOR_ALPHA:
        return Format::Bits32;
    default:
        return std::nullopt;
    }
}

bool PngAsksGreyscale(int colourType) {
    return colourType == SPNG_COLOR_TYPE_TRUECOLOR;
}

} // namespace vellora
