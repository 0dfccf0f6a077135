// SPDX-License-Identifier: MIT
#pragma once

#include "layout.h"

#include "core/count.h"
#include "core/formats.h"
#include "core/tilelevel.h"

#include <optional>
#include <string>
#include <vector>

namespace vellora::hw {

enum class Rules { Calculator, Hardware, Both };
// Whether a texture fits by the chosen rules, given each rule's answer.
bool FitsBy(Rules rules, bool fitsCalculator, bool fitsHardware);

// A texture as the count and the hardware take it.
struct TextureCase {
    TextureSpec spec;
    Kind baseKind = Kind::I4;
    Kind detailKind = Kind::I4;
    TileOptions options;
};

struct Evaluation {
    Count count;
    std::optional<std::string> hardwareReason; // none when the hardware can hold it
    bool fitsCalculator = false;
    bool fitsHardware = false;
    bool fits(Rules rules) const;
};
// Counts the texture's sizes (no pixels are needed for that) and asks the
// hardware's verdict.
Evaluation Evaluate(const TextureCase& texture);

struct Suggestion {
    std::string change; // "Stop the levels at a 64-bit width", "Store it as RGBA16" ...
    long bytes = 0;     // what the calculator counts after the change
    int limit = 4096;
    bool fitsBoth = false;
};

// Up to three changes for a texture that does not fit, smallest first: the
// 64-bit width stop rule, the most levels that fit, a smaller kind of the
// same family (CI only for pictures with few enough colours), halving the
// base; the changes that make it fit before those that do not.
// colours: the base picture's distinct colours, when known.
std::vector<Suggestion> Suggest(const TextureCase& texture, Rules rules, std::optional<int> colours);

} // namespace vellora::hw
