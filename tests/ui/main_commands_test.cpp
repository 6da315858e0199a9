// The main window's commands: saving, copying and the properties of the chosen icon, the recent
// files, the outside programs, the Help and error-log items, the toolbar's keys, and the settings
// stored when the window closes and applied when it opens.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QAbstractItemView>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QStandardPaths>
#include <QFile>
#include <QScreen>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

#include <optional>

#include "doubles/cScriptedPrompts.h"
#include "doubles/cRecordingShell.h"
#include "app/mIconCommands.h"
#include "app/mMainSettings.h"
#include "app/ui/FMain.h"
#include "app/ui/FProps.h"
#include "app/ui/cErrorBox.h"
#include "app/ui/cListView.h"
#include "app/ui/cStatusBar.h"
#include "cMainWindowTest.h"
#include "mUiTest.h"
#include "base/mProgram.h"
#include "support/CLog.h"
#include "support/MError.h"
#include "support/cRegistry.h"
#include "support/mOptions.h"
#include "support/mSettings.h"
#include "support/ui/FOptions.h"
#include "platform/ui/cPrompts.h"
#include "support/ui/cShell.h"

namespace {

using eAnswer = cPrompts::eAnswer;
using eKind = cScriptedPrompts::eKind;

const std::string kApp = "Pictrix v2";

QString Six() { return mUiTest::Fixture("icons/six.ico"); }

std::string Stored(const std::string& section, const std::string& key) {
    return mSettings::GetSetting(kApp, section, key, "<none>");
}

cRegistry MachineKey(std::string_view path) {
    cRegistry reg;
    reg.ClassKey(cRegistry::kHKeyLocalMachine);
    reg.SectionKey(std::string(path));
    return reg;
}

// Forgets everything the main window stores or reads.
void ForgetStoredSettings() {
    mSettings::DeleteSetting(kApp, "Settings");
    mSettings::DeleteSetting(kApp, "WinSet");
    mSettings::DeleteSetting("Glintsmith - QRSC", "Path");
    cRegistry editor = MachineKey(mOptions::kEditorKey);
    editor.ValueKey("Editor Path");
    editor.Default(std::string("<none>"));
    if (cRegistry::TextOf(editor.Value()) != "<none>") editor.DeleteValue();
    cRegistry recent = MachineKey(mMainSettings::kRecentFilesKey);
    if (recent.KeyExists()) recent.DeleteKey();
}

// Runs `check` on the modal dialog the next command opens, then closes that dialog.
void WhenModal(std::function<void(QDialog&)> check) {
    QTimer::singleShot(0, [check] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            QTest::qFail("no modal dialog was shown", __FILE__, __LINE__);
            return;
        }
        check(*dialog);
        if (dialog->isVisible()) dialog->reject();
    });
}

} // namespace

class tMainCommandsTest : public cMainWindowTest {
    Q_OBJECT

    void ClearListSelection() { Window().IconList()->ListWidget()->selectionModel()->clear(); }

    std::vector<std::string> RecentList() {
        std::vector<std::string> files;
        for (std::int32_t i = 1; i <= Window().RecentFiles().FileCount(); ++i)
            files.push_back(Window().RecentFiles().file(i));
        return files;
    }

    void SetUp() override { ForgetStoredSettings(); }

private slots:
    // ---- Saving.

    void SavingWithNoFileOpensNoDialog() {
        Window().SaveIcons();
        QCOMPARE(Window().StatusPanels()->Style(), cStatusBar::sbrSimple);
        QCOMPARE(Window().StatusPanels()->SimpleText(), QString("No icons to save. Ready..."));
        QVERIFY(prompts_->Asked().empty());
    }

    void SavingWithNothingSelectedAsksForAChoice() {
        Open(Six());
        ClearListSelection();
        QCOMPARE(Window().IconList()->SelectedIndex(), 0);
        prompts_->AnswerMessage(eAnswer::OK);
        Window().SaveIcons();
        const auto& asked = prompts_->LastAsked();
        QCOMPARE(asked.kind, eKind::Message);
        QCOMPARE(asked.text, QString("Please choose an icon to save."));
        QCOMPARE(asked.icon, cPrompts::eIcon::Information);
        QCOMPARE(asked.buttons, cPrompts::eButtons::OK);
        QCOMPARE(asked.title, QString("Pictrix v2"));
        QCOMPARE(prompts_->Asked().size(), std::size_t(2)); // the open dialog and this message
    }

