// pictrix-cli extract over collections as archivists run it: stopped and killed runs, reruns,
// resumes, shards, a full disk. Each case is checked against the files on disk with verify.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <cstring>
#include <sstream>
#include <string_view>

#include "base/mJson.h"
#include "common/mTestKit.h"

namespace {

namespace fs = std::filesystem;
using mTestKit::Fixture;
using mTestKit::Quote;
int Sh(const std::string& command, std::string* out = nullptr) { return mTestKit::Run(command, out); }

const std::string kCli = Quote(PICTRIX_BINARY_DIR "/pictrix-cli");

void Put(const std::string& path, std::string_view bytes) {
    mTestKit::WriteBytes(path, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

// Every file of `folder` changed (a byte added), so that a rerun's replacements wait for its
// flush and its records are held.
void ChangeEvery(const std::string& folder) {
    for (const auto& e : fs::directory_iterator(folder)) {
        auto bytes = mTestKit::ReadBytes(e.path().string());
        bytes.push_back(0);
        mTestKit::WriteBytes(e.path().string(), bytes);
    }
}

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
        Put(list, names);
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

// A manifest checked by Python on its own: how many records name an output whose bytes (hashlib)
// are not the record's sha256 or that is gone, and how often each source was finished. Nothing
// of the program is asked.
struct cChecked {
    int false_ = -1;
    std::map<std::string, int> finished;
};
cChecked Checked(const std::string& manifest) {
    static const char* kScript = R"(
import collections, hashlib, json, sys
bad, done = 0, collections.Counter()
for line in open(sys.argv[1], 'rb'):
    r = json.loads(line)
    if 'groups' in r:
        done[r['source']] += 1
    elif r.get('output') and r['status'] != 'failed':
        try:
            bad += hashlib.sha256(open(r['output'], 'rb').read()).hexdigest() != r['sha256']
        except OSError:
            bad += 1
print(bad)
for s, n in done.items():
    print(n, s)
)";
    mTestKit::cTempDir dir;
    Put(dir.File("check.py"), kScript);
    std::string out;
    cChecked c;
    if (Sh(Quote(PICTRIX_PYTHON) + " " + Quote(dir.File("check.py")) + " " + Quote(manifest), &out) != 0) return c;
    std::istringstream in(out);
    in >> c.false_;
    int n = 0;
    std::string source;
    while (in >> n && std::getline(in >> std::ws, source)) c.finished[source] = n;
    return c;
}

// Interrupted at any moment, a run's records are true; a killed rerun's temporary files go with
// the next run, which carries on where it stopped.
TEST(Collections, StoppedAndKilledRunsLeaveTrueRecords) {
    cCollection c(90);
    const std::string out = c.dir.File("out"), m = c.dir.File("m.jsonl");
    const std::string run = kCli + " extract --quiet --cursors --from " + Quote(c.list) + " -o " + Quote(out);
    ASSERT_EQ(Sh(run + " --manifest " + Quote(c.dir.File("full.jsonl")) + " >/dev/null"), 0);
    const cSaid full = Said(c.dir.File("full.jsonl"));
    EXPECT_EQ(full.finished.size(), 92u) << "a record for every source, those without resources too";

    ChangeEvery(out);
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
    // The kernel may end the write a kill lands in between two pages: the last line may then be
    // cut short, which verify says (and the next run cuts off). Every whole record is true.
    std::string verified;
    const int status = Sh(kCli + " verify " + Quote(m) + " 2>&1 >/dev/null", &verified);
    const auto bytes = mTestKit::ReadBytes(m);
    const std::string cut = "pictrix-cli: " + m + ":" +
                            std::to_string(std::count(bytes.begin(), bytes.end(), '\n') + 1) +
                            ": a record cut short (no line end): the run writing it was ended at once; a run that "
                            "resumes this manifest cuts it off\n";
    EXPECT_TRUE(status == 0 ? verified.empty() : status == 1 && verified == cut && bytes.back() != '\n') << verified;
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
    Put(dir.File("m.jsonl"), first);
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

// A source that lies in the output folder, later in the list than a file whose output takes its
// name, keeps its bytes whatever the number of jobs: the sources of a list file, and those a
// resumed manifest finished, are protected from the start.
TEST(Collections, SourcesInTheOutputFolderAreProtectedFromTheStart) {
    struct {
        const char* name;
        const char* options; // LIST, EARLIER: the list file and a manifest that finished the source in out/
        std::size_t files; // in out/ after the run
    } rows[] = {
        {"a list file, one job", "--jobs 1 --from LIST", 3},
        {"a list file, eight jobs", "--jobs 8 --from LIST", 3},
        // The source in out/ is passed over: no file of its group.
        {"standard input, resumed, one job", "--jobs 1 --from - <LIST --manifest M --resume EARLIER", 2},
    };
    std::vector<std::string> first;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        mTestKit::cTempDir dir;
        fs::create_directories(dir.File("out"));
        fs::copy_file(Fixture("icons/six.ico"), dir.File("six.ico"));
        // Where six.ico's one group is saved by default: another icon, itself a source.
        const std::string inside = dir.File("out/six1.ico");
        fs::copy_file(Fixture("icons/vista.ico"), inside);
        const std::string list = dir.File("six.ico") + "\n" + inside + "\n";
        Put(dir.File("list"), list);
        ASSERT_EQ(mTestKit::Cli("list --json " + Quote(inside) + " >" + Quote(dir.File("earlier.jsonl"))), 0);
        std::string options = row.options;
        for (const auto& [from, to] : {std::pair<std::string, std::string>{"LIST", Quote(dir.File("list"))},
                                       {"EARLIER", Quote(dir.File("earlier.jsonl"))},
                                       {" M ", " " + Quote(dir.File("m.jsonl")) + " "}})
            if (const auto at = options.find(from); at != std::string::npos) options.replace(at, from.size(), to);
        std::string err;
        EXPECT_EQ(mTestKit::Cli("extract --quiet -o " + Quote(dir.File("out")) + " " + options, nullptr, &err), 0)
            << err;
        EXPECT_EQ(mTestKit::ReadBytes(inside), mTestKit::ReadBytes(Fixture("icons/vista.ico")));
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir.File("out"))) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        // six1.ico, six.ico's group under another name (and the group of six1.ico read).
        EXPECT_EQ(names.size(), row.files) << err;
        if (first.empty()) first = names;
        if (row.files == first.size()) {
            EXPECT_EQ(names, first);
        }
    }
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
    fs::create_directories(c.dir.File("one"));
    Put(c.dir.File("hosts.txt"), "4/:\n");
    Put(c.dir.File("recipe.sh"), std::string_view(text).substr(begin, end - begin));
    const auto recipe = [&](const std::string& bin) {
        return "cd " + Quote(c.dir.Path().string()) + " && PATH=" + Quote(bin) +
               ":$PATH COLLECTION=" + Quote(c.dir.File("src")) + " SHARE=" + Quote(c.dir.File("share")) +
               " bash recipe.sh";
    };
    const std::string env = recipe(PICTRIX_BINARY_DIR);
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

