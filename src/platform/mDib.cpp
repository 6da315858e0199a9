#include "platform/mDib.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>

namespace mDib {

namespace {

constexpr std::array<std::uint8_t, 8> kPngSignature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

bool InBounds(std::int64_t w, std::int64_t h) { return w >= 1 && h >= 1 && w <= kMaxDimension && h <= kMaxDimension; }

// Black or white for a colour, by its brightness (how a colour reaches a monochrome bitmap when
// there is no background colour to compare with).
std::uint32_t ToMono(std::uint32_t argb) {
    const std::uint32_t r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
    return (r * 299 + g * 587 + b * 114) >= 128 * 1000 ? kWhite : kBlack;
}

std::uint32_t QuadColour(const cRgbQuad& q) {
    return (static_cast<std::uint32_t>(q.red) << 16) | (static_cast<std::uint32_t>(q.green) << 8) | q.blue;
}

// A channel of `v` selected by `mask`, scaled to 8 bits.
std::uint32_t MaskChannel(std::uint32_t v, std::uint32_t mask) {
    if (mask == 0) return 0;
    const int shift = __builtin_ctz(mask);
    const std::uint32_t max = mask >> shift;
    const std::uint32_t x = (v & mask) >> shift;
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(x) * 255 + max / 2) / max);
}

// One ternary raster operation on 32 bits at once: bit m of the operation's index byte is the
// result for pattern bit m&4, source bit m&2 and destination bit m&1.
std::uint32_t Rop3(std::uint8_t index, std::uint32_t p, std::uint32_t s, std::uint32_t d) {
    std::uint32_t r = 0;
    for (int m = 0; m < 8; ++m) {
        if (((index >> m) & 1) == 0) continue;
        r |= ((m & 4) ? p : ~p) & ((m & 2) ? s : ~s) & ((m & 1) ? d : ~d);
    }
    return r;
}

bool UsesSource(std::uint8_t index) { return ((index >> 2) & 0x33) != (index & 0x33); }

} // namespace

// ---- cBitmap

cBitmap::cBitmap(eFormat format, std::int32_t width, std::int32_t height) : format_(format) {
    if (!InBounds(width, height)) return;
    width_ = width;
    height_ = height;
    pixels_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
}

void cBitmap::SetPixel(std::int32_t x, std::int32_t y, std::uint32_t argb) {
    pixels_[Index(x, y)] = format_ == eFormat::Mono ? ((argb & kWhite) == kWhite ? kWhite
                                                       : (argb & kWhite) == 0    ? kBlack
                                                                                 : ToMono(argb))
                                                    : argb;
}

void cBitmap::Fill(std::uint32_t argb) {
    if (format_ == eFormat::Mono) argb = (argb & kWhite) == kWhite ? kWhite : ToMono(argb);
    std::fill(pixels_.begin(), pixels_.end(), argb);
}

// ---- descriptions and blocks

