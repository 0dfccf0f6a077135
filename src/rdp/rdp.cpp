// SPDX-License-Identifier: MIT
// Command decoding and the loads. The load arithmetic follows the cycle-exact
// loading pipeline of angrylion-rdp-plus (tex.c: rdp_load_block,
// tile_tlut_common_cs_decoder, edgewalker_for_loads, loading_pipeline;
// tmem.c: get_tmem_idx): a load walks 64-bit words, and each word's s and t
// come from the same fixed-point stepping the hardware does, so the quirks
// (LoadBlock's dxt row counter, RGBA32's split halves) fall out of the
// arithmetic instead of being special cases.
#include "rdp.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace vellora::rdp {
namespace {

std::string Hex(std::uint64_t value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%0*llX", digits, static_cast<unsigned long long>(value));
    return text;
}

std::int32_t Sign16(std::uint32_t value) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
}

// The four 16-bit TMEM indices (0..0x3FF, one per bank lane) a load writes
// for the word at tile-relative (s, t), plus which pair of lanes a 32-bit
// split write uses and whether the word lies in the upper half.
struct TmemSlots {
    std::array<std::uint32_t, 4> lane{};
    bool upperPair = false;
    bool upperHalf = false;
};

TmemSlots Slots(const Tile& tile, std::int32_t s, std::int32_t t) {
    const auto ut = static_cast<std::uint32_t>(t);
    const std::uint32_t base = ((static_cast<std::uint32_t>(tile.line) * ut) & 0x1FF) + tile.tmem;
    std::uint32_t shorts = 0;
    if (tile.siz == Bits8 || tile.fmt == Yuv)
        shorts = static_cast<std::uint32_t>(s >> 1);
    else if (tile.siz >= Bits16)
        shorts = static_cast<std::uint32_t>(s);
    else
        shorts = static_cast<std::uint32_t>(s >> 2);
    shorts &= 0x7FF;

    TmemSlots slots;
    slots.upperPair = (((shorts & 2) != 0) ? 1u : 0u) ^ (ut & 1);
    // Bit 1 is dropped: a word is written whole, the pair choice above
    // decides where a 32-bit half goes.
    const std::uint32_t first = ((base << 2) + shorts) & 0x7FD;
    slots.upperHalf = (first & 0x400) != 0;
    for (std::uint32_t k = 0; k < 4; ++k) {
        std::uint32_t index = (first + k) & 0x7FF;
        if (ut & 1)
            index ^= 2;
        slots.lane[index & 3] = index & 0x3FF;
    }
    return slots;
}

const char* LoadName(int kind) {
    static constexpr const char* names[] = {"LoadBlock", "LoadTile", "LoadTLUT"};
    return names[kind];
}

} // namespace

Rdp::Rdp(std::size_t rdramBytes) : rdram_(rdramBytes, 0) {}

const Tile& Rdp::tile(int index) const {
    if (index < 0 || index > 7)
        throw Error("tile " + std::to_string(index) + " does not exist (tiles are 0 to 7)");
    return tiles_[static_cast<std::size_t>(index)];
}

TlutMode Rdp::tlutMode() const {
    if (((otherModes_ >> 47) & 1) == 0)
        return TlutMode::None;
    return ((otherModes_ >> 46) & 1) != 0 ? TlutMode::Ia16 : TlutMode::Rgba16;
}

void Rdp::writeShort(std::uint32_t index, std::uint16_t value) {
    const std::size_t at = (index & 0x7FF) * 2u;
    tmem_[at] = static_cast<std::uint8_t>(value >> 8);
    tmem_[at + 1] = static_cast<std::uint8_t>(value);
}

std::uint16_t Rdp::readShort(std::uint32_t index) const {
    const std::size_t at = (index & 0x7FF) * 2u;
    return static_cast<std::uint16_t>(tmem_[at] << 8 | tmem_[at + 1]);
}

// The 64 bits the loader takes from RDRAM at `address` (bounds already
// checked). A TLUT load at an even address takes one 16-bit colour and
// repeats it in all four lanes; every other case takes 8 bytes from address.
std::uint64_t Rdp::readWord(std::uint64_t address, bool tlut) const {
    if (tlut && (address & 1) == 0) {
        const std::uint64_t colour = static_cast<std::uint64_t>(rdram_[address] << 8 | rdram_[address + 1]);
        return colour << 48 | colour << 32 | colour << 16 | colour;
    }
    std::uint64_t word = 0;
    for (std::uint64_t i = 0; i < 8; ++i)
        word = word << 8 | rdram_[address + i];
    return word;
}

