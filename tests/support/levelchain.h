// SPDX-License-Identifier: MIT
#pragma once

#include "hardware/layout.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace vellora::test {

// A base of w x h and count - 1 levels below it, each half the one above,
// after the detail map when there is one.
inline std::vector<hw::Level> Chain(int w, int h, Kind kind, int count,
                                    std::optional<hw::Level> detail = std::nullopt) {
    std::vector<hw::Level> levels;
    int record = 0;
    if (detail) {
        detail->record = record++;
        detail->role = LevelRole::Detail;
        levels.push_back(*detail);
    }
    for (int i = 0; i < count; ++i, ++record) {
        levels.push_back({record, i == 0 ? LevelRole::Base : LevelRole::Mip, w, h, kind, i});
        w = std::max(1, w / 2);
        h = std::max(1, h / 2);
    }
    return levels;
}

} // namespace vellora::test
