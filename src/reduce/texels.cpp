// SPDX-License-Identifier: MIT
// The stored value of a texel in each kind and what the RDP reads back.
#include "reduce.h"
#include "reducing.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace vellora::reduce {

using namespace detail;

namespace {

// For each 8-bit value, the n-bit value whose expansion is nearest; scanning
// upwards with a strict comparison keeps the lower value on a tie.
template <unsigned Bits, class ExpandFn> std::array<std::uint8_t, 256> NearestTable(ExpandFn expand) {
    std::array<std::uint8_t, 256> table{};
    for (int v = 0; v < 256; ++v) {
        int best = 0, bestDistance = INT_MAX;
        for (unsigned x = 0; x < (1u << Bits); ++x) {
            const int d = std::abs(static_cast<int>(expand(x)) - v);
            if (d < bestDistance) {
                best = static_cast<int>(x);
                bestDistance = d;
            }
        }
        table[static_cast<std::size_t>(v)] = static_cast<std::uint8_t>(best);
    }
    return table;
}

const std::array<std::uint8_t, 256> kTo4 = NearestTable<4>(Expand4);
const std::array<std::uint8_t, 256> kTo3 = NearestTable<3>(Expand3);

} // namespace

const std::array<std::uint8_t, 256> detail::kTo5 = NearestTable<5>(Expand5);

namespace {

template <Kind K> std::uint32_t TexelOf(const std::uint8_t* rgba, bool opaque) {
    const std::uint32_t a = AlphaOf(rgba, opaque);
    if constexpr (K == Kind::RGBA32) {
        return std::uint32_t{rgba[0]} << 24 | std::uint32_t{rgba[1]} << 16 | std::uint32_t{rgba[2]} << 8 | a;
    } else if constexpr (K == Kind::RGBA16) {
        return Rgba16Code(rgba, opaque);
    } else if constexpr (K == Kind::IA16) {
        return std::uint32_t{IntensityOf(rgba)} << 8 | a;
    } else if constexpr (K == Kind::IA8) {
        return std::uint32_t{kTo4[IntensityOf(rgba)]} << 4 | kTo4[a];
    } else if constexpr (K == Kind::IA4) {
        return std::uint32_t{kTo3[IntensityOf(rgba)]} << 1 | (a >> 7);
    } else if constexpr (K == Kind::I8) {
        return IntensityOf(rgba);
    } else {
        static_assert(K == Kind::I4);
        return kTo4[IntensityOf(rgba)];
    }
}

// rows x cols of a grid to a direct kind, the kind fixed at compile time so
// the loop does only that kind's arithmetic.
template <Kind K>
void StoreRows(const PixelGrid& grid, int rows, int cols, bool opaque, std::vector<std::uint32_t>& values) {
    std::uint32_t* out = values.data();
    for (int row = 0; row < rows; ++row) {
        const std::uint8_t* px = grid.at(row, 0);
        for (int col = 0; col < cols; ++col, px += 4)
            *out++ = TexelOf<K>(px, opaque);
    }
}

} // namespace

void detail::StoreDirect(Kind kind, const PixelGrid& grid, int rows, int cols, bool opaque,
                         std::vector<std::uint32_t>& values) {
    switch (kind) {
    case Kind::RGBA32:
        return StoreRows<Kind::RGBA32>(grid, rows, cols, opaque, values);
    case Kind::RGBA16:
        return StoreRows<Kind::RGBA16>(grid, rows, cols, opaque, values);
    case Kind::IA16:
        return StoreRows<Kind::IA16>(grid, rows, cols, opaque, values);
    case Kind::IA8:
        return StoreRows<Kind::IA8>(grid, rows, cols, opaque, values);
    case Kind::IA4:
        return StoreRows<Kind::IA4>(grid, rows, cols, opaque, values);
    case Kind::I8:
        return StoreRows<Kind::I8>(grid, rows, cols, opaque, values);
    case Kind::I4:
        return StoreRows<Kind::I4>(grid, rows, cols, opaque, values);
    case Kind::CI8:
    case Kind::CI4:
    case Kind::CI8_IA16:
    case Kind::CI4_IA16:
        break;
    }
}

std::uint8_t To5(std::uint8_t v) {
    return kTo5[v];
}
std::uint8_t To4(std::uint8_t v) {
    return kTo4[v];
}
std::uint8_t To3(std::uint8_t v) {
    return kTo3[v];
}

std::uint16_t ToRgba16(const std::uint8_t* rgba, bool opaque) {
    return Rgba16Code(rgba, opaque);
}

std::uint32_t TexelValue(Kind kind, const std::uint8_t* rgba, bool opaque) {
    switch (kind) {
    case Kind::RGBA32:
        return TexelOf<Kind::RGBA32>(rgba, opaque);
    case Kind::RGBA16:
        return TexelOf<Kind::RGBA16>(rgba, opaque);
    case Kind::IA16:
        return TexelOf<Kind::IA16>(rgba, opaque);
    case Kind::IA8:
        return TexelOf<Kind::IA8>(rgba, opaque);
    case Kind::IA4:
        return TexelOf<Kind::IA4>(rgba, opaque);
    case Kind::I8:
        return TexelOf<Kind::I8>(rgba, opaque);
    case Kind::I4:
        return TexelOf<Kind::I4>(rgba, opaque);
    case Kind::CI8:
    case Kind::CI4:
    case Kind::CI8_IA16:
    case Kind::CI4_IA16:
        break;
    }
    return 0;
}

std::array<std::uint8_t, 4> ExpandRgba16(std::uint16_t v) {
    return Rgba16Colour(v);
}

std::uint16_t ToIa16(const std::uint8_t* rgba, bool opaque) {
    return Ia16Code(rgba, opaque);
}

std::array<std::uint8_t, 4> ExpandIa16(std::uint16_t v) {
    return Ia16Colour(v);
}

std::array<std::uint8_t, 4> ExpandEntry(Kind kind, std::uint16_t value) {
    return HasIa16Palette(kind) ? ExpandIa16(value) : ExpandRgba16(value);
}

std::array<std::uint8_t, 4> Expand(Kind kind, std::uint32_t v) {
    const auto grey = [](std::uint8_t i, std::uint8_t a) { return std::array<std::uint8_t, 4>{i, i, i, a}; };
    switch (kind) {
    case Kind::RGBA32:
        return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
    case Kind::RGBA16:
        return ExpandRgba16(static_cast<std::uint16_t>(v));
    case Kind::IA16:
        return grey(static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v));
    case Kind::IA8:
        return grey(Expand4(v >> 4 & 15u), Expand4(v & 15u));
    case Kind::IA4:
        return grey(Expand3(v >> 1 & 7u), (v & 1u) != 0 ? 255 : 0);
    case Kind::I8:
        return grey(static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v));
    case Kind::I4:
        return grey(Expand4(v & 15u), Expand4(v & 15u));
    case Kind::CI8:
    case Kind::CI4:
    case Kind::CI8_IA16:
    case Kind::CI4_IA16:
        break;
    }
    return {};
}

} // namespace vellora::reduce
