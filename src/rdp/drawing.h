// SPDX-License-Identifier: MIT
#pragma once

// The drawing's own parts, shared by its three files: modes, combiner and
// colour image (draw.cpp), the edge walker and spans (raster.cpp) and the
// texture unit (texturing.cpp). Not part of the library's interface.
#include "rdp.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vellora::rdp::detail {

inline std::int32_t Sign(std::uint32_t x, int bits) {
    const std::uint32_t mask = (1u << bits) - 1;
    std::uint32_t v = x & mask;
    if (x & (1u << (bits - 1)))
        v |= ~mask;
    return static_cast<std::int32_t>(v);
}
inline std::int32_t Sign16(std::int32_t x) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<std::uint32_t>(x)));
}
// Two's-complement arithmetic on the 32-bit registers, where the hardware
// wraps.
inline std::int32_t Add(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
inline std::int32_t Mul(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}

inline std::int32_t Clamp9(std::int32_t x) { // special_9bit_clamptable
    x &= 0x1ff;
    switch ((x >> 7) & 3) {
    case 2:
        return 0xff;
    case 3:
        return 0;
    default:
        return x & 0xff;
    }
}
inline std::int32_t Ext9(std::int32_t x) { // special_9bit_exttable
    x &= 0x1ff;
    return (x & 0x180) == 0x180 ? (x | ~0x1ff) : x;
}
inline std::int32_t SignF9(std::int32_t x) {
    return x | -(x & 0x100);
}

struct Colour {
    std::int32_t r = 0, g = 0, b = 0, a = 0;
};

struct Span {
    int lx = 0, rx = 0, unscrx = 0;
    bool valid = false;
    std::int32_t s = 0, t = 0, w = 0;
    int majorx[4] = {}, minorx[4] = {};
    bool invalid[4] = {};
};

// Look-up tables the hardware holds or the model derives once: the
// divider's reciprocals, log2 for the LOD tile, coverage counts.
struct Tables {
    std::array<std::int32_t, 0x8000> tcdiv{};
    std::array<std::int32_t, 256> log2{};
    std::array<std::uint8_t, 256> cvg{}, cvbit{};
    Tables();
};
const Tables& Table();

[[noreturn]] void Refuse(const std::string& what);

// One primitive's drawing: the state the hardware derives from the modes,
// the spans the edge walker leaves, and the per-pixel registers.
class Drawing {
  public:
    Drawing(Rdp& rdp, std::span<const std::uint64_t> command) : rdp_(rdp) {
        decodeModes();
        std::int32_t ew[44] = {};
        const auto cmd = static_cast<Command>(command[0] >> 56);
        if (cmd == Command::TextureTriangle) {
            for (std::size_t i = 0; i < 4; ++i) {
                ew[2 * i] = static_cast<std::int32_t>(command[i] >> 32);
                ew[2 * i + 1] = static_cast<std::int32_t>(command[i]);
            }
            for (std::size_t i = 0; i < 8; ++i) {
                ew[24 + 2 * i] = static_cast<std::int32_t>(command[4 + i] >> 32);
                ew[24 + 2 * i + 1] = static_cast<std::int32_t>(command[4 + i]);
            }
        } else {
            rectangle(command, cmd == Command::TextureRectangleFlip, ew);
        }
        walk(ew);
    }

  private:
    void decodeModes();
    void rectangle(std::span<const std::uint64_t> command, bool flipped, std::int32_t* ew);
    void walk(const std::int32_t* ew);
    void coverage(int line, bool flip);
    void render1Cycle(int start, int end, bool flip);
    void render2Cycle(int start, int end, bool flip);
    template <typename Pixel> void spanPixels(int start, int end, bool flip, Pixel pixel);
    void tcdiv(std::int32_t ss, std::int32_t st, std::int32_t sw, std::int32_t& sss, std::int32_t& sst) const;
    // LOD_FRACTION (into lodFrac_) and the level a LOD picks: the chain's
    // last when it lies past it (distant), magnify below one texel a pixel.
    struct LodLevel {
        int level = 0;
        bool magnify = false, distant = false;
    };
    LodLevel lodLevel(bool lodclamp, std::int32_t lod);
    void lod2Cycle(std::int32_t& sss, std::int32_t& sst, std::int32_t s, std::int32_t t, std::int32_t w);
    void lod1Cycle(std::int32_t& sss, std::int32_t& sst, std::int32_t s, std::int32_t t, std::int32_t w,
                   int line, bool endspan, bool preendspan);
    Colour texel(std::int32_t sss, std::int32_t sst, int tile, int cycle) const;
    void combine(int cycle, bool last);
    std::uint32_t finishAlpha(std::uint32_t cvg);
    void write(int x, int line, std::uint32_t cvg, std::uint32_t cvbit, bool twoCycle);
    void record(int x, int line, std::int32_t sss, std::int32_t sst);
    void budget(long pixels);

    Rdp& rdp_;
    const Tables& tables_ = Table();
    // Modes.
    int cycle_ = 0;
    bool persp_ = false, detail_ = false, sharpen_ = false, lodOn_ = false, sampleType_ = false,
         midTexel_ = false;
    bool dolod_ = false, cvgTimesAlpha_ = false, alphaCvgSelect_ = false;
    TlutMode tlut_ = TlutMode::None;
    int cvgDest_ = 0, m1a_[2] = {}, m1b_[2] = {}, m2a_[2] = {}, m2b_[2] = {};
    int minLevel_ = 0, maxLevel_ = 0, primTile_ = 0;
    // Combiner inputs as (slot, cycle) -> register.
    const std::int32_t* subA_[2][3] = {};
    const std::int32_t* subB_[2][3] = {};
    const std::int32_t* mul_[2][3] = {};
    const std::int32_t* add_[2][3] = {};
    const std::int32_t* aSubA_[2] = {};
    const std::int32_t* aSubB_[2] = {};
    const std::int32_t* aMul_[2] = {};
    const std::int32_t* aAdd_[2] = {};
    // Registers.
    Colour combined_, texel0_, texel1_, prim_, shade_, env_, pixel_, blended_, blend_, fog_;
    std::int32_t lodFrac_ = 0, primLodFrac_ = 0, one_ = 0x100, zero_ = 0;
    int tile1_ = 0, tile2_ = 0;
    // Edge walker results.
    std::vector<Span> spans_ = std::vector<Span>(1026);
    std::array<std::uint8_t, 1024> cvgbuf_{};
    std::int32_t dsx_ = 0, dtx_ = 0, dwx_ = 0, dsy_ = 0, dty_ = 0, dwy_ = 0; // spans_ds, spans_dsdy, ...
    std::int32_t dsinc_ = 0, dtinc_ = 0, dwinc_ = 0;
    int lodLength_ = 0;
};

} // namespace vellora::rdp::detail
