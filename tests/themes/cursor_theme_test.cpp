// pictrix-cli cursor-theme on packs made from the fixtures: the Xcursor files are read back by
// libXcursor itself (tests/themes/xcursor_check.py, through ctypes) and compared with the source
// cursors as ImageMagick decodes them, hotspots and rates read from the sources' own bytes; the
// names of docs/cursor-themes.md are looked up through libXcursor's theme search.

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include <gtest/gtest.h>

#include "base/mJson.h"
#include "common/mTestKit.h"
#include "fixtures/mCraft.h"

using namespace mTestKit;
namespace fs = std::filesystem;

namespace {

std::string Checker() {
    return Quote(PICTRIX_PYTHON) + " " + Quote(PICTRIX_SOURCE_DIR "/tests/themes/xcursor_check.py");
}

// The cursor `file` of the theme holds the source's images (see the checker's "compare").
void ExpectSame(const std::string& xcursor, const std::string& source, const std::string& scaled = {}) {
    std::string out;
    const int status =
        mTestKit::Run(Checker() + " compare " + Quote(xcursor) + " " + Quote(source) + " " + scaled, &out);
    EXPECT_EQ(status, 0) << xcursor << " vs " << source << ": " << out;
}

// An animated cursor of the three fixture cursors (32 pixels each; two.cur has 16 too), shown
// 1 2 3 2 at rates that round both ways: 5 jiffies is 83.3 ms, 7 is 116.7, 1 is 16.7, 0 is 0.
std::vector<std::uint8_t> Animation(bool damagedFrame = false) {
    mCraft::cAniShape shape;
    shape.frames = {ReadBytes(Fixture("cursors/arrow.cur")), ReadBytes(Fixture("cursors/two.cur")),
                    ReadBytes(Fixture("cursors/mono.cur"))};
    if (damagedFrame) shape.frames[1].resize(30);
    shape.sequence = {0, 1, 2, 1};
    shape.rates = {5, 7, 1, 0};
    return mCraft::Ani(shape);
}

void Copy(const std::string& fixture, const std::string& to) { WriteBytes(to, ReadBytes(Fixture(fixture))); }

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A role of the JSON report by its value name.
const mJson::cValue* Role(const mJson::cValue& report, const std::string& role) {
    const mJson::cValue* roles = report.Find("roles");
    if (!roles) return nullptr;
    for (const auto& r : roles->Items())
        if (r.String("role") == role) return &r;
    return nullptr;
}

std::vector<std::int64_t> Numbers(const mJson::cValue* list) {
    std::vector<std::int64_t> out;
    if (list)
        for (const auto& n : list->Items()) out.push_back(static_cast<std::int64_t>(n.number));
    return out;
}

// The rows of the table in docs/cursor-themes.md: value name -> Xcursor names, first the file.
std::vector<std::pair<std::string, std::vector<std::string>>> DocumentedNames() {
    std::vector<std::pair<std::string, std::vector<std::string>>> rows;
    std::istringstream doc(ReadText(PICTRIX_SOURCE_DIR "/docs/cursor-themes.md"));
    const std::regex row(R"(^\| \d+ \| (\w+) \|.*\| ([^|]*) \|$)");
    const std::regex name("`([^`]+)`");
    for (std::string line; std::getline(doc, line);) {
        std::smatch m;
        if (!std::regex_match(line, m, row)) continue;
        std::vector<std::string> names;
        const std::string cell = m[2];
        for (std::sregex_iterator it(cell.begin(), cell.end(), name), end; it != end; ++it) names.push_back((*it)[1]);
        rows.emplace_back(m[1], names);
    }
    return rows;
}

const char* kSchemeInf = "; a pack's installer\r\n[Version]\r\nsignature=\"$CHICAGO$\"\r\n"
                         "[DefaultInstall]\r\nCopyFiles = Scheme.Cur\r\nAddReg = Scheme.Reg\r\n"
                         "[DestinationDirs]\r\nScheme.Cur = 10,\"%CUR_DIR%\"\r\n"
                         "[Scheme.Reg]\r\nHKCU,\"Control Panel\\Cursors\\Schemes\",\"%SCHEME_NAME%\",,\""
                         "%10%\\%CUR_DIR%\\%pointer%,%10%\\%CUR_DIR%\\%help%,%10%\\%CUR_DIR%\\%work%,"
                         "%10%\\%CUR_DIR%\\%busy%,,,,%10%\\%CUR_DIR%\\%unavailiable%\"\r\n"
                         "[Scheme.Cur]\r\narrow.cur\r\n"
                         "[Strings]\r\nCUR_DIR = \"Cursors\\Glass Pack\"\r\nSCHEME_NAME = \"Glass Pack\"\r\n"
                         "pointer = \"Arrow.CUR\"\r\nhelp = \"help.cur\"\r\nwork = \"working.ani\"\r\n"
                         "busy = \"busy.ani\"\r\nunavailable = \"unavailable.cur\"\r\n";

} // namespace

