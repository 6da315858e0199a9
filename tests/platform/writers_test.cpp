// The write policy: what each writer may write, when replacing a file flushes, writing in place,
// and a run's folder on file systems that lack what the careful way uses.

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "platform/cInPlaceFile.h"
#include "platform/cOutputFolder.h"
#include "platform/cReplaceFile.h"
#include "platform/mSysText.h"

using namespace mTestKit;
namespace fs = std::filesystem;

namespace {

std::string Text(const std::string& path) {
    const auto bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

std::span<const std::uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

bool WriteText(const std::string& path, cReplaceFile::eName name) {
    cReplaceFile f;
    const std::string text = "new bytes, longer than the size limit of the test";
    return f.Open(path, name) && f.Write(text.data(), text.size()) && f.Commit();
}

bool WriteInPlace(const std::string& path, const std::string& text) {
    cInPlaceFile f;
    return f.Open(path) && f.Write(Bytes(text)) && f.Commit();
}

std::vector<std::string> Hidden(const std::string& folder) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        if (name[0] == '.') out.push_back(name);
    }
    return out;
}

} // namespace

TEST(Writers, FlushesOnceWhereOlderFilesAreReplaced) {
    cTempDir dir;
    // Alone, a new file needs no flush and a replacement one.
    for (const bool replaces : {false, true}) {
        const auto before = cReplaceFile::Flushes();
        EXPECT_TRUE(WriteText(dir.File("users.ico"), cReplaceFile::eName::kChosen));
        EXPECT_EQ(cReplaceFile::Flushes() - before, replaces ? 1u : 0u);
    }
    { std::ofstream(dir.File("other.ico")) << "the user's too"; }

    cOutputFolder run;
    ASSERT_TRUE(run.Open(dir.Path().string()));
    run.SetSource("a.dll");
    const auto before = cReplaceFile::Flushes();
    EXPECT_EQ(run.At("mine.ico"), cOutputFolder::eAt::kFree);
    for (const char* text : {"first", "second"})
        ASSERT_EQ(run.Write("mine.ico", Bytes(text)), cOutputFolder::eWrite::kDone);
    EXPECT_EQ(Text(dir.File("mine.ico")), "second") << "the run's own file is replaced at once";
    EXPECT_EQ(run.At("users.ico"), cOutputFolder::eAt::kUsers);
    for (const char* text : {"run's", "run's again"})
        ASSERT_EQ(run.Write("users.ico", Bytes(text)), cOutputFolder::eWrite::kDone);
    ASSERT_EQ(run.Write("other.ico", Bytes("run's other")), cOutputFolder::eWrite::kDone);
    EXPECT_EQ(run.At("users.ico"), cOutputFolder::eAt::kThisListing) << "a waiting replacement is the run's";
    EXPECT_NE(Text(dir.File("users.ico")), "run's again") << "nothing of the user's is replaced before the flush";
    EXPECT_EQ(run.Waiting(), 2u);
    EXPECT_EQ(cReplaceFile::Flushes(), before);
    EXPECT_TRUE(run.Finish().empty());
    EXPECT_EQ(cReplaceFile::Flushes() - before, 1u) << "one flush for the whole run";
    EXPECT_EQ(Text(dir.File("users.ico")), "run's again");
    EXPECT_EQ(Text(dir.File("other.ico")), "run's other");
    EXPECT_EQ(run.At("users.ico"), cOutputFolder::eAt::kThisListing);
    run.SetSource("a.dll");
    EXPECT_EQ(run.At("users.ico"), cOutputFolder::eAt::kEarlierListing);
    run.SetSource("b.dll");
    EXPECT_EQ(run.At("users.ico"), cOutputFolder::eAt::kOtherSource);
    // The run knows its files, not their names: a second name of one of them is the run's too.
    fs::create_hard_link(dir.File("users.ico"), dir.File("USERS.ICO"));
    EXPECT_EQ(run.At("USERS.ICO"), cOutputFolder::eAt::kOtherSource);

    // Put back by someone else during the run: the user's again.
    fs::remove(dir.File("mine.ico"));
    { std::ofstream(dir.File("mine.ico")) << "someone else's"; }
    EXPECT_EQ(run.At("mine.ico"), cOutputFolder::eAt::kUsers);
    // A run that ends without Finish still makes its replacements.
    {
        cOutputFolder dropped;
        ASSERT_TRUE(dropped.Open(dir.Path().string()));
        ASSERT_EQ(dropped.Write("mine.ico", Bytes("dropped run")), cOutputFolder::eWrite::kDone);
    }
    EXPECT_EQ(Text(dir.File("mine.ico")), "dropped run");
    EXPECT_TRUE(Hidden(dir.Path().string()).empty());
}

