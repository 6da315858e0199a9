#include "app/ui/mAppIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>

namespace mAppIcon {

QImage Draw(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // The design is laid out on 256 units.
    const double u = size / 256.0;
    const bool small = size < 32;
    // A line of `units` units, never thinner than `pixels` pixels.
    const auto line = [u](double units, double pixels) { return std::max(units * u, pixels); };

    // The tile.
    const QRectF tile = small ? QRectF(0.5, 0.5, size - 1.0, size - 1.0) : QRectF(16 * u, 16 * u, 224 * u, 224 * u);
    QLinearGradient blue(tile.topLeft(), tile.bottomLeft());
    blue.setColorAt(0, QColor(0x3A, 0x72, 0xC4));
    blue.setColorAt(1, QColor(0x17, 0x3B, 0x73));
    p.setBrush(blue);
    p.setPen(QPen(QColor(0x10, 0x2A, 0x52), line(4, 1)));
    p.drawRoundedRect(tile, line(36, 2.5), line(36, 2.5));

    // Four small icons in a square.
    const QColor colours[] = {QColor(0xF2, 0xA3, 0x3A), QColor(0x5D, 0xBB, 0x63), QColor(0xE0, 0x56, 0x7A),
                              QColor(0xF5, 0xD5, 0x47)};
    const double cell = small ? size * 0.28 : 60 * u;
    const double gap = small ? size * 0.10 : 16 * u;
    const double origin = small ? size * 0.14 : 44 * u;
    p.setPen(small ? Qt::NoPen : QPen(QColor(255, 255, 255, 150), line(3, 1)));
    for (int i = 0; i < 4; ++i) {
        const QRectF square(origin + (i % 2) * (cell + gap), origin + (i / 2) * (cell + gap), cell, cell);
        p.setBrush(colours[i]);
        p.drawRoundedRect(square, cell * 0.18, cell * 0.18);
    }

    // The magnifying glass over the lower right icon.
    const QPointF centre = small ? QPointF(size * 0.62, size * 0.62) : QPointF(158 * u, 158 * u);
    const double radius = small ? size * 0.22 : 50 * u;
    const double ring = line(15, 1.6);
    p.setBrush(QColor(255, 255, 255, 90));
    p.setPen(QPen(QColor(0xF7, 0xF7, 0xF7), ring));
    p.drawEllipse(centre, radius, radius);
    const double reach = radius + ring / 2;
    const QPointF from(centre.x() + reach * 0.7071, centre.y() + reach * 0.7071);
    const QPointF to = small ? QPointF(size - 1.5, size - 1.5) : QPointF(226 * u, 226 * u);
    p.setPen(QPen(QColor(0x2A, 0x2A, 0x2A), line(26, 2.2), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    p.setPen(QPen(QColor(0xF7, 0xF7, 0xF7), line(14, 1.2), Qt::SolidLine, Qt::RoundCap));
    if (!small) p.drawLine(from, to);
    p.end();
    return image;
}

QImage DrawListFile(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double u = size / 256.0;
    const auto line = [u](double units, double pixels) { return std::max(units * u, pixels); };
    // A page with its corner folded.
    const double left = 40 * u, top = 12 * u, right = 216 * u, bottom = 244 * u, fold = 52 * u;
    QPainterPath page;
    page.moveTo(left, top);
    page.lineTo(right - fold, top);
    page.lineTo(right, top + fold);
    page.lineTo(right, bottom);
    page.lineTo(left, bottom);
    page.closeSubpath();
    p.setBrush(QColor(0xFA, 0xFA, 0xF7));
    p.setPen(QPen(QColor(0x6B, 0x6B, 0x6B), line(6, 1)));
    p.drawPath(page);
    QPainterPath corner;
    corner.moveTo(right - fold, top);
    corner.lineTo(right - fold, top + fold);
    corner.lineTo(right, top + fold);
    corner.closeSubpath();
    p.setBrush(QColor(0xD8, 0xD8, 0xD2));
    p.drawPath(corner);
    // The list: a check box and a line per entry, the first ones checked.
    const int rows = size < 32 ? 3 : 5;
    const double pitch = (size < 32 ? 48 : 30) * u;
    for (int i = 0; i < rows; ++i) {
        const double y = (size < 32 ? 70 : 76) * u + i * pitch;
        const double box = (size < 32 ? 26 : 18) * u;
        p.setPen(QPen(QColor(0x17, 0x3B, 0x73), line(4, 1)));
        p.setBrush(i < 2 ? QColor(0x3A, 0x72, 0xC4) : QColor(Qt::white));
        p.drawRect(QRectF(64 * u, y, box, box));
        p.setPen(QPen(QColor(0x80, 0x80, 0x80), line(8, 1), Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(64 * u + box + 14 * u, y + box / 2), QPointF((i % 2 ? 150 : 190) * u, y + box / 2));
    }
    // The program's tile in the lower corner says whose list it is.
    if (size >= 32) p.drawImage(QRectF(120 * u, 148 * u, 88 * u, 88 * u), Draw(std::max(16, size / 2)));
    p.end();
    return image;
}

QIcon Icon() {
    QIcon icon;
    for (const int size : kSizes) icon.addPixmap(QPixmap::fromImage(Draw(size)));
    return icon;
}

} // namespace mAppIcon
