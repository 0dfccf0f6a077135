// SPDX-License-Identifier: MIT
// What a loaded picture writes into the window's size boxes: its size after
// each box's rule, and a message when the boxes count less than the picture.
#include "ui/form.h"

#include "namedrows.h"

#include <gtest/gtest.h>

namespace vellora {
namespace {

using test::PrintTo;

struct BoxesRow {
    const char* name;
    int width, height;
    bool detail;
    const char* widthText;
    const char* heightText;
    const char* counted; // the size the window counts, when less than the picture; "" otherwise
};

class Boxes : public ::testing::TestWithParam<BoxesRow> {};

TEST_P(Boxes, TakeThePictureSizeWithinTheirRules) {
    const BoxesRow& row = GetParam();
    TileLevel picture;
    picture.Width = row.width;
    picture.Height = row.height;
    const FileBoxes boxes = BoxesFor(picture, row.detail);
    EXPECT_EQ(boxes.width, row.widthText);
    EXPECT_EQ(boxes.height, row.heightText);
    ASSERT_EQ(boxes.cutMessage.has_value(), *row.counted != 0);
    if (boxes.cutMessage) {
        const std::string own = std::to_string(row.width) + " x " + std::to_string(row.height) + " pixels";
        EXPECT_NE(boxes.cutMessage->find(own), std::string::npos) << *boxes.cutMessage;
        EXPECT_NE(boxes.cutMessage->find(std::string("counted as ") + row.counted), std::string::npos)
            << *boxes.cutMessage;
        EXPECT_EQ(boxes.cutMessage->rfind(row.detail ? "The detail map" : "The picture", 0), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Form, Boxes,
    ::testing::Values(BoxesRow{"SmallBase", 16, 8, false, "16", "8", ""},
                      BoxesRow{"Base640x480", 640, 480, false, "640", "256", "640 x 256"},
                      BoxesRow{"BaseTooWide", 1100, 300, false, "1024", "256", "1024 x 256"},
                      BoxesRow{"BaseAtTheBoxLimit", 1024, 256, false, "1024", "256", ""},
                      BoxesRow{"DetailWiderThanItsBox", 1100, 20, true, "1024", "20", "1024 x 20"}),
    test::RowName());

} // namespace
} // namespace vellora
