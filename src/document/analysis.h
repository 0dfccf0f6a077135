// SPDX-License-Identifier: MIT
#pragma once

#include "document/texture.h"

#include "hardware/layout.h"
#include "hardware/suggest.h"
#include "verify/verify.h"

#include <optional>
#include <string>
#include <vector>

namespace vellora::doc {

// What an analysis computes beyond the count.
struct AnalyzeOptions {
    CountDetail detail = CountDetail::Full; // SizesOnly: the numbers without the byte map
    bool layout = true;                     // the whole hardware layout; else only its verdict
    bool verify = false;                    // run a plan that fits on the RDP model
    hw::Rules rules = hw::Rules::Both;      // what must fit before no suggestion is needed
    bool suggest = true;                    // weigh what would make it fit
};

// Everything a front end shows of a texture, computed once.
struct Analysis {
    Count count;
    std::vector<std::string> messages;         // loading's, then the count's
    std::vector<hw::Level> levels;             // the counted levels as the hardware stores them
    std::optional<hw::Layout> layout;          // with AnalyzeOptions::layout or verify
    std::optional<std::string> hardwareReason; // why the hardware cannot load it
    std::optional<verify::Result> proof;       // with verify, for a plan that fits
    std::optional<int> colours;                // the base's stored colours, when a suggestion weighed them
    std::vector<hw::Suggestion> suggestions;   // when it does not fit by the rules asked for

    bool fitsCalculator() const { return !count.exceeds(); }
    bool fitsHardware() const { return !hardwareReason; }
    bool fits(hw::Rules rules) const { return hw::FitsBy(rules, fitsCalculator(), fitsHardware()); }
    bool verified() const { return proof && proof->ok(); }
};

// Texture 1 as the hardware layout takes it: its levels counted.
hw::Material MaterialOf(const SecondTexture& second);

// With texture1, the texture is a material's texture 0: the count is its
// own, the hardware layout, verdict and proof are the material's.
Analysis Analyze(const Texture& texture, const AnalyzeOptions& options = {},
                 const SecondTexture* texture1 = nullptr);

// What a texture is judged by beyond its count; read, never copied.
struct Subject {
    const TextureSpec& spec;
    Kind baseKind;
    Kind detailKind;
    const hw::TileOptions& tiles;
    const TileTable& pictures; // read for the base's stored colours
    const PictureSource& baseSource;
    bool picturesLoaded;                    // else the colours are not known
    const hw::Material* texture1 = nullptr; // a material's second texture
};

// The hardware layout (or its verdict), the RDP model's proof and the
// suggestions for analysis.count, a count already made: what Analyze does
// after its count, for a front end that counts on its own (the window's
// form). Every front end judges a texture this one way.
void Judge(Analysis& analysis, const Subject& subject, const AnalyzeOptions& options = {});

} // namespace vellora::doc
