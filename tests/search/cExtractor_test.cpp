#include <filesystem>

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "fixtures/mCraft.h"
#include "base/mProgram.h"
#include "platform/cAtomicFile.h"
#include "resources/cResources.h"
#include "search/cExtractor.h"

using namespace mTestKit;
namespace fs = std::filesystem;

namespace {

// A core whose hooks record what a window would show and log.
struct cRecorder {
    std::vector<std::string> status;
    std::vector<cError> errors;
    std::vector<std::pair<std::string, std::string>> renamed;
    std::vector<cExtractor::eRename> why;
    int displays = 0;
    int keepGoingCalls = 0;
    int stopAfter = -1; // KeepGoing answers false from this call on
    cExtractor core;

    cRecorder() {
        cExtractor::cHooks h;
        h.Status = [this](const std::string& s) { status.push_back(s); };
        h.ReportError = [this](const cError& e) { errors.push_back(e); };
        h.DisplayIcons = [this] { ++displays; };
        h.KeepGoing = [this] { return stopAfter < 0 || keepGoingCalls++ < stopAfter; };
        h.Renamed = [this](const std::string& a, const std::string& b, cExtractor::eRename w) {
            renamed.emplace_back(a, b);
            why.push_back(w);
        };
        core.SetHooks(std::move(h));
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

std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(folder)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

TEST(Extractor, SourceBaseName) {
    struct {
        const char* path;
        const char* base;
        bool reported;
    } cases[] = {
        {"/win/system/SHELL32.DLL", "SHELL32", false},
        {"/my.dir/TOOL", "TOOL", false}, // a folder's dot never counts
        {"/a/b.c/d.e.ico", "d.e", false},
        {"./x.dll", "x", false},
        {"/.hidden", "", false},
        {"TOOL", "TOOL", false},
        {"shell32.dll", "shell32", false},
        {"/no/dot/here", "here", false},
        {"", "", true},
        {"/a/folder/", "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        cRecorder r;
        r.core.SourceFile(c.path);
        EXPECT_EQ(r.core.SourceBaseName(), c.base);
        ASSERT_EQ(r.errors.size(), c.reported ? 1u : 0u);
        if (c.reported) {
            EXPECT_EQ(r.errors[0].Number(), cError::kInvalidCall);
        }
    }
}

TEST(Extractor, OutputNames) {
    // Position 1 with identifier 23 and position 12 with identifier 3 run together: the later
    // group gets a suffix, both are written and counted.
    cTempDir out;
    cRecorder r;
    r.core.TargetFolder(out.Path().string());
    const std::string source = Fixture("modules/collide.icl");
    ASSERT_TRUE(r.core.ExtractFile(source));
    EXPECT_EQ(r.core.IconsSaved(), 12);
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
    ASSERT_TRUE(r.core.ExtractFile(source));
    EXPECT_EQ(r.core.IconsSaved(), 12);
    EXPECT_EQ(Listing(out.Path().string()).size(), 12u);

    // A group name holding separators stays inside the target folder.
    ASSERT_TRUE(r.core.ExtractFile(Fixture("modules/slash.icl")));
    EXPECT_TRUE(fs::exists(out.File("slash1.._.._Evil.ico")));
}

TEST(Extractor, OutputNamesJoinBaseNamePositionAndIdentifier) {
    cTempDir dir;
    // The sample module's groups with identifier 4 (position 7) and name VISTA (position 3),
    // extracted from an upper-case system path.
    fs::create_directories(dir.File("WIN/SYSTEM"));
    const std::string source = dir.File("WIN/SYSTEM/SHELL32.DLL");
    fs::copy_file(Fixture("modules/sample.dll"), source);
    fs::create_directories(dir.File("OUT"));
    cRecorder r;
    r.core.TargetFolder(dir.File("OUT"));
    ASSERT_TRUE(r.core.ExtractFile(source));
    EXPECT_EQ(r.core.IconsSaved(), 12);
    EXPECT_TRUE(fs::exists(dir.File("OUT/SHELL3274.ico")));
    EXPECT_TRUE(fs::exists(dir.File("OUT/SHELL323VISTA.ico")));
    EXPECT_TRUE(fs::exists(dir.File("OUT/SHELL3212100.ico")));
    EXPECT_EQ(r.core.OutputFileName(7, "SHELL32"), dir.File("OUT/SHELL3274.ico"));
    EXPECT_EQ(r.core.ItemText(3), "VISTA");
    // A target folder that is the root gets no second separator.
    r.core.TargetFolder("/");
    EXPECT_EQ(r.core.OutputFileName(7, "SHELL32"), "/SHELL3274.ico");
}

TEST(Extractor, StatusTextsAndCounts) {
    cTempDir out;
    cRecorder r;
    r.core.TargetFolder(out.Path().string());
    const std::string good = Fixture("modules/good32.dll");
    ASSERT_TRUE(r.core.LoadFileIcons(good));
    std::vector<std::string> expected = {"Checking for resources...", "Getting icon resources..."};
    for (int i = 1; i <= 8; ++i) expected.push_back("Loading icon " + std::to_string(i) + " of 8...");
    expected.push_back(good);
    EXPECT_EQ(r.status, expected);
    EXPECT_EQ(r.core.IconCount(), 8);
    EXPECT_EQ(r.displays, 1);
    r.core.SourceFile(good);
    ASSERT_TRUE(r.core.SaveFileIcons());
    EXPECT_EQ(Listing(out.Path().string()),
              (std::vector<std::string>{"good321APPICON.ico", "good322MAINICON.ico", "good3231.ico", "good3243.ico",
                                        "good3255.ico", "good3267.ico", "good3279.ico", "good32840000.ico"}));
    // Each file is the group as loaded and saved.
    cFileIcon five;
    ASSERT_TRUE(five.LoadIconFromEXE(good, 5, {}));
    EXPECT_EQ(ReadBytes(out.File("good3255.ico")), five.IcoBytes());
    EXPECT_EQ(r.core.IconsSaved(), 8);
    EXPECT_EQ(r.core.TotalText(), "Total icons saved: 8");

    struct {
        const char* fixture;
        bool result;
        std::vector<std::string> lastStatus;
        std::int32_t error;
        std::int32_t iconCount;
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
        EXPECT_EQ(rec.core.LoadFileIcons(Fixture(c.fixture)), c.result);
        ASSERT_GE(rec.status.size(), 2u);
        EXPECT_EQ(std::vector<std::string>(rec.status.end() - 2, rec.status.end()), c.lastStatus);
        EXPECT_EQ(rec.core.IconCount(), c.iconCount);
        if (c.error == 0) {
            EXPECT_TRUE(rec.errors.empty());
        } else {
            ASSERT_EQ(rec.errors.size(), 1u);
            EXPECT_EQ(rec.errors[0].Number(), c.error);
        }
    }
}

TEST(Extractor, IconFileSourceIsNamedByItsBaseName) {
    cTempDir out;
    cRecorder r;
    r.core.TargetFolder(out.Path().string());
    ASSERT_TRUE(r.core.ExtractFile(Fixture("icons/six.ico")));
    EXPECT_EQ(r.core.ItemText(1), Fixture("icons/six.ico"));
    EXPECT_EQ(Listing(out.Path().string()), (std::vector<std::string>{"six1.ico"}));
    EXPECT_EQ(ReadBytes(out.File("six1.ico")), ReadBytes(Fixture("icons/six.ico")));
}

TEST(Extractor, SaveFailuresAndStopping) {
    cTempDir out;
    // A target folder that does not exist: the first group fails, the rest of the file is skipped.
    {
        cRecorder r;
        r.core.TargetFolder(out.File("missing"));
        EXPECT_FALSE(r.core.ExtractFile(Fixture("modules/good32.dll")));
        EXPECT_EQ(r.core.IconsSaved(), 0);
        ASSERT_EQ(r.errors.size(), 1u);
        EXPECT_EQ(r.errors[0].Number(), cFileIcon::kErrCantWrite);
        EXPECT_EQ(r.status.back(), "Couldn't open file for writing.");
    }
    // A group without images cannot be saved: "Icon contains no images." in the status strip.
    {
        cRecorder r;
        r.core.TargetFolder(out.Path().string());
        r.core.SourceFile(Fixture("modules/broken32.dll"));
        std::vector<cFileIcon> icons(2);
        ASSERT_TRUE(icons[0].LoadIconFromEXE(r.core.SourceFile(), 1, {}));
        ASSERT_FALSE(icons[1].LoadIconFromEXE(r.core.SourceFile(), 22, {}));
        r.core.GiveIcons(std::move(icons), 2);
        EXPECT_FALSE(r.core.SaveFileIcons());
        EXPECT_EQ(r.core.IconsSaved(), 1);
        EXPECT_EQ(r.status.back(), "Icon contains no images.");
    }
    // Stop after two groups: the total counts what was written.
    {
        cTempDir stopped;
        cRecorder r;
        r.core.TargetFolder(stopped.Path().string());
        r.stopAfter = 2;
        EXPECT_FALSE(r.core.ExtractFile(Fixture("modules/sample.dll")));
        EXPECT_EQ(r.core.IconsSaved(), 2);
        EXPECT_EQ(Listing(stopped.Path().string()).size(), 2u);
    }
}

TEST(Extractor, PictureErrorsAreReportedAndLoadingGoesOn) {
    cTempDir out;
    cRecorder r;
    r.core.TargetFolder(out.Path().string());
    cExtractor::cHooks h;
    h.ReportError = [&](const cError& e) { r.errors.push_back(e); };
    int pictures = 0;
    h.GroupLoaded = [&](std::int32_t i, const cFileIcon&) {
        ++pictures;
        if (i == 2) cError::RaiseRuntime(cError::kInvalidPicture);
        if (i == 3) cError::RaiseRuntime(cError::kObjectNotSet);
    };
    r.core.SetHooks(h);
    ASSERT_TRUE(r.core.ExtractFile(Fixture("modules/good32.dll")));
    EXPECT_EQ(pictures, 8);
    EXPECT_EQ(r.core.IconsSaved(), 8);
    ASSERT_EQ(r.errors.size(), 2u);
    EXPECT_EQ(r.errors[0].Number(), cError::kInvalidPicture);

    // Any other error from the pictures ends the file like a load failure.
    h.GroupLoaded = [&](std::int32_t, const cFileIcon&) { cError::RaiseRuntime(cError::kOverflow); };
    r.core.SetHooks(h);
    EXPECT_FALSE(r.core.LoadFileIcons(Fixture("modules/good32.dll")));
    EXPECT_EQ(r.core.IconCount(), 0);
}

// Names longer than a file name may be keep their start and get a hash of the whole name: every
// group is saved, under a name that the same group always gets and that no other group gets.
TEST(Extractor, NamesTooLongForTheFileSystemAreShortened) {
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

    auto extract = [&](cRecorder& r, std::vector<std::pair<std::string, std::string>>* shortened) {
        if (shortened) {
            cExtractor::cHooks h;
            h.ReportError = [&r](const cError& e) { r.errors.push_back(e); };
            h.Renamed = [&r](const std::string& a, const std::string& b, cExtractor::eRename) {
                r.renamed.emplace_back(a, b);
            };
            h.Shortened = [shortened](const std::string& a, const std::string& b) { shortened->emplace_back(a, b); };
            r.core.SetHooks(std::move(h));
        }
        r.core.TargetFolder(out.Path().string());
        r.core.StartRun({module});
        EXPECT_TRUE(r.core.ExtractFile(module));
        r.core.FinishRun();
        for (const auto& e : r.errors) ADD_FAILURE() << e.what();
        EXPECT_EQ(r.core.IconsSaved(), static_cast<std::int32_t>(names.size()));
    };
    cRecorder r;
    std::vector<std::pair<std::string, std::string>> shortened;
    extract(r, &shortened);
    const auto files = Listing(out.Path().string());
    ASSERT_EQ(files.size(), names.size());
    for (const auto& f : files) EXPECT_LE(f.size(), cExtractor::kMaxNameBytes) << f;

    // The long ones, and the collision among them, are reported with what they wanted.
    const std::string l(300, 'L');
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
    EXPECT_EQ(cExtractor::FitFileName(shortened[1].first), shortened[1].second);

    // The same run again gives the same names; without a Shortened hook, Renamed reports them.
    cRecorder again;
    extract(again, nullptr);
    EXPECT_EQ(Listing(out.Path().string()), files);
    ASSERT_EQ(again.renamed.size(), 4u);
    EXPECT_EQ(again.renamed[1], shortened[1]);
}

// A run never loses an icon to a name clash, and replaces the files the user had only after one
// flush for the whole run: x86 and x64 copies of one DLL, a link planted at an output name, an
// icon-file source whose output name is another source, the same source listed twice.
TEST(Extractor, ARunKeepsEveryOutputAndFlushesOnce) {
    cTempDir dir;
    for (const char* d : {"x86", "x64", "out", "icons"}) fs::create_directories(dir.File(d));
    const std::string x86 = dir.File("x86/good.dll"), x64 = dir.File("x64/good.dll");
    fs::copy_file(Fixture("modules/good32.dll"), x86);
    fs::copy_file(Fixture("modules/good64.dll"), x64);
    const std::string victim = dir.File("victim.txt");
    WriteBytes(victim, {'k', 'e', 'e', 'p'});
    fs::create_symlink(victim, dir.File("out/good1APPICON.ico"));
    cRecorder r;
    r.core.TargetFolder(dir.File("out"));
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        r.renamed.clear();
        r.why.clear();
        r.core.StartRun({x86, x64});
        const auto before = cAtomicFile::Flushes();
        ASSERT_TRUE(r.core.ExtractFile(x86));
        ASSERT_TRUE(r.core.ExtractFile(x64));
        EXPECT_EQ(cAtomicFile::Flushes(), before) << "no flush per file";
        r.core.FinishRun();
        // The first run found an empty folder; the second replaces the first's 16 files.
        EXPECT_EQ(cAtomicFile::Flushes() - before, round == 1 ? 0u : 1u);
        EXPECT_EQ(r.core.IconsSaved(), 16);
        EXPECT_EQ(r.core.TotalText(), "Total icons saved: 16 (9 were saved under another name; see the log)");
        EXPECT_EQ(Listing(dir.File("out")).size(), 17u) << "16 icons and the link";
        // Each group 1 meets the link first; x64's then passes x86's file too.
        std::vector<cExtractor::eRename> why(9, cExtractor::eRename::kOtherSource);
        why[0] = why[1] = cExtractor::eRename::kLink;
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
    cRecorder icons;
    icons.core.TargetFolder(dir.File("icons"));
    icons.core.StartRun({tool, tool1});
    ASSERT_TRUE(icons.core.ExtractFile(tool));
    ASSERT_TRUE(icons.core.ExtractFile(tool1));
    icons.core.FinishRun();
    EXPECT_EQ(ReadBytes(tool1), ReadBytes(Fixture("icons/ten.ico")));
    EXPECT_EQ(ReadBytes(dir.File("icons/tool1~2.ico")), ReadBytes(Fixture("icons/six.ico")));
    EXPECT_EQ(icons.why, std::vector<cExtractor::eRename>{cExtractor::eRename::kSource});
    EXPECT_EQ(icons.core.IconsSaved(), 2);

    // The same source twice writes the same names again and counts them once.
    cTempDir twice;
    cRecorder again;
    again.core.TargetFolder(twice.Path().string());
    again.core.StartRun({x86, x86});
    ASSERT_TRUE(again.core.ExtractFile(x86));
    ASSERT_TRUE(again.core.ExtractFile(x86));
    again.core.FinishRun();
    EXPECT_TRUE(again.renamed.empty());
    EXPECT_EQ(again.core.IconsSaved(), 8);
    EXPECT_EQ(Listing(twice.Path().string()).size(), 8u);
}

// Every hazard at an output name: refused or passed by, never written through, never hanging.
TEST(Extractor, OutputHazards) {
    ExpectSafeWrites(
        "good321APPICON.ico",
        [](const std::string& folder) {
            cExtractor core;
            core.TargetFolder(folder);
            core.StartRun();
            const bool ok = core.ExtractFile(Fixture("modules/good32.dll"));
            core.FinishRun();
            return ok && core.IconsSaved() == 8;
        },
        eLinks::kNeverThrough);
}
