// The images of the chosen icon beside the list (View > Images): showing and hiding the grid, its
// place, the setting that remembers it, choosing images with the mouse and the keyboard, and the
// commands that act on the chosen images: Save, Copy, Properties and Export as PNG.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cstdint>
#include <vector>

#include "doubles/cScriptedPrompts.h"
#include "app/mPngExport.h"
#include "app/ui/FMain.h"
#include "app/ui/FProps.h"
#include "app/ui/cListView.h"
#include "app/ui/cStatusBar.h"
#include "grid/ui/cIconGrid.h"
#include "icon/cFileIcon.h"
#include "cMainWindowTest.h"
#include "mUiTest.h"
#include "support/mSettings.h"
#include "platform/ui/cPrompts.h"

namespace {

using eAnswer = cPrompts::eAnswer;
using eKind = cScriptedPrompts::eKind;
using tImages = std::vector<int>;

// Ten images: 32 and 16 pixels at 4, 8, 32 and 24 bits, 48 pixels at 32 bits, and a 256-pixel PNG.
QString Ten() { return mUiTest::Fixture("icons/ten.ico"); }

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::uint32_t U32(const QByteArray& b, qsizetype at) {
    return static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at])) |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at + 3])) << 24;
}

// Image n's block in an .ico file, read straight from its ICONDIRENTRY.
QByteArray BlockOf(const QByteArray& ico, int n) {
    const qsizetype entry = 6 + 16 * (n - 1);
    return ico.mid(static_cast<qsizetype>(U32(ico, entry + 12)), static_cast<qsizetype>(U32(ico, entry + 8)));
}

// The .ico file of the given images of `ico`: a fresh ICONDIR and directory (each entry as the
// source has it but for its offset), then the blocks, byte for byte, in order.
QByteArray IcoOf(const QByteArray& ico, const tImages& images) {
    QByteArray out;
    const auto put16 = [&](int v) { out.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); };
    put16(0);
    put16(1);
    put16(static_cast<int>(images.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (int n : images) {
        const qsizetype entry = 6 + 16 * (n - 1);
        out.append(ico.mid(entry, 12));
        for (int k = 0; k < 4; ++k) out.append(char((offset >> (8 * k)) & 0xFF));
        offset += U32(ico, entry + 8);
    }
    for (int n : images) out.append(BlockOf(ico, n));
    return out;
}

tImages All() { return {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}; }

} // namespace

class tMainImagesTest : public cMainWindowTest {
    Q_OBJECT

    // A widget's place in its window.
    static QRect InWindow(const QWidget* w) { return QRect(w->mapTo(w->window(), QPoint(0, 0)), w->size()); }

    // Opens ten.ico, shows the grid or not, and selects `chosen` in it.
    void OpenTen(bool shown, const tImages& chosen) {
        Open(Ten());
        if (shown != Window().ImagesShown()) Window().ImagesItem()->trigger();
        for (int n : chosen) Window().ImageGrid()->SetSelected(n, true);
    }

    void SetUp() override { mSettings::DeleteSetting("Pictrix v2", "WinSet"); }
    void TearDown() override {
        cMainWindowTest::TearDown();
        mSettings::DeleteSetting("Pictrix v2", "WinSet");
    }

private slots:
    // ---- The toggle.

