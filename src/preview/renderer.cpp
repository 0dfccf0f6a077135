// SPDX-License-Identifier: MIT
#include "renderer.h"

#include "byteblend.h"
#include "core/numeric.h"
#include "widervectors.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#if defined(__x86_64__) && !defined(VELLORA_NO_WIDER_VECTORS) && defined(__has_attribute)
#if __has_attribute(target)
#include <immintrin.h>
#define VELLORA_BYTE_SHUFFLES 1
#endif
#endif

namespace vellora {

namespace {

constexpr int kMaxZoom = 32;
constexpr int kMaxView = 16384;
// Products of pitches, zoom and scale are kept below this so hostile level
// sizes cannot overflow; anything this far out is off the viewport anyway.
constexpr std::int64_t kFar = std::int64_t{1} << 40;

std::int64_t SatMul(std::int64_t a, std::int64_t b) {
    if (a <= 0 || b <= 0)
        return 0;
    if (a >= kFar / b)
        return kFar;
    return a * b;
}

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
    return a <= 0 ? 0 : (a + b - 1) / b;
}

// Smallest power of two not less than v; 0 for a level without size.
std::int64_t Pitch(std::int64_t v) {
    if (v <= 0)
        return 0;
    std::int64_t p = 1;
    while (p < v)
        p <<= 1;
    return p;
}

std::string Text(std::int64_t v) {
    return DecimalText(static_cast<long long>(v));
}

std::string Quoted(const std::string& s) {
    // The text came from a box the user typed in: keep the message short.
    std::string shown = s.size() > 40 ? s.substr(0, 40) + "..." : s;
    return "\"" + shown + "\"";
}

struct Clip {
    std::int64_t w = 0; // drawable width: the viewport inside the surface
    std::int64_t h = 0;
};

Clip ClipOf(const PreviewCanvas& canvas) {
    return {std::min<std::int64_t>(canvas.width, std::max<std::int64_t>(canvas.surfaceW, 0)),
            std::min<std::int64_t>(canvas.height, std::max<std::int64_t>(canvas.surfaceH, 0))};
}

std::uint8_t* RowAt(PreviewCanvas& canvas, std::int64_t y) {
    return canvas.rgb.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(canvas.width) * 3u;
}

// Writes n pixels of one colour. The four-byte stores overlap by one byte so
// each pixel costs one store; the last pixel is written on its own so nothing
// past the run is touched.
inline void PutRun(std::uint8_t* dst, std::int64_t n, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    if (n == 1 || n == 2) { // the common small blocks, without a loop
        dst[0] = r;
        dst[1] = g;
        dst[2] = b;
        if (n == 2) {
            dst[3] = r;
            dst[4] = g;
            dst[5] = b;
        }
        return;
    }
    if (n <= 0)
        return;
    const std::uint8_t quad[4] = {r, g, b, 0};
    for (std::int64_t k = 0; k + 1 < n; ++k)
        std::memcpy(dst + 3 * k, quad, 4);
    std::uint8_t* last = dst + 3 * (n - 1);
    last[0] = r;
    last[1] = g;
    last[2] = b;
}

// Copies the first row of a band of pixel rows to the rest of the band.
void RepeatRow(PreviewCanvas& canvas, std::int64_t y, std::int64_t yEnd, std::int64_t x0, std::int64_t x1) {
    if (x1 <= x0)
        return;
    const std::uint8_t* src = RowAt(canvas, y) + 3 * x0;
    auto bytes = static_cast<std::size_t>(3 * (x1 - x0));
    for (std::int64_t yy = y + 1; yy < yEnd; ++yy)
        std::memcpy(RowAt(canvas, yy) + 3 * x0, src, bytes);
}

// The row buffers below are written with stores wider than a texel, whose
// tail the next texel overwrites; this much room past the end takes the
// last one.
constexpr std::size_t kSpare = 8;

// The detail pass keeps its repeated detail rows when they take no more
// than this; a bigger detail map rebuilds each row as it is drawn.
constexpr std::size_t kKeptDetailBytes = std::size_t{1} << 20;

// Stores the 3-byte colour at src twice in a row, as one 8-byte store
// whose last two bytes are left for the caller to overwrite. The pair is
// put together in a register where the byte order allows.
inline void PutPair(std::uint8_t* dst, const std::uint8_t* src) {
    if constexpr (std::endian::native == std::endian::little) {
        std::uint32_t texel;
        std::memcpy(&texel, src, 4);
        const std::uint64_t pair = (texel & 0xFFFFFFu) | (std::uint64_t{texel} << 24);
        std::memcpy(dst, &pair, 8);
    } else {
        std::memcpy(dst, src, 3);
        std::memcpy(dst + 3, src, 3);
    }
}

// Row shuffles written byte by byte so that the compiler turns them into
// vector shuffles. dst never overlaps src.

// RGB texel k of dst is RGBA texel k of src, for k < n.
VELLORA_WIDER_VECTORS void DropAlpha(const std::uint8_t* src, std::uint8_t* dst, std::int64_t n) {
    for (std::int64_t k = 0; k < n; ++k) {
        dst[3 * k] = src[4 * k];
        dst[3 * k + 1] = src[4 * k + 1];
        dst[3 * k + 2] = src[4 * k + 2];
    }
}

// RGB texels 2k and 2k + 1 of dst are RGBA texel k of src, for k < n. The
// six bytes go out as three 16-bit words, which the compiler vectorises
// better than six single bytes or one wider store.
VELLORA_WIDER_VECTORS void DropAlphaTwicePlain(const std::uint8_t* src, std::uint8_t* dst, std::int64_t n) {
    for (std::int64_t k = 0; k < n; ++k) {
        const std::uint8_t* t = src + 4 * k;
        std::uint8_t* d = dst + 6 * k;
        if constexpr (std::endian::native == std::endian::little) {
            const auto rg = static_cast<std::uint16_t>(t[0] | t[1] << 8);
            const auto br = static_cast<std::uint16_t>(t[2] | t[0] << 8);
            const auto gb = static_cast<std::uint16_t>(t[1] | t[2] << 8);
            std::memcpy(d, &rg, 2);
            std::memcpy(d + 2, &br, 2);
            std::memcpy(d + 4, &gb, 2);
        } else {
            for (int j = 0; j < 6; ++j)
                d[j] = t[j % 3];
        }
    }
}

#ifdef VELLORA_BYTE_SHUFFLES
// The same with one byte shuffle per four texels: sixteen bytes in, two
// shuffles give the 24 bytes out. The compiler's own vector code for the
// plain loop needs a long chain of packs and permutes for this and was the
// costliest step of both passes at small zooms. Nothing outside the 4n
// bytes read and 6n bytes written is touched.
__attribute__((target("ssse3"))) void DropAlphaTwiceShuffled(const std::uint8_t* src, std::uint8_t* dst,
                                                             std::int64_t n) {
    const __m128i first = _mm_setr_epi8(0, 1, 2, 0, 1, 2, 4, 5, 6, 4, 5, 6, 8, 9, 10, 8);
    const __m128i rest = _mm_setr_epi8(9, 10, 12, 13, 14, 12, 13, 14, -1, -1, -1, -1, -1, -1, -1, -1);
    std::int64_t k = 0;
    for (; k + 4 <= n; k += 4) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * k));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 6 * k), _mm_shuffle_epi8(in, first));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + 6 * k + 16), _mm_shuffle_epi8(in, rest));
    }
    DropAlphaTwicePlain(src + 4 * k, dst + 6 * k, n - k);
}

