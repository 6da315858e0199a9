// Rendering icon images: decoded pixels against ImageMagick's rendering of the same fixture images,
// the drawing calls, unchanged blocks, the icons made, and blocks that cannot be decoded.

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "icon/cFileIcon.h"
#include "platform/DibBlocks.h"

namespace {

using mTestKit::Fixture;

cFileIcon Load(const std::string& name) {
    cFileIcon icon;
    icon.LoadIcon(Fixture("icons/" + name));
    return icon;
}

cFileIcon FromBytes(const mTestKit::cTempDir& dir, const std::vector<std::uint8_t>& ico) {
    mTestKit::WriteBytes(dir.File("t.ico"), ico);
    cFileIcon icon;
    icon.LoadIcon(dir.File("t.ico"));
    return icon;
}

// Every image of every fixture icon, at every depth, with masks, holes and alpha, and PNG images.
TEST(Render, PixelsMatchAnIndependentDecoder) {
    const std::pair<const char*, int> icons[] = {{"depth1", 1},  {"depth4", 2}, {"depth8", 2}, {"depth24", 2},
                                                 {"depth32", 2}, {"hole24", 1}, {"png256", 1}, {"multi", 3},
                                                 {"vista", 4},   {"six", 6}};
    int compared = 0;
    for (const auto& [name, count] : icons) {
        cFileIcon icon = Load(std::string(name) + ".ico");
        ASSERT_EQ(icon.ImageCount(), count) << name;
        for (int i = 1; i <= count; ++i) {
            SCOPED_TRACE(std::string(name) + " image " + std::to_string(i));
            const auto png =
                mTestKit::ReadBytes(Fixture("renders/" + std::string(name) + "-" + std::to_string(i - 1) + ".png"));
            const mDib::cBitmap expected = mDib::DecodePng(cByteView(png));
            ASSERT_FALSE(expected.Empty());
            const auto before = std::vector<std::uint8_t>(icon.Block(i).begin(), icon.Block(i).end());
            const mDib::cIconHandle handle = icon.IconHandle(i);
            ASSERT_TRUE(handle);
            EXPECT_TRUE(std::equal(before.begin(), before.end(), icon.Block(i).begin(), icon.Block(i).end()));
            const mDib::cBitmap got = handle->Argb();
            ASSERT_EQ(got.Width(), expected.Width());
            ASSERT_EQ(got.Height(), expected.Height());
            int bad = 0;
            for (int y = 0; y < got.Height(); ++y)
                for (int x = 0; x < got.Width(); ++x) {
                    const std::uint32_t g = got.Pixel(x, y), e = expected.Pixel(x, y);
                    // Fully transparent pixels may carry any colour.
                    if ((g >> 24) == 0 && (e >> 24) == 0) continue;
                    if (g != e && ++bad <= 3)
                        ADD_FAILURE() << "pixel " << x << "," << y << std::hex << ": " << g << " vs " << e;
                }
            EXPECT_EQ(bad, 0);
            ++compared;
        }
    }
    EXPECT_EQ(compared, 24);
}

// The image's own header gives the size when the directory disagrees (0 meaning 256 included).
TEST(Render, RealSizeFromTheImageHeader) {
    mTestKit::cTempDir dir;
    tDib::cSpec s;
    s.width = 24;
    s.height = 20;
    s.bits = 24;
    auto block = tDib::Make(s, [](int x, int) { return x == 23 ? 0x00FF00u : 0x0000FFu; });
    cFileIcon icon = FromBytes(dir, tDib::Ico({{block, 16, 0, 0, 24}}));
    ASSERT_EQ(icon.ImageHeight(1), 256); // the directory's claim
    auto handle = icon.IconHandle(1);
    ASSERT_TRUE(handle);
    EXPECT_EQ(handle->Width(), 24);
    EXPECT_EQ(handle->Height(), 20);
    EXPECT_EQ(handle->Argb().Pixel(23, 19), 0xFF00FF00u);

    cFileIcon png = Load("png256.ico");
    EXPECT_EQ(png.Entry(1).bWidth, 0);
    EXPECT_EQ(png.IconHandle(1)->Width(), 256);
}

TEST(Render, IconIsAnIconWithHotspotAtTheOrigin) {
    cFileIcon icon = Load("depth4.ico");
    const mDib::cSurface dc(mDib::eFormat::Argb32, 1, 1);
    auto handle = icon.IconHandle(dc, 1);
    ASSERT_TRUE(handle);
    EXPECT_TRUE(handle->fIcon);
    EXPECT_EQ(handle->xHotspot, 0u);
    EXPECT_EQ(handle->yHotspot, 0u);
    auto picture = icon.IconPicture(dc, 2);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture.Type(), mDib::cPicture::kPicTypeIcon);
    EXPECT_EQ(picture.Width(), 16);
    // A monochrome device gets a monochrome colour bitmap.
    auto mono = icon.IconHandle(mDib::cSurface(mDib::eFormat::Mono, 1, 1), 1);
    ASSERT_TRUE(mono);
    EXPECT_EQ(mono->colour.Format(), mDib::eFormat::Mono);
}

