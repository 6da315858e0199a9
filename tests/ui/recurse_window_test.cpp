// The search window: its looks, a search with its prompts, texts and busy state, Stop and Esc,
// the list files with their questions, Add, Delete, the checked-entries message, several windows,
// closing during a search, and the main window's Recurse. Saves the screenshots `make
// screenshots` collects.

#include <QAction>
#include <QFile>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <functional>

#include "doubles/cScriptedPrompts.h"
#include "doubles/cRecordingShell.h"
#include "app/ui/FMain.h"
#include "app/ui/mSearchWindows.h"
#include "cWindowTest.h"
#include "mUiTest.h"
#include "platform/ui/cPrompts.h"
#include "search/mRecurse.h"
#include "app/ui/Main.h"
#include "search/ui/FRecurse.h"
#include "search/ui/cSearchListModel.h"
#include "search/ui/cStatusStrip.h"
#include "support/cRegistry.h"
#include "support/ui/cShell.h"

namespace {

using eAnswer = cPrompts::eAnswer;
using eKind = cScriptedPrompts::eKind;
namespace fs = std::filesystem;

void Touch(const fs::path& p) {
    fs::create_directories(p.parent_path());
    std::ofstream(p).put('x');
}

std::vector<std::string> Entries(const FRecurse& w) {
    std::vector<std::string> out;
    for (int i = 0; i < w.List().ListCount(); ++i) out.push_back(w.List().Text(i));
    return out;
}

QString ReadText(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString("<missing>");
}

void Check(FRecurse& w, int row) { w.ListModel()->setData(w.ListModel()->index(row), Qt::Checked, Qt::CheckStateRole); }

// Runs `during` at the walk's first processing of events.
void DuringTheWalk(std::function<void()> during) { QTimer::singleShot(0, std::move(during)); }

} // namespace

class tRecurseWindowTest : public cWindowTest {
    Q_OBJECT

    QString tree_; // X.EXE, notes.txt, B/y.exe, B/C/z.exe, D/w.exe

    FRecurse& NewWindow() { return Track(new FRecurse()); }

    void Search(FRecurse& w, const QString& folder, const QString& spec) {
        prompts_->AnswerFolder(folder).AnswerInput(spec);
        w.mnuFile_Click(0);
    }

    QString WriteList(const QString& name, const std::vector<std::string>& entries) {
        std::ofstream out(Path(name).toStdString(), std::ios::binary);
        for (const auto& e : entries) out << e << "\r\n\r\n";
        return Path(name);
    }

    // Closes a window, answering the closing question when one is expected.
    void CloseWindow(FRecurse& w, std::optional<eAnswer> question) {
        if (question) prompts_->AnswerMessage(*question);
        QPointer<FRecurse> p(&w);
        w.close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!p);
    }

    static void ForgetRecentLists() {
        cRegistry reg;
        reg.ClassKey(cRegistry::kHKeyLocalMachine);
        reg.SectionKey(std::string(mRecurse::kRecentListsKey));
        if (reg.KeyExists()) reg.DeleteKey();
    }

    void SetUp() override {
        ForgetRecentLists();
        if (tree_.isEmpty()) {
            const fs::path t = temp_.filePath("tree").toStdString();
            for (const char* f : {"X.EXE", "notes.txt", "B/y.exe", "B/C/z.exe", "D/w.exe"}) Touch(t / f);
            tree_ = QString::fromStdString(t.string());
        }
    }

