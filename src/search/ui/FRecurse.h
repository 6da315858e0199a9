#pragma once
// FRecurse: the search window. It walks a folder tree for files whose names match a
// name pattern (cFolderWalk), keeps the hits in a checked list (List1 over cSearchListModel),
// saves and reopens that list as list files (mListFile), and keeps the four list files used last
// in its File menu (RecentLists). Several search windows can be open at once, each with its own
// list and state; the global one (Default) serves the command line.
//
// Busy and idle: a search runs inside the New command on the window's thread and processes
// pending events at fixed points (once per folder and once per match), so the window stays
// responsive. While it runs (Running), EnableCommands(false) has disabled the File, Edit and Help
// menus with all their items and shortcuts and every toolbar button but Stop, and shows the Stop
// menu; Stop, the Stop button and Esc (seen before the list sees it) only clear Running, and the
// walk unwinds at its next check. Closing the window during a search or an extraction stops it
// first and closes the window once it has unwound.
//
// Handlers are named after the control and the event; each traps its errors and reports them
// through MError::ReportError, log only, except a failed save, which is shown too. Menu items are
// addressed by their index in their menu array; a separator index holds the separator's action.
// Every control, menu array and flag lives in one private struct, FRecurse::cState
// (FRecurse_State.h); the accessors below show what the tests look at.
//
// Extract (Edit 3, F3, toolbar "extract") asks for a target folder and saves every icon group of
// the checked entries, or of all entries when none is checked, through the batch-extraction core
// (its state: TargetFolder, the Source being extracted with its groups, the run with IconsSaved);
// with Edit > Extract Cursors Too checked it saves the cursor groups of modules as well.
// New, Extract, DisplayList, SaveList and Delete run inside a cBusyRun.
// It runs busy like a search, with the list disabled; events are processed once per entry and
// once per group, each processed entry loses its check mark, and the idle state comes back however
// the run ends. Nothing shows the groups of the file being extracted, so no pictures are made.
//
// Print (File 5, Ctrl+P, toolbar "print") prints the window's list on the default printer without
// a dialog (PrintFromFile with no file); the start-up prints a list file named after "/p" through
// the global window, which is never shown. A failed print is shown as well as logged, and nothing
// of it reaches the printer.

#include <QLocale>
#include <QMainWindow>
#include <QTime>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "search/mExtract.h"
#include "search/cSearchList.h"
#include "support/cMRUFileList.h"

class QAction;
class QListView;
class QMenu;
class QTimer;
class QToolBar;
class cError;
class cSearchListModel;
class cStatusStrip;

class FRecurse : public QMainWindow {
    Q_OBJECT

public:
    // The designed client area, in pixels.
    static constexpr int kDesignWidth = 445;
    static constexpr int kDesignHeight = 260;
    static constexpr int kTimerInterval = 1000;
    // How often at most the walk processes events.
    static constexpr qint64 kEventsEveryNs = 5'000'000;

    explicit FRecurse(QWidget* parent = nullptr);
    ~FRecurse() override;

    // The global search window, created (hidden) on first use; released when it closes.
    static FRecurse& Default();
    static bool DefaultLoaded();

    // What the program around the window provides: the about box, modal and owned by the given
    // window, and EndProgram (every window closed, then the end). Without them About does
    // nothing and Exit closes every window.
    static void SetAboutBox(std::function<void(QWidget* owner)> show);
    static void SetEndProgram(std::function<void()> end);

    // ---- State.
    // True while a search or an extraction runs; Stop, the Stop button and Esc clear it.
    bool Running() const noexcept;
    // The file name pattern of the last search.
    const std::string& FileSpec() const noexcept;
    // Whether the list holds changes no list file has; the closing question asks about them.
    bool DataChanged() const noexcept;
    void DataChanged(bool changed) noexcept;
    // The list file last opened or saved.
    const std::string& ListFile() const noexcept;
    const cMRUFileList& RecentLists() const noexcept;
    // The caption as the program set it (the window title shows it).
    const std::string& Caption() const noexcept;
    cSearchList& List();
    const cSearchList& List() const;
    // The batch extraction's state: the folder last chosen, the last source loaded, the files the
    // last run left.
    const std::string& TargetFolder() const noexcept;
    const mExtract::cSource& Source() const noexcept;
    std::int32_t IconsSaved() const noexcept;

    // ---- The parts the tests look at.
    QListView* ListView() const noexcept; // List1
    cSearchListModel* ListModel() const noexcept; // the list's entries and check marks
    cStatusStrip* StatusStrip() const noexcept; // Picture1
    QTimer* Timer() const noexcept; // tmr1
    QToolBar* Toolbar() const noexcept; // tbrMain
    QMenu* FileMenu() const noexcept; // mnuFileTop
    QMenu* EditMenu() const noexcept; // mnuEditTop
    QMenu* HelpMenu() const noexcept; // mnuHelpTop
    QAction* StopItem() const noexcept; // the menu bar's "&Stop", shown while busy
    QAction* HiddenFoldersItem() const noexcept; // Edit > Search Hidden Folders
    QAction* ExtractCursorsItem() const noexcept; // Edit > Extract Cursors Too
    // The items of the menu arrays by index (nullptr outside the array).
    QAction* FileItem(int index) const; // mnuFile, 0 to 5
    QAction* RecentItem(int index) const; // mnuMRU, 0 to 6
    QAction* CloseItem(int index) const; // mnuClose, 0 to 2
    QAction* EditItem(int index) const; // mnuEdit, 0 to 3
    QAction* HelpItem(int index) const; // mnuHelp, 0 to 2

