#pragma once
// FRecurse::cState: everything a search window holds, in one place: the flags and names of its
// commands, the extraction's core, the controls and the menu arrays as the handlers index them.
// Only the window's own sources include this.

#include <QElapsedTimer>

#include <array>
#include <string>
#include <unordered_map>

#include "search/mExtract.h"
#include "search/ui/FRecurse.h"
#include "support/cMRUFileList.h"
#include "support/ui/mWindowParts.h"

struct FRecurse::cState {
    bool Running = false;
    std::string FileSpec;
    bool DataChanged = false;
    std::string ListFile;
    cMRUFileList RecentLists;
    // The caption as the program set it (the window title shows it).
    std::string caption;
    // The extraction: the folder last chosen, the source being extracted, the run.
    std::string TargetFolder;
    mExtract::cSource Source;
    mExtract::cRun Run;
    // Find Similar: each listed file's match as the status strip shows it.
    std::unordered_map<std::string, std::string> similar;
    bool similarConnected = false;

    QToolBar* tbrMain = nullptr;
    mWindowParts::cToolbar toolbar; // tbrMain's buttons and their commands
    QWidget* client = nullptr; // the central widget: the list above the strip
    QListView* List1 = nullptr;
    cSearchListModel* ListModel = nullptr;
    cStatusStrip* Picture1 = nullptr;
    QTimer* tmr1 = nullptr;
    QMenu* mnuFileTop = nullptr;
    QMenu* mnuEditTop = nullptr;
    QMenu* mnuHelpTop = nullptr;
    QAction* mnuStop = nullptr;
    std::array<QAction*, 6> mnuFile{};
    std::array<QAction*, 7> mnuMRU{};
    std::array<QAction*, 3> mnuClose{};
    std::array<QAction*, 4> mnuEdit{};
    // Edit > Search Hidden Folders, after a separator: the walk also enters folders whose names
    // begin with "." (off by default, remembered).
    QAction* mnuHiddenSep = nullptr;
    QAction* mnuHidden = nullptr;
    // Edit > Extract Cursors Too, after Extract: the extraction also saves the cursor groups of
    // modules, as .cur files (off by default, remembered).
    QAction* mnuCursors = nullptr;
    std::array<QAction*, 3> mnuHelp{};
    // The status strip's height in pixels, read once at load.
    int StripHeight = 0;

    QElapsedTimer sinceTick;
    // When the walk last processed events (kEventsEveryNs apart at most).
    QElapsedTimer eventsClock;
    // A close was asked while a command ran: the command closes the window once it has unwound.
    bool closeWhenStopped = false;
    // The last SaveList failed (set by SaveList, read by the closing steps).
    bool saveFailed = false;
    std::string cutFile; // the list file whose entries did not all fit the window
    bool printFailed = false;
};
