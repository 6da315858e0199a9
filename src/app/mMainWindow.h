#pragma once
// mMainWindow: the decisions of the main window that need no window: which files are read as icon
// files, the keys of the pictures and list items ("C1", "C2", ...), the text of a list item, the
// status texts and where the list goes in the window.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/mTr.h"

class cFileIcon;

namespace mMainWindow {

// The open dialog's filter of the main window.
inline constexpr std::string_view kOpenFilter = PICTRIX_TR_NOOP(
    "mFileOpenSave", "All Files (*.*)|*.*|Icon Files (*.ICO)|*.ICO|Cursor Files (*.CUR;*.ANI)|*.CUR;*.ANI|"
                     "Executables (*.EXE;*.DLL;*.OCX;*.MUN)|*.EXE;*.DLL;*.OCX;*.MUN|Shortcuts (*.LNK)|*.LNK|"
                     "Apple Icons (*.ICNS)|*.ICNS|Compiled Resources (*.RES)|*.RES|"
                     "Installer Packages (*.MSI)|*.MSI|AppImages (*.APPIMAGE)|*.APPIMAGE");

// Status texts.
inline constexpr std::string_view kCheckingForIcons = PICTRIX_TR_NOOP("mMainWindow", "Checking for icons...");
inline constexpr std::string_view kRetrievingIcons = PICTRIX_TR_NOOP("mMainWindow", "Retrieving icons...");
inline constexpr std::string_view kNoIconsFound = PICTRIX_TR_NOOP("mMainWindow", "No icons were found. Ready...");
inline constexpr std::string_view kDisplaying = PICTRIX_TR_NOOP("mMainWindow", "Displaying...");
inline constexpr std::string_view kReady = PICTRIX_TR_NOOP("mMainWindow", "Ready...");

// True when a file named on the command line opens in the main window rather than as a list
// file: its extension is not "IER" and it is an icon or cursor file (an ICONDIR of type 1 or 2
// with at least one image), an animated cursor (RIFF form "ACON"), an .icns file ("icns"), a
// module (PE or NE) or compiled resource file that opens as data, or a Windows shortcut (.lnk) by
// its header.
bool OpensInMainWindow(const std::string& path);
// True for a name with the extension "IER" (in any case): a list file, which a drop on the main
// window opens in a search window.
bool IsListFileName(std::string_view path);

// The status line after a retrieval in which `count` cursor groups could not be read (each is in
// the error log; the others are listed): "1 cursor group could not be read; see the error log".
std::string CursorGroupsNotReadText(std::size_t count);
// The same for the Icon rows of an installer package: "1 icon group could not be read; ...".
std::string IconGroupsNotReadText(std::size_t count);

// "Retrieving icon " + file name.
std::string RetrievingIconText(std::string_view fileName);
// "Retrieving icon " i " of " count "...".
std::string RetrievingIconOfText(std::int32_t i, std::int32_t count);

// The key of icon i's pictures and list item: "C" and i in decimal.
std::string ItemKey(std::int32_t i);
// The icon number of a key: the characters after the first read as a number the way the old
// Val() does (leading blanks skipped, digits up to the first other character; 0 when none).
std::int32_t KeyIndex(std::string_view key);
// Panel 2's text for a chosen item: "Icon: " + key.
std::string IconPanelText(std::string_view key);

// The text of icon's list item: its label (the resource identifier, with " [" its language tag "]"
// when the group is one of several languages; "Frame N" for a frame of an animated cursor), or for
// an icon or cursor out of its own file its file name; a cursor's text ends in kCursorMark, so
// that every view tells cursors from icons.
inline constexpr std::string_view kCursorMark = PICTRIX_TR_NOOP("mMainWindow", " (cursor)");
std::string ItemText(const cFileIcon& icon);
// The details view's type column: "Cursor" for a cursor (a frame of an animated cursor too),
// "Icon" otherwise.
std::string TypeText(const cFileIcon& icon);

// Where the icon list goes, in twips, inside the window's inner area (below the menu bar): left 30,
// 2 pixels below the toolbar (or the top when it is hidden), reaching the right edge, and 2 pixels
// above the status bar (or the bottom). Nothing when the width or height would be negative: the
// list then keeps its last place.
struct cPlacement {
    std::int32_t left = 0, top = 0, width = 0, height = 0;
    bool operator==(const cPlacement&) const = default;
};
std::optional<cPlacement> ListPlacement(std::int32_t innerWidth, std::int32_t innerHeight, bool toolbarVisible,
                                        std::int32_t toolbarHeight, bool statusVisible, std::int32_t statusHeight,
                                        std::int32_t twipsPerPixel);

// With the image grid shown, the list's place (from ListPlacement) is shared: the grid goes to the
// right, as high as the list, a third of the width but at least 120 and at most 280 pixels (a
// 256-pixel image with its margins and the scroll bar), with 2 pixels between; the list keeps the
// rest. Nothing when the list would be left without width. This is the images pane's width until
// the user drags the splitter (the pane then keeps the user's width, and scrolls where it is
// narrower than an image).
struct cSplit {
    cPlacement list, grid;
    bool operator==(const cSplit&) const = default;
};
std::optional<cSplit> SplitForGrid(const cPlacement& list, std::int32_t twipsPerPixel);

} // namespace mMainWindow
