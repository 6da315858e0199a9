// The file dialogs over the prompts: the filter the user sees and the answer as the callers get it,
// through scripted answers and through Qt's own file dialog.

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <functional>

#include "mUiTest.h"
#include "resources/mFileOpenSave.h"
#include "resources/ui/cPromptsFileDialog.h"
#include "platform/ui/cPrompts.h"
#include "support/mOptions.h"
#include "app/mMainSettings.h"
#include "app/mMainWindow.h"

using namespace std::string_literals;

namespace {

// Runs `check` on Qt's file dialog once it shows its folder, then closes the dialog: with the file
// `choose` (a full path) when given, else cancelled.
void WhenFileDialog(std::function<void(QFileDialog&)> check, QString choose = {}) {
    auto* poll = new QTimer(qApp);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, check, choose] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        poll->stop();
        poll->deleteLater();
        check(*dialog);
        if (choose.isEmpty()) {
            dialog->reject();
        } else {
            dialog->selectFile(choose);
            // selectFile leaves the name field alone once it has the focus (a save dialog gives
            // it the focus as soon as it shows): type the name there instead.
            if (!dialog->selectedFiles().contains(choose)) {
                if (auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit")) edit->setText(QFileInfo(choose).fileName());
            }
            static_cast<QDialog*>(dialog)->accept();
            // A dialog that did not take the name stays open: cancel it, so the test fails rather
            // than waits for ever.
            if (dialog->isVisible()) dialog->reject();
        }
    });
    poll->start();
}

// The names the dialog lists in its folder, once its file system model has read it.
QStringList Listed(QFileDialog& dialog) {
    auto* view = dialog.findChild<QListView*>("listView");
    if (!view) return {};
    QStringList names;
    const bool read = QTest::qWaitFor([&] {
        names.clear();
        const QModelIndex root = view->rootIndex();
        for (int row = 0; row < view->model()->rowCount(root); ++row)
            names << view->model()->index(row, 0, root).data().toString();
        return !names.isEmpty();
    });
    if (!read) return {};
    // Sorted, then a moment more for late rows.
    QTest::qWait(50);
    names.clear();
    for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
        names << view->model()->index(row, 0, view->rootIndex()).data().toString();
    names.sort();
    return names;
}

QStringList ComboTexts(QFileDialog& dialog) {
    QStringList texts;
    if (auto* combo = dialog.findChild<QComboBox*>("fileTypeCombo"))
        for (int i = 0; i < combo->count(); ++i) texts << combo->itemText(i);
    return texts;
}

} // namespace

class tFileDialogsTest : public QObject {
    Q_OBJECT

