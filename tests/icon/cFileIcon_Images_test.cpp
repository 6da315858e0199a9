// Image queries and editing: colour counts, the offset arithmetic of RemoveImage and AddImage,
// and the deep copy of CloneTo.

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "icon/cFileIcon.h"
#include "icon/mIcoBuilder.h"

using mTestKit::cTempDir;
using mTestKit::ExpectError;

namespace {

cFileIcon LoadBuilt(const cTempDir& dir, const std::vector<cTestEntry>& entries) {
    const std::string path = dir.File("built.ico");
    mTestKit::WriteBytes(path, BuildIco(entries));
    cFileIcon icon;
    icon.LoadIcon(path);
    return icon;
}

// Images A (offset 54, 744 bytes), B (798, 296) and C (1094, 2216), back to back.
cFileIcon ThreeImages(const cTempDir& dir) {
    return LoadBuilt(dir, {{.width = 32, .height = 32, .colours = 16, .bits = 4, .block = DibBlock(744, 1, 4)},
                           {.width = 16, .height = 16, .colours = 16, .bits = 4, .block = DibBlock(296, 1, 4)},
                           {.width = 32, .height = 32, .colours = 0, .bits = 8, .block = DibBlock(2216, 1, 8)}});
}

std::vector<std::int32_t> Offsets(const cFileIcon& icon) {
    std::vector<std::int32_t> out;
    for (std::int32_t i = 1; i <= icon.ImageCount(); ++i) out.push_back(icon.Entry(i).dwImageOffset);
    return out;
}

} // namespace

TEST(ImageColourCount, DirectoryFirstThenTheImageItself) {
    struct Case {
        const char* name;
        std::uint8_t colours;
        std::int16_t bits;
        std::vector<std::uint8_t> block;
        std::int32_t expected;
    } cases[] = {
        {"palette count", 16, 4, DibBlock(100, 1, 4), 16},
        {"8 bits", 0, 8, DibBlock(100, 1, 8), 256},
        {"24 bits", 0, 24, DibBlock(100, 1, 24), 16777216},
        {"32 bits is not an overflow", 0, 32, DibBlock(100, 1, 32), 2147483647},
        {"31 bits", 0, 31, DibBlock(100, 1, 32), 2147483647},
        {"depth from the DIB header", 0, 0, DibBlock(100, 1, 8), 256},
        {"planes times bits", 0, 0, DibBlock(100, 2, 4), 256},
        {"depth from a PNG block", 0, 0, PngBlock(64), 2147483647},
        {"nothing known", 0, 0, DibBlock(10, 1, 8), 1},
        {"header says 0 bits", 0, 0, DibBlock(100, 1, 0), 1},
        {"directory wins over the block", 0, 4, DibBlock(100, 1, 32), 16},
    };
    cTempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cFileIcon icon = LoadBuilt(dir, {{.colours = c.colours, .bits = c.bits, .block = c.block}});
        ASSERT_EQ(icon.ImageCount(), 1);
        EXPECT_EQ(icon.ImageColourCount(1), c.expected);
    }
}

TEST(ImageQueries, RealIconsAndIndexChecks) {
    cFileIcon icon;
    ASSERT_TRUE(icon.LoadIcon(mTestKit::Fixture("icons/vista.ico")));
    ASSERT_EQ(icon.ImageCount(), 4);
    EXPECT_EQ(icon.ImageWidth(1), 48);
    EXPECT_EQ(icon.ImageHeight(3), 16);
    EXPECT_EQ(icon.ImageWidth(4), 256) << "a width byte of 0 means 256";
    EXPECT_EQ(icon.ImageHeight(4), 256);
    EXPECT_EQ(icon.Entry(4).bWidth, 0);
    EXPECT_TRUE(icon.IsPngImage(4));
    EXPECT_FALSE(icon.IsPngImage(1));
    EXPECT_EQ(icon.ImageSize(4), static_cast<std::int32_t>(icon.Block(4).size()));
    for (std::int32_t bad : {0, -1, 5}) {
        SCOPED_TRACE(bad);
        for (auto query :
             {&cFileIcon::ImageWidth, &cFileIcon::ImageHeight, &cFileIcon::ImageColourCount, &cFileIcon::ImageSize}) {
            ExpectError([&] { (void)(icon.*query)(bad); }, 9, "test_icon", "Subscript out of range");
        }
    }
}

