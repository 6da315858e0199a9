#include "containers/ui/mSvgIcons.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <string>

#include "base/cError.h"
#include "containers/mContainers.h"

namespace mSvgIcons {

namespace {

// True for a data: URI carrying a PNG, JPEG, GIF or BMP picture. Any other picture the image
// plugins could read may be a drawing of its own (SVG, compressed or not), whose pictures could
// name files in turn.
bool CarriesARasterPicture(QStringView reference) {
    const QStringView uri = reference.trimmed();
    if (!uri.startsWith(u"data:", Qt::CaseInsensitive)) return false;
    const qsizetype comma = uri.indexOf(u',');
    if (comma < 0) return false;
    const QByteArray payload = uri.mid(comma + 1).toLatin1();
    const QByteArray bytes = uri.first(comma).contains(u";base64", Qt::CaseInsensitive)
                                 ? QByteArray::fromBase64(payload)
                                 : QByteArray::fromPercentEncoding(payload);
    return bytes.startsWith("\x89PNG\r\n\x1a\n") || bytes.startsWith("\xff\xd8\xff") || bytes.startsWith("GIF8") ||
           bytes.startsWith("BM");
}

// What makes the SVG module read a file: an <image> element (in any namespace) whose picture is
// not carried in the drawing as a raster picture (one named by its file, or another drawing), and
// a style sheet named by an xml-stylesheet instruction.
bool NamesAFile(const QXmlStreamReader& reader) {
    if (reader.isProcessingInstruction())
        return reader.processingInstructionTarget().compare(u"xml-stylesheet", Qt::CaseInsensitive) == 0;
    const auto is = [](QStringView qualified, QStringView local) {
        return qualified == local || (qualified.endsWith(local) && qualified.size() > local.size() &&
                                      qualified[qualified.size() - local.size() - 1] == u':');
    };
    if (!reader.isStartElement() || !is(reader.qualifiedName(), u"image")) return false;
    for (const QXmlStreamAttribute& a : reader.attributes())
        if (is(a.qualifiedName(), u"href") && !CarriesARasterPicture(a.value())) return true;
    return false;
}

// The PNG stream of the drawing fitted into side x side (its aspect kept, centred, transparent
// around it); empty when it cannot be drawn so.
std::vector<std::uint8_t> DrawAt(QSvgRenderer& renderer, std::int32_t side) {
    if (side < 1 || side > mContainers::kMaxSvgSide) return {};
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

} // namespace

QByteArray WithoutNamedFiles(const QByteArray& svg) {
    // Read as loosely as the SVG module reads (no namespace checks), so that nothing it would
    // see is passed over here.
    QXmlStreamReader scan(svg);
    scan.setNamespaceProcessing(false);
    bool named = false;
    while (!named && !scan.atEnd()) {
        scan.readNext();
        named = NamesAFile(scan);
    }
    if (!named) return svg;
    QByteArray out;
    QXmlStreamWriter writer(&out);
    QXmlStreamReader reader(svg);
    reader.setNamespaceProcessing(false);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.hasError()) break;
        if (NamesAFile(reader)) {
            if (reader.isStartElement()) reader.skipCurrentElement();
            continue;
        }
        writer.writeCurrentToken(reader);
    }
    return out;
}

std::vector<std::vector<std::uint8_t>> RenderSides(const std::vector<std::uint8_t>& svg,
                                                   const std::vector<std::int32_t>& sides) {
    // Read once, drawn at every side.
    QSvgRenderer renderer(WithoutNamedFiles(
        QByteArray::fromRawData(reinterpret_cast<const char*>(svg.data()), static_cast<qsizetype>(svg.size()))));
    std::vector<std::vector<std::uint8_t>> pngs;
    for (const std::int32_t side : sides) {
        std::vector<std::uint8_t> png = renderer.isValid() ? DrawAt(renderer, side) : std::vector<std::uint8_t>();
        if (png.empty())
            throw cError(cError::kInvalidPicture, cError::SourceOf("mSvgIcons"),
                         "Qt's SVG module cannot draw it at " + std::to_string(side) + " x " + std::to_string(side));
        pngs.push_back(std::move(png));
    }
    return pngs;
}

void Install() { mContainers::SetSvgRenderer(&RenderSides); }

} // namespace mSvgIcons
