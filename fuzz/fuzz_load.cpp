// SPDX-License-Identifier: MIT
// The way a picture travels through the program: read as the base texture,
// its size written into the boxes through their input rules, the count with
// the mip-map regeneration it triggers, and one small preview pass.
#include "bitmap/bmpreader.h"
#include "bitmap/mipmap.h"
#include "core/calc.h"
#include "core/inputrules.h"
#include "preview/renderer.h"

#include <cstdlib>
#include <string>

using namespace vellora;

namespace {

// The box text after the user's (here: the file's) number went through the rule.
std::string BoxText(std::int32_t value, DimensionRule rule) {
    const std::string typed = std::to_string(value);
    return ApplyDimensionRule(typed, rule).value_or(typed);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The last byte chooses the window's switches; it is also part of the file,
    // which the fuzzer copes with.
    const std::uint8_t knobs = size > 0 ? data[size - 1] : 0;
    Settings settings;
    settings.detailEnabled = (knobs & 1) != 0;
    settings.autoLevels = (knobs & 2) != 0;
    settings.widthRule = (knobs & 4) != 0;
    settings.levels = std::to_string((knobs >> 3) & 7);
    const MipFilter filter = (knobs & 64) != 0 ? MipFilter::Box2x2 : MipFilter::Weighted3x3;
    const int detailFlag = settings.detailEnabled ? 1 : 0;

    CoreState state;
    // A load starts from a reset table of 1 x 1 zero grids.
    for (TileLevel& t : state.tiles) {
        t = TileLevel{};
        t.Pixels = PixelGrid(1, 1);
    }
    TileLevel& base = state.tiles[detailFlag];
    const BmpReadResult r = ReadBmp({data, size}, base);
    if (!r.ok)
        return 0;
    state.bitmapLoaded = true;
    switch (base.BitDepth) {
    case 4:
        settings.baseFormat = 0;
        break;
    case 8:
        settings.baseFormat = 2;
        break;
    case 16:
        settings.baseFormat = 4;
        break;
    case 24:
    case 32:
        settings.baseFormat = 5;
        break;
    default:
        break;
    }
    settings.width = BoxText(base.Width, kWidthRule);
    settings.height = BoxText(base.Height, kHeightRule);

    CalcHooks hooks;
    hooks.regenerate = [filter](TileTable& t, int last, int flag) {
        GeneratebmpMipMap(t, last, flag, filter);
    };
    const CountResult count = CalcTMEM(settings, state, false, hooks);
    if (count.maxIndex < 0 || count.maxIndex >= kLevelCount)
        std::abort();
    // The filter switch regenerates with the number in the level box.
    GeneratebmpMipMap(state.tiles, count.maxIndex, count.detailFlag,
                      filter == MipFilter::Box2x2 ? MipFilter::Weighted3x3 : MipFilter::Box2x2);

    PreviewInput input;
    input.detailFlag = count.detailFlag;
    input.zoom = 1 + (knobs >> 7);
    input.tilePos = static_cast<float>(count.maxIndex) * static_cast<float>(knobs & 7) / 7.0f;
    input.viewW = 48;
    input.viewH = 32;
    unsigned seed = knobs;
    const PreviewResult shown = RenderPreview(state.tiles, input, [&seed] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<double>((seed >> 8) & 0xFFFF) / 65536.0;
    });
    if (shown.rgb.size() !=
        static_cast<std::size_t>(shown.viewW) * static_cast<std::size_t>(shown.viewH) * 3u)
        std::abort();
    return 0;
}
