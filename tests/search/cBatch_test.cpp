// The batch at scale: records in the sources' order whatever finishes first, and a failure on any
// thread reported as with one job.

#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <thread>

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "search/cBatch.h"

using namespace mTestKit;
namespace fs = std::filesystem;

namespace {

// 50 sources: modules, icon files, a module without icons, a missing file.
struct cSources {
    cTempDir dir;
    std::vector<std::string> paths;
    std::map<std::string, std::size_t> index;
    cSources() {
        const char* kinds[] = {"modules/good32.dll", "icons/six.ico", "modules/noicons32.dll", "modules/sample.dll",
                               "modules/good64.dll"};
        for (std::size_t i = 0; i < 50; ++i) {
            const std::string from = kinds[i % 5];
            const std::string path = dir.File(std::to_string(i) + "-" + fs::path(from).filename().string());
            if (i != 37) fs::copy_file(Fixture(from), path); // 37 is missing
            index[path] = i;
            paths.push_back(path);
        }
    }
};

} // namespace

TEST(Batch, RecordsComeInTheSourcesOrderWhateverFinishesFirst) {
    cSources sources;
    std::vector<std::string> oneJob;
    for (const int jobs : {1, 2, 8}) {
        SCOPED_TRACE(jobs);
        cTempDir out;
        std::vector<std::string> done;
        cBatch::cHooks hooks;
        // The later a source, the sooner its load ends.
        hooks.Loading = [&](const std::string& path) {
            std::this_thread::sleep_for(std::chrono::microseconds(300 * (50 - sources.index.at(path))));
        };
        hooks.Done = [&](const cBatch::cSource& s) { done.push_back(s.path); };
        cBatch::cOptions o;
        o.folder = out.Path().string();
        o.jobs = jobs;
        cBatch batch;
        EXPECT_FALSE(batch.Run(sources.paths, o, hooks)) << "one source is missing";
        EXPECT_EQ(done, sources.paths);
        EXPECT_EQ(batch.IconsSaved(), 10 * 8 + 10 * 1 + 10 * 12 + 10 * 8);
        if (jobs == 1) oneJob = Listing(o.folder);
        EXPECT_EQ(Listing(o.folder), oneJob);
    }
}

TEST(Batch, AFailureOnAnyThreadEndsTheRunCleanly) {
    cSources sources;
    for (const bool inCommitter : {false, true}) {
        for (const int jobs : {1, 2, 8}) {
            SCOPED_TRACE(std::to_string(jobs) + (inCommitter ? " jobs, the committer fails" : " jobs, a loader fails"));
            cTempDir out;
            std::vector<std::string> done;
            cBatch::cHooks hooks;
            hooks.Loading = [&](const std::string& path) {
                if (!inCommitter && sources.index.at(path) == 20) throw std::runtime_error("loader failed");
            };
            hooks.Done = [&](const cBatch::cSource& s) {
                if (inCommitter && sources.index.at(s.path) == 10) throw std::runtime_error("committer failed");
                done.push_back(s.path);
            };
            cBatch::cOptions o;
            o.folder = out.Path().string();
            o.jobs = jobs;
            cBatch batch;
            try {
                batch.Run(sources.paths, o, hooks);
                ADD_FAILURE() << "the failure did not leave the run";
            } catch (const std::runtime_error& e) {
                EXPECT_EQ(std::string(e.what()), inCommitter ? "committer failed" : "loader failed");
            }
            // What was settled before the failure was handed out in order, and is on disk.
            const std::size_t limit = inCommitter ? 10 : 20;
            ASSERT_LE(done.size(), limit);
            EXPECT_EQ(done, std::vector<std::string>(sources.paths.begin(), sources.paths.begin() + done.size()));
            if (!inCommitter && jobs == 1) {
                EXPECT_EQ(done.size(), limit);
            }
            for (const auto& f : Listing(o.folder)) EXPECT_NE(f[0], '.') << "a temporary file was left: " << f;
        }
    }
}