// An INF of the scheme-string form: strings, folder ids, a name in the wrong case, the misspelt key,
// a file the pack lacks and a damaged animation. What the INF names and the pack holds is
// converted exactly; the rest is named in the report and the exit status is 1.
TEST(CursorTheme, SchemeStringPack) {
    cTempDir dir;
    const std::string pack = dir.File("Glass");
    fs::create_directories(pack);
    Copy("cursors/arrow.cur", pack + "/arrow.cur"); // the INF says Arrow.CUR
    Copy("cursors/two.cur", pack + "/help.cur");
    WriteBytes(pack + "/working.ani", Animation());
    WriteBytes(pack + "/busy.ani", Animation(true));
    WriteText(pack + "/install.inf", kSchemeInf);
    std::string out, err;
    ASSERT_EQ(Cli("cursor-theme " + Quote(pack) + " -o " + Quote(dir.File("icons")) + " --report " +
                      Quote(dir.File("report.json")),
                  &out, &err),
              1)
        << out << err;
    const std::string theme = dir.File("icons/Glass Pack");
    ExpectSame(theme + "/cursors/default", pack + "/arrow.cur");
    ExpectSame(theme + "/cursors/help", pack + "/help.cur");
    ExpectSame(theme + "/cursors/progress", pack + "/working.ani");
    EXPECT_FALSE(fs::exists(theme + "/cursors/wait"));
    EXPECT_FALSE(fs::exists(theme + "/cursors/not-allowed"));
    EXPECT_EQ(ReadText(theme + "/index.theme").find("[Icon Theme]\nName=Glass Pack\n"), 0u);
    EXPECT_NE(out.find("gsettings set org.gnome.desktop.interface cursor-theme 'Glass Pack'"), std::string::npos);

    const auto report = mJson::ParseObject(ReadText(dir.File("report.json")));
    ASSERT_TRUE(report) << ReadText(dir.File("report.json"));
    EXPECT_EQ(report->String("scheme"), "Glass Pack");
    const mJson::cValue* arrow = Role(*report, "Arrow");
    ASSERT_TRUE(arrow);
    EXPECT_EQ(arrow->String("status"), "converted");
    EXPECT_EQ(arrow->String("file"), "Arrow.CUR");
    const mJson::cValue* working = Role(*report, "AppStarting");
    ASSERT_TRUE(working);
    // 5, 7, 1 and 0 jiffies: 83.3, 116.7, 16.7 and 0 ms, rounded, at least 1.
    EXPECT_EQ(Numbers(working->Find("delays")), (std::vector<std::int64_t>{83, 117, 17, 1}));
    EXPECT_EQ(Numbers(working->Find("sizes")), (std::vector<std::int64_t>{32}));
    const mJson::cValue* busy = Role(*report, "Wait");
    ASSERT_TRUE(busy);
    EXPECT_EQ(busy->String("status"), "skipped");
    EXPECT_NE(busy->String("error")->find("animated cursor"), std::string::npos) << *busy->String("error");
    const mJson::cValue* no = Role(*report, "No");
    ASSERT_TRUE(no);
    EXPECT_EQ(no->String("status"), "missing");
    EXPECT_NE(no->String("error")->find("unavailable.cur"), std::string::npos);
    EXPECT_EQ(Role(*report, "Hand")->String("status"), "absent");
    EXPECT_NE(out.find("Wait (Busy): SKIPPED: busy.ani"), std::string::npos) << out;
    EXPECT_NE(out.find("No (Unavailable): MISSING"), std::string::npos) << out;
}

