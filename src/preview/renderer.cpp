// SPDX-License-Identifier: MIT
#include "renderer.h"

#include "byteblend.h"
#include "core/numeric.h"
#include "previewmath.h"
#include "rowkernels.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace vellora {

using namespace previewmath;

namespace {

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

// Copies the first row of a band of pixel rows to the rest of the band.
void RepeatRow(PreviewCanvas& canvas, std::int64_t y, std::int64_t yEnd, std::int64_t x0, std::int64_t x1) {
    if (x1 <= x0)
        return;
    const std::uint8_t* src = RowAt(canvas, y) + 3 * x0;
    auto bytes = static_cast<std::size_t>(3 * (x1 - x0));
    for (std::int64_t yy = y + 1; yy < yEnd; ++yy)
        std::memcpy(RowAt(canvas, yy) + 3 * x0, src, bytes);
}

// The detail pass keeps its repeated detail rows when they take no more
// than this; a bigger detail map rebuilds each row as it is drawn.
constexpr std::size_t kKeptDetailBytes = std::size_t{1} << 20;

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

// The rows and columns a grid can supply.
Extent GridExtent(const PixelGrid& g) {
    if (g.empty())
        return {};
    return {g.rows(), g.cols()};
}

// The part of a level's texels its grid can supply.
Extent Readable(const TileLevel& level) {
    Extent e = GridExtent(level.Pixels);
    return {std::min<std::int64_t>(level.Height, e.rows), std::min<std::int64_t>(level.Width, e.cols)};
}

std::string GridText(const PixelGrid& g) {
    return Text(g.empty() ? 0 : g.rows()) + " x " + Text(g.empty() ? 0 : g.cols());
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
