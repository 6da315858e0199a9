#pragma once
// mBestImage: the image of an icon that best represents it at a given size.

#include <cstdint>
#include <span>

class cFileIcon;

namespace mBestImage {

// The 1-based image of `icon` to show at `size` pixels; 0 when the icon has no images. An image of
// exactly that width whose depth suits the display wins at once (with `highColour` more than 16
// colours, without it 16 or fewer), the first such; failing that the last image of exactly that
// width; failing that the first image whose width is nearest (differences below 256 only).
// Only widths are compared, never heights.
std::int32_t BestImageIndex(const cFileIcon& icon, std::int32_t size, bool highColour);

// An image as the fitting choice sees it: its size and colour count.
struct cImageKind {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t colours = 0;
};

// The 1-based image to draw into a square of `size` pixels with the least loss: of the images whose
// larger side is at least `size`, the smallest (it is scaled down); when none is that large, the
// largest (scaled up). Among images of that larger side the one with the most colours, the first
// of equals. 0 when there are no images.
std::int32_t FitImageIndex(std::span<const cImageKind> images, std::int32_t size);
std::int32_t FitImageIndex(const cFileIcon& icon, std::int32_t size);

} // namespace mBestImage
