#pragma once
// cResourceID: the identifier of a resource as modules store it: empty, a number or a name.
// Icons out of modules carry their group's identifier; enumeration results are of the same kind.

#include <cstdint>
#include <string>
#include <variant>

using cResourceID = std::variant<std::monostate, std::int32_t, std::string>;

// The standard resource types the program reads: an icon image and a group of them, a cursor
// image and a group of them.
inline constexpr std::int32_t kRtIcon = 3;
inline constexpr std::int32_t kRtGroupIcon = 14;
inline constexpr std::int32_t kRtCursor = 1;
inline constexpr std::int32_t kRtGroupCursor = 12;

inline bool IsEmpty(const cResourceID& id) { return std::holds_alternative<std::monostate>(id); }
inline bool IsNumber(const cResourceID& id) { return std::holds_alternative<std::int32_t>(id); }
inline bool IsName(const cResourceID& id) { return std::holds_alternative<std::string>(id); }

// The identifier as text: the number in decimal, the name as it is, or "" when empty.
inline std::string ResourceIDText(const cResourceID& id) {
    if (auto n = std::get_if<std::int32_t>(&id)) return std::to_string(*n);
    if (auto s = std::get_if<std::string>(&id)) return *s;
    return {};
}
