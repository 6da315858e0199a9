#pragma once
// mQtText: the crossing of text between the core and Qt. The core's strings are UTF-8 (file
// names as the file system gives them, resource names converted from UTF-16); Qt's are UTF-16.

#include <QCoreApplication>
#include <QString>

#include <string>
#include <string_view>

namespace mQtText {

inline QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
// A core text marked with PICTRIX_TR_NOOP in `context`, in the user's language.
inline QString T(const char* context, std::string_view text) {
    return QCoreApplication::translate(context, std::string(text).c_str());
}
inline std::string Utf8(const QString& s) { return s.toUtf8().toStdString(); }

} // namespace mQtText
