// The careful writer: what it may write, when replacing a file flushes, and writing in place.

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "platform/cAtomicFile.h"
#include "platform/cWrittenFiles.h"
#include "platform/mSysText.h"

using namespace mTestKit;
namespace fs = std::filesystem;

namespace {

std::string Text(const std::string& path) {
    const auto bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

void Save(const std::string& path, const std::string& text, cWrittenFiles* run, bool flushes) {
    cAtomicFile f;
    ASSERT_TRUE(f.Open(path, run));
    EXPECT_EQ(f.FlushesOnCommit(), flushes) << path;
    const auto before = cAtomicFile::Flushes();
    ASSERT_TRUE(f.Write(text.data(), text.size()));
    ASSERT_TRUE(f.Commit());
    // Alone, a replacement is flushed at once; in a run it waits for the run's one flush.
    EXPECT_EQ(cAtomicFile::Flushes() - before, flushes && !run ? 1u : 0u);
    if (!run || !run->IsWaiting(path)) {
        EXPECT_EQ(Text(path), text);
    }
}

bool WriteText(const std::string& path, cAtomicFile::eName name) {
    cAtomicFile f;
    const std::string text = "new bytes, longer than the size limit of the test";
    return f.Open(path, nullptr, name) && f.Write(text.data(), text.size()) && f.Commit();
}

} // namespace

TEST(AtomicFile, FlushesOnceWhereOlderFilesAreReplaced) {
    cTempDir dir;
    const std::string mine = dir.File("mine.ico"), users = dir.File("users.ico"), other = dir.File("other.ico");
    Save(users, "the user's", nullptr, false); // new: nothing to lose
    Save(users, "replaced", nullptr, true); // without a run every replacement is flushed
    Save(other, "the user's too", nullptr, false);

    cWrittenFiles run;
    Save(mine, "first", &run, false);
    Save(mine, "second", &run, false); // the run's own output
    Save(users, "run's", &run, true); // the user's file: waits for the run's flush
    Save(users, "run's again", &run, false);
    Save(other, "run's other", &run, true);
    EXPECT_EQ(Text(users), "replaced") << "nothing of the user's is replaced before the flush";
    EXPECT_EQ(run.Waiting(), 2u);
    const auto before = cAtomicFile::Flushes();
    EXPECT_TRUE(run.Finish().empty());
    EXPECT_EQ(cAtomicFile::Flushes() - before, 1u) << "one flush for the whole run";
    EXPECT_EQ(Text(users), "run's again");
    EXPECT_EQ(Text(other), "run's other");
    EXPECT_EQ(run.Count(), 3u);

    // Put back by someone else during the run: the user's again.
    fs::remove(mine);
    { std::ofstream(mine) << "someone else's"; }
    Save(mine, "third", &run, true);
    run.Finish();

    // Through a link the user chose, the file it points to is replaced, and is the run's under
    // either name.
    const std::string link = dir.File("link.ico");
    fs::create_symlink(mine, link);
    Save(link, "by the link", &run, false);
    EXPECT_TRUE(fs::is_symlink(link));
    Save(mine, "by its name", &run, false);

    run.Clear();
    Save(mine, "a new run", &run, true);
    // A run that ends without Finish still makes its replacements.
    {
        cWrittenFiles dropped;
        Save(mine, "dropped run", &dropped, true);
    }
    EXPECT_EQ(Text(mine), "dropped run");
}

// Every hazard at the name: refused before any blocking open, what stood there left as it was.
TEST(AtomicFile, OutputHazards) {
    ExpectSafeWrites(
        "chosen.png",
        [](const std::string& folder) { return WriteText(folder + "/chosen.png", cAtomicFile::eName::kChosen); },
        eLinks::kFollowed);
    ExpectSafeWrites(
        "made.png",
        [](const std::string& folder) { return WriteText(folder + "/made.png", cAtomicFile::eName::kMade); },
        eLinks::kNeverThrough);
    ExpectSafeWrites(
        "inplace.png",
        [](const std::string& folder) { return WriteText(folder + "/inplace.png", cAtomicFile::eName::kInPlace); },
        eLinks::kNeverThrough);
    // The codes the callers report.
    cTempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0666), 0);
    fs::create_symlink(dir.File("fifo"), dir.File("link"));
    cAtomicFile f;
    EXPECT_FALSE(f.Open(dir.File("fifo")));
    EXPECT_EQ(mSysText::TextLine(f.LastError()), "The system cannot open the device or file specified.");
    EXPECT_FALSE(f.Open(dir.Path().string()));
    EXPECT_EQ(f.LastError(), mSysText::kOpenFailed);
    EXPECT_FALSE(f.Open(dir.File("link"), nullptr, cAtomicFile::eName::kMade));
    EXPECT_EQ(f.LastError(), cAtomicFile::kLinkAtName);
}

// A client that created the output and keeps it open reads the new bytes through its own handle;
// a name that is not there yet is created.
TEST(AtomicFile, InPlaceWritesThroughTheOneInode) {
    cTempDir dir;
    const std::string out = dir.File("thumb.png");
    { std::ofstream(out) << "an older and longer picture"; }
    const int reader = ::open(out.c_str(), O_RDONLY);
    ASSERT_GE(reader, 0);
    cAtomicFile f;
    ASSERT_TRUE(f.Open(out, nullptr, cAtomicFile::eName::kInPlace));
    ASSERT_TRUE(f.Write("new", 3));
    ASSERT_TRUE(f.Commit());
    char buf[64] = {};
    EXPECT_EQ(::pread(reader, buf, sizeof buf, 0), 3);
    EXPECT_EQ(std::string(buf, 3), "new");
    ::close(reader);
    EXPECT_TRUE(WriteText(dir.File("fresh.png"), cAtomicFile::eName::kInPlace));
    EXPECT_TRUE(fs::is_regular_file(dir.File("fresh.png")));
}
