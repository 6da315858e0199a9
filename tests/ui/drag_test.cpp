// A drag out of the main window's list, dropped on a window that takes files as a file manager
// does: it receives a file equal to what Save writes, the icon's bytes and its picture. Drags need
// a display server's drag and drop: CTest runs this class under a virtual X server (test_ui_drag).

#include <QtTest>

#include <QAbstractItemView>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QDrag>
#include <QWindow>

#include "app/ui/FMain.h"
#include "app/ui/cListView.h"
#include "cMainWindowTest.h"
#include "doubles/cScriptedPrompts.h"
#include "mUiTest.h"

namespace {

// Takes whatever is dropped on it.
class cDropTarget : public QWidget {
public:
    QList<QUrl> urls;
    QByteArray icon, png;

protected:
    void dragEnterEvent(QDragEnterEvent* e) override { e->acceptProposedAction(); }
    void dragMoveEvent(QDragMoveEvent* e) override { e->acceptProposedAction(); }
    void dropEvent(QDropEvent* e) override {
        urls = e->mimeData()->urls();
        icon = e->mimeData()->data("image/vnd.microsoft.icon");
        png = e->mimeData()->data("image/png");
        e->acceptProposedAction();
    }
};

} // namespace

class tDragTest : public cMainWindowTest {
    Q_OBJECT

private slots:
    void ADragFromTheListDropsTheFileSaveWrites() {
        if (QGuiApplication::platformName() == "offscreen") QSKIP("drags need a display server (test_ui_drag)");
        Open(mUiTest::Fixture("icons/six.ico"));
        Window().IconList()->SetSelected(1);
        const QString saved = temp_.filePath("saved.ico");
        prompts_->AnswerSave(saved);
        Window().SaveIcons();
        QFile savedFile(saved);
        QVERIFY(savedFile.open(QIODevice::ReadOnly));
        const QByteArray bytes = savedFile.readAll();

        cDropTarget target;
        target.setAcceptDrops(true);
        target.setGeometry(600, 100, 200, 200);
        target.show();
        Window().setGeometry(50, 50, 500, 400);
        Window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&Window()) && QTest::qWaitForWindowExposed(&target));
        auto* view = static_cast<QAbstractItemView*>(Window().IconList()->ActiveView());
        const QPoint from = view->visualRect(view->model()->index(0, 0)).center();
        // The drag runs a loop of its own: in it, the pointer goes over the target and lets go.
        QTimer::singleShot(200, [&target] {
            QTest::mouseMove(target.windowHandle(), QPoint(100, 100));
            QTest::mouseRelease(target.windowHandle(), Qt::LeftButton, {}, QPoint(100, 100));
        });
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(view->viewport(), from + QPoint(30, 0));
        QTRY_COMPARE(target.urls.size(), 1);
        QFile dropped(target.urls.front().toLocalFile());
        QCOMPARE(QFileInfo(dropped).fileName(), QString("six.ico"));
        QVERIFY(dropped.open(QIODevice::ReadOnly));
        QCOMPARE(dropped.readAll(), bytes);
        QCOMPARE(target.icon, bytes);
        QCOMPARE(QImage::fromData(target.png, "PNG").size(), QSize(32, 32));
    }

    // An icon dragged a little and let go over the window's own list does nothing: the module
    // stays open and the drag's file is neither opened nor remembered. A file dragged in from
    // another window still opens.
    void ADragEndingOnItsOwnWindowDoesNothing() {
        if (QGuiApplication::platformName() == "offscreen") QSKIP("drags need a display server (test_ui_drag)");
        Open(mUiTest::Fixture("modules/sample.dll"));
        Window().setGeometry(50, 50, 500, 400);
        Window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&Window()));
        const std::int32_t remembered = Window().RecentFiles().FileCount();
        const std::string head = Window().RecentFiles().file(1);
        auto* view = static_cast<QAbstractItemView*>(Window().IconList()->ActiveView());
        const QPoint from = view->visualRect(view->model()->index(2, 0)).center();
        const QPoint over = view->viewport()->mapTo(&Window(), from + QPoint(40, 60));
        QWindow* own = Window().windowHandle();
        bool released = false;
        QTimer::singleShot(200, [own, over, &released] {
            QTest::mouseMove(own, over);
            QTest::mouseRelease(own, Qt::LeftButton, {}, over);
            released = true;
        });
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(view->viewport(), from + QPoint(12, 12));
        QTRY_VERIFY(released);
        QTest::qWait(100);
        QCOMPARE(Window().IconList()->Count(), 12);
        QCOMPARE(Window().RecentFiles().FileCount(), remembered);
        QCOMPARE(Window().RecentFiles().file(1), head);
        QCOMPARE(Window().IconList()->SelectedIndex(), 3);

        // From another window: the dropped module opens and heads the recent files.
        QWidget other;
        other.setGeometry(600, 100, 200, 200);
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        const QString dropped = mUiTest::Fixture("modules/good32.dll");
        auto* drag = new QDrag(&other);
        auto* mime = new QMimeData;
        mime->setUrls({QUrl::fromLocalFile(dropped)});
        drag->setMimeData(mime);
        const QPoint target = Window().IconList()->mapTo(&Window(), Window().IconList()->rect().center());
        QTimer::singleShot(200, [own, target] {
            QTest::mouseMove(own, target);
            QTest::mouseRelease(own, Qt::LeftButton, {}, target);
        });
        QTest::mousePress(other.windowHandle(), Qt::LeftButton, {}, QPoint(100, 100));
        QCOMPARE(drag->exec(Qt::CopyAction), Qt::CopyAction);
        QTRY_COMPARE(QString::fromStdString(Window().RecentFiles().file(1)), dropped);
        QVERIFY(Window().IconList()->Count() != 12);
    }
};

PICTRIX_UI_TEST(tDragTest)
#include "drag_test.moc"
