#include "containers/ui/mSvgIcons.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <string>

#include "base/cError.h"
#include "containers/mContainers.h"

namespace mSvgIcons {

std::vector<std::uint8_t> Render(const std::vector<std::uint8_t>& svg, std::int32_t side) {
    if (side < 1 || side > 1024) return {};
    QSvgRenderer renderer(
        QByteArray::fromRawData(reinterpret_cast<const char*>(svg.data()), static_cast<qsizetype>(svg.size())));
    if (!renderer.isValid()) return {};
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSizeF size = renderer.defaultSize();
    if (size.isEmpty()) size = QSizeF(side, side);
    size.scale(side, side, Qt::KeepAspectRatio);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter,
                        QRectF((side - size.width()) / 2, (side - size.height()) / 2, size.width(), size.height()));
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.convertToFormat(QImage::Format_ARGB32).save(&buffer, "PNG")) return {};
    return std::vector<std::uint8_t>(png.begin(), png.end());
}

std::vector<std::vector<std::uint8_t>> RenderSides(const std::vector<std::uint8_t>& svg,
                                                   const std::vector<std::int32_t>& sides) {
    std::vector<std::vector<std::uint8_t>> pngs;
    for (const std::int32_t side : sides) {
        pngs.push_back(Render(svg, side));
        if (pngs.back().empty())
            throw cError(cError::kInvalidPicture, cError::SourceOf("mSvgIcons"),
                         "Qt's SVG module cannot draw it at " + std::to_string(side) + " x " + std::to_string(side));
    }
    return pngs;
}

void Install() { mContainers::SetSvgRenderer(&RenderSides); }

} // namespace mSvgIcons
