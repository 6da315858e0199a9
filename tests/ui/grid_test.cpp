// cIconGrid: layout and the scroll bar, selection by keys and mouse, hit edges, captions, the
// focus rectangle, and a screenshot of a real icon.

#include <QAccessible>
#include <QImage>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

#include "grid/ui/cIconGrid.h"
#include "grid/ui/cScrollBars.h"
#include "icon/cFileIcon.h"
#include "mUiTest.h"
#include "base/cError.h"

namespace {

constexpr int V = cScrollBars::kVertical;

// An icon of blank images of these sizes (square), `colours` each; repeated sizes become 24-bit
// images (AddImage refuses a second image of the same size and colours).
cFileIcon Blank(const std::vector<int>& sizes, int colours = 16) {
    cFileIcon icon;
    std::vector<int> seen;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const bool repeated = std::find(seen.begin(), seen.end(), sizes[i]) != seen.end();
        icon.AddImage(sizes[i], sizes[i], repeated ? 1000 + static_cast<int>(i) : colours);
        seen.push_back(sizes[i]);
    }
    return icon;
}

std::vector<bool> Selection(const cIconGrid& g) {
    std::vector<bool> v;
    for (int i = 1; i <= g.ItemCount(); ++i) v.push_back(g.Selected(i));
    return v;
}

int CellHeight(const cIconGrid& g, int size) { return g.TextHeight() + size + 6; }

// A grid shown at a width and a viewport height.
struct cShownGrid {
    cIconGrid grid;
    cShownGrid(int width, int height) {
        grid.resize(width, height);
        grid.show();
        if (!QTest::qWaitForWindowExposed(&grid)) qWarning("grid not exposed");
    }
};

} // namespace

class tIconGridTest : public QObject {
    Q_OBJECT

private slots:
    void LayoutAndScrollRange() {
        cShownGrid s(120, 100);
        cIconGrid& g = s.grid;
        g.Init(Blank({48, 32, 16, 32}));
        QCOMPARE(g.ItemCount(), 4);
        QCOMPARE(g.ItemTop(1), 0);
        QCOMPARE(g.ItemTop(2), CellHeight(g, 48));
        QCOMPARE(g.ItemTop(4), CellHeight(g, 48) + CellHeight(g, 32) + CellHeight(g, 16));
        const int total = g.ItemTop(4) + CellHeight(g, 32);
        QVERIFY(total > 100);
        QCOMPARE(g.ClientHeight(), 100);
        QVERIFY(g.ScrollBars().Visible(V));
        QCOMPARE(g.ScrollBars().Max(V), total - 100);
        QCOMPARE(g.ScrollBars().LargeChange(V), (total / (total - 100) + 1) * 100);
        QCOMPARE(g.ScrollBars().SmallChange(V), 8);
        // Showing the bar narrowed the client area.
        QTRY_COMPARE(g.ClientWidth(), 120 - g.verticalScrollBar()->width());
    }

    void ScrollBarExactlyWhenTaller() {
        const std::vector<int> sizes = {32, 16};
        cShownGrid s(120, 50);
        cIconGrid& g = s.grid;
        const int total = CellHeight(g, 32) + CellHeight(g, 16);
        g.resize(120, total);
        g.Init(Blank(sizes));
        QCOMPARE(g.ClientHeight(), total);
        QVERIFY(!g.ScrollBars().Visible(V));
        QVERIFY(!g.verticalScrollBar()->isVisible());
        g.resize(120, total - 1);
        QTRY_VERIFY(g.ScrollBars().Visible(V));
        QCOMPARE(g.ScrollBars().Max(V), 1);
        QTRY_VERIFY(g.verticalScrollBar()->isVisible());
        // Back to the exact height: hidden again, position kept but not counted.
        g.ScrollBars().SetValue(V, 1);
        g.resize(120, total);
        QTRY_VERIFY(!g.ScrollBars().Visible(V));
        QCOMPARE(g.ScrollBars().Value(V), 1);
    }

    void EmptyGridPaintsOnlyTheBackground() {
        cShownGrid s(100, 60);
        cIconGrid& g = s.grid;
        g.Init(Blank({48, 48}));
        QVERIFY(g.ScrollBars().Visible(V));
        g.SetSelected(1, true);
        g.Clear();
        QCOMPARE(g.ItemCount(), 0);
        g.Draw();
        QVERIFY(!g.ScrollBars().Visible(V));
        const QImage shot = g.viewport()->grab().toImage();
        const QRgb menu = g.palette().color(QPalette::Window).rgb();
        for (int y = 0; y < shot.height(); y += 3)
            for (int x = 0; x < shot.width(); x += 3) QCOMPARE(shot.pixel(x, y), menu);
        // An icon without images leaves the grid empty.
        g.Init(cFileIcon());
        QCOMPARE(g.ItemCount(), 0);
    }

