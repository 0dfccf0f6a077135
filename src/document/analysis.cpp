// SPDX-License-Identifier: MIT
#include "document/analysis.h"

#include "document/messages.h"
#include "reduce/reduce.h"

namespace vellora::doc {

namespace {

// The records' sizes without their pixels: counting reads and writes sizes
// only, and the texture stays as it is.
TileTable SizesOf(const TileTable& pictures) {
    TileTable sizes{};
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        sizes[i].Width = pictures[i].Width;
        sizes[i].LineWidth = pictures[i].LineWidth;
        sizes[i].Height = pictures[i].Height;
        sizes[i].BitDepth = pictures[i].BitDepth;
    }
    return sizes;
}

} // namespace

hw::Material MaterialOf(const SecondTexture& second) {
    const Texture& t = second.texture;
    TextureSpec spec = t.spec;
    spec.detail.reset();
    TileTable sizes = SizesOf(t.pictures);
    const Count count = CountTexture(spec, sizes, {}, CountDetail::SizesOnly);
    hw::Material m;
    m.levels = hw::LevelsOf(count, t.storedBaseKind(), Kind::I4);
    m.options = t.tiles;
    m.tmemWord = second.tmemWord;
    return m;
}

Analysis Analyze(const Texture& texture, const AnalyzeOptions& options, const SecondTexture* texture1) {
    Analysis a;
    a.messages = texture.loadMessages;
    const TextureSpec& spec = texture.spec;
    if (spec.detail) {
        if (const char* message = DetailFormatMessage(spec.detail->format, spec.format))
            a.messages.emplace_back(message);
    }
    TileTable sizes = SizesOf(texture.pictures);
    if (spec.typedLevels) {
        // Typed sizes are the click of "Manually Define Mip-Map Tiles": a
        // plain count first, which sets the records above the counted
        // levels, then the count with the typed sizes.
        TextureSpec plain = spec;
        plain.typedLevels.reset();
        CountTexture(plain, sizes, {}, CountDetail::SizesOnly);
        a.count = CountTexture(spec, sizes, {}, options.detail);
    } else {
        a.count = CountTexture(spec, sizes, {}, options.detail);
        if (a.count.levelsCutBack)
            a.messages.push_back(kLevelLimitMessage);
    }

    const std::optional<hw::Material> material =
        texture1 ? std::optional<hw::Material>(MaterialOf(*texture1)) : std::nullopt;
    Judge(a,
          Subject{spec, texture.storedBaseKind(), texture.storedDetailKind(), texture.tiles, texture.pictures,
                  texture.baseSource, texture.picturesLoaded, material ? &*material : nullptr},
          options);
    return a;
}

void Judge(Analysis& a, const Subject& subject, const AnalyzeOptions& options) {
    a.levels = hw::LevelsOf(a.count, subject.baseKind, subject.detailKind);
    a.layout.reset();
    a.proof.reset();
    a.colours.reset();
    a.suggestions.clear();
    if (options.layout || options.verify || subject.texture1) {
        a.layout = hw::LayOut(a.levels, subject.tiles, subject.texture1);
        a.hardwareReason = a.layout->reason;
    } else {
        a.hardwareReason = hw::HardwareVerdict(a.levels);
    }
    if (options.verify && a.fitsHardware()) {
        a.proof = verify::VerifyPlan(*a.layout);
        if (!a.proof->ok())
            a.hardwareReason = "the RDP model reads its plan back wrong: " + a.proof->describe();
    }
    // The changes weighed are a single texture's.
    if (!options.suggest || a.fits(options.rules) || subject.texture1)
        return;
    // CI is offered only for as many colours as its palette holds: the base
    // level's colours as the texture would store them.
    if (subject.picturesLoaded && (subject.baseKind == Kind::RGBA16 || subject.baseKind == Kind::CI8)) {
        const TileLevel& base = subject.pictures[static_cast<std::size_t>(a.count.detailFlag)];
        for (const CountedLevel& l : a.count.levels)
            if (l.role == LevelRole::Base)
                a.colours = reduce::StoredColours(base, l.width, l.height, subject.baseSource);
    }
    hw::TextureCase changed;
    changed.spec = subject.spec;
    changed.baseKind = subject.baseKind;
    changed.detailKind = subject.detailKind;
    changed.options = subject.tiles;
    a.suggestions = hw::Suggest(changed, options.rules, a.colours);
}

} // namespace vellora::doc