private slots:
    // ---- Looks and buttons.

    // A new window is idle, with nothing listed; each toolbar button runs its command (with an
    // empty list Print, Delete and Extract have nothing to act on).
    void EachButtonRunsItsCommand() {
        FRecurse& w = NewWindow();
        QCOMPARE(w.StatusStrip()->Text(), QString("Ready..."));
        QVERIFY(!w.StopItem()->isVisible() && !w.Button("Stop")->isEnabled() && w.Button("new")->isEnabled());
        prompts_->AnswerFolder(std::nullopt)
            .CancelFile(cScriptedPrompts::eKind::OpenFile)
            .CancelFile(cScriptedPrompts::eKind::SaveFile)
            .CancelFile(cScriptedPrompts::eKind::OpenFile);
        for (const char* key :
             {"new", "open", "save", "print", "add", "delete", "extract", "helprecurse", "help", "Stop", "?"})
            w.tbrMain_ButtonClick(key);
        std::vector<cScriptedPrompts::eKind> kinds;
        for (const auto& asked : prompts_->Asked()) kinds.push_back(asked.kind);
        using K = cScriptedPrompts::eKind;
        QCOMPARE(kinds, (std::vector<K>{K::Folder, K::OpenFile, K::SaveFile, K::OpenFile}));
        QCOMPARE(shell_->requests.size(), std::size_t(2));
        QVERIFY(shell_->requests[0].path.endsWith("/recurse.htm") && shell_->requests[1].path.endsWith("/index.htm"));
        QCOMPARE(w.List().ListCount(), 0);
    }

    // ---- Searching.

    void ASearchListsTheMatchesInWalkOrder() {
        FRecurse& w = NewWindow();
        Search(w, tree_, "*.EXE");
        const auto& asked = prompts_->Asked();
        QCOMPARE(asked.size(), std::size_t(2));
        QCOMPARE(asked[0].kind, eKind::Folder);
        QCOMPARE(asked[0].title, QString("Select folder or drive:"));
        QCOMPARE(asked[1].kind, eKind::Input);
        QCOMPARE(asked[1].title, QString("Find File(s)"));
        QCOMPARE(asked[1].initial, QString("*.exe"));
        QCOMPARE(asked[1].text, "Enter a file spec:\r\n\r\nSearching will begin at " + tree_ +
                                    " and continue until no more subdirectories or files are found.  \r\n\r\n"
                                    "Click Stop, or hold Esc, at any time.\r\n\r\nThe * and ? wildcards can be used.");
        const std::string t = tree_.toStdString();
        QCOMPARE(Entries(w),
                 (std::vector<std::string>{t + "/X.EXE", t + "/B/y.exe", t + "/B/C/z.exe", t + "/D/w.exe"}));
        QCOMPARE(w.ListModel()->rowCount(), 4);
        QCOMPARE(w.windowTitle(), "Recursing: " + tree_);
        QCOMPARE(w.StatusStrip()->Text(), QString("Find File(s): 4 items found matching \"*.EXE\""));
        QVERIFY(w.DataChanged() && !w.Running());
        QCOMPARE(w.FileSpec(), std::string("*.EXE"));
        QVERIFY(!w.StopItem()->isVisible() && !w.Button("Stop")->isEnabled() && w.Button("new")->isEnabled());

        // New again clears the list first, without asking about the unsaved results.
        Search(w, tree_ + "/B", "*.txt");
        QVERIFY(Entries(w).empty());
        QCOMPARE(w.StatusStrip()->Text(), QString("Find File(s): 0 items found matching \"*.txt\""));
        QCOMPARE(prompts_->Asked().size(), std::size_t(4));
    }

    void ACancelledPatternChangesOnlyTheCaptionAndAddsFilter() {
        FRecurse& w = NewWindow();
        Search(w, tree_ + "/D", "*.exe");
        QCOMPARE(Entries(w).size(), std::size_t(1));

        // Add offers the last pattern first and appends the chosen file.
        prompts_->AnswerOpen({tree_ + "/notes.txt"});
        w.mnuEdit_Click(0);
        auto filters = prompts_->LastAsked().file.filters;
        QCOMPARE(filters.size(), std::size_t(2));
        QCOMPARE(filters[0], (cPrompts::cFilter{"*.exe", "*.exe"}));
        QCOMPARE(filters[1], (cPrompts::cFilter{"AllFiles(*.*)", "*.*"}));
        QVERIFY(prompts_->LastAsked().file.fileMustExist);
        QCOMPARE(Entries(w).back(), (tree_ + "/notes.txt").toStdString());
        QCOMPARE(w.StatusStrip()->Text(), QString("Number of items: 2"));
        // What the walk passes over, Add refuses, and says so.
        prompts_->AnswerOpen({tree_ + "/two\nlines.exe"}).AnswerMessage(cPrompts::eAnswer::OK);
        w.mnuEdit_Click(0);
        QCOMPARE(Entries(w).size(), std::size_t(2));
        QCOMPARE(prompts_->LastAsked().text, tree_ + "/two\\nlines.exe was not added: its name holds a line break.");

        prompts_->AnswerFolder(tree_ + "/B").AnswerInput(std::nullopt);
        w.mnuFile_Click(0);
        QCOMPARE(w.windowTitle(), "Recursing: " + tree_ + "/B");
        QCOMPARE(Entries(w).size(), std::size_t(2));
        QVERIFY(w.FileSpec().empty());

        // After the cancel Add offers icons and executables; a cancelled dialog adds nothing.
        prompts_->CancelFile(eKind::OpenFile);
        w.tbrMain_ButtonClick("add");
        filters = prompts_->LastAsked().file.filters;
        QCOMPARE(filters.size(), std::size_t(3));
        QCOMPARE(filters[0], (cPrompts::cFilter{"Icon Files(*.ico)", "*.ico"}));
        QCOMPARE(filters[1], (cPrompts::cFilter{"Executable Files(*.exe;*.dll)", "*.exe;*.dll"}));
        QCOMPARE(Entries(w).size(), std::size_t(2));
    }

    void StopMenuButtonAndEscEndASearch_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Esc in the list") << "esc";
        QTest::newRow("Stop menu") << "menu";
        QTest::newRow("Stop button") << "button";
    }
    void StopMenuButtonAndEscEndASearch() {
        QFETCH(QString, how);
        FRecurse& w = NewWindow();
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        // Idle: Esc does nothing and Ctrl+N starts New (cancelled here).
        QTest::keyClick(w.ListView(), Qt::Key_Escape);
        prompts_->AnswerFolder(std::nullopt);
        QTest::keyClick(w.ListView(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(prompts_->Asked().size(), std::size_t(1));

        bool checked = false;
        DuringTheWalk([&] {
            checked = true;
            QVERIFY(w.Running());
            QVERIFY(!w.FileMenu()->menuAction()->isEnabled() && !w.EditMenu()->menuAction()->isEnabled() &&
                    !w.HelpMenu()->menuAction()->isEnabled());
            QVERIFY(w.StopItem()->isVisible());
            for (const char* key : {"new", "open", "save", "print", "add", "delete", "extract", "helprecurse", "help"})
                QVERIFY2(!w.Button(key)->isEnabled(), key);
            QVERIFY(w.Button("Stop")->isEnabled());
            // Ctrl+N asks nothing while busy (an unscripted question would fail the test).
            QTest::keyClick(w.ListView(), Qt::Key_N, Qt::ControlModifier);
            if (how == "esc")
                QTest::keyClick(w.ListView(), Qt::Key_Escape);
            else if (how == "menu")
                w.StopItem()->trigger();
            else
                w.Button("Stop")->trigger();
            QVERIFY(!w.Running());
        });
        Search(w, tree_, "*.exe");
        QVERIFY(checked);
        // Stopped at the start folder's first check: nothing was listed, the texts still come.
        QVERIFY(Entries(w).empty());
        QCOMPARE(w.StatusStrip()->Text(), QString("Find File(s): 0 items found matching \"*.exe\""));
        QVERIFY(w.DataChanged());
        QVERIFY(!w.StopItem()->isVisible() && !w.Button("Stop")->isEnabled() && w.FileItem(0)->isEnabled());
    }

    void ClosingDuringASearchStopsItThenCloses() {
        FRecurse& w = NewWindow();
        QPointer<FRecurse> p(&w);
        DuringTheWalk([&] {
            QVERIFY(!w.close());
            QVERIFY(!w.Running());
            QVERIFY(p);
            prompts_->AnswerMessage(eAnswer::No); // the search's results are unsaved
        });
        Search(w, tree_, "*");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!p);
        QCOMPARE(prompts_->LastAsked().text, QString("Data has changed. Save current list?"));
    }

    // Mended: Exit in one window while another walks ends nothing behind the user's back: every
    // window with results asks its question, the walking one once its walk has unwound.
    void ExitAsksEveryWindowEvenOneThatIsWalking() {
        FRecurse::SetEndProgram([] { ::EndProgram(); });
        FRecurse& walking = NewWindow();
        FRecurse& other = NewWindow();
        QPointer<FRecurse> a(&walking), b(&other);
        const QString list = WriteList("exit.ier", {"/x"});
        prompts_->AnswerOpen({list});
        other.mnuFile_Click(1);
        prompts_->AnswerOpen({list});
        other.mnuEdit_Click(0); // Add: a change to ask about
        walking.show();
        other.show();
        const std::size_t before = prompts_->Asked().size();
        DuringTheWalk([&] {
            prompts_->AnswerMessage(eAnswer::No).AnswerMessage(eAnswer::No);
            other.mnuClose_Click(2); // Exit
            QVERIFY(a && walking.isVisible());
            QVERIFY(!walking.Running());
        });
        Search(walking, tree_, "*");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        FRecurse::SetEndProgram({});
        QVERIFY(!a);
        QVERIFY(!b);
        int questions = 0;
        for (std::size_t i = before; i < prompts_->Asked().size(); ++i)
            questions += prompts_->Asked()[i].text == "Data has changed. Save current list?";
        QCOMPARE(questions, 2);
    }

    // ---- List files.

    void SaveAsNamesTheFile_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("saved");
        QTest::newRow("list") << "list"
                              << "list.ier";
        QTest::newRow("list.ier") << "list.ier"
                                  << "list.ier";
        QTest::newRow("LIST.IER") << "LIST.IER"
                                  << "LIST.IER.ier";
    }
    void SaveAsNamesTheFile() {
        QFETCH(QString, typed);
        QFETCH(QString, saved);
        QDir(Path("saveas")).removeRecursively();
        QDir().mkpath(Path("saveas"));
        FRecurse& w = NewWindow();
        Search(w, tree_ + "/B", "*.exe");
        // After a search Save asks for a name.
        prompts_->AnswerSave(Path("saveas/" + typed));
        w.mnuFile_Click(2);
        const auto& asked = prompts_->LastAsked();
        QCOMPARE(asked.kind, eKind::SaveFile);
        QCOMPARE(asked.file.filters[0], (cPrompts::cFilter{"Pictrix Recurse List(*.ier)", "*.ier"}));
        QVERIFY(asked.file.overwritePrompt);
        const QString file = Path("saveas/" + saved);
        const QString t = tree_ + "/B";
        QCOMPARE(ReadText(file), t + "/y.exe\r\n\r\n" + t + "/C/z.exe\r\n\r\n");
        QCOMPARE(QDir(Path("saveas")).entryList(QDir::Files), QStringList{saved});
        QCOMPARE(w.ListFile(), file.toStdString());
        QCOMPARE(w.windowTitle(), "Recursing: " + file);
        QCOMPARE(w.StatusStrip()->Text(), QString("Number of items: 2"));
        QVERIFY(!w.DataChanged());
        QCOMPARE(w.RecentLists().file(1), file.toStdString());
        CloseWindow(w, std::nullopt);
    }

    void OpenThenSaveWritesInPlaceAndASearchAsksAgain() {
        const QString list = WriteList("inplace.ier", {"/a/one", "/a/two", "/a/three"});
        FRecurse& w = NewWindow();
        prompts_->AnswerOpen({list});
        w.mnuFile_Click(1);
        const auto& asked = prompts_->LastAsked();
        QCOMPARE(asked.file.filters[0], (cPrompts::cFilter{"Pictrix Recure List(*.ier)", "*.ier"}));
        QVERIFY(asked.file.fileMustExist);
        QCOMPARE(Entries(w), (std::vector<std::string>{"/a/one", "/a/two", "/a/three"}));
        QCOMPARE(w.StatusStrip()->Text(), QString("Number of items: 3"));
        QVERIFY(!w.DataChanged());

        Check(w, 1);
        w.tbrMain_ButtonClick("save");
        QCOMPARE(prompts_->Asked().size(), std::size_t(1)); // no dialog
        QCOMPARE(ReadText(list), QString("/a/two\r\n\r\n"));
        QCOMPARE(Entries(w).size(), std::size_t(3));
        QVERIFY(w.List().Checked(1));

        // A search changes the caption, so Save asks for a name although a list file is open.
        Search(w, tree_ + "/D", "*.exe");
        prompts_->CancelFile(eKind::SaveFile);
        w.mnuFile_Click(2);
        QCOMPARE(prompts_->LastAsked().kind, eKind::SaveFile);
        QCOMPARE(ReadText(list), QString("/a/two\r\n\r\n"));
        CloseWindow(w, eAnswer::No);
    }

    void TheClosingQuestionComesAfterASearchOnly() {
        const QString list = WriteList("opened.ier", {"/x"});
        FRecurse& opened = NewWindow();
        prompts_->AnswerOpen({list});
        opened.mnuFile_Click(1);
        CloseWindow(opened, std::nullopt);
        QCOMPARE(prompts_->Asked().size(), std::size_t(1));

        FRecurse& searched = NewWindow();
        Search(searched, tree_ + "/D", "*.exe");
        CloseWindow(searched, eAnswer::No);
        const auto& asked = prompts_->LastAsked();
        QCOMPARE(asked.text, QString("Data has changed. Save current list?"));
        QCOMPARE(asked.title, QString("Pictrix v2"));
        QCOMPARE(asked.buttons, cPrompts::eButtons::YesNo);
        QCOMPARE(asked.icon, cPrompts::eIcon::Exclamation);
    }

    // Mended: a save the user asked for that fails is shown, and closing does not lose the list.
    void AFailedSaveIsShownAndKeepsTheWindowOpen() {
        FRecurse& w = NewWindow();
        QPointer<FRecurse> p(&w);
        Search(w, tree_ + "/D", "*.exe");
        const QString bad = tree_ + "/X.EXE/below.ier";
        prompts_->AnswerMessage(eAnswer::Yes).AnswerSave(bad).AnswerMessage(eAnswer::OK);
        QVERIFY(!w.close());
        QVERIFY(p && w.DataChanged());
        QVERIFY(prompts_->LastAsked().text.contains("Path not found"));
        QCOMPARE(Entries(w).size(), std::size_t(1));
        CloseWindow(w, eAnswer::No);
    }

    // Edit > Search Hidden Folders: off by default; on, the walk enters dot folders; remembered.
    void HiddenFoldersWhenChecked() {
        QDir(tree_).mkpath(".hid");
        QFile touch(tree_ + "/.hid/h.exe");
        QVERIFY(touch.open(QIODevice::WriteOnly));
        touch.close();
        FRecurse& w = NewWindow();
        QVERIFY(w.HiddenFoldersItem()->isCheckable() && !w.HiddenFoldersItem()->isChecked());
        QCOMPARE(w.HiddenFoldersItem()->text(), QString("Search &Hidden Folders"));
        Search(w, tree_, "h.exe");
        QCOMPARE(Entries(w).size(), std::size_t(0));
        w.HiddenFoldersItem()->setChecked(true);
        Search(w, tree_, "h.exe");
        QCOMPARE(Entries(w).size(), std::size_t(1));
        FRecurse& again = NewWindow();
        QVERIFY(again.HiddenFoldersItem()->isChecked());
        again.HiddenFoldersItem()->setChecked(false);
        CloseWindow(again, std::nullopt);
        CloseWindow(w, eAnswer::No);
        QFile::remove(tree_ + "/.hid/h.exe");
        QDir(tree_).rmdir(".hid");
    }

    // Mended: closing never loses results. Yes, then Cancel in Save As, keeps the window and the
    // list; Add and Delete are changes that the closing question asks about.
    void ClosingNeverLosesResults() {
        FRecurse& w = NewWindow();
        QPointer<FRecurse> p(&w);
        Search(w, tree_ + "/D", "*.exe");
        prompts_->AnswerMessage(eAnswer::Yes).CancelFile(cScriptedPrompts::eKind::SaveFile);
        QVERIFY(!w.close());
        QVERIFY(p && w.DataChanged());
        QCOMPARE(Entries(w).size(), std::size_t(1));
        CloseWindow(w, eAnswer::No);

        const QString list = WriteList("three.ier", {"/a", "/b", "/c"});
        FRecurse& opened = NewWindow();
        prompts_->AnswerOpen({list});
        opened.mnuFile_Click(1);
        QVERIFY(!opened.DataChanged());
        Check(opened, 1);
        opened.mnuEdit_Click(1); // Delete
        QVERIFY(opened.DataChanged());
        const std::size_t before = prompts_->Asked().size();
        CloseWindow(opened, eAnswer::No);
        QCOMPARE(prompts_->Asked().size(), before + 1);
        QCOMPARE(prompts_->LastAsked().text, QString("Data has changed. Save current list?"));

        FRecurse& added = NewWindow();
        prompts_->AnswerOpen({list});
        added.mnuEdit_Click(0); // Add
        QVERIFY(added.DataChanged());
        CloseWindow(added, eAnswer::No);
    }

    // Mended: a list file longer than the window holds opens with its first entries and says so;
    // it is never saved over (that would cut it on disk), while Save As another file keeps what
    // is shown.
    void ACutListIsNeverSavedOver() {
        std::vector<std::string> entries;
        for (int i = 1; i <= 40000; ++i) entries.push_back("/e/" + std::to_string(i));
        const QString list = WriteList("long.ier", entries);
        const QString original = ReadText(list);
        FRecurse& w = NewWindow();
        prompts_->AnswerOpen({list}).AnswerMessage(eAnswer::OK);
        w.mnuFile_Click(1);
        QVERIFY(prompts_->LastAsked().text.startsWith(list + " holds 40000 entries; the search list holds 32767"));
        QCOMPARE(Entries(w).size(), std::size_t(32767));
        // Save: refused, with Save As offered (declined here); Save As onto the file: refused.
        prompts_->AnswerMessage(eAnswer::No);
        QVERIFY(!w.Save());
        QVERIFY(prompts_->LastAsked().text.contains("Save the list under another name?"));
        prompts_->AnswerSave(list).AnswerMessage(eAnswer::OK);
        QVERIFY(!w.SaveAs());
        QVERIFY(prompts_->LastAsked().text.startsWith("The list was cut when it was opened"));
        QCOMPARE(ReadText(list), original);
        // Another file gets the entries shown.
        prompts_->AnswerSave(Path("shown.ier"));
        QVERIFY(w.SaveAs());
        QCOMPARE(ReadText(Path("shown.ier")).count("\r\n\r\n"), 32767);
        CloseWindow(w, std::nullopt);
    }

    // Mended: ".ier" added to a typed name must not replace another file unasked.
    void SaveAsAsksBeforeReplacingTheNameItMade() {
        const QString existing = WriteList("mine.ier", {"/keep/me"});
        FRecurse& w = NewWindow();
        Search(w, tree_ + "/D", "*.exe");
        prompts_->AnswerSave(Path("mine")).AnswerMessage(eAnswer::No);
        QVERIFY(!w.SaveAs());
        QCOMPARE(prompts_->LastAsked().text, existing + " already exists.\r\nDo you want to replace it?");
        QCOMPARE(ReadText(existing), QString("/keep/me\r\n\r\n"));
        QVERIFY(w.DataChanged());
        prompts_->AnswerSave(Path("mine")).AnswerMessage(eAnswer::Yes);
        QVERIFY(w.SaveAs());
        QCOMPARE(ReadText(existing), tree_ + "/D/w.exe\r\n\r\n");
    }

    void ListFilesWithBlankLinesAndLFOnlyLoadTheSame() {
        QFile lf(Path("lf.ier"));
        QVERIFY(lf.open(QIODevice::WriteOnly));
        lf.write("/a/one\n\n/a/two\n");
        lf.close();
        const QString crlf = WriteList("crlf.ier", {"/a/one", "/a/two"});
        for (const QString& file : {Path("lf.ier"), crlf}) {
            FRecurse& w = NewWindow();
            w.DisplayList(file.toStdString());
            QCOMPARE(Entries(w), (std::vector<std::string>{"/a/one", "/a/two"}));
            QCOMPARE(w.ListModel()->rowCount(), 2);
            QVERIFY(!w.List().Checked(0) && !w.List().Checked(1));
            QCOMPARE(w.windowTitle(), "Recursing: " + file);
        }
        // A missing file is shown and logged; it still heads the recent lists, and the list, the
        // caption and the status stay as they were.
        FRecurse& w = NewWindow();
        QVERIFY(w.DisplayList(crlf.toStdString()));
        const QString caption = w.windowTitle(), status = w.StatusStrip()->Text();
        prompts_->AnswerMessage(eAnswer::OK);
        QVERIFY(!w.DisplayList(Path("missing.ier").toStdString()));
        QVERIFY(prompts_->LastAsked().text.contains("File not found"));
        QVERIFY2(w.cursor().shape() != Qt::WaitCursor, "the failed read leaves the window idle");
        QCOMPARE(Entries(w).size(), std::size_t(2));
        QCOMPARE(w.windowTitle(), caption);
        QCOMPARE(w.StatusStrip()->Text(), status);
        QCOMPARE(w.RecentLists().file(1), Path("missing.ier").toStdString());
        QVERIFY(ReadText(temp_.filePath("errlog.txt")).contains("missing.ier"));
    }

    void DeleteRemovesTheCheckedAndTheStripShowsThem() {
        FRecurse& w = NewWindow();
        w.DisplayList(WriteList("five.ier", {"a", "b", "c", "d", "e"}).toStdString());
        Check(w, 1);
        Check(w, 3);
        prompts_->AnswerMessage(eAnswer::OK);
        QTest::mouseDClick(w.StatusStrip(), Qt::LeftButton);
        QCOMPARE(prompts_->LastAsked().text, QString("Selected Items: \r\n\r\nb\r\nd\r\n"));
        QCOMPARE(prompts_->LastAsked().title, QString());

        w.mnuEdit_Click(1);
        QCOMPARE(Entries(w), (std::vector<std::string>{"a", "c", "e"}));
        QCOMPARE(w.ListModel()->rowCount(), 3);
        QCOMPARE(w.StatusStrip()->Text(), QString("Number of items: 3"));
        // Nothing checked: Delete only refreshes the count.
        w.tbrMain_ButtonClick("delete");
        QCOMPARE(Entries(w).size(), std::size_t(3));
    }

    void TwoWindowsKeepTheirListsAndTheLastClosedStoresTheRecentLists() {
        const QString one = WriteList("one.ier", {"1"}), two = WriteList("two.ier", {"2"});
        FRecurse& a = NewWindow();
        FRecurse& b = NewWindow();
        a.DisplayList(one.toStdString());
        b.DisplayList(two.toStdString());
        QCOMPARE(Entries(a), std::vector<std::string>{"1"});
        QCOMPARE(Entries(b), std::vector<std::string>{"2"});
        QVERIFY(b.RecentItem(1)->isVisible() && !b.RecentItem(2)->isVisible() && b.RecentItem(6)->isVisible());
        CloseWindow(b, std::nullopt);
        CloseWindow(a, std::nullopt);
        FRecurse& c = NewWindow();
        QCOMPARE(c.RecentLists().FileCount(), 1);
        QCOMPARE(c.RecentLists().file(1), one.toStdString());
        // A recent list opens from the menu and becomes the list file.
        c.RecentItem(1)->trigger();
        QCOMPARE(Entries(c), std::vector<std::string>{"1"});
        QCOMPARE(c.ListFile(), one.toStdString());
    }

    void HelpPagesAndAbout() {
        FRecurse& w = NewWindow();
        w.mnuHelp_Click(0);
        w.tbrMain_ButtonClick("helprecurse");
        // The build tree's help beside the program; an installation's under share/pictrix.
        const QString help = QCoreApplication::applicationDirPath() + "/Help/";
        QCOMPARE(shell_->requests.size(), std::size_t(2));
        QCOMPARE(shell_->requests[0].path, help + "index.htm");
        QCOMPARE(shell_->requests[1].path, help + "recurse.htm");
        for (const auto& r : shell_->requests) QVERIFY2(QFile::exists(r.path), qPrintable(r.path));
        QDir(temp_.path()).mkpath("stage/usr/bin");
        QDir(temp_.path()).mkpath("stage/usr/share/pictrix/Help");
        QCOMPARE(QString::fromStdString(mRecurse::HelpPageFor(Path("stage/usr/bin").toStdString(), "recurse.htm")),
                 Path("stage/usr/share/pictrix/Help/recurse.htm"));
        QWidget* aboutOwner = nullptr;
        FRecurse::SetAboutBox([&aboutOwner](QWidget* owner) { aboutOwner = owner; });
        w.mnuHelp_Click(2);
        FRecurse::SetAboutBox({});
        QCOMPARE(aboutOwner, static_cast<QWidget*>(&w));
    }

    // ---- The main window.

    void RecurseInTheMainWindowOpensIndependentSearchWindows() {
        mSearchWindows::Install();
        auto* main = new FMain();
        QPointer<FMain> mainAlive(main);
        main->mnuFile_Click(6);
        main->tbrMain_ButtonClick("recurse");
        std::vector<FRecurse*> opened;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* r = qobject_cast<FRecurse*>(top); r && r->isVisible()) opened.push_back(r);
        }
        QCOMPARE(opened.size(), std::size_t(2));
        for (FRecurse* r : opened) Track(r);
        const QPointer<FRecurse> first(opened[0]), second(opened[1]);
        QVERIFY(!opened[0]->parentWidget() && !opened[1]->parentWidget());
        // Each has its own list; closing the main window leaves them open.
        opened[0]->DisplayList(WriteList("own.ier", {"own"}).toStdString());
        QVERIFY(opened[1]->List().ListCount() == 0);
        main->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!mainAlive);
        QVERIFY(first && second);
        FMain::SetSearchWindowFactory({});
    }

    // Every file question belongs to the window that asks it, whichever window asked before: a
    // search window's Open does not take the main window's dialogs with it, nor does closing it
    // leave them without an owner.
    void EachWindowOwnsItsFileDialogs() {
        FMain main;
        FRecurse& search = NewWindow();
        const auto owner = [this] { return prompts_->LastAsked().owner.data(); };
        prompts_->CancelFile(cScriptedPrompts::eKind::OpenFile);
        search.mnuFile_Click(1);
        QCOMPARE(owner(), &search);
        prompts_->CancelFile(cScriptedPrompts::eKind::OpenFile);
        main.mnuFile_Click(0);
        QCOMPARE(owner(), &main);
        prompts_->CancelFile(cScriptedPrompts::eKind::SaveFile);
        search.mnuFile_Click(3);
        QCOMPARE(owner(), &search);
        prompts_->CancelFile(cScriptedPrompts::eKind::OpenFile);
        search.mnuEdit_Click(0);
        QCOMPARE(owner(), &search);
        CloseWindow(search, std::nullopt);
        prompts_->CancelFile(cScriptedPrompts::eKind::OpenFile);
        main.tbrMain_ButtonClick("open");
        QCOMPARE(owner(), &main);
    }
};

PICTRIX_UI_TEST(tRecurseWindowTest)
#include "recurse_window_test.moc"
