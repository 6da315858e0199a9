// Cursors: .cur files read and written back, cursor groups out of modules against wrestool and
// the .cur files the modules were built from, and groups stored in several languages.

#include <functional>

#include <gtest/gtest.h>

#include "base/mLanguage.h"
#include "base/mProgram.h"
#include "common/mTestKit.h"
#include "icon/cFileIcon.h"
#include "icon/mFileKind.h"
#include "icon/mWrestool.h"
#include "platform/cModuleFile.h"
#include "platform/mModulePatch.h"
#include "platform/mSysText.h"
#include "resources/mIconGroups.h"

using namespace mTestKit;

namespace {

const std::string kSource = SourceOf("cFileIcon");
constexpr std::int32_t kErrLoadIcon = static_cast<std::int32_t>(0x8004041A);

std::string Labels(const std::vector<cFileIcon>& icons) {
    std::string out;
    for (const auto& icon : icons)
        out += (out.empty() ? "" : ", ") + icon.Label() + (icon.IsCursor() ? " (cursor)" : "");
    return out;
}

} // namespace

// A .cur file reads as a cursor and is written back byte for byte; its entries' planes and bit
// count are the hotspot, so the colours come from the images' own headers.
TEST(CursorFile, ReadAndWrittenBackByteForByte) {
    struct cCase {
        const char* file;
        std::vector<cFileIcon::cHotspot> hotspots;
        std::vector<std::int32_t> colours;
    };
    const cCase cases[] = {
        {"cursors/arrow.cur", {{3, 5}}, {2147483647}},
        {"cursors/two.cur", {{1, 2}, {1, 2}}, {256, 256}},
        {"cursors/mono.cur", {{7, 9}}, {2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        cFileIcon cursor;
        ASSERT_TRUE(cursor.LoadCursor(Fixture(c.file)));
        EXPECT_TRUE(cursor.IsCursor());
        EXPECT_STREQ(cursor.FileExtension(), ".cur");
        ASSERT_EQ(cursor.ImageCount(), static_cast<std::int32_t>(c.hotspots.size()));
        for (std::int32_t n = 1; n <= cursor.ImageCount(); ++n) {
            EXPECT_EQ(cursor.Hotspot(n), c.hotspots[static_cast<std::size_t>(n - 1)]);
            EXPECT_EQ(cursor.ImageColourCount(n), c.colours[static_cast<std::size_t>(n - 1)]);
            EXPECT_FALSE(cursor.ImageArgb(n).Empty());
        }
        cTempDir dir;
        ASSERT_TRUE(cursor.SaveIcon(dir.File("copy.cur")));
        EXPECT_EQ(ReadBytes(dir.File("copy.cur")), ReadBytes(Fixture(c.file)));
        // A copy keeps the kind; an icon has no hotspot.
        cFileIcon copy;
        cursor.CloneTo(copy);
        EXPECT_TRUE(copy.IsCursor());
    }
    cFileIcon icon;
    ASSERT_TRUE(icon.LoadIcon(Fixture("icons/six.ico")));
    EXPECT_FALSE(icon.IsCursor());
    EXPECT_EQ(icon.Hotspot(1), (cFileIcon::cHotspot{0, 0}));
}

// A cursor file's errors are the icon file's, with its own type check; an icon file still refuses
// a cursor's header.
TEST(CursorFile, ErrorsAreTheIconFilesWithItsOwnType) {
    cTempDir dir;
    const auto write = [&](const char* name, std::vector<std::uint8_t> bytes) {
        WriteBytes(dir.File(name), bytes);
        return dir.File(name);
    };
    struct cCase {
        const char* name;
        std::string path;
        bool cursor;
        std::string reason;
    };
    const cCase cases[] = {
        {"an icon read as a cursor", Fixture("icons/six.ico"), true,
         "File is not cursor type (idType <> IMAGE_CURSOR)"},
        {"a cursor read as an icon", Fixture("cursors/arrow.cur"), false,
         "File is not icon type (idType <> IMAGE_ICON)"},
        {"reserved checked first", write("r.cur", {1, 0, 1, 0, 1, 0}), true,
         "File is not icon type (reserved member is 0)"},
        {"no images", write("none.cur", {0, 0, 2, 0, 0, 0}), true, "Icon contains no images."},
        {"directory cut short", write("dir.cur", {0, 0, 2, 0, 2, 0}), true, "Icon Directory Array is Corrupt."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cFileIcon icon;
        ExpectError([&] { c.cursor ? icon.LoadCursor(c.path) : icon.LoadIcon(c.path); }, kErrLoadIcon, kSource,
                    "Failed to load icon: " + c.reason);
        EXPECT_EQ(icon.ImageCount(), 0);
    }
}

// Every cursor group of the cursor modules, in each of its languages, is wrestool's conversion;
// a group of one image is the very .cur file the module was built from, but for the colour count
// byte, which a group cursor does not keep (wrestool writes 0 too).
TEST(CursorGroup, MatchesWrestoolAndTheCursorFile) {
    for (const char* f : {"modules/cursors32.dll", "modules/cursors64.dll"}) {
        SCOPED_TRACE(f);
        const std::string path = Fixture(f);
        std::vector<cFileIcon> icons;
        mIconGroups::Load(path, icons);
        std::size_t cursors = 0;
        for (const auto& icon : icons) {
            if (!icon.IsCursor()) continue;
            ++cursors;
            SCOPED_TRACE(icon.Label());
            ASSERT_TRUE(icon.Language());
            EXPECT_STREQ(icon.FileExtension(), ".cur");
            mWrestool::ExpectSameCursor(
                icon.IcoBytes(),
                mWrestool::ExtractCursor(path, ResourceIDText(icon.ResourceID()), std::to_string(*icon.Language())));
        }
        EXPECT_EQ(cursors, 4u);
        cModuleFile module;
        ASSERT_TRUE(module.Load(path));
        cFileIcon arrow;
        ASSERT_TRUE(arrow.LoadGroupFromEXE(module, {cFileIcon::eKind::kCursor, 1, std::nullopt, false}));
        auto file = ReadBytes(Fixture("cursors/arrow.cur"));
        ASSERT_EQ(arrow.Hotspot(1), (cFileIcon::cHotspot{3, 5}));
        EXPECT_EQ(arrow.IcoBytes(), file);
        cFileIcon mono;
        ASSERT_TRUE(
            mono.LoadGroupFromEXE(module, {cFileIcon::eKind::kCursor, std::string("pointer"), std::nullopt, false}));
        file = ReadBytes(Fixture("cursors/mono.cur"));
        file[6 + 2] = 0; // bColorCount
        EXPECT_EQ(mono.IcoBytes(), file);
        // A cursor group is not an icon group, nor the reverse.
        cFileIcon none;
        ExpectError([&] { none.LoadIconFromEXE(module, 0, "POINTER"); }, static_cast<std::int32_t>(0x8004041F), kSource,
                    "Can't find icons.");
    }
}

// NE modules store cursor groups the same way, with lengths padded to whole alignment units.
TEST(CursorGroup, NeModulesToo) {
    const std::string path = Fixture("modules/cursors.icl");
    std::vector<cFileIcon> icons;
    mIconGroups::Load(path, icons);
    EXPECT_EQ(Labels(icons), "1, 1 (cursor), POINTER (cursor)");
    ASSERT_EQ(icons.size(), 3u);
    EXPECT_EQ(icons[1].IcoBytes(), ReadBytes(Fixture("cursors/arrow.cur")));
    for (std::size_t i = 1; i < icons.size(); ++i) {
        SCOPED_TRACE(icons[i].Label());
        EXPECT_FALSE(icons[i].Language());
        mWrestool::ExpectSameCursor(icons[i].IcoBytes(),
                                    mWrestool::ExtractCursor(path, ResourceIDText(icons[i].ResourceID())));
    }
}

// A group stored in several languages is one row per language, each read in its own language
// (as wrestool reads it with --language) and labelled with it; a group of one language looks as
// before. Without languages the lowest language alone is read, as before.
TEST(Languages, EveryLanguageIsARowOfItsOwn) {
    for (const char* f : {"modules/cursors32.dll", "modules/cursors64.dll"}) {
        SCOPED_TRACE(f);
        const std::string path = Fixture(f);
        std::vector<cFileIcon> icons;
        mIconGroups::Load(path, icons);
        EXPECT_EQ(Labels(icons), "1 [de-DE], 1 [en-US], 1 [fr-FR], POINTER (cursor), 1 (cursor), 2 [de-DE] (cursor), "
                                 "2 [en-US] (cursor)");
        for (const auto& icon : icons) {
            if (icon.IsCursor()) continue;
            SCOPED_TRACE(icon.Label());
            ASSERT_TRUE(icon.LanguageShown());
            mWrestool::ExpectSame(icon.IcoBytes(), mWrestool::Extract(path, "1", std::to_string(*icon.Language())));
        }
        EXPECT_EQ(icons[0].ImageColourCount(1), 16); // de-DE: depth4.ico
        EXPECT_EQ(icons[2].ImageColourCount(1), 2); // fr-FR: depth1.ico
        EXPECT_FALSE(icons[4].LanguageShown());
        EXPECT_EQ(icons[4].Language(), std::optional<std::uint16_t>(0x409));

        mIconGroups::Load(path, icons, {}, mIconGroups::kIconGroupsOnly);
        ASSERT_EQ(icons.size(), 1u);
        EXPECT_EQ(icons[0].Label(), "1");
        EXPECT_EQ(icons[0].ImageColourCount(1), 16); // the lowest language, 0x407
        EXPECT_FALSE(icons[0].Language());
    }
    // NE modules keep no languages.
    std::vector<cFileIcon> icons;
    mIconGroups::Load(Fixture("modules/good.icl"), icons);
    EXPECT_EQ(Labels(icons), "1, 2, AppIcon, 5");
}

TEST(Languages, TheModuleListsAndFindsThem) {
    cModuleFile m;
    ASSERT_TRUE(m.Load(Fixture("modules/cursors32.dll")));
    std::vector<std::uint16_t> languages;
    ASSERT_TRUE(m.EnumResourceLanguages(kRtGroupIcon, 1, [&](std::uint16_t l) {
        languages.push_back(l);
        return true;
    }));
    EXPECT_EQ(languages, (std::vector<std::uint16_t>{0x407, 0x409, 0x40C}));
    // Every name's languages in one pass, by position in the names' order.
    std::vector<std::vector<std::uint16_t>> perName;
    ASSERT_TRUE(m.EnumNameLanguages(kRtGroupCursor, [&](std::size_t position, const std::vector<std::uint16_t>& l) {
        EXPECT_EQ(position, perName.size());
        perName.push_back(l);
    }));
    EXPECT_EQ(perName, (std::vector<std::vector<std::uint16_t>>{{0x409}, {0x409}, {0x407, 0x409}})); // POINTER, 1, 2
    EXPECT_TRUE(m.FindResourceId(1, kRtGroupIcon, 0x40C));
    EXPECT_FALSE(m.FindResourceId(1, kRtGroupIcon, 0x411));
    EXPECT_EQ(m.LastError(), mSysText::kResourceLangNotFound);
    EXPECT_FALSE(m.EnumResourceLanguages(kRtGroupIcon, 7, [](std::uint16_t) { return true; }));
    EXPECT_EQ(m.LastError(), mSysText::kResourceNameNotFound);
    // A callback that stops ends the enumeration.
    EXPECT_FALSE(m.EnumResourceLanguages(kRtGroupIcon, 1, [](std::uint16_t) { return false; }));
    EXPECT_EQ(m.LastError(), mSysText::kResourceEnumUserStop);

    struct {
        std::uint16_t id;
        const char* tag;
    } tags[] = {{0, "neutral"},    {0x407, "de-DE"},   {0x409, "en-US"},  {0x804, "zh-CN"},
                {0x4009, "en-IN"}, {0x0c3b, "0x0c3b"}, {0xFFFF, "0xffff"}};
    for (const auto& t : tags) EXPECT_EQ(mLanguage::Tag(t.id), t.tag) << t.id;
}

// How the loading core tells the kinds of file apart: by extension, else by the first bytes.
TEST(FileKind, CursorsAndAnimatedCursors) {
    cTempDir dir;
    const auto write = [&](const char* name, std::vector<std::uint8_t> bytes) {
        WriteBytes(dir.File(name), bytes);
        return dir.File(name);
    };
    using mFileKind::eKind;
    struct {
        std::string path;
        eKind kind;
    } cases[] = {
        {"/x/a.CUR", eKind::kCursorFile},
        {"/x/a.ani", eKind::kAnimatedCursor},
        {"/x/a.ico", eKind::kIconFile},
        {"/x/a.dll", eKind::kModule},
        {write("cursor", {0, 0, 2, 0, 1, 0}), eKind::kCursorFile},
        {write("busy", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'C', 'O', 'N'}), eKind::kAnimatedCursor},
        {write("wave", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}), eKind::kIconFile},
        {write("module", {'M', 'Z'}), eKind::kModule},
    };
    for (const auto& c : cases) EXPECT_EQ(mFileKind::KindOf(c.path), c.kind) << c.path;
}

// A cursor group whose images are damaged fails as a damaged icon group does: an image no longer
// than its hotspot, an image shorter than its entry says, a group shorter than its count.
TEST(CursorGroup, DamagedGroupsFailAsDamagedIconGroups) {
    cTempDir dir;
    using namespace mModulePatch;
    const auto group = [](std::vector<std::uint8_t>& b) {
        const auto l = Layout(b);
        return DataAt(b, l, Place(b, l, kRtGroupCursor, 1));
    };
    const auto image = [&](std::vector<std::uint8_t>& b) {
        const auto l = Layout(b);
        return Place(b, l, kRtCursor, GetLE16(b, group(b) + 6 + 12));
    };
    struct cCase {
        const char* name;
        std::function<void(std::vector<std::uint8_t>&)> patch;
        std::int32_t number;
        const char* description;
    };
    const cCase cases[] = {
        {"an image that is only a hotspot",
         [&](auto& b) {
             PutLE32(b, group(b) + 6 + 8, 4);
             PutLE32(b, image(b).dataEntryAt + 4, 4);
         },
         static_cast<std::int32_t>(0x80040421), "Failed to read bitmap bits from resource."},
        {"an image shorter than its entry",
         [&](auto& b) { PutLE32(b, image(b).dataEntryAt + 4, GetLE32(b, group(b) + 14) - 1); },
         static_cast<std::int32_t>(0x80040421), "Failed to read bitmap bits from resource."},
        {"a count beyond the group", [&](auto& b) { PutLE16(b, group(b) + 4, 2); },
         static_cast<std::int32_t>(0x8004041F), "Can't find icons."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Patched(dir, "modules/cursors32.dll", "bad.dll", c.patch);
        cModuleFile module;
        ASSERT_TRUE(module.Load(path));
        cFileIcon cursor;
        ExpectError(
            [&] {
                cursor.LoadGroupFromEXE(module, {cFileIcon::eKind::kCursor, 1, std::nullopt, false});
            },
            c.number, kSource, c.description);
        EXPECT_EQ(cursor.ImageCount(), 0);
    }
}
