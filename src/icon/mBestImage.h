#pragma once
// mBestImage: the image of an icon that best represents it at a given size.

#include <cstdint>

class cFileIcon;

namespace mBestImage {

// The 1-based image of `icon` to show at `size` pixels; 0 when the icon has no images. An image of
// exactly that width whose depth suits the display wins at once (with `highColour` more than 16
// colours, without it 16 or fewer), the first such; failing that the last image of exactly that
// width; failing that the first image whose width is nearest (differences below 256 only).
// Only widths are compared, never heights.
std::int32_t BestImageIndex(const cFileIcon& icon, std::int32_t size, bool highColour);

} // namespace mBestImage
