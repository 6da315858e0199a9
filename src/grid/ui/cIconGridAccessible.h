#pragma once
// cIconGridAccessible: the image grid as a screen reader sees it: a list (named as the widget is)
// whose children are the images, one list item each, named by the caption the grid draws under
// the image ("32 x 32, 256 colors"), with the cell's rectangle on the screen and its state
// (selectable, selected, focusable, focused for the current item while the grid has the focus,
// off screen when scrolled out of sight). The grid's scroll bar is no child: the items are.
// Its items are those of a cAccessibleList. Install puts the factory in place once; the grid
// calls Notify after every change of its items, selection or focus.

#include "support/ui/cAccessibleList.h"

class cIconGrid;

class cIconGridAccessible final : public cAccessibleList {
public:
    explicit cIconGridAccessible(cIconGrid* grid);

    static void Install();
    // Tells an assistive client what changed: the current item's focus, the selection.
    static void Notify(cIconGrid* grid);

    QAccessibleInterface* focusChild() const override;
    QAccessible::State state() const override;

private:
    cIconGrid* Grid() const;
};
