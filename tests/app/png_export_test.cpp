// Export as PNG without a window: which images, their file names, PNG blocks written as stored,
// bitmaps as ImageMagick decodes them, and failures reported per file.

#include <gtest/gtest.h>

#include <filesystem>

#include "app/mPngExport.h"
#include "common/mTestKit.h"
#include "fixtures/mCraft.h"

namespace {

using mTestKit::Fixture;

cFileIcon IconFile(const std::string& fixture) {
    cFileIcon icon;
    icon.LoadIcon(Fixture(fixture));
    return icon;
}

cFileIcon Group(const std::string& module, std::int32_t number, const std::string& name = {}) {
    cFileIcon icon;
    icon.LoadIconFromEXE(Fixture(module), number, name);
    return icon;
}

TEST(PngExport, WhichImages) {
    const cFileIcon six = IconFile("icons/six.ico"); // 32 and 16 at 16, 256 colours and 32 bits
    const cFileIcon vista = IconFile("icons/vista.ico");
    struct cCase {
        const char* name;
        const cFileIcon& icon;
        std::vector<bool> chosen;
        bool gridShown;
        std::vector<std::int32_t> expected;
    };
    const cCase cases[] = {
        {"grid hidden: the largest image with the most colours", six, {true, false}, false, {5}},
        {"grid hidden: the 256-pixel PNG image", vista, {}, false, {4}},
        {"the chosen images", six, {false, true, true, false, false, true}, true, {2, 3, 6}},
        {"none chosen means all", six, {false, false}, true, {1, 2, 3, 4, 5, 6}},
        {"flags past the images are ignored", vista, {false, false, false, true, true}, true, {4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(mPngExport::ImagesToExport(c.icon, c.chosen, c.gridShown), c.expected);
    }
}

TEST(PngExport, FileNamesFromTheIconAndTheImage) {
    const cFileIcon six = IconFile("icons/six.ico");
    const cFileIcon vista = Group("modules/sample.dll", 0, "VISTA");
    const cFileIcon numbered = Group("modules/sample.dll", 1);
    const cFileIcon depth24 = Group("modules/sample.dll", 4);
    const cFileIcon evil = Group("modules/slash.icl", 0, "../../Evil");
    EXPECT_EQ(mPngExport::FileName(six, 1), "six-32x32-4bit.png");
    EXPECT_EQ(mPngExport::FileName(six, 4), "six-16x16-8bit.png");
    EXPECT_EQ(mPngExport::FileName(six, 5), "six-32x32-32bit.png");
    EXPECT_EQ(mPngExport::FileName(vista, 4), "sample-VISTA-256x256-32bit.png");
    EXPECT_EQ(mPngExport::FileName(numbered, 1), "sample-1-32x32-1bit.png");
    EXPECT_EQ(mPngExport::FileName(depth24, 2), "sample-4-16x16-24bit.png");
    // A group name cannot lead out of the folder.
    EXPECT_EQ(mPngExport::FileName(evil, 1), "slash-.._.._Evil-32x32-1bit.png");
    // Two images of one size and depth in one export: the second gets "~2".
    const cFileIcon two = Group("modules/sample.dll", 5); // depth32.ico: two 32-pixel 32-bit images
    EXPECT_EQ(mPngExport::Plan(two, {1, 2}),
              (std::vector<mPngExport::cFile>{{1, "sample-5-32x32-32bit.png"}, {2, "sample-5-32x32-32bit~2.png"}}));
}

TEST(PngExport, PngBlocksAsStoredAndBitmapsAsImageMagickDecodesThem) {
    mTestKit::cTempDir dir;
    const cFileIcon vista = IconFile("icons/vista.ico");
    const cFileIcon depth4 = IconFile("icons/depth4.ico"); // 4-bit bitmaps with masks
    const cFileIcon hole = IconFile("icons/hole24.ico"); // a 24-bit bitmap whose mask cuts a hole
    auto report = mPngExport::Write(vista, mPngExport::Plan(vista, {4}), dir.Path().string());
    ASSERT_EQ(report.written.size(), 1u);
    const auto block = vista.Block(4);
    EXPECT_EQ(mTestKit::ReadBytes(report.written[0]), std::vector<std::uint8_t>(block.begin(), block.end()));

    struct cCase {
        const cFileIcon& icon;
        std::int32_t image;
        const char* render;
    };
    const cCase cases[] = {
        {depth4, 1, "depth4-0"}, {depth4, 2, "depth4-1"}, {hole, 1, "hole24-0"}, {vista, 1, "vista-0"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.render);
        report = mPngExport::Write(c.icon, mPngExport::Plan(c.icon, {c.image}), dir.Path().string());
        ASSERT_EQ(report.written.size(), 1u);
        const auto got = mTestKit::ReadPng(report.written[0]);
        ASSERT_FALSE(got.Empty());
        EXPECT_EQ(
            mTestKit::PixelDifferences(got, mTestKit::ReadPng(Fixture(std::string("renders/") + c.render + ".png"))),
            0);
    }
}

TEST(PngExport, FailuresAreReportedPerFileAndTheRestIsWritten) {
    mTestKit::cTempDir dir;
    const cFileIcon six = IconFile("icons/six.ico");
    std::filesystem::create_directory(dir.File("six-16x16-4bit.png")); // a folder where a file goes
    const auto report = mPngExport::Write(six, mPngExport::Plan(six, {1, 2, 3}), dir.Path().string());
    EXPECT_EQ(report.written,
              (std::vector<std::string>{dir.File("six-32x32-4bit.png"), dir.File("six-32x32-8bit.png")}));
    ASSERT_EQ(report.failed.size(), 1u);
    EXPECT_EQ(report.failed[0].path, dir.File("six-16x16-4bit.png"));
    EXPECT_EQ(mPngExport::ReportText(report), "2 PNG files written.\n" + dir.File("six-16x16-4bit.png") +
                                                  ": The system cannot open the device or file specified.");
    // Nothing but the files asked for is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()), 3);
}

// A PNG block that no decoder takes is a failed file, never "written"; a name from a long resource
// name is shortened as batch outputs are.
TEST(PngExport, UndecodableBlocksFailAndLongNamesFit) {
    mTestKit::cTempDir dir;
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    for (std::uint32_t side : {100000u, 100000u})
        for (int shift = 24; shift >= 0; shift -= 8) png.push_back(static_cast<std::uint8_t>(side >> shift));
    png.insert(png.end(), {8, 6, 0, 0, 0, 0, 0, 0, 0});
    std::vector<std::uint8_t> ico = {0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 1, 0, 32, 0};
    for (std::uint32_t v : {static_cast<std::uint32_t>(png.size()), 22u})
        for (int shift = 0; shift < 32; shift += 8) ico.push_back(static_cast<std::uint8_t>(v >> shift));
    ico.insert(ico.end(), png.begin(), png.end());
    mTestKit::WriteBytes(dir.File("huge.ico"), ico);
    cFileIcon huge;
    ASSERT_TRUE(huge.LoadIcon(dir.File("huge.ico")));
    const auto report = mPngExport::Write(huge, mPngExport::Plan(huge, {1}), dir.Path().string());
    EXPECT_TRUE(report.written.empty());
    ASSERT_EQ(report.failed.size(), 1u);
    EXPECT_EQ(mPngExport::ReportText(report).rfind("0 PNG files written.", 0), 0u);

    mCraft::cPeSpec spec;
    spec.icons.push_back({{}, 1, mCraft::IconImage()});
    spec.groups.push_back({std::u16string(300, u'L'), 0, mCraft::GroupDir({1}, 296)});
    mTestKit::WriteBytes(dir.File("long.dll"), mCraft::Pe32(spec));
    cFileIcon icon;
    ASSERT_TRUE(icon.LoadIconFromEXE(dir.File("long.dll"), 0, std::string(300, 'L')));
    const auto plan = mPngExport::Plan(icon, {1});
    EXPECT_LE(plan[0].name.size(), 255u);
    EXPECT_EQ(plan[0].name.substr(plan[0].name.size() - 4), ".png");
    EXPECT_EQ(mPngExport::Write(icon, plan, dir.Path().string()).written.size(), 1u);
}

TEST(PngExport, FilesAlreadyThereAreNamedInTheQuestion) {
    mTestKit::cTempDir dir;
    const cFileIcon six = IconFile("icons/six.ico");
    const auto plan = mPngExport::Plan(six, {1, 2, 3});
    EXPECT_TRUE(mPngExport::ExistingFiles(plan, dir.Path().string()).empty());
    mTestKit::WriteBytes(dir.File("six-16x16-4bit.png"), {1});
    auto existing = mPngExport::ExistingFiles(plan, dir.Path().string());
    EXPECT_EQ(existing, std::vector<std::string>{dir.File("six-16x16-4bit.png")});
    EXPECT_EQ(mPngExport::ReplaceQuestion(existing),
              dir.File("six-16x16-4bit.png") + " already exists.\rDo you want to replace it?");
    mTestKit::WriteBytes(dir.File("six-32x32-8bit.png"), {1});
    existing = mPngExport::ExistingFiles(plan, dir.Path().string());
    EXPECT_EQ(mPngExport::ReplaceQuestion(existing), "2 of these files already exist, " +
                                                         dir.File("six-16x16-4bit.png") +
                                                         " among them.\rDo you want to replace them?");
}

} // namespace
