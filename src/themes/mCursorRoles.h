#pragma once
// mCursorRoles: the 17 cursors of a Windows cursor scheme ("roles"), in the order the scheme
// string of the registry (HKCU\Control Panel\Cursors\Schemes) lists them, with the value name each
// has under HKCU\Control Panel\Cursors, the words that name its file in a pack without an INF, and
// the Xcursor names an X client may ask for it by: the CSS names, the names of the X cursor font,
// the names toolkits used before those (Qt's, KDE's) and the hashed names toolkits ask for first.
// The first Xcursor name of a role is the file a theme holds; the others are links to it. No name
// belongs to two roles.

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace mCursorRoles {

constexpr std::size_t kRoleCount = 17;

struct cRole {
    std::string_view value; // the registry value name: "Arrow", "AppStarting"...
    std::string_view title; // how the report names it: "Normal Select"...
    std::span<const std::string_view> xcursorNames;
};

// The roles in scheme order (index 0: Arrow ... 16: Person).
const std::array<cRole, kRoleCount>& Roles();

// The role whose registry value name is `value`, matched without regard to case.
std::optional<std::size_t> RoleOfValue(std::string_view value);

// The role a cursor file's name stands for, by the table of docs/cursor-themes.md: the name
// without its extension, lower-cased, with everything but letters and digits left out, is matched
// against each role's words in the table's order (longer, more particular words first: "uparrow"
// before "arrow", "handwriting" before "hand"). Short words ("no", "ns", "up"...) match only the
// whole name. Nothing when no word matches.
std::optional<std::size_t> RoleOfFileName(std::string_view fileName);

} // namespace mCursorRoles
