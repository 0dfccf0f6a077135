// SPDX-License-Identifier: MIT
#include "ui/themes.h"

#include "ui/widgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace vellora {

namespace {

// Enabled text only: the disabled group keeps the platform's greyed colour.
void SetEnabledText(QWidget* w, const QColor& colour) {
    QPalette p = w->palette();
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(g, QPalette::WindowText, colour);
        p.setColor(g, QPalette::ButtonText, colour);
    }
    w->setPalette(p);
}

enum class Part { None, Button, Box, Label, TransparentLabel };

Part PartOf(QWidget* w) {
    if (qobject_cast<QPushButton*>(w))
        return Part::Button;
    if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w) || qobject_cast<QGroupBox*>(w) ||
        w->property("themedFrame").toBool())
        return Part::Box;
    if (qobject_cast<QLabel*>(w))
        return w->property("transparentLabel").toBool() ? Part::TransparentLabel : Part::Label;
    return Part::None;
}

} // namespace

void Themes::next() {
    ++index_;
    const QPalette system = QApplication::palette();
    QColor back;
    QColor text = system.color(QPalette::WindowText);
    switch (index_) {
    case 1:
        back = QColor(56, 56, 128);
        text = Qt::white;
        break;
    case 2:
        back = QColor(192, 0, 38);
        break;
    case 3:
        back = QColor(64, 162, 64);
        break;
    case 4:
        back = QColor(255, 171, 64);
        break;
    case 5:
        back = QColor(128, 128, 128);
        break;
    case 6:
        back = QColor(32, 32, 32);
        break;
    default:
        index_ = 0;
        restore();
        return;
    }
    apply(back, text);
}

void Themes::apply(const QColor& back, const QColor& text) {
    QList<QWidget*> widgets = root_.findChildren<QWidget*>();
    widgets.prepend(&root_);
    for (QWidget* w : widgets) {
        const Part part = w == &root_ ? Part::Button : PartOf(w);
        if (w == skip_ || part == Part::None)
            continue;
        if (!startLook_.contains(w))
            startLook_.insert(
                w, Look{w->palette(), w->autoFillBackground(), w->testAttribute(Qt::WA_SetPalette)});
        switch (part) {
        case Part::Button:
            // The window itself paints the colour; a button only carries it.
            SetBack(w, back, w == &root_);
            break;
        case Part::Box:
        case Part::Label:
            SetBack(w, back);
            SetEnabledText(w, text);
            break;
        case Part::TransparentLabel:
            // Takes the colour but never paints it, so the fill bar still
            // shows through the percentage.
            SetBack(w, back, false);
            break;
        case Part::None:
            break;
        }
    }
}

void Themes::restore() {
    for (auto it = startLook_.cbegin(); it != startLook_.cend(); ++it) {
        QWidget* w = it.key();
        if (it->ownPalette)
            w->setPalette(it->palette);
        else
            w->setPalette(QPalette());
        w->setAutoFillBackground(it->autoFill);
    }
}

} // namespace vellora
