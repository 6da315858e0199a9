// make-sample: draws the module that `make run` opens, with nothing but the program's own code.
// It holds icon groups of every kind a real module has: the depths 1, 4, 8, 24 and 32, a 256-pixel
// PNG image, several sizes in one group, numbered and named groups.
//
//   make-sample OUT

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "mCraft.h"
#include "platform/mDib.h"

namespace {

using mCraft::Append;
using mCraft::tBytes;

// A picture: the colour (0xAARRGGBB) of each pixel at (x, y) in [0, 1) x [0, 1), y downwards.
using tPicture = std::function<std::uint32_t(double x, double y)>;

std::uint32_t Argb(unsigned a, unsigned r, unsigned g, unsigned b) { return (a << 24) | (r << 16) | (g << 8) | b; }

std::uint32_t Mix(std::uint32_t c1, std::uint32_t c2, double t) {
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const double a = (c1 >> shift) & 0xff, b = (c2 >> shift) & 0xff;
        out |= static_cast<std::uint32_t>(std::lround(a + (b - a) * t)) << shift;
    }
    return out;
}

// A rounded square in a diagonal gradient with a light ring: the program's kind of picture.
std::uint32_t Tile(double x, double y) {
    const double dx = std::max(std::abs(x - 0.5) - 0.32, 0.0), dy = std::max(std::abs(y - 0.5) - 0.32, 0.0);
    const double edge = std::hypot(dx, dy) - 0.12;
    if (edge > 0.02) return 0;
    const double r = std::hypot(x - 0.5, y - 0.5);
    std::uint32_t c = Mix(Argb(255, 40, 110, 200), Argb(255, 20, 40, 110), (x + y) / 2);
    if (r > 0.2 && r < 0.28) c = Mix(c, Argb(255, 255, 220, 90), 0.85);
    if (edge > 0) c = Mix(c, c & 0x00ffffff, edge / 0.02); // soft edge
    return c;
}

// A five-pointed star.
std::uint32_t Star(double x, double y) {
    const double a = std::atan2(y - 0.55, x - 0.5) + M_PI / 2, r = std::hypot(x - 0.5, y - 0.55);
    const double k = std::fmod(a + 10 * M_PI, 2 * M_PI / 5) / (2 * M_PI / 5);
    const double limit = 0.2 + 0.25 * std::abs(1 - 2 * k);
    return r < limit ? Mix(Argb(255, 250, 200, 30), Argb(255, 220, 90, 10), r / limit) : 0;
}

// A sheet of paper with a folded corner and lines of text.
std::uint32_t Page(double x, double y) {
    if (x < 0.2 || x > 0.8 || y < 0.08 || y > 0.92 || x - 0.6 > y - 0.08) return 0;
    if (x > 0.56 && x - 0.6 > y - 0.12) return Argb(255, 170, 170, 170);
    if (x < 0.22 || x > 0.78 || y < 0.1 || y > 0.9) return Argb(255, 60, 60, 60);
    const double line = std::fmod(y, 0.12);
    return (y > 0.3 && x > 0.3 && x < 0.7 && line < 0.04) ? Argb(255, 30, 60, 160) : Argb(255, 255, 255, 255);
}

// A folder.
std::uint32_t Folder(double x, double y) {
    if (y > 0.22 && y < 0.34 && x > 0.1 && x < 0.45) return Argb(255, 200, 150, 40);
    if (y >= 0.3 && y < 0.85 && x > 0.1 && x < 0.9) return Mix(Argb(255, 250, 210, 90), Argb(255, 220, 160, 40), y);
    return 0;
}

// A target of rings, black and white: a picture for the one-bit image.
std::uint32_t Rings(double x, double y) {
    const double r = std::hypot(x - 0.5, y - 0.5);
    if (r > 0.46) return 0;
    return static_cast<int>(r / 0.09) % 2 ? Argb(255, 255, 255, 255) : Argb(255, 0, 0, 0);
}

// The pixels of a picture at size x size (supersampled 4 x 4, so that edges are smooth).
std::vector<std::uint32_t> Render(const tPicture& picture, int size) {
    std::vector<std::uint32_t> px(static_cast<std::size_t>(size) * size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            double sum[4] = {};
            for (int s = 0; s < 16; ++s) {
                const std::uint32_t c = picture((x + (s % 4 + 0.5) / 4) / size, (y + (s / 4 + 0.5) / 4) / size);
                const double alpha = (c >> 24) / 255.0;
                sum[0] += alpha;
                for (int k = 1; k < 4; ++k) sum[k] += ((c >> (8 * (3 - k))) & 0xff) * alpha; // premultiplied
            }
            const double a = sum[0] / 16;
            std::uint32_t out = static_cast<std::uint32_t>(std::lround(a * 255)) << 24;
            for (int k = 1; k < 4; ++k)
                if (sum[0] > 0) out |= static_cast<std::uint32_t>(std::lround(sum[k] / sum[0])) << (8 * (3 - k));
            px[static_cast<std::size_t>(y) * size + x] = out;
        }
    return px;
}

// The palette of a depth: black and white, the 16 standard colours, or a 6 x 6 x 6 cube and greys.
std::vector<std::uint32_t> Palette(int bits) {
    if (bits == 1) return {0x000000, 0xffffff};
    if (bits == 4)
        return {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xc0c0c0,
                0x808080, 0xff0000, 0x00ff00, 0xffff00, 0x0000ff, 0xff00ff, 0x00ffff, 0xffffff};
    std::vector<std::uint32_t> p;
    for (unsigned r = 0; r < 6; ++r)
        for (unsigned g = 0; g < 6; ++g)
            for (unsigned b = 0; b < 6; ++b) p.push_back((r * 51) << 16 | (g * 51) << 8 | b * 51);
    for (unsigned i = 0; p.size() < 256; ++i) p.push_back(0x0a0a0a * (i % 26));
    return p;
}

