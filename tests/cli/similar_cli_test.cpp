// pictrix-cli similar and index, run as a user runs them, over the similar-icons fixtures: the
// same matches whether the collection is walked, listed in manifests or indexed.

#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "search/cSimilarIndex.h"

using namespace mTestKit;
namespace fs = std::filesystem;

namespace {

struct cLine {
    int distance = 0;
    std::string source, position, id;
    bool same = false;
};

std::vector<cLine> Lines(const std::string& out) {
    std::vector<cLine> lines;
    std::istringstream s(out);
    for (std::string line; std::getline(s, line);) {
        std::istringstream f(line);
        cLine l;
        std::string distance, same;
        std::getline(f, distance, '\t');
        std::getline(f, l.source, '\t');
        std::getline(f, l.position, '\t');
        std::getline(f, l.id, '\t');
        std::getline(f, same);
        l.distance = std::stoi(distance);
        l.source = fs::path(l.source).filename().string();
        l.same = same == "same bytes";
        lines.push_back(l);
    }
    return lines;
}

std::vector<std::string> Sources(const std::vector<cLine>& lines) {
    std::vector<std::string> s;
    for (const auto& l : lines) s.push_back(l.source);
    return s;
}

} // namespace

TEST(SimilarCli, RanksTheSamePictureFirstWhereverTheCollectionIsKept) {
    cTempDir tmp;
    const std::string folder = tmp.File("icons");
    fs::copy(Fixture("similar"), folder);
    for (const char* f : {"manifest.jsonl", "index.pxi"}) fs::remove(fs::path(folder) / f);
    fs::copy_file(folder + "/a_32.ico", folder + "/copy.ico");
    std::string out, err;

    // Walked: the a pictures, best first, the query's own bytes and their copy marked.
    ASSERT_EQ(Cli("similar " + Quote(folder + "/a_32.ico") + " " + Quote(folder), &out, &err), 0) << err;
    const std::vector<cLine> walked = Lines(out);
    ASSERT_EQ(walked.size(), 6u) << out;
    EXPECT_EQ(walked[0].source, "a_32.ico");
    EXPECT_EQ(walked[1].source, "copy.ico");
    for (std::size_t i = 0; i < walked.size(); ++i) {
        SCOPED_TRACE(walked[i].source);
        EXPECT_EQ(walked[i].same, i < 2);
        EXPECT_EQ(walked[i].source.substr(0, 2) == "a_" || walked[i].source == "copy.ico", true);
        if (i > 0) {
            EXPECT_LE(walked[i - 1].distance, walked[i].distance);
        }
        EXPECT_EQ(walked[i].position, "1");
        EXPECT_EQ(walked[i].id, "-");
    }
    // A pattern walks only what it matches; --max-distance and --top cut the list.
    ASSERT_EQ(Cli("similar " + Quote(folder + "/a_32.ico") + " " + Quote(folder + "/A_*.ICO"), &out, &err), 0);
    EXPECT_EQ(Lines(out).size(), 5u);
    ASSERT_EQ(Cli("similar --max-distance 0 " + Quote(folder + "/a_32.ico") + " " + Quote(folder), &out, &err), 0);
    EXPECT_EQ(Sources(Lines(out)), (std::vector<std::string>{"a_32.ico", "copy.ico"}));
    ASSERT_EQ(Cli("similar --top 3 " + Quote(folder + "/a_32.ico") + " " + Quote(folder), &out, &err), 0);
    EXPECT_EQ(Sources(Lines(out)), Sources(std::vector<cLine>(walked.begin(), walked.begin() + 3)));
    ASSERT_EQ(Cli("similar --max-distance 64 " + Quote(folder + "/a_32.ico") + " " + Quote(folder), &out, &err), 0);
    EXPECT_EQ(Lines(out).size(), 12u); // every group

    // Listed in a manifest (with records of other kinds and fields it does not know), and indexed.
    const std::string manifest = tmp.File("m.jsonl"), index = tmp.File("m.pxi");
    ASSERT_EQ(mTestKit::Run("cd " + Quote(folder) + " && " + Quote(PICTRIX_BINARY_DIR "/pictrix-cli") +
                            " list --json *.ico > " + Quote(manifest)),
              0);
    std::ofstream(manifest, std::ios::app) << "{\"source\":\"x.exe\",\"groups\":3,\"later\":[1,{\"a\":null}]}\n"
                                           << "{\"source\":\"y.exe\",\"status\":\"failed\",\"error\":\"no\"}\n\n";
    ASSERT_EQ(Cli("index " + Quote(manifest) + " -o " + Quote(index), &out, &err), 0) << err;
    EXPECT_EQ(out, index + ": 12 groups from 1 manifest\n");
    std::string fromManifest, fromIndex, json;
    ASSERT_EQ(Cli("similar " + Quote(folder + "/a_32.ico") + " " + Quote(manifest), &fromManifest, &err), 0) << err;
    ASSERT_EQ(Cli("similar " + Quote(folder + "/a_32.ico") + " " + Quote(index), &fromIndex, &err), 0) << err;
    EXPECT_EQ(fromIndex, fromManifest);
    const auto listed = Lines(fromManifest);
    ASSERT_EQ(listed.size(), walked.size());
    for (std::size_t i = 0; i < listed.size(); ++i) {
        EXPECT_EQ(listed[i].distance, walked[i].distance);
        EXPECT_EQ(listed[i].same, walked[i].same);
    }
    // --json, one record per match; a hash as the query, which has no bytes to compare.
    ASSERT_EQ(Cli("similar --json --top 1 " + Quote(folder + "/a_48.ico") + " " + Quote(index), &json, &err), 0);
    const std::string hash = json.substr(json.find("\"dhash\":\"") + 9, 16);
    EXPECT_EQ(json, "{\"distance\":0,\"source\":\"a_48.ico\",\"kind\":\"icon\",\"position\":1,\"id\":null,"
                    "\"dhash\":\"" +
                        hash + "\",\"same_bytes\":true}\n");
    ASSERT_EQ(Cli("similar --top 1 " + hash + " " + Quote(manifest), &out, &err), 0);
    EXPECT_EQ(out, "0\ta_48.ico\t1\t-\n");

    // The index stands for its manifests as they were: a changed manifest is refused.
    std::ofstream(manifest, std::ios::app) << "\n";
    EXPECT_EQ(Cli("similar " + hash + " " + Quote(index), &out, &err), 1);
    EXPECT_EQ(err, "pictrix-cli: " + index + ": 5, pictrix-cli.cSimilarIndex: " + index + ": " + manifest +
                       " changed since the index was made: make the index again\n");
}

