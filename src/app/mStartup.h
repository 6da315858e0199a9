#pragma once
// mStartup: the window-free core of the program's entry routine. It writes the first-start
// defaults when the store has no first-start marker, records the program's path, reads the
// arguments and decides what opens: nothing but the splash and the main window (an empty
// line), a printed list file and the end of the program ("/p"), or a list file loaded into the
// search window. The windows answer through cStartupHost; errors go to MError::ReportError.

#include <string>
#include <string_view>
#include <vector>

namespace mStartup {

// The application name of the settings store.
// The desktop program's file name in the program folder (the target of the file association).
inline constexpr std::string_view kDesktopProgram = "pictrix";
// The first-start marker: this value under HKEY_LOCAL_MACHINE\Software\Pictrix v2.
inline constexpr std::string_view kMarkerKey = "Software\\Pictrix v2";
inline constexpr std::string_view kMarkerValue = "FirstStartDone";

enum class eCommand {
    Empty, // splash, then the main window
    Print, // print the named list file, then end
    OpenList, // load the named list file into the search window; splash, main window, search window
    Help, // the usage on standard output; no window
    Version, // the program's name and version on standard output; no window
    BadUsage, // more than one file named: the usage on standard error; no window
};

struct cCommandLine {
    eCommand command = eCommand::Empty;
    std::string file; // the file the arguments name (FileFromCommandLine)
};

// The arguments (without the program's name) taken as the system hands them: each is one whole
// argument, its bytes the file name's, never joined and split again, so blanks, double quotes
// and bytes that are not UTF-8 stay part of a name. Empty arguments are no arguments.
//   (none)               Empty
//   -h, --help           Help;  --version  Version (only as the first argument)
//   /p [FILE]            Print FILE ("/P" too; "/p" alone prints the empty list)
//   /e FILE, /x FILE     OpenList FILE: any other switch ("/" and one character) opens the list
//   -- FILE              OpenList FILE, which may then begin with "-" or "/" and one character
//                        ("--" alone is Empty; "/e" alone opens the empty name, which is reported)
//   FILE                 OpenList FILE (an absolute path such as "/pub/a.ier" is no switch, and a
//                        name beginning with "-" is a file name too)
// A second file is BadUsage. The name keeps its case (file names are case-sensitive here).
cCommandLine ClassifyArguments(const std::vector<std::string>& args);
// The file the arguments name (ClassifyArguments' file).
std::string FileFromCommandLine(const std::vector<std::string>& args);
// The usage that Help prints (and BadUsage on standard error).
std::string Usage();

// Raises when the file a command line names cannot be read, with a description that names the
// file and the cause: 53 when there is no such file (or folder on its way), 70 when reading it is
// not permitted, 75 for a folder or any other failure. Main checks a named file before the
// windows are given it, so that a user who opened a file from the desktop learns why nothing
// shows.
void CheckCommandLineFile(const std::string& file);

// True while the store carries no first-start marker.
bool IsFirstStart();
// Sets the marker (Main does so once WriteFirstRunDefaults has finished).
void MarkFirstStartDone();
// The first-start defaults, in this order: "Settings" Menu1..Menu4 and Backcolor; the .ier file
// type; a fresh error log; "WinSet" Toolbar, Statusbar, WinState, mnuView.
void WriteFirstRunDefaults();
// The executable the .ier association starts: kDesktopProgram in the program folder.
std::string AssociationExePath();
// Records the running executable's full path as ("Pictrix v2", "Path", "AppPath").
void WriteAppPath();

// What the windows provide to Main.
class cStartupHost {
public:
    virtual ~cStartupHost() = default;
    // FRecurse.PrintFromFile on the global search window, which stays hidden.
    virtual void PrintFromFile(const std::string& file) = 0;
    // Loads the global search window without showing it and calls its DisplayList.
    virtual void DisplayList(const std::string& file) = 0;
    // The about box as a modal splash without its OK button, closing itself after 2500 ms.
    virtual void ShowSplash() = 0;
    virtual void ShowMainWindow() = 0;
    // The global search window, modeless and without owner.
    virtual void ShowSearchWindow() = 0;
    // Unloads every window and ends the program.
    virtual void EndProgram() = 0;
};

enum class eStartResult {
    WindowsShown, // the windows are up; the program runs until the last one closes
    Ended, // the print line was handled, or a command line failed: EndProgram was called
    Failed, // the first phase failed and was reported (no window was opened), or a print
    // could not be made: the program ends with a failure
};

// The entry routine's steps with its two error handlers: errors before the command line is
// handled are reported (log and show) and the result is Failed; errors while handling it (among
// them a named file that cannot be read) are reported and followed by EndProgram.
// Help, Version and BadUsage are the caller's to handle before any window exists: here they
// count as an empty line.
eStartResult Main(const std::vector<std::string>& args, cStartupHost& host);

} // namespace mStartup