// Per-role lines in a [Wreg] section, the INF given itself, --sizes: what a cursor lacks is made
// from the nearest larger size with its hotspot scaled; never from a smaller one unless asked.
TEST(CursorTheme, PerRoleInfAndSizes) {
    cTempDir dir;
    const std::string pack = dir.File("pack");
    fs::create_directories(pack);
    Copy("cursors/arrow.cur", pack + "/a.cur");
    Copy("cursors/two.cur", pack + "/b.cur");
    WriteText(pack + "/Setup.INF", "[DefaultInstall]\nAddReg=Wreg\n[Wreg]\n"
                                   "HKCU,\"Control Panel\\Cursors\",,0x00020000,\"Roles\"\n"
                                   "HKCU,\"Control Panel\\Cursors\",Arrow,0x00020000,\"%10%\\Cursors\\A.cur\"\n"
                                   "HKCU,\"Control Panel\\Cursors\",Hand,0x00020000,\"%10%\\Cursors\\b.cur\"\n");
    std::string out, err;
    ASSERT_EQ(Cli("cursor-theme " + Quote(pack + "/Setup.INF") + " -o " + Quote(dir.File("icons")) +
                      " --sizes 24,16,48 --report -",
                  &out, &err),
              0)
        << out << err;
    const std::string theme = dir.File("icons/Roles/cursors/");
    ExpectSame(theme + "default", pack + "/a.cur", "16/32 24/32");
    ExpectSame(theme + "pointer", pack + "/b.cur", "24/32");
    const auto report = mJson::ParseObject(out);
    ASSERT_TRUE(report) << out;
    const mJson::cValue* arrow = Role(*report, "Arrow");
    ASSERT_TRUE(arrow);
    EXPECT_EQ(Numbers(arrow->Find("sizes")), (std::vector<std::int64_t>{16, 24, 32}));
    // (3, 5) at 32 pixels: (1.5, 2.5) at 16 and (2.25, 3.75) at 24, rounded.
    const std::string scaled =
        "[{\"size\":16,\"from\":32,\"hotspot\":[2,3]},{\"size\":24,\"from\":32,\"hotspot\":[2,4]}]";
    EXPECT_NE(out.find(scaled), std::string::npos) << out;
    EXPECT_NE(out.find("size 48 not made"), std::string::npos) << out;

    ASSERT_EQ(
        Cli("cursor-theme " + Quote(pack) + " -o " + Quote(dir.File("icons")) + " --sizes 48 --scale-up", &out, &err),
        0)
        << out << err;
    ExpectSame(theme + "default", pack + "/a.cur", "48/32");
    EXPECT_NE(out.find("scaled: 48 from 32, hotspot 5,8"), std::string::npos) << out;
}

