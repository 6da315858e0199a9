// The launcher's choices that the desktop cannot show us directly: which image makes which size,
// the quoting of Exec lines and string values, IDs from names, the Wine prefix of a path, and a
// group handed over as the window holds it.

#include <filesystem>

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "icon/cFileIcon.h"
#include "resources/mIconGroups.h"
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

// The window hands over the group it shows: that group is written, whatever `group` says. A
// launcher of ours at the ID is replaced with replaceOurs alone; a file that is not ours still
// refuses it, and nothing is written.
TEST(Launcher, TheGroupHandedOverAndOursReplacedOnlyWhereEveryFileIsOurs) {
    mTestKit::cTempDir dir;
    const std::string module = dir.File("app.dll");
    std::filesystem::copy_file(mTestKit::Fixture("modules/good32.dll"), module);
    std::vector<cFileIcon> icons;
    mIconGroups::Load(module, icons, {}, mIconGroups::kIconGroupsOnly);
    ASSERT_GE(icons.size(), 2u);
    const auto sizes = [](const std::vector<mLauncher::cSizePlan>& plan) {
        std::string text;
        for (const auto& p : plan) text += std::to_string(p.size) + ' ';
        return text;
    };
    const std::string second = sizes(mLauncher::PlanSizes(icons[1]));
    ASSERT_NE(second, sizes(mLauncher::PlanSizes(icons[0])));

    mLauncher::cRequest request;
    request.file = module;
    request.icon = &icons[1];
    request.name = "App";
    request.dataHome = dir.File("data");
    const mLauncher::cResult first = mLauncher::Create(request);
    std::string written;
    for (const std::string& f : first.written)
        if (f.find("/apps/App.png") != std::string::npos)
            written += std::filesystem::path(f).parent_path().parent_path().filename().string() + ' ';
    std::string expected;
    for (const auto& p : mLauncher::PlanSizes(icons[1]))
        expected += std::to_string(p.size) + 'x' + std::to_string(p.size) + ' ';
    EXPECT_EQ(written, expected);

    const std::string desktop = request.dataHome + "/applications/App.desktop";
    const auto raised = [&request] {
        try {
            mLauncher::Create(request);
        } catch (const cError& e) {
            return e;
        }
        return cError(0, "", "none");
    };
    EXPECT_EQ(raised().Number(), mLauncher::kErrOurs);
    request.replaceOurs = true;
    EXPECT_EQ(mLauncher::Create(request).written, first.written);

    mTestKit::WriteBytes(desktop, {'m', 'i', 'n', 'e'});
    const cError theirs = raised();
    EXPECT_EQ(theirs.Number(), mLauncher::kErrExists);
    EXPECT_EQ(theirs.Description(), desktop + " was not written by Pictrix" + std::string(mLauncher::kReplaceHint));
    EXPECT_EQ(mTestKit::ReadBytes(desktop), (std::vector<std::uint8_t>{'m', 'i', 'n', 'e'}));
}
