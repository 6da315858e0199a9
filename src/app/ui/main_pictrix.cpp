// pictrix: the desktop program.

#include <string>
#include <vector>

#include "app/ui/Main.h"
#include "app/ui/cApplication.h"
#include "base/mProgram.h"
#include "base/ui/mQtText.h"
#include "support/MError.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (mMainStart::NeedsOffscreen(args)) qputenv("QT_QPA_PLATFORM", "offscreen");
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
