#pragma once
// mWindowParts: the pieces the program's main windows build alike: the toolbar from one table of
// keys, tooltips and commands, menu items, the recent files shown in a menu from a cMRUFileList
// and kept under a key of HKEY_LOCAL_MACHINE.

#include <QKeySequence>
#include <QPointer>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string_view>
#include <vector>

#include "support/cRegistry.h"

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;
class cMRUFileList;

namespace mWindowParts {

// A toolbar button: its key, its tooltip and what pressing it does; an empty key stands for a
// separator.
struct cButton {
    const char* key;
    QString toolTip; // in the user's language
    std::function<void()> command;
};

// A window's toolbar "tbrMain" (fixed in place, 16-pixel pictures from mToolbarPictures): its
// buttons by key, each with its command.
class cToolbar {
public:
    // Adds the toolbar to `window` with the buttons in order; a press calls `pressed` with the
    // button's key (the window's tbrMain_ButtonClick, which runs Press).
    QToolBar* Add(QMainWindow& window, std::vector<cButton> buttons, std::function<void(const QString&)> pressed);
    QToolBar* Bar() const noexcept { return bar_; }
    // The button of a key; nullptr for an unknown key.
    QAction* Button(const QString& key) const;
    // The keys in order ("" for a separator).
    const std::vector<QString>& Keys() const noexcept { return keys_; }
    // Runs the command of the button `key`; any other key does nothing.
    void Press(const QString& key) const;

private:
    struct cEntry {
        QAction* button;
        std::function<void()> command;
    };
    QToolBar* bar_ = nullptr;
    std::vector<QString> keys_;
    std::map<QString, cEntry> buttons_;
};

// The program-wide instance of a window class held in `slot`: made on first use, gone once the
// window is (a window deletes itself when it closes).
template <class tWindow>
tWindow& DefaultWindow(QPointer<tWindow>& slot) {
    if (!slot) slot = new tWindow();
    return *slot;
}

// The item at `index` of a menu array; nullptr outside it.
template <std::size_t N>
QAction* At(const std::array<QAction*, N>& items, int index) {
    return index >= 0 && static_cast<std::size_t>(index) < N ? items[static_cast<std::size_t>(index)] : nullptr;
}

// A menu item with its caption and shortcut; the caption "-" makes a separator.
QAction* Item(QMenu* menu, const QString& caption, const QKeySequence& shortcut = {});

// Shows the recent files: entry(i) is the item of position i (1 to FileCount); a position whose
// entry is empty keeps its item as it is. `separator` shows while the list holds any file.
void ShowRecentFiles(const cMRUFileList& recent, const std::function<QAction*(int)>& entry, QAction* separator);

// The recent-file items of a File menu, as the array mnuMRU holds them: a separator (0), five
// hidden items (1 to 5), each calling `clicked` with its index, and a hidden separator (6).
std::array<QAction*, 7> AddRecentItems(QMenu* menu, QObject* context, const std::function<void(int)>& clicked);

// The key `section` of HKEY_LOCAL_MACHINE, where the windows keep their lists and switches.
cRegistry MachineKey(std::string_view section);
// The recent files kept under `section`, at most `capacity` of them.
void LoadRecentFiles(cMRUFileList& recent, std::string_view section, std::int32_t capacity);
void SaveRecentFiles(const cMRUFileList& recent, std::string_view section);

} // namespace mWindowParts
