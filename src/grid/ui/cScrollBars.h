#pragma once
// cScrollBars: a property interface (Min, Max, Value, SmallChange, LargeChange, Visible, Enabled,
// per bar) over the horizontal and vertical QScrollBar of a scroll area, with the platform's
// range semantics: the range's top is held as nMax = Max + LargeChange and a page of P allows
// positions up to nMax - (P - 1), so paging and dragging reach Max + 1 while line steps stop at
// Max. The scroll bars' actions arrive as the window procedure's request codes (SB_LINEUP ...
// SB_ENDSCROLL) and are handled here; position changes are reported by the signals Change and
// Scroll (during a thumb drag).
//
// The record of each bar (nMin, nMax, nPage) is kept beside the QScrollBar, which holds the
// position and shows the range. There are no flat scroll bars: NoFlat is true once attached,
// CanBeFlat false, and a non-regular Style is ignored.

#include <QObject>
#include <QPointer>

#include <cstdint>

class QAbstractScrollArea;
class QScrollBar;

class cScrollBars : public QObject {
    Q_OBJECT

public:
    // Bar selector.
    static constexpr std::int32_t kHorizontal = 0; // SB_HORZ
    static constexpr std::int32_t kVertical = 1; // SB_VERT
    // Request codes of WM_HSCROLL / WM_VSCROLL.
    enum eRequest : std::int32_t {
        SB_LINEUP = 0,
        SB_LINEDOWN = 1,
        SB_PAGEUP = 2,
        SB_PAGEDOWN = 3,
        SB_THUMBPOSITION = 4,
        SB_THUMBTRACK = 5,
        SB_TOP = 6,
        SB_BOTTOM = 7,
        SB_ENDSCROLL = 8
    };
    // Styles.
    static constexpr std::int32_t FSB_REGULAR_MODE = 0;
    static constexpr std::int32_t FSB_ENCARTA_MODE = 1;
    static constexpr std::int32_t FSB_FLAT_MODE = 2;

    explicit cScrollBars(QObject* parent = nullptr);
    ~cScrollBars() override; // detaches

    // Attaches to the window's bars (detaching from any previous window first).
    void Create(QAbstractScrollArea* window);

    std::int32_t Orientation() const noexcept { return orientation_; }
    void SetOrientation(std::int32_t orientation);
    std::int32_t Style() const noexcept { return style_; }
    void SetStyle(std::int32_t style);
    bool CanBeFlat() const noexcept { return !noFlat_; }

    bool Visible(std::int32_t eBar) const;
    void SetVisible(std::int32_t eBar, bool visible);
    bool Enabled(std::int32_t eBar) const;
    void SetEnabled(std::int32_t eBar, bool enabled);
    std::int32_t SmallChange(std::int32_t eBar) const;
    void SetSmallChange(std::int32_t eBar, std::int32_t step);

    std::int32_t Min(std::int32_t eBar) const;
    void SetMin(std::int32_t eBar, std::int32_t value);
    std::int32_t Max(std::int32_t eBar) const;
    void SetMax(std::int32_t eBar, std::int32_t value);
    std::int32_t Value(std::int32_t eBar) const;
    void SetValue(std::int32_t eBar, std::int32_t value);
    std::int32_t LargeChange(std::int32_t eBar) const;
    void SetLargeChange(std::int32_t eBar, std::int32_t page);

    // The window procedure for WM_HSCROLL (bar 0) and WM_VSCROLL (bar 1): acts on the request code
    // in the low 16 bits of wParam. Answers 0, the message result.
    std::int32_t WindowProc(std::int32_t eBar, std::uint32_t wParam);

    // The platform's record of a bar (SCROLLINFO without cbSize and fMask).
    struct cScrollInfo {
        std::int32_t nMin = 0;
        std::int32_t nMax = 0;
        std::uint32_t nPage = 0;
        std::int32_t nPos = 0;
        std::int32_t nTrackPos = 0;
    };
    static constexpr std::uint32_t SIF_RANGE = 1, SIF_PAGE = 2, SIF_POS = 4, SIF_TRACKPOS = 0x10;
    cScrollInfo GetScrollInfo(std::int32_t eBar) const;
    // Writes the masked fields and clamps as the platform does (page to the range, position to
    // nMin .. nMax - max(page - 1, 0)).
    void SetScrollInfo(std::int32_t eBar, std::uint32_t mask, const cScrollInfo& info);

    QScrollBar* Bar(std::int32_t eBar) const;

signals:
    void Change(int eBar);
    void Scroll(int eBar);

private:
    void Detach();
    void Attach();
    void ReportChange(std::int32_t eBar, bool scrolling);
    void OnAction(std::int32_t eBar, int action);
    static std::size_t Index(std::int32_t eBar);

    QPointer<QAbstractScrollArea> window_;
    bool attached_ = false;
    std::int32_t orientation_ = 2;
    std::int32_t style_ = 0;
    bool noFlat_ = false;
    std::int32_t smallChange_[2] = {1, 1};
    bool enabled_[2] = {false, false};
    bool visible_[2] = {false, false};
    std::int32_t lastValue_[2] = {0, 0};
    cScrollInfo info_[2];
    QList<QMetaObject::Connection> connections_;
};
