// SPDX-License-Identifier: MIT
// The way a picture travels through the program: read as the base texture,
// its size written into the boxes through their input rules, the count with
// the mip-map regeneration it triggers, one small preview pass, and the
// texture reduced to a kind and written as the game loads it.
#include "bitmap/loadstep.h"
#include "bitmap/mipmap.h"
#include "core/calc.h"
#include "core/detailmap.h"
#include "hardware/layout.h"
#include "preview/renderer.h"
#include "reduce/reduce.h"
#include "reduce/texturedata.h"

#include <cstdlib>
#include <string>

using namespace vellora;

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
    ResetPictures(state.tiles);
    const LoadStepResult r = LoadBytesInto({data, size}, LoadRole::Base, state, detailFlag);
    if (!r.ok)
        return 0;
    ApplyToSettings(r.file, LoadRole::Base, settings);

    CalcHooks hooks;
    hooks.regenerate = [filter](TileTable& t, int last, int flag) {
        GeneratebmpMipMap(t, last, flag, filter);
    };
    const CountResult count = CalcTMEM(settings, state, false, hooks);
    if (count.count.maxIndex < 0 || count.count.maxIndex >= kLevelCount)
        std::abort();
    // The filter switch regenerates with the number in the level box.
    GeneratebmpMipMap(state.tiles, count.count.maxIndex, count.count.detailFlag,
                      filter == MipFilter::Box2x2 ? MipFilter::Weighted3x3 : MipFilter::Box2x2);

    PreviewInput input;
    input.detailFlag = count.count.detailFlag;
    input.zoom = 1 + (knobs >> 7);
    input.tilePos = static_cast<float>(count.count.maxIndex) * static_cast<float>(knobs & 7) / 7.0f;
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

    // Reducing and writing every texel takes far longer than the rest under
    // the fuzzer's instrumentation; one input in four, and only textures of
    // up to 128 x 128 texels, go on to it, so the load keeps most of the time.
    long texels = 0;
    for (const CountedLevel& l : count.count.levels)
        texels += static_cast<long>(l.width) * l.height;
    if (size % 4 != 0 || texels > 128 * 128)
        return 0;
    static constexpr Kind kKinds[] = {Kind::RGBA32, Kind::RGBA16, Kind::IA16, Kind::IA8, Kind::IA4,
                                      Kind::I8,     Kind::I4,     Kind::CI8,  Kind::CI4};
    const Kind kind = kKinds[knobs % 9];
    const std::vector<hw::Level> levels = hw::LevelsOf(count.count, kind, Kind::CI4);
    const reduce::ReducedTexture texture = reduce::ReduceTexture(
        state.tiles, levels, state.baseSource, state.detailSource, {(knobs & 8) != 0, filter, true});
    if (texture.levels.size() != levels.size())
        std::abort();
    for (const reduce::ReducedLevel& l : texture.levels) {
        if (l.texels.size() != static_cast<std::size_t>(l.width) * static_cast<std::size_t>(l.height))
            std::abort();
        if (l.kind == Kind::CI4 || l.kind == Kind::CI8) {
            for (std::uint32_t index : l.texels)
                if (!texture.palette.empty() && index >= texture.palette.size())
                    std::abort();
        }
    }
    const hw::Layout layout = hw::LayOut(levels, {});
    for (const char* name : {"t.bin", "t.c", "t.png"})
        reduce::ExportTexture(texture, layout, name, {(knobs & 16) != 0});
    return 0;
}
