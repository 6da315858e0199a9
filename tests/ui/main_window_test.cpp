// The main window: opening icon files and modules, the list and its views, the status bar, the
// recent files, and the layout when the toolbar or status bar is hidden.

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QHelpEvent>
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QToolTip>
#include <QUrl>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QTreeView>
#include <QtTest>

#include <filesystem>

#include "doubles/cScriptedPrompts.h"
#include "app/mMainWindow.h"
#include "app/ui/FMain.h"
#include "app/ui/cErrorBox.h"
#include "app/ui/cImageList.h"
#include "app/ui/cListView.h"
#include "app/ui/cStatusBar.h"
#include "app/ui/mSearchWindows.h"
#include "grid/ui/cIconGrid.h"
#include "cWindowTest.h"
#include "mUiTest.h"
#include "search/ui/FRecurse.h"
#include "support/MError.h"
#include "support/mSettings.h"
#include "support/ui/mToolbarPictures.h"
#include "platform/ui/cPrompts.h"

namespace {

const QString kNoIcons = "No icons were found. Ready...";

QString Sample() { return mUiTest::Fixture("modules/sample.dll"); }
QString IconFile() { return mUiTest::Fixture("icons/multi.ico"); }

// The sample's twelve groups in the order the PE resource directory lists them: named entries
// first, sorted, then the numbers ascending.
const QStringList kSampleOrder = {"PNG256", "SINGLE", "VISTA", "1", "2", "3", "4", "5", "6", "7", "8", "100"};

QStringList Texts(const FMain& w) {
    QStringList texts;
    for (int i = 1; i <= w.IconList()->Count(); ++i) texts << w.IconList()->Text(i);
    return texts;
}

// The texts of a widget's labels each time one of them is painted.
class cPaintRecorder : public QObject {
public:
    explicit cPaintRecorder(QWidget& widget) {
        for (QLabel* label : widget.findChildren<QLabel*>()) label->installEventFilter(this);
    }
    QStringList painted;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted << static_cast<QLabel*>(watched)->text();
        return false;
    }
};

// A drag of local files over a widget, as the desktop sends it.
QMimeData* FileDrag(const QStringList& files) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& f : files) urls << QUrl::fromLocalFile(f);
    data->setUrls(urls);
    return data;
}

} // namespace

class tMainWindowTest : public cWindowTest {
    Q_OBJECT

    std::unique_ptr<FMain> w_;

    // Opens a file through the dialog, as File > Open does.
    void Open(const QString& path) {
        prompts_->AnswerOpen({path});
        w_->mnuFile_Click(0);
        QCOMPARE(prompts_->Pending(), std::size_t(0));
    }

    void SetUp() override {
        w_ = std::make_unique<FMain>();
        w_->setAttribute(Qt::WA_DeleteOnClose, false);
        w_->show();
        QVERIFY(QTest::qWaitForWindowExposed(w_.get()));
    }
    void TearDown() override { w_.reset(); }

private slots:
    void StartsEmptyAndIdle() {
        QCOMPARE(w_->IconCount(), 0);
        QCOMPARE(w_->StatusPanels()->PanelText(1), QString("Ready..."));
        QVERIFY(w_->ViewItem(0)->isChecked() && w_->ViewItem(1)->isChecked() && w_->ViewItem(3)->isChecked());
        QVERIFY(w_->Button("viewlarge")->isChecked());
        QVERIFY(!w_->ImageGrid()->isVisible());
        QCOMPARE(w_->IconList()->ColumnCount(), 3);
        QCOMPARE(w_->IconList()->ColumnText(1), QString("Icon"));
        QCOMPARE(w_->IconList()->ColumnText(2), QString("Number of Images"));
        QCOMPARE(w_->IconList()->ColumnText(3), QString("Type"));
        QVERIFY(w_->CursorsItem()->isCheckable() && w_->CursorsItem()->isChecked());
        // Every toolbar key has a picture.
        for (const QString& key : w_->ButtonKeys()) {
            if (!key.isEmpty()) QVERIFY2(!w_->Button(key)->icon().isNull(), qPrintable(key));
        }
        // The File menu's keys reach their commands.
        QApplication::setActiveWindow(w_.get());
        prompts_->CancelFile(cScriptedPrompts::eKind::OpenFile);
        QTest::keySequence(w_.get(), QKeySequence("Ctrl+O"));
        QCOMPARE(prompts_->Asked().size(), std::size_t(1));
    }

