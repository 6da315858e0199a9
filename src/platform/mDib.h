#pragma once
// mDib: the stand-in for the GDI services the program draws icons with. It has
//  - cBitmap: a bitmap in one of two formats, monochrome or 32-bit ARGB (straight alpha, pixels as
//    0xAARRGGBB, rows top-down); a monochrome pixel is 0 (black) or 0x00FFFFFF (white);
//  - cSurface: a device context with its selected bitmap and the DC state the raster operations
//    read (background and text colour, the brush); "compatible" means "of the same format";
//  - the calls SetDIBitsToDevice, BitBlt, StretchBlt (any ternary raster operation),
//    CreateIconIndirect and DrawIconEx (DI_NORMAL);
//  - the parsing of icon image blocks (BITMAPINFOHEADER + palette + XOR bitmap + AND mask, or a PNG
//    stream) into descriptions of their two halves, and PNG decoding/encoding with libpng.
//
// Image blocks are untrusted: every field, the palette and every bitmap row are checked against
// the block's length before they are read, dimensions are capped (kMaxDimension), and a block
// that cannot be decoded gives an empty result, never a read outside the data.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "platform/cByteView.h"

namespace mDib {

// Largest width or height of a decoded image. Icon images are at most 256 pixels by the
// directory's bytes; PNG images of up to 1024 exist in the wild. A bitmap then takes at most
// 4 MiB, so drawing an image stays within a fixed amount of memory whatever its header claims (a
// PNG of a few bytes can claim any size).
constexpr std::int32_t kMaxDimension = 1024;

// Ternary raster operation codes (the GDI values).
constexpr std::uint32_t kSrcCopy = 0x00CC0020;
constexpr std::uint32_t kSrcPaint = 0x00EE0086;
constexpr std::uint32_t kSrcAnd = 0x008800C6;
constexpr std::uint32_t kSrcInvert = 0x00660046;
constexpr std::uint32_t kSrcErase = 0x00440328;
constexpr std::uint32_t kNotSrcCopy = 0x00330008;
constexpr std::uint32_t kNotSrcErase = 0x001100A6;
constexpr std::uint32_t kMergePaint = 0x00BB0226;
constexpr std::uint32_t kDstInvert = 0x00550009;
constexpr std::uint32_t kBlackness = 0x00000042;
constexpr std::uint32_t kWhiteness = 0x00FF0062;

constexpr std::uint32_t kBlack = 0x00000000;
constexpr std::uint32_t kWhite = 0x00FFFFFF;

// biCompression values.
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;

enum class eFormat { Mono, Argb32 };

class cBitmap {
public:
    cBitmap() = default;
    // A bitmap of w x h pixels, all 0 (black; transparent black for ARGB). Dimensions are
    // bounded by kMaxDimension; anything else gives an empty bitmap.
    cBitmap(eFormat format, std::int32_t width, std::int32_t height);

    bool Empty() const noexcept { return width_ == 0 || height_ == 0; }
    explicit operator bool() const noexcept { return !Empty(); }
    eFormat Format() const noexcept { return format_; }
    std::int32_t Width() const noexcept { return width_; }
    std::int32_t Height() const noexcept { return height_; }

    std::uint32_t Pixel(std::int32_t x, std::int32_t y) const { return pixels_[Index(x, y)]; }
    void SetPixel(std::int32_t x, std::int32_t y, std::uint32_t argb);
    std::span<const std::uint32_t> Pixels() const noexcept { return pixels_; }
    std::span<std::uint32_t> Pixels() noexcept { return pixels_; }
    void Fill(std::uint32_t argb);

    bool operator==(const cBitmap&) const = default;

private:
    std::size_t Index(std::int32_t x, std::int32_t y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
    }
    eFormat format_ = eFormat::Argb32;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::vector<std::uint32_t> pixels_;
};

// A device context with its bitmap selected. Default state as a fresh GDI DC: background white,
// text black, a white brush.
class cSurface {
public:
    cSurface() = default;
    cSurface(eFormat format, std::int32_t width, std::int32_t height) : bitmap_(format, width, height) {}
    explicit cSurface(cBitmap bitmap) : bitmap_(std::move(bitmap)) {}

    // The screen's format: what a bitmap "compatible with the screen" is.
    static constexpr eFormat kScreenFormat = eFormat::Argb32;