// Without an INF the roles come from the files' names; a damaged file skips its role only. The
// theme lands in $XDG_DATA_HOME/icons under the folder's name, and libXcursor finds every name of
// docs/cursor-themes.md there, each the same cursor as its role's file.
TEST(CursorTheme, PackWithoutInfLoadedByName) {
    cTempDir dir;
    const std::string pack = dir.File("Plain Pack");
    fs::create_directories(pack);
    const std::vector<std::pair<std::string, std::string>> files = {{"Normal Select.cur", "cursors/arrow.cur"},
                                                                    {"Help.CUR", "cursors/two.cur"},
                                                                    {"Link Select.cur", "cursors/mono.cur"},
                                                                    {"Text.cur", "cursors/two.cur"},
                                                                    {"move.cur", "cursors/mono.cur"},
                                                                    {"vert.cur", "cursors/arrow.cur"},
                                                                    {"horz.cur", "cursors/arrow.cur"},
                                                                    {"dgn1.cur", "cursors/mono.cur"},
                                                                    {"dgn2.cur", "cursors/mono.cur"},
                                                                    {"cross.cur", "cursors/arrow.cur"},
                                                                    {"pen.cur", "cursors/two.cur"},
                                                                    {"Unavailable.cur", "cursors/mono.cur"},
                                                                    {"Alternate.cur", "cursors/two.cur"},
                                                                    {"pin.cur", "cursors/arrow.cur"},
                                                                    {"Person.cur", "cursors/two.cur"},
                                                                    {"second arrow.cur", "cursors/two.cur"}};
    for (const auto& [name, fixture] : files) Copy(fixture, pack + "/" + name);
    // Its RIFF size counting its own header, as in many packs: read to the file's end, and said.
    std::vector<std::uint8_t> working = Animation();
    PutLE32(working, 4, static_cast<std::uint32_t>(working.size()));
    WriteBytes(pack + "/Working.ani", working);
    std::vector<std::uint8_t> damaged = ReadBytes(Fixture("cursors/arrow.cur"));
    damaged.resize(damaged.size() / 2);
    WriteBytes(pack + "/Busy.cur", damaged);

    const std::string data = dir.File("data");
    std::string out;
    ASSERT_EQ(mTestKit::Run("XDG_DATA_HOME=" + Quote(data) + " " + PICTRIX_BINARY_DIR "/pictrix-cli cursor-theme " +
                                Quote(pack) + " 2>&1",
                            &out),
              1)
        << out;
    EXPECT_NE(out.find("no INF: roles told by the files' names"), std::string::npos) << out;
    EXPECT_NE(out.find("Wait (Busy): SKIPPED: Busy.cur"), std::string::npos) << out;
    EXPECT_NE(out.find("unused files: second arrow.cur"), std::string::npos) << out;
    EXPECT_NE(out.find("note: The RIFF chunk counts " + std::to_string(working.size() + 8) + " bytes; the file holds " +
                       std::to_string(working.size()) + ": read to the end of the file."),
              std::string::npos)
        << out;
    const std::string theme = data + "/icons/Plain Pack/cursors/";
    ExpectSame(theme + "default", pack + "/Normal Select.cur");
    ExpectSame(theme + "pointer", pack + "/Link Select.cur");
    ExpectSame(theme + "progress", pack + "/Working.ani");

    // Every documented name but the busy one's, through the library's theme search.
    const auto rows = DocumentedNames();
    ASSERT_EQ(rows.size(), 17u);
    std::string names;
    for (const auto& [role, list] : rows) {
        for (const std::string& n : list) names += " " + Quote(n);
    }
    std::string loaded;
    ASSERT_EQ(
        mTestKit::Run("XCURSOR_PATH=" + Quote(data + "/icons") + " " + Checker() + " theme 'Plain Pack' 32" + names,
                      &loaded),
        0);
    const auto byName = mJson::ParseObject(loaded);
    ASSERT_TRUE(byName) << loaded;
    for (const auto& [role, list] : rows) {
        SCOPED_TRACE(role);
        const mJson::cValue* file = byName->Find(list.front());
        ASSERT_TRUE(file);
        if (role == "Wait") {
            EXPECT_EQ(file->type, mJson::cValue::eType::kNull) << "a skipped role has no cursor";
            continue;
        }
        ASSERT_EQ(file->type, mJson::cValue::eType::kArray) << list.front();
        for (const std::string& alias : list) {
            const mJson::cValue* a = byName->Find(alias);
            ASSERT_TRUE(a && a->type == mJson::cValue::eType::kArray) << alias;
            EXPECT_EQ(a->Items().size(), file->Items().size()) << alias;
            for (std::size_t i = 0; i < a->Items().size() && i < file->Items().size(); ++i)
                EXPECT_EQ(a->Items()[i].Count("sum"), file->Items()[i].Count("sum")) << alias;
            EXPECT_TRUE(alias == list.front() || fs::read_symlink(theme + alias) == list.front()) << alias;
        }
    }
}