    void OpensAnIconFile() {
        Open(IconFile());
        const auto& asked = prompts_->LastAsked();
        QCOMPARE(asked.file.filters.size(), std::size_t(9));
        QCOMPARE(asked.file.filters[0].description, QString("All Files (*.*)"));
        QCOMPARE(asked.file.filters[2].pattern, QString("*.CUR;*.ANI"));
        QCOMPARE(asked.file.filters[3].pattern, QString("*.EXE;*.DLL;*.OCX;*.MUN"));
        QCOMPARE(asked.file.filters[4].pattern, QString("*.LNK"));
        QCOMPARE(asked.file.filters[5].pattern, QString("*.ICNS"));
        QCOMPARE(asked.file.filters[6].pattern, QString("*.RES"));
        QCOMPARE(asked.file.filters[7].pattern, QString("*.MSI"));
        QCOMPARE(asked.file.filters[8].pattern, QString("*.APPIMAGE"));
        QCOMPARE(asked.file.filterIndex, 1);
        QVERIFY(asked.file.fileMustExist);

        QCOMPARE(w_->IconCount(), 1);
        QCOMPARE(w_->IconList()->Count(), 1);
        QCOMPARE(w_->IconList()->Key(1), std::string("C1"));
        QCOMPARE(w_->IconList()->Text(1), IconFile());
        QCOMPARE(w_->IconList()->SubItem(1, 1), QString::number(w_->Icon(1).ImageCount()));
        QCOMPARE(w_->IconList()->SubItem(1, 1), QString("3"));
        QCOMPARE(w_->IconList()->SelectedIndex(), 1);
        QCOMPARE(w_->StatusPanels()->Style(), cStatusBar::sbrNormal);
        QCOMPARE(w_->StatusPanels()->PanelText(1), IconFile());
        QCOMPARE(w_->StatusPanels()->PanelText(2), QString("Icon: C1"));
        QVERIFY(w_->Pictures32()->Contains("C1") && w_->Pictures16()->Contains("C1"));
        QVERIFY(!w_->IconList()->Picture(1).isNull());
        QCOMPARE(w_->ImageGrid()->ItemCount(), 3);
    }

    void OpensAModuleWithTwelveGroups() {
        Open(Sample());
        QCOMPARE(w_->IconCount(), 12);
        QCOMPARE(Texts(*w_), kSampleOrder);
        for (int i = 1; i <= 12; ++i) {
            QCOMPARE(w_->IconList()->Key(i), "C" + std::to_string(i));
            QCOMPARE(w_->IconList()->SubItem(i, 1), QString::number(w_->Icon(i).ImageCount()));
            QVERIFY2(w_->Pictures32()->Contains("C" + std::to_string(i)), qPrintable(QString::number(i)));
        }
        QCOMPARE(w_->IconList()->SelectedIndex(), 1);
        QCOMPARE(w_->StatusPanels()->PanelText(2), QString("Icon: C1"));
        QCOMPARE(w_->StatusPanels()->PanelText(1), Sample());
        QCOMPARE(w_->StatusPanels()->Style(), cStatusBar::sbrNormal);
        QCOMPARE(w_->ImageGrid()->ItemCount(), w_->Icon(1).ImageCount());

        // Choosing another item shows it in panel 2 and loads its images into the grid.
        w_->lvwIcons_ItemClick(11);
        QCOMPARE(w_->StatusPanels()->PanelText(2), QString("Icon: C11"));
        QCOMPARE(w_->ImageGrid()->ItemCount(), w_->Icon(11).ImageCount());
    }

    void PngImagesShowTheirBestImage() {
        // Group PNG256 (C1) holds only a 256-pixel PNG image: both lists still get a picture,
        // scaled to their size, with opaque pixels.
        Open(Sample());
        for (const cImageList* list : {w_->Pictures32(), w_->Pictures16()}) {
            const QImage image = list->Item("C1").toImage();
            QCOMPARE(image.width(), list->ImageSize());
            bool opaque = false;
            for (int y = 0; y < image.height() && !opaque; ++y)
                for (int x = 0; x < image.width() && !opaque; ++x) opaque = qAlpha(image.pixel(x, y)) == 255;
            QVERIFY(opaque);
        }
    }

