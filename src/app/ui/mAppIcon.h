#pragma once
// mAppIcon: the program's own icon, drawn here rather than kept as pictures: a blue tile holding
// four small coloured icons, with a magnifying glass over them. The windows carry it, and the
// build writes it into the hicolor icon theme at the sizes desktops ask for (pictrix-icons).

#include <QIcon>
#include <QImage>

#include <array>

namespace mAppIcon {

// The sizes, in pixels, of the theme's pictures and of the window icon.
inline constexpr std::array<int, 8> kSizes = {16, 22, 24, 32, 48, 64, 128, 256};

// The icon drawn on transparency at `size` by `size` pixels (small sizes drop the fine details).
QImage Draw(int size);
// The list files' icon (the MIME type's, in the theme's mimetypes folder): a page of checked
// entries with the program's tile in its corner.
QImage DrawListFile(int size);
// The icon at every size of kSizes.
QIcon Icon();

} // namespace mAppIcon
