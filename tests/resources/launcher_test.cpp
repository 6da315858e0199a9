// The launcher's choices that the desktop cannot show us directly: which image makes which size,
// the quoting of Exec lines and string values, IDs from names, and the Wine prefix of a path.

#include <filesystem>

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "resources/mLauncher.h"

namespace {

using mLauncher::cImageKind;

// The plan as "size:image" with "s" for a scaled image and "p" for a PNG written as stored.
std::string Plan(const std::vector<cImageKind>& images) {
    std::string text;
    for (const auto& p : mLauncher::PlanSizes(images)) {
        if (!text.empty()) text += ' ';
        text += std::to_string(p.size) + ':' + std::to_string(p.image) + (p.scaled ? "s" : "") + (p.stored ? "p" : "");
    }
    return text;
}

TEST(Launcher, EachSizeTakesTheExactImageElseTheNextLargerNeverAnEnlargement) {
    const struct {
        const char* name;
        std::vector<cImageKind> images;
        std::string plan;
    } cases[] = {
        {"the deepest of several exact images, a PNG stored as it is",
         {{32, 32, 4}, {32, 32, 32}, {32, 32, 8}, {256, 256, 32, true}},
         "16:2s 22:2s 24:2s 32:2 48:4s 64:4s 96:4s 128:4s 256:4p"},
        {"the smallest larger image, not the largest; its deepest",
         {{256, 256, 32}, {48, 48, 8}, {48, 48, 32}},
         "16:3s 22:3s 24:3s 32:3s 48:3 64:1s 96:1s 128:1s 256:1"},
        {"sizes stop at the largest image", {{16, 16, 4}, {40, 40, 32}}, "16:1 22:2s 24:2s 32:2s"},
        {"a non-square image by its larger side", {{20, 48, 32}}, "16:1s 22:1s 24:1s 32:1s 48:1s"},
        {"nothing large enough", {{8, 8, 4}, {15, 15, 32}}, ""},
        {"a PNG of another size is drawn, not stored", {{64, 64, 32, true}}, "16:1s 22:1s 24:1s 32:1s 48:1s 64:1p"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Plan(c.images), c.plan);
    }
}

TEST(Launcher, QuotingAndIds) {
    const std::pair<const char*, const char*> arguments[] = {
        {"wine", "wine"},     {"/a b/c.exe", "\"/a b/c.exe\""},
        {"100%", "100%%"},    {"say \"$HOME\" `x` \\", "\"say \\\"\\$HOME\\\" \\`x\\` \\\\\""},
        {"it's", "\"it's\""}, {"", "\"\""},
    };
    for (const auto& [raw, quoted] : arguments) {
        SCOPED_TRACE(raw);
        EXPECT_EQ(mLauncher::ExecArgument(raw), quoted);
    }
    EXPECT_EQ(mLauncher::StringValue(" a\\b\nc\t"), "\\sa\\\\b\\nc\\t");
    const std::pair<const char*, const char*> ids[] = {{"My App", "My-App"},       {"  --Tool (x64)!  ", "Tool-x64"},
                                                       {"\xc3\xa9t\xc3\xa9", "t"}, {"...", "launcher"},
                                                       {"a.b_c-d", "a.b_c-d"},     {"v1..2", "v1..2"}};
    for (const auto& [name, id] : ids) {
        SCOPED_TRACE(name);
        EXPECT_EQ(mLauncher::IdFromName(name), id);
        EXPECT_TRUE(mLauncher::ValidId(mLauncher::IdFromName(name)));
    }
    for (const char* bad : {"", ".hidden", "-x", "a/b", "a b", "../x"}) EXPECT_FALSE(mLauncher::ValidId(bad)) << bad;
}

// A shortcut's arguments as a Windows program receives them.
TEST(Launcher, WindowsCommandLinesSplitAsWindowsSplitsThem) {
    const struct {
        const char* line;
        std::vector<std::string> args;
    } cases[] = {
        {"  a  b\t", {"a", "b"}},
        {"\"two words\" x", {"two words", "x"}},
        {"C:\\dir\\ \"C:\\with space\\\\\"", {"C:\\dir\\", "C:\\with space\\"}},
        {"say\\\"hi\\\"", {"say\"hi\""}},
        {"\"\"", {""}},
        {"a\"b c\"d", {"ab cd"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(mLauncher::WindowsArguments(c.line), c.args);
    }
}

TEST(Launcher, TheWinePrefixIsTheFolderHoldingDriveC) {
    mTestKit::cTempDir dir;
    std::filesystem::create_directories(dir.Path() / "p/drive_c/x");
    std::filesystem::create_directories(dir.Path() / "q/drive_c_old");
    EXPECT_EQ(mLauncher::WinePrefix(dir.File("p/drive_c/x/a.exe")), dir.File("p"));
    EXPECT_EQ(mLauncher::WinePrefix(dir.File("p/drive_c/x/../a.exe")), dir.File("p"));
    EXPECT_EQ(mLauncher::WinePrefix(dir.File("q/drive_c_old/a.exe")), std::nullopt);
    EXPECT_EQ(mLauncher::WinePrefix(dir.File("p/a.exe")), std::nullopt);
}

} // namespace
