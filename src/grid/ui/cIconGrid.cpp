#include "grid/ui/cIconGrid.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>
#include <cmath>

#include "base/mTwips.h"
#include "grid/ui/cIconGridAccessible.h"
#include "grid/ui/cScrollBars.h"
#include "grid/ui/mQtDib.h"
#include "icon/cFileIcon.h"

namespace {
constexpr std::int32_t kVertical = cScrollBars::kVertical;
}

cIconGrid::cIconGrid(QWidget* parent) : QAbstractScrollArea(parent) {
    cIconGridAccessible::Install();
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(false);
    // Create: sizes, the scroll wrapper on our own bars, the caption line height.
    UpdateClientSize();
    m_cScroll = new cScrollBars(this);
    m_cScroll->Create(this);
    m_cScroll->SetSmallChange(kVertical, 8);
    // The height DrawText computes for one line of "Xg": the font's line height.
    textHeight_ = QFontMetrics(font()).height();
    connect(m_cScroll, &cScrollBars::Change, this, [this](int) { PaintItems(); });
    connect(m_cScroll, &cScrollBars::Scroll, this, [this](int) { PaintItems(); });
}

cIconGrid::~cIconGrid() {
    Clear();
    delete m_cScroll; // detaches from our bars
    m_cScroll = nullptr;
}

// ---- items

cIconGrid::cIconGridItem& cIconGrid::Item(std::int32_t index) {
    if (index < 1 || index > ItemCount()) cError::RaiseRuntime(cError::kSubscriptOutOfRange);
    return items_[static_cast<std::size_t>(index - 1)];
}

const cIconGrid::cIconGridItem& cIconGrid::Item(std::int32_t index) const {
    if (index < 1 || index > ItemCount()) cError::RaiseRuntime(cError::kSubscriptOutOfRange);
    return items_[static_cast<std::size_t>(index - 1)];
}

void cIconGrid::Init(const cFileIcon& icon) {
    Clear();
    if (icon.ImageCount() < 1) return;
    std::vector<cIconGridItem> items(static_cast<std::size_t>(icon.ImageCount()));
    for (std::int32_t i = 1; i <= icon.ImageCount(); ++i) {
        cIconGridItem& item = items[static_cast<std::size_t>(i - 1)];
        item.hIcon = icon.IconHandle(i);
        item.ColourCount = icon.ImageColourCount(i);
        item.Width = icon.ImageWidth(i);
        item.Height = icon.ImageHeight(i);
    }
    items_ = std::move(items);
    Draw();
}

void cIconGrid::Clear() { items_.clear(); }

void cIconGrid::Draw() {
    LayoutItems();
    PaintItems();
    cIconGridAccessible::Notify(this);
}

bool cIconGrid::Selected(std::int32_t index) const { return Item(index).Selected; }

void cIconGrid::SetSelected(std::int32_t index, bool state) {
    Item(index).Selected = state;
    currentItem_ = index;
    Draw();
}

std::int32_t cIconGrid::ItemTop(std::int32_t index) const { return Item(index).Top; }

QString cIconGrid::Caption(std::int32_t index) const {
    const cIconGridItem& item = Item(index);
    return CaptionFor(item.Width, item.Height, item.ColourCount);
}

QRect cIconGrid::ItemRect(std::int32_t index) const {
    const cIconGridItem& item = Item(index);
    return QRect(0, Offset() + item.Top, clientWidth_, CellHeight(item));
}

QString cIconGrid::CaptionFor(std::int32_t width, std::int32_t height, std::int32_t colours) {
    QString caption = tr("%1 x %2").arg(width).arg(height);
    if (colours > 256)
        caption += tr(", millions of colors");
    else
        caption += tr(", %1 colors").arg(colours);
    return caption;
}

// ---- geometry

double cIconGrid::TwipsPerPixelX() const { return mTwips::TwipsPerPixel(logicalDpiX()); }
double cIconGrid::TwipsPerPixelY() const { return mTwips::TwipsPerPixel(logicalDpiY()); }

QSize cIconGrid::minimumSizeHint() const {
    std::int32_t widest = 0;
    for (const auto& item : items_) widest = std::max(widest, item.Width);
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    return {static_cast<int>(widest) + 6 + bar + 2 * frameWidth(), QAbstractScrollArea::minimumSizeHint().height()};
}

void cIconGrid::UpdateClientSize() {
    clientWidth_ = viewport()->width();
    clientHeight_ = viewport()->height();
}

std::int32_t cIconGrid::Offset() const {
    return m_cScroll && m_cScroll->Visible(kVertical) ? -m_cScroll->Value(kVertical) : 0;
}

