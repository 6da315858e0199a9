#pragma once
// mToolbarPictures: the pictures of the toolbar buttons of the main window and the search window,
// by button key; a key both windows have ("open", "save", "print", "help") looks the same in both.
// Each key has a name of the freedesktop icon theme. The toolbars show one family of pictures: the
// theme's when it has a picture for every key of both windows, otherwise the pictures drawn here
// at run time for every key (a theme that has only some would mix two styles on one toolbar).

#include <QIcon>
#include <QString>

namespace mToolbarPictures {

// The theme icon name of a toolbar key ("open" -> "document-open"); empty for an unknown key.
QString ThemeName(const QString& key);
// The drawn stand-in for a key at the given pixel size (null for an unknown key).
QPixmap Fallback(const QString& key, int size);
// True when the desktop's icon theme has a picture for every toolbar key.
bool ThemeHasEveryPicture();
// The theme's icon when ThemeHasEveryPicture, otherwise the stand-in at 16, 22, 24 and 32 pixels.
QIcon Picture(const QString& key);

} // namespace mToolbarPictures
