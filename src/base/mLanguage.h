#pragma once
// mLanguage: the language identifiers (LANGID: primary language in the low 10 bits, sublanguage
// in the high 6) that resource trees are keyed by, as the language tags people read ("de-DE").

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mLanguage {

// The tag of a LANGID: the locale name Windows gives it ("en-US", "zh-TW"); "neutral" for 0
// (LANG_NEUTRAL, SUBLANG_NEUTRAL); for an identifier the table does not hold, its four hex
// digits ("0x0c3b").
std::string Tag(std::uint16_t langid);

// The user's language as the environment names it for messages: the first of LC_ALL, LC_MESSAGES
// and LANG that is set and not empty ("de_DE.UTF-8"); "" when none is, or it is "C" or "POSIX".
std::string UserLocale();

// Of the languages a resource is stored in (in the module's order), the position of the one that
// suits a locale ("de_DE.UTF-8", or a tag such as "de-DE") best: the same language and region,
// else the same language, else a neutral one (primary language 0), else the first. 0 for an
// empty list.
std::size_t BestMatch(const std::vector<std::uint16_t>& languages, std::string_view locale);

} // namespace mLanguage