// The theme folder is replaced whole or not at all; a folder that is not a theme's, or a file, is
// never replaced. A pack without any cursor, and bad usage, answer 2.
TEST(CursorTheme, ReplacesOnlyItsOwnFoldersAndExitStatuses) {
    cTempDir dir;
    const std::string pack = dir.File("p");
    fs::create_directories(pack);
    Copy("cursors/arrow.cur", pack + "/arrow.cur");
    Copy("cursors/two.cur", pack + "/help.cur");
    const std::string icons = dir.File("icons");
    std::string out, err;
    ASSERT_EQ(Cli("cursor-theme " + Quote(pack) + " -o " + Quote(icons), &out, &err), 0) << out << err;
    ASSERT_TRUE(fs::exists(icons + "/p/cursors/question_arrow"));
    fs::remove(pack + "/help.cur");
    ASSERT_EQ(Cli("cursor-theme " + Quote(pack) + " -o " + Quote(icons), &out, &err), 0) << out << err;
    EXPECT_FALSE(fs::exists(icons + "/p/cursors/help")) << "the old theme is gone whole";
    EXPECT_TRUE(fs::exists(icons + "/p/cursors/default"));
    EXPECT_EQ(Listing(icons), (std::vector<std::string>{"p"})) << "no temporary folder is left";

    // What killed runs left: their temporary folders go with the next run writing that theme once
    // they are older than a live run could be; anything else that looks like one stays.
    const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(10);
    struct cTemp {
        const char* name;
        bool theme, aged, removed;
    };
    const cTemp temps[] = {
        {".p.tmp-Ab12Cd", true, true, true},   {".p.tmp-Ef34Gh-old", true, true, true},
        {".p.tmp-Ij56Kl", false, true, true},  {".p.tmp-Mn78Op", true, false, false},
        {".p.tmp-Qr90St", false, true, false}, {".q.tmp-Uv12Wx", true, true, false},
    };
    for (const auto& t : temps) {
        const std::string path = icons + "/" + t.name;
        fs::create_directories(path);
        if (t.theme) {
            fs::create_directories(path + "/cursors");
            WriteText(path + "/cursors/default", "half");
            WriteText(path + "/index.theme", "[Icon Theme]\n");
            if (t.aged) fs::last_write_time(path + "/cursors", old);
        } else if (!t.aged) {
            WriteText(path + "/notes.txt", "not a theme");
        }
        if (t.aged) fs::last_write_time(path, old);
    }
    // An aged folder that is not a theme's: someone else's, kept.
    WriteText(icons + "/.p.tmp-Qr90St/notes.txt", "keep");
    fs::last_write_time(icons + "/.p.tmp-Qr90St", old);
    ASSERT_EQ(Cli("cursor-theme " + Quote(pack) + " -o " + Quote(icons), &out, &err), 0) << out << err;
    for (const auto& t : temps) EXPECT_EQ(fs::exists(icons + "/" + t.name), !t.removed) << t.name;
    for (const auto& t : temps) fs::remove_all(icons + "/" + t.name);

    fs::create_directories(icons + "/mine");
    WriteText(icons + "/mine/notes.txt", "keep");
    WriteText(icons + "/file", "keep");
    for (const std::string name : {"mine", "file"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Cli("cursor-theme " + Quote(pack) + " -o " + Quote(icons) + " --name " + name, &out, &err), 1);
        EXPECT_NE(err.find(icons + "/" + name), std::string::npos) << err;
    }
    EXPECT_EQ(ReadText(icons + "/mine/notes.txt"), "keep");
    EXPECT_EQ(ReadText(icons + "/file"), "keep");
    EXPECT_EQ(Listing(icons), (std::vector<std::string>{"file", "mine", "p"}));

    // A path below a regular file: nothing can be written.
    EXPECT_EQ(Cli("cursor-theme " + Quote(pack) + " -o " + Quote(icons + "/file/sub"), &out, &err), 1);

    const std::string empty = dir.File("empty");
    fs::create_directories(empty);
    WriteText(empty + "/readme.txt", "no cursors");
    const std::pair<const char*, std::string> usage[] = {
        {"no cursor", Quote(empty)},
        {"no pack", Quote(dir.File("missing"))},
        {"nothing", ""},
        {"bad sizes", Quote(pack) + " --sizes 0,32"},
        {"sizes past the limit", Quote(pack) + " --sizes 300"},
        {"a name with a slash", Quote(pack) + " --name a/b"},
        {"unknown option", Quote(pack) + " --frobnicate"},
    };
    for (const auto& [what, args] : usage) {
        SCOPED_TRACE(what);
        EXPECT_EQ(Cli("cursor-theme " + args + " -o " + Quote(icons), &out, &err), 2) << out << err;
    }
    EXPECT_EQ(Listing(icons), (std::vector<std::string>{"file", "mine", "p"}));
}