std::size_t Nearest(const std::vector<std::uint32_t>& palette, std::uint32_t c) {
    std::size_t best = 0;
    long bestDistance = -1;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        long d = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            const long e = static_cast<long>((palette[i] >> shift) & 0xff) - static_cast<long>((c >> shift) & 0xff);
            d += e * e;
        }
        if (bestDistance < 0 || d < bestDistance) bestDistance = d, best = i;
    }
    return best;
}

// An icon image block: a DIB (header, palette, colour rows bottom-up, AND mask) of `bits` bits, or
// a PNG stream when `png` is set.
tBytes Image(const tPicture& picture, int size, int bits, bool png = false) {
    const std::vector<std::uint32_t> px = Render(picture, size);
    if (png) {
        mDib::cBitmap bitmap(mDib::eFormat::Argb32, size, size);
        std::copy(px.begin(), px.end(), bitmap.Pixels().begin());
        return mDib::EncodePng(bitmap);
    }
    const auto stride = [](int width, int depth) { return static_cast<std::size_t>(((width * depth + 31) / 32) * 4); };
    const std::vector<std::uint32_t> palette = bits <= 8 ? Palette(bits) : std::vector<std::uint32_t>{};
    tBytes b;
    for (const std::uint32_t v : {40u, static_cast<std::uint32_t>(size), static_cast<std::uint32_t>(2 * size)})
        Append(b, v, 4);
    Append(b, 1, 2);
    Append(b, static_cast<std::uint32_t>(bits), 2);
    for (int i = 0; i < 6; ++i) Append(b, 0, 4);
    for (const std::uint32_t c : palette) Append(b, c, 4);
    const std::size_t colourAt = b.size(), rowBytes = stride(size, bits), maskBytes = stride(size, 1);
    b.resize(colourAt + rowBytes * size + maskBytes * size, 0);
    for (int row = 0; row < size; ++row) {
        const int y = size - 1 - row; // bottom-up
        std::uint8_t* colour = b.data() + colourAt + rowBytes * row;
        std::uint8_t* mask = b.data() + colourAt + rowBytes * size + maskBytes * row;
        for (int x = 0; x < size; ++x) {
            const std::uint32_t c = px[static_cast<std::size_t>(y) * size + x];
            const bool opaque = (c >> 24) >= 128;
            if (!opaque) mask[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            if (bits == 32) {
                for (int k = 0; k < 4; ++k) colour[4 * x + k] = static_cast<std::uint8_t>(c >> (8 * k));
            } else if (bits == 24) {
                for (int k = 0; k < 3; ++k) colour[3 * x + k] = static_cast<std::uint8_t>(opaque ? c >> (8 * k) : 0u);
            } else {
                const std::size_t index = opaque ? Nearest(palette, c) : 0;
                const int bit = x * bits;
                colour[bit / 8] |= static_cast<std::uint8_t>(index << (8 - bits - bit % 8));
            }
        }
    }
    return b;
}

struct cGroup {
    std::u16string name; // or a number
    std::uint16_t id = 0;
    tPicture picture;
    std::vector<std::array<int, 2>> images; // size, bits (a size of 256 is a PNG image)
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-sample OUT\n");
        return 2;
    }
    const std::vector<cGroup> groups = {
        {u"", 1, Tile, {{16, 32}, {24, 32}, {32, 32}, {48, 32}, {256, 32}}},
        {u"", 2, Star, {{16, 4}, {32, 4}}},
        {u"", 3, Page, {{32, 8}, {48, 8}}},
        {u"", 4, Folder, {{16, 24}, {32, 24}, {48, 24}}},
        {u"", 5, Rings, {{32, 1}}},
        {u"", 100, Star, {{32, 32}, {64, 32}}},
        {u"FOLDER", 0, Folder, {{16, 32}, {32, 32}, {48, 32}, {256, 32}}},
        {u"PAGE", 0, Page, {{16, 4}, {32, 8}, {32, 32}}},
    };
    mCraft::cPeSpec spec;
    std::uint16_t nextImage = 1;
    for (const cGroup& g : groups) {
        tBytes dir;
        Append(dir, 0, 2);
        Append(dir, 1, 2);
        Append(dir, static_cast<std::uint32_t>(g.images.size()), 2);
        for (const auto& [size, bits] : g.images) {
            tBytes image = Image(g.picture, size, bits, size == 256);
            dir.push_back(static_cast<std::uint8_t>(size & 0xff)); // 256 is written 0
            dir.push_back(static_cast<std::uint8_t>(size & 0xff));
            dir.push_back(static_cast<std::uint8_t>(bits < 8 ? 1u << bits : 0));
            dir.push_back(0);
            Append(dir, 1, 2);
            Append(dir, static_cast<std::uint32_t>(bits), 2);
            Append(dir, static_cast<std::uint32_t>(image.size()), 4);
            Append(dir, nextImage, 2);
            spec.icons.push_back({u"", nextImage++, std::move(image)});
        }
        spec.groups.push_back({g.name, g.id, std::move(dir)});
    }
    const tBytes module = mCraft::Pe32(spec);
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(module.data()), static_cast<std::streamsize>(module.size()));
    if (!out.flush()) {
        std::fprintf(stderr, "make-sample: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
