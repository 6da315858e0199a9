// Windows shortcuts: what the reader takes out of one the fixture tools build, how Windows paths
// map into a Wine prefix, and shortcuts cut short or lying about their sizes.

#include <filesystem>

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "fixtures/mCraft.h"
#include "platform/mShortcut.h"

namespace {

namespace fs = std::filesystem;

mCraft::cShortcutShape Shape() {
    mCraft::cShortcutShape shape;
    shape.target = "C:\\Program Files\\App\\app.exe";
    shape.name = "Starts the app";
    shape.workingDir = "C:\\Program Files\\App";
    shape.arguments = "--level \"two words\"";
    shape.iconLocation = "C:\\windows\\app.ico";
    shape.iconIndex = -3;
    shape.iconEnvironment = "%SystemRoot%\\system32\\shell32.dll";
    return shape;
}

TEST(Shortcut, WhatItRunsAndTheIconItShows) {
    const auto link = mShortcut::Parse(mCraft::Shortcut(Shape()));
    ASSERT_TRUE(link);
    EXPECT_EQ(link->target, "C:\\Program Files\\App\\app.exe");
    EXPECT_EQ(link->name, "Starts the app");
    EXPECT_EQ(link->workingDir, "C:\\Program Files\\App");
    EXPECT_EQ(link->arguments, "--level \"two words\"");
    // The icon block's form, with its variable, wins over the plain location.
    EXPECT_EQ(link->iconLocation, "%SystemRoot%\\system32\\shell32.dll");
    EXPECT_EQ(link->iconIndex, -3);
    auto bytes = mCraft::Shortcut(Shape());
    bytes[4] ^= 1; // another class identifier
    EXPECT_FALSE(mShortcut::Parse(bytes));
}

TEST(Shortcut, CutShortOrLyingNeverReadsPastTheBytes) {
    const auto good = mCraft::Shortcut(Shape());
    for (std::size_t n = 0; n < good.size(); ++n) {
        SCOPED_TRACE(n);
        const auto link = mShortcut::Parse(std::span(good.data(), n));
        // What is read is a prefix of the whole: never a text that is not the shortcut's.
        if (link) {
            EXPECT_TRUE(link->iconLocation.empty() || link->iconLocation == "C:\\windows\\app.ico" ||
                        link->iconLocation == "%SystemRoot%\\system32\\shell32.dll")
                << n;
        }
    }
    auto lying = good;
    PutLE32(lying, 0x4C, 0xFFFFFFF0); // a LinkInfo larger than the file
    EXPECT_FALSE(mShortcut::Parse(lying));
}

TEST(Shortcut, WindowsPathsInAWinePrefix) {
    mTestKit::cTempDir dir;
    const std::string prefix = dir.File("pfx");
    fs::create_directories(prefix + "/drive_c/Program Files/App");
    fs::create_directories(prefix + "/drive_c/windows/system32");
    fs::create_directories(prefix + "/dosdevices");
    fs::create_directories(dir.File("cdrom/Setup"));
    fs::create_directory_symlink("../drive_c", prefix + "/dosdevices/c:");
    fs::create_directory_symlink(dir.File("cdrom"), prefix + "/dosdevices/d:");
    const std::string c = prefix + "/dosdevices/c:";
    const struct {
        const char* windows;
        std::optional<std::string> local;
    } cases[] = {
        {"C:\\Program Files\\App\\app.exe", c + "/Program Files/App/app.exe"},
        {"c:\\PROGRAM FILES\\app\\APP.EXE", c + "/Program Files/App/APP.EXE"}, // the folders as stored
        {"%SystemRoot%\\System32\\shell32.dll", c + "/windows/system32/shell32.dll"},
        {"%ProgramFiles%\\App\\..\\App", c + "/Program Files/App"},
        {"D:\\setup", prefix + "/dosdevices/d:/Setup"}, // through the drive's link
        {"E:\\x.exe", std::nullopt}, // no such drive
        {"%NoSuchVariable%\\x.exe", std::nullopt},
        {"\\\\server\\share\\x.exe", std::nullopt},
        {"App\\app.exe", prefix + "/drive_c/Program Files/App/app.exe"}, // relative to the base given
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.windows);
        const std::string base = std::string(t.windows).starts_with("App") ? prefix + "/drive_c/Program Files" : "";
        EXPECT_EQ(mShortcut::LocalPath(t.windows, prefix, base), t.local);
    }
    // Without a prefix only relative paths map.
    EXPECT_EQ(mShortcut::LocalPath("C:\\x.exe", "", dir.File("")), std::nullopt);
}

} // namespace
