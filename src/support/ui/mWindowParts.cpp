#include "support/ui/mWindowParts.h"

#include <QAction>
#include <QCoreApplication>
#include <QMainWindow>
#include <QMenu>
#include <QToolBar>

#include "support/cMRUFileList.h"
#include "support/ui/mToolbarPictures.h"

namespace mWindowParts {

QToolBar* cToolbar::Add(QMainWindow& window, std::vector<cButton> buttons,
                        std::function<void(const QString&)> pressed) {
    bar_ = window.addToolBar(QCoreApplication::translate("mWindowParts", "Toolbar"));
    bar_->setObjectName("tbrMain");
    bar_->setMovable(false);
    bar_->setFloatable(false);
    bar_->setIconSize(QSize(16, 16));
    bar_->toggleViewAction()->setVisible(false);
    window.setContextMenuPolicy(Qt::NoContextMenu);
    for (cButton& b : buttons) {
        const QString key = b.key;
        keys_.push_back(key);
        if (key.isEmpty()) {
            bar_->addSeparator();
            continue;
        }
        QAction* button = bar_->addAction(mToolbarPictures::Picture(key), b.toolTip);
        button->setObjectName(key);
        button->setToolTip(b.toolTip);
        QObject::connect(button, &QAction::triggered, &window, [pressed, key] { pressed(key); });
        buttons_.emplace(key, cEntry{button, std::move(b.command)});
    }
    return bar_;
}

QAction* cToolbar::Button(const QString& key) const {
    const auto it = buttons_.find(key);
    return it == buttons_.end() ? nullptr : it->second.button;
}

void cToolbar::Press(const QString& key) const {
    const auto it = buttons_.find(key);
    if (it != buttons_.end() && it->second.command) it->second.command();
}

QAction* Item(QMenu* menu, const QString& caption, const QKeySequence& shortcut) {
    if (caption == "-") return menu->addSeparator();
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

std::array<QAction*, 7> AddRecentItems(QMenu* menu, QObject* context, const std::function<void(int)>& clicked) {
    std::array<QAction*, 7> items{};
    items[0] = Item(menu, "-");
    for (int i = 1; i <= 5; ++i) {
        QAction* item = Item(menu, "");
        item->setVisible(false);
        QObject::connect(item, &QAction::triggered, context, [clicked, i] { clicked(i); });
        items[static_cast<std::size_t>(i)] = item;
    }
    items[6] = Item(menu, "-");
    items[6]->setVisible(false);
    return items;
}

cRegistry MachineKey(std::string_view section) {
    cRegistry registry;
    registry.ClassKey(cRegistry::kHKeyLocalMachine);
    registry.SectionKey(std::string(section));
    return registry;
}

void LoadRecentFiles(cMRUFileList& recent, std::string_view section, std::int32_t capacity) {
    cRegistry registry = MachineKey(section);
    recent.Load(registry);
    recent.MaxFileCount(capacity);
}

void SaveRecentFiles(const cMRUFileList& recent, std::string_view section) {
    cRegistry registry = MachineKey(section);
    recent.Save(registry);
}

} // namespace mWindowParts
