// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace vellora::cli {

// A JSON string literal, quotes included. Control characters (the CR LF that
// joins message lines) are escaped; bytes from 0x80 up pass through as the
// UTF-8 they are meant to be.
std::string JsonString(std::string_view text);

} // namespace vellora::cli
