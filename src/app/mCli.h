#pragma once
// mCli: the command-line front end pictrix-cli. Each command is a function of its own that takes
// its arguments and two streams and answers an exit status: 0 done, 1 a file failed, 2 bad usage.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace mCli {

using tArgs = std::vector<std::string>;

int Run(const tArgs& args, std::ostream& out, std::ostream& err);

// The commands (args without the command word).
int Info(const tArgs& args, std::ostream& out, std::ostream& err);
int Render(const tArgs& args, std::ostream& out, std::ostream& err);
int Settings(const tArgs& args, std::ostream& out, std::ostream& err);
int Log(const tArgs& args, std::ostream& out, std::ostream& err);
int List(const tArgs& args, std::ostream& out, std::ostream& err);
int Extract(const tArgs& args, std::ostream& out, std::ostream& err);
int Search(const tArgs& args, std::ostream& out, std::ostream& err);

// Splits a command's arguments into its operands and the value of its one option, -o ("--" ends
// the options). False after printing what is wrong ("-o needs <what>", an unknown option): bad
// usage. `output` keeps its value when there is no -o.
bool OutputOption(const tArgs& args, std::string_view command, std::string_view what, std::string& output,
                  std::vector<std::string>& operands, std::ostream& err);

// A file argument as the core takes it: a bare file name gets "./" in front, so that its base
// name stands after a separator.
std::string CliPath(const std::string& arg);

// Prints an error as "number, source: description" with the file it concerns.
void PrintError(std::ostream& err, const std::string& file, const std::exception& e);

} // namespace mCli
