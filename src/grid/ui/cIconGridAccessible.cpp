#include "grid/ui/cIconGridAccessible.h"

#include <QPointer>

#include "grid/ui/cIconGrid.h"

namespace {

// One image of the grid: index 0-based, as the accessible tree counts.
class cItem final : public QAccessibleInterface {
public:
    cItem(cIconGrid* grid, int index) : grid_(grid), index_(index) {}

    bool isValid() const override { return grid_ && index_ < grid_->ItemCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return grid_ ? grid_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return grid_ ? QAccessible::queryAccessibleInterface(grid_) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    void setText(QAccessible::Text, const QString&) override {}

    QString text(QAccessible::Text t) const override {
        if (!isValid() || (t != QAccessible::Name && t != QAccessible::Description)) return {};
        return t == QAccessible::Name ? grid_->Caption(index_ + 1) : QString();
    }

    QRect rect() const override {
        if (!isValid()) return {};
        const QRect r = grid_->ItemRect(index_ + 1);
        return QRect(grid_->viewport()->mapToGlobal(r.topLeft()), r.size());
    }

    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.selectable = true;
        s.multiSelectable = true;
        s.focusable = true;
        s.selected = grid_->Selected(index_ + 1);
        s.focused = grid_->HasFocus() && grid_->CurrentItem() == index_ + 1;
        const QRect r = grid_->ItemRect(index_ + 1);
        if (!grid_->isVisible() || !grid_->viewport()->rect().intersects(r)) {
            s.invisible = !grid_->isVisible();
            s.offscreen = true;
        }
        return s;
    }

private:
    QPointer<cIconGrid> grid_;
    int index_;
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    if (className == QLatin1String("cIconGrid") && object && object->isWidgetType())
        return new cIconGridAccessible(static_cast<cIconGrid*>(object));
    return nullptr;
}

} // namespace

cIconGridAccessible::cIconGridAccessible(cIconGrid* grid) : QAccessibleWidget(grid, QAccessible::List) {}

cIconGridAccessible::~cIconGridAccessible() {
    for (const auto& [index, id] : items_) QAccessible::deleteAccessibleInterface(id);
}

void cIconGridAccessible::Install() {
    static const bool installed = [] {
        QAccessible::installFactory(&Factory);
        return true;
    }();
    (void)installed;
}

cIconGrid* cIconGridAccessible::Grid() const { return static_cast<cIconGrid*>(widget()); }

int cIconGridAccessible::childCount() const { return Grid()->ItemCount(); }

QAccessibleInterface* cIconGridAccessible::child(int index) const {
    if (index < 0 || index >= childCount()) return nullptr;
    auto it = items_.find(index);
    if (it == items_.end()) {
        auto* item = new cItem(Grid(), index);
        it = items_.emplace(index, QAccessible::registerAccessibleInterface(item)).first;
    }
    return QAccessible::accessibleInterface(it->second);
}

int cIconGridAccessible::indexOfChild(const QAccessibleInterface* child) const {
    for (const auto& [index, id] : items_) {
        if (QAccessible::accessibleInterface(id) == child) return index < childCount() ? index : -1;
    }
    return -1;
}

QAccessibleInterface* cIconGridAccessible::childAt(int x, int y) const {
    const QPoint at = Grid()->viewport()->mapFromGlobal(QPoint(x, y));
    for (int i = 0; i < childCount(); ++i) {
        if (Grid()->ItemRect(i + 1).contains(at)) return child(i);
    }
    return nullptr;
}

QAccessibleInterface* cIconGridAccessible::focusChild() const {
    const int current = Grid()->CurrentItem();
    return Grid()->HasFocus() && current >= 1 && current <= childCount() ? child(current - 1) : nullptr;
}

QAccessible::State cIconGridAccessible::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.multiSelectable = true;
    return s;
}

void cIconGridAccessible::Notify(cIconGrid* grid) {
    if (!QAccessible::isActive()) return;
    QAccessibleEvent changed(grid, QAccessible::SelectionWithin);
    QAccessible::updateAccessibility(&changed);
    const int current = grid->CurrentItem();
    if (grid->HasFocus() && current >= 1 && current <= grid->ItemCount()) {
        QAccessibleEvent focus(grid, QAccessible::Focus);
        focus.setChild(current - 1);
        QAccessible::updateAccessibility(&focus);
    }
}
