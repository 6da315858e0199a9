// When replacing a file flushes: an older file is protected, a file of the same run is not.

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "platform/cAtomicFile.h"
#include "platform/cWrittenFiles.h"

using namespace mTestKit;
namespace fs = std::filesystem;

namespace {

void Save(const std::string& path, const std::string& text, cWrittenFiles* run, bool flushes) {
    cAtomicFile f;
    ASSERT_TRUE(f.Open(path, run));
    EXPECT_EQ(f.FlushesOnCommit(), flushes) << path;
    const auto before = cAtomicFile::Flushes();
    ASSERT_TRUE(f.Write(text.data(), text.size()));
    ASSERT_TRUE(f.Commit());
    EXPECT_EQ(cAtomicFile::Flushes() - before, flushes ? 1u : 0u);
    const auto bytes = ReadBytes(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), text);
}

} // namespace

TEST(AtomicFile, FlushesOnlyWhereAnOlderFileIsReplaced) {
    cTempDir dir;
    const std::string mine = dir.File("mine.ico"), users = dir.File("users.ico");
    Save(users, "the user's", nullptr, false); // new: nothing to lose
    Save(users, "replaced", nullptr, true);    // without a run every replacement is protected

    cWrittenFiles run;
    Save(mine, "first", &run, false);
    Save(mine, "second", &run, false); // the run's own output
    Save(users, "run's", &run, true);  // the user's file, once
    Save(users, "run's again", &run, false);
    EXPECT_EQ(run.Count(), 2u);

    // Put back by someone else during the run: the user's again.
    fs::remove(mine);
    { std::ofstream(mine) << "someone else's"; }
    Save(mine, "third", &run, true);

    // Through a link the file it points to is replaced, and is the run's under either name.
    const std::string link = dir.File("link.ico");
    fs::create_symlink(mine, link);
    Save(link, "by the link", &run, false);
    EXPECT_TRUE(fs::is_symlink(link));
    Save(mine, "by its name", &run, false);

    run.Clear();
    Save(mine, "a new run", &run, true);
}
