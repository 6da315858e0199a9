// pictrix-thumbnailer as file managers run it: its usage, its output written whole or not at all,
// and the installed .thumbnailer file whose Exec line is run as a file manager runs it.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/mThumbnailer.h"
#include "common/mTestKit.h"

namespace {

using mTestKit::Fixture;
using mTestKit::Quote;

int Thumbnailer(const std::vector<std::string>& args, std::string* err = nullptr) {
    std::ostringstream out, e;
    const int status = mThumbnailer::Run(args, out, e);
    if (err) *err = e.str();
    return status;
}

std::vector<std::string> Entries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The thumbnailer and its entry installed under `prefix`, as make install puts them.
int InstallThumbnailer(const mTestKit::cTempDir& prefix, std::string& log) {
    return mTestKit::Run(std::string(PICTRIX_CMAKE_COMMAND) + " --install " + Quote(PICTRIX_BINARY_DIR) + " --prefix " +
                             Quote(prefix.Path().string()) + " --component thumbnailer 2>&1",
                         &log);
}

TEST(Thumbnailer, BadUsageWritesNothing) {
    mTestKit::cTempDir dir;
    const std::string in = Fixture("icons/vista.ico"), out = dir.File("t.png");
    const std::vector<std::vector<std::string>> cases = {
        {},
        {in},
        {"-s", "64", in},
        {"-s", "64", in, out, out},
        {"-s", in, out},
        {"-s", "0", in, out},
        {"-s", "1025", in, out},
        {"-s", "64px", in, out},
        {"-x", in, out},
        {in, out, "-s"},
    };
    for (const auto& args : cases) {
        std::string shown;
        for (const auto& a : args) shown += a + " ";
        SCOPED_TRACE(shown);
        std::string err;
        EXPECT_EQ(Thumbnailer(args, &err), 2);
        EXPECT_NE(err.find("usage: pictrix-thumbnailer"), std::string::npos);
        EXPECT_TRUE(Entries(dir.Path()).empty());
    }
}

TEST(Thumbnailer, WritesThePictureWholeOrLeavesTheOutputAlone) {
    mTestKit::cTempDir dir;
    const std::string out = dir.File("t.png");
    // Written: the size asked; options may follow the files; the default size is 128, and an
    // icon smaller than that keeps its own size.
    ASSERT_EQ(Thumbnailer({"-s", "48", Fixture("modules/sample.dll"), out}), 0);
    EXPECT_EQ(mTestKit::ReadPng(out).Width(), 48);
    ASSERT_EQ(Thumbnailer({Fixture("icons/depth4.ico"), out, "--size", "20"}), 0);
    EXPECT_EQ(mTestKit::ReadPng(out).Width(), 20);
    ASSERT_EQ(Thumbnailer({Fixture("modules/sample.dll"), out}), 0);
    EXPECT_EQ(mTestKit::ReadPng(out).Width(), mThumbnailer::kDefaultSize);
    ASSERT_EQ(Thumbnailer({Fixture("icons/depth4.ico"), out}), 0);
    EXPECT_EQ(mTestKit::ReadPng(out).Width(), 32);

    // Refused: the output that was there stays as it was, and nothing else is left behind.
    mTestKit::WriteBytes(out, {'o', 'l', 'd'});
    std::string err;
    EXPECT_EQ(Thumbnailer({"-s", "48", Fixture("modules/noicons32.dll"), out}, &err), 1);
    EXPECT_NE(err.find("noicons32.dll: it holds no icons"), std::string::npos) << err;
    EXPECT_EQ(mTestKit::ReadBytes(out), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"t.png"});

    // An output that cannot be written: a folder that does not exist.
    EXPECT_EQ(Thumbnailer({"-s", "48", Fixture("icons/vista.ico"), dir.File("none/t.png")}, &err), 1);
    EXPECT_NE(err.find("cannot write the thumbnail"), std::string::npos) << err;
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"t.png"});
}

