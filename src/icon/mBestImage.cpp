#include "icon/mBestImage.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "icon/cFileIcon.h"

namespace mBestImage {

std::int32_t BestImageIndex(const cFileIcon& icon, std::int32_t size, bool highColour) {
    std::int32_t best = 0;
    std::int64_t bestDifference = 256;
    for (std::int32_t i = 1; i <= icon.ImageCount(); ++i) {
        const std::int32_t width = icon.ImageWidth(i);
        if (width == size) {
            const std::int32_t colours = icon.ImageColourCount(i);
            if (highColour ? colours > 16 : colours <= 16) return i;
            bestDifference = 0;
            best = i;
        } else if (std::llabs(std::int64_t{width} - size) < bestDifference) {
            bestDifference = std::llabs(std::int64_t{width} - size);
            best = i;
        }
    }
    return best;
}

std::int32_t FitImageIndex(std::span<const cImageKind> images, std::int32_t size) {
    const auto side = [](const cImageKind& k) { return std::max(k.width, k.height); };
    // The side wanted: the smallest one reaching `size`, else the largest of all.
    std::int32_t smallestFitting = 0, largest = 0;
    for (const auto& k : images) {
        const std::int32_t s = side(k);
        if (s >= size && (smallestFitting == 0 || s < smallestFitting)) smallestFitting = s;
        largest = std::max(largest, s);
    }
    const std::int32_t wanted = smallestFitting != 0 ? smallestFitting : largest;
    std::int32_t best = 0;
    for (std::size_t i = 0; i < images.size(); ++i) {
        if (side(images[i]) != wanted) continue;
        if (best == 0 || images[i].colours > images[static_cast<std::size_t>(best - 1)].colours)
            best = static_cast<std::int32_t>(i + 1);
    }
    return best;
}

std::int32_t FitImageIndex(const cFileIcon& icon, std::int32_t size) {
    std::vector<cImageKind> kinds;
    kinds.reserve(static_cast<std::size_t>(std::max(0, icon.ImageCount())));
    for (std::int32_t i = 1; i <= icon.ImageCount(); ++i)
        kinds.push_back({icon.ImageWidth(i), icon.ImageHeight(i), icon.ImageColourCount(i)});
    return FitImageIndex(kinds, size);
}

} // namespace mBestImage
