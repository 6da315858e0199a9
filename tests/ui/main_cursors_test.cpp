// The main window on cursors: View > Cursors and what it lists, the rows of cursors marked in
// every view, the groups stored in several languages, the properties with the hotspots and the
// animation, and Save, Copy and Export as PNG of a cursor.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>

#include "app/mMainSettings.h"
#include "app/ui/FMain.h"
#include "app/ui/FProps.h"
#include "app/ui/cListView.h"
#include "app/ui/cStatusBar.h"
#include "cMainWindowTest.h"
#include "doubles/cScriptedPrompts.h"
#include "fixtures/mCraft.h"
#include "grid/ui/cIconGrid.h"
#include "icon/cFileIcon.h"
#include "mUiTest.h"
#include "platform/ui/cPrompts.h"
#include "support/cRegistry.h"
#include "support/mSettings.h"

namespace {

using eAnswer = cPrompts::eAnswer;
using eKind = cScriptedPrompts::eKind;

const std::string kApp = "Pictrix v2";

QString Fixture(const QString& name) { return mUiTest::Fixture(name); }
QString Module() { return Fixture("modules/cursors32.dll"); }
QString Busy() { return Fixture("crafted/busy.ani"); }

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The rows of cursors32.dll with View > Cursors checked: the icon group in three languages, then
// the cursor groups, the second in two.
const QStringList kAllRows = {"1 [de-DE]",  "1 [en-US]",          "1 [fr-FR]",         "POINTER (cursor)",
                              "1 (cursor)", "2 [de-DE] (cursor)", "2 [en-US] (cursor)"};

} // namespace

class tMainCursorsTest : public cMainWindowTest {
    Q_OBJECT

    QStringList Rows() {
        QStringList rows;
        for (int i = 1; i <= Window().IconList()->Count(); ++i) rows << Window().IconList()->Text(i);
        return rows;
    }

    // Chooses row `text` as a click does; fails the test when there is none.
    int Choose(const QString& text) {
        const int row = static_cast<int>(Rows().indexOf(text)) + 1;
        if (row < 1) return 0;
        Window().IconList()->SetSelected(row);
        Window().lvwIcons_ItemClick(row);
        return row;
    }

    // The window's settings and the recent files it stores are forgotten before and after, so
    // that no other test sees them.
    static void Forget() {
        mSettings::DeleteSetting(kApp, "WinSet");
        cRegistry recent;
        recent.ClassKey(cRegistry::kHKeyLocalMachine);
        recent.SectionKey(std::string(mMainSettings::kRecentFilesKey));
        if (recent.KeyExists()) recent.DeleteKey();
    }
    void SetUp() override { Forget(); }
    void TearDown() override {
        cMainWindowTest::TearDown();
        Forget();
    }

private slots:
    // On by default: the cursor groups follow the icon groups. Off, the module is read again
    // without them and the chosen icon stays chosen; the choice outlives the window.
    void CursorsItemListsTheCursorGroupsAndIsRemembered() {
        QVERIFY(Window().CursorsItem()->isCheckable() && Window().CursorsItem()->isChecked());
        QCOMPARE(Window().CursorsItem()->text(), QString("C&ursors"));
        // Nothing shown yet: the mark changes and nothing is read or asked.
        Window().CursorsItem()->trigger();
        QVERIFY(!Window().CursorsItem()->isChecked());
        QVERIFY(prompts_->Asked().empty());
        Window().CursorsItem()->trigger();

        Open(Module());
        QCOMPARE(Rows(), kAllRows);
        QCOMPARE(Window().IconCount(), 7);
        QCOMPARE(Choose("1 [en-US]"), 2);
        Window().CursorsItem()->trigger();
        QVERIFY(!Window().CursorsItem()->isChecked());
        QCOMPARE(Rows(), kAllRows.mid(0, 3));
        QCOMPARE(Window().IconCount(), 3);
        QCOMPARE(Window().IconList()->SelectedIndex(), 2);
        QCOMPARE(Window().ImageGrid()->ItemCount(), Window().Icon(2).ImageCount());
        QCOMPARE(prompts_->Asked().size(), std::size_t(1)); // the open dialog alone

        Window().StoreSettings();
        QCOMPARE(mSettings::GetSetting(kApp, "WinSet", "Cursors", "<none>"), std::string("0"));
        w_.reset();
        QVERIFY(!Window().CursorsItem()->isChecked());
        Open(Module());
        QCOMPARE(Rows(), kAllRows.mid(0, 3));
        // Back on: a cursor row chosen after the reload is a cursor.
        Window().CursorsItem()->trigger();
        QCOMPARE(Rows(), kAllRows);
        QVERIFY(Window().Icon(Choose("1 (cursor)")).IsCursor());
        Window().StoreSettings();
        QCOMPARE(mSettings::GetSetting(kApp, "WinSet", "Cursors", "<none>"), std::string("-1"));
    }

