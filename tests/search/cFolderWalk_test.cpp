// The folder walk over trees made in temporary folders, with a host that records what a window
// would show and can stop the walk or change the tree at a given step.

#include <filesystem>
#include <fstream>
#include <functional>
#include <stdlib.h>

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "search/cFolderWalk.h"

using namespace mTestKit;
namespace fs = std::filesystem;

namespace {

void Touch(const fs::path& p) {
    fs::create_directories(p.parent_path());
    std::ofstream(p).put('x');
}

struct cRecordingHost final : cFolderWalk::cHost {
    std::vector<std::string> entries, status;
    std::vector<cError> errors;
    int events = 0;
    int stopAt = -1; // DoEvents answers false from this call on (1-based)
    std::size_t capacity = SIZE_MAX;
    int timerOn = 0, timerOff = 0;
    std::function<void(int)> onEvents;

    bool Append(const std::string& entry) override {
        if (entries.size() >= capacity) return false;
        entries.push_back(entry);
        return true;
    }
    void Status(const std::string& text) override { status.push_back(text); }
    bool DoEvents() override {
        ++events;
        if (onEvents) onEvents(events);
        return stopAt < 0 || events < stopAt;
    }
    void EnableTimer(bool enabled) override { ++(enabled ? timerOn : timerOff); }
    void ReportError(const cError& e) override { errors.push_back(e); }
};

// Relative paths below the start folder, so that cases read as trees.
std::vector<std::string> Relative(const std::vector<std::string>& entries, const std::string& start) {
    std::vector<std::string> out;
    for (const auto& e : entries) out.push_back(e.substr(0, start.size()) == start ? e.substr(start.size()) : "!" + e);
    return out;
}

} // namespace

