// SPDX-License-Identifier: MIT
#pragma once

#include "layout.h"

#include <cstdint>
#include <string>

namespace vellora::hw {

// 16 upper-case hex digits.
std::string HexWord(std::uint64_t word);

// The loads and tiles as display-list macros, ready to paste: the palette
// first for CI, then per level its load and its render tile. Images are
// named by placeholders (base_image, level2_image, detail_image, palette).
std::string DisplayList(const Layout& layout);

// The same commands as 64-bit words, one a line with what each does.
std::string CommandWords(const Layout& layout);

} // namespace vellora::hw
