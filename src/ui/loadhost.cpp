// SPDX-License-Identifier: MIT
#include "ui/loadhost.h"

#include "ui/calculatorpage.h"
#include "ui/previewpage.h"
#include "ui/tabstrip.h"
#include "ui/texturedocument.h"

namespace vellora {

CoreState& PageLoadHost::core() {
    return document_.state();
}

RecalcGuard& PageLoadHost::guard() {
    return document_.guard();
}

void PageLoadHost::setSizeText(SizeBox box, const QString& text) {
    calculator_.setSizeText(box, text);
}

void PageLoadHost::setSizeEnabled(SizeBox box, bool enabled) {
    calculator_.setSizeEnabled(box, enabled);
}

void PageLoadHost::selectBaseFormat(Format format) {
    calculator_.selectBaseFormat(format);
}

void PageLoadHost::selectDetailFormat(Format format) {
    calculator_.selectDetailFormat(format);
}

bool PageLoadHost::detailEnabled() const {
    return calculator_.detailEnabled();
}

void PageLoadHost::setDetailEnabled(bool on) {
    calculator_.setDetailEnabled(on);
}

void PageLoadHost::setPreviewTabEnabled(bool enabled) {
    tabs_.button(3)->setEnabled(enabled);
}

void PageLoadHost::setSliderTileEnabled(bool enabled) {
    preview_.setTileBarEnabled(enabled);
}

void PageLoadHost::setSliderTileValue(int value) {
    preview_.setTileBarValue(value);
}

void PageLoadHost::setSliderZoomEnabled(bool enabled) {
    preview_.setZoomBarEnabled(enabled);
}

void PageLoadHost::recalculate() {
    calculator_.recount();
}

void PageLoadHost::drawPreview(float tilePos) {
    preview_.draw(tilePos);
}

void PageLoadHost::clearPreview() {
    preview_.clear();
}

} // namespace vellora