    void AnImageThatCannotBeDrawnIsLoggedAndTheIconStillListed() {
        // One 32x32 image whose block is no bitmap: ICONDIR, one ICONDIRENTRY, 40 zero bytes.
        QByteArray ico("\0\0\1\0\1\0", 6);
        const char entry[16] = {32, 32, 0, 0, 1, 0, 32, 0, 40, 0, 0, 0, 22, 0, 0, 0};
        ico.append(entry, 16);
        ico.append(QByteArray(40, '\0'));
        const QString path = temp_.filePath("undrawable.ico");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(ico);
        file.close();
        QFile::remove(temp_.filePath("errlog.txt"));

        Open(path); // nothing is shown: a scripted prompt left unanswered would fail here
        QCOMPARE(w_->IconCount(), 1);
        QCOMPARE(w_->IconList()->Count(), 1);
        QCOMPARE(w_->IconList()->SubItem(1, 1), QString("1"));
        // The picture is drawn when the list shows the item, and found wanting once: painted again
        // or asked for, it is not drawn (nor logged) again.
        w_->IconList()->ActiveView()->grab();
        w_->IconList()->ActiveView()->grab();
        QVERIFY(w_->IconList()->Picture(1).isNull());
        QCOMPARE(w_->StatusPanels()->PanelText(2), QString("Icon: C1"));
        QFile log(temp_.filePath("errlog.txt"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray logged = log.readAll();
        QCOMPARE(logged.count("[481]"), 1);
    }

    void PicturesAreDrawnForTheItemsShown() {
        // The sample's twelve groups in a list that shows a few of them: only theirs are drawn,
        // and only at the size of the view; scrolling and the other views draw the rest.
        w_->resize(300, 230);
        Open(Sample());
        auto* view = w_->IconList()->ListWidget();
        view->grab();
        const int shown = w_->Pictures32()->DrawnCount();
        QVERIFY2(shown >= 1 && shown < 12, qPrintable(QString::number(shown)));
        QCOMPARE(w_->Pictures16()->DrawnCount(), 0);
        QCOMPARE(w_->Pictures32()->Count(), 12);
        view->scrollToBottom();
        view->grab();
        QVERIFY(w_->Pictures32()->DrawnCount() > shown);
        w_->ViewItem(6)->trigger(); // details: the small pictures
        w_->IconList()->ActiveView()->grab();
        QVERIFY(w_->Pictures16()->DrawnCount() >= 1);
        // A drawn picture is the one the view shows, at its size.
        QCOMPARE(w_->IconList()->Picture(12).width(), 16);
        QCOMPARE(w_->Pictures32()->Item("C12").width(), 32);
    }

    void BestImageIndexFollowsTheDisplayAndReportsQuietly() {
        Open(mUiTest::Fixture("icons/six.ico"));
        // six.ico: 32x32 at 16 colours (image 1) and at 256 colours (image 3), among others.
        QCOMPARE(w_->Icon(1).ImageWidth(1), 32);
        QCOMPARE(w_->Icon(1).ImageColourCount(1), 16);
        QCOMPARE(w_->Icon(1).ImageColourCount(3), 256);
        // The offscreen screen shows more than 256 colours: the 256-colour image is the best.
        QCOMPARE(w_->BestImageIndex(1, 32), 3);
        // An icon that does not exist: logged, not shown, answered 0.
        QCOMPARE(w_->BestImageIndex(2, 32), 0);
        QVERIFY(prompts_->Asked().size() == 1);
    }

    void AModuleWithoutIconsLeavesTheFileNameOfTheLastOne() {
        Open(IconFile());
        Open(mUiTest::Fixture("modules/noicons32.dll"));
        QCOMPARE(w_->IconCount(), 0);
        QCOMPARE(w_->IconList()->Count(), 0);
        QCOMPARE(w_->ImageGrid()->ItemCount(), 0);
        QCOMPARE(w_->StatusPanels()->Style(), cStatusBar::sbrSimple);
        QCOMPARE(w_->StatusPanels()->SimpleText(), kNoIcons);
        QCOMPARE(w_->StatusPanels()->PanelText(1), IconFile());
    }

    void OneBrokenGroupEndsWithNoIcons() {
        Open(IconFile());
        prompts_->AnswerOpen({mUiTest::Fixture("modules/broken32.dll")}).AnswerMessage(cPrompts::eAnswer::OK);
        w_->mnuFile_Click(0);
        QCOMPARE(prompts_->Pending(), std::size_t(0));
        // The failure was shown (and logged).
        QCOMPARE(prompts_->LastAsked().kind, cScriptedPrompts::eKind::Message);
        QVERIFY(prompts_->LastAsked().text.startsWith("Error #"));
        QCOMPARE(w_->IconCount(), 0);
        QCOMPARE(w_->IconList()->Count(), 0);
        QCOMPARE(w_->StatusPanels()->Style(), cStatusBar::sbrSimple);
        QCOMPARE(w_->StatusPanels()->SimpleText(), QString("Ready..."));
        QFile log(temp_.filePath("errlog.txt"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(!log.readAll().isEmpty());
    }

    void ExtensionsDecideTheKindOfFile_data() {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("icons");
        QTest::newRow("no dot, not \"MZ\": an icon file") << IconFile() << "plain/noext" << 1;
        QTest::newRow("no dot, \"MZ\": a module") << Sample() << "plain/stub" << 12;
        QTest::newRow("upper-case ICO") << IconFile() << "plain/APP.ICO" << 1;
        QTest::newRow("dot in a folder name only: by content") << IconFile() << "my.folder/noext" << 1;
        QTest::newRow("ICL is a module") << Sample() << "plain/lib.icl" << 12;
    }

    void ExtensionsDecideTheKindOfFile() {
        QFETCH(QString, fixture);
        QFETCH(QString, name);
        QFETCH(int, icons);
        const QString path = CopyAs(fixture, name);
        Open(path);
        QCOMPARE(w_->IconCount(), icons);
        QCOMPARE(w_->IconList()->Count(), icons);
        QCOMPARE(w_->StatusPanels()->PanelText(1), path);
    }

    void CancelKeepsThePreviousIcons() {
        Open(Sample());
        w_->lvwIcons_ItemClick(3);
        prompts_->CancelFile(cScriptedPrompts::eKind::OpenFile);
        w_->mnuFile_Click(0);
        QCOMPARE(w_->IconCount(), 12);
        QCOMPARE(Texts(*w_), kSampleOrder);
        QCOMPARE(w_->StatusPanels()->PanelText(2), QString("Icon: C3"));
        QCOMPARE(w_->ImageGrid()->ItemCount(), w_->Icon(3).ImageCount());
        QCOMPARE(w_->RecentFiles().FileCount(), 1);
    }

    void RecentFilesOrder() {
        const QString a = IconFile(), b = Sample();
        Open(a);
        Open(b);
        QCOMPARE(w_->RecentFiles().FileCount(), 2);
        QCOMPARE(QString::fromStdString(w_->RecentFiles().file(1)), b);
        QCOMPARE(QString::fromStdString(w_->RecentFiles().file(2)), a);
        // Entries 1 and 2 stand in items 2 and 3, the separator below them is shown.
        QVERIFY(w_->RecentItem(2)->isVisible() && w_->RecentItem(3)->isVisible());
        QVERIFY(!w_->RecentItem(1)->isVisible() && !w_->RecentItem(4)->isVisible());
        QVERIFY(w_->RecentItem(6)->isVisible());
        QCOMPARE(w_->RecentItem(3)->text().toStdString(), w_->RecentFiles().MenuCaption(2));

        // A recent item opens its file and keeps the order.
        w_->mnuMRU_Click(3);
        QCOMPARE(w_->IconCount(), 1);
        QCOMPARE(w_->StatusPanels()->PanelText(1), a);
        // The next Open asks for its file again.
        prompts_->CancelFile(cScriptedPrompts::eKind::OpenFile);
        w_->mnuFile_Click(0);
        QCOMPARE(QString::fromStdString(w_->RecentFiles().file(1)), b);
        QCOMPARE(QString::fromStdString(w_->RecentFiles().file(2)), a);

        // The dialog moves the file to the head, even when it holds no icons.
        Open(a);
        QCOMPARE(QString::fromStdString(w_->RecentFiles().file(1)), a);
        QCOMPARE(QString::fromStdString(w_->RecentFiles().file(2)), b);
        const QString none = mUiTest::Fixture("modules/noicons32.dll");
        Open(none);
        QCOMPARE(QString::fromStdString(w_->RecentFiles().file(1)), none);
        QCOMPARE(w_->RecentFiles().FileCount(), 3);
    }

    void ViewMenuKeepsMarksButtonsAndModeInStep() {
        Open(Sample());
        const char* buttons[] = {"viewlarge", "viewsmall", "viewlist", "viewdetails"};
        // Every view after every other, and the same one twice.
        for (int index : {4, 5, 6, 3, 6, 6, 5, 3, 3, 4}) {
            w_->mnuView_Click(index);
            for (int i = 3; i <= 6; ++i) {
                const QString what = QString("view %1, item %2").arg(index).arg(i);
                QVERIFY2(w_->ViewItem(i)->isChecked() == (i == index), qPrintable(what));
                QVERIFY2(w_->Button(buttons[i - 3])->isChecked() == (i == index), qPrintable(what));
            }
            QCOMPARE(static_cast<int>(w_->IconList()->View()), index - 3);
            QCOMPARE(w_->IconList()->ActiveView() == static_cast<QWidget*>(w_->IconList()->ReportWidget()), index == 6);
        }
        // The toolbar's buttons and the menu items go the same way; the small view shows the
        // 16-pixel pictures, the large one the 32-pixel ones.
        w_->Button("viewsmall")->trigger();
        QVERIFY(w_->ViewItem(4)->isChecked() && !w_->ViewItem(3)->isChecked());
        QCOMPARE(w_->IconList()->Picture(1).width(), 16);
        w_->ViewItem(3)->trigger();
        QVERIFY(w_->Button("viewlarge")->isChecked() && !w_->Button("viewsmall")->isChecked());
        QVERIFY(w_->ViewItem(3)->isChecked());
        QCOMPARE(w_->IconList()->Picture(1).width(), 32);
        // Pressing the pressed button keeps it pressed.
        w_->Button("viewlarge")->trigger();
        QVERIFY(w_->Button("viewlarge")->isChecked() && w_->ViewItem(3)->isChecked());
    }

    void ToolbarAndStatusBarToggle() {
        const int menuBottom = w_->menuBar()->geometry().bottom() + 1;
        auto listTop = [this] { return w_->IconList()->mapTo(w_.get(), QPoint(0, 0)).y(); };
        auto listBottom = [this] { return w_->IconList()->mapTo(w_.get(), QPoint(0, w_->IconList()->height())).y(); };
        QCOMPARE(listTop(), w_->Toolbar()->geometry().bottom() + 1 + 2);
        QCOMPARE(listBottom(), w_->StatusPanels()->geometry().top() - 2);

        w_->ViewItem(0)->trigger(); // through the menu, as the user does
        QVERIFY(!w_->ViewItem(0)->isChecked());
        QVERIFY(!w_->Toolbar()->isVisible());
        QCOMPARE(listTop(), menuBottom + 2);

        w_->mnuView_Click(1);
        QVERIFY(!w_->ViewItem(1)->isChecked());
        QVERIFY(!w_->StatusPanels()->isVisible());
        QCOMPARE(listBottom(), w_->height());

        // Twice restores the initial state.
        w_->mnuView_Click(0);
        w_->ViewItem(1)->trigger();
        QVERIFY(w_->ViewItem(0)->isChecked() && w_->Toolbar()->isVisible());
        QVERIFY(w_->ViewItem(1)->isChecked() && w_->StatusPanels()->isVisible());
        QCOMPARE(listTop(), w_->Toolbar()->geometry().bottom() + 1 + 2);
        QCOMPARE(listBottom(), w_->StatusPanels()->geometry().top() - 2);
        QCOMPARE(w_->IconList()->mapTo(w_.get(), QPoint(w_->IconList()->width(), 0)).x(), w_->width());
    }

    void StoredSettingsApplyWhenTheWindowLoads() {
        mSettings::SaveSetting("Pictrix v2", "Settings", "Backcolor", "255"); // red, 0x00BBGGRR
        mSettings::SaveSetting("Pictrix v2", "WinSet", "Toolbar", "0");
        mSettings::SaveSetting("Pictrix v2", "WinSet", "Statusbar", "True");
        mSettings::SaveSetting("Pictrix v2", "WinSet", "WinState", "0");
        mSettings::SaveSetting("Pictrix v2", "WinSet", "mnuView", "6");
        FMain loaded;
        mSettings::DeleteSetting("Pictrix v2", "Settings");
        mSettings::DeleteSetting("Pictrix v2", "WinSet");
        QCOMPARE(loaded.IconList()->BackColor(), QColor(255, 0, 0));
        QVERIFY(!loaded.ViewItem(0)->isChecked() && loaded.Toolbar()->isHidden());
        QVERIFY(loaded.ViewItem(1)->isChecked() && !loaded.StatusPanels()->isHidden());
        QVERIFY(loaded.ViewItem(6)->isChecked() && !loaded.ViewItem(3)->isChecked());
        QVERIFY(loaded.Button("viewdetails")->isChecked());
        QCOMPARE(static_cast<int>(loaded.IconList()->View()), 3);
    }

    // ---- What a desktop user meets beyond the letter.

    // A retrieval processes no events, yet its progress is painted as it goes: every change when
    // changes are far enough apart, otherwise the first and then one per interval.
    void ProgressIsPaintedWithoutEvents_data() {
        QTest::addColumn<int>("interval");
        QTest::addColumn<bool>("everyChange");
        QTest::newRow("changes far apart") << 0 << true;
        QTest::newRow("changes in quick succession") << 3600 * 1000 << false;
    }
    void ProgressIsPaintedWithoutEvents() {
        QFETCH(int, interval);
        QFETCH(bool, everyChange);
        w_->StatusPanels()->SetPaintInterval(interval);
        cPaintRecorder recorder(*w_->StatusPanels());
        Open(Sample());
        const QStringList& painted = recorder.painted;
        QVERIFY2(painted.contains("Checking for icons..."), qPrintable(painted.join(" / ")));
        for (const char* text : {"Retrieving icons...", "Retrieving icon 1 of 12...", "Retrieving icon 12 of 12..."})
            QVERIFY2(painted.contains(text) == everyChange, text);
    }

    void ALongPathFitsTheStatusBar() {
        QString folder = temp_.path();
        while (folder.size() < 280) folder += "/a-folder-with-a-rather-long-name";
        const QString path = CopyAs(IconFile(), folder.mid(temp_.path().size() + 1) + "/the-icon.ico");
        const int width = w_->width();
        Open(path);
        QCOMPARE(w_->StatusPanels()->PanelText(1), path);
        const QString shown = w_->StatusPanels()->ShownPanelText(1);
        QVERIFY2(shown.size() < path.size() && shown.contains(QChar(0x2026)), qPrintable(shown));
        // Its beginning and its file name stay.
        QVERIFY(shown.startsWith(path.left(4)) && shown.endsWith("the-icon.ico"));
        QCOMPARE(w_->width(), width);
        QVERIFY(w_->minimumSizeHint().width() < 800);
    }

    // One family of pictures on the toolbars: a theme that lacks a picture of either window gives
    // way to ours for every button.
    void ToolbarPicturesAreOneFamily_data() {
        QTest::addColumn<bool>("every");
        QTest::newRow("a theme with every picture") << true;
        QTest::newRow("a theme with some") << false;
    }
    void ToolbarPicturesAreOneFamily() {
        QFETCH(bool, every);
        QTemporaryDir themes;
        QVERIFY(themes.isValid());
        QDir(themes.path()).mkpath("test/16x16");
        QFile index(themes.filePath("test/index.theme"));
        QVERIFY(index.open(QIODevice::WriteOnly));
        index.write("[Icon Theme]\nName=test\nDirectories=16x16\n\n[16x16]\nSize=16\n");
        index.close();
        QStringList keys(w_->ButtonKeys().begin(), w_->ButtonKeys().end());
        keys << "new"
             << "add"
             << "delete"
             << "extract"
             << "helprecurse"
             << "Stop"; // the search window's
        QImage dot(16, 16, QImage::Format_ARGB32);
        dot.fill(Qt::red);
        for (const QString& key : keys) {
            const QString name = mToolbarPictures::ThemeName(key);
            if (!name.isEmpty() && (every || key == "open"))
                QVERIFY(dot.save(themes.filePath("test/16x16/" + name + ".png")));
        }
        const QStringList paths = QIcon::themeSearchPaths();
        const QString theme = QIcon::themeName();
        QIcon::setThemeSearchPaths({themes.path()});
        QIcon::setThemeName("test");
        const bool all = mToolbarPictures::ThemeHasEveryPicture();
        QStringList names;
        {
            FMain window;
            for (const QString& key : window.ButtonKeys()) {
                if (!key.isEmpty()) names << window.Button(key)->icon().name();
            }
        }
        QIcon::setThemeSearchPaths(paths);
        QIcon::setThemeName(theme);
        QCOMPARE(all, every);
        for (qsizetype i = 0, k = 0; i < static_cast<qsizetype>(w_->ButtonKeys().size()); ++i) {
            const QString& key = w_->ButtonKeys()[static_cast<std::size_t>(i)];
            if (!key.isEmpty()) QCOMPARE(names[k++], every ? mToolbarPictures::ThemeName(key) : QString());
        }
        // The drawn pictures' strokes take the palette's text colour: on a dark palette every
        // picture of a view still shows light strokes.
        const QPalette before = QGuiApplication::palette();
        QPalette dark(QColor(30, 30, 30));
        dark.setColor(QPalette::WindowText, QColor(235, 235, 235));
        QGuiApplication::setPalette(dark);
        for (const char* key : {"viewlarge", "viewsmall", "viewlist", "viewdetails"}) {
            const QImage picture = mToolbarPictures::Fallback(key, 32).toImage().convertToFormat(QImage::Format_ARGB32);
            int light = 0;
            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < 32; ++x)
                    light += qAlpha(picture.pixel(x, y)) > 128 && qGray(picture.pixel(x, y)) > 180;
            QVERIFY2(light > 20, key);
        }
        QGuiApplication::setPalette(before);
    }

    void ADroppedFileOpensAsOpenDoes() {
        // The list takes no drops itself, in any view: they reach the window.
        for (int view = 3; view <= 6; ++view) {
            w_->mnuView_Click(view);
            auto* active = static_cast<QAbstractItemView*>(w_->IconList()->ActiveView());
            QVERIFY(!active->acceptDrops() && !active->viewport()->acceptDrops());
        }
        QVERIFY(w_->acceptDrops());
        const QString file = Sample();
        std::unique_ptr<QMimeData> data(FileDrag({file}));
        QDragEnterEvent enter(QPoint(50, 80), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w_.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(50, 80), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w_.get(), &drop);
        QVERIFY(drop.isAccepted());
        QCOMPARE(w_->IconCount(), 12);
        QCOMPARE(w_->StatusPanels()->PanelText(1), file);
        QCOMPARE(QString::fromStdString(w_->RecentFiles().file(1)), file);
        QVERIFY(w_->RecentItem(2)->isVisible());

        // A list file opens in a search window of its own, as opening it does; the main window
        // keeps its icons.
        mSearchWindows::Install();
        QFile list(temp_.filePath("dropped hits.IER"));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write("/a/one.exe\r\n\r\n/b/two.dll\r\n\r\n");
        list.close();
        std::unique_ptr<QMimeData> listData(FileDrag({list.fileName()}));
        QDragEnterEvent listEnter(QPoint(50, 80), Qt::CopyAction, listData.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w_.get(), &listEnter);
        QDropEvent listDrop(QPointF(50, 80), Qt::CopyAction, listData.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w_.get(), &listDrop);
        QVERIFY(listDrop.isAccepted());
        QCOMPARE(w_->IconCount(), 12);
        QCOMPARE(prompts_->Asked().size(), std::size_t(0));
        FRecurse* search = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* found = qobject_cast<FRecurse*>(top); found && found->isVisible()) search = found;
        }
        QVERIFY(search);
        QCOMPARE(search->windowTitle(), "Recursing: " + list.fileName());
        QCOMPARE(search->List().ListCount(), 2);
        QCOMPARE(QString::fromStdString(search->List().Text(1)), QString("/b/two.dll"));
        delete search;

        // A name that is not UTF-8 comes as the address's bytes and opens under them.
        const QByteArray raw = QFile::encodeName(temp_.path()) + "/caf\xe9 \"x\".dll";
        std::filesystem::copy_file(Sample().toStdString(), raw.toStdString());
        std::unique_ptr<QMimeData> rawData(new QMimeData);
        rawData->setData("text/uri-list", "file://" + raw.toPercentEncoding("/") + "\r\n");
        QDragEnterEvent rawEnter(QPoint(50, 80), Qt::CopyAction, rawData.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w_.get(), &rawEnter);
        QVERIFY(rawEnter.isAccepted());
        QDropEvent rawDrop(QPointF(50, 80), Qt::CopyAction, rawData.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w_.get(), &rawDrop);
        QVERIFY(rawDrop.isAccepted());
        QCOMPARE(w_->IconCount(), 12);
        QCOMPARE(w_->RecentFiles().file(1), raw.toStdString());
        QCOMPARE(prompts_->Asked().size(), std::size_t(0));

        // Nothing local to open: the drag is refused.
        std::unique_ptr<QMimeData> web(new QMimeData);
        web->setUrls({QUrl("https://example.org/x.ico")});
        QDragEnterEvent refused(QPoint(50, 80), Qt::CopyAction, web.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w_.get(), &refused);
        QVERIFY(!refused.isAccepted());
    }

    // Long names keep to their cells in the icon and list views, and show whole in their tool
    // tips; a name that fits under a large icon on two lines is not cut. A cursor's mark, the
    // only sign that a row is a cursor, stays in sight however long the name.
    void LongNamesKeepToTheirCells_data() {
        QTest::addColumn<int>("view");
        QTest::newRow("large icons") << 3;
        QTest::newRow("small icons") << 4;
        QTest::newRow("list") << 5;
    }
    void LongNamesKeepToTheirCells() {
        QFETCH(int, view);
        Open(mUiTest::Fixture("modules/longnames.dll"));
        w_->mnuView_Click(view);
        QListView* list = w_->IconList()->ListWidget();
        QTest::qWait(20); // the view lays its items out
        list->viewport()->repaint();
        const QSize cell = list->gridSize();
        const QFontMetrics metrics(list->font());
        int cut = 0, cursors = 0;
        for (int i = 1; i <= w_->IconList()->Count(); ++i) {
            const QString name = w_->IconList()->Text(i);
            const QString shown = w_->IconList()->ShownText(i);
            if (name.endsWith(" (cursor)")) {
                ++cursors;
                QVERIFY2(shown.endsWith("(cursor)"), qPrintable(shown));
            }
            const QModelIndex index = list->model()->index(i - 1, 0);
            const QRect rect = list->visualRect(index);
            QVERIFY2(rect.width() <= cell.width() && rect.height() <= cell.height(), qPrintable(name));
            for (const QString& line : shown.split(QChar::LineSeparator))
                QVERIFY2(metrics.horizontalAdvance(line) <= cell.width(), qPrintable(shown));
            QHelpEvent help(QEvent::ToolTip, rect.center(), list->viewport()->mapToGlobal(rect.center()));
            QApplication::sendEvent(list->viewport(), &help);
            if (shown.contains(QChar(0x2026))) {
                ++cut;
                QCOMPARE(QToolTip::text(), name);
            } else {
                // Whole, perhaps over two lines.
                QCOMPARE(QString(shown).remove(QChar::LineSeparator).remove(' '), QString(name).remove(' '));
                QVERIFY2(!QToolTip::isVisible() || QToolTip::text() != name, qPrintable(name));
            }
            if (name == "ABCDEFGHIJKLMNOP" && view == 3) QVERIFY2(!shown.contains(QChar(0x2026)), qPrintable(shown));
        }
        QVERIFY(cut >= 3);
        QCOMPARE(cursors, 2);
        QToolTip::hideText();
    }

    void BackColourFollowsStoredValue() {
        w_->SetListBackColour(-2147483644); // the menu colour
        QCOMPARE(w_->IconList()->BackColor(), QApplication::palette().color(QPalette::Window));
        w_->SetListBackColour(static_cast<std::int32_t>(0x80000005u));
        QCOMPARE(w_->IconList()->BackColor(), QApplication::palette().color(QPalette::Base));
        w_->SetListBackColour(0x00FF8000); // 0x00BBGGRR
        QCOMPARE(w_->IconList()->BackColor(), QColor(0x00, 0x80, 0xFF));
    }
};

PICTRIX_UI_TEST(tMainWindowTest)
#include "main_window_test.moc"
