#pragma once
// cAccessibleList: a widget as a screen reader sees a list: its children are list items that its
// owner describes (how many, each one's name, its rectangle on the screen and its state). Item
// interfaces are made on first use and kept (Qt's registry owns them) while the widget lives; an
// item past the count after a reload answers invalid. The icon list, the properties' image lines
// and the image grid are such lists.

#include <QAccessibleWidget>

#include <functional>
#include <map>

class cAccessibleList : public QAccessibleWidget {
public:
    // What the items are: index 0-based, as the accessible tree counts.
    struct cOwner {
        std::function<int()> count;
        std::function<QString(int)> name;
        std::function<QRect(int)> rect; // on the screen; empty for none
        std::function<QAccessible::State(int)> state;
    };

    explicit cAccessibleList(QWidget* widget) : QAccessibleWidget(widget, QAccessible::List) {}
    ~cAccessibleList() override;
    cAccessibleList(const cAccessibleList&) = delete;
    cAccessibleList& operator=(const cAccessibleList&) = delete;

    int childCount() const override { return owner_.count(); }
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;

protected:
    cOwner owner_; // set by the deriving class's constructor

private:
    mutable std::map<int, QAccessible::Id> items_; // 0-based index -> registered interface
};