    // A host that is down is passed over; a shard that fails on every try stops the recipe with a
    // status other than 0 before anything is verified, and the next run, with the fault gone,
    // finishes every shard.
    fs::remove_all(c.dir.File("share"));
    Put(c.dir.File("hosts.txt"), "4/:\n1/nobody@host.invalid\n");
    fs::create_directories(c.dir.File("faulty"));
    const std::string faulty = "#!/bin/sh\ncase \"$*\" in *'--shard 2/'*) exit 1;; esac\nexec " + kCli + " \"$@\"\n";
    Put(c.dir.File("faulty/pictrix-cli"), faulty);
    fs::permissions(c.dir.File("faulty/pictrix-cli"), fs::perms::owner_all);
    std::string failed;
    EXPECT_NE(Sh(recipe(c.dir.File("faulty") + ":" PICTRIX_BINARY_DIR) + " 2>&1", &failed), 0) << failed;
    EXPECT_EQ(failed.find("problems"), std::string::npos) << failed;
    EXPECT_FALSE(fs::exists(c.dir.File("share/shard-2.jsonl")));
    ASSERT_EQ(Sh(env + " 2>&1", &said), 0) << said;
    EXPECT_EQ(sources(), 24u);
    EXPECT_EQ(Sh("diff -r " + Quote(c.dir.File("one")) + " " + Quote(c.dir.File("share/icons"))), 0);
}

