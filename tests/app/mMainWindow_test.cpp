// The main window's decisions: icon file or module, keys and item texts, stored colours, layout.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "app/mMainWindow.h"
#include "icon/cFileIcon.h"
#include "icon/mBestImage.h"
#include "icon/mFileKind.h"
#include "resources/mIconGroups.h"
#include "common/mTestKit.h"

namespace {

using mTestKit::Fixture;

// The extension of the file name decides; a name without one is told by its first bytes. The
// files exist: the content of a module under an icon file's name, and the other way round, shows
// which of the two was asked.
TEST(MainWindow, ExtensionOrContentDecidesIconFileOrModule) {
    mTestKit::cTempDir dir;
    const std::string folder = dir.File("my.icons");
    std::filesystem::create_directories(folder);
    const auto copy = [&](const char* fixture, const std::string& name) {
        std::filesystem::copy_file(Fixture(fixture), dir.File(name));
        return dir.File(name);
    };
    std::ofstream(dir.File("short"), std::ios::binary) << "M";
    struct cCase {
        std::string name;
        std::optional<std::string> extension;
        bool icon;
    };
    const cCase cases[] = {
        {copy("modules/sample.dll", "module.ico"), "ICO", true}, // the name decides
        {copy("modules/sample.dll", "module.ICO"), "ICO", true},
        {copy("modules/sample.dll", "module.Ico"), "ICO", true},
        {copy("icons/multi.ico", "icon.dll"), "DLL", false},
        {"/bin/tool.exe", "EXE", false},
        {"/bin/lib.icl", "ICL", false},
        {"/bin/panel.cpl", "CPL", false},
        {"/icons/app.ico.bak", "BAK", false},
        {"/icons/trailing.", "", false}, // an empty extension is no ICO
        {"/icons/.ico", "ICO", true},
        {copy("modules/sample.dll", "stub"), std::nullopt, false}, // "MZ": a module
        {copy("modules/good.icl", "ne-stub"), std::nullopt, false},
        {copy("icons/multi.ico", "noext"), std::nullopt, true},
        {copy("modules/sample.dll", "my.icons/tool"), std::nullopt, false}, // a folder's dot never counts
        {copy("icons/multi.ico", "my.icons/picture"), std::nullopt, true},
        {dir.File("short"), std::nullopt, true}, // too short for "MZ"
        {dir.File("missing"), std::nullopt, true}, // its loading reports it
        {"relative-noext-missing", std::nullopt, true},
    };
    for (const cCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(mFileKind::ExtensionOf(c.name), c.extension);
        EXPECT_EQ(mFileKind::IsIconFile(c.name), c.icon);
    }
}

TEST(MainWindow, CommandLineFilesThatOpenInTheMainWindow) {
    mTestKit::cTempDir dir;
    const std::string icoBytes = dir.File("icon-bytes.ier");
    std::filesystem::copy_file(Fixture("icons/multi.ico"), icoBytes);
    const std::string renamedIcon = dir.File("renamed.txt");
    std::filesystem::copy_file(Fixture("icons/multi.ico"), renamedIcon);
    const std::string text = dir.File("list.txt");
    std::ofstream(text) << "C:\\icons\\a.ico\n";
    const std::string empty = dir.File("empty.ico");
    std::ofstream(empty).close();
    // An ICONDIR of a cursor file (type 2) and an animated cursor's RIFF header open there too;
    // another RIFF form does not.
    const std::string cursor = dir.File("pointer.cur");
    std::ofstream(cursor, std::ios::binary).write("\0\0\2\0\1\0", 6);
    const std::string animated = dir.File("busy");
    std::ofstream(animated, std::ios::binary).write("RIFF\4\0\0\0ACON", 12);
    const std::string wave = dir.File("sound.ani");
    std::ofstream(wave, std::ios::binary).write("RIFF\4\0\0\0WAVE", 12);
    struct cCase {
        std::string path;
        bool opens;
    };
    const cCase cases[] = {
        {Fixture("icons/multi.ico"), true},
        {renamedIcon, true}, // content decides, not the name
        {Fixture("modules/sample.dll"), true},
        {Fixture("modules/good64.exe"), true},
        {Fixture("modules/good.icl"), true}, // NE
        {icoBytes, false}, // ".ier" is always a list file
        {text, false},
        {empty, false},
        {cursor, true},
        {animated, true},
        {wave, false},
        {Fixture("icns/pillow.icns"), true},
        {Fixture("modules/languages.res"), true},
        {dir.File("missing.ico"), false},
        {dir.Path().string(), false}, // a folder
    };
    for (const cCase& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(mMainWindow::OpensInMainWindow(c.path), c.opens);
    }
}

TEST(MainWindow, KeysAndTheirIndices) {
    EXPECT_EQ(mMainWindow::ItemKey(1), "C1");
    EXPECT_EQ(mMainWindow::ItemKey(12), "C12");
    struct cCase {
        const char* key;
        std::int32_t index;
    };
    const cCase cases[] = {
        {"C1", 1},  {"C12", 12}, {"C007", 7},         {"C", 0},  {"", 0}, {"C3x", 3},
        {"C 4", 4}, {"Cx", 0},   {"C99999999999", 0}, {"X5", 5},
    };
    for (const cCase& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(mMainWindow::KeyIndex(c.key), c.index);
    }
    EXPECT_EQ(mMainWindow::IconPanelText("C3"), "Icon: C3");
}

TEST(MainWindow, StatusTexts) {
    EXPECT_EQ(mMainWindow::RetrievingIconOfText(3, 12), "Retrieving icon 3 of 12...");
    EXPECT_EQ(mMainWindow::RetrievingIconText("/a/b.ico"), "Retrieving icon /a/b.ico");
}

TEST(MainWindow, ItemTextIsTheIdentifierOrTheFileName) {
    cFileIcon icon;
    ASSERT_TRUE(icon.LoadIcon(Fixture("icons/multi.ico")));
    EXPECT_EQ(mMainWindow::ItemText(icon), Fixture("icons/multi.ico"));
    EXPECT_EQ(mMainWindow::TypeText(icon), "Icon");
}

// Every row of a cursor says so in its text and its type, whatever it came from; icon rows of the
// same module do not.
TEST(MainWindow, CursorRowsAreMarked) {
    cFileIcon cursor;
    ASSERT_TRUE(cursor.LoadCursor(Fixture("cursors/arrow.cur")));
    EXPECT_EQ(mMainWindow::ItemText(cursor), Fixture("cursors/arrow.cur") + " (cursor)");
    EXPECT_EQ(mMainWindow::TypeText(cursor), "Cursor");

    std::vector<cFileIcon> icons;
    mIconGroups::Load(Fixture("modules/cursors32.dll"), icons);
    std::vector<std::string> texts, types;
    for (const cFileIcon& icon : icons) {
        texts.push_back(mMainWindow::ItemText(icon));
        types.push_back(mMainWindow::TypeText(icon));
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"1 [de-DE]", "1 [en-US]", "1 [fr-FR]", "POINTER (cursor)", "1 (cursor)",
                                               "2 [de-DE] (cursor)", "2 [en-US] (cursor)"}));
    EXPECT_EQ(types, (std::vector<std::string>{"Icon", "Icon", "Icon", "Cursor", "Cursor", "Cursor", "Cursor"}));

    mIconGroups::Load(Fixture("crafted/busy.ani"), icons);
    ASSERT_FALSE(icons.empty());
    EXPECT_EQ(mMainWindow::ItemText(icons.front()), "Frame 1 (cursor)");
    EXPECT_EQ(mMainWindow::TypeText(icons.back()), "Cursor");
}

