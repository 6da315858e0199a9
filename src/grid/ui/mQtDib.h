#pragma once
// mQtDib: the ui edge of the drawing stand-ins: mDib bitmaps, icon handles and pictures as Qt
// images, pixmaps and icons.

#include <QIcon>
#include <QImage>
#include <QPixmap>

#include "platform/mDib.h"

namespace mQtDib {

// An ARGB bitmap as QImage::Format_ARGB32 (straight alpha); a monochrome one as opaque black and
// white. Null for an empty bitmap.
QImage ImageFromBitmap(const mDib::cBitmap& bitmap);
// The icon drawn onto transparency (cIcon::Argb); null for handle 0.
QImage ImageFromIcon(const mDib::cIconHandle& icon);
QPixmap PixmapFromPicture(const mDib::cPicture& picture);
QIcon IconFromPicture(const mDib::cPicture& picture);
// An ARGB bitmap from a Qt image (any format).
mDib::cBitmap BitmapFromImage(const QImage& image);

} // namespace mQtDib