    // The toolbar button of a key ("new", "Stop", ...); nullptr for an unknown key.
    QAction* Button(const QString& key) const;
    // The keys of the toolbar in order ("" for a separator).
    const std::vector<QString>& ButtonKeys() const;

    // ---- The list and its files.
    // Loads a list file into the list (also for a list file named on the command line); false,
    // with the error shown, when it cannot be read (the list stays as it was). A file of more
    // entries than the list holds opens with the first ones, says so, and is marked cut.
    bool DisplayList(const std::string& file);
    // Writes the checked entries, or all when none is checked; true when the file was written.
    bool SaveList(const std::string& file);
    void RefreshRecentMenu();
    // Idle (true) or busy (false).
    void EnableCommands(bool enabled);

    // ---- Batch extraction.
    // The folder browse "Select directory:"; the folder chosen ("Saving to: " in the strip, and
    // the new TargetFolder), or "" when cancelled.
    std::string ChooseTargetFolder();
    // The run over the checked entries, or over all of them when none is checked.
    void ExtractChecked();

    // ---- Printing.
    // Prints the list file `file`, or the window's list when `file` is empty, on the default
    // printer. Failures are logged and shown; nothing of a failed document is printed.
    void PrintFromFile(const std::string& file);
    // True when the last PrintFromFile failed.
    bool PrintFailed() const noexcept;
    // The printed list's "Time: " value: the locale's short time form with its seconds.
    static QString TimeText(const QLocale& locale, const QTime& time);

    // ---- Find Similar (FRecurse_Similar.cpp): the files of a folder tree holding a group that
    // looks like a given one (mSimilar), listed best first as a normal search list. Choosing an
    // entry shows its distance and matching group in the status strip.
    struct cSimilarAsk {
        std::string folder;
        int distance = 10;
    };
    // Asks for the folder and the distance (the last one used offered, and stored when changed);
    // none when either is cancelled or the distance is not a number from 0 to 64.
    static std::optional<cSimilarAsk> AskSimilar(QWidget* owner);
    // Walks the folder (every name) and lists its files within the distance of `hash`; `what`
    // names the query in the caption.
    void FindSimilar(std::uint64_t hash, const std::string& what, const cSimilarAsk& ask);
    // The status strip's text for the entry chosen in a Find Similar list ("" for other entries).
    std::string SimilarText(const std::string& entry) const;

    // ---- Commands.
    void NewList();
    void OpenList();
    bool Save();
    bool SaveAs();
    void AddItem();
    void DeleteItems();
    // Print: the window's list, when it has entries. Extract: when the list has entries, the
    // target folder, then the run.
    void PrintList();
    void ExtractList();
    void Contents();
    void RecurseHelp();
    void About();
    // Stop, the Stop button and Esc: Running goes false; nothing else.
    void Stop();

    // ---- Event handlers.
    void Form_Load();
    void Form_Resize();
    // The closing steps: the question about unsaved changes, then the recent lists stored.
    // False when the window must stay open (a save the user asked for failed).
    bool Form_QueryUnload();
    void mnuFile_Click(int index);
    void mnuMRU_Click(int index);
    void mnuClose_Click(int index);
    void mnuEdit_Click(int index);
    void mnuHelp_Click(int index);
    void mnuStop_Click();
    void tbrMain_ButtonClick(const QString& key);
    void tmr1_Timer();
    void Picture1_DblClick();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class cWalkHost;
    class cSimilarHost;

    // The busy state for the length of a command, in the shape of cBusyCursor: the wait cursor;
    // for a walk or an extraction also Running and the commands off but Stop (EnableCommands),
    // and for an extraction the list disabled. Its end always brings the idle state back, however
    // the command ended, and then closes the window when a close was asked while it ran.
    class cBusyRun {
    public:
        enum class eKind { kCursor, kWalk, kExtraction };
        cBusyRun(FRecurse& window, eKind kind);
        ~cBusyRun();
        cBusyRun(const cBusyRun&) = delete;
        cBusyRun& operator=(const cBusyRun&) = delete;

    private:
        FRecurse& w_;
        eKind kind_;
    };

    void CreateMenus();
    void CreateToolbar();
    void SetCaption(std::string caption);
    void Status(const std::string& text);
    void Busy(bool busy);
    // The walk's hooks.
    void DoEvents();
    void EnableTimer(bool enabled);

    bool IsCutListFile(const std::string& file) const;

    // Every control, menu item and flag of the window (FRecurse_State.h).
    struct cState;
    const std::unique_ptr<cState> s_;
};
