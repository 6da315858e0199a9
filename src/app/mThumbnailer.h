#pragma once
// mThumbnailer: the freedesktop thumbnailer pictrix-thumbnailer, "-s SIZE INPUT OUTPUT": the
// PNG stream of mThumbnail::MakePng written to OUTPUT, through a temporary file renamed over it,
// so a file manager never sees a partial picture. On any failure OUTPUT is not touched and the
// reason goes to `err`. Exit status: 0 written, 1 no picture (no icons, a damaged file, OUTPUT
// cannot be written), 2 bad usage.

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace mThumbnailer {

// The size taken when -s is not given: the freedesktop "normal" thumbnail.
inline constexpr int kDefaultSize = 128;

// The program's name and its usage text.
struct cProgram {
    std::string name;
    std::string usage;
    // Told the size before the input is read (the container thumbnailer draws SVG icons at it).
    void (*sizeChosen)(std::int32_t size) = nullptr;
};
inline const cProgram kPictrixThumbnailer{
    "pictrix-thumbnailer",
    "usage: pictrix-thumbnailer [-s SIZE] [--] INPUT OUTPUT\n"
    "  Writes to OUTPUT a PNG picture of the icon that the icon file, cursor file (.cur), animated\n"
    "  cursor (.ani), .icns file, Windows module or compiled resource file (.res) INPUT shows (an\n"
    "  icon or cursor file's own, an animated cursor's first frame, a module's first icon group),\n"
    "  fitted into SIZE x SIZE pixels (1 to 1024, default 128).\n"};
// The thumbnailer of the containers whose readers need shared libraries, which the static
// pictrix-thumbnailer cannot link (main_container_thumbnailer.cpp).
inline const cProgram kContainerThumbnailer{
    "pictrix-container-thumbnailer",
    "usage: pictrix-container-thumbnailer [-s SIZE] [--] INPUT OUTPUT\n"
    "  Writes to OUTPUT a PNG picture of the icon that the Windows Installer package or AppImage\n"
    "  INPUT shows (a package's product icon, else the first group of its Icon table; an\n"
    "  AppImage's .DirIcon), fitted into SIZE x SIZE pixels (1 to 1024, default 128).\n"
    "usage: pictrix-container-thumbnailer --draw-svg SIDE[,SIDE...] < DRAWING\n"
    "  Draws the SVG drawing read from standard input at each SIDE x SIDE (1 to 1024), for\n"
    "  pictrix-cli, which has no SVG module of its own.\n"};

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        const cProgram& program = kPictrixThumbnailer);

} // namespace mThumbnailer
