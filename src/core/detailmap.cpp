// SPDX-License-Identifier: MIT
#include "detailmap.h"

namespace vellora {

const std::string kDetailToggleQuestion = "This will re-set the preview.\r\nYou Will need to load the bitmap "
                                          "again.\r\n\r\nDo you want to proceede?";

std::array<bool, kFormatCount> DetailOptionsEnabled(bool detailOn, bool baseIsCI) {
    std::array<bool, kFormatCount> enabled{};
    for (int i = 0; i < kFormatCount; ++i)
        enabled[i] = detailOn && (IsCI(kAllFormats[i]) == baseIsCI);
    return enabled;
}

const char* DetailFormatMessage(std::optional<Format> detailFormat, std::optional<Format> baseFormat) {
    if (!detailFormat)
        return nullptr;
    const bool baseCI = IsCI(baseFormat);
    if (!IsCI(*detailFormat))
        return baseCI ? kMixMessage : nullptr;
    if (!baseCI)
        return kMixMessage;
    if (*detailFormat == Format::CI4)
        return baseFormat == Format::CI8 ? kShareTlutMessage : nullptr;
    // CI 8-bit detail map
    return baseFormat == Format::CI4 ? kMust4BitMessage : kShareTlutMessage;
}

void ResetPictures(TileTable& tiles) {
    for (TileLevel& t : tiles) {
        t.Pixels = PixelGrid(1, 1);
        t.Width = t.LineWidth = t.Height = t.BitDepth = 0;
    }
}

} // namespace vellora
