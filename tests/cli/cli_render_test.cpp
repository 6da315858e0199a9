// pictrix-cli render, run as users run it: every fixture image against ImageMagick's rendering,
// the choice and scaling by size, and the failures.

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "platform/DibBlocks.h"
#include "platform/mDib.h"

namespace {

using mTestKit::Fixture;
using mTestKit::Quote;

int Cli(const std::string& args, std::string* out = nullptr) {
    std::string ignored;
    if (out) out->clear();
    return mTestKit::Run(std::string(PICTRIX_BINARY_DIR) + "/pictrix-cli render " + args + " 2>&1",
                         out ? out : &ignored);
}

using mTestKit::ReadPng;
int Differences(const mDib::cBitmap& a, const mDib::cBitmap& b) { return mTestKit::PixelDifferences(a, b); }

TEST(CliRender, EveryFixtureImageAsAnIndependentDecoderSeesIt) {
    mTestKit::cTempDir dir;
    const std::pair<const char*, int> icons[] = {{"depth1", 1},  {"depth4", 2}, {"depth8", 2}, {"depth24", 2},
                                                 {"depth32", 2}, {"hole24", 1}, {"png256", 1}, {"multi", 3},
                                                 {"vista", 4},   {"six", 6}};
    for (const auto& [name, count] : icons) {
        for (int i = 1; i <= count; ++i) {
            SCOPED_TRACE(std::string(name) + " image " + std::to_string(i));
            const std::string out = dir.File("out.png");
            std::string text;
            ASSERT_EQ(Cli(Quote(Fixture(std::string("icons/") + name + ".ico")) + " --image " + std::to_string(i) +
                              " -o " + Quote(out),
                          &text),
                      0)
                << text;
            const auto got = ReadPng(out);
            const auto expected =
                ReadPng(Fixture("renders/" + std::string(name) + "-" + std::to_string(i - 1) + ".png"));
            ASSERT_FALSE(got.Empty());
            EXPECT_EQ(Differences(got, expected), 0);
        }
    }
}

TEST(CliRender, BestImageForTheSizeAndSmoothScaling) {
    mTestKit::cTempDir dir;
    const std::string vista = Quote(Fixture("icons/vista.ico")), out = dir.File("o.png");
    std::string text;
    // No image named: the best one for the size (32 by default).
    ASSERT_EQ(Cli(vista + " -o " + Quote(out), &text), 0) << text;
    EXPECT_NE(text.find("image 2, 32 x 32"), std::string::npos) << text;
    ASSERT_EQ(Cli(vista + " --size 256 -o " + Quote(out), &text), 0) << text;
    EXPECT_NE(text.find("image 4, 256 x 256"), std::string::npos) << text;
    EXPECT_EQ(Differences(ReadPng(out), ReadPng(Fixture("renders/vista-3.png"))), 0);
    // A size the icon lacks: the nearest image, scaled smoothly.
    ASSERT_EQ(Cli(vista + " --size 24 -o " + Quote(out), &text), 0) << text;
    // 32 and 16 are equally near 24: the first of them.
    EXPECT_NE(text.find("image 2, 24 x 24"), std::string::npos) << text;
    const auto scaled = ReadPng(out);
    const auto source = ReadPng(Fixture("renders/vista-1.png"));
    EXPECT_EQ(Differences(scaled, mDib::ScaleSmooth(source, 24, 24)), 0);
    // A group of a module: group 3 of the sample is the VISTA icon, whose image 4 is the PNG.
    const std::string sample = Quote(Fixture("modules/sample.dll"));
    ASSERT_EQ(Cli(sample + " --group 3 --size 256 -o " + Quote(out), &text), 0) << text;
    EXPECT_NE(text.find("image 4, 256 x 256"), std::string::npos) << text;
    EXPECT_EQ(Differences(ReadPng(out), ReadPng(Fixture("renders/vista-3.png"))), 0);
    // Farther from every image than the list looks: the largest, scaled.
    ASSERT_EQ(Cli(vista + " --size 600 -o " + Quote(out), &text), 0) << text;
    EXPECT_NE(text.find("image 4, 600 x 600"), std::string::npos) << text;
    // A named image at another size.
    ASSERT_EQ(Cli(vista + " --image 4 --size 64 -o " + Quote(out), &text), 0) << text;
    EXPECT_EQ(ReadPng(out).Width(), 64);
}

// A cursor renders as the icon of the same image would; an animated cursor's frame is chosen by
// --frame.
TEST(CliRender, CursorsAndFrames) {
    mTestKit::cTempDir dir;
    const std::string out = dir.File("o.png");
    std::string text;
    ASSERT_EQ(Cli(Quote(Fixture("cursors/two.cur")) + " --image 2 -o " + Quote(out), &text), 0) << text;
    EXPECT_NE(text.find("image 2, 32 x 32"), std::string::npos) << text;
    const auto busy = Quote(Fixture("crafted/busy.ani"));
    ASSERT_EQ(Cli(busy + " --frame 3 -o " + Quote(out), &text), 0) << text;
    const auto third = ReadPng(out);
    ASSERT_EQ(Cli(busy + " --frame 1 -o " + Quote(out), &text), 0) << text;
    EXPECT_GT(Differences(ReadPng(out), third), 0) << "each frame is drawn in its own shade";
    EXPECT_EQ(Cli(busy + " --frame 5 -o " + Quote(out), &text), 1);
    EXPECT_NE(text.find("there is no frame 5; the file holds 4"), std::string::npos) << text;
}

TEST(CliRender, Failures) {
    mTestKit::cTempDir dir;
    const std::string ico = Quote(Fixture("icons/multi.ico"));
    struct cCase {
        const char* name;
        std::string args;
        int status;
        const char* message;
    };
    // An icon whose only image cannot be decoded.
    tDib::cSpec s;
    auto block = tDib::Make(s, [](int, int) { return 0u; });
    block.resize(50);
    mTestKit::WriteBytes(dir.File("bad.ico"), tDib::Ico({{block, 4, 4, 0, 24}}));
    const std::vector<cCase> cases = {
        {"no output", ico, 2, "usage:"},
        {"no file", "-o x.png", 2, "usage:"},
        {"image 0", ico + " --image 0 -o x.png", 2, "usage:"},
        {"size not a number", ico + " --size big -o x.png", 2, "usage:"},
        {"image past the end", ico + " --image 4 -o " + Quote(dir.File("x.png")), 1,
         "there is no image 4; the icon holds 3"},
        {"group 2 of an icon file", ico + " --group 2 -o " + Quote(dir.File("x.png")), 1,
         "there is no icon group 2; the file holds 1"},
        {"group past a module's last",
         Quote(Fixture("modules/sample.dll")) + " --group 13 -o " + Quote(dir.File("x.png")), 1,
         "there is no icon group 13; the file holds 12"},
        {"not a module", Quote(Fixture("icons/r256.png")) + " -o " + Quote(dir.File("x.png")), 1, "-2147220455, "},
        {"missing file", "/nonexistent/a.ico -o " + Quote(dir.File("x.png")), 1, "Failed to load icon"},
        {"undecodable image", Quote(dir.File("bad.ico")) + " -o " + Quote(dir.File("x.png")), 1, "481, "},
        {"output is a folder", ico + " -o " + Quote(dir.Path().string()), 1, "cannot write the PNG"},
        {"output below a file", ico + " -o " + Quote(dir.File("bad.ico") + "/x.png"), 1, "cannot write the PNG"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text;
        EXPECT_EQ(Cli(c.args, &text), c.status) << text;
        EXPECT_NE(text.find(c.message), std::string::npos) << text;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.png")));
}

} // namespace
