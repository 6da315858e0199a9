#include "icon/mBestImage.h"

#include <cstdlib>

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

} // namespace mBestImage
