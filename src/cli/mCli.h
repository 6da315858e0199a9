#pragma once
// mCli: the command-line front end pictrix-cli. Each command is a function of its own that takes
// its arguments and two streams and answers an exit status: 0 done, 1 a file failed, 2 bad usage.

#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "base/mPrintable.h"

namespace mCli {

using tArgs = std::vector<std::string>;

int Run(const tArgs& args, std::ostream& out, std::ostream& err);

// The commands (args without the command word).
int Info(const tArgs& args, std::ostream& out, std::ostream& err);
int Render(const tArgs& args, std::ostream& out, std::ostream& err);
int Settings(const tArgs& args, std::ostream& out, std::ostream& err);
int Log(const tArgs& args, std::ostream& out, std::ostream& err);
int Paths(const tArgs& args, std::ostream& out, std::ostream& err);
int List(const tArgs& args, std::ostream& out, std::ostream& err);
int Extract(const tArgs& args, std::ostream& out, std::ostream& err);
int Search(const tArgs& args, std::ostream& out, std::ostream& err);
int Verify(const tArgs& args, std::ostream& out, std::ostream& err);
int Similar(const tArgs& args, std::ostream& out, std::ostream& err);
int Index(const tArgs& args, std::ostream& out, std::ostream& err);
int CursorTheme(const tArgs& args, std::ostream& out, std::ostream& err);
int Launcher(const tArgs& args, std::ostream& out, std::ostream& err);

// The files of a command that takes no options: the arguments but a "--", after which a name may
// begin with "-". Before it, an argument that begins with "-" is an unknown option: false after
// printing it and `usage`.
bool Operands(const tArgs& args, std::string_view command, std::string_view usage, tArgs& files, std::ostream& err);

// Bad usage: "pictrix-cli COMMAND: unknown option 'OPTION'", then the command's usage; answers 2.
int UnknownOption(std::ostream& err, std::string_view command, const std::string& option, std::string_view usage);
// Bad usage: "pictrix-cli COMMAND: OPTION needs NEEDS" (the value is missing or out of range), then
// the command's usage; answers 2. Every command that takes an option says the same of it.
int BadValue(std::ostream& err, std::string_view command, std::string_view option, std::string_view needs,
             std::string_view usage);
// What --jobs takes, wherever it is taken.
inline constexpr std::string_view kJobsNeeds = "a number from 1 to 64";

// One option of a command for ParseOptions: its name ("-o", "--jobs"), what its value must be
// ("a folder", "a number from 1 to 64"; empty for an option that takes none) and what takes the
// value (false: not a value it takes). Several names may share one entry ("-h|--help").
struct cOption {
    std::string_view names;
    std::string_view needs;
    std::function<bool(const std::string& value)> take;
};
// The one parser of the commands that take options: the options (before a "--"), each where it
// stands, and the operands in order. False after printing what is wrong, with the command's usage:
// an unknown option (UnknownOption) or a value missing or not taken (BadValue): bad usage.
bool ParseOptions(const tArgs& args, std::string_view command, std::string_view usage,
                  const std::vector<cOption>& options, std::vector<std::string>& operands, std::ostream& err);

// Splits a command's arguments into its operands and the value of its one option, -o ("--" ends
// the options). False after printing what is wrong ("-o needs <what>", an unknown option): bad
// usage. `output` keeps its value when there is no -o.
bool OutputOption(const tArgs& args, std::string_view command, std::string_view what, std::string& output,
                  std::vector<std::string>& operands, std::ostream& err);

// Text from outside (file names, resource names, system texts) as it is printed: control
// characters, C1 controls and bytes that are not UTF-8 are written as \xHH (tab, line feed and
// carriage return as \t, \n, \r), so that a name cannot break a line or drive the terminal.
inline std::string Printable(std::string_view text) { return mPrintable::Of(text); }

// An error as printed: "number, source: description" for a cError (the description without the
// line end that system texts carry), what() for anything else; printable.
std::string ErrorText(const std::exception& e);

// Prints an error as "pictrix-cli: FILE: " and its ErrorText, the file's name printable.
void PrintError(std::ostream& err, const std::string& file, const std::exception& e);

// Runs one file's work and reports what escapes it: a cError as it is, a lack of memory as error 7
// "Out of memory", anything else by its text; each with the file's name. True when `work`
// returned without raising.
bool Guard(std::ostream& err, const std::string& file, const std::function<void()>& work);

} // namespace mCli
