// SPDX-License-Identifier: MIT
#pragma once

namespace vellora {

// Program version 2.0.0.36; the labels show major.minor.revision.
inline constexpr int kVersionMajor = 2;
inline constexpr int kVersionMinor = 0;
inline constexpr int kVersionRevision = 36;
inline constexpr const char* kVersionText = "2.0.36";

} // namespace vellora
