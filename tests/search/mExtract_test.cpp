#include <filesystem>

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "fixtures/mCraft.h"
#include "base/mProgram.h"
#include "platform/cReplaceFile.h"
#include "resources/cResources.h"
#include "search/mExtract.h"

using namespace mTestKit;
namespace fs = std::filesystem;

namespace {

// A window's extraction: its folder, its run and its last source, with hooks that record what the
// window would show and log.
struct cRecorder {
    std::vector<std::string> status;
    std::vector<cError> errors;
    std::vector<std::pair<std::string, std::string>> renamed;
    std::vector<std::pair<std::string, std::string>> shortened;
    std::vector<mExtract::eRename> why;
    int keepGoingCalls = 0;
    int stopAfter = -1; // KeepGoing answers false from this call on
    mExtract::cOptions options;
    mExtract::cRun run;
    mExtract::cSource source;

    explicit cRecorder(const std::string& folder = ".", const std::vector<std::string>& sources = {}) {
        run.Open(folder, sources);
    }
    mExtract::cLoadHooks LoadHooks() {
        return {[this](const std::string& s) { status.push_back(s); },
                [this](const cError& e) { errors.push_back(e); },
                {}};
    }
    bool Load(const std::string& file) {
        source = mExtract::Load(file, options, LoadHooks());
        return source.read;
    }
    bool Save() {
        mExtract::cSaveHooks h;
        h.Status = [this](const std::string& s) { status.push_back(s); };
        h.ReportError = [this](const cError& e) { errors.push_back(e); };
        h.KeepGoing = [this] { return stopAfter < 0 || keepGoingCalls++ < stopAfter; };
        h.Outcome = [this](const mExtract::cOutcome& o) {
            if (o.wanted.empty()) return;
            (o.shortened ? shortened : renamed).emplace_back(o.wanted, o.path);
            if (o.why) why.push_back(*o.why);
        };
        return mExtract::Save(run, source, h);
    }
    bool Extract(const std::string& file) { return Load(file) && Save(); }
    void Finish() {
        run.Finish([this](const cError& e) { errors.push_back(e); });
    }
};

// UTF-8 of a text of Latin-1 characters.
std::string mText16ish(const std::u16string& s) {
    std::string out;
    for (char16_t c : s) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

} // namespace

TEST(Extract, BaseNamesAndOutputNames) {
    struct {
        const char* path;
        const char* base;
        bool found;
    } cases[] = {
        {"/win/system/SHELL32.DLL", "SHELL32", true},
        {"/my.dir/TOOL", "TOOL", true}, // a folder's dot never counts
        {"/a/b.c/d.e.ico", "d.e", true},
        {"./x.dll", "x", true},
        {"/.hidden", "", true},
        {"TOOL", "TOOL", true},
        {"shell32.dll", "shell32", true},
        {"/no/dot/here", "here", true},
        {"", "", false},
        {"/a/folder/", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        std::string base = "x";
        EXPECT_EQ(mExtract::BaseNameOf(c.path, base), c.found);
        EXPECT_EQ(base, c.base);
    }

    cTempDir dir;
    // The sample module's groups with identifier 4 (position 7) and name VISTA (position 3),
    // extracted from an upper-case system path.
    fs::create_directories(dir.File("WIN/SYSTEM"));
    const std::string source = dir.File("WIN/SYSTEM/SHELL32.DLL");
    fs::copy_file(Fixture("modules/sample.dll"), source);
    fs::create_directories(dir.File("OUT"));
    cRecorder r(dir.File("OUT/"));
    ASSERT_TRUE(r.Extract(source));
    EXPECT_EQ(r.run.IconsSaved(), 12);
    EXPECT_TRUE(fs::exists(dir.File("OUT/SHELL3274.ico")));
    EXPECT_TRUE(fs::exists(dir.File("OUT/SHELL323VISTA.ico")));
    EXPECT_TRUE(fs::exists(dir.File("OUT/SHELL3212100.ico")));
    EXPECT_EQ(mExtract::OutputName(r.source, 7, "SHELL32"), "SHELL3274.ico");
    EXPECT_EQ(mExtract::ItemText(r.source.icons[2]), "VISTA");
    EXPECT_EQ(r.run.TargetFolder(), dir.File("OUT")) << "without its trailing separator";
    // A target folder that is the root gets no second separator.
    EXPECT_EQ(mExtract::TargetFolderOf("///"), "/");
    cRecorder root("/");
    EXPECT_EQ(root.run.Folder().Folder().PathOf("SHELL3274.ico"), "/SHELL3274.ico");

    // An icon file's group is named by the file's base name and its position; its list text is
    // its path.
    cTempDir out;
    cRecorder icon(out.Path().string());
    ASSERT_TRUE(icon.Extract(Fixture("icons/six.ico")));
    EXPECT_EQ(mExtract::ItemText(icon.source.icons[0]), Fixture("icons/six.ico"));
    EXPECT_EQ(Listing(out.Path().string()), (std::vector<std::string>{"six1.ico"}));
    EXPECT_EQ(ReadBytes(out.File("six1.ico")), ReadBytes(Fixture("icons/six.ico")));
}

TEST(Extract, OutputNamesThatRunTogether) {
    // Position 1 with identifier 23 and position 12 with identifier 3 run together: the later
    // group gets a suffix, both are written and counted.
    cTempDir out;
    cRecorder r(out.Path().string());
    const std::string source = Fixture("modules/collide.icl");
    ASSERT_TRUE(r.Extract(source));
    EXPECT_EQ(r.run.IconsSaved(), 12);
    EXPECT_TRUE(r.errors.empty());
    const auto files = Listing(out.Path().string());
    EXPECT_EQ(files.size(), 12u);
    EXPECT_TRUE(std::count(files.begin(), files.end(), "collide123.ico"));
    EXPECT_TRUE(std::count(files.begin(), files.end(), "collide123~2.ico"));
    EXPECT_TRUE(std::count(files.begin(), files.end(), "collide22.ico"));
    EXPECT_TRUE(std::count(files.begin(), files.end(), "collide1112.ico"));
    ASSERT_EQ(r.renamed.size(), 1u);
    EXPECT_EQ(r.renamed[0].first, out.File("collide123.ico"));
    EXPECT_EQ(r.renamed[0].second, out.File("collide123~2.ico"));
    // The first file holds group 23 (two images), the renamed one group 3 (one image).
    cFileIcon first, later;
    ASSERT_TRUE(first.LoadIcon(out.File("collide123.ico")));
    ASSERT_TRUE(later.LoadIcon(out.File("collide123~2.ico")));
    EXPECT_EQ(first.ImageCount(), 2);
    EXPECT_EQ(later.ImageCount(), 1);

    // The same source again writes the same names over the old files; the total counts the files
    // the run leaves, each once.
    ASSERT_TRUE(r.Extract(source));
    EXPECT_EQ(r.run.IconsSaved(), 12);
    EXPECT_EQ(Listing(out.Path().string()).size(), 12u);

    // A group name holding separators stays inside the target folder.
    ASSERT_TRUE(r.Extract(Fixture("modules/slash.icl")));
    EXPECT_TRUE(fs::exists(out.File("slash1.._.._Evil.ico")));
}

TEST(Extract, StatusTextsAndCounts) {
    cTempDir out;
    cRecorder r(out.Path().string());
    const std::string good = Fixture("modules/good32.dll");
    ASSERT_TRUE(r.Load(good));
    std::vector<std::string> expected = {"Checking for resources...", "Getting icon resources..."};
    for (int i = 1; i <= 8; ++i) expected.push_back("Loading icon " + std::to_string(i) + " of 8...");
    expected.push_back(good);
    EXPECT_EQ(r.status, expected);
    EXPECT_EQ(r.source.icons.size(), 8u);
    EXPECT_EQ(r.source.kind, mFileKind::eKind::kModule);
    ASSERT_TRUE(r.Save());
    EXPECT_EQ(Listing(out.Path().string()),
              (std::vector<std::string>{"good321APPICON.ico", "good322MAINICON.ico", "good3231.ico", "good3243.ico",
                                        "good3255.ico", "good3267.ico", "good3279.ico", "good32840000.ico"}));
    // Each file is the group as loaded and saved.
    cFileIcon five;
    ASSERT_TRUE(five.LoadIconFromEXE(good, 5, {}));
    EXPECT_EQ(ReadBytes(out.File("good3255.ico")), five.IcoBytes());
    EXPECT_EQ(r.run.IconsSaved(), 8);
    EXPECT_EQ(r.run.TotalText(), "Total icons saved: 8");

    struct {
        const char* fixture;
        bool result;
        std::vector<std::string> lastStatus;
        std::int32_t error;
        std::size_t iconCount;
    } cases[] = {
        {"modules/noicons32.dll", true, {"Checking for resources...", "No icons found in file."}, 0, 0},
        {"modules/nores32.dll",
         false,
         {"Checking for resources...", "The specified image file did not contain a resource section.\r\n"},
         cResources::kErrLoad,
         0},
        {"modules/broken32.dll", false, {"Loading icon 2 of 4...", ""}, cFileIcon::kErrReadBits, 0},
        {"modules/missing.dll",
         false,
         {"Checking for resources...", "The system cannot find the file specified.\r\n"},
         cResources::kErrLoad,
         0},
        {"icons/six.ico", true, {"Loading icon " + Fixture("icons/six.ico"), Fixture("icons/six.ico")}, 0, 1},
        {"modules/missing.ico",
         false,
         {"Loading icon " + Fixture("modules/missing.ico"), ""},
         cFileIcon::kErrLoadIcon,
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture);
        cRecorder rec;
        EXPECT_EQ(rec.Load(Fixture(c.fixture)), c.result);
        ASSERT_GE(rec.status.size(), 2u);
        EXPECT_EQ(std::vector<std::string>(rec.status.end() - 2, rec.status.end()), c.lastStatus);
        EXPECT_EQ(rec.source.icons.size(), c.iconCount);
        if (c.error == 0) {
            EXPECT_TRUE(rec.errors.empty());
        } else {
            ASSERT_EQ(rec.errors.size(), 1u);
            EXPECT_EQ(rec.errors[0].Number(), c.error);
        }
    }
}

// One image id in two languages with other bytes in each: each language's group is saved with its
// own language's image.
TEST(Extract, ALanguagesGroupHoldsItsOwnLanguagesImages) {
    cTempDir out;
    cRecorder r(out.Path().string());
    r.options.languages = true;
    ASSERT_TRUE(r.Extract(Fixture("modules/languages32.dll")));
    ASSERT_EQ(r.source.icons.size(), 2u);
    const auto block = [&](std::size_t group) {
        const auto b = r.source.icons[group].Block(1);
        return std::vector<std::uint8_t>(b.begin(), b.end());
    };
    EXPECT_EQ(mExtract::ItemText(r.source.icons[0]), "5 [de-DE]");
    EXPECT_EQ(block(0), ReadBytes(Fixture("modules/img16x4de.bin")));
    EXPECT_EQ(mExtract::ItemText(r.source.icons[1]), "5 [en-US]");
    EXPECT_EQ(block(1), ReadBytes(Fixture("modules/img16x4.bin")));
    EXPECT_EQ(Listing(out.Path().string()),
              (std::vector<std::string>{"languages3215 [de-DE].ico", "languages3225 [en-US].ico"}));
}

TEST(Extract, SaveFailuresAndStopping) {
    cTempDir out;
    // A target folder that does not exist: the first group fails, the rest of the file is skipped.
    {
        cRecorder r(out.File("missing"));
        EXPECT_FALSE(r.Extract(Fixture("modules/good32.dll")));
        EXPECT_EQ(r.run.IconsSaved(), 0);
        ASSERT_EQ(r.errors.size(), 1u);
        EXPECT_EQ(r.errors[0].Number(), cFileIcon::kErrCantWrite);
        EXPECT_EQ(r.status.back(), "Couldn't open file for writing.");
        EXPECT_NE(r.errors[0].Description().find(out.File("missing")), std::string::npos) << "the log names the file";
    }
    // A group without images cannot be saved: "Icon contains no images." in the status strip.
    {
        cRecorder r(out.Path().string());
        r.source.path = Fixture("modules/broken32.dll");
        r.source.icons.resize(2);
        ASSERT_TRUE(r.source.icons[0].LoadIconFromEXE(r.source.path, 1, {}));
        ASSERT_FALSE(r.source.icons[1].LoadIconFromEXE(r.source.path, 22, {}));
        EXPECT_FALSE(r.Save());
        EXPECT_EQ(r.run.IconsSaved(), 1);
        EXPECT_EQ(r.status.back(), "Icon contains no images.");
    }
    // Stop after two groups: the total counts what was written.
    {
        cTempDir stopped;
        cRecorder r(stopped.Path().string());
        r.stopAfter = 2;
        EXPECT_FALSE(r.Extract(Fixture("modules/sample.dll")));
        EXPECT_EQ(r.run.IconsSaved(), 2);
        EXPECT_EQ(Listing(stopped.Path().string()).size(), 2u);
    }
}

// Names longer than a file name may be keep their start and get a hash of the whole name: every
// group is saved, under a name that the same group always gets and that no other group gets.
TEST(Extract, NamesTooLongForTheFileSystemAreShortened) {
    cTempDir dir, out;
    const std::u16string l300(300, u'L');
    std::u16string accents;
    for (int i = 0; i < 130; ++i) accents += u'\x00E9';
    // Group 1 named "1" + 300 L and group 11 named 300 L want the same name ("long11LLL...").
    std::vector<std::u16string> names = {u"1" + l300, l300 + u"X", accents, u"SHORT"};
    for (int i = 5; i <= 10; ++i) names.push_back(u"F" + std::u16string(1, static_cast<char16_t>(u'0' + i % 10)));
    names.push_back(l300);
    mCraft::cPeSpec spec;
    spec.icons.push_back({{}, 1, mCraft::IconImage()});
    for (const auto& n : names) spec.groups.push_back({n, 0, mCraft::GroupDir({1}, 296)});
    const std::string module = dir.File("long.dll");
    WriteBytes(module, mCraft::Pe32(spec));

    auto extract = [&](cRecorder& r) {
        EXPECT_TRUE(r.Extract(module));
        r.Finish();
        for (const auto& e : r.errors) ADD_FAILURE() << e.what();
        EXPECT_EQ(r.run.IconsSaved(), static_cast<std::int32_t>(names.size()));
    };
    cRecorder r(out.Path().string(), {module});
    extract(r);
    const auto files = Listing(out.Path().string());
    ASSERT_EQ(files.size(), names.size());
    for (const auto& f : files) EXPECT_LE(f.size(), mExtract::kMaxNameBytes) << f;

    // The long ones, and the collision among them, are reported with what they wanted.
    const std::string l(300, 'L');
    const auto& shortened = r.shortened;
    ASSERT_EQ(shortened.size(), 4u);
    EXPECT_EQ(shortened[0].first, out.File("long11" + l + ".ico"));
    EXPECT_EQ(shortened[1].first, out.File("long2" + l + "X.ico"));
    EXPECT_EQ(shortened[2].first, out.File("long3" + mText16ish(accents) + ".ico"));
    EXPECT_EQ(shortened[3].first, out.File("long11" + l + ".ico")) << "the later of the two that want one name";
    EXPECT_TRUE(r.renamed.empty());
    std::set<std::string> used;
    for (const auto& [wanted, name] : shortened) {
        SCOPED_TRACE(name);
        used.insert(name);
        const std::string file = fs::path(name).filename().string();
        // The start of the wanted name, "~", 16 hex digits, ".ico"; never half a character.
        EXPECT_EQ(file.size(), file.find('~') + 21);
        EXPECT_EQ(fs::path(wanted).filename().string().substr(0, file.find('~')), file.substr(0, file.find('~')));
        EXPECT_EQ(file.find_first_not_of("0123456789abcdef", file.find('~') + 1), file.size() - 4);
        EXPECT_TRUE(fs::exists(name));
    }
    EXPECT_EQ(used.size(), 4u);
    EXPECT_EQ(shortened[2].second.find_last_of("\xC3"), shortened[2].second.find('~') - 2);
    EXPECT_EQ(out.File(mExtract::FitFileName(fs::path(shortened[1].first).filename().string())), shortened[1].second);

    // The same run again gives the same names.
    cRecorder again(out.Path().string(), {module});
    extract(again);
    EXPECT_EQ(Listing(out.Path().string()), files);
    ASSERT_EQ(again.shortened.size(), 4u);
    EXPECT_EQ(again.shortened[1], shortened[1]);
}

// A run never loses an icon to a name clash, and replaces the files the user had only after one
// flush for the whole run: x86 and x64 copies of one DLL, a link planted at an output name, an
// icon-file source whose output name is another source, the same source listed twice.
TEST(Extract, ARunKeepsEveryOutputAndFlushesOnce) {
    cTempDir dir;
    for (const char* d : {"x86", "x64", "out", "icons"}) fs::create_directories(dir.File(d));
    const std::string x86 = dir.File("x86/good.dll"), x64 = dir.File("x64/good.dll");
    fs::copy_file(Fixture("modules/good32.dll"), x86);
    fs::copy_file(Fixture("modules/good64.dll"), x64);
    const std::string victim = dir.File("victim.txt");
    WriteBytes(victim, {'k', 'e', 'e', 'p'});
    fs::create_symlink(victim, dir.File("out/good1APPICON.ico"));
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        // The first run's files, changed since: the second run replaces them.
        for (const auto& e : fs::directory_iterator(dir.File("out"))) {
            if (fs::is_symlink(e.symlink_status())) continue;
            auto bytes = ReadBytes(e.path().string());
            bytes.push_back(0);
            WriteBytes(e.path().string(), bytes);
        }
        cRecorder r(dir.File("out"), {x86, x64});
        const auto before = cReplaceFile::Flushes();
        ASSERT_TRUE(r.Extract(x86));
        ASSERT_TRUE(r.Extract(x64));
        EXPECT_EQ(cReplaceFile::Flushes(), before) << "no flush per file";
        r.Finish();
        // The first run found an empty folder; the second replaces the first's 16 files.
        EXPECT_EQ(cReplaceFile::Flushes() - before, round == 1 ? 0u : 1u);
        EXPECT_EQ(r.run.IconsSaved(), 16);
        EXPECT_EQ(r.run.TotalText(), "Total icons saved: 16 (9 were saved under another name; see the log)");
        EXPECT_EQ(Listing(dir.File("out")).size(), 17u) << "16 icons and the link";
        // Each group 1 meets the link first; x64's then passes x86's file too.
        std::vector<mExtract::eRename> why(9, mExtract::eRename::kOtherSource);
        why[0] = why[1] = mExtract::eRename::kLink;
        EXPECT_EQ(r.why, why);
        EXPECT_EQ(r.renamed[0].second, dir.File("out/good1APPICON~2.ico"));
        EXPECT_EQ(r.renamed[1].second, dir.File("out/good1APPICON~3.ico"));
        EXPECT_TRUE(fs::is_symlink(dir.File("out/good1APPICON.ico")));
        EXPECT_EQ(ReadBytes(victim), (std::vector<std::uint8_t>{'k', 'e', 'e', 'p'}));
        EXPECT_TRUE(r.errors.empty());
    }
    cFileIcon later;
    ASSERT_TRUE(later.LoadIconFromEXE(x64, 5, {}));
    EXPECT_EQ(ReadBytes(dir.File("out/good55~2.ico")), later.IcoBytes());

    // tool.ico's output would be tool1.ico, a source of the same run: it takes tool1~2.ico.
    const std::string tool = dir.File("icons/tool.ico"), tool1 = dir.File("icons/tool1.ico");
    fs::copy_file(Fixture("icons/six.ico"), tool);
    fs::copy_file(Fixture("icons/ten.ico"), tool1);
    cRecorder icons(dir.File("icons"), {tool, tool1});
    ASSERT_TRUE(icons.Extract(tool));
    ASSERT_TRUE(icons.Extract(tool1));
    icons.Finish();
    EXPECT_EQ(ReadBytes(tool1), ReadBytes(Fixture("icons/ten.ico")));
    EXPECT_EQ(ReadBytes(dir.File("icons/tool1~2.ico")), ReadBytes(Fixture("icons/six.ico")));
    EXPECT_EQ(icons.why, std::vector<mExtract::eRename>{mExtract::eRename::kSource});
    EXPECT_EQ(icons.run.IconsSaved(), 2);

    // The same source twice writes the same names again and counts them once.
    cTempDir twice;
    cRecorder again(twice.Path().string(), {x86, x86});
    ASSERT_TRUE(again.Extract(x86));
    ASSERT_TRUE(again.Extract(x86));
    again.Finish();
    EXPECT_TRUE(again.renamed.empty());
    EXPECT_EQ(again.run.IconsSaved(), 8);
    EXPECT_EQ(Listing(twice.Path().string()).size(), 8u);
}

// On a case-insensitive file system Tool.dll's outputs and tool.dll's are one file by name: the
// run knows its files by identity, so the second source's take "~2" names and nothing is lost.
TEST(Extract, NamesThatDifferInCaseOnlyOnAFileSystemThatIgnoresIt) {
    cMount fat(cMount::eKind::kFat, 4 << 20);
    if (!fat.Ok()) GTEST_SKIP() << fat.Why();
    cTempDir dir;
    const std::string upper = dir.File("Tool.dll"), lower = dir.File("tool.dll");
    fs::copy_file(Fixture("modules/good32.dll"), upper);
    fs::copy_file(Fixture("modules/good64.dll"), lower);
    cRecorder r(fat.Path(), {upper, lower});
    ASSERT_TRUE(r.Extract(upper));
    ASSERT_TRUE(r.Extract(lower));
    r.Finish();
    EXPECT_TRUE(r.errors.empty());
    EXPECT_EQ(r.run.IconsSaved(), 16);
    EXPECT_EQ(Listing(fat.Path()).size(), 16u);
    EXPECT_EQ(r.why, std::vector<mExtract::eRename>(8, mExtract::eRename::kOtherSource));
    cFileIcon x64;
    ASSERT_TRUE(x64.LoadIconFromEXE(lower, 5, {}));
    EXPECT_EQ(ReadBytes(fat.File("tool55~2.ico")), x64.IcoBytes());
}

// Every hazard at an output name: refused or passed by, never written through, never hanging.
TEST(Extract, OutputHazards) {
    ExpectSafeWrites(
        "good321APPICON.ico",
        [](const std::string& folder) {
            cRecorder r(folder);
            const bool ok = r.Extract(Fixture("modules/good32.dll"));
            r.Finish();
            return ok && r.run.IconsSaved() == 8;
        },
        eLinks::kNeverThrough);
}
