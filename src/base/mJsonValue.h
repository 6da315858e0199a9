#pragma once
// mJsonValue: a reader of one JSON text (a line of a manifest), for the commands that read back
// what pictrix-cli wrote. The text is untrusted: nesting is capped (kMaxDepth), every read is
// bounded by the text, and anything that is not JSON answers false, never raises.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mJsonValue {

constexpr int kMaxDepth = 32;

struct cValue {
    enum class eType { kNull, kBool, kNumber, kString, kArray, kObject };
    eType type = eType::kNull;
    bool boolean = false;
    double number = 0;
    std::string text; // a string's value (UTF-8)
    std::vector<cValue> items; // an array's
    // An object's members in order: their names, and their values at the same places (two
    // vectors, since a pair cannot hold the type it is part of).
    std::vector<std::string> keys;
    std::vector<cValue> values;

    // The member named `key` of an object (the first of that name); null for anything else.
    const cValue* Find(std::string_view key) const;
    // A number that is a whole 32-bit value.
    std::optional<std::int32_t> Int32() const;
};

// Parses `text` (one value, white space around it allowed); false when it is not JSON.
bool Parse(std::string_view text, cValue& value);

} // namespace mJsonValue
