// File > Make Cursor Theme...: a pack's folder or INF chosen through the dialog's buttons, its
// cursors listed, installed by Install with the report shown; names that cannot be a folder and
// packs without cursors refused with a word in the report, nothing written.

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <filesystem>
#include <fstream>

#include "app/ui/FMain.h"
#include "doubles/cScriptedPrompts.h"
#include "mUiTest.h"
#include "platform/ui/cPrompts.h"
#include "themes/ui/FCursorTheme.h"

namespace {

namespace fs = std::filesystem;

// A pack of three files in `folder`: two cursors, one damaged.
void MakePack(const fs::path& folder) {
    fs::create_directories(folder);
    fs::copy_file(mUiTest::Fixture("cursors/arrow.cur").toStdString(), folder / "Normal.cur");
    fs::copy_file(mUiTest::Fixture("cursors/two.cur").toStdString(), folder / "Help.cur");
    std::ofstream(folder / "Busy.cur") << "not a cursor";
}

} // namespace

class tCursorThemeWindowTest : public QObject {
    Q_OBJECT

private slots:
    void TheFileMenuOpensTheDialog() {
        FMain main;
        main.show();
        QAction* item = main.CursorThemeItem();
        QVERIFY(item);
        QCOMPARE(item->text(), QString("Make Cursor &Theme..."));
        QVERIFY(main.FileItem(0)->associatedObjects().first() == item->associatedObjects().first());
        bool shown = false;
        QTimer::singleShot(0, [&shown] {
            auto* dlg = qobject_cast<FCursorTheme*>(QApplication::activeModalWidget());
            shown = dlg != nullptr;
            if (dlg) QTest::mouseClick(dlg->cmdClose, Qt::LeftButton);
        });
        item->trigger();
        QVERIFY(shown);
    }

    void AFolderIsInstalledUnderTheNameTyped() {
        QTemporaryDir temp;
        const fs::path root = temp.path().toStdString();
        MakePack(root / "Plain");
        cScriptedPrompts prompts;
        cPrompts::cScope scope(prompts);
        prompts.AnswerFolder(QString::fromStdString((root / "Plain").string()));
        FCursorTheme dlg(nullptr, (root / "icons").string());
        dlg.show();
        QVERIFY(!dlg.cmdInstall->isEnabled());
        QTest::mouseClick(dlg.cmdFolder, Qt::LeftButton);
        QCOMPARE(prompts.LastAsked().kind, cScriptedPrompts::eKind::Folder);
        QCOMPARE(dlg.edtName->text(), QString("Plain"));
        QVERIFY2(dlg.txtReport->toPlainText().contains("Normal Select: Normal.cur"),
                 qPrintable(dlg.txtReport->toPlainText()));
        QVERIFY(dlg.cmdInstall->isEnabled());
        dlg.edtName->selectAll();
        QTest::keyClicks(dlg.edtName, "Mine");
        QTest::mouseClick(dlg.cmdInstall, Qt::LeftButton);
        const QString report = dlg.txtReport->toPlainText();
        QCOMPARE(QString::fromStdString(dlg.Installed()), QString::fromStdString((root / "icons/Mine").string()));
        QVERIFY2(report.contains("Wait (Busy): SKIPPED: Busy.cur"), qPrintable(report));
        QVERIFY2(report.contains("gsettings set org.gnome.desktop.interface cursor-theme 'Mine'"), qPrintable(report));
        const fs::path cursors = root / "icons/Mine/cursors";
        QVERIFY(fs::is_regular_file(cursors / "default"));
        QCOMPARE(fs::read_symlink(cursors / "question_arrow").string(), std::string("help"));
        QVERIFY(!fs::exists(cursors / "wait"));
    }

    void AnInfIsChosenAndWhatCannotBeIsRefused() {
        QTemporaryDir temp;
        const fs::path root = temp.path().toStdString();
        MakePack(root / "pack");
        std::ofstream(root / "pack/Install.INF")
            << "[Scheme.Reg]\nHKCU,\"Control Panel\\Cursors\\Schemes\",\"Blue Sky\",,\"normal.CUR,help.cur\"\n";
        fs::create_directories(root / "empty");
        cScriptedPrompts prompts;
        cPrompts::cScope scope(prompts);
        prompts.AnswerOpen({QString::fromStdString((root / "pack/Install.INF").string())})
            .AnswerFolder(QString::fromStdString((root / "empty").string()));
        FCursorTheme dlg(nullptr, (root / "icons").string());
        dlg.show();
        QTest::mouseClick(dlg.cmdInf, Qt::LeftButton);
        QCOMPARE(prompts.LastAsked().file.filters.front().pattern, QString("*.inf"));
        QCOMPARE(dlg.edtName->text(), QString("Blue Sky"));
        dlg.edtName->selectAll();
        QTest::keyClicks(dlg.edtName, "a/b");
        QTest::mouseClick(dlg.cmdInstall, Qt::LeftButton);
        QVERIFY2(dlg.txtReport->toPlainText().contains("cannot name a theme folder"),
                 qPrintable(dlg.txtReport->toPlainText()));
        QVERIFY(dlg.Installed().empty());
        QVERIFY(!fs::exists(root / "icons"));

        QTest::mouseClick(dlg.cmdFolder, Qt::LeftButton);
        QVERIFY2(dlg.txtReport->toPlainText().contains("no cursor of the pack"),
                 qPrintable(dlg.txtReport->toPlainText()));
        QVERIFY(!dlg.cmdInstall->isEnabled());
        QVERIFY(dlg.edtName->text().isEmpty());
    }
};

PICTRIX_UI_TEST(tCursorThemeWindowTest)
#include "cursor_theme_window_test.moc"