// A tree as collections are: documents, images, programs of another system and empty files beside
// modules and icons. Files that start as no container of icons are read (0 groups, no container),
// judged by their first bytes; only a damaged container fails. A resume passes over every file it
// judged, and adds no record.
TEST(Collections, AMixedTreeIsJudgedOnceByItsFirstBytes) {
    mTestKit::cTempDir dir;
    fs::create_directories(dir.File("src"));
    fs::create_directories(dir.File("out"));
    const auto put = [&](const std::string& name, const std::string& bytes) { Put(dir.File("src/" + name), bytes); };
    const auto head = [](const std::string& path, std::size_t n) {
        const auto b = mTestKit::ReadBytes(path);
        return std::string(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(std::min(n, b.size())));
    };
    struct cCase {
        const char* name;
        std::string bytes;
        const char* status;
        const char* container; // nullptr: none
        int groups;
    };
    const std::vector<cCase> cases = {
        {"good.dll", head(Fixture("modules/good32.dll"), 1 << 30), "read", "module", 9},
        {"nores.dll", head(Fixture("modules/nores32.dll"), 1 << 30), "read", "module", 0},
        {"six.ico", head(Fixture("icons/six.ico"), 1 << 30), "read", "ico", 1},
        {"readme.txt", "Icons of the old programs.\n", "read", nullptr, 0},
        {"picture.png", head(Fixture("icons/a32.png"), 1 << 30), "read", nullptr, 0},
        {"program", head(PICTRIX_BINARY_DIR "/pictrix-cli", 64 << 10), "read", nullptr, 0},
        {"empty.dll", "", "read", nullptr, 0},
        {"two.ico", "\0\0", "read", nullptr, 0},
        {"notes.ico", "not an icon at all", "read", nullptr, 0},
        {"cut.dll", head(Fixture("modules/good32.dll"), 300), "failed", "module", 0},
        {"cut.ico", head(Fixture("icons/six.ico"), 40), "failed", "ico", 0},
    };
    std::string list;
    for (const auto& c : cases) {
        put(c.name, c.bytes);
        list += dir.File(std::string("src/") + c.name) + "\n";
    }
    Put(dir.File("list"), list);
    const std::string m = dir.File("m.jsonl");
    const std::string run = "extract --quiet --jobs 3 --from " + Quote(dir.File("list")) + " -o " +
                            Quote(dir.File("out")) + " --manifest " + Quote(m) + " --resume " + Quote(m);
    std::string err;
    EXPECT_EQ(mTestKit::Cli(run, nullptr, &err), 1) << "the two cut containers fail";
    std::map<std::string, mJson::cValue> sources;
    for (auto& r : Records(m))
        if (r.Find("groups"))
            sources.emplace(fs::path(r.String("source").value_or("")).filename().string(), std::move(r));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(sources.count(c.name), 1u);
        const mJson::cValue& r = sources.at(c.name);
        EXPECT_EQ(r.String("status"), c.status);
        EXPECT_EQ(r.Count("groups"), c.groups);
        const mJson::cValue* container = r.Find("container");
        ASSERT_NE(container, nullptr);
        if (c.container)
            EXPECT_EQ(r.String("container"), c.container);
        else
            EXPECT_EQ(container->type, mJson::cValue::eType::kNull);
        // What holds no container is not read beyond its first bytes.
        EXPECT_EQ(r.Find("source_sha256")->type == mJson::cValue::eType::kNull, !c.container);
        EXPECT_EQ(err.find(dir.File(std::string("src/") + c.name) + ":") != std::string::npos,
                  std::string(c.status) == "failed")
            << err;
    }
    const auto before = mTestKit::ReadBytes(m);
    const cChecked first = Checked(m);
    EXPECT_EQ(first.false_, 0);
    EXPECT_EQ(first.finished.size(), cases.size());

    // Resumed, the run reads only what failed, and its earlier record goes: every source once.
    std::string total;
    EXPECT_EQ(mTestKit::Cli(run, &total, &err), 1);
    EXPECT_NE(total.find("9 files were passed over"), std::string::npos) << total;
    const cChecked again = Checked(m);
    EXPECT_EQ(again.false_, 0);
    EXPECT_EQ(again.finished, first.finished);
    EXPECT_EQ(mTestKit::ReadBytes(m).size(), before.size());

    // Without the cut containers, the tree is a success.
    fs::remove(dir.File("src/cut.dll"));
    fs::remove(dir.File("src/cut.ico"));
    list.clear();
    for (const auto& c : cases)
        if (std::string(c.status) == "read") list += dir.File(std::string("src/") + c.name) + "\n";
    Put(dir.File("list"), list);
    EXPECT_EQ(mTestKit::Cli(run, &total, &err), 0) << err;
}

