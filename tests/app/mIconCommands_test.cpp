// The restricted copy and the properties text of the chosen icon.

#include <gtest/gtest.h>

#include "app/mIconCommands.h"
#include "resources/mIconGroups.h"
#include "common/mTestKit.h"

namespace {

cFileIcon Load(const std::string& name) {
    cFileIcon icon;
    icon.LoadIcon(mTestKit::Fixture("icons/" + name));
    return icon;
}

std::vector<std::int32_t> Widths(const cFileIcon& icon) {
    std::vector<std::int32_t> w;
    for (std::int32_t i = 1; i <= icon.ImageCount(); ++i)
        w.push_back(icon.ImageWidth(i) * 1000 + icon.ImageColourCount(i) % 1000);
    return w;
}

} // namespace

TEST(RestrictedCopy, KeepsTheChosenImagesOrAllWhenNoneIsChosen) {
    const cFileIcon six = Load("six.ico");
    ASSERT_EQ(six.ImageCount(), 6);
    const auto all = Widths(six);
    struct Case {
        const char* name;
        std::vector<bool> chosen;
        std::vector<std::size_t> kept; // 0-based positions in the source
    } cases[] = {
        {"nothing chosen", {false, false, false, false, false, false}, {0, 1, 2, 3, 4, 5}},
        {"no flags at all", {}, {0, 1, 2, 3, 4, 5}},
        {"first and last", {true, false, false, false, false, true}, {0, 5}},
        {"middle two", {false, false, true, true, false, false}, {2, 3}},
        {"fewer flags than images", {false, true}, {1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cFileIcon copy = mIconCommands::RestrictedCopy(six, c.chosen);
        std::vector<std::int32_t> expected;
        for (auto k : c.kept) expected.push_back(all[k]);
        EXPECT_EQ(Widths(copy), expected);
        EXPECT_EQ(six.ImageCount(), 6) << "the source keeps its images";
        // The copy's offsets are back to back, so it saves as a valid file.
        std::int32_t offset = 6 + 16 * copy.ImageCount();
        for (std::int32_t i = 1; i <= copy.ImageCount(); ++i) {
            EXPECT_EQ(copy.Entry(i).dwImageOffset, offset);
            offset += copy.ImageSize(i);
        }
    }
}

TEST(PropertiesText, ToTheCharacter) {
    const cFileIcon eight = Load("depth8.ico");
    EXPECT_EQ(mIconCommands::PropertiesNameLine(eight), "File Name: " + mTestKit::Fixture("icons/depth8.ico"));
    EXPECT_EQ(mIconCommands::PropertiesText(eight), "\r\n\r\nIcon types in file:\r\n"
                                                    "    32 x 32,256 colors.    Size=" +
                                                        std::to_string(eight.ImageSize(1)) +
                                                        " bytes.   \r\n"
                                                        "    16 x 16,256 colors.    Size=" +
                                                        std::to_string(eight.ImageSize(2)) + " bytes.   \r\n");

    const cFileIcon deep = Load("depth24.ico");
    const std::string text = mIconCommands::PropertiesText(deep);
    EXPECT_EQ(text.substr(0, 4), "\r\n\r\n") << "an icon from an .ico file has no identifier line";
    EXPECT_NE(text.find("    32 x 32,millions of colors.    Size="), std::string::npos) << text;

    const cFileIcon vista = Load("vista.ico");
    EXPECT_NE(mIconCommands::PropertiesText(vista).find("    256 x 256,millions of colors."), std::string::npos);

    cFileIcon built;
    built.AddImage(32, 32, 16);
    EXPECT_EQ(mIconCommands::PropertiesText(built),
              "\r\n\r\nIcon types in file:\r\n    32 x 32,16 colors.    Size=744 bytes.   \r\n");
}

// A cursor names itself a cursor and each image's hotspot; a language row its language; an
// animated cursor adds its frames, steps and rates.
TEST(PropertiesText, CursorsLanguagesAndAnimations) {
    std::vector<cFileIcon> groups;
    mIconGroups::Load(mTestKit::Fixture("modules/cursors32.dll"), groups);
    ASSERT_EQ(groups.size(), 7u);
    EXPECT_EQ(mIconCommands::PropertiesText(groups[2]).substr(0, 32), "Icon: 1 [fr-FR]\r\n\r\nIcon types in");
    EXPECT_EQ(mIconCommands::PropertiesText(groups[6]), "Cursor: 2 [en-US]\r\n\r\nCursor types in file:\r\n"
                                                        "    16 x 16,256 colors.    Size=" +
                                                            std::to_string(groups[6].ImageSize(1)) +
                                                            " bytes.   Hotspot=1,2\r\n"
                                                            "    32 x 32,256 colors.    Size=" +
                                                            std::to_string(groups[6].ImageSize(2)) +
                                                            " bytes.   Hotspot=1,2\r\n");
    cAnimatedCursor busy;
    ASSERT_TRUE(busy.Load(mTestKit::Fixture("crafted/busy.ani")));
    EXPECT_EQ(mIconCommands::PropertiesText(busy.Frames()[1]).substr(0, 16), "Cursor: Frame 2\r");
    EXPECT_EQ(mIconCommands::AnimationPropertiesText(busy),
              "Frames: 4\r\nSteps: 1 2 3 4 3 2 1\r\nRates: 5 6 7 8 9 10 11 jiffies\r\n");
}

TEST(ClipboardIcon, TheIcoBytesAndTheLargestImage) {
    const cFileIcon six = Load("six.ico");
    cFileIcon copy = mIconCommands::RestrictedCopy(six, {});
    const auto payload = mIconCommands::ClipboardIcon(copy);
    // The bytes are a whole .ico file that reads back as the same icon.
    mTestKit::cTempDir dir;
    mTestKit::WriteBytes(dir.File("clip.ico"), payload.icoBytes);
    cFileIcon back;
    ASSERT_TRUE(back.LoadIcon(dir.File("clip.ico")));
    ASSERT_EQ(back.ImageCount(), copy.ImageCount());
    for (std::int32_t i = 1; i <= back.ImageCount(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(std::vector<std::uint8_t>(back.Block(i).begin(), back.Block(i).end()),
                  std::vector<std::uint8_t>(copy.Block(i).begin(), copy.Block(i).end()));
    }
    // The picture: the largest image, the one with the most colours among equals.
    struct {
        const char* file;
        std::int32_t image;
    } cases[] = {
        {"six.ico", 5}, // 32 and 16 pixels at 16, 256 colours and 32 bits: the 32-bit 32
        {"vista.ico", 4}, // 48, 32, 16 and a 256-pixel PNG image last
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(mIconCommands::ClipboardIcon(Load(c.file)).imageIndex, c.image);
    }

    cFileIcon empty;
    const auto none = mIconCommands::ClipboardIcon(empty);
    EXPECT_TRUE(none.icoBytes.empty());
    EXPECT_EQ(none.imageIndex, 0);
}
