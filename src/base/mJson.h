#pragma once
// mJson: what the JSON Lines records of pictrix-cli need: a string as a JSON string (bytes that are
// not UTF-8 become U+FFFD, so the line stays valid JSON), the test for UTF-8, and base64 for the
// bytes of a name that is not UTF-8.

#include <string>
#include <string_view>

namespace mJson {

// `text` quoted and escaped as a JSON string.
std::string String(std::string_view text);
// True when `text` is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsUtf8(std::string_view text);
// Standard base64 with padding.
std::string Base64(std::string_view bytes);

} // namespace mJson
