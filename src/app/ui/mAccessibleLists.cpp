#include "app/ui/mAccessibleLists.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QRegularExpression>

#include "app/ui/cListView.h"
#include "support/ui/cAccessibleList.h"

namespace {

// The list view of the icon list: one item per row of the model's first column.
class cRows final : public cAccessibleList {
public:
    explicit cRows(QListView* view) : cAccessibleList(view) {
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
class cImageLines final : public cAccessibleList {
public:
    explicit cImageLines(QLabel* label) : cAccessibleList(label) {
        owner_.count = [this] { return static_cast<int>(Images().size()); };
        owner_.name = [this](int i) {
            const QStringList images = Images();
            return i < images.size() ? images[i] : QString();
        };
        owner_.rect = [this](int) { return rect(); };
        owner_.state = [](int) { return QAccessible::State(); };
    }

    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Description) return cAccessibleList::text(t);
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
