// Raster operations, stretching, and icon composition as CreateIconIndirect and DrawIconEx do it.

#include <gtest/gtest.h>

#include "platform/mDib.h"

namespace {

using namespace mDib;

cSurface Solid(eFormat f, std::int32_t w, std::int32_t h, std::uint32_t v) {
    cSurface s(f, w, h);
    s.Bitmap().Fill(v);
    return s;
}

TEST(DibRaster, RasterOperations) {
    const std::uint32_t src = 0x00F0A05A, dst = 0x00CC33AA;
    struct cCase {
        const char* name;
        std::uint32_t rop, expected;
    };
    const cCase cases[] = {
        {"SRCCOPY", kSrcCopy, src},
        {"SRCAND", kSrcAnd, src & dst},
        {"SRCPAINT", kSrcPaint, src | dst},
        {"SRCINVERT", kSrcInvert, src ^ dst},
        {"NOTSRCCOPY", kNotSrcCopy, ~src},
        {"SRCERASE", kSrcErase, src & ~dst},
        {"MERGEPAINT", kMergePaint, ~src | dst},
        {"DSTINVERT", kDstInvert, ~dst},
        {"BLACKNESS", kBlackness, 0},
        {"WHITENESS", kWhiteness, 0xFFFFFFFF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cSurface d = Solid(eFormat::Argb32, 2, 2, dst);
        cSurface s = Solid(eFormat::Argb32, 2, 2, src);
        ASSERT_TRUE(BitBlt(d, 0, 0, 2, 2, s, 0, 0, c.rop));
        EXPECT_EQ(d.Bitmap().Pixel(1, 1), c.expected);
    }
}

TEST(DibRaster, MonochromeMeetsColour) {
    // Mono to colour: 0 takes the destination's text colour, 1 its background colour.
    cSurface mono(eFormat::Mono, 2, 1);
    mono.Bitmap().SetPixel(1, 0, kWhite);
    cSurface colour = Solid(eFormat::Argb32, 2, 1, 0x00123456);
    colour.textColour = 0x00FF0000;
    colour.bkColour = 0x000000FF;
    BitBlt(colour, 0, 0, 2, 1, mono, 0, 0, kSrcCopy);
    EXPECT_EQ(colour.Bitmap().Pixel(0, 0), 0x00FF0000u);
    EXPECT_EQ(colour.Bitmap().Pixel(1, 0), 0x000000FFu);
    // Colour to mono: the source's background colour becomes white, everything else black.
    cSurface src(eFormat::Argb32, 2, 1);
    src.Bitmap().SetPixel(0, 0, 0x00FFFFFF);
    src.Bitmap().SetPixel(1, 0, 0x00FFFFFE);
    cSurface m(eFormat::Mono, 2, 1);
    BitBlt(m, 0, 0, 2, 1, src, 0, 0, kSrcCopy);
    EXPECT_EQ(m.Bitmap().Pixel(0, 0), kWhite);
    EXPECT_EQ(m.Bitmap().Pixel(1, 0), kBlack);
}

TEST(DibRaster, BitBltCopiesItsSizeStretchBltScales) {
    cSurface src(eFormat::Argb32, 2, 2);
    src.Bitmap().SetPixel(0, 0, 1);
    src.Bitmap().SetPixel(1, 0, 2);
    src.Bitmap().SetPixel(0, 1, 3);
    src.Bitmap().SetPixel(1, 1, 4);
    cSurface d = Solid(eFormat::Argb32, 5, 5, 9);
    BitBlt(d, 1, 1, 2, 2, src, 0, 0, kSrcCopy);
    EXPECT_EQ(d.Bitmap().Pixel(0, 0), 9u);
    EXPECT_EQ(d.Bitmap().Pixel(1, 1), 1u);
    EXPECT_EQ(d.Bitmap().Pixel(2, 2), 4u);
    EXPECT_EQ(d.Bitmap().Pixel(3, 3), 9u);

    cSurface s4 = Solid(eFormat::Argb32, 5, 5, 9);
    StretchBlt(s4, 0, 0, 4, 2, src, 0, 0, 2, 2, kSrcCopy); // twice as wide
    const std::uint32_t row0[] = {1, 1, 2, 2, 9};
    for (int x = 0; x < 5; ++x) EXPECT_EQ(s4.Bitmap().Pixel(x, 0), row0[x]) << x;
    EXPECT_EQ(s4.Bitmap().Pixel(3, 1), 4u);
    EXPECT_EQ(s4.Bitmap().Pixel(0, 2), 9u);
    // Clipped at the edges without harm.
    EXPECT_TRUE(BitBlt(d, -1, 4, 2, 2, src, 0, 0, kSrcCopy));
    EXPECT_EQ(d.Bitmap().Pixel(0, 4), 2u); // source (1, 0) lands on (0, 4)
    EXPECT_FALSE(StretchBlt(d, 0, 0, -2, 2, src, 0, 0, 2, 2, kSrcCopy));
}

cIconHandle MakeIcon(const cBitmap& colour, const cBitmap& mask) {
    cIconInfo info;
    info.hbmColor = &colour;
    info.hbmMask = &mask;
    return CreateIconIndirect(info);
}

TEST(DibIcon, MaskMakesTransparentAndInverts) {
    cBitmap colour(eFormat::Argb32, 3, 1), mask(eFormat::Mono, 3, 1);
    colour.SetPixel(0, 0, 0x00FF0000); // opaque red
    mask.SetPixel(1, 0, kWhite); // transparent (colour black)
    colour.SetPixel(2, 0, 0x00FFFFFF);
    mask.SetPixel(2, 0, kWhite); // inverts the screen
    auto icon = MakeIcon(colour, mask);
    ASSERT_TRUE(icon);
    EXPECT_FALSE(icon->HasAlpha());
    cSurface screen = Solid(eFormat::Argb32, 3, 1, 0xFF336699);
    ASSERT_TRUE(DrawIconEx(screen, 0, 0, icon));
    EXPECT_EQ(screen.Bitmap().Pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(screen.Bitmap().Pixel(1, 0), 0xFF336699u);
    EXPECT_EQ(screen.Bitmap().Pixel(2, 0), 0xFFCC9966u);
    const cBitmap argb = icon->Argb();
    EXPECT_EQ(argb.Pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(argb.Pixel(1, 0) >> 24, 0u);
    EXPECT_EQ(argb.Pixel(2, 0) >> 24, 0u);
}

TEST(DibIcon, AlphaWinsOverTheMaskUnlessAllZero) {
    cBitmap colour(eFormat::Argb32, 2, 1), mask(eFormat::Mono, 2, 1);
    colour.SetPixel(0, 0, 0x80FF0000);
    colour.SetPixel(1, 0, 0x000000FF);
    mask.SetPixel(0, 0, kWhite); // ignored: the image has alpha
    auto icon = MakeIcon(colour, mask);
    ASSERT_TRUE(icon->HasAlpha());
    cSurface screen = Solid(eFormat::Argb32, 2, 1, 0xFF0000FF);
    DrawIconEx(screen, 0, 0, icon);
    EXPECT_EQ(screen.Bitmap().Pixel(0, 0), 0xFF80007Fu); // half red over blue
    EXPECT_EQ(screen.Bitmap().Pixel(1, 0), 0xFF0000FFu); // alpha 0: screen unchanged

    // Every alpha byte 0: the mask decides, as for images without alpha.
    cBitmap flat(eFormat::Argb32, 2, 1);
    flat.SetPixel(0, 0, 0x0000FF00);
    cBitmap mask2(eFormat::Mono, 2, 1);
    mask2.SetPixel(1, 0, kWhite);
    auto icon2 = MakeIcon(flat, mask2);
    EXPECT_FALSE(icon2->HasAlpha());
    cSurface screen2 = Solid(eFormat::Argb32, 2, 1, 0xFF0000FF);
    DrawIconEx(screen2, 0, 0, icon2);
    EXPECT_EQ(screen2.Bitmap().Pixel(0, 0), 0xFF00FF00u);
    EXPECT_EQ(screen2.Bitmap().Pixel(1, 0), 0xFF0000FFu);
}

TEST(DibIcon, CreateIconIndirectChecksItsBitmaps) {
    cBitmap colour(eFormat::Argb32, 2, 2), mask(eFormat::Mono, 2, 2), other(eFormat::Mono, 3, 2);
    cIconInfo info;
    info.hbmColor = &colour;
    EXPECT_FALSE(CreateIconIndirect(info)); // no mask
    info.hbmMask = &other;
    EXPECT_FALSE(CreateIconIndirect(info)); // sizes differ
    info.hbmMask = &mask;
    info.xHotspot = 1;
    auto icon = CreateIconIndirect(info);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->xHotspot, 1u);
    // The icon holds copies: changing the bitmaps afterwards leaves it as it was.
    colour.SetPixel(0, 0, 0xFFFFFFFF);
    EXPECT_EQ(icon->colour.Pixel(0, 0), 0u);
}

TEST(DibScale, SmoothScalingKeepsFlatColourAndAlpha) {
    cBitmap src(eFormat::Argb32, 16, 16);
    src.Fill(0x80204060);
    for (auto size : {8, 24, 1, 48}) {
        SCOPED_TRACE(size);
        cBitmap out = ScaleSmooth(src, size, size);
        ASSERT_EQ(out.Width(), size);
        EXPECT_EQ(out.Pixel(0, 0), 0x80204060u);
        EXPECT_EQ(out.Pixel(size - 1, size / 2), 0x80204060u);
    }
    // A black-white edge shrinks to grey, not to one of its sides.
    cBitmap edge(eFormat::Argb32, 2, 1);
    edge.SetPixel(0, 0, 0xFF000000);
    edge.SetPixel(1, 0, 0xFFFFFFFF);
    EXPECT_EQ(ScaleSmooth(edge, 1, 1).Pixel(0, 0), 0xFF808080u);
    // Transparent pixels do not darken their neighbours.
    cBitmap holes(eFormat::Argb32, 2, 1);
    holes.SetPixel(0, 0, 0xFFFF0000);
    EXPECT_EQ(ScaleSmooth(holes, 1, 1).Pixel(0, 0), 0x80FF0000u);
}

} // namespace
