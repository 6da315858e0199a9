#pragma once
// mAccessibleLists: what a screen reader reads of two controls of the main window whose own
// accessible trees say too much or too little.
//  - The icon list's list view (the large, small and list views): one list item per icon, named
//    by its text, with its state (selected, focused, off screen) and place. Qt's own interface
//    counts every column of the model, which the list view never shows: three items per icon.
//  - The properties text of FProps (lblProperties): a list named as the label is, with one list
//    item per image line ("32 x 32,16 colors. Size=744 bytes. Hotspot=1,2"); the lines above them
//    (the icon's name, the heading) are its description.
// Item interfaces are made on first use and kept (Qt's registry owns them) while the control
// lives; an item past the control's count after a change answers invalid. Install puts the
// factory in place once; the controls call it when they are made.

namespace mAccessibleLists {

void Install();

} // namespace mAccessibleLists
