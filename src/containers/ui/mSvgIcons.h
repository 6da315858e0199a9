#pragma once
// mSvgIcons: the drawing of SVG icons (an AppImage's .DirIcon) with Qt's SVG module, for the
// programs that have Qt: Install hands it to the container readers (mContainers::SetSvgRenderer).

#include <QByteArray>

#include <cstdint>
#include <vector>

namespace mSvgIcons {

// The drawing without the <image> elements that name a file (anything but a PNG, JPEG, GIF or BMP
// picture carried in a data: URI) and the xml-stylesheet instructions that name a style sheet,
// which the SVG module would otherwise read from wherever the name points: a private picture, or
// a FIFO that never answers. A drawing carried in a data: URI goes too, since its own pictures
// could name files. An icon's drawing has no files of its own to read. The bytes as they are
// where there is none.
QByteArray WithoutNamedFiles(const QByteArray& svg);

// The PNG stream of the drawing at each side, in that order (the container readers' renderer):
// fitted into side x side, its aspect kept, centred, transparent around it; throws a cError
// saying why when Qt cannot read or draw it.
std::vector<std::vector<std::uint8_t>> RenderSides(const std::vector<std::uint8_t>& svg,
                                                   const std::vector<std::int32_t>& sides);

void Install();

} // namespace mSvgIcons
