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

// An AppImage's icon drawn as SVG becomes a group of PNG pictures at these sides, drawn by the
// renderer the program installs (the windows' Qt SVG module); the PNG stream of the drawing at
// side x side, empty when it cannot be drawn. Without one, such an icon fails to load.
inline constexpr std::int32_t kSvgSides[] = {16, 24, 32, 48, 64, 128, 256};
using tSvgRenderer = std::function<std::vector<std::uint8_t>(const std::vector<std::uint8_t>& svg, std::int32_t side)>;
void SetSvgRenderer(tSvgRenderer renderer);

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
