// cScrollBars over the bars of a scroll area: range semantics, request codes, events.

#include <QAbstractScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

#include "grid/ui/cScrollBars.h"
#include "mUiTest.h"
#include "base/cError.h"

namespace {
constexpr int V = cScrollBars::kVertical;
}

class tScrollBarsTest : public QObject {
    Q_OBJECT

    struct cFixture {
        QAbstractScrollArea area;
        cScrollBars bars;
        cFixture(int max, int page) {
            bars.Create(&area);
            bars.SetLargeChange(V, page);
            bars.SetMax(V, max);
        }
    };

private slots:
    void RangeHoldsMaxPlusPage() {
        cFixture f(10, 4);
        QCOMPARE(f.bars.Max(V), 10);
        QCOMPARE(f.bars.LargeChange(V), 4);
        QCOMPARE(f.bars.GetScrollInfo(V).nMax, 14);
        // The platform's top position for that range and page is Max + 1.
        QCOMPARE(f.bars.Bar(V)->maximum(), 11);
        f.bars.SetMin(V, 2);
        QCOMPARE(f.bars.Min(V), 2);
        QCOMPARE(f.bars.Max(V), 10);
    }

    void LineStepsStopAtTheEnds() {
        cFixture f(10, 4);
        f.bars.SetSmallChange(V, 3);
        QSignalSpy change(&f.bars, &cScrollBars::Change);
        f.bars.WindowProc(V, cScrollBars::SB_LINEUP);
        QCOMPARE(f.bars.Value(V), 0);
        QCOMPARE(change.count(), 0);
        for (int i = 0; i < 5; ++i) f.bars.WindowProc(V, cScrollBars::SB_LINEDOWN);
        QCOMPARE(f.bars.Value(V), 10); // 3, 6, 9, 10, 10
        QCOMPARE(change.count(), 4);
        f.bars.WindowProc(V, cScrollBars::SB_LINEDOWN);
        QCOMPARE(change.count(), 4);
    }

    void PagingAndDraggingReachMaxPlusOne() {
        cFixture f(10, 4);
        for (int i = 0; i < 5; ++i) f.bars.WindowProc(V, cScrollBars::SB_PAGEDOWN);
        QCOMPARE(f.bars.Value(V), 11);
        f.bars.WindowProc(V, cScrollBars::SB_PAGEUP);
        QCOMPARE(f.bars.Value(V), 7);
        f.bars.WindowProc(V, cScrollBars::SB_TOP);
        QCOMPARE(f.bars.Value(V), 0);
        f.bars.WindowProc(V, cScrollBars::SB_BOTTOM);
        QCOMPARE(f.bars.Value(V), 10);
        // A thumb drag to the end: the track position becomes the value, reported as Change (the
        // value write reports first, so the scrolling report finds nothing new).
        QSignalSpy change(&f.bars, &cScrollBars::Change), scroll(&f.bars, &cScrollBars::Scroll);
        QScrollBar* b = f.bars.Bar(V);
        b->setTracking(false);
        b->setSliderPosition(11);
        f.bars.WindowProc(V, cScrollBars::SB_THUMBTRACK);
        QCOMPARE(f.bars.Value(V), 11);
        QCOMPARE(change.count(), 1);
        QCOMPARE(scroll.count(), 0);
        f.bars.WindowProc(V, cScrollBars::SB_THUMBPOSITION); // nothing
        f.bars.WindowProc(V, cScrollBars::SB_ENDSCROLL);
        QCOMPARE(change.count(), 1);
    }

    // The bar's own actions (arrows, trough, keys) arrive as the request codes.
    void ScrollBarActionsDriveTheRequests() {
        cFixture f(100, 10);
        f.bars.SetSmallChange(V, 8);
        QSignalSpy change(&f.bars, &cScrollBars::Change);
        QScrollBar* b = f.bars.Bar(V);
        b->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(f.bars.Value(V), 8);
        b->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(f.bars.Value(V), 18);
        b->triggerAction(QAbstractSlider::SliderToMaximum);
        QCOMPARE(f.bars.Value(V), 100);
        b->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(f.bars.Value(V), 100); // a line step stops at Max
        b->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(f.bars.Value(V), 101);
        QCOMPARE(b->value(), 101);
        QCOMPARE(change.count(), 4);
        QCOMPARE(change.last().at(0).toInt(), V);
    }

    void ValueWritesReportOnlyChanges() {
        cFixture f(10, 4);
        QSignalSpy change(&f.bars, &cScrollBars::Change);
        f.bars.SetValue(V, 0);
        QCOMPARE(change.count(), 0);
        f.bars.SetValue(V, 8);
        QCOMPARE(change.count(), 1);
        // A lower Max clamps the position and reports it.
        f.bars.SetMax(V, 2);
        QCOMPARE(f.bars.Value(V), 3); // Max + 1 with a page of 4
        QCOMPARE(change.count(), 2);
        // Values outside the range are clamped by the platform.
        f.bars.SetValue(V, -5);
        QCOMPARE(f.bars.Value(V), 0);
    }

    void PropertiesWithoutFlatBars() {
        cFixture f(10, 4);
        QVERIFY(!f.bars.CanBeFlat());
        f.bars.SetStyle(cScrollBars::FSB_FLAT_MODE);
        QCOMPARE(f.bars.Style(), 0);
        QVERIFY(!f.bars.Enabled(V));
        f.bars.SetEnabled(V, true);
        QVERIFY(f.bars.Enabled(V));
        QVERIFY(f.bars.Bar(V)->isEnabled());
        f.bars.SetEnabled(V, false);
        QVERIFY(!f.bars.Enabled(V));
        QVERIFY(!f.bars.Bar(V)->isEnabled());
        QCOMPARE(f.bars.SmallChange(V), 1);

        f.area.resize(100, 100);
        f.area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.area));
        QVERIFY(!f.bars.Visible(V));
        f.bars.SetVisible(V, true);
        QVERIFY(f.bars.Visible(V));
        QTRY_VERIFY(f.bars.Bar(V)->isVisible());
        f.bars.SetVisible(V, false);
        QTRY_VERIFY(!f.bars.Bar(V)->isVisible());
    }

    void BadBarSelectorIsOutOfRange() {
        cFixture f(10, 4);
        for (int bar : {-1, 2}) {
            try {
                f.bars.Value(bar);
                QFAIL("no error");
            } catch (const cError& e) {
                QCOMPARE(e.Number(), cError::kSubscriptOutOfRange);
            }
        }
    }

    // A second Create leaves the first window's bars alone.
    void CreateAgainDetaches() {
        cFixture f(10, 4);
        QAbstractScrollArea other;
        f.bars.Create(&other);
        QSignalSpy change(&f.bars, &cScrollBars::Change);
        f.area.verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(change.count(), 0);
        f.bars.SetLargeChange(V, 5);
        f.bars.SetMax(V, 50);
        other.verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(change.count(), 1);
    }
};

PICTRIX_UI_TEST(tScrollBarsTest)
#include "scrollbars_test.moc"
