// SPDX-License-Identifier: MIT
#pragma once

#include "ui/form.h"
#include "ui/recalcguard.h"

#include <QString>

class QWidget;

namespace vellora {

// The four size boxes the bitmap load writes into.
enum class SizeBox { Width, Height, DetailWidth, DetailHeight };

// What the "Load Settings from bmp" sequence needs from the main window.
// Every setter behaves like the user changing the control: it raises the
// control's own change or click behaviour, which recalculates or redraws
// unless the recalculation guard is set.
class LoadHost {
  public:
    virtual ~LoadHost() = default;

    // The level table and the picture flags.
    virtual CoreState& core() = 0;

    // The window-wide re-entrancy guard; the load holds it throughout.
    virtual RecalcGuard& guard() = 0;

    // The main window, owner of the load's file dialogs.
    virtual QWidget* dialogOwner() = 0;

    // Writes a size box; its Change rule runs at once.
    virtual void setSizeText(SizeBox box, const QString& text) = 0;
    virtual void setSizeEnabled(SizeBox box, bool enabled) = 0;

    // Selects the base format's option and runs its Click.
    virtual void selectBaseFormat(Format format) = 0;
    // The same for the detail map's format.
    virtual void selectDetailFormat(Format format) = 0;

    // chkDetailEnabled. Setting it runs the detail-map toggle, which may
    // clear the recalculation guard on its way out.
    virtual bool detailEnabled() const = 0;
    virtual void setDetailEnabled(bool on) = 0;

    // TabButtons(3), "&Preview".
    virtual void setPreviewTabEnabled(bool enabled) = 0;
    virtual void setSliderTileEnabled(bool enabled) = 0;
    virtual void setSliderTileValue(int value) = 0; // raises its Change
    virtual void setSliderZoomEnabled(bool enabled) = 0;

    // CalcTMEM(False).
    virtual void recalculate() = 0;
    // Drawbmp at a position in the pyramid.
    virtual void drawPreview(float tilePos) = 0;
    // Wipes the preview picture (a load that lost its base has nothing to show).
    virtual void clearPreview() = 0;
};

class CalculatorPage;
class PreviewPage;
class TabStrip;
class TextureDocument;

// The window's pages as the load drives them: the document's pictures and
// guard, the calculator's boxes, the preview's bars and tab.
class PageLoadHost : public LoadHost {
  public:
    PageLoadHost(QWidget& owner, TextureDocument& document, CalculatorPage& calculator, PreviewPage& preview,
                 TabStrip& tabs)
        : owner_(owner), document_(document), calculator_(calculator), preview_(preview), tabs_(tabs) {}

    CoreState& core() override;
    RecalcGuard& guard() override;
    QWidget* dialogOwner() override { return &owner_; }
    void setSizeText(SizeBox box, const QString& text) override;
    void setSizeEnabled(SizeBox box, bool enabled) override;
    void selectBaseFormat(Format format) override;
    void selectDetailFormat(Format format) override;
    bool detailEnabled() const override;
    void setDetailEnabled(bool on) override;
    void setPreviewTabEnabled(bool enabled) override;
    void setSliderTileEnabled(bool enabled) override;
    void setSliderTileValue(int value) override;
    void setSliderZoomEnabled(bool enabled) override;
    void recalculate() override;
    void drawPreview(float tilePos) override;
    void clearPreview() override;

  private:
    QWidget& owner_;
    TextureDocument& document_;
    CalculatorPage& calculator_;
    PreviewPage& preview_;
    TabStrip& tabs_;
};

} // namespace vellora