TEST(Render, DrawIconImageBitBltOrStretchBlt) {
    cFileIcon icon = Load("depth24.ico"); // image 1 is 32 x 32
    struct cCase {
        const char* name;
        std::int32_t part, w, h;
        std::int32_t drawnW, drawnH;
    };
    const cCase cases[] = {
        {"own size", 0, 0, 0, 32, 32},
        {"width 64, height 0", 0, 64, 0, 64, 32},
        {"width 0, height 40", 0, 0, 40, 32, 40},
        {"10 x 12", 0, 10, 12, 10, 12},
        {"mask, own size", 1, 0, 0, 32, 32},
    };
    const std::vector<std::uint8_t> before(icon.Block(1).begin(), icon.Block(1).end());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // WHITENESS-free check: draw onto a surface of a colour no image pixel has, then measure
        // the drawn rectangle.
        mDib::cSurface dc(mDib::eFormat::Argb32, 80, 80);
        dc.Bitmap().Fill(0x01020304);
        icon.DrawIconImage(dc, 1, c.part, 3, 4, c.w, c.h, mDib::kSrcCopy);
        std::int32_t right = 0, bottom = 0, left = 80, top = 80;
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 80; ++x)
                if (dc.Bitmap().Pixel(x, y) != 0x01020304) {
                    left = std::min(left, x);
                    top = std::min(top, y);
                    right = std::max(right, x + 1);
                    bottom = std::max(bottom, y + 1);
                }
        EXPECT_EQ(left, 3);
        EXPECT_EQ(top, 4);
        EXPECT_EQ(right - left, c.drawnW);
        EXPECT_EQ(bottom - top, c.drawnH);
        EXPECT_TRUE(std::equal(before.begin(), before.end(), icon.Block(1).begin(), icon.Block(1).end()));
    }
    // The raster operation is applied: SRCINVERT twice restores the surface.
    mDib::cSurface dc(mDib::eFormat::Argb32, 32, 32);
    dc.Bitmap().Fill(0xFF123456);
    icon.DrawIconImage(dc, 1, 0, 0, 0, 0, 0, mDib::kSrcInvert);
    EXPECT_NE(dc.Bitmap().Pixel(5, 5), 0xFF123456u);
    icon.DrawIconImage(dc, 1, 0, 0, 0, 0, 0, mDib::kSrcInvert);
    EXPECT_EQ(dc.Bitmap().Pixel(5, 5), 0xFF123456u);
}

// Undecodable blocks give no icon and no picture (the callers' 481 path); a bad number raises 9.
// ImageArgb makes without the icon's copies what the icon draws onto transparency, for DIB and
// PNG images, with alpha, with masks, and a PNG whose alpha is 0 everywhere (its mask hides it).
TEST(Render, ImageArgbIsTheIconDrawnOnTransparency) {
    mTestKit::cTempDir dir;
    mDib::cBitmap clear(mDib::eFormat::Argb32, 8, 8);
    clear.Fill(0x00FF8040);
    const std::vector<std::uint8_t> clearPng = mDib::EncodePng(clear);
    const cFileIcon hidden = FromBytes(dir, tDib::Ico({{clearPng, 8, 8, 0, 32}}));
    ASSERT_EQ(hidden.ImageCount(), 1);
    std::vector<const cFileIcon*> icons{&hidden};
    std::vector<cFileIcon> fixtures;
    for (const char* name : {"depth1", "depth4", "depth8", "depth24", "depth32", "hole24", "png256", "vista", "six"})
        fixtures.push_back(Load(std::string(name) + ".ico"));
    for (const cFileIcon& icon : fixtures) icons.push_back(&icon);
    int compared = 0;
    for (const cFileIcon* icon : icons) {
        for (std::int32_t n = 1; n <= icon->ImageCount(); ++n) {
            SCOPED_TRACE(icon->Filename() + " image " + std::to_string(n));
            const mDib::cIconHandle handle = icon->IconHandle(n);
            ASSERT_TRUE(handle);
            EXPECT_EQ(icon->ImageArgb(n), handle->Argb());
            ++compared;
        }
    }
    EXPECT_EQ(compared, 22);
    const mDib::cBitmap nothing = hidden.ImageArgb(1);
    ASSERT_EQ(nothing.Width(), 8);
    for (const std::uint32_t v : nothing.Pixels()) ASSERT_EQ(v, 0u);
}

TEST(Render, UndecodableBlocksGiveNothing) {
    mTestKit::cTempDir dir;
    tDib::cSpec s;
    s.width = s.height = 16;
    s.bits = 8;
    auto good = tDib::Make(s, [](int, int) { return 1u; });
    auto shortBlock = good;
    shortBlock.resize(1064 + 100);
    auto lying = good;
    tDib::Put32(lying, 4, 4000); // biWidth far beyond the bits
    std::vector<std::uint8_t> garbagePng = {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 13, 'I',  'H',  'D',  'R', 0,
                                            0,    1,   0,   0,   0,  1,  0,  8,  6, 0, 0, 0,  0xDE, 0xAD, 0xBE, 0xEF};
    garbagePng.resize(200, 0x55);
    cFileIcon icon = FromBytes(
        dir, tDib::Ico(
                 {{good, 16, 16, 0, 8}, {shortBlock, 16, 16, 0, 8}, {lying, 16, 16, 0, 8}, {garbagePng, 0, 0, 0, 32}}));
    ASSERT_EQ(icon.ImageCount(), 4);
    EXPECT_TRUE(icon.IconHandle(1));
    for (int i = 2; i <= 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(icon.IconHandle(i));
        EXPECT_FALSE(icon.IconPicture(i));
        EXPECT_TRUE(icon.ImageArgb(i).Empty());
        mDib::cSurface dc(mDib::eFormat::Argb32, 8, 8);
        icon.DrawIconImage(dc, i, 0, 0, 0, 0, 0, mDib::kSrcCopy);
        EXPECT_EQ(dc.Bitmap().Pixel(0, 0), 0u);
    }
    EXPECT_FALSE(cFileIcon::PictureFromHandle(mDib::cIconHandle()));
    for (int n : {0, 5, -1}) {
        try {
            icon.IconHandle(n);
            ADD_FAILURE() << n;
        } catch (const cError& e) {
            EXPECT_EQ(e.Number(), cError::kSubscriptOutOfRange);
        }
    }
}

} // namespace
