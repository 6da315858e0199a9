#pragma once
// mProgram: facts about the running program: its executable's path, its base name (the name
// without its extension, used as the source of errors) and its folder (where errlog.txt and the
// Help folder live).

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

// The application name: the title of message boxes and the section of the per-user settings.
inline constexpr std::string_view kAppName = "Pictrix v2";

// The platform's path separator as text.
inline constexpr char kSeparator = '/';

} // namespace mProgram
