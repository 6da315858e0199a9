// pictrix: the desktop program.

#include <iostream>
#include <string>
#include <vector>

#include "app/mStartup.h"
#include "app/ui/Main.h"
#include "app/ui/cApplication.h"
#include "app/ui/mTranslations.h"
#include "base/mProgram.h"
#include "base/ui/mQtText.h"
#include "containers/mContainers.h"
#include "containers/ui/mSvgIcons.h"
#include "support/MError.h"

int main(int argc, char** argv) {
    // The arguments are the system's bytes, kept as they are: Qt would decode them as UTF-8 (a
    // name that is not UTF-8 could then not be opened) and take some of them for its own options.
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    // Help and version need neither a window nor a display.
    switch (mStartup::ClassifyArguments(args).command) {
    case mStartup::eCommand::Help: std::cout << mStartup::Usage(); return 0;
    case mStartup::eCommand::Version: std::cout << "pictrix " << PICTRIX_VERSION << '\n'; return 0;
    case mStartup::eCommand::BadUsage: std::cerr << mStartup::Usage(); return 2;
    default: break;
    }
    mContainers::Install();
    mSvgIcons::Install();
    if (mMainStart::NeedsOffscreen(args)) qputenv("QT_QPA_PLATFORM", "offscreen");
    static char name[] = "pictrix";
    int qtArgc = 1;
    char* qtArgv[] = {argc > 0 && argv[0] ? argv[0] : name, nullptr};
    cApplication app(qtArgc, qtArgv);
    app.setApplicationDisplayName(mQtText::Q(mProgram::kAppName));
    // The user's language, where the program has it; English otherwise.
    mTranslations::Install();
    try {
        return Main(app, args);
    } catch (...) {
        // Start-up, before or around the event loop: reported, and the program ends cleanly.
        MError::ReportEscaped();
        return 1;
    }
}
