#include "support/ui/cAccessibleList.h"

#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace {

// One child of a list, as its owner describes it.
class cItem final : public QAccessibleInterface {
public:
    cItem(QWidget* widget, const cAccessibleList::cOwner* owner, int index)
        : widget_(widget), owner_(owner), index_(index) {}

    bool isValid() const override { return widget_ && index_ < owner_->count(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return widget_ ? widget_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return widget_ ? QAccessible::queryAccessibleInterface(widget_) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    void setText(QAccessible::Text, const QString&) override {}
    QString text(QAccessible::Text t) const override {
        return isValid() && t == QAccessible::Name ? owner_->name(index_) : QString();
    }
    QRect rect() const override { return isValid() ? owner_->rect(index_) : QRect(); }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        return owner_->state(index_);
    }

private:
    QPointer<QWidget> widget_;
    const cAccessibleList::cOwner* owner_; // the list's, which outlives its items
    int index_;
};

} // namespace

cAccessibleList::~cAccessibleList() {
    for (const auto& [index, id] : items_) QAccessible::deleteAccessibleInterface(id);
}

QAccessibleInterface* cAccessibleList::child(int index) const {
    if (index < 0 || index >= childCount()) return nullptr;
    auto it = items_.find(index);
    if (it == items_.end())
        it = items_.emplace(index, QAccessible::registerAccessibleInterface(new cItem(widget(), &owner_, index))).first;
    return QAccessible::accessibleInterface(it->second);
}

int cAccessibleList::indexOfChild(const QAccessibleInterface* child) const {
    for (const auto& [index, id] : items_) {
        if (QAccessible::accessibleInterface(id) == child) return index < childCount() ? index : -1;
    }
    return -1;
}

QAccessibleInterface* cAccessibleList::childAt(int x, int y) const {
    for (int i = 0; i < childCount(); ++i) {
        if (owner_.rect(i).contains(x, y)) return child(i);
    }
    return nullptr;
}
