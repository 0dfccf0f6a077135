// SPDX-License-Identifier: MIT
#include "suggest.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace vellora::hw {

namespace {

std::string Name(Kind kind) {
    return std::string(KindName(kind));
}

// The family's next smaller kinds, in the order they are tried.
std::vector<Kind> SmallerKinds(Kind kind, std::optional<int> colours) {
    switch (kind) {
    case Kind::RGBA32:
        return {Kind::RGBA16};
    case Kind::IA16:
        return {Kind::IA8, Kind::IA4};
    case Kind::IA8:
        return {Kind::IA4};
    case Kind::I8:
        return {Kind::I4};
    case Kind::CI8:
        if (colours && *colours <= 16)
            return {Kind::CI4};
        return {};
    case Kind::RGBA16:
        if (colours && *colours <= 16)
            return {Kind::CI4};
        if (colours && *colours <= 256)
            return {Kind::CI8};
        return {};
    default:
        return {};
    }
}

Suggestion Make(std::string change, const Evaluation& e) {
    return {std::move(change), e.count.totalBytes, e.count.tmemLimit, e.fits(Rules::Both)};
}

} // namespace

bool FitsBy(Rules rules, bool fitsCalculator, bool fitsHardware) {
    switch (rules) {
    case Rules::Calculator:
        return fitsCalculator;
    case Rules::Hardware:
        return fitsHardware;
    case Rules::Both:
        break;
    }
    return fitsCalculator && fitsHardware;
}

bool Evaluation::fits(Rules rules) const {
    return FitsBy(rules, fitsCalculator, fitsHardware);
}

Evaluation Evaluate(const TextureCase& texture) {
    Evaluation e;
    TileTable sizes{};
    e.count = CountTexture(texture.spec, sizes, {}, CountDetail::SizesOnly);
    e.hardwareReason = HardwareVerdict(LevelsOf(e.count, texture.baseKind, texture.detailKind));
    e.fitsCalculator = !e.count.exceeds();
    e.fitsHardware = !e.hardwareReason;
    return e;
}

std::vector<Suggestion> Suggest(const TextureCase& texture, Rules rules, std::optional<int> colours) {
    std::vector<Suggestion> out;
    const Evaluation now = Evaluate(texture);
    if (now.fits(rules))
        return out;
    const int base = now.count.detailFlag;

    // The width stop rule drops the levels narrower than a 64-bit word.
    if (texture.spec.levels == LevelMode::Auto) {
        TextureCase changed = texture;
        changed.spec.levels = LevelMode::AutoWidth64;
        const Evaluation e = Evaluate(changed);
        if (e.count.maxIndex < now.count.maxIndex)
            out.push_back(Make("Stop the levels at a 64-bit width", e));
    }

    // The most levels that fit, when fewer levels help at all. Fewer levels
    // are the same pyramid cut short, so the count at hand answers for each.
    const std::vector<Level> all = LevelsOf(now.count, texture.baseKind, texture.detailKind);
    long prefix = 0;
    std::vector<long> totals;
    for (const CountedLevel& l : now.count.levels)
        totals.push_back(prefix += l.bytes);
    for (int last = now.count.maxIndex - 1; last >= base; --last) {
        const std::size_t kept = static_cast<std::size_t>(last + 1);
        if (kept > totals.size() || totals[kept - 1] > now.count.tmemLimit ||
            HardwareVerdict(std::vector<Level>(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(kept))))
            continue;
        TextureCase changed = texture;
        changed.spec.levels = LevelMode::Manual;
        changed.spec.lastLevel = last;
        const int below = last - base;
        Suggestion fewer = Make(below == 0 ? std::string("Use the base alone, no mip-map levels")
                                           : "Use " + std::to_string(below) + " mip-map level" +
                                                 (below == 1 ? "" : "s") + " below the base",
                                Evaluate(changed));
        if (fewer.fitsBoth) {
            out.push_back(std::move(fewer));
            break;
        }
    }

    // A smaller kind of the same family: the first that fits, else the smallest.
    const std::vector<Kind> kinds = SmallerKinds(texture.baseKind, colours);
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        TextureCase changed = texture;
        changed.baseKind = kinds[i];
        changed.spec.format = RowOf(kinds[i]);
        const bool last = i + 1 == kinds.size();
        const Evaluation e = Evaluate(changed);
        if (!e.fits(Rules::Both) && !last)
            continue;
        std::string change = "Store it as " + Name(kinds[i]) + " instead of " + Name(texture.baseKind);
        if (IsCI(RowOf(kinds[i])) && colours)
            change += " (the picture has " + std::to_string(*colours) + " colours)";
        out.push_back(Make(std::move(change), e));
        break;
    }

    // Halving the base until it fits, or as far as it goes.
    TextureCase changed = texture;
    for (int halvings = 1; halvings <= 4; ++halvings) {
        changed.spec.size.width = std::max(1, changed.spec.size.width / 2);
        changed.spec.size.height = std::max(1, changed.spec.size.height / 2);
        const Evaluation e = Evaluate(changed);
        if (e.fits(Rules::Both) || halvings == 4 ||
            (changed.spec.size.width == 1 && changed.spec.size.height == 1)) {
            const std::string size =
                std::to_string(changed.spec.size.width) + "x" + std::to_string(changed.spec.size.height);
            out.push_back(Make(halvings == 1
                                   ? "Halve the base to " + size
                                   : "Halve the base " + std::to_string(halvings) + " times, to " + size,
                               e));
            break;
        }
    }

    // A change that makes the texture fit is worth more than a smaller one
    // that does not: those come first, each group smallest change first.
    std::stable_partition(out.begin(), out.end(), [](const Suggestion& x) { return x.fitsBoth; });
    if (out.size() > 3)
        out.resize(3);
    return out;
}

} // namespace vellora::hw
