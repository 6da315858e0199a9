// Decoding of icon image blocks: every depth, palettes, bit fields, the offsets of the halves, and
// blocks that lie.

#include <gtest/gtest.h>
#include <zlib.h>

#include <functional>

#include "platform/DibBlocks.h"
#include "platform/mDib.h"

namespace {

using mDib::cBitmap;

// Decodes both halves of a block the way the icon renderer does.
struct cDecoded {
    cBitmap colour, mask;
};
std::optional<cDecoded> Decode(const std::vector<std::uint8_t>& block) {
    cByteView v(block);
    auto layout = mDib::ParseBlock(v);
    if (!layout) return std::nullopt;
    mDib::cSurface c(mDib::eFormat::Argb32, layout->width, layout->height);
    mDib::cSurface m(mDib::eFormat::Mono, layout->width, layout->height);
    if (mDib::SetDIBitsToDevice(c, 0, 0, layout->width, layout->height, 0, 0, 0, layout->height,
                                v.From(layout->colourOffset), layout->colour) != layout->height)
        return std::nullopt;
    if (layout->hasMask && mDib::SetDIBitsToDevice(m, 0, 0, layout->width, layout->height, 0, 0, 0, layout->height,
                                                   v.From(layout->maskOffset), layout->mask) != layout->height)
        return std::nullopt;
    return cDecoded{c.TakeBitmap(), m.TakeBitmap()};
}

TEST(DibDecode, EveryDepthTopRowFirst) {
    // A 5 x 3 picture (odd width: rows are padded) whose pixel (x, y) is a distinct colour.
    const std::vector<std::uint32_t> pal = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF,
                                            0xFFFFFF, 0x808080, 0x123456, 0xFEDCBA};
    auto index = [](int x, int y) { return static_cast<std::uint32_t>((x + 2 * y) % 8); };
    struct cCase {
        const char* name;
        std::uint16_t bits;
        std::uint32_t compression;
        std::vector<std::uint32_t> masks;
        std::function<std::uint32_t(int, int)> raw; // value stored
        std::function<std::uint32_t(int, int)> expected; // ARGB decoded
    };
    const std::vector<cCase> cases = {
        {"1 bit",
         1,
         0,
         {},
         [&](int x, int y) { return index(x, y) & 1; },
         [&](int x, int y) { return pal[index(x, y) & 1]; }},
        {"4 bits", 4, 0, {}, index, [&](int x, int y) { return pal[index(x, y)]; }},
        {"8 bits", 8, 0, {}, index, [&](int x, int y) { return pal[index(x, y)]; }},
        {"16 bits 5-5-5",
         16,
         0,
         {},
         [](int x, int y) { return static_cast<std::uint32_t>((31 << 10) * (x & 1) | (y << 5) | 31); },
         [](int x, int y) {
             const std::uint32_t g = (static_cast<std::uint32_t>(y) * 255 + 15) / 31;
             return ((x & 1) ? 0xFF0000u : 0u) | (g << 8) | 0xFFu;
         }},
        {"16 bits 5-6-5 bit fields",
         16,
         3,
         {0xF800, 0x07E0, 0x001F},
         [](int x, int) { return static_cast<std::uint32_t>(63 << 5) * static_cast<std::uint32_t>(x & 1); },
         [](int x, int) { return (x & 1) ? 0x00FF00u : 0u; }},
        {"24 bits",
         24,
         0,
         {},
         [&](int x, int y) { return pal[index(x, y)]; },
         [&](int x, int y) { return pal[index(x, y)]; }},
        {"32 bits keeps alpha",
         32,
         0,
         {},
         [&](int x, int y) { return pal[index(x, y)] | (static_cast<std::uint32_t>(x * 50) << 24); },
         [&](int x, int y) { return pal[index(x, y)] | (static_cast<std::uint32_t>(x * 50) << 24); }},
        {"32 bits bit fields swapped",
         32,
         3,
         {0x0000FF, 0x00FF00, 0xFF0000},
         [](int, int y) { return y == 0 ? 0x0000FFu : 0u; },
         [](int, int y) { return y == 0 ? 0xFF0000u : 0u; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        tDib::cSpec s;
        s.width = 5;
        s.height = 3;
        s.bits = c.bits;
        s.compression = c.compression;
        s.masks = c.masks;
        if (c.bits <= 8) s.palette = pal;
        auto d = Decode(tDib::Make(s, c.raw, [](int x, int y) { return x == y; }));
        ASSERT_TRUE(d);
        ASSERT_EQ(d->colour.Width(), 5);
        ASSERT_EQ(d->colour.Height(), 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) {
                EXPECT_EQ(d->colour.Pixel(x, y), c.expected(x, y)) << x << "," << y;
                EXPECT_EQ(d->mask.Pixel(x, y), x == y ? mDib::kWhite : mDib::kBlack) << x << "," << y;
            }
    }
}

// A rectangle that reaches past either picture copies only the columns both hold, in every depth
// and into either kind of surface; the rest of the target keeps what it had.
TEST(DibDecode, ClippedRectanglesCopyTheColumnsBothHold) {
    const std::vector<std::uint32_t> pal = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF,
                                            0xFFFFFF, 0x808080, 0x123456, 0xFEDCBA};
    auto raw = [](int x, int y) { return static_cast<std::uint32_t>((x + 3 * y) % 8); };
    struct cRect {
        int xDest, yDest, xSrc, w;
    };
    const cRect rects[] = {{-2, 0, 0, 5}, {1, 1, 0, 5}, {0, 0, 2, 5}, {-1, 2, 1, 2}, {5, 0, 0, 5}};
    for (const std::uint16_t bits : std::initializer_list<std::uint16_t>{1, 4, 8, 24, 32})
        for (auto format : {mDib::eFormat::Argb32, mDib::eFormat::Mono})
            for (const cRect& r : rects) {
                SCOPED_TRACE(::testing::Message()
                             << bits << " bits, mono " << (format == mDib::eFormat::Mono) << ", dest " << r.xDest << ","
                             << r.yDest << " src " << r.xSrc << " width " << r.w);
                tDib::cSpec s;
                s.width = 5;
                s.height = 3;
                s.bits = bits;
                if (bits <= 8) s.palette = pal;
                auto value = [&](int x, int y) { return bits <= 8 ? raw(x, y) & ((1u << bits) - 1) : pal[raw(x, y)]; };
                const auto block = tDib::Make(s, value, [](int, int) { return false; });
                cByteView v(block);
                auto layout = mDib::ParseBlock(v);
                ASSERT_TRUE(layout);
                mDib::cSurface whole(format, 5, 3), part(format, 4, 5);
                part.Bitmap().Fill(mDib::kWhite);
                ASSERT_EQ(mDib::SetDIBitsToDevice(whole, 0, 0, 5, 3, 0, 0, 0, 3, v.From(layout->colourOffset),
                                                  layout->colour),
                          3);
                ASSERT_EQ(mDib::SetDIBitsToDevice(part, r.xDest, r.yDest, r.w, 3, r.xSrc, 0, 0, 3,
                                                  v.From(layout->colourOffset), layout->colour),
                          3);
                for (int y = 0; y < 5; ++y)
                    for (int x = 0; x < 4; ++x) {
                        const int sx = r.xSrc + x - r.xDest, sy = y - r.yDest;
                        const bool inside = x >= r.xDest && x < r.xDest + r.w && sx < 5 && sy >= 0 && sy < 3;
                        EXPECT_EQ(part.Bitmap().Pixel(x, y), inside ? whole.Bitmap().Pixel(sx, sy) : mDib::kWhite)
                            << x << "," << y;
                    }
            }
}

// biClrUsed decides the palette length; an index past the palette decodes black.
TEST(DibDecode, ShortPaletteAndIndexPastIt) {
    tDib::cSpec s;
    s.bits = 8;
    s.clrUsed = 3;
    s.palette = {0x112233, 0x445566, 0x778899};
    auto d = Decode(tDib::Make(s, [](int x, int) { return static_cast<std::uint32_t>(x); }));
    ASSERT_TRUE(d);
    EXPECT_EQ(d->colour.Pixel(0, 0), 0x112233u);
    EXPECT_EQ(d->colour.Pixel(2, 1), 0x778899u);
    EXPECT_EQ(d->colour.Pixel(3, 2), 0u);
}

TEST(DibLayout, OffsetsOfTheHalves) {
    struct cCase {
        const char* name;
        std::int32_t size;
        std::uint16_t bits;
        std::uint32_t clrUsed;
        std::size_t colour, mask;
    };
    const cCase cases[] = {
        {"32x32 4-bit", 32, 4, 0, 104, 616},
        {"16x16 8-bit", 16, 8, 0, 1064, 1320},
        {"16x16 8-bit biClrUsed 12", 16, 8, 12, 88, 88 + 256},
        {"32x32 1-bit", 32, 1, 0, 48, 48 + 128},
        {"48x48 32-bit", 48, 32, 0, 40, 40 + 48 * 48 * 4},
        {"20x20 24-bit, padded rows", 20, 24, 0, 40, 40 + 20 * 60},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        tDib::cSpec s;
        s.width = s.height = c.size;
        s.bits = c.bits;
        s.clrUsed = c.clrUsed;
        auto block = tDib::Make(s, [](int, int) { return 0u; });
        auto layout = mDib::ParseBlock(cByteView(block));
        ASSERT_TRUE(layout);
        EXPECT_EQ(layout->colourOffset, c.colour);
        EXPECT_EQ(layout->maskOffset, c.mask);
        EXPECT_EQ(layout->colour.biHeight, c.size);
        EXPECT_TRUE(layout->hasMask);
    }
}

std::vector<std::uint8_t> Good() {
    tDib::cSpec s;
    s.width = s.height = 16;
    s.bits = 8;
    return tDib::Make(s, [](int x, int) { return static_cast<std::uint32_t>(x); });
}

TEST(DibLayout, HostileBlocksGiveNothing) {
    struct cCase {
        const char* name;
        std::function<void(std::vector<std::uint8_t>&)> patch;
    };
    const std::vector<cCase> cases = {
        {"empty", [](auto& b) { b.clear(); }},
        {"short header", [](auto& b) { b.resize(39); }},
        {"palette cut", [](auto& b) { b.resize(40 + 1023); }},
        {"last colour row cut", [](auto& b) { b.resize(1064 + 255); }},
        {"8-bit without its mask", [](auto& b) { b.resize(1320); }},
        {"mask row cut", [](auto& b) { b.pop_back(); }},
        {"biSize past the block", [](auto& b) { tDib::Put32(b, 0, 5000); }},
        {"core header", [](auto& b) { tDib::Put32(b, 0, 12); }},
        {"huge width", [](auto& b) { tDib::Put32(b, 4, 0x7FFFFFFF); }},
        {"negative width", [](auto& b) { tDib::Put32(b, 4, 0xFFFFFFF0); }},
        {"zero width", [](auto& b) { tDib::Put32(b, 4, 0); }},
        {"huge height", [](auto& b) { tDib::Put32(b, 8, 0x7FFFFFFE); }},
        {"negative height", [](auto& b) { tDib::Put32(b, 8, 0xFFFFFFE0); }},
        {"height 1 (no rows)", [](auto& b) { tDib::Put32(b, 8, 1); }},
        {"taller than the bits", [](auto& b) { tDib::Put32(b, 8, 64); }},
        {"wider than the bits", [](auto& b) { tDib::Put32(b, 4, 17); }},
        {"biClrUsed huge", [](auto& b) { tDib::Put32(b, 32, 0x40000000); }},
        {"biClrUsed wraps 4x", [](auto& b) { tDib::Put32(b, 32, 0xC0000001); }},
        {"planes 0", [](auto& b) { b[12] = 0; }},
        {"planes 2", [](auto& b) { b[12] = 2; }},
        {"bit count 7", [](auto& b) { b[14] = 7; }},
        {"bit count 0", [](auto& b) { b[14] = 0; }},
        {"RLE8", [](auto& b) { tDib::Put32(b, 16, 1); }},
        {"BI_PNG", [](auto& b) { tDib::Put32(b, 16, 5); }},
        {"bit fields on 8 bits", [](auto& b) { tDib::Put32(b, 16, 3); }},
        {"PNG signature, garbage",
         [](auto& b) {
             const std::uint8_t sig[] = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
             std::copy(std::begin(sig), std::end(sig), b.begin());
         }},
    };
    ASSERT_TRUE(mDib::ParseBlock(cByteView(Good())));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto b = Good();
        c.patch(b);
        auto d = Decode(b);
        EXPECT_FALSE(d);
    }
}

