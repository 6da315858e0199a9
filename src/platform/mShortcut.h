#pragma once
// mShortcut: Windows shortcuts (.lnk, the Shell Link Binary File Format): what a shortcut runs and
// which icon it shows, and where those are on this machine when the shortcut lies in a Wine prefix.
//
// The file is untrusted bytes read through cByteView: the header's size and class identifier are
// checked, every structure lies inside the file and inside the size it claims, string counts are
// bounded by the bytes left, and the extra data blocks are walked while each is at least as large as
// its own header. Only the parts that name files are kept: the link target's path from the LinkInfo
// (local base path and common path suffix), the relative path, the working folder, the arguments,
// the icon location with its index, and the environment-variable forms of the target and the icon.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace mShortcut {

// What a shortcut says, as UTF-8 (ANSI strings read as Windows-1252).
struct cLink {
    std::string target; // the target's path (LinkInfo, else the environment block), Windows form
    std::string relativePath; // relative to the shortcut's folder
    std::string workingDir;
    std::string arguments;
    std::string iconLocation; // a path to a module or icon file (the icon block's, where present)
    std::int32_t iconIndex = 0; // 0-based group position; negative: minus the group's resource id
    std::string name; // the description
};

// The shortcut in `bytes`; nothing when they are not one (header size, class identifier, a
// structure that runs out of the file).
std::optional<cLink> Parse(std::span<const std::uint8_t> bytes);

// True when the file begins like a shortcut (its header's size and class identifier).
bool IsShortcut(const std::string& path);
// The shortcut in a file (at most 1 MiB is read); nothing when it is none or cannot be read.
std::optional<cLink> ReadFile(const std::string& path);

// The Wine prefix `file` lies in: the folder holding the drive_c folder above it (the path as
// made absolute, links left as they are); nothing when it lies in none.
std::optional<std::string> WinePrefixOf(const std::string& file);

// A Windows path as a path on this machine. Inside a Wine prefix (`prefix`, not empty): drive C:
// is drive_c, other drives the links in dosdevices ("d:"), and %SystemRoot%, %windir%,
// %SystemDrive%, %ProgramFiles%, %ProgramFiles(x86)%, %CommonProgramFiles%, %ProgramData%,
// %ALLUSERSPROFILE%, %PUBLIC%, %USERPROFILE% stand for their usual folders; each component is
// matched without regard to case where the exact name is missing, as Windows matches it. A relative
// path is taken from `base`. Nothing when the path names a drive the prefix lacks, a variable we
// do not know, or when it is absolute and there is no prefix.
std::optional<std::string> LocalPath(const std::string& windowsPath, const std::string& prefix,
                                     const std::string& base);

// Where a shortcut's icon comes from on this machine.
struct cIconSource {
    std::string file;
    std::int32_t index = 0; // as cLink::iconIndex
};

// The local file of the shortcut's icon: its icon location where that file exists, else its
// target (its first group). Raises a cError (file not found, 53) naming the icon location and the
// target as written when neither exists.
cIconSource IconSource(const std::string& shortcutPath, const cLink& link);
// The local path of the target; nothing when it cannot be mapped or does not exist.
std::optional<std::string> TargetPath(const std::string& shortcutPath, const cLink& link);

} // namespace mShortcut
