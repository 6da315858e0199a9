#include "grid/ui/cScrollBars.h"

#include <QAbstractScrollArea>
#include <QScrollBar>

#include <algorithm>

#include "base/mChecked.h"
#include "base/cError.h"

cScrollBars::cScrollBars(QObject* parent) : QObject(parent) {}

cScrollBars::~cScrollBars() { Detach(); }

std::size_t cScrollBars::Index(std::int32_t eBar) {
    if (eBar != kHorizontal && eBar != kVertical) cError::RaiseRuntime(cError::kSubscriptOutOfRange);
    return static_cast<std::size_t>(eBar);
}

QScrollBar* cScrollBars::Bar(std::int32_t eBar) const {
    const std::size_t i = Index(eBar);
    if (!window_) return nullptr;
    return i == 0 ? window_->horizontalScrollBar() : window_->verticalScrollBar();
}

// ---- attaching

void cScrollBars::Create(QAbstractScrollArea* window) {
    Detach();
    window_ = window;
    // Qt has no flat scroll bars: the regular bars are driven from now on.
    noFlat_ = true;
    if (window_) {
        // The bars' own state becomes the record.
        for (std::int32_t bar : {kHorizontal, kVertical}) {
            QScrollBar* b = Bar(bar);
            cScrollInfo& r = info_[Index(bar)];
            r.nMin = b->minimum();
            r.nPage = static_cast<std::uint32_t>(std::max(0, b->pageStep()));
            r.nMax = static_cast<std::int32_t>(std::min<std::int64_t>(
                INT32_MAX, std::int64_t{b->maximum()} + std::max<std::int64_t>(std::int64_t{r.nPage} - 1, 0)));
            r.nPos = b->value();
        }
    }
    Attach();
}

void cScrollBars::Attach() {
    if (!window_) return;
    for (std::int32_t bar : {kHorizontal, kVertical}) {
        QScrollBar* b = Bar(bar);
        connections_ << connect(b, &QAbstractSlider::actionTriggered, this,
                                [this, bar](int action) { OnAction(bar, action); });
        connections_ << connect(b, &QAbstractSlider::sliderReleased, this, [this, bar] {
            WindowProc(bar, SB_THUMBPOSITION);
            WindowProc(bar, SB_ENDSCROLL);
        });
    }
    attached_ = true;
}

void cScrollBars::Detach() {
    for (const auto& c : connections_) disconnect(c);
    connections_.clear();
    window_ = nullptr;
    attached_ = false;
}

// The scroll bar's actions are the window procedure's requests.
void cScrollBars::OnAction(std::int32_t eBar, int action) {
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: WindowProc(eBar, SB_LINEUP); break;
    case QAbstractSlider::SliderSingleStepAdd: WindowProc(eBar, SB_LINEDOWN); break;
    case QAbstractSlider::SliderPageStepSub: WindowProc(eBar, SB_PAGEUP); break;
    case QAbstractSlider::SliderPageStepAdd: WindowProc(eBar, SB_PAGEDOWN); break;
    case QAbstractSlider::SliderMove: WindowProc(eBar, SB_THUMBTRACK); break;
    case QAbstractSlider::SliderToMinimum: WindowProc(eBar, SB_TOP); break;
    case QAbstractSlider::SliderToMaximum: WindowProc(eBar, SB_BOTTOM); break;
    default: return;
    }
    // The slider then takes the position the request left, not the one it computed itself.
    if (QScrollBar* b = Bar(eBar)) b->setSliderPosition(b->value());
}

// ---- the record

cScrollBars::cScrollInfo cScrollBars::GetScrollInfo(std::int32_t eBar) const {
    cScrollInfo r = info_[Index(eBar)];
    if (QScrollBar* b = Bar(eBar)) {
        r.nPos = b->value();
        r.nTrackPos = b->sliderPosition();
    } else {
        r.nTrackPos = r.nPos;
    }
    return r;
}

void cScrollBars::SetScrollInfo(std::int32_t eBar, std::uint32_t mask, const cScrollInfo& info) {
    cScrollInfo& r = info_[Index(eBar)];
    r.nPos = GetScrollInfo(eBar).nPos;
    if (mask & SIF_RANGE) {
        r.nMin = info.nMin;
        r.nMax = info.nMax;
    }
    if (mask & SIF_PAGE) r.nPage = info.nPage;
    if (mask & SIF_POS) r.nPos = info.nPos;
    // The platform keeps the page within the range and the position within the range less the page.
    const std::int64_t length = std::max<std::int64_t>(0, std::int64_t{r.nMax} - r.nMin + 1);
    if (r.nPage > length) r.nPage = static_cast<std::uint32_t>(length);
    const std::int64_t top =
        std::max<std::int64_t>(r.nMin, std::int64_t{r.nMax} - std::max<std::int64_t>(std::int64_t{r.nPage} - 1, 0));
    r.nPos = static_cast<std::int32_t>(std::clamp<std::int64_t>(r.nPos, r.nMin, top));
    if (QScrollBar* b = Bar(eBar)) {
        b->setRange(r.nMin, static_cast<std::int32_t>(top));
        b->setPageStep(static_cast<int>(std::min<std::uint32_t>(r.nPage, INT32_MAX)));
        b->setValue(r.nPos);
    }
}

// ---- properties

void cScrollBars::SetOrientation(std::int32_t orientation) {
    orientation_ = orientation;
    if (!window_) return;
    window_->setHorizontalScrollBarPolicy(orientation == 0 || orientation == 2 ? Qt::ScrollBarAlwaysOn
                                                                               : Qt::ScrollBarAlwaysOff);
    window_->setVerticalScrollBarPolicy(orientation == 1 || orientation == 2 ? Qt::ScrollBarAlwaysOn
                                                                             : Qt::ScrollBarAlwaysOff);
}