    eFormat Format() const noexcept { return bitmap_.Format(); }
    std::int32_t Width() const noexcept { return bitmap_.Width(); }
    std::int32_t Height() const noexcept { return bitmap_.Height(); }
    const cBitmap& Bitmap() const noexcept { return bitmap_; }
    cBitmap& Bitmap() noexcept { return bitmap_; }
    // Deselects the bitmap, handing it over (the surface is empty afterwards).
    cBitmap TakeBitmap() noexcept { return std::exchange(bitmap_, cBitmap()); }

    std::uint32_t bkColour = kWhite;
    std::uint32_t textColour = kBlack;
    std::uint32_t brush = kWhite;

private:
    cBitmap bitmap_;
};

// RGBQUAD
struct cRgbQuad {
    std::uint8_t blue = 0, green = 0, red = 0, reserved = 0;
    bool operator==(const cRgbQuad&) const = default;
};

// A bitmap description: a BITMAPINFOHEADER's fields and the colour table that follows it (the
// palette, or the three masks of BI_BITFIELDS).
struct cDibInfo {
    std::uint32_t biSize = 40;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0; // > 0: rows bottom-up; < 0: top-down
    std::uint16_t biPlanes = 1;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = kBiRgb;
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
    std::vector<cRgbQuad> palette;
    std::uint32_t redMask = 0, greenMask = 0, blueMask = 0; // BI_BITFIELDS

    // Bytes of one row of this bitmap.
    std::int32_t RowLength() const;
};

// Number of palette entries a header implies: biClrUsed when not 0, else 2, 16 or 256 for 1, 4
// and 8 bits per pixel, else 0.
std::uint32_t PaletteColours(std::uint32_t biClrUsed, std::uint16_t biBitCount) noexcept;

// The two halves of an icon image block as SetDIBitsToDevice takes them.
struct cBlockLayout {
    bool png = false;
    std::int32_t width = 0; // the image's real size (from its own header)
    std::int32_t height = 0;
    cDibInfo colour; // biHeight already halved
    std::size_t colourOffset = 0;
    cDibInfo mask; // 1 bit, black/white palette
    std::size_t maskOffset = 0;
    bool hasMask = false; // false only for a 32-bit image whose block ends after its colours
};

// Parses an image block. Nothing when the block is not a decodable DIB or PNG: short, a header
// that lies about its size, an unsupported format, a size out of bounds, bits past the end.
std::optional<cBlockLayout> ParseBlock(cByteView block);

// True when an image block is a PNG stream (its 8-byte signature) rather than a DIB.
bool IsPngBlock(cByteView block) noexcept;

// Decodes a PNG stream into an ARGB bitmap; empty when it is not a decodable PNG or its size is
// out of bounds.
cBitmap DecodePng(cByteView png);
// Encodes an ARGB bitmap as a PNG stream with alpha (8 bits per channel, RGBA). `fast` trades
// size for time (no row filters, quick deflate: about eight times faster, half as large again),
// for files that are made often and read back by programs, such as thumbnails.
std::vector<std::uint8_t> EncodePng(const cBitmap& argb, bool fast = false);
// The PNG stream EncodePng(DecodePng(png), true) would stand for, made without decoding or
// encoding: the stream's own IHDR and IDAT chunks, with the sRGB chunk EncodePng writes. Only a
// stream whose decoded pixels are its stored bytes qualifies: 8-bit RGBA or RGB, not interlaced,
// no gamma but sRGB's and no tRNS (its other ancillary chunks, colour profiles included, are
// ignored by the decoder and left out), and one that decodes whole: every chunk it keeps intact (CRC), no
// critical chunk but IHDR, IDAT and IEND, the zlib stream of consecutive IDATs inflating to
// exactly its rows, each with a known filter. A picture whose every pixel is fully transparent
// does not qualify either (an icon's PNG image shows nothing then: its colours are dropped).
// Empty when the stream does not qualify: decode and encode it then.
std::vector<std::uint8_t> PngAsStored(cByteView png);

// SetDIBitsToDevice with DIB_RGB_COLORS: draws w x h pixels of the DIB, source origin (xSrc, ySrc)
// from the bottom-left as GDI counts it for bottom-up DIBs, onto the surface at (xDest, yDest).
// Scan lines startScan .. startScan + lines - 1 are given in `bits`. Answers the number of scan
// lines set, 0 when the bits or the description are not usable (too short, bad depth).
std::int32_t SetDIBitsToDevice(cSurface& dc, std::int32_t xDest, std::int32_t yDest, std::int32_t w, std::int32_t h,
                               std::int32_t xSrc, std::int32_t ySrc, std::int32_t startScan, std::int32_t lines,
                               cByteView bits, const cDibInfo& info);

// BitBlt and StretchBlt (stretch mode COLORONCOLOR: nearest pixel). Pixels outside either
// surface are skipped; negative sizes (mirroring) are not supported and draw nothing (false).
// Monochrome sources are coloured with the destination's text (0) and background (1) colours;
// colour sources become monochrome by the source's background colour (that colour is white).
bool BitBlt(cSurface& dst, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, const cSurface& src,
            std::int32_t xSrc, std::int32_t ySrc, std::uint32_t rop);
bool StretchBlt(cSurface& dst, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, const cSurface& src,
                std::int32_t xSrc, std::int32_t ySrc, std::int32_t wSrc, std::int32_t hSrc, std::uint32_t rop);

// An icon as CreateIconIndirect makes it: copies of the colour bitmap and the mask.
class cIcon {
public:
    bool fIcon = true;
    std::uint32_t xHotspot = 0;
    std::uint32_t yHotspot = 0;
    cBitmap colour; // ARGB (or monochrome when made for a monochrome device)
    cBitmap mask; // monochrome

