#pragma once
// cIconGrid: an owner-drawn list of every image of one icon, one cell per image (the image centred,
// a caption "32 x 32, 16 colors" under it), scrolled vertically by pixels through cScrollBars over
// its own vertical scroll bar. It owns one icon handle per image (made by cFileIcon::IconHandle)
// and the selection flags; CurrentItem (the focus rectangle, the anchor of Shift selection) and
// the scroll position survive Init and Clear. Item numbers are 1-based; CurrentItem 0 means none.
//
// Cell i: height TextHeight + Height + 6, top at offset + Top(i) where offset is -Value of the
// vertical bar while it is shown, else 0. Hit-testing is strict at both edges: the top pixel row
// of a cell belongs to no cell.
//
// Colours: the palette roles stand for the system colours: Window for the menu background,
// Highlight and HighlightedText for selected cells, WindowText for other captions.

#include <QAbstractScrollArea>

#include <cstdint>
#include <vector>

#include "platform/mDib.h"

class cFileIcon;
class cScrollBars;

class cIconGrid : public QAbstractScrollArea {
    Q_OBJECT

public:
    // Shift mask bits and key codes of KeyDown and MouseDown.
    static constexpr std::int16_t kShiftMask = 1;
    static constexpr std::int16_t kCtrlMask = 2;
    static constexpr std::int16_t kAltMask = 4;
    static constexpr std::int16_t kLeftButton = 1;
    static constexpr std::int16_t kRightButton = 2;
    static constexpr std::int16_t kMiddleButton = 4;
    static constexpr std::int16_t kKeySpace = 32;
    static constexpr std::int16_t kKeyUp = 38;
    static constexpr std::int16_t kKeyDown = 40;

    explicit cIconGrid(QWidget* parent = nullptr);
    ~cIconGrid() override;

    // Loads every image of the icon (replacing all items) and redraws; an icon without images
    // leaves the grid empty and does not redraw. Errors of the icon object propagate.
    void Init(const cFileIcon& icon);
    // Destroys every item; no redraw, CurrentItem and the scroll position are kept.
    void Clear();
    // Lays the items out (which shows or hides the scroll bar) and repaints.
    void Draw();
    // As wide as the widest image with its cell's margins, the frame and the scroll bar: a
    // narrower grid cuts that image.
    QSize minimumSizeHint() const override;

    std::int32_t ItemCount() const noexcept { return static_cast<std::int32_t>(items_.size()); }
    // The selection flag of item index (1..ItemCount; else the subscript error, nothing changed).
    bool Selected(std::int32_t index) const;
    // Sets the flag, makes index the current item, redraws.
    void SetSelected(std::int32_t index, bool state);
    // Scrolls so that the item is wholly visible; true when it scrolled. Nothing while the bar is
    // hidden; an index outside 1..ItemCount while it is shown is the subscript error.
    bool EnsureVisible(std::int32_t index);
    // Keyboard navigation: Up (38), Down (40), Space (32); shift mask 1 = Shift, 2 = Ctrl.
    void KeyDown(std::int16_t keyCode, std::int16_t shift);
    // Click selection at Y (twips, as the host counts); acts for the left button only.
    void MouseDownAt(std::int16_t button, std::int16_t shift, float x, float y);
    void GotFocus();
    void LostFocus();

    // State for the host and tests.
    std::int32_t CurrentItem() const noexcept { return currentItem_; }
    bool HasFocus() const noexcept { return hasFocus_; }
    std::int32_t TextHeight() const noexcept { return textHeight_; }
    std::int32_t ClientWidth() const noexcept { return clientWidth_; }
    std::int32_t ClientHeight() const noexcept { return clientHeight_; }
    cScrollBars& ScrollBars() const noexcept { return *m_cScroll; }
    // The content top of item index (set by layout) and its caption.
    std::int32_t ItemTop(std::int32_t index) const;
    QString Caption(std::int32_t index) const;
    // The cell of item index in the viewport's coordinates (as drawn, scrolling included).
    QRect ItemRect(std::int32_t index) const;
    static QString CaptionFor(std::int32_t width, std::int32_t height, std::int32_t colours);
    // Screen twips per pixel, 1440 / logical DPI (horizontal and vertical).
    double TwipsPerPixelX() const;
    double TwipsPerPixelY() const;

signals:
    // Every mouse press on the grid, before its own handling: button and shift masks as above,
    // X and Y in twips.
    void MouseDown(int Button, int Shift, float X, float Y);
    // The left button went down on the grid and moved by the drag distance: the chosen images are
    // to be dragged out.
    void DragRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    QPointF dragFrom_{-1, -1}; // where the left button went down
    struct cIconGridItem {
        mDib::cIconHandle hIcon;
        std::int32_t Width = 0;
        std::int32_t Height = 0;
        std::int32_t Top = 0;
        std::int32_t ColourCount = 0;
        bool Selected = false;
    };

    void LayoutItems();
    void PaintItems();
    void UpdateClientSize();
    std::int32_t Offset() const;
    std::int32_t CellHeight(const cIconGridItem& item) const { return textHeight_ + item.Height + 6; }
    cIconGridItem& Item(std::int32_t index);
    const cIconGridItem& Item(std::int32_t index) const;
    static std::int16_t ShiftMask(Qt::KeyboardModifiers modifiers);

    std::vector<cIconGridItem> items_;
    std::int32_t clientWidth_ = 0;
    std::int32_t clientHeight_ = 0;
    std::int32_t textHeight_ = 0;
    std::int32_t currentItem_ = 0;
    bool hasFocus_ = false;
    cScrollBars* m_cScroll = nullptr; // owned (child object)
};