std::uint32_t PaletteColours(std::uint32_t biClrUsed, std::uint16_t biBitCount) noexcept {
    if (biClrUsed != 0) return biClrUsed;
    switch (biBitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

std::int32_t cDibInfo::RowLength() const {
    const std::int64_t bits = std::int64_t{biPlanes} * biWidth * biBitCount;
    if (bits < 0) return -1;
    const std::int64_t bytes = ((bits + 31) / 32) * 4;
    return bytes > INT32_MAX ? -1 : static_cast<std::int32_t>(bytes);
}

namespace {

std::uint32_t BigEndian32(cByteView v, std::size_t at) {
    return (std::uint32_t{v.U8(at)} << 24) | (std::uint32_t{v.U8(at + 1)} << 16) | (std::uint32_t{v.U8(at + 2)} << 8) |
           v.U8(at + 3);
}

std::optional<cBlockLayout> ParsePngLayout(cByteView block) {
    // The IHDR chunk must come first: length 13, type "IHDR", width, height (big-endian).
    if (!block.Has(8, 25)) return std::nullopt;
    if (BigEndian32(block, 8) != 13 || block.U8(12) != 'I' || block.U8(13) != 'H' || block.U8(14) != 'D' ||
        block.U8(15) != 'R')
        return std::nullopt;
    const std::uint32_t w = BigEndian32(block, 16), h = BigEndian32(block, 20);
    if (!InBounds(w, h)) return std::nullopt;
    cBlockLayout layout;
    layout.png = true;
    layout.width = static_cast<std::int32_t>(w);
    layout.height = static_cast<std::int32_t>(h);
    return layout;
}

} // namespace

std::optional<cBlockLayout> ParseBlock(cByteView block) {
    if (IsPngBlock(block)) return ParsePngLayout(block);
    try {
        if (!block.Has(0, 40)) return std::nullopt;
        cDibInfo h;
        h.biSize = block.U32(0);
        // BITMAPINFOHEADER or one of its longer successors (V4, V5); the colour table follows it.
        if (h.biSize < 40 || h.biSize > 124 || !block.Has(0, h.biSize)) return std::nullopt;
        h.biWidth = block.I32(4);
        h.biHeight = block.I32(8);
        h.biPlanes = block.U16(12);
        h.biBitCount = block.U16(14);
        h.biCompression = block.U32(16);
        h.biSizeImage = block.U32(20);
        h.biXPelsPerMeter = block.I32(24);
        h.biYPelsPerMeter = block.I32(28);
        h.biClrUsed = block.U32(32);
        h.biClrImportant = block.U32(36);

        // biHeight counts the colour bitmap and the mask together.
        const std::int32_t width = h.biWidth, height = h.biHeight / 2;
        if (h.biHeight < 0 || !InBounds(width, height)) return std::nullopt;
        if (h.biPlanes != 1) return std::nullopt;
        switch (h.biBitCount) {
        case 1:
        case 4:
        case 8:
        case 16:
        case 24:
        case 32: break;
        default: return std::nullopt;
        }
        const bool bitfields = h.biCompression == kBiBitfields;
        if (h.biCompression != kBiRgb && !(bitfields && (h.biBitCount == 16 || h.biBitCount == 32)))
            return std::nullopt;

        std::size_t at = h.biSize;
        if (bitfields) {
            // The three masks follow a BITMAPINFOHEADER; the longer headers hold them at 40.
            const std::size_t masksAt = h.biSize >= 52 ? 40 : at;
            h.redMask = block.U32(masksAt);
            h.greenMask = block.U32(masksAt + 4);
            h.blueMask = block.U32(masksAt + 8);
            if (h.redMask == 0 && h.greenMask == 0 && h.blueMask == 0) return std::nullopt;
            if (h.biSize < 52) at += 12;
        }
        const std::uint64_t colours = PaletteColours(h.biClrUsed, h.biBitCount);
        if (!block.Has(at, 0) || colours > (block.Size() - at) / 4) return std::nullopt;
        // Only the entries a pixel can address are kept; the rest is skipped.
        const std::uint64_t kept = h.biBitCount <= 8 ? std::min<std::uint64_t>(colours, 1u << h.biBitCount) : 0;
        for (std::uint64_t i = 0; i < kept; ++i) {
            const std::size_t q = at + 4 * static_cast<std::size_t>(i);
            h.palette.push_back({block.U8(q), block.U8(q + 1), block.U8(q + 2), block.U8(q + 3)});
        }
        at += 4 * static_cast<std::size_t>(colours);

        cBlockLayout layout;
        layout.width = width;
        layout.height = height;
        layout.colour = h;
        layout.colour.biHeight = height;
        layout.colourOffset = at;
        const std::int64_t colourLength = std::int64_t{height} * layout.colour.RowLength();
        if (layout.colour.RowLength() <= 0 || !block.Has(at, static_cast<std::size_t>(colourLength)))
            return std::nullopt;

        // The AND mask: a 1-bit bitmap with a black and a white entry.
        cDibInfo& m = layout.mask;
        m = h;
        m.biHeight = height;
        m.biPlanes = 1;
        m.biBitCount = 1;
        m.biCompression = kBiRgb;
        m.biSizeImage = m.biXPelsPerMeter = m.biYPelsPerMeter = 0;
        m.biClrUsed = m.biClrImportant = 0;
        m.biSize = 40;
        m.redMask = m.greenMask = m.blueMask = 0;
        m.palette = {cRgbQuad{0, 0, 0, 0}, cRgbQuad{255, 255, 255, 0}};
        layout.maskOffset = at + static_cast<std::size_t>(colourLength);
        const std::int64_t maskLength = std::int64_t{height} * m.RowLength();
        layout.hasMask = block.Has(layout.maskOffset, static_cast<std::size_t>(maskLength));
        // Only an image with an alpha channel can do without its mask.
        if (!layout.hasMask && h.biBitCount != 32) return std::nullopt;
        return layout;
    } catch (const cByteView::cOutOfRange&) {
        return std::nullopt;
    }
}

// ---- PNG

namespace {

// True when no chunk of the stream claims more bytes than follow it, up to IEND. libpng allocates
// a chunk's claimed length before it reads the chunk, so a block of a few hundred bytes whose text
// chunk claims 400 MB would take them.
bool ChunksFit(cByteView png) {
    for (std::size_t at = 8; png.Has(at, 8);) {
        const std::uint32_t length = BigEndian32(png, at);
        if (length > 0x7fffffffu || !png.Has(at, std::size_t{12} + length)) return false;
        if (png.U8(at + 4) == 'I' && png.U8(at + 5) == 'E' && png.U8(at + 6) == 'N' && png.U8(at + 7) == 'D')
            return true;
        at += std::size_t{12} + length;
    }
    return true;
}

} // namespace

cBitmap DecodePng(cByteView png) {
    if (!ParsePngLayout(png) || !ChunksFit(png)) return {};
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, png.Data(), png.Size())) {
        png_image_free(&image);
        return {};
    }
    if (!InBounds(image.width, image.height)) {
        png_image_free(&image);
        return {};
    }
    image.format = PNG_FORMAT_BGRA;
    cBitmap out(eFormat::Argb32, static_cast<std::int32_t>(image.width), static_cast<std::int32_t>(image.height));
    auto px = out.Pixels();
    if constexpr (std::endian::native == std::endian::little) {
        // B, G, R, A in memory is 0xAARRGGBB on a little-endian machine: libpng writes the
        // bitmap's own pixels, with no buffer between.
        if (!png_image_finish_read(&image, nullptr, px.data(), 0, nullptr)) {
            png_image_free(&image);
            return {};
        }
    } else {
        std::vector<std::uint8_t> buffer(PNG_IMAGE_SIZE(image));
        if (!png_image_finish_read(&image, nullptr, buffer.data(), 0, nullptr)) {
            png_image_free(&image);
            return {};
        }
        for (std::size_t i = 0; i < px.size(); ++i) {
            const std::uint8_t* p = &buffer[4 * i];
            px[i] = (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
        }
    }
    png_image_free(&image);
    return out;
}

std::vector<std::uint8_t> EncodePng(const cBitmap& argb, bool fast) {
    if (argb.Empty()) return {};
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(argb.Width()) * static_cast<std::size_t>(argb.Height()) *
                                   4);
    auto px = argb.Pixels();
    for (std::size_t i = 0; i < px.size(); ++i) {
        std::uint32_t v = px[i];
        if (argb.Format() == eFormat::Mono) v |= 0xFF000000;
        rgba[4 * i] = static_cast<std::uint8_t>(v >> 16);
        rgba[4 * i + 1] = static_cast<std::uint8_t>(v >> 8);
        rgba[4 * i + 2] = static_cast<std::uint8_t>(v);
        rgba[4 * i + 3] = static_cast<std::uint8_t>(v >> 24);
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(argb.Width());
    image.height = static_cast<png_uint_32>(argb.Height());
    image.format = PNG_FORMAT_RGBA;
    if (fast) image.flags |= PNG_IMAGE_FLAG_FAST;
    // One pass into a buffer of the largest size the stream can have (a little over the raw
    // pixels), rather than a pass to measure and another to write.
    png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(image);
    std::vector<std::uint8_t> out(size);
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, rgba.data(), 0, nullptr)) return {};
    out.resize(size);
    return out;
}

