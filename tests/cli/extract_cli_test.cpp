// pictrix-cli list and extract, run as a user runs them.

#include <filesystem>

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "fixtures/mCraft.h"
#include "icon/cFileIcon.h"
#include "platform/cModuleFile.h"

using namespace mTestKit;
namespace fs = std::filesystem;

namespace {

const std::string kCli = std::string(PICTRIX_BINARY_DIR) + "/pictrix-cli";

} // namespace

// Each group's file holds what the loader reads of the group (the loader itself is held against
// wrestool in the icon tests).
TEST(ExtractCli, WritesEveryGroupUnderItsName) {
    cTempDir out;
    std::string stdoutText;
    const std::vector<std::string> modules = {"modules/good32.dll", "modules/good64.exe", "modules/sample.dll",
                                              "modules/good.icl"};
    std::string args = "extract -o " + Quote(out.Path().string());
    for (const auto& m : modules) args += " " + Quote(Fixture(m));
    ASSERT_EQ(Cli(args, &stdoutText), 0) << stdoutText;
    EXPECT_NE(stdoutText.find("Loading icon 3 of 9...\n"), std::string::npos);
    EXPECT_NE(stdoutText.find("\nTotal icons saved: 34\n"), std::string::npos) << stdoutText;

    // A group stored in two languages is saved once per language, the language in its name.
    struct {
        const char* file;
        const char* module;
        const char* group;
        std::uint16_t language = 0;
    } cases[] = {
        {"good321APPICON.ico", "modules/good32.dll", "APPICON"},
        {"good322MAINICON.ico", "modules/good32.dll", "MAINICON"},
        {"good3231.ico", "modules/good32.dll", "1"},
        {"good3243.ico", "modules/good32.dll", "3"},
        {"good3255.ico", "modules/good32.dll", "5"},
        {"good3267.ico", "modules/good32.dll", "7"},
        {"good3279 [de-DE].ico", "modules/good32.dll", "9", 0x407},
        {"good3289 [en-US].ico", "modules/good32.dll", "9", 0x409},
        {"good32940000.ico", "modules/good32.dll", "40000"},
        {"good642MAINICON.ico", "modules/good64.exe", "MAINICON"},
        {"good64940000.ico", "modules/good64.exe", "40000"},
        {"sample3VISTA.ico", "modules/sample.dll", "VISTA"},
        {"sample1PNG256.ico", "modules/sample.dll", "PNG256"},
        {"sample107.ico", "modules/sample.dll", "7"},
        {"sample12100.ico", "modules/sample.dll", "100"},
        {"good11.ico", "modules/good.icl", "1"},
        {"good22.ico", "modules/good.icl", "2"},
        {"good3AppIcon.ico", "modules/good.icl", "AppIcon"},
        {"good45.ico", "modules/good.icl", "5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        ASSERT_TRUE(fs::exists(out.File(c.file)));
        cFileIcon group;
        const std::string id = c.group;
        const bool number = id.find_first_not_of("0123456789") == std::string::npos;
        if (c.language != 0) {
            cModuleFile module;
            ASSERT_TRUE(module.Load(Fixture(c.module)));
            ASSERT_TRUE(group.LoadGroupFromEXE(module, {cFileIcon::eKind::kIcon, std::stoi(id), c.language, true}));
        } else {
            ASSERT_TRUE(group.LoadIconFromEXE(Fixture(c.module), number ? std::stoi(id) : 0, number ? "" : id));
        }
        EXPECT_EQ(ReadBytes(out.File(c.file)), group.IcoBytes());
    }
}

TEST(ExtractCli, ExitStatusAndErrors) {
    cTempDir out;
    std::string o, e;
    // A file that is no module fails; the others are still extracted. (A module without resources
    // is no failure: the collections' tests.)
    const std::string notModule = out.File("notes.dll");
    mTestKit::WriteBytes(notModule, {'M', 'Z', 'n', 'o'});
    EXPECT_EQ(Cli("extract -o " + Quote(out.Path().string()) + " " + Quote(notModule) + " " +
                      Quote(Fixture("modules/good.icl")),
                  &o, &e),
              1);
    EXPECT_NE(e.find("pictrix-cli: " + notModule + ": "), std::string::npos) << e;
    EXPECT_NE(o.find("Total icons saved: 4\n"), std::string::npos) << o;
    EXPECT_EQ(Cli("extract", &o, &e), 2);
    EXPECT_EQ(Cli("extract -o", &o, &e), 2);
    EXPECT_EQ(Cli("extract -x " + Quote(Fixture("modules/good.icl")), &o, &e), 2);
    // The default folder is the current one; a bare file name works.
    const std::string copy = out.File("copy.icl");
    fs::copy_file(Fixture("modules/good.icl"), copy);
    EXPECT_EQ(mTestKit::Run("cd " + Quote(out.Path().string()) + " && " + kCli + " extract copy.icl >/dev/null"), 0);
    EXPECT_TRUE(fs::exists(out.File("copy3AppIcon.ico")));
}

TEST(ListCli, OneLinePerGroup) {
    std::string o, e;
    ASSERT_EQ(Cli("list " + Quote(Fixture("modules/good32.dll")) + " " + Quote(Fixture("icons/depth4.ico")), &o, &e), 0)
        << e;
    EXPECT_NE(o.find("good32.dll: 9 icon groups\n"), std::string::npos) << o;
    // Group 9 is stored in two languages: one line each, named with its language.
    EXPECT_NE(o.find("\n7\t9 [de-DE]\t2\t32x32 4-bit, 16x16 4-bit\n8\t9 [en-US]\t2\t32x32 32-bit, 32x32 32-bit\n"),
              std::string::npos)
        << o;
    EXPECT_NE(o.find("\n5\t5\t3\t32x32 4-bit, 16x16 4-bit, 32x32 8-bit\n"), std::string::npos) << o;
    EXPECT_NE(o.find("\n2\tMAINICON\t3\t"), std::string::npos) << o;
    EXPECT_NE(o.find("depth4.ico: 1 icon group\n1\t-\t2\t32x32 4-bit, 16x16 4-bit\n"), std::string::npos) << o;
    EXPECT_EQ(Cli("list " + Quote(Fixture("modules/broken32.dll")), &o, &e), 1);
    EXPECT_NE(e.find("Failed to read bitmap bits from resource."), std::string::npos) << e;
    EXPECT_EQ(Cli("list", &o, &e), 2);
}

// Cursor groups come after the icon groups, marked, each image with its hotspot; cursor files
// list as one cursor group.
TEST(ListCli, CursorGroupsAfterIconGroups) {
    std::string o, e;
    ASSERT_EQ(Cli("list " + Quote(Fixture("modules/cursors32.dll")) + " " + Quote(Fixture("cursors/two.cur")), &o, &e),
              0)
        << e;
    EXPECT_NE(o.find("cursors32.dll: 3 icon groups, 4 cursor groups\n1\t1 [de-DE]\t2\t"), std::string::npos) << o;
    EXPECT_NE(o.find("\n4\tPOINTER\tcursor\t1\t32x32 1-bit hotspot 7,9\n5\t1\tcursor\t1\t32x32 32-bit hotspot 3,5\n"),
              std::string::npos)
        << o;
    EXPECT_NE(o.find("\n7\t2 [en-US]\tcursor\t2\t16x16 8-bit hotspot 1,2, 32x32 8-bit hotspot 1,2\n"),
              std::string::npos)
        << o;
    EXPECT_NE(o.find("two.cur: 0 icon groups, 1 cursor group\n1\t-\tcursor\t2\t"), std::string::npos) << o;
}

// extract writes icon groups alone unless asked for cursors; then every cursor group too, as
// .cur files named as icons are, each in every language it is stored in.
TEST(ExtractCli, CursorsWhenAsked) {
    cTempDir out;
    std::string o, e;
    const std::string module = Fixture("modules/cursors64.dll");
    ASSERT_EQ(Cli("extract -o " + Quote(out.Path().string()) + " " + Quote(module), &o, &e), 0) << e;
    EXPECT_NE(o.find("Total icons saved: 3\n"), std::string::npos) << o;
    ASSERT_EQ(Cli("extract --cursors --manifest " + Quote(out.File("m.jsonl")) + " -o " + Quote(out.Path().string()) +
                      " " + Quote(module),
                  &o, &e),
              0)
        << e;
    EXPECT_NE(o.find("Total icons saved: 7; 3 already held the same bytes"), std::string::npos) << o;
    for (const char* name :
         {"cursors6411 [de-DE].ico", "cursors6421 [en-US].ico", "cursors6431 [fr-FR].ico", "cursors644POINTER.cur",
          "cursors6451.cur", "cursors6462 [de-DE].cur", "cursors6472 [en-US].cur"})
        EXPECT_TRUE(fs::exists(out.File(name))) << name;
    EXPECT_EQ(ReadBytes(out.File("cursors6451.cur")), ReadBytes(Fixture("cursors/arrow.cur")));
    const auto manifest = ReadBytes(out.File("m.jsonl"));
    const std::string text(manifest.begin(), manifest.end());
    EXPECT_NE(text.find("\"kind\":\"cursor\",\"position\":4,\"id\":\"POINTER\",\"language\":\"en-US\""),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\"kind\":\"icon\",\"position\":3,\"id\":1,\"language\":\"fr-FR\""), std::string::npos) << text;
    EXPECT_NE(text.find("\"hotspot\":{\"x\":3,\"y\":5}"), std::string::npos) << text;
}

