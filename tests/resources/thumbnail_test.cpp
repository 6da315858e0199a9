// The thumbnail of a file: which icon and image it shows at a size, its pixels against ImageMagick's
// rendering, the bytes it reads, and the files it refuses.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "common/mTestKit.h"
#include "fixtures/mCraft.h"
#include "icon/cFileIcon.h"
#include "platform/DibBlocks.h"
#include "platform/mModulePatch.h"
#include "resources/mThumbnail.h"

namespace {

using mTestKit::Fixture;

TEST(Thumbnail, ImageChosenAndSizeFitted) {
    struct cCase {
        const char* file;
        int size;
        int image; // in the icon the file shows
        int width, height;
    };
    const cCase cases[] = {
        // vista.ico: 48, 32 and 16 pixels, then a 256-pixel PNG image.
        {"icons/vista.ico", 16, 3, 16, 16},
        {"icons/vista.ico", 24, 2, 24, 24}, // the smallest at least 24 is 32, scaled down
        {"icons/vista.ico", 40, 1, 40, 40},
        {"icons/vista.ico", 128, 4, 128, 128},
        {"icons/vista.ico", 1024, 4, 256, 256}, // nothing that large: the largest, never enlarged
        // six.ico: 32 and 16 pixels at 16 colours, 256 colours and 32 bits, in that order.
        {"icons/six.ico", 32, 5, 32, 32},
        {"icons/six.ico", 8, 6, 8, 8},
        {"icons/depth1.ico", 1, 1, 1, 1},
        // Modules show their first group in stored order: named groups come first, sorted.
        {"modules/sample.dll", 256, 1, 256, 256}, // PNG256: one 256-pixel PNG image
        {"modules/good32.dll", 16, 2, 16, 16}, // APPICON: depth24.ico, 32 and 16 pixels
        {"modules/good64.exe", 24, 1, 24, 24},
        {"modules/good64.exe", 100, 1, 32, 32}, // only 32 pixels and less: 32, not enlarged
        {"modules/good.icl", 16, 2, 16, 16}, // NE keeps the order given: group 1, depth4.ico
        {"modules/shift9.icl", 32, 1, 32, 32},
        // A cursor file shows its cursor, an animated cursor its first frame; a cursor's depths
        // come from its images (its entries hold the hotspot).
        {"cursors/two.cur", 16, 1, 16, 16},
        {"cursors/two.cur", 24, 2, 24, 24},
        {"cursors/arrow.cur", 32, 1, 32, 32},
        {"crafted/busy.ani", 32, 1, 16, 16},
        // An .icns file by its first bytes: its images by their real sizes, double-density ones
        // included (pillow.icns: 128, 256, 512, 1024, then 32, 64, 256 and 512 at double density).
        {"icns/png2icns.icns", 32, 2, 32, 32},
        {"icns/pillow.icns", 100, 1, 100, 100},
        {"icns/pillow.icns", 1024, 4, 1024, 1024},
        {"icns/pillow.icns", 40, 6, 40, 40},
        // A compiled resource file as its module.
        {"modules/languages.res", 16, 1, 16, 16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " at " + std::to_string(c.size));
        const auto t = mThumbnail::Make(Fixture(c.file), c.size);
        ASSERT_EQ(t.failure, "");
        EXPECT_EQ(t.image, c.image);
        EXPECT_EQ(t.argb.Width(), c.width);
        EXPECT_EQ(t.argb.Height(), c.height);
    }
}

TEST(Thumbnail, PixelsAsImageMagickDecodesThemScaledSmoothly) {
    struct cCase {
        const char* file;
        int size;
        const char* render; // ImageMagick's rendering of the image chosen
    };
    const cCase cases[] = {
        {"icons/depth4.ico", 32, "depth4-0"}, // a 4-bit bitmap with its mask
        {"icons/hole24.ico", 32, "hole24-0"},    {"icons/vista.ico", 24, "vista-1"},
        {"modules/sample.dll", 256, "png256-0"}, {"modules/sample.dll", 100, "png256-0"},
        {"modules/good.icl", 48, "depth4-0"}, // 32 pixels: kept, not enlarged
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " at " + std::to_string(c.size));
        const auto t = mThumbnail::Make(Fixture(c.file), c.size);
        ASSERT_EQ(t.failure, "");
        mDib::cBitmap expected = mTestKit::ReadPng(Fixture(std::string("renders/") + c.render + ".png"));
        ASSERT_FALSE(expected.Empty());
        if (expected.Width() > c.size) expected = mDib::ScaleSmooth(expected, c.size, c.size);
        EXPECT_EQ(mTestKit::PixelDifferences(t.argb, expected), 0);
    }
}

