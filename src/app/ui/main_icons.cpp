// pictrix-icons: writes the program's icon into an icon theme folder, one PNG per size:
// FOLDER/<size>x<size>/apps/pictrix.png, and the list files' icon beside it under mimetypes/ (the
// name the MIME type application/x-pictrix-recurse-list asks for). The build runs it for the
// hicolor theme that make install puts under share/icons.

#include <QDir>

#include <cstdio>

#include "app/ui/mAppIcon.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pictrix-icons FOLDER\n");
        return 2;
    }
    // Shapes painted on images need no application object and no screen.
    const QDir root(QString::fromLocal8Bit(argv[1]));
    for (const int size : mAppIcon::kSizes) {
        const struct {
            const char* folder;
            const char* name;
            QImage image;
        } pictures[] = {{"apps", "pictrix.png", mAppIcon::Draw(size)},
                        {"mimetypes", "application-x-pictrix-recurse-list.png", mAppIcon::DrawListFile(size)}};
        for (const auto& picture : pictures) {
            const QString folder = root.filePath(QStringLiteral("%1x%1/").arg(size) + picture.folder);
            const QString file = QDir(folder).filePath(picture.name);
            if (!QDir().mkpath(folder) || !picture.image.save(file, "PNG")) {
                std::fprintf(stderr, "pictrix-icons: cannot write %s\n", qPrintable(file));
                return 1;
            }
        }
    }
    return 0;
}