void Rdp::load(LoadKind kind, std::uint32_t hi, std::uint32_t lo) {
    const char* name = LoadName(static_cast<int>(kind));
    Tile& tile = tiles_[(lo >> 24) & 7];
    const int sl = static_cast<int>((hi >> 12) & 0xFFF);
    const int tl = static_cast<int>(hi & 0xFFF);
    const int sh = static_cast<int>((lo >> 12) & 0xFFF);
    const int th = static_cast<int>(lo & 0xFFF); // LoadBlock: dxt

    const bool tlut = kind == LoadKind::Tlut;
    if (image_.siz == Bits4)
        throw Error(std::string(name) + " from a 4-bit texture image: the RDP loads 4-bit data only as 8- or "
                                        "16-bit units");

    // Texels per 64-bit word and RDRAM bytes per step. A TLUT load steps one
    // 16-bit colour at a time.
    int texelsPerStep = 0, bytesPerStep = 8;
    switch (image_.siz) {
    case Bits8:
        texelsPerStep = 8;
        break;
    case Bits16:
        texelsPerStep = tlut ? 1 : 4;
        bytesPerStep = tlut ? 2 : 8;
        break;
    default:
        texelsPerStep = 2;
        break;
    }

    // The rows (spans) the load walks: how many texels (12 bits, so a last
    // texel before the first wraps round), the RDRAM byte of the first, and
    // the start coordinates in 16.16 (s and t in 10.5 for LoadTile, in
    // texels * 8 for the "quad" coordinates of LoadBlock and LoadTLUT).
    struct Span {
        int length = 0;
        std::uint64_t address = 0;
        std::uint32_t s = 0, t = 0;
    };
    std::vector<Span> spans;
    const auto addSpan = [&](int row, int first, int last, std::uint32_t s, std::uint32_t t) {
        const std::uint64_t texel =
            static_cast<std::uint64_t>(image_.width) * static_cast<std::uint64_t>(row) +
            static_cast<std::uint64_t>(first);
        spans.push_back({(last - first + 1) & 0xFFF, image_.address + ((texel << image_.siz) >> 1), s, t});
    };
    std::uint32_t ds = 0, dt = 0;
    const bool quad = kind != LoadKind::Tile;
    if (kind == LoadKind::Block) {
        // One span on row tl (10 bits), texels sl..sh; t steps by dxt per word.
        addSpan(tl & 0x3FF, sl, sh, static_cast<std::uint32_t>(sl << 3) << 16,
                static_cast<std::uint32_t>(tl << 3) << 16);
        ds = static_cast<std::uint32_t>(0x80 >> image_.siz) << 16;
        dt = static_cast<std::uint32_t>(th) << 8;
    } else {
        // Rows tl>>2 .. th>>2. The edge walker covers a row only where one of
        // its four sub-lines lies in [tl, th|3); a row without one ends at
        // texel 0.
        const int bottom = th | 3;
        for (int row = tl >> 2; row <= bottom >> 2; ++row) {
            const bool covered = std::max(row * 4, tl) <= std::min(row * 4 + 3, bottom - 1);
            const auto t =
                (static_cast<std::uint32_t>(tl << 3) + 0x20u * static_cast<std::uint32_t>(row - (tl >> 2)))
                << 16;
            addSpan(row, sl >> 2, covered ? sh >> 2 : 0, static_cast<std::uint32_t>(sl << 3) << 16, t);
        }
        ds = static_cast<std::uint32_t>(0x200 >> image_.siz) << 16;
        if (tlut && spans.size() > 1)
            throw Error("LoadTLUT over " + std::to_string(spans.size()) +
                        " rows: the palette load takes a single row (tl and th in the same texel row)");
    }

    // Check every RDRAM byte the load will read before anything changes.
    for (const Span& span : spans) {
        if (span.length == 0)
            continue;
        const auto steps = static_cast<std::uint64_t>((span.length + texelsPerStep - 1) / texelsPerStep);
        const std::uint64_t readBytes = (tlut && (span.address & 1) == 0) ? 2 : 8;
        const std::uint64_t end =
            span.address + (steps - 1) * static_cast<std::uint64_t>(bytesPerStep) + readBytes;
        if (end > rdram_.size())
            throw Error(std::string(name) + " reads RDRAM bytes " + Hex(span.address, 6) + " to " +
                        Hex(end - 1, 6) + ", past the end of RDRAM (" + Hex(rdram_.size(), 6) + " bytes)");
    }

    tile.sl = sl;
    tile.tl = tl;
    tile.sh = sh;
    tile.th = th; // after LoadBlock the tile holds its dxt here, as on the hardware
    const int formatting = tile.fmt == Yuv ? 0 : (tile.fmt == Rgba && tile.siz == Bits32 ? 1 : 2);
    for (const Span& span : spans) {
        std::uint64_t address = span.address;
        std::uint32_t s = span.s, t = span.t;
        for (int j = 0; j < span.length; j += texelsPerStep) {
            std::int32_t ss = Sign16(s >> 16) - (tile.sl << 3);
            std::int32_t st = Sign16(t >> 16) - (tile.tl << 3);
            ss >>= quad ? 3 : 5;
            st >>= quad ? 3 : 5;
            const TmemSlots slots = Slots(tile, ss, st);
            const std::uint64_t word = readWord(address, tlut);
            const auto part = [word](int shift) { return static_cast<std::uint16_t>(word >> shift); };

            if (formatting == 2) {
                // Odd rows store the word with its 32-bit halves swapped.
                const std::uint32_t half = slots.upperHalf ? 0x400 : 0;
                const bool swap = (st & 1) != 0;
                const int order[4] = {swap ? 16 : 48, swap ? 0 : 32, swap ? 48 : 16, swap ? 32 : 0};
                for (int lane = 0; lane < 4; ++lane)
                    writeShort(slots.lane[static_cast<std::size_t>(lane)] | half, part(order[lane]));
            } else {
                // Two texels a word go to one pair of lanes, split across the
                // halves: RGBA32 red/green (YUV: U/V) low, blue/alpha (Y) high.
                std::uint16_t low0, low1, high0, high1;
                if (formatting == 1) {
                    low0 = part(48), low1 = part(16), high0 = part(32), high1 = part(0);
                } else {
                    const auto byte = [word](int shift) {
                        return static_cast<std::uint16_t>((word >> shift) & 0xFF);
                    };
                    low0 = static_cast<std::uint16_t>(byte(56) << 8 | byte(40));
                    low1 = static_cast<std::uint16_t>(byte(24) << 8 | byte(8));
                    high0 = static_cast<std::uint16_t>(byte(48) << 8 | byte(32));
                    high1 = static_cast<std::uint16_t>(byte(16) << 8 | byte(0));
                }
                const std::size_t a = slots.upperPair ? 2 : 0;
                writeShort(slots.lane[a], low0);
                writeShort(slots.lane[a + 1], low1);
                writeShort(slots.lane[a] | 0x400, high0);
                writeShort(slots.lane[a + 1] | 0x400, high1);
            }
            s = (s + ds) & ~0x1Fu;
            t = (t + dt) & ~0x1Fu;
            address += static_cast<std::uint64_t>(bytesPerStep);
        }
    }
}

