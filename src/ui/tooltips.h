// SPDX-License-Identifier: MIT
#pragma once

class QWidget;

namespace vellora {

// Gives every control of the window that has no tip of its own the one
// that says what it does (and its key, where it has one).
void ExplainControls(QWidget& window);

} // namespace vellora