    void SavingASixImageIconWritesAllSixAndHeadsTheRecentFiles() {
        Open(Six());
        const QString target = temp_.filePath("saved.ico");
        QFile::remove(target);
        prompts_->AnswerSave(target);
        Window().SaveIcons();
        const auto& asked = prompts_->LastAsked();
        QCOMPARE(asked.kind, eKind::SaveFile);
        QCOMPARE(asked.owner.data(), &Window());
        QCOMPARE(asked.file.filters.size(), std::size_t(2));
        QCOMPARE(asked.file.filters[0].description, QString("Icon Files (*.ico)"));
        QCOMPARE(asked.file.filters[0].pattern, QString("*.ico"));
        QCOMPARE(asked.file.filters[1].description, QString("All Files (*.*)"));
        QCOMPARE(asked.file.filterIndex, 1);
        QVERIFY(asked.file.overwritePrompt);
        QCOMPARE(asked.file.defaultExtension, QString("ico"));
        QCOMPARE(asked.file.fileName, QString());
        QCOMPARE(asked.file.initialDir, QString());
        QCOMPARE(asked.file.title, QString());

        cFileIcon source, saved;
        QVERIFY(source.LoadIcon(Six().toStdString()));
        QVERIFY(saved.LoadIcon(target.toStdString()));
        QCOMPARE(saved.ImageCount(), 6);
        for (std::int32_t i = 1; i <= 6; ++i) {
            QVERIFY(std::equal(saved.Block(i).begin(), saved.Block(i).end(), source.Block(i).begin(),
                               source.Block(i).end()));
        }

        // The saved file heads the recent files and shows in the File menu.
        QCOMPARE(RecentList(), (std::vector<std::string>{target.toStdString(), Six().toStdString()}));
        QVERIFY(Window().RecentItem(2)->isVisible());
        QCOMPARE(Window().RecentItem(2)->text(), QString::fromStdString(Window().RecentFiles().MenuCaption(1)));
        QCOMPARE(Window().RecentItem(3)->text(), QString::fromStdString(Window().RecentFiles().MenuCaption(2)));
        QVERIFY(Window().RecentItem(6)->isVisible());
    }

    void AFailedSaveIsShownAndNotRemembered() {
        Open(Six());
        const QString below = temp_.filePath("plain-file");
        QFile f(below);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        prompts_->AnswerSave(below + "/under-a-file.ico");
        prompts_->AnswerMessage(eAnswer::OK); // the error report
        Window().SaveIcons();
        QCOMPARE(prompts_->LastAsked().kind, eKind::Message);
        QCOMPARE(prompts_->LastAsked().icon, cPrompts::eIcon::Critical);
        QCOMPARE(RecentList(), std::vector<std::string>{Six().toStdString()});
    }

    void SavingUnderALongPathSaves() {
        Open(Six());
        QString folder = temp_.filePath("long");
        while (folder.toUtf8().size() < 300) folder += QString::fromUtf8("/répertoire-aux-icônes");
        QVERIFY(QDir().mkpath(folder));
        const QString target = folder + "/saved.ico";
        prompts_->AnswerSave(target);
        Window().SaveIcons();
        cFileIcon saved;
        QVERIFY(saved.LoadIcon(target.toStdString()));
        QCOMPARE(saved.ImageCount(), 6);
        QCOMPARE(RecentList().front(), target.toStdString());
    }

