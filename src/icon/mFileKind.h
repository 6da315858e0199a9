#pragma once
// mFileKind: how the program tells an icon file from a module by its name, the one rule the main
// window's retrieval and the batch extraction share; and by its first bytes, for the places that
// are handed a file whose name may say nothing (the command line, the file manager's thumbnails).

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace mFileKind {

// The text after the last "." anywhere in the path, upper-cased (ASCII); "ICO" when the path holds
// no "." at all. A dot in a folder name therefore counts: "/a.b/noext" gives "B/NOEXT".
std::string ExtensionOf(std::string_view path);

// True when ExtensionOf is exactly "ICO": the file is read as an icon file, anything else as a module.
inline bool IsIconFileName(std::string_view path) { return ExtensionOf(path) == "ICO"; }

// True when a file's first bytes are the ICONDIR of an icon file: reserved 0, type 1 (IMAGE_ICON)
// and 1 to 32767 images. A module starts with "MZ", so the two never meet.
bool IsIconFileHeader(std::span<const std::uint8_t> head) noexcept;

} // namespace mFileKind