    // A cursor group that cannot be read fails alone: logged, named in the status bar, the other
    // groups listed; nothing is shown in a box. A damaged icon group still ends the retrieval.
    void ADamagedCursorGroupFailsAlone() {
        mCraft::cPeSpec spec;
        spec.icons.push_back({{}, 1, mCraft::IconImage()});
        spec.groups.push_back({{}, 1, mCraft::GroupDir({1}, 296)});
        spec.cursors.push_back({{}, 1, mCraft::CursorImage(2, 3)});
        spec.cursorGroups = {{{}, 1, mCraft::CursorGroupDir({1}, 32)}, {{}, 2, mCraft::CursorGroupDir({7}, 32)}};
        const QString module = temp_.filePath("damaged.dll");
        const auto write = [&module](const mCraft::tBytes& bytes) {
            QFile f(module);
            return f.open(QIODevice::WriteOnly) &&
                   f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) ==
                       static_cast<qint64>(bytes.size());
        };
        QVERIFY(write(mCraft::Pe32(spec)));
        Open(module);
        QCOMPARE(Rows(), (QStringList{"1", "1 (cursor)"}));
        QCOMPARE(Window().StatusPanels()->PanelText(2), QString("1 cursor group could not be read; see the error log"));
        QVERIFY(ReadAll(temp_.filePath("errlog.txt")).contains("Cursor group 2: Failed to read bitmap bits"));
        QCOMPARE(prompts_->Asked().size(), std::size_t(1)); // the open dialog alone

