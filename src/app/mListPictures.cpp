#include "app/mListPictures.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string_view>

#include "base/cError.h"
#include "icon/cFileIcon.h"

namespace mListPictures {

std::int32_t DevicePixels(std::int32_t logical, double ratio) {
    if (!(ratio > 0.0) || !std::isfinite(ratio)) ratio = 1.0;
    // No screen scales further than this; a picture stays within the decoder's bounds.
    const double pixels = std::clamp(std::round(logical * ratio), 1.0, 1024.0);
    return static_cast<std::int32_t>(pixels);
}

mDib::cBitmap Fit(const mDib::cBitmap& drawn, std::int32_t pixels) {
    if (drawn.Empty() || pixels < 1) return {};
    const std::int32_t w = drawn.Width(), h = drawn.Height();
    if (w == pixels && h == pixels && drawn.Format() == mDib::eFormat::Argb32) return drawn;
    const auto [sw, sh] = mDib::FittedSize(w, h, pixels);
    const mDib::cBitmap scaled = mDib::ScaleSmooth(drawn, sw, sh);
    mDib::cBitmap out(mDib::eFormat::Argb32, pixels, pixels);
    if (scaled.Empty() || out.Empty()) return {};
    const std::int32_t left = (pixels - sw) / 2, top = (pixels - sh) / 2;
    const auto from = scaled.Pixels();
    auto to = out.Pixels();
    for (std::int32_t y = 0; y < sh; ++y) {
        std::copy_n(from.begin() + static_cast<std::ptrdiff_t>(y) * sw, sw,
                    to.begin() + static_cast<std::ptrdiff_t>(top + y) * pixels + left);
    }
    return out;
}

const mDib::cBitmap& cMaker::Picture(const cFileIcon& icon, std::int32_t n, std::int32_t pixels) {
    if (n < 1) cError::RaiseRuntime(cError::kInvalidPicture);
    const std::span<const std::uint8_t> block = icon.Block(n);
    const std::size_t hash =
        std::hash<std::string_view>{}(std::string_view(reinterpret_cast<const char*>(block.data()), block.size()));
    const auto [first, last] = made_.equal_range(hash);
    for (auto it = first; it != last; ++it) {
        const cEntry& e = it->second;
        if (e.pixels == pixels && std::ranges::equal(e.block, block)) {
            ++reused_;
            return e.picture;
        }
    }
    // The other list's picture of a group is mostly drawn from the same image: it is drawn once.
    if (!std::ranges::equal(lastBlock_, block)) {
        lastBlock_ = block;
        lastDrawn_ = icon.ImageArgb(n);
    }
    mDib::cBitmap picture = Fit(lastDrawn_, pixels);
    if (picture.Empty()) cError::RaiseRuntime(cError::kInvalidPicture);
    ++drawn_;
    return made_.emplace(hash, cEntry{block, pixels, std::move(picture)})->second.picture;
}

} // namespace mListPictures