// A source that changed since the run resumed is read again: its earlier records are dropped
// from the manifest continued in place before its files are written again under the names it had,
// and each source is finished once. A record whose file is gone, or that names a file outside the
// run's folder, or a source with fewer records of groups than it says, is not trusted either;
// damaged lines are reported.
TEST(Collections, AResumeLeavesNoFalseRecordAfterChanges) {
    cCollection c(6);
    const std::string out = c.dir.File("out"), m = c.dir.File("m.jsonl");
    const std::string run = "extract --quiet --from " + Quote(c.list) + " -o " + Quote(out) + " --manifest " +
                            Quote(m) + " --resume " + Quote(m);
    ASSERT_EQ(mTestKit::Cli(run), 0);
    const cChecked first = Checked(m);
    ASSERT_EQ(first.false_, 0);
    ASSERT_EQ(first.finished.size(), 8u);

    // a/good.dll updated with other icons (12 groups where it had 9); m1000.dll's first output
    // deleted; one group record of m1003.dll lost and a line damaged.
    fs::copy_file(Fixture("modules/sample.dll"), c.dir.File("a/good.dll"), fs::copy_options::overwrite_existing);
    const std::string changed = c.dir.File("a/good.dll");
    std::string kept, lost;
    {
        const auto bytes = mTestKit::ReadBytes(m);
        std::istringstream in(std::string(bytes.begin(), bytes.end()));
        bool dropped = false;
        for (std::string line; std::getline(in, line);) {
            const auto r = mJson::ParseObject(line);
            const std::string source = r ? r->String("source").value_or("") : "";
            if (!dropped && source.find("m1003.dll") != std::string::npos && !r->Find("groups")) {
                dropped = true;
                continue;
            }
            if (lost.empty() && source.find("m1000.dll") != std::string::npos && r->String("output"))
                lost = *r->String("output");
            kept += line + "\n";
            if (source.find("m1000.dll") != std::string::npos && r->Find("groups")) kept += "{\"source\":\n";
        }
        ASSERT_TRUE(dropped);
    }
    Put(m, kept);
    ASSERT_FALSE(lost.empty());
    fs::remove(lost);

    std::string said, err;
    EXPECT_EQ(mTestKit::Cli(run, &said, &err), 0) << err;
    EXPECT_NE(err.find("2 lines are not a whole record"), std::string::npos) << err;
    EXPECT_NE(said.find("5 files were passed over"), std::string::npos) << said;
    const cChecked after = Checked(m);
    EXPECT_EQ(after.false_, 0);
    EXPECT_EQ(after.finished.size(), 8u);
    for (const auto& [source, n] : after.finished) EXPECT_EQ(n, 1) << source;
    EXPECT_TRUE(fs::exists(lost));
    // The updated module's records: its 12 groups under its own names (those it had are written
    // again, not set aside as another source's).
    int groups = 0;
    for (const auto& r : Records(m)) {
        if (r.String("source") != changed || r.Find("groups")) continue;
        ++groups;
        EXPECT_EQ(r.String("output")->find('~'), std::string::npos) << *r.String("output");
    }
    EXPECT_EQ(groups, 12);
    EXPECT_EQ(Sh(kCli + " verify " + Quote(m) + " >/dev/null"), 0);

    // A record that names a file outside the folder is not trusted: read again, into the folder.
    {
        const auto bytes = mTestKit::ReadBytes(m);
        std::string text(bytes.begin(), bytes.end());
        std::string output;
        for (const auto& r : Records(m))
            if (output.empty() && r.String("output").value_or("").find(out + "/m1003") == 0)
                output = *r.String("output");
        ASSERT_FALSE(output.empty());
        // The same bytes, in another folder.
        const std::string elsewhere = c.dir.File("src/" + fs::path(output).filename().string());
        fs::copy_file(output, elsewhere);
        const std::string from = "\"output\":" + mJson::String(output);
        const auto at = text.find(from);
        ASSERT_NE(at, std::string::npos);
        text.replace(at, from.size(), "\"output\":" + mJson::String(elsewhere));
        Put(m, text);
    }
    EXPECT_EQ(mTestKit::Cli(run, &said, &err), 0) << err;
    EXPECT_NE(said.find("7 files were passed over"), std::string::npos) << said;
    const cChecked last = Checked(m);
    EXPECT_EQ(last.false_, 0);
    for (const auto& [source, n] : last.finished) EXPECT_EQ(n, 1) << source;
}

