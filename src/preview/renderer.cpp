// SPDX-License-Identifier: MIT
#include "renderer.h"

#include "core/numeric.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>

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

// (1 - w) * a + w * b for bytes a and b, rounded half to even. Evaluated in
// fixed point with 48 fraction bits, which is exact: a single-precision
// weight of at least 2^-24 is a whole multiple of 2^-48, and a smaller one
// moves no byte. Integer arithmetic also keeps the inner loops free of
// floating-point conversions and of the rounding mode.
class Mixer {
  public:
    explicit Mixer(double w) {
        w = std::clamp(w, 0.0, 1.0);
        take_ = static_cast<std::uint64_t>(Nearest(std::ldexp(w, kFracBits)));
        keep_ = kOne - take_;
    }
    std::uint8_t operator()(std::uint32_t a, std::uint32_t b) const { return Round(keep(a) + take(b)); }
    std::uint64_t keep(std::uint32_t a) const { return keep_ * a; }
    std::uint64_t take(std::uint32_t b) const { return take_ * b; }
    static std::uint8_t Round(std::uint64_t sum) {
        // Adding half minus one, plus one more when the whole part is odd,
        // carries into the whole part exactly when half to even rounds up.
        return static_cast<std::uint8_t>((sum + (kHalf - 1) + ((sum >> kFracBits) & 1u)) >> kFracBits);
    }

  private:
    static constexpr int kFracBits = 48;
    static constexpr std::uint64_t kOne = std::uint64_t{1} << kFracBits;
    static constexpr std::uint64_t kHalf = kOne >> 1;
    std::uint64_t keep_ = kOne;
    std::uint64_t take_ = 0;
};

// Which bytes a detail map's visible part holds, in any of its channels.
struct ByteSet {
    bool has[256] = {};
    int count = 0;
    ByteSet() = default;
    static ByteSet All() {
        ByteSet all;
        std::fill(std::begin(all.has), std::end(all.has), true);
        all.count = 256;
        return all;
    }
    ByteSet(const PixelGrid& grid, std::int64_t rows, std::int64_t cols) {
        for (std::int64_t r = 0; r < rows; ++r) {
            const std::uint8_t* p = grid.at(static_cast<int>(r), 0);
            for (std::int64_t c = 0; c < cols; ++c, p += 4)
                for (int ch = 0; ch < 3; ++ch)
                    if (!has[p[ch]]) {
                        has[p[ch]] = true;
                        ++count;
                    }
        }
    }
};

// Every mix of one byte with each of the 256 bytes it is mixed with, for
// just the bytes given (a detail map at start-up holds two). A row costs one
// addition per entry.
class MixTable {
  public:
    MixTable(const Mixer& mix, const ByteSet& bytes) : table_(new std::uint8_t[256 * 256]) {
        for (int a = 0; a < 256; ++a) {
            if (!bytes.has[a])
                continue;
            std::uint8_t* out = table_.get() + 256 * a;
            std::uint64_t sum = mix.keep(static_cast<std::uint32_t>(a));
            const std::uint64_t step = mix.take(1);
            for (int b = 0; b < 256; ++b, sum += step)
                out[b] = Mixer::Round(sum);
        }
    }
    // Mixes of detail byte a, indexed by the base byte.
    const std::uint8_t* row(std::uint8_t a) const { return table_.get() + 256 * a; }

  private:
    std::unique_ptr<std::uint8_t[]> table_;
};

// Two ways to mix a detail row with the base: straight from the weights, or
// through the table when the viewport holds far more mixes than the table.
class DirectDetailMix {
  public:
    DirectDetailMix(const Mixer& mix, std::int64_t detailCols)
        : mix_(mix), keep_(static_cast<std::size_t>(3 * detailCols)) {}
    void loadDetailRow(const std::uint8_t* drow, std::int64_t n) {
        for (std::int64_t k = 0; k < n; ++k)
            for (int ch = 0; ch < 3; ++ch)
                keep_[static_cast<std::size_t>(3 * k + ch)] = mix_.keep(drow[4 * k + ch]);
    }
    void loadBase(const std::uint8_t* b) {
        for (int ch = 0; ch < 3; ++ch)
            take_[ch] = mix_.take(b[ch]);
    }
    void colour(std::int64_t dj, std::uint8_t* rgb) const {
        const std::uint64_t* k = keep_.data() + 3 * dj;
        rgb[0] = Mixer::Round(k[0] + take_[0]);
        rgb[1] = Mixer::Round(k[1] + take_[1]);
        rgb[2] = Mixer::Round(k[2] + take_[2]);
    }

  private:
    const Mixer& mix_;
    std::vector<std::uint64_t> keep_;
    std::uint64_t take_[3] = {};
};

class TableDetailMix {
  public:
    TableDetailMix(const MixTable& table, std::int64_t detailCols)
        : table_(table), rows_(static_cast<std::size_t>(3 * detailCols)) {}
    void loadDetailRow(const std::uint8_t* drow, std::int64_t n) {
        for (std::int64_t k = 0; k < n; ++k)
            for (int ch = 0; ch < 3; ++ch)
                rows_[static_cast<std::size_t>(3 * k + ch)] = table_.row(drow[4 * k + ch]);
    }
    void loadBase(const std::uint8_t* b) {
        for (int ch = 0; ch < 3; ++ch)
            base_[ch] = b[ch];
    }
    void colour(std::int64_t dj, std::uint8_t* rgb) const {
        const std::uint8_t* const* m = rows_.data() + 3 * dj;
        rgb[0] = m[0][base_[0]];
        rgb[1] = m[1][base_[1]];
        rgb[2] = m[2][base_[2]];
    }

