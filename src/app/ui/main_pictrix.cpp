// pictrix: the desktop program.

#include "app/ui/Main.h"
#include "app/ui/cApplication.h"
#include "base/mProgram.h"
#include "base/ui/mQtText.h"
#include "support/MError.h"

int main(int argc, char** argv) {
    cApplication app(argc, argv);
    app.setApplicationName("pictrix");
    app.setApplicationDisplayName(mQtText::Q(mProgram::kAppName));
    try {
        return Main(app);
    } catch (...) {
        // Start-up, before or around the event loop: reported, and the program ends cleanly.
        MError::ReportEscaped();
        return 1;
    }
}