void cIconGrid::LayoutItems() {
    std::int64_t running = 0;
    for (auto& item : items_) {
        item.Top = static_cast<std::int32_t>(running);
        running += CellHeight(item);
    }
    const std::int64_t total = running;
    if (total > clientHeight_) {
        const std::int64_t over = total - clientHeight_;
        m_cScroll->SetMax(kVertical, static_cast<std::int32_t>(over));
        m_cScroll->SetLargeChange(kVertical, static_cast<std::int32_t>((total / over + 1) * clientHeight_));
        if (!m_cScroll->Visible(kVertical)) m_cScroll->SetVisible(kVertical, true);
    } else if (m_cScroll->Visible(kVertical)) {
        m_cScroll->SetVisible(kVertical, false);
    }
}

void cIconGrid::PaintItems() { viewport()->update(); }

// ---- painting

void cIconGrid::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    const QPalette& pal = palette();
    const QColor menu = pal.color(QPalette::Window); // COLOR_MENU
    const QColor highlight = pal.color(QPalette::Highlight); // COLOR_HIGHLIGHT
    const QColor highlightText = pal.color(QPalette::HighlightedText);
    const QColor windowText = pal.color(QPalette::WindowText);
    p.fillRect(QRect(0, 0, clientWidth_, clientHeight_), menu);

    const std::int32_t offset = Offset();
    const QFontMetrics fm(font());
    p.setFont(font());
    for (std::int32_t i = 1; i <= ItemCount(); ++i) {
        const cIconGridItem& item = items_[static_cast<std::size_t>(i - 1)];
        const std::int32_t top = offset + item.Top;
        const std::int32_t bottom = top + CellHeight(item);
        if (!(bottom >= 1 && top < clientHeight_)) continue;
        if (item.Selected) p.fillRect(QRect(0, top, clientWidth_, bottom - top), highlight);

        // DrawIconEx onto the cell's own background, so that masks and alpha compose as they do
        // on the screen.
        const std::int32_t x = (clientWidth_ - 6 - item.Width) / 2 + 2, y = top + 2;
        mDib::cSurface cell(mDib::eFormat::Argb32, item.Width, item.Height);
        if (!cell.Bitmap().Empty() && item.hIcon) {
            cell.Bitmap().Fill((item.Selected ? highlight : menu).rgb() | 0xFF000000u);
            mDib::DrawIconEx(cell, 0, 0, item.hIcon, item.Width, item.Height);
            p.drawImage(QPoint(x, y), mQtDib::ImageFromBitmap(cell.Bitmap()));
        }

        const QRect captionRect(2, top + 2 + item.Height + 2, clientWidth_ - 4, textHeight_);
        if (item.Selected) {
            p.setBackgroundMode(Qt::OpaqueMode);
            p.setBackground(highlight);
            p.setPen(highlightText);
        } else {
            p.setBackgroundMode(Qt::TransparentMode);
            p.setPen(windowText);
        }
        const QString caption = fm.elidedText(CaptionFor(item.Width, item.Height, item.ColourCount), Qt::ElideRight,
                                              std::max(0, captionRect.width()));
        p.drawText(captionRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, caption);

        if (hasFocus_ && i == currentItem_) {
            // DrawFocusRect: a dotted frame inside left 1, right ClientWidth, the cell's top and bottom.
            p.setBackgroundMode(Qt::TransparentMode);
            QPen pen(item.Selected ? highlightText : windowText);
            pen.setStyle(Qt::DotLine);
            p.setPen(pen);
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRect(1, top, clientWidth_ - 1 - 1, bottom - top - 1));
        }
    }
}

void cIconGrid::resizeEvent(QResizeEvent*) {
    UpdateClientSize();
    Draw();
}

void cIconGrid::scrollContentsBy(int, int) {
    // The grid repaints itself on the wrapper's Change and Scroll; nothing is moved.
}

// ---- focus, keys, mouse

void cIconGrid::GotFocus() {
    hasFocus_ = true;
    Draw();
}

void cIconGrid::LostFocus() {
    hasFocus_ = false;
    Draw();
}

void cIconGrid::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    GotFocus();
}

void cIconGrid::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    LostFocus();
}

std::int16_t cIconGrid::ShiftMask(Qt::KeyboardModifiers modifiers) {
    std::int16_t mask = 0;
    if (modifiers & Qt::ShiftModifier) mask |= kShiftMask;
    if (modifiers & Qt::ControlModifier) mask |= kCtrlMask;
    if (modifiers & Qt::AltModifier) mask |= kAltMask;
    return mask;
}