// A manifest named where a file that is no manifest stands (a module the list also names) is
// refused before anything is opened for writing: the file keeps its bytes.
TEST(Collections, AManifestNeverCutsAFileThatIsNoManifest) {
    cCollection c(2);
    const std::string module = c.dir.File("src/m1000.dll");
    const auto before = mTestKit::ReadBytes(module);
    std::string err;
    EXPECT_EQ(mTestKit::Cli("extract --quiet --from " + Quote(c.list) + " -o " + Quote(c.dir.File("out")) +
                                " --manifest " + Quote(module),
                            nullptr, &err),
              2);
    EXPECT_NE(err.find("not a manifest"), std::string::npos) << err;
    EXPECT_EQ(mTestKit::ReadBytes(module), before);
    EXPECT_TRUE(fs::is_empty(c.dir.File("out")));
}

// One writer per manifest: a second run that would continue or start the manifest another run
// is writing (a shard started twice) is refused before it cuts or writes anything.
TEST(Collections, TwoWritersOfOneManifest) {
    cCollection c(6);
    const std::string m = c.dir.File("m.jsonl");
    const std::string run =
        kCli + " extract --quiet --names content -o " + Quote(c.dir.File("out")) + " --manifest " + Quote(m);
    ASSERT_EQ(Sh(run + " --from " + Quote(c.list)), 0);
    const auto before = mTestKit::ReadBytes(m);
    // The first run holds the manifest while it waits for its list.
    const std::string script = "(sleep 2; cat " + Quote(c.list) + ") | " + run + " --resume " + Quote(m) +
                               " --from - >/dev/null & first=$!; sleep 0.5; " + run + " --resume " + Quote(m) +
                               " --from " + Quote(c.list) + " >/dev/null; echo resumed=$?; " + run + " --from " +
                               Quote(c.list) + " >/dev/null; echo started=$?; wait $first; echo first=$?";
    std::string said;
    Sh("bash -c " + Quote(script) + " 2>&1", &said);
    EXPECT_NE(said.find("resumed=2"), std::string::npos) << said;
    EXPECT_NE(said.find("started=2"), std::string::npos) << said;
    EXPECT_NE(said.find("first=0"), std::string::npos) << said;
    EXPECT_NE(said.find("another run is writing this manifest"), std::string::npos) << said;
    EXPECT_EQ(mTestKit::ReadBytes(m), before) << "the first run passed every source over";
    const cChecked checked = Checked(m);
    EXPECT_EQ(checked.false_, 0);
    EXPECT_EQ(checked.finished.size(), 8u);
}