// A file nobody holds open is replaced whole (a new inode: a writer killed halfway leaves the old
// bytes); one a caller created and holds open is written through that handle, as tumbler reads it.
TEST(Thumbnailer, ReplacesWholeUnlessTheCallerHoldsTheOutput) {
    mTestKit::cTempDir dir;
    const std::string out = dir.File("t.png");
    mTestKit::WriteBytes(out, {'o', 'l', 'd'});
    const auto inode = [](const std::string& p) {
        struct stat st {};
        ::stat(p.c_str(), &st);
        return st.st_ino;
    };
    const auto before = inode(out);
    ASSERT_EQ(Thumbnailer({"-s", "32", Fixture("icons/vista.ico"), out}), 0);
    EXPECT_NE(inode(out), before) << "replaced by a new file";
    EXPECT_EQ(mTestKit::ReadPng(out).Width(), 32);

    const std::string held = dir.File("held.png");
    const int fd = ::open(held.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    const auto heldInode = inode(held);
    ASSERT_EQ(Thumbnailer({"-s", "32", Fixture("icons/vista.ico"), held}), 0);
    EXPECT_EQ(inode(held), heldInode) << "written in place";
    char signature[8] = {};
    EXPECT_EQ(::pread(fd, signature, sizeof signature, 0), 8);
    ::close(fd);
    EXPECT_EQ(std::string(signature + 1, 3), "PNG") << "read through the caller's handle";
    EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{"held.png", "t.png"}));
}

// What a writer killed before it could finish left beside its output goes with the next run that
// writes there: the thumbnailer and render -o alike. A temporary file a living writer holds, one
// just made, and those of other names stay.
TEST(Thumbnailer, NextRunRemovesWhatAKilledOneLeft) {
    const struct {
        const char* name;
        std::function<int(const std::string& out)> write;
    } writers[] = {
        {"thumbnailer",
         [](const std::string& out) {
             return Thumbnailer({Fixture("icons/vista.ico"), out});
         }},
        {"render -o",
         [](const std::string& out) {
             return mTestKit::Cli("render " + Quote(Fixture("icons/vista.ico")) + " -o " + Quote(out));
         }},
    };
    for (const auto& w : writers) {
        SCOPED_TRACE(w.name);
        mTestKit::cTempDir dir;
        const auto plant = [&](const std::string& name, bool bytes) {
            mTestKit::WriteBytes(dir.File(name),
                                 bytes ? std::vector<std::uint8_t>{1, 2, 3} : std::vector<std::uint8_t>{});
        };
        plant(".t.png.tmp-Killed", true);
        plant(".t.png.tmp-Living", true);
        plant(".t.png.tmp-JustMd", false);
        plant(".u.png.tmp-Others", true);
        const int living = ::open(dir.File(".t.png.tmp-Living").c_str(), O_RDONLY);
        ASSERT_EQ(::flock(living, LOCK_EX), 0);
        EXPECT_EQ(w.write(dir.File("t.png")), 0);
        ::close(living);
        EXPECT_EQ(Entries(dir.Path()),
                  (std::vector<std::string>{".t.png.tmp-JustMd", ".t.png.tmp-Living", ".u.png.tmp-Others", "t.png"}));
    }
}

// The key=value lines of a desktop-entry style file, under its one group.
std::map<std::string, std::string> ReadEntry(const std::string& path, std::string& group) {
    std::ifstream in(path);
    std::map<std::string, std::string> keys;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            group = line;
            continue;
        }
        const auto eq = line.find('=');
        if (eq != std::string::npos) keys[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return keys;
}

