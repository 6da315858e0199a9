#pragma once
// mJson: what the JSON Lines records of pictrix-cli need: a string as a JSON string (bytes that are
// not UTF-8 become U+FFFD, so the line stays valid JSON), the test for UTF-8, base64 for the bytes
// of a name that is not UTF-8, and a reader of one JSON text (a line of a manifest) for the
// commands that read back what pictrix-cli wrote. The text is untrusted: nesting is capped
// (kMaxDepth), so are the values of a text (kMaxValues), every read is bounded by the text, and
// anything that is not JSON answers false, never raises.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mJson {

// `text` quoted and escaped as a JSON string.
std::string String(std::string_view text);
// True when `text` is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsUtf8(std::string_view text);
// Standard base64 with padding.
std::string Base64(std::string_view bytes);
// The bytes of standard base64 (padding required); nothing when `text` is not base64.
std::optional<std::string> FromBase64(std::string_view text);

// Nesting deeper than this is refused.
inline constexpr int kMaxDepth = 32;
// A text holds at most this many values (an array or object counts for two), and no more than one
// for every 7 of its bytes (and 64 over). The records pictrix-cli writes spend 7.5 bytes or more
// on each (an image of a group counts 8 to 12 in 67 to 180 bytes), so the record of any group an
// icon directory can count (32,767 images) reads, while a line of tiny values is refused before
// its values cost more than about twelve times its length, or some 70 MiB at most.
inline constexpr std::size_t kMaxValues = std::size_t{1} << 19;

// The longest line a reader of pictrix-cli's records takes: the record of a group of 32,767 images
// of some 180 bytes each and names of 4,096 bytes, escaped, fit with room to spare.
inline constexpr std::size_t kMaxRecordBytes = std::size_t{8} << 20;

// One JSON value as read: 56 bytes, and an array or object 64 more for its children.
struct cValue {
    enum class eType : std::uint8_t { kNull, kBool, kNumber, kString, kArray, kObject };
    eType type = eType::kNull;
    bool boolean = false;
    double number = 0;
    std::string text; // a string's value (UTF-8); a number's text as it stands

    // An array's items, or an object's members' values in order; empty for anything else.
    const std::vector<cValue>& Items() const noexcept;
    // An object's members' names, at the places of their values in Items().
    const std::vector<std::string>& Keys() const noexcept;

    // The member named `key` of an object (the first of that name); null for anything else.
    const cValue* Find(std::string_view key) const;
    // A number that is a whole 32-bit value.
    std::optional<std::int32_t> Int32() const;
    // A member that is a string: its value; nothing when missing or no string.
    std::optional<std::string> String(std::string_view key) const;
    // A member that is a whole number from 0 to 10^18 - 1, read from its text (exactly).
    std::optional<std::int64_t> Count(std::string_view key) const;

    struct cChildren {
        std::vector<cValue> items;
        std::vector<std::string> keys;
    };
    // Held apart, so that the many values without children stay small.
    std::unique_ptr<cChildren> children;
};

// Parses `text` (one value, white space around it allowed); false when it is not JSON (strings
// must be UTF-8; a lone surrogate escape reads as U+FFFD) or holds more values than allowed.
bool Parse(std::string_view text, cValue& value);
// `text` as one JSON object; nothing when it is not one.
std::optional<cValue> ParseObject(std::string_view text);

} // namespace mJson
