#include "icon/mDHash.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
#include <numeric>
#include <vector>

#include "icon/cFileIcon.h"

namespace mDHash {

namespace {

constexpr int kColumns = 9, kRows = 8;

// For each of `to` output cells, the source pixels it covers and how much of each, in units of
// 1/to of a pixel (step 4, exactly): cell i covers [i from, (i + 1) from) of those units, pixel j
// covers [j to, (j + 1) to). Every cell's weights add up to `from`.
struct cSpan {
    std::int32_t first = 0;
    std::vector<std::int64_t> weight;
};
std::vector<cSpan> AreaSpans(std::int32_t from, std::int32_t to) {
    std::vector<cSpan> spans(static_cast<std::size_t>(to));
    for (std::int32_t i = 0; i < to; ++i) {
        const std::int64_t lo = std::int64_t{i} * from, hi = std::int64_t{i + 1} * from;
        cSpan& s = spans[static_cast<std::size_t>(i)];
        s.first = static_cast<std::int32_t>(lo / to);
        for (std::int64_t j = s.first; j < from && j * to < hi; ++j)
            s.weight.push_back(std::min(hi, (j + 1) * to) - std::max(lo, j * to));
    }
    return spans;
}

} // namespace

std::vector<std::int32_t> ImageOrder(const cFileIcon& icon) {
    std::vector<std::int32_t> order(static_cast<std::size_t>(std::max(0, icon.ImageCount())));
    std::iota(order.begin(), order.end(), 1);
    struct cKey {
        std::int32_t distance, side, colours;
    };
    std::vector<cKey> keys;
    keys.reserve(order.size());
    for (const std::int32_t n : order) {
        const std::int32_t side = std::max(icon.ImageWidth(n), icon.ImageHeight(n));
        keys.push_back({std::abs(side - kTargetSide), side, icon.ImageColourCount(n)});
    }
    std::stable_sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
        const cKey& x = keys[static_cast<std::size_t>(a - 1)];
        const cKey& y = keys[static_cast<std::size_t>(b - 1)];
        if (x.distance != y.distance) return x.distance < y.distance;
        if (x.side != y.side) return x.side > y.side;
        return x.colours > y.colours;
    });
    return order;
}

std::optional<std::uint64_t> OfGroup(const cFileIcon& icon) {
    for (const std::int32_t n : ImageOrder(icon)) {
        if (auto hash = OfBitmap(icon.ImageArgb(n))) return hash;
    }
    return std::nullopt;
}

std::optional<std::uint64_t> OfBitmap(const mDib::cBitmap& argb) {
    if (argb.Empty()) return std::nullopt;
    const std::int32_t w = argb.Width(), h = argb.Height();
    const bool mono = argb.Format() == mDib::eFormat::Mono;
    const auto xs = AreaSpans(w, kColumns), ys = AreaSpans(h, kRows);
    // Integers throughout, so that the hash is the same on every machine: a pixel's luma over grey
    // times 255 * 1000 (at most 65,025,000), a cell's sum times w * h more (below 2^47 for
    // 1024 x 1024).
    std::vector<std::array<std::int64_t, kColumns>> rows(static_cast<std::size_t>(h));
    std::vector<std::int64_t> luma(static_cast<std::size_t>(w));
    for (std::int32_t y = 0; y < h; ++y) {
        for (std::int32_t x = 0; x < w; ++x) {
            std::uint32_t v = argb.Pixel(x, y);
            if (mono) v |= 0xFF000000u;
            const std::int64_t a = v >> 24;
            const auto over = [a](std::uint32_t c) { return a * (c & 0xFF) + (255 - a) * 128; };
            luma[static_cast<std::size_t>(x)] = 299 * over(v >> 16) + 587 * over(v >> 8) + 114 * over(v);
        }
        for (int i = 0; i < kColumns; ++i) {
            const cSpan& s = xs[static_cast<std::size_t>(i)];
            std::int64_t acc = 0;
            for (std::size_t k = 0; k < s.weight.size(); ++k)
                acc += s.weight[k] * luma[static_cast<std::size_t>(s.first) + k];
            rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(i)] = acc;
        }
    }
    std::uint64_t hash = 0;
    for (int r = 0; r < kRows; ++r) {
        std::array<std::int64_t, kColumns> cell{};
        const cSpan& s = ys[static_cast<std::size_t>(r)];
        for (std::size_t k = 0; k < s.weight.size(); ++k)
            for (int i = 0; i < kColumns; ++i)
                cell[static_cast<std::size_t>(i)] +=
                    s.weight[k] * rows[static_cast<std::size_t>(s.first) + k][static_cast<std::size_t>(i)];
        // Each cell's mean luma rounded to a whole level (0..255, halves up), as 8-bit luma
        // holds it: what differs by less than half a level does not decide a bit.
        const std::int64_t scale = std::int64_t{255} * 1000 * w * h;
        for (auto& c : cell) c = (2 * c + scale) / (2 * scale);
        for (int i = 0; i + 1 < kColumns; ++i)
            hash = (hash << 1) | (cell[static_cast<std::size_t>(i + 1)] > cell[static_cast<std::size_t>(i)] ? 1u : 0u);
    }
    return hash;
}

std::string Hex(std::uint64_t hash) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4) text[static_cast<std::size_t>(i)] = kDigits[hash & 0xF];
    return text;
}

bool ParseHex(std::string_view text, std::uint64_t& hash) {
    if (text.size() != 16) return false;
    std::uint64_t v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v, 16);
    if (ec != std::errc() || end != text.data() + text.size()) return false;
    hash = v;
    return true;
}

} // namespace mDHash