TEST(SimilarCli, ModuleTwinsFindEachOther) {
    // The same resources linked as PE32 and PE32+: every group finds its twin at distance 0.
    std::string out, err;
    for (const std::string group : {"1", "2", "9"}) {
        SCOPED_TRACE(group);
        ASSERT_EQ(Cli("similar --max-distance 0 --group " + group + " " + Quote(Fixture("modules/good32.dll")) + " " +
                          Quote(Fixture("modules/good64.dll")),
                      &out, &err),
                  0)
            << err;
        EXPECT_NE(out.find("0\t" + Fixture("modules/good64.dll") + "\t" + group + "\t"), std::string::npos) << out;
    }
}

// The corpus's shell32 where both builds of Wine are installed (never in CI).
TEST(SimilarCli, CorpusTwinsFindEachOther) {
    std::string out, err;
    const std::string x86 = "/usr/lib/x86_64-linux-gnu/wine/i386-windows/shell32.dll";
    const std::string x64 = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/shell32.dll";
    if (!fs::exists(x86) || !fs::exists(x64)) GTEST_SKIP() << "no x86 and x64 shell32 here";
    ASSERT_EQ(Cli("similar --max-distance 4 " + Quote(x86) + " " + Quote(x64), &out, &err), 0) << err;
    EXPECT_EQ(out.rfind("0\t" + x64 + "\t1\t", 0), 0u) << out;
}

TEST(SimilarCli, RefusesWhatItCannotUse) {
    cTempDir tmp;
    const std::string a = Quote(Fixture("similar/a_32.ico"));
    const std::string usage = "usage: pictrix-cli similar QUERY [--group N]";
    std::vector<std::uint8_t> index = ReadBytes(Fixture("similar/index.pxi"));
    index.pop_back();
    WriteBytes(tmp.File("short.pxi"), index);
    std::ofstream(tmp.File("bad.jsonl")) << "{\"source\":\"a\",\"position\":1,\"dhash\":\"0000000000000000\"}\n{oops\n";
    struct {
        std::string args;
        int status;
        std::string err; // its start
    } cases[] = {
        {"similar " + a, 2, usage},
        {"similar --max-distance 65 " + a + " " + a, 2,
         "pictrix-cli similar: --max-distance needs a number from 0 to 64\n"},
        {"similar --group 1 0123456789abcdef " + a, 2, "pictrix-cli similar: --group needs a file as the query\n"},
        {"similar --group 99 " + a + " " + a, 1,
         "pictrix-cli: " + Fixture("similar/a_32.ico") + ": it has no group 99"},
        {"similar " + a + " " + Quote(tmp.File("short.pxi")), 1,
         "pictrix-cli: " + tmp.File("short.pxi") + ": 5, pictrix-cli.cSimilarIndex: " + tmp.File("short.pxi") +
             ": not a similar-icons index, or a damaged one: its length is not what its counts make\n"},
        {"similar " + a + " " + Quote(tmp.File("bad.jsonl")), 1,
         "pictrix-cli: " + tmp.File("bad.jsonl") + ": 5, pictrix-cli.mSimilar: " + tmp.File("bad.jsonl") +
             ": line 2 is not a JSON record\n"},
        {"index " + Quote(tmp.File("bad.jsonl")), 2, "usage: pictrix-cli index MANIFEST... -o FILE\n"},
        {"index " + Quote(tmp.File("bad.jsonl")) + " -o " + Quote(tmp.File("x.pxi")), 1,
         "pictrix-cli: 5, pictrix-cli.mSimilar: " + tmp.File("bad.jsonl") + ": line 2 is not a JSON record\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        std::string out, err;
        EXPECT_EQ(Cli(c.args, &out, &err), c.status);
        EXPECT_EQ(err.substr(0, c.err.size()), c.err);
    }
    EXPECT_FALSE(fs::exists(tmp.File("x.pxi")));
}
