#pragma once
// mNumber: the one reading of stored text as a whole number. Settings, registry values and recent
// lists are text; every place that reads a number from them comes here, so the rules are the same
// everywhere and no locale changes them (the windows set one, and strtod would follow it).
//
// The rules: blanks and tabs around the text are ignored; "True" and "False" (any case) are -1 and
// 0; otherwise an optional sign, decimal digits, and an optional "." with more digits (at least
// one digit in all). A fraction rounds half to even (2.5 gives 2, 3.5 gives 4). Nothing else is a
// number: no exponents, no hexadecimal, no thousands separators, no decimal comma.

#include <cstdint>
#include <optional>
#include <string_view>

namespace mNumber {

enum class eParse { Ok, NotANumber, OutOfRange };

struct cParsed {
    eParse status = eParse::NotANumber;
    std::int32_t value = 0; // when status is Ok
};

// The text as a 32-bit signed number, or why it is none.
cParsed ParseLong(std::string_view text);

// The same, nothing for text that is no number or lies outside the range.
std::optional<std::int32_t> LongOf(std::string_view text);
// Within the 16-bit range (window positions).
std::optional<std::int16_t> IntegerOf(std::string_view text);

} // namespace mNumber
