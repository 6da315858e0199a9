#pragma once
// mMainSettings: the main window's stored settings and outside programs, apart from any window.
// It reads the settings the window applies when it loads (every read that fails is skipped and
// leaves its control as it is), makes the values the window stores when it closes, reads and
// writes the configured icon editor and the sibling editor's record, and describes a program that
// could not be started as an error for the user.
//
// Where the values live:
//   per-user store, application "Pictrix v2": "Settings"/"Backcolor" (mOptions); "WinSet"/"Toolbar",
//     "Statusbar", "WinState", "Top", "Left", "mnuView", "Images", "ImagesWidth",
//     "Cursors"
//   HKEY_LOCAL_MACHINE "Software\Pictrix v2\MRU": the recent files (cMRUFileList's layout)
//   per-user store, application "Glintsmith - QRSC", "Path"/"AppPath": the sibling editor

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/cError.h"
#include "base/mTr.h"

class cRegistryStore;

namespace mMainSettings {

inline constexpr std::string_view kRecentFilesKey = "Software\\Pictrix v2\\MRU";
inline constexpr std::string_view kSiblingApp = "Glintsmith - QRSC";

// Questions and filters of the editor commands.
inline constexpr std::string_view kEditorQuestion =
    PICTRIX_TR_NOOP("mMainSettings", "Icon editor is not configured.\rConfigure it now?");
inline constexpr std::string_view kLocateSiblingQuestion =
    "Unable to locate Glintsmith - QRSC. Do you wish to locate it now?";
inline constexpr std::string_view kSiblingFilter = "Glintsmith - QRSC|Glintsmith - QRSC.exe";

// The sibling editor could not be started.
inline constexpr std::int32_t kErrOpenSibling = 1001001;
inline constexpr std::string_view kOpenSiblingText =
    PICTRIX_TR_NOOP("mMainSettings", "Unable to open Glintsmith - QRSC.exe");

// Window states as they are stored.
inline constexpr std::int32_t kStateNormal = 0;
inline constexpr std::int32_t kStateMinimised = 1;
inline constexpr std::int32_t kStateMaximised = 2;

// The View menu's indices of the four views.
inline constexpr std::int32_t kFirstView = 3;
inline constexpr std::int32_t kLastView = 6;

// What Settings applies; a member is empty when its read failed, and its control stays as it is.
// Each read's default is the text the read before it gave (the first default is empty), so a
// missing value takes the text of the value read before it. Top and Left are read only when the
// window state is normal; the view is applied only when it names one of the four views.
struct cStoredSettings {
    std::optional<std::int32_t> backColor;
    std::optional<bool> toolbar;
    std::optional<bool> statusbar;
    std::optional<std::int32_t> winState;
    std::optional<std::int16_t> top; // twips
    std::optional<std::int16_t> left; // twips
    std::optional<std::int32_t> view; // View menu index, 3 to 6
    // The image grid shown: read on its own, outside the chain of defaults above, with the default
    // "0", so the grid stays hidden until the user shows it.
    std::optional<bool> images;
    // The width of the images pane in twips, as the user left it: read on its own too; nothing
    // when it was never stored or is not a width above 0.
    std::optional<std::int32_t> imagesWidth;
    // View > Cursors (a module's cursor groups listed after its icon groups): read on its own,
    // with the default "-1", so cursors are listed until the user turns them off.
    std::optional<bool> cursors;
};
cStoredSettings ReadSettings(cRegistryStore& store);
cStoredSettings ReadSettings();

// What StoreSettings writes to "WinSet". Positions are the window's, in twips, whatever its state;
// the view is the first of the View items 3 to 6 that carries the check mark (none: not written).
struct cWindowSettings {
    bool toolbar = true;
    bool statusbar = true;
    std::int32_t winState = kStateNormal;
    std::int32_t top = 0;
    std::int32_t left = 0;
    std::optional<std::int32_t> view;
    bool images = false; // the image grid shown
    std::optional<std::int32_t> imagesWidth; // twips; not written when the pane was never placed
    bool cursors = true; // View > Cursors
};
void WriteSettings(cRegistryStore& store, const cWindowSettings& settings);
void WriteSettings(const cWindowSettings& settings);

// The sibling editor's record: empty when none is stored.
std::string SiblingPath(cRegistryStore& store);
std::string SiblingPath();
void SetSiblingPath(cRegistryStore& store, const std::string& path);
void SetSiblingPath(const std::string& path);

// The error shown when the document or program at `path` could not be opened or started: 53
// "File not found" when nothing is there, 75 "Path/File access error" when something is there;
// the description names the path. The source is the program's name. Also the error of an editor
// that could not be started.
cError OpenError(const std::string& path);
// The same for the sibling editor: 1001001 "Unable to open Glintsmith - QRSC.exe" and the path.
cError SiblingStartError(const std::string& path);

// The desktop found no program to open a document (ERROR_NO_ASSOCIATION).
inline constexpr std::int32_t kErrNoProgram = 1155;
// The error shown when the document at `path` (a help page, the error log) could not be opened:
// 53 "File not found" when nothing is there; otherwise no program opens such documents, named by
// `kind` ("web pages", "text files"): kErrNoProgram, and the path.
cError OpenDocumentError(const std::string& path, std::string_view kind);

} // namespace mMainSettings
