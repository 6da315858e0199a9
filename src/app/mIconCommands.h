#pragma once
// mIconCommands: what the save, copy and properties commands make of the chosen icon, apart from
// any window: the restricted copy (the icon with only the chosen images) and the properties text.

#include <string>
#include <vector>

#include "icon/cFileIcon.h"

namespace mIconCommands {

// A copy of `icon` that keeps image j (1-based) exactly when chosen[j - 1] is true. No choice at all
// (every flag false, or no flags) means every image. Flags beyond the icon's images are ignored;
// images beyond the flags count as not chosen unless nothing is chosen.
cFileIcon RestrictedCopy(const cFileIcon& icon, const std::vector<bool>& chosen);

// The properties dialog's name line: "File Name: " and the icon's file.
std::string PropertiesNameLine(const cFileIcon& icon);

// The properties dialog's text: "Icon: " and the resource identifier (nothing for an icon from an
// .ico file), two line breaks, "Icon types in file:", and one line per image with its size,
// colours and bytes. Lines end in CR LF.
std::string PropertiesText(const cFileIcon& icon);

} // namespace mIconCommands