TEST(Thumbnail, OpenDepthsAreReadFromTheImagesAndNonSquareImagesKeepTheirShape) {
    mTestKit::cTempDir dir;
    tDib::cSpec four;
    four.width = four.height = 32;
    four.bits = 4;
    tDib::cSpec eight = four;
    eight.bits = 8;
    const auto grey = [](int x, int) { return static_cast<std::uint32_t>(x % 16); };
    // Both directory entries leave the depth open (colour count 0, bit count 0): only the images'
    // headers tell that the second has 256 colours.
    mTestKit::WriteBytes(dir.File("open.ico"),
                         tDib::Ico({{tDib::Make(four, grey), 32, 32, 0, 0}, {tDib::Make(eight, grey), 32, 32, 0, 0}}));
    auto t = mThumbnail::Make(dir.File("open.ico"), 32);
    ASSERT_EQ(t.failure, "");
    EXPECT_EQ(t.image, 2);

    tDib::cSpec wide;
    wide.width = 32;
    wide.height = 16;
    mTestKit::WriteBytes(dir.File("wide.ico"), tDib::Ico({{tDib::Make(wide, grey), 32, 16, 0, 24}}));
    t = mThumbnail::Make(dir.File("wide.ico"), 24);
    ASSERT_EQ(t.failure, "");
    EXPECT_EQ(t.argb.Width(), 24);
    EXPECT_EQ(t.argb.Height(), 12);
    // Within the square as it is: its own size, neither side enlarged.
    t = mThumbnail::Make(dir.File("wide.ico"), 64);
    EXPECT_EQ(t.argb.Width(), 32);
    EXPECT_EQ(t.argb.Height(), 16);
}

std::uint64_t BytesReadSoFar() {
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value) {
        if (key == "rchar:") return value;
    }
    return 0;
}

TEST(Thumbnail, ReadsOnlyWhatItNeedsOfAHugeModule) {
    // The sample module with its resource section moved 1 GiB into the file (a sparse hole before
    // it): a reader of the whole module would read a gigabyte.
    mTestKit::cTempDir dir;
    auto bytes = mTestKit::ReadBytes(Fixture("modules/sample.dll"));
    const auto l = mModulePatch::Layout(bytes);
    std::vector<std::uint8_t> rsrc;
    constexpr std::uint32_t kNewAt = 1u << 30;
    for (std::size_t i = 0; i < GetLE16(bytes, l.sectionCountAt); ++i) {
        const std::size_t s = l.sectionTableAt + 40 * i;
        const std::uint32_t va = GetLE32(bytes, s + 12), raw = GetLE32(bytes, s + 16), at = GetLE32(bytes, s + 20);
        if (l.rsrcRva < va || l.rsrcRva >= va + raw) continue;
        rsrc.assign(bytes.begin() + at, bytes.begin() + at + raw);
        PutLE32(bytes, s + 20, kNewAt);
    }
    ASSERT_FALSE(rsrc.empty());
    const std::string path = dir.File("huge.dll");
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.seekp(kNewAt);
        out.write(reinterpret_cast<const char*>(rsrc.data()), static_cast<std::streamsize>(rsrc.size()));
        ASSERT_TRUE(out.good());
    }
    ASSERT_GT(std::filesystem::file_size(path), std::uintmax_t{kNewAt});

    const std::uint64_t before = BytesReadSoFar();
    const auto t = mThumbnail::Make(path, 128);
    const std::uint64_t read = BytesReadSoFar() - before;
    ASSERT_EQ(t.failure, "");
    EXPECT_EQ(t.argb.Width(), 128);
    EXPECT_LT(read, std::uint64_t{256} << 10) << read << " bytes read";
}

