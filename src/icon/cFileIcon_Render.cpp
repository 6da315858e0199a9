// cFileIcon: rendering. Image blocks become bitmaps through the mDib stand-ins for the GDI calls:
// the colour bitmap by SetDIBitsToDevice of the block's header (height halved) and palette, the
// mask by SetDIBitsToDevice of a separate 1-bit black-and-white description. Both are made at the
// image's real size, from its own header (BITMAPINFOHEADER or PNG IHDR), not the directory's.
// Headers are copied, never patched in place, so the blocks stay unchanged.

#include "icon/cFileIcon.h"

#include <algorithm>

namespace {

// The mask of a PNG image: white (1, transparent) where the alpha is 0.
mDib::cBitmap MaskFromAlpha(const mDib::cBitmap& argb) {
    mDib::cBitmap mask(mDib::eFormat::Mono, argb.Width(), argb.Height());
    const auto from = argb.Pixels();
    auto to = mask.Pixels();
    for (std::size_t i = 0; i < to.size(); ++i) to[i] = (from[i] >> 24) == 0 ? mDib::kWhite : mDib::kBlack;
    return mask;
}

// A decoded ARGB picture in another surface format (a monochrome device).
mDib::cBitmap InFormat(mDib::cBitmap argb, mDib::eFormat format) {
    if (format == argb.Format()) return argb;
    mDib::cBitmap out(format, argb.Width(), argb.Height());
    for (std::int32_t y = 0; y < out.Height(); ++y)
        for (std::int32_t x = 0; x < out.Width(); ++x) out.SetPixel(x, y, argb.Pixel(x, y) & mDib::kWhite);
    return out;
}

} // namespace

mDib::cBitmap cFileIcon::RenderImage(mDib::eFormat format, mDib::cSurface* drawOn, std::span<const std::uint8_t> bytes,
                                     bool mask, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                                     std::uint32_t rop, bool keep) {
    const cByteView block(bytes);
    const auto layout = mDib::ParseBlock(block);
    if (!layout) return {};

    // The memory context with its bitmap: compatible with the given context for the colour
    // bitmap, monochrome for the mask.
    mDib::cSurface memory;
    if (layout->png) {
        mDib::cBitmap argb = mDib::DecodePng(block);
        if (argb.Empty()) return {};
        memory = mDib::cSurface(mask ? MaskFromAlpha(argb) : InFormat(std::move(argb), format));
    } else if (mask) {
        memory = mDib::cSurface(mDib::eFormat::Mono, layout->width, layout->height);
        if (memory.Bitmap().Empty()) return {};
        if (layout->hasMask &&
            mDib::SetDIBitsToDevice(memory, 0, 0, layout->width, layout->height, 0, 0, 0, layout->height,
                                    block.From(layout->maskOffset), layout->mask) == 0)
            return {};
    } else {
        memory = mDib::cSurface(format, layout->width, layout->height);
        if (memory.Bitmap().Empty()) return {};
        if (mDib::SetDIBitsToDevice(memory, 0, 0, layout->width, layout->height, 0, 0, 0, layout->height,
                                    block.From(layout->colourOffset), layout->colour) == 0)
            return {};
    }

    if (drawOn) {
        const std::int32_t w = memory.Width(), h = memory.Height();
        if (width == 0 && height == 0) {
            mDib::BitBlt(*drawOn, x, y, w, h, memory, 0, 0, rop);
        } else {
            mDib::StretchBlt(*drawOn, x, y, width == 0 ? w : width, height == 0 ? h : height, memory, 0, 0, w, h, rop);
        }
    }
    return keep ? memory.TakeBitmap() : mDib::cBitmap();
}

void cFileIcon::DrawIconImage(mDib::cSurface& dc, std::int32_t n, std::int32_t part, std::int32_t x, std::int32_t y,
                              std::int32_t width, std::int32_t height, std::uint32_t rop) const {
    RenderImage(dc.Format(), &dc, Block(n), part != 0, x, y, width, height, rop, false);
}

mDib::cIconHandle cFileIcon::BlockIcon(mDib::eFormat format, std::span<const std::uint8_t> bytes) {
    mDib::cBitmap colour, mask;
    if (IsPng(bytes)) {
        // Both halves come out of one decoding of the stream (it is the costly part of a large
        // image): the mask from its alpha, the colours in the context's format.
        const cByteView block(bytes);
        if (!mDib::ParseBlock(block)) return {};
        mDib::cBitmap argb = mDib::DecodePng(block);
        if (argb.Empty()) return {};
        mask = MaskFromAlpha(argb);
        colour = InFormat(std::move(argb), format);
    } else {
        colour = RenderImage(format, nullptr, bytes, false, 0, 0, 0, 0, mDib::kSrcCopy, true);
        mask = RenderImage(format, nullptr, bytes, true, 0, 0, 0, 0, mDib::kSrcCopy, true);
    }
    if (colour.Empty() || mask.Empty()) return {};
    mDib::cIconInfo info;
    info.fIcon = true; // an icon, not a cursor
    info.xHotspot = 0;
    info.yHotspot = 0;
    info.hbmMask = &mask;
    info.hbmColor = &colour;
    return mDib::CreateIconIndirect(info);
}

mDib::cIconHandle cFileIcon::IconHandle(const mDib::cSurface& dc, std::int32_t n) const {
    return BlockIcon(dc.Format(), Block(n));
}

mDib::cBitmap cFileIcon::BlockArgb(std::span<const std::uint8_t> bytes) {
    if (!IsPng(bytes)) {
        const mDib::cIconHandle icon = BlockIcon(mDib::eFormat::Argb32, bytes);
        return icon ? icon->Argb() : mDib::cBitmap();
    }
    // A PNG image's icon has the decoded colours and a mask from their alpha. Drawn onto
    // transparency it is those colours as they are when any alpha is set; when none is, its mask
    // hides every pixel. Made without the icon's copies of its bitmaps.
    const cByteView block(bytes);
    if (!mDib::ParseBlock(block)) return {};
    mDib::cBitmap argb = mDib::DecodePng(block);
    if (argb.Empty()) return {};
    for (const std::uint32_t v : argb.Pixels())
        if (v >> 24) return argb;
    return mDib::cBitmap(mDib::eFormat::Argb32, argb.Width(), argb.Height());
}

mDib::cBitmap cFileIcon::ImageArgb(std::int32_t n) const { return BlockArgb(Block(n)); }

mDib::cIconHandle cFileIcon::IconHandle(std::int32_t n) const {
    return IconHandle(mDib::cSurface(mDib::cSurface::kScreenFormat, 1, 1), n);
}

mDib::cPicture cFileIcon::IconPicture(const mDib::cSurface& dc, std::int32_t n) const {
    return PictureFromHandle(IconHandle(dc, n));
}

mDib::cPicture cFileIcon::IconPicture(std::int32_t n) const { return PictureFromHandle(IconHandle(n)); }

mDib::cPicture cFileIcon::PictureFromHandle(mDib::cIconHandle handle) {
    if (!handle) return {};
    return mDib::cPicture(std::move(handle));
}