// With 32-byte vectors: sixteen texels make 96 bytes, three full stores,
// each shuffled from eight texels read where its pixels start (a dword
// permute to bring each lane the texels it needs, then a byte shuffle in
// the lane). Stores are what bounds this step, and these are three instead
// of the eight above. The third read goes eight texels past the tenth, so
// the loop stops eighteen texels before the end and leaves the rest to the
// 16-byte steps.
__attribute__((target("avx2"))) void DropAlphaTwiceWide(const std::uint8_t* src, std::uint8_t* dst,
                                                        std::int64_t n) {
    const __m256i pick0 = _mm256_setr_epi32(0, 1, 2, 0, 2, 3, 4, 5);
    const __m256i pick1 = _mm256_setr_epi32(0, 1, 2, 0, 3, 4, 5, 0);
    const __m256i pick2 = _mm256_setr_epi32(0, 1, 2, 3, 3, 4, 5, 0);
    const __m256i bytes0 = _mm256_setr_epi8(0, 1, 2, 0, 1, 2, 4, 5, 6, 4, 5, 6, 8, 9, 10, 8, //
                                            1, 2, 4, 5, 6, 4, 5, 6, 8, 9, 10, 8, 9, 10, 12, 13);
    const __m256i bytes1 = _mm256_setr_epi8(2, 0, 1, 2, 4, 5, 6, 4, 5, 6, 8, 9, 10, 8, 9, 10, //
                                            0, 1, 2, 0, 1, 2, 4, 5, 6, 4, 5, 6, 8, 9, 10, 8);
    const __m256i bytes2 = _mm256_setr_epi8(1, 2, 4, 5, 6, 4, 5, 6, 8, 9, 10, 8, 9, 10, 12, 13, //
                                            2, 0, 1, 2, 4, 5, 6, 4, 5, 6, 8, 9, 10, 8, 9, 10);
    std::int64_t k = 0;
    for (; k + 18 <= n; k += 16) {
        const std::uint8_t* t = src + 4 * k;
        auto* d = reinterpret_cast<__m256i*>(dst + 6 * k);
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(t));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(t + 20));
        const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(t + 40));
        _mm256_storeu_si256(d, _mm256_shuffle_epi8(_mm256_permutevar8x32_epi32(a, pick0), bytes0));
        _mm256_storeu_si256(d + 1, _mm256_shuffle_epi8(_mm256_permutevar8x32_epi32(b, pick1), bytes1));
        _mm256_storeu_si256(d + 2, _mm256_shuffle_epi8(_mm256_permutevar8x32_epi32(c, pick2), bytes2));
    }
    DropAlphaTwiceShuffled(src + 4 * k, dst + 6 * k, n - k);
}

