// pictrix-cli extract at scale: the manifest against the files on disk, parallel runs that give
// what one job gives, sources from a pipe, progress only on a terminal.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <sstream>

#include "base/mSha256.h"
#include "common/mTestKit.h"

namespace {

namespace fs = std::filesystem;
using mTestKit::Cli;
using mTestKit::Fixture;
using mTestKit::Quote;

// The string value of the last "key" in a JSON line ("" for null or absent; escapes are not
// undone, which the paths of these tests do not need). The last "sha256" is the output's.
std::string Field(const std::string& line, const std::string& key) {
    const std::regex re("\"" + key + "\":\"([^\"]*)\"");
    std::string value;
    for (auto it = std::sregex_iterator(line.begin(), line.end(), re); it != std::sregex_iterator(); ++it)
        value = (*it)[1].str();
    return value;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

std::string Sha(const std::string& path) { return cSha256::Of(mTestKit::ReadBytes(path)); }

// Every file of a folder with its bytes.
std::map<std::string, std::vector<std::uint8_t>> Folder(const fs::path& dir) {
    std::map<std::string, std::vector<std::uint8_t>> files;
    for (const auto& e : fs::directory_iterator(dir))
        files[e.path().filename().string()] = mTestKit::ReadBytes(e.path().string());
    return files;
}

// Two copies of one module, its 64-bit twin (the same icons), an icon file and a missing file.
struct cCollection {
    mTestKit::cTempDir dir;
    std::string args;
    cCollection() {
        for (const char* d : {"a", "b", "out1", "out2"}) fs::create_directories(dir.File(d));
        fs::copy_file(Fixture("modules/good32.dll"), dir.File("a/good.dll"));
        fs::copy_file(Fixture("modules/good64.dll"), dir.File("b/good.dll"));
        fs::copy_file(Fixture("modules/sample.dll"), dir.File("a/sample.dll"));
        fs::copy_file(Fixture("icons/six.ico"), dir.File("b/six.ico"));
        for (const char* f : {"a/good.dll", "b/good.dll", "a/sample.dll", "b/six.ico", "a/missing.dll"})
            args += " " + Quote(dir.File(f));
    }
};

TEST(CliBatch, TheManifestTellsWhatIsOnDisk) {
    cCollection c;
    std::string out, err;
    EXPECT_EQ(
        Cli("extract --dedupe --manifest " + Quote(c.dir.File("m.jsonl")) + " -o " + Quote(c.dir.File("out1")) + c.args,
            &out, &err),
        1)
        << "the missing file fails the run";
    const auto manifest = mTestKit::ReadBytes(c.dir.File("m.jsonl"));
    const auto records = Lines(std::string(manifest.begin(), manifest.end()));
    // good.dll's group 9 is stored in two languages: a record each; then one record per source.
    ASSERT_EQ(records.size(), 9u + 9u + 12u + 1u + 5u);
    std::map<std::string, int> statuses;
    for (const auto& r : records) {
        SCOPED_TRACE(r);
        const std::string status = Field(r, "status"), output = Field(r, "output");
        ++statuses[status];
        if (status == "read") {
            EXPECT_NE(r.find("\"groups\":"), std::string::npos);
            continue;
        }
        if (status == "failed") {
            EXPECT_EQ(Field(r, "source"), c.dir.File("a/missing.dll"));
            EXPECT_EQ(Field(r, "error"), "The system cannot find the file specified.");
            continue;
        }
        // Saved or kept: the file named holds exactly the bytes the record's digest names.
        ASSERT_TRUE(fs::is_regular_file(output));
        EXPECT_EQ(Sha(output), Field(r, "sha256"));
        EXPECT_EQ(Sha(Field(r, "source")), Field(r, "source_sha256"));
    }
    // good64's nine groups hold good32's icons, and sample's share some: left out, each naming the
    // file that holds them; only the files saved are on disk.
    EXPECT_EQ(statuses["saved"] + statuses["duplicate"], 9 + 9 + 12 + 1);
    EXPECT_GE(statuses["duplicate"], 9);
    EXPECT_EQ(Folder(c.dir.File("out1")).size(), static_cast<std::size_t>(statuses["saved"]));
    EXPECT_NE(out.find("Total icons saved: " + std::to_string(statuses["saved"]) + "; " +
                       std::to_string(statuses["duplicate"]) + " duplicates of files already written left out"),
              std::string::npos)
        << out;
}

// A manifest named like one of the sources or the list (a shell glob can do that) is refused
// before anything is written: both stay as they were.
TEST(CliBatch, AManifestNeverOverwritesASourceOrTheList) {
    cCollection c;
    const std::string source = c.dir.File("a/good.dll"), list = c.dir.File("list.txt");
    mTestKit::WriteBytes(list, {'x', '\n'});
    const auto before = mTestKit::ReadBytes(source);
    for (const std::string& manifest : {source, list}) {
        SCOPED_TRACE(manifest);
        std::string err;
        EXPECT_EQ(Cli("extract --manifest " + Quote(manifest) + " -o " + Quote(c.dir.File("out1")) + " --from " +
                          Quote(list) + c.args,
                      nullptr, &err),
                  2);
        EXPECT_NE(err.find("the manifest would overwrite"), std::string::npos) << err;
    }
    EXPECT_EQ(mTestKit::ReadBytes(source), before);
    EXPECT_EQ(mTestKit::ReadBytes(list), (std::vector<std::uint8_t>{'x', '\n'}));
    EXPECT_TRUE(fs::is_empty(c.dir.File("out1")));
}

TEST(CliBatch, TwoJobsGiveWhatOneGives) {
    cCollection c;
    std::string m1, m2;
    // The same output folder name in both runs, so that the records match byte for byte.
    const std::string run = "extract --manifest - -o out" + c.args;
    fs::create_directories(c.dir.File("one/out"));
    fs::create_directories(c.dir.File("two/out"));
    EXPECT_EQ(mTestKit::Run("cd " + Quote(c.dir.File("one")) + " && " + Quote(PICTRIX_BINARY_DIR "/pictrix-cli") + " " +
                                run + " --jobs 1 2>" + Quote(c.dir.File("one.err")),
                            &m1),
              1);
    EXPECT_EQ(mTestKit::Run("cd " + Quote(c.dir.File("two")) + " && " + Quote(PICTRIX_BINARY_DIR "/pictrix-cli") + " " +
                                run + " --jobs 2 2>" + Quote(c.dir.File("two.err")),
                            &m2),
              1);
    EXPECT_EQ(Lines(m1).size(), 36u);
    EXPECT_EQ(m1, m2);
    EXPECT_EQ(mTestKit::ReadBytes(c.dir.File("one.err")), mTestKit::ReadBytes(c.dir.File("two.err")));
    EXPECT_EQ(Folder(c.dir.File("one/out")), Folder(c.dir.File("two/out")));
    EXPECT_EQ(Folder(c.dir.File("one/out")).size(), 31u) << "x64's nine take ~2 names";
    // Each of them says so in its record, which names the file that holds its bytes.
    int renamed = 0;
    for (const auto& r : Lines(m1)) {
        if (Field(r, "status") != "renamed") continue;
        ++renamed;
        EXPECT_NE(Field(r, "output").find("~2."), std::string::npos) << r;
        EXPECT_EQ(Sha(c.dir.File("one/" + Field(r, "output"))), Field(r, "sha256")) << r;
    }
    EXPECT_EQ(renamed, 9);
}

// find -print0 | pictrix-cli extract -0 --from -: names with spaces, line breaks and bytes that
// are not UTF-8 arrive whole; the record keeps the bytes in base64.
TEST(CliBatch, NamesFromAPipe) {
    mTestKit::cTempDir dir;
    fs::create_directories(dir.File("out"));
    const std::vector<std::string> names = {"with space.ico", "line\nbreak.ico", "caf\xe9.ico"};
    for (const auto& n : names) fs::copy_file(Fixture("icons/six.ico"), dir.File(n));
    std::string out;
    ASSERT_EQ(mTestKit::Run(
                  "cd " + Quote(dir.Path().string()) + " && find . -maxdepth 1 -name '*.ico' -print0 | sort -z | " +
                      Quote(PICTRIX_BINARY_DIR "/pictrix-cli") + " extract -0 --from - --manifest - -o out 2>/dev/null",
                  &out),
              0);
    const auto records = Lines(out);
    ASSERT_EQ(records.size(), 6u) << out;
    EXPECT_NE(out.find("\"source\":\"./line\\nbreak.ico\""), std::string::npos) << out;
    EXPECT_NE(out.find("\"source_bytes\":\"Li9jYWbpLmljbw==\""), std::string::npos) << "./caf\\xe9.ico in base64";
    EXPECT_EQ(Folder(dir.File("out")).size(), 3u);
    EXPECT_TRUE(fs::exists(dir.File("out/caf\xe9"
                                    "1.ico")));
    // -0 alone has nothing to read.
    std::string err;
    EXPECT_EQ(Cli("extract -0 " + Quote(Fixture("icons/six.ico")), nullptr, &err), 2);
}

// Progress is one line redrawn on a terminal, and nothing where standard error is not one.
TEST(CliBatch, ProgressOnlyOnATerminal) {
    if (mTestKit::Run("command -v script >/dev/null") != 0) GTEST_SKIP() << "script (util-linux) is not installed";
    mTestKit::cTempDir dir;
    const std::string command = Quote(PICTRIX_BINARY_DIR "/pictrix-cli") + " extract -o " + Quote(dir.Path().string()) +
                                " " + Quote(Fixture("modules/sample.dll"));
    std::string terminal, piped;
    ASSERT_EQ(mTestKit::Run("script -qec " + Quote(command) + " /dev/null", &terminal), 0);
    EXPECT_NE(terminal.find("1 file, 12 groups saved"), std::string::npos) << terminal;
    ASSERT_EQ(mTestKit::Run(command + " 2>&1", &piped), 0);
    EXPECT_EQ(piped.find("files/s"), std::string::npos) << piped;
    terminal.clear();
    ASSERT_EQ(mTestKit::Run("script -qec " + Quote(command + " --quiet") + " /dev/null", &terminal), 0);
    EXPECT_EQ(terminal.find("files/s"), std::string::npos) << terminal;
}

} // namespace
