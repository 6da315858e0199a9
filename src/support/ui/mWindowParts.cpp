#include "support/ui/mWindowParts.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QToolBar>

#include "support/cMRUFileList.h"
#include "support/ui/mToolbarPictures.h"

namespace mWindowParts {

std::vector<QString> Keys(std::span<const cButton> buttons) {
    std::vector<QString> keys;
    for (const cButton& b : buttons) keys.emplace_back(b.key);
    return keys;
}

QToolBar* AddToolbar(QMainWindow& window, std::span<const cButton> buttons,
                     const std::function<void(const QString&)>& pressed, std::map<QString, QAction*>& byKey) {
    QToolBar* bar = window.addToolBar("Toolbar");
    bar->setObjectName("tbrMain");
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(16, 16));
    bar->toggleViewAction()->setVisible(false);
    window.setContextMenuPolicy(Qt::NoContextMenu);
    for (const cButton& b : buttons) {
        const QString key = b.key;
        if (key.isEmpty()) {
            bar->addSeparator();
            continue;
        }
        QAction* button = bar->addAction(mToolbarPictures::Picture(key), b.toolTip);
        button->setObjectName(key);
        button->setToolTip(b.toolTip);
        QObject::connect(button, &QAction::triggered, &window, [pressed, key] { pressed(key); });
        byKey.emplace(key, button);
    }
    return bar;
}

QAction* Item(QMenu* menu, const char* caption, const QKeySequence& shortcut) {
    if (QString(caption) == "-") return menu->addSeparator();
    QAction* action = menu->addAction(caption);
    if (!shortcut.isEmpty()) action->setShortcut(shortcut);
    return action;
}

void ShowRecentFiles(const cMRUFileList& recent, const std::function<QAction*(int)>& entry, QAction* separator) {
    for (std::int32_t i = 1; i <= recent.FileCount(); ++i) {
        if (!recent.FileExists(i)) continue;
        QAction* item = entry(i);
        item->setVisible(true);
        item->setText(QString::fromStdString(recent.MenuCaption(i)));
        item->setData(QString::number(i));
    }
    separator->setVisible(recent.FileCount() > 0);
}

} // namespace mWindowParts