TEST(FolderWalk, OrderDotEntriesHiddenAndDotFolders) {
    cTempDir tmp;
    const fs::path a = tmp.Path() / "A";
    Touch(a / "X.EXE");
    Touch(a / "B" / "Y.EXE");
    Touch(a / "b2" / "z.exe");
    Touch(a / ".hidden.exe");
    Touch(a / ".dot" / "never.exe");
    Touch(a / "B" / "notes.txt");
    const std::string start = cFolderWalk::StartPath(a.string());
    ASSERT_EQ(start, a.string() + "/");

    struct {
        const char* spec;
        std::vector<std::string> found;
    } cases[] = {
        {"*.exe", {".hidden.exe", "X.EXE", "B/Y.EXE", "b2/z.exe"}},
        {"*.*",
         {".", "..", ".dot", ".hidden.exe", "B", "b2", "X.EXE", "B/.", "B/..", "B/notes.txt", "B/Y.EXE", "b2/.",
          "b2/..", "b2/z.exe"}},
        {"*.exe;*.txt", {}},
        {"y.exe", {"B/Y.EXE"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.spec);
        cRecordingHost host;
        cFolderWalk walk(host, c.spec);
        walk.WalkFolder(start);
        EXPECT_EQ(Relative(host.entries, start), c.found);
        EXPECT_EQ(walk.Found(), static_cast<std::int64_t>(c.found.size()));
        EXPECT_TRUE(host.errors.empty());
        // Three folders entered, the timer on and off around each one's matches.
        EXPECT_EQ(host.status, (std::vector<std::string>{"Searching " + start, "Searching " + start + "B/",
                                                         "Searching " + start + "b2/"}));
        EXPECT_EQ(host.timerOn, 3);
        EXPECT_EQ(host.timerOff, 3);
        // Events once per folder and once per match.
        EXPECT_EQ(host.events, 3 + static_cast<int>(c.found.size()));
    }
}

// With hidden folders on, folders whose names begin with "." are walked too (never "." and ".."),
// and a hidden start folder is walked either way.
TEST(FolderWalk, HiddenFoldersWhenAsked) {
    cTempDir tmp;
    const fs::path a = tmp.Path() / "A";
    Touch(a / "X.EXE");
    Touch(a / ".wine" / "drive_c" / "w.exe");
    Touch(a / ".dot" / "d.exe");
    for (const bool hidden : {false, true}) {
        SCOPED_TRACE(hidden);
        cRecordingHost host;
        cFolderWalk walk(host, "*.exe", hidden);
        walk.WalkFolder(cFolderWalk::StartPath(a.string()));
        const std::vector<std::string> found =
            hidden ? std::vector<std::string>{"X.EXE", ".dot/d.exe", ".wine/drive_c/w.exe"}
                   : std::vector<std::string>{"X.EXE"};
        EXPECT_EQ(Relative(host.entries, a.string() + "/"), found);
    }
    cRecordingHost host;
    cFolderWalk walk(host, "*.exe");
    walk.WalkFolder(cFolderWalk::StartPath((a / ".wine").string()));
    EXPECT_EQ(Relative(host.entries, (a / ".wine").string() + "/"), std::vector<std::string>{"drive_c/w.exe"});
}

// What no list file can hold is counted and said, never dropped in silence: names with a line
// break, and matches past the system's path limit.
TEST(FolderWalk, NamesNoListCanHoldAreCounted) {
    cTempDir tmp;
    const fs::path a = tmp.Path() / "A";
    Touch(a / "ok.exe");
    Touch(a / "line\nbreak.exe");
    Touch(a / "carriage\rreturn.exe");
    // A chain of folders whose path passes 4,095 bytes, with a match at every level (made from
    // inside, one short name at a time, as no single path may be that long).
    const std::string level(120, 'd');
    const std::string chain = "set -P; cd " + Quote(a.string()) + " && for i in $(seq 40); do mkdir " + level +
                              " && cd " + level + " && touch d.exe || exit 1; done";
    ASSERT_EQ(mTestKit::Run("bash -c " + Quote(chain)), 0);

    cRecordingHost host;
    cFolderWalk walk(host, "*.exe");
    walk.WalkFolder(cFolderWalk::StartPath(a.string()));
    EXPECT_EQ(walk.LineBreakNames(), 2);
    for (const auto& e : host.entries) EXPECT_LE(e.size(), cFolderWalk::kPathLimit) << e;
    const auto listed = static_cast<std::int64_t>((cFolderWalk::kPathLimit - a.string().size()) / 121);
    EXPECT_EQ(walk.Found(), 1 + listed) << "every d.exe whose path the system takes";
    EXPECT_EQ(walk.PastPathLimit(), 40 - listed) << "every d.exe below the limit is counted";
    EXPECT_EQ(walk.PassedOverText(), "2 names hold a line break, " + std::to_string(40 - listed) +
                                         " paths lie past the system's path limit: not listed");
    // The tree is deeper than a path may be: rm takes it apart from inside.
    mTestKit::Run("rm -rf " + Quote((a / level).string()));
}

TEST(FolderWalk, StopKeepsWhatWasFoundAndUnwinds) {
    cTempDir tmp;
    for (const char* f : {"1.exe", "2.exe", "s1/3.exe", "s1/4.exe", "s2/5.exe", "s3/6.exe"}) Touch(tmp.Path() / f);
    const std::string start = cFolderWalk::StartPath(tmp.Path().string());
    cRecordingHost host;
    host.stopAt = 5; // events: start, 1.exe, 2.exe, s1, 3.exe <- stop here
    cFolderWalk walk(host, "*.exe");
    walk.WalkFolder(start);
    EXPECT_EQ(Relative(host.entries, start), (std::vector<std::string>{"1.exe", "2.exe"}));
    // The pending folders of the level still show their text and return at once.
    EXPECT_EQ(host.status.back(), "Searching " + start + "s3/");
    EXPECT_EQ(host.status.size(), 4u);
    EXPECT_EQ(host.timerOn, host.timerOff);
}

TEST(FolderWalk, LinksAndLoopsAreEnteredOnce) {
    cTempDir tmp;
    const fs::path root = tmp.Path();
    Touch(root / "a" / "in-a.exe");
    fs::create_directory_symlink(root, root / "a" / "up"); // a loop back to the start
    fs::create_directory_symlink(root / "a", root / "b-to-a"); // "a" again under another name
    fs::create_directory_symlink("/proc", root / "proc"); // a kernel file system
    const std::string start = cFolderWalk::StartPath(root.string());
    cRecordingHost host;
    cFolderWalk walk(host, "*");
    walk.WalkFolder(start);
    // The links are listed as the folders they point to, but nothing is found twice, and nothing
    // comes out of /proc.
    EXPECT_EQ(Relative(host.entries, start),
              (std::vector<std::string>{".", "..", "a", "b-to-a", "proc", "a/.", "a/..", "a/in-a.exe", "a/up"}));
}

TEST(FolderWalk, AFolderRemovedDuringTheWalkYieldsNothing) {
    cTempDir tmp;
    const fs::path root = tmp.Path();
    Touch(root / "first" / "1.exe");
    Touch(root / "gone" / "2.exe");
    Touch(root / "last" / "3.exe");
    cRecordingHost host;
    // "gone" disappears once the start folder has been read, as the walk enters "first".
    host.onEvents = [&](int n) {
        if (n == 2) fs::remove_all(root / "gone");
    };
    const std::string start = cFolderWalk::StartPath(root.string());
    cFolderWalk walk(host, "*.exe");
    walk.WalkFolder(start);
    EXPECT_EQ(Relative(host.entries, start), (std::vector<std::string>{"first/1.exe", "last/3.exe"}));
    EXPECT_TRUE(host.errors.empty());
}

TEST(FolderWalk, AFullListRefusesQuietlyAfterOneReport) {
    cTempDir tmp;
    for (int i = 0; i < 6; ++i) Touch(tmp.Path() / ("f" + std::to_string(i) + ".exe"));
    Touch(tmp.Path() / "sub" / "late.exe");
    cRecordingHost host;
    host.capacity = 4;
    const std::string start = cFolderWalk::StartPath(tmp.Path().string());
    cFolderWalk walk(host, "*.exe");
    walk.WalkFolder(start);
    EXPECT_EQ(host.entries.size(), 4u);
    EXPECT_EQ(walk.Found(), 4);
    EXPECT_TRUE(walk.ListFull());
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(host.errors[0].Number(), cError::kOverflow);
    // The walk went on into the sub-folder all the same.
    EXPECT_EQ(host.status.back(), "Searching " + start + "sub/");
}

TEST(FolderWalk, MoreSubFoldersThanALevelHoldsSkipsThatFolder) {
    // Tens of thousands of folders: on a tmpfs, where removing them takes a second rather than
    // minutes of a disk's journal.
    char pattern[] = "/dev/shm/pictrix-walk-XXXXXX";
    if (!fs::is_directory("/dev/shm") || !::mkdtemp(pattern)) GTEST_SKIP() << "no tmpfs at /dev/shm";
    struct cRemove {
        fs::path p;
        ~cRemove() { fs::remove_all(p); }
    } tmp{pattern};
    const fs::path big = tmp.p / "big";
    fs::create_directory(big);
    Touch(big / "0.exe");
    for (int i = 0; i <= cFolderWalk::kMaxSubFolders; ++i) fs::create_directory(big / std::to_string(i));
    Touch(big / "1" / "inside.exe");
    Touch(tmp.p / "next" / "after.exe");
    cRecordingHost host;
    const std::string start = cFolderWalk::StartPath(tmp.p.string());
    cFolderWalk walk(host, "*.exe");
    walk.WalkFolder(start);
    // "big" is reported and skipped whole; the walk goes on with the next folder of its level.
    EXPECT_EQ(Relative(host.entries, start), (std::vector<std::string>{"next/after.exe"}));
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(host.errors[0].Number(), cError::kOverflow);
    EXPECT_NE(host.errors[0].Description().find(big.string()), std::string::npos);
}

TEST(FolderWalk, StartPathAndTrimAtNul) {
    EXPECT_EQ(cFolderWalk::StartPath("/"), "/");
    EXPECT_EQ(cFolderWalk::StartPath("/tmp/x/"), "/tmp/x/");
    EXPECT_EQ(cFolderWalk::StartPath(std::string("/tmp\0junk", 9)), "/tmp/");
}