    std::int32_t Width() const noexcept { return mask.Width(); }
    std::int32_t Height() const noexcept { return mask.Height(); }
    // True when the colour bitmap is 32-bit with at least one alpha byte that is not 0: then its
    // alpha channel, not the mask, decides transparency.
    bool HasAlpha() const noexcept;
    // The icon drawn by DrawIconEx onto fully transparent pixels, as straight-alpha ARGB. Where
    // the mask would invert the screen (mask 1, colour not black) the pixel stays transparent,
    // as there is no screen under it.
    cBitmap Argb() const;
};

// ICONINFO
struct cIconInfo {
    bool fIcon = true;
    std::uint32_t xHotspot = 0;
    std::uint32_t yHotspot = 0;
    const cBitmap* hbmMask = nullptr;
    const cBitmap* hbmColor = nullptr;
};

// The icon handle of the program: owns its icon; 0 (empty) when no icon could be made.
class cIconHandle {
public:
    cIconHandle() = default;
    explicit cIconHandle(cIcon icon) : icon_(std::make_unique<cIcon>(std::move(icon))) {}
    explicit operator bool() const noexcept { return icon_ != nullptr; }
    bool operator==(std::nullptr_t) const noexcept { return icon_ == nullptr; }
    const cIcon& operator*() const { return *icon_; }
    const cIcon* operator->() const { return icon_.get(); }
    const cIcon* Get() const noexcept { return icon_.get(); }
    void Reset() noexcept { icon_.reset(); } // DestroyIcon

private:
    std::unique_ptr<cIcon> icon_;
};

// A picture object (PICTYPE_ICON) that owns its icon: releasing it destroys the icon.
class cPicture {
public:
    static constexpr std::int32_t kPicTypeIcon = 3;
    cPicture() = default;
    explicit cPicture(cIconHandle icon) : icon_(std::move(icon)) {}
    explicit operator bool() const noexcept { return static_cast<bool>(icon_); }
    std::int32_t Type() const noexcept { return icon_ ? kPicTypeIcon : 0; }
    const cIconHandle& Handle() const noexcept { return icon_; }
    std::int32_t Width() const noexcept { return icon_ ? icon_->Width() : 0; }
    std::int32_t Height() const noexcept { return icon_ ? icon_->Height() : 0; }

private:
    cIconHandle icon_;
};

// CreateIconIndirect: an icon from copies of the two bitmaps; empty when the mask is missing, the
// colour bitmap is missing for an icon, or the sizes differ.
cIconHandle CreateIconIndirect(const cIconInfo& info);

// DrawIconEx with DI_NORMAL, frame 0, no flicker-free brush: the icon at (x, y) stretched to
// w x h (0 = the icon's own size). An icon with alpha is blended by its alpha channel; otherwise
// the screen is ANDed with the mask and XORed with the colour bitmap.
bool DrawIconEx(cSurface& dc, std::int32_t x, std::int32_t y, const cIconHandle& icon, std::int32_t w = 0,
                std::int32_t h = 0);

// A smooth resampling of an ARGB bitmap to w x h (area average when shrinking, bilinear when
// growing, both on premultiplied colours).
cBitmap ScaleSmooth(const cBitmap& argb, std::int32_t w, std::int32_t h);
// w x h scaled to fit a square of `size`, keeping its proportions: the larger side becomes `size`,
// the other is rounded and at least 1; {0, 0} for an empty size.
std::pair<std::int32_t, std::int32_t> FittedSize(std::int32_t w, std::int32_t h, std::int32_t size);

} // namespace mDib
