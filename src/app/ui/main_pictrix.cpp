// pictrix: a small viewer until the main window lands. It shows the images of the icon file named
// on its command line in an icon grid; a failure to read it is shown in a message box.

#include <QApplication>
#include <QStringList>

#include "grid/ui/cIconGrid.h"
#include "icon/cFileIcon.h"
#include "support/ui/cPrompts.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setApplicationName("pictrix");
    app.setApplicationDisplayName("Pictrix v2");

    const QStringList args = app.arguments();
    if (args.size() < 2) {
        cPrompts::Current().Message(nullptr, "usage: pictrix FILE.ico", cPrompts::eButtons::OK,
                                    cPrompts::eIcon::Information, "Pictrix v2");
        return 2;
    }
    cFileIcon icon;
    try {
        icon.LoadIcon(args[1].toStdString());
    } catch (const cError& e) {
        cPrompts::Current().Message(nullptr,
                                    QStringLiteral("Error #%1\r%2\r%3")
                                        .arg(e.Number())
                                        .arg(QString::fromStdString(e.Source()), QString::fromStdString(e.Description())),
                                    cPrompts::eButtons::OK, cPrompts::eIcon::Information, "Pictrix v2");
        return 1;
    }
    cIconGrid grid;
    grid.setWindowTitle(args[1]);
    grid.resize(200, 400);
    grid.show();
    grid.Init(icon);
    return app.exec();
}
