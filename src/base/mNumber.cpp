#include "base/mNumber.h"

#include <limits>

namespace mNumber {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

} // namespace

cParsed ParseLong(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b])) ++b;
    while (e > b && IsBlank(text[e - 1])) --e;
    text = text.substr(b, e - b);
    if (EqualsNoCase(text, "True")) return {eParse::Ok, -1};
    if (EqualsNoCase(text, "False")) return {eParse::Ok, 0};

    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::int64_t whole = 0;
    bool digits = false, huge = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        digits = true;
        if (!huge) whole = whole * 10 + (text[i] - '0');
        if (whole > std::int64_t{1} << 32) huge = true; // far beyond the range already; keep scanning the form
    }
    // The fraction only decides the rounding: below, at or above one half.
    int half = -1; // -1 below, 0 exactly, 1 above
    if (i < text.size() && text[i] == '.') {
        ++i;
        bool first = true;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            digits = true;
            const int d = text[i] - '0';
            if (first) {
                half = d > 5 ? 1 : d == 5 ? 0 : -1;
                first = false;
            } else if (half == 0 && d != 0) {
                half = 1;
            }
        }
    }
    if (!digits || i != text.size()) return {eParse::NotANumber, 0};
    if (huge) return {eParse::OutOfRange, 0};
    if (half > 0 || (half == 0 && (whole % 2) != 0)) ++whole; // half to even
    const std::int64_t value = negative ? -whole : whole;
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max()) {
        return {eParse::OutOfRange, 0};
    }
    return {eParse::Ok, static_cast<std::int32_t>(value)};
}

std::optional<std::int32_t> LongOf(std::string_view text) {
    const cParsed p = ParseLong(text);
    if (p.status != eParse::Ok) return std::nullopt;
    return p.value;
}

std::optional<std::int16_t> IntegerOf(std::string_view text) {
    const auto v = LongOf(text);
    if (!v || *v < std::numeric_limits<std::int16_t>::min() || *v > std::numeric_limits<std::int16_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(*v);
}

} // namespace mNumber
