#include "app/mStartup.h"

#include <filesystem>

#include "platform/cReadFile.h"
#include "platform/cRegistryStore.h"
#include "platform/mSysText.h"
#include "base/mProgram.h"
#include "support/CLog.h"
#include "support/MError.h"
#include "base/cError.h"
#include "support/cRegistry.h"
#include "support/mSettings.h"

namespace mStartup {

namespace {

const std::string kApp(mProgram::kAppName);

// Handler of both phases: the error as ReportError wants it, log and show set.
template <class F>
bool Trapped(F&& body) {
    try {
        body();
        return false;
    } catch (...) {
        MError::ReportEscaped();
    }
    return true;
}

// "/" + one character: a switch such as "/p" or "/e". Anything longer that starts with "/" is an
// absolute path, which must reach the search window whole.
bool IsSwitch(std::string_view s) { return s.size() == 2 && s[0] == '/' && s[1] != '/'; }

} // namespace

cCommandLine ClassifyArguments(const std::vector<std::string>& args) {
    std::vector<std::string_view> given;
    for (const std::string& a : args) {
        if (!a.empty()) given.push_back(a);
    }
    cCommandLine out;
    if (given.empty()) return out;
    const std::string_view first = given.front();
    if (first == "-h" || first == "--help") {
        out.command = eCommand::Help;
        return out;
    }
    if (first == "--version") {
        out.command = eCommand::Version;
        return out;
    }
    std::size_t at = 0;
    out.command = eCommand::OpenList;
    if (first == "--") {
        at = 1;
    } else if (IsSwitch(first)) {
        if (first[1] == 'p' || first[1] == 'P') out.command = eCommand::Print;
        at = 1;
    }
    if (first == "--" && given.size() == 1) return {};
    if (at < given.size()) out.file = std::string(given[at]);
    if (given.size() > at + 1) out.command = eCommand::BadUsage;
    return out;
}

std::string FileFromCommandLine(const std::vector<std::string>& args) { return ClassifyArguments(args).file; }

std::string Usage() {
    return "usage: pictrix [FILE]\n"
           "       pictrix /p LIST.ier\n"
           "  Shows the icons of FILE, an icon file or a Windows module, or opens the list file FILE\n"
           "  in the search window; without FILE, the main window alone.\n"
           "  /p LIST.ier   prints the list file on the default printer and ends, without a window\n"
           "  /e LIST.ier   opens the list file, as FILE does\n"
           "  -- FILE       FILE, also when it is named like an option or a switch (--help, /p)\n"
           "  -h, --help    this text;  --version  the program's version\n"
           "PICTRIX_NO_SPLASH=1 skips the splash.\n";
}

void CheckCommandLineFile(const std::string& file) {
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec)) {
        throw cError(cError::kPathFileAccess, mProgram::ExeBaseName(),
                     "Cannot open \"" + file + "\": it is a folder, not a file.");
    }
    cReadFile reader;
    if (reader.Open(file)) return;
    const std::uint32_t code = reader.LastError();
    const std::int32_t number = code == mSysText::kFileNotFound || code == mSysText::kPathNotFound
                                    ? cError::kFileNotFound
                                : code == mSysText::kAccessDenied ? cError::kPermissionDenied
                                                                  : cError::kPathFileAccess;
    throw cError(number, mProgram::ExeBaseName(), "Cannot open \"" + file + "\": " + mSysText::TextLine(code));
}

bool IsFirstStart() {
    cRegistryStore& store = cRegistryStore::User();
    cRegKey key;
    if (store.OpenKey(mReg::kHKeyLocalMachine, kMarkerKey, mReg::kKeyQueryValue, key) != mReg::kErrorSuccess) {
        return true;
    }
    std::uint32_t type = 0, size = 0;
    std::vector<std::uint8_t> data;
    return store.QueryValue(key, kMarkerValue, type, data, size, true) != mReg::kErrorSuccess;
}

void MarkFirstStartDone() {
    cRegistry reg;
    reg.ClassKey(cRegistry::kHKeyLocalMachine);
    reg.SectionKey(std::string(kMarkerKey));
    reg.ValueKey(std::string(kMarkerValue));
    reg.ValueType(static_cast<std::int32_t>(mReg::kRegDword));
    reg.Value(std::int32_t{1});
}

std::string AssociationExePath() {
    return mProgram::ProgramDir() + mProgram::kSeparator + std::string(kDesktopProgram);
}

void WriteFirstRunDefaults() {
    for (const char* key : {"Menu1", "Menu2", "Menu3", "Menu4"}) mSettings::SaveSetting(kApp, "Settings", key, "");
    // The menu colour as a system-colour reference, 0x80000004 as a signed number.
    mSettings::SaveSetting(kApp, "Settings", "Backcolor", "-2147483644");

    cRegistry reg;
    reg.CreateEXEAssociation(AssociationExePath(), mProgram::ExeBaseName(), "Pictrix Recurse List", "ier", "&Open",
                             true, "&Print", false, "&New", true, "&Edit", false, "");

    CLog log;
    log.LogPath(MError::ErrorLogPath());
    log.ClearLog();

    mSettings::SaveSetting(kApp, "WinSet", "Toolbar", "True");
    mSettings::SaveSetting(kApp, "WinSet", "Statusbar", "True");
    mSettings::SaveSetting(kApp, "WinSet", "WinState", "0");
    mSettings::SaveSetting(kApp, "WinSet", "mnuView", "3");
}

void WriteAppPath() { mSettings::SaveSetting(kApp, "Path", "AppPath", mProgram::ExePath()); }

eStartResult Main(const std::vector<std::string>& args, cStartupHost& host) {
    cCommandLine line;
    // Handler A: the settings, the first-start defaults, the empty line's windows.
    bool failed = Trapped([&] {
        if (IsFirstStart()) {
            WriteFirstRunDefaults();
            MarkFirstStartDone();
        }
        WriteAppPath();
        line = ClassifyArguments(args);
        if (line.command != eCommand::Print && line.command != eCommand::OpenList) line = {};
        if (line.command == eCommand::Empty) {
            host.ShowSplash();
            host.ShowMainWindow();
        }
    });
    if (failed) return eStartResult::Failed;
    if (line.command == eCommand::Empty) return eStartResult::WindowsShown;

    // Handler B: the command line's file.
    bool ended = false;
    failed = Trapped([&] {
        // Printing reports a list file it cannot read itself, with the print's failure flags, so
        // the program ends with a failure; "/p" alone prints the empty list.
        if (line.command != eCommand::Print) CheckCommandLineFile(line.file);
        if (line.command == eCommand::Print) {
            // A folder is no list to print: said as opening it says it.
            std::error_code ec;
            if (!line.file.empty() && std::filesystem::is_directory(line.file, ec)) CheckCommandLineFile(line.file);
            host.PrintFromFile(line.file);
            ended = true;
            host.EndProgram();
            return;
        }
        host.DisplayList(line.file);
        host.ShowSplash();
        host.ShowMainWindow();
        host.ShowSearchWindow();
    });
    if (failed) {
        // EndProgram itself failing during the print line must not end it twice.
        if (!ended) host.EndProgram();
        // A print that could not even start is a failure of the program.
        return line.command == eCommand::Print ? eStartResult::Failed : eStartResult::Ended;
    }
    return ended ? eStartResult::Ended : eStartResult::WindowsShown;
}

} // namespace mStartup