// A group stored in several languages is shown in the user's (cursors32.dll's icon group 1: de-DE
// depth4.ico, en-US depth8.ico, fr-FR depth1.ico): the same language and region, else the same
// language, else the lowest. A first group that gives no picture leaves the next one shown.
TEST(Thumbnail, TheUsersLanguageAndTheFirstGroupThatDraws) {
    const struct {
        const char* locale;
        const char* shows;
    } cases[] = {
        {"fr_FR.UTF-8", "icons/depth1.ico"}, {"en_GB", "icons/depth8.ico"},
        {"de_AT@euro", "icons/depth4.ico"},  {"", "icons/depth4.ico"},
        {"ja_JP", "icons/depth4.ico"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale);
        const auto t = mThumbnail::Make(Fixture("modules/cursors32.dll"), 32, c.locale);
        ASSERT_EQ(t.failure, "");
        EXPECT_EQ(t.argb, mThumbnail::Make(Fixture(c.shows), 32).argb);
    }
    mTestKit::cTempDir dir;
    mCraft::cPeSpec spec;
    spec.icons.push_back({{}, 2, mCraft::IconImage(296, 0x99)});
    spec.groups = {{{}, 1, mCraft::GroupDir({1}, 296)}, {{}, 2, mCraft::GroupDir({2}, 296)}};
    mTestKit::WriteBytes(dir.File("second.dll"), mCraft::Pe32(spec));
    const auto t = mThumbnail::Make(dir.File("second.dll"), 16);
    ASSERT_EQ(t.failure, "");
    EXPECT_EQ(t.argb, cFileIcon::BlockArgb(mCraft::IconImage(296, 0x99)));
}

// The PNG a thumbnailer writes holds Make's pixels for every fixture and size, whether encoded or
// a PNG image's stream kept as it is (the 256-pixel PNG images at their own size and more).
TEST(Thumbnail, PngWrittenHoldsThePicturesPixels) {
    int kept = 0;
    for (const char* folder : {"icons", "cursors", "modules", "crafted"}) {
        for (const auto& entry : std::filesystem::directory_iterator(Fixture(folder))) {
            for (const int size : {16, 48, 128, 256, 1024}) {
                const std::string path = entry.path().string();
                SCOPED_TRACE(path + " at " + std::to_string(size));
                const auto t = mThumbnail::Make(path, size);
                const auto p = mThumbnail::MakePng(path, size);
                EXPECT_EQ(p.failure, t.failure);
                EXPECT_EQ(p.image, t.image);
                if (!t.failure.empty()) continue;
                EXPECT_EQ(mDib::DecodePng(cByteView(p.png)), t.argb);
                kept += p.png != mDib::EncodePng(t.argb, true);
            }
        }
    }
    EXPECT_GE(kept, 4);
}