const bool kHasByteShuffles = __builtin_cpu_supports("ssse3");
const bool kHasWideShuffles = __builtin_cpu_supports("avx2");
#endif

void DropAlphaTwice(const std::uint8_t* src, std::uint8_t* dst, std::int64_t n) {
#ifdef VELLORA_BYTE_SHUFFLES
    if (kHasWideShuffles) {
        DropAlphaTwiceWide(src, dst, n);
        return;
    }
    if (kHasByteShuffles) {
        DropAlphaTwiceShuffled(src, dst, n);
        return;
    }
#endif
    DropAlphaTwicePlain(src, dst, n);
}

// RGB texel k of dst is RGBA texel k / factor of src, for k < n: a row of
// a coarser level laid out at a finer level's texel positions, without the
// alpha bytes the preview never shows. dst needs kSpare bytes of room.
void PackTexels(const std::uint8_t* src, std::int64_t factor, std::uint8_t* dst, std::int64_t n) {
    if (factor == 1) {
        DropAlpha(src, dst, n);
        return;
    }
    if (factor == 2) { // the common ShiftScale
        DropAlphaTwice(src, dst, n / 2);
        if (n % 2 != 0)
            std::memcpy(dst + 3 * (n - 1), src + 4 * (n / 2), 3);
        return;
    }
    for (std::int64_t k = 0; k < n; src += 4) {
        const std::int64_t end = std::min(n, k + factor);
        for (; k < end; ++k)
            std::memcpy(dst + 3 * k, src, 4);
    }
}

// RGBA texel k of dst is texel k / 2 of src, for k < n (the next level's
// row at this level's texel positions). dst needs kSpare bytes of room.
void HalveTexels(const std::uint8_t* src, std::uint8_t* dst, std::int64_t n) {
    for (std::int64_t k = 0; k < n; k += 2, src += 4) {
        std::uint32_t texel;
        std::memcpy(&texel, src, 4);
        const std::uint64_t pair = std::uint64_t{texel} | (std::uint64_t{texel} << 32);
        std::memcpy(dst + 4 * k, &pair, 8);
    }
}

// Fills n RGB texels of dst (with kSpare bytes of room) with the first
// period texels of the RGBA row src repeated, by doubling what is there.
void RepeatPeriod(const std::uint8_t* src, std::int64_t period, std::uint8_t* dst, std::int64_t n) {
    const std::int64_t first = std::min(period, n);
    PackTexels(src, 1, dst, first);
    const auto total = static_cast<std::size_t>(3 * n);
    auto filled = static_cast<std::size_t>(3 * first);
    while (filled < total) {
        const std::size_t part = std::min(filled, total - filled);
        std::memcpy(dst + filled, dst, part);
        filled += part;
    }
}

// Draws n texels, stride bytes apart (3 for RGB, 4 for RGBA; read four bytes
// at a time), as blocks of block x 1 pixels into one pixel row that is
// width pixels wide; the last block may be cut by the right edge. Every
// block but the last is followed by another, so it may spill bytes into the
// next block, which is written afterwards; the last one is written exactly.
void SpreadTexels(const std::uint8_t* src, std::int64_t stride, std::int64_t n, std::int64_t block,
                  std::int64_t width, std::uint8_t* out) {
    if (n <= 0)
        return;
    if (block == 1) { // n texels of one pixel fit the row
        if (stride == 3)
            std::memcpy(out, src, static_cast<std::size_t>(3 * n));
        else
            DropAlpha(src, out, n);
        return;
    }
    if (block == 2 && stride == 4) {
        DropAlphaTwice(src, out, n - 1);
    } else if (block == 2) {
        for (std::int64_t x = 0; x + 1 < n; ++x)
            PutPair(out + 6 * x, src + stride * x);
    } else {
        for (std::int64_t x = 0; x + 1 < n; ++x) {
            std::uint8_t* dst = out + 3 * x * block;
            for (std::int64_t k = 0; k < block; ++k)
                std::memcpy(dst + 3 * k, src + stride * x, 4);
        }
    }
    const std::int64_t left = (n - 1) * block;
    const std::uint8_t* last = src + stride * (n - 1);
    PutRun(out + 3 * left, std::min(block, width - left), last[0], last[1], last[2]);
}

