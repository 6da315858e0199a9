#include "support/ui/mToolbarPictures.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>
#include <map>

namespace mToolbarPictures {

namespace {

const std::map<QString, QString>& ThemeNames() {
    static const std::map<QString, QString> names{
        {"open", "document-open"},
        {"save", "document-save"},
        {"copy", "edit-copy"},
        {"print", "document-print"},
        {"viewlarge", "view-list-icons"},
        {"viewsmall", "view-list-compact"},
        {"viewlist", "view-list-text"},
        {"viewdetails", "view-list-details"},
        {"properties", "document-properties"},
        {"launch", "applications-graphics"},
        {"recurse", "system-search"},
        {"glintsmith", "preferences-desktop-theme"},
        {"help", "help-contents"},
        {"about", "help-about"},
        // The search window's own keys.
        {"new", "document-new"},
        {"add", "list-add"},
        {"delete", "list-remove"},
        {"extract", "document-save-all"},
        {"helprecurse", "help-faq"},
        {"Stop", "process-stop"},
    };
    return names;
}

// Every picture is drawn on a 16-unit square scaled to the asked size. Outlines and strokes take
// the palette's text colour, so that they stay in sight on a dark palette as on a light one.
QColor Ink() { return QGuiApplication::palette().color(QPalette::Active, QPalette::WindowText); }
const QColor kPaper(255, 255, 255);
const QColor kFolder(230, 180, 60);
const QColor kBlue(50, 100, 190);
const QColor kGreen(60, 150, 70);
const QColor kRed(200, 50, 40);

void Page(QPainter& p, QRectF r) {
    p.setPen(QPen(Ink(), 0.8));
    p.setBrush(kPaper);
    p.drawRect(r);
}

void Lines(QPainter& p, qreal x, qreal y, qreal w, int count, qreal step) {
    p.setPen(QPen(Ink(), 0.8));
    for (int i = 0; i < count; ++i) p.drawLine(QPointF(x, y + i * step), QPointF(x + w, y + i * step));
}

void Squares(QPainter& p, int perRow, qreal cell, qreal gap) {
    p.setPen(QPen(Ink(), 0.6));
    p.setBrush(kBlue);
    const qreal start = (16 - (perRow * cell + (perRow - 1) * gap)) / 2;
    for (int y = 0; y < perRow; ++y)
        for (int x = 0; x < perRow; ++x)
            p.drawRect(QRectF(start + x * (cell + gap), start + y * (cell + gap), cell, cell));
}

void Draw(QPainter& p, const QString& key) {
    if (key == "open") {
        p.setPen(QPen(Ink(), 0.8));
        p.setBrush(kFolder.darker(115));
        p.drawRect(QRectF(1.5, 4.5, 12, 9));
        p.setBrush(kFolder);
        QPainterPath flap;
        flap.moveTo(3.5, 7.5);
        flap.lineTo(15, 7.5);
        flap.lineTo(13, 13.5);
        flap.lineTo(1.5, 13.5);
        flap.closeSubpath();
        p.drawPath(flap);
    } else if (key == "save") {
        p.setPen(QPen(Ink(), 0.8));
        p.setBrush(kBlue);
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(kPaper);
        p.drawRect(QRectF(4, 1.5, 8, 5));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(4, 9.5, 8, 5));
    } else if (key == "copy") {
        Page(p, QRectF(1.5, 1.5, 8, 10));
        Page(p, QRectF(6.5, 4.5, 8, 10));
        Lines(p, 8, 7.5, 5, 3, 2);
    } else if (key == "print") {
        Page(p, QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(170, 170, 170));
        p.drawRect(QRectF(1.5, 6.5, 13, 6));
        Page(p, QRectF(4.5, 10.5, 7, 4));
    } else if (key == "viewlarge") {
        Squares(p, 2, 5.5, 2);
    } else if (key == "viewsmall") {
        Squares(p, 3, 3.5, 1.5);
    } else if (key == "viewlist") {
        p.setPen(QPen(Ink(), 0.6));
        p.setBrush(kBlue);
        for (int col = 0; col < 2; ++col)
            for (int row = 0; row < 3; ++row) {
                p.drawRect(QRectF(1.5 + col * 7.5, 2.5 + row * 4.5, 2.5, 2.5));
                p.drawLine(QPointF(5 + col * 7.5, 3.75 + row * 4.5), QPointF(7.5 + col * 7.5, 3.75 + row * 4.5));
            }
    } else if (key == "viewdetails") {
        p.setPen(QPen(Ink(), 0.6));
        p.setBrush(kBlue);
        for (int row = 0; row < 4; ++row) {
            p.drawRect(QRectF(1.5, 1.5 + row * 3.5, 2.5, 2.5));
            p.drawLine(QPointF(5.5, 2.75 + row * 3.5), QPointF(10, 2.75 + row * 3.5));
            p.drawLine(QPointF(11.5, 2.75 + row * 3.5), QPointF(14.5, 2.75 + row * 3.5));
        }
    } else if (key == "properties") {
        Page(p, QRectF(2.5, 1.5, 11, 13));
        p.setPen(QPen(Ink(), 0.8));
        p.setBrush(kGreen);
        for (int i = 0; i < 3; ++i) p.drawRect(QRectF(4, 4 + i * 3.5, 2, 2));
        Lines(p, 7.5, 5, 4.5, 3, 3.5);
    } else if (key == "launch") {
        // A brush over a canvas.
        Page(p, QRectF(1.5, 3.5, 10, 11));
        p.setPen(QPen(QColor(120, 80, 40), 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(14.5, 1.5), QPointF(8, 8));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 40, 40));
        p.drawEllipse(QPointF(6.5, 9.5), 2.2, 2.2);
    } else if (key == "recurse") {
        p.setPen(QPen(Ink(), 1.2));
        p.setBrush(QColor(200, 225, 255));
        p.drawEllipse(QPointF(6.5, 6.5), 4.5, 4.5);
        p.setPen(QPen(Ink(), 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10, 10), QPointF(14.5, 14.5));
    } else if (key == "glintsmith") {
        // A four-pointed spark.
        QPainterPath star;
        star.moveTo(8, 0.5);
        star.lineTo(9.6, 6.4);
        star.lineTo(15.5, 8);
        star.lineTo(9.6, 9.6);
        star.lineTo(8, 15.5);
        star.lineTo(6.4, 9.6);
        star.lineTo(0.5, 8);
        star.lineTo(6.4, 6.4);
        star.closeSubpath();
        p.setPen(QPen(Ink(), 0.6));
        p.setBrush(QColor(240, 200, 40));
        p.drawPath(star);
    } else if (key == "new") {
        // A page with its corner folded.
        QPainterPath page;
        page.moveTo(3.5, 1.5);
        page.lineTo(9.5, 1.5);
        page.lineTo(12.5, 4.5);
        page.lineTo(12.5, 14.5);
        page.lineTo(3.5, 14.5);
        page.closeSubpath();
        p.setPen(QPen(Ink(), 0.8));
        p.setBrush(kPaper);
        p.drawPath(page);
        p.drawPolyline(QPolygonF({QPointF(9.5, 1.5), QPointF(9.5, 4.5), QPointF(12.5, 4.5)}));
    } else if (key == "add" || key == "delete") {
        // A list with a plus or a minus.
        Lines(p, 1.5, 3.5, 8, 3, 3);
        p.setPen(Qt::NoPen);
        p.setBrush(key == "add" ? kGreen : kRed);
        p.drawRect(QRectF(9, 10.75, 6.5, 2.5));
        if (key == "add") p.drawRect(QRectF(11, 8.75, 2.5, 6.5));
    } else if (key == "extract") {
        // Two icons coming out of a page.
        Page(p, QRectF(1.5, 1.5, 8, 11));
        p.setPen(QPen(Ink(), 0.6));
        p.setBrush(kBlue);
        p.drawRect(QRectF(7.5, 6.5, 4, 4));
        p.setBrush(kGreen);
        p.drawRect(QRectF(10.5, 10, 4.5, 4.5));
    } else if (key == "helprecurse") {
        // The search glass with a question mark.
        p.setPen(QPen(Ink(), 1.2));
        p.setBrush(kGreen);
        p.drawEllipse(QPointF(6.5, 6.5), 5, 5);
        p.setPen(QPen(Ink(), 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10.5, 10.5), QPointF(14.5, 14.5));
        QFont font = p.font();
        font.setBold(true);
        font.setPixelSize(8);
        p.setFont(font);
        p.setPen(kPaper);
        p.drawText(QRectF(1.5, 1.5, 10, 10), Qt::AlignCenter, "?");
    } else if (key == "Stop") {
        // An octagon.
        QPolygonF sign;
        for (int i = 0; i < 8; ++i) {
            const double a = (22.5 + 45.0 * i) * 3.14159265358979 / 180.0;
            sign << QPointF(8 + 7 * std::cos(a), 8 + 7 * std::sin(a));
        }
        p.setPen(QPen(Ink(), 0.8));
        p.setBrush(kRed);
        p.drawPolygon(sign);
        p.setPen(QPen(kPaper, 1.6));
        p.drawLine(QPointF(4.5, 8), QPointF(11.5, 8));
    } else if (key == "help" || key == "about") {
        p.setPen(QPen(Ink(), 0.8));
        p.setBrush(key == "help" ? kGreen : kBlue);
        p.drawEllipse(QRectF(1, 1, 14, 14));
        QFont font = p.font();
        font.setBold(true);
        font.setPixelSize(11);
        p.setFont(font);
        p.setPen(kPaper);
        p.drawText(QRectF(1, 1, 14, 14), Qt::AlignCenter, key == "help" ? "?" : "i");
    }
}

} // namespace

QString ThemeName(const QString& key) {
    const auto it = ThemeNames().find(key);
    return it == ThemeNames().end() ? QString() : it->second;
}

QPixmap Fallback(const QString& key, int size) {
    if (ThemeName(key).isEmpty() || size <= 0) return {};
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / 16.0, size / 16.0);
    Draw(p, key);
    return pixmap;
}

bool ThemeHasEveryPicture() {
    for (const auto& [key, name] : ThemeNames()) {
        if (!QIcon::hasThemeIcon(name)) return false;
    }
    return true;
}

QIcon Picture(const QString& key) {
    const QString name = ThemeName(key);
    if (name.isEmpty()) return {};
    if (ThemeHasEveryPicture()) return QIcon::fromTheme(name);
    QIcon icon;
    for (int size : {16, 22, 24, 32}) icon.addPixmap(Fallback(key, size));
    return icon;
}

} // namespace mToolbarPictures