int CommandLength(std::uint8_t command) {
    switch (static_cast<Command>(command)) {
    case Command::TextureTriangle:
        return 12;
    case Command::TextureRectangle:
    case Command::TextureRectangleFlip:
        return 2;
    default:
        return 1;
    }
}

void Rdp::traceInto(std::vector<Sample>* samples, int width, int height) {
    samples_ = samples;
    traceWidth_ = samples ? width : 0;
    traceHeight_ = samples ? height : 0;
    if (samples)
        samples->assign(static_cast<std::size_t>(std::max(width, 0)) *
                            static_cast<std::size_t>(std::max(height, 0)),
                        Sample{});
}

void Rdp::execute(std::uint64_t word) {
    pending_.push_back(word);
    if (static_cast<int>(pending_.size()) < CommandLength(static_cast<std::uint8_t>(pending_.front() >> 56)))
        return;
    std::vector<std::uint64_t> command;
    command.swap(pending_);
    dispatch(command);
}

void Rdp::dispatch(std::span<const std::uint64_t> command) {
    const std::uint64_t word = command[0];
    const auto hi = static_cast<std::uint32_t>(word >> 32);
    const auto lo = static_cast<std::uint32_t>(word);
    const auto field = [](std::uint32_t value, int shift, std::uint32_t mask) {
        return static_cast<int>((value >> shift) & mask);
    };
    switch (static_cast<Command>(hi >> 24)) {
    case Command::SetTextureImage:
        image_.fmt = field(hi, 21, 7);
        image_.siz = field(hi, 19, 3);
        image_.width = field(hi, 0, 0x3FF) + 1;
        image_.address = lo & 0xFFFFFF; // the RDP's DRAM addresses are 24 bits
        return;
    case Command::SetColorImage:
        colorImage_.fmt = field(hi, 21, 7);
        colorImage_.siz = field(hi, 19, 3);
        colorImage_.width = field(hi, 0, 0x3FF) + 1;
        colorImage_.address = lo & 0xFFFFFF;
        return;
    case Command::SetScissor:
        scissor_[0] = field(hi, 12, 0xFFF);
        scissor_[1] = field(hi, 0, 0xFFF);
        scissor_[2] = field(lo, 12, 0xFFF);
        scissor_[3] = field(lo, 0, 0xFFF);
        return;
    case Command::SetTile: {
        Tile& t = tiles_[(lo >> 24) & 7];
        t.fmt = field(hi, 21, 7);
        t.siz = field(hi, 19, 3);
        t.line = field(hi, 9, 0x1FF);
        t.tmem = field(hi, 0, 0x1FF);
        t.palette = field(lo, 20, 0xF);
        t.cmt = field(lo, 18, 3);
        t.maskt = field(lo, 14, 0xF);
        t.shiftt = field(lo, 10, 0xF);
        t.cms = field(lo, 8, 3);
        t.masks = field(lo, 4, 0xF);
        t.shifts = field(lo, 0, 0xF);
        return;
    }
    case Command::SetTileSize: {
        Tile& t = tiles_[(lo >> 24) & 7];
        t.sl = field(hi, 12, 0xFFF);
        t.tl = field(hi, 0, 0xFFF);
        t.sh = field(lo, 12, 0xFFF);
        t.th = field(lo, 0, 0xFFF);
        return;
    }
    case Command::LoadBlock:
        load(LoadKind::Block, hi, lo);
        return;
    case Command::LoadTile:
        load(LoadKind::Tile, hi, lo);
        return;
    case Command::LoadTlut:
        load(LoadKind::Tlut, hi, lo);
        return;
    case Command::LoadSync:
    case Command::PipeSync:
    case Command::TileSync:
    case Command::SyncFull:
        return;
    case Command::SetOtherModes:
        otherModes_ = word;
        return;
    case Command::SetCombineMode:
        combineMode_ = word;
        return;
    case Command::SetPrimColor:
        primColor_ = word;
        return;
    case Command::SetEnvColor:
        envColor_ = word;
        return;
    case Command::SetBlendColor:
        blendColor_ = word;
        return;
    case Command::SetFogColor:
        fogColor_ = word;
        return;
    case Command::NoOp:
        return;
    case Command::TextureTriangle:
    case Command::TextureRectangle:
    case Command::TextureRectangleFlip:
        draw(command);
        return;
    }
    throw Error("unknown command " + Hex(hi >> 24, 2) + " in word " + Hex(word, 16));
}

void Rdp::run(std::span<const std::uint64_t> words) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        try {
            execute(words[i]);
        } catch (const Cancelled&) {
            throw;
        } catch (const Error& error) {
            throw Error("word " + std::to_string(i) + " (" + Hex(words[i], 16) + "): " + error.what());
        }
    }
    if (!pending_.empty()) {
        const int length = CommandLength(static_cast<std::uint8_t>(pending_.front() >> 56));
        const std::string got = std::to_string(pending_.size());
        pending_.clear();
        throw Error("the words end inside a command of " + std::to_string(length) + " words (" + got +
                    " came)");
    }
}

} // namespace vellora::rdp
