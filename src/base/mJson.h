#pragma once
// mJson: what the JSON Lines records of pictrix-cli need: a string as a JSON string (bytes that are
// not UTF-8 become U+FFFD, so the line stays valid JSON), the test for UTF-8, base64 for the bytes
// of a name that is not UTF-8, and reading a record back: one JSON object whose members are kept
// where they are scalars (nested arrays and objects are checked and passed over). Reading is
// strict (RFC 8259) and bounded: nesting deeper than kMaxDepth is refused.

#include <cstdint>
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

inline constexpr std::size_t kMaxDepth = 64;

enum class eType { kNull, kBool, kNumber, kString, kArray, kObject };
struct cMember {
    std::string key;
    eType type = eType::kNull;
    std::string text; // a string's value, a number's or literal's text; empty for arrays and objects
};
// One object's members, in their order.
class cObject {
public:
    const cMember* Find(std::string_view key) const;
    // A string member's value; nothing when missing or no string.
    std::optional<std::string> String(std::string_view key) const;
    // A member that is a whole number from 0 to 2^63 - 1.
    std::optional<std::int64_t> Count(std::string_view key) const;
    std::vector<cMember> members;
};
// `text` as one JSON object (white space around it allowed); nothing when it is not one.
std::optional<cObject> ParseObject(std::string_view text);

} // namespace mJson