// The pictures of the list: which image stands for an icon at 32 and 16 pixels.
TEST(MainWindow, ListPictureChoice) {
    struct cImage {
        std::int32_t size, colours;
    };
    struct cCase {
        const char* name;
        std::vector<cImage> images;
        std::int32_t size;
        bool highColour;
        std::int32_t best;
    };
    const cCase cases[] = {
        {"48 pixels only: the first", {{48, 16}, {48, 256}, {48, 2}}, 32, true, 1},
        {"48 pixels only, small list", {{48, 256}, {48, 16}}, 16, false, 1},
        {"16 and 256 colours, shallow display", {{32, 16}, {32, 256}}, 32, false, 1},
        {"16 and 256 colours, deep display", {{32, 16}, {32, 256}}, 32, true, 2},
        {"256 and 16 colours, shallow display", {{32, 256}, {32, 16}}, 32, false, 2},
    };
    for (const cCase& c : cases) {
        SCOPED_TRACE(c.name);
        cFileIcon icon;
        for (const cImage& i : c.images) icon.AddImage(i.size, i.size, i.colours);
        EXPECT_EQ(mBestImage::BestImageIndex(icon, c.size, c.highColour), c.best);
    }
}

TEST(MainWindow, ListPlacement) {
    using mMainWindow::cPlacement;
    constexpr std::int32_t p = 15;
    // Everything shown: 2 pixels below the toolbar, 2 pixels above the status bar.
    EXPECT_EQ(mMainWindow::ListPlacement(6795, 4650, true, 420, true, 300, p), (cPlacement{30, 450, 6765, 3870}));
    // Toolbar hidden: the list starts 2 pixels below the top of the inner area.
    EXPECT_EQ(mMainWindow::ListPlacement(6795, 4650, false, 420, true, 300, p), (cPlacement{30, 30, 6765, 4290}));
    // Status bar hidden: the list reaches the bottom.
    EXPECT_EQ(mMainWindow::ListPlacement(6795, 4650, true, 420, false, 300, p), (cPlacement{30, 450, 6765, 4200}));
    // Too narrow or too low: the list keeps its last place.
    EXPECT_FALSE(mMainWindow::ListPlacement(29, 4650, true, 420, true, 300, p));
    EXPECT_TRUE(mMainWindow::ListPlacement(30, 4650, true, 420, true, 300, p));
    EXPECT_FALSE(mMainWindow::ListPlacement(6795, 700, true, 420, true, 300, p));
}

TEST(MainWindow, ListAndImageGridShareThePlace) {
    using mMainWindow::cPlacement;
    using mMainWindow::cSplit;
    constexpr std::int32_t p = 15;
    // A third of the list's width, at the right, 2 pixels apart, as high as the list; at most 280
    // pixels.
    EXPECT_EQ(mMainWindow::SplitForGrid({30, 450, 9000, 3870}, p),
              (cSplit{{30, 450, 5970, 3870}, {6030, 450, 3000, 3870}}));
    EXPECT_EQ(mMainWindow::SplitForGrid({30, 450, 15000, 3870}, p),
              (cSplit{{30, 450, 10770, 3870}, {10830, 450, 4200, 3870}}));
    // At least 120 pixels, the list keeping what is left; nothing when nothing is left.
    EXPECT_EQ(mMainWindow::SplitForGrid({30, 30, 2000, 100}, p), (cSplit{{30, 30, 170, 100}, {230, 30, 1800, 100}}));
    EXPECT_EQ(mMainWindow::SplitForGrid({30, 30, 1830, 100}, p), (cSplit{{30, 30, 0, 100}, {60, 30, 1800, 100}}));
    EXPECT_FALSE(mMainWindow::SplitForGrid({30, 30, 1829, 100}, p));
}

} // namespace