        spec.groups.push_back({{}, 2, mCraft::GroupDir({7}, 296)});
        QVERIFY(write(mCraft::Pe32(spec)));
        prompts_->AnswerOpen({module}).AnswerMessage(eAnswer::OK);
        Window().mnuFile_Click(0);
        QCOMPARE(Rows(), QStringList{});
    }

    // Every view shows the marked text; the details view has the type column besides.
    void CursorRowsAreMarkedInEveryView() {
        Open(Module());
        const cListView& list = *Window().IconList();
        for (int view : {3, 4, 5, 6}) {
            Window().mnuView_Click(view);
            QCOMPARE(Rows(), kAllRows);
        }
        QStringList types;
        for (int i = 1; i <= list.Count(); ++i) types << list.SubItem(i, 2);
        QCOMPARE(types, (QStringList{"Icon", "Icon", "Icon", "Cursor", "Cursor", "Cursor", "Cursor"}));
        QCOMPARE(list.SubItem(7, 1), QString("2"));

        // A cursor file is one row under its name, and its status is an icon file's.
        Open(Fixture("cursors/arrow.cur"));
        QCOMPARE(Rows(), QStringList{Fixture("cursors/arrow.cur") + " (cursor)"});
        QCOMPARE(list.SubItem(1, 2), QString("Cursor"));
        QCOMPARE(Window().StatusPanels()->PanelText(1), Fixture("cursors/arrow.cur"));
    }

    // A group in several languages is one row per language, each with its own language's images:
    // the icon group's three depths, the cursor group's two cursor files.
    void LanguageRowsLoadTheirOwnImages() {
        Open(Module());
        const struct {
            const char* row;
            std::int32_t images, colours;
        } rows[] = {
            {"1 [de-DE]", 2, 16},         {"1 [en-US]", 2, 256},          {"1 [fr-FR]", 1, 2},
            {"2 [de-DE] (cursor)", 1, 2}, {"2 [en-US] (cursor)", 2, 256},
        };
        for (const auto& r : rows) {
            const int row = Choose(r.row);
            QVERIFY2(row > 0, r.row);
            const cFileIcon& icon = Window().Icon(row);
            QVERIFY2(icon.ImageCount() == r.images, r.row);
            QVERIFY2(icon.ImageColourCount(1) == r.colours, r.row);
            QVERIFY2(Window().ImageGrid()->ItemCount() == r.images, r.row);
        }
        QCOMPARE(Window().Icon(Choose("2 [de-DE] (cursor)")).Hotspot(1), (cFileIcon::cHotspot{7, 9}));
        QCOMPARE(Window().Icon(Choose("2 [en-US] (cursor)")).Hotspot(2), (cFileIcon::cHotspot{1, 2}));
    }

    // A cursor's properties name it a cursor and give each image's hotspot.
    void PropertiesOfACursorShowTheHotspots() {
        Open(Module());
        Choose("2 [en-US] (cursor)");
        QString text = PropertiesText();
        QVERIFY2(text.startsWith("Cursor: 2 [en-US]\r\n\r\nCursor types in file:\r\n"), qPrintable(text));
        QCOMPARE(text.count("Hotspot=1,2\r\n"), 2);
        Choose("1 [fr-FR]");
        QVERIFY(!PropertiesText().contains("Hotspot="));
        Open(Fixture("cursors/arrow.cur"));
        text = PropertiesText();
        QVERIFY2(text.contains("Hotspot=3,5\r\n"), qPrintable(text));
        QVERIFY(!text.contains("Frames:"));
    }

    // An animated cursor: one cursor row per frame; the properties add the frames, steps and rates
    // (crafted: four frames there and back, rates 5 on); the next file shows none of that.
    void AnAnimatedCursorListsItsFrames() {
        Open(Busy());
        QCOMPARE(Rows(), (QStringList{"Frame 1 (cursor)", "Frame 2 (cursor)", "Frame 3 (cursor)", "Frame 4 (cursor)"}));
        QCOMPARE(Window().StatusPanels()->PanelText(1), Busy());
        Choose("Frame 3 (cursor)");
        const QString text = PropertiesText();
        QVERIFY2(text.startsWith("Cursor: Frame 3\r\n\r\nCursor types in file:\r\n"), qPrintable(text));
        QVERIFY2(text.endsWith("\r\n\r\nFrames: 4\r\nSteps: 1 2 3 4 3 2 1\r\nRates: 5 6 7 8 9 10 11 jiffies\r\n"),
                 qPrintable(text));

        // A frame saves as a cursor file that loads again as that frame.
        const QString target = temp_.filePath("frame3.cur");
        QFile::remove(target);
        prompts_->AnswerSave(target);
        Window().SaveIcons();
        cFileIcon saved;
        QVERIFY(saved.LoadCursor(target.toStdString()));
        QCOMPARE(saved.IcoBytes(), Window().Icon(3).IcoBytes());

        Open(Module());
        Choose("1 (cursor)");
        QVERIFY(!PropertiesText().contains("Frames:"));
    }

    // Save writes a .cur through the cursor filter: for a group of a module the file pictrix-cli
    // extract --cursors writes (a module's cursor directory keeps no colour count, so it need not
    // be the file the module was made of), for a .cur file opened that file byte for byte. Copy
    // puts those bytes on the clipboard as a cursor, not as an icon.
    void SaveAndCopyOfACursorGiveTheCurFile() {
        const QString extracted = temp_.filePath("extracted");
        QDir().mkpath(extracted);
        QProcess cli;
        cli.start(QStringLiteral(PICTRIX_BINARY_DIR "/pictrix-cli"),
                  {"extract", "--cursors", "-o", extracted, Module()});
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitCode(), 0);
        const struct {
            QString file, row, source;
        } cases[] = {
            {Module(), "1 (cursor)", extracted + "/cursors3251.cur"},
            {Module(), "2 [en-US] (cursor)", extracted + "/cursors3272 [en-US].cur"},
            {Module(), "2 [de-DE] (cursor)", extracted + "/cursors3262 [de-DE].cur"},
            {Module(), "POINTER (cursor)", extracted + "/cursors324POINTER.cur"},
            {Fixture("cursors/two.cur"), Fixture("cursors/two.cur") + " (cursor)", Fixture("cursors/two.cur")},
            {Fixture("cursors/mono.cur"), Fixture("cursors/mono.cur") + " (cursor)", Fixture("cursors/mono.cur")},
        };
        // The module's groups made of arrow.cur and two.cur (whose colour counts are 0) are those
        // files again.
        QCOMPARE(ReadAll(cases[0].source), ReadAll(Fixture("cursors/arrow.cur")));
        QCOMPARE(ReadAll(cases[1].source), ReadAll(Fixture("cursors/two.cur")));
        for (const auto& c : cases) {
            Open(c.file);
            QVERIFY2(Choose(c.row) > 0, qPrintable(c.row));
            const QString target = temp_.filePath("saved.cur");
            QFile::remove(target);
            prompts_->AnswerSave(target);
            Window().SaveIcons();
            const auto& asked = prompts_->LastAsked();
            QCOMPARE(asked.kind, eKind::SaveFile);
            QCOMPARE(asked.file.filters.size(), std::size_t(2));
            QCOMPARE(asked.file.filters[0].description, QString("Cursor Files (*.cur)"));
            QCOMPARE(asked.file.filters[0].pattern, QString("*.cur"));
            QCOMPARE(asked.file.defaultExtension, QString("cur"));
            QVERIFY2(ReadAll(target) == ReadAll(c.source), qPrintable(c.row));

            QApplication::clipboard()->setText("before the copy");
            Window().mnuCopy_Click();
            const QMimeData* data = QApplication::clipboard()->mimeData();
            QVERIFY(data);
            QCOMPARE(data->data("image/x-win-bitmap"), ReadAll(c.source));
            QVERIFY(!data->hasFormat("image/vnd.microsoft.icon") && !data->hasFormat("image/x-icon"));
            QVERIFY(data->hasFormat("image/png"));
        }
        // An icon row of the same module still saves and copies as an icon.
        Open(Module());
        Choose("1 [en-US]");
        const QString target = temp_.filePath("icon.ico");
        prompts_->AnswerSave(target);
        Window().SaveIcons();
        QCOMPARE(prompts_->LastAsked().file.defaultExtension, QString("ico"));
        QCOMPARE(ReadAll(target).mid(2, 2), QByteArray("\x01\x00", 2));
        Window().mnuCopy_Click();
        QVERIFY(!QApplication::clipboard()->mimeData()->hasFormat("image/x-win-bitmap"));
    }

    // Export as PNG takes a cursor's image as it takes an icon's.
    void ExportOfACursorWritesItsImage() {
        Open(Fixture("cursors/arrow.cur"));
        const QString target = temp_.filePath("arrow.png");
        QFile::remove(target);
        prompts_->AnswerSave(target);
        prompts_->AnswerMessage(eAnswer::OK);
        Window().ExportPng();
        QCOMPARE(prompts_->LastAsked().text, QString("1 PNG file written."));
        const QImage image(target);
        QCOMPARE(image.size(), QSize(32, 32));
        QVERIFY(image.hasAlphaChannel());
    }
};

PICTRIX_UI_TEST(tMainCursorsTest)
#include "main_cursors_test.moc"
