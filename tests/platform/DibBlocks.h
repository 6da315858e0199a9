#pragma once
// Test helper: builds icon image blocks (BITMAPINFOHEADER, palette, XOR bitmap, AND mask) byte by
// byte, so tests can make exact, and exactly broken, inputs.

#include <cstdint>
#include <functional>
#include <vector>

namespace tDib {

struct cSpec {
    std::int32_t width = 4;
    std::int32_t height = 4; // image height; biHeight is twice this
    std::uint16_t bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t clrUsed = 0;
    std::vector<std::uint32_t> palette; // 0x00RRGGBB, written as RGBQUADs; padded to the colour count
    std::vector<std::uint32_t> masks; // BI_BITFIELDS masks, written after the header
    bool withMask = true;
};

inline std::int32_t Row(std::int64_t bits) { return static_cast<std::int32_t>(((bits + 31) / 32) * 4); }

inline void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline std::uint32_t Colours(const cSpec& s) {
    if (s.clrUsed) return s.clrUsed;
    return s.bits == 1 ? 2u : s.bits == 4 ? 16u : s.bits == 8 ? 256u : 0u;
}

// Offset of the colour bits of a block made from `s`.
inline std::size_t ColourOffset(const cSpec& s) { return 40 + 4 * s.masks.size() + 4 * Colours(s); }
inline std::size_t MaskOffset(const cSpec& s) {
    return ColourOffset(s) +
           static_cast<std::size_t>(s.height) * static_cast<std::size_t>(Row(std::int64_t{s.width} * s.bits));
}

// `pixel(x, y)` gives the raw pixel value (palette index, or packed colour) of the picture row y
// counted from the top; `masked(x, y)` whether the AND mask bit is set.
inline std::vector<std::uint8_t> Make(const cSpec& s, const std::function<std::uint32_t(int, int)>& pixel,
                                      const std::function<bool(int, int)>& masked = nullptr) {
    const std::size_t colourRow = static_cast<std::size_t>(Row(std::int64_t{s.width} * s.bits));
    const std::size_t maskRow = static_cast<std::size_t>(Row(s.width));
    std::size_t size = MaskOffset(s) + (s.withMask ? maskRow * static_cast<std::size_t>(s.height) : 0);
    std::vector<std::uint8_t> b(size, 0);
    Put32(b, 0, 40);
    Put32(b, 4, static_cast<std::uint32_t>(s.width));
    Put32(b, 8, static_cast<std::uint32_t>(2 * s.height));
    b[12] = 1;
    b[14] = static_cast<std::uint8_t>(s.bits);
    Put32(b, 16, s.compression);
    Put32(b, 32, s.clrUsed);
    std::size_t at = 40;
    for (std::uint32_t m : s.masks) {
        Put32(b, at, m);
        at += 4;
    }
    for (std::uint32_t i = 0; i < Colours(s); ++i, at += 4) {
        const std::uint32_t c = i < s.palette.size() ? s.palette[i] : 0;
        b[at] = static_cast<std::uint8_t>(c);
        b[at + 1] = static_cast<std::uint8_t>(c >> 8);
        b[at + 2] = static_cast<std::uint8_t>(c >> 16);
    }
    for (int y = 0; y < s.height; ++y) {
        const std::size_t rowAt = at + static_cast<std::size_t>(s.height - 1 - y) * colourRow; // bottom-up
        for (int x = 0; x < s.width; ++x) {
            const std::uint32_t v = pixel(x, y);
            const std::size_t bit = static_cast<std::size_t>(x) * s.bits;
            if (s.bits < 8) {
                b[rowAt + bit / 8] |= static_cast<std::uint8_t>(v << (8 - s.bits - bit % 8));
            } else {
                for (std::size_t k = 0; k < s.bits / 8u; ++k)
                    b[rowAt + bit / 8 + k] = static_cast<std::uint8_t>(v >> (8 * k));
            }
        }
    }
    if (s.withMask && masked) {
        const std::size_t maskAt = MaskOffset(s);
        for (int y = 0; y < s.height; ++y)
            for (int x = 0; x < s.width; ++x)
                if (masked(x, y))
                    b[maskAt + static_cast<std::size_t>(s.height - 1 - y) * maskRow +
                      static_cast<std::size_t>(x) / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
    return b;
}

// An .ico file holding the blocks, with directory bytes as given (width/height 0 = 256).
struct cImage {
    std::vector<std::uint8_t> block;
    std::uint8_t bWidth, bHeight, bColorCount;
    std::uint16_t bitCount;
};
inline std::vector<std::uint8_t> Ico(const std::vector<cImage>& images) {
    std::vector<std::uint8_t> f(6 + 16 * images.size(), 0);
    f[2] = 1;
    f[4] = static_cast<std::uint8_t>(images.size());
    std::uint32_t offset = static_cast<std::uint32_t>(f.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const std::size_t e = 6 + 16 * i;
        f[e] = images[i].bWidth;
        f[e + 1] = images[i].bHeight;
        f[e + 2] = images[i].bColorCount;
        f[e + 4] = 1;
        f[e + 6] = static_cast<std::uint8_t>(images[i].bitCount);
        Put32(f, e + 8, static_cast<std::uint32_t>(images[i].block.size()));
        Put32(f, e + 12, offset);
        offset += static_cast<std::uint32_t>(images[i].block.size());
    }
    for (const auto& im : images) f.insert(f.end(), im.block.begin(), im.block.end());
    return f;
}

} // namespace tDib