TEST(Thumbnail, Refusals) {
    mTestKit::cTempDir dir;
    const auto write = [&dir](const std::string& name, const std::vector<std::uint8_t>& b) {
        mTestKit::WriteBytes(dir.File(name), b);
        return dir.File(name);
    };
    const auto patched = [&dir](const std::string& name, std::function<void(std::vector<std::uint8_t>&)> f) {
        return mModulePatch::Patched(dir, "modules/broken32.dll", name, f);
    };
    // The group of broken32.dll's first icon group (1): its count and its one entry's length.
    const auto groupAt = [](const std::vector<std::uint8_t>& b) {
        const auto l = mModulePatch::Layout(b);
        return mModulePatch::DataAt(b, l, mModulePatch::Place(b, l, 14, 1));
    };
    tDib::cSpec s;
    const auto image = tDib::Make(s, [](int, int) { return 0x123456u; });
    auto cutIco = tDib::Ico({{image, 4, 4, 0, 24}, {image, 4, 4, 0, 24}});
    cutIco.resize(6 + 16 + 8);
    auto pastEnd = tDib::Ico({{image, 4, 4, 0, 24}});
    PutLE32(pastEnd, 6 + 12, static_cast<std::uint32_t>(pastEnd.size())); // the block starts at the end
    auto notDecodable = tDib::Ico({{image, 4, 4, 0, 24}});
    PutLE32(notDecodable, 6 + 16, 7); // biSize 7: no bitmap header
    // A PNG image whose header claims one pixel more than the decoder takes.
    auto hugePng = mDib::EncodePng(mDib::cBitmap(mDib::eFormat::Argb32, 1024, 600));
    ASSERT_GT(hugePng.size(), 24u);
    hugePng[19] = 1; // IHDR width, big-endian: 1024 -> 1025
    std::vector<std::uint8_t> mz(64);
    mz[0] = 'M';
    mz[1] = 'Z';
    ASSERT_FALSE(hugePng.empty());

    struct cCase {
        const char* name;
        std::string path;
        std::string failure; // in the reason given
    };
    const cCase cases[] = {
        {"missing file", dir.File("none.dll"), "The system cannot find the file specified."},
        {"a folder", dir.Path().string(), "Access is denied."},
        {"empty file", write("empty.ico", {}), "it is neither an icon file, a cursor nor a Windows module"},
        {"a PNG named .ico", write("png.ico", hugePng), "it is neither an icon file, a cursor nor a Windows module"},
        {"a cursor cut short", write("c.cur", {0, 0, 2, 0, 1, 0}), "its icon directory is cut short"},
        {"an animated cursor without frames", write("a.ani", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'C', 'O', 'N'}),
         "it is a damaged animated cursor: Failed to load animated cursor: The file has no anih header."},
        {"MZ and no module", write("mz.exe", mz), "mz.exe is not a valid Win32 application."},
        {"module without resources", Fixture("modules/nores32.dll"), "it holds no icons"},
        {"module without icons", Fixture("modules/noicons32.dll"), "it holds no icons"},
        {"icon directory cut short", write("cut.ico", cutIco), "its icon directory is cut short"},
        {"block past the end", write("end.ico", pastEnd), "image 1 is missing or damaged"},
        {"block not decodable", write("bad.ico", notDecodable), "image 1 cannot be decoded"},
        {"image too large", write("huge.ico", tDib::Ico({{hugePng, 0, 0, 0, 32}})), "image 1 cannot be decoded"},
        {"first group claims more images than it holds",
         patched("count.dll", [&](auto& b) { PutLE16(b, groupAt(b) + 4, 5); }), "its first icon group (1) is damaged"},
        {"first group lists no images", patched("zero.dll", [&](auto& b) { PutLE16(b, groupAt(b) + 4, 0); }),
         "its first icon group (1) lists no images"},
        {"image shorter than its group says",
         patched("short.dll", [&](auto& b) { PutLE32(b, groupAt(b) + 6 + 8, 297); }), "image 1 is missing or damaged"},
        {"image the module lacks", patched("lacks.dll", [&](auto& b) { PutLE16(b, groupAt(b) + 6 + 12, 41000); }),
         "image 1 is missing or damaged"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto t = mThumbnail::Make(c.path, 32);
        EXPECT_TRUE(t.argb.Empty());
        EXPECT_NE(t.failure.find(c.failure), std::string::npos) << t.failure;
        EXPECT_EQ(mThumbnail::MakePng(c.path, 32).failure, t.failure);
    }
    // Sizes outside 1 to 1024.
    EXPECT_NE(mThumbnail::Make(Fixture("icons/vista.ico"), 0).failure, "");
    EXPECT_NE(mThumbnail::Make(Fixture("icons/vista.ico"), 1025).failure, "");
}

} // namespace
