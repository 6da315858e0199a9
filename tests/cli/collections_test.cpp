// pictrix-cli extract over collections as archivists run it: stopped and killed runs, reruns,
// resumes, shards, a full disk. Each case is checked against the files on disk with verify.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "base/mJson.h"
#include "common/mTestKit.h"

namespace {

namespace fs = std::filesystem;
using mTestKit::Fixture;
using mTestKit::Quote;
int Sh(const std::string& command, std::string* out = nullptr) { return mTestKit::Run(command, out); }

const std::string kCli = Quote(PICTRIX_BINARY_DIR "/pictrix-cli");

std::vector<mJson::cValue> Records(const std::string& path) {
    std::vector<mJson::cValue> records;
    const auto bytes = mTestKit::ReadBytes(path);
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    for (std::string line; std::getline(in, line);) {
        auto r = mJson::ParseObject(line);
        EXPECT_TRUE(r) << "not a whole record: " << line;
        if (r) records.push_back(std::move(*r));
    }
    return records;
}

// What a manifest says is on disk: output -> digest, and the sources it finished.
struct cSaid {
    std::map<std::string, std::string> outputs;
    std::set<std::string> finished;
};
cSaid Said(const std::string& manifest) {
    cSaid said;
    for (const auto& r : Records(manifest)) {
        const auto output = r.String("output");
        if (output) said.outputs[*output] = r.String("sha256").value_or("");
        if (r.Find("groups")) said.finished.insert(r.String("source").value_or(""));
    }
    return said;
}

int TempFiles(const std::string& folder) {
    int n = 0;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        n += e.path().filename().string().find(".tmp-") != std::string::npos;
    return n;
}

// `count` modules under src/ (copies of three fixtures with other names) and their list; the
// 32- and 64-bit twins of good.dll under a/ and b/ lead it.
struct cCollection {
    mTestKit::cTempDir dir;
    std::string list = dir.File("list.txt");
    explicit cCollection(int count) {
        for (const char* d : {"src", "a", "b", "out"}) fs::create_directories(dir.File(d));
        fs::copy_file(Fixture("modules/good32.dll"), dir.File("a/good.dll"));
        fs::copy_file(Fixture("modules/good64.dll"), dir.File("b/good.dll"));
        std::string names = dir.File("a/good.dll") + "\n" + dir.File("b/good.dll") + "\n";
        const char* kinds[] = {"modules/sample.dll", "modules/nores32.dll", "modules/cursors64.dll"};
        for (int i = 0; i < count; ++i) {
            const std::string name = dir.File("src/m" + std::to_string(1000 + i) + ".dll");
            fs::copy_file(Fixture(kinds[i % 3]), name);
            names += name + "\n";
        }
        mTestKit::WriteBytes(list, std::vector<std::uint8_t>(names.begin(), names.end()));
    }
    // Starts extract with the list fed slowly through a pipe, stops it with `signal` once `after`
    // sources are finished in its manifest, and answers its exit status.
    int Interrupted(const std::string& options, const std::string& manifest, const char* signal, int after) {
        const std::string script = "(while read -r f; do printf '%s\\n' \"$f\"; sleep 0.05; done <" + Quote(list) +
                                   ") | " + kCli + " extract --quiet --from - -o " + Quote(dir.File("out")) +
                                   " --manifest " + Quote(manifest) + " " + options +
                                   " & pid=$!; for i in $(seq 500); do " + "[ \"$(grep -c '\"groups\"' " +
                                   Quote(manifest) + " 2>/dev/null)\" -ge " + std::to_string(after) +
                                   " ] && break; sleep 0.01; done; kill -" + signal + " $pid; wait $pid";
        return Sh("bash -c " + Quote(script) + " 2>/dev/null");
    }
};

// Interrupted at any moment, a run's records are true; a killed rerun's temporary files go with
// the next run, which carries on where it stopped.
TEST(Collections, StoppedAndKilledRunsLeaveTrueRecords) {
    cCollection c(90);
    const std::string out = c.dir.File("out"), m = c.dir.File("m.jsonl");
    const std::string run = kCli + " extract --quiet --cursors --from " + Quote(c.list) + " -o " + Quote(out);
    ASSERT_EQ(Sh(run + " --manifest " + Quote(c.dir.File("full.jsonl")) + " >/dev/null"), 0);
    const cSaid full = Said(c.dir.File("full.jsonl"));
    EXPECT_EQ(full.finished.size(), 92u) << "a record for every source, those without resources too";

    // The files changed since, so that the rerun's replacements wait for its flush.
    for (const auto& e : fs::directory_iterator(out)) {
        auto bytes = mTestKit::ReadBytes(e.path().string());
        bytes.push_back(0);
        mTestKit::WriteBytes(e.path().string(), bytes);
    }
    EXPECT_EQ(c.Interrupted("--cursors", m, "INT", 10), 128 + 2);
    cSaid said = Said(m);
    EXPECT_GE(said.finished.size(), 10u);
    EXPECT_LT(said.finished.size(), 92u) << "stopped part way";
    EXPECT_EQ(TempFiles(out), 0) << "what waited was put in place";
    EXPECT_EQ(Sh(kCli + " verify " + Quote(m) + " >/dev/null"), 0) << "every record names bytes on disk";

    // Killed: records are still true; the next run resumes, removes what the killed one left and
    // ends with what one whole run gives.
    EXPECT_EQ(c.Interrupted("--cursors --resume " + Quote(m), m, "KILL", static_cast<int>(said.finished.size()) + 20),
              128 + 9);
    EXPECT_EQ(Sh(kCli + " verify " + Quote(m) + " >/dev/null"), 0);
    std::string total;
    ASSERT_EQ(Sh(run + " --manifest " + Quote(m) + " --resume " + Quote(m), &total), 0) << total;
    EXPECT_NE(total.find("passed over"), std::string::npos) << total;
    EXPECT_EQ(TempFiles(out), 0);
    said = Said(m);
    EXPECT_EQ(said.finished, full.finished);
    EXPECT_EQ(said.outputs, full.outputs) << "the twins keep the names one run gives them";
    EXPECT_EQ(Sh(kCli + " verify " + Quote(m) + " >/dev/null"), 0);
}

// What a record says: a module without resources is read with 0 groups; an output whose name is
// not UTF-8 is found from its record; a rerun leaves identical files as they are.
TEST(Collections, RecordsOfEverySourceFindTheirFiles) {
    mTestKit::cTempDir dir;
    fs::create_directories(dir.File("out"));
    const std::string odd = dir.File("caf\xe9.ico");
    fs::copy_file(Fixture("icons/six.ico"), odd);
    const std::string args = " extract --quiet -o " + Quote(dir.File("out")) + " " + Quote(odd) + " " +
                             Quote(Fixture("modules/nores32.dll"));
    std::string first, second;
    ASSERT_EQ(Sh(kCli + args + " --manifest - 2>/dev/null", &first), 0);
    const std::string output = dir.File("out/caf\xe9"
                                        "1.ico");
    struct stat before {};
    ASSERT_EQ(::stat(output.c_str(), &before), 0);
    mTestKit::WriteBytes(dir.File("m.jsonl"), std::vector<std::uint8_t>(first.begin(), first.end()));
    const auto records = Records(dir.File("m.jsonl"));
    ASSERT_EQ(records.size(), 3u) << first;
    EXPECT_EQ(records[0].String("output_bytes"), mJson::Base64(output));
    EXPECT_EQ(records[2].Count("groups"), 0) << "nores32.dll";
    EXPECT_EQ(records[2].String("status"), "read");
    EXPECT_EQ(Sh(kCli + " verify " + Quote(dir.File("m.jsonl")) + " >/dev/null"), 0);

    ASSERT_EQ(Sh(kCli + args + " --manifest - 2>/dev/null", &second), 0);
    EXPECT_NE(second.find("\"status\":\"unchanged\""), std::string::npos) << second;
    struct stat after {};
    ASSERT_EQ(::stat(output.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "not replaced";
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
}

// A run with the sources' names into a folder another run holds is refused, before anything is
// written. (Shards with content names share a folder: the docs' recipe below.)
TEST(Collections, ASecondRunIntoAHeldFolderIsRefused) {
    cCollection c(3);
    const int held = ::open(c.dir.File("out").c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    std::string err;
    EXPECT_EQ(mTestKit::Cli("extract --from " + Quote(c.list) + " -o " + Quote(c.dir.File("out")), nullptr, &err), 2);
    EXPECT_NE(err.find("Another run is writing into this folder"), std::string::npos) << err;
    EXPECT_TRUE(fs::is_empty(c.dir.File("out")));
    ::close(held);
}

// A manifest that runs out of room ends on a whole record and stops the run.
TEST(Collections, AFullManifestStopsTheRunOnAWholeRecord) {
    mTestKit::cMount small(mTestKit::cMount::eKind::kTmpfs, 64 << 10);
    if (!small.Ok()) GTEST_SKIP() << small.Why();
    cCollection c(60);
    std::string err;
    EXPECT_EQ(mTestKit::Cli("extract --quiet --from " + Quote(c.list) + " -o " + Quote(c.dir.File("out")) +
                                " --manifest " + Quote(small.File("m.jsonl")),
                            nullptr, &err),
              1);
    EXPECT_NE(err.find("cannot write the manifest"), std::string::npos) << err;
    const auto bytes = mTestKit::ReadBytes(small.File("m.jsonl"));
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.back(), '\n');
    Records(small.File("m.jsonl"));
    EXPECT_LT(Said(small.File("m.jsonl")).finished.size(), 62u);
    // The manifest lies elsewhere than the outputs: verify is told their folder.
    EXPECT_EQ(Sh(kCli + " verify -o " + Quote(c.dir.File("out")) + " " + Quote(small.File("m.jsonl")) + " >/dev/null"),
              0);
}

// The shard recipe of docs/batch.md as it stands, on this machine as four hosts running at once
// into one folder: the shards' files and concatenated manifests are those of one run, and a second
// run resumes them all.
TEST(Collections, TheDocsShardRecipe) {
    if (Sh("command -v parallel >/dev/null") != 0) GTEST_SKIP() << "GNU parallel is not installed";
    const auto doc = mTestKit::ReadBytes(PICTRIX_SOURCE_DIR "/docs/batch.md");
    const std::string text(doc.begin(), doc.end());
    const auto mark = text.find("<!-- recipe: shards");
    ASSERT_NE(mark, std::string::npos);
    const auto begin = text.find("```sh\n", mark) + 6, end = text.find("```", begin);
    cCollection c(24);
    fs::create_directories(c.dir.File("share/icons"));
    fs::create_directories(c.dir.File("one"));
    mTestKit::WriteBytes(c.dir.File("hosts.txt"), {'4', '/', ':', '\n'});
    mTestKit::WriteBytes(c.dir.File("recipe.sh"), std::vector<std::uint8_t>(text.begin() + begin, text.begin() + end));
    const std::string env = "cd " + Quote(c.dir.Path().string()) + " && PATH=" + Quote(PICTRIX_BINARY_DIR) +
                            ":$PATH COLLECTION=" + Quote(c.dir.File("src")) + " SHARE=" + Quote(c.dir.File("share")) +
                            " bash -e recipe.sh";
    std::string said;
    ASSERT_EQ(Sh(env + " 2>&1", &said), 0) << said;
    EXPECT_NE(said.find("0 problems"), std::string::npos) << said;
    ASSERT_EQ(Sh(kCli + " extract --quiet --names content -o " + Quote(c.dir.File("one")) + " " +
                 Quote(c.dir.File("src")) + "/*.dll >/dev/null"),
              0);
    EXPECT_EQ(Sh("diff -r " + Quote(c.dir.File("one")) + " " + Quote(c.dir.File("share/icons"))), 0);
    // Each source in exactly one shard, and once again after a second run, which passes them over.
    const auto sources = [&] {
        std::size_t n = 0;
        for (const auto& r : Records(c.dir.File("share/all.jsonl"))) n += r.Find("groups") != nullptr;
        return n;
    };
    EXPECT_EQ(sources(), 24u);
    ASSERT_EQ(Sh(env + " >/dev/null 2>&1"), 0);
    EXPECT_EQ(sources(), 24u);
}

} // namespace