// What a file is, as the batch judges it: by its first bytes, a file that is no container of icons
// is read (no groups, no digest); a file written to between the look at it and its reading fails,
// so that no record pairs a size with a digest of other bytes.
TEST(Batch, FilesAreJudgedByTheirFirstBytesAndAChangeWhileReadFails) {
    cTempDir dir;
    const std::string text = dir.File("notes.dll"), grown = dir.File("grown.dll"), empty = dir.File("empty");
    WriteBytes(text, {'h', 'e', 'l', 'l', 'o', '\n'});
    WriteBytes(empty, {});
    fs::copy_file(Fixture("modules/good32.dll"), grown);
    std::map<std::string, cBatch::cSource> records;
    cBatch::cHooks hooks;
    hooks.Done = [&](const cBatch::cSource& s) { records[s.path] = s; };
    // Asked after the file was looked at, before it is read: the module grows in between.
    hooks.PassOver = [&](const cBatch::cSource& found, std::vector<std::string>&) {
        if (found.path == grown) {
            auto bytes = ReadBytes(grown);
            bytes.resize(bytes.size() + 512, 0);
            WriteBytes(grown, bytes);
        }
        return cBatch::cHooks::ePass::kRead;
    };
    cBatch::cOptions o = cBatch::Listing(2);
    cBatch batch;
    EXPECT_FALSE(batch.Run(std::vector<std::string>{text, empty, grown}, o, hooks));
    // What the resume's hook throws ends the run; it is no failure of the file.
    cBatch::cHooks throwing = hooks;
    throwing.PassOver = [](const cBatch::cSource&, std::vector<std::string>&) -> cBatch::cHooks::ePass {
        throw std::runtime_error("manifest gone");
    };
    cBatch other;
    EXPECT_THROW(other.Run(std::vector<std::string>{text, empty}, o, throwing), std::runtime_error);
    ASSERT_EQ(records.size(), 3u);
    for (const auto& path : {text, empty}) {
        SCOPED_TRACE(path);
        const cBatch::cSource& r = records.at(path);
        EXPECT_TRUE(r.read);
        EXPECT_TRUE(r.groups.empty());
        EXPECT_EQ(r.container, "");
        EXPECT_EQ(r.sha256, "") << "read no further than its first bytes";
    }
    const cBatch::cSource& g = records.at(grown);
    EXPECT_FALSE(g.read);
    EXPECT_EQ(g.container, "module");
    EXPECT_NE(g.error.find("changed while it was read"), std::string::npos) << g.error;
    EXPECT_TRUE(g.groups.empty());
}

// Records held for the flush of replaced files go out exactly once, even when the hook that takes
// them throws part way: the one that threw is gone, the rest come with the run's last settling.
TEST(Batch, HeldRecordsGoOutOnceWhenTheirHookThrows) {
    cSources sources;
    cTempDir out;
    cBatch::cOptions o;
    o.folder = out.Path().string();
    o.jobs = 2;
    {
        cBatch first;
        first.Run(sources.paths, o, {});
    }
    // Every output changed since, so that the next run's replacements wait and its records are held.
    for (const auto& e : fs::directory_iterator(out.Path())) {
        auto bytes = ReadBytes(e.path().string());
        bytes.push_back(0);
        WriteBytes(e.path().string(), bytes);
    }
    std::vector<std::string> done;
    bool thrown = false;
    cBatch::cHooks hooks;
    // Slow enough that the held records go out by their age during the run, not only at its end.
    hooks.Loading = [](const std::string&) { std::this_thread::sleep_for(std::chrono::milliseconds(60)); };
    hooks.Done = [&](const cBatch::cSource& s) {
        done.push_back(s.path);
        if (!thrown && done.size() == 3) {
            thrown = true;
            throw std::runtime_error("taken badly");
        }
    };
    cBatch batch;
    EXPECT_THROW(batch.Run(sources.paths, o, hooks), std::runtime_error);
    ASSERT_TRUE(thrown);
    std::map<std::string, int> seen;
    for (const auto& p : done) ++seen[p];
    for (const auto& [path, n] : seen) EXPECT_EQ(n, 1) << path;
    // Handed out in order, and nothing settled before the failure is lost.
    EXPECT_EQ(done, std::vector<std::string>(sources.paths.begin(), sources.paths.begin() + done.size()));
    EXPECT_GE(done.size(), 3u);
}

// A stop answers false wherever it comes: before the first source or between two, as during one.
TEST(Batch, AStopAnswersFalseBetweenSourcesToo) {
    cSources sources;
    for (const std::size_t after : {std::size_t{0}, std::size_t{5}}) {
        for (const int jobs : {1, 8}) {
            SCOPED_TRACE(std::to_string(after) + " records, " + std::to_string(jobs) + " jobs");
            cTempDir out;
            std::atomic<std::size_t> done{0};
            cBatch::cHooks hooks;
            hooks.Done = [&](const cBatch::cSource&) { ++done; };
            // With one job, the question after the fifth record is the one before the sixth source.
            hooks.KeepGoing = [&] { return done < after; };
            cBatch::cOptions o;
            o.folder = out.Path().string();
            o.jobs = jobs;
            cBatch batch;
            EXPECT_FALSE(
                batch.Run(std::vector<std::string>(sources.paths.begin(), sources.paths.begin() + 20), o, hooks));
            EXPECT_TRUE(batch.Stopped());
            EXPECT_LT(done.load(), 20u);
            if (jobs == 1) {
                EXPECT_EQ(done.load(), after);
            }
        }
    }
}