// The contracts other programs rely on, checked by Python's hashlib and os alone: which shard a
// path belongs to, where a content name puts a group, what the records hold, and which sources a
// resume passes over.
TEST(Collections, ContractsHoldAgainstAnIndependentComputation) {
    cCollection c(12);
    // Documents among the modules.
    for (const char* name : {"src/readme.txt", "src/empty"}) {
        mTestKit::WriteBytes(c.dir.File(name), std::vector<std::uint8_t>(name, name + (name[4] == 'r' ? 10 : 0)));
        mTestKit::WriteBytes(c.list, [&] {
            auto bytes = mTestKit::ReadBytes(c.list);
            const std::string line = c.dir.File(name) + "\n";
            bytes.insert(bytes.end(), line.begin(), line.end());
            return bytes;
        }());
    }
    const std::string out = c.dir.File("out");
    for (int k = 0; k < 3; ++k) {
        const std::string m = c.dir.File("shard-" + std::to_string(k) + ".jsonl");
        ASSERT_EQ(mTestKit::Cli("extract --quiet --cursors --names content --shard " + std::to_string(k) +
                                "/3 --from " + Quote(c.list) + " -o " + Quote(out) + " --manifest " + Quote(m)),
                  0);
    }
    static const char* kScript = R"(
import datetime, hashlib, json, os, sys
out, listed = sys.argv[1], [l.rstrip('\n') for l in open(sys.argv[2])]
problems, seen = [], set()
def sha(path): return hashlib.sha256(open(path, 'rb').read()).hexdigest()
group_keys = {'source', 'source_sha256', 'kind', 'position', 'id', 'language', 'images', 'output', 'sha256', 'status'}
source_keys = {'source', 'source_sha256', 'size', 'mtime', 'container', 'groups', 'status'}
for k in range(3):
    for line in open(os.path.join(os.path.dirname(out), 'shard-%d.jsonl' % k), 'rb'):
        r = json.loads(line)
        src = r['source']
        if int.from_bytes(hashlib.sha256(src.encode()).digest()[:8], 'big') % 3 != k:
            problems.append('shard of ' + src)
        if 'groups' in r:
            seen.add(src)
            if not source_keys <= set(r): problems.append('source fields ' + src)
            st = os.stat(src)
            t = datetime.datetime.fromtimestamp(st.st_mtime_ns // 10**9, datetime.timezone.utc)
            if r['size'] != st.st_size or r['mtime'] != t.strftime('%Y-%m-%dT%H:%M:%S') + '.%09dZ' % (st.st_mtime_ns % 10**9):
                problems.append('size or time of ' + src)
            if (r['container'] is None) != (r['source_sha256'] is None) or (r['source_sha256'] not in (None, sha(src))):
                problems.append('source digest of ' + src)
            continue
        if not group_keys <= set(r): problems.append('group fields ' + src)
        if r['status'] in ('saved', 'unchanged', 'duplicate'):
            d = r['sha256']
            want = os.path.join(out, d[:2], d + ('.cur' if r['kind'] == 'cursor' else '.ico'))
            if r['output'] != want or sha(want) != d: problems.append('content name ' + str(r['output']))
if seen != set(listed): problems.append('sources: %d of %d' % (len(seen), len(listed)))
print('\n'.join(problems) or 'ok')
)";
    Put(c.dir.File("check.py"), kScript);
    std::string said;
    ASSERT_EQ(
        Sh(Quote(PICTRIX_PYTHON) + " " + Quote(c.dir.File("check.py")) + " " + Quote(out) + " " + Quote(c.list), &said),
        0);
    EXPECT_EQ(said, "ok\n");

    // Resume's rule: a source is passed over while its size and time of last write are those of
    // its record (Python counts them after two files were touched and one grew).
    const std::string m = c.dir.File("shard-0.jsonl");
    struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
    std::string touched;
    for (const auto& r : Records(m))
        if (r.Find("groups") && touched.empty()) touched = r.String("source").value_or("");
    ASSERT_FALSE(touched.empty());
    ::utimensat(AT_FDCWD, touched.c_str(), times, 0);
    ::utimensat(AT_FDCWD, c.dir.File("src/readme.txt").c_str(), times, 0);
    static const char* kCount = R"(
import datetime, json, os, sys
n = 0
for line in open(sys.argv[1], 'rb'):
    r = json.loads(line)
    if 'groups' not in r or r['status'] != 'read': continue
    st = os.stat(r['source'])
    t = datetime.datetime.fromtimestamp(st.st_mtime_ns // 10**9, datetime.timezone.utc)
    n += r['size'] == st.st_size and r['mtime'] == t.strftime('%Y-%m-%dT%H:%M:%S') + '.%09dZ' % (st.st_mtime_ns % 10**9)
print(n)
)";
    Put(c.dir.File("count.py"), kCount);
    std::string expected;
    ASSERT_EQ(Sh(Quote(PICTRIX_PYTHON) + " " + Quote(c.dir.File("count.py")) + " " + Quote(m), &expected), 0);
    std::string total;
    ASSERT_EQ(mTestKit::Cli("extract --quiet --cursors --names content --shard 0/3 --from " + Quote(c.list) + " -o " +
                                Quote(out) + " --manifest " + Quote(m) + " --resume " + Quote(m),
                            &total),
              0);
    expected.pop_back();
    const std::string passed = expected == "0"   ? "Total"
                               : expected == "1" ? "; 1 file was passed over"
                                                 : "; " + expected + " files were passed over";
    EXPECT_NE(total.find(passed), std::string::npos) << expected << "\n" << total;
    if (expected == "0") {
        EXPECT_EQ(total.find("passed over"), std::string::npos) << total;
    }
    EXPECT_EQ(Checked(m).false_, 0);
}

