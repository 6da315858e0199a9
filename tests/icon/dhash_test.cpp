// The difference hash of a group against an independent implementation (Pillow), and what it is
// for: the same picture at other depths and sizes stays near, unrelated pictures stay far.

#include <sstream>

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "icon/cFileIcon.h"
#include "icon/mDHash.h"

using namespace mTestKit;

namespace {

std::uint64_t HashOf(const std::string& fixture) {
    cFileIcon icon;
    EXPECT_TRUE(icon.LoadIcon(Fixture(fixture))) << fixture;
    const auto hash = mDHash::OfGroup(icon);
    EXPECT_TRUE(hash.has_value()) << fixture;
    return hash.value_or(0);
}

} // namespace

TEST(DHash, AgreesWithPillowWithinFourBits) {
    // Every depth (1, 4, 8, 24, 32 bits), masks and alpha, a PNG image, several sizes to choose from.
    const std::vector<std::string> fixtures = {
        "similar/a_4.ico",  "similar/a_8.ico",     "similar/a_32.ico", "similar/a_48.ico", "similar/a_png.ico",
        "similar/b_32.ico", "similar/b_multi.ico", "similar/c_32.ico", "similar/d_24.ico", "similar/d_32.ico",
        "icons/vista.ico",  "icons/png256.ico",    "icons/depth1.ico", "icons/hole24.ico", "icons/six.ico"};
    std::string command = Quote(PICTRIX_PYTHON) + " " + Quote(PICTRIX_SOURCE_DIR "/tests/icon/dhash_oracle.py");
    for (const auto& f : fixtures) command += " " + Quote(Fixture(f));
    std::string output;
    ASSERT_EQ(mTestKit::Run(command, &output), 0) << "python3 with Pillow (python3-pil) is needed: " << output;
    std::istringstream lines(output);
    for (const auto& f : fixtures) {
        SCOPED_TRACE(f);
        std::string line;
        std::uint64_t theirs = 0;
        ASSERT_TRUE(std::getline(lines, line) && mDHash::ParseHex(line, theirs)) << line;
        const std::uint64_t ours = HashOf(f);
        EXPECT_LE(mDHash::Distance(ours, theirs), 4) << mDHash::Hex(ours) << " against " << line;
    }
}

TEST(DHash, SamePictureNearUnrelatedFar) {
    // a at 4, 8 and 32 bits (32 pixels), at 48 pixels and as a 64-pixel PNG image.
    const std::vector<std::string> same = {"similar/a_4.ico", "similar/a_8.ico", "similar/a_32.ico", "similar/a_48.ico",
                                           "similar/a_png.ico"};
    for (std::size_t i = 0; i < same.size(); ++i)
        for (std::size_t j = i + 1; j < same.size(); ++j) {
            SCOPED_TRACE(same[i] + " and " + same[j]);
            EXPECT_LE(mDHash::Distance(HashOf(same[i]), HashOf(same[j])), 6);
        }
    const std::pair<const char*, const char*> unrelated[] = {{"similar/a_32.ico", "similar/b_32.ico"},
                                                             {"similar/a_32.ico", "similar/c_32.ico"},
                                                             {"similar/a_48.ico", "similar/d_32.ico"},
                                                             {"similar/b_48.ico", "similar/c_32.ico"},
                                                             {"similar/c_32.ico", "similar/d_24.ico"}};
    for (const auto& [x, y] : unrelated) {
        SCOPED_TRACE(std::string(x) + " and " + y);
        EXPECT_GT(mDHash::Distance(HashOf(x), HashOf(y)), 16);
    }
    // Of 48 and 32 pixels the 48 is nearest 64: the group hashes as its 48-pixel image alone.
    EXPECT_EQ(HashOf("similar/b_multi.ico"), HashOf("similar/b_48.ico"));
    // Of 16, 32, 48 and a 256-pixel PNG image, the PNG image is tried last; of two equally near
    // 64 the larger first; of one side, the most colours first.
    cFileIcon ten;
    ASSERT_TRUE(ten.LoadIcon(Fixture("icons/ten.ico")));
    const std::vector<std::int32_t> order = mDHash::ImageOrder(ten);
    ASSERT_EQ(order.size(), 10u);
    EXPECT_EQ(ten.ImageWidth(order.front()), 48);
    EXPECT_EQ(ten.ImageWidth(order.back()), 256);
    EXPECT_EQ(ten.ImageWidth(order[1]), 32);
    EXPECT_GE(ten.ImageColourCount(order[1]), ten.ImageColourCount(order[2]));
}

TEST(DHash, UndecodableImagesGiveWayAndHashesParseStrictly) {
    // A group whose chosen image is damaged hashes its next image; with none left, no hash.
    cTempDir tmp;
    std::vector<std::uint8_t> bytes = ReadBytes(Fixture("icons/multi.ico")); // 48, 32, 16
    cFileIcon icon;
    ASSERT_TRUE(icon.LoadIcon(Fixture("icons/multi.ico")));
    const std::vector<std::int32_t> order = mDHash::ImageOrder(icon);
    for (std::size_t k = 0; k < order.size(); ++k) {
        // Its header's size made 7, which no bitmap header has.
        PutLE32(bytes, GetLE32(bytes, 6 + 16 * static_cast<std::size_t>(order[k] - 1) + 12), 7);
        WriteBytes(tmp.File("damaged.ico"), bytes);
        cFileIcon damaged;
        ASSERT_TRUE(damaged.LoadIcon(tmp.File("damaged.ico")));
        SCOPED_TRACE(k);
        if (k + 1 < order.size())
            EXPECT_EQ(mDHash::OfGroup(damaged), mDHash::OfBitmap(icon.ImageArgb(order[k + 1])));
        else
            EXPECT_FALSE(mDHash::OfGroup(damaged).has_value());
    }
    std::uint64_t h = 0;
    for (const char* bad : {"", "0123456789abcde", "0123456789abcdef0", "0123456789abcdeg", " 123456789abcdef"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(mDHash::ParseHex(bad, h));
    }
    ASSERT_TRUE(mDHash::ParseHex("FFFFdf8f9fdfdfff", h));
    EXPECT_EQ(mDHash::Hex(h), "ffffdf8f9fdfdfff");
}