// Every repeat of the texture holds the same pixels as the first one, shifted
// by whole pitches; its visible part always has a drawn counterpart in the
// first repeat (which lies up and to the left of it), so later repeats are
// copies. The rectangles never overlap because a pitch is never smaller than
// the texture it repeats.
void CopyRepeat(PreviewCanvas& canvas, const Clip& clip, std::int64_t ox, std::int64_t oy, std::int64_t texW,
                std::int64_t texH) {
    if (ox >= clip.w || oy >= clip.h)
        return;
    std::int64_t x1 = std::min(clip.w, ox + texW);
    std::int64_t y1 = std::min(clip.h, oy + texH);
    if (x1 <= ox)
        return;
    auto bytes = static_cast<std::size_t>(3 * (x1 - ox));
    for (std::int64_t y = oy; y < y1; ++y)
        std::memcpy(RowAt(canvas, y) + 3 * ox, RowAt(canvas, y - oy), bytes);
}

// The nine repeats in their drawing order, the first already drawn; a
// checkpoint after each lets a newer request stop the pass.
PassOutcome CopyOtherRepeats(PreviewCanvas& canvas, const Clip& clip, std::int64_t stepX, std::int64_t stepY,
                             std::int64_t texW, std::int64_t texH, const PreviewCheckpoint& checkpoint) {
    for (std::int64_t r = 0; r < 3; ++r) {
        for (std::int64_t c = 0; c < 3; ++c) {
            if (r != 0 || c != 0)
                CopyRepeat(canvas, clip, SatMul(c, stepX), SatMul(r, stepY), texW, texH);
            if (checkpoint && checkpoint())
                return PassOutcome::Cancelled;
        }
    }
    return PassOutcome::Completed;
}

struct Extent {
    std::int64_t rows = 0;
    std::int64_t cols = 0;
};

// The rows and columns a grid can supply. A grid whose buffer is shorter
// than its stated size is read as empty rather than trusted.
Extent GridExtent(const PixelGrid& g) {
    if (g.empty())
        return {};
    if (static_cast<std::uint64_t>(g.rows) * static_cast<std::uint64_t>(g.cols) * 4u > g.rgba.size())
        return {};
    return {g.rows, g.cols};
}

// The part of a level's texels its grid can supply.
Extent Readable(const TileLevel& level) {
    Extent e = GridExtent(level.Pixels);
    return {std::min<std::int64_t>(level.Height, e.rows), std::min<std::int64_t>(level.Width, e.cols)};
}

std::string GridText(const PixelGrid& g) {
    return Text(g.empty() ? 0 : g.rows) + " x " + Text(g.empty() ? 0 : g.cols);
}

} // namespace

void PreviewCanvas::reset(int viewW, int viewH, std::int64_t surfW, std::int64_t surfH,
                          std::uint32_t clearRgb) {
    width = std::max(viewW, 0);
    height = std::max(viewH, 0);
    surfaceW = surfW;
    surfaceH = surfH;
    rgb.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3u, 0);
    if (clearRgb != 0 && !rgb.empty())
        PutRun(rgb.data(), static_cast<std::int64_t>(width) * height,
               static_cast<std::uint8_t>(clearRgb >> 16), static_cast<std::uint8_t>(clearRgb >> 8),
               static_cast<std::uint8_t>(clearRgb));
}