namespace {

constexpr std::uint32_t ChunkType(const char (&name)[5]) {
    return (std::uint32_t{static_cast<std::uint8_t>(name[0])} << 24) |
           (std::uint32_t{static_cast<std::uint8_t>(name[1])} << 16) |
           (std::uint32_t{static_cast<std::uint8_t>(name[2])} << 8) | static_cast<std::uint8_t>(name[3]);
}

// The sRGB chunk (perceptual intent) and IEND, as libpng writes them.
constexpr std::array<std::uint8_t, 13> kSrgbChunk = {0, 0, 0, 1, 's', 'R', 'G', 'B', 0, 0xAE, 0xCE, 0x1C, 0xE9};
constexpr std::array<std::uint8_t, 12> kIendChunk = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
// gAMA's value for sRGB, 1/2.2 in units of 1/100000: the decoder changes no pixel for it.
constexpr std::uint32_t kSrgbGamma = 45455;

class cInflater {
public:
    cInflater() { ok_ = inflateInit(&z_) == Z_OK; }
    ~cInflater() {
        if (ok_) inflateEnd(&z_);
    }
    cInflater(const cInflater&) = delete;
    cInflater& operator=(const cInflater&) = delete;
    bool Ok() const noexcept { return ok_; }
    z_stream& Stream() noexcept { return z_; }

private:
    z_stream z_{};
    bool ok_ = false;
};

} // namespace

