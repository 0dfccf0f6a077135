// SPDX-License-Identifier: MIT
#include "detailmap.h"

namespace vellora {

const std::string kDetailToggleQuestion = "This will re-set the preview.\r\nYou Will need to load the bitmap "
                                          "again.\r\n\r\nDo you want to proceede?";

std::array<bool, kFormatCount> DetailOptionsEnabled(bool detailOn, bool baseIsCI) {
    std::array<bool, kFormatCount> enabled{};
    for (int i = 0; i < kFormatCount; ++i)
        enabled[i] = detailOn && (FormatIsCI(i) == baseIsCI);
    return enabled;
}

const char* DetailFormatMessage(int detailFormat, int baseFormat) {
    if (detailFormat == kNoFormat)
        return nullptr;
    const bool baseCI = FormatIsCI(baseFormat);
    if (!FormatIsCI(detailFormat))
        return baseCI ? kMixMessage : nullptr;
    if (!baseCI)
        return kMixMessage;
    if (detailFormat == 0)
        return baseFormat == 2 ? kShareTlutMessage : nullptr;
    // CI 8-bit detail map
    return baseFormat == 0 ? kMust4BitMessage : kShareTlutMessage;
}

void ResetPictures(TileTable& tiles) {
    for (TileLevel& t : tiles) {
        t.Pixels = PixelGrid(1, 1);
        t.Width = t.LineWidth = t.Height = t.BitDepth = 0;
    }
}

} // namespace vellora