PreviewPlan PlanPreview(const TileTable& tiles, const PreviewInput& input) {
    PreviewPlan plan;
    auto fail = [&plan](int step, std::string text) { plan.failures.push_back({std::move(text), step}); };

    plan.detailFlag = input.detailFlag;
    plan.viewW = std::clamp(input.viewW, 0, kMaxView);
    plan.viewH = std::clamp(input.viewH, 0, kMaxView);

    // Shift is read on every call; a bad one only matters to the detail map.
    if (auto shift = NumericValue(input.shiftText); !shift) {
        fail(PreviewStep::Shift, "Type mismatch: Shift " + Quoted(input.shiftText) + " is not a number");
    } else {
        double scale = Nearest(std::pow(2.0, *shift));
        if (!(scale <= std::numeric_limits<std::int16_t>::max())) {
            fail(PreviewStep::Shift,
                 "Overflow: 2 to the power of Shift " + Quoted(input.shiftText) + " is too large");
        } else {
            plan.shiftValid = true;
            plan.shiftScale = static_cast<int>(scale);
        }
    }
    if (auto clamp = NumericValue(input.lodFracText); clamp && std::isfinite(*clamp)) {
        plan.lodFracValid = true;
        plan.lodFrac = static_cast<float>(*clamp);
    }

    if (input.detailFlag != 0 && input.detailFlag != 1) {
        fail(PreviewStep::Geometry,
             "Subscript out of range: DetailFlag " + Text(input.detailFlag) + " is neither 0 nor 1");
        return plan;
    }

    plan.zoomRequested = input.zoom;
    plan.zoomValid = input.zoom >= 1 && input.zoom <= kMaxZoom;
    if (!plan.zoomValid) {
        fail(PreviewStep::Geometry,
             "Invalid property value: zoom " + Text(input.zoom) + " is outside 1 to 32");
        return plan;
    }
    plan.zoom = input.zoom;

    const TileLevel& base = tiles[static_cast<std::size_t>(input.detailFlag)];
    plan.basePitchW = Pitch(base.Width);
    plan.basePitchH = Pitch(base.Height);
    if (plan.basePitchW == 0 || plan.basePitchH == 0)
        fail(PreviewStep::Geometry, "Level " + Text(input.detailFlag) + " (the base texture) is " +
                                        Text(base.Width) + " x " + Text(base.Height) +
                                        " texels: nothing to draw");

    float pos = input.tilePos;
    if (std::isfinite(pos) && pos >= 0.0f && pos < static_cast<float>(kLevelCount)) {
        plan.tileValid = true;
        plan.tileIndex = static_cast<int>(std::floor(pos));
        plan.tileFrac = pos - static_cast<float>(plan.tileIndex);
        const TileLevel& level = tiles[static_cast<std::size_t>(plan.tileIndex)];
        plan.pitchW = Pitch(level.Width);
        plan.pitchH = Pitch(level.Height);
        if (level.Height <= 0) {
            fail(PreviewStep::Geometry, "Division by zero: level " + Text(plan.tileIndex) +
                                            " has a height of " + Text(level.Height));
        } else if (base.Height > 0) {
            double ratio = Nearest(static_cast<double>(base.Height) / static_cast<double>(level.Height));
            plan.levelScale = static_cast<std::int64_t>(ratio);
            plan.levelScaleValid = true;
        }
    } else {
        char text[32];
        auto written = std::to_chars(text, text + sizeof text, pos);
        fail(PreviewStep::Geometry,
             "Overflow: tile position " + std::string(text, written.ptr) + " is outside the levels 0 to 7");
    }

    plan.sizedW = SatMul(3 * plan.basePitchW, plan.zoom);
    plan.sizedH = SatMul(3 * plan.basePitchH, plan.zoom);

    // With a detail map every detail texel must cover whole pixels, so the
    // zoom moves up to a multiple of ShiftScale.
    if (input.detailFlag == 1 && plan.shiftValid) {
        int top = std::clamp(input.maxZoom, 1, kMaxZoom);
        if (plan.shiftScale <= 0) {
            fail(PreviewStep::ZoomAlign,
                 "Division by zero: 2 to the power of Shift " + Quoted(input.shiftText) + " rounds to 0");
        } else {
            int z = plan.zoom;
            while (z % plan.shiftScale != 0 && z < top)
                ++z;
            if (z % plan.shiftScale != 0)
                fail(PreviewStep::ZoomAlign, "Invalid property value: no zoom from " + Text(plan.zoom) +
                                                 " to " + Text(top) + " is a multiple of " +
                                                 Text(plan.shiftScale));
            else
                plan.zoom = z;
        }
    }
    plan.surfaceW = SatMul(3 * plan.basePitchW, plan.zoom);
    plan.surfaceH = SatMul(3 * plan.basePitchH, plan.zoom);
    plan.useDetailPass = input.detailFlag == 1 && plan.tileValid && plan.tileIndex == 0;
    return plan;
}

namespace {

// A random colour value from 0 to 16,000,000, rounded half to even; red is
// its low byte. A source that strays outside [0, 1) is held to the range.
std::uint32_t CellColour(double u) {
    double v = u * 16000000.0;
    if (!(v > 0.0))
        return 0;
    if (v >= 16000000.0)
        return 16000000;
    auto whole = static_cast<std::uint32_t>(v);
    double rest = v - whole;
    whole +=
        static_cast<std::uint32_t>(rest > 0.5) | (static_cast<std::uint32_t>(rest == 0.5) & (whole & 1u));
    return whole;
}

} // namespace