    void AnEmptyNameSavesNothing() {
        // The copy still carries the source's file name; saving without a name would overwrite it.
        const QString source = CopyAs(Six(), "keep.ico");
        const QByteArray before = [&] {
            QFile f(source);
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        Open(source);
        prompts_->AnswerSave("");
        Window().SaveIcons();
        QFile f(source);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
        QCOMPARE(RecentList(), std::vector<std::string>{source.toStdString()});
    }

    // ---- Recent files.

    void ARecentItemOpensItsFileAndKeepsItsPlace() {
        const QString a = CopyAs(Six(), "a.ico"), b = CopyAs(mUiTest::Fixture("icons/depth8.ico"), "b.ico");
        Open(a);
        Open(b);
        QCOMPARE(RecentList(), (std::vector<std::string>{b.toStdString(), a.toStdString()}));
        Window().mnuMRU_Click(3); // the second entry: a
        QCOMPARE(Window().Icon(1).Filename(), a.toStdString());
        QCOMPARE(Window().Icon(1).ImageCount(), 6);
        QCOMPARE(RecentList(), (std::vector<std::string>{b.toStdString(), a.toStdString()}));
        QCOMPARE(Window().RecentItem(3)->text(), QString::fromStdString(Window().RecentFiles().MenuCaption(2)));
        // The next Open asks for its file again.
        prompts_->CancelFile(eKind::OpenFile);
        Window().mnuFile_Click(0);
    }

    // ---- Properties.

    void PropertiesTexts_data() {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("imageLine");
        QTest::newRow("256 colours") << "icons/depth8.ico"
                                     << "    32 x 32,256 colors.    Size=";
        QTest::newRow("24-bit") << "icons/depth24.ico"
                                << "    32 x 32,millions of colors.    Size=";
    }

    void PropertiesTexts() {
        QFETCH(QString, fixture);
        QFETCH(QString, imageLine);
        Open(mUiTest::Fixture(fixture));
        cFileIcon icon;
        QVERIFY(icon.LoadIcon(mUiTest::Fixture(fixture).toStdString()));
        QString name, text, caption;
        WhenModal([&](QDialog& d) {
            auto& props = dynamic_cast<FProps&>(d);
            caption = props.windowTitle();
            name = props.lblFilename->text();
            text = props.lblProperties->text();
            props.cmdOK->click();
        });
        Window().mnuView_Click(8);
        QCOMPARE(caption, QString("Properties"));
        QCOMPARE(name, "File Name: " + mUiTest::Fixture(fixture));
        // An icon out of an .ico file has no identifier: the text begins with two line breaks.
        QVERIFY2(text.startsWith("\r\n\r\nIcon types in file:\r\n"), qPrintable(text));
        QVERIFY2(text.contains(imageLine + QString::number(icon.ImageSize(1)) + " bytes.   \r\n"), qPrintable(text));
        QCOMPARE(text, QString::fromStdString(mIconCommands::PropertiesText(icon)));
    }

    void PropertiesOfALongPathStayOnTheScreen() {
        QString folder = "deep";
        while (folder.size() < 270) folder += "/folder-of-icons-" + QString::number(folder.size());
        const QString path = CopyAs(Six(), folder + "/six.ico");
        QVERIFY(path.size() >= 300);
        Open(path);
        QRect dialog, ok, screen;
        QStringList lines;
        QString name;
        WhenModal([&](QDialog& d) {
            auto& props = dynamic_cast<FProps&>(d);
            d.adjustSize();
            QTest::qWait(20);
            dialog = d.frameGeometry();
            ok = QRect(props.cmdOK->mapTo(&d, QPoint(0, 0)), props.cmdOK->size());
            screen = d.screen()->availableGeometry();
            name = props.lblFilename->text();
            lines = props.FilenameLines();
            props.cmdOK->click();
        });
        Window().ShowProperties();
        QCOMPARE(name, "File Name: " + path);
        QVERIFY2(dialog.width() <= screen.width(), qPrintable(QString::number(dialog.width())));
        QVERIFY(QRect(QPoint(0, 0), dialog.size()).contains(ok));
        // The whole name, wrapped.
        QVERIFY(lines.size() > 1);
        QCOMPARE(lines.join(""), name);
    }

    void PropertiesWithoutAChoice() {
        prompts_->AnswerMessage(eAnswer::OK);
        Window().ShowProperties();
        QCOMPARE(prompts_->LastAsked().text, QString("There are no icons to view properties for."));
        QCOMPARE(prompts_->LastAsked().icon, cPrompts::eIcon::Information);
        QCOMPARE(prompts_->LastAsked().title, QString());

        Open(Six());
        ClearListSelection();
        prompts_->AnswerMessage(eAnswer::OK);
        Window().ShowProperties();
        QCOMPARE(prompts_->LastAsked().text, QString("Please select an icon to view properties for."));
    }

    // ---- Copying.

    // Ctrl+C in the list copies the chosen icon, as Copy does, not the item's label.
    void CopyKeysInTheListCopyTheIcon_data() {
        QTest::addColumn<int>("view");
        QTest::newRow("large icons") << 3;
        QTest::newRow("details") << 6;
    }
    void CopyKeysInTheListCopyTheIcon() {
        QFETCH(int, view);
        Open(Six());
        Window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&Window()));
        Window().mnuView_Click(view);
        QApplication::clipboard()->setText("kept until the copy");
        QWidget* list = Window().IconList()->ActiveView();
        list->setFocus();
        QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
        const QMimeData* data = QApplication::clipboard()->mimeData();
        QVERIFY(data);
        QVERIFY2(data->hasFormat("image/vnd.microsoft.icon"), qPrintable(data->formats().join(", ")));
        QVERIFY(data->text() != Window().IconList()->Text(1));
    }

    void CopyPutsTheIconOnTheClipboard() {
        Open(Six());
        Window().mnuCopy_Click();
        const QMimeData* data = QApplication::clipboard()->mimeData();
        QVERIFY(data);
        QVERIFY(data->hasFormat("image/vnd.microsoft.icon"));
        QVERIFY(data->hasFormat("image/x-icon"));
        const QByteArray bytes = data->data("image/vnd.microsoft.icon");
        QCOMPARE(data->data("image/x-icon"), bytes);

        // Read back as an .ico file: the six images of the chosen icon.
        const QString file = temp_.filePath("clipboard.ico");
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        out.close();
        cFileIcon back, source;
        QVERIFY(back.LoadIcon(file.toStdString()));
        QVERIFY(source.LoadIcon(Six().toStdString()));
        QCOMPARE(back.ImageCount(), 6);
        for (std::int32_t i = 1; i <= 6; ++i) {
            QVERIFY(
                std::equal(back.Block(i).begin(), back.Block(i).end(), source.Block(i).begin(), source.Block(i).end()));
        }

        // The picture: the icon's largest image, drawn, as an image and as PNG bytes.
        for (const auto& [fixture, side] :
             {std::pair{Six(), 32}, std::pair{mUiTest::Fixture("icons/vista.ico"), 256}}) {
            Open(fixture);
            Window().mnuCopy_Click();
            const QMimeData* copied = QApplication::clipboard()->mimeData();
            QVERIFY(copied && copied->hasImage());
            const QImage image = qvariant_cast<QImage>(copied->imageData());
            QCOMPARE(image.size(), QSize(side, side));
            QCOMPARE(QImage::fromData(copied->data("image/png"), "PNG").size(), QSize(side, side));
            bool drawn = false;
            for (int y = 0; y < side && !drawn; ++y)
                for (int x = 0; x < side && !drawn; ++x) drawn = qAlpha(image.pixel(x, y)) != 0;
            QVERIFY(drawn);
        }
        QVERIFY(!QApplication::overrideCursor());
    }

    // Copy hands over, beside the icon's bytes and picture, a file under the cache folder equal
    // to what Save writes: a module's group named after the module and the group, a cursor as a
    // .cur file; each Copy a file of its own.
    void CopyHandsOverTheFileSaveWrites_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("name");
        QTest::newRow("icon file") << Six() << "six.ico";
        QTest::newRow("module") << mUiTest::Fixture("modules/good32.dll") << "good32-APPICON.ico";
        QTest::newRow("cursor") << mUiTest::Fixture("cursors/two.cur") << "two.cur";
    }
    void CopyHandsOverTheFileSaveWrites() {
        QFETCH(QString, file);
        QFETCH(QString, name);
        Open(file);
        Window().IconList()->SetSelected(1);
        const QString saved = temp_.filePath("saved" + name.right(4));
        prompts_->AnswerSave(saved);
        Window().SaveIcons();
        QFile savedFile(saved);
        QVERIFY(savedFile.open(QIODevice::ReadOnly));
        const QByteArray bytes = savedFile.readAll();
        QList<QUrl> offered;
        for (int copy = 0; copy < 2; ++copy) {
            Window().mnuCopy_Click();
            const QMimeData* copied = QApplication::clipboard()->mimeData();
            QVERIFY(copied && copied->urls().size() == 1);
            const QUrl url = copied->urls().front();
            QCOMPARE(QFileInfo(url.toLocalFile()).fileName(), name);
            QVERIFY2(url.toLocalFile().startsWith(
                         QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + "/pictrix/drag/"),
                     qPrintable(url.toLocalFile()));
            QFile copiedFile(url.toLocalFile());
            QVERIFY(copiedFile.open(QIODevice::ReadOnly));
            QCOMPARE(copiedFile.readAll(), bytes);
            QCOMPARE(copied->data("x-special/gnome-copied-files"), "copy\n" + url.toEncoded());
            QVERIFY(!offered.contains(url));
            offered << url;
        }
    }

    void CopyWithNothingChosenLeavesTheClipboardAlone() {
        QApplication::clipboard()->setText("the user's text");
        Window().mnuCopy_Click();
        QCOMPARE(QApplication::clipboard()->text(), QString("the user's text"));
        Open(Six());
        ClearListSelection();
        Window().tbrMain_ButtonClick("copy");
        QCOMPARE(QApplication::clipboard()->text(), QString("the user's text"));
        QVERIFY(!QApplication::overrideCursor());
    }

    // ---- The icon editor.

    void EditorQuestionAnsweredNo() {
        prompts_->AnswerMessage(eAnswer::No);
        Window().mnuFile_Click(5);
        QCOMPARE(prompts_->Asked().size(), std::size_t(1));
        const auto& asked = prompts_->LastAsked();
        QCOMPARE(asked.text, QString("Icon editor is not configured.\rConfigure it now?"));
        QCOMPARE(asked.buttons, cPrompts::eButtons::YesNo);
        QCOMPARE(asked.icon, cPrompts::eIcon::Question);
        QCOMPARE(asked.title, QString("Pictrix v2"));
        QVERIFY(shell_->requests.empty());
    }

    void EditorQuestionAnsweredYesOpensTheOptions() {
        prompts_->AnswerMessage(eAnswer::Yes);
        prompts_->AnswerOpen({"/opt/editor/edit"});
        bool options = false;
        WhenModal([&](QDialog& d) {
            auto* dlg = qobject_cast<FOptions*>(&d);
            options = dlg != nullptr;
            if (!dlg) return;
            dlg->cmdBrowse->click();
            dlg->cmdOK->click();
        });
        Window().mnuFile_Click(5);
        QVERIFY(options);
        QCOMPARE(shell_->requests,
                 (std::vector<cRecordingShell::cRequest>{{cRecordingShell::eKind::StartProgram, "/opt/editor/edit"}}));
    }

    void AnEditorThatCannotStartIsShownOnThreeLines() {
        const std::string missing = temp_.filePath("no-editor-here").toStdString();
        mOptions::SetEditorPath(missing);
        shell_->answer = false;
        prompts_->AnswerMessage(eAnswer::OK);
        Window().tbrMain_ButtonClick("launch");
        QCOMPARE(shell_->requests.size(), std::size_t(1));
        const auto& asked = prompts_->LastAsked();
        QCOMPARE(asked.text,
                 QString("53\r%1\rFile not found: %2")
                     .arg(QString::fromStdString(mProgram::ExeBaseName()), QString::fromStdString(missing)));
        QCOMPARE(asked.title, QString());
        QCOMPARE(asked.icon, cPrompts::eIcon::Critical);
        QVERIFY(w_); // the window is still there
    }

    // ---- The sibling editor.

    void GlintsmithIsLocatedRecordedAndStarted() {
        const QString sibling = temp_.filePath("Glintsmith - QRSC.exe");
        prompts_->AnswerMessage(eAnswer::Yes);
        prompts_->AnswerSave(sibling);
        Window().mnuFile_Click(7);
        const auto& asked = prompts_->Asked();
        QCOMPARE(asked.size(), std::size_t(2));
        QCOMPARE(asked[0].text, QString("Unable to locate Glintsmith - QRSC. Do you wish to locate it now?"));
        QCOMPARE(asked[0].buttons, cPrompts::eButtons::YesNo);
        QCOMPARE(asked[0].title, QString("Pictrix v2"));
        QCOMPARE(asked[1].kind, eKind::SaveFile);
        QCOMPARE(asked[1].file.filters.size(), std::size_t(1));
        QCOMPARE(asked[1].file.filters[0].description, QString("Glintsmith - QRSC"));
        QCOMPARE(asked[1].file.filters[0].pattern, QString("Glintsmith - QRSC.exe"));
        QVERIFY(!asked[1].file.overwritePrompt);
        QVERIFY2(!asked[1].owned, "the sibling is located without an owner");
        QCOMPARE(mSettings::GetSetting("Glintsmith - QRSC", "Path", "AppPath"), sibling.toStdString());
        QCOMPARE(shell_->requests,
                 (std::vector<cRecordingShell::cRequest>{{cRecordingShell::eKind::StartProgram, sibling}}));

        // Next time the record is used at once; a failure is shown and the window stays.
        shell_->answer = false;
        prompts_->AnswerMessage(eAnswer::OK);
        Window().tbrMain_ButtonClick("glintsmith");
        QCOMPARE(prompts_->LastAsked().text, QString("1001001\r%1\rUnable to open Glintsmith - QRSC.exe: %2")
                                                 .arg(QString::fromStdString(mProgram::ExeBaseName()), sibling));
        QCOMPARE(shell_->requests.size(), std::size_t(2));
    }

    void GlintsmithQuestionAnsweredNo() {
        prompts_->AnswerMessage(eAnswer::No);
        Window().RunGlintsmith();
        QCOMPARE(prompts_->Asked().size(), std::size_t(1));
        QVERIFY(shell_->requests.empty());
        QCOMPARE(mSettings::GetSetting("Glintsmith - QRSC", "Path", "AppPath", "<none>"), std::string("<none>"));
    }

    void RecurseOpensANewSearchWindowEachTime() {
        std::vector<QPointer<QWidget>> made;
        FMain::SetSearchWindowFactory([&made](QWidget* owner, const std::string&) {
            auto* window = new QWidget(owner);
            made.emplace_back(window);
            return window;
        });
        Window().mnuFile_Click(6);
        Window().tbrMain_ButtonClick("recurse");
        FMain::SetSearchWindowFactory({});
        QCOMPARE(made.size(), std::size_t(2));
        QVERIFY(made[0] && made[1] && made[0] != made[1]);
        for (const auto& window : made) {
            QVERIFY(window->isWindow());
            QVERIFY(window->isVisible());
            QCOMPARE(window->parentWidget(), static_cast<QWidget*>(&Window()));
        }

        // A build without the search window says so on three lines.
        prompts_->AnswerMessage(eAnswer::OK);
        Window().mnuFile_Click(6);
        QVERIFY(prompts_->LastAsked().text.startsWith("5\r"));
    }

    // ---- Help, error log, options.

    void HelpItemsOpenPagesBesideTheProgram() {
        // The build tree: the Help folder beside the test program (the desktop program's folder).
        const QString help = QStringLiteral(PICTRIX_BINARY_DIR "/Help/");
        Window().mnuHelp_Click(0);
        Window().mnuHelp_Click(4);
        Window().mnuHelp_Click(5);
        Window().tbrMain_ButtonClick("help");
        using R = cRecordingShell::cRequest;
        const auto open = cRecordingShell::eKind::OpenDocument;
        QCOMPARE(shell_->requests, (std::vector<R>{{open, help + "index.htm"},
                                                   {open, help + "formats.htm"},
                                                   {open, help + "files.htm"},
                                                   {open, help + "index.htm"}}));
        for (const auto& r : shell_->requests) QVERIFY2(QFile::exists(r.path), qPrintable(r.path));
        QVERIFY(!Window().HelpItem(4)->text().isEmpty());
        QVERIFY(!Window().HelpItem(5)->text().isEmpty());
    }

    // A page or log that is there but finds no program to show it says so; one that is not there
    // says that.
    void DocumentsWithoutAProgramSaySo_data() {
        QTest::addColumn<int>("menu"); // 0 help, 1 error log
        QTest::addColumn<bool>("there");
        QTest::addColumn<QString>("start");
        QTest::newRow("help page") << 0 << true << "1155\r%1\rNo program to open web pages was found to show ";
        QTest::newRow("error log") << 1 << true << "Error #1155\r%1\rNo program to open text files was found to show ";
        QTest::newRow("no error log") << 1 << false << "Error #53\r%1\rFile not found: ";
    }
    void DocumentsWithoutAProgramSaySo() {
        QFETCH(int, menu);
        QFETCH(bool, there);
        QFETCH(QString, start);
        const QString log = QString::fromStdString(MError::ErrorLogPath());
        if (there)
            MError::ReportError(42, "test", "something to read", true, false);
        else
            QFile::remove(log);
        shell_->answer = false;
        prompts_->AnswerMessage(eAnswer::OK);
        if (menu == 0)
            Window().mnuHelp_Click(0);
        else
            Window().mnuErrorLog_Click(1);
        const auto& asked = prompts_->LastAsked();
        QVERIFY2(asked.text.startsWith(start.arg(QString::fromStdString(mProgram::ExeBaseName()))),
                 qPrintable(asked.text));
        QVERIFY(asked.text.endsWith(menu == 0 ? QString::fromStdString(mProgram::HelpDir()) + "/index.htm" : log));
        QCOMPARE(asked.icon, cPrompts::eIcon::Critical);
    }

    void ErrorLogIsOpenedAndCleared() {
        const std::string log = MError::ErrorLogPath();
        MError::ReportError(42, "test", "an entry to clear", true, false);
        QVERIFY(QFile(QString::fromStdString(log)).size() > 0);
        Window().mnuErrorLog_Click(1);
        QCOMPARE(shell_->requests, (std::vector<cRecordingShell::cRequest>{
                                       {cRecordingShell::eKind::OpenDocument, QString::fromStdString(log)}}));
        Window().mnuErrorLog_Click(2);
        QFile f(QString::fromStdString(log));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY(text.startsWith("[Pictrix Pro Error Log]\r\n"));
        QVERIFY(!text.contains("an entry to clear"));
    }

    void OptionsApplyColoursTheListAtOnce() {
        prompts_->AnswerColour(QColor(200, 10, 10));
        WhenModal([](QDialog& d) {
            auto& dlg = dynamic_cast<FOptions&>(d);
            dlg.cmdColor->click();
            dlg.cmdApply->click();
            dlg.cmdCancel->click();
        });
        Window().OptionsItem()->trigger();
        QCOMPARE(Window().IconList()->BackColor(), QColor(200, 10, 10));
        QCOMPARE(Stored("Settings", "Backcolor"), std::to_string(200 + 10 * 256 + 10 * 65536));
    }

    // ---- The toolbar's keys.

    void ToolbarKeysDispatchAsTheirMenuItems() {
        // With no file open each key shows its command's first step.
        struct Step {
            const char* key;
            std::optional<eAnswer> answer; // the one question the key asks, answered so
            int shellRequests; // documents opened or programs started
        };
        const Step steps[] = {
            {"print", std::nullopt, 0},     {"save", std::nullopt, 0},        {"copy", std::nullopt, 0},
            {"properties", eAnswer::OK, 0}, {"launch", eAnswer::No, 0},       {"glintsmith", eAnswer::No, 0},
            {"help", std::nullopt, 1},      {"no-such-key", std::nullopt, 0},
        };
        for (const Step& s : steps) {
            prompts_->Reset();
            shell_->requests.clear();
            if (s.answer) prompts_->AnswerMessage(*s.answer);
            Window().tbrMain_ButtonClick(s.key);
            QVERIFY2(prompts_->Asked().size() == (s.answer ? 1u : 0u), s.key);
            QVERIFY2(shell_->requests.size() == std::size_t(s.shellRequests), s.key);
        }
        QCOMPARE(Window().StatusPanels()->SimpleText(), QString("No icons to save. Ready..."));

        // The view keys choose the views; about shows the about box.
        Window().tbrMain_ButtonClick("viewdetails");
        QVERIFY(Window().ViewItem(6)->isChecked());
        QCOMPARE(Window().IconList()->View(), cListView::lvwReport);
        bool about = false;
        WhenModal([&](QDialog& d) { about = d.inherits("FAbout"); });
        Window().tbrMain_ButtonClick("about");
        QVERIFY(about);
    }

    void PrintDoesNothing() {
        Open(Six());
        const int asked = static_cast<int>(prompts_->Asked().size());
        Window().mnuFile_Click(3);
        Window().tbrMain_ButtonClick("print");
        QCOMPARE(static_cast<int>(prompts_->Asked().size()), asked);
        QVERIFY(shell_->requests.empty());
    }

    // ---- Stored settings.

    void SettingsRoundTrip() {
        Window().mnuView_Click(0); // hide the toolbar
        Window().mnuView_Click(5); // list
        Window().move(120, 64);
        Window().StoreSettings();
        QCOMPARE(Stored("WinSet", "Toolbar"), std::string("0"));
        QCOMPARE(Stored("WinSet", "Statusbar"), std::string("-1"));
        QCOMPARE(Stored("WinSet", "WinState"), std::string("0"));
        QCOMPARE(Stored("WinSet", "mnuView"), std::string("5"));
        const int tx = static_cast<int>(Window().TwipsPerPixelX()), ty = static_cast<int>(Window().TwipsPerPixelY());
        QCOMPARE(Stored("WinSet", "Left"), std::to_string(120 * tx));
        QCOMPARE(Stored("WinSet", "Top"), std::to_string(64 * ty));
        w_.reset();

        FMain& again = Window();
        QVERIFY(!again.Toolbar()->isVisibleTo(&again));
        QVERIFY(!again.ViewItem(0)->isChecked());
        QVERIFY(again.StatusPanels()->isVisibleTo(&again));
        QVERIFY(again.ViewItem(5)->isChecked());
        QVERIFY(!again.ViewItem(3)->isChecked());
        QVERIFY(again.Button("viewlist")->isChecked());
        QCOMPARE(again.IconList()->View(), cListView::lvwList);
        QCOMPARE(again.pos(), QPoint(120, 64));
    }

    void MaximisedIgnoresTopAndLeft() {
        mSettings::SaveSetting(kApp, "WinSet", "WinState", "2");
        mSettings::SaveSetting(kApp, "WinSet", "Top", "1500");
        mSettings::SaveSetting(kApp, "WinSet", "Left", "1500");
        const QPoint unplaced = FMain().pos();
        FMain& w = Window();
        QVERIFY(w.windowState().testFlag(Qt::WindowMaximized));
        QCOMPARE(w.pos(), unplaced);
    }

    void PositionsBeyond16BitsAreNotApplied() {
        const QPoint unplaced = FMain().pos();
        mSettings::SaveSetting(kApp, "WinSet", "WinState", "0");
        mSettings::SaveSetting(kApp, "WinSet", "Top", "40000");
        mSettings::SaveSetting(kApp, "WinSet", "Left", "1500");
        FMain& w = Window();
        QCOMPARE(w.pos().y(), unplaced.y());
        QCOMPARE(w.pos().x(), static_cast<int>(1500 / w.TwipsPerPixelX() + 0.5));
    }

    void NoStoredSettingsChangeNothing() {
        FMain& w = Window();
        QVERIFY(w.Toolbar()->isVisibleTo(&w));
        QVERIFY(w.StatusPanels()->isVisibleTo(&w));
        QVERIFY(w.ViewItem(0)->isChecked());
        QVERIFY(w.ViewItem(1)->isChecked());
        QVERIFY(w.ViewItem(3)->isChecked());
        QVERIFY(w.Button("viewlarge")->isChecked());
        QCOMPARE(w.IconList()->View(), cListView::lvwIcon);
        QCOMPARE(w.windowState(), Qt::WindowStates(Qt::WindowNoState));
        QVERIFY(prompts_->Asked().empty());
    }

    void ExitStoresTheSettingsAndClosesTheWindow() {
        QPointer<FMain> w = new FMain();
        w->show();
        w->mnuExit_Click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(w.isNull());
        QCOMPARE(Stored("WinSet", "Toolbar"), std::string("-1"));
        QCOMPARE(Stored("WinSet", "mnuView"), std::string("3"));
        cRegistry recent = MachineKey(mMainSettings::kRecentFilesKey);
        QVERIFY(recent.KeyExists());
    }
};

PICTRIX_UI_TEST(tMainCommandsTest)
#include "main_commands_test.moc"
