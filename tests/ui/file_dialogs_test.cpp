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

#include "doubles/cScriptedPrompts.h"
#include "mUiTest.h"
#include "resources/ui/mFileOpenSave.h"
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
                if (auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit"))
                    edit->setText(QFileInfo(choose).fileName());
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
        for (const char* name :
             {"tool", "app.ico", "UPPER.ICO", "lib.dll", "Glintsmith - QRSC.exe", "other.exe", "Glintsmith-QRSC.exe",
              "arrow.cur", "BUSY.ANI", "app.icns", "app.res", "setup.msi", "Tool-x86_64.AppImage"}) {
            QFile f(temp_.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
    }

    // The combo box shows each description once; each filter lists the files it means, Windows
    // wildcard rules included ("*.*" is every name, a blank is part of a name).
    void QtDialogShowsDescriptionsAndListsWhatTheyMean_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("index");
        QTest::addColumn<QStringList>("descriptions");
        QTest::addColumn<QStringList>("listed");
        const QStringList all = {"BUSY.ANI",
                                 "Glintsmith - QRSC.exe",
                                 "Glintsmith-QRSC.exe",
                                 "Tool-x86_64.AppImage",
                                 "UPPER.ICO",
                                 "app.icns",
                                 "app.ico",
                                 "app.res",
                                 "arrow.cur",
                                 "lib.dll",
                                 "other.exe",
                                 "setup.msi",
                                 "tool"};
        const QStringList openDescriptions = {"All Files (*.*)",
                                              "Icon Files (*.ICO)",
                                              "Cursor Files (*.CUR;*.ANI)",
                                              "Executables (*.EXE;*.DLL;*.OCX;*.MUN)",
                                              "Shortcuts (*.LNK)",
                                              "Apple Icons (*.ICNS)",
                                              "Compiled Resources (*.RES)",
                                              "Installer Packages (*.MSI)",
                                              "AppImages (*.APPIMAGE)"};
        const QString open = QString::fromUtf8(mMainWindow::kOpenFilter.data(), mMainWindow::kOpenFilter.size());
        QTest::newRow("all files") << open << 1 << openDescriptions << all;
        QTest::newRow("icon files in either case")
            << open << 2 << openDescriptions << QStringList{"UPPER.ICO", "app.ico"};
        QTest::newRow("cursor and animated cursor files")
            << open << 3 << openDescriptions << QStringList{"BUSY.ANI", "arrow.cur"};
        QTest::newRow("icns files") << open << 6 << openDescriptions << QStringList{"app.icns"};
        QTest::newRow("installer packages") << open << 8 << openDescriptions << QStringList{"setup.msi"};
        QTest::newRow("AppImages in any case") << open << 9 << openDescriptions << QStringList{"Tool-x86_64.AppImage"};
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
        mFileOpenSave::cAsk ask;
        ask.initialDir = temp_.path().toStdString();
        ask.filterIndex = index;
        QVERIFY(!mFileOpenSave::AskOpen(nullptr, filter.toStdString(), {}, ask));
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
        const std::string filter = "Icon Files (*.ico)|*.ico|All Files (*.*)|*.*";
        mFileOpenSave::cAsk ask;
        ask.initialDir = folder.toStdString();
        ask.defaultExt = "ico";
        ask.overwritePrompt = false;
        const auto chosen =
            save ? mFileOpenSave::AskSave(nullptr, filter, {}, ask) : mFileOpenSave::AskOpen(nullptr, filter, {}, ask);
        QVERIFY(chosen);
        QCOMPARE(QString::fromStdString(*chosen), file);
    }

    // The read-only box is the caller's "open read-only": Qt's dialogs have none, and their own
    // ReadOnly option (no renaming or deleting in the dialog) is not it.
    void ReadOnlyIsNotTheDialogsReadOnlyOption() {
        bool dialogReadOnly = true;
        WhenFileDialog([&](QFileDialog& d) { dialogReadOnly = d.testOption(QFileDialog::ReadOnly); },
                       temp_.filePath("app.ico"));
        // The caller asks for the box shown.
        mFileOpenSave::cAsk ask;
        ask.initialDir = temp_.path().toStdString();
        ask.hideReadOnly = false;
        QVERIFY(mFileOpenSave::AskOpen(nullptr, "All Files (*.*)|*.*", {}, ask));
        QVERIFY(!dialogReadOnly);
    }

    // The question as the prompts receive it: the asking window, the filter's entries, the title,
    // the options of each dialog.
    void TheQuestionAsAsked() {
        cScriptedPrompts prompts;
        cPrompts::cScope scope(prompts);
        QWidget window;
        mFileOpenSave::cAsk ask;
        ask.fileName = "start.ico";
        ask.initialDir = "/tmp";
        ask.defaultExt = "ico";
        ask.filterIndex = 2;
        prompts.CancelFile(cScriptedPrompts::eKind::OpenFile);
        QVERIFY(!mFileOpenSave::AskOpen(&window, "All Files (*.*)|*.*|Icons: small|*.ICO", "Pick one", ask));
        cScriptedPrompts::cAsked asked = prompts.LastAsked();
        QCOMPARE(asked.owner.data(), &window);
        QCOMPARE(asked.file.title, QString("Pick one"));
        // A ":" ends an item as "|" does.
        QCOMPARE(asked.file.filters,
                 (std::vector<cPrompts::cFilter>{{"All Files (*.*)", "*.*"}, {"Icons", " small"}, {"*.ICO", ""}}));
        QCOMPARE(asked.file.fileName, QString("start.ico"));
        QCOMPARE(asked.file.initialDir, QString("/tmp"));
        QCOMPARE(asked.file.defaultExtension, QString("ico"));
        QCOMPARE(asked.file.filterIndex, 2);
        QVERIFY(asked.file.fileMustExist && asked.file.hideReadOnly && !asked.file.overwritePrompt);

        ask.overwritePrompt = false;
        ask.hideReadOnly = false;
        prompts.CancelFile(cScriptedPrompts::eKind::SaveFile);
        QVERIFY(!mFileOpenSave::AskSave(nullptr, "Icons|*.ico", {}, ask));
        asked = prompts.LastAsked();
        QCOMPARE(asked.kind, cScriptedPrompts::eKind::SaveFile);
        QVERIFY(!asked.owned);
        QVERIFY2(asked.file.title.isEmpty(), "no title: the dialog's own");
        // A save dialog never offers the read-only box nor demands an existing file.
        QVERIFY(!asked.file.fileMustExist && asked.file.hideReadOnly && !asked.file.overwritePrompt);
    }

    void AskAnswersTheChosenPathOrNothing() {
        cScriptedPrompts prompts;
        cPrompts::cScope scope(prompts);
        prompts.AnswerOpen({"/icons/app.ico"}).AnswerSave("").AnswerSave("/out/new.ico");
        QCOMPARE(mFileOpenSave::AskOpen(nullptr, "Icons|*.ico"), std::optional<std::string>("/icons/app.ico"));
        QCOMPARE(mFileOpenSave::AskSave(nullptr, "Icons|*.ico"), std::optional<std::string>());
        QCOMPARE(mFileOpenSave::AskSave(nullptr, "Icons|*.ico"), std::optional<std::string>("/out/new.ico"));
    }

    void FilterEntries() {
        using mFileOpenSave::FilterEntryAt;
        const std::string c = mFileOpenSave::ConvertFilter("Icon Files (*.ico)|*.ico|All Files (*.*)|*.*");
        QCOMPARE(c, "Icon Files (*.ico)\0*.ico\0All Files (*.*)\0*.*\0\0"s);
        QCOMPARE(mFileOpenSave::ConvertFilter(""), "\0\0"s);
        QCOMPARE(FilterEntryAt(c, 2), "All Files (*.*)\0*.*"s);
        for (int outside : {3, 0, -4}) QCOMPARE(FilterEntryAt(c, outside), ""s);
        QCOMPARE(FilterEntryAt("", 1), ""s);
        QCOMPARE(FilterEntryAt("no nul at all", 1), ""s);
        QCOMPARE(FilterEntryAt("A\0a"s, 1), "A\0a"s); // an unterminated last entry runs to the end
        QCOMPARE(mFileOpenSave::CutAtNul("C:/x.ico\0\0"s), "C:/x.ico"s);
    }

    // Qt shows a name that is not UTF-8 with U+FFFD in it; the dialog's answer comes back as the
    // folder's own bytes, for one file and a new name in such a folder.
    void NamesThatAreNotUtf8ComeBackAsTheirBytes_data() {
        QTest::addColumn<bool>("save");
        QTest::addColumn<QByteArrayList>("chosen");
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("one file") << false << QByteArrayList{"d\xe9j\xe0/caf\xe9.ico"}
                                  << QByteArray("d\xe9j\xe0/caf\xe9.ico");
        QTest::newRow("a new name") << true << QByteArrayList{"d\xe9j\xe0/new.ico"} << QByteArray("d\xe9j\xe0/new.ico");
    }
    void NamesThatAreNotUtf8ComeBackAsTheirBytes() {
        QFETCH(bool, save);
        QFETCH(QByteArrayList, chosen);
        QFETCH(QByteArray, name);
        QTemporaryDir dir;
        const QByteArray root = QFile::encodeName(dir.path()) + "/";
        QVERIFY(std::filesystem::create_directory((root + "d\xe9j\xe0").toStdString()));
        for (const char* file : {"d\xe9j\xe0/caf\xe9.ico", "d\xe9j\xe0/b.ico"})
            std::ofstream((root + file).toStdString()) << "x";
        QStringList shown;
        for (const QByteArray& c : chosen) shown << QFile::decodeName(root + c);
        QVERIFY(!QFile::exists(shown.front()));
        cScriptedPrompts prompts;
        cPrompts::cScope scope(prompts);
        std::optional<std::string> file;
        if (save) {
            prompts.AnswerSave(shown.front());
            file = mFileOpenSave::AskSave(nullptr, "Icons|*.ico");
        } else {
            prompts.AnswerOpen(shown);
            file = mFileOpenSave::AskOpen(nullptr, "Icons|*.ico");
        }
        QCOMPARE(file, std::optional<std::string>((root + name).toStdString()));
    }
};

PICTRIX_UI_TEST(tFileDialogsTest)
#include "file_dialogs_test.moc"
