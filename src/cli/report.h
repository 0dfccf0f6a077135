// SPDX-License-Identifier: MIT
#pragma once

#include "core/calc.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace vellora::cli {

struct LevelRow {
    int index = 0;
    const char* role = "base"; // "detail", "base" or "mip"
    int width = 0, lineWidth = 0, height = 0, bitDepth = 0;
    long bytes = 0;
    long tmemAddress = 0; // the bytes of the levels before it
};

// The counted records 0 to maxIndex in TMEM order.
std::vector<LevelRow> CountedLevels(const TileTable& tiles, int maxIndex, int detailFlag);

// Header facts of a loaded base file.
struct BitmapFacts {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    std::uint32_t headerSize = 0;
};

// Everything one count shows, gathered right after it ran.
struct CountReport {
    CountResult result;
    std::vector<LevelRow> levels;
    std::vector<std::string> messages; // message-box texts, in order
    const char* levelBox = "normal";   // or "yellow"
    std::optional<BitmapFacts> bitmap;
};

void WriteJson(const CountReport& report, std::ostream& out);
void WriteText(const CountReport& report, std::ostream& out);

// The percentage the window shows, as a number.
long PercentOf(const CountResult& result);

} // namespace vellora::cli