// A module of a good icon group and cursor groups: two good ones, whose entries store the image's
// height twice (as windres does) and once (as other compilers do), both listed and saved at the
// image's own size; and one damaged group per case, which fails alone: listed in its place as
// failed, with a failed record in the manifest, the other groups listed and saved, status 1.
TEST(ListCli, CursorsAtTheirOwnSizeAndADamagedGroupFailsAlone) {
    struct {
        const char* name;
        mCraft::tBytes group; // cursor group 3
        const char* says;
    } cases[] = {
        {"none damaged", mCraft::CursorGroupDir({1}, 32), nullptr},
        {"a missing image", mCraft::CursorGroupDir({9}, 32), "Failed to read bitmap bits from resource."},
        {"a 3-byte image", mCraft::CursorGroupDir({3}, 32), "Failed to read bitmap bits from resource."},
        {"a count past the group", mCraft::CursorGroupDir({1}, 32, 4), "Can't find icons."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cTempDir dir;
        mCraft::cPeSpec spec;
        spec.icons.push_back({{}, 1, mCraft::IconImage()});
        spec.groups.push_back({{}, 1, mCraft::GroupDir({1}, 296)});
        spec.cursors = {{{}, 1, mCraft::CursorImage(2, 3)}, {{}, 2, mCraft::CursorImage(4, 5)}, {{}, 3, {0, 0, 0}}};
        spec.cursorGroups = {
            {{}, 1, mCraft::CursorGroupDir({1}, 32)}, {{}, 2, mCraft::CursorGroupDir({2}, 16)}, {{}, 3, c.group}};
        const std::string module = dir.File("m.dll");
        WriteBytes(module, mCraft::Pe32(spec));
        std::string o, e;
        const int status = c.says ? 1 : 0;
        EXPECT_EQ(Cli("list " + Quote(module), &o, &e), status) << e;
        EXPECT_NE(o.find(": 1 icon group, " + std::string(c.says ? "2 cursor groups, 1 not read" : "3 cursor groups") +
                         "\n1\t1\t1\t16x16 4-bit\n2\t1\tcursor\t1\t16x16 4-bit hotspot 2,3\n3\t2\tcursor\t1\t16x16 "
                         "4-bit hotspot 4,5\n4\t3\tcursor\t"),
                  std::string::npos)
            << o;
        if (c.says) {
            EXPECT_NE(o.find("\n4\t3\tcursor\tfailed: "), std::string::npos) << o;
            EXPECT_NE(e.find(": cursor group 3: "), std::string::npos) << e;
            EXPECT_NE(e.find(c.says), std::string::npos) << e;
        }
        // Each rendered by its place in the list; the damaged one fails with its own error.
        EXPECT_EQ(Cli("render " + Quote(module) + " --group 3 -o " + Quote(dir.File("c.png")), &o, &e), 0) << e;
        EXPECT_EQ(Cli("render " + Quote(module) + " --group 4 -o " + Quote(dir.File("d.png")), &o, &e), status) << e;
        const std::string manifest = dir.File("m.jsonl");
        EXPECT_EQ(Cli("extract --cursors --quiet --manifest " + Quote(manifest) + " -o " + Quote(dir.Path().string()) +
                          " " + Quote(module),
                      &o, &e),
                  status)
            << e;
        EXPECT_NE(o.find("Total icons saved: " + std::string(c.says ? "3" : "4")), std::string::npos) << o;
        // The saved .cur's directory gives the image's own size: 16 x 16.
        for (const char* saved : {"m21.cur", "m32.cur"}) {
            const auto cur = ReadBytes(dir.File(saved));
            ASSERT_GE(cur.size(), 8u) << saved;
            EXPECT_EQ(cur[6], 16);
            EXPECT_EQ(cur[7], 16);
        }
        const auto m = ReadBytes(manifest);
        const std::string text(m.begin(), m.end());
        EXPECT_NE(text.find("\"position\":3,\"id\":2,\"language\":\"en-US\",\"images\":[{\"width\":16,\"height\":16"),
                  std::string::npos)
            << text;
        if (c.says) {
            EXPECT_NE(text.find("\"position\":4,\"id\":3,\"language\":\"en-US\",\"images\":[],\"output\":null,"
                                "\"sha256\":null,\"status\":\"failed\",\"error\":\"" +
                                std::string(c.says) + "\"}"),
                      std::string::npos)
                << text;
        }
    }
}

// An animated cursor named as a cursor file, and a cursor named as an icon file, are read as
// what their bytes are.
TEST(ListCli, CursorsAreToldByTheirBytes) {
    cTempDir dir;
    mCraft::cAniShape shape;
    shape.frames = {mCraft::CurFile(1, 2), mCraft::CurFile(3, 4)};
    WriteBytes(dir.File("busy.cur"), mCraft::Ani(shape));
    WriteBytes(dir.File("arrow.ico"), mCraft::CurFile(5, 6));
    std::string o, e;
    EXPECT_EQ(Cli("list " + Quote(dir.File("busy.cur")) + " " + Quote(dir.File("arrow.ico")), &o, &e), 0) << e;
    EXPECT_NE(o.find("busy.cur: 0 icon groups, 2 cursor groups\n1\tFrame 1\tcursor\t1\t16x16 4-bit hotspot 1,2\n"),
              std::string::npos)
        << o;
    EXPECT_NE(o.find("arrow.ico: 0 icon groups, 1 cursor group\n1\t-\tcursor\t1\t16x16 4-bit hotspot 5,6\n"),
              std::string::npos)
        << o;
    EXPECT_EQ(Cli("info " + Quote(dir.File("busy.cur")), &o, &e), 0) << e;
    EXPECT_NE(o.find("animated cursor: 2 frames"), std::string::npos) << o;
}

// A source named on the command line is never replaced by an output that takes its name, however
// far behind it is listed and whichever job loads it.
TEST(ExtractCli, ANamedSourceIsNeverReplaced) {
    cTempDir dir;
    fs::copy_file(Fixture("icons/six.ico"), dir.File("a.ico"));
    fs::copy_file(Fixture("icons/multi.ico"), dir.File("a1.ico"));
    const auto before = ReadBytes(dir.File("a1.ico"));
    for (const char* jobs : {"1", "8"}) {
        SCOPED_TRACE(jobs);
        std::string e;
        EXPECT_EQ(Cli(std::string("extract --jobs ") + jobs + " -o " + Quote(dir.Path().string()) + " " +
                          Quote(dir.File("a.ico")) + " " + Quote(dir.File("a1.ico")),
                      nullptr, &e),
                  0)
            << e;
        EXPECT_EQ(ReadBytes(dir.File("a1.ico")), before);
        EXPECT_NE(e.find("is one of the files this run extracts from"), std::string::npos) << e;
    }
}