PassOutcome DrawBackground(const PreviewPlan& plan, PreviewCanvas& canvas, const PreviewRandom& random,
                           const PreviewCheckpoint& checkpoint) {
    if (!plan.zoomValid || plan.zoom <= 0)
        return PassOutcome::Completed;
    const std::int64_t cell = 2 * static_cast<std::int64_t>(plan.zoom);
    const Clip clip = ClipOf(canvas);
    for (std::int64_t y = 0; y < canvas.surfaceH; y += cell) {
        // Rows below the viewport draw nothing, so one last checkpoint stands
        // for all of them; a tall hostile surface cannot keep the pass busy.
        if (y >= canvas.height) {
            if (checkpoint && checkpoint())
                return PassOutcome::Cancelled;
            break;
        }
        std::int64_t drawnEnd = 0; // the band's first pixel row is complete up to here
        for (std::int64_t x = 0; x < canvas.surfaceW && x < canvas.width; x += cell) {
            const std::uint32_t value = CellColour(random ? random() : 0.0);
            const std::int64_t x1 = std::min(clip.w, x + cell);
            if (x1 <= x || y >= clip.h)
                continue;
            PutRun(RowAt(canvas, y) + 3 * x, x1 - x, static_cast<std::uint8_t>(value & 0xFF),
                   static_cast<std::uint8_t>((value >> 8) & 0xFF),
                   static_cast<std::uint8_t>((value >> 16) & 0xFF));
            drawnEnd = x1;
        }
        RepeatRow(canvas, y, std::min(clip.h, y + cell), 0, drawnEnd);
        if (checkpoint && checkpoint())
            return PassOutcome::Cancelled;
    }
    return PassOutcome::Completed;
}

PassOutcome DrawLevelPass(const PreviewPlan& plan, const TileTable& tiles, PreviewCanvas& canvas,
                          const PreviewCheckpoint& checkpoint, const PreviewFailureSink& failures) {
    if (!plan.zoomValid || !plan.tileValid || !plan.levelScaleValid)
        return PassOutcome::Completed; // already reported while planning
    auto fail = [&failures](std::string text, bool partial = false) {
        if (failures)
            failures({std::move(text), PreviewStep::Texture, partial});
    };
    const int index = plan.tileIndex;
    const TileLevel& level = tiles[static_cast<std::size_t>(index)];
    if (level.Width <= 0 || level.Height <= 0) {
        fail("Level " + Text(index) + " is " + Text(level.Width) + " x " + Text(level.Height) +
             " texels: nothing to draw");
        return PassOutcome::Completed;
    }
    Extent ext = Readable(level);
    if (ext.rows < level.Height || ext.cols < level.Width)
        fail("Subscript out of range: the pixels of level " + Text(index) + " are " + GridText(level.Pixels) +
                 ", the level is " + Text(level.Height) + " x " + Text(level.Width),
             true);

    const bool blend = index < kLevelCount - 1 && tiles[static_cast<std::size_t>(index) + 1].BitDepth != 0 &&
                       plan.tileFrac != 0.0f;
    const PixelGrid* next = nullptr;
    if (blend) {
        const TileLevel& nextLevel = tiles[static_cast<std::size_t>(index) + 1];
        next = &nextLevel.Pixels;
        const Extent nextExt = GridExtent(*next);
        // Texel (y, x) mixes with (y \ 2, x \ 2) of the next level.
        std::int64_t needRows = (ext.rows + 1) / 2;
        std::int64_t needCols = (ext.cols + 1) / 2;
        if (nextExt.rows < needRows || nextExt.cols < needCols) {
            fail("Subscript out of range: the pixels of level " + Text(index + 1) + " are " +
                     GridText(*next) + ", blending level " + Text(index) + " needs " + Text(needRows) +
                     " x " + Text(needCols),
                 true);
            ext.rows = std::min(ext.rows, 2 * nextExt.rows);
            ext.cols = std::min(ext.cols, 2 * nextExt.cols);
        }
    }

    // Blocks wider than the viewport look the same as blocks exactly that
    // wide, so the block size is capped before it enters any product.
    const std::int64_t block = std::min(SatMul(plan.zoom, plan.levelScale), std::int64_t{kMaxView} + 1);
    if (block <= 0 || ext.rows <= 0 || ext.cols <= 0)
        return PassOutcome::Completed;

    const Clip clip = ClipOf(canvas);
    const std::int64_t texW = SatMul(ext.cols, block);
    const std::int64_t texH = SatMul(ext.rows, block);
    const std::int64_t cols = std::min(ext.cols, CeilDiv(clip.w, block));
    const std::int64_t rows = std::min(ext.rows, CeilDiv(clip.h, block));
    const std::int64_t spanEnd = std::min(texW, clip.w);
    const PixelGrid& grid = level.Pixels;

    // Each texel row is mixed into one row of colours (with the next
    // level's row laid out at this level's texel positions, built once for
    // the two rows that share it) and then spread over the first pixel row
    // of its blocks. The alpha bytes are mixed too: dropping them would cost
    // a copy of the row, mixing them costs less.
    const ByteBlend mix(blend ? static_cast<double>(plan.tileFrac) : 0.0);
    const auto rowBytes = static_cast<std::size_t>(4 * cols);
    std::vector<std::uint8_t> mixed(blend ? rowBytes : 0);
    std::vector<std::uint8_t> nextRow(blend ? rowBytes + kSpare : 0);
    std::int64_t nextLoaded = -1;
    for (std::int64_t y = 0; y < rows; ++y) {
        const std::int64_t top = y * block;
        const std::uint8_t* colours = grid.at(static_cast<int>(y), 0);
        if (blend) {
            if (y / 2 != nextLoaded) {
                nextLoaded = y / 2;
                HalveTexels(next->at(static_cast<int>(nextLoaded), 0), nextRow.data(), cols);
            }
            mix.mix(colours, nextRow.data(), mixed.data(), rowBytes);
            colours = mixed.data();
        }
        SpreadTexels(colours, 4, cols, block, clip.w, RowAt(canvas, top));
        RepeatRow(canvas, top, std::min(top + block, clip.h), 0, spanEnd);
    }

    return CopyOtherRepeats(canvas, clip, SatMul(plan.pitchW, block), SatMul(plan.pitchH, block), texW, texH,
                            checkpoint);
}