// --dedupe knows the files of the sources a resume passes over: the twin of a module finished by
// the earlier run is a duplicate of its files, not a second copy.
TEST(Collections, DedupeKnowsWhatResumedSourcesWrote) {
    cCollection c(0);
    const std::string m = c.dir.File("m.jsonl"), out = c.dir.File("out");
    const std::string first = c.dir.File("first.txt");
    const std::string line = c.dir.File("a/good.dll") + "\n";
    Put(first, line);
    const std::string run = "extract --quiet --dedupe -o " + Quote(out) + " --manifest " + Quote(m) + " --from ";
    ASSERT_EQ(mTestKit::Cli(run + Quote(first)), 0);
    const auto files = [&] { return std::distance(fs::directory_iterator(out), fs::directory_iterator()); };
    const auto before = files();
    ASSERT_GT(before, 0);
    ASSERT_EQ(mTestKit::Cli(run + Quote(c.list) + " --resume " + Quote(m)), 0);
    EXPECT_EQ(files(), before) << "b/good.dll holds the same icons";
    int duplicates = 0;
    for (const auto& r : Records(m))
        if (r.String("source") == c.dir.File("b/good.dll") && !r.Find("groups")) {
            EXPECT_EQ(r.String("status"), "duplicate");
            ++duplicates;
        }
    EXPECT_EQ(duplicates, before);
    EXPECT_EQ(Checked(m).false_, 0);
}

// While the list has nothing to give, the records held for the flush of replaced files go out
// (the manifest is whole and true while the run waits), and a stop ends the run at once, not with
// the next name: the total and the stop message come, and the status is 128 + the signal's
// number. (Bounded by `timeout` far above what the stop takes, so that a run that waits for its
// list fails; --foreground, or timeout sends the stop on to the run a second time, which ends it
// at once.)
TEST(Collections, AStopWhileTheListIsSilentEndsTheRun) {
    cCollection c(1);
    const std::string out = Quote(c.dir.File("out")), manifest = Quote(c.dir.File("m.jsonl"));
    ASSERT_EQ(Sh(kCli + " extract --quiet --from " + Quote(c.list) + " -o " + out + " 2>/dev/null"), 0);
    ChangeEvery(c.dir.File("out"));
    // The list gives its names, then nothing until the run has been stopped (bash's `wait` waits
    // for the whole pipeline).
    const std::string count = "$(grep -c '\"groups\"' " + manifest + " 2>/dev/null)",
                      ended = Quote(c.dir.File("ended"));
    const std::string script = "(cat " + Quote(c.list) + "; until [ -e " + ended +
                               " ]; do sleep 0.1; done) | timeout --foreground -s KILL 20 " + kCli +
                               " extract --from - -o " + out + " --manifest " + manifest +
                               " & pid=$!; for i in $(seq 100); do [ \"" + count +
                               "\" = 3 ] && break; sleep 0.1; done; echo finished=" + count +
                               "; kill -INT $pid; touch " + ended + "; wait $pid; echo status=$?";
    std::string said;
    Sh("bash -c " + Quote(script) + " 2>&1", &said);
    EXPECT_NE(said.find("finished=3"), std::string::npos) << said;
    EXPECT_NE(said.find("status=130"), std::string::npos) << said;
    EXPECT_NE(said.find("stopped by signal 2"), std::string::npos) << said;
    EXPECT_EQ(Checked(c.dir.File("m.jsonl")).false_, 0);
}

} // namespace
