#include "app/ui/mAccessibleLists.h"

#include <QAccessibleWidget>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QPointer>
#include <QRegularExpression>

#include <functional>
#include <map>

#include "app/ui/cListView.h"

namespace {

// One child of a list: index 0-based, as the accessible tree counts; the owner says what it is.
class cItem final : public QAccessibleInterface {
public:
    struct cOwner {
        std::function<int()> count;
        std::function<QString(int)> name;
        std::function<QRect(int)> rect; // on the screen; empty for none
        std::function<QAccessible::State(int)> state;
    };

    cItem(QWidget* widget, const cOwner* owner, int index) : widget_(widget), owner_(owner), index_(index) {}

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
    const cOwner* owner_; // the list's interface, which outlives its items
    int index_;
};

// A widget shown as a list of the items its owner describes.
class cList : public QAccessibleWidget {
public:
    explicit cList(QWidget* widget) : QAccessibleWidget(widget, QAccessible::List) {}
    ~cList() override {
        for (const auto& [index, id] : items_) QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return owner_.count(); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) return nullptr;
        auto it = items_.find(index);
        if (it == items_.end())
            it = items_.emplace(index, QAccessible::registerAccessibleInterface(new cItem(widget(), &owner_, index)))
                     .first;
        return QAccessible::accessibleInterface(it->second);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (const auto& [index, id] : items_) {
            if (QAccessible::accessibleInterface(id) == child) return index < childCount() ? index : -1;
        }
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (int i = 0; i < childCount(); ++i) {
            if (owner_.rect(i).contains(x, y)) return child(i);
        }
        return nullptr;
    }

protected:
    cItem::cOwner owner_;

private:
    mutable std::map<int, QAccessible::Id> items_;
};

// The list view of the icon list: one item per row of the model's first column.
class cRows final : public cList {
public:
    explicit cRows(QListView* view) : cList(view) {
        owner_.count = [this] { return View()->model() ? View()->model()->rowCount() : 0; };
        owner_.name = [this](int row) { return Index(row).data(Qt::DisplayRole).toString(); };
        owner_.rect = [this](int row) {
            const QRect r = View()->visualRect(Index(row));
            return QRect(View()->viewport()->mapToGlobal(r.topLeft()), r.size());
        };
        owner_.state = [this](int row) {
            QAccessible::State s;
            s.selectable = true;
            s.focusable = true;
            const QModelIndex index = Index(row);
            s.selected = View()->selectionModel() && View()->selectionModel()->isSelected(index);
            s.focused = View()->hasFocus() && View()->currentIndex().row() == row;
            if (!View()->isVisible() || !View()->viewport()->rect().intersects(View()->visualRect(index))) {
                s.invisible = !View()->isVisible();
                s.offscreen = true;
            }
            return s;
        };
    }

    QAccessibleInterface* focusChild() const override {
        const QModelIndex current = View()->currentIndex();
        return View()->hasFocus() && current.isValid() ? child(current.row()) : nullptr;
    }

private:
    QListView* View() const { return static_cast<QListView*>(widget()); }
    QModelIndex Index(int row) const { return View()->model()->index(row, 0); }
};

// The properties text: the indented lines are the images.
class cImageLines final : public cList {
public:
    explicit cImageLines(QLabel* label) : cList(label) {
        owner_.count = [this] { return static_cast<int>(Images().size()); };
        owner_.name = [this](int i) {
            const QStringList images = Images();
            return i < images.size() ? images[i] : QString();
        };
        owner_.rect = [this](int) { return rect(); };
        owner_.state = [](int) { return QAccessible::State(); };
    }

    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Description) return cList::text(t);
        QStringList heading;
        for (const QString& line : Lines())
            if (!line.startsWith(' ') && !line.trimmed().isEmpty()) heading << line.trimmed();
        return heading.join('\n');
    }

private:
    QStringList Lines() const {
        QString text = static_cast<const QLabel*>(widget())->text();
        return text.remove('\r').split('\n');
    }
    // Each image's line with its runs of blanks made one.
    QStringList Images() const {
        static const QRegularExpression blanks(" {2,}");
        QStringList images;
        for (const QString& line : Lines())
            if (line.startsWith(' ') && !line.trimmed().isEmpty()) images << line.trimmed().replace(blanks, " ");
        return images;
    }
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    if (!object || !object->isWidgetType()) return nullptr;
    if (className == QLatin1String("QListView") && qobject_cast<cListView*>(object->parent()))
        return new cRows(static_cast<QListView*>(object));
    if (className == QLatin1String("QLabel") && object->objectName() == QLatin1String("lblProperties"))
        return new cImageLines(static_cast<QLabel*>(object));
    return nullptr;
}

} // namespace

void mAccessibleLists::Install() {
    static const bool installed = [] {
        QAccessible::installFactory(&Factory);
        return true;
    }();
    (void)installed;
}