    QTemporaryDir temp_;

private slots:
    void initTestCase() {
        QVERIFY(temp_.isValid());
        // Names that each filter shows or hides; one without an extension, as programs here are.
        for (const char* name : {"tool", "app.ico", "UPPER.ICO", "lib.dll", "Glintsmith - QRSC.exe", "other.exe",
                                 "Glintsmith-QRSC.exe"}) {
            QFile f(temp_.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
    }

    void init() { cPromptsFileDialog::Install(); }

    // The combo box shows each description once; each filter lists the files it means, Windows
    // wildcard rules included ("*.*" is every name, a blank is part of a name).
    void QtDialogShowsDescriptionsAndListsWhatTheyMean_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("index");
        QTest::addColumn<QStringList>("descriptions");
        QTest::addColumn<QStringList>("listed");
        const QStringList all = {"Glintsmith - QRSC.exe", "Glintsmith-QRSC.exe", "UPPER.ICO", "app.ico", "lib.dll",
                                 "other.exe", "tool"};
        const QStringList openDescriptions = {"All Files (*.*)", "Icon Files (*.ICO)", "Executables (*.EXE;*.DLL;*.OCX)"};
        const QString open = QString::fromUtf8(mMainWindow::kOpenFilter.data(), mMainWindow::kOpenFilter.size());
        QTest::newRow("all files") << open << 1 << openDescriptions << all;
        QTest::newRow("icon files in either case") << open << 2 << openDescriptions << QStringList{"UPPER.ICO", "app.ico"};
        QTest::newRow("a name with blanks")
            << QString::fromUtf8(mMainSettings::kSiblingFilter.data(), mMainSettings::kSiblingFilter.size()) << 1
            << QStringList{"Glintsmith - QRSC"} << QStringList{"Glintsmith - QRSC.exe"};
        QTest::newRow("editor's all files")
            << QString::fromUtf8(mOptions::kBrowseEditorFilter.data(), mOptions::kBrowseEditorFilter.size()) << 2
            << QStringList{"Executable Files", "All Files"} << all;
    }
    void QtDialogShowsDescriptionsAndListsWhatTheyMean() {
        QFETCH(QString, filter);
        QFETCH(int, index);
        QFETCH(QStringList, descriptions);
        QFETCH(QStringList, listed);
        QStringList combo, names;
        WhenFileDialog([&](QFileDialog& d) {
            combo = ComboTexts(d);
            names = Listed(d);
        });
        std::string name, title, f = filter.toStdString();
        std::int32_t filterIndex = index, extra = 0;
        bool readOnly = false;
        QVERIFY(!mFileOpenSave::ShowOpenDialog(name, title, true, false, readOnly, true, f, filterIndex,
                                               temp_.path().toStdString(), std::nullopt, std::nullopt, -1, extra));
        QCOMPARE(combo, descriptions);
        QCOMPARE(names, listed);
    }

    // Paths longer than 260 bytes come back whole from both dialogs.
    void QtDialogReturnsLongPaths_data() {
        QTest::addColumn<bool>("save");
        QTest::newRow("open") << false;
        QTest::newRow("save") << true;
    }
    void QtDialogReturnsLongPaths() {
        QFETCH(bool, save);
        QString folder = temp_.path();
        for (int i = 0; i < 3; ++i) folder += "/" + QString(90, QChar('a' + i)) + QString::fromUtf8("é");
        QVERIFY(QDir().mkpath(folder));
        const QString file = folder + "/icon.ico";
        if (!save) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QVERIFY(file.toUtf8().size() > 260);
        WhenFileDialog([](QFileDialog&) {}, file);
        std::string name, title, filter = "Icon Files (*.ico)|*.ico|All Files (*.*)|*.*";
        std::int32_t index = 1, extra = 0;
        bool readOnly = false;
        const bool chosen =
            save ? mFileOpenSave::ShowSaveDialog(name, title, false, filter, index, folder.toStdString(), std::nullopt,
                                                 "ico", -1, extra)
                 : mFileOpenSave::ShowOpenDialog(name, title, true, false, readOnly, true, filter, index,
                                                 folder.toStdString(), std::nullopt, std::nullopt, -1, extra);
        QVERIFY(chosen);
        QCOMPARE(QString::fromStdString(name), file);
        QCOMPARE(title, "icon.ico"s);
    }

    // The read-only box is the caller's "open read-only": Qt's dialogs have none, and their own
    // ReadOnly option (no renaming or deleting in the dialog) is not it.
    void ReadOnlyIsNotTheDialogsReadOnlyOption() {
        bool dialogReadOnly = true;
        WhenFileDialog([&](QFileDialog& d) {
            dialogReadOnly = d.testOption(QFileDialog::ReadOnly);
        }, temp_.filePath("app.ico"));
        // The caller asks for the box ticked and shown.
        std::string name, title, filter = "All Files (*.*)|*.*";
        std::int32_t index = 1, extra = 0;
        bool readOnly = true;
        QVERIFY(mFileOpenSave::ShowOpenDialog(name, title, true, false, readOnly, false, filter, index,
                                              temp_.path().toStdString(), std::nullopt, std::nullopt, -1, extra));
        QVERIFY(!dialogReadOnly);
        // Not ticked by the user: the flags say so, and the caller's own value stays.
        QCOMPARE(extra & mFileOpenSave::OFN_READONLY, 0);
        QVERIFY(readOnly);
    }

    // A name longer than the platform's buffer is not dropped without a word: the user is told,
    // the caller sees a failed dialog.
    void ANameTooLongForTheBufferIsReported_data() {
        QTest::addColumn<bool>("save");
        QTest::newRow("open") << false;
        QTest::newRow("save") << true;
    }
    void ANameTooLongForTheBufferIsReported() {
        QFETCH(bool, save);
        cScriptedPrompts prompts;
        cPrompts::cScope scope(prompts);
        const QString file = "/" + QString(2500, 'x') + "/" + QString(2500, 'y') + ".ico";
        if (save) prompts.AnswerSave(file);
        else prompts.AnswerOpen({file});
        prompts.AnswerMessage(cPrompts::eAnswer::OK);
        std::string name = "start.ico", title, filter = "Icon Files (*.ico)|*.ico";
        std::int32_t index = 1, extra = 0;
        bool readOnly = false;
        const bool chosen =
            save ? mFileOpenSave::ShowSaveDialog(name, title, true, filter, index, std::nullopt, std::nullopt, "ico",
                                                 -1, extra)
                 : mFileOpenSave::ShowOpenDialog(name, title, true, false, readOnly, true, filter, index, std::nullopt,
                                                 std::nullopt, std::nullopt, -1, extra);
        QVERIFY(!chosen);
        QCOMPARE(name, ""s);
        QCOMPARE(mFileOpenSave::CommDlgExtendedError(), mFileOpenSave::FNERR_BUFFERTOOSMALL);
        const auto& told = prompts.LastAsked();
        QCOMPARE(told.kind, cScriptedPrompts::eKind::Message);
        QCOMPARE(told.icon, cPrompts::eIcon::Critical);
        QVERIFY2(told.text.contains("5006 bytes") && told.text.contains("4095"), qPrintable(told.text));
        QVERIFY2(told.text.size() < 300, "the box shows the name shortened");
    }

    void OpenShowsTheFiltersAndReturnsThePath() {
        cScriptedPrompts prompts;
        cPrompts::cScope scope(prompts);
        prompts.AnswerOpen({"/icons/app.ico"}, 2, true);
        std::string name, title, filter = "All Files (*.*)|*.*|Icon Files (*.ICO)|*.ICO";
        std::int32_t index = 1, extra = 0;
        bool readOnly = false;
        QVERIFY(mFileOpenSave::ShowOpenDialog(name, title, true, false, readOnly, true, filter, index, std::nullopt,
                                              "Pick one", std::nullopt, -1, extra));
        const auto& asked = prompts.LastAsked();
        QCOMPARE(asked.kind, cScriptedPrompts::eKind::OpenFile);
        QCOMPARE(asked.file.filters.size(), std::size_t(2));
        QCOMPARE(asked.file.filters[1].description, QString("Icon Files (*.ICO)"));
        QCOMPARE(asked.file.filters[1].pattern, QString("*.ICO"));
        QCOMPARE(asked.file.title, QString("Pick one"));
        QVERIFY(asked.file.fileMustExist);
        QVERIFY(!asked.file.multiSelect);
        QCOMPARE(name, "/icons/app.ico"s);
        QCOMPARE(title, "app.ico"s);
        QCOMPARE(index, 2);
        QCOMPARE(filter, "Icon Files (*.ICO)\0*.ICO"s);
        QVERIFY(readOnly);
    }

    // Qt shows a name that is not UTF-8 with U+FFFD in it; the dialog's answer comes back as the
    // folder's own bytes, for one file, several, and a new name in such a folder.
    void NamesThatAreNotUtf8ComeBackAsTheirBytes_data() {
        QTest::addColumn<bool>("save");
        QTest::addColumn<QByteArrayList>("chosen");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("title");
        QTest::newRow("one file") << false << QByteArrayList{"d\xe9j\xe0/caf\xe9.ico"} << QByteArray("d\xe9j\xe0/caf\xe9.ico")
                                  << QByteArray("caf\xe9.ico");
        QTest::newRow("several") << false << QByteArrayList{"d\xe9j\xe0/caf\xe9.ico", "d\xe9j\xe0/b.ico"}
                                 << QByteArray("d\xe9j\xe0") + '\0' + "caf\xe9.ico" + '\0' + "b.ico" << QByteArray();
        QTest::newRow("a new name") << true << QByteArrayList{"d\xe9j\xe0/new.ico"} << QByteArray("d\xe9j\xe0/new.ico")
                                    << QByteArray("new.ico");
    }
    void NamesThatAreNotUtf8ComeBackAsTheirBytes() {
        QFETCH(bool, save);
        QFETCH(QByteArrayList, chosen);
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, title);
        QTemporaryDir dir;
        const QByteArray root = QFile::encodeName(dir.path()) + "/";
        QVERIFY(std::filesystem::create_directory((root + "d\xe9j\xe0").toStdString()));
        for (const char* file : {"d\xe9j\xe0/caf\xe9.ico", "d\xe9j\xe0/b.ico"}) std::ofstream((root + file).toStdString()) << "x";
        QStringList shown;
        for (const QByteArray& c : chosen) shown << QFile::decodeName(root + c);
        QVERIFY(!QFile::exists(shown.front()));
        cScriptedPrompts prompts;
        cPrompts::cScope scope(prompts);
        std::string file, fileTitle, filter = "Icons|*.ico";
        std::int32_t index = 1, extra = 0;
        bool readOnly = false;
        if (save) {
            prompts.AnswerSave(shown.front());
            QVERIFY(mFileOpenSave::ShowSaveDialog(file, fileTitle, true, filter, index, std::nullopt, std::nullopt, "ico",
                                                  -1, extra));
        } else {
            prompts.AnswerOpen(shown);
            QVERIFY(mFileOpenSave::ShowOpenDialog(file, fileTitle, false, chosen.size() > 1, readOnly, true, filter,
                                                  index, std::nullopt, std::nullopt, std::nullopt, -1, extra));
        }
        QCOMPARE(file, (root + name).toStdString());
        QCOMPARE(mFileOpenSave::CutAtNul(fileTitle), title.toStdString());
    }

