#pragma once
// mProgram: facts about the running program: its executable's path, its base name (the name
// without its extension, used as the source of errors), its folder, and where its data lives:
// beside it in a build tree, under share/pictrix when it is installed.

#include <string>
#include <string_view>

namespace mProgram {

// Full path of the running executable.
std::string ExePath();
// The executable's file name without its extension: "pictrix" for /usr/bin/pictrix,
// "Pictrix Pro" for "Pictrix Pro.exe".
std::string ExeBaseName();
// The folder of the running executable, without a trailing separator.
std::string ProgramDir();

// The shared-data folder of an installed program, relative to its bin folder ("../share/pictrix"
// for the install layout the build was configured with).
std::string_view DataFromBin();
// True when `programDir` is the bin folder of an installation: its shared-data folder exists.
bool IsInstalledAt(const std::string& programDir);
bool IsInstalled();
// Where the program's own data (its Help folder) lives: the shared-data folder of an installed
// program, otherwise the program's folder (a program run from its build tree).
std::string DataDirFor(const std::string& programDir);
std::string DataDir();
// The folder of the help pages: "Help" in DataDir().
std::string HelpDir();

// The application name: the title of message boxes and the section of the per-user settings.
inline constexpr std::string_view kAppName = "Pictrix v2";

// The platform's path separator as text.
inline constexpr char kSeparator = '/';

} // namespace mProgram
