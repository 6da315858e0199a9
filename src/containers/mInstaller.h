#pragma once
// mInstaller: the icons of a Windows Installer package (.msi), read with the format's own library
// (libmsi). A package keeps the icons its shortcuts and its entry in the system's list of
// programs show in the Icon table: one row per icon, its Name (the key the other tables use) and
// its Data, a stream holding an icon file or a whole module. The Property table's ARPPRODUCTICON
// names the row of the package's own icon.
//
// The library crashes on some crafted files, so it runs in a child process of its own that hands
// the rows over through a pipe: a crash, or a child silent for 20 s, fails that file alone (as
// "is not a Windows Installer package that can be read"), never the program.
//
// Every stream is read a chunk at a time, each chunk taken from the budget before it is kept, so a
// row whose stream holds more bytes than the budget allows is refused having kept no more than the
// budget; a table of many rows costs each row its share of the budget too. Errors name the package and,
// for a row, the row.

#include <cstdint>
#include <string>
#include <vector>

#include "base/cError.h"
#include "icon/cLoadBudget.h"

namespace mInstaller {

// The rows of the Icon table, the one ARPPRODUCTICON names first, then the others in the table's
// order. A package without an Icon table has none.
struct cIconRow {
    std::string name;
    std::vector<std::uint8_t> data;
};
std::vector<cIconRow> ReadIconRows(const std::string& path, cLoadBudget& budget);

} // namespace mInstaller
