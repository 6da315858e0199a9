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

// A cursor file with the hotspot of each image; an animated cursor with its frames, steps and rates.
TEST(CliInfo, CursorsAndAnimatedCursors) {
    std::string out;
    ASSERT_EQ(Cli("info " + mTestKit::Quote(mTestKit::Fixture("cursors/two.cur")), &out), 0) << out;
    EXPECT_NE(
        out.find(
            "header: reserved 0, type 2, images 2\n     #  width height    colours   bytes  offset  format  hotspot\n"
            "     1     16     16        256    1384      38  DIB     1,2\n"),
        std::string::npos)
        << out;
    // busy.ani: four frames there and back (1 2 3 4 3 2 1), rates 5 to 11.
    ASSERT_EQ(Cli("info " + mTestKit::Quote(mTestKit::Fixture("crafted/busy.ani")), &out), 0) << out;
    EXPECT_NE(
        out.find(
            "animated cursor: 4 frames, 7 steps, display rate 10 jiffies, sequence, rates\n"
            "steps (frames): 1 2 3 4 3 2 1\nrates (jiffies): 5 6 7 8 9 10 11\nframe 1\nheader: reserved 0, type 2"),
        std::string::npos)
        << out;
    EXPECT_NE(out.find("frame 4\n"), std::string::npos) << out;
}

// A module: its version strings, every language with the reader's first; a module without them,
// and one that cannot be read, said so.
TEST(CliInfo, TheVersionStringsOfModules) {
    const std::string module = mTestKit::Quote(mTestKit::Fixture("modules/launcher32.exe"));
    const std::string german = "strings de-DE, code page 1200\n  FileDescription: Meine Anwendung\n"
                               "  ProductName: Meine Suite\n";
    const std::string english = "strings en-US, code page 1200\n  CompanyName: Example Works\n"
                                "  FileDescription: My App\n  ProductName: My App Suite\n";
    const std::string head = mTestKit::Fixture("modules/launcher32.exe") + "\nversion: file 1.2.3.4, product 5.6.0.7\n";
    std::string out;
    ASSERT_EQ(
        mTestKit::Run("LC_ALL=de_DE.UTF-8 " + std::string(PICTRIX_BINARY_DIR) + "/pictrix-cli info " + module, &out),
        0);
    EXPECT_EQ(out, head + german + english);
    out.clear();
    ASSERT_EQ(
        mTestKit::Run("LC_ALL=en_US.UTF-8 " + std::string(PICTRIX_BINARY_DIR) + "/pictrix-cli info " + module, &out),
        0);
    EXPECT_EQ(out, head + english + german);
    out.clear();
    ASSERT_EQ(Cli("info " + mTestKit::Quote(mTestKit::Fixture("modules/noicons32.dll")), &out), 0) << out;
    EXPECT_NE(out.find("\nversion: none\n"), std::string::npos) << out;
    out.clear();
    EXPECT_EQ(Cli("info /nonexistent/x.dll", &out), 1);
    EXPECT_NE(out.find("pictrix-cli: /nonexistent/x.dll: "), std::string::npos) << out;
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
        EXPECT_EQ(
            mTestKit::Run(std::string(PICTRIX_BINARY_DIR) + "/pictrix-cli " + command + " --help 2>/dev/null", &usage),
            0);
        EXPECT_EQ(usage.rfind("usage: pictrix-cli " + command + " ", 0), 0u) << usage;
        if (command != "extract") continue;
        // Every option of extract's usage is explained on a line of its own.
        const std::string first = usage.substr(0, usage.find('\n'));
        for (std::size_t at = first.find("[-"); at != std::string::npos; at = first.find("[-", at + 1)) {
            const std::string option = first.substr(at + 1, first.find_first_of(" ]", at) - at - 1);
            EXPECT_NE(usage.find("\n  " + option + " "), std::string::npos) << option << " in\n" << usage;
        }
    }
    // An unknown option, wherever it stands, is bad usage of every command: said, with the
    // command's usage; after "--" the same word is a file's name.
    const std::string ico = mTestKit::Quote(mTestKit::Fixture("icons/vista.ico"));
    for (const std::string& args : std::vector<std::string>{
             "info " + ico + " -x", "list -x " + ico, "list --json --frob " + ico, "render " + ico + " -o /dev/null -x",
             "extract -o /tmp -x " + ico, "search /tmp '*' -x", "settings -x", "log -x", "paths -x",
             "similar -x " + ico + " " + ico, "index " + ico + " -x -o /tmp/x.pxi"}) {
        SCOPED_TRACE(args);
        const std::string command = args.substr(0, args.find(' '));
        out.clear();
        EXPECT_EQ(Cli(args, &out), 2);
        EXPECT_EQ(out.rfind("pictrix-cli " + command + ": unknown option '-", 0), 0u) << out;
        EXPECT_NE(out.find("'\nusage: pictrix-cli " + command), std::string::npos) << out;
    }
    // An option shared by several commands, out of range or without its value: one message and
    // status wherever it is taken (the option, what it needs, the command's usage).
    const std::string jobs = "a number from 1 to 64", list = "a list file, or - for standard input";
    const struct {
        std::string args, option, needs;
    } values[] = {
        {"extract --jobs 0 -o /tmp " + ico, "--jobs", jobs},
        {"extract " + ico + " --jobs", "--jobs", jobs},
        {"list --json --jobs 0 " + ico, "--jobs", jobs},
        {"list --json " + ico + " --jobs", "--jobs", jobs},
        {"similar --jobs 65 " + ico + " " + ico, "--jobs", jobs},
        {"extract " + ico + " --from", "--from", list},
        {"list --json " + ico + " --from", "--from", list},
        {"extract " + ico + " -o", "-o", "a folder"},
        {"index " + ico + " -o", "-o", "a file"},
    };
    for (const auto& v : values) {
        SCOPED_TRACE(v.args);
        const std::string command = v.args.substr(0, v.args.find(' '));
        out.clear();
        EXPECT_EQ(Cli(v.args, &out), 2);
        EXPECT_EQ(out.rfind("pictrix-cli " + command + ": " + v.option + " needs " + v.needs + "\nusage: pictrix-cli " +
                                command + " ",
                            0),
                  0u)
            << out;
    }
    for (const std::string command : {"info", "list"}) {
        out.clear();
        EXPECT_EQ(Cli(command + " -- -x", &out), 1);
        EXPECT_NE(out.find("pictrix-cli: -x: "), std::string::npos) << out;
    }
}
