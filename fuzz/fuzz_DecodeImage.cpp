// Decodes any bytes as an icon image block (BITMAPINFOHEADER + palette + XOR + AND, or PNG), makes
// the icon and draws it, as rendering does. Input that starts like an .ico file is also taken
// apart, and each image block its directory points at is decoded the same way, so the fixture
// icons seed the corpus well. A PNG stream that mDib::PngAsStored takes as it is must decode to
// the same pixels from what it gives.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/cByteView.h"
#include "platform/mDib.h"

namespace {

void DecodeBlock(cByteView block) {
    const auto layout = mDib::ParseBlock(block);
    if (!layout) return;
    mDib::cBitmap colour, mask;
    if (layout->png) {
        colour = mDib::DecodePng(block);
        // A stream taken as it is stored must decode, to the same pixels.
        const std::vector<std::uint8_t> stored = mDib::PngAsStored(block);
        if (!stored.empty() && (colour.Empty() || !(mDib::DecodePng(cByteView(stored)) == colour))) __builtin_trap();
        if (colour.Empty()) return;
        mask = mDib::cBitmap(mDib::eFormat::Mono, colour.Width(), colour.Height());
    } else {
        mDib::cSurface c(mDib::eFormat::Argb32, layout->width, layout->height);
        mDib::cSurface m(mDib::eFormat::Mono, layout->width, layout->height);
        mDib::SetDIBitsToDevice(c, 0, 0, layout->width, layout->height, 0, 0, 0, layout->height,
                                block.From(layout->colourOffset), layout->colour);
        if (layout->hasMask)
            mDib::SetDIBitsToDevice(m, 0, 0, layout->width, layout->height, 0, 0, 0, layout->height,
                                    block.From(layout->maskOffset), layout->mask);
        colour = c.TakeBitmap();
        mask = m.TakeBitmap();
    }
    mDib::cIconInfo info;
    info.hbmColor = &colour;
    info.hbmMask = &mask;
    const mDib::cIconHandle icon = mDib::CreateIconIndirect(info);
    if (!icon) return;
    const mDib::cBitmap argb = icon->Argb();
    mDib::cSurface screen(mDib::eFormat::Argb32, 40, 40);
    mDib::DrawIconEx(screen, -3, 5, icon, 37, 0);
    mDib::cSurface source(colour);
    mDib::StretchBlt(screen, 1, 1, 30, 20, source, 0, 0, source.Width(), source.Height(), mDib::kSrcInvert);
    if (argb.Width() <= 64 && argb.Height() <= 64) (void)mDib::ScaleSmooth(argb, 7, 9);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const cByteView bytes(data, size);
    DecodeBlock(bytes);
    // ICONDIR + ICONDIRENTRY records.
    if (size >= 6 && bytes.U16(0) == 0 && bytes.U16(2) == 1) {
        const std::uint16_t count = bytes.U16(4);
        for (std::size_t i = 0; i < count && i < 64; ++i) {
            const std::size_t entry = 6 + 16 * i;
            if (!bytes.Has(entry, 16)) break;
            const std::uint32_t length = bytes.U32(entry + 8), offset = bytes.U32(entry + 12);
            if (bytes.Has(offset, length)) DecodeBlock(bytes.Sub(offset, length));
        }
    }
    return 0;
}