void cIconGrid::KeyDown(std::int16_t keyCode, std::int16_t shift) {
    if (keyCode != kKeyUp && keyCode != kKeyDown && keyCode != kKeySpace) return;
    // After an Init with fewer images the current item may lie past the end: it counts as the last.
    if (currentItem_ > ItemCount()) currentItem_ = ItemCount();
    const bool ctrl = shift & kCtrlMask, shifted = shift & kShiftMask;
    const std::int32_t c = currentItem_;
    if (keyCode == kKeyUp || keyCode == kKeyDown) {
        std::int32_t next = 0;
        if (keyCode == kKeyUp) {
            if (c < 2) return;
            next = c - 1;
        } else {
            if (c >= ItemCount()) return;
            next = c + 1;
        }
        if (ctrl) {
            currentItem_ = next;
        } else if (!shifted) {
            currentItem_ = next;
            for (std::int32_t i = 1; i <= ItemCount(); ++i) Item(i).Selected = i == next;
        } else {
            if (c >= 1) Item(c).Selected = true;
            Item(next).Selected = true;
            currentItem_ = next;
        }
    } else {
        if (c == 0) return;
        Item(c).Selected = !Item(c).Selected;
    }
    EnsureVisible(currentItem_);
    Draw();
}

void cIconGrid::MouseDownAt(std::int16_t button, std::int16_t shift, float, float y) {
    if ((button & kLeftButton) == 0) return;
    // Twips to pixels as the host converts: whole twips divided by whole twips per pixel.
    const long tpp = std::lround(TwipsPerPixelY());
    const long py = std::lround(y) / tpp;
    const std::int32_t offset = Offset();
    std::int32_t hit = 0;
    for (std::int32_t i = 1; i <= ItemCount(); ++i) {
        const cIconGridItem& item = items_[static_cast<std::size_t>(i - 1)];
        const std::int64_t top = std::int64_t{offset} + item.Top, bottom = top + CellHeight(item);
        if (top < py && py < bottom) {
            hit = i;
            break;
        }
    }
    if (hit == 0) return;
    if (shift & kCtrlMask) {
        Item(hit).Selected = !Item(hit).Selected;
    } else if (!(shift & kShiftMask)) {
        for (std::int32_t i = 1; i <= ItemCount(); ++i) Item(i).Selected = i == hit;
    } else {
        const std::int32_t lo = std::min(currentItem_, hit), hi = std::max(currentItem_, hit);
        for (std::int32_t i = 1; i <= ItemCount(); ++i) Item(i).Selected = lo <= i && i <= hi;
    }
    currentItem_ = hit;
    Draw();
}

bool cIconGrid::EnsureVisible(std::int32_t index) {
    if (!m_cScroll->Visible(kVertical)) return false;
    const cIconGridItem& item = Item(index);
    const std::int32_t value = m_cScroll->Value(kVertical);
    const std::int64_t top = -std::int64_t{value} + item.Top, bottom = top + CellHeight(item);
    if (bottom > clientHeight_) {
        m_cScroll->SetValue(kVertical, static_cast<std::int32_t>(value + (bottom - clientHeight_)));
        return true;
    }
    if (top < 0) {
        m_cScroll->SetValue(kVertical, static_cast<std::int32_t>(value + top));
        return true;
    }
    return false;
}

void cIconGrid::keyPressEvent(QKeyEvent* event) {
    std::int16_t code = 0;
    switch (event->key()) {
    case Qt::Key_Up: code = kKeyUp; break;
    case Qt::Key_Down: code = kKeyDown; break;
    case Qt::Key_Space: code = kKeySpace; break;
    default: event->ignore(); return; // no Page Up/Down, Home or End here
    }
    KeyDown(code, ShiftMask(event->modifiers()));
    event->accept();
}

void cIconGrid::mousePressEvent(QMouseEvent* event) {
    std::int16_t button = 0;
    if (event->button() == Qt::LeftButton)
        button = kLeftButton;
    else if (event->button() == Qt::RightButton)
        button = kRightButton;
    else if (event->button() == Qt::MiddleButton)
        button = kMiddleButton;
    const std::int16_t shift = ShiftMask(event->modifiers());
    const QPointF pos = event->position();
    dragFrom_ = button == kLeftButton ? pos : QPointF(-1, -1);
    const auto x = static_cast<float>(pos.x() * TwipsPerPixelX()), y = static_cast<float>(pos.y() * TwipsPerPixelY());
    emit MouseDown(button, shift, x, y);
    if (button & kLeftButton) MouseDownAt(button, shift, x, y);
}

void cIconGrid::mouseReleaseEvent(QMouseEvent* event) {
    dragFrom_ = {-1, -1};
    event->accept();
}

void cIconGrid::mouseMoveEvent(QMouseEvent* event) {
    if (dragFrom_.x() >= 0 && (event->buttons() & Qt::LeftButton) &&
        (event->position() - dragFrom_).manhattanLength() >= QApplication::startDragDistance()) {
        dragFrom_ = {-1, -1};
        emit DragRequested();
    }
    event->accept();
}
