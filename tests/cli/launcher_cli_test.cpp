// pictrix-cli launcher, run as users run it: a program inside a Wine prefix becomes a menu entry that
// GIO lists and whose icon GTK's theme finds at every size asked; removal takes exactly what was
// written; and the refusals, none of which leaves any part of a launcher behind.

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "fixtures/mCraft.h"

namespace {

namespace fs = std::filesystem;
using mTestKit::Fixture;
using mTestKit::Quote;

int Launcher(const std::string& args, std::string* out = nullptr, std::string* err = nullptr) {
    return mTestKit::Cli("launcher " + args, out, err);
}

// Every regular file below `folder`, relative to it, sorted.
std::vector<std::string> Files(const fs::path& folder) {
    std::vector<std::string> files;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (!it->is_directory()) files.push_back(fs::relative(it->path(), folder).string());
    std::sort(files.begin(), files.end());
    return files;
}

// A fake Wine prefix with the launcher fixture as a program whose path needs quoting.
struct cPrefix {
    mTestKit::cTempDir dir;
    std::string prefix = dir.File("wine prefix");
    std::string program = prefix + "/drive_c/Program Files/It's $5/app.exe";
    std::string home = dir.File("data");
    cPrefix() {
        // The name comes from the version strings in the user's language: English here.
        ::setenv("LC_ALL", "en_US.UTF-8", 1);
        fs::create_directories(fs::path(program).parent_path());
        fs::copy_file(Fixture("modules/launcher32.exe"), program);
    }
};

TEST(CliLauncher, TheDesktopListsItAndTheIconThemeFindsItsIconAtEverySize) {
    cPrefix p;
    std::string out, err;
    ASSERT_EQ(Launcher(Quote(p.program) + " --categories Game --data-home " + Quote(p.home), &out, &err), 0) << err;
    const std::string desktop = p.home + "/applications/My-App.desktop";
    EXPECT_NE(out.find(desktop + "\n"), std::string::npos) << out;
    EXPECT_NE(out.find(p.home + "/icons/hicolor/256x256/apps/My-App.png\n"), std::string::npos) << out;

    std::string text;
    EXPECT_EQ(mTestKit::Run("desktop-file-validate " + Quote(desktop) + " 2>&1", &text), 0) << text;
    EXPECT_EQ(text, "");

    ASSERT_EQ(mTestKit::Run("LC_ALL=C.UTF-8 " + std::string(PICTRIX_PYTHON) + " " +
                                PICTRIX_SOURCE_DIR "/tests/cli/launcher_desktop.py " + Quote(p.home) + " My-App 2>&1",
                            &text),
              0)
        << text;
    // The command as GLib splits it: the program run by Wine in its prefix, the path one argument.
    const std::string icons = p.home + "/icons/hicolor/";
    EXPECT_EQ(text, "name My App\nwmclass app.exe\nargv\nenv\nWINEPREFIX=" + p.prefix + "\nwine\n" + p.program +
                        "\n16 " + icons + "16x16/apps/My-App.png 16\n48 " + icons + "48x48/apps/My-App.png 48\n256 " +
                        icons + "256x256/apps/My-App.png 256\n");

    // The sizes the group holds are its own images as ImageMagick draws them; the 256-pixel PNG
    // is written as the icon file stores it (sliced out of the directory by Python).
    const std::pair<int, const char*> exact[] = {
        {48, "renders/vista-0.png"}, {32, "renders/vista-1.png"}, {16, "renders/vista-2.png"}};
    for (const auto& [size, render] : exact) {
        SCOPED_TRACE(size);
        const std::string side = std::to_string(size);
        const auto got = mTestKit::ReadPng(icons + side + "x" + side + "/apps/My-App.png");
        EXPECT_EQ(mTestKit::PixelDifferences(got, mTestKit::ReadPng(Fixture(render))), 0);
    }
    text.clear();
    ASSERT_EQ(
        mTestKit::Run(std::string(PICTRIX_PYTHON) +
                          " -c \"import struct,sys,hashlib; d=open(sys.argv[1],'rb').read(); "
                          "n=struct.unpack_from('<H',d,4)[0]; "
                          "e=[struct.unpack_from('<BBBBHHII',d,6+16*i) for i in range(n)]; "
                          "w=[x for x in e if x[0]==0][0]; print(hashlib.sha256(d[w[7]:w[7]+w[6]]).hexdigest())\" " +
                          Quote(Fixture("icons/vista.ico")) + " && sha256sum < " +
                          Quote(icons + "256x256/apps/My-App.png") + " | cut -d' ' -f1",
                      &text),
        0);
    ASSERT_EQ(text.size(), 130u) << text;
    EXPECT_EQ(text.substr(0, 64), text.substr(65, 64));
    // The sizes between are the next larger image scaled down, never an enlargement.
    for (const int size : {22, 24, 64, 96, 128}) {
        SCOPED_TRACE(size);
        const std::string side = std::to_string(size);
        const auto got = mTestKit::ReadPng(icons + side + "x" + side + "/apps/My-App.png");
        EXPECT_EQ(got.Width(), size);
        EXPECT_EQ(got.Height(), size);
    }

    // --list names it; --remove takes every file it wrote and the record, and nothing else.
    ASSERT_EQ(Launcher("--list --data-home " + Quote(p.home), &out, &err), 0) << err;
    EXPECT_EQ(out.rfind("My-App: My App (" + p.program + ")\n", 0), 0u) << out;
    mTestKit::WriteBytes(p.home + "/applications/other.desktop", {'x'});
    ASSERT_EQ(Launcher("--remove My-App --data-home " + Quote(p.home), &out, &err), 0) << err;
    EXPECT_EQ(Files(p.home), std::vector<std::string>{"applications/other.desktop"});
    ASSERT_EQ(Launcher("--list --data-home " + Quote(p.home), &out, &err), 0) << err;
    EXPECT_EQ(out, "");
    EXPECT_EQ(Launcher("--remove My-App --data-home " + Quote(p.home), &out, &err), 1);
    EXPECT_NE(err.find("there is no launcher My-App"), std::string::npos) << err;

    // A German reader gets the German description; the ID follows the name.
    ::setenv("LC_ALL", "de_DE.UTF-8", 1);
    ASSERT_EQ(Launcher(Quote(p.program) + " --data-home " + Quote(p.home), &out, &err), 0) << err;
    EXPECT_NE(out.find("/applications/Meine-Anwendung.desktop\n"), std::string::npos) << out;
    EXPECT_NE(Files(p.home).size(), 0u);
}

TEST(CliLauncher, RefusalsLeaveNoPartOfALauncherBehind) {
    struct cCase {
        const char* name;
        std::string file; // empty: the program in the prefix
        std::string options;
        std::function<void(const std::string& home)> before; // plants what is in the way
        int status;
        const char* error;
        std::vector<std::string> left; // the files below the data home afterwards
    };
    const std::string foreign = "applications/App.desktop";
    const auto plant = [](const std::string& relative) {
        return [relative](const std::string& home) {
            fs::create_directories(fs::path(home + "/" + relative).parent_path());
            mTestKit::WriteBytes(home + "/" + relative, {'m', 'i', 'n', 'e'});
        };
    };
    const cCase cases[] = {
        {"a module without icons", Fixture("modules/noicons32.dll"), "", nullptr, 1, "noicons32.dll holds no icon", {}},
        {"a damaged group is named, the next is not taken",
         "",
         "--group 2",
         nullptr,
         1,
         "icon group 2 (2) cannot be read",
         {}},
        {"a group past the last", "", "--group 3", nullptr, 1, "there is no icon group 3", {}},
        {"an icon file needs a command", Fixture("icons/vista.ico"), "", nullptr, 1, "needs a command (--exec)", {}},
        {"a file we did not write at the names",
         "",
         "--id App",
         plant(foreign),
         2,
         "App.desktop was not written by Pictrix; --replace replaces it",
         {foreign}},
        {"a data home below a regular file", "", "", plant("x"), 1, "cannot make the folder", {"x"}},
        {"a size that cannot be written: the sizes written before it are taken back",
         "",
         "--id App",
         plant("icons/hicolor/48x48/apps"),
         1,
         "cannot make the folder",
         {"icons/hicolor/48x48/apps"}},
        {"an ID outside the characters", "", "--id 'a b'", nullptr, 1, "an ID is made of letters", {}},
    };
    for (const cCase& c : cases) {
        SCOPED_TRACE(c.name);
        cPrefix p;
        std::string home = p.home;
        if (c.before) c.before(home);
        if (std::string(c.name).find("below a regular file") != std::string::npos) home += "/x";
        std::string out, err;
        EXPECT_EQ(Launcher(Quote(c.file.empty() ? p.program : c.file) + " " + c.options + " --data-home " + Quote(home),
                           &out, &err),
                  c.status)
            << err;
        EXPECT_NE(err.find(c.error), std::string::npos) << err;
        EXPECT_EQ(out, "");
        EXPECT_EQ(Files(p.home), c.left);
    }
}

TEST(CliLauncher, OursIsReplacedOnRequestTheirsOnlyWhenAskedAndNamesMadeUnique) {
    cPrefix p;
    const std::string h = " --data-home " + Quote(p.home);
    std::string out, err;
    // Someone else's entry at the name's ID: the launcher takes the next free ID.
    fs::create_directories(p.home + "/applications");
    mTestKit::WriteBytes(p.home + "/applications/My-App.desktop", {'m', 'i', 'n', 'e'});
    ASSERT_EQ(Launcher(Quote(p.program) + h, &out, &err), 0) << err;
    EXPECT_NE(out.find("/applications/My-App-2.desktop\n"), std::string::npos) << out;
    EXPECT_EQ(mTestKit::ReadBytes(p.home + "/applications/My-App.desktop"),
              (std::vector<std::uint8_t>{'m', 'i', 'n', 'e'}));
    // The same program again is the same launcher: refused, then replaced when asked.
    EXPECT_EQ(Launcher(Quote(p.program) + h, &out, &err), 2);
    EXPECT_NE(err.find("there is a launcher My-App-2 already"), std::string::npos) << err;
    ASSERT_EQ(Launcher(Quote(p.program) + " --replace" + h, &out, &err), 0) << err;
    EXPECT_NE(out.find("/applications/My-App-2.desktop\n"), std::string::npos) << out;
    // Their file is replaced only when asked, and is then ours to remove.
    ASSERT_EQ(Launcher(Quote(p.program) + " --id My-App --replace" + h, &out, &err), 0) << err;
    // A file of ours that someone changed since is left alone by --remove, and said so.
    mTestKit::WriteBytes(p.home + "/icons/hicolor/16x16/apps/My-App.png", {'e', 'd', 'i', 't'});
    ASSERT_EQ(Launcher("--remove My-App" + h, &out, &err), 0) << err;
    EXPECT_NE(err.find("16x16/apps/My-App.png: changed since Pictrix wrote it; left alone"), std::string::npos) << err;
    ASSERT_EQ(Launcher("--remove My-App-2" + h, &out, &err), 0) << err;
    EXPECT_EQ(Files(p.home), std::vector<std::string>{"icons/hicolor/16x16/apps/My-App.png"});
    // An ID with two dots in a row is still one name, and its launcher can be removed.
    ASSERT_EQ(Launcher(Quote(p.program) + " --id v1..2" + h, &out, &err), 0) << err;
    ASSERT_EQ(Launcher("--remove v1..2" + h, &out, &err), 0) << err;
    EXPECT_EQ(Files(p.home), std::vector<std::string>{"icons/hicolor/16x16/apps/My-App.png"});
}

// A prefix's Start Menu, made by the fixture tools: shortcuts to its program and to one that is
// not there, one showing an icon of shell32 by resource id.
TEST(CliLauncher, ShortcutsInAPrefixStartMenu) {
    cPrefix p;
    const std::string system32 = p.prefix + "/drive_c/windows/system32";
    fs::create_directories(system32);
    fs::copy_file(Fixture("modules/good32.dll"), system32 + "/shell32.dll");
    const std::string menu = p.prefix + "/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs";
    fs::create_directories(menu + "/App");
    auto write = [&](const std::string& name, const mCraft::cShortcutShape& shape) {
        mTestKit::WriteBytes(menu + "/" + name, mCraft::Shortcut(shape));
    };
    mCraft::cShortcutShape app;
    app.target = "C:\\PROGRAM FILES\\It's $5\\APP.exe"; // Windows matches without regard to case
    app.arguments = "--level \"two words\" C:\\data\\";
    app.workingDir = "%ProgramFiles%\\It's $5";
    write("App/Play.lnk", app);
    mCraft::cShortcutShape tool = app;
    tool.arguments.clear();
    tool.iconEnvironment = "%SystemRoot%\\system32\\shell32.dll";
    tool.iconIndex = -3; // group 3 of good.rc: png256.ico
    write("Tool.lnk", tool);
    mCraft::cShortcutShape gone;
    gone.target = "D:\\Games\\gone.exe";
    gone.iconLocation = "C:\\windows\\gone.ico";
    write("Gone.lnk", gone);

    // Opened like a module: the one group it shows.
    std::string out, err;
    ASSERT_EQ(mTestKit::Cli("list " + Quote(menu + "/Tool.lnk"), &out, &err), 0) << err;
    EXPECT_NE(out.find(": 1 icon group\n1\t3\t1\t256x256 32-bit\n"), std::string::npos) << out;
    EXPECT_EQ(mTestKit::Cli("list " + Quote(menu + "/Gone.lnk"), &out, &err), 1);
    EXPECT_NE(err.find("neither the icon location C:\\windows\\gone.ico nor the target D:\\Games\\gone.exe exists"),
              std::string::npos)
        << err;

    // The thumbnail a file manager shows for it: the target's own 48-pixel image, as ImageMagick
    // draws it.
    const std::string thumbnail = p.dir.File("thumb.png");
    ASSERT_EQ(mTestKit::Run(std::string(PICTRIX_BINARY_DIR) + "/pictrix-thumbnailer -s 48 " +
                                Quote(menu + "/App/Play.lnk") + " " + Quote(thumbnail) + " 2>&1",
                            &out),
              0)
        << out;
    EXPECT_EQ(
        mTestKit::PixelDifferences(mTestKit::ReadPng(thumbnail), mTestKit::ReadPng(Fixture("renders/vista-0.png"))), 0);

    // The folder: one launcher per shortcut, each reported; the one whose program is gone fails alone.
    EXPECT_EQ(Launcher(Quote(menu) + " --data-home " + Quote(p.home), &out, &err), 1) << err;
    EXPECT_NE(out.find(menu + "/App/Play.lnk:\n  " + p.home + "/icons/hicolor/16x16/apps/Play.png\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find(menu + "/Tool.lnk:\n  " + p.home + "/icons/hicolor/16x16/apps/Tool.png\n"), std::string::npos)
        << out;
    EXPECT_NE(err.find("Gone.lnk: "), std::string::npos) << err;
    EXPECT_NE(err.find("D:\\Games\\gone.exe"), std::string::npos) << err;
    EXPECT_EQ(Files(p.home + "/applications"), (std::vector<std::string>{"Play.desktop", "Tool.desktop"}));

    // The shortcut's program runs with its arguments, split as Windows splits them, in its folder.
    std::string text;
    ASSERT_EQ(mTestKit::Run("LC_ALL=C.UTF-8 " + std::string(PICTRIX_PYTHON) + " " +
                                PICTRIX_SOURCE_DIR "/tests/cli/launcher_desktop.py " + Quote(p.home) + " Play",
                            &text),
              0)
        << text;
    EXPECT_EQ(text.substr(0, text.find("\n16 ")), "name Play\nwmclass app.exe\nargv\nenv\nWINEPREFIX=" + p.prefix +
                                                      "\nwine\n" + p.program + "\n--level\ntwo words\nC:\\data\\");
    const auto desktop = mTestKit::ReadBytes(p.home + "/applications/Play.desktop");
    const std::string entry(desktop.begin(), desktop.end());
    EXPECT_NE(entry.find("\nPath=" + fs::path(p.program).parent_path().string() + "\n"), std::string::npos) << entry;
    // The icon it shows: the 256-pixel PNG of shell32's group 3, written as stored.
    EXPECT_EQ(mTestKit::ReadBytes(p.home + "/icons/hicolor/256x256/apps/Tool.png").size() > 0, true);
    EXPECT_FALSE(fs::exists(p.home + "/icons/hicolor/256x256/apps/Play.png") &&
                 mTestKit::ReadBytes(p.home + "/icons/hicolor/256x256/apps/Play.png") ==
                     mTestKit::ReadBytes(p.home + "/icons/hicolor/256x256/apps/Tool.png"));
}

} // namespace