std::vector<std::uint8_t> PngAsStored(cByteView png) {
    const auto layout = ParsePngLayout(png);
    if (!layout || !ChunksFit(png)) return {};
    // IHDR: 8-bit samples, colour type 6 (RGBA) or 2 (RGB, opaque), deflate, adaptive filters,
    // not interlaced.
    const std::uint8_t colourType = png.U8(25);
    if (png.U8(24) != 8 || (colourType != 6 && colourType != 2) || png.U8(26) != 0 || png.U8(27) != 0 ||
        png.U8(28) != 0)
        return {};
    const std::size_t pixelBytes = colourType == 6 ? 4 : 3;
    const std::size_t stride = 1 + pixelBytes * static_cast<std::size_t>(layout->width);
    const std::size_t rawBytes = stride * static_cast<std::size_t>(layout->height);
    cInflater inflater;
    if (!inflater.Ok()) return {};
    z_stream& z = inflater.Stream();
    // The rows are inflated a piece at a time into `piece` and looked at there, never kept whole.
    // Each row starts with its filter (0 to 4). While every alpha before a pixel is 0, each
    // filter predicts 0 for its alpha, so the first alpha that is not 0 is the first filtered
    // alpha byte that is not.
    std::array<std::uint8_t, 65536> piece;
    std::size_t done = 0; // bytes of the rows inflated and looked at
    std::size_t nextRow = 0; // where the next row starts, counted from the first
    bool opaque = colourType == 2; // an alpha that is not 0 was seen
    const auto look = [&](std::size_t n) {
        const std::size_t end = done + n;
        if (end > rawBytes) return false;
        for (; nextRow < end; nextRow += stride)
            if (piece[nextRow - done] > 4) return false;
        // The alphas are at 4, 8, ... stride - 1 into each row.
        std::size_t row = done - done % stride;
        for (std::size_t a = row + std::max<std::size_t>(4, (done - row + 3) / 4 * 4); !opaque && a < end;) {
            opaque = piece[a - done] != 0;
            a += 4;
            if (a >= row + stride) {
                row += stride;
                a = row + 4;
            }
        }
        done = end;
        return true;
    };

    std::vector<std::uint8_t> out(kPngSignature.begin(), kPngSignature.end());
    enum class eIdat { kBefore, kIn, kAfter } idat = eIdat::kBefore;
    bool ended = false; // the zlib stream's end was reached
    for (std::size_t at = 8;;) {
        if (!png.Has(at, 12)) return {};
        const std::uint32_t length = BigEndian32(png, at);
        const std::uint32_t type = BigEndian32(png, at + 4);
        const std::uint8_t* chunk = png.Data() + at;
        const std::size_t whole = std::size_t{12} + length;
        if (!png.Has(at, whole)) return {};
        // Every name is four ASCII letters, as the decoder demands.
        for (int i = 0; i < 4; ++i) {
            const std::uint8_t c = chunk[4 + i];
            if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return {};
        }
        // The critical chunks are the ones kept; the decoder refuses them damaged.
        const bool critical = (chunk[4] & 0x20) == 0;
        if (critical && crc32(crc32(0, nullptr, 0), chunk + 4, 4 + length) != BigEndian32(png, at + 8 + length))
            return {};
        if (type == ChunkType("IHDR")) {
            if (at != 8) return {};
            out.insert(out.end(), chunk, chunk + whole);
            out.insert(out.end(), kSrgbChunk.begin(), kSrgbChunk.end());
        } else if (type == ChunkType("IDAT")) {
            if (idat == eIdat::kAfter) return {}; // a second run of IDATs
            idat = eIdat::kIn;
            z.next_in = const_cast<Bytef*>(chunk + 8);
            z.avail_in = length;
            while (!ended) {
                z.next_out = piece.data();
                z.avail_out = static_cast<uInt>(piece.size());
                const int r = inflate(&z, Z_NO_FLUSH);
                if (r == Z_BUF_ERROR && z.avail_in == 0) break; // it wants the next IDAT's bytes
                if (r == Z_STREAM_END)
                    ended = true;
                else if (r != Z_OK)
                    return {};
                if (!look(piece.size() - z.avail_out)) return {};
                if (z.avail_in == 0 && z.avail_out > 0) break; // all taken, nothing held back
            }
            if (z.avail_in > 0) return {}; // data past the stream's end
            out.insert(out.end(), chunk, chunk + whole);
        } else if (type == ChunkType("IEND")) {
            if (length != 0) return {};
            break;
        } else if (critical) {
            return {}; // PLTE (a suggested palette) or one the decoder refuses
        } else {
            if (idat == eIdat::kIn) idat = eIdat::kAfter;
            // A gamma other than sRGB's changes the decoded pixels, a transparent colour (tRNS) the
            // alphas.
            if (type == ChunkType("gAMA") && (length != 4 || BigEndian32(png, at + 8) != kSrgbGamma)) return {};
            if (type == ChunkType("tRNS")) return {};
        }
        at += whole;
    }
    if (!ended || done != rawBytes || !opaque) return {};
    out.insert(out.end(), kIendChunk.begin(), kIendChunk.end());
    return out;
}

// ---- SetDIBitsToDevice

