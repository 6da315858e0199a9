#pragma once
// mFileKind: how the program tells an icon file from a module, the one rule that the main window's
// retrieval, the batch extraction, pictrix-cli and the start-up share: by the extension of the file
// name where it has one, by its first bytes where it has none; and by its first bytes alone, for the
// file manager's thumbnails, whose names may say nothing or lie.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace mFileKind {

// The text after the last "." of the file name (the path's last component), upper-cased (ASCII);
// nothing when the file name holds no ".". A dot in a folder name never counts: "/a.b/noext" has
// no extension, "/icons/trailing." the empty one.
std::optional<std::string> ExtensionOf(std::string_view path);

// True when the file at `path` is read as an icon file, anything else being read as a module: an
// extension exactly "ICO" (in any case); a name without "." unless its first two bytes are "MZ",
// the start of every module. A name without "." that cannot be read counts as an icon file, whose
// loading then reports why it cannot be read.
bool IsIconFile(const std::string& path);

// How the loading core reads a file: an icon file, a cursor file (.cur), an animated cursor
// (.ani) or a module. Cursors by their first bytes, whatever the name: "RIFF" with the form "ACON"
// an animated cursor, an ICONDIR of type 2 a cursor. Otherwise by the extension where the name has
// one: "ICO" an icon file; "CUR" and "ANI" (in any case) the kind they name, or an icon file where
// the bytes are an icon file's; any other extension a module. Where the name has none: "MZ" a
// module, anything else (or nothing readable) an icon file, whose loading then says what is wrong.
// An .icns file (kIcns) is told by its first bytes ("icns") whatever the name, and by the
// extension "ICNS"; a compiled resource file (.res) is read as a module, by its extension or by
// its first bytes (the empty resource header it starts with) where the name has none.
//
// Two containers of other files are told apart the same way: an AppImage by its first bytes
// whatever the name (an ELF program marked "AI" 2) or by the extension "APPIMAGE", a Windows
// Installer package by the extension "MSI", or without an extension by the compound file's
// signature.
enum class eKind { kIconFile, kCursorFile, kAnimatedCursor, kModule, kIcns, kInstaller, kAppImage };
eKind KindOf(const std::string& path);

// True when a file's first bytes are the ICONDIR of an icon file: reserved 0, type 1 (IMAGE_ICON)
// and 1 to 32767 images. A module starts with "MZ", so the two never meet.
bool IsIconFileHeader(std::span<const std::uint8_t> head) noexcept;
// The same for a cursor file: type 2 (IMAGE_CURSOR).
bool IsCursorFileHeader(std::span<const std::uint8_t> head) noexcept;
// True when a file's first 12 bytes are a RIFF header of the form "ACON" (an animated cursor).
bool IsAnimatedCursorHeader(std::span<const std::uint8_t> head) noexcept;
// True when a file's first bytes are "MZ", the DOS header every PE and NE module starts with.
bool IsModuleHeader(std::span<const std::uint8_t> head) noexcept;
// True when a file's first bytes are "icns", the header of an .icns file.
bool IsIcnsFileHeader(std::span<const std::uint8_t> head) noexcept;
// True when a file's first 16 bytes are the empty RESOURCEHEADER a 32-bit compiled resource file
// starts with: data size 0, header size 32, type and name the ordinal 0.
bool IsResFileHeader(std::span<const std::uint8_t> head) noexcept;
// True when a file's first 8 bytes are the signature of a compound file (D0 CF 11 E0 A1 B1 1A E1),
// the storage a Windows Installer package is.
bool IsCompoundFileHeader(std::span<const std::uint8_t> head) noexcept;
// True when a file's first 11 bytes are an ELF identification whose padding holds "AI" and 2: the
// mark of an AppImage of type 2 (a runtime followed by a SquashFS image).
bool IsAppImageHeader(std::span<const std::uint8_t> head) noexcept;
// True for the kinds whose files hold other files (kInstaller, kAppImage): read by the
// container readers (mIconGroups::SetContainerReader).
constexpr bool IsContainer(eKind kind) noexcept { return kind == eKind::kInstaller || kind == eKind::kAppImage; }

} // namespace mFileKind
