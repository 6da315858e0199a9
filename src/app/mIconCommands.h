#pragma once
// mIconCommands: what the save, copy and properties commands make of the chosen icon, apart from
// any window: the restricted copy (the icon with only the chosen images) and the properties text.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/mTr.h"
#include "icon/cAnimatedCursor.h"
#include "icon/cFileIcon.h"

namespace mIconCommands {

// Texts and dialog parameters of the three commands.
inline constexpr std::string_view kNoIconsToSave = PICTRIX_TR_NOOP("mIconCommands", "No icons to save. Ready...");
inline constexpr std::string_view kChooseIconToSave =
    PICTRIX_TR_NOOP("mIconCommands", "Please choose an icon to save.");
inline constexpr std::string_view kNoIconsForProperties =
    PICTRIX_TR_NOOP("mIconCommands", "There are no icons to view properties for.");
inline constexpr std::string_view kSelectIconForProperties =
    PICTRIX_TR_NOOP("mIconCommands", "Please select an icon to view properties for.");
inline constexpr std::string_view kSaveFilter =
    PICTRIX_TR_NOOP("mFileOpenSave", "Icon Files (*.ico)|*.ico|All Files (*.*)|*.*");
inline constexpr std::string_view kSaveDefaultExt = "ico";
inline constexpr std::string_view kPropertiesCaption = PICTRIX_TR_NOOP("mIconCommands", "Properties");
// The save dialog's parameters for a cursor (cFileIcon::IsCursor): a .cur file.
inline constexpr std::string_view kCursorSaveFilter =
    PICTRIX_TR_NOOP("mFileOpenSave", "Cursor Files (*.cur)|*.cur|All Files (*.*)|*.*");
inline constexpr std::string_view kCursorSaveDefaultExt = "cur";
// The clipboard's format for a cursor's .cur bytes.
inline constexpr std::string_view kCurMimeType = "image/x-win-bitmap";

// The clipboard's formats for an icon: the .ico file's bytes under both names in use.
inline constexpr std::string_view kIcoMimeType = "image/vnd.microsoft.icon";
inline constexpr std::string_view kIcoMimeTypeAlt = "image/x-icon";

// A copy of `icon` that keeps image j (1-based) exactly when chosen[j - 1] is true. No choice at all
// (every flag false, or no flags) means every image. Flags beyond the icon's images are ignored;
// images beyond the flags count as not chosen unless nothing is chosen.
cFileIcon RestrictedCopy(const cFileIcon& icon, const std::vector<bool>& chosen);
// The numbers (1-based, ascending) of the images of an icon of `count` images that RestrictedCopy
// keeps for `chosen`.
std::vector<std::int32_t> ChosenImageNumbers(std::int32_t count, const std::vector<bool>& chosen);

// The properties dialog's name line: "File Name: " and the icon's file.
std::string PropertiesNameLine(const cFileIcon& icon);

// The properties dialog's text: "Icon: " and the resource identifier (nothing for an icon from an
// .ico file), two line breaks, "Icon types in file:", and one line per image with its size,
// colours and bytes. Lines end in CR LF. A cursor says "Cursor: " (its label: the identifier, or
// "Frame N"), "Cursor types in file:", and each image's hotspot after its bytes
// ("Hotspot=3,5"); a group shown in one of several languages names the language after its
// identifier ("Icon: 1 [de-DE]").
std::string PropertiesText(const cFileIcon& icon);
// What the properties add for the file the icons came from: a module's version resource (a
// shortcut's, its target module's), its fixed versions and then the strings of every table, the
// one in the user's language first, each "    Key: value" under a line naming the table's
// language. Values are printable (mPrintable) and cut at kVersionValueBytes. Lines end in CR LF;
// empty for an icon file, a module without a version resource and a shortcut whose target is
// missing.
inline constexpr std::size_t kVersionValueBytes = 256;
std::string VersionPropertiesText(const std::string& file);
// The lines an animated cursor's properties add: "Frames: N", "Steps: " and the frame of each
// step (1-based), "Rates: " and each step's time in jiffies (1/60 s). Lines end in CR LF.
std::string AnimationPropertiesText(const cAnimatedCursor& animation);

// What the copy command puts on the clipboard for a restricted copy: the .ico file's bytes, and the
// number of the image that also goes there as a picture (PNG for image editors): the largest, the
// one with the most colours among equals; 0 when the icon has no images, and then nothing is
// copied.
struct cClipboardIcon {
    std::vector<std::uint8_t> icoBytes;
    std::int32_t imageIndex = 0;
};
cClipboardIcon ClipboardIcon(const cFileIcon& restricted);

} // namespace mIconCommands
