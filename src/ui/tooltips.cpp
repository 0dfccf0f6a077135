// SPDX-License-Identifier: MIT
#include "ui/tooltips.h"

#include <QString>
#include <QWidget>

#include <string_view>

namespace vellora {

namespace {

struct Tip {
    const char* name;
    const char* text;
};

// One place for the window's tips, by control name.
constexpr Tip kTips[] = {
    {"TabButtons(0)", "The calculator: sizes, format, levels and the bytes they take (Ctrl+1)"},
    {"TabButtons(3)", "The levels as the preview draws them (Ctrl+2)"},
    {"TabButtons(2)", "Where every byte lands in TMEM (Ctrl+3)"},
    {"TabButtons(1)", "About Vellora and its keys (Ctrl+4)"},
    {"TabButtons(4)", "The texture as the RDP holds it: tiles, loads and the display list (Ctrl+5)"},
    {"ChkBitDepth(0)", "CI 4-bit: 16 colours, the palette in the upper half of TMEM"},
    {"ChkBitDepth(1)", "4-bit intensity (I4) or intensity with alpha (IA4)"},
    {"ChkBitDepth(2)", "CI 8-bit: 256 colours, the palette in the upper half of TMEM"},
    {"ChkBitDepth(3)", "8-bit intensity (I8) or intensity with alpha (IA8)"},
    {"ChkBitDepth(4)", "16-bit colour (RGBA16) or intensity with alpha (IA16)"},
    {"ChkBitDepth(5)", "32-bit colour (RGBA32): each texel split over both halves of TMEM"},
    {"optDBit(0)", "The detail map in CI 4-bit (only beside a CI base)"},
    {"optDBit(1)", "The detail map in 4-bit intensity"},
    {"optDBit(2)", "The detail map in CI 8-bit (only beside a CI base)"},
    {"optDBit(3)", "The detail map in 8-bit intensity"},
    {"optDBit(4)", "The detail map in 16-bit colour"},
    {"optDBit(5)", "The detail map in 32-bit colour"},
    {"txtWidth", "The base texture's width in texels (F1: which widths load well)"},
    {"txtHeight", "The base texture's height in texels (F1: which heights load well)"},
    {"cmdWidthHelp", "Which widths load well"},
    {"cmdHeightHelp", "Which heights load well"},
    {"txtMaskW", "Mask S: log2 of the texels after which the texture repeats across"},
    {"txtMaskH", "Mask T: log2 of the texels after which the texture repeats down"},
    {"txtWrapW", "The width, in texels, at which the texture repeats"},
    {"txtWrapH", "The height, in texels, at which the texture repeats"},
    {"txtLevels", "The last level counted (0 is the base alone)"},
    {"chkLevels", "Count as many levels as the stop rule below allows"},
    {"ChklevelsH", "Halve the levels until one is a single texel high"},
    {"ChklevelsW", "Stop at the level whose row is one 64-bit word"},
    {"ManMipMap", "Type each level's size yourself"},
    {"chkDetailEnabled", "Count a detail map: level 0, drawn over close-up texels"},
    {"txtDWidth", "The detail map's width in texels"},
    {"txtDHeight", "The detail map's height in texels"},
    {"cmdBrowse", "The guided load: a detail map, the base picture and its levels, with questions"},
    {"btnExit", "Quit Vellora"},
    {"chkUse2x2", "Generate the levels with a 2x2 box filter instead of the weighted 3x3 one"},
    {"sliderTile", "The level drawn: whole numbers are levels, between them a blend of two"},
    {"sliderZoom", "Magnification (the mouse wheel over the picture zooms too)"},
    {"IconZoom", "Magnification: the bar below, or the mouse wheel over the picture"},
    {"txtLODFrac", "The level fraction the detail map is clamped to, 0 to 0.99"},
    {"txtShift", "The detail map's coordinate shift, 0 to 5"},
    {"cboBaseKind", "The exact format the base is stored in; a row's kinds count alike"},
    {"cboDetailKind", "The exact format the detail map is stored in"},
    {"cboWrapS", "Across (S): wrap, mirror or clamp at the edge"},
    {"cboWrapT", "Down (T): wrap, mirror or clamp at the edge"},
    {"cboPalette", "The CI4 palette the tiles read: its 16 colours load at 0x800 + 128 \u00D7 palette. CI8 "
                   "reads all 256 entries"},
    {"txtTexture1Size", "Texture 1's size in texels, WxH: typed, or the loaded picture's"},
    {"cboTexture1Kind", "The exact format texture 1 is stored in"},
    {"chkTexture1Levels", "Give texture 1 its mip-map levels, as many as fit its size"},
    {"cboTexture1Palette",
     "Texture 1's CI4 palette: the same number as texture 0's shares texture 0's colours"},
    {"cmdTexture1Load", "Load a BMP or PNG picture as texture 1"},
    {"cboTexture1WrapS", "Texture 1 across (S): wrap, mirror or clamp at the edge"},
    {"cboTexture1WrapT", "Texture 1 down (T): wrap, mirror or clamp at the edge"},
    {"txtTexture1Word",
     "Where texture 1 starts in TMEM, a 64-bit word from 0 to 511; empty: right after texture 0"},
    {"tblTiles", "One row per level: its tile, kind, place in TMEM and load; a row's tip gives its "
                 "command words"},
    {"cmdCopyDisplayList", "Copy the commands that load and set up this texture (Ctrl+Shift+C)"},
    {"cmdCopyWords", "Copy the same commands as 64-bit words"},
    {"cmdExportTexture", "Write the texels as the game loads them: .bin, .c, .h or .png"},
    {"chkBaseOnly", "Export the base level alone"},
    {"chkPiecesOverlap", "Each piece also loads the row and column the next one starts with, so the "
                         "bilinear filter finds its neighbour at the seam"},
    {"tblPieces", "One row per piece: the texels it loads, the pixels it draws, its TMEM line and the "
                  "bytes its load moves; a row's tip gives its LoadTile and TextureRectangle words"},
    {"cmdCopyPieces", "Copy the display list that loads and draws the whole picture piece by piece"},
    {"Picture2", "Vellora"},
};

} // namespace

void ExplainControls(QWidget& window) {
    for (const Tip& tip : kTips) {
        QWidget* control = window.findChild<QWidget*>(QString::fromLatin1(tip.name));
        if (control && control->toolTip().isEmpty())
            control->setToolTip(QString::fromUtf8(tip.text));
    }
}

} // namespace vellora