TEST(ImageQueries, AnImageLargerThanTheDirectoryCanSayHasItsOwnHeadersSize) {
    // A PNG image whose IHDR gives width x height.
    auto png = [](std::uint32_t width, std::uint32_t height) {
        std::vector<std::uint8_t> b = PngBlock(64);
        const std::uint8_t ihdr[] = {0, 0, 0, 13, 'I', 'H', 'D', 'R'};
        std::copy(std::begin(ihdr), std::end(ihdr), b.begin() + 8);
        for (int i = 0; i < 4; ++i) {
            b[static_cast<std::size_t>(16 + i)] = static_cast<std::uint8_t>(width >> (24 - 8 * i));
            b[static_cast<std::size_t>(20 + i)] = static_cast<std::uint8_t>(height >> (24 - 8 * i));
        }
        return b;
    };
    std::vector<std::uint8_t> dib512 = DibBlock(64, 1, 32);
    PutLE32(dib512, 4, 512);
    PutLE32(dib512, 8, 1024); // the colour bitmap and the mask
    struct cCase {
        const char* name;
        std::uint8_t directory; // the entry's width and height bytes
        std::vector<std::uint8_t> block;
        std::int32_t width, height;
    };
    const cCase cases[] = {
        {"512 x 512", 0, png(512, 512), 512, 512},
        {"1024 x 300", 0, png(1024, 300), 1024, 300},
        // Past what is ever drawn, or smaller than the directory says: the directory's word.
        {"5000 x 5000", 0, png(5000, 5000), 256, 256},
        {"48 x 48 given as 256", 0, png(48, 48), 256, 256},
        {"a bitmap of 512 x 512", 0, dib512, 512, 512},
        {"a byte the directory can say", 64, png(512, 512), 64, 64},
    };
    cTempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const cFileIcon icon = LoadBuilt(dir, {{.width = c.directory, .height = c.directory, .block = c.block}});
        ASSERT_EQ(icon.ImageCount(), 1);
        EXPECT_EQ(icon.ImageWidth(1), c.width);
        EXPECT_EQ(icon.ImageHeight(1), c.height);
    }
}

TEST(RemoveImage, OffsetsStayBackToBack) {
    cTempDir dir;
    {
        cFileIcon icon = ThreeImages(dir);
        ASSERT_EQ(Offsets(icon), (std::vector<std::int32_t>{54, 798, 1094}));
        icon.RemoveImage(2);
        EXPECT_EQ(Offsets(icon), (std::vector<std::int32_t>{38, 782}));
        EXPECT_EQ(icon.ImageSize(1), 744);
        EXPECT_EQ(icon.ImageSize(2), 2216);
        EXPECT_EQ(icon.Block(2).size(), 2216u);
    }
    {
        cFileIcon icon = ThreeImages(dir);
        icon.RemoveImage(1);
        EXPECT_EQ(Offsets(icon), (std::vector<std::int32_t>{38, 334}));
        EXPECT_EQ(icon.ImageWidth(1), 16);
    }
    {
        cFileIcon icon = ThreeImages(dir);
        icon.RemoveImage(3);
        EXPECT_EQ(Offsets(icon), (std::vector<std::int32_t>{38, 782}));
        // Saved after removal, the file is the same as one built from the remaining images.
        const std::string path = dir.File("two.ico");
        ASSERT_TRUE(icon.SaveIcon(path));
        cFileIcon back;
        ASSERT_TRUE(back.LoadIcon(path));
        EXPECT_EQ(Offsets(back), Offsets(icon));
    }
}

TEST(RemoveImage, OneImageEmptiesWhateverTheNumberAndBadNumbersAreRefused) {
    cTempDir dir;
    cFileIcon one = LoadBuilt(dir, {{.block = DibBlock(100, 1, 32)}});
    one.RemoveImage(5);
    EXPECT_EQ(one.ImageCount(), 0);
    one.RemoveImage(1); // nothing left: still no images, no error
    EXPECT_EQ(one.ImageCount(), 0);

    cFileIcon three = ThreeImages(dir);
    for (std::int32_t bad : {0, 4, -2}) {
        SCOPED_TRACE(bad);
        ExpectError([&] { three.RemoveImage(bad); }, 9, "test_icon", "Subscript out of range");
        EXPECT_EQ(Offsets(three), (std::vector<std::int32_t>{54, 798, 1094})) << "unchanged";
    }
}

