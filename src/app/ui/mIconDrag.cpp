#include "app/ui/mIconDrag.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QStandardPaths>
#include <QUrl>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "app/mIconCommands.h"
#include "base/cError.h"
#include "base/ui/mQtText.h"
#include "grid/ui/mQtDib.h"
#include "icon/cFileIcon.h"

namespace mIconDrag {

namespace {

namespace fs = std::filesystem;
using mQtText::Q;

// Offers of earlier drags that no drop target can still be reading.
void RemoveOldOffers(const fs::path& folder) {
    std::error_code ec;
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(24);
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code e2;
        if (!it->is_symlink(e2) && it->is_directory(e2) && it->last_write_time(e2) < old && !e2)
            fs::remove_all(it->path(), e2);
    }
}

} // namespace

std::string FileName(const cFileIcon& copy) {
    std::string base = fs::path(copy.Filename()).stem().string();
    const std::string label = copy.Label();
    if (!label.empty()) base += (base.empty() ? "" : "-") + label;
    if (base.empty()) base = copy.IsCursor() ? "cursor" : "icon";
    for (char& c : base) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' ||
            c == '<' || c == '>' || c == '|')
            c = '_';
    }
    if (base.front() == '.' || base.front() == '-') base.front() = '_';
    // A name that is not UTF-8 could not travel in the file's address unchanged.
    if (QString::fromUtf8(base.data(), static_cast<qsizetype>(base.size())).toUtf8().toStdString() != base) {
        for (char& c : base)
            if (static_cast<unsigned char>(c) >= 0x80) c = '_';
    }
    return base + copy.FileExtension();
}

std::string WriteFile(cFileIcon& copy) {
    const fs::path root =
        fs::path(
            QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)).toStdString()) /
        "pictrix" / "drag";
    std::error_code ec;
    fs::create_directories(root, ec);
    RemoveOldOffers(root);
    std::string folder = (root / "XXXXXX").string();
    if (ec || !mkdtemp(folder.data())) {
        const int code = ec ? ec.value() : errno;
        throw cError(cError::kPathFileAccess, "Pictrix",
                     QCoreApplication::translate("mIconDrag", "Cannot make a folder for the dragged file in %1: %2")
                         .arg(QString::fromStdString(root.string()),
                              QString::fromStdString(std::generic_category().message(code)))
                         .toStdString());
    }
    const std::string path = (fs::path(folder) / FileName(copy)).string();
    copy.SaveIcon(path);
    return path;
}

std::unique_ptr<QMimeData> MimeData(cFileIcon& copy, bool withFile) {
    const mIconCommands::cClipboardIcon icon = mIconCommands::ClipboardIcon(copy);
    if (icon.icoBytes.empty()) return nullptr;
    auto mime = std::make_unique<QMimeData>();
    const QByteArray bytes(reinterpret_cast<const char*>(icon.icoBytes.data()),
                           static_cast<qsizetype>(icon.icoBytes.size()));
    // A cursor's bytes are a .cur file, which no program would take for an icon.
    if (copy.IsCursor()) {
        mime->setData(Q(mIconCommands::kCurMimeType), bytes);
    } else {
        mime->setData(Q(mIconCommands::kIcoMimeType), bytes);
        mime->setData(Q(mIconCommands::kIcoMimeTypeAlt), bytes);
    }
    // The largest image for image editors, also as PNG bytes of its own, so that every desktop
    // hands over that image (one that cannot be drawn gives none).
    const QImage image = mQtDib::ImageFromIcon(copy.IconHandle(icon.imageIndex));
    if (!image.isNull()) {
        mime->setImageData(image);
        QByteArray png;
        QBuffer buffer(&png);
        if (buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "PNG")) mime->setData("image/png", png);
    }
    if (withFile) {
        const QUrl url = QUrl::fromLocalFile(QFile::decodeName(WriteFile(copy).c_str()));
        mime->setUrls({url});
        // What GNOME's file manager pastes: a copy of the file.
        mime->setData("x-special/gnome-copied-files", "copy\n" + url.toEncoded());
    }
    return mime;
}

} // namespace mIconDrag
