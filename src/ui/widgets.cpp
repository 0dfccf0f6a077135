// SPDX-License-Identifier: MIT
#include "ui/widgets.h"

#include "ui/twips.h"

#include "hardware/layout.h"

#include <QApplication>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QStyleOptionButton>

namespace vellora {

void WrapButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QStyleOptionButton opt;
    initStyleOption(&opt);
    const QString caption = opt.text;
    opt.text.clear();
    style()->drawControl(QStyle::CE_PushButton, &opt, &p, this);
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    style()->drawItemText(&p, rect().adjusted(4, 2, -4, -2),
                          Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic, palette(), isEnabled(),
                          caption);
}

// A borderless frame that groups controls; it follows the colour themes.
QFrame* PlainFrame(QWidget* parent, const char* name, const QRect& r) {
    auto* f = new QFrame(parent);
    f->setObjectName(QString::fromLatin1(name));
    f->setFrameShape(QFrame::NoFrame);
    f->setGeometry(r);
    f->setProperty("themedFrame", true);
    return f;
}

QGroupBox* Group(QWidget* parent, const char* name, const QString& caption, const QRect& r) {
    auto* g = new QGroupBox(caption, parent);
    g->setObjectName(QString::fromLatin1(name));
    g->setGeometry(r);
    return g;
}

QLabel* Label(QWidget* parent, const char* name, const QString& text, int left, int top, int width,
              int height, Qt::Alignment align) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setAlignment(align);
    if (width < 0) {
        l->move(twips(left), twips(top));
        l->adjustSize();
    } else {
        l->setGeometry(twipsRect(left, top, width, height));
        FitWidth(l);
    }
    return l;
}

// A right-aligned label that sizes itself keeps its right edge where a
// Tahoma caption would have ended.
QLabel* RightLabel(QWidget* parent, const char* name, const QString& text, int left, int top) {
    auto* l = Label(parent, name, text, left, top);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

QLineEdit* TextBox(QWidget* parent, const char* name, const QString& text, const QRect& r) {
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setGeometry(r);
    e->setAlignment(Qt::AlignLeft);
    e->setTextMargins(0, 0, 0, 0);
    return e;
}

QString Indexed(const char* name, int index) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

QColor PaintColour(Paint paint) {
    const QPalette pal = QApplication::palette();
    switch (paint) {
    case Paint::Window:
        return pal.color(QPalette::Base);
    case Paint::ButtonFace:
        return pal.color(QPalette::Button);
    case Paint::Highlight:
        return pal.color(QPalette::Highlight);
    default:
        break;
    }
    const Rgb c = FixedPaintRgb(paint);
    return QColor(c.r, c.g, c.b);
}

void SetBoxBack(QLineEdit* box, const QColor& colour) {
    QPalette p = box->palette();
    if (p.color(QPalette::Base) == colour && p.isBrushSet(QPalette::Active, QPalette::Base))
        return;
    p.setColor(QPalette::Base, colour);
    box->setPalette(p);
}

void SetBack(QWidget* w, const QColor& colour, bool fill) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    p.setColor(QPalette::Button, colour);
    w->setPalette(p);
    w->setAutoFillBackground(fill);
}

void SetText(QWidget* w, const QColor& colour) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, colour);
    p.setColor(QPalette::ButtonText, colour);
    w->setPalette(p);
}

// Text boxes, scroll bars and picture boxes keep their own colours when a
// theme recolours the window: every role is set on them explicitly so none is
// inherited from the window.
void PinPalette(QWidget* w) {
    QPalette p = QApplication::palette();
    for (int g = 0; g < QPalette::NColorGroups; ++g) {
        const auto group = static_cast<QPalette::ColorGroup>(g);
        for (int r = 0; r < QPalette::NColorRoles; ++r) {
            const auto role = static_cast<QPalette::ColorRole>(r);
            if (role == QPalette::NoRole)
                continue;
            p.setBrush(group, role, p.brush(group, role));
        }
    }
    w->setPalette(p);
}

QString FromCaption(const std::string& caption) {
    // Captions join lines with CR LF; a label breaks lines on LF alone.
    return QString::fromStdString(caption).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QComboBox* WrapChoice(QWidget* parent, const char* name) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    for (hw::AxisMode m : {hw::AxisMode::Wrap, hw::AxisMode::Mirror, hw::AxisMode::Clamp}) {
        const std::string_view text = hw::AxisModeName(m);
        box->addItem(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())),
                     static_cast<int>(m));
    }
    return box;
}

QComboBox* PaletteChoice(QWidget* parent, const char* name) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    for (int p = 0; p < hw::kPalettes; ++p)
        box->addItem(QString::number(p), p);
    return box;
}

} // namespace vellora