void cScrollBars::SetStyle(std::int32_t style) {
    if (style != FSB_REGULAR_MODE && noFlat_) return; // no flat bars here: ignored silently
    style_ = style;
}

bool cScrollBars::Visible(std::int32_t eBar) const { return visible_[Index(eBar)]; }

void cScrollBars::SetVisible(std::int32_t eBar, bool visible) {
    visible_[Index(eBar)] = visible;
    if (!window_) return;
    const auto policy = visible ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
    if (eBar == kHorizontal)
        window_->setHorizontalScrollBarPolicy(policy);
    else
        window_->setVerticalScrollBarPolicy(policy);
}

bool cScrollBars::Enabled(std::int32_t eBar) const { return enabled_[Index(eBar)]; }

void cScrollBars::SetEnabled(std::int32_t eBar, bool enabled) {
    enabled_[Index(eBar)] = enabled;
    if (QScrollBar* b = Bar(eBar)) b->setEnabled(enabled);
}

std::int32_t cScrollBars::SmallChange(std::int32_t eBar) const { return smallChange_[Index(eBar)]; }

void cScrollBars::SetSmallChange(std::int32_t eBar, std::int32_t step) {
    smallChange_[Index(eBar)] = step;
    if (QScrollBar* b = Bar(eBar)) b->setSingleStep(std::max(1, step));
}

std::int32_t cScrollBars::Min(std::int32_t eBar) const { return GetScrollInfo(eBar).nMin; }

std::int32_t cScrollBars::Max(std::int32_t eBar) const {
    const cScrollInfo r = GetScrollInfo(eBar);
    return mChecked::Narrow<std::int32_t>(std::int64_t{r.nMax} - std::int64_t{r.nPage});
}

std::int32_t cScrollBars::Value(std::int32_t eBar) const { return GetScrollInfo(eBar).nPos; }

std::int32_t cScrollBars::LargeChange(std::int32_t eBar) const {
    return mChecked::Narrow<std::int32_t>(GetScrollInfo(eBar).nPage);
}

void cScrollBars::SetMin(std::int32_t eBar, std::int32_t value) {
    const std::int32_t max = Max(eBar), page = LargeChange(eBar);
    cScrollInfo r;
    r.nMin = value;
    r.nMax = mChecked::Add(max, page);
    SetScrollInfo(eBar, SIF_RANGE, r);
}

void cScrollBars::SetMax(std::int32_t eBar, std::int32_t value) {
    cScrollInfo r;
    r.nMax = mChecked::Add(value, LargeChange(eBar));
    r.nMin = Min(eBar);
    SetScrollInfo(eBar, SIF_RANGE, r);
    ReportChange(eBar, false);
}

void cScrollBars::SetValue(std::int32_t eBar, std::int32_t value) {
    if (value == Value(eBar)) return;
    cScrollInfo r;
    r.nPos = value;
    SetScrollInfo(eBar, SIF_POS, r);
    ReportChange(eBar, false);
}

void cScrollBars::SetLargeChange(std::int32_t eBar, std::int32_t page) {
    cScrollInfo r = GetScrollInfo(eBar);
    r.nMax = mChecked::Narrow<std::int32_t>(std::int64_t{r.nMax} - std::int64_t{r.nPage} + page);
    r.nPage = static_cast<std::uint32_t>(page);
    SetScrollInfo(eBar, SIF_RANGE | SIF_PAGE, r);
}

// ---- events

void cScrollBars::ReportChange(std::int32_t eBar, bool scrolling) {
    const std::size_t i = Index(eBar);
    const std::int32_t v = Value(eBar);
    if (v == lastValue_[i]) return;
    lastValue_[i] = v;
    if (scrolling)
        emit Scroll(eBar);
    else
        emit Change(eBar);
}

std::int32_t cScrollBars::WindowProc(std::int32_t eBar, std::uint32_t wParam) {
    Index(eBar);
    switch (static_cast<std::int32_t>(wParam & 0xFFFF)) {
    case SB_LINEUP: {
        const std::int64_t v = std::max<std::int64_t>(std::int64_t{Value(eBar)} - SmallChange(eBar), Min(eBar));
        SetValue(eBar, static_cast<std::int32_t>(v));
        ReportChange(eBar, false);
        break;
    }
    case SB_LINEDOWN: {
        const std::int64_t v = std::min<std::int64_t>(std::int64_t{Value(eBar)} + SmallChange(eBar), Max(eBar));
        SetValue(eBar, static_cast<std::int32_t>(v));
        ReportChange(eBar, false);
        break;
    }
    case SB_PAGEUP:
        SetValue(eBar, static_cast<std::int32_t>(
                           std::max<std::int64_t>(INT32_MIN, std::int64_t{Value(eBar)} - LargeChange(eBar))));
        ReportChange(eBar, false);
        break;
    case SB_PAGEDOWN:
        SetValue(eBar, static_cast<std::int32_t>(
                           std::min<std::int64_t>(INT32_MAX, std::int64_t{Value(eBar)} + LargeChange(eBar))));
        ReportChange(eBar, false);
        break;
    case SB_THUMBTRACK:
        SetValue(eBar, GetScrollInfo(eBar).nTrackPos);
        ReportChange(eBar, true);
        break;
    case SB_TOP:
        SetValue(eBar, Min(eBar));
        ReportChange(eBar, false);
        break;
    case SB_BOTTOM:
        SetValue(eBar, Max(eBar));
        ReportChange(eBar, false);
        break;
    case SB_ENDSCROLL: ReportChange(eBar, false); break;
    default: // SB_THUMBPOSITION and anything else
        break;
    }
    return 0;
}