    void KeysMoveWithoutWrapping() {
        cShownGrid s(100, 400);
        cIconGrid& g = s.grid;
        g.Init(Blank({16, 16, 16, 16, 16}));
        g.KeyDown(cIconGrid::kKeyUp, 0); // CurrentItem 0: nothing
        QCOMPARE(g.CurrentItem(), 0);
        g.KeyDown(cIconGrid::kKeyDown, 0);
        QCOMPARE(g.CurrentItem(), 1);
        QCOMPARE(Selection(g), std::vector<bool>({true, false, false, false, false}));
        g.KeyDown(cIconGrid::kKeyUp, 0);
        QCOMPARE(g.CurrentItem(), 1);
        for (int i = 0; i < 6; ++i) g.KeyDown(cIconGrid::kKeyDown, 0);
        QCOMPARE(g.CurrentItem(), 5);
        QCOMPARE(Selection(g), std::vector<bool>({false, false, false, false, true}));
        g.KeyDown(cIconGrid::kKeyDown, 0);
        QCOMPARE(g.CurrentItem(), 5);
        // Ctrl moves without selecting; Space toggles; other keys do nothing.
        g.KeyDown(cIconGrid::kKeyUp, cIconGrid::kCtrlMask);
        QCOMPARE(g.CurrentItem(), 4);
        QCOMPARE(Selection(g), std::vector<bool>({false, false, false, false, true}));
        g.KeyDown(cIconGrid::kKeySpace, 0);
        QVERIFY(g.Selected(4));
        g.KeyDown(cIconGrid::kKeySpace, cIconGrid::kShiftMask);
        QVERIFY(!g.Selected(4));
        g.KeyDown(33, 0); // Page Up
        g.KeyDown(36, 0); // Home
        QCOMPARE(g.CurrentItem(), 4);
    }

    void ShiftDownFromThreeKeepsEarlierSelections() {
        cShownGrid s(100, 400);
        cIconGrid& g = s.grid;
        g.Init(Blank({16, 16, 16, 16, 16}));
        g.SetSelected(1, true);
        g.SetSelected(3, false); // current item 3, item 1 selected
        g.KeyDown(cIconGrid::kKeyDown, cIconGrid::kShiftMask);
        QCOMPARE(g.CurrentItem(), 4);
        QCOMPARE(Selection(g), std::vector<bool>({true, false, true, true, false}));
        g.KeyDown(cIconGrid::kKeyDown, 0);
        QCOMPARE(Selection(g), std::vector<bool>({false, false, false, false, true}));
        // Real key events reach KeyDown with the shift mask.
        QTest::keyClick(&g, Qt::Key_Up, Qt::ShiftModifier);
        QCOMPARE(Selection(g), std::vector<bool>({false, false, false, true, true}));
    }

    void ClicksSelect() {
        cShownGrid s(100, 600);
        cIconGrid& g = s.grid;
        g.Init(Blank({16, 16, 16, 16, 16, 16}));
        auto yOf = [&](int i) { return static_cast<float>((g.ItemTop(i) + 5) * g.TwipsPerPixelY()); };
        g.SetSelected(6, true);
        g.SetSelected(5, false); // current 5
        g.MouseDownAt(cIconGrid::kLeftButton, cIconGrid::kShiftMask, 0, yOf(2));
        QCOMPARE(Selection(g), std::vector<bool>({false, true, true, true, true, false}));
        QCOMPARE(g.CurrentItem(), 2);
        g.MouseDownAt(cIconGrid::kLeftButton, cIconGrid::kCtrlMask, 0, yOf(6));
        QCOMPARE(Selection(g), std::vector<bool>({false, true, true, true, true, true}));
        g.MouseDownAt(cIconGrid::kLeftButton, cIconGrid::kCtrlMask | cIconGrid::kShiftMask, 0, yOf(3));
        QCOMPARE(Selection(g), std::vector<bool>({false, true, false, true, true, true})); // Ctrl wins
        g.MouseDownAt(cIconGrid::kLeftButton, 0, 0, yOf(1));
        QCOMPARE(Selection(g), std::vector<bool>({true, false, false, false, false, false}));
        g.MouseDownAt(cIconGrid::kRightButton, 0, 0, yOf(4));
        QCOMPARE(g.CurrentItem(), 1);
    }

