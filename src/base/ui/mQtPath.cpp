#include "base/ui/mQtPath.h"

#include <QFile>

#include <filesystem>
#include <system_error>

namespace mQtPath {

namespace {

bool Exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::symlink_status(path, ec).type() != std::filesystem::file_type::not_found && !ec;
}

} // namespace

std::string FromUrl(const QUrl& url) {
    if (!url.isLocalFile()) return {};
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
}

std::string FromQt(const QString& path) {
    const std::string plain = QFile::encodeName(path).toStdString();
    if (path.isEmpty() || Exists(plain)) return plain;
    const QStringList parts = path.split('/');
    std::string resolved;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0) resolved += '/';
        const QString& part = parts[i];
        std::string name = QFile::encodeName(part).toStdString();
        if (!part.isEmpty() && !Exists(resolved + name)) {
            // The folder's entries as Qt shows them: exactly one must look like this part.
            std::error_code ec;
            std::string match;
            int matches = 0;
            for (std::filesystem::directory_iterator it(resolved.empty() ? std::string(".") : resolved, ec), end;
                 !ec && it != end; it.increment(ec)) {
                const std::string entry = it->path().filename().string();
                if (QFile::decodeName(QByteArray::fromStdString(entry)) == part) {
                    match = entry;
                    ++matches;
                }
            }
            // None (a name still to be made) or several alike: the part stays as Qt gives it.
            if (matches == 1) name = match;
        }
        resolved += name;
    }
    return resolved;
}

} // namespace mQtPath
