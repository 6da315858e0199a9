#pragma once
// mText16: the text conversions that module resource names need: UTF-16 (PE names) and ANSI
// Windows-1252 (NE names) to UTF-8 and back, and the upper-casing by which the platform compares
// resource names without regard to case. A name goes to UTF-8 and back to the units it was stored
// with: an unpaired surrogate keeps its own three-byte form (generalized UTF-8, as text that is
// not valid UTF-16 needs), the five bytes that Windows-1252 leaves unassigned become the control
// characters of the same number. Malformed UTF-8 becomes U+FFFD.

#include <string>
#include <string_view>

namespace mText16 {

std::string ToUtf8(std::u16string_view s);
std::u16string FromUtf8(std::string_view s);
// Windows-1252 bytes as UTF-8.
std::string FromAnsi(std::string_view s);
// Upper case for comparing names: ASCII, Latin-1, Latin Extended-A pairs, Greek and Cyrillic.
char16_t Upper(char16_t c);
std::u16string Upper(std::u16string s);

} // namespace mText16
