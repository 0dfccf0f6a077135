// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QHash>
#include <QPalette>
#include <QPointer>

class QWidget;

namespace vellora {

// The seven colour themes Picture1 steps through. A theme colours the window,
// frames, buttons, option and check boxes and labels; enabled text takes the
// theme's text colour, disabled text keeps the platform's disabled look. The
// seventh click returns every control to exactly the look it started with.
class Themes {
  public:
    // skip keeps its own colours (the result box).
    Themes(QWidget& root, QWidget* skip) : root_(root), skip_(skip) {}

    void next();
    int index() const { return index_; }

  private:
    struct Look {
        QPalette palette;
        bool autoFill = false;
        bool ownPalette = false;
    };
    void apply(const QColor& back, const QColor& text);
    void restore();

    QWidget& root_;
    QWidget* skip_;
    int index_ = 0;
    QHash<QWidget*, Look> startLook_; // each themed control as it was before the first theme
};

} // namespace vellora