std::int32_t SetDIBitsToDevice(cSurface& dc, std::int32_t xDest, std::int32_t yDest, std::int32_t w, std::int32_t h,
                               std::int32_t xSrc, std::int32_t ySrc, std::int32_t startScan, std::int32_t lines,
                               cByteView bits, const cDibInfo& info) {
    if (dc.Bitmap().Empty() || w <= 0 || h <= 0 || lines <= 0 || startScan < 0) return 0;
    if (info.biPlanes != 1 || info.biWidth <= 0 || info.biHeight == 0) return 0;
    const std::int32_t bpp = info.biBitCount;
    const bool bitfields = info.biCompression == kBiBitfields;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return 0;
    if (info.biCompression != kBiRgb && !(bitfields && (bpp == 16 || bpp == 32))) return 0;
    const std::int32_t row = info.RowLength();
    if (row <= 0) return 0;
    // Every scan line handed over must be in the bits.
    if (static_cast<std::uint64_t>(lines) * static_cast<std::uint64_t>(row) > bits.Size()) return 0;

    const bool topDown = info.biHeight < 0;
    const std::int64_t dibHeight = topDown ? -std::int64_t{info.biHeight} : info.biHeight;
    std::uint32_t rMask = info.redMask, gMask = info.greenMask, bMask = info.blueMask;
    if (!bitfields) {
        if (bpp == 16)
            rMask = 0x7C00, gMask = 0x03E0, bMask = 0x001F;
        else
            rMask = 0xFF0000, gMask = 0x00FF00, bMask = 0x0000FF;
    }
    const bool keepAlpha = bpp == 32 && rMask == 0xFF0000 && gMask == 0x00FF00 && bMask == 0x0000FF;
    const bool mono = dc.Format() == eFormat::Mono;
    const std::size_t palette = info.palette.size();

    // What a palette index puts in the picture: its colour as SetPixel keeps it.
    std::array<std::uint32_t, 256> stored{};
    if (bpp <= 8) {
        cBitmap one(dc.Format(), 1, 1);
        for (std::size_t i = 0; i < (std::size_t{1} << bpp); ++i) {
            const std::uint32_t argb = i < palette ? QuadColour(info.palette[i]) : 0;
            one.SetPixel(0, 0, mono ? ToMono(argb) : argb);
            stored[i] = one.Pixel(0, 0);
        }
    }
    for (std::int32_t dy = 0; dy < h; ++dy) {
        const std::int64_t ty = std::int64_t{yDest} + dy;
        if (ty < 0 || ty >= dc.Height()) continue;
        // Row of the source rectangle, counted from the top of the picture.
        const std::int64_t fromTop =
            topDown ? std::int64_t{ySrc} + dy : dibHeight - 1 - (std::int64_t{ySrc} + h - 1 - dy);
        if (fromTop < 0 || fromTop >= dibHeight) continue;
        const std::int64_t scan = topDown ? fromTop : dibHeight - 1 - fromTop;
        if (scan < startScan || scan >= std::int64_t{startScan} + lines) continue;
        const std::size_t rowAt = static_cast<std::size_t>(scan - startScan) * static_cast<std::size_t>(row);
        if (bpp <= 8 || (!mono && (bpp == 24 || (bpp == 32 && keepAlpha)))) {
            // The common images, a row at a time: the columns both pictures hold, read straight from
            // the scan line (which the check above found whole in the bits).
            const std::int64_t first = std::max<std::int64_t>({0, -std::int64_t{xDest}, -std::int64_t{xSrc}});
            const std::int64_t end =
                std::min<std::int64_t>({w, std::int64_t{dc.Width()} - xDest, std::int64_t{info.biWidth} - xSrc});
            if (first >= end) continue;
            std::uint32_t* out = dc.Bitmap().Pixels().data() +
                                 static_cast<std::size_t>(ty) * static_cast<std::size_t>(dc.Width()) +
                                 static_cast<std::size_t>(std::int64_t{xDest} + first);
            const std::uint8_t* line = bits.Data() + rowAt;
            const std::size_t from = static_cast<std::size_t>(std::int64_t{xSrc} + first);
            const std::size_t count = static_cast<std::size_t>(end - first);
            if (bpp <= 8) {
                const std::uint32_t indexMask = (1u << bpp) - 1;
                for (std::size_t i = 0; i < count; ++i) {
                    const std::size_t bit = (from + i) * static_cast<std::size_t>(bpp);
                    const std::uint32_t index =
                        static_cast<std::uint32_t>(line[bit / 8] >> (8 - bpp - bit % 8)) & indexMask;
                    *out++ = stored[index];
                }
            } else {
                const std::size_t step = static_cast<std::size_t>(bpp / 8);
                const std::uint8_t* in = line + from * step;
                for (std::size_t i = 0; i < count; ++i, in += step)
                    *out++ = std::uint32_t{in[0]} | (std::uint32_t{in[1]} << 8) | (std::uint32_t{in[2]} << 16) |
                             (bpp == 32 ? std::uint32_t{in[3]} << 24 : 0u);
            }
            continue;
        }
        for (std::int32_t dx = 0; dx < w; ++dx) {
            const std::int64_t tx = std::int64_t{xDest} + dx, sx = std::int64_t{xSrc} + dx;
            if (tx < 0 || tx >= dc.Width() || sx < 0 || sx >= info.biWidth) continue;
            std::uint32_t argb = 0;
            if (bpp <= 8) {
                const std::size_t bit = static_cast<std::size_t>(sx) * static_cast<std::size_t>(bpp);
                const std::uint8_t byte = bits.U8(rowAt + bit / 8);
                const std::uint32_t index = static_cast<std::uint32_t>(byte >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
                argb = index < palette ? QuadColour(info.palette[index]) : 0;
            } else {
                const std::size_t at = rowAt + static_cast<std::size_t>(sx) * static_cast<std::size_t>(bpp / 8);
                std::uint32_t v = 0;
                if (bpp == 16)
                    v = bits.U16(at);
                else if (bpp == 24)
                    v = std::uint32_t{bits.U8(at)} | (std::uint32_t{bits.U8(at + 1)} << 8) |
                        (std::uint32_t{bits.U8(at + 2)} << 16);
                else
                    v = bits.U32(at);
                argb = (MaskChannel(v, rMask) << 16) | (MaskChannel(v, gMask) << 8) | MaskChannel(v, bMask);
                if (keepAlpha) argb |= v & 0xFF000000;
            }
            dc.Bitmap().SetPixel(static_cast<std::int32_t>(tx), static_cast<std::int32_t>(ty),
                                 mono ? ToMono(argb) : argb);
        }
    }
    return lines;
}

// ---- BitBlt, StretchBlt

bool StretchBlt(cSurface& dst, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, const cSurface& src,
                std::int32_t xSrc, std::int32_t ySrc, std::int32_t wSrc, std::int32_t hSrc, std::uint32_t rop) {
    if (dst.Bitmap().Empty() || w < 0 || h < 0 || wSrc < 0 || hSrc < 0) return false;
    const auto index = static_cast<std::uint8_t>(rop >> 16);
    const bool useSource = UsesSource(index);
    if (useSource && (src.Bitmap().Empty() || wSrc == 0 || hSrc == 0)) return false;
    const bool dstMono = dst.Format() == eFormat::Mono;
    const std::uint32_t pattern = dstMono ? ToMono(dst.brush) : dst.brush;
    cBitmap& out = dst.Bitmap();
    for (std::int32_t dy = 0; dy < h; ++dy) {
        const std::int64_t ty = std::int64_t{y} + dy;
        if (ty < 0 || ty >= out.Height()) continue;
        const std::int64_t sy =
            std::int64_t{ySrc} + (useSource ? (2 * std::int64_t{dy} + 1) * hSrc / (2 * std::int64_t{h}) : 0);
        if (useSource && (sy < 0 || sy >= src.Height())) continue;
        for (std::int32_t dx = 0; dx < w; ++dx) {
            const std::int64_t tx = std::int64_t{x} + dx;
            if (tx < 0 || tx >= out.Width()) continue;
            std::uint32_t s = 0;
            if (useSource) {
                const std::int64_t sx = std::int64_t{xSrc} + (2 * std::int64_t{dx} + 1) * wSrc / (2 * std::int64_t{w});
                if (sx < 0 || sx >= src.Width()) continue;
                s = src.Bitmap().Pixel(static_cast<std::int32_t>(sx), static_cast<std::int32_t>(sy));
                if (src.Format() == eFormat::Mono && !dstMono)
                    s = s ? dst.bkColour : dst.textColour;
                else if (src.Format() != eFormat::Mono && dstMono)
                    s = (s & kWhite) == (src.bkColour & kWhite) ? kWhite : kBlack;
            }
            const auto tx32 = static_cast<std::int32_t>(tx), ty32 = static_cast<std::int32_t>(ty);
            std::uint32_t r = Rop3(index, pattern, s, out.Pixel(tx32, ty32));
            if (dstMono) r = (r & 1) ? kWhite : kBlack;
            out.SetPixel(tx32, ty32, r);
        }
    }
    return true;
}

bool BitBlt(cSurface& dst, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, const cSurface& src,
            std::int32_t xSrc, std::int32_t ySrc, std::uint32_t rop) {
    return StretchBlt(dst, x, y, w, h, src, xSrc, ySrc, w, h, rop);
}

// ---- icons

bool cIcon::HasAlpha() const noexcept {
    if (colour.Format() != eFormat::Argb32) return false;
    for (std::uint32_t v : colour.Pixels())
        if (v >> 24) return true;
    return false;
}

cBitmap cIcon::Argb() const {
    cBitmap out(eFormat::Argb32, Width(), Height());
    if (out.Empty()) return out;
    const bool alpha = HasAlpha();
    // The colour bitmap, when there is one, has the mask's size (CreateIconIndirect sees to it).
    const auto colours = colour.Pixels();
    const auto masks = mask.Pixels();
    const bool mono = colour.Format() == eFormat::Mono;
    auto px = out.Pixels();
    for (std::size_t i = 0; i < px.size(); ++i) {
        std::uint32_t c = colours.empty() ? 0 : colours[i];
        if (mono) c &= kWhite;
        if (alpha) {
            px[i] = c;
        } else if (masks[i] == 0) {
            px[i] = (c & kWhite) | 0xFF000000;
        }
    }
    return out;
}

cIconHandle CreateIconIndirect(const cIconInfo& info) {
    if (!info.hbmMask || info.hbmMask->Empty()) return {};
    cIcon icon;
    icon.fIcon = info.fIcon;
    icon.xHotspot = info.xHotspot;
    icon.yHotspot = info.yHotspot;
    if (info.hbmColor && !info.hbmColor->Empty()) {
        if (info.hbmColor->Width() != info.hbmMask->Width() || info.hbmColor->Height() != info.hbmMask->Height())
            return {};
        icon.colour = *info.hbmColor;
    } else if (info.fIcon) {
        return {};
    }
    // The mask is kept monochrome whatever it came as.
    if (info.hbmMask->Format() == eFormat::Mono) {
        icon.mask = *info.hbmMask;
    } else {
        icon.mask = cBitmap(eFormat::Mono, info.hbmMask->Width(), info.hbmMask->Height());
        for (std::int32_t y = 0; y < icon.mask.Height(); ++y)
            for (std::int32_t x = 0; x < icon.mask.Width(); ++x) icon.mask.SetPixel(x, y, info.hbmMask->Pixel(x, y));
    }
    return cIconHandle(std::move(icon));
}

bool DrawIconEx(cSurface& dc, std::int32_t x, std::int32_t y, const cIconHandle& handle, std::int32_t w,
                std::int32_t h) {
    if (!handle || dc.Bitmap().Empty()) return false;
    const cIcon& icon = *handle;
    if (w == 0) w = icon.Width();
    if (h == 0) h = icon.Height();
    if (w < 0 || h < 0) return false;
    const bool alpha = icon.HasAlpha();
    const bool mono = dc.Format() == eFormat::Mono;
    cBitmap& out = dc.Bitmap();
    for (std::int32_t dy = 0; dy < h; ++dy) {
        const std::int64_t ty = std::int64_t{y} + dy;
        if (ty < 0 || ty >= out.Height()) continue;
        const auto sy = static_cast<std::int32_t>((2 * std::int64_t{dy} + 1) * icon.Height() / (2 * std::int64_t{h}));
        for (std::int32_t dx = 0; dx < w; ++dx) {
            const std::int64_t tx = std::int64_t{x} + dx;
            if (tx < 0 || tx >= out.Width()) continue;
            const auto sx =
                static_cast<std::int32_t>((2 * std::int64_t{dx} + 1) * icon.Width() / (2 * std::int64_t{w}));
            const auto tx32 = static_cast<std::int32_t>(tx), ty32 = static_cast<std::int32_t>(ty);
            const std::uint32_t d = out.Pixel(tx32, ty32);
            std::uint32_t c = icon.colour ? icon.colour.Pixel(sx, sy) : 0;
            if (icon.colour.Format() == eFormat::Mono && !mono) c = c ? kWhite : kBlack;
            if (alpha && !mono) {
                // Straight alpha over the destination.
                const std::uint32_t a = c >> 24, da = d >> 24;
                const std::uint32_t oa = a * 255 + da * (255 - a); // alpha x 255
                if (oa == 0) {
                    out.SetPixel(tx32, ty32, 0);
                    continue;
                }
                std::uint32_t result = (std::min<std::uint32_t>(255, (oa + 127) / 255)) << 24;
                for (int shift = 0; shift <= 16; shift += 8) {
                    const std::uint32_t sc = (c >> shift) & 0xFF, dcol = (d >> shift) & 0xFF;
                    const std::uint32_t v = (sc * a * 255 + dcol * da * (255 - a) + oa / 2) / oa;
                    result |= std::min<std::uint32_t>(255, v) << shift;
                }
                out.SetPixel(tx32, ty32, result);
            } else {
                const std::uint32_t m = icon.mask.Pixel(sx, sy);
                if (mono) c = alpha ? ToMono(c) : (c & kWhite);
                std::uint32_t r = ((d & (m ? kWhite : kBlack)) ^ (c & kWhite)) & kWhite;
                // The icon's own pixels are opaque; where the mask lets the screen through, its
                // alpha stays.
                r |= mono ? 0 : (m ? (d & 0xFF000000) : 0xFF000000);
                out.SetPixel(tx32, ty32, r);
            }
        }
    }
    return true;
}

// ---- smooth scaling

std::pair<std::int32_t, std::int32_t> FittedSize(std::int32_t w, std::int32_t h, std::int32_t size) {
    if (w <= 0 || h <= 0) return {0, 0};
    const auto other = [size](std::int32_t small, std::int32_t large) {
        return std::max<std::int32_t>(1, static_cast<std::int32_t>(std::lround(double(small) * size / large)));
    };
    if (w >= h) return {size, other(h, w)};
    return {other(w, h), size};
}

cBitmap ScaleSmooth(const cBitmap& src, std::int32_t w, std::int32_t h) {
    cBitmap out(eFormat::Argb32, w, h);
    if (out.Empty() || src.Empty()) return {};
    // A separable tent filter whose support grows with the reduction: bilinear when growing, a
    // weighted area average when shrinking. Colours are premultiplied by alpha meanwhile.
    auto weights = [](std::int32_t from, std::int32_t to) {
        struct cTap {
            std::int32_t first;
            std::vector<float> w;
        };
        std::vector<cTap> taps(static_cast<std::size_t>(to));
        const double scale = static_cast<double>(from) / to;
        const double support = std::max(1.0, scale);
        for (std::int32_t i = 0; i < to; ++i) {
            const double centre = (i + 0.5) * scale - 0.5;
            const auto lo = static_cast<std::int32_t>(std::floor(centre - support)) + 1;
            const auto hi = static_cast<std::int32_t>(std::ceil(centre + support)) - 1;
            cTap& t = taps[static_cast<std::size_t>(i)];
            t.first = std::max(0, lo);
            double sum = 0;
            for (std::int32_t j = t.first; j <= std::min(from - 1, hi); ++j) {
                const double wt = std::max(0.0, 1.0 - std::abs(j - centre) / support);
                t.w.push_back(static_cast<float>(wt));
                sum += wt;
            }
            if (t.w.empty()) {
                t.first = std::clamp(static_cast<std::int32_t>(std::lround(centre)), 0, from - 1);
                t.w.push_back(1.0f);
                sum = 1;
            }
            for (float& f : t.w) f = static_cast<float>(f / sum);
        }
        return taps;
    };
    const auto xs = weights(src.Width(), w), ys = weights(src.Height(), h);
    // Horizontal pass into premultiplied floats.
    std::vector<std::array<float, 4>> mid(static_cast<std::size_t>(w) * static_cast<std::size_t>(src.Height()));
    // Each source row once as alpha (0..1) and its three channels.
    std::vector<std::array<float, 4>> row(static_cast<std::size_t>(src.Width()));
    for (std::int32_t y = 0; y < src.Height(); ++y) {
        for (std::int32_t x = 0; x < src.Width(); ++x) {
            std::uint32_t v = src.Pixel(x, y);
            if (src.Format() == eFormat::Mono) v |= 0xFF000000;
            row[static_cast<std::size_t>(x)] = {static_cast<float>(v >> 24) / 255.0f,
                                                static_cast<float>((v >> 16) & 0xFF),
                                                static_cast<float>((v >> 8) & 0xFF), static_cast<float>(v & 0xFF)};
        }
        for (std::int32_t x = 0; x < w; ++x) {
            std::array<float, 4> acc{};
            const auto& t = xs[static_cast<std::size_t>(x)];
            for (std::size_t k = 0; k < t.w.size(); ++k) {
                const auto& p = row[static_cast<std::size_t>(t.first) + k];
                const float wa = t.w[k] * p[0];
                acc[0] += wa;
                acc[1] += wa * p[1];
                acc[2] += wa * p[2];
                acc[3] += wa * p[3];
            }
            mid[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)] = acc;
        }
    }
    for (std::int32_t y = 0; y < h; ++y) {
        const auto& t = ys[static_cast<std::size_t>(y)];
        for (std::int32_t x = 0; x < w; ++x) {
            std::array<float, 4> acc{};
            for (std::size_t k = 0; k < t.w.size(); ++k) {
                const auto& m =
                    mid[static_cast<std::size_t>(t.first + static_cast<std::int32_t>(k)) * static_cast<std::size_t>(w) +
                        static_cast<std::size_t>(x)];
                for (int c = 0; c < 4; ++c) acc[static_cast<std::size_t>(c)] += t.w[k] * m[static_cast<std::size_t>(c)];
            }
            std::uint32_t v = 0;
            if (acc[0] > 0.0f) {
                auto channel = [&](float premultiplied) {
                    return static_cast<std::uint32_t>(std::clamp(std::lround(premultiplied / acc[0]), 0L, 255L));
                };
                const auto a = static_cast<std::uint32_t>(std::clamp(std::lround(acc[0] * 255.0f), 0L, 255L));
                v = (a << 24) | (channel(acc[1]) << 16) | (channel(acc[2]) << 8) | channel(acc[3]);
            }
            out.SetPixel(x, y, v);
        }
    }
    return out;
}

bool IsPngBlock(cByteView block) noexcept { return block.StartsWith(kPngSignature); }

} // namespace mDib
