// SPDX-License-Identifier: MIT
#include "document/messages.h"

namespace vellora::doc {

std::string VerdictText(const Count& count) {
    return count.exceeds() ? "Exceeds TMEM by " + std::to_string(count.excess()) + " Bytes" : "Good!";
}

const std::string kLevelLimitMessage =
    "Cannot make any more levels\r\nSetting to maximum allowable by Texture size";

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

std::string LevelsPhrase(const Count& count) {
    const int levels = count.maxIndex - count.detailFlag + 1;
    std::string text = levels == 1
                           ? std::string("1 level (0)")
                           : std::to_string(levels) + " levels (0\u2013" + std::to_string(levels - 1) + ")";
    if (count.detailFlag > 0)
        text += " and a detail map";
    return text;
}

} // namespace vellora::doc
