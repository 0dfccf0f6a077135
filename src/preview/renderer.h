// SPDX-License-Identifier: MIT
#pragma once
// Placeholder until the renderer lands.
namespace vellora {}
