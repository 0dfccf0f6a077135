// SPDX-License-Identifier: MIT
#pragma once

#include "cli.h"

#include "bitmap/loadstep.h"
#include "bitmap/mipmap.h"
#include "document/texture.h"

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace vellora::cli {

// Reads a file into a level record, or throws the line that names the file
// and why it cannot be used. pixelBudget, when given, is what is left of
// the pixels one run may hold; the picture's pixels are taken from it.
void LoadOrReject(std::string_view command, const std::string& path, LoadRole role, doc::Texture& texture,
                  int level, std::int64_t* pixelBudget = nullptr);

// The pixels all pictures of one load run hold together, 32 MiB as RGBA
// (32 times the window's largest texture, 1024 x 256): seven tiles that
// each inflate to the largest picture a reader takes would otherwise hold
// 448 MiB, and the levels, dumps and preview drawn from the pictures stay
// within 256 MiB with it.
inline constexpr std::int64_t kLoadPixelBudget = std::int64_t{1} << 23;

// The mip-map filter an option names: 3x3 or 2x2.
MipFilter RequireFilter(std::string_view option, const std::string& text);

int LoadCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                const CliTerminal& terminal);

inline constexpr const char* kLoadUsage =
    "vellora-cli load BASE [--detail FILE [--detail-format F]] [--tiles A.png,B.bmp,...] "
    "[--filter 3x3|2x2] [--levels L] [--format F] [--json] [--map-text] [--dump-levels DIR [--dump-format "
    "pam|png]] "
    "[--map OUT.png] "
    "[--preview OUT.png [--tile-pos X] [--zoom Z] [--shift S] [--lodfrac F] [--view WxH] [--seed N]] "
    "[--console OUT.png] [--emit-scene DIR] [--sampling point|bilerp|average] [--cycle 1|2] [--lod on|off] "
    "[--scene flat|floor] [--size W,H] [--scale S] [--fb 32|16] "
    "[--hardware] [--wrap S,T] [--palette N] [--emit gbi|words [--image-base ADDR]] "
    "[--rules calculator|hardware|both]\n";

} // namespace vellora::cli
