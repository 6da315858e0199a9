#include "grid/ui/mQtDib.h"

#include <cstring>

namespace mQtDib {

QImage ImageFromBitmap(const mDib::cBitmap& bitmap) {
    if (bitmap.Empty()) return {};
    QImage image(bitmap.Width(), bitmap.Height(), QImage::Format_ARGB32);
    if (image.isNull()) return {};
    const bool mono = bitmap.Format() == mDib::eFormat::Mono;
    if (!mono) {
        // Both hold each pixel as one 0xAARRGGBB number: the rows copy as they are.
        const auto pixels = bitmap.Pixels();
        const auto width = static_cast<std::size_t>(bitmap.Width());
        for (std::int32_t y = 0; y < bitmap.Height(); ++y)
            std::memcpy(image.scanLine(y), pixels.data() + static_cast<std::size_t>(y) * width, width * 4);
        return image;
    }
    for (std::int32_t y = 0; y < bitmap.Height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (std::int32_t x = 0; x < bitmap.Width(); ++x) {
            const std::uint32_t v = bitmap.Pixel(x, y);
            line[x] = mono ? (v ? 0xFFFFFFFFu : 0xFF000000u) : v;
        }
    }
    return image;
}

QImage ImageFromIcon(const mDib::cIconHandle& icon) {
    if (!icon) return {};
    return ImageFromBitmap(icon->Argb());
}

QPixmap PixmapFromPicture(const mDib::cPicture& picture) {
    if (!picture) return {};
    return QPixmap::fromImage(ImageFromIcon(picture.Handle()));
}

QIcon IconFromPicture(const mDib::cPicture& picture) {
    if (!picture) return {};
    return QIcon(PixmapFromPicture(picture));
}

mDib::cBitmap BitmapFromImage(const QImage& image) {
    if (image.isNull()) return {};
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    mDib::cBitmap out(mDib::eFormat::Argb32, argb.width(), argb.height());
    if (out.Empty()) return out;
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) out.SetPixel(x, y, line[x]);
    }
    return out;
}

} // namespace mQtDib
