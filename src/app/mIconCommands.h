#pragma once
// mIconCommands: what the save, copy and properties commands make of the chosen icon, apart from
// any window: the restricted copy (the icon with only the chosen images) and the properties text.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "icon/cFileIcon.h"

namespace mIconCommands {

// Texts and dialog parameters of the three commands.
inline constexpr std::string_view kNoIconsToSave = "No icons to save. Ready...";
inline constexpr std::string_view kChooseIconToSave = "Please choose an icon to save.";
inline constexpr std::string_view kNoIconsForProperties = "There are no icons to view properties for.";
inline constexpr std::string_view kSelectIconForProperties = "Please select an icon to view properties for.";
inline constexpr std::string_view kSaveFilter = "Icon Files (*.ico)|*.ico|All Files (*.*)|*.*";
inline constexpr std::string_view kSaveDefaultExt = "ico";
inline constexpr std::string_view kPropertiesCaption = "Properties";

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
// colours and bytes. Lines end in CR LF.
std::string PropertiesText(const cFileIcon& icon);

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
