#pragma once
// mLanguage: the language identifiers (LANGID: primary language in the low 10 bits, sublanguage
// in the high 6) that resource trees are keyed by, as the language tags people read ("de-DE").

#include <cstdint>
#include <string>

namespace mLanguage {

// The tag of a LANGID: the locale name Windows gives it ("en-US", "zh-TW"); "neutral" for 0
// (LANG_NEUTRAL, SUBLANG_NEUTRAL); for an identifier the table does not hold, its four hex
// digits ("0x0c3b").
std::string Tag(std::uint16_t langid);

} // namespace mLanguage
