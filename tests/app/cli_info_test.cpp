// pictrix-cli info, run as users run it.

#include <gtest/gtest.h>

#include "common/mTestKit.h"

namespace {

int Cli(const std::string& args, std::string* out) {
    return mTestKit::Run(std::string(PICTRIX_BINARY_DIR) + "/pictrix-cli " + args + " 2>&1", out);
}

} // namespace

TEST(CliInfo, PrintsTheHeaderAndEveryImage) {
    std::string out;
    ASSERT_EQ(Cli("info " + mTestKit::Quote(mTestKit::Fixture("icons/vista.ico")), &out), 0) << out;
    EXPECT_NE(out.find("header: reserved 0, type 1, images 4"), std::string::npos) << out;
    EXPECT_NE(out.find("     1     48     48        256    3752      70  DIB"), std::string::npos) << out;
    EXPECT_NE(out.find("   256    256 2147483647"), std::string::npos) << out;
    EXPECT_NE(out.find("PNG"), std::string::npos) << out;
}

TEST(CliInfo, ExitStatusTellsFailuresFromBadUsage) {
    std::string out;
    EXPECT_EQ(Cli("info /nonexistent/x.ico", &out), 1);
    EXPECT_NE(out.find("-2147220454, pictrix-cli.cFileIcon: Failed to load icon: The system cannot find the path "
                       "specified."),
              std::string::npos)
        << out;
    out.clear();
    EXPECT_EQ(Cli("info", &out), 2);
    EXPECT_EQ(Cli("frobnicate", &out), 2);
    EXPECT_EQ(Cli("", &out), 2);
    EXPECT_EQ(Cli("--help", &out), 0);
    // A command's --help: its own usage on standard output, never a file named "--help".
    for (const std::string command : {"extract", "settings", "render"}) {
        std::string usage;
        EXPECT_EQ(mTestKit::Run(std::string(PICTRIX_BINARY_DIR) + "/pictrix-cli " + command + " --help 2>/dev/null", &usage), 0);
        EXPECT_EQ(usage.rfind("usage: pictrix-cli " + command + " ", 0), 0u) << usage;
    }
}