// Every hazard at the name: refused before any blocking open, what stood there left as it was.
TEST(Writers, OutputHazards) {
    ExpectSafeWrites(
        "chosen.png",
        [](const std::string& folder) { return WriteText(folder + "/chosen.png", cReplaceFile::eName::kChosen); },
        eLinks::kFollowed);
    ExpectSafeWrites(
        "made.png",
        [](const std::string& folder) { return WriteText(folder + "/made.png", cReplaceFile::eName::kMade); },
        eLinks::kNeverThrough);
    ExpectSafeWrites(
        "inplace.png",
        [](const std::string& folder) {
            return WriteInPlace(folder + "/inplace.png", "new bytes, longer than the size limit of the test");
        },
        eLinks::kNeverThrough);
    ExpectSafeWrites(
        "run.ico",
        [](const std::string& folder) {
            cOutputFolder run;
            return run.Open(folder) &&
                   run.Write("run.ico", Bytes("new bytes, longer than the size limit of the test")) ==
                       cOutputFolder::eWrite::kDone &&
                   run.Finish().empty();
        },
        eLinks::kNeverThrough);
    // The codes the callers report.
    cTempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0666), 0);
    fs::create_symlink(dir.File("fifo"), dir.File("link"));
    cReplaceFile f;
    EXPECT_FALSE(f.Open(dir.File("fifo")));
    EXPECT_EQ(mSysText::TextLine(f.LastError()), "The system cannot open the device or file specified.");
    EXPECT_FALSE(f.Open(dir.Path().string()));
    EXPECT_EQ(f.LastError(), mSysText::kOpenFailed);
    EXPECT_FALSE(f.Open(dir.File("link"), cReplaceFile::eName::kMade));
    EXPECT_EQ(f.LastError(), mFileAt::kLinkAtName);
    EXPECT_FALSE(f.Open(dir.File("missing/x.png")));
    EXPECT_EQ(f.LastError(), mSysText::kPathNotFound);
    // A content subfolder that is a link is refused as a link, not as a missing path.
    fs::create_directory(dir.File("out"));
    fs::create_directory(dir.File("elsewhere"));
    fs::create_directory_symlink(dir.File("elsewhere"), dir.File("out/ab"));
    cOutputFolder run;
    ASSERT_TRUE(run.Open(dir.File("out")));
    EXPECT_EQ(run.WriteContent("ab", "x.ico", Bytes("icon")), cOutputFolder::eWrite::kOpenFailed);
    EXPECT_EQ(run.LastError(), mFileAt::kLinkAtName);
    EXPECT_TRUE(fs::is_empty(dir.File("elsewhere")));
}

// A client that created the output and keeps it open reads the new bytes through its own handle,
// cut to their length; a file with a second name is replaced beside it, never written through.
TEST(Writers, InPlaceWritesThroughTheOneInodeOnly) {
    cTempDir dir;
    const std::string out = dir.File("thumb.png");
    { std::ofstream(out) << "an older and longer picture"; }
    const int reader = ::open(out.c_str(), O_RDONLY);
    ASSERT_GE(reader, 0);
    ASSERT_TRUE(WriteInPlace(out, "new"));
    char buf[64] = {};
    EXPECT_EQ(::pread(reader, buf, sizeof buf, 0), 3);
    EXPECT_EQ(std::string(buf, 3), "new");
    ::close(reader);
    EXPECT_TRUE(WriteInPlace(dir.File("fresh.png"), "fresh"));
    EXPECT_EQ(Text(dir.File("fresh.png")), "fresh");

    fs::create_hard_link(out, dir.File("other-name.png"));
    ASSERT_TRUE(WriteInPlace(out, "the thumbnail"));
    EXPECT_EQ(Text(out), "the thumbnail");
    EXPECT_EQ(Text(dir.File("other-name.png")), "new") << "the other name keeps its content";
    EXPECT_TRUE(Hidden(dir.Path().string()).empty());
}

