// Installer packages and AppImages in the main window, opened as a user opens them (Ctrl+O, the
// dialog, a click on a row, the images pane by its key): each Icon row a row of the list named
// after it, its images beside the list, its properties; an AppImage's SVG icon drawn at every
// size. Run under Xvfb (test_ui_packages), where focus and clicks are the display server's.

#include <QAbstractItemView>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "app/ui/FLauncher.h"
#include "app/ui/FMain.h"
#include "app/ui/cListView.h"
#include "app/ui/cStatusBar.h"
#include "cMainWindowTest.h"
#include "containers/mContainers.h"
#include "grid/ui/cIconGrid.h"
#include "mUiTest.h"

class tPackagesWindowTest : public cMainWindowTest {
    Q_OBJECT

    QAbstractItemView* View() { return static_cast<QAbstractItemView*>(Window().IconList()->ActiveView()); }
    void Click(int item) {
        QAbstractItemView* view = View();
        const QModelIndex index = view->model()->index(item - 1, 0);
        view->scrollTo(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    }
    // Opens `file` as the user does: Ctrl+O on the window, the dialog answered with the file.
    void OpenByKeys(const QString& file) {
        Window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&Window()));
        // No window manager gives the focus under Xvfb: the window takes it as a click would.
        Window().activateWindow();
        QApplication::setActiveWindow(&Window());
        prompts_->AnswerOpen({file});
        QTest::keySequence(&Window(), QKeySequence("Ctrl+O"));
        QCOMPARE(prompts_->Pending(), std::size_t(0));
    }
    QStringList Texts() {
        QStringList texts;
        for (int i = 1; i <= Window().IconList()->Count(); ++i) texts << Window().IconList()->Text(i);
        return texts;
    }

private slots:
    void AnInstallerPackageListsItsIconRows() {
        const QString msi = CopyAs(mUiTest::Fixture("containers/icons.msi"), "setup.msi");
        OpenByKeys(msi);
        const QStringList texts = Texts();
        QCOMPARE(texts.size(), 10);
        QCOMPARE(texts.first(), QString("zproduct.ico"));
        QCOMPARE(texts[1], QString("tool.dll:APPICON"));
        QCOMPARE(texts.last(), QString("extra.ico"));

        // The module's group chosen by a click: its two images beside the list, its properties.
        Click(2);
        QTest::keySequence(&Window(), QKeySequence("Ctrl+I"));
        QVERIFY(Window().ImagesShown());
        QCOMPARE(Window().ImageGrid()->ItemCount(), 2);
        const QString properties = PropertiesText();
        QVERIFY2(properties.startsWith("Icon: tool.dll:APPICON\r\n"), qPrintable(properties));
        Click(1);
        QCOMPARE(Window().ImageGrid()->ItemCount(), 6);
    }

    // An Icon row that is no icon fails alone, as the command line has it: logged, counted in the
    // status bar, the other rows listed and chosen by a click; no box in the way.
    void ARowThatCannotBeReadFailsAlone() {
        OpenByKeys(CopyAs(mUiTest::Fixture("containers/badrow.msi"), "setup.msi"));
        QCOMPARE(Texts(), QStringList{"good.ico"});
        QCOMPARE(Window().StatusPanels()->PanelText(2), QString("1 icon group could not be read; see the error log"));
        QFile log(Path("errlog.txt"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains(", Icon row \"notes.txt\": Failed to load icon"));
        QCOMPARE(prompts_->Asked().size(), std::size_t(1)); // the open dialog alone
        Click(1);
        if (!Window().ImagesShown()) QTest::keySequence(&Window(), QKeySequence("Ctrl+I"));
        QCOMPARE(Window().ImageGrid()->ItemCount(), 6);
    }

    void AnAppImagesSvgIconIsDrawnAtEverySize() {
        OpenByKeys(CopyAs(mUiTest::Fixture("containers/svg.AppImage"), "Tool-x86_64.AppImage"));
        QCOMPARE(Texts(), QStringList{".DirIcon"});
        Click(1);
        if (!Window().ImagesShown()) QTest::keySequence(&Window(), QKeySequence("Ctrl+I"));
        QCOMPARE(Window().ImageGrid()->ItemCount(), static_cast<int>(std::size(mContainers::kSvgSides)));
        // Its launcher (File > Add to Applications Menu) installs the drawing besides the sizes.
        QString sizes;
        ByKeys<FLauncher>(Qt::Key_F, Qt::Key_M, [&](FLauncher& dlg) { sizes = dlg.txtSizes->toPlainText(); });
        QVERIFY2(sizes.startsWith("16 x 16  PNG image as stored\n"), qPrintable(sizes));
        QVERIFY2(sizes.endsWith("256 x 256  PNG image as stored\nscalable  SVG drawing as stored\n"),
                 qPrintable(sizes));
    }
};

PICTRIX_UI_TEST(tPackagesWindowTest)
#include "packages_window_test.moc"
