#pragma once
// FMain::cState: everything the main window holds, in one place: the icons of the current file,
// the image lists of their pictures, the controls, the menu arrays as the handlers index them,
// and the flags of the commands. Only the window's own sources include this.

#include <QString>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/ui/FMain.h"
#include "app/mListPictures.h"
#include "app/ui/cImageList.h"
#include "icon/cFileIcon.h"
#include "support/cMRUFileList.h"
#include "support/ui/mWindowParts.h"

struct FMain::cState {
    std::vector<cFileIcon> icons; // icons[i - 1] is icon i
    // The file the icons came from (empty before the first retrieval), read again when View >
    // Cursors changes what is listed.
    std::string shownFile;
    // What the properties add for the frames of an animated cursor (its frames, steps and
    // rates, taken as the load reads it: the animation itself gives its frames up to the icons);
    // empty for any other file.
    std::string animationText;
    bool HighColour = true;
    cMRUFileList RecentFiles;

    cListView* lvwIcons = nullptr;
    const std::unique_ptr<cImageList> ilsIcons32 = std::make_unique<cImageList>(32);
    const std::unique_ptr<cImageList> ilsIcons16 = std::make_unique<cImageList>(16);
    // The pictures drawn for both lists from the current icons, each image drawn once.
    std::unique_ptr<mListPictures::cMaker> pictures = std::make_unique<mListPictures::cMaker>();
    cIconGrid* IconGrid1 = nullptr; // in scrImages, hidden until View > Images shows it
    QSplitter* splImages = nullptr; // lvwIcons, then scrImages
    QScrollArea* scrImages = nullptr; // the images pane: IconGrid1, scrolled sideways
    QToolBar* tbrMain = nullptr;
    mWindowParts::cToolbar toolbar; // tbrMain's buttons and their commands
    cStatusBar* sbrMain = nullptr;
    QWidget* client = nullptr; // the central widget the list is placed in

    QMenu* mnuFileMenu = nullptr;
    QMenu* mnuViewMenu = nullptr;
    QMenu* mnuEditMenu = nullptr;
    QAction* mnuFindSimilar = nullptr;
    QMenu* mnuHelpMenu = nullptr;
    std::array<QAction*, 8> mnuFile{};
    std::array<QAction*, 7> mnuMRU{};
    QAction* mnuExit = nullptr;
    QAction* mnuEdit = nullptr;
    QAction* mnuCopy = nullptr;
    std::array<QAction*, 9> mnuView{};
    QAction* mnuImages = nullptr; // View > "Ima&ges": the image grid beside the list
    QAction* mnuCursorsSep = nullptr;
    QAction* mnuCursors = nullptr; // View > "C&ursors": a module's cursor groups listed too
    QAction* mnuExportPng = nullptr; // File > "&Export as PNG..."
    QAction* mnuCursorTheme = nullptr; // File > "Make Cursor &Theme..."
    QAction* mnuLauncher = nullptr; // File > "Add to Applications &Menu...", while icons are listed
    QAction* mnuDashIt = nullptr;
    QAction* mnuOptions = nullptr;
    std::array<QAction*, 3> mnuErrorLog{};
    std::array<QAction*, 6> mnuHelp{}; // index 1 has no item

    bool screenWatched = false;
    // The folder the last export of several images went to, offered again by the next.
    QString exportFolder;
    // The images pane's width in pixels as the user left it; 0 until the handle was dragged or a
    // width was stored.
    int imagesWidth = 0;
};
