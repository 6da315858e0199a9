// Every writer of the command line and the exports against what may stand at its output name: the
// table of hazards runs once per writer (mTestKit::ExpectSafeWrites), then what is its own.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sstream>
#include <unistd.h>

#include "cli/mCli.h"
#include "app/mPngExport.h"
#include "app/mThumbnailer.h"
#include "common/mTestKit.h"

namespace {

namespace fs = std::filesystem;
using mTestKit::eLinks;
using mTestKit::ExpectSafeWrites;
using mTestKit::Fixture;

// Inputs the writers read, where the user nobody can read them too.
class cInputs {
public:
    cInputs() {
        fs::permissions(dir_.Path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                         fs::perms::others_read | fs::perms::others_exec);
        fs::copy_file(Fixture("modules/good32.dll"), File("good32.dll"));
        fs::copy_file(Fixture("icons/six.ico"), File("six.ico"));
    }
    std::string File(const std::string& name) const { return dir_.File(name); }
    std::string Folder() const { return dir_.Path().string(); }

private:
    mTestKit::cTempDir dir_;
};

bool Ran(int (*command)(const mCli::tArgs&, std::ostream&, std::ostream&), const mCli::tArgs& args) {
    std::ostringstream out, err;
    return command(args, out, err) == 0;
}

TEST(OutputHazards, CommandLineWriters) {
    const cInputs in;
    // Names the user gives with -o: a link is followed, everything else is refused.
    ExpectSafeWrites(
        "r.png",
        [&](const std::string& folder) {
            return Ran(mCli::Render, {in.File("six.ico"), "-o", folder + "/r.png"});
        },
        eLinks::kFollowed);
    ExpectSafeWrites(
        "l.ier",
        [&](const std::string& folder) {
            return Ran(mCli::Search, {in.Folder(), "*.ico", "-o", folder + "/l.ier"});
        },
        eLinks::kFollowed);
    // Names the program makes inside the folder: never through a link.
    ExpectSafeWrites(
        "good321APPICON.ico",
        [&](const std::string& folder) {
            return Ran(mCli::Extract, {"-o", folder, in.File("good32.dll")});
        },
        eLinks::kNeverThrough);
    ExpectSafeWrites(
        "t.png",
        [&](const std::string& folder) {
            std::ostringstream out, err;
            return mThumbnailer::Run({"-s", "32", in.File("six.ico"), folder + "/t.png"}, out, err) == 0;
        },
        eLinks::kNeverThrough);
}

// Two copies of one DLL: each renamed output is one line on standard error, the total says how many.
TEST(OutputHazards, ExtractSaysWhichOutputsTookAnotherName) {
    mTestKit::cTempDir dir;
    fs::create_directories(dir.File("a"));
    fs::create_directories(dir.File("b"));
    fs::copy_file(Fixture("modules/good32.dll"), dir.File("a/good.dll"));
    fs::copy_file(Fixture("modules/good64.dll"), dir.File("b/good.dll"));
    std::ostringstream out, err;
    ASSERT_EQ(mCli::Extract({"-o", dir.File("out"), dir.File("a/good.dll"), dir.File("b/good.dll")}, out, err), 2)
        << "the folder is missing: refused before a source is read";
    EXPECT_NE(err.str().find("The output folder cannot be opened"), std::string::npos) << err.str();
    fs::create_directories(dir.File("out"));
    out.str("");
    err.str("");
    ASSERT_EQ(mCli::Extract({"-o", dir.File("out"), dir.File("a/good.dll"), dir.File("b/good.dll")}, out, err), 0)
        << err.str();
    EXPECT_NE(
        out.str().find("Total icons saved: 18 (9 were saved under another name, each reported with its reason)\n"),
        std::string::npos);
    const std::string line = "pictrix-cli: " + dir.File("b/good.dll") + ": " + dir.File("out/good55.ico") +
                             " was already written from another file of this run; saved as " +
                             dir.File("out/good55~2.ico") + "\n";
    const std::string said = err.str();
    EXPECT_NE(said.find(line), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 9);
}

TEST(OutputHazards, PngExportIntoAFolder) {
    cFileIcon six;
    ASSERT_TRUE(six.LoadIcon(Fixture("icons/six.ico")));
    const auto plan = mPngExport::Plan(six, {1});
    ExpectSafeWrites(
        plan[0].name, [&](const std::string& folder) { return mPngExport::Write(six, plan, folder).failed.empty(); },
        eLinks::kNeverThrough);

    // The link's image takes the next free name and says so; the question does not name the link.
    mTestKit::cTempDir dir;
    const std::string victim = dir.File("victim.txt");
    mTestKit::WriteBytes(victim, {'v'});
    fs::create_symlink(victim, dir.File(plan[0].name));
    EXPECT_TRUE(mPngExport::ExistingFiles(plan, dir.Path().string()).empty());
    const auto report = mPngExport::Write(six, plan, dir.Path().string());
    const std::string used = dir.File(plan[0].name.substr(0, plan[0].name.size() - 4) + "~2.png");
    EXPECT_EQ(report.written, std::vector<std::string>{used});
    EXPECT_EQ(mPngExport::ReportText(report), "1 PNG file written.\n" + dir.File(plan[0].name) +
                                                  " is a symbolic link, which is never written through; saved as " +
                                                  used);
    EXPECT_EQ(mTestKit::ReadBytes(victim), std::vector<std::uint8_t>{'v'});
}

// tumbler creates the output, keeps it open and reads the picture through that handle.
TEST(OutputHazards, ThumbnailerWritesIntoTheOutputItWasGiven) {
    mTestKit::cTempDir dir;
    const std::string out = dir.File("t.png");
    mTestKit::WriteBytes(out, {});
    const int held = ::open(out.c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    std::ostringstream o, e;
    ASSERT_EQ(mThumbnailer::Run({"-s", "32", Fixture("icons/six.ico"), out}, o, e), 0) << e.str();
    std::vector<std::uint8_t> bytes(1 << 16);
    const ssize_t n = ::pread(held, bytes.data(), bytes.size(), 0);
    ::close(held);
    ASSERT_GT(n, 8);
    bytes.resize(static_cast<std::size_t>(n));
    EXPECT_EQ(bytes, mTestKit::ReadBytes(out));
    EXPECT_EQ(mTestKit::ReadPng(out).Width(), 32);

    // What it prints of a name is escaped: a crafted name cannot drive the terminal.
    const std::string odd = dir.File("a\x1b[2Jb\n.ico");
    mTestKit::WriteBytes(odd, {'x'});
    std::ostringstream o2, e2;
    EXPECT_EQ(mThumbnailer::Run({odd, out}, o2, e2), 1);
    EXPECT_EQ(e2.str().find('\x1b'), std::string::npos) << e2.str();
    EXPECT_NE(e2.str().find("a\\x1B[2Jb\\n.ico"), std::string::npos) << e2.str();
}

} // namespace
