// What pictrix-cli reads and writes of its own: no output ever takes the place of one of its
// inputs; manifests and indexes, however hostile, are read within 64 MiB plus four times their
// size (held to it by an address-space limit, not timed); an index cut short while it is read is
// an error; verify reads only inside the extraction's folder; similar keeps its best and tells
// what it could not read.

#include <filesystem>
#include <bit>
#include <fstream>
#include <random>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "search/cSimilarIndex.h"

using namespace mTestKit;
namespace fs = std::filesystem;

namespace {

const std::string kCli = std::string(PICTRIX_BINARY_DIR) + "/pictrix-cli";
const std::string kThumbnailer = std::string(PICTRIX_BINARY_DIR) + "/pictrix-thumbnailer";

std::size_t TempFiles(const std::string& folder) {
    std::size_t n = 0;
    for (const auto& e : fs::directory_iterator(folder))
        n += e.path().filename().string().find(".tmp-") != std::string::npos;
    return n;
}

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A record of a group as extract writes it, with a difference hash.
std::string Record(const std::string& source, std::uint64_t dhash) {
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(dhash));
    return "{\"source\":\"" + source + "\",\"kind\":\"icon\",\"position\":1,\"id\":1,\"images\":[],\"dhash\":\"" + hex +
           "\"}\n";
}

} // namespace

