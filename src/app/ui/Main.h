#pragma once
// Main: the desktop program's entry routine and the windows' side of start-up. It installs the
// error box and the file dialogs, hands the command line to the start-up core (mStartup), which
// decides what opens, and answers that core with the windows: the splash, the main window and,
// for list files, the global search window (FRecurse::Default).
//
// A command-line file that is an icon file or a module (and not a ".ier" list file) opens in the
// main window instead (FMain::Retrieve): loading it as a list file would fill the search list
// with the bytes of a binary file.
//
// A print line ("/p") prints through the global search window without showing any window; without
// a display it runs on the offscreen platform (main_pictrix.cpp), and its failures, which nobody
// could answer in a message box there, go to standard error as well as to the error log.
//
// Scripted runs: PICTRIX_NO_SPLASH=1 skips the splash; PICTRIX_SCREENSHOTS=<folder> saves the main
// window in each of its four views as PNG files in that folder and ends the program.

#include <string>
#include <vector>

#include "app/mStartup.h"

class QApplication;

// The windows' answers to the start-up core.
class cWindowsHost final : public mStartup::cStartupHost {
public:
    // Prints through the global search window, which is not shown.
    void PrintFromFile(const std::string& file) override;
    // An icon file or module is kept for the main window; a list file loads into the global
    // search window, which stays hidden until ShowSearchWindow.
    void DisplayList(const std::string& file) override;
    void ShowSplash() override;
    // Shows the main window and opens the kept file in it.
    void ShowMainWindow() override;
    void ShowSearchWindow() override;
    void EndProgram() override;

    const std::string& MainWindowFile() const noexcept { return mainFile_; }
    // The print line's printing failed (it was reported).
    bool PrintFailed() const noexcept { return printFailed_; }

private:
    std::string mainFile_;
    bool printFailed_ = false;
};

// What every window of the program relies on: the error box, the file dialogs, the search windows,
// the program's icon on its windows. Main calls it first.
void SetUpApplication(QApplication& app);

// Runs start-up on the program's arguments (argv without the program's name, the system's bytes)
// and then the event loop while any window is open; answers the exit status (0, or 1 when
// start-up or the print line's printing failed).
int Main(QApplication& app, const std::vector<std::string>& args);

// Unloads every window and ends the program (the event loop, or start-up before it ran).
void EndProgram();

namespace mMainStart {

// The views Main's screenshot run saves, with their file names: "large", "small", "list",
// "details" for View menu indices 3 to 6.
std::string ScreenshotName(int viewIndex);

// True when the platform shows windows (not the offscreen or minimal platform of a run without
// a screen), so that a message box can be answered.
bool ShowsWindows();
// True for a print line ("/p") started without a display and without a chosen platform: the
// program then runs on the offscreen platform, since printing opens no window (the desktop
// entry's print action runs so from a file manager, but also from a shell without a display).
bool NeedsOffscreen(const std::vector<std::string>& args);

} // namespace mMainStart
