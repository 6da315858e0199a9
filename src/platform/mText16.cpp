#include "platform/mText16.h"

#include "base/mUtf8.h"

namespace mText16 {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Windows-1252 0x80..0x9F. The five unassigned bytes map to the control characters of the same
// number, as the platform's converter maps them, so that every byte string has a text of its own.
constexpr char16_t k1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                                0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                                0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

std::string ToUtf8(std::u16string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char16_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            mUtf8::Append(out, 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(s[i + 1]) - 0xDC00));
            ++i;
        } else {
            // An unpaired surrogate keeps its own three-byte form (generalized UTF-8), so the
            // name converts back to the units it was stored with.
            mUtf8::Append(out, c);
        }
    }
    return out;
}

std::u16string FromUtf8(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        int extra = 0;
        char32_t c = 0;
        if (b < 0x80) {
            c = b;
        } else if ((b & 0xE0) == 0xC0) {
            extra = 1;
            c = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2;
            c = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3;
            c = b & 0x07;
        } else {
            out += kReplacement;
            ++i;
            continue;
        }
        bool ok = static_cast<std::size_t>(extra) < s.size() - i;
        for (int k = 1; ok && k <= extra; ++k) {
            const auto n = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((n & 0xC0) != 0x80)
                ok = false;
            else
                c = (c << 6) | (n & 0x3F);
        }
        // A surrogate in its three-byte form stands for that unit (see ToUtf8).
        if (!ok || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF && extra != 2)) {
            out += kReplacement;
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

std::string FromAnsi(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char ch : s) {
        const auto b = static_cast<unsigned char>(ch);
        if (b >= 0x80 && b < 0xA0)
            mUtf8::Append(out, k1252[b - 0x80]);
        else
            mUtf8::Append(out, b);
    }
    return out;
}

char16_t Upper(char16_t c) {
    if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 0x20);
    if (c < 0x80) return c;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<char16_t>(c - 0x20);
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        // Latin Extended-A pairs upper/lower case as even/odd, except around the dotless i and
        // the block's end, where the pairs run odd/even.
        if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
            return (c % 2 == 0) ? static_cast<char16_t>(c - 1) : c;
        if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
        return (c % 2 == 1) ? static_cast<char16_t>(c - 1) : c;
    }
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return static_cast<char16_t>(c - 0x20);
    if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 0x50);
    return c;
}

std::u16string Upper(std::u16string s) {
    for (auto& c : s) c = Upper(c);
    return s;
}

} // namespace mText16
