#pragma once
// mFileKind: how the program tells an icon file from a module by its name, the one rule the main
// window's retrieval and the batch extraction share.

#include <string>
#include <string_view>

namespace mFileKind {

// The text after the last "." anywhere in the path, upper-cased (ASCII); "ICO" when the path holds
// no "." at all. A dot in a folder name therefore counts: "/a.b/noext" gives "B/NOEXT".
std::string ExtensionOf(std::string_view path);

// True when ExtensionOf is exactly "ICO": the file is read as an icon file, anything else as a module.
inline bool IsIconFileName(std::string_view path) { return ExtensionOf(path) == "ICO"; }

} // namespace mFileKind
