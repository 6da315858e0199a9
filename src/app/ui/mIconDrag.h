#pragma once
// mIconDrag: the chosen icon as the clipboard and drags hand it to other programs: its .ico bytes
// (.cur for a cursor), its largest image as a picture and PNG bytes, and, for file managers, a
// file: the bytes Save writes, written into a folder of its own under the user's cache folder and
// offered as a text/uri-list (and as GNOME's copied-files list on the clipboard).
//
// Each offer writes a fresh folder $XDG_CACHE_HOME/pictrix/drag/XXXXXX, so no name in it can be a
// link or another offer's file; folders older than a day go when the next one is made, as a drop
// target may read a file after the drag has ended.

#include <QMimeData>

#include <memory>
#include <string>

class cFileIcon;

namespace mIconDrag {

// The name of the file offered for `copy`: the base name of the file the icon came from, "-" and
// the icon's label for a group of a module, ".ico" or ".cur"; a character a file name cannot hold
// or that would mislead a shell or a file manager ("/", controls, a leading ".") becomes "_".
std::string FileName(const cFileIcon& copy);

// Writes `copy` as Save does into a new folder under the cache folder; answers its path. Raises
// the save's cError when it cannot be written.
std::string WriteFile(cFileIcon& copy);

// What Copy and a drag offer for `copy`; with `withFile` the written file too. Null when the
// icon has no images (nothing to offer).
std::unique_ptr<QMimeData> MimeData(cFileIcon& copy, bool withFile);

} // namespace mIconDrag