// Every command that writes a file refuses, with status 2 and a sentence naming both files, an
// output that is one of its inputs: by the same name, through a hard link or a symbolic link. The
// input keeps its bytes and nothing is left beside it.
TEST(OwnFormats, NoOutputIsOneOfItsInputs) {
    cTempDir dir;
    const std::string icon = dir.File("x.ico"), manifest = dir.File("m.jsonl"), other = dir.File("n.jsonl");
    fs::copy_file(Fixture("icons/vista.ico"), icon);
    WriteText(manifest, Record("a.ico", 1));
    WriteText(other, Record("b.ico", 2));
    fs::create_hard_link(icon, dir.File("hard.ico"));
    fs::create_symlink(icon, dir.File("soft.ico"));
    fs::create_hard_link(other, dir.File("hard.jsonl"));
    fs::create_symlink(other, dir.File("soft.jsonl"));
    WriteText(dir.File("list"), icon + "\n");
    const auto q = [&](const std::string& name) { return Quote(dir.File(name)); };
    struct {
        const char* name;
        std::string command;
        std::string input; // what must keep its bytes
        std::string says;
    } cases[] = {
        {"render over its icon", kCli + " render " + q("x.ico") + " -o " + q("x.ico"), icon, "the PNG would overwrite"},
        {"render over a hard link to its icon", kCli + " render " + q("x.ico") + " -o " + q("hard.ico"), icon,
         "the PNG would overwrite"},
        {"render over a symbolic link to its icon", kCli + " render " + q("x.ico") + " --size 16 -o " + q("soft.ico"),
         icon, "the PNG would overwrite"},
        {"index over its manifest", kCli + " index " + q("m.jsonl") + " -o " + q("m.jsonl"), manifest,
         "the index would overwrite"},
        {"index over a hard link to its second manifest",
         kCli + " index " + q("m.jsonl") + " " + q("n.jsonl") + " -o " + q("hard.jsonl"), other,
         "the index would overwrite"},
        {"index over a symbolic link to a manifest", kCli + " index -o " + q("soft.jsonl") + " " + q("n.jsonl"), other,
         "the index would overwrite"},
        {"thumbnailer over its input", kThumbnailer + " " + q("x.ico") + " " + q("x.ico"), icon,
         "the thumbnail would overwrite"},
        {"thumbnailer over a hard link to its input", kThumbnailer + " -s 32 " + q("x.ico") + " " + q("hard.ico"), icon,
         "the thumbnail would overwrite"},
        {"thumbnailer over a symbolic link to its input", kThumbnailer + " " + q("soft.ico") + " " + q("x.ico"), icon,
         "the thumbnail would overwrite"},
        {"extract's manifest over a source",
         kCli + " extract -o " + q("") + " --manifest " + q("hard.ico") + " " + q("x.ico"), icon,
         "the manifest would overwrite one of the files to extract from"},
        {"extract's manifest over its list",
         kCli + " extract -o " + q("") + " --manifest " + q("list") + " --from " + q("list"), dir.File("list"),
         "the manifest would overwrite the list"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string before = ReadText(c.input);
        std::string out;
        const int status = mTestKit::Run(c.command + " 2>&1", &out);
        EXPECT_EQ(status, 2) << out;
        EXPECT_NE(out.find(c.says), std::string::npos) << out;
        EXPECT_EQ(ReadText(c.input), before);
        EXPECT_EQ(TempFiles(dir.Path().string()), 0u);
        EXPECT_TRUE(fs::is_symlink(dir.File("soft.ico")) && fs::is_symlink(dir.File("soft.jsonl")));
    }
    // The same commands write where the output is another file.
    EXPECT_EQ(mTestKit::Run(kCli + " render " + q("x.ico") + " -o " + q("x.png") + " >/dev/null"), 0);
    EXPECT_EQ(mTestKit::Run(kCli + " index " + q("m.jsonl") + " -o " + q("m.pxi") + " >/dev/null"), 0);
    EXPECT_EQ(mTestKit::Run(kThumbnailer + " " + q("x.ico") + " " + q("t.png")), 0);
}

// Hostile manifests and indexes, each read by the commands that read them under an address-space
// limit of 64 MiB plus four times what they read: each fails with its reason (or succeeds), never
// runs out of memory.
TEST(OwnFormats, HostileTextStaysWithinItsAllowance) {
    if (UnderAddressSanitizer()) GTEST_SKIP() << kNoLimitUnderSanitizer;
    cTempDir dir;
    const auto zeros = [](std::size_t n) {
        std::string s = "{\"source\":\"a\",\"position\":1,\"output\":\"x\",\"sha256\":[";
        for (std::size_t i = 0; i < n; ++i) s += i ? ",0" : "0";
        return s + "]}\n";
    };
    const auto objects = [](std::size_t n) {
        std::string s = "{\"source\":\"a\",\"images\":[";
        for (std::size_t i = 0; i < n; ++i) s += i ? ",{}" : "{}";
        return s + "],\"dhash\":\"0000000000000000\",\"position\":1}\n";
    };
    const std::string wide = "{\"source\":\"" + std::string(20u << 20, 'a') + "\"}\n";
    // One index whose million entries all point at one long record of its manifest.
    const std::string longLine = dir.File("long.jsonl");
    {
        std::string line =
            "{\"source\":\"" + std::string(4u << 20, 'a') + "\",\"position\":1,\"dhash\":\"0000000000000000\"}\n";
        WriteText(longLine, line);
        std::vector<cSimilarIndex::cEntry> entries(1'000'000, cSimilarIndex::cEntry{0, std::nullopt, 0, 0});
        const auto bytes = cSimilarIndex::Bytes({{fs::absolute(longLine).string(), line.size()}}, entries);
        WriteBytes(dir.File("long.pxi"), bytes);
        // ... and one whose entries point into the middle of that record, each at a byte of its own.
        for (std::size_t i = 0; i < entries.size(); ++i) entries[i].offset = 7 + i;
        WriteBytes(dir.File("inside.pxi"),
                   cSimilarIndex::Bytes({{fs::absolute(longLine).string(), line.size()}}, entries));
    }
    struct {
        const char* name;
        std::string text; // the file's content; empty: made above
        std::string file;
        std::string command; // FILE stands for the file
        int status;
        std::string says;
    } cases[] = {
        {"6 MiB of zeros in one record, verified", zeros(3u << 20), "zeros.jsonl", "verify FILE", 1, "not a record"},
        {"6 MiB of zeros in one record, searched", zeros(3u << 20), "zeros.jsonl", "similar 0000000000000000 FILE", 1,
         "not a JSON record"},
        {"6 MiB of zeros in one record, indexed", zeros(3u << 20), "zeros.jsonl", "index FILE -o OUT", 1,
         "not a JSON record"},
        {"a million empty objects in one record, searched", objects(1u << 20), "objects.jsonl",
         "similar 0000000000000000 FILE", 1, "not a JSON record"},
        {"a line of 20 MiB, verified", wide, "wide.jsonl", "verify FILE", 1, "longer than 8 MiB, which no record is"},
        {"a line of 20 MiB, searched", wide, "wide.jsonl", "similar 0000000000000000 FILE", 1, "is too long"},
        {"nesting past the limit", "{\"a\":" + std::string(1u << 20, '[') + "}\n", "deep.jsonl", "verify FILE", 1,
         "not a record"},
        {"a million entries on one long record", "", "long.pxi", "similar --max-distance 64 0000000000000000 FILE", 1,
         "point at one record"},
        {"a million entries on one long record, the best one", "", "long.pxi", "similar --top 1 0000000000000000 FILE",
         0, ""},
        {"a million entries inside one record", "", "inside.pxi", "similar 0000000000000000 FILE", 1,
         "points into the middle of a record"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = dir.File(c.file);
        if (!c.text.empty()) WriteText(file, c.text);
        std::string command = c.command;
        command.replace(command.find("FILE"), 4, Quote(file));
        if (const auto at = command.find("OUT"); at != std::string::npos)
            command.replace(at, 3, Quote(dir.File("out.pxi")));
        std::uint64_t read = fs::file_size(file);
        if (c.text.empty()) read += fs::file_size(longLine);
        std::string out, err;
        const int status = RunLimited(kCli + " " + command, MemoryAllowance(read), &out, &err);
        EXPECT_EQ(status, c.status) << err;
        EXPECT_EQ(err.find("memory"), std::string::npos) << err;
        if (!c.says.empty()) {
            EXPECT_NE(err.find(c.says), std::string::npos) << err;
        }
        if (c.status == 0) {
            EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << "the best";
        }
    }
}

// An index cut short while a search holds it open is an error naming it, never a signal: its
// hashes are read, and its other columns end early.
TEST(OwnFormats, AShrinkingIndexIsAnError) {
    cTempDir dir;
    const std::string manifest = dir.File("m.jsonl"), index = dir.File("m.pxi");
    {
        std::ofstream m(manifest, std::ios::binary);
        for (int i = 0; i < 20000; ++i) m << Record("f" + std::to_string(i) + ".ico", 0x0101010101010101ULL * (i % 3));
    }
    ASSERT_EQ(cSimilarIndex::Make({manifest}, index), 20000u);
    const cChild child = InChild([&](std::string& report) {
        struct cCase {
            const char* name;
            std::uint64_t keep; // bytes left of the index
        };
        for (const cCase c : {cCase{"to its hashes", 32 + 8 * 20000}, cCase{"to nothing", 0},
                              cCase{"by one byte", fs::file_size(index) - 1}}) {
            cSimilarIndex opened;
            opened.OpenFile(index);
            const std::string whole = ReadText(index);
            fs::resize_file(index, c.keep);
            try {
                opened.ResolveAll({0, 19999});
                report += std::string(c.name) + ": read past the end without an error\n";
            } catch (const cError& e) {
                if (e.Description().find("cut short or changed while it was read") == std::string::npos)
                    report += std::string(c.name) + ": " + e.Description() + "\n";
            }
            WriteText(index, whole);
        }
        // Cut short before its hashes are read: refused as it opens.
        cSimilarIndex early;
        fs::resize_file(index, 64);
        try {
            early.OpenFile(index);
            report += "a cut index opened\n";
        } catch (const cError&) {}
        return report.empty() ? 0 : 1;
    });
    EXPECT_EQ(child.status, 0) << child.report << "(135 is SIGBUS)";
}

// The best K of an index are those the whole ranking keeps, found without reading the other
// records: one damaged far from the query changes nothing at --top, and is found without it.
TEST(OwnFormats, SimilarKeepsTheBestWhileItScans) {
    std::mt19937_64 random(42);
    std::vector<std::uint64_t> hashes(5000);
    for (auto& h : hashes) h = random() & random(); // many at equal distances
    for (const std::size_t top : {std::size_t{1}, std::size_t{7}, std::size_t{100}, std::size_t{6000}}) {
        for (const int distance : {0, 20, 40, 64}) {
            SCOPED_TRACE("top " + std::to_string(top) + ", distance " + std::to_string(distance));
            const std::uint64_t query = random();
            std::vector<std::size_t> all = mSimilar::Within(hashes, query, distance);
            std::stable_sort(all.begin(), all.end(), [&](std::size_t a, std::size_t b) {
                return std::popcount(hashes[a] ^ query) < std::popcount(hashes[b] ^ query);
            });
            if (all.size() > top) all.resize(top);
            std::sort(all.begin(), all.end());
            EXPECT_EQ(mSimilar::Nearest(hashes, query, distance, top), all);
        }
    }

    cTempDir dir;
    const std::string manifest = dir.File("m.jsonl"), index = dir.File("m.pxi");
    std::string text;
    for (int i = 0; i < 1000; ++i) text += Record("f" + std::to_string(i) + ".ico", i == 500 ? 0 : ~0ULL);
    WriteText(manifest, text);
    std::string out, err;
    ASSERT_EQ(Cli("index " + Quote(manifest) + " -o " + Quote(index), &out, &err), 0) << err;
    // A far record damaged in place (same size): only a search that reads it finds out.
    text.replace(text.find("f900.ico"), 8, "g900.ico");
    text.replace(text.find("ffffffffffffffff", text.find("g900.ico")), 16, "fffffffffffffffe");
    WriteText(manifest, text);
    ASSERT_EQ(Cli("similar --top 1 --max-distance 64 0000000000000000 " + Quote(index), &out, &err), 0) << err;
    EXPECT_EQ(out, "0\tf500.ico\t1\t1\n");
    EXPECT_EQ(Cli("similar --max-distance 64 0000000000000000 " + Quote(index), &out, &err), 1);
    EXPECT_NE(err.find("changed since the index was made"), std::string::npos) << err;
}

// verify reads an output only inside the extraction's folder (-o, else the manifest's folder):
// not through an absolute path, "..", or a link that leads out; it fails on a manifest without
// records and on a list's source no manifest finished.
TEST(OwnFormats, VerifyReadsOnlyTheExtractionsFolder) {
    cTempDir dir;
    const std::string out = dir.File("out"), secret = dir.File("secret");
    fs::create_directories(out);
    WriteText(secret, "hidden");
    const std::string secretSha = "6ff4b2d8e7fb6a3e63d1ec0a8a3d2e6c4d1c0a08e7d0c9b6c8a3e6f0b3d2c1a0"; // any 64 digits
    const std::string m = dir.File("out/m.jsonl");
    ASSERT_EQ(
        Cli("extract --quiet -o " + Quote(out) + " --manifest " + Quote(m) + " " + Quote(Fixture("icons/vista.ico"))),
        0);
    EXPECT_EQ(Cli("verify " + Quote(m)), 0);
    fs::create_symlink(secret, dir.File("out/link"));
    struct {
        const char* name;
        std::string output;
        std::string folder; // -o
        std::string says;
    } cases[] = {
        {"an absolute path outside", secret, "", "lies outside"},
        {"a path that climbs out", out + "/../secret", "", "lies outside"},
        {"a link inside that leads out", out + "/link", "", "lies outside"},
        {"a file outside the folder given", m, dir.File("none-such"), "cannot find"},
        {"the folder given, not the manifest's", out + "/../secret", out, "lies outside"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string hostile = dir.File("out/hostile.jsonl");
        WriteText(hostile, "{\"source\":\"s\",\"position\":1,\"output\":\"" + c.output + "\",\"sha256\":\"" +
                               secretSha + "\"}\n");
        std::string said, err;
        const int status =
            Cli("verify " + (c.folder.empty() ? "" : "-o " + Quote(c.folder) + " ") + Quote(hostile), &said, &err);
        EXPECT_EQ(status, c.folder.find("none") != std::string::npos ? 2 : 1) << err;
        EXPECT_NE(err.find(c.says), std::string::npos) << err;
        EXPECT_EQ(err.find("holds other bytes"), std::string::npos) << "no word on what the file holds";
    }
    // A manifest without records, and a list whose second source no manifest finished.
    WriteText(dir.File("empty.jsonl"), "");
    std::string said, err;
    EXPECT_EQ(Cli("verify " + Quote(dir.File("empty.jsonl")), &said, &err), 1);
    EXPECT_NE(err.find("holds no records"), std::string::npos) << err;
    WriteText(dir.File("list"), Fixture("icons/vista.ico") + "\n" + Fixture("icons/depth4.ico") + "\n");
    EXPECT_EQ(Cli("verify --sources " + Quote(dir.File("list")) + " " + Quote(m), &said, &err), 1);
    EXPECT_NE(err.find("depth4.ico: no manifest finished it"), std::string::npos) << err;
    EXPECT_EQ(err.find("vista.ico"), std::string::npos) << err;
    WriteText(dir.File("list"), Fixture("icons/vista.ico") + "\n");
    EXPECT_EQ(Cli("verify --sources " + Quote(dir.File("list")) + " -o " + Quote(out) + " " + Quote(m), &said, &err), 0)
        << err;
    // Its help names every option.
    ASSERT_EQ(Cli("verify --help", &said), 0);
    for (const char* option : {"-o DIR", "--sources LIST", "MANIFEST"}) EXPECT_NE(said.find(option), std::string::npos);
}

// similar says which folders and files of a walk it could not read, and ends in status 1; files
// that hold no icons are passed over in silence.
TEST(OwnFormats, SimilarReportsWhatItCannotRead) {
    cTempDir dir;
    const std::string walk = dir.File("walk");
    fs::create_directories(walk + "/locked");
    fs::copy_file(Fixture("similar/a_32.ico"), walk + "/a.ico");
    fs::copy_file(Fixture("similar/a_32.ico"), walk + "/locked/b.ico");
    fs::copy_file(Fixture("similar/a_32.ico"), walk + "/closed.ico");
    WriteText(walk + "/notes.txt", "no icons here");
    fs::permissions(dir.Path(), fs::perms::all);
    fs::permissions(walk, fs::perms::all);
    fs::permissions(walk + "/a.ico", fs::perms::all);
    const std::string query = Quote(walk + "/a.ico") + " " + Quote(walk);
    std::string out, err;
    ASSERT_EQ(Cli("similar " + query, &out, &err), 0) << err;
    EXPECT_TRUE(err.empty()) << err;
    fs::permissions(walk + "/locked", fs::perms::none);
    fs::permissions(walk + "/closed.ico", fs::perms::none);
    // Root reads anything: the command then runs as nobody.
    const std::string as = ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    if (!as.empty() && mTestKit::Run("command -v setpriv >/dev/null") != 0) GTEST_SKIP() << "setpriv is not installed";
    const int status = mTestKit::Run(as + kCli + " similar " + query + " 2>&1", &out);
    fs::permissions(walk + "/locked", fs::perms::all);
    EXPECT_EQ(status, 1) << out;
    EXPECT_NE(out.find("locked/: the folder cannot be read"), std::string::npos) << out;
    EXPECT_NE(out.find("closed.ico: the file cannot be read"), std::string::npos) << out;
    EXPECT_EQ(out.find("notes.txt"), std::string::npos) << out;
    EXPECT_NE(out.find("a.ico\t1"), std::string::npos) << "what could be read is still ranked";
}