// A 32-bit image may leave out its mask: its alpha says everything.
TEST(DibLayout, ThirtyTwoBitWithoutMask) {
    tDib::cSpec s;
    s.bits = 32;
    s.withMask = false;
    auto d = Decode(tDib::Make(s, [](int, int) { return 0xFF102030u; }));
    ASSERT_TRUE(d);
    EXPECT_EQ(d->colour.Pixel(3, 3), 0xFF102030u);
    EXPECT_EQ(d->mask.Pixel(3, 3), mDib::kBlack);
}

TEST(DibDecode, PngSizesAndGarbage) {
    mDib::cBitmap src(mDib::eFormat::Argb32, 3, 2);
    src.SetPixel(0, 0, 0x80FF0000);
    src.SetPixel(2, 1, 0xFF00FF00);
    auto png = mDib::EncodePng(src);
    ASSERT_FALSE(png.empty());
    auto back = mDib::DecodePng(cByteView(png));
    EXPECT_EQ(back, src);
    // Fast encoding changes the stream, never the pixels.
    const auto fast = mDib::EncodePng(src, true);
    EXPECT_NE(fast, png);
    EXPECT_EQ(mDib::DecodePng(cByteView(fast)), src);
    auto layout = mDib::ParseBlock(cByteView(png));
    ASSERT_TRUE(layout);
    EXPECT_TRUE(layout->png);
    EXPECT_EQ(layout->width, 3);
    EXPECT_EQ(layout->height, 2);

    struct cCase {
        const char* name;
        std::function<void(std::vector<std::uint8_t>&)> patch;
    };
    const std::vector<cCase> cases = {
        {"cut in the data", [](auto& b) { b.resize(b.size() - 20); }},
        {"signature only", [](auto& b) { b.resize(8); }},
        {"IHDR width huge", [](auto& b) { b[16] = 0x7F; }},
        {"IHDR height 0", [](auto& b) { b[20] = b[21] = b[22] = b[23] = 0; }},
        {"IDAT garbage",
         [](auto& b) {
             for (std::size_t i = 41; i < b.size() - 12; ++i) b[i] = 0xA5;
         }},
        // A text chunk after IHDR that claims 400 MB of a stream of a few hundred bytes: libpng
        // would take the memory before finding the bytes missing.
        {"chunk longer than the stream",
         [](auto& b) {
             const std::uint8_t text[] = {0x18, 0x18, 0x18, 0x18, 't', 'E', 'X', 't', 'd', 'a', 't', 'e'};
             b.insert(b.begin() + 33, std::begin(text), std::end(text));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto b = png;
        c.patch(b);
        EXPECT_TRUE(mDib::DecodePng(cByteView(b)).Empty());
    }
}

// A PNG stream made chunk by chunk: 4 x 3 RGBA pixels whose rows use every filter and whose
// first alpha that is not 0 comes through a filter, sRGB's gamma, a chromaticity and a text
// chunk, its zlib stream over two IDATs.
struct cPngSpec {
    std::uint8_t colourType = 6, interlace = 0;
    std::vector<std::vector<std::uint8_t>> rows = {
        std::vector<std::uint8_t>(17, 0), // None, fully transparent
        {1, 9, 8, 7, 0, 1, 2, 3, 0, 4, 5, 6, 0, 7, 7, 7, 0}, // Sub: still transparent
        {4, 1, 2, 3, 0, 5, 6, 7, 0x80, 9, 9, 9, 0, 1, 1, 1, 3}, // Paeth: alpha from 0x80
    };
    std::uint32_t gamma = 45455;
    std::string extra, between; // an empty chunk before the IDATs, and one between them
    std::size_t trailing = 0; // bytes after the zlib stream
    bool iend = true, damagedIdat = false;
};

std::vector<std::uint8_t> BuildPng(const cPngSpec& s) {
    std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
    const auto be32 = [](std::uint32_t v) {
        return std::vector<std::uint8_t>{static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                                         static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
    };
    const auto put32 = [&](std::uint32_t v) {
        const auto b = be32(v);
        out.insert(out.end(), b.begin(), b.end());
    };
    const auto chunk = [&](const std::string& type, const std::vector<std::uint8_t>& data) {
        put32(static_cast<std::uint32_t>(data.size()));
        const std::size_t at = out.size();
        out.insert(out.end(), type.begin(), type.end());
        out.insert(out.end(), data.begin(), data.end());
        put32(static_cast<std::uint32_t>(crc32(0, &out[at], static_cast<uInt>(4 + data.size()))));
    };
    chunk("IHDR", {0, 0, 0, 4, 0, 0, 0, static_cast<std::uint8_t>(s.rows.size()), 8, s.colourType, 0, 0, s.interlace});
    chunk("gAMA", be32(s.gamma));
    chunk("cHRM", std::vector<std::uint8_t>(32, 1));
    chunk("tEXt", {'a', 0, 'b'});
    if (!s.extra.empty()) chunk(s.extra, {});
    std::vector<std::uint8_t> raw, z(256);
    for (const auto& r : s.rows) raw.insert(raw.end(), r.begin(), r.end());
    uLongf n = z.size();
    compress(z.data(), &n, raw.data(), raw.size());
    z.resize(n + s.trailing, 1);
    chunk("IDAT", {z.begin(), z.begin() + 10});
    if (!s.between.empty()) chunk(s.between, {});
    chunk("IDAT", {z.begin() + 10, z.end()});
    if (s.damagedIdat) out.back() ^= 1;
    if (s.iend) chunk("IEND", {});
    return out;
}

std::vector<std::string> ChunkTypes(const std::vector<std::uint8_t>& png) {
    std::vector<std::string> types;
    for (std::size_t at = 8; at + 8 <= png.size(); at += 12 + (std::size_t{png[at + 2]} << 8 | png[at + 3]))
        types.emplace_back(png.begin() + static_cast<std::ptrdiff_t>(at + 4),
                           png.begin() + static_cast<std::ptrdiff_t>(at + 8));
    return types;
}

TEST(DibDecode, PngAsStoredKeepsThePixelsOrDeclines) {
    const auto png = BuildPng({});
    const auto stored = mDib::PngAsStored(cByteView(png));
    // The ancillary chunks are left out; the pixels are the stream's.
    EXPECT_EQ(ChunkTypes(stored), (std::vector<std::string>{"IHDR", "sRGB", "IDAT", "IDAT", "IEND"}));
    const cBitmap pixels = mDib::DecodePng(cByteView(png));
    ASSERT_FALSE(pixels.Empty());
    EXPECT_EQ(mDib::DecodePng(cByteView(stored)), pixels);
    // What EncodePng writes qualifies as it is.
    const auto encoded = mDib::EncodePng(pixels);
    EXPECT_EQ(mDib::PngAsStored(cByteView(encoded)), encoded);

    // Streams whose pixels would change, or that the decoder would not take whole.
    const std::vector<std::pair<const char*, std::function<void(cPngSpec&)>>> declined = {
        {"gamma 1.0", [](auto& s) { s.gamma = 100000; }},
        {"grey and alpha", [](auto& s) { s.colourType = 4; }},
        {"tRNS", [](auto& s) { s.extra = "tRNS"; }},
        {"interlaced", [](auto& s) { s.interlace = 1; }},
        {"a suggested palette", [](auto& s) { s.extra = "PLTE"; }},
        {"IDATs parted", [](auto& s) { s.between = "tIME"; }},
        {"IDAT damaged", [](auto& s) { s.damagedIdat = true; }},
        {"no IEND", [](auto& s) { s.iend = false; }},
        {"filter 5", [](auto& s) { s.rows[1][0] = 5; }},
        {"a row short", [](auto& s) { s.rows[2].pop_back(); }},
        {"a row over", [](auto& s) { s.rows[2].push_back(0); }},
        {"data past the zlib stream", [](auto& s) { s.trailing = 2; }},
        {"every alpha 0", [](auto& s) { s.rows[2][8] = s.rows[2][16] = 0; }},
    };
    for (const auto& [name, change] : declined) {
        SCOPED_TRACE(name);
        cPngSpec s;
        change(s);
        EXPECT_TRUE(mDib::PngAsStored(cByteView(BuildPng(s))).empty());
    }
}

} // namespace
