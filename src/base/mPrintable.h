#pragma once
// mPrintable: text from outside (file names, resource names, system texts) as the programs print
// it: control characters, C1 controls and bytes that are not UTF-8 are written as \xHH (tab, line
// feed and carriage return as \t, \n, \r), so that a name cannot break a line or drive the
// terminal.

#include <string>
#include <string_view>

namespace mPrintable {

std::string Of(std::string_view text);

} // namespace mPrintable
