// SPDX-License-Identifier: MIT
#pragma once

#include "options.h"

#include "bitmap/mipmap.h"
#include "document/texture.h"
#include "hardware/layout.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace vellora::cli {

// A material's texture 1 as the options give it: --texture1 FILE or WxH:K,
// with --levels1, --wrap1, --palette1 and --texture1-at.
struct MaterialTexts {
    std::optional<std::string> texture1, levels1, wrap1, palette1, at;
};
void AddMaterialOptions(CommandLine& cl, MaterialTexts& texts);
bool IsMaterialOption(std::string_view option);

// Texture 1, its picture loaded (from what is left of budget) and its levels
// drawn; none without --texture1. Options that need --texture1 without it,
// or values that cannot be used, are refused.
struct HardwareChoice;
// A material is judged by the hardware: its report shows the layout, and
// unless --rules says otherwise both the count and the hardware decide.
void MaterialReport(bool material, HardwareChoice& choice);

std::optional<doc::SecondTexture> Texture1From(std::string_view command, const MaterialTexts& texts,
                                               MipFilter filter, std::int64_t* budget);

} // namespace vellora::cli