PassOutcome DrawDetailPass(const PreviewPlan& plan, const TileTable& tiles, PreviewCanvas& canvas,
                           const PreviewCheckpoint& checkpoint, const PreviewFailureSink& failures) {
    if (!plan.useDetailPass || !plan.zoomValid || !plan.shiftValid || plan.shiftScale <= 0 ||
        plan.zoom % plan.shiftScale != 0)
        return PassOutcome::Completed; // the reason was reported while planning
    auto fail = [&failures](std::string text, bool partial = false) {
        if (failures)
            failures({std::move(text), PreviewStep::Texture, partial});
    };
    if (!plan.lodFracValid) {
        fail("Type mismatch: the LODFrac clamp is not a number");
        return PassOutcome::Completed;
    }
    const TileLevel& detail = tiles[0];
    const TileLevel& base = tiles[1];
    if (detail.Width <= 0 || detail.Height <= 0) {
        fail("Division by zero: the detail map is " + Text(detail.Width) + " x " + Text(detail.Height) +
             " texels");
        return PassOutcome::Completed;
    }
    Extent dext = Readable(detail);
    if (dext.rows < detail.Height || dext.cols < detail.Width) {
        fail("Subscript out of range: the pixels of the detail map are " + GridText(detail.Pixels) +
             ", the map is " + Text(detail.Height) + " x " + Text(detail.Width));
        return PassOutcome::Completed;
    }
    if (base.Width <= 0 || base.Height <= 0)
        return PassOutcome::Completed; // reported while planning
    Extent bext = Readable(base);
    if (bext.rows < base.Height || bext.cols < base.Width)
        fail("Subscript out of range: the pixels of the base texture are " + GridText(base.Pixels) +
                 ", the texture is " + Text(base.Height) + " x " + Text(base.Width),
             true);
    if (bext.rows <= 0 || bext.cols <= 0)
        return PassOutcome::Completed;

    // The clamp only ever raises the weight, and a weight outside 0..1 would
    // push colours out of range.
    double weight = std::max(plan.tileFrac, plan.lodFrac);
    weight = std::clamp(weight, 0.0, 1.0);
    const ByteBlend mix(weight);

    const std::int64_t scale = plan.shiftScale;
    const std::int64_t block = plan.zoom / scale; // whole after zoom alignment
    const Clip clip = ClipOf(canvas);
    const std::int64_t texW = SatMul(bext.cols, plan.zoom);
    const std::int64_t texH = SatMul(bext.rows, plan.zoom);
    const std::int64_t cols = std::min(SatMul(bext.cols, scale), CeilDiv(clip.w, block));
    const std::int64_t rows = std::min(SatMul(bext.rows, scale), CeilDiv(clip.h, block));
    const std::int64_t spanEnd = std::min(texW, clip.w);
    const std::int64_t dW = detail.Width;
    const std::int64_t dH = detail.Height;
    const std::int64_t detailCols = std::min(dW, cols);

    // A row of detail texels is the detail map's row repeated and the base
    // row with each texel repeated ShiftScale times (built once for the
    // ShiftScale rows that share it); the two are mixed a row at a time,
    // straight into the canvas when a detail texel is one pixel. The
    // repeated detail rows are built once for the pass when they are few
    // enough to keep. Where the weight allows, each side is turned into its
    // part of the mix as it is built, so a row costs only joining the parts.
    const bool split = mix.splits();
    const auto rowBytes = static_cast<std::size_t>(3 * cols);
    const std::int64_t keptRows = std::min(dH, rows);
    const bool keepDetail =
        static_cast<std::size_t>(keptRows) * rowBytes * (split ? 2 : 1) <= kKeptDetailBytes;
    const std::size_t slots = keepDetail ? static_cast<std::size_t>(keptRows) : 1;
    std::vector<std::uint8_t> detailRows(split ? rowBytes + kSpare : slots * rowBytes + kSpare);
    std::vector<std::uint16_t> detailParts(split ? slots * rowBytes : 0);
    auto buildDetail = [&](std::int64_t row, std::size_t slot) {
        const std::uint8_t* src = detail.Pixels.at(static_cast<int>(row), 0);
        if (split) {
            RepeatPeriod(src, detailCols, detailRows.data(), cols);
            mix.keepPart(detailRows.data(), detailParts.data() + slot * rowBytes, rowBytes);
        } else {
            RepeatPeriod(src, detailCols, detailRows.data() + slot * rowBytes, cols);
        }
    };
    if (keepDetail)
        for (std::int64_t r = 0; r < keptRows; ++r)
            buildDetail(r, static_cast<std::size_t>(r));
    std::vector<std::uint8_t> baseRow(rowBytes + kSpare);
    std::vector<std::uint16_t> baseParts(split ? rowBytes : 0);
    std::vector<std::uint8_t> mixed(block == 1 ? 0 : rowBytes + kSpare);
    // The base row and the detail row of output row i are i / ShiftScale
    // and i % the detail map's height, counted along rather than divided
    // anew for every row (two 64-bit divisions a row cost more than
    // joining a short row).
    std::int64_t baseIndex = 0;
    std::int64_t baseRepeat = 0; // rows drawn from the loaded base row
    std::int64_t detailIndex = 0;
    for (std::int64_t i = 0; i < rows; ++i) {
        const std::int64_t top = i * block;
        std::uint8_t* out = RowAt(canvas, top);
        if (baseRepeat == scale) {
            baseRepeat = 0;
            ++baseIndex;
        }
        if (baseRepeat++ == 0) {
            PackTexels(base.Pixels.at(static_cast<int>(baseIndex), 0), scale, baseRow.data(), cols);
            if (split)
                mix.takePart(baseRow.data(), baseParts.data(), rowBytes);
        }
        std::size_t slot = 0;
        if (keepDetail)
            slot = static_cast<std::size_t>(detailIndex);
        else
            buildDetail(detailIndex, 0);
        if (++detailIndex == dH)
            detailIndex = 0;
        std::uint8_t* target = block == 1 ? out : mixed.data();
        if (split)
            ByteBlend::JoinParts(detailParts.data() + slot * rowBytes, baseParts.data(), target, rowBytes);
        else
            mix.mix(detailRows.data() + slot * rowBytes, baseRow.data(), target, rowBytes);
        if (block != 1)
            SpreadTexels(mixed.data(), 3, cols, block, clip.w, out);
        RepeatRow(canvas, top, std::min(top + block, clip.h), 0, spanEnd);
    }

    return CopyOtherRepeats(canvas, clip, SatMul(plan.basePitchW, plan.zoom),
                            SatMul(plan.basePitchH, plan.zoom), texW, texH, checkpoint);
}

