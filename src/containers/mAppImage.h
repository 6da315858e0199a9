#pragma once
// mAppImage: the icon of an AppImage of type 2, read without running it: an ELF program (the
// runtime) followed by a SquashFS image, which starts where the ELF file ends, after its section
// header table. The image's root holds `.DirIcon`, the application's icon: a PNG image, or an SVG
// drawing; often a symbolic link to the icon file beside it. The image is read with libsquashfs
// over the file itself (never mounted, never extracted).
//
// Bounds: the ELF header's offsets are checked against the file before the image is looked at;
// the library reads only inside the image; links are followed at most kMaxHops times, each
// target resolved inside the image (a ".." above its root is refused, never followed out of it);
// the icon is at most kMaxIconBytes and what the budget allows before a byte of it is
// decompressed, so a block that would decompress past that is never read.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/cError.h"
#include "icon/cLoadBudget.h"

namespace mAppImage {

inline constexpr int kMaxHops = 8;
inline constexpr std::uint64_t kMaxIconBytes = std::uint64_t{16} << 20;

// Where the SquashFS image of an AppImage starts: the end of its ELF file (the section header
// table's offset plus its size). Nothing when the bytes are no ELF header or the end lies past
// `fileSize`. `head` holds the file's first 64 bytes (or all of a shorter file).
std::optional<std::uint64_t> ImageOffset(const std::vector<std::uint8_t>& head, std::uint64_t fileSize);

// The bytes of the image's .DirIcon, links followed. Errors name the file and what is wrong.
std::vector<std::uint8_t> ReadDirIcon(const std::string& path, cLoadBudget& budget);

// True when the bytes are an SVG drawing (an XML document whose root is svg), by its start.
bool IsSvg(const std::vector<std::uint8_t>& bytes) noexcept;

} // namespace mAppImage