    void TheGridSharesTheListsPlaceWhileShown() {
        Window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&Window()));
        Open(Ten());
        QVERIFY(!Window().ImagesItem()->isChecked());
        QVERIFY(!Window().ImageGrid()->isVisible());
        const QRect full = InWindow(Window().IconList());

        Window().ImagesItem()->trigger(); // through the menu, as the user does
        QVERIFY(Window().ImagesItem()->isChecked());
        QVERIFY(Window().ImageGrid()->isVisible());
        const QRect list = InWindow(Window().IconList()), grid = InWindow(Window().ImagesPane());
        QCOMPARE(list.topLeft(), full.topLeft());
        QCOMPARE(list.height(), full.height());
        QCOMPARE(grid.top(), full.top());
        QCOMPARE(grid.height(), full.height());
        QCOMPARE(grid.left(), list.right() + 1 + 2);
        QCOMPARE(grid.right(), full.right());
        QVERIFY(grid.width() >= 120);
        // At the window's first size the 256-pixel image shows whole, without scrolling.
        QVERIFY(grid.width() <= full.width() * 2 / 3);
        QTRY_VERIFY(!Window().ImagesPane()->horizontalScrollBar()->isVisible());
        QVERIFY(Window().ImageGrid()->ClientWidth() >= 256 + 6);
        // The chosen icon's images with their captions.
        QCOMPARE(Window().ImageGrid()->ItemCount(), 10);
        QCOMPARE(Window().ImageGrid()->Caption(1), QString("32 x 32, 16 colors"));
        QCOMPARE(Window().ImageGrid()->Caption(10), QString("256 x 256, millions of colors"));

        Window().ImagesItem()->trigger();
        QVERIFY(!Window().ImagesItem()->isChecked());
        QVERIFY(!Window().ImageGrid()->isVisible());
        QCOMPARE(InWindow(Window().IconList()), full);
    }

    // The user drags the pane narrower than the 256-pixel image: the pane scrolls sideways and
    // the image stays whole; the next window gives the pane the width the user left.
    void TheImagesPaneScrollsAndKeepsItsWidth() {
        int narrow = 0;
        {
            FMain first;
            first.setAttribute(Qt::WA_DeleteOnClose, false);
            first.resize(700, 500);
            first.show();
            QVERIFY(QTest::qWaitForWindowExposed(&first));
            // Not through the dialog: the recent files this window stores stay as they were.
            first.Retrieve(Ten().toStdString());
            first.mnuImages_Click();
            QSplitterHandle* handle = first.ImagesSplitter()->handle(1);
            const QPoint grip(handle->width() / 2, handle->height() / 2);
            QTest::mousePress(handle, Qt::LeftButton, {}, grip);
            QTest::mouseMove(handle, grip + QPoint(first.ImagesPane()->width() - 150, 0));
            QTest::mouseRelease(handle, Qt::LeftButton, {}, grip + QPoint(first.ImagesPane()->width() - 150, 0));
            QTRY_VERIFY(first.ImagesPane()->width() < 160);
            narrow = first.ImagesPane()->width();
            cIconGrid& grid = *first.ImageGrid();
            QTRY_VERIFY(first.ImagesPane()->horizontalScrollBar()->isVisible());
            QVERIFY(grid.ClientWidth() >= 256 + 6);
            QCOMPARE(grid.height(), first.ImagesPane()->viewport()->height());
            first.close();
        }
        FMain next;
        QCOMPARE(mSettings::GetSetting("Pictrix v2", "WinSet", "ImagesWidth", "<none>"),
                 std::to_string(static_cast<int>(narrow * next.TwipsPerPixelX() + 0.5)));
        next.resize(700, 500);
        next.show();
        QVERIFY(QTest::qWaitForWindowExposed(&next));
        QVERIFY(next.ImagesPane()->isVisible());
        QCOMPARE(next.ImagesPane()->width(), narrow);
        // Wide enough for every image: nothing to scroll.
        QList<int> sizes = next.ImagesSplitter()->sizes();
        next.ImagesSplitter()->setSizes({sizes[0] + sizes[1] - 300, 300});
        QTRY_VERIFY(!next.ImagesPane()->horizontalScrollBar()->isVisible());
    }

    void TheToggleIsRememberedByTheNextWindow_data() {
        QTest::addColumn<bool>("shown");
        QTest::newRow("shown") << true;
        QTest::newRow("hidden after being shown") << false;
    }
    void TheToggleIsRememberedByTheNextWindow() {
        QFETCH(bool, shown);
        {
            FMain first;
            first.setAttribute(Qt::WA_DeleteOnClose, false);
            first.show();
            first.mnuImages_Click();
            if (!shown) first.mnuImages_Click();
            first.close();
        }
        QCOMPARE(mSettings::GetSetting("Pictrix v2", "WinSet", "Images", "<none>"), std::string(shown ? "-1" : "0"));
        FMain next;
        QCOMPARE(next.ImagesItem()->isChecked(), shown);
        QCOMPARE(next.ImageGrid()->isVisibleTo(&next), shown);
    }

    // ---- Choosing images and the commands that act on them.

    void MouseAndKeyboardChooseWhatIsSaved() {
        Window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&Window()));
        OpenTen(true, {});
        cIconGrid& grid = *Window().ImageGrid();
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(grid.width() / 2, grid.ItemTop(2) + 3));
        QTest::keyClick(&grid, Qt::Key_Down, Qt::ShiftModifier);
        QVERIFY(grid.hasFocus());
        QVERIFY(!grid.Selected(1) && grid.Selected(2) && grid.Selected(3) && !grid.Selected(4));

        const QString target = temp_.filePath("mouse-and-keys.ico");
        prompts_->AnswerSave(target);
        Window().FileItem(1)->trigger();
        QCOMPARE(prompts_->LastAsked().kind, eKind::SaveFile);
        QCOMPARE(ReadAll(target), IcoOf(ReadAll(Ten()), {2, 3}));
    }

    // A save of the chosen images is those images' blocks, byte for byte (the PNG block stays PNG),
    // under a fresh header and directory; a hidden grid chooses nothing, so the whole icon is saved.
    void SaveWritesTheChosenImagesByteForByte_data() {
        QTest::addColumn<bool>("shown");
        QTest::addColumn<tImages>("chosen");
        QTest::addColumn<tImages>("saved");
        QTest::newRow("two of ten: 4-bit and PNG") << true << tImages{1, 10} << tImages{1, 10};
        QTest::newRow("none chosen means all") << true << tImages{} << All();
        QTest::newRow("grid hidden: all, whatever was chosen") << false << tImages{1, 10} << All();
    }
    void SaveWritesTheChosenImagesByteForByte() {
        QFETCH(bool, shown);
        QFETCH(tImages, chosen);
        QFETCH(tImages, saved);
        OpenTen(true, chosen);
        if (!shown) Window().mnuImages_Click();
        const QString target = temp_.filePath("chosen.ico");
        QFile::remove(target);
        prompts_->AnswerSave(target);
        Window().SaveIcons();
        QCOMPARE(ReadAll(target), IcoOf(ReadAll(Ten()), saved));
    }

    void CopyTakesTheChosenImages_data() {
        QTest::addColumn<bool>("key");
        QTest::newRow("the Copy command") << false;
        QTest::newRow("Ctrl+C in the grid") << true;
    }
    void CopyTakesTheChosenImages() {
        QFETCH(bool, key);
        OpenTen(true, {4, 10});
        QApplication::clipboard()->setText("before the copy");
        if (key) {
            Window().show();
            QVERIFY(QTest::qWaitForWindowExposed(&Window()));
            Window().ImageGrid()->setFocus();
            QTest::keyClick(Window().ImageGrid(), Qt::Key_C, Qt::ControlModifier);
        } else {
            Window().mnuCopy_Click();
        }
        const QMimeData* data = QApplication::clipboard()->mimeData();
        QVERIFY(data && data->hasFormat("image/vnd.microsoft.icon"));
        QCOMPARE(data->data("image/vnd.microsoft.icon"), IcoOf(ReadAll(Ten()), {4, 10}));
    }

    // A right click on the images offers the commands that act on the chosen ones.
    void TheImagesHaveAContextMenu() {
        Window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&Window()));
        OpenTen(true, {});
        QStringList items;
        QTimer::singleShot(0, [&items] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            for (QAction* a : menu->actions()) items << (a->isSeparator() ? "-" : a->text());
            menu->close();
        });
        QWidget* area = Window().ImageGrid()->viewport();
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10), area->mapToGlobal(QPoint(10, 10)));
        QApplication::sendEvent(area, &event);
        QCOMPARE(items, (QStringList{"&Save", "&Copy", "&Export as PNG...", "-", "&Properties"}));
    }

    void PropertiesListTheChosenImages() {
        OpenTen(true, {2, 10});
        cFileIcon source;
        QVERIFY(source.LoadIcon(Ten().toStdString()));
        const QString text = PropertiesText();
        QCOMPARE(text, "\r\n\r\nIcon types in file:\r\n"
                       "    16 x 16,16 colors.    Size=" +
                           QString::number(source.ImageSize(2)) +
                           " bytes.   \r\n"
                           "    256 x 256,millions of colors.    Size=" +
                           QString::number(source.ImageSize(10)) + " bytes.   \r\n");
    }

    // ---- Export as PNG.

    // The grid hidden: the icon's best image through the save dialog, under its planned name. The
    // best image of ten.ico is its PNG image, written as stored.
    void ExportWithTheGridHiddenWritesTheBestImage() {
        OpenTen(false, {});
        const QString target = temp_.filePath("best.png");
        QFile::remove(target);
        prompts_->AnswerSave(target);
        prompts_->AnswerMessage(eAnswer::OK);
        Window().ExportPngItem()->trigger();
        const auto& asked = prompts_->Asked();
        QCOMPARE(asked.size(), std::size_t(3)); // open, export, report
        QCOMPARE(asked[1].kind, eKind::SaveFile);
        QCOMPARE(asked[1].owner.data(), &Window());
        QCOMPARE(asked[1].file.fileName, QString("ten-256x256-32bit.png"));
        QCOMPARE(asked[1].file.title, QString("Export as PNG"));
        QCOMPARE(asked[1].file.defaultExtension, QString("png"));
        QCOMPARE(asked[1].file.filters[0].pattern, QString("*.png"));
        QVERIFY(asked[1].file.overwritePrompt);
        QCOMPARE(ReadAll(target), BlockOf(ReadAll(Ten()), 10));
        QCOMPARE(asked[2].text, QString("1 PNG file written."));
        QCOMPARE(asked[2].icon, cPrompts::eIcon::Information);
    }

    // Several images go to a folder: the PNG block as stored, the 4-bit bitmap decoded with its
    // mask as alpha (the decoder's pixels are checked against ImageMagick's in the core's tests).
    void ExportOfChosenImagesIntoAFolder() {
        OpenTen(true, {1, 10});
        const QString folder = temp_.filePath("export-two");
        QVERIFY(QDir().mkpath(folder));
        prompts_->AnswerFolder(folder);
        prompts_->AnswerMessage(eAnswer::OK);
        Window().ExportPng();
        QCOMPARE(prompts_->Asked()[1].kind, eKind::Folder);
        QCOMPARE(prompts_->LastAsked().text, QString("2 PNG files written."));
        QCOMPARE(ReadAll(folder + "/ten-256x256-32bit.png"), BlockOf(ReadAll(Ten()), 10));
        const QString bitmap = folder + "/ten-32x32-4bit.png";
        cFileIcon source;
        QVERIFY(source.LoadIcon(Ten().toStdString()));
        const std::vector<std::uint8_t> png = mPngExport::PngBytes(source, 1);
        QCOMPARE(ReadAll(bitmap),
                 QByteArray(reinterpret_cast<const char*>(png.data()), static_cast<qsizetype>(png.size())));
        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 2);
    }

    void ExportAsksBeforeReplacing_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("no keeps the file") << int(eAnswer::No) << false;
        QTest::newRow("yes replaces it") << int(eAnswer::Yes) << true;
    }
    void ExportAsksBeforeReplacing() {
        QFETCH(int, answer);
        QFETCH(bool, replaced);
        OpenTen(true, {5, 10});
        const QString folder = temp_.filePath(QString("replace-%1").arg(answer));
        QVERIFY(QDir().mkpath(folder));
        const QString there = folder + "/ten-256x256-32bit.png";
        {
            QFile f(there);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("the user's picture");
        }
        prompts_->AnswerFolder(folder);
        prompts_->AnswerMessage(static_cast<eAnswer>(answer));
        if (replaced) prompts_->AnswerMessage(eAnswer::OK);
        Window().ExportPng();
        const auto& question = prompts_->Asked()[2];
        QCOMPARE(question.text, there + " already exists.\rDo you want to replace it?");
        QCOMPARE(question.buttons, cPrompts::eButtons::YesNo);
        QCOMPARE(ReadAll(there) == BlockOf(ReadAll(Ten()), 10), replaced);
        QCOMPARE(QFile::exists(folder + "/ten-32x32-32bit.png"), replaced);
        QCOMPARE(prompts_->Pending(), std::size_t(0));
    }

    void ExportFailuresNameTheFile() {
        OpenTen(true, {1, 10});
        const QString plain = temp_.filePath("not-a-folder");
        {
            QFile f(plain);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        prompts_->AnswerFolder(plain);
        prompts_->AnswerMessage(eAnswer::OK);
        Window().ExportPng();
        const auto& report = prompts_->LastAsked();
        QCOMPARE(report.icon, cPrompts::eIcon::Exclamation);
        QVERIFY2(report.text.startsWith("0 PNG files written.\n" + plain + "/ten-32x32-4bit.png: "),
                 qPrintable(report.text));
        QVERIFY2(report.text.contains("\n" + plain + "/ten-256x256-32bit.png: "), qPrintable(report.text));
    }

    void ExportWithoutAnIcon() {
        Window().ExportPng();
        QCOMPARE(Window().StatusPanels()->SimpleText(), QString("No icons to export. Ready..."));
        QVERIFY(prompts_->Asked().empty());

        Open(Ten());
        Window().IconList()->ListWidget()->selectionModel()->clear();
        prompts_->AnswerMessage(eAnswer::OK);
        Window().ExportPng();
        QCOMPARE(prompts_->LastAsked().text, QString("Please choose an icon to export."));
        QCOMPARE(prompts_->Asked().size(), std::size_t(2));
    }
};

PICTRIX_UI_TEST(tMainImagesTest)
#include "main_images_test.moc"
