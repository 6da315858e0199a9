#include "base/mPrintable.h"

namespace mPrintable {

std::string Of(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    auto escape = [&](unsigned char b) {
        out += "\\x";
        out += kHex[b >> 4];
        out += kHex[b & 15];
    };
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char b = byte(i);
        if (b < 0x20 || b == 0x7F) {
            if (b == '\t')
                out += "\\t";
            else if (b == '\n')
                out += "\\n";
            else if (b == '\r')
                out += "\\r";
            else
                escape(b);
            ++i;
            continue;
        }
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        // A well-formed UTF-8 sequence (no overlong forms, no surrogates) passes unless it is a C1
        // control (U+0080..U+009F); every byte of anything else is escaped.
        std::size_t n = b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
        if (n == 0 || i + n > text.size()) {
            escape(b);
            ++i;
            continue;
        }
        char32_t c = b & (n == 2 ? 0x1F : n == 3 ? 0x0F : 0x07);
        bool ok = true;
        for (std::size_t k = 1; k < n && ok; ++k) {
            ok = (byte(i + k) & 0xC0) == 0x80;
            c = (c << 6) | (byte(i + k) & 0x3F);
        }
        const bool overlong = (n == 3 && c < 0x800) || (n == 4 && c < 0x10000);
        const bool outside = (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF;
        ok = ok && !overlong && !outside && !(c >= 0x80 && c <= 0x9F);
        if (!ok) {
            escape(b);
            ++i;
            continue;
        }
        out.append(text.substr(i, n));
        i += n;
    }
    return out;
}

} // namespace mPrintable
