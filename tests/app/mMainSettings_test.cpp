// The main window's stored settings: what is read back and skipped, the exact forms written, the
// editor and sibling records, and the errors for programs that cannot be started.

#include "app/mMainSettings.h"

#include "common/mTestKit.h"
#include "platform/cRegistryStore.h"
#include "base/mProgram.h"
#include "support/mOptions.h"
#include "support/mSettings.h"

#include <optional>

namespace {

using namespace mMainSettings;

const std::string kApp = "Pictrix v2";

void Put(cRegistryStore& store, const std::string& section, const std::string& key, const std::string& value) {
    mSettings::SaveSetting(store, kApp, section, key, value);
}

TEST(MainSettings, NothingStoredReadsNothing) {
    cRegistryStore store(":memory:");
    const cStoredSettings s = ReadSettings(store);
    EXPECT_FALSE(s.backColor);
    EXPECT_FALSE(s.toolbar);
    EXPECT_FALSE(s.statusbar);
    EXPECT_FALSE(s.winState);
    EXPECT_FALSE(s.top);
    EXPECT_FALSE(s.left);
    EXPECT_FALSE(s.view);
    // The image grid is off until the user shows it; cursors are listed until the user hides them.
    EXPECT_EQ(s.images, false);
    EXPECT_EQ(s.cursors, true);
}

TEST(MainSettings, CursorsItemIsRememberedOutsideTheChainOfDefaults) {
    cRegistryStore store(":memory:");
    mMainSettings::cWindowSettings w;
    w.cursors = false;
    WriteSettings(store, w);
    EXPECT_EQ(mSettings::GetSetting(store, kApp, "WinSet", "Cursors"), "0");
    EXPECT_EQ(ReadSettings(store).cursors, false);
    w.cursors = true;
    WriteSettings(store, w);
    EXPECT_EQ(mSettings::GetSetting(store, kApp, "WinSet", "Cursors"), "-1");
    EXPECT_EQ(ReadSettings(store).cursors, true);
    // A value that is no number is skipped; a missing one does not take the text read before it
    // ("0" for the images here).
    Put(store, "WinSet", "Cursors", "off");
    EXPECT_FALSE(ReadSettings(store).cursors);
    cRegistryStore fresh(":memory:");
    Put(fresh, "WinSet", "Images", "0");
    EXPECT_EQ(ReadSettings(fresh).cursors, true);
}

TEST(MainSettings, ImageGridIsRememberedOutsideTheChainOfDefaults) {
    cRegistryStore store(":memory:");
    WriteSettings(store, {true, true, kStateNormal, 0, 0, 3, true, 2250});
    EXPECT_EQ(mSettings::GetSetting(store, kApp, "WinSet", "Images"), "-1");
    EXPECT_EQ(ReadSettings(store).images, true);
    EXPECT_EQ(ReadSettings(store).imagesWidth, 2250);
    // A pane never placed by the user leaves the stored width as it was.
    WriteSettings(store, {true, true, kStateNormal, 0, 0, 3, false, std::nullopt});
    EXPECT_EQ(mSettings::GetSetting(store, kApp, "WinSet", "Images"), "0");
    EXPECT_EQ(ReadSettings(store).images, false);
    EXPECT_EQ(ReadSettings(store).imagesWidth, 2250);
    // A width that is no number or not above 0 is none.
    for (const char* bad : {"wide", "0", "-15"}) {
        SCOPED_TRACE(bad);
        Put(store, "WinSet", "ImagesWidth", bad);
        EXPECT_FALSE(ReadSettings(store).imagesWidth);
    }
    // A value that is no number is skipped; a missing one does not take the text read before it.
    Put(store, "WinSet", "Images", "yes");
    EXPECT_FALSE(ReadSettings(store).images);
    cRegistryStore fresh(":memory:");
    Put(fresh, "WinSet", "mnuView", "-1");
    EXPECT_EQ(ReadSettings(fresh).images, false);
}

TEST(MainSettings, WrittenSettingsReadBackInTheirStoredForms) {
    cRegistryStore store(":memory:");
    mOptions::WriteBackColor(store, 0x00336699);
    WriteSettings(store, {false, true, kStateNormal, 1200, -300, 5, false, std::nullopt});
    EXPECT_EQ(mSettings::GetSetting(store, kApp, "Settings", "Backcolor"), "3368601");
    EXPECT_EQ(mSettings::GetSetting(store, kApp, "WinSet", "Toolbar"), "0");
    EXPECT_EQ(mSettings::GetSetting(store, kApp, "WinSet", "Statusbar"), "-1");
    EXPECT_EQ(mSettings::GetSetting(store, kApp, "WinSet", "WinState"), "0");
    EXPECT_EQ(mSettings::GetSetting(store, kApp, "WinSet", "Top"), "1200");
    EXPECT_EQ(mSettings::GetSetting(store, kApp, "WinSet", "Left"), "-300");
    EXPECT_EQ(mSettings::GetSetting(store, kApp, "WinSet", "mnuView"), "5");

    const cStoredSettings s = ReadSettings(store);
    EXPECT_EQ(s.backColor, 0x00336699);
    EXPECT_EQ(s.toolbar, false);
    EXPECT_EQ(s.statusbar, true);
    EXPECT_EQ(s.winState, kStateNormal);
    EXPECT_EQ(s.top, std::int16_t{1200});
    EXPECT_EQ(s.left, std::int16_t{-300});
    EXPECT_EQ(s.view, 5);
}

TEST(MainSettings, ViewIsNotWrittenWhenNoViewIsChecked) {
    cRegistryStore store(":memory:");
    Put(store, "WinSet", "mnuView", "6");
    WriteSettings(store, {true, true, kStateNormal, 0, 0, std::nullopt, false, std::nullopt});
    EXPECT_EQ(mSettings::GetSetting(store, kApp, "WinSet", "mnuView"), "6");
}

TEST(MainSettings, PositionsAreReadOnlyForANormalWindowAndOnlyWithin16Bits) {
    struct Case {
        const char* name;
        const char* state;
        const char* top;
        const char* left;
        std::optional<std::int32_t> winState;
        std::optional<std::int16_t> wantTop, wantLeft;
    } cases[] = {
        {"maximised ignores the position", "2", "1500", "900", 2, std::nullopt, std::nullopt},
        {"minimised ignores the position", "1", "1500", "900", 1, std::nullopt, std::nullopt},
        {"normal applies both", "0", "1500", "900", 0, std::int16_t{1500}, std::int16_t{900}},
        {"top beyond 16 bits", "0", "32768", "900", 0, std::nullopt, std::int16_t{900}},
        {"left beyond 16 bits", "0", "15", "40000", 0, std::int16_t{15}, std::nullopt},
        {"unknown state skips the step", "7", "1500", "900", std::nullopt, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cRegistryStore store(":memory:");
        Put(store, "WinSet", "WinState", c.state);
        Put(store, "WinSet", "Top", c.top);
        Put(store, "WinSet", "Left", c.left);
        Put(store, "WinSet", "mnuView", "4");
        const cStoredSettings s = ReadSettings(store);
        EXPECT_EQ(s.winState, c.winState);
        EXPECT_EQ(s.top, c.wantTop);
        EXPECT_EQ(s.left, c.wantLeft);
        EXPECT_EQ(s.view, 4);
    }
}

TEST(MainSettings, AMissingValueTakesTheTextReadBeforeIt) {
    // The first-start defaults store no position: Top and Left fall back to the state's "0".
    cRegistryStore store(":memory:");
    Put(store, "Settings", "Backcolor", "-2147483644");
    Put(store, "WinSet", "Toolbar", "True");
    Put(store, "WinSet", "Statusbar", "True");
    Put(store, "WinSet", "WinState", "0");
    Put(store, "WinSet", "mnuView", "3");
    cStoredSettings s = ReadSettings(store);
    EXPECT_EQ(s.backColor, -2147483644);
    EXPECT_EQ(s.toolbar, true);
    EXPECT_EQ(s.statusbar, true);
    EXPECT_EQ(s.top, std::int16_t{0});
    EXPECT_EQ(s.left, std::int16_t{0});
    EXPECT_EQ(s.view, 3);

    // No toolbar value after a background colour of 0: the toolbar reads 0 and is hidden.
    cRegistryStore other(":memory:");
    Put(other, "Settings", "Backcolor", "0");
    s = ReadSettings(other);
    EXPECT_EQ(s.toolbar, false);
    EXPECT_EQ(s.statusbar, false);
    EXPECT_EQ(s.winState, 0);
    EXPECT_FALSE(s.view); // 0 would be the Toolbar item, not a view
}

TEST(MainSettings, StoredViewsOutsideTheFourViewsAreNotApplied) {
    for (const char* text : {"0", "1", "2", "7", "8", "-3"}) {
        SCOPED_TRACE(text);
        cRegistryStore store(":memory:");
        Put(store, "WinSet", "mnuView", text);
        EXPECT_FALSE(ReadSettings(store).view);
    }
}

TEST(MainSettings, EditorPathLivesInTheMachineKey) {
    cRegistryStore store(":memory:");
    EXPECT_EQ(mOptions::EditorPath(store), "");
    mOptions::SetEditorPath(store, "/opt/editor/bin/edit");
    EXPECT_EQ(mOptions::EditorPath(store), "/opt/editor/bin/edit");
    cRegKey key;
    ASSERT_EQ(
        store.OpenKey(mReg::kHKeyLocalMachine, "SOFTWARE\\Maltrow Software\\PX2\\Settings", mReg::kKeyQueryValue, key),
        mReg::kErrorSuccess);
    std::uint32_t type = 0, size = 0;
    std::vector<std::uint8_t> data;
    ASSERT_EQ(store.QueryValue(key, "Editor Path", type, data, size), mReg::kErrorSuccess);
    EXPECT_EQ(type, mReg::kRegSz);
}

TEST(MainSettings, SiblingRecordIsTheSiblingsOwnSetting) {
    cRegistryStore store(":memory:");
    EXPECT_EQ(SiblingPath(store), "");
    SetSiblingPath(store, "/opt/glintsmith/Glintsmith - QRSC.exe");
    EXPECT_EQ(mSettings::GetSetting(store, "Glintsmith - QRSC", "Path", "AppPath"),
              "/opt/glintsmith/Glintsmith - QRSC.exe");
    EXPECT_EQ(SiblingPath(store), "/opt/glintsmith/Glintsmith - QRSC.exe");
    EXPECT_EQ(mSettings::GetSetting(store, kApp, "Path", "AppPath"), "");
}

TEST(MainSettings, ProgramsThatCannotStartAreDescribedWithTheirPath) {
    mTestKit::cTempDir dir;
    const std::string there = dir.File("editor");
    mTestKit::WriteBytes(there, {'x'});
    const std::string missing = dir.File("nothing-here");
    mTestKit::ExpectError([&] { throw OpenError(missing); }, 53, mProgram::ExeBaseName(), "File not found: " + missing);
    mTestKit::ExpectError([&] { throw OpenError(there); }, 75, mProgram::ExeBaseName(),
                          "Path/File access error: " + there);
    mTestKit::ExpectError([&] { throw SiblingStartError(missing); }, 1001001, mProgram::ExeBaseName(),
                          "Unable to open Glintsmith - QRSC.exe: " + missing);
}

} // namespace
