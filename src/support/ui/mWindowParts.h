#pragma once
// mWindowParts: the pieces the program's main windows build alike: the toolbar (fixed in place,
// 16-pixel pictures from mToolbarPictures, dispatched by button key), menu items, and the recent
// files shown in a menu from a cMRUFileList.

#include <QKeySequence>
#include <QString>

#include <functional>
#include <map>
#include <span>
#include <vector>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;
class cMRUFileList;

namespace mWindowParts {

// A toolbar button: its key and tooltip; an empty key stands for a separator.
struct cButton {
    const char* key;
    const char* toolTip;
};

// The keys in order ("" for a separator).
std::vector<QString> Keys(std::span<const cButton> buttons);

// Adds the window's toolbar "tbrMain" with the buttons in order; a press calls `pressed` with the
// button's key. Answers the buttons by key through `byKey`.
QToolBar* AddToolbar(QMainWindow& window, std::span<const cButton> buttons,
                     const std::function<void(const QString&)>& pressed, std::map<QString, QAction*>& byKey);

// A menu item with its caption and shortcut; the caption "-" makes a separator.
QAction* Item(QMenu* menu, const char* caption, const QKeySequence& shortcut = {});

// Shows the recent files: entry(i) is the item of position i (1 to FileCount); a position whose
// entry is empty keeps its item as it is. `separator` shows while the list holds any file.
void ShowRecentFiles(const cMRUFileList& recent, const std::function<QAction*(int)>& entry, QAction* separator);

} // namespace mWindowParts
