#include "search/ui/cStatusStrip.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

cStatusStrip::cStatusStrip(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
}

void cStatusStrip::Print(const QString& text) {
    if (text != text_) {
        text_ = text;
        update();
    }
    emit Printed(text);
}

QSize cStatusStrip::sizeHint() const {
    return {200, std::max(kDesignHeight, fontMetrics().height() + 2 * frameWidth() + 2)};
}

void cStatusStrip::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter p(this);
    const QRect area = contentsRect().adjusted(3, 0, -3, 0);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(area, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
               fontMetrics().elidedText(text_, Qt::ElideMiddle, area.width()));
}

void cStatusStrip::mouseDoubleClickEvent(QMouseEvent* event) {
    QFrame::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) emit DblClick();
}
