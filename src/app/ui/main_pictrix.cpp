// pictrix: the desktop program.

#include <QApplication>

#include "app/ui/Main.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setApplicationName("pictrix");
    app.setApplicationDisplayName("Pictrix v2");
    return Main(app);
}
