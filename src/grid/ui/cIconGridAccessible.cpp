#include "grid/ui/cIconGridAccessible.h"

#include "grid/ui/cIconGrid.h"

namespace {

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    if (className == QLatin1String("cIconGrid") && object && object->isWidgetType())
        return new cIconGridAccessible(static_cast<cIconGrid*>(object));
    return nullptr;
}

} // namespace

cIconGridAccessible::cIconGridAccessible(cIconGrid* grid) : cAccessibleList(grid) {
    // Items are numbered from 0 here, from 1 in the grid.
    owner_.count = [this] { return Grid()->ItemCount(); };
    owner_.name = [this](int i) { return Grid()->Caption(i + 1); };
    owner_.rect = [this](int i) {
        const QRect r = Grid()->ItemRect(i + 1);
        return QRect(Grid()->viewport()->mapToGlobal(r.topLeft()), r.size());
    };
    owner_.state = [this](int i) {
        const cIconGrid* shown = Grid();
        QAccessible::State s;
        s.selectable = true;
        s.multiSelectable = true;
        s.focusable = true;
        s.selected = shown->Selected(i + 1);
        s.focused = shown->HasFocus() && shown->CurrentItem() == i + 1;
        const QRect r = shown->ItemRect(i + 1);
        if (!shown->isVisible() || !shown->viewport()->rect().intersects(r)) {
            s.invisible = !shown->isVisible();
            s.offscreen = true;
        }
        return s;
    };
}

void cIconGridAccessible::Install() {
    static const bool installed = [] {
        QAccessible::installFactory(&Factory);
        return true;
    }();
    (void)installed;
}

cIconGrid* cIconGridAccessible::Grid() const { return static_cast<cIconGrid*>(widget()); }

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
