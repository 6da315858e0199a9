// pictrix-cli list and extract, run as a user runs them.

#include <filesystem>

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "icon/cFileIcon.h"

using namespace mTestKit;
namespace fs = std::filesystem;

namespace {

const std::string kCli = std::string(PICTRIX_BINARY_DIR) + "/pictrix-cli";


} // namespace

// Each group's file holds what the loader reads of the group (the loader itself is held against
// wrestool in the icon tests).
TEST(ExtractCli, WritesEveryGroupUnderItsName) {
    cTempDir out;
    std::string stdoutText;
    const std::vector<std::string> modules = {"modules/good32.dll", "modules/good64.exe", "modules/sample.dll",
                                              "modules/good.icl"};
    std::string args = "extract -o " + Quote(out.Path().string());
    for (const auto& m : modules) args += " " + Quote(Fixture(m));
    ASSERT_EQ(Cli(args, &stdoutText), 0) << stdoutText;
    EXPECT_NE(stdoutText.find("Loading icon 3 of 8...\n"), std::string::npos);
    EXPECT_NE(stdoutText.find("\nTotal icons saved: 32\n"), std::string::npos) << stdoutText;

    struct {
        const char* file;
        const char* module;
        const char* group;
    } cases[] = {
        {"good321APPICON.ico", "modules/good32.dll", "APPICON"},
        {"good322MAINICON.ico", "modules/good32.dll", "MAINICON"},
        {"good3231.ico", "modules/good32.dll", "1"},
        {"good3243.ico", "modules/good32.dll", "3"},
        {"good3255.ico", "modules/good32.dll", "5"},
        {"good3267.ico", "modules/good32.dll", "7"},
        {"good3279.ico", "modules/good32.dll", "9"},
        {"good32840000.ico", "modules/good32.dll", "40000"},
        {"good642MAINICON.ico", "modules/good64.exe", "MAINICON"},
        {"good64840000.ico", "modules/good64.exe", "40000"},
        {"sample3VISTA.ico", "modules/sample.dll", "VISTA"},
        {"sample1PNG256.ico", "modules/sample.dll", "PNG256"},
        {"sample107.ico", "modules/sample.dll", "7"},
        {"sample12100.ico", "modules/sample.dll", "100"},
        {"good11.ico", "modules/good.icl", "1"},
        {"good22.ico", "modules/good.icl", "2"},
        {"good3AppIcon.ico", "modules/good.icl", "AppIcon"},
        {"good45.ico", "modules/good.icl", "5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        ASSERT_TRUE(fs::exists(out.File(c.file)));
        cFileIcon group;
        const std::string id = c.group;
        const bool number = id.find_first_not_of("0123456789") == std::string::npos;
        ASSERT_TRUE(group.LoadIconFromEXE(Fixture(c.module), number ? std::stoi(id) : 0, number ? "" : id));
        EXPECT_EQ(ReadBytes(out.File(c.file)), group.IcoBytes());
    }
}

TEST(ExtractCli, ExitStatusAndErrors) {
    cTempDir out;
    std::string o, e;
    // A failing file among good ones: the others are still extracted, the status is 1.
    EXPECT_EQ(Cli("extract -o " + Quote(out.Path().string()) + " " + Quote(Fixture("modules/nores32.dll")) + " " +
                      Quote(Fixture("modules/good.icl")),
                  &o, &e),
              1);
    EXPECT_NE(e.find(std::to_string(cError::ObjectError(0x419)) + ", pictrix-cli.cResource: The specified image file "
                                                                  "did not contain a resource section."),
              std::string::npos)
        << e;
    EXPECT_NE(o.find("Total icons saved: 4\n"), std::string::npos) << o;
    EXPECT_EQ(Cli("extract", &o, &e), 2);
    EXPECT_EQ(Cli("extract -o", &o, &e), 2);
    EXPECT_EQ(Cli("extract -x " + Quote(Fixture("modules/good.icl")), &o, &e), 2);
    // The default folder is the current one; a bare file name works.
    const std::string copy = out.File("copy.icl");
    fs::copy_file(Fixture("modules/good.icl"), copy);
    EXPECT_EQ(mTestKit::Run("cd " + Quote(out.Path().string()) + " && " + kCli + " extract copy.icl >/dev/null"), 0);
    EXPECT_TRUE(fs::exists(out.File("copy3AppIcon.ico")));
}

TEST(ListCli, OneLinePerGroup) {
    std::string o, e;
    ASSERT_EQ(Cli("list " + Quote(Fixture("modules/good32.dll")) + " " + Quote(Fixture("icons/depth4.ico")), &o, &e), 0)
        << e;
    EXPECT_NE(o.find("good32.dll: 8 icon groups\n"), std::string::npos) << o;
    EXPECT_NE(o.find("\n5\t5\t3\t32x32 16, 16x16 16, 32x32 256\n"), std::string::npos) << o;
    EXPECT_NE(o.find("\n2\tMAINICON\t3\t"), std::string::npos) << o;
    EXPECT_NE(o.find("depth4.ico: 1 icon group\n1\t-\t2\t32x32 16, 16x16 16\n"), std::string::npos) << o;
    EXPECT_EQ(Cli("list " + Quote(Fixture("modules/broken32.dll")), &o, &e), 1);
    EXPECT_NE(e.find("Failed to read bitmap bits from resource."), std::string::npos) << e;
    EXPECT_EQ(Cli("list", &o, &e), 2);
}