// A FAT image through FUSE has neither RENAME_NOREPLACE nor hard links: new names are still made,
// never over something that is there, and a failure says its real cause.
TEST(Writers, NewNamesWithoutRenameFlagOrHardLinks) {
    cMount fat(cMount::eKind::kFat, 4 << 20);
    if (!fat.Ok()) GTEST_SKIP() << fat.Why();
    EXPECT_TRUE(WriteText(fat.File("made.png"), cReplaceFile::eName::kMade));
    EXPECT_TRUE(WriteText(fat.File("made.png"), cReplaceFile::eName::kMade)) << "a replacement";
    cOutputFolder run;
    ASSERT_TRUE(run.Open(fat.Path()));
    ASSERT_EQ(run.Write("run.ico", Bytes("run's")), cOutputFolder::eWrite::kDone);
    EXPECT_EQ(Text(fat.File("run.ico")), "run's");
    // A temporary file is never moved over a name that appeared meanwhile.
    { std::ofstream(fat.File(".t")) << "temp"; }
    EXPECT_EQ(cReplaceFile::PlaceNew(run.Folder().Fd(), ".t", "run.ico"), EEXIST);
    EXPECT_EQ(Text(fat.File("run.ico")), "run's");
    fs::remove(fat.File(".t"));
    EXPECT_TRUE(Hidden(fat.Path()).empty());
}

// What waits for the run's flush is bounded by the room it takes, a killed run's temporary files
// go when a later run writes their names, and a folder swapped for a link changes nothing.
TEST(Writers, ARunIsBoundedByRoomAndWritesThroughTheFolderItOpened) {
    cMount small(cMount::eKind::kTmpfs, 8 << 20);
    if (!small.Ok()) GTEST_SKIP() << small.Why();
    const std::string user(512 << 10, 'u'), mine(512 << 10, 'm');
    for (int i = 0; i < 12; ++i) std::ofstream(small.File(std::to_string(i) + ".ico")) << user;
    { std::ofstream(small.File(".0.ico.tmp-Ab12Cd")) << "a killed run's"; }
    { std::ofstream(small.File(".kept.tmp-Ab12Cd")) << "not a name this run writes"; }
    cOutputFolder run;
    ASSERT_TRUE(run.Open(small.Path()));
    run.WaitingLimit(3 << 20);
    std::uint64_t most = 0;
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(run.Write(std::to_string(i) + ".ico", Bytes(mine)), cOutputFolder::eWrite::kDone)
            << mSysText::TextLine(run.LastError());
        most = std::max(most, run.WaitingBytes());
    }
    EXPECT_LE(most, 3u << 20);
    EXPECT_TRUE(run.Finish().empty());
    for (int i = 0; i < 12; ++i) EXPECT_EQ(Text(small.File(std::to_string(i) + ".ico")), mine);
    EXPECT_EQ(Hidden(small.Path()), std::vector<std::string>{".kept.tmp-Ab12Cd"});

    cTempDir dir;
    fs::create_directories(dir.File("out"));
    fs::create_directories(dir.File("elsewhere"));
    cOutputFolder swapped;
    ASSERT_TRUE(swapped.Open(dir.File("out")));
    ASSERT_EQ(swapped.Write("a.ico", Bytes("a")), cOutputFolder::eWrite::kDone);
    fs::rename(dir.File("out"), dir.File("moved"));
    fs::create_directory_symlink(dir.File("elsewhere"), dir.File("out"));
    ASSERT_EQ(swapped.Write("b.ico", Bytes("b")), cOutputFolder::eWrite::kDone);
    EXPECT_EQ(Text(dir.File("moved/b.ico")), "b");
    EXPECT_TRUE(fs::is_empty(dir.File("elsewhere")));
}