TEST(AddImage, NewImagesOnAnEmptyIcon) {
    struct Case {
        std::int32_t width, height, colours;
        std::int16_t bits;
        std::uint8_t colourByte;
        std::int32_t bytes;
    } cases[] = {
        {32, 32, 16, 4, 16, 40 + 64 + 32 * 16 + 32 * 4}, // 744
        {16, 16, 2, 1, 2, 40 + 8 + 16 * 4 + 16 * 4}, // 176
        {32, 32, 16777216, 24, 0, 40 + 32 * 96 + 32 * 4}, // 3240
        {48, 48, 256, 8, 0, 40 + 1024 + 48 * 48 + 48 * 8}, {255, 1, 16, 4, 16, 40 + 64 + 128 + 32},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + "x" + std::to_string(c.colours));
        cFileIcon icon;
        icon.AddImage(c.width, c.height, c.colours);
        ASSERT_EQ(icon.ImageCount(), 1);
        const ICONDIRENTRY& e = icon.Entry(1);
        EXPECT_EQ(e.dwImageOffset, 22);
        EXPECT_EQ(e.wBitCount, c.bits);
        EXPECT_EQ(e.bColorCount, c.colourByte);
        EXPECT_EQ(e.wPlanes, 1);
        EXPECT_EQ(e.dwBytesInRes, c.bytes);
        auto block = icon.Block(1);
        ASSERT_EQ(static_cast<std::int32_t>(block.size()), c.bytes);
        std::vector<std::uint8_t> b(block.begin(), block.end());
        EXPECT_EQ(GetLE32(b, 0), 40u);
        EXPECT_EQ(GetLE32(b, 4), static_cast<std::uint32_t>(c.width));
        EXPECT_EQ(GetLE32(b, 8), static_cast<std::uint32_t>(2 * c.height));
        EXPECT_EQ(GetLE16(b, 12), 1u);
        EXPECT_EQ(GetLE16(b, 14), static_cast<std::uint16_t>(c.bits));
        // Palette entry 1 is white for a 1-bit image; everything else is 0 (a black square).
        for (std::size_t i = 40; i < b.size(); ++i) {
            const bool white = c.bits == 1 && i >= 44 && i <= 46;
            ASSERT_EQ(b[i], white ? 255 : 0) << "byte " << i;
        }
    }
}

TEST(AddImage, AppendsAfterTheLastBlockAndRefusesDuplicates) {
    cFileIcon icon;
    icon.AddImage(32, 32, 16);
    icon.AddImage(16, 16, 256);
    EXPECT_EQ(icon.Entry(1).dwImageOffset, 38);
    EXPECT_EQ(icon.Entry(2).dwImageOffset, 38 + 744);

    ExpectError([&] { icon.AddImage(32, 32, 16); }, static_cast<std::int32_t>(0x80040419), "test_icon.cFileIcon",
                "Icon already exists.");
    EXPECT_EQ(icon.ImageCount(), 2);
    EXPECT_EQ(icon.Entry(1).dwImageOffset, 38);

    // Same size, other colours: a new image.
    icon.AddImage(32, 32, 2);
    EXPECT_EQ(icon.ImageCount(), 3);
    EXPECT_EQ(icon.Entry(1).dwImageOffset, 54);
    EXPECT_EQ(icon.Entry(3).dwImageOffset, 54 + 744 + icon.ImageSize(2));
}

TEST(AddImage, TheNextFreeOffsetFollowsTheHighestBlockNotTheLastEntry) {
    cTempDir dir;
    // Entry 1 lies after entry 2 in the file.
    cFileIcon icon = LoadBuilt(
        dir, {{.width = 32, .height = 32, .colours = 16, .bits = 4, .block = DibBlock(300, 1, 4), .offset = 500},
              {.width = 16, .height = 16, .colours = 16, .bits = 4, .block = DibBlock(100, 1, 4), .offset = 38}});
    icon.AddImage(48, 48, 16);
    EXPECT_EQ(icon.Entry(1).dwImageOffset, 516);
    EXPECT_EQ(icon.Entry(2).dwImageOffset, 54);
    EXPECT_EQ(icon.Entry(3).dwImageOffset, 500 + 300 + 16);
}

TEST(AddImage, SizesThatDoNotFitAByteChangeNothing) {
    cFileIcon icon;
    icon.AddImage(16, 16, 16);
    for (const auto& size : {std::pair{256, 16}, std::pair{16, 256}, std::pair{-1, 16}}) {
        SCOPED_TRACE(std::to_string(size.first) + "x" + std::to_string(size.second));
        ExpectError([&] { icon.AddImage(size.first, size.second, 16); }, 6, "test_icon", "Overflow");
        EXPECT_EQ(icon.ImageCount(), 1);
        EXPECT_EQ(icon.Entry(1).dwImageOffset, 22);
    }
}

TEST(CloneTo, IsADeepCopy) {
    cFileIcon source;
    ASSERT_TRUE(source.LoadIcon(mTestKit::Fixture("icons/six.ico")));
    cFileIcon target;
    target.AddImage(8, 8, 2);
    source.CloneTo(target);
    EXPECT_EQ(target.Filename(), source.Filename());
    EXPECT_EQ(target.IcoBytes(), source.IcoBytes());

    for (std::int32_t j = target.ImageCount(); j >= 1; --j) {
        if (j % 2 == 0) target.RemoveImage(j);
    }
    target.AddImage(64, 64, 16);
    EXPECT_EQ(target.ImageCount(), 4);
    EXPECT_EQ(source.ImageCount(), 6);
    const auto original = mTestKit::ReadBytes(mTestKit::Fixture("icons/six.ico"));
    EXPECT_EQ(source.IcoBytes(), original);

    cFileIcon empty, filled;
    filled.AddImage(16, 16, 16);
    empty.CloneTo(filled);
    EXPECT_EQ(filled.ImageCount(), 0);
}
