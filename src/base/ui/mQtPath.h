#pragma once
// mQtPath: file names crossing between the system and Qt. A file name is the system's bytes, which
// need not be UTF-8; Qt holds names as UTF-16 and turns bytes that are not UTF-8 into U+FFFD, so a
// name that goes through a QString cannot always come back. Names from addresses (drag and drop)
// are therefore read from their percent-encoded bytes, and names from Qt's dialogs are matched
// against the folder's own entries where the plain conversion names nothing.

#include <QString>
#include <QUrl>

#include <string>

namespace mQtPath {

// The bytes of a local file's address ("file:///tmp/caf%E9.ico" gives "/tmp/caf\xE9.ico"); empty
// for an address that is no local file.
std::string FromUrl(const QUrl& url);

// The system's name of a path that Qt hands back (a dialog's choice): its encoding when something
// is there under it; otherwise, from the root down, each part that names nothing is replaced by the
// one entry of its folder that Qt shows under that part's text. A part that no single entry
// matches (a name still to be made, or two names Qt shows alike) keeps its plain encoding.
std::string FromQt(const QString& path);

} // namespace mQtPath