  private:
    const MixTable& table_;
    std::vector<const std::uint8_t*> rows_;
    std::uint8_t base_[3] = {};
};

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
    auto fail = [&failures](std::string text) {
        if (failures)
            failures({std::move(text), PreviewStep::Texture});
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
             ", the level is " + Text(level.Height) + " x " + Text(level.Width));

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
                 GridText(*next) + ", blending level " + Text(index) + " needs " + Text(needRows) + " x " +
                 Text(needCols));
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
    const Mixer mix(static_cast<double>(plan.tileFrac));
    const PixelGrid& grid = level.Pixels;

    const std::int64_t fullCols = std::min(cols, clip.w / block);
    auto drawRows = [&](auto colourOf) {
        for (std::int64_t y = 0; y < rows; ++y) {
            const std::int64_t top = y * block;
            std::uint8_t* out = RowAt(canvas, top);
            const std::uint8_t* src = grid.at(static_cast<int>(y), 0);
            // Without a blend the next level is never read; src stands in.
            const std::uint8_t* nsrc = blend ? next->at(static_cast<int>(y / 2), 0) : src;
            std::uint8_t rgb[3];
            for (std::int64_t x = 0; x < fullCols; ++x) {
                colourOf(src + 4 * x, nsrc + 4 * (x / 2), rgb);
                PutRun(out + 3 * x * block, block, rgb[0], rgb[1], rgb[2]);
            }
            if (fullCols < cols) { // a block cut by the viewport's right edge
                colourOf(src + 4 * fullCols, nsrc + 4 * (fullCols / 2), rgb);
                PutRun(out + 3 * fullCols * block, clip.w - fullCols * block, rgb[0], rgb[1], rgb[2]);
            }
            RepeatRow(canvas, top, std::min(top + block, clip.h), 0, spanEnd);
        }
    };
    if (!blend) {
        drawRows(
            [](const std::uint8_t* p, const std::uint8_t*, std::uint8_t* rgb) { std::memcpy(rgb, p, 3); });
    } else if (rows * cols * 3 > 2 * 256 * 256) {
        // Enough mixes to pay for a table of all of them.
        const MixTable table(mix, ByteSet::All());
        drawRows([&table](const std::uint8_t* p, const std::uint8_t* n, std::uint8_t* rgb) {
            rgb[0] = table.row(p[0])[n[0]];
            rgb[1] = table.row(p[1])[n[1]];
            rgb[2] = table.row(p[2])[n[2]];
        });
    } else {
        drawRows([&mix](const std::uint8_t* p, const std::uint8_t* n, std::uint8_t* rgb) {
            rgb[0] = mix(p[0], n[0]);
            rgb[1] = mix(p[1], n[1]);
            rgb[2] = mix(p[2], n[2]);
        });
    }

    const std::int64_t stepX = SatMul(plan.pitchW, block);
    const std::int64_t stepY = SatMul(plan.pitchH, block);
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

PassOutcome DrawDetailPass(const PreviewPlan& plan, const TileTable& tiles, PreviewCanvas& canvas,
                           const PreviewCheckpoint& checkpoint, const PreviewFailureSink& failures) {
    if (!plan.useDetailPass || !plan.zoomValid || !plan.shiftValid || plan.shiftScale <= 0 ||
        plan.zoom % plan.shiftScale != 0)
        return PassOutcome::Completed; // the reason was reported while planning
    auto fail = [&failures](std::string text) {
        if (failures)
            failures({std::move(text), PreviewStep::Texture});
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
             ", the texture is " + Text(base.Height) + " x " + Text(base.Width));
    if (bext.rows <= 0 || bext.cols <= 0)
        return PassOutcome::Completed;

    // The clamp only ever raises the weight, and a weight outside 0..1 would
    // push colours out of range.
    double weight = std::max(plan.tileFrac, plan.lodFrac);
    weight = std::clamp(weight, 0.0, 1.0);
    const Mixer mix(weight);

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
    auto drawRows = [&](auto& mixer) {
        for (std::int64_t i = 0; i < rows; ++i) {
            const std::int64_t top = i * block;
            std::uint8_t* out = RowAt(canvas, top);
            const std::uint8_t* brow = base.Pixels.at(static_cast<int>(i / scale), 0);
            mixer.loadDetailRow(detail.Pixels.at(static_cast<int>(i % dH), 0), detailCols);
            std::int64_t j = 0;
            std::int64_t dj = 0; // j mod detail width
            for (std::int64_t bj = 0; j < cols; ++bj) {
                mixer.loadBase(brow + 4 * bj);
                const std::int64_t runEnd = std::min(j + scale, cols);
                for (; j < runEnd; ++j) {
                    std::uint8_t rgb[3];
                    mixer.colour(dj, rgb);
                    if (block == 1) {
                        std::memcpy(out + 3 * j, rgb, 3);
                    } else {
                        const std::int64_t left = j * block;
                        PutRun(out + 3 * left, std::min(block, clip.w - left), rgb[0], rgb[1], rgb[2]);
                    }
                    if (++dj == dW)
                        dj = 0;
                }
            }
            RepeatRow(canvas, top, std::min(top + block, clip.h), 0, spanEnd);
        }
    };
    const ByteSet bytes(detail.Pixels, std::min(dH, rows), detailCols);
    if (rows * cols * 3 > std::int64_t{256} * bytes.count) {
        const MixTable table(mix, bytes);
        TableDetailMix mixer(table, detailCols);
        drawRows(mixer);
    } else {
        DirectDetailMix mixer(mix, detailCols);
        drawRows(mixer);
    }

    const std::int64_t stepX = SatMul(plan.basePitchW, plan.zoom);
    const std::int64_t stepY = SatMul(plan.basePitchH, plan.zoom);
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
