#pragma once
// mVersionInfo: a module's version resource (type 16, VS_VERSIONINFO): its fixed file and product
// versions (VS_FIXEDFILEINFO) and the strings of every StringFileInfo table (FileDescription,
// ProductName, CompanyName, FileVersion...), one table per language and code page.
//
// The resource is untrusted bytes: every block is read through cByteView inside its parent's
// length, a block that claims more than its parent holds or nothing at all ends the walk, the
// nesting is only as deep as the format (four levels), and the tables and strings kept are
// bounded by the bytes that hold them. Both layouts are read: the 32-bit one of PE modules (keys
// and text in UTF-16, a wType word) and the 16-bit one of NE modules (ANSI, no wType).

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class cModuleFile;

namespace mVersionInfo {

// One StringFileInfo table: its language and code page (from its key, "040904b0") and its strings
// in the order stored, keys and values as UTF-8.
struct cTable {
    std::uint16_t language = 0;
    std::uint16_t codePage = 0;
    std::vector<std::pair<std::string, std::string>> strings;
};

struct cVersionInfo {
    // dwFileVersionMS/LS and dwProductVersionMS/LS as four numbers each, where the block holds a
    // VS_FIXEDFILEINFO with its signature.
    std::optional<std::array<std::uint16_t, 4>> fileVersion;
    std::optional<std::array<std::uint16_t, 4>> productVersion;
    std::vector<cTable> tables;
};

// The version information in `bytes`; nothing when they do not begin with a VS_VERSION_INFO
// block. What lies past a damaged block is not read; what was read before it is kept.
std::optional<cVersionInfo> Parse(std::span<const std::uint8_t> bytes);

// The version resource of a loaded module (its first, in its lowest language); nothing when the
// module has none or it cannot be read.
std::optional<cVersionInfo> Read(cModuleFile& module);
// The same for a module file by its name.
std::optional<cVersionInfo> ReadFile(const std::string& path);

// The tables ordered for a reader in `locale` ("de_DE.UTF-8", as mLanguage::UserLocale gives):
// the one in the best-matching language first, the others as stored.
void OrderForLocale(cVersionInfo& info, std::string_view locale);

// The value of `key` in the first table that has it with some text; empty when none has.
std::string Value(const cVersionInfo& info, std::string_view key);

// "1.2.3.4".
std::string VersionText(const std::array<std::uint16_t, 4>& v);

} // namespace mVersionInfo