    void MultipleSelectionComesBackAsFolderAndNames() {
        cScriptedPrompts prompts;
        cPrompts::cScope scope(prompts);
        prompts.AnswerOpen({"/icons/a.ico", "/icons/b.ico"});
        std::string name, title, filter = "Icons|*.ico";
        std::int32_t index = 1, extra = 0;
        bool readOnly = false;
        QVERIFY(mFileOpenSave::ShowOpenDialog(name, title, false, true, readOnly, true, filter, index, std::nullopt,
                                              std::nullopt, std::nullopt, -1, extra));
        QCOMPARE(name, "/icons\0a.ico\0b.ico"s);
        QCOMPARE(title, ""s);
    }

    void CancelledSaveGivesIndexZero() {
        cScriptedPrompts prompts;
        cPrompts::cScope scope(prompts);
        prompts.CancelFile(cScriptedPrompts::eKind::SaveFile);
        std::string name = "old", title, filter = "Icon Files (*.ico)|*.ico";
        std::int32_t index = 1, extra = 0;
        QVERIFY(!mFileOpenSave::ShowSaveDialog(name, title, true, filter, index, std::nullopt, std::nullopt, "ico", -1,
                                               extra));
        QCOMPARE(index, 0);
        QCOMPARE(name, ""s);
        QVERIFY(prompts.LastAsked().file.overwritePrompt);
        QCOMPARE(prompts.LastAsked().file.defaultExtension, QString("ico"));
    }
};

PICTRIX_UI_TEST(tFileDialogsTest)
#include "file_dialogs_test.moc"
