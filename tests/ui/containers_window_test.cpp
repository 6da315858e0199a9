// The main window on an .icns file and a .res file, opened as a user opens them (Ctrl+O, the file
// answered in the open dialog), the row chosen by a click at its rectangle: one icon of every
// image of the .icns, its properties naming the elements and the double-density ones, Save
// writing the images an .ico can describe; the .res listed as the module of the same script.
// Focus and the keyboard need a display server: CTest runs this class under a virtual X server
// (test_ui_containers).

#include <QAbstractItemView>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "app/ui/FMain.h"
#include "app/ui/cListView.h"
#include "cMainWindowTest.h"
#include "doubles/cScriptedPrompts.h"
#include "grid/ui/cIconGrid.h"
#include "icon/cFileIcon.h"
#include "mUiTest.h"

class tContainersWindowTest : public cMainWindowTest {
    Q_OBJECT

    QAbstractItemView* View() { return static_cast<QAbstractItemView*>(Window().IconList()->ActiveView()); }

    // File > Open by its key, the dialog answered with `path`.
    void OpenByKeys(const QString& path) {
        prompts_->AnswerOpen({path});
        QTest::keyClick(&Window(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(prompts_->Pending(), std::size_t(0));
    }

    void Click(int item) {
        QAbstractItemView* view = View();
        const QModelIndex index = view->model()->index(item - 1, 0);
        view->scrollTo(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    }

    void SetUp() override {
        Window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&Window()));
        Window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&Window()));
    }

private slots:
    void AnIcnsFileIsOneIconOfAllItsImages() {
        OpenByKeys(mUiTest::Fixture("icns/pillow.icns"));
        QCOMPARE(Window().IconCount(), 1);
        Click(1);
        if (!Window().ImagesShown()) Window().ImagesItem()->trigger();
        QCOMPARE(Window().ImageGrid()->ItemCount(), 8);
        const QString text = PropertiesText();
        QVERIFY2(text.contains("128 x 128,millions of colors."), qPrintable(text));
        QVERIFY2(text.contains("Element 'ic07'."), qPrintable(text));
        QVERIFY2(text.contains("1024 x 1024,millions of colors."), qPrintable(text));
        QVERIFY2(text.contains("Element 'ic10', 2x density."), qPrintable(text));

        // Save keeps the five images of up to 256 pixels.
        const QString saved = temp_.filePath("saved.ico");
        prompts_->AnswerSave(saved);
        Window().FileItem(1)->trigger();
        cFileIcon icon;
        icon.LoadIcon(saved.toStdString());
        QCOMPARE(icon.ImageCount(), 5);
    }

    void AResFileListsAsItsModule() {
        OpenByKeys(mUiTest::Fixture("modules/languages.res"));
        QStringList fromRes;
        for (int i = 1; i <= Window().IconList()->Count(); ++i) fromRes << Window().IconList()->Text(i);
        OpenByKeys(mUiTest::Fixture("modules/languages32.dll"));
        QStringList fromModule;
        for (int i = 1; i <= Window().IconList()->Count(); ++i) fromModule << Window().IconList()->Text(i);
        QCOMPARE(fromRes, (QStringList{"5 [de-DE]", "5 [en-US]"}));
        QCOMPARE(fromRes, fromModule);
    }
};

PICTRIX_UI_TEST(tContainersWindowTest)
#include "containers_window_test.moc"
