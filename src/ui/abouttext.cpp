// SPDX-License-Identifier: MIT
#include "ui/aboutpage.h"

#include <QStringList>

namespace vellora {

QString AboutText() {
    // Kept line by line: the worked examples must read exactly as the
    // calculator reproduces them, trailing blanks included.
    static const char* const lines[] = {
        "New in Version 2:  Use real bitmaps and sort out levels from there.",
        "Load Settings from bmp takes the size and format from a base bitmap and can load every level.",
        "Detail mapping: tick Detail Enabled to count a detail map in front of the base texture.",
        "The Preview page draws the texture repeated, zoomed and blended between its levels.",
        "",
        "Manual entries:",
        "Choose the format of the texture first.",
        "This example ",
        "will use 4Bit IA.",
        "Then type the width and height of the base texture.",
        "This example will use 64x64",
        "Leaving everything else alone shows us that a 64x64 texture with 6 Levels ",
        "(Base + 5 Mip-Maps) will use a total of 2,800 Bytes. The Bar is Blue, so all is ",
        "good.",
        "If we wanted to use an 8Bit IA we would see that bar change to Red and a ",
        "message show up showing how over TMEM we are. In this case, 1,392 Bytes.",
        "We can also set when to stop the Mip-Map Pyramid. Returning to 4Bit IA and ",
        "setting to stop at Width=64bit we can see that the number of levels are ",
        "reduced to 3 and we save 112Bytes. ",
        "",
        "Errors:",
        "Setting an odd width will cause the width to turn red. The calculator will then ",
        "pad to alignment and continue.",
        "In this case 47 is padded to 48.",
        "Setting an Out Of Range number in either width or height will turn them red.",
        "",
        "Notes:",
        "Mask and wrap are the values to give the tile of the base texture.",
        "A texture repeats cleanly when its width and height equal their wrap, that is,",
        "when both are powers of two.",
        "----------------------------------------------------------------",
        "ADVANCED:",
        "Custom Levels:",
        "Untick Auto-Calculate Levels and type the last level wanted in the level box.",
        "Eg, Entering 8 will show a message stating there is not enough texture space ",
        "to do 8 and will be automatically set to the highest number, this case being 6.",
        "",
        "Custom Level Sizes:",
        "Manually Define Mip-Map Tiles asks the width and height of every level.",
        "This example I set 2 Levels (Base and +1) leaving the base at 64x64 and set ",
        "the width and height of the +1 to 16.",
        "(64x64x4)/8 = 2048",
        "(16x16x4)/8 = 128",
        "2048 + 128 = 2176 as shown",
    };
    QStringList all;
    for (const char* line : lines)
        all << QString::fromLatin1(line);
    return all.join(QStringLiteral("\r\n"));
}

} // namespace vellora
