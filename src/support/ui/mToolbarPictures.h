#pragma once
// mToolbarPictures: the pictures of the toolbar buttons of the main window and the search window,
// by button key; a key both windows have ("open", "save", "print", "help") looks the same in both.
// Each key has a name of the freedesktop icon theme; when the desktop's theme lacks it, a picture
// drawn here at run time stands in, so a toolbar never shows an empty button.

#include <QIcon>
#include <QString>

namespace mToolbarPictures {

// The theme icon name of a toolbar key ("open" -> "document-open"); empty for an unknown key.
QString ThemeName(const QString& key);
// The drawn stand-in for a key at the given pixel size (null for an unknown key).
QPixmap Fallback(const QString& key, int size);
// The theme's icon when the theme has it, otherwise the stand-in at 16, 22, 24 and 32 pixels.
QIcon Picture(const QString& key);

} // namespace mToolbarPictures
