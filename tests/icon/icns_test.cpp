// .icns files: hand-made elements of the kinds no tool here writes (packed RGB with 8-bit masks,
// ARGB, 1, 4 and 8 bits with 1-bit masks) decoded to the pixels their layout stands for; the
// files png2icns and Pillow write, pixel for pixel against Pillow's decoding; hostile files,
// each failing with the file and the element named; what saving as .ico keeps.

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "fixtures/mCraft.h"
#include "icon/cFileIcon.h"
#include "icon/mIcns.h"

using mTestKit::cTempDir;

namespace {

using tBytes = std::vector<std::uint8_t>;

void PutBig(tBytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

tBytes Element(const char* tag, const tBytes& data) {
    tBytes out(tag, tag + 4);
    PutBig(out, static_cast<std::uint32_t>(data.size() + 8));
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

tBytes Icns(const std::vector<tBytes>& elements) {
    tBytes body;
    for (const tBytes& e : elements) body.insert(body.end(), e.begin(), e.end());
    tBytes out{'i', 'c', 'n', 's'};
    PutBig(out, static_cast<std::uint32_t>(body.size() + 8));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

tBytes Repeat(std::size_t n, std::uint8_t v) { return tBytes(n, v); }

tBytes Cat(std::initializer_list<tBytes> parts) {
    tBytes out;
    for (const tBytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// A plane of n equal bytes as runs: 0x80 + k stands for k + 3 copies (at most 130).
tBytes RunsOf(std::size_t n, std::uint8_t v) {
    tBytes out;
    while (n > 0) {
        const std::size_t k = std::min<std::size_t>(n, 130);
        if (k < 3) {
            out.push_back(static_cast<std::uint8_t>(k - 1));
            for (std::size_t i = 0; i < k; ++i) out.push_back(v);
        } else {
            out.push_back(static_cast<std::uint8_t>(0x80 + k - 3));
            out.push_back(v);
        }
        n -= k;
    }
    return out;
}

// A plane of the bytes 0, 1, 2, ... as literal runs of at most 128.
tBytes LiteralsCounting(std::size_t n) {
    tBytes out;
    for (std::size_t at = 0; at < n;) {
        const std::size_t k = std::min<std::size_t>(n - at, 128);
        out.push_back(static_cast<std::uint8_t>(k - 1));
        for (std::size_t i = 0; i < k; ++i) out.push_back(static_cast<std::uint8_t>(at + i));
        at += k;
    }
    return out;
}

std::string Hex(std::uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", v);
    return text;
}

// Loads bytes written to a file; the pixels of image n as the program draws them.
struct cLoaded {
    cTempDir dir;
    cFileIcon icon;
    std::string path;
    explicit cLoaded(const tBytes& bytes) : path(dir.File("test.icns")) {
        mTestKit::WriteBytes(path, bytes);
        icon.LoadIcns(path);
    }
};

} // namespace

TEST(Icns, HandMadeElementsDecodeToThePixelsTheirLayoutStandsFor) {
    // 16 x 16 pixels: red in two runs (130 of 0x10, then 126 of 0x20), green counting up in
    // literal runs, blue one value, and the 8-bit mask counting down.
    const tBytes packed = Cat({{0xFF, 0x10, 0xFB, 0x20}, LiteralsCounting(256), RunsOf(256, 0x30)});
    tBytes maskDown;
    for (int i = 0; i < 256; ++i) maskDown.push_back(static_cast<std::uint8_t>(255 - i));
    const auto packedPixel = [](int i) -> std::uint32_t {
        return (static_cast<std::uint32_t>(255 - i) << 24) | ((i < 130 ? 0x10u : 0x20u) << 16) |
               (static_cast<std::uint32_t>(i) << 8) | 0x30u;
    };
    // Unpacked xRGB (4 bytes a pixel): no mask, so opaque.
    tBytes raw;
    for (int i = 0; i < 256; ++i) raw.insert(raw.end(), {0, static_cast<std::uint8_t>(i), 0x44, 0x55});
    // ARGB: alpha and red counting, green and blue in runs.
    const tBytes argb =
        Cat({{'A', 'R', 'G', 'B'}, LiteralsCounting(256), LiteralsCounting(256), RunsOf(256, 0x66), RunsOf(256, 0x77)});
    // 32 x 32 at 1 bit: the image's rows alternate all black and all white; the mask leaves the
    // left half of each row transparent.
    tBytes mono;
    for (int y = 0; y < 32; ++y) {
        const tBytes row = Repeat(4, y % 2 == 0 ? 0xFF : 0x00);
        mono.insert(mono.end(), row.begin(), row.end());
    }
    tBytes monoMask;
    for (int y = 0; y < 32; ++y) monoMask.insert(monoMask.end(), {0x00, 0x00, 0xFF, 0xFF});
    // 32 x 32 at 4 bits: pixel x takes colour kFour[x % 4]; 8 bits: pixel (x, y) colour 8 y + x % 8.
    static constexpr int kFour[] = {0, 3, 15, 3};
    tBytes four, eight;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; x += 2)
            four.push_back(static_cast<std::uint8_t>((kFour[x % 4] << 4) | kFour[(x + 1) % 4]));
        for (int x = 0; x < 32; ++x) eight.push_back(static_cast<std::uint8_t>(8 * y + x % 8));
    }
    const tBytes icnMask = Cat({mono, monoMask});

    // The classic palettes at the entries the checks use: 4 bits {white, red (3), black (15)};
    // 8 bits: the cube runs from FFFFFF down in steps of 33 with blue fastest, then ten reds,
    // greens, blues and greys, black last.
    const auto colour4 = [](int i) -> std::uint32_t { return i == 0 ? 0xFFFFFF : i == 3 ? 0xDD0806 : 0x000000; };
    const auto colour8 = [](int i) -> std::uint32_t {
        if (i < 215) {
            const std::uint32_t r = 0xFF - 0x33 * static_cast<std::uint32_t>(i / 36);
            const std::uint32_t g = 0xFF - 0x33 * static_cast<std::uint32_t>(i / 6 % 6);
            const std::uint32_t b = 0xFF - 0x33 * static_cast<std::uint32_t>(i % 6);
            return (r << 16) | (g << 8) | b;
        }
        if (i == 255) return 0;
        static const std::uint32_t ramp[] = {0xEE, 0xDD, 0xBB, 0xAA, 0x88, 0x77, 0x55, 0x44, 0x22, 0x11};
        const std::uint32_t v = ramp[(i - 215) % 10];
        switch ((i - 215) / 10) {
        case 0: return v << 16;
        case 1: return v << 8;
        case 2: return v;
        default: return (v << 16) | (v << 8) | v;
        }
    };

    struct {
        const char* name;
        tBytes file;
        std::int32_t image, width, height, bits;
        std::function<std::uint32_t(int x, int y)> expect; // straight ARGB
    } cases[] = {
        {"is32 packed, with s8mk", Icns({Element("is32", packed), Element("s8mk", maskDown)}), 1, 16, 16, 32,
         [&](int x, int y) { return packedPixel(16 * y + x); }},
        {"the mask may come first", Icns({Element("s8mk", maskDown), Element("is32", packed)}), 1, 16, 16, 32,
         [&](int x, int y) { return packedPixel(16 * y + x); }},
        {"is32 unpacked, no mask: opaque", Icns({Element("is32", raw)}), 1, 16, 16, 32,
         [](int x, int y) { return 0xFF000000u | (static_cast<std::uint32_t>(16 * y + x) << 16) | 0x4455u; }},
        {"it32 after its four zero bytes",
         Icns({Element("it32", Cat({Repeat(4, 0), RunsOf(16384, 0x01), RunsOf(16384, 0x02), RunsOf(16384, 0x03)})),
               Element("t8mk", Repeat(16384, 0x80))}),
         1, 128, 128, 32, [](int, int) { return 0x80010203u; }},
        {"ic04 ARGB", Icns({Element("ic04", argb)}), 1, 16, 16, 32,
         [](int x, int y) {
             const auto i = static_cast<std::uint32_t>(16 * y + x);
             return (i << 24) | (i << 16) | 0x6677u;
         }},
        {"ICN# with its mask", Icns({Element("ICN#", icnMask)}), 1, 32, 32, 1,
         [](int x, int y) -> std::uint32_t {
             if (x < 16) return 0;
             return y % 2 == 0 ? 0xFF000000u : 0xFFFFFFFFu;
         }},
        {"ICON: no mask", Icns({Element("ICON", mono)}), 1, 32, 32, 1,
         [](int, int y) { return y % 2 == 0 ? 0xFF000000u : 0xFFFFFFFFu; }},
        {"icl4 masked by ICN#", Icns({Element("ICN#", icnMask), Element("icl4", four)}), 2, 32, 32, 4,
         [&](int x, int) { return x < 16 ? 0u : 0xFF000000u | colour4(kFour[x % 4]); }},
        {"icl8 masked by ICN#", Icns({Element("icl8", eight), Element("ICN#", icnMask)}), 1, 32, 32, 8,
         [&](int x, int y) { return x < 16 ? 0u : 0xFF000000u | colour8(8 * y + x % 8); }},
        {"icm# is 16 x 12", Icns({Element("icm#", Cat({Repeat(24, 0xFF), Repeat(24, 0xFF)}))}), 1, 16, 12, 1,
         [](int, int) { return 0xFF000000u; }},
        {"TOC, icnV, name, info and unknown elements passed over",
         Icns({Element("TOC ", Cat({{'i', 's', '3', '2'}, {0, 0, 0, 8}})), Element("icnV", {0x42, 0, 0, 0}),
               Element("name", {'x'}), Element("info", {}), Element("zzzz", Repeat(100, 7)), Element("is32", raw)}),
         1, 16, 16, 32,
         [](int x, int y) { return 0xFF000000u | (static_cast<std::uint32_t>(16 * y + x) << 16) | 0x4455u; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cLoaded loaded(c.file);
        const cFileIcon& icon = loaded.icon;
        ASSERT_GE(icon.ImageCount(), c.image);
        EXPECT_EQ(icon.ImageWidth(c.image), c.width);
        EXPECT_EQ(icon.ImageHeight(c.image), c.height);
        EXPECT_EQ(icon.ImageBitDepth(c.image), c.bits);
        EXPECT_EQ(icon.Label(), "");
        const mDib::cBitmap drawn = icon.ImageArgb(c.image);
        ASSERT_EQ(drawn.Width(), c.width);
        ASSERT_EQ(drawn.Height(), c.height);
        int wrong = 0;
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                const std::uint32_t want = c.expect(x, y);
                const std::uint32_t got = drawn.Pixel(x, y);
                const bool same = (want >> 24) == 0 ? (got >> 24) == 0 : got == want;
                if (!same && wrong++ < 3)
                    ADD_FAILURE() << "(" << x << ", " << y << ") " << Hex(got) << " not " << Hex(want);
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

// Pillow's IcnsImagePlugin is the independent decoder: each image of the files png2icns and Pillow
// write (packed RGB, JPEG 2000, PNG) as ours, read through the command line's PNG export.
TEST(Icns, FilesOfTheFixtureToolsDecodeAsPillowDecodesThem) {
    struct {
        const char* fixture;
        std::vector<std::string> images; // element, pixel size, scale
    } cases[] = {
        {"icns/png2icns.icns", {"is32 16 1", "il32 32 1", "ih32 48 1", "it32 128 1", "ic08 256 1", "ic09 512 1"}},
        {"icns/pillow.icns",
         {"ic07 128 1", "ic08 256 1", "ic09 512 1", "ic10 1024 2", "ic11 32 2", "ic12 64 2", "ic13 256 2",
          "ic14 512 2"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture);
        const std::string path = mTestKit::Fixture(c.fixture);
        cFileIcon icon;
        icon.LoadIcns(path);
        ASSERT_EQ(icon.ImageCount(), static_cast<std::int32_t>(c.images.size()));
        cTempDir dir;
        for (std::int32_t n = 1; n <= icon.ImageCount(); ++n) {
            const std::string& want = c.images[static_cast<std::size_t>(n - 1)];
            const std::string element = want.substr(0, 4);
            const int side = std::stoi(want.substr(5));
            const int scale = want.back() - '0';
            SCOPED_TRACE(want);
            EXPECT_EQ(icon.ImageElement(n), element);
            EXPECT_EQ(icon.ImageWidth(n), side);
            EXPECT_EQ(icon.ImageScale(n), scale);
            const std::string ours = dir.File(element + ".png");
            ASSERT_EQ(mTestKit::Cli("render " + mTestKit::Quote(path) + " --image " + std::to_string(n) + " -o " +
                                    mTestKit::Quote(ours)),
                      0);
            // Pillow names a size by its points and scale.
            const std::string theirs = dir.File(element + "-pillow.png");
            const std::string script = "import sys; from PIL import Image; im = Image.open(sys.argv[1]); im.size = (" +
                                       std::to_string(side / scale) + ", " + std::to_string(side / scale) + ", " +
                                       std::to_string(scale) + "); im.load(); im.convert('RGBA').save(sys.argv[2])";
            ASSERT_EQ(mTestKit::Run(std::string(PICTRIX_PYTHON) + " -c " + mTestKit::Quote(script) + " " +
                                    mTestKit::Quote(path) + " " + mTestKit::Quote(theirs)),
                      0);
            EXPECT_EQ(mTestKit::PixelDifferences(mTestKit::ReadPng(ours), mTestKit::ReadPng(theirs)), 0);
        }
    }
}

TEST(Icns, SavingAsIcoKeepsTheImagesADirectoryCanDescribe) {
    cFileIcon icon;
    icon.LoadIcns(mTestKit::Fixture("icns/pillow.icns"));
    ASSERT_EQ(icon.ImageCount(), 8);
    cTempDir dir;
    const std::string ico = dir.File("out.ico");
    icon.SaveIcon(ico);
    cFileIcon saved;
    saved.LoadIcon(ico);
    // ic07 (128), ic08 (256), ic11 (32), ic12 (64), ic13 (256): the 512 and 1024 pixel ones are
    // left out.
    std::vector<std::int32_t> sides;
    for (std::int32_t n = 1; n <= saved.ImageCount(); ++n) {
        const auto side = cFileIcon::BlockSide(saved.Block(n));
        ASSERT_TRUE(side);
        sides.push_back(side->width);
    }
    EXPECT_EQ(sides, (std::vector<std::int32_t>{128, 256, 32, 64, 256}));
    // The object itself keeps every image.
    EXPECT_EQ(icon.ImageCount(), 8);

    // A group left with large images only is saved whole: an .ico with nothing in it would lose
    // them all.
    for (const std::int32_t n : {8, 7, 6, 5, 2, 1}) icon.RemoveImage(n); // all but ic09 and ic10
    ASSERT_EQ(icon.ImageCount(), 2);
    EXPECT_EQ(icon.ImageSizeText(2), "1024x1024@2x");
    const tBytes bytes = icon.IcoBytes();
    ASSERT_GE(bytes.size(), 6u);
    EXPECT_EQ(bytes[4], 2);
}

// Hostile files: each fails with the file, the element and its offset named, within the file's
// budget, and the object holds no images after it.
TEST(Icns, HostileFilesFailNamingTheFileAndTheElement) {
    const tBytes raw = Repeat(1024, 0);
    tBytes cutHeader = Icns({Element("is32", raw)});
    cutHeader[7] = static_cast<std::uint8_t>(cutHeader[7] + 4); // the header claims 4 more bytes
    tBytes shortHeader = Icns({});
    shortHeader[7] = 4;
    tBytes tail = Icns({Element("is32", raw)});
    tail.insert(tail.end(), {'i', 'l', '3'});
    tail[7] = static_cast<std::uint8_t>(tail[7] + 3);
    tBytes pastEnd = Icns({Element("il32", Repeat(100, 0))});
    pastEnd[15] = 0xFF; // its length: 255 more than the file holds
    tBytes zero = Icns({Element("is32", raw), Element("ic08", Repeat(8, 0))});
    for (int i = 0; i < 4; ++i) zero[8 + 1032 + 4 + i] = 0; // the second element's length: 0
    // 256 pixels, but a run of 130 after 200 literal pixels passes the plane's end.
    const tBytes overrun = Cat({{0x7F}, Repeat(128, 1), {0x47}, Repeat(72, 1), {0xFF, 2}});
    const tBytes early = Cat({{0x7F}, Repeat(128, 1)});
    cLoadBudget full(0);
    full.Take(full.Limit() - 1000);

    struct {
        const char* name;
        tBytes file;
        std::string says; // after "<file>: "
    } cases[] = {
        {"not an icns file", tBytes{'i', 'c', 'o', 's', 0, 0, 0, 8},
         "not an icon file of the icns format (it does not start with 'icns' and its length)"},
        {"header length past the end", cutHeader, "its header gives a length of 1044 bytes, the file holds 1040"},
        {"header length shorter than the header", shortHeader,
         "its header gives a length of 4 bytes, the file holds 8"},
        {"element header cut short", tail, "element header at offset 1040 is cut short by the end of the file"},
        {"element length past the end", pastEnd,
         "element 'il32' at offset 8: its length 255 runs past the end of the file (116 bytes)"},
        {"zero-length element (a walk that would not move on)", zero,
         "element 'ic08' at offset 1040: its length 0 is shorter than its own header"},
        {"packed plane that would overrun", Icns({Element("is32", overrun)}),
         "element 'is32' at offset 8: a run of the red plane passes its 256 pixels"},
        {"packed plane that ends early", Icns({Element("is32", early)}),
         "element 'is32' at offset 8: the red plane ends after 128 of 256 pixels"},
        {"mask too short", Icns({Element("ICN#", Repeat(130, 0)), Element("icl8", Repeat(1024, 0))}),
         "element 'ICN#' at offset 8: its mask 'ICN#' at offset 8 holds 130 bytes, 256 are needed"},
        {"1-bit image too short", Icns({Element("ics#", Repeat(10, 0))}),
         "element 'ics#' at offset 8: it holds 10 bytes, 32 are needed for 16 x 16 pixels"},
        {"modern element of no known form", Icns({Element("ic09", Repeat(64, 0x11))}),
         "element 'ic09' at offset 8: it holds neither PNG, JPEG 2000 nor ARGB data"},
        {"JPEG 2000 claiming 60000 x 60000 pixels", Icns({Element("ic10", mCraft::Jpeg2000Claiming(60000, 60000))}),
         "element 'ic10' at offset 8: its JPEG 2000 stream claims 60000 x 60000 pixels, more than 1024 on a side"},
        {"JPEG 2000 header that cannot be read", Icns({Element("ic08", {0xFF, 0x4F, 0xFF, 0x51, 0x00})}),
         "element 'ic08' at offset 8: its JPEG 2000 header cannot be read"},
        {"more image elements than an icon holds", mCraft::IcnsRepeating("ICON", {}, 32768),
         "the file holds 32768 image elements, more than one icon can hold (32767)"},
        {"no image element at all", Icns({Element("TOC ", {}), Element("s8mk", Repeat(256, 0))}),
         "the file holds no image element"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cTempDir dir;
        const std::string path = dir.File("bad.icns");
        mTestKit::WriteBytes(path, c.file);
        cFileIcon icon;
        mTestKit::ExpectError([&] { icon.LoadIcns(path); }, cError::kInvalidPicture, mTestKit::SourceOf("mIcns"),
                              path + ": " + c.says);
        EXPECT_EQ(icon.ImageCount(), 0);
    }

    // The decoded size is weighed against the budget before anything is decoded, and nothing is
    // counted for a refused stream.
    mTestKit::ExpectError([&] { (void)mIcns::DecodeJpeg2000(mCraft::Jpeg2000Claiming(1024, 1024), full); },
                          cError::kInvalidPicture, mTestKit::SourceOf("mIcns"),
                          "its JPEG 2000 image of 1024 x 1024 pixels needs more memory than the file allows");
    EXPECT_EQ(full.Limit() - full.Used(), 1000u);
}