TEST(Thumbnailer, InstalledEntryRunsAsAFileManagerRunsIt) {
    mTestKit::cTempDir prefix;
    std::string log;
    ASSERT_EQ(InstallThumbnailer(prefix, log), 0) << log;
    const std::string entry = prefix.File("share/thumbnailers/pictrix.thumbnailer");
    ASSERT_TRUE(std::filesystem::is_regular_file(entry)) << log;
    std::string group;
    auto keys = ReadEntry(entry, group);
    EXPECT_EQ(group, "[Thumbnailer Entry]");

    // TryExec names the installed program, which the file manager finds on its PATH.
    const std::string program = keys["TryExec"];
    ASSERT_EQ(program, "pictrix-thumbnailer");
    const auto installed = prefix.Path() / "bin" / program;
    ASSERT_TRUE(std::filesystem::is_regular_file(installed));
    EXPECT_NE(std::filesystem::status(installed).permissions() & std::filesystem::perms::owner_exec,
              std::filesystem::perms::none);

    // MimeType: the types file managers give modules and icon files, ";"-terminated.
    const std::string types = keys["MimeType"];
    ASSERT_FALSE(types.empty());
    EXPECT_EQ(types.back(), ';');
    for (const char* t : {"application/x-ms-dos-executable;", "application/vnd.microsoft.portable-executable;",
                          "application/x-ms-ne-executable;", "image/vnd.microsoft.icon;"}) {
        EXPECT_NE((";" + types).find(std::string(";") + t), std::string::npos) << t;
    }

    // Exec, with %s, %i and %o filled in the way the file manager fills them, makes the picture.
    std::string command = keys["Exec"];
    ASSERT_EQ(command.rfind(program + " ", 0), 0u) << command;
    const std::string out = prefix.File("thumb.png");
    for (const auto& [code, value] : std::map<std::string, std::string>{
             {"%s", "64"}, {"%i", Quote(Fixture("modules/good32.exe"))}, {"%o", Quote(out)}}) {
        const auto at = command.find(code);
        ASSERT_NE(at, std::string::npos) << code;
        command.replace(at, code.size(), value);
    }
    ASSERT_EQ(
        mTestKit::Run("PATH=" + Quote((prefix.Path() / "bin").string()) + ":/usr/bin:/bin " + command + " 2>&1", &log),
        0)
        << command << '\n'
        << log;
    // Its first icon's largest image is 32 pixels: kept so, never enlarged to the 64 asked.
    const auto picture = mTestKit::ReadPng(out);
    EXPECT_EQ(picture.Width(), 32);
    EXPECT_EQ(picture.Height(), 32);
}

// XFCE's thumbnail service creates the output itself, keeps it open and reads the picture through
// that handle: through tumbler on a private D-Bus session, a module gets its thumbnail.
TEST(Thumbnailer, TumblerShowsModules) {
    mTestKit::cTempDir prefix, cache;
    std::string log;
    ASSERT_EQ(InstallThumbnailer(prefix, log), 0) << log;
    // A name with a space, as a file URI writes it.
    const std::string input = prefix.File("a module.dll");
    std::filesystem::copy_file(Fixture("modules/sample.dll"), input);
    const std::string uri = "file://" + prefix.File("a%20module.dll");
    const std::string script = std::string(PICTRIX_SOURCE_DIR) + "/tests/app/tumbler_thumbnail.sh";
    std::string cached;
    const int status =
        mTestKit::Run("timeout 60 " + Quote(script) + " " + Quote(prefix.Path().string()) + " " + Quote(uri) +
                          " application/x-ms-dos-executable " + Quote(cache.Path().string()) + " 2>/dev/null",
                      &cached);
    if (status == 77) GTEST_SKIP() << cached;
    ASSERT_EQ(status, 0) << cached;
    while (!cached.empty() && cached.back() == '\n') cached.pop_back();
    const auto picture = mTestKit::ReadPng(cached);
    EXPECT_GT(picture.Width(), 0) << cached;
    EXPECT_LE(picture.Width(), 128) << cached;
}

} // namespace

// The program file a file manager starts for every thumbnail: loaded at a random address (a
// position-independent executable) and, outside the sanitizer builds, static with its relocations
// read-only once bound, so that a start loads no library. Read by readelf, and by hardening-check
// where it is installed.
TEST(Thumbnailer, TheProgramIsPositionIndependentAndStatic) {
    const std::string program = Quote(std::string(PICTRIX_BINARY_DIR) + "/pictrix-thumbnailer");
    std::string header, dynamic;
    ASSERT_EQ(mTestKit::Run("readelf -h " + program, &header), 0);
    ASSERT_EQ(mTestKit::Run("readelf -d " + program, &dynamic), 0);
    EXPECT_NE(header.find("DYN (Position-Independent Executable file)"), std::string::npos) << header;
    EXPECT_NE(dynamic.find("PIE"), std::string::npos) << dynamic;
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_NE(dynamic.find("BIND_NOW"), std::string::npos) << dynamic;
    EXPECT_EQ(dynamic.find("(NEEDED)"), std::string::npos) << dynamic;
    std::string report;
    if (mTestKit::Run("command -v hardening-check >/dev/null") == 0) {
        EXPECT_EQ(mTestKit::Run("hardening-check " + program + " 2>&1", &report), 0) << report;
    }
#endif
}
