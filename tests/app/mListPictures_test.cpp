// The list pictures without a window: fitting an image into the square, the choice of device
// pixels, and a retrieval's pictures made once per distinct image.

#include <gtest/gtest.h>

#include "app/mListPictures.h"
#include "common/mTestKit.h"
#include "icon/cFileIcon.h"
#include "platform/DibBlocks.h"

namespace {

using mTestKit::Fixture;

cFileIcon Load(const std::string& path) {
    cFileIcon icon;
    icon.LoadIcon(path);
    return icon;
}

TEST(ListPictures, DevicePixelsRoundAndStayInBounds) {
    const struct {
        std::int32_t logical;
        double ratio;
        std::int32_t pixels;
    } cases[] = {{32, 1.0, 32},  {16, 1.0, 16}, {32, 2.0, 64},  {32, 1.25, 40},  {16, 1.5, 24},
                 {16, 1.75, 28}, {32, 0.0, 32}, {32, -2.0, 32}, {32, 1e9, 1024}, {1, 0.1, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.logical) + " at " + std::to_string(c.ratio));
        EXPECT_EQ(mListPictures::DevicePixels(c.logical, c.ratio), c.pixels);
    }
}

TEST(ListPictures, FitKeepsTheAspectAndCentres) {
    mDib::cBitmap wide(mDib::eFormat::Argb32, 8, 4);
    wide.Fill(0xFF102030);
    const mDib::cBitmap fitted = mListPictures::Fit(wide, 4);
    ASSERT_EQ(fitted.Width(), 4);
    ASSERT_EQ(fitted.Height(), 4);
    for (std::int32_t y = 0; y < 4; ++y) {
        SCOPED_TRACE(y);
        // Two rows of picture in the middle, transparent above and below.
        const std::uint32_t expected = y == 1 || y == 2 ? 0xFF102030u : 0u;
        for (std::int32_t x = 0; x < 4; ++x) EXPECT_EQ(fitted.Pixel(x, y), expected);
    }
    // A square of the size asked is taken as it is; a smaller one grows.
    mDib::cBitmap square(mDib::eFormat::Argb32, 4, 4);
    square.SetPixel(0, 0, 0xFFFFFFFF);
    EXPECT_EQ(mListPictures::Fit(square, 4), square);
    EXPECT_EQ(mListPictures::Fit(square, 8).Width(), 8);
    EXPECT_TRUE(mListPictures::Fit(mDib::cBitmap(), 4).Empty());
}

TEST(ListPictures, AnImageRecurringInAnotherGroupIsDrawnOnce) {
    // Two groups with the same images (as modules repeat them), one with others.
    const cFileIcon a = Load(Fixture("icons/vista.ico")), b = Load(Fixture("icons/vista.ico"));
    const cFileIcon c = Load(Fixture("icons/colours.ico"));
    mListPictures::cMaker maker;
    const mDib::cBitmap first = maker.Picture(a, 4, 32); // the 256-pixel PNG image
    EXPECT_EQ(first, mListPictures::Fit(a.ImageArgb(4), 32));
    EXPECT_EQ(maker.Picture(b, 4, 32), first);
    EXPECT_EQ(maker.Drawn(), 1u);
    EXPECT_EQ(maker.Reused(), 1u);
    // Another size is a picture of its own; another image too.
    EXPECT_EQ(maker.Picture(b, 4, 16).Width(), 16);
    EXPECT_EQ(maker.Picture(c, 2, 32), mListPictures::Fit(c.ImageArgb(2), 32));
    EXPECT_EQ(maker.Drawn(), 3u);
}

TEST(ListPictures, AnImageThatCannotBeDrawnIsAnInvalidPicture) {
    mTestKit::cTempDir dir;
    mTestKit::WriteBytes(dir.File("bad.ico"), tDib::Ico({{std::vector<std::uint8_t>(40, 0), 32, 32, 0, 32}}));
    const cFileIcon bad = Load(dir.File("bad.ico"));
    ASSERT_EQ(bad.ImageCount(), 1);
    mListPictures::cMaker maker;
    for (const std::int32_t n : {1, 0}) {
        SCOPED_TRACE(n);
        try {
            maker.Picture(bad, n, 32);
            ADD_FAILURE() << "no error";
        } catch (const cError& e) {
            EXPECT_EQ(e.Number(), cError::kInvalidPicture);
        }
    }
}

} // namespace
