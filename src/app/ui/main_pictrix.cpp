// pictrix: the desktop program.

#include <QApplication>

#include "app/ui/Main.h"
#include "base/mProgram.h"
#include "base/ui/mQtText.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setApplicationName("pictrix");
    app.setApplicationDisplayName(mQtText::Q(mProgram::kAppName));
    return Main(app);
}
