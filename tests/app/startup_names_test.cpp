// The programs as a file manager or a shell starts them: file names as the system's bytes through
// the real main of pictrix, pictrix-cli and pictrix-thumbnailer, and --help and --version without
// any display.

#include <filesystem>

#include <gtest/gtest.h>

#include "common/mTestKit.h"

using namespace mTestKit;
namespace fs = std::filesystem;

namespace {

const std::string kBin = PICTRIX_BINARY_DIR;
// Nothing of the caller's display or platform reaches the programs.
const std::string kNoDisplay = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ";

bool HasDesktopProgram() { return fs::is_regular_file(kBin + "/pictrix"); }

} // namespace

TEST(StartupNames, EveryNameReachesTheFileAsTheSystemGaveIt) {
    cTempDir dir;
    fs::create_directories(dir.Path() / "my.icons");
    struct {
        const char* why;
        std::string name;
        const char* fixture;
        int groups;
    } cases[] = {
        {"not UTF-8", "caf\xe9.ico", "icons/multi.ico", 1},
        {"a double quote", "say \"hi\".ico", "icons/multi.ico", 1},
        {"a space", "two words.dll", "modules/sample.dll", 12},
        {"a leading dash", "-dash.ico", "icons/multi.ico", 1},
        {"a module without extension", "stub", "modules/sample.dll", 12},
        {"a folder with a dot, a module", "my.icons/tool", "modules/sample.dll", 12},
        {"a folder with a dot, an icon file", "my.icons/picture", "icons/multi.ico", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        const std::string path = dir.File(c.name);
        fs::copy_file(Fixture(c.fixture), path);
        const std::string groups = c.groups == 1 ? "1 icon group" : std::to_string(c.groups) + " icon groups";

        // pictrix-cli, from the file's folder, so that a leading dash reaches it as the name's.
        std::string out, err;
        const std::string relative = fs::path(c.name).string();
        EXPECT_EQ(Cli("list -- " + Quote(path), &out, &err), 0) << err;
        EXPECT_NE(out.find(": " + groups + "\n"), std::string::npos) << out;
        out.clear();
        EXPECT_EQ(mTestKit::Run("cd " + Quote(dir.Path().string()) + " && " + kBin + "/pictrix-cli list -- " +
                                    Quote(relative) + " 2>&1",
                                &out),
                  0)
            << out;
        EXPECT_NE(out.find(": " + groups + "\n"), std::string::npos) << out;

        // Extracted under the file's own base name (a folder's dot never names it).
        const std::string outDir = dir.File("extracted");
        fs::remove_all(outDir);
        fs::create_directories(outDir);
        EXPECT_EQ(Cli("extract -o " + Quote(outDir) + " -- " + Quote(path), &out, &err), 0) << err;
        const std::string file = fs::path(c.name).filename().string();
        const std::string base = file.substr(0, file.rfind('.'));
        int named = 0, all = 0;
        for (const auto& entry : fs::directory_iterator(outDir)) {
            ++all;
            named += entry.path().filename().string().rfind(base + "1", 0) == 0;
        }
        EXPECT_EQ(all, c.groups);
        EXPECT_GE(named, 1) << base;

        // The thumbnailer.
        const std::string png = dir.File("thumb.png");
        out.clear();
        EXPECT_EQ(
            mTestKit::Run(kBin + "/pictrix-thumbnailer -s 32 -- " + Quote(path) + " " + Quote(png) + " 2>&1", &out), 0)
            << out;
        EXPECT_EQ(ReadPng(png).Width(), 32);

        // pictrix opens it in the main window: a name it cannot open or a file read as the wrong
        // kind is reported on standard error as "Error #..." (there is no screen to show it on);
        // a name it cannot open ends the program before the windows are saved as pictures.
        if (!HasDesktopProgram()) continue;
        const std::string shots = dir.File("shots");
        fs::remove_all(shots);
        const std::string env =
            kNoDisplay + "QT_QPA_PLATFORM=offscreen PICTRIX_NO_SPLASH=1 PICTRIX_SCREENSHOTS=" + Quote(shots) +
            " XDG_CONFIG_HOME=" + Quote(dir.File("config")) + " XDG_STATE_HOME=" + Quote(dir.File("state")) + " ";
        out.clear();
        // As the shell hands it over from the file's folder: "-dash.ico" comes as the first argument.
        EXPECT_EQ(mTestKit::Run("cd " + Quote(dir.Path().string()) + " && " + env + "timeout 60 " + kBin + "/pictrix " +
                                    Quote(relative) + " 2>&1 >/dev/null",
                                &out),
                  0)
            << out;
        EXPECT_EQ(out.find("Error #"), std::string::npos) << out;
        EXPECT_TRUE(fs::is_regular_file(shots + "/main-large.png"));
        fs::remove(path);
    }
}

TEST(StartupNames, HelpAndVersionNeedNoDisplay) {
    for (const std::string program : {"pictrix", "pictrix-cli", "pictrix-thumbnailer"}) {
        SCOPED_TRACE(program);
        if (program == "pictrix" && !HasDesktopProgram()) continue;
        cTempDir dir;
        const std::string run = kNoDisplay + "timeout 60 " + kBin + "/" + program;
        for (const char* option : {"--help", "-h"}) {
            std::string out;
            EXPECT_EQ(mTestKit::Run(run + " " + option + " 2>" + Quote(dir.File("err")), &out), 0);
            EXPECT_EQ(out.rfind("usage: " + program + " ", 0), 0u) << out;
            EXPECT_EQ(ReadBytes(dir.File("err")).size(), 0u);
        }
        std::string out;
        EXPECT_EQ(mTestKit::Run(run + " --version 2>" + Quote(dir.File("err")), &out), 0);
        EXPECT_EQ(out, program + " " + PICTRIX_VERSION + "\n");
        EXPECT_EQ(ReadBytes(dir.File("err")).size(), 0u);
    }
    // Two files for the desktop program: the usage on standard error, status 2, no window.
    if (!HasDesktopProgram()) return;
    std::string out;
    EXPECT_EQ(mTestKit::Run(kNoDisplay + "timeout 60 " + kBin + "/pictrix a.ico b.ico 2>&1 >/dev/null", &out), 2);
    EXPECT_EQ(out.rfind("usage: pictrix ", 0), 0u) << out;
}