PreviewResult RenderPlanned(const PreviewPlan& plan, const TileTable& tiles, PreviewCanvas& canvas,
                            const PreviewRandom& random, const PreviewCheckpoint& checkpoint,
                            const PreviewFailureSink& onFailure, std::uint32_t clearRgb) {
    PreviewResult result;
    result.viewW = plan.viewW;
    result.viewH = plan.viewH;
    result.sizedW = plan.sizedW;
    result.sizedH = plan.sizedH;
    result.surfaceW = plan.surfaceW;
    result.surfaceH = plan.surfaceH;
    result.zoom = plan.zoom;
    auto sink = [&](const PreviewFailure& f) {
        result.failures.push_back(f);
        if (onFailure)
            onFailure(f);
    };

    canvas.reset(plan.viewW, plan.viewH, plan.surfaceW, plan.surfaceH, clearRgb);
    if (DrawBackground(plan, canvas, random, checkpoint) == PassOutcome::Cancelled)
        return result;
    PassOutcome outcome = plan.useDetailPass ? DrawDetailPass(plan, tiles, canvas, checkpoint, sink)
                                             : DrawLevelPass(plan, tiles, canvas, checkpoint, sink);
    result.completed = outcome == PassOutcome::Completed;
    return result;
}

PreviewResult RenderPreview(const TileTable& tiles, const PreviewInput& input, const PreviewRandom& random,
                            const PreviewCheckpoint& checkpoint, const PreviewFailureSink& onFailure,
                            std::uint32_t clearRgb) {
    PreviewPlan plan = PlanPreview(tiles, input);
    for (const PreviewFailure& f : plan.failures)
        if (onFailure)
            onFailure(f);

    PreviewRandom source = random;
    std::mt19937_64 engine(
        static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()));
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    if (!source)
        source = [&] { return uniform(engine); };

    PreviewCanvas canvas;
    PreviewResult result = RenderPlanned(plan, tiles, canvas, source, checkpoint, onFailure, clearRgb);
    result.failures.insert(result.failures.begin(), plan.failures.begin(), plan.failures.end());
    result.rgb = std::move(canvas.rgb);
    return result;
}

} // namespace vellora
