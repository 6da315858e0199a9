// pictrix-icons: writes the program's icon into an icon theme folder, one PNG per size:
// FOLDER/<size>x<size>/apps/pictrix.png. The build runs it for the hicolor theme that
// make install puts under share/icons.

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
        const QString folder = root.filePath(QStringLiteral("%1x%1/apps").arg(size));
        const QString file = QDir(folder).filePath("pictrix.png");
        if (!QDir().mkpath(folder) || !mAppIcon::Draw(size).save(file, "PNG")) {
            std::fprintf(stderr, "pictrix-icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
