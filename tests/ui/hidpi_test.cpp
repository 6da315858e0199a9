// The list pictures on a scaled screen: made at the screen's pixels from the best image for that
// many. test_ui runs this class at scale 1 with the others, and CTest runs it again alone at
// QT_SCALE_FACTOR=2 (test_ui_2x).

#include <QTemporaryDir>
#include <QtTest>

#include "doubles/cScriptedPrompts.h"
#include "app/mListPictures.h"
#include "app/ui/FMain.h"
#include "app/ui/cImageList.h"
#include "app/ui/cListView.h"
#include "cWindowTest.h"
#include "mUiTest.h"
#include "platform/ui/cPrompts.h"

class tHiDpiTest : public cWindowTest {
    Q_OBJECT

private slots:
    // colours.ico holds a green 16-pixel, a red 32-pixel and a blue 48-pixel image: the colour of
    // a picture tells which image it was made from.
    void ListPicturesAreMadeAtTheScreensPixels() {
        const double ratio = qEnvironmentVariable("QT_SCALE_FACTOR", "1").toDouble();
        cScriptedPrompts prompts;
        cPrompts::cScope scope(prompts);
        FMain w;
        w.setAttribute(Qt::WA_DeleteOnClose, false);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.devicePixelRatioF(), ratio);
        prompts.AnswerOpen({mUiTest::Fixture("icons/colours.ico")});
        w.mnuFile_Click(0);
        QCOMPARE(w.IconCount(), 1);

        struct {
            const cImageList* list;
            QRgb at1, at2; // at scale 1 the list's own size picks; at 2 twice that
        } lists[] = {{w.Pictures32(), qRgb(0xd0, 0, 0), qRgb(0, 0, 0xd0)},
                     {w.Pictures16(), qRgb(0, 0xc0, 0), qRgb(0xd0, 0, 0)}};
        for (const auto& l : lists) {
            const QPixmap& picture = l.list->Item("C1");
            const int pixels = mListPictures::DevicePixels(l.list->ImageSize(), ratio);
            QCOMPARE(picture.size(), QSize(pixels, pixels));
            QCOMPARE(picture.devicePixelRatio(), ratio);
            QCOMPARE(picture.deviceIndependentSize().toSize(), QSize(l.list->ImageSize(), l.list->ImageSize()));
            const QImage image = picture.toImage();
            QCOMPARE(QColor(image.pixel(pixels / 2, pixels / 2)).rgb(), ratio == 1.0 ? l.at1 : l.at2);
        }
        // The view shows them at the list's logical size.
        QCOMPARE(w.IconList()->Picture(1).deviceIndependentSize().toSize(), QSize(32, 32));
    }
};

PICTRIX_UI_TEST(tHiDpiTest)
#include "hidpi_test.moc"
