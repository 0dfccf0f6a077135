// SPDX-License-Identifier: MIT
#pragma once

#include "ui/form.h"

#include <QColor>
#include <QComboBox>
#include <QPushButton>
#include <QRect>
#include <QString>

#include <string>

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace vellora {

// The small factories every page builds its controls with. Each control
// carries its design name as its Qt object name; geometry is in twips.

// A command button whose caption wraps onto several lines, as the tall
// "Manually Define Mip-Map Tiles" button needs.
class WrapButton : public QPushButton {
  public:
    using QPushButton::QPushButton;

  protected:
    void paintEvent(QPaintEvent*) override;
};

// Choices whose items carry their value as data: wrap, mirror and clamp
// (hw::AxisMode), and the sixteen CI4 palettes.
QComboBox* WrapChoice(QWidget* parent, const char* name);
QComboBox* PaletteChoice(QWidget* parent, const char* name);

// A borderless frame that groups controls; it follows the colour themes.
QFrame* PlainFrame(QWidget* parent, const char* name, const QRect& r);
QGroupBox* Group(QWidget* parent, const char* name, const QString& caption, const QRect& r);

// Captions sized for Tahoma may need more room in a fallback font: grow the
// width, never shrink it, so nothing is clipped.
template <class W> void FitWidth(W* w) {
    const int hint = w->sizeHint().width();
    if (hint > w->width())
        w->resize(hint, w->height());
}

QLabel* Label(QWidget* parent, const char* name, const QString& text, int left, int top, int width = -1,
              int height = -1, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter);
// A right-aligned label that sizes itself keeps its right edge where a
// Tahoma caption would have ended.
QLabel* RightLabel(QWidget* parent, const char* name, const QString& text, int left, int top);
QLineEdit* TextBox(QWidget* parent, const char* name, const QString& text, const QRect& r);

template <class B> B* Button(QWidget* parent, const char* name, const QString& caption, const QRect& r) {
    auto* b = new B(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(r);
    return b;
}

// "name(index)", the object name of a member of a control array.
QString Indexed(const char* name, int index);

// The colour a paint of the count stands for, system colours from the palette.
QColor PaintColour(Paint paint);
void SetBoxBack(QLineEdit* box, const QColor& colour);
void SetBack(QWidget* w, const QColor& colour, bool fill = true);
void SetText(QWidget* w, const QColor& colour);
// Text boxes, scroll bars and picture boxes keep their own colours when a
// theme recolours the window: every role is set on them explicitly so none is
// inherited from the window.
void PinPalette(QWidget* w);
// Captions join lines with CR LF; a label breaks lines on LF alone.
QString FromCaption(const std::string& caption);

} // namespace vellora
