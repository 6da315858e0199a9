#pragma once
// mContainers: the icons of files that hold other files, read by libraries that only the programs
// showing them link: Windows Installer packages (mInstaller) and AppImages (mAppImage). Install
// hands the loading core (mIconGroups) the reader of both; every program that opens them calls it
// once at start.
//
// A container's streams are opened as what they are, with the readers of files on the bytes in
// memory: an icon or cursor file is one group, a module gives its icon groups. Each group is named
// after the part of the container it came from: an Icon row's name, "NAME:ID" for a module's group
// ID in row NAME, ".DirIcon" for an AppImage's icon.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "icon/cFileIcon.h"
#include "icon/mFileKind.h"
#include "resources/mIconGroups.h"

namespace mContainers {

void Install();

// An AppImage's icon drawn as SVG becomes a group of PNG pictures at the sizes a launcher installs
// icons at, and at the one size a command asked for besides (SetSvgSideAsked: a render or a
// thumbnail larger than these is drawn, not scaled). The renderer the program installs (Qt's SVG
// module: mSvgIcons in the programs with Qt, mSvgHelper in the one without) answers the PNG stream
// of the drawing at each side asked, in that order, or throws a cError saying why it cannot draw
// it. Without one, such an icon fails to load.
inline constexpr std::int32_t kSvgSides[] = {16, 22, 24, 32, 48, 64, 96, 128, 256};
inline constexpr std::int32_t kMaxSvgSide = 1024;
using tSvgRenderer = std::function<std::vector<std::vector<std::uint8_t>>(const std::vector<std::uint8_t>& svg,
                                                                          const std::vector<std::int32_t>& sides)>;
void SetSvgRenderer(tSvgRenderer renderer);
// A side to draw SVG icons at besides kSvgSides, up to kMaxSvgSide (0: none); for the whole run.
void SetSvgSideAsked(std::int32_t side);
// The sides an SVG icon is drawn at now, smallest first.
std::vector<std::int32_t> SvgSides();

// The groups of an installer package or an AppImage (the reader Install installs).
// An Icon row that cannot be read (its stream is no icon file nor module, or a damaged one) fails
// alone, into `failures`; the package's own damage, or a budget run out, fails the whole load.
void LoadGroups(const std::string& file, mFileKind::eKind kind, std::vector<cFileIcon>& groups,
                std::vector<mIconGroups::cFailure>& failures, cLoadBudget& budget);

// The groups of one stream `name` of the container `file`, appended to `groups`: an icon or cursor
// file as one group, a module's icon groups, a PNG image as a group of that image. Errors raised by
// the readers name the file and the stream.
void AddStream(const std::string& file, const std::string& name, std::vector<std::uint8_t> bytes,
               std::vector<cFileIcon>& groups, cLoadBudget& budget);

} // namespace mContainers
