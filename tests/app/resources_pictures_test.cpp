// The program's own pictures: icon 128 and the contacts picker's letter strip, bitmap 132.
#include "platform/gui/dc.h"
#include "platform/gui/winapp.h"
#include "res/Resources.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

TEST(ResourcePicturesTest, TheIconAndTheLetterStripAreThere) {
    RegisterResources();
    EXPECT_TRUE(LoadIcon(128));
    EXPECT_FALSE(LoadIcon(129)) << "no such picture";

    CBitmap strip;
    ASSERT_TRUE(strip.LoadBitmap(132));
    BITMAP size;
    strip.GetBitmap(&size);
    EXPECT_EQ(size.bmWidth, 241);
    EXPECT_EQ(size.bmHeight, 17);
    const QImage& image = *strip.Image();
    const auto black = [&](int x, int y) { return qGray(image.pixel(x, y)) < 128; };
    for (const int x : {25, 52, 79, 106, 133, 160, 186, 212})
        EXPECT_TRUE(black(x, 2) && black(x, 14)) << "a cell line at x " << x;
    EXPECT_FALSE(black(24, 2));
    EXPECT_FALSE(black(26, 2));
    for (const int x : {0, 100, 240})
        EXPECT_TRUE(black(x, 16)) << "the bottom line at x " << x;
    int inked = 0;
    for (int x = 27; x < 52; ++x)
        for (int y = 0; y < 16; ++y)
            inked += black(x, y);
    EXPECT_GT(inked, 10) << "a cell carries its letters";
}

} // namespace