    // Both cell edges are strict: the top pixel row of a cell hits nothing.
    void TopEdgeMisses() {
        cShownGrid s(100, 600);
        cIconGrid& g = s.grid;
        g.Init(Blank({16, 16, 16}));
        QSignalSpy down(&g, &cIconGrid::MouseDown);
        const int top2 = g.ItemTop(2);
        QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, QPoint(50, top2));
        QCOMPARE(g.CurrentItem(), 0);
        QCOMPARE(Selection(g), std::vector<bool>({false, false, false}));
        QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, QPoint(50, top2 + 1));
        QCOMPARE(g.CurrentItem(), 2);
        QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, QPoint(50, 0)); // top of item 1
        QCOMPARE(g.CurrentItem(), 2);
        QTest::mouseClick(g.viewport(), Qt::RightButton, Qt::ShiftModifier, QPoint(7, 9));
        QCOMPARE(down.count(), 4);
        const auto last = down.last();
        QCOMPARE(last.at(0).toInt(), 2);
        QCOMPARE(last.at(1).toInt(), 1);
        QCOMPARE(last.at(2).toFloat(), static_cast<float>(7 * g.TwipsPerPixelX()));
        QCOMPARE(last.at(3).toFloat(), static_cast<float>(9 * g.TwipsPerPixelY()));
    }

    void Captions_data() {
        QTest::addColumn<int>("colours");
        QTest::addColumn<QString>("caption");
        QTest::newRow("2") << 2 << "48 x 48, 2 colors";
        QTest::newRow("256") << 256 << "48 x 48, 256 colors";
        QTest::newRow("257") << 257 << "48 x 48, millions of colors";
        QTest::newRow("65536") << 65536 << "48 x 48, millions of colors";
    }
    void Captions() {
        QFETCH(int, colours);
        QFETCH(QString, caption);
        QCOMPARE(cIconGrid::CaptionFor(48, 48, colours), caption);
    }

    void CaptionsOfRealImages() {
        cIconGrid g;
        g.Init(Blank({32}, 256));
        QCOMPARE(g.Caption(1), QString("32 x 32, 256 colors"));
        cFileIcon icon;
        icon.LoadIcon(mUiTest::Fixture("icons/vista.ico").toStdString());
        g.Init(icon);
        QCOMPARE(g.Caption(4), QString("256 x 256, millions of colors"));
    }

    void FocusRectangleOnlyWithFocus() {
        QWidget window;
        auto* other = new QLineEdit(&window);
        auto* grid = new cIconGrid(&window);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(other);
        layout->addWidget(grid);
        window.resize(100, 300);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        other->setFocus();
        QTRY_VERIFY(other->hasFocus());
        cIconGrid& g = *grid;
        g.Init(Blank({32, 32}));
        g.SetSelected(2, false); // current item 2, nothing selected
        const QRgb menu = g.palette().color(QPalette::Window).rgb();
        auto leftColumnMarked = [&] {
            const QImage shot = g.viewport()->grab().toImage();
            int marked = 0;
            for (int y = g.ItemTop(2); y < g.ItemTop(2) + CellHeight(g, 32); ++y)
                if (shot.pixel(1, y) != menu) ++marked;
            return marked;
        };
        QVERIFY(!g.HasFocus());
        QCOMPARE(leftColumnMarked(), 0);
        g.setFocus();
        QTRY_VERIFY(g.HasFocus());
        QVERIFY(leftColumnMarked() > 5);
        other->setFocus();
        QTRY_VERIFY(!g.HasFocus());
        QCOMPARE(leftColumnMarked(), 0);
    }

    void EnsureVisibleScrollsTheCurrentItem() {
        cShownGrid s(100, 80);
        cIconGrid& g = s.grid;
        g.Init(Blank({32, 32, 32, 32, 32}));
        QVERIFY(g.ScrollBars().Visible(V));
        for (int i = 0; i < 4; ++i) g.KeyDown(cIconGrid::kKeyDown, 0);
        QCOMPARE(g.CurrentItem(), 4);
        // Item 4's bottom is at the bottom of the client area.
        QCOMPARE(g.ItemTop(4) + CellHeight(g, 32) - g.ScrollBars().Value(V), g.ClientHeight());
        for (int i = 0; i < 3; ++i) g.KeyDown(cIconGrid::kKeyUp, 0);
        QCOMPARE(g.ScrollBars().Value(V), 0); // item 1's top at the top
        QVERIFY(!g.EnsureVisible(1));
        try {
            g.EnsureVisible(6);
            QFAIL("no error");
        } catch (const cError& e) {
            QCOMPARE(e.Number(), cError::kSubscriptOutOfRange);
        }
    }

    // After an Init with fewer images the keys and EnsureVisible stay inside the items.
    void CurrentItemBeyondTheItems() {
        cShownGrid s(100, 60);
        cIconGrid& g = s.grid;
        g.Init(Blank({32, 32, 32, 32, 32}));
        g.SetSelected(5, true);
        g.Init(Blank({32, 32}));
        QCOMPARE(g.CurrentItem(), 5); // kept, as designed
        g.GotFocus();
        g.LostFocus();
        g.KeyDown(cIconGrid::kKeySpace, 0);
        QVERIFY(g.Selected(2));
        g.KeyDown(cIconGrid::kKeyUp, cIconGrid::kShiftMask);
        QCOMPARE(g.CurrentItem(), 1);
        QCOMPARE(Selection(g), std::vector<bool>({true, true}));
        try {
            g.Selected(3);
            QFAIL("no error");
        } catch (const cError& e) {
            QCOMPARE(e.Number(), cError::kSubscriptOutOfRange);
        }
        QCOMPARE(Selection(g), std::vector<bool>({true, true}));
    }

    void ScrollingMovesThePicture() {
        cShownGrid s(100, 80);
        cIconGrid& g = s.grid;
        g.Init(Blank({32, 32, 32}));
        g.SetSelected(1, true);
        g.SetSelected(3, true);
        const QRgb highlight = g.palette().color(QPalette::Highlight).rgb();
        QCOMPARE(g.viewport()->grab().toImage().pixel(3, 1), highlight);
        g.verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
        const int v = g.ScrollBars().Value(V);
        QCOMPARE(v, g.ScrollBars().Max(V));
        const QImage shot = g.viewport()->grab().toImage();
        QCOMPARE(shot.pixel(3, g.ItemTop(3) + 1 - v), highlight);
        QVERIFY(shot.pixel(3, g.ItemTop(3) - 2 - v) != highlight); // item 2 above it
    }

    // A real multi-image icon as people see it, left under <build>/artifacts/ for them to look at.
    void Screenshot() {
        cShownGrid s(180, 420);
        cIconGrid& g = s.grid;
        cFileIcon icon;
        icon.LoadIcon(mUiTest::Fixture("icons/six.ico").toStdString());
        g.Init(icon);
        g.SetSelected(2, true);
        g.SetSelected(3, true);
        g.activateWindow();
        g.setFocus();
        QTRY_VERIFY(g.HasFocus());
        const QImage shot = g.grab().toImage();
        // The 32-bit image with alpha (item 5) shows its blue-ish colour, composed on the background.
        const int y5 = g.ItemTop(5) - g.ScrollBars().Value(V) + 2 + 16;
        const int x5 = (g.ClientWidth() - 6 - 32) / 2 + 2 + 16;
        const QColor c = shot.pixelColor(x5, y5);
        QVERIFY2(c.blue() > c.red() + 40, qPrintable(c.name()));
    }

    // A screen reader's view: a list of the images, each an item named by its caption, with its
    // cell on the screen, its selection and the focus of the current item; the count follows a
    // reload, and an item past it is no longer valid.
    void AccessibleItems() {
        cShownGrid s(120, 80);
        cIconGrid& g = s.grid;
        g.Init(Blank({48, 32, 16}));
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&g);
        QVERIFY(a);
        QCOMPARE(a->role(), QAccessible::List);
        QCOMPARE(a->childCount(), 3);
        QAccessibleInterface* second = a->child(1);
        QVERIFY(second && second->isValid());
        QCOMPARE(second->role(), QAccessible::ListItem);
        QCOMPARE(second->text(QAccessible::Name), QString("32 x 32, 16 colors"));
        QCOMPARE(a->indexOfChild(second), 1);
        QCOMPARE(second->parent(), a);
        const QRect cell(g.viewport()->mapToGlobal(QPoint(0, g.ItemTop(2))), QSize(g.ClientWidth(), CellHeight(g, 32)));
        QCOMPARE(second->rect(), cell);
        QCOMPARE(a->childAt(cell.center().x(), cell.center().y()), second);
        // The third cell lies below the 80-pixel viewport: off screen until scrolled to.
        QVERIFY(a->child(2)->state().offscreen);
        QVERIFY(!second->state().selected && !second->state().focused);
        g.setFocus();
        g.SetSelected(2, true);
        QVERIFY(second->state().selected);
        QVERIFY(second->state().focused);
        QCOMPARE(a->focusChild(), second);
        QVERIFY(!a->child(0)->state().selected);
        g.Init(Blank({16}));
        QCOMPARE(a->childCount(), 1);
        QVERIFY(!second->isValid());
        QCOMPARE(a->indexOfChild(second), -1);
    }
};

PICTRIX_UI_TEST(tIconGridTest)
#include "grid_test.moc"
